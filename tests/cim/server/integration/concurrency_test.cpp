// Many clients at once: client threads mixing reads and writes over TCP,
// then several cimmof processes loading into one namespace over the local
// socket.  Every request must succeed and every write must be kept.
#include "IntegrationSupport.h"

#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>

using namespace Pegasus;
using integration::describe;
using integration::server;
using integration::text;

namespace {

const char kNsName[] = "root/busy";
const CIMNamespaceName kNs(kNsName);

std::set<std::string> widgetIds(CIMClient& client)
{
    std::set<std::string> ids;
    Array<CIMObjectPath> names = client.enumerateInstanceNames(kNs, "WT_Widget");
    for (Uint32 i = 0; i < names.size(); i++)
        ids.insert(text(names[i].getKeyBindings()[0].getValue()));
    return ids;
}

}  // namespace

TEST(ConcurrentClients, ThreadsAndCimmofProcessesLoseNothing)
{
    ASSERT_TRUE(server().ensureStarted());
    RunResult load = server().cimmof(kNsName, integration::sharedFile("wire/wiretest.mof"));
    ASSERT_EQ(load.status, 0) << describe(load);

    const int kThreads = 8;
    const int kRequests = 50;
    std::atomic<int> failures(0);
    std::vector<std::string> firstError(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            try
            {
                CIMClient client;
                server().connect(client);
                for (int i = 0; i < kRequests; ++i)
                {
                    switch (i % 3)
                    {
                    case 0:
                        if (client.getClass(kNs, "WT_Widget").findProperty("Label") ==
                            PEG_NOT_FOUND)
                            throw std::runtime_error("class without Label");
                        break;
                    case 1:
                        // At least the three widgets of the MOF, whatever the
                        // other threads have added so far.
                        if (client.enumerateInstances(kNs, "WT_Widget").size() < 3)
                            throw std::runtime_error("widgets missing");
                        break;
                    default:
                    {
                        std::string id = "t" + std::to_string(t) + "-" + std::to_string(i);
                        CIMInstance widget("WT_Widget");
                        widget.addProperty(CIMProperty("Id", String(id.c_str())));
                        widget.addProperty(CIMProperty("Size", Uint32(i)));
                        client.createInstance(kNs, widget);
                    }
                    }
                }
            }
            catch (const Exception& e)
            {
                ++failures;
                firstError[t] = text(e.getMessage());
            }
            catch (const std::exception& e)
            {
                ++failures;
                firstError[t] = e.what();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(firstError[t], "") << "thread " << t;
    ASSERT_EQ(failures.load(), 0);

    std::set<std::string> expected = {"w1", "w2", "w3"};
    for (int t = 0; t < kThreads; ++t)
        for (int i = 2; i < kRequests; i += 3)
            expected.insert("t" + std::to_string(t) + "-" + std::to_string(i));
    CIMClient client;
    server().connect(client);
    EXPECT_EQ(widgetIds(client), expected);

    // Now cimmof processes, each loading instances of its own.
    const int kCompilers = 4;
    const int kInstancesEach = 40;
    for (int p = 0; p < kCompilers; ++p)
    {
        std::string mof;
        for (int i = 0; i < kInstancesEach; ++i)
        {
            std::string id = "m" + std::to_string(p) + "-" + std::to_string(i);
            mof += "instance of WT_Widget { Id = \"" + id + "\"; Size = " + std::to_string(i) +
                   "; };\n";
            expected.insert(id);
        }
        server().home().write("load" + std::to_string(p) + ".mof", mof);
    }
    std::vector<RunResult> results(kCompilers);
    threads.clear();
    for (int p = 0; p < kCompilers; ++p)
        threads.emplace_back([&, p] {
            results[p] = server().cimmof(
                kNsName, server().home().file("load" + std::to_string(p) + ".mof"));
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int p = 0; p < kCompilers; ++p)
        EXPECT_EQ(results[p].status, 0) << "cimmof " << p << ": " << describe(results[p]);
    EXPECT_EQ(widgetIds(client), expected);
}
