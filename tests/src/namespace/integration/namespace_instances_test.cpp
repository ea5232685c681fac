// Instances and methods through a started namespace and the test vendor
// providers in the real CIM server: enumeration across providers, single
// instances with and without a server namespace, both forms of method
// calls, and the faults that must stay confined (a slow provider, one that
// throws, a property of an undeclared type, the server killed in the middle
// of an enumeration).  All cases share one started namespace (one process);
// the last one kills its server.
#include <signal.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include <Pegasus/Common/Exception.h>

#include "ICIMInstance.h"
#include "ICIMProperty.h"
#include "TConfig.h"
#include "TInmemNamespace.h"
#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSInstance.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSNamespaceProvider.h"

#include "StagedServer.h"

using namespace NQRVKTA20;
namespace fs = std::filesystem;

namespace {

class PegasusNamespaceInstances : public nsptest::StartedNamespace {
protected:
    static void SetUpTestSuite()
    {
        TConfig::GetInstance().setValue("pegasus_multi_thread", "off");
        Start("nsptest_instances", NSPTEST_PROVIDERS_DIR,
              {"nsptestalpha", "nsptestbeta", "nsptestdelta", "nsptestgamma"});
    }

    static boost::shared_ptr<TPEGASUSClass> Get(std::string const& name, std::string const& nsp)
    {
        TCIMContext context;
        context["nsp"] = TCIMValue(nsp);
        return boost::dynamic_pointer_cast<TPEGASUSClass>(sNamespace->GetClass(name, context));
    }

    // The key values of the instances handed to the callback, in order; the
    // callback answers `goOn` for each.
    static std::vector<std::string> Names(boost::shared_ptr<TPEGASUSClass> const& cls,
                                          std::function<bool(std::size_t)> goOn = {})
    {
        std::vector<std::string> names;
        cls->EnumerateInstances(
            [&](boost::shared_ptr<ICIMInstance> instance) {
                names.push_back(Value(instance, "Name").ToString(10));
                return goOn ? goOn(names.size()) : true;
            },
            false, TCIMContext());
        return names;
    }

    static TCIMValue Value(boost::shared_ptr<ICIMInstance> const& instance, std::string const& name)
    {
        return instance->GetProperty(name, TCIMContext())->GetValue(TCIMContext());
    }

    static void SetDelay(std::string const& seconds)
    {
        if (seconds.empty())
            fs::remove(*sRoot / "pegasus/nsptest_delay");
        else
            nsptest::WriteFile(*sRoot / "pegasus/nsptest_delay", seconds);
    }
};

TEST_F(PegasusNamespaceInstances, ProvidersAreReadInOrderAndAFalseStopsThemAll)
{
    boost::shared_ptr<TPEGASUSClass> items = Get("NSPTEST_AlphaItem", "root/nsptest_alpha");
    ASSERT_TRUE(items);
    EXPECT_EQ(std::vector<std::string>(
                  {"item-1", "item-2", "item-3", "delta-item-1", "delta-item-2"}),
              Names(items));
    EXPECT_EQ(5u, items->GetInstances().size());
    // beta's namespace lacks the class; the walk goes on.
    EXPECT_EQ(1u, fLog.Matching("TPEGASUSClass:EnumerateInstances. NSP :root/nsptest_beta Do not "
                                "have class NSPTEST_AlphaItemwith pegasus exeption: ").size());
    EXPECT_EQ(4u, fLog.Matching("TPEGASUSClass:EnumerateInstances. Calling NSP =  ").size());

    // Values arrive converted, and each instance knows where it came from.
    boost::shared_ptr<ICIMInstance> second;
    items->EnumerateInstances(
        [&second](boost::shared_ptr<ICIMInstance> instance) {
            second = instance;
            return Value(instance, "Name").ToString(10) != "delta-item-1";
        },
        false, TCIMContext());
    ASSERT_TRUE(second);
    EXPECT_EQ(TCIMValue(100u), Value(second, "Size"));
    EXPECT_EQ(std::string("{blue}"), Value(second, "Tags").ToString(10));
    EXPECT_EQ("root/nsptest_delta", second->GetPegasusNSPStr());
    EXPECT_EQ(4u, items->GetInstances().size());

    // A false on the first instance stops every provider.
    EXPECT_EQ(std::vector<std::string>({"item-1"}),
              Names(items, [](std::size_t) { return false; }));
    EXPECT_EQ(1u, items->GetInstances().size());
}

TEST_F(PegasusNamespaceInstances, NullInstanceIdAndReferencesArrive)
{
    boost::shared_ptr<TPEGASUSClass> shared = Get("NSPTEST_Shared", "root/nsptest_alpha");
    ASSERT_TRUE(shared);
    std::map<std::string, boost::shared_ptr<ICIMInstance>> byName;
    shared->EnumerateInstances(
        [&byName](boost::shared_ptr<ICIMInstance> instance) {
            byName[Value(instance, "Name").ToString(10)] = instance;
            return true;
        },
        false, TCIMContext());
    ASSERT_EQ(5u, byName.size());
    boost::shared_ptr<ICIMInstance> first = byName["alpha-shared-1"], second = byName["alpha-shared-2"];
    ASSERT_TRUE(first && second);
    EXPECT_EQ(TCIMValue(std::string("alpha:1")), Value(first, "InstanceID"));
    // A null InstanceID becomes an empty string; other nulls stay null.
    EXPECT_EQ(TCIMValue(std::string()), Value(second, "InstanceID"));
    EXPECT_TRUE(Value(byName["delta-shared-2"], "Item").IsNull());
    TCIMValue const item = Value(first, "Item");
    EXPECT_EQ(kReference, item.GetType());
    EXPECT_EQ("NSPTEST_AlphaItem", static_cast<TCIMReference>(item).GetClassName());
    // A reference to a class nobody knows still arrives as its path.
    EXPECT_EQ("NSPTEST_Nowhere", static_cast<TCIMReference>(Value(second, "Item")).GetClassName());
}

TEST_F(PegasusNamespaceInstances, SingleInstancesWithAndWithoutServerNamespace)
{
    boost::shared_ptr<TPEGASUSClass> items = Get("NSPTEST_AlphaItem", "root/nsptest_alpha");
    ASSERT_TRUE(items);
    std::size_t const cached = items->GetInstances().size();
    TCIMReference reference;
    reference.SetPath("NSPTEST_AlphaItem.Name=\"item-2\"");

    // Without "nsp": the class's own server namespace.
    boost::shared_ptr<ICIMInstance> found = sNamespace->GetInstance(reference, TCIMContext());
    ASSERT_TRUE(found);
    EXPECT_EQ(TCIMValue(std::string("item-2")), Value(found, "Name"));
    EXPECT_EQ(cached, items->GetInstances().size());

    // With "nsp": only the provider of that namespace is read.
    TCIMContext delta;
    delta["nsp"] = TCIMValue(std::string("root/nsptest_delta"));
    EXPECT_FALSE(items->GetInstance(reference, delta));
    reference.SetPath("NSPTEST_AlphaItem.Name=\"delta-item-2\"");
    found = items->GetInstance(reference, delta);
    ASSERT_TRUE(found);
    EXPECT_EQ(TCIMValue(200u), Value(found, "Size"));
    EXPECT_EQ("root/nsptest_delta", found->GetPegasusNSPStr());

    // A namespace no provider has: no server request at all.
    TCIMContext nowhere;
    nowhere["nsp"] = TCIMValue(std::string("root/nowhere"));
    std::size_t const calling = fLog.Matching("GetInstanceWithNsp. Calling NSP =  ").size();
    EXPECT_FALSE(items->GetInstance(reference, nowhere));
    EXPECT_EQ(calling + 4, fLog.Matching("GetInstanceWithNsp. Calling NSP =  ").size());
    // The path must match byte for byte.
    reference.SetPath("NSPTEST_AlphaItem.Name=\"ITEM-2\"");
    EXPECT_FALSE(sNamespace->GetInstance(reference, TCIMContext()));
}

TEST_F(PegasusNamespaceInstances, MethodsOnInstancesAndThroughPaths)
{
    boost::shared_ptr<TPEGASUSClass> ports = Get("NSPTEST_BetaPort", "root/nsptest_beta");
    ASSERT_TRUE(ports);
    boost::shared_ptr<ICIMInstance> port;
    ports->EnumerateInstances(
        [&port](boost::shared_ptr<ICIMInstance> instance) {
            port = instance;
            return false;
        },
        false, TCIMContext());
    ASSERT_TRUE(port);

    // Instance form: every argument goes as an object path made of its
    // text, by its parameter's IN and OUT qualifiers.
    TCIMContext in, out;
    in["Scale"] = TCIMValue(std::string("NSPTEST_BetaPort.PortNumber=4"));
    in["Received"] = TCIMValue(std::string("NSPTEST_Placeholder"));
    out["Sent"] = TCIMValue(std::string("kept"));
    in["Sent"] = TCIMValue(std::string("NSPTEST_Placeholder"));
    TCIMValue result = port->InvokeMethod("GetCounters", in, out, TCIMContext());
    EXPECT_EQ(TCIMValue(0u), result);
    EXPECT_EQ(TCIMValue(4000ull), out["Received"]);
    EXPECT_EQ(TCIMValue(std::string("kept")), out["Sent"]);
    // Every output the server answered is added, logged one by one.
    EXPECT_EQ(TCIMValue(std::string("{received, sent}")).ToString(10), out["Names"].ToString(10));
    EXPECT_EQ(4u, fLog.Matching("adding output param : ").size());

    // A server error: logged, null result, the outputs as sent.
    TCIMContext failedOut;
    TCIMContext none;
    result = port->InvokeMethod("Fail", none, failedOut, TCIMContext());
    EXPECT_TRUE(result.IsNull());
    EXPECT_EQ(1u, fLog.Matching("pegClient->invokeMethod returned exception: CIM_ERR_FAILED: "
                                "port refused").size());
    // An argument the method does not declare: the lookup's status.
    TCIMContext unknown;
    unknown["Nope"] = TCIMValue(std::string("x"));
    EXPECT_EQ(TKTAStatusCode::kNotFound, nsptest::StatusOf([&] {
                  port->InvokeMethod("GetCounters", unknown, failedOut, TCIMContext());
              }));

    // Class form: typed arguments; server errors reach the caller.
    TCIMReference path;
    path.SetPath("NSPTEST_BetaPort.PortNumber=1");
    TCIMContext typed, typedOut;
    typed["Scale"] = TCIMValue(static_cast<unsigned short>(3));
    typed["Label"] = TCIMValue(std::string("eth"));
    result = ports->InvokeMethod(path, "GetCounters", typed, typedOut, TCIMContext());
    EXPECT_EQ(TCIMValue(0u), result);
    EXPECT_EQ(TCIMValue(3000ull), typedOut["Received"]);
    EXPECT_EQ(TCIMValue(30ull), typedOut["Sent"]);
    EXPECT_EQ(TCIMValue(std::string("eth-counted")), typedOut["Label"]);
    EXPECT_EQ(std::string("{received, sent}"), typedOut["Names"].ToString(10));
    EXPECT_THROW(ports->InvokeMethod(path, "Fail", none, typedOut, TCIMContext()),
                 Pegasus::Exception);
    TCIMContext untouched;
    EXPECT_TRUE(ports->InvokeMethod("GetCounters", typed, untouched, TCIMContext()).IsNull());
    EXPECT_TRUE(untouched.empty());
}

TEST_F(PegasusNamespaceInstances, ASlowAThrowingAndAnOddProviderLoseNothingElse)
{
    // The class's own time-out (2 s from its requested-class entry) ends the
    // slow provider's answer; the walk goes on.
    boost::shared_ptr<TPEGASUSClass> slow = Get("NSPTEST_SlowItem", "root/nsptest_delta");
    ASSERT_TRUE(slow);
    EXPECT_EQ(2000, slow->GetTimeout());
    SetDelay("3");
    EXPECT_TRUE(Names(slow).empty());
    SetDelay("");
    std::vector<nsptest::LogRecord> timedOut =
        fLog.Matching("Get Instances for: NSPTEST_SlowItem returned ConnectionTimeoutException: ");
    ASSERT_EQ(1u, timedOut.size());
    EXPECT_EQ(0, timedOut[0].severity);
    EXPECT_EQ(1u, fLog.Matching("TPEGASUSClass:EnumerateInstances. NSP :root/nsptest_gamma Do not "
                                "have class NSPTEST_SlowItem").size());
    // The provider's client reconnects on the next request.
    EXPECT_EQ(std::vector<std::string>({"slow-1", "slow-2"}), Names(slow));

    boost::shared_ptr<TPEGASUSClass> throwing = Get("NSPTEST_Throwing", "root/nsptest_gamma");
    ASSERT_TRUE(throwing);
    EXPECT_TRUE(Names(throwing).empty());
    EXPECT_EQ(1u, fLog.Matching("DEBUG1:TPEGASUSClass::EnumerateInstances from Pegasus for: "
                                "NSPTEST_Throwing returned exception: CIM_ERR_FAILED: gamma "
                                "refused").size());

    // A value of a type the class does not declare loses that property only.
    boost::shared_ptr<TPEGASUSClass> odd = Get("NSPTEST_Odd", "root/nsptest_gamma");
    ASSERT_TRUE(odd);
    std::map<std::string, TCIMValue> counts;
    odd->EnumerateInstances(
        [&counts](boost::shared_ptr<ICIMInstance> instance) {
            counts[Value(instance, "Name").ToString(10)] = Value(instance, "Count");
            return true;
        },
        false, TCIMContext());
    ASSERT_EQ(2u, counts.size());
    EXPECT_TRUE(counts["odd-1"].IsNull());
    EXPECT_EQ(TCIMValue(7u), counts["odd-2"]);
    EXPECT_EQ(1u, fLog.Matching("4TPEGASUSClass::EnumerateInstances - Unable to retrieve "
                                "property: Count").size());
}

// Last: kills the shared server.
TEST_F(PegasusNamespaceInstances, ServerKilledDuringTheSecondProviderLosesNoCollectedInstance)
{
    boost::shared_ptr<TPEGASUSClass> shared = Get("NSPTEST_Shared", "root/nsptest_alpha");
    ASSERT_TRUE(shared);
    std::ifstream startFile(StartFile());
    int pid = 0;
    startFile >> pid;
    ASSERT_GT(pid, 0);

    // alpha answers at once; delta sleeps, and the server is killed while
    // it does.
    SetDelay("5");
    std::thread killer;
    std::vector<std::string> names = Names(shared, [&](std::size_t count) {
        if (count == 2)
            killer = std::thread([pid]() {
                usleep(500 * 1000);
                kill(pid, SIGKILL);
            });
        return true;
    });
    if (killer.joinable())
        killer.join();
    SetDelay("");
    EXPECT_EQ(std::vector<std::string>({"alpha-shared-1", "alpha-shared-2"}), names);
    EXPECT_EQ(2u, shared->GetInstances().size());
    // delta's request failed when the server went, gamma's could not be
    // made; both were logged and the enumeration ended normally.
    EXPECT_EQ(1u, fLog.Matching("DEBUG1:TPEGASUSClass::EnumerateInstances from Pegasus for: "
                                "NSPTEST_Shared returned exception: ").size());
    EXPECT_EQ(1u, fLog.Matching("TPEGASUSClass:EnumerateInstances. NSP :root/nsptest_gamma Do "
                                "not have class NSPTEST_Shared").size());
}

} // namespace
