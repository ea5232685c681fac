// A start that fails before the server detaches, run in this process with
// system calls that fail: each failure is one line on standard error, the
// exit status is 1, and the start lock is given back so the next start can
// take it.  (Starts that succeed run the real program: cimserver_process_test.)
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "CimserverProcess.h"
#include "FailingSystemCalls.h"
#include "ServerStart.h"
#include "ServerStop.h"
#include "StartFiles.h"
#include "TempHome.h"

using namespace Pegasus;

namespace {

// A socket listening on 127.0.0.1:port for the test's lifetime.
class PortTaken
{
public:
    PortTaken()
    {
        _fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr;
        std::memset(&addr, 0, sizeof(addr));
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof(addr);
        if (_fd < 0 || ::bind(_fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
            ::listen(_fd, 1) != 0 ||
            ::getsockname(_fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            throw std::runtime_error("cannot listen on a loopback port");
        _port = ntohs(addr.sin_port);
    }
    ~PortTaken() { ::close(_fd); }
    unsigned port() const { return _port; }

private:
    int _fd = -1;
    unsigned _port = 0;
};

struct Outcome
{
    int status;
    std::string errors;
};

Outcome start(const TempHome& home, unsigned port, SystemCalls& sys)
{
    ServerCommandLine line;
    line.properties = {{"httpPort", std::to_string(port)}, {"daemon", "true"}};
    testing::internal::CaptureStderr();
    const int status = startServer(home.path(), line, sys);
    return Outcome{status, testing::internal::GetCapturedStderr()};
}

// The failed start gave the lock back and removed its file (closing the
// descriptor alone would free the lock but leave the file).
void expectLockFree(const TempHome& home)
{
    EXPECT_NE(::access(startLockPath(home.path()).c_str(), F_OK), 0)
        << "the failed start left its start lock behind";
    StartLock again(SystemCalls::real(), home.path());
    EXPECT_TRUE(again.tryAcquire());
    again.releaseAndRemove();
}

TEST(ServerStartFailures, EachFailureBeforeDetachingIsOneLineAndFreesTheLock)
{
    struct Case
    {
        const char* call;
        int error;
        const char* expected;
    } const cases[] = {
        {"pipe", EMFILE, "cimserver not started: cannot create a pipe: Too many open files\n"},
        {"fork", EAGAIN,
         "cimserver not started: cannot fork: Resource temporarily unavailable\n"},
        {"access", EACCES,
         "cimserver not started: For property repositoryDir specified value repository is "
         "not a directory or the directory is not writeable.\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.call);
        TempHome home;
        FailingSystemCalls sys;
        sys.failOn(c.call, 0, c.error);
        const Outcome outcome = start(home, freePort(), sys);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.errors, c.expected);
        EXPECT_EQ(sys.calls(c.call), 1);
        expectLockFree(home);
    }
}

TEST(ServerStartFailures, ABusyPortIsReportedBeforeDetaching)
{
    TempHome home;
    PortTaken taken;
    FailingSystemCalls sys;
    const Outcome outcome = start(home, taken.port(), sys);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.errors, "cimserver not started: Bind failed: Failed to bind socket on port " +
                                  std::to_string(taken.port()) +
                                  ": Address already in use (error code 98).\n");
    EXPECT_EQ(sys.calls("fork"), 0) << "the server detached although it could not listen";
    EXPECT_FALSE(home.exists("cimserver_start.conf"));
    expectLockFree(home);
}

// The HTTP port is opened through the seam: whichever of its steps fails,
// the start names the port and the reason before detaching.
TEST(ServerStartFailures, AnHttpPortThatCannotBeOpenedIsReported)
{
    for (const char* call : {"socket", "setsockopt", "bind", "listen"})
    {
        SCOPED_TRACE(call);
        TempHome home;
        FailingSystemCalls sys;
        sys.failOn(call, 1, EACCES);
        const unsigned port = freePort();
        const Outcome outcome = start(home, port, sys);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.errors, "cimserver not started: Bind failed: Failed to bind socket on port " +
                                      std::to_string(port) +
                                      ": Permission denied (error code 13).\n");
        EXPECT_EQ(sys.calls("fork"), 0);
        expectLockFree(home);
    }
}

// The local socket is opened through the seam too (after the HTTP port):
// whichever of its steps fails, the start names the socket and the reason,
// and leaves neither the socket file nor the lock behind.
TEST(ServerStartFailures, ALocalSocketThatCannotBeOpenedIsReportedAndLeavesNoFile)
{
    for (const char* call : {"bind", "chmod", "listen"})
    {
        SCOPED_TRACE(call);
        TempHome home;
        FailingSystemCalls sys;
        sys.failOn(call, std::string(call) == "chmod" ? 1 : 2, EACCES);
        const Outcome outcome = start(home, freePort(), sys);
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.errors, "cimserver not started: Bind failed: Failed to bind socket on local socket " +
                                      home.path() +
                                      "/cimxml.socket: Permission denied (error code 13).\n");
        EXPECT_NE(::access(home.file("cimxml.socket").c_str(), F_OK), 0);
        EXPECT_EQ(sys.calls("fork"), 0);
        expectLockFree(home);
    }
}

// cimserver -s waits for the server's process through a process descriptor
// where the system has one, and by looking at its process every few
// milliseconds where it has none or polling fails: stopped either way.
TEST(ServerStop, WaitsForTheServerWithOrWithoutAProcessDescriptor)
{
    struct Case
    {
        const char* call;
        int error;
    } const cases[] = {{nullptr, 0}, {"pidfdOpen", ENOSYS}, {"poll", EINVAL}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.call ? c.call : "no failure");
        CimserverProcess server;
        ASSERT_EQ(server.start().status, 0);
        const pid_t pid = server.pid();
        ASSERT_GT(pid, 0);
        FailingSystemCalls sys;
        if (c.call)
            sys.failOn(c.call, 0, c.error);
        ::setenv("PEGASUS_HOME", server.home().path().c_str(), 1);
        testing::internal::CaptureStdout();
        const int status = stopServer(server.home().path(), sys);
        const std::string out = testing::internal::GetCapturedStdout();
        ::unsetenv("PEGASUS_HOME");
        EXPECT_EQ(status, 0);
        EXPECT_EQ(out, "CIM Server stopped.\n");
        EXPECT_FALSE(isCimserverProcess(pid));
        EXPECT_EQ(sys.calls("pidfdOpen"), 1);
        if (c.call && std::string(c.call) == "pidfdOpen")
        {
            EXPECT_EQ(sys.calls("poll"), 0) << "polled without a descriptor";
        }
    }
}

}  // namespace
