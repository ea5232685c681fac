// A real WBEM client (wbemcli) against our server, with the wire-test
// schema loaded by our cimmof: what wbemcli prints must carry the values
// the MOF gave, and what it creates must reach the repository typed.
#include "IntegrationSupport.h"

#include <unistd.h>

using namespace Pegasus;
using integration::describe;
using integration::server;

namespace {

const char kWbemcli[] = "/usr/bin/wbemcli";

struct Wbemcli
{
    std::string base;  // http://127.0.0.1:<port>/root/wire

    RunResult operator()(const std::vector<std::string>& args) const
    {
        return runProgram(kWbemcli, args, {"PATH=/usr/bin:/bin"});
    }
    std::string at(const std::string& object) const { return base + ":" + object; }
};

std::size_t countOf(const std::string& haystack, const std::string& needle)
{
    std::size_t n = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size()))
        ++n;
    return n;
}

}  // namespace

TEST(Wbemcli, BrowsesCreatesAndDeletesInTheWireNamespace)
{
    ASSERT_EQ(::access(kWbemcli, X_OK), 0)
        << kWbemcli << " is missing: install sblim-wbemcli (setup.sh does)";
    ASSERT_TRUE(server().ensureStarted());
    RunResult load = server().cimmof("root/wire", integration::sharedFile("wire/wiretest.mof"));
    ASSERT_EQ(load.status, 0) << describe(load);

    Wbemcli wbemcli{"http://127.0.0.1:" + std::to_string(server().port()) + "/root/wire"};

    RunResult ecn = wbemcli({"ecn", wbemcli.base});
    ASSERT_EQ(ecn.status, 0) << describe(ecn);
    EXPECT_NE(ecn.out.find("WT_Base"), std::string::npos) << ecn.out;
    EXPECT_NE(ecn.out.find("WT_Widget"), std::string::npos) << ecn.out;

    RunResult gc = wbemcli({"gc", wbemcli.at("WT_Widget")});
    ASSERT_EQ(gc.status, 0) << describe(gc);
    // wbemcli shows a class as the names of its properties, the inherited
    // key first.
    EXPECT_NE(gc.out.find(":WT_Widget Id=,Label=,Size=,Big=,Flag=,When=,States=,Tags=,"
                          "Weight=,Delta=\n"),
              std::string::npos)
        << gc.out;

    RunResult ein = wbemcli({"ein", wbemcli.at("WT_Widget")});
    ASSERT_EQ(ein.status, 0) << describe(ein);
    for (const char* id : {"Id=\"w1\"", "Id=\"w2\"", "Id=\"w3\""})
        EXPECT_EQ(countOf(ein.out, id), 1u) << id << " in " << ein.out;

    RunResult ei = wbemcli({"ei", wbemcli.at("WT_Widget")});
    ASSERT_EQ(ei.status, 0) << describe(ei);
    EXPECT_EQ(countOf(ei.out, ":WT_Widget.Id="), 3u) << ei.out;
    EXPECT_NE(ei.out.find("Label=\"Second\""), std::string::npos) << ei.out;
    EXPECT_NE(ei.out.find("Size=30"), std::string::npos) << ei.out;
    EXPECT_NE(ei.out.find("Big=12345678901234,Flag=TRUE"), std::string::npos) << ei.out;
    EXPECT_NE(ei.out.find("Tags=\"a\",\"b\""), std::string::npos) << ei.out;

    RunResult gi = wbemcli({"gi", wbemcli.at("WT_Widget.Id=\"w2\"")});
    ASSERT_EQ(gi.status, 0) << describe(gi);
    EXPECT_NE(gi.out.find("Label=\"Second\""), std::string::npos) << gi.out;
    EXPECT_NE(gi.out.find("Size=20"), std::string::npos) << gi.out;
    EXPECT_EQ(gi.out.find("Label=\"First"), std::string::npos) << gi.out;

    // Create: the values wbemcli sends as text must be stored with the
    // class's types.
    RunResult ci = wbemcli({"ci", wbemcli.at("WT_Widget.Id=\"w9\""),
                            "Id=\"w9\",Label=\"nine lives\",Size=9,Flag=true"});
    ASSERT_EQ(ci.status, 0) << describe(ci);
    CIMClient client;
    server().connect(client);
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Id", "w9", CIMKeyBinding::STRING));
    CIMInstance created = client.getInstance(
        "root/wire", CIMObjectPath(String(), CIMNamespaceName(), "WT_Widget", keys));
    CIMValue size = created.getProperty(created.findProperty("Size")).getValue();
    ASSERT_EQ(size.getType(), CIMTYPE_UINT32);
    Uint32 sizeValue = 0;
    size.get(sizeValue);
    EXPECT_EQ(sizeValue, 9u);
    gi = wbemcli({"gi", wbemcli.at("WT_Widget.Id=\"w9\"")});
    EXPECT_NE(gi.out.find("Label=\"nine lives\""), std::string::npos) << describe(gi);

    RunResult di = wbemcli({"di", wbemcli.at("WT_Widget.Id=\"w9\"")});
    ASSERT_EQ(di.status, 0) << describe(di);
    ein = wbemcli({"ein", wbemcli.at("WT_Widget")});
    EXPECT_EQ(countOf(ein.out, ":WT_Widget.Id="), 3u) << ein.out;
    EXPECT_EQ(ein.out.find("w9"), std::string::npos) << ein.out;
    gi = wbemcli({"gi", wbemcli.at("WT_Widget.Id=\"w9\"")});
    EXPECT_NE(gi.status, 0) << describe(gi);
    EXPECT_NE(gi.err.find("CIM_ERR_NOT_FOUND"), std::string::npos) << describe(gi);

    RunResult missing = wbemcli({"gc", wbemcli.at("No_Such_Class")});
    EXPECT_NE(missing.status, 0) << describe(missing);
    EXPECT_NE(missing.err.find("CIM_ERR_NOT_FOUND"), std::string::npos) << describe(missing);
    EXPECT_EQ(missing.out.find("No_Such_Class"), std::string::npos) << describe(missing);
}

TEST(Wbemcli, FindsTheNamespacesAndTheObjectManagerInTheInteropNamespace)
{
    ASSERT_EQ(::access(kWbemcli, X_OK), 0)
        << kWbemcli << " is missing: install sblim-wbemcli (setup.sh does)";
    ASSERT_TRUE(server().ensureStarted());
    Wbemcli wbemcli{"http://127.0.0.1:" + std::to_string(server().port()) + "/root/PG_InterOp"};

    RunResult ein = wbemcli({"ein", wbemcli.at("CIM_Namespace")});
    ASSERT_EQ(ein.status, 0) << describe(ein);
    for (const char* name : {"Name=\"root/PG_InterOp\"", "Name=\"root/PG_Internal\""})
        EXPECT_EQ(countOf(ein.out, name), 1u) << name << " in " << ein.out;
    EXPECT_EQ(countOf(ein.out, ":PG_Namespace."), countOf(ein.out, "\n")) << ein.out;

    // The path ein printed names the instance gi reads.
    std::string line = ein.out.substr(0, ein.out.find('\n'));
    std::string path = line.substr(line.find(":PG_Namespace.") + 1);
    RunResult gi = wbemcli({"gi", wbemcli.at(path)});
    ASSERT_EQ(gi.status, 0) << describe(gi);
    EXPECT_NE(gi.out.find("ClassInfo="), std::string::npos) << gi.out;

    RunResult manager = wbemcli({"ei", wbemcli.at("CIM_ObjectManager")});
    ASSERT_EQ(manager.status, 0) << describe(manager);
    EXPECT_EQ(countOf(manager.out, ":CIM_ObjectManager."), 1u) << manager.out;
}
