// kta-inventory's command line: the refusals that need no server (exit
// status 2 and the reason on standard error, no output left behind), --help, and the
// class tree of a started namespace.
#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "InventoryTestSupport.h"

using nlohmann::json;

namespace {

TEST(InventoryOptions, RefusalsEndWithStatusTwoAndSayWhy)
{
    ASSERT_EQ(0, access(invtest::kProgram.c_str(), X_OK)) << invtest::kProgram << " is missing";
    invtest::TempDir dir;
    invtest::WriteFile(dir / "bad.json", "{\"format\": \"kta-inventory report\", \"version\": 1}");
    std::string const empty = dir / "empty";
    std::filesystem::create_directories(empty);
    struct {
        std::vector<std::string> fArgs;
        std::string fSays;
    } const cases[] = {
        {{"--root", empty}, empty + "/libpegasus.nsp.so is missing"},
        {{"--format", "xml"}, "--format"},
        {{"--invoke", "KTA_NetworkPort.DeviceID=\"lo\""}, "--invoke"},
        {{"--invoke", "KTA_NetworkPort.DeviceID=\"lo\"", "GetCounters", "Scale"},
         "\"Scale\" is not a name=value argument"},
        {{"--tree", "--baseline", "bad.json"}, "excludes"},
        {{"--tree", "--format", "html"}, "--format html applies to the inventory only"},
        {{"--baseline", "bad.json"}, "cannot use the baseline " + (dir / "bad.json")},
        {{"--from-json", "bad.json"}, "cannot read the report " + (dir / "bad.json")},
        {{"--baseline", "missing.json"}, dir / "missing.json: cannot be opened"},
        {{"--config", "missing.conf"}, "cannot read the configuration " + (dir / "missing.conf")},
        {{"--consumer", "a/b"}, "--consumer"},
        {{"--log", "no/such/dir/x.log"}, "cannot open the log file"},
    };
    for (auto const& c : cases) {
        std::vector<std::string> args = c.fArgs;
        args.insert(args.end(), {"--output", "out.txt"});
        invtest::TRun const run = invtest::Run(args, dir.Path());
        EXPECT_EQ(2, run.fStatus) << c.fArgs[0] << ": " << run.fErr;
        EXPECT_NE(std::string::npos, run.fErr.find(c.fSays)) << run.fErr;
        EXPECT_EQ("", run.fOut);
        EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));
        EXPECT_FALSE(std::filesystem::exists(dir / "out.txt.partial"));
    }
}

TEST(InventoryOptions, HelpListsEveryOptionWithItsDefault)
{
    ASSERT_EQ(0, access(invtest::kProgram.c_str(), X_OK)) << invtest::kProgram << " is missing";
    invtest::TempDir dir;
    invtest::TRun const run = invtest::Run({"--help"}, dir.Path());
    EXPECT_EQ(0, run.fStatus);
    for (char const* text :
         {"--root DIR=" KTA_STAGE_DIR, "--config", "--log FILE=kta-inventory.log", "--verbose",
          "--progress", "--consumer NAME=kta-inventory", "--format FORMAT:{text,json,html}=text",
          "--output", "--baseline", "--class", "--invoke", "--tree", "--from-json", "Exit status"})
        EXPECT_NE(std::string::npos, run.fOut.find(text)) << text;
}

// Finds `name` in a JSON class tree; fills the chain of class names from
// the top down to it.
bool FindInTree(json const& nodes, std::string const& name, std::vector<std::string>& chain)
{
    for (json const& node : nodes) {
        chain.push_back(node.at("name"));
        if (node.at("name") == name || FindInTree(node.at("subclasses"), name, chain))
            return true;
        chain.pop_back();
    }
    return false;
}

TEST(InventoryOptions, TreeShowsEveryCollectedClassBelowItsSuperclasses)
{
    invtest::TempDir dir;
    std::string const root = dir / "root";
    ASSERT_EQ("", invtest::MakeRoot(root));
    invtest::TRun const run =
        invtest::RunWithServer({"--root", root, "--tree", "--format", "json", "--consumer",
                                invtest::UniqueConsumer("tree"), "--log", "tree.log"},
                               dir.Path());
    ASSERT_EQ(0, run.fStatus) << run.fErr;
    json const tree = json::parse(run.fOut);
    std::vector<std::string> chain;
    ASSERT_TRUE(FindInTree(tree, "KTA_FileSystem", chain)) << run.fOut;
    EXPECT_EQ("CIM_ManagedElement", chain.front());
    EXPECT_NE(chain.end(), std::find(chain.begin(), chain.end(), "CIM_FileSystem"));
    for (char const* name : {"KTA_Processor", "KTA_OperatingSystem", "KTA_NetworkPort"}) {
        chain.clear();
        EXPECT_TRUE(FindInTree(tree, name, chain)) << name;
    }
    // Every class appears once.
    std::function<std::size_t(json const&, std::string const&)> count =
        [&count](json const& nodes, std::string const& name) {
            std::size_t n = 0;
            for (json const& node : nodes)
                n += (node.at("name") == name ? 1 : 0) + count(node.at("subclasses"), name);
            return n;
        };
    EXPECT_EQ(1u, count(tree, "CIM_LogicalElement"));
    EXPECT_EQ(1u, count(tree, "KTA_Processor"));
}

} // namespace
