// File handling and pragmas.  Includes are compiled depth first, the
// moment the pragma is read, so that declarations reach the target in the
// order a reader of the files would expect.

#include "MofCompiler.h"

#include "SystemCalls.h"

#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/Exception.h>

#include <cerrno>
#include <climits>
#include <limits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Pegasus {
namespace Mof {

namespace {

std::string directoryOf(const std::string& path)
{
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string join(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    if (dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}

std::string canonical(const std::string& path)
{
    char buffer[PATH_MAX];
    if (realpath(path.c_str(), buffer))
        return buffer;
    return path;
}

bool isIgnoredPragma(const std::string& name)
{
    static const char* const kIgnored[] = {
        "locale", "instancelocale", "nonlocal", "nonlocaltype", "source", "sourcetype",
    };
    for (const char* p : kIgnored)
        if (name == p)
            return true;
    return false;
}

}  // namespace

bool readMofFile(const std::string& path, std::uint64_t maxSize, std::string& content)
{
    const std::size_t limit =
        maxSize > std::numeric_limits<std::size_t>::max() ? std::numeric_limits<std::size_t>::max()
                                                          : std::size_t(maxSize);
    return readWholeFile(SystemCalls::real(), path, limit, content) == 0;
}

Compiler::Compiler(MofTarget& target, Diagnostics& diagnostics, CompilerOptions options)
    : _diagnostics(diagnostics), _options(std::move(options)),
      _loader(target, diagnostics, _options.loader)
{
}

void Compiler::start()
{
    _started = true;
    _loader.setNamespace(CIMNamespaceName(_options.nameSpace.c_str()));
}

void Compiler::finish()
{
    _loader.finish();
}

bool Compiler::compileFile(const std::string& path)
{
    std::string content;
    if (!readMofFile(path, _options.maxFileSize, content))
        return false;
    _active.push_back(canonical(path));
    compile(content, path, directoryOf(path));
    _active.pop_back();
    return true;
}

void Compiler::compileText(std::string_view text, const std::string& name,
                           const std::string& baseDir)
{
    compile(text, name, baseDir);
}

void Compiler::compile(std::string_view text, const std::string& name, const std::string& baseDir)
{
    if (!_started)
        start();
    Parser parser(text, std::make_shared<const std::string>(name), *this, _diagnostics);
    _baseDirs.push_back(baseDir);
    parser.parse();
    _baseDirs.pop_back();
    if (_diagnostics.tooManyErrors() && !_reportedTooMany)
    {
        _reportedTooMany = true;
        _diagnostics.notice("Too many errors; compilation stopped.");
    }
}

void Compiler::include(const PragmaSpec& pragma)
{
    const std::string& name = pragma.value;
    if (name.empty())
    {
        _diagnostics.error(Diagnostics::lexicalError(pragma.where, "empty include file name"));
        return;
    }
    std::vector<std::string> candidates;
    if (name[0] == '/')
    {
        candidates.push_back(name);
    }
    else
    {
        candidates.push_back(join(_baseDirs.empty() ? std::string() : _baseDirs.back(), name));
        for (const std::string& dir : _options.includeDirs)
            candidates.push_back(join(dir, name));
    }

    for (const std::string& path : candidates)
    {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        std::string real = canonical(path);
        for (const std::string& active : _active)
        {
            if (active == real)
            {
                _diagnostics.error(Diagnostics::lexicalError(
                    pragma.where, "include cycle: " + name + " is already being compiled"));
                return;
            }
        }
        if (_active.size() >= _options.maxIncludeDepth)
        {
            _diagnostics.error(Diagnostics::lexicalError(
                pragma.where, "includes nested more than "
                                  + std::to_string(_options.maxIncludeDepth) + " deep at " + name));
            return;
        }
        std::string content;
        if (!readMofFile(path, _options.maxFileSize, content))
            break;
        _active.push_back(real);
        compile(content, path, directoryOf(path));
        _active.pop_back();
        return;
    }
    _diagnostics.notice("Could not open include file " + name);
}

void Compiler::pragma(const PragmaSpec& pragma)
{
    std::string name = foldedName(pragma.name);
    if (name == "include")
    {
        include(pragma);
        return;
    }
    if (name == "namespace")
    {
        CIMNamespaceName ns;
        try
        {
            ns = CIMNamespaceName(pragma.value.c_str());
        }
        catch (const Exception& e)
        {
            _diagnostics.error(Diagnostics::semanticError(
                pragma.where, std::string(e.getMessage().getCString())));
            return;
        }
        try
        {
            _loader.setNamespace(ns);
        }
        catch (const CIMException& e)
        {
            _diagnostics.error(Diagnostics::semanticError(
                pragma.where, "Cannot create namespace " + pragma.value + ": "
                                  + std::string(e.getMessage().getCString())));
        }
        return;
    }
    if (isIgnoredPragma(name))
        return;
    _diagnostics.warning("Warning: unknown pragma " + pragma.name + " ignored (at "
                         + pragma.where.fileName() + ":" + std::to_string(pragma.where.line) + ")");
}

void Compiler::qualifierDecl(const QualifierDeclSpec& decl)
{
    _loader.qualifierDecl(decl);
}

void Compiler::classDecl(const ClassSpec& decl)
{
    _loader.classDecl(decl);
}

void Compiler::instanceDecl(const InstanceSpec& decl)
{
    _loader.instanceDecl(decl);
}

}  // namespace Mof
}  // namespace Pegasus
