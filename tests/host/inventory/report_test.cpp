// The inventory report without a server: the comparison with a baseline,
// the JSON form read back as a baseline (and the files it refuses), and the
// escaping of the HTML page.
#include <sstream>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "InventoryTestSupport.h"
#include "TInventoryReport.h"

using namespace NQRVKTA20;

namespace {

TInventoryProperty Property(std::string const& name, std::string const& display, bool key = false)
{
    TInventoryProperty property;
    property.fName = name;
    property.fType = "string";
    property.fValue = display;
    property.fDisplay = display;
    property.fKey = key;
    return property;
}

TInventoryInstance Instance(std::string const& path, std::vector<TInventoryProperty> properties)
{
    TInventoryInstance instance;
    instance.fPath = path;
    instance.fProperties = properties;
    return instance;
}

TInventoryClass Class(std::string const& name, std::vector<TInventoryInstance> instances,
                      std::string const& error = "")
{
    TInventoryClass cls;
    cls.fName = name;
    cls.fInstances = instances;
    cls.fError = error;
    return cls;
}

TInventoryReport Report(std::vector<TInventoryClass> classes)
{
    TInventoryReport report;
    report.fHostname = "host";
    report.fStarted = "2024-05-01T12:00:00Z";
    TInventoryProvider provider;
    provider.fName = "p";
    provider.fModule = "libp";
    provider.fClasses = classes;
    report.fProviders.push_back(provider);
    return report;
}

std::vector<std::string> Paths(std::vector<TInventoryChanges::TInstanceRef> const& refs)
{
    std::vector<std::string> paths;
    for (auto const& ref : refs)
        paths.push_back(ref.fPath);
    return paths;
}

TEST(InventoryReport, BaselineGivesAddedRemovedAndChangedInstances)
{
    TInventoryReport const baseline = Report(
        {Class("A_Disk",
               {Instance("A_Disk.Id=1", {Property("Id", "1", true), Property("Size", "1 GB")}),
                Instance("A_Disk.Id=2", {Property("Id", "2", true)})}),
         Class("A_Port", {Instance("A_Port.Id=9", {Property("Id", "9", true)})}),
         Class("A_Gone", {Instance("A_Gone.Id=5", {Property("Id", "5", true)})})});
    TInventoryReport current = Report(
        {Class("A_Disk", {Instance("A_Disk.Id=1", {Property("Id", "1", true),
                                                   Property("Size", "2 GB"), Property("New", "x")}),
                          Instance("A_Disk.Id=3", {Property("Id", "3", true)})}),
         // A class that failed now says nothing about its instances.
         Class("A_Port", {}, "status 42, connection failed")});

    CompareWithBaseline(current, baseline, "old.json");

    TInventoryChanges const& changes = current.fChanges;
    ASSERT_TRUE(changes.fPresent);
    EXPECT_EQ("old.json", changes.fBaselineFile);
    EXPECT_EQ(baseline.fStarted, changes.fBaselineStarted);
    EXPECT_EQ(std::vector<std::string>{"A_Disk.Id=3"}, Paths(changes.fAdded));
    EXPECT_EQ((std::vector<std::string>{"A_Disk.Id=2", "A_Gone.Id=5"}), Paths(changes.fRemoved));
    ASSERT_EQ(1u, changes.fChanged.size());
    EXPECT_EQ("A_Disk.Id=1", changes.fChanged[0].fPath);
    EXPECT_EQ("Size", changes.fChanged[0].fProperty);
    EXPECT_EQ("1 GB", changes.fChanged[0].fOld);
    EXPECT_EQ("2 GB", changes.fChanged[0].fNew);
}

TEST(InventoryReport, ClassFilterLimitsTheComparison)
{
    TInventoryReport const baseline = Report({Class("A_Disk", {Instance("A_Disk.Id=1", {})}),
                                              Class("A_Port", {Instance("A_Port.Id=1", {})})});
    TInventoryReport current = Report({Class("A_Disk", {Instance("A_Disk.Id=1", {})})});
    current.fClassFilter = "disk";

    CompareWithBaseline(current, baseline, "old.json");

    EXPECT_TRUE(current.fChanges.fRemoved.empty());
    EXPECT_TRUE(current.fChanges.fAdded.empty());
    EXPECT_TRUE(ClassMatches("KTA_DiskDrive", "DISKd"));
    EXPECT_FALSE(ClassMatches("KTA_DiskDrive", "disks"));
}

TEST(InventoryReport, JsonFormReadsBackAsBaseline)
{
    TInventoryReport report =
        Report({Class("A_Disk", {Instance("A_Disk.Id=1", {Property("Id", "1", true)})}),
                Class("A_Port", {}, "failed")});
    report.fProviders[0].fPluginType = 11;
    report.fProviders[0].fSeconds = 1.5;
    report.fErrors.push_back("outside");
    report.fProviders[0].fClasses[0].fInstances[0].fProperties[0].fNull = true;

    std::ostringstream text;
    WriteJsonReport(text, report);
    TInventoryReport const back = ReportFromJson(nlohmann::json::parse(text.str()));

    EXPECT_EQ(report.fHostname, back.fHostname);
    EXPECT_EQ(report.fStarted, back.fStarted);
    EXPECT_EQ(report.fErrors, back.fErrors);
    ASSERT_EQ(1u, back.fProviders.size());
    EXPECT_EQ(11, back.fProviders[0].fPluginType);
    EXPECT_DOUBLE_EQ(1.5, back.fProviders[0].fSeconds);
    ASSERT_EQ(2u, back.fProviders[0].fClasses.size());
    EXPECT_EQ("failed", back.fProviders[0].fClasses[1].fError);
    EXPECT_EQ("", back.fProviders[0].fClasses[0].fError);
    TInventoryProperty const& property =
        back.fProviders[0].fClasses[0].fInstances[0].fProperties[0];
    EXPECT_EQ("Id", property.fName);
    EXPECT_TRUE(property.fKey);
    EXPECT_TRUE(property.fNull);
    EXPECT_EQ(2u, back.ErrorCount());
    EXPECT_TRUE(back.CollectedAnything());
}

TEST(InventoryReport, UnusableBaselineFilesAreRefused)
{
    invtest::TempDir dir;
    std::ostringstream good;
    WriteJsonReport(good, Report({}));
    std::string deep;
    for (int i = 0; i < 40; ++i)
        deep += "[";
    struct {
        std::string fText;
        std::string fReason;
    } const cases[] = {
        {"{\"format\": \"something else\"}", "not a kta-inventory JSON report"},
        {"[1, 2", "parse error"},
        {deep, "nested deeper"},
        {std::string(good.str()).replace(good.str().find("\"version\": 1"), 12, "\"version\": 7"),
         "version 7"},
        {std::string(good.str()).replace(good.str().find("\"hostname\""), 10, "\"hostnam\""),
         "malformed report"},
    };
    for (auto const& c : cases) {
        std::string const path = dir / "baseline.json";
        invtest::WriteFile(path, c.fText);
        try {
            ReadJsonReport(path);
            ADD_FAILURE() << "accepted: " << c.fText.substr(0, 60);
        } catch (std::runtime_error const& e) {
            EXPECT_NE(std::string::npos, std::string(e.what()).find(path)) << e.what();
            EXPECT_NE(std::string::npos, std::string(e.what()).find(c.fReason)) << e.what();
        }
    }
    EXPECT_THROW(ReadJsonReport(dir / "missing.json"), std::runtime_error);
}

TEST(InventoryReport, HtmlEscapesEveryTextFromTheMachine)
{
    std::string const hostile = "<script>alert('x')</script>&\"";
    TInventoryReport report =
        Report({Class(hostile, {Instance(hostile, {Property(hostile, hostile)})}, hostile)});
    report.fHostname = hostile;
    report.fProviders[0].fName = hostile;
    report.fErrors.push_back(hostile);
    TInventoryReport const baseline = Report({Class("B", {Instance("<gone>", {})})});
    CompareWithBaseline(report, baseline, hostile);

    std::ostringstream page;
    WriteHtmlReport(page, report);

    EXPECT_EQ(std::string::npos, page.str().find("<script"));
    EXPECT_EQ(std::string::npos, page.str().find("<gone>"));
    EXPECT_NE(std::string::npos,
              page.str().find("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;&quot;"));
}

} // namespace
