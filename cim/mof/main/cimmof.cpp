// cimmof: compiles MOF files into the running CIM server, which it reaches
// through the server's local socket.

#include "CimmofCommandLine.h"

#include "CimBatchClient.h"
#include "ClientTarget.h"
#include "InMemoryTarget.h"
#include "MofCompiler.h"
#include "XmlTarget.h"

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/PegasusVersion.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>

using namespace Pegasus;
using namespace Pegasus::Mof;

namespace {

// Exit statuses (the compiler's negative return codes seen by a shell).
enum ExitStatus
{
    kSuccess = 0,
    kHelpOrVersion = 255,
    kBadOption = 254,
    kGeneralException = 248,
    kCannotOpenFile = 249,
    kParseError = 250,
    kNamespaceFailed = 247,
    kCannotConnect = 246,
};

const std::uint64_t kMaxInput = std::uint64_t(256) << 20;

// --trace: one line per request that reaches the server.
class TraceTarget : public MofTarget
{
public:
    TraceTarget(MofTarget& inner, std::ostream& out) : _inner(inner), _out(out) {}

    void ensureNamespace(const CIMNamespaceName& ns) override
    {
        line("EnsureNamespace", ns, ns.getString());
        _inner.ensureNamespace(ns);
    }
    void setQualifier(const CIMNamespaceName& ns, const CIMQualifierDecl& decl) override
    {
        line("SetQualifier", ns, decl.getName().getString());
        _inner.setQualifier(ns, decl);
    }
    CIMQualifierDecl findQualifier(const CIMNamespaceName& ns, const CIMName& name) override
    {
        return _inner.findQualifier(ns, name);
    }
    void createClass(const CIMNamespaceName& ns, const CIMClass& cls) override
    {
        line("CreateClass", ns, cls.getClassName().getString());
        _inner.createClass(ns, cls);
    }
    void modifyClass(const CIMNamespaceName& ns, const CIMClass& cls) override
    {
        line("ModifyClass", ns, cls.getClassName().getString());
        _inner.modifyClass(ns, cls);
    }
    CIMClass findClass(const CIMNamespaceName& ns, const CIMName& name) override
    {
        line("GetClass", ns, name.getString());
        return _inner.findClass(ns, name);
    }
    CIMObjectPath createInstance(const CIMNamespaceName& ns, const CIMInstance& inst) override
    {
        line("CreateInstance", ns, inst.getClassName().getString());
        return _inner.createInstance(ns, inst);
    }

private:
    void line(const char* operation, const CIMNamespaceName& ns, const String& what)
    {
        _out << operation << ' ' << ns.getString().getCString() << ' ' << what.getCString()
             << '\n';
    }

    MofTarget& _inner;
    std::ostream& _out;
};

bool readStandardInput(std::string& text)
{
    char buffer[65536];
    while (std::cin.read(buffer, sizeof buffer) || std::cin.gcount() > 0)
    {
        text.append(buffer, static_cast<std::size_t>(std::cin.gcount()));
        if (text.size() > kMaxInput)
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string program = argc > 0 ? argv[0] : "cimmof";
    CimmofOptions options;
    std::vector<std::string> usageErrors;
    if (!parseCimmofCommandLine(argc, argv, options, usageErrors))
    {
        for (const std::string& line : usageErrors)
            std::cerr << line << '\n';
        return kBadOption;
    }
    if (options.help)
    {
        std::cerr << cimmofUsage(program);
        return kHelpOrVersion;
    }
    if (options.version)
    {
        std::cerr << "Version " << PEGASUS_PRODUCT_VERSION << '\n';
        return kHelpOrVersion;
    }
    try
    {
        CIMNamespaceName check(options.nameSpace.c_str());
    }
    catch (const Exception& e)
    {
        std::cerr << program << ": " << e.getMessage().getCString() << '\n';
        return kNamespaceFailed;
    }

    CIMClient client;
    client.setTimeout(120000);
    try
    {
        client.connectLocal();
    }
    catch (const Exception&)
    {
        std::cerr << "Cannot connect to CIM Server. The CIM Server may not be running.\n";
        return kCannotConnect;
    }

    std::unique_ptr<std::ofstream> traceFile;
    std::ostream* traceOut = &std::cout;
    if (options.trace && !options.traceFile.empty())
    {
        traceFile = std::make_unique<std::ofstream>(options.traceFile);
        traceOut = traceFile.get();
    }

    // Declarations go to the server in batches over a connection of their
    // own; without it, one request each.  (The batch client outlives the
    // target, which may still have a batch in flight.)
    CimBatchClient batch(120000);
    ClientTarget server(client);
    try
    {
        batch.connectLocal();
        server.useBatches(&batch);
    }
    catch (const Exception&)
    {
    }
    InMemoryTarget memory;
    MofTarget* target = &server;
    if (options.checkOnly || options.xml)
    {
        // Nothing is written to the server: declarations collect in memory,
        // which reads through to the server for what is already there.
        memory.setFallback(&server);
        target = &memory;
    }
    std::unique_ptr<TraceTarget> trace;
    if (options.trace)
    {
        trace = std::make_unique<TraceTarget>(*target, *traceOut);
        target = trace.get();
    }
    std::unique_ptr<XmlTarget> xml;
    if (options.xml && !options.checkOnly)
    {
        xml = std::make_unique<XmlTarget>(*target, std::cout);
        target = xml.get();
    }

    Diagnostics diagnostics(&std::cerr, options.suppressWarnings);
    CompilerOptions compilerOptions;
    compilerOptions.nameSpace = options.nameSpace;
    compilerOptions.includeDirs = options.includeDirs;
    compilerOptions.loader.allowClassUpdate = options.allowClassUpdate;
    compilerOptions.loader.allowExperimental = options.allowExperimental;
    compilerOptions.loader.allowVersionChange = options.allowVersionChange;
    compilerOptions.maxFileSize = kMaxInput;
    Compiler compiler(*target, diagnostics, compilerOptions);

    try
    {
        try
        {
            compiler.start();
        }
        catch (const CIMException& e)
        {
            std::cerr << program << ": Failed to create namespace " << options.nameSpace << ": "
                      << e.getMessage().getCString() << '\n';
            return kNamespaceFailed;
        }
        if (options.files.empty())
        {
            std::string text;
            if (!readStandardInput(text))
            {
                std::cerr << "Can't open file standard input\n";
                return kCannotOpenFile;
            }
            compiler.compileText(text, "standard input", std::string());
        }
        for (const std::string& file : options.files)
        {
            if (!compiler.compileFile(file))
            {
                compiler.finish();
                std::cerr << "Can't open file " << file << '\n';
                return kCannotOpenFile;
            }
        }
        compiler.finish();
    }
    catch (const TargetError& e)
    {
        std::cerr << program << ": " << e.what() << '\n';
        return kGeneralException;
    }
    catch (const Exception& e)
    {
        std::cerr << program << ": " << e.getMessage().getCString() << '\n';
        return kGeneralException;
    }
    if (xml)
        xml->finish();
    return diagnostics.errorCount() > 0 ? kParseError : kSuccess;
}
