// The server process lifecycle without the real server: port choice, the
// start and stop command lines, and finding and killing a residual server
// named in the consumer's start file.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "TInmemNamespace.h"
#include "TKTAException.h"
#include "TPEGASUSNamespace.h"

#include "NamespaceTestSupport.h"

using namespace NQRVKTA20;
namespace fs = std::filesystem;

namespace {

// A child process running a copy of /bin/sleep under the given file name
// (the name "ps -e" shows); killed and reaped at the end.
class NamedProcess {
public:
    NamedProcess(std::string const& dir, std::string const& name)
    {
        std::string const program = dir + "/" + name;
        if (!fs::exists(program))
            fs::copy_file("/bin/sleep", program);
        fPid = fork();
        if (fPid == 0) {
            execl(program.c_str(), name.c_str(), "300", static_cast<char*>(nullptr));
            _exit(127);
        }
        // Let the exec happen before anyone looks at the process list.
        usleep(200 * 1000);
    }
    ~NamedProcess()
    {
        if (!fReaped) {
            kill(fPid, SIGKILL);
            waitpid(fPid, nullptr, 0);
        }
    }
    pid_t Pid() const { return fPid; }

    // Whether it was ended by SIGKILL within a second.
    bool WasKilled()
    {
        for (int i = 0; i < 100; ++i) {
            int status = 0;
            if (waitpid(fPid, &status, WNOHANG) == fPid) {
                fReaped = true;
                return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
            }
            usleep(10 * 1000);
        }
        return false;
    }

private:
    pid_t fPid;
    bool fReaped = false;
};

// Binds (and listens on) 127.0.0.1:port for its life, if it can.
class PortHolder {
public:
    explicit PortHolder(uint16_t port) : fFd(socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address;
        memset(&address, 0, sizeof address);
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = inet_addr("127.0.0.1");
        address.sin_port = htons(port);
        fBound = bind(fFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                 listen(fFd, 4) == 0;
    }
    ~PortHolder() { close(fFd); }
    bool Bound() const { return fBound; }

private:
    int fFd;
    bool fBound;
};

class PegasusNamespaceProcess : public ::testing::Test {
protected:
    PegasusNamespaceProcess()
        : fCwd(fRoot.Path()), fRepository(new TInmemNamespace("repository"))
    {
        fNamespace.reset(new TPEGASUSNamespace(nsptest::MakeContext(&fRepository), "root/cimv2"));
        // A consumer of this test alone, so that no other start file is
        // touched.
        fNamespace->SetConsumer("nsptest_process_" + std::to_string(getpid()));
    }
    ~PegasusNamespaceProcess() override
    {
        fs::remove(fNamespace->GetStartFilePath());
        // Without a server program the namespace's own stop request fails at
        // once instead of costing its three-second pause.
        fs::remove(fRoot / "pegasus/bin/cimserver");
        fNamespace.reset();
    }

    nsptest::TempDir fRoot;
    nsptest::CwdGuard fCwd;
    nsptest::LogCapture fLog;
    boost::shared_ptr<ICIMNamespace> fRepository;
    boost::shared_ptr<TPEGASUSNamespace> fNamespace;
};

TEST_F(PegasusNamespaceProcess, StartFileIsNamedAfterTheConsumer)
{
    fNamespace->SetConsumer("wexlo");
    EXPECT_EQ("/var/tmp/cimserverqrv_tc_wexlo_start.conf", fNamespace->GetStartFilePath());
    fNamespace->SetConsumer("nsptest_process_" + std::to_string(getpid()));
}

TEST_F(PegasusNamespaceProcess, Port5988WhenItIsFree)
{
    {
        PortHolder probe(5988);
        if (!probe.Bound())
            GTEST_SKIP() << "port 5988 is in use on this machine";
    }
    EXPECT_EQ(5988, fNamespace->getAvailablePort());
    EXPECT_TRUE(fLog.Matching("Can not bind").empty());
}

TEST_F(PegasusNamespaceProcess, Busy5988FallsBackToTheHighestFreePort)
{
    // Whether this test or something else holds 5988, it is busy now.
    PortHolder holder(5988);
    uint16_t highestFree = 0;
    for (unsigned int port = 65535; port >= 1024 && highestFree == 0; --port) {
        PortHolder probe(static_cast<uint16_t>(port));
        if (probe.Bound())
            highestFree = static_cast<uint16_t>(port);
    }
    uint16_t chosen = fNamespace->getAvailablePort();
    EXPECT_EQ(highestFree, chosen);
    std::vector<nsptest::LogRecord> records =
        fLog.Matching("Can not bind to port 5988, try others");
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(3, records[0].severity);
    // The probe socket is closed again: the port can be bound at once.
    PortHolder after(chosen);
    EXPECT_TRUE(after.Bound());
}

TEST_F(PegasusNamespaceProcess, ResidualOnlyForALiveProcessNamedCimserver)
{
    NamedProcess server(fRoot.Path(), "cimserver-test");
    NamedProcess other(fRoot.Path(), "sleeper-test");
    EXPECT_TRUE(fNamespace->isResidualCimserver(server.Pid()));
    EXPECT_FALSE(fNamespace->isResidualCimserver(other.Pid()));
    // Exact text equality of the first word: a prefix of the id is no
    // match.
    EXPECT_FALSE(fNamespace->isResidualCimserver(server.Pid() / 10));
    EXPECT_FALSE(fNamespace->isResidualCimserver(0));
    // The process list is logged.
    EXPECT_FALSE(fLog.Matching("cimserver-test").empty());
}

TEST_F(PegasusNamespaceProcess, KillsTheResidualServerAndRemovesTheStartFile)
{
    NamedProcess server(fRoot.Path(), "cimserver-test");
    nsptest::WriteFile(fNamespace->GetStartFilePath(), std::to_string(server.Pid()) + "\n");
    fNamespace->killResidualCimserver();
    EXPECT_TRUE(server.WasKilled());
    EXPECT_FALSE(fs::exists(fNamespace->GetStartFilePath()));
    EXPECT_EQ(1u, fLog.Matching("Killing process..").size());
}

TEST_F(PegasusNamespaceProcess, LeavesAnotherProcessNamedInTheStartFileAlone)
{
    NamedProcess other(fRoot.Path(), "sleeper-test");
    nsptest::WriteFile(fNamespace->GetStartFilePath(), std::to_string(other.Pid()) + "\n");
    fNamespace->killResidualCimserver();
    EXPECT_EQ(0, kill(other.Pid(), 0));
    EXPECT_FALSE(fs::exists(fNamespace->GetStartFilePath()));
    EXPECT_TRUE(fLog.Matching("Killing process..").empty());
}

TEST_F(PegasusNamespaceProcess, GarbledStartFileKillsNothingAndIsRemoved)
{
    NamedProcess server(fRoot.Path(), "cimserver-test");
    for (std::string const& content : {std::string(""), std::string("pid\n")}) {
        nsptest::WriteFile(fNamespace->GetStartFilePath(), content);
        fNamespace->killResidualCimserver();
        EXPECT_EQ(0, kill(server.Pid(), 0));
        EXPECT_FALSE(fs::exists(fNamespace->GetStartFilePath()));
    }
    EXPECT_TRUE(fLog.Matching("Error opening").empty());
}

TEST_F(PegasusNamespaceProcess, MissingStartFileIsLogged)
{
    fNamespace->killResidualCimserver();
    std::vector<nsptest::LogRecord> records =
        fLog.Matching("Error opening " + fNamespace->GetStartFilePath());
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(3, records[0].severity);
}

TEST_F(PegasusNamespaceProcess, CallCimserverPassesTheThreeSettingsAndWaitsASecond)
{
    nsptest::WriteRecordingProgram(fRoot / "pegasus/bin/cimserver", "echo started on \"$1\"\n");
    auto started = std::chrono::steady_clock::now();
    fNamespace->callCimserver(61234);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
    EXPECT_EQ(std::vector<std::string>(
                  {"httpPort=61234", "enableHttpsConnection=false", "enableAuthentication=false"}),
              nsptest::ReadLines(fRoot / "pegasus/bin/cimserver.args"));
    EXPECT_EQ(fNamespace->GetEnvironment(),
              nsptest::ReadLines(fRoot / "pegasus/bin/cimserver.env"));
    EXPECT_EQ(1u, fLog.Matching("started on httpPort=61234").size());
}

TEST_F(PegasusNamespaceProcess, MissingServerProgramThrows)
{
    EXPECT_THROW(fNamespace->callCimserver(61234), TKTAException);
    EXPECT_THROW(fNamespace->closeCimserver(true), TKTAException);
}

// closeCimserver(true) asks the server to stop, waits three seconds and then
// kills whatever the start file still names.
TEST_F(PegasusNamespaceProcess, CloseStopsThenWaitsThenKillsTheResidualServer)
{
    nsptest::WriteRecordingProgram(fRoot / "pegasus/bin/cimserver");
    NamedProcess server(fRoot.Path(), "cimserver-test");
    nsptest::WriteFile(fNamespace->GetStartFilePath(), std::to_string(server.Pid()));
    auto started = std::chrono::steady_clock::now();
    fNamespace->closeCimserver(true);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_EQ(std::vector<std::string>({"-s"}),
              nsptest::ReadLines(fRoot / "pegasus/bin/cimserver.args"));
    EXPECT_TRUE(server.WasKilled());
    EXPECT_FALSE(fs::exists(fNamespace->GetStartFilePath()));
}

TEST_F(PegasusNamespaceProcess, CloseWithoutStopRequestStillClearsTheResidualServer)
{
    nsptest::WriteRecordingProgram(fRoot / "pegasus/bin/cimserver");
    NamedProcess server(fRoot.Path(), "cimserver-test");
    nsptest::WriteFile(fNamespace->GetStartFilePath(), std::to_string(server.Pid()));
    auto started = std::chrono::steady_clock::now();
    fNamespace->closeCimserver(false);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_FALSE(fs::exists(fRoot / "pegasus/bin/cimserver.args"));
    EXPECT_TRUE(server.WasKilled());
    EXPECT_FALSE(fs::exists(fNamespace->GetStartFilePath()));
}

} // namespace
