// kta-inventory end to end on this machine, through a root that shares the
// staging tree: one run collects the JSON report that most cases read (and
// renders it as text without a server); one run, after the test took space
// on the root file system, writes the HTML page with the changes since an
// edited copy of that report, which headless Chromium loads; one run invokes a method on the loopback port.  All cases share
// one process.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "InventoryTestSupport.h"

using nlohmann::json;

namespace {

class InventoryRun : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sDir.reset(new invtest::TempDir);
        sRoot = *sDir / "root";
        sSetupError = invtest::MakeRoot(sRoot);
        if (!sSetupError.empty())
            return;
        sRun = invtest::RunWithServer({"--root", sRoot, "--format", "json", "--output",
                                       "report.json", "--consumer", invtest::UniqueConsumer("run"),
                                       "--log", "run.log", "--progress"},
                                      sDir->Path());
        if (sRun.fStatus == 0)
            sReport = invtest::ReadJson(*sDir / "report.json");
    }
    static void TearDownTestSuite() { sDir.reset(); }

    void SetUp() override
    {
        ASSERT_EQ("", sSetupError);
        ASSERT_EQ(0, sRun.fStatus) << sRun.fErr;
    }

    static std::unique_ptr<invtest::TempDir> sDir;
    static std::string sRoot;
    static std::string sSetupError;
    static invtest::TRun sRun;
    static json sReport;
};

std::unique_ptr<invtest::TempDir> InventoryRun::sDir;
std::string InventoryRun::sRoot;
std::string InventoryRun::sSetupError;
invtest::TRun InventoryRun::sRun;
json InventoryRun::sReport;

std::string FirstLine(std::string const& path)
{
    std::string line;
    std::getline(std::ifstream(path) >> std::ws, line);
    return line;
}

TEST_F(InventoryRun, ReportsEveryStagedProviderOfThisMachine)
{
    EXPECT_EQ(FirstLine("/proc/sys/kernel/hostname"), sReport.at("hostname"));
    EXPECT_TRUE(std::regex_match(sReport.at("started").get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
    EXPECT_EQ(0, sReport.at("summary").at("errors"));
    std::set<std::string> names;
    for (json const& provider : sReport.at("providers")) {
        std::string const name = provider.at("name");
        names.insert(name);
        EXPECT_TRUE(provider.at("error").is_null()) << name;
        EXPECT_GE(provider.at("seconds").get<double>(), 0.0);
        // The default configuration runs the software provider alone.
        EXPECT_EQ(name == "kta_software" ? 11 : 10, provider.at("pluginType")) << name;
        EXPECT_FALSE(provider.at("classes").empty()) << name;
        for (json const& cls : provider.at("classes")) {
            EXPECT_TRUE(cls.at("error").is_null()) << cls.at("name");
            EXPECT_EQ(cls.at("instances").size(), cls.at("instanceCount"));
        }
    }
    std::vector<std::string> const staged = invtest::StagedProviders();
    EXPECT_EQ(std::set<std::string>(staged.begin(), staged.end()), names);
    // Progress went to standard error, the log got the plug-in's records.
    EXPECT_NE(std::string::npos, sRun.fErr.find("providers found"));
    EXPECT_NE(std::string::npos, sRun.fErr.find("kta_cpu: KTA_Processor: "));
    EXPECT_FALSE(std::regex_search(sRun.fErr, std::regex(R"(\[[0-9]\] <)")))
        << "log records on standard error";
    std::string const log = invtest::ReadFile(*sDir / "run.log");
    EXPECT_NE(std::string::npos, log.find("[3] <"));
    EXPECT_NE(std::string::npos, log.find("TPEGASUSNamespace::connect succeeded"));
}

TEST_F(InventoryRun, ProcessorsMatchTheKernelsList)
{
    std::size_t processors = 0;
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        processors += std::regex_search(line, std::regex("^processor\\s*:")) ? 1 : 0;
    std::vector<json> const instances = invtest::InstancesOf(sReport, "KTA_Processor");
    EXPECT_EQ(processors, instances.size());
    for (json const& instance : instances) {
        json const deviceId = invtest::PropertyOf(instance, "DeviceID");
        ASSERT_TRUE(deviceId.is_object());
        EXPECT_TRUE(deviceId.at("key").get<bool>());
        EXPECT_FALSE(invtest::PropertyOf(instance, "ElementName").at("key").get<bool>());
        std::string const path = instance.at("path");
        EXPECT_EQ(0u, path.find("KTA_Processor."));
        EXPECT_NE(std::string::npos,
                  path.find("DeviceID=\"" + deviceId.at("value").get<std::string>() + "\""));
    }
}

TEST_F(InventoryRun, DisplayTextsFollowTheQualifiers)
{
    bool rootSeen = false;
    for (json const& instance : invtest::InstancesOf(sReport, "KTA_FileSystem")) {
        if (invtest::PropertyOf(instance, "Name").at("value") != "/")
            continue;
        rootSeen = true;
        json const size = invtest::PropertyOf(instance, "FileSystemSize");
        EXPECT_EQ("uint64", size.at("type"));
        EXPECT_TRUE(std::regex_match(size.at("display").get<std::string>(),
                                     std::regex(R"(\d+(\.\d)? (Kilo|Mega|Giga|Tera|Peta)bytes)")))
            << size.at("display") << " (raw " << size.at("value") << ")";
    }
    EXPECT_TRUE(rootSeen) << "no KTA_FileSystem for /";

    bool loopbackSeen = false;
    for (json const& instance : invtest::InstancesOf(sReport, "KTA_NetworkPort")) {
        if (instance.at("path").get<std::string>().find("DeviceID=\"lo\"") == std::string::npos)
            continue;
        loopbackSeen = true;
        json const state = invtest::PropertyOf(instance, "OperState");
        EXPECT_TRUE(std::regex_match(state.at("value").get<std::string>(), std::regex(R"(\d+)")));
        EXPECT_TRUE(
            std::regex_search(state.at("display").get<std::string>(), std::regex("^[A-Za-z]")))
            << state.at("display");
    }
    EXPECT_TRUE(loopbackSeen) << "no KTA_NetworkPort for lo";

    std::vector<json> const systems = invtest::InstancesOf(sReport, "KTA_OperatingSystem");
    ASSERT_EQ(1u, systems.size());
    json const uptime = invtest::PropertyOf(systems[0], "UptimeSeconds");
    EXPECT_NE(uptime.at("value"), uptime.at("display"));
}

TEST_F(InventoryRun, TextFromTheSameReportAlignsItsValues)
{
    invtest::TRun const text =
        invtest::Run({"--from-json", "report.json", "--log", "text.log"}, sDir->Path());
    ASSERT_EQ(0, text.fStatus) << text.fErr;
    EXPECT_NE(std::string::npos,
              text.fOut.find("Inventory of " + sReport.at("hostname").get<std::string>()));
    std::size_t const processors = invtest::InstancesOf(sReport, "KTA_Processor").size();
    EXPECT_NE(std::string::npos,
              text.fOut.find("Class KTA_Processor - " + std::to_string(processors) + " instance"));
    for (json const& provider : sReport.at("providers"))
        EXPECT_NE(std::string::npos,
                  text.fOut.find("Provider " + provider.at("name").get<std::string>()));
    // Within one instance every " : " stands in the same column, and keys
    // carry their mark.
    std::istringstream lines(text.fOut);
    std::size_t column = std::string::npos, blocks = 0;
    bool keySeen = false;
    for (std::string line; std::getline(lines, line);) {
        std::size_t const colon = line.find(" : ");
        if (line.compare(0, 6, "      ") != 0 || colon == std::string::npos) {
            column = std::string::npos;
            continue;
        }
        if (line.find_first_not_of(' ') > colon)
            continue; // a further line of a multi-line value
        keySeen = keySeen || line.compare(6, 2, "* ") == 0;
        if (column == std::string::npos) {
            column = colon;
            ++blocks;
        }
        ASSERT_EQ(column, colon) << line;
    }
    EXPECT_EQ(sReport.at("summary").at("instances").get<std::size_t>(), blocks);
    EXPECT_TRUE(keySeen);
}

TEST_F(InventoryRun, OutputOntoAPipeIsWrittenInPlace)
{
    // A path that is no regular file (a pipe here; /dev/null for a user) is
    // written directly: a report moved into place would replace it.
    std::string const fifo = *sDir / "report.fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    // Read without blocking, so that a program that never opens the pipe
    // cannot hang the test.
    int const readEnd = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(readEnd, 0);
    std::atomic<bool> done(false);
    std::string received;
    std::thread reader([readEnd, &done, &received] {
        char buffer[65536];
        for (;;) {
            bool const last = done;
            ssize_t n;
            while ((n = read(readEnd, buffer, sizeof buffer)) > 0)
                received.append(buffer, static_cast<std::size_t>(n));
            if (last)
                return;
            usleep(10 * 1000);
        }
    });
    invtest::TRun const run = invtest::Run(
        {"--from-json", "report.json", "--log", "fifo.log", "-o", fifo}, sDir->Path());
    done = true;
    reader.join();
    close(readEnd);
    EXPECT_EQ(0, run.fStatus) << run.fErr;
    struct stat info;
    ASSERT_EQ(0, stat(fifo.c_str(), &info));
    EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe was replaced";
    EXPECT_NE(std::string::npos, received.find("Inventory of "));
}

TEST_F(InventoryRun, HtmlPageShowsTheChangesSinceAnEditedBaseline)
{
    ASSERT_EQ(0, access(invtest::kChromium.c_str(), X_OK)) << invtest::kChromium << " is missing";
    // The baseline: this run's report without the loopback port, with an
    // instance that no longer exists and with another processor name.
    json baseline = sReport;
    std::string const gone = "KTA_Processor.DeviceID=\"gone\"";
    std::string loopback, processor;
    for (json& provider : baseline.at("providers"))
        for (json& cls : provider.at("classes")) {
            json& instances = cls.at("instances");
            for (std::size_t i = 0; i < instances.size(); ++i) {
                std::string const path = instances[i].at("path");
                if (cls.at("name") == "KTA_NetworkPort" &&
                    path.find("DeviceID=\"lo\"") != std::string::npos) {
                    loopback = path;
                    instances.erase(i);
                    break;
                }
            }
            if (cls.at("name") == "KTA_Processor") {
                processor = instances[0].at("path");
                for (json& property : instances[0].at("properties"))
                    if (property.at("name") == "ElementName")
                        property["display"] = "<Old & slow>";
                json extra = instances[0];
                extra["path"] = gone;
                instances.push_back(extra);
            }
        }
    ASSERT_FALSE(loopback.empty());
    ASSERT_FALSE(processor.empty());
    invtest::WriteFile(*sDir / "baseline.json", baseline.dump());

    // A real change between the runs: 512 MB taken on the root file system.
    std::string rootFileSystem;
    for (json const& provider : sReport.at("providers"))
        for (json const& cls : provider.at("classes"))
            if (cls.at("name") == "KTA_FileSystem")
                for (json const& instance : cls.at("instances"))
                    for (json const& property : instance.at("properties"))
                        if (property.at("name") == "Root" && property.at("value") == "/")
                            rootFileSystem = instance.at("path");
    ASSERT_FALSE(rootFileSystem.empty()) << "no file system \"/\" in the report";
    struct stat rootInfo, fillInfo;
    std::string const fill = "/var/tmp/kta-inventory-test-fill-" + std::to_string(getpid());
    int const fd = open(fill.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    ASSERT_GE(fd, 0) << fill;
    struct FillRemoval {
        std::string path;
        int fd;
        ~FillRemoval()
        {
            close(fd);
            unlink(path.c_str());
        }
    } removal{fill, fd};
    ASSERT_EQ(0, stat("/", &rootInfo));
    ASSERT_EQ(0, fstat(fd, &fillInfo));
    ASSERT_EQ(rootInfo.st_dev, fillInfo.st_dev) << fill << " is not on the root file system";
    ASSERT_EQ(0, posix_fallocate(fd, 0, 512LL * 1024 * 1024));
    fsync(fd);

    invtest::TRun const run = invtest::RunWithServer(
        {"--root", sRoot, "--format", "html", "--baseline", "baseline.json", "-o", "page.html",
         "--consumer", invtest::UniqueConsumer("html"), "--log", "html.log"},
        sDir->Path());
    ASSERT_EQ(0, run.fStatus) << run.fErr;
    invtest::TRun const dom = invtest::DumpDom(*sDir / "page.html", sDir->Path());
    ASSERT_EQ(0, dom.fStatus) << dom.fErr;
    std::string const& page = dom.fOut;

    auto count = [&page](std::string const& what) {
        std::size_t n = 0;
        for (std::size_t at = page.find(what); at != std::string::npos;
             at = page.find(what, at + 1))
            ++n;
        return n;
    };
    std::size_t const providers = sReport.at("providers").size();
    EXPECT_EQ(1u, count("<nav id=\"toc\">"));
    EXPECT_EQ(providers, count("<section class=\"provider\""));
    for (std::size_t p = 1; p <= providers; ++p)
        EXPECT_EQ(1u, count("<a href=\"#provider-" + std::to_string(p) + "\">"));
    EXPECT_EQ(sReport.at("summary").at("classes").get<std::size_t>(),
              count("<section class=\"class\""));
    EXPECT_GE(count("<table class=\"instance\">"),
              sReport.at("summary").at("instances").get<std::size_t>() / 2);
    EXPECT_EQ(0u, count("<script"));

    std::size_t const changes = page.find("<section id=\"changes\">");
    ASSERT_NE(std::string::npos, changes);
    std::string const section = page.substr(changes);
    auto escaped = [](std::string text) {
        for (std::size_t at = text.find('"'); at != std::string::npos; at = text.find('"', at + 6))
            text.replace(at, 1, "&quot;");
        return text;
    };
    // Chromium writes quotes in text as they are; the page may have them
    // escaped: accept either.
    auto has = [&section, &escaped](std::string const& text) {
        return section.find(text) != std::string::npos ||
               section.find(escaped(text)) != std::string::npos;
    };
    EXPECT_TRUE(has("Added instances: 1")) << section.substr(0, 2000);
    EXPECT_TRUE(has(loopback));
    EXPECT_TRUE(has("Removed instances: 1"));
    EXPECT_TRUE(has(gone));
    // The space taken between the runs.
    EXPECT_TRUE(has("<tr><td>" + rootFileSystem + "</td><td>AvailableSpace</td>"))
        << section.substr(0, 3000);
    // Other values (free memory, the clock) change between the runs too.
    EXPECT_TRUE(
        has("<tr><td>" + processor + "</td><td>ElementName</td><td>&lt;Old &amp; slow&gt;</td>"))
        << section.substr(0, 3000);
}

TEST_F(InventoryRun, InvokeGetCountersOnTheLoopbackPort)
{
    std::string loopback;
    for (json const& instance : invtest::InstancesOf(sReport, "KTA_NetworkPort"))
        if (instance.at("path").get<std::string>().find("DeviceID=\"lo\"") != std::string::npos)
            loopback = instance.at("path");
    ASSERT_FALSE(loopback.empty());
    auto received = []() {
        return std::stoull(FirstLine("/sys/class/net/lo/statistics/rx_bytes"));
    };
    unsigned long long const before = received();
    invtest::TRun const run = invtest::RunWithServer(
        {"--root", sRoot, "--format", "json", "--consumer", invtest::UniqueConsumer("invoke"),
         "--log", "invoke.log", "--invoke", loopback, "GetCounters", "Scale=1"},
        sDir->Path());
    unsigned long long const after = received();
    ASSERT_EQ(0, run.fStatus) << run.fErr << run.fOut;
    json const result = json::parse(run.fOut);
    EXPECT_TRUE(result.at("error").is_null());
    EXPECT_EQ("GetCounters", result.at("method"));
    EXPECT_EQ((json{{"name", "Scale"}, {"type", "uint16"}, {"value", "1"}}), result.at("in").at(0));
    EXPECT_EQ("uint32", result.at("return").at("type"));
    bool receivedSeen = false;
    for (json const& out : result.at("out")) {
        EXPECT_EQ("uint64", out.at("type")) << out;
        if (out.at("name") == "ReceivedBytes") {
            receivedSeen = true;
            unsigned long long const value = std::stoull(out.at("value").get<std::string>());
            EXPECT_LE(before, value);
            EXPECT_GE(after, value);
        }
    }
    EXPECT_TRUE(receivedSeen) << run.fOut;
}

} // namespace
