// Helpers shared by the MOF compiler tests: compile text or files into an
// in-memory target and look at the result.
#ifndef KTA_TESTS_MOF_TEST_SUPPORT_H
#define KTA_TESTS_MOF_TEST_SUPPORT_H

#include "InMemoryTarget.h"
#include "MofCompiler.h"

#include <Pegasus/Common/CIMValue.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace moftest {

using namespace Pegasus;
using namespace Pegasus::Mof;

// The qualifier declarations most tests need, written once.
inline const char* basicQualifiers()
{
    return R"(
Qualifier Abstract : boolean = false, Scope(class, association, indication), Flavor(Restricted);
Qualifier Association : boolean = false, Scope(association), Flavor(DisableOverride, ToSubclass);
Qualifier Indication : boolean = false, Scope(class, indication), Flavor(DisableOverride, ToSubclass);
Qualifier Key : boolean = false, Scope(property, reference), Flavor(DisableOverride, ToSubclass);
Qualifier Description : string = null, Scope(any), Flavor(EnableOverride, ToSubclass, Translatable);
Qualifier In : boolean = true, Scope(parameter), Flavor(DisableOverride, ToSubclass);
Qualifier Out : boolean = false, Scope(parameter), Flavor(DisableOverride, ToSubclass);
Qualifier ValueMap : string[], Scope(property, method, parameter);
Qualifier Max : uint32 = null, Scope(reference);
Qualifier MaxLen : uint32 = null, Scope(property, method, parameter);
Qualifier Version : string = null, Scope(class, association, indication), Flavor(EnableOverride, Restricted, Translatable);
Qualifier Experimental : boolean = false, Scope(any), Flavor(EnableOverride, Restricted);
)";
}

// One compilation into a fresh in-memory target.
struct Compilation
{
    InMemoryTarget target;
    Diagnostics diagnostics{nullptr};
    std::unique_ptr<Compiler> compiler;

    explicit Compilation(CompilerOptions options = CompilerOptions())
    {
        options.nameSpace = "root/test";
        compiler = std::make_unique<Compiler>(target, diagnostics, options);
    }

    Compilation& text(const std::string& mof, const std::string& name = "test.mof",
              const std::string& dir = std::string())
    {
        compiler->compileText(mof, name, dir);
        return *this;
    }

    unsigned errors() const { return diagnostics.errorCount(); }
    const std::vector<std::string>& messages() const { return diagnostics.messages(); }
    std::string allMessages() const
    {
        std::string all;
        for (const std::string& m : messages())
            all += m + "\n";
        return all;
    }

    CIMClass cls(const char* name) { return target.localClass("root/test", name); }
    CIMClass resolved(const char* name) { return target.findClass("root/test", name); }
    std::vector<CIMInstance> instances() const { return target.instances("root/test"); }
};

// A scratch directory, removed with its files at the end of the test.
class TempDir
{
public:
    TempDir()
    {
        char pattern[] = "/tmp/moftest.XXXXXX";
        const char* made = mkdtemp(pattern);
        _path = made ? made : "/tmp";
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(_path, ignored);
    }
    const std::string& path() const { return _path; }
    std::string write(const std::string& name, const std::string& content) const
    {
        std::string file = _path + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        std::ofstream(file) << content;
        return file;
    }

private:
    std::string _path;
};

template <class T>
T valueOf(const CIMValue& v)
{
    T x{};
    v.get(x);
    return x;
}

inline std::string str(const String& s)
{
    return std::string(s.getCString());
}

}  // namespace moftest

#endif
