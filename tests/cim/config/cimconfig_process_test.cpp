// The staged cimconfig against a running cimserver and without one.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <sys/un.h>

#include "CimserverProcess.h"
#include "LocalSocketPath.h"

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

// Stands where the server's local socket would be and answers each request
// with `answer` (after reading what the client sent), or closes at once when
// `answer` is empty.
class BrokenServer
{
public:
    BrokenServer(const std::string& home, std::string answer) : _answer(std::move(answer))
    {
        _fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const std::string path = Pegasus::LocalSocketPath::socketPathUnder(home);
        std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", path.c_str());
        if (::bind(_fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
            ::listen(_fd, 4) != 0)
            throw std::runtime_error("cannot listen on " + path);
        _thread = std::thread([this] { serve(); });
    }
    ~BrokenServer()
    {
        _stop = true;
        ::shutdown(_fd, SHUT_RDWR);
        _thread.join();
        ::close(_fd);
    }

private:
    void serve()
    {
        while (!_stop)
        {
            int client = ::accept(_fd, nullptr, nullptr);
            if (client < 0)
                return;
            if (!_answer.empty())
            {
                // Enough of the request to know the client has sent it.
                std::string request;
                char buffer[4096];
                pollfd p{client, POLLIN, 0};
                while (request.find("</CIM>") == std::string::npos &&
                       ::poll(&p, 1, 2000) > 0)
                {
                    ssize_t n = ::read(client, buffer, sizeof(buffer));
                    if (n <= 0)
                        break;
                    request.append(buffer, n);
                }
                if (::write(client, _answer.data(), _answer.size()) < 0)
                {
                    // The client went away; nothing to report.
                }
            }
            ::close(client);
        }
    }

    std::string _answer;
    int _fd = -1;
    std::atomic<bool> _stop{false};
    std::thread _thread;
};

TEST(CimconfigBrokenServerTest, BadAnswersGiveOneLineAndAFailureStatus)
{
    const struct
    {
        const char* what;
        std::string answer;
    } answers[] = {
        {"connection closed", ""},
        {"garbage", "\x01\x02 this is not HTTP\r\n\r\n"},
        {"HTTP 500", "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"},
        {"not CIM-XML", "HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\n"
                        "CIMOperation: MethodResponse\r\nContent-Length: 5\r\n\r\n<CIM>"},
    };
    for (const auto& a : answers)
    {
        CimserverProcess home;
        BrokenServer broken(home.home().path(), a.answer);
        for (const auto& args : {std::vector<std::string>{"-g", "traceLevel"},
                                 std::vector<std::string>{"-s", "traceLevel=2"},
                                 std::vector<std::string>{"-u", "traceLevel"}})
        {
            SCOPED_TRACE(std::string(a.what) + ": " + args[0]);
            RunResult r = home.run("cimconfig", args, 15000);
            EXPECT_EQ(r.status, 1) << "killed by a signal if -1";
            EXPECT_EQ(r.out, "");
            ASSERT_FALSE(r.err.empty());
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
            EXPECT_EQ(r.err.find("Failed to "), 0u) << r.err;
        }
    }
}

}  // namespace
