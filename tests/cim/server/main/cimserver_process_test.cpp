// Starts the staged cimserver as the plug-in does and checks what the
// plug-in and the tools rely on.
#include <gtest/gtest.h>

#include <cstdlib>

#include <Pegasus/Client/CIMClient.h>

#include <sqlite3.h>
#include <sys/un.h>

#include "CimserverProcess.h"
#include "Repository.h"

using namespace Pegasus;

namespace {

const char kAlreadyRunning[] =
    "Unable to start CIMServer. CIMServer is already running.\n";

bool waitUntilGone(pid_t pid, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (isCimserverProcess(pid))
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        ::usleep(10000);
    }
    return true;
}

// One server shared by the checks that do not stop it.
class RunningCimserverTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        server = new CimserverProcess;
        startResult = new RunResult(server->start());
    }
    static void TearDownTestSuite()
    {
        delete server;  // stops it, killing it if need be
        delete startResult;
        server = nullptr;
        startResult = nullptr;
    }

    static CimserverProcess* server;
    static RunResult* startResult;
};

CimserverProcess* RunningCimserverTest::server = nullptr;
RunResult* RunningCimserverTest::startResult = nullptr;

TEST_F(RunningCimserverTest, StartReturnsPromptlyWithItsOutputClosed)
{
    // runProgram reads until every holder of the pipes has closed them, so
    // returning at all means the detached server let go of them.
    EXPECT_FALSE(startResult->timedOut);
    EXPECT_EQ(startResult->status, 0) << startResult->err;
    EXPECT_EQ(startResult->out, "");
    EXPECT_EQ(startResult->err, "");
    EXPECT_LT(startResult->elapsed, std::chrono::seconds(10));
}

TEST_F(RunningCimserverTest, BothStartFilesHoldThePid)
{
    pid_t pid = server->pid();
    ASSERT_GT(pid, 0);
    // Running under the name the plug-in and ps look for.
    EXPECT_TRUE(isCimserverProcess(pid));
    const std::string expected = std::to_string(pid) + "\n";
    EXPECT_EQ(server->home().read("cimserver_start.conf"), expected);
    EXPECT_EQ(server->home().read("plugin_start.conf"), expected);
    EXPECT_EQ(server->home().mode("cimserver_start.conf"), 0600u);
    EXPECT_EQ(server->home().mode("cimxml.socket") & 0777, 0600u);
}

TEST_F(RunningCimserverTest, SecondServerOnTheSameHomeIsRefused)
{
    RunResult second = server->run(
        "cimserver", {"httpPort=" + std::to_string(freePort())});
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.err, kAlreadyRunning);
    // The refused start must not have disturbed the running server.
    EXPECT_TRUE(isCimserverProcess(server->pid()));
    EXPECT_NE(server->home().read("cimserver_current.conf")
                  .find("httpPort=" + std::to_string(server->port())),
              std::string::npos);
}

TEST_F(RunningCimserverTest, StatusSaysRunning)
{
    RunResult status = server->run("cimserver", {"--status"});
    EXPECT_EQ(status.status, 0);
    EXPECT_EQ(status.out, "The CIM Server is running.\n");
}

TEST(CimserverStopTest, DashSStopsWithinASecondAndCleansUp)
{
    CimserverProcess server;
    ASSERT_EQ(server.start().status, 0);
    pid_t pid = server.pid();
    ASSERT_GT(pid, 0);

    RunResult stop = server.stop();
    EXPECT_EQ(stop.status, 0) << stop.err;
    EXPECT_EQ(stop.out, "CIM Server stopped.\n");
    EXPECT_LT(stop.elapsed, std::chrono::milliseconds(1500));
    EXPECT_FALSE(isCimserverProcess(pid));
    for (const char* name : {"cimserver_start.conf", "plugin_start.conf",
                             "cimserver_start.lock", "cimxml.socket"})
        EXPECT_FALSE(server.home().exists(name)) << name;

    RunResult status = server.run("cimserver", {"--status"});
    EXPECT_EQ(status.status, 2);
    EXPECT_EQ(status.out, "The CIM Server is not running.\n");
}

TEST(CimserverStopTest, DashSSignalsOnlyTheServerOfItsHome)
{
    CimserverProcess server;
    ASSERT_EQ(server.start({"shutdownTimeout=2"}).status, 0);
    const pid_t pid = server.pid();
    ASSERT_GT(pid, 0);
    // The start file now names a process that is called cimserver but
    // holds no lock of this home (another home's server, a reused pid).
    TempHome elsewhere;
    DecoyCimserver decoy(elsewhere);
    server.home().write("cimserver_start.conf", std::to_string(decoy.pid()) + "\n");

    RunResult stop = server.run("cimserver", {"-s"});
    EXPECT_EQ(stop.status, 0) << stop.err;
    EXPECT_EQ(stop.out, "CIM Server stopped.\n");
    EXPECT_TRUE(waitUntilGone(pid, std::chrono::seconds(2)));
    EXPECT_TRUE(isCimserverProcess(decoy.pid())) << "the other process was killed";
    EXPECT_TRUE(server.home().exists("cimserver_start.conf")) << "not the server's file";
}

TEST(CimserverStopTest, LogAndTraceRecordWhatTheServerDid)
{
    CimserverProcess server;
    ASSERT_EQ(server.start().status, 0);
    const std::string pid = std::to_string(server.pid());
    EXPECT_EQ(server.home().mode("logs"), 0700u);
    EXPECT_NE(server.home().read("logs/cimserver.log")
                  .find("INFORMATION Server: CIM Server started: process " + pid + ", HTTP port " +
                        std::to_string(server.port()) + " on 127.0.0.1"),
              std::string::npos)
        << server.home().read("logs/cimserver.log");

    // Tracing is switched on while the server runs and shows each operation.
    for (const char* setting : {"traceComponents=Dispatcher", "traceLevel=3"})
        EXPECT_EQ(server.run("cimconfig", {"-s", setting}).status, 0) << setting;
    RunResult get = server.run("cimconfig", {"-g", "httpPort"});
    EXPECT_EQ(get.status, 0);
    EXPECT_NE(server.home().read("trace/cimserver.trc")
                  .find("[3] Dispatcher: GetInstance in root/PG_Internal"),
              std::string::npos)
        << server.home().read("trace/cimserver.trc");

    // What is not offered is refused, not silently ignored.
    RunResult memory = server.run("cimconfig", {"-s", "traceFacility=Memory"});
    EXPECT_EQ(memory.status, 1);
    EXPECT_NE(memory.out.find("the in-memory trace is not offered"), std::string::npos)
        << memory.out << memory.err;

    ASSERT_EQ(server.stop().status, 0);
    const std::string log = server.home().read("logs/cimserver.log");
    EXPECT_NE(log.find("INFORMATION Server: CIM Server stopped."), std::string::npos) << log;
}

TEST(CimserverStopTest, SigtermStopsGracefully)
{
    CimserverProcess server;
    ASSERT_EQ(server.start().status, 0);
    pid_t pid = server.pid();
    ASSERT_GT(pid, 0);
    ::kill(pid, SIGTERM);
    EXPECT_TRUE(waitUntilGone(pid, std::chrono::seconds(2)));
    EXPECT_FALSE(server.home().exists("cimserver_start.conf"));
    EXPECT_FALSE(server.home().exists("plugin_start.conf"));
}

TEST(CimserverStopTest, RestartAfterStopReusesTheHome)
{
    CimserverProcess server;
    ASSERT_EQ(server.start().status, 0);
    ASSERT_EQ(server.stop().status, 0);
    RunResult again = server.start();
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_GT(server.pid(), 0);
}

TEST(CimserverNoServerTest, StopWithoutServer)
{
    TempHome home;
    RunResult stop = runProgram(
        stagedProgram("cimserver"), {"-s"},
        {"PEGASUS_HOME=" + home.path(), "PATH=/usr/bin:/bin"});
    EXPECT_EQ(stop.status, 1);
    EXPECT_EQ(stop.err,
              "Unable to connect to CIM Server.  CIM Server may not be "
              "running.\n");
}

TEST(CimserverNoServerTest, StopKillsNothingItCannotIdentify)
{
    // Something holds the start lock and takes connections on the local
    // socket but never answers, while the start file names a bystander.
    TempHome home;
    home.write("cimserver_current.conf", "shutdownTimeout=1\n");
    StartLock lock(SystemCalls::real(), home.path());
    ASSERT_TRUE(lock.tryAcquire());
    int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s",
                  home.file("cimxml.socket").c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    TempHome elsewhere;
    DecoyCimserver decoy(elsewhere);
    home.write("cimserver_start.conf", std::to_string(decoy.pid()) + "\n");

    RunResult stop = runProgram(stagedProgram("cimserver"), {"-s"},
                                {"PEGASUS_HOME=" + home.path(), "PATH=/usr/bin:/bin"});
    ::close(listener);
    EXPECT_EQ(stop.status, 1);
    EXPECT_EQ(stop.err,
              "Shutdown timeout expired.  The CIM Server process could not be identified by "
              "its start lock, so it was not killed.\n");
    EXPECT_TRUE(isCimserverProcess(decoy.pid()));
    EXPECT_TRUE(holdsStartLock(home.path(), ::getpid()));
}

TEST(CimserverNoServerTest, StaleStartFileDoesNotBlockAStart)
{
    CimserverProcess server;
    TempHome elsewhere;
    DecoyCimserver decoy(elsewhere);
    server.home().write("cimserver_start.conf", std::to_string(decoy.pid()) + "\n");
    RunResult start = server.start();
    EXPECT_EQ(start.status, 0) << start.err;
    EXPECT_NE(server.pid(), decoy.pid());
    EXPECT_TRUE(holdsStartLock(server.home().path(), server.pid()));
    EXPECT_TRUE(isCimserverProcess(decoy.pid()));
}

TEST(CimserverNoServerTest, FileSizeLimitFailsTheRequestNotTheServer)
{
    CimserverProcess server;
    ASSERT_EQ(server.startWithFileSizeLimit(4096).status, 0);  // 2 MB
    const pid_t pid = server.pid();
    CIMClient client;
    client.connect("127.0.0.1", server.port(), "", "");
    const CIMNamespaceName ns("root/big");
    client.setQualifier(ns, CIMQualifierDecl("Key", Boolean(false), CIMScope::PROPERTY));
    client.createClass(ns, [] {
        CIMClass c("Big_Blob");
        c.addProperty(CIMProperty("Id", String()).addQualifier(CIMQualifier("Key", true)));
        c.addProperty(CIMProperty("Data", String()));
        return c;
    }());
    // Far more than the limit allows the repository to grow.
    CIMInstance blob("Big_Blob");
    blob.addProperty(CIMProperty("Id", String("b1")));
    blob.addProperty(CIMProperty("Data", String(std::string(3 << 20, 'x').c_str())));
    try
    {
        client.createInstance(ns, blob);
        ADD_FAILURE() << "an instance past the file-size limit was stored";
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(e.getCode(), CIM_ERR_FAILED);
    }
    catch (const Exception& e)
    {
        ADD_FAILURE() << "no CIM error answer: " << e.getMessage().getCString();
    }
    // Still serving, and the repository still takes small writes.
    EXPECT_TRUE(isCimserverProcess(pid));
    CIMClient again;
    again.connect("127.0.0.1", server.port(), "", "");
    EXPECT_EQ(again.enumerateInstanceNames(ns, "Big_Blob").size(), 0u);
    blob.getProperty(blob.findProperty("Data")).setValue(CIMValue(String("small")));
    again.createInstance(ns, blob);
    EXPECT_EQ(again.enumerateInstanceNames(ns, "Big_Blob").size(), 1u);
}

// The server makes its interoperability namespace when the repository lacks
// it; a repository that will not take it (here a trigger stands for a full
// disk) stops the start with the store's reason.
TEST(CimserverNoServerTest, InteropNamespaceThatCannotBeMadeStopsTheStart)
{
    CimserverProcess server;
    const std::string directory = server.home().file("repository");
    {
        Repository tables(directory);
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((directory + "/repository.db").c_str(), &db), SQLITE_OK);
    const int made = sqlite3_exec(db,
                                  "CREATE TRIGGER refuse BEFORE INSERT ON namespaces BEGIN "
                                  "SELECT RAISE(ABORT, 'database or disk is full'); END;",
                                  nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(made, SQLITE_OK);

    RunResult start = server.start();
    EXPECT_EQ(start.status, 1);
    EXPECT_EQ(start.err.rfind("cimserver not started: ", 0), 0u) << start.err;
    EXPECT_NE(start.err.find("database or disk is full"), std::string::npos) << start.err;
    EXPECT_FALSE(server.home().exists("cimserver_start.lock"));
}

TEST(CimserverNoServerTest, CommandLineMessages)
{
    TempHome home;
    struct
    {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {{"nosuch=1"}, 1, "",
         "cimserver not started: Unrecognized config property: nosuch\n"},
        {{"-x"}, 1, "",
         "cimserver not started: Unrecognized command line option. \n"},
        {{"-v"}, 0, "2.14.4\n", ""},
    };
    for (const auto& c : cases)
    {
        RunResult r = runProgram(
            stagedProgram("cimserver"), c.args,
            {"PEGASUS_HOME=" + home.path(), "PATH=/usr/bin:/bin"});
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_EQ(r.out, c.out) << c.args[0];
        EXPECT_EQ(r.err, c.err) << c.args[0];
    }
    // Nothing was started or written for a refused command line.
    EXPECT_FALSE(home.exists("cimserver_current.conf"));
    EXPECT_FALSE(home.exists("cimserver_start.lock"));
}

TEST(CimserverNoServerTest, ForegroundServerStopsOnSigterm)
{
    CimserverProcess server;
    std::vector<std::string> env = server.environment();
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(&e[0]);
    envp.push_back(nullptr);
    const std::string program = stagedProgram("cimserver");
    std::string port = "httpPort=" + std::to_string(server.port());
    std::string start = "startFile=" + server.startFile();
    pid_t pid = ::fork();
    if (pid == 0)
    {
        int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 1);
        ::dup2(null, 2);
        char* argv[] = {const_cast<char*>(program.c_str()),
                        const_cast<char*>("daemon=false"), &port[0], &start[0],
                        nullptr};
        ::execve(program.c_str(), argv, envp.data());
        ::_exit(127);
    }
    // Not detached: the start file names the process we forked.
    bool up = false;
    for (int i = 0; i < 500 && !up; ++i)
    {
        ::usleep(10000);
        up = server.pid() == pid;
    }
    EXPECT_TRUE(up);
    ::kill(pid, SIGTERM);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(server.home().exists("cimserver_start.conf"));
}

}  // namespace
