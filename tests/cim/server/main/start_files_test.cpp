#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "CimserverProcess.h"
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

// Names in `dir` other than "." and "..".
std::vector<std::string> entriesOf(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    while (const dirent* e = d ? ::readdir(d) : nullptr)
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, ".."))
            names.push_back(e->d_name);
    if (d)
        ::closedir(d);
    return names;
}

TEST(StartFilesTest, PidFileReplacesAPlantedLinkInsteadOfFollowingIt)
{
    TempHome home;
    home.write("victim", "precious\n");
    ASSERT_EQ(::symlink(home.file("victim").c_str(), home.file("p").c_str()), 0);
    writePidFile(SystemCalls::real(), home.file("p"), 77);
    EXPECT_EQ(home.read("victim"), "precious\n");
    struct stat st;
    ASSERT_EQ(::lstat(home.file("p").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(home.read("p"), "77\n");
    EXPECT_EQ(entriesOf(home.path()).size(), 2u) << "no temporary file is left";
}

TEST(StartFilesTest, PidFileOfAnotherUserIsRefused)
{
    if (::geteuid() != 0)
        FAIL() << "this test hands a file to another user and needs root";
    TempHome home;
    home.write("p", "5\n");
    ASSERT_EQ(::chown(home.file("p").c_str(), 65534, 65534), 0);
    try
    {
        writePidFile(SystemCalls::real(), home.file("p"), 42);
        FAIL() << "the other user's file was replaced";
    }
    catch (const StartFileError& e)
    {
        EXPECT_NE(std::string(e.what()).find("belongs to another user"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(home.read("p"), "5\n");
}

TEST(StartFilesTest, FailedPidWriteLeavesNoFile)
{
    TempHome home;
    home.write("keep", "1\n");
    for (const char* call : {"write", "rename"})
    {
        FailingSystemCalls sys;
        sys.failOn(call, 0, ENOSPC);
        EXPECT_THROW(writePidFile(sys, home.file("p"), 42), StartFileError) << call;
        EXPECT_THROW(writePidFile(sys, home.file("keep"), 42), StartFileError) << call;
        // Neither the target nor a temporary file: only "keep", unchanged.
        EXPECT_EQ(entriesOf(home.path()), std::vector<std::string>{"keep"}) << call;
        EXPECT_EQ(home.read("keep"), "1\n") << call;
    }

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

TEST(StartFilesTest, TheServerOfAHomeIsKnownByItsLockNotItsName)
{
    TempHome home;
    TempHome elsewhere;
    DecoyCimserver decoy(elsewhere);
    ASSERT_TRUE(isCimserverProcess(decoy.pid()));
    pid_t pid = 0;
    EXPECT_FALSE(runningServer(home.path(), pid));
    EXPECT_FALSE(startLockHeld(home.path()));

    // Named by the start file, the decoy still holds no lock of this home.
    home.write("cimserver_start.conf", std::to_string(decoy.pid()) + "\n");
    EXPECT_FALSE(holdsStartLock(home.path(), decoy.pid()));
    EXPECT_FALSE(runningServer(home.path(), pid));

    // A child that inherits a held lock holds it as well; the holder that
    // is named by the start file is the running server.
    StartLock lock(SystemCalls::real(), home.path());
    ASSERT_TRUE(lock.tryAcquire());
    EXPECT_TRUE(startLockHeld(home.path()));
    EXPECT_TRUE(holdsStartLock(home.path(), ::getpid()));
    EXPECT_FALSE(holdsStartLock(elsewhere.path(), ::getpid()));
    EXPECT_FALSE(holdsStartLock(home.path(), decoy.pid()));
    pid_t child = ::fork();
    if (child == 0)
    {
        ::pause();
        ::_exit(0);
    }
    home.write("cimserver_start.conf", std::to_string(child) + "\n");
    EXPECT_TRUE(holdsStartLock(home.path(), child));
    EXPECT_TRUE(runningServer(home.path(), pid));
    EXPECT_EQ(pid, child);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);

    lock.releaseAndRemove();
    EXPECT_FALSE(holdsStartLock(home.path(), ::getpid()));
    EXPECT_FALSE(startLockHeld(home.path()));
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
