// The staged cimconfig against a running cimserver and without one.
#include <gtest/gtest.h>

#include "CimserverProcess.h"

namespace {

struct Expect
{
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
};

void check(const CimserverProcess& server, const Expect& e)
{
    RunResult r = server.run("cimconfig", e.args);
    SCOPED_TRACE(::testing::PrintToString(e.args));
    EXPECT_EQ(r.status, e.status);
    EXPECT_EQ(r.out, e.out);
    EXPECT_EQ(r.err, e.err);
}

class CimconfigOnlineTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        server = new CimserverProcess;
        server->home().mkdir("provider");
        server->home().mkdir("provider/a");
        server->home().mkdir("provider/b");
        started = server->start().status == 0;
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(started); }

    static CimserverProcess* server;
    static bool started;
};

CimserverProcess* CimconfigOnlineTest::server = nullptr;
bool CimconfigOnlineTest::started = false;

TEST_F(CimconfigOnlineTest, GetForms)
{
    const std::string port = std::to_string(server->port());
    check(*server, {{"-g", "httpPort"}, 0, "Current value: " + port + "\n", ""});
    check(*server, {{"-g", "traceLevel", "-c", "-p", "-d"}, 0,
                    "Current value: 0\nPlanned value: 0\nDefault value: 0\n",
                    ""});
    check(*server, {{"-g", "hostname", "-d"}, 0, "Default value: \n", ""});
    check(*server, {{"-g", "nosuch"}, 1,
                    "Specified property name was not found.\n",
                    "CIM_ERR_NOT_FOUND: Configuration property \"nosuch\"\n"});
}

TEST_F(CimconfigOnlineTest, PluginSetsProviderDirs)
{
    check(*server, {{"-s", "providerDir=provider/a:provider/b:"}, 0,
                    "Current value for the property providerDir is set to "
                    "\"provider/a:provider/b:\" in CIMServer.\n",
                    ""});
    check(*server, {{"-g", "providerDir"}, 0,
                    "Current value: provider/a:provider/b:\n", ""});
    // A directory that does not exist is refused.
    check(*server, {{"-s", "providerDir=provider/none"}, 1,
                    "Failed to set the config property.CIM_ERR_FAILED: "
                    "Invalid property value: providerDir=provider/none\n",
                    ""});
}

TEST_F(CimconfigOnlineTest, SetAndUnsetForms)
{
    check(*server, {{"-s", "traceLevel=3"}, 0,
                    "Current value for the property traceLevel is set to "
                    "\"3\" in CIMServer.\n",
                    ""});
    check(*server, {{"-s", "traceLevel=4", "-p"}, 0,
                    "Planned value for the property traceLevel is set to "
                    "\"4\" in CIMServer.\n",
                    ""});
    EXPECT_NE(server->home().read("cimserver_planned.conf")
                  .find("\ntraceLevel=4\n"),
              std::string::npos);
    check(*server, {{"-s", "logLevel=WARNING", "-c", "-p"}, 0,
                    "Current value for the property logLevel is set to "
                    "\"WARNING\" in CIMServer.\n"
                    "Planned value for the property logLevel is set to "
                    "\"WARNING\" in CIMServer.\n",
                    ""});
    check(*server, {{"-g", "traceLevel", "-c", "-p"}, 0,
                    "Current value: 3\nPlanned value: 4\n", ""});
    check(*server, {{"-u", "traceLevel"}, 0,
                    "Current value for the property 'traceLevel' is set to "
                    "default value in CIMServer.\n",
                    ""});
    check(*server, {{"-u", "traceLevel", "-p"}, 0,
                    "Property 'traceLevel' is unset in the configuration "
                    "file.\n",
                    ""});
    EXPECT_EQ(server->home().read("cimserver_planned.conf")
                  .find("traceLevel="),
              std::string::npos);
}

TEST_F(CimconfigOnlineTest, SetErrors)
{
    check(*server, {{"-s", "httpPort=5999"}, 1,
                    "Specified property can not be modified.\n",
                    "CIM_ERR_NOT_SUPPORTED: NonDynamic config property: "
                    "httpPort\n"});
    check(*server, {{"-s", "traceLevel=abc"}, 1,
                    "Failed to set the config property.CIM_ERR_FAILED: "
                    "Invalid property value: traceLevel=abc\n",
                    ""});
    check(*server, {{"-s", "nosuch=1"}, 1,
                    "Specified property name was not found.\n",
                    "CIM_ERR_NOT_FOUND: Configuration property \"nosuch\"\n"});
}

TEST_F(CimconfigOnlineTest, ListForms)
{
    RunResult names = server->run("cimconfig", {"-l"});
    EXPECT_EQ(names.status, 0);
    EXPECT_NE(names.out.find("\nhttpPort\n"), std::string::npos);
    EXPECT_EQ(names.out.find('='), std::string::npos);

    RunResult current = server->run("cimconfig", {"-l", "-c"});
    EXPECT_EQ(current.status, 0);
    EXPECT_NE(current.out.find("\nhttpPort=" +
                               std::to_string(server->port()) + "\n"),
              std::string::npos);
    RunResult planned = server->run("cimconfig", {"-l", "-p"});
    EXPECT_NE(planned.out.find("\nhttpPort=\n"), std::string::npos);
}

TEST(CimconfigOfflineTest, WorksOnThePlannedFile)
{
    TempHome home;
    CimserverProcess noServer;  // never started: only its environment
    const CimserverProcess& s = noServer;
    check(s, {{"-l"}, 1,
              "Current value of properties can not be listed because the CIM "
              "server is not running.\n",
              ""});
    check(s, {{"-l", "-p"}, 0,
              "No configuration properties found in the configuration file.\n",
              ""});
    check(s, {{"-g", "traceLevel"}, 1,
              "Current value can not be determined because the CIM server is "
              "not running.\n",
              ""});
    check(s, {{"-g", "traceLevel", "-p"}, 1,
              "Planned value can not be determined because the CIM server is "
              "not running.\n",
              ""});
    check(s, {{"-g", "traceLevel", "-d"}, 1,
              "Option -d is not valid for this command when CIM server is not "
              "running.\n",
              ""});
    check(s, {{"-s", "traceLevel=2"}, 1,
              "Current value for the property 'traceLevel' can not be set "
              "because the CIM server is not running.\n",
              ""});
    check(s, {{"-s", "traceLevel=2", "-p"}, 0,
              "Property 'traceLevel' updated in configuration file.\n", ""});
    check(s, {{"-s", "traceLevel=9", "-p"}, 1,
              "Specified property value is not valid.\n", ""});
    check(s, {{"-s", "nosuch=1", "-p"}, 1,
              "Specified property name was not found.\n", ""});
    check(s, {{"-g", "traceLevel", "-p"}, 0, "Planned value: 2\n", ""});
    check(s, {{"-l", "-p"}, 0, "traceLevel=2\n", ""});
    check(s, {{"-u", "traceLevel"}, 1,
              "Current value for the property 'traceLevel' can not be unset "
              "because the CIM server is not running.\n",
              ""});
    check(s, {{"-u", "traceLevel", "-p"}, 0,
              "Property 'traceLevel' is unset in the configuration file.\n",
              ""});
    EXPECT_EQ(s.home().read("cimserver_planned.conf").find("traceLevel"),
              std::string::npos);
}

TEST(CimconfigOfflineTest, PlannedValueIsUsedByTheNextStart)
{
    CimserverProcess server;
    check(server, {{"-s", "traceLevel=5", "-p"}, 0,
                   "Property 'traceLevel' updated in configuration file.\n",
                   ""});
    ASSERT_EQ(server.start().status, 0);
    check(server, {{"-g", "traceLevel"}, 0, "Current value: 5\n", ""});
}

TEST(CimconfigOfflineTest, UsageAndVersion)
{
    CimserverProcess s;
    check(s, {{"-x"}, 1, "",
              "cimconfig: Unknown flag -x\n"
              "cimconfig: Use '--help' to obtain command syntax.\n"});
    check(s, {{}, 1, "",
              "cimconfig: Required arguments missing.\n"
              "cimconfig: Use '--help' to obtain command syntax.\n"});
    check(s, {{"--version"}, 0, "", "Version 2.14.4\n"});
    RunResult help = s.run("cimconfig", {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, "");
    EXPECT_NE(help.err.find("cimconfig -g name"), std::string::npos);

    RunResult all = s.run("cimconfig", {"-H", "All"});
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.out.find("\n\nhttpPort (Static,Default:)\n"),
              std::string::npos);
    check(s, {{"-H", "nosuch"}, 1, "Specified property name was not found.\n",
              ""});
}

}  // namespace
