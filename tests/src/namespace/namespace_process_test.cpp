// The server process lifecycle without the real server: port choice, the
// start and stop command lines, and finding and killing a residual server
// named in the consumer's start file.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
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

// A stand-in network for getAvailablePort: socket() gives kFd (or fails
// with SocketError() when that is set), and a bind of kFd to 127.0.0.1
// succeeds only for the ports in FreePorts().  Binds and closes are
// recorded; a bind that is not of kFd to an IPv4 address of 127.0.0.1 is
// recorded as port 0.
struct FakeNetwork {
    static constexpr int kFd = 1000;

    static int& SocketError()
    {
        static int error = 0;
        return error;
    }
    static std::set<unsigned int>& FreePorts()
    {
        static std::set<unsigned int> ports;
        return ports;
    }
    static std::vector<unsigned int>& Binds()
    {
        static std::vector<unsigned int> binds;
        return binds;
    }
    static std::vector<int>& Closes()
    {
        static std::vector<int> closes;
        return closes;
    }

    static void Install(int socketError, std::set<unsigned int> const& freePorts)
    {
        SocketError() = socketError;
        FreePorts() = freePorts;
        Binds().clear();
        Closes().clear();
        TPEGASUSNamespace::TSystemCalls& calls = nsptest::SystemCallsGuard::Calls();
        calls.socket = [](int domain, int type, int protocol) {
            if (SocketError() != 0 || domain != AF_INET || type != SOCK_STREAM || protocol != 0) {
                errno = SocketError() != 0 ? SocketError() : EINVAL;
                return -1;
            }
            return kFd;
        };
        calls.bind = [](int fd, sockaddr const* address, socklen_t length) {
            sockaddr_in const* in = reinterpret_cast<sockaddr_in const*>(address);
            bool const wellFormed = fd == kFd && length == sizeof(sockaddr_in) &&
                                    in->sin_family == AF_INET &&
                                    in->sin_addr.s_addr == inet_addr("127.0.0.1");
            unsigned int const port = wellFormed ? ntohs(in->sin_port) : 0;
            Binds().push_back(port);
            if (port != 0 && FreePorts().count(port) != 0)
                return 0;
            errno = EADDRINUSE;
            return -1;
        };
        calls.close = [](int fd) {
            Closes().push_back(fd);
            return 0;
        };
    }
};

class PegasusNamespaceProcess : public nsptest::NamespaceTest {
protected:
    PegasusNamespaceProcess()
    {
        // A consumer of this test alone, so that no other start file is
        // touched.
        fNamespace->SetConsumer("nsptest_process_" + std::to_string(getpid()));
    }
    ~PegasusNamespaceProcess() override
    {
        fs::remove(fNamespace->GetStartFilePath());
        fNamespace.reset();
    }

    std::string StartFileRemoval() const
    {
        return "system rm /var/tmp/cimserverqrv_tc_" + fNamespace->GetConsumer() +
               "_start.conf -f > nul 2>&1";
    }
};

TEST_F(PegasusNamespaceProcess, StartFileIsNamedAfterTheConsumer)
{
    fNamespace->SetConsumer("wexlo");
    EXPECT_EQ("/var/tmp/cimserverqrv_tc_wexlo_start.conf", fNamespace->GetStartFilePath());
    fNamespace->SetConsumer("nsptest_process_" + std::to_string(getpid()));
}

// The port choice on a stand-in network: 5988 first, then from the top
// down to 1024, one socket for all probes, closed again.
TEST_F(PegasusNamespaceProcess, PortChoice)
{
    struct Case {
        const char* name;
        std::set<unsigned int> freePorts;
        unsigned int chosen;     // 0: every port busy
        std::size_t probes;      // binds made
        bool fallbackLogged;
    };
    std::size_t const scan = 65535 - 1024 + 1;
    const Case cases[] = {
        {"5988 free", {5988, 65535}, 5988, 1, false},
        {"5988 busy, 65535 free", {65535, 40000}, 65535, 2, true},
        {"only the lowest port free", {1024, 1023}, 1024, 1 + scan, true},
        {"every port busy", {1023}, 0, 1 + scan, true},
    };
    for (Case const& c : cases) {
        FakeNetwork::Install(0, c.freePorts);
        std::size_t const before = fLog.Records().size();
        if (c.chosen != 0) {
            EXPECT_EQ(c.chosen, fNamespace->getAvailablePort()) << c.name;
        } else {
            try {
                fNamespace->getAvailablePort();
                ADD_FAILURE() << c.name << ": returned";
            } catch (nsptest::ExitCalled const& e) {
                EXPECT_EQ(1, e.status) << c.name;
            }
        }
        std::vector<unsigned int> const& binds = FakeNetwork::Binds();
        ASSERT_EQ(c.probes, binds.size()) << c.name;
        EXPECT_EQ(5988u, binds.front()) << c.name;
        if (c.probes > 1) {
            EXPECT_EQ(65535u, binds[1]) << c.name;
            EXPECT_EQ(c.probes == 2 ? 65535u : 1024u, binds.back()) << c.name;
        }
        EXPECT_EQ(std::vector<int>({FakeNetwork::kFd}), FakeNetwork::Closes()) << c.name;

        std::vector<nsptest::LogRecord> records = fLog.Records();
        records.erase(records.begin(), records.begin() + static_cast<long>(before));
        ASSERT_EQ(c.fallbackLogged ? 1u : 0u, records.size()) << c.name;
        if (c.fallbackLogged) {
            EXPECT_EQ("Can not bind to port 5988, try others", records[0].text);
            EXPECT_EQ(3, records[0].severity);
        }
    }
}

// A socket that cannot be opened fails the call (and so the start attempt)
// without binding, closing, exiting or logging anything.
TEST_F(PegasusNamespaceProcess, SocketFailureThrows42WithTheSystemError)
{
    FakeNetwork::Install(EMFILE, {5988});
    std::size_t const before = fLog.Records().size();
    try {
        fNamespace->getAvailablePort();
        ADD_FAILURE() << "no exception";
    } catch (TKTAException const& e) {
        EXPECT_EQ(TKTAStatusCode::kConnectionFailed, e.GetStatusCode());
        EXPECT_NE(std::string::npos, e.GetDetail().find(std::strerror(EMFILE)))
            << e.GetDetail();
    }
    EXPECT_TRUE(FakeNetwork::Binds().empty());
    EXPECT_TRUE(FakeNetwork::Closes().empty());
    EXPECT_EQ(before, fLog.Records().size());
}

// The same on the machine's own network, through the real calls.
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
    EXPECT_EQ(std::vector<std::string>(
                  {nsptest::SystemCallsGuard::KillEntry(server.Pid(), 9), StartFileRemoval()}),
              nsptest::SystemCallsGuard::Trace());
}

// A kill that fails changes nothing else: no exception, and the start file
// is removed all the same.
TEST_F(PegasusNamespaceProcess, FailedKillStillRemovesTheStartFile)
{
    NamedProcess server(fRoot.Path(), "cimserver-test");
    nsptest::WriteFile(fNamespace->GetStartFilePath(), std::to_string(server.Pid()) + "\n");
    nsptest::SystemCallsGuard::Calls().kill = [](pid_t pid, int signal) {
        nsptest::SystemCallsGuard::Trace().push_back(
            nsptest::SystemCallsGuard::KillEntry(pid, signal));
        errno = EPERM;
        return -1;
    };
    EXPECT_NO_THROW(fNamespace->killResidualCimserver());
    EXPECT_EQ(0, kill(server.Pid(), 0));
    EXPECT_FALSE(fs::exists(fNamespace->GetStartFilePath()));
    EXPECT_EQ(1u, fLog.Matching("Killing process..").size());
    EXPECT_EQ(std::vector<std::string>(
                  {nsptest::SystemCallsGuard::KillEntry(server.Pid(), 9), StartFileRemoval()}),
              nsptest::SystemCallsGuard::Trace());
}

TEST_F(PegasusNamespaceProcess, LeavesAnotherProcessNamedInTheStartFileAlone)
{
    NamedProcess other(fRoot.Path(), "sleeper-test");
    nsptest::WriteFile(fNamespace->GetStartFilePath(), std::to_string(other.Pid()) + "\n");
    fNamespace->killResidualCimserver();
    EXPECT_EQ(0, kill(other.Pid(), 0));
    EXPECT_FALSE(fs::exists(fNamespace->GetStartFilePath()));
    EXPECT_TRUE(fLog.Matching("Killing process..").empty());
    EXPECT_EQ(std::vector<std::string>({StartFileRemoval()}), nsptest::SystemCallsGuard::Trace());
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

TEST_F(PegasusNamespaceProcess, MissingStartFileIsLoggedAndStillRemoved)
{
    fNamespace->killResidualCimserver();
    std::vector<nsptest::LogRecord> records =
        fLog.Matching("Error opening " + fNamespace->GetStartFilePath());
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(3, records[0].severity);
    EXPECT_EQ(std::vector<std::string>({StartFileRemoval()}), nsptest::SystemCallsGuard::Trace());
}

TEST_F(PegasusNamespaceProcess, CallCimserverPassesTheThreeSettingsAndWaitsASecond)
{
    nsptest::WriteRecordingProgram(fRoot / "pegasus/bin/cimserver", "echo started on \"$1\"\n");
    fNamespace->callCimserver(61234);
    EXPECT_EQ(std::vector<std::string>({"sleep 1"}), nsptest::SystemCallsGuard::Trace());
    EXPECT_EQ(std::vector<std::string>(
                  {"httpPort=61234", "enableHttpsConnection=false", "enableAuthentication=false"}),
              nsptest::ReadLines(fRoot / "pegasus/bin/cimserver.args"));
    EXPECT_EQ(fNamespace->GetEnvironment(),
              nsptest::ReadLines(fRoot / "pegasus/bin/cimserver.env"));
    EXPECT_EQ(1u, fLog.Matching("started on httpPort=61234").size());
}

// Neither waits nor touches the start file when the program cannot run.
TEST_F(PegasusNamespaceProcess, MissingServerProgramThrows)
{
    nsptest::WriteFile(fNamespace->GetStartFilePath(), "1\n");
    EXPECT_THROW(fNamespace->callCimserver(61234), TKTAException);
    EXPECT_THROW(fNamespace->closeCimserver(true), TKTAException);
    EXPECT_TRUE(nsptest::SystemCallsGuard::Trace().empty());
    EXPECT_TRUE(fs::exists(fNamespace->GetStartFilePath()));
}

// closeCimserver asks the server to stop (only when told to), waits three
// seconds and then kills whatever the start file still names.
TEST_F(PegasusNamespaceProcess, CloseWaitsThenKillsTheResidualServer)
{
    for (bool stop : {false, true}) {
        nsptest::SystemCallsGuard::Trace().clear();
        fs::remove(fRoot / "pegasus/bin/cimserver.args");
        nsptest::WriteRecordingProgram(fRoot / "pegasus/bin/cimserver", "echo stopping\n");
        NamedProcess server(fRoot.Path(), "cimserver-test");
        nsptest::WriteFile(fNamespace->GetStartFilePath(), std::to_string(server.Pid()));
        fNamespace->closeCimserver(stop);
        if (stop) {
            EXPECT_EQ(std::vector<std::string>({"-s"}),
                      nsptest::ReadLines(fRoot / "pegasus/bin/cimserver.args"));
        } else {
            EXPECT_FALSE(fs::exists(fRoot / "pegasus/bin/cimserver.args"));
        }
        EXPECT_EQ(stop ? 1u : 0u, fLog.Matching("stopping").size());
        EXPECT_EQ(std::vector<std::string>({"sleep 3",
                                            nsptest::SystemCallsGuard::KillEntry(server.Pid(), 9),
                                            StartFileRemoval()}),
                  nsptest::SystemCallsGuard::Trace())
            << "stop " << stop;
        EXPECT_TRUE(server.WasKilled());
        EXPECT_FALSE(fs::exists(fNamespace->GetStartFilePath()));
    }
}

} // namespace
