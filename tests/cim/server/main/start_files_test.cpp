#include <gtest/gtest.h>

#include <chrono>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FailingSystemCalls.h"
#include "StartFiles.h"
#include "StartupChannel.h"
#include "TempHome.h"

using namespace Pegasus;

namespace {

TEST(StartFilesTest, PidFileHoldsDecimalPidAndNewlineOwnerOnly)
{
    TempHome home;
    const std::string path = startFilePath(home.path());
    EXPECT_EQ(path, home.file("cimserver_start.conf"));
    home.write("cimserver_start.conf", "999999\n");
    ::chmod(path.c_str(), 0644);

    writePidFile(SystemCalls::real(), path, 5320);
    EXPECT_EQ(home.read("cimserver_start.conf"), "5320\n");
    EXPECT_EQ(home.mode("cimserver_start.conf"), 0600u);

    pid_t pid = 0;
    EXPECT_TRUE(readPidFile(path, pid));
    EXPECT_EQ(pid, 5320);
}

TEST(StartFilesTest, UnreadablePidFiles)
{
    TempHome home;
    pid_t pid = 0;
    EXPECT_FALSE(readPidFile(home.file("missing"), pid));
    for (const char* text : {"", "abc\n", "-5\n", "0\n"})
    {
        home.write("f", text);
        EXPECT_FALSE(readPidFile(home.file("f"), pid)) << text;
    }
}

TEST(StartFilesTest, FailedPidWriteLeavesNoFile)
{
    TempHome home;
    FailingSystemCalls sys;
    sys.failOn("write", 1, ENOSPC);
    EXPECT_THROW(writePidFile(sys, home.file("p"), 42), StartFileError);
    EXPECT_FALSE(home.exists("p"));

    FailingSystemCalls openFails;
    openFails.failOn("open", 1, EACCES);
    try
    {
        writePidFile(openFails, home.file("p"), 42);
        FAIL();
    }
    catch (const StartFileError& e)
    {
        EXPECT_NE(std::string(e.what()).find(home.file("p")),
                  std::string::npos);
    }
}

TEST(StartFilesTest, RemovesOnlyItsOwnPidFile)
{
    TempHome home;
    home.write("p", "100\n");
    removePidFileOf(SystemCalls::real(), home.file("p"), 200);
    EXPECT_TRUE(home.exists("p"));
    removePidFileOf(SystemCalls::real(), home.file("p"), 100);
    EXPECT_FALSE(home.exists("p"));
}

TEST(StartFilesTest, ProcessNameAndLiveness)
{
    std::string name;
    bool alive = false;
    ASSERT_TRUE(processName(::getpid(), name, alive));
    EXPECT_TRUE(alive);
    EXPECT_EQ(name.substr(0, 5), "cim_s");  // this test program
    EXPECT_FALSE(isCimserverProcess(::getpid()));

    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    // Until it is reaped, the child is a zombie: not alive.
    for (int i = 0; i < 200; ++i)
    {
        ASSERT_TRUE(processName(child, name, alive));
        if (!alive)
            break;
        ::usleep(5000);
    }
    EXPECT_FALSE(alive);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(processName(child, name, alive));
}

TEST(StartFilesTest, RunningServerIgnoresStaleAndForeignPids)
{
    TempHome home;
    pid_t pid = 0;
    EXPECT_FALSE(runningServer(home.path(), pid));
    home.write("cimserver_start.conf", std::to_string(::getpid()) + "\n");
    EXPECT_FALSE(runningServer(home.path(), pid));
    // pid 1 is alive but not a cimserver.
    home.write("cimserver_start.conf", "1\n");
    EXPECT_FALSE(runningServer(home.path(), pid));
}

TEST(StartFilesTest, StartLockIsExclusiveAndRemovedOnRelease)
{
    TempHome home;
    StartLock first(SystemCalls::real(), home.path());
    StartLock second(SystemCalls::real(), home.path());
    EXPECT_TRUE(first.tryAcquire());
    EXPECT_TRUE(home.exists("cimserver_start.lock"));
    EXPECT_FALSE(second.tryAcquire());
    first.releaseAndRemove();
    EXPECT_FALSE(home.exists("cimserver_start.lock"));
    StartLock third(SystemCalls::real(), home.path());
    EXPECT_TRUE(third.tryAcquire());
}

TEST(StartFilesTest, StartLockReportsOtherFailures)
{
    TempHome home;
    FailingSystemCalls sys;
    sys.failOn("flock", 1, ENOLCK);
    StartLock lock(sys, home.path());
    EXPECT_THROW(lock.tryAcquire(), StartFileError);

    FailingSystemCalls interrupted;
    interrupted.failOn("flock", 1, EINTR);
    StartLock retried(interrupted, home.path());
    EXPECT_TRUE(retried.tryAcquire());
    EXPECT_EQ(interrupted.calls("flock"), 2);
}

// ---- the channel between a detaching server and its parent ----

StartupChannel::Outcome runChild(void (*child)(StartupChannel&),
                                 std::string& reason, int timeoutMs = 5000)
{
    StartupChannel channel;
    EXPECT_TRUE(channel.open());
    pid_t pid = ::fork();
    if (pid == 0)
    {
        channel.becomeChild();
        child(channel);
        ::_exit(0);
    }
    channel.becomeParent();
    StartupChannel::Outcome outcome = channel.waitForChild(timeoutMs, reason);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return outcome;
}

TEST(StartupChannelTest, Outcomes)
{
    std::string reason;
    EXPECT_EQ(runChild([](StartupChannel& c) { c.reportReady(); }, reason),
              StartupChannel::Ready);

    EXPECT_EQ(runChild(
                  [](StartupChannel& c) {
                      c.reportFailure("Bind failed: port busy");
                      c.reportReady();  // ignored: the first report counts
                  },
                  reason),
              StartupChannel::Failed);
    EXPECT_EQ(reason, "Bind failed: port busy");

    EXPECT_EQ(runChild([](StartupChannel&) {}, reason),
              StartupChannel::Vanished);

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runChild([](StartupChannel&) { ::sleep(5); }, reason, 200),
              StartupChannel::TimedOut);
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::seconds(3));
}

TEST(StartupChannelTest, PipeFailureIsReported)
{
    FailingSystemCalls sys;
    sys.failOn("pipe", 1, EMFILE);
    StartupChannel channel(sys);
    EXPECT_FALSE(channel.open());
    EXPECT_EQ(errno, EMFILE);
}

}  // namespace
