// SIGKILL of the server in the middle of writes, by our client and by
// cimmof: the files a killed server leaves behind must not stop the next
// start, and the repository must hold every write that was acknowledged and
// take new ones.
#include "IntegrationSupport.h"

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

using namespace Pegasus;
using integration::describe;
using integration::server;
using integration::text;

namespace {

const char kNsName[] = "root/crash";
const CIMNamespaceName kNs(kNsName);

CIMInstance widget(const std::string& id, Uint32 size)
{
    CIMInstance instance("WT_Widget");
    instance.addProperty(CIMProperty("Id", String(id.c_str())));
    instance.addProperty(CIMProperty("Size", size));
    return instance;
}

std::set<std::string> widgetIds(CIMClient& client)
{
    std::set<std::string> ids;
    Array<CIMObjectPath> names = client.enumerateInstanceNames(kNs, "WT_Widget");
    for (Uint32 i = 0; i < names.size(); i++)
        ids.insert(text(names[i].getKeyBindings()[0].getValue()));
    return ids;
}

// Polls until `done` holds or about 20 s have passed.
template <typename Condition>
bool waitFor(Condition done)
{
    for (int i = 0; i < 2000; ++i)
    {
        if (done())
            return true;
        ::usleep(10000);
    }
    return false;
}

}  // namespace

TEST(CrashRecovery, KilledDuringWritesKeepsEveryAcknowledgedWrite)
{
    ASSERT_TRUE(server().ensureStarted());
    RunResult load = server().cimmof(kNsName, integration::sharedFile("wire/wiretest.mof"));
    ASSERT_EQ(load.status, 0) << describe(load);

    // A client writes until the server dies under it.
    std::mutex mutex;
    std::vector<std::string> acknowledged;
    std::atomic<bool> writerDone(false);
    std::thread writer([&] {
        try
        {
            CIMClient client;
            server().connect(client);
            for (Uint32 i = 0; i < 100000; ++i)
            {
                std::string id = "k" + std::to_string(i);
                client.createInstance(kNs, widget(id, i));
                std::lock_guard<std::mutex> lock(mutex);
                acknowledged.push_back(id);
            }
        }
        catch (const Exception&)
        {
            // The connection died with the server.
        }
        writerDone = true;
    });
    bool enough = waitFor([&] {
        std::lock_guard<std::mutex> lock(mutex);
        return acknowledged.size() >= 200 || writerDone;
    });
    server().kill();
    writer.join();
    ASSERT_TRUE(enough);
    ASSERT_GE(acknowledged.size(), 200u);
    // The point of the exercise: the start file of the dead server is
    // still there.
    ASSERT_TRUE(server().home().exists("cimserver_start.conf"));

    ASSERT_TRUE(server().start());
    CIMClient client;
    server().connect(client);
    std::set<std::string> ids = widgetIds(client);
    for (const std::string& id : acknowledged)
        EXPECT_EQ(ids.count(id), 1u) << id << " was acknowledged but is gone";
    // Beyond the three of the MOF and the acknowledged ones, at most the
    // single request that was in flight.
    EXPECT_LE(ids.size(), acknowledged.size() + 4);
    const std::string& last = acknowledged.back();
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Id", last.c_str(), CIMKeyBinding::STRING));
    CIMInstance stored = client.getInstance(
        kNs, CIMObjectPath(String(), CIMNamespaceName(), "WT_Widget", keys));
    Uint32 size = 0;
    stored.getProperty(stored.findProperty("Size")).getValue().get(size);
    EXPECT_EQ("k" + std::to_string(size), last);
    client.createInstance(kNs, widget("after-crash", 1));
    EXPECT_EQ(widgetIds(client).count("after-crash"), 1u);

    // The same with cimmof as the writer, killed while it loads.
    const int kTotal = 4000;
    std::string mof;
    for (int i = 0; i < kTotal; ++i)
        mof += "instance of WT_Widget { Id = \"c" + std::to_string(i) + "\"; };\n";
    server().home().write("many.mof", mof);
    auto loaded = [&] {
        std::set<std::string> now = widgetIds(client);
        int n = 0;
        for (const std::string& id : now)
            n += id[0] == 'c';
        return n;
    };
    RunResult interrupted;
    std::thread compiler(
        [&] { interrupted = server().cimmof(kNsName, server().home().file("many.mof")); });
    bool started = waitFor([&] { return loaded() >= 100; });
    server().kill();
    compiler.join();
    ASSERT_TRUE(started);
    EXPECT_NE(interrupted.status, 0) << describe(interrupted);

    ASSERT_TRUE(server().start());
    client.disconnect();
    server().connect(client);
    int survived = loaded();
    EXPECT_GE(survived, 100);
    EXPECT_LT(survived, kTotal);
    // Loading again fills in the rest; what survived is reported as there.
    RunResult again = server().cimmof(kNsName, server().home().file("many.mof"));
    EXPECT_EQ(again.status, 0) << describe(again);
    EXPECT_EQ(loaded(), kTotal);
    EXPECT_EQ(widgetIds(client).count("after-crash"), 1u);
}
