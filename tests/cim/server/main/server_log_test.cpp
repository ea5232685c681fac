#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <vector>

#include "FailingSystemCalls.h"
#include "ServerConfig.h"
#include "ServerLog.h"
#include "TempHome.h"

using namespace Pegasus;

namespace {

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(ServerLogTest, LogFileIsPrivateAndKeepsLinesFromLogLevelUp)
{
    TempHome home;
    ServerLog log;
    std::string error;
    ASSERT_TRUE(log.openLog(home.file("logs/deeper"), error)) << error;
    EXPECT_EQ(log.logPath(), home.file("logs/deeper/cimserver.log"));
    EXPECT_EQ(home.mode("logs/deeper"), 0700u);
    EXPECT_EQ(home.mode("logs/deeper/cimserver.log"), 0600u);

    log.log(ServerLog::Information, "Server", "CIM Server started.");
    log.log(ServerLog::Trace, "Server", "below the default level");
    log.setLogLevel(ServerLog::Warning);
    log.log(ServerLog::Information, "ProviderManager", "dropped");
    log.log(ServerLog::Severe, "ProviderManager", "two\nlines");

    std::vector<std::string> lines = linesOf(home.read("logs/deeper/cimserver.log"));
    ASSERT_EQ(lines.size(), 2u) << home.read("logs/deeper/cimserver.log");
    const std::regex stamp("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z ");
    EXPECT_TRUE(std::regex_search(lines[0], stamp)) << lines[0];
    EXPECT_EQ(lines[0].substr(25), "INFORMATION Server: CIM Server started.");
    EXPECT_EQ(lines[1].substr(25), "SEVERE ProviderManager: two lines");

    // A second server's log is appended to, not replaced.
    ServerLog again;
    ASSERT_TRUE(again.openLog(home.file("logs/deeper"), error));
    again.log(ServerLog::Warning, "Server", "again");
    EXPECT_EQ(linesOf(home.read("logs/deeper/cimserver.log")).size(), 3u);
}

TEST(ServerLogTest, TraceFollowsLevelComponentsAndFacility)
{
    TempHome home;
    ServerLog log;
    std::string error;
    ASSERT_TRUE(log.openLog(home.path(), error));
    ServerLog::TraceSettings t;
    t.path = home.file("trace/cimserver.trc");

    // Level 0: nothing traced, no file made.
    t.components = "ALL";
    log.setTrace(t);
    log.trace(1, "Server", "not traced");
    EXPECT_FALSE(home.exists("trace"));

    t.level = 2;
    t.components = "dispatcher, ProviderManager";
    log.setTrace(t);
    log.log(ServerLog::Information, "ProviderManager", "loaded");  // traced at 2
    log.log(ServerLog::Information, "Server", "started");          // not listed
    log.trace(3, "Dispatcher", "GetClass");                        // above the level
    log.trace(2, "Dispatcher", "seen");
    EXPECT_FALSE(log.tracing(3, "Dispatcher"));
    EXPECT_TRUE(log.tracing(1, "DISPATCHER"));
    std::vector<std::string> lines = linesOf(home.read("trace/cimserver.trc"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(25), "[2] ProviderManager: loaded");
    EXPECT_EQ(lines[1].substr(25), "[2] Dispatcher: seen");
    EXPECT_EQ(home.mode("trace/cimserver.trc"), 0600u);

    // traceFacility=Log: the lines go to the log file instead.
    t.toLog = true;
    log.setTrace(t);
    log.trace(1, "Dispatcher", "into the log");
    EXPECT_EQ(linesOf(home.read("trace/cimserver.trc")).size(), 2u);
    std::vector<std::string> logged = linesOf(home.read("cimserver.log"));
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.back().substr(25), "[1] Dispatcher: into the log");
}

TEST(ServerLogTest, TraceFileIsRotatedKeepingTheConfiguredNumber)
{
    TempHome home;
    ServerLog log;
    ServerLog::TraceSettings t;
    t.level = 1;
    t.components = "ALL";
    t.path = home.file("t.trc");
    t.maxBytes = 200;
    t.files = 3;
    log.setTrace(t);
    for (int i = 0; i < 40; ++i)
        log.trace(1, "Server", "line " + std::to_string(i));
    for (const char* name : {"t.trc", "t.trc.1", "t.trc.2"})
    {
        ASSERT_TRUE(home.exists(name)) << name;
        EXPECT_LE(home.read(name).size(), 200u) << name;
    }
    EXPECT_FALSE(home.exists("t.trc.3"));
    EXPECT_NE(home.read("t.trc").find("line 39"), std::string::npos);

    // One file kept: it starts again.
    t.files = 1;
    t.path = home.file("one.trc");
    log.setTrace(t);
    for (int i = 0; i < 40; ++i)
        log.trace(1, "Server", "line " + std::to_string(i));
    EXPECT_LE(home.read("one.trc").size(), 200u);
    EXPECT_FALSE(home.exists("one.trc.1"));
}

TEST(ServerLogTest, FailuresToOpenOrWriteAreReportedOrSurvived)
{
    TempHome home;
    FailingSystemCalls openFails;
    openFails.failOn("open", 1, EACCES);
    ServerLog refused(openFails);
    std::string error;
    EXPECT_FALSE(refused.openLog(home.path(), error));
    EXPECT_EQ(error, "cannot open " + home.file("cimserver.log") + ": Permission denied");

    home.write("not-a-dir", "x");
    ServerLog blocked;
    EXPECT_FALSE(blocked.openLog(home.file("not-a-dir"), error));
    EXPECT_NE(error.find("not-a-dir"), std::string::npos);

    // A full disk or a file-size limit loses lines, never the caller.
    FailingSystemCalls full;
    full.failOn("write", 0, EFBIG);
    ServerLog log(full);
    ASSERT_TRUE(log.openLog(home.path(), error));
    ServerLog::TraceSettings t;
    t.level = 5;
    t.components = "ALL";
    t.path = home.file("t.trc");
    log.setTrace(t);
    EXPECT_NO_THROW(log.log(ServerLog::Fatal, "Server", "lost"));
    EXPECT_EQ(home.read("cimserver.log"), "");
    EXPECT_GE(full.calls("write"), 2);
}

TEST(ServerLogTest, ConfigureReadsTheCurrentValues)
{
    TempHome home;
    ServerConfig config(home.path());
    config.loadForStart({{"traceLevel", "3"},
                         {"traceComponents", "Dispatcher"},
                         {"traceFilePath", "my/trace.trc"},
                         {"logLevel", "severe"}});
    ServerLog log;
    std::string error;
    ASSERT_TRUE(log.openLog(home.path(), error));
    log.configure(config);
    EXPECT_TRUE(log.tracing(3, "Dispatcher"));
    EXPECT_FALSE(log.tracing(4, "Dispatcher"));
    log.trace(3, "Dispatcher", "x");
    log.log(ServerLog::Warning, "Server", "below SEVERE");
    EXPECT_TRUE(home.exists("my/trace.trc"));
    EXPECT_EQ(home.read("cimserver.log"), "");
    EXPECT_TRUE(ServerLog::isLogProperty("traceLevel"));
    EXPECT_TRUE(ServerLog::isLogProperty("logLevel"));
    EXPECT_FALSE(ServerLog::isLogProperty("providerDir"));
}

}  // namespace
