// Finding and loading provider libraries, the failures a client sees when
// that goes wrong, provider lifetime, concurrent use, and built-in
// providers.
#include "DispatchTestSupport.h"

#include <Pegasus/Provider/CIMInstanceProvider.h>
#include <Pegasus/Provider/CIMMethodProvider.h>

#include <dlfcn.h>

#include <atomic>
#include <fstream>
#include <thread>

using namespace dispatchtest;

namespace {

const std::string kLibrary = providerDir() + "/libDispatchTestProvider.so";

// The test provider library's counters.  Loading it here first gives the
// server the same, already loaded, copy.
int libraryCounter(const char* name)
{
    void* handle = dlopen(kLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return -1;
    auto counter = reinterpret_cast<int (*)()>(dlsym(handle, name));
    return counter ? counter() : -1;
}

int initialized() { return libraryCounter("DispatchTestProviderInitialized"); }
int terminated() { return libraryCounter("DispatchTestProviderTerminated"); }

struct LoadFailureCase
{
    const char* what;
    const char* location;
    const char* provider;
    std::string description;
};

TEST(ProviderLoadingTest, LoadFailuresReportTheLoaderTexts)
{
    const LoadFailureCase cases[] = {
        {"library not found", "NoSuchLibrary", "WidgetProvider",
         "CIM_ERR_FAILED: File \"libNoSuchLibrary.so\" was not found for provider module "
         "\"Module\"."},
        {"no entry point", "DispatchNoEntry", "WidgetProvider",
         "CIM_ERR_FAILED: ProviderLoadFailure (" + providerDir() +
             "/libDispatchNoEntry.so:WidgetProvider):entry point not found."},
        {"unknown provider name", "DispatchTestProvider", "Nobody",
         "CIM_ERR_FAILED: ProviderLoadFailure (" + kLibrary +
             ":Nobody):provider is not a CIMProvider."},
    };
    for (const LoadFailureCase& c : cases)
    {
        Server server;
        server.registerProvider("Module", c.location, c.provider, "Test_Widget", {5});
        Result r = echo(server);
        EXPECT_EQ(CIM_ERR_FAILED, r.outcome.code) << c.what;
        EXPECT_EQ(c.description, r.description()) << c.what;
    }
}

TEST(ProviderLoadingTest, UnloadableLibraryReportsTheLoaderMessage)
{
    ScratchDir dir;
    std::ofstream(dir.path + "/libBroken.so") << "not a shared library\n";
    Server server({dir.path});
    server.registerProvider("Module", "Broken", "P", "Test_Widget", {5});

    Result r = echo(server);
    const std::string prefix = "CIM_ERR_FAILED: ProviderLoadFailure (" + dir.path +
                               "/libBroken.so:P):Cannot load library, error: ";
    ASSERT_EQ(0u, r.description().find(prefix)) << r.description();
    EXPECT_GT(r.description().size(), prefix.size());   // the loader's own words
}

TEST(ProviderLoadingTest, ProviderDirectoriesAreSearchedInOrderAndCanChange)
{
    ScratchDir empty;
    Server server({empty.path});
    server.registerWidgetProvider();
    EXPECT_EQ(CIM_ERR_FAILED, echo(server).outcome.code);

    // A failed load is tried again once the directories change.
    server.manager->setProviderDirs({empty.path, providerDir()});
    Result r = echo(server);
    EXPECT_TRUE(r.ok()) << r.description();
}

TEST(ProviderLoadingTest, FailedInitializationStaysFailed)
{
    Server server;
    server.registerProvider("Module", "DispatchTestProvider", "FailingInitProvider",
                            "Test_Widget", {5});
    const int terminatedBefore = terminated();
    for (int attempt = 0; attempt < 2; attempt++)
    {
        Result r = echo(server);
        EXPECT_EQ(CIM_ERR_FAILED, r.outcome.code);
        EXPECT_EQ("CIM_ERR_FAILED: provider initialization failed", r.description());
        // Released (terminated) as soon as its initialize() failed, once.
        EXPECT_EQ(terminatedBefore + 1, terminated());
    }
    server.manager->terminateAll();
    EXPECT_EQ(terminatedBefore + 1, terminated());
}

TEST(ProviderLoadingTest, LoadsAndFailuresAreReportedForTheLog)
{
    const struct
    {
        const char* location;
        const char* provider;
        bool failed;
        std::size_t reports;  // of two requests
        std::string text;
    } cases[] = {
        {"DispatchTestProvider", "WidgetProvider", false, 1,
         "Provider WidgetProvider of module Module loaded from DispatchTestProvider."},
        // A library that is not there is looked for (and missed) again.
        {"NoSuchLibrary", "WidgetProvider", true, 2,
         "Provider WidgetProvider of module Module could not be loaded: File "
         "\"libNoSuchLibrary.so\" was not found for provider module \"Module\"."},
        {"DispatchTestProvider", "FailingInitProvider", true, 1,
         "Provider FailingInitProvider of module Module failed to initialize: cannot start"},
    };
    for (const auto& c : cases)
    {
        Server server;
        std::vector<std::pair<bool, std::string>> events;
        server.manager->setEventSink(
            [&events](bool failed, const std::string& text) { events.emplace_back(failed, text); });
        server.registerProvider("Module", c.location, c.provider, "Test_Widget", {5});
        echo(server);
        echo(server);  // a provider loaded, or failed to initialize, stays so
        ASSERT_EQ(c.reports, events.size()) << c.provider;
        for (const auto& e : events)
        {
            EXPECT_EQ(c.failed, e.first) << c.provider;
            EXPECT_EQ(c.text, e.second);
        }
    }
}

TEST(ProviderLoadingTest, ConcurrentFirstUseInitializesOnceAndTerminateAllOnce)
{
    const int initializedBefore = initialized();
    const int terminatedBefore = terminated();
    ASSERT_GE(initializedBefore, 0);
    {
        Server server;
        server.registerWidgetProvider();
        std::atomic<int> failures(0);
        std::vector<std::thread> threads;
        for (int i = 0; i < 6; i++)
            threads.emplace_back([&] {
                if (!echo(server).ok())
                    ++failures;
            });
        for (std::thread& t : threads)
            t.join();
        EXPECT_EQ(0, failures.load());
        EXPECT_EQ(initializedBefore + 1, initialized());

        server.manager->terminateAll();
        server.manager->terminateAll();
        EXPECT_EQ(terminatedBefore + 1, terminated());

        Result after = echo(server);
        EXPECT_EQ(CIM_ERR_FAILED, after.outcome.code);
    }
    EXPECT_EQ(terminatedBefore + 1, terminated());
}

TEST(ProviderLoadingTest, OneProviderServesConcurrentRequests)
{
    Server server;
    server.registerWidgetProvider();
    const Uint32 kThreads = 4;
    std::atomic<int> met(0);
    std::vector<std::thread> threads;
    for (Uint32 i = 0; i < kThreads; i++)
        threads.emplace_back([&] {
            Array<CIMParamValue> in;
            in.append(CIMParamValue("Count", CIMValue(kThreads)));
            Result r = server.run(CimXmlRequestEncoder::invokeMethod(
                "1", kTestNs, pathOf("Test_Widget", "w"), "Rendezvous", in));
            if (r.ok() && str(r.response.returnValue.toString()) == "TRUE")
                ++met;
        });
    for (std::thread& t : threads)
        t.join();
    // Each call returned only after all of them were inside the provider.
    EXPECT_EQ(int(kThreads), met.load());
}

// A provider compiled into the server, for a class the repository lacks.
class BuiltinThing : public CIMInstanceProvider, public CIMMethodProvider
{
public:
    BuiltinThing(int& initializeCalls, int& terminateCalls)
        : _initializeCalls(initializeCalls), _terminateCalls(terminateCalls)
    {
    }
    void initialize(CIMOMHandle&) override { ++_initializeCalls; }
    void terminate() override
    {
        ++_terminateCalls;
        delete this;
    }
    void getInstance(const OperationContext&, const CIMObjectPath&, const Boolean,
                     const Boolean, const CIMPropertyList&,
                     InstanceResponseHandler& handler) override
    {
        handler.processing();
        handler.deliver(thing());
        handler.complete();
    }
    void enumerateInstances(const OperationContext&, const CIMObjectPath&, const Boolean,
                            const Boolean, const CIMPropertyList&,
                            InstanceResponseHandler& handler) override
    {
        handler.processing();
        handler.deliver(thing());
        handler.complete();
    }
    void enumerateInstanceNames(const OperationContext&, const CIMObjectPath&,
                                ObjectPathResponseHandler& handler) override
    {
        handler.processing();
        handler.deliver(thing().getPath());
        handler.complete();
    }
    void modifyInstance(const OperationContext&, const CIMObjectPath&, const CIMInstance&,
                        const Boolean, const CIMPropertyList&, ResponseHandler&) override
    {
        throw CIMNotSupportedException("read only");
    }
    void createInstance(const OperationContext&, const CIMObjectPath&, const CIMInstance&,
                        ObjectPathResponseHandler&) override
    {
        throw CIMNotSupportedException("read only");
    }
    void deleteInstance(const OperationContext&, const CIMObjectPath&,
                        ResponseHandler&) override
    {
        throw CIMNotSupportedException("read only");
    }
    void invokeMethod(const OperationContext&, const CIMObjectPath&, const CIMName& method,
                      const Array<CIMParamValue>&,
                      MethodResultResponseHandler& handler) override
    {
        handler.processing();
        handler.deliver(CIMValue(String("pong:") + method.getString()));
        handler.complete();
    }

private:
    static CIMInstance thing()
    {
        CIMInstance i("PG_Thing");
        i.addProperty(CIMProperty("Name", String("only")));
        i.setPath(CIMObjectPath("PG_Thing.Name=\"only\""));
        return i;
    }
    int& _initializeCalls;
    int& _terminateCalls;
};

TEST(ProviderLoadingTest, BuiltinProviderServesAClassOutsideTheRepository)
{
    int initializeCalls = 0, terminateCalls = 0;
    const CIMNamespaceName internal("root/PG_Internal");
    Server server;
    server.manager->registerBuiltinProvider(
        internal, "PG_Thing", new BuiltinThing(initializeCalls, terminateCalls));
    EXPECT_EQ(1, initializeCalls);

    Result listed = server.run(CimXmlRequestEncoder::enumerateInstances("1", internal, "pg_thing"));
    ASSERT_TRUE(listed.ok()) << listed.description();
    ASSERT_EQ(1u, listed.response.instances.size());
    EXPECT_EQ("PG_Thing.Name=\"only\"", str(listed.response.instances[0].getPath().toString()));

    Result called = server.run(CimXmlRequestEncoder::invokeMethod(
        "1", internal, CIMObjectPath("PG_Thing"), "Ping", Array<CIMParamValue>()));
    ASSERT_TRUE(called.ok()) << called.description();
    EXPECT_EQ("pong:Ping", str(called.response.returnValue.toString()));

    Result refused = server.run(CimXmlRequestEncoder::deleteInstance(
        "1", internal, CIMObjectPath("PG_Thing.Name=\"only\"")));
    EXPECT_EQ("CIM_ERR_NOT_SUPPORTED: read only", refused.description());

    // Elsewhere the class is unknown.
    Result other = server.run(CimXmlRequestEncoder::enumerateInstances("1", kTestNs, "PG_Thing"));
    EXPECT_EQ(CIM_ERR_INVALID_CLASS, other.outcome.code);

    server.manager->terminateAll();
    server.manager->terminateAll();
    EXPECT_EQ(1, terminateCalls);
}

}  // namespace
