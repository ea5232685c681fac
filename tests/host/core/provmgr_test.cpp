#include "TNamespaceProviderManager.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "TRootObject.h"

using namespace NQRVKTA20;

namespace {

class FakeProvider : public INamespaceProvider {
public:
    explicit FakeProvider(const std::string& name) : fName(name) {}
    std::string const& GetName(TCIMContext) const override { return fName; }
    boost::shared_ptr<ICIMNamespace> AllocateNamespace(TCIMContext, bool,
                                                       std::string) const override
    {
        return boost::shared_ptr<ICIMNamespace>();
    }
    int GetType(TCIMContext) const override { return 0; }
    bool IsIndicationsSupported(TCIMContext) const override { return false; }

private:
    std::string fName;
};

boost::shared_ptr<INamespaceProvider> Make(const std::string& name)
{
    return boost::shared_ptr<INamespaceProvider>(new FakeProvider(name));
}

std::vector<std::string> Names(INamespaceProviderManager& manager)
{
    std::vector<std::string> names;
    manager.EnumerateNamespaceProviders(
        [&names](boost::shared_ptr<INamespaceProvider> p) {
            names.push_back(p->GetName(TCIMContext()));
            return true;
        });
    return names;
}

} // namespace

TEST(ProviderManager, RegisterFindUnregister)
{
    TNamespaceProviderManager manager;
    auto pegasus = Make("pegasus");
    auto inmem = Make("inmem");
    EXPECT_EQ(0u, manager.RegisterNamespaceProvider(pegasus));
    EXPECT_EQ(0u, manager.RegisterNamespaceProvider(inmem));
    EXPECT_EQ(pegasus, manager.FindNamespaceProvider("pegasus"));
    EXPECT_EQ(inmem, manager.FindNamespaceProvider("inmem"));
    EXPECT_FALSE(manager.FindNamespaceProvider("PEGASUS"));
    EXPECT_FALSE(manager.FindNamespaceProvider(""));

    EXPECT_EQ(0u, manager.UnregisterNamespaceProvider("pegasus"));
    EXPECT_FALSE(manager.FindNamespaceProvider("pegasus"));
    EXPECT_EQ(15u, manager.UnregisterNamespaceProvider("pegasus"));
    EXPECT_EQ(std::vector<std::string>{"inmem"}, Names(manager));
}

TEST(ProviderManager, RegistrationOutcomes)
{
    TNamespaceProviderManager manager;
    auto first = Make("pegasus");
    EXPECT_EQ(0u, manager.RegisterNamespaceProvider(first));
    EXPECT_EQ(0u, manager.RegisterNamespaceProvider(first));  // same object
    EXPECT_EQ(16u, manager.RegisterNamespaceProvider(Make("pegasus")));
    EXPECT_EQ(14u, manager.RegisterNamespaceProvider(
                       boost::shared_ptr<INamespaceProvider>()));
    EXPECT_EQ(first, manager.FindNamespaceProvider("pegasus"));
    EXPECT_EQ(std::vector<std::string>{"pegasus"}, Names(manager));
}

TEST(ProviderManager, EnumerationOrderStopAndReentry)
{
    TNamespaceProviderManager manager;
    for (const char* name : {"c", "a", "b"})
        manager.RegisterNamespaceProvider(Make(name));
    EXPECT_EQ((std::vector<std::string>{"c", "a", "b"}), Names(manager));

    int visited = 0;
    EXPECT_FALSE(manager.EnumerateNamespaceProviders(
        [&visited](boost::shared_ptr<INamespaceProvider>) {
            return ++visited < 2;
        }));
    EXPECT_EQ(2, visited);

    // A callback may use the manager (no lock is held during the walk).
    EXPECT_TRUE(manager.EnumerateNamespaceProviders(
        [&manager](boost::shared_ptr<INamespaceProvider> p) {
            std::string name = p->GetName(TCIMContext());
            return manager.FindNamespaceProvider(name) == p &&
                   manager.UnregisterNamespaceProvider(name) == 0;
        }));
    EXPECT_TRUE(Names(manager).empty());
}

TEST(ProviderManager, ConcurrentRegistrationKeepsEveryProvider)
{
    TNamespaceProviderManager manager;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&manager, t] {
            for (int i = 0; i < 100; ++i)
                manager.RegisterNamespaceProvider(
                    Make(std::to_string(t) + "-" + std::to_string(i)));
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(400u, Names(manager).size());
    EXPECT_TRUE(manager.FindNamespaceProvider("3-99"));
}

TEST(ProviderManager, RootObjectHandsOutOneManager)
{
    auto manager = TRootObject::GetNamespaceProviderManager();
    ASSERT_TRUE(manager);
    EXPECT_EQ(manager, TRootObject::GetNamespaceProviderManager());
    auto provider = Make("provmgr-test");
    EXPECT_EQ(0u, manager->RegisterNamespaceProvider(provider));
    EXPECT_EQ(provider, TRootObject::GetNamespaceProviderManager()
                            ->FindNamespaceProvider("provmgr-test"));
    EXPECT_EQ(0u, manager->UnregisterNamespaceProvider("provmgr-test"));
}
