// Compiler: compiles MOF files into a MofTarget - reads the files, follows
// #pragma include, and passes every declaration to a Loader.
//
// #pragma include ("name"): an absolute name is used as it is; a relative
// one is looked for beside the including file, then in each include
// directory in order.  A file that cannot be found gives the notice
// "Could not open include file <name>" and compilation goes on.  Including
// a file that is already being compiled (a cycle) or nesting deeper than
// maxIncludeDepth is an error.  Files larger than maxFileSize are refused.
// #pragma namespace ("ns") sends what follows to that namespace.  #pragma
// locale and the other standard pragmas are accepted and ignored; unknown
// pragmas give a warning.
//
// Errors go to the Diagnostics; see Loader for what happens after one.
// TargetError and the CIMException of a failed namespace creation leave
// the compile functions.  Not thread-safe.
#ifndef PEGASUS_MOF_COMPILER_H
#define PEGASUS_MOF_COMPILER_H

#include "MofDiagnostics.h"
#include "MofLoader.h"
#include "MofParser.h"
#include "MofTarget.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Pegasus {
namespace Mof {

struct CompilerOptions
{
    std::string nameSpace = "root/cimv2";
    std::vector<std::string> includeDirs;
    LoaderOptions loader;
    unsigned maxIncludeDepth = 32;
    std::uint64_t maxFileSize = std::uint64_t(256) << 20;
};

class Compiler : private ParserSink
{
public:
    // Target and diagnostics are not owned and must outlive the compiler.
    Compiler(MofTarget& target, Diagnostics& diagnostics, CompilerOptions options);

    // Sends later declarations to the options' namespace, creating it in
    // the target first (unless an error has already been reported).
    // Throws CIMException if the namespace cannot be created.
    void start();

    // Compiles one file named on the command line.  Returns false, having
    // compiled nothing, if it cannot be read (missing, unreadable, not a
    // regular file, too large).
    bool compileFile(const std::string& path);

    // Ends the compilation: performs the calls still queued in the target
    // (see Loader::finish).  Throws TargetError.
    void finish();

    // Compiles MOF text; `name` names it in messages, relative includes are
    // looked for in `baseDir` first.
    void compileText(std::string_view text, const std::string& name, const std::string& baseDir);

    const Loader& loader() const { return _loader; }

private:
    void pragma(const PragmaSpec& pragma) override;
    void qualifierDecl(const QualifierDeclSpec& decl) override;
    void classDecl(const ClassSpec& decl) override;
    void instanceDecl(const InstanceSpec& decl) override;

    void include(const PragmaSpec& pragma);
    void compile(std::string_view text, const std::string& name, const std::string& baseDir);

    Diagnostics& _diagnostics;
    CompilerOptions _options;
    Loader _loader;
    bool _started = false;
    // Canonical paths of the files being compiled, outermost first.
    std::vector<std::string> _active;
    std::vector<std::string> _baseDirs;
    bool _reportedTooMany = false;
};

// Reads a whole regular file (or FIFO) of at most maxSize bytes.  Returns
// false if it cannot.
bool readMofFile(const std::string& path, std::uint64_t maxSize, std::string& content);

}  // namespace Mof
}  // namespace Pegasus

#endif
