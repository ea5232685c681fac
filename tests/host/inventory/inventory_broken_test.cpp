// kta-inventory with one broken vendor provider folder beside the staged
// ones (its class definitions do not compile, its library is missing): the
// run goes on, collects the others, reports the broken one and ends with
// status 1.  The run takes a host configuration file (providers one after
// another, a single-thread group other than the default) and a class
// pattern in another letter case than the class names.
#include <gtest/gtest.h>

#include "InventoryTestSupport.h"

using nlohmann::json;

namespace {

void WriteBrokenProvider(std::string const& dir)
{
    invtest::WriteFile(dir + "/kta_broken.classes.xml",
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<kta>\n"
                       "  <timeout value=\"30\"/>\n"
                       "  <nsp name=\"root/kta_broken\"/>\n"
                       "  <module name=\"kta_broken\"/>\n"
                       "  <class name=\"KTA_BrokenThing\"/>\n"
                       "</kta>\n");
    invtest::WriteFile(dir + "/kta_broken.properties.mof",
                       "class KTA_BrokenThing : NoSuchSuperclass\n{\n    [Key] string Name\n");
    invtest::WriteFile(dir + "/kta_broken.registration.mof",
                       "instance of PG_ProviderModule\n{\n    Name = \"kta_broken\";\n"
                       "    Vendor = \"KTA\";\n    Version = \"1.0.0\";\n"
                       "    InterfaceType = \"C++Default\";\n    InterfaceVersion = \"2.6.0\";\n"
                       "    Location = \"kta_broken\";\n};\n");
}

TEST(InventoryBroken, OneBrokenProviderIsReportedAndTheOthersCollected)
{
    invtest::TempDir dir;
    std::string const root = dir / "root";
    ASSERT_EQ("", invtest::MakeRoot(root));
    WriteBrokenProvider(root + "/pegasus/provider/kta_broken");
    invtest::WriteFile(dir / "host.conf", "# one provider after another; kta_cpu runs alone\n"
                                          "pegasus_multi_thread = off\n"
                                          "single_thread_pegasus_group = kta_cpu\n");

    invtest::TRun const run = invtest::RunWithServer(
        {"--root", root, "--config", "host.conf", "--class", "kta_", "--format", "json", "--output",
         "report.json", "--consumer", invtest::UniqueConsumer("broken"), "--log", "broken.log"},
        dir.Path());

    ASSERT_EQ(1, run.fStatus) << run.fErr;
    json const report = invtest::ReadJson(dir / "report.json");
    bool brokenSeen = false;
    std::size_t collected = 0;
    for (json const& provider : report.at("providers")) {
        std::string const name = provider.at("name");
        if (name == "kta_broken") {
            brokenSeen = true;
            ASSERT_TRUE(provider.at("error").is_string());
            EXPECT_NE(std::string::npos,
                      provider.at("error").get<std::string>().find("offers no classes"));
            continue;
        }
        ++collected;
        EXPECT_TRUE(provider.at("error").is_null()) << name;
        EXPECT_EQ(name == "kta_cpu" ? 11 : 10, provider.at("pluginType")) << name;
        EXPECT_FALSE(provider.at("classes").empty()) << name;
        for (json const& cls : provider.at("classes"))
            EXPECT_TRUE(cls.at("error").is_null()) << cls.at("name");
    }
    EXPECT_TRUE(brokenSeen);
    EXPECT_EQ(invtest::StagedProviders().size(), collected);
    EXPECT_EQ(1, report.at("summary").at("errors"));
    EXPECT_FALSE(invtest::InstancesOf(report, "KTA_Processor").empty());
}

} // namespace
