// Shared pieces of the dispatcher tests: a scratch repository with a small
// schema, a dispatcher over it, requests run as CIM-XML documents through
// process() (no HTTP), and registration of the test provider library.
#ifndef KTA_TESTS_DISPATCH_TESTSUPPORT_H
#define KTA_TESTS_DISPATCH_TESTSUPPORT_H

#include <OperationDispatcher.h>
#include <ProviderManager.h>
#include <Repository.h>

#include <CimXmlMessages.h>

#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/CIMParameter.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMScope.h>
#include <Pegasus/Common/Constants.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace dispatchtest {

using namespace Pegasus;

const CIMNamespaceName kTestNs("test/dispatch");
const CIMNamespaceName kInterop("root/PG_InterOp");

inline std::string str(const String& s)
{
    return std::string(static_cast<const char*>(s.getCString()));
}

// The server's own user on the local socket, as cimmof and cimconfig are.
inline RequestCaller ownerCaller()
{
    RequestCaller caller;
    caller.local = true;
    caller.userName = "root";
    caller.privileged = true;
    return caller;
}

inline std::string providerDir()
{
    return DISPATCH_TEST_PROVIDER_DIR;
}

class ScratchDir
{
public:
    ScratchDir()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kta-dispatch-XXXXXX")
                .string();
        if (!mkdtemp(&pattern[0]))
            throw std::runtime_error("mkdtemp failed");
        path = pattern;
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string path;
};

inline void declareQualifiers(Repository& repo, const CIMNamespaceName& ns)
{
    CIMFlavor keyFlavor = CIMFlavor::DISABLEOVERRIDE;
    keyFlavor.addFlavor(CIMFlavor::TOSUBCLASS);
    repo.setQualifier(ns, CIMQualifierDecl("Key", Boolean(false),
                                           CIMScope::PROPERTY + CIMScope::REFERENCE,
                                           keyFlavor));
    repo.setQualifier(ns, CIMQualifierDecl("In", Boolean(true), CIMScope::PARAMETER,
                                           CIMFlavor::DISABLEOVERRIDE));
}

inline CIMProperty keyProperty(const char* name)
{
    CIMProperty p(name, CIMValue(CIMTYPE_STRING, false));
    p.addQualifier(CIMQualifier("Key", Boolean(true)));
    return p;
}

inline CIMProperty stringProperty(const char* name, bool array = false)
{
    return CIMProperty(name, CIMValue(CIMTYPE_STRING, array));
}

// The registration classes, reduced to the properties the server reads.
inline void createInteropSchema(Repository& repo)
{
    declareQualifiers(repo, kInterop);
    CIMClass module("PG_ProviderModule");
    module.addProperty(keyProperty("Name"));
    for (const char* p : {"Vendor", "Version", "InterfaceType", "InterfaceVersion",
                          "Location", "DesignatedUserContext", "ModuleGroupName"})
        module.addProperty(stringProperty(p));
    module.addProperty(CIMProperty("UserContext", CIMValue(CIMTYPE_UINT16, false)));
    module.addProperty(CIMProperty("OperationalStatus", CIMValue(CIMTYPE_UINT16, true)));
    repo.createClass(kInterop, module);

    CIMClass provider("PG_Provider");
    provider.addProperty(keyProperty("ProviderModuleName"));
    provider.addProperty(keyProperty("Name"));
    repo.createClass(kInterop, provider);

    CIMClass caps("PG_ProviderCapabilities");
    caps.addProperty(keyProperty("ProviderModuleName"));
    caps.addProperty(keyProperty("ProviderName"));
    caps.addProperty(keyProperty("CapabilityID"));
    caps.addProperty(CIMProperty("ProviderType", CIMValue(CIMTYPE_UINT16, true)));
    caps.addProperty(stringProperty("ClassName"));
    caps.addProperty(stringProperty("Namespaces", true));
    caps.addProperty(stringProperty("SupportedMethods", true));
    repo.createClass(kInterop, caps);
}

// Test_Element { [Key] Id; Label }, with Test_Widget (served by the test
// provider) and Test_Stored (kept in the repository) below it.
inline void createTestSchema(Repository& repo)
{
    declareQualifiers(repo, kTestNs);
    CIMClass element("Test_Element");
    element.addProperty(keyProperty("Id"));
    element.addProperty(stringProperty("Label"));
    repo.createClass(kTestNs, element);

    CIMClass widget("Test_Widget", "Test_Element");
    widget.addProperty(CIMProperty("Size", CIMValue(CIMTYPE_UINT32, false)));
    CIMMethod add("Add", CIMTYPE_UINT32);
    add.addParameter(CIMParameter("A", CIMTYPE_UINT32));
    add.addParameter(CIMParameter("B", CIMTYPE_UINT32));
    widget.addMethod(add);
    repo.createClass(kTestNs, widget);

    CIMClass stored("Test_Stored", "Test_Element");
    stored.addProperty(stringProperty("Note"));
    repo.createClass(kTestNs, stored);
}

inline CIMObjectPath pathOf(const char* className, const char* id)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Id", String(id), CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), className, keys);
}

inline CIMInstance instanceOf(const char* className, const char* id,
                              const char* label = 0)
{
    CIMInstance i(className);
    i.addProperty(CIMProperty("Id", String(id)));
    if (label)
        i.addProperty(CIMProperty("Label", String(label)));
    return i;
}

inline CIMInstance moduleInstance(const char* name, const char* location)
{
    CIMInstance m("PG_ProviderModule");
    m.addProperty(CIMProperty("Name", String(name)));
    m.addProperty(CIMProperty("Vendor", String("Test")));
    m.addProperty(CIMProperty("Version", String("1.0.0")));
    m.addProperty(CIMProperty("InterfaceType", String("C++Default")));
    m.addProperty(CIMProperty("InterfaceVersion", String("2.6.0")));
    m.addProperty(CIMProperty("Location", String(location)));
    return m;
}

inline CIMInstance providerInstance(const char* module, const char* name)
{
    CIMInstance p("PG_Provider");
    p.addProperty(CIMProperty("ProviderModuleName", String(module)));
    p.addProperty(CIMProperty("Name", String(name)));
    return p;
}

inline CIMInstance capabilitiesInstance(const char* module, const char* provider,
                                        const char* className,
                                        std::vector<Uint16> types,
                                        const CIMNamespaceName& ns = kTestNs)
{
    CIMInstance c("PG_ProviderCapabilities");
    c.addProperty(CIMProperty("ProviderModuleName", String(module)));
    c.addProperty(CIMProperty("ProviderName", String(provider)));
    c.addProperty(CIMProperty("CapabilityID", String(className)));
    c.addProperty(CIMProperty("ClassName", String(className)));
    Array<String> namespaces;
    namespaces.append(ns.getString());
    c.addProperty(CIMProperty("Namespaces", CIMValue(namespaces)));
    Array<Uint16> typeArray;
    for (Uint16 t : types)
        typeArray.append(t);
    c.addProperty(CIMProperty("ProviderType", CIMValue(typeArray)));
    return c;
}

// The result of one request: the outcome and, when it succeeded, the
// decoded response document.
struct Result
{
    OperationOutcome outcome;
    CimXmlResponse response;

    bool ok() const { return !outcome.failed; }
    std::string description() const { return str(outcome.description); }
};

// A repository in a scratch directory with the interop and test schemas,
// and a provider manager and dispatcher over it.  Its statements run
// through `calls`.
class Server
{
public:
    explicit Server(std::vector<std::string> dirs = {providerDir()},
                    SqliteCalls& calls = SqliteCalls::real())
        : _dirs(std::move(dirs)), _calls(calls)
    {
        repository.reset(new Repository(_scratch.path, Repository::kDefaultClassCacheBytes,
                                        _calls));
        createInteropSchema(*repository);
        createTestSchema(*repository);
        start();
    }

    ~Server() { stop(); }

    // A new provider manager and dispatcher over the same repository, as
    // after a server restart.
    void restart()
    {
        stop();
        start();
    }

    // The same, with the repository opened again from its files.
    void reopen()
    {
        stop();
        repository.reset();
        repository.reset(new Repository(_scratch.path, Repository::kDefaultClassCacheBytes,
                                        _calls));
        start();
    }

    Result run(const CimXmlRequest& request,
               const RequestCaller& caller = ownerCaller())
    {
        CimXmlRequestMessage message = CimXmlRequestDecoder::decode(request.body);
        Result result;
        result.outcome = dispatcher->process(message, caller);
        // A produced answer is drained as the front end does, in the
        // smallest pieces (one object per call); a late failure makes the
        // whole outcome a failure.
        while (result.outcome.producer)
        {
            OperationOutcome& o = result.outcome;
            ResponseBodyProducer::Status status =
                o.producer->next(o.body, 1, o.code, o.description);
            if (status == ResponseBodyProducer::MORE)
                continue;
            o.producer.reset();
            o.failed = status == ResponseBodyProducer::FAILED;
        }
        if (!result.outcome.failed)
            result.response = CimXmlResponseDecoder::decode(result.outcome.body);
        return result;
    }

    // Registers `provider` of library lib<location>.so for className.
    void registerProvider(const char* module, const char* location,
                          const char* provider, const char* className,
                          std::vector<Uint16> types)
    {
        for (const CIMInstance& i :
             {moduleInstance(module, location), providerInstance(module, provider),
              capabilitiesInstance(module, provider, className, types)})
        {
            Result r = run(CimXmlRequestEncoder::createInstance("1", kInterop, i));
            ASSERT_TRUE(r.ok()) << r.description();
        }
    }

    void registerWidgetProvider()
    {
        registerProvider("WidgetModule", "DispatchTestProvider", "WidgetProvider",
                         "Test_Widget", {2, 5});
    }

    // Restarts with a dispatcher that times enumerations by `clock`.
    void useClock(MonotonicClock& clock)
    {
        _clock = &clock;
        restart();
    }

    std::unique_ptr<Repository> repository;
    std::unique_ptr<ProviderManager> manager;
    std::unique_ptr<OperationDispatcher> dispatcher;

private:
    void start()
    {
        manager.reset(new ProviderManager(*repository, _dirs));
        dispatcher.reset(new OperationDispatcher(*repository, *manager, *_clock));
    }

    void stop()
    {
        dispatcher.reset();
        if (manager)
            manager->terminateAll();
        manager.reset();
    }

    ScratchDir _scratch;
    std::vector<std::string> _dirs;
    SqliteCalls& _calls;
    MonotonicClock* _clock = &MonotonicClock::real();
};

// The body of a captured request (requests are never chunked).
inline std::string wireBody(const char* file)
{
    std::ifstream in(std::string(KTA_SHARED_DIR) + "/wire/" + file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t start = text.find("\r\n\r\n");
    return start == std::string::npos ? std::string() : text.substr(start + 4);
}

// Calls Echo(Text="hi") of a `className` instance, as the test provider
// library serves it once registered.
inline Result echo(Server& server, const char* className = "Test_Widget")
{
    Array<CIMParamValue> in;
    in.append(CIMParamValue("Text", CIMValue(String("hi"))));
    return server.run(CimXmlRequestEncoder::invokeMethod(
        "1", kTestNs, pathOf(className, "w"), "Echo", in));
}

}  // namespace dispatchtest

#endif
