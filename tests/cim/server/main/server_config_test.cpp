#include <gtest/gtest.h>

#include "FailingSystemCalls.h"
#include "ServerConfig.h"
#include "TempHome.h"

using namespace Pegasus;

namespace {

ConfigEntries fileEntries(const TempHome& home, const std::string& name)
{
    ConfigEntries entries;
    readConfigFile(SystemCalls::real(), home.file(name), entries);
    return entries;
}

TEST(ServerConfigTest, StartCopiesPlannedOverCurrent)
{
    TempHome home;
    home.write("cimserver_planned.conf", "traceLevel=2\nhttpPort=6000\n");
    home.write("cimserver_current.conf", "traceLevel=5\nlogLevel=FATAL\n");
    ServerConfig config(home.path());
    config.loadForStart();

    EXPECT_EQ(config.current("traceLevel"), "2");
    EXPECT_EQ(config.current("logLevel"), "INFORMATION");
    EXPECT_EQ(config.planned("httpPort"), "6000");
    EXPECT_EQ(fileEntries(home, "cimserver_current.conf"),
              fileEntries(home, "cimserver_planned.conf"));
}

TEST(ServerConfigTest, StartWithoutPlannedFileRemovesCurrentFile)
{
    TempHome home;
    home.write("cimserver_current.conf", "traceLevel=5\n");
    ServerConfig config(home.path());
    config.loadForStart();
    EXPECT_FALSE(home.exists("cimserver_current.conf"));
    EXPECT_EQ(config.current("traceLevel"), "0");
}

TEST(ServerConfigTest, BadPlannedFileStopsTheStart)
{
    struct
    {
        const char* text;
        const char* message;
    } cases[] = {
        {"bogus=1\n", "Unrecognized config property: bogus"},
        {"traceLevel=9\n", "Invalid property value: traceLevel=9"},
        {"oops\n", "Syntax error in configuration file: "},
    };
    for (const auto& c : cases)
    {
        TempHome home;
        home.write("cimserver_planned.conf", c.text);
        ServerConfig config(home.path());
        try
        {
            config.loadForStart();
            ADD_FAILURE() << c.text;
        }
        catch (const ConfigError& e)
        {
            EXPECT_EQ(std::string(e.what()).find(c.message), 0u) << e.what();
        }
    }
}

TEST(ServerConfigTest, CommandLineValuesLastForThisRunOnly)
{
    TempHome home;
    ServerConfig config(home.path());
    config.loadForStart();
    config.setFromCommandLine("httpPort", "5999");
    config.setFromCommandLine("enableHttpsConnection", "false");

    EXPECT_EQ(config.current("httpPort"), "5999");
    EXPECT_EQ(config.planned("httpPort"), "");
    EXPECT_EQ(fileEntries(home, "cimserver_current.conf"),
              (ConfigEntries{{"enableHttpsConnection", "false"},
                             {"httpPort", "5999"}}));
    EXPECT_FALSE(home.exists("cimserver_planned.conf"));

    try
    {
        config.setFromCommandLine("nosuch", "1");
        FAIL();
    }
    catch (const ConfigError& e)
    {
        EXPECT_EQ(e.kind(), ConfigError::UnknownProperty);
        EXPECT_STREQ(e.what(), "Unrecognized config property: nosuch");
    }
    try
    {
        config.setFromCommandLine("httpPort", "abc");
        FAIL();
    }
    catch (const ConfigError& e)
    {
        EXPECT_EQ(e.kind(), ConfigError::InvalidValue);
        EXPECT_STREQ(e.what(), "Invalid property value: httpPort=abc");
    }
    EXPECT_EQ(config.current("httpPort"), "5999");
}

TEST(ServerConfigTest, StartWithCommandLineMatchesStepByStepStart)
{
    const ConfigEntries commandLine{{"httpPort", "5999"}, {"enableHttpsConnection", "false"}};
    for (const char* planned : {"", "traceLevel=2\nhttpPort=6000\n"})
    {
        TempHome stepwise;
        TempHome atOnce;
        if (*planned != '\0')
        {
            stepwise.write("cimserver_planned.conf", planned);
            atOnce.write("cimserver_planned.conf", planned);
        }
        ServerConfig a(stepwise.path());
        a.loadForStart();
        for (const auto& entry : commandLine)
            a.setFromCommandLine(entry.first, entry.second);
        ServerConfig b(atOnce.path());
        b.loadForStart(commandLine);

        for (const char* name : {"httpPort", "enableHttpsConnection", "traceLevel"})
        {
            EXPECT_EQ(b.current(name), a.current(name)) << planned << name;
            EXPECT_EQ(b.planned(name), a.planned(name)) << planned << name;
        }
        EXPECT_EQ(atOnce.read("cimserver_current.conf"), stepwise.read("cimserver_current.conf"))
            << planned;
    }
}

TEST(ServerConfigTest, StartWithBadCommandLineWritesNothing)
{
    TempHome home;
    home.write("cimserver_current.conf", "traceLevel=5\n");
    ServerConfig config(home.path());
    try
    {
        config.loadForStart(ConfigEntries{{"httpPort", "5999"}, {"nosuch", "1"}});
        FAIL();
    }
    catch (const ConfigError& e)
    {
        EXPECT_EQ(e.kind(), ConfigError::UnknownProperty);
        EXPECT_STREQ(e.what(), "Unrecognized config property: nosuch");
    }
    EXPECT_EQ(home.read("cimserver_current.conf"), "traceLevel=5\n");
}

struct UpdateErrorCase
{
    const char* name;
    const char* value;
    bool setCurrent;
    ConfigError::Kind kind;
    const char* message;
};

class ServerConfigUpdateErrorTest
    : public ::testing::TestWithParam<UpdateErrorCase>
{
};

TEST_P(ServerConfigUpdateErrorTest, RejectsAndChangesNothing)
{
    const UpdateErrorCase& c = GetParam();
    TempHome home;
    ServerConfig config(home.path());
    config.loadForStart();
    try
    {
        config.update(c.name, c.value, false, c.setCurrent, !c.setCurrent);
        FAIL() << c.name;
    }
    catch (const ConfigError& e)
    {
        EXPECT_EQ(e.kind(), c.kind);
        EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_FALSE(home.exists("cimserver_current.conf"));
    EXPECT_FALSE(home.exists("cimserver_planned.conf"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerConfigUpdateErrorTest,
    ::testing::Values(
        UpdateErrorCase{"nosuch", "1", true, ConfigError::UnknownProperty,
                        "Configuration property \"nosuch\""},
        UpdateErrorCase{"httpPort", "5999", true, ConfigError::NotDynamic,
                        "NonDynamic config property: httpPort"},
        UpdateErrorCase{"traceLevel", "abc", true, ConfigError::InvalidValue,
                        "Invalid property value: traceLevel=abc"},
        UpdateErrorCase{"httpPort", "x", false, ConfigError::InvalidValue,
                        "Invalid property value: httpPort=x"}));

TEST(ServerConfigTest, UpdateCurrentAndPlannedAndReset)
{
    TempHome home;
    ServerConfig config(home.path());
    config.loadForStart();
    std::vector<std::pair<std::string, std::string> > changes;
    config.setChangeListener(
        [&](const std::string& n, const std::string& v) {
            changes.emplace_back(n, v);
        });

    config.update("traceLevel", "3", false, true, false);
    config.update("traceLevel", "4", false, false, true);
    config.update("httpPort", "5999", false, false, true);  // static: planned ok
    EXPECT_EQ(config.current("traceLevel"), "3");
    EXPECT_EQ(config.planned("traceLevel"), "4");
    EXPECT_EQ(fileEntries(home, "cimserver_planned.conf"),
              (ConfigEntries{{"httpPort", "5999"}, {"traceLevel", "4"}}));
    EXPECT_EQ(fileEntries(home, "cimserver_current.conf"),
              (ConfigEntries{{"traceLevel", "3"}}));

    config.update("traceLevel", "", true, true, true);
    EXPECT_EQ(config.current("traceLevel"), "0");
    EXPECT_EQ(config.planned("traceLevel"), "0");
    EXPECT_EQ(fileEntries(home, "cimserver_planned.conf"),
              (ConfigEntries{{"httpPort", "5999"}}));

    // Only current-value changes are announced, with the value in effect.
    EXPECT_EQ(changes,
              (std::vector<std::pair<std::string, std::string> >{
                  {"traceLevel", "3"}, {"traceLevel", "0"}}));
}

TEST(ServerConfigTest, FailedWriteLeavesValuesUnchanged)
{
    TempHome home;
    FailingSystemCalls sys;
    ServerConfig config(home.path(), sys);
    config.loadForStart();
    sys.failOn("open", 0, ENOSPC);
    EXPECT_THROW(config.update("traceLevel", "3", false, true, false),
                 ConfigError);
    EXPECT_EQ(config.current("traceLevel"), "0");
}

TEST(ServerConfigTest, ProviderDirsAreResolvedAgainstHome)
{
    TempHome home;
    home.mkdir("provider");
    home.mkdir("provider/a");
    home.mkdir("provider/b");
    ServerConfig config(home.path());
    config.loadForStart();
    EXPECT_EQ(config.providerDirs(),
              (std::vector<std::string>{home.path() + "/lib"}));
    config.update("providerDir", "provider/a:provider/b:", false, true, false);
    EXPECT_EQ(config.providerDirs(),
              (std::vector<std::string>{home.path() + "/provider/a",
                                        home.path() + "/provider/b"}));
}

TEST(ServerConfigTest, ReadOnlyLoadTouchesNoFile)
{
    TempHome home;
    home.write("cimserver_current.conf", "traceLevel=3\n");
    home.write("cimserver_planned.conf", "traceLevel=4\n");
    ServerConfig config(home.path());
    config.loadReadOnly();
    EXPECT_EQ(config.current("traceLevel"), "3");
    EXPECT_EQ(config.planned("traceLevel"), "4");
    EXPECT_EQ(config.plannedOverrides(),
              (ConfigEntries{{"traceLevel", "4"}}));
    EXPECT_EQ(home.read("cimserver_current.conf"), "traceLevel=3\n");
}

}  // namespace
