// The test vendor provider directories that the build assembles work with
// the real server programs, without the plug-in: a root laid out like an
// installation holds copies of them under pegasus/provider/, the staged
// cimserver runs with that root's pegasus/ as PEGASUS_HOME and the provider
// directories as its providerDir, each directory's MOF files are compiled
// the way the plug-in compiles them, and our client then gets every
// provider's instances, calls its methods and sees its failures.  Fails when a staged program, a schema file or a
// provider file is missing.
#include <signal.h>
#include <unistd.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <Pegasus/Client/CIMClient.h>

#include "TOSSpecific.h"

#include "../../../providers/ProviderTestSupport.h"

using namespace Pegasus;
namespace fs = std::filesystem;
using NQRVKTA20::TOSSpecific;
using providertest::Qualifier;
using providertest::Text;

namespace {

std::string const kStagePegasus = std::string(KTA_STAGE_DIR) + "/pegasus";
std::string const kProviders = NSPTEST_PROVIDERS_DIR;
std::vector<std::string> const kNames = {"nsptestalpha", "nsptestbeta", "nsptestdelta",
                                          "nsptestgamma"};

// Key values (as text) of the instances, sorted.
std::vector<std::string> Keys(Array<CIMInstance> const& instances, const char* key)
{
    std::vector<std::string> keys;
    for (Uint32 i = 0; i < instances.size(); i++) {
        Uint32 const at = instances[i].findProperty(key);
        keys.push_back(at == PEG_NOT_FOUND
                           ? "<no " + std::string(key) + ">"
                           : Text(instances[i].getProperty(at).getValue().toString()));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

CIMValue ValueOf(Array<CIMInstance> const& instances, const char* key, const char* keyValue,
                 const char* property)
{
    for (Uint32 i = 0; i < instances.size(); i++) {
        Uint32 const k = instances[i].findProperty(key);
        Uint32 const p = instances[i].findProperty(property);
        if (k != PEG_NOT_FOUND && p != PEG_NOT_FOUND &&
            Text(instances[i].getProperty(k).getValue().toString()) == keyValue)
            return instances[i].getProperty(p).getValue();
    }
    return CIMValue();
}

TEST(ProviderDirectories, RegisterAndServeThroughTheStagedServer)
{
    for (const char* rel : {"bin/cimserver", "bin/cimmof", "bin/cimconfig",
                            "pegSchema/PG_Internal/PG_Internal.mof",
                            "pegSchema/PG_InterOp/PG_InterOp.mof", "pegSchema/CIM/CIM_Base.mof"})
        ASSERT_TRUE(fs::exists(kStagePegasus + "/" + rel)) << "not staged: " << rel;
    for (std::string const& name : kNames)
        for (std::string const& file : {name + ".classes.xml", name + ".properties.mof",
                                        name + ".registration.mof", "lib" + name + ".so"})
            ASSERT_TRUE(fs::is_regular_file(kProviders + "/" + name + "/" + file))
                << "not assembled: " << kProviders << "/" << name << "/" << file;

    // The server, its schemas and its provider directories, as the plug-in
    // sets them up.
    nsptest::StagedServer server;
    std::string providerDir = "providerDir=";
    for (std::string const& name : kNames) {
        fs::copy(kProviders + "/" + name, server.Home() + "/provider/" + name);
        providerDir += "provider/" + name + ":";
    }
    ASSERT_NE(0u, server.Port());
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(server.Succeeds("cimmof", {"-n", "root/PG_Internal", "-aE",
                                           server.Home() + "/pegSchema/PG_Internal/PG_Internal.mof"}));
    ASSERT_TRUE(server.Succeeds("cimmof", {"-n", "root/PG_InterOp", "-aE",
                                           server.Home() + "/pegSchema/PG_InterOp/PG_InterOp.mof"}));
    ASSERT_TRUE(server.Succeeds("cimconfig", {"-s", providerDir}));

    // Each directory's class definitions into its own namespace, then its
    // registration; every requested class is then in that namespace.
    CIMClient client;
    client.setTimeout(30000);
    client.connect("127.0.0.1", server.Port(), "", "");
    std::map<std::string, nsptest::RequestedClasses> requested;
    for (std::string const& name : kNames) {
        std::string const dir = server.Home() + "/provider/" + name + "/";
        requested[name] = nsptest::ReadRequestedClasses(dir + name + ".classes.xml");
        nsptest::RequestedClasses const& r = requested[name];
        ASSERT_FALSE(r.nsp.empty()) << name;
        ASSERT_TRUE(server.Succeeds("cimmof", {"-n", r.nsp, "-aE", dir + name + ".properties.mof"}));
        ASSERT_TRUE(server.Succeeds("cimmof", {"-n", "root/PG_InterOp", "-aE",
                                               dir + name + ".registration.mof"}));
        for (std::string const& cls : r.classes)
            EXPECT_EQ(cls, std::string(client.getClass(r.nsp.c_str(), cls.c_str())
                                           .getClassName().getString().getCString()))
                << r.nsp;
    }
    EXPECT_EQ((std::vector<std::string>{"NSPTEST_AlphaItem", "NSPTEST_AlphaGroup"}),
              requested["nsptestalpha"].classes);
    EXPECT_EQ("root/nsptest_beta", requested["nsptestbeta"].nsp);
    EXPECT_EQ(3u, requested["nsptestgamma"].classes.size());
    EXPECT_EQ((std::vector<std::string>{"NSPTEST_AlphaItem", "NSPTEST_SlowItem"}),
              requested["nsptestdelta"].classes);

    // What every class serves, by key (deep enumeration of the abstract
    // base reaches its subclass's provider; NSPTEST_AlphaItem and
    // NSPTEST_Shared are served in several namespaces, each by its own
    // provider).
    struct Served {
        const char* nsp;
        const char* cls;
        const char* key;
        std::vector<std::string> keys;
    };
    std::vector<Served> const served = {
        {"root/nsptest_alpha", "NSPTEST_AlphaItem", "Name", {"item-1", "item-2", "item-3"}},
        {"root/nsptest_alpha", "NSPTEST_AlphaGroup", "Name", {"group-1"}},
        {"root/nsptest_beta", "NSPTEST_BetaPort", "PortNumber", {"1", "2"}},
        {"root/nsptest_beta", "NSPTEST_BetaDevice", "DeviceID", {"beta-0"}},
        {"root/nsptest_gamma", "NSPTEST_GammaLeaf", "Id", {"leaf-1", "leaf-2"}},
        {"root/nsptest_gamma", "NSPTEST_GammaHidden", "Id", {"hidden-1"}},
        {"root/nsptest_gamma", "NSPTEST_GammaBase", "Id", {"leaf-1", "leaf-2"}},
        {"root/nsptest_delta", "NSPTEST_AlphaItem", "Name", {"delta-item-1", "delta-item-2"}},
        {"root/nsptest_delta", "NSPTEST_SlowItem", "Name", {"slow-1", "slow-2"}},
        {"root/nsptest_alpha", "NSPTEST_Shared", "Name", {"alpha-shared-1", "alpha-shared-2"}},
        {"root/nsptest_delta", "NSPTEST_Shared", "Name", {"delta-shared-1", "delta-shared-2"}},
        {"root/nsptest_gamma", "NSPTEST_Shared", "Name", {"gamma-shared-1"}},
        {"root/nsptest_gamma", "NSPTEST_Odd", "Name", {"odd-1", "odd-2"}},
    };
    // Instances by namespace and class ("root/nsptest_alpha:NSPTEST_Shared").
    std::map<std::string, Array<CIMInstance>> instances;
    for (Served const& s : served) {
        std::string const at = std::string(s.nsp) + ":" + s.cls;
        try {
            instances[at] = client.enumerateInstances(s.nsp, s.cls);
        } catch (CIMException const& e) {
            ADD_FAILURE() << at << ": " << Text(e.getMessage());
        }
        EXPECT_EQ(s.keys, Keys(instances[at], s.key)) << at;
    }

    // alpha: values of each type, an empty array kept apart from null, and
    // one instance fetched by its path.
    Array<CIMInstance> const& items = instances["root/nsptest_alpha:NSPTEST_AlphaItem"];
    EXPECT_EQ("20", Text(ValueOf(items, "Name", "item-2", "Size").toString()));
    EXPECT_EQ("red green ", Text(ValueOf(items, "Name", "item-2", "Tags").toString()));
    CIMValue const noTags = ValueOf(items, "Name", "item-3", "Tags");
    EXPECT_TRUE(noTags.isArray() && !noTags.isNull() && noTags.getArraySize() == 0u);
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Name", "item-1", CIMKeyBinding::STRING));
    CIMInstance const one = client.getInstance(
        "root/nsptest_alpha", CIMObjectPath(String(), CIMNamespaceName(), "NSPTEST_AlphaItem", keys));
    EXPECT_EQ("10", Text(one.getProperty(one.findProperty("Size")).getValue().toString()));

    // beta: a 64-bit value past 32 bits, and the qualifiers the host reads.
    Array<CIMInstance> const& ports = instances["root/nsptest_beta:NSPTEST_BetaPort"];
    CIMValue const speed = ValueOf(ports, "PortNumber", "2", "Speed");
    EXPECT_EQ(CIMTYPE_UINT64, speed.getType());
    EXPECT_EQ("10000000000", Text(speed.toString()));
    EXPECT_EQ("3", Text(ValueOf(ports, "PortNumber", "2", "State").toString()));
    CIMClass const port = client.getClass("root/nsptest_beta", "NSPTEST_BetaPort", false);
    EXPECT_EQ("Bits per Second", Qualifier(port, "Units", "Speed"));
    EXPECT_EQ("0 2 3 ", Qualifier(port, "ValueMap", "State"));
    EXPECT_EQ("Unknown Up Down ", Qualifier(port, "Values", "State"));
    EXPECT_EQ("beta-host", Text(ValueOf(instances["root/nsptest_beta:NSPTEST_BetaDevice"],
                                        "DeviceID", "beta-0", "SystemName")
                                    .toString()));

    // gamma: the abstract base, the hidden class, and leaves reported as
    // their own class.
    EXPECT_EQ("TRUE", Qualifier(client.getClass("root/nsptest_gamma", "NSPTEST_GammaBase"),
                                    "Abstract"));
    EXPECT_EQ("TRUE", Qualifier(client.getClass("root/nsptest_gamma", "NSPTEST_GammaHidden"),
                                    "DONTCOLLECT"));
    Array<CIMInstance> const& bases = instances["root/nsptest_gamma:NSPTEST_GammaBase"];
    for (Uint32 i = 0; i < bases.size(); i++)
        EXPECT_EQ("NSPTEST_GammaLeaf", Text(bases[i].getClassName().getString()));
    EXPECT_EQ("2", Text(ValueOf(instances["root/nsptest_gamma:NSPTEST_GammaLeaf"], "Id", "leaf-2",
                                "Depth")
                            .toString()));

    // NSPTEST_Shared: a null string, a reference to a served item and one to
    // a class no namespace knows, both passed on as delivered.
    Array<CIMInstance> const& shared = instances["root/nsptest_alpha:NSPTEST_Shared"];
    EXPECT_TRUE(ValueOf(shared, "Name", "alpha-shared-2", "InstanceID").isNull());
    EXPECT_EQ("alpha:1", Text(ValueOf(shared, "Name", "alpha-shared-1", "InstanceID").toString()));
    for (auto const& [name, path] : std::map<std::string, std::string>{
             {"alpha-shared-1", "NSPTEST_AlphaItem.Name=\"item-1\""},
             {"alpha-shared-2", "NSPTEST_Nowhere.Name=\"x\""}}) {
        CIMValue const item = ValueOf(shared, "Name", name.c_str(), "Item");
        EXPECT_EQ(CIMTYPE_REFERENCE, item.getType()) << name;
        EXPECT_EQ(path, Text(item.toString())) << name;
    }
    EXPECT_EQ("12", Text(ValueOf(instances["root/nsptest_delta:NSPTEST_Shared"], "Name",
                                 "delta-shared-2", "Value")
                             .toString()));

    // NSPTEST_Odd: the server hands on a value of another type than the
    // class declares.
    Array<CIMInstance> const& odd = instances["root/nsptest_gamma:NSPTEST_Odd"];
    EXPECT_EQ(CIMTYPE_STRING, ValueOf(odd, "Name", "odd-1", "Count").getType());
    EXPECT_EQ("many", Text(ValueOf(odd, "Name", "odd-1", "Count").toString()));
    EXPECT_EQ(CIMTYPE_UINT32, ValueOf(odd, "Name", "odd-2", "Count").getType());

    // A provider's CIMException reaches the client with its code and text.
    auto const failure = [](auto const& call) -> std::string {
        try {
            call();
        } catch (CIMException const& e) {
            return std::to_string(e.getCode()) + " " + Text(e.getMessage());
        }
        return "no error";
    };
    EXPECT_EQ("1 CIM_ERR_FAILED: gamma refused", failure([&] {
                  client.enumerateInstances("root/nsptest_gamma", "NSPTEST_Throwing");
              }));

    // The delay file holds the enumerations of delta's delayed classes for
    // the seconds it says, read anew on each call.
    std::ofstream(server.Home() + "/nsptest_delay") << "1\n";
    auto const secondsFor = [&](const char* cls) {
        auto const start = std::chrono::steady_clock::now();
        EXPECT_EQ(2u, client.enumerateInstances("root/nsptest_delta", cls).size()) << cls;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    EXPECT_GE(secondsFor("NSPTEST_SlowItem"), 1.0);
    EXPECT_GE(secondsFor("NSPTEST_Shared"), 1.0);
    fs::remove(server.Home() + "/nsptest_delay");
    EXPECT_LT(secondsFor("NSPTEST_SlowItem"), 1.0);

    // Methods of NSPTEST_BetaPort: typed in-parameters, and a Scale of a
    // type other than the declared uint16 (a reference), which the server
    // hands on as it came and the provider reads through its text.
    Array<CIMKeyBinding> portKeys;
    portKeys.append(CIMKeyBinding("PortNumber", "1", CIMKeyBinding::NUMERIC));
    CIMObjectPath const port1(String(), CIMNamespaceName(), "NSPTEST_BetaPort", portKeys);
    struct Call {
        CIMValue scale;
        std::string received;
        std::string sent;
    };
    for (Call const& c :
         {Call{CIMValue(Uint16(3)), "3000", "30"},
          Call{CIMValue(CIMObjectPath("NSPTEST_BetaPort.PortNumber=4")), "4000", "40"}}) {
        Array<CIMParamValue> in;
        Array<CIMParamValue> out;
        in.append(CIMParamValue("Scale", c.scale));
        in.append(CIMParamValue("Label", CIMValue(String("eth"))));
        CIMValue result;
        try {
            result = client.invokeMethod("root/nsptest_beta", port1, "GetCounters", in, out);
        } catch (CIMException const& e) {
            ADD_FAILURE() << Text(e.getMessage());
        }
        EXPECT_EQ(CIMTYPE_UINT32, result.getType());
        EXPECT_EQ("0", Text(result.toString()));
        std::map<std::string, std::string> outs;
        for (Uint32 i = 0; i < out.size(); i++)
            outs[Text(out[i].getParameterName())] = Text(out[i].getValue().toString());
        EXPECT_EQ((std::map<std::string, std::string>{{"Label", "eth-counted"},
                                                      {"Names", "received sent "},
                                                      {"Received", c.received},
                                                      {"Sent", c.sent}}),
                  outs);
    }
    Array<CIMParamValue> none;
    Array<CIMParamValue> target;
    target.append(CIMParamValue("Target", CIMValue(port1)));
    EXPECT_EQ("described NSPTEST_BetaPort.PortNumber=1",
              Text(client.invokeMethod("root/nsptest_beta", port1, "Describe", target, none)
                       .toString()));
    EXPECT_EQ("1 CIM_ERR_FAILED: port refused", failure([&] {
                  client.invokeMethod("root/nsptest_beta", port1, "Fail", Array<CIMParamValue>(),
                                      none);
              }));
    client.disconnect();
}

} // namespace
