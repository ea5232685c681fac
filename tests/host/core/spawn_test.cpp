#include "TOSSpecific.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "TKTAException.h"

using NQRVKTA20::TKTAException;
using NQRVKTA20::TOSSpecific;

namespace {

typedef std::chrono::steady_clock Clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int RunShell(const std::string& script, std::string& output,
             uint32_t limit = 60)
{
    return TOSSpecific::SpawnProcess("/bin/sh", {"-c", script}, output, limit);
}

std::set<std::string> OpenFds(const std::string& dir = "/proc/self/fd")
{
    std::set<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return names;
    while (dirent* entry = readdir(d)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.insert(name);
    }
    closedir(d);
    return names;
}

// Whether `pid` still runs (a zombie counts as gone).
bool Alive(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return false;
    std::string::size_type paren = line.rfind(')');
    return paren != std::string::npos && paren + 2 < line.size() &&
           line[paren + 2] != 'Z';
}

bool GoneWithin(pid_t pid, double seconds)
{
    Clock::time_point start = Clock::now();
    while (SecondsSince(start) < seconds) {
        if (!Alive(pid))
            return true;
        usleep(20000);
    }
    return !Alive(pid);
}

// The number after "pid=" in a child's output; 0 when there is none, which
// the callers assert against before signalling anything.
pid_t ReportedPid(const std::string& text)
{
    std::string::size_type at = text.find("pid=");
    if (at == std::string::npos)
        return 0;
    return static_cast<pid_t>(std::strtol(text.c_str() + at + 4, nullptr, 10));
}

// Restores the real system calls even when a test fails.
class SpawnSeamTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        TOSSpecific::SystemCalls() = TOSSpecific::RealSystemCalls();
    }
};

} // namespace

TEST(SpawnEnvironment, FullFormGivesExactlyTheEntriesOthersInherit)
{
    setenv("KTA_SPAWN_TEST", "inherited", 1);
    std::string output;
    EXPECT_EQ(0, TOSSpecific::SpawnProcess("env", {}, "/usr/bin/env",
                                           {"FIRST=1", "SECOND=two words"},
                                           output, 60));
    EXPECT_EQ("FIRST=1\nSECOND=two words\n", output);
    EXPECT_EQ(0, TOSSpecific::SpawnProcess("env", {}, "/usr/bin/env", {},
                                           output, 60));
    EXPECT_EQ("", output);
    EXPECT_EQ(0, RunShell("echo $KTA_SPAWN_TEST", output));
    EXPECT_EQ("inherited\n", output);
    EXPECT_EQ("inherited\n",
              TOSSpecific::SpawnProcess("echo $KTA_SPAWN_TEST", 60));
}

TEST(SpawnArguments, ProgramNameBecomesArgvZero)
{
    std::string output;
    int status = TOSSpecific::SpawnProcess(
        "custom-name", {"-c", "tr '\\0' '|' < /proc/$$/cmdline", "x"},
        "/bin/sh", {"PATH=/usr/bin:/bin"}, output, 60);
    EXPECT_EQ(0, status);
    EXPECT_EQ("custom-name|-c|tr '\\0' '|' < /proc/$$/cmdline|x|", output);
}

TEST(SpawnArguments, ArgumentsAreNotSplitOrExpanded)
{
    std::string output;
    EXPECT_EQ(0, TOSSpecific::SpawnProcess("echo", {"a  b", "$HOME", "*"},
                                           output, 60));
    EXPECT_EQ("a  b $HOME *\n", output);
}

TEST(SpawnOutput, ErrorMergedInOrderAndInputEmpty)
{
    std::string output;
    EXPECT_EQ(0, RunShell("cat; echo out; echo err >&2; echo out2", output));
    EXPECT_EQ("out\nerr\nout2\n", output);
    // The command-line form gives the output whatever the status.
    EXPECT_EQ("hello\n", TOSSpecific::SpawnProcess("echo hello; exit 3", 60));
}

TEST(SpawnOutput, LargeOutputIsCollectedWhole)
{
    std::string output;
    EXPECT_EQ(0, RunShell("head -c 3000000 /dev/zero | tr '\\0' a", output));
    ASSERT_EQ(3000000u, output.size());
    EXPECT_EQ(std::string::npos, output.find_first_not_of('a'));
}

TEST(SpawnStatus, ExitCodesAndSignals)
{
    const struct {
        const char* script;
        int status;
    } cases[] = {
        {"exit 0", 0},
        {"exit 3", 3},
        {"exit 255", 255},
        {"kill -TERM $$", 128 + SIGTERM},
        {"kill -KILL $$", 128 + SIGKILL},
    };
    for (const auto& c : cases) {
        std::string output;
        EXPECT_EQ(c.status, RunShell(c.script, output)) << c.script;
    }
}

TEST(SpawnFailure, ProgramsThatCannotRunThrowNamingThem)
{
    const std::vector<std::string> env = {"PATH=/usr/bin:/bin"};
    const struct {
        std::function<void(std::string&)> call;
        const char* named;
    } cases[] = {
        {[](std::string& out) {
             TOSSpecific::SpawnProcess("kta-no-such-program", {}, out, 10);
         },
         "kta-no-such-program"},
        {[](std::string& out) {
             TOSSpecific::SpawnProcess("/nonexistent/kta/x", {}, out, 10);
         },
         "/nonexistent/kta/x"},
        {[&env](std::string& out) {
             TOSSpecific::SpawnProcess("x", {}, "/nonexistent/kta/y", env, out,
                                       10);
         },
         "/nonexistent/kta/y"},
        // Exists but is not executable: exec itself fails in the child.
        {[&env](std::string& out) {
             TOSSpecific::SpawnProcess("x", {}, "/etc/passwd", env, out, 10);
         },
         "/etc/passwd"},
        {[&env](std::string& out) {
             TOSSpecific::SpawnProcess("x", {}, "", env, out, 10);
         },
         "empty program path"},
        {[](std::string&) {
             TOSSpecific::SpawnProcess("kta-no-such-command -v", 10);
         },
         "kta-no-such-command -v"},
    };
    for (const auto& c : cases) {
        std::string output;
        try {
            c.call(output);
            ADD_FAILURE() << c.named << ": no exception";
        } catch (const TKTAException& e) {
            EXPECT_EQ(TOSSpecific::kSpawnFailure, e.GetStatusCode());
            EXPECT_NE(std::string::npos, e.GetDetail().find(c.named))
                << e.GetDetail();
        }
    }
}

TEST(SpawnTimeLimit, SleepingChildAndItsGroupAreKilled)
{
    std::string output;
    Clock::time_point start = Clock::now();
    int status =
        RunShell("sleep 30 & echo pid=$!; sleep 30; echo never", output, 1);
    double elapsed = SecondsSince(start);
    EXPECT_EQ(128 + SIGKILL, status);
    EXPECT_GE(elapsed, 0.9);
    EXPECT_LT(elapsed, 5.0);
    EXPECT_EQ(std::string::npos, output.find("never"));
    pid_t grandchild = ReportedPid(output);
    ASSERT_GT(grandchild, 0) << output;
    EXPECT_TRUE(GoneWithin(grandchild, 3.0));
}

TEST(SpawnTimeLimit, CommandLineFormKeepsPartialOutput)
{
    Clock::time_point start = Clock::now();
    std::string output = TOSSpecific::SpawnProcess("echo partial; sleep 30", 1);
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_EQ("partial\n", output);
}

TEST(SpawnDetached, DaemonThatClosedItsOutputDoesNotDelayReturn)
{
    std::string output;
    Clock::time_point start = Clock::now();
    int status = RunShell(
        "setsid sh -c 'exec sleep 30' </dev/null >/dev/null 2>&1 & "
        "echo pid=$!",
        output, 60);
    double elapsed = SecondsSince(start);
    EXPECT_EQ(0, status);
    EXPECT_LT(elapsed, 1.0);
    pid_t daemon = ReportedPid(output);
    ASSERT_GT(daemon, 0) << output;
    EXPECT_TRUE(Alive(daemon));
    kill(daemon, SIGKILL);
}

TEST(SpawnDetached, GrandchildHoldingThePipeDoesNotDelayReturnNorIsKilled)
{
    std::string output;
    Clock::time_point start = Clock::now();
    int status = RunShell("sleep 30 & echo pid=$!", output, 60);
    double elapsed = SecondsSince(start);
    EXPECT_EQ(0, status);
    EXPECT_LT(elapsed, 1.0 + TOSSpecific::kDrainQuietMs / 1000.0);
    pid_t grandchild = ReportedPid(output);
    ASSERT_GT(grandchild, 0) << output;
    // The child exited in time, so its group was left alone.
    EXPECT_TRUE(Alive(grandchild));
    kill(grandchild, SIGKILL);
}

TEST(SpawnDetached, ChattyGrandchildIsReadOnlyForABoundedTime)
{
    std::string output;
    Clock::time_point start = Clock::now();
    int status = RunShell(
        "(i=0; while [ $i -lt 400 ]; do echo tick; sleep 0.02; i=$((i+1)); "
        "done) & echo pid=$!",
        output, 60);
    double elapsed = SecondsSince(start);
    EXPECT_EQ(0, status);
    EXPECT_LT(elapsed, TOSSpecific::kDrainMaxMs / 1000.0 + 1.5);
    pid_t grandchild = ReportedPid(output);
    ASSERT_GT(grandchild, 0) << output;
    kill(grandchild, SIGKILL);
}

TEST(SpawnDescriptors, ChildGetsOnlyTheStandardStreams)
{
    int leaky = open("/dev/null", O_RDONLY);  // deliberately not close-on-exec
    ASSERT_GE(leaky, 0);
    std::string output;
    EXPECT_EQ(0, RunShell("ls /proc/$$/fd", output));
    close(leaky);
    EXPECT_EQ("0\n1\n2\n", output);
}

TEST(SpawnDescriptors, NoDescriptorLeaksInTheCaller)
{
    std::set<std::string> before = OpenFds();
    std::string output;
    RunShell("echo x", output);
    RunShell("sleep 30 & echo pid=$!", output);
    ASSERT_GT(ReportedPid(output), 0);
    kill(ReportedPid(output), SIGKILL);
    RunShell("sleep 5", output, 1);
    EXPECT_THROW(TOSSpecific::SpawnProcess("x", {}, "/etc/passwd", {}, output, 10),
                 TKTAException);
    EXPECT_EQ(before, OpenFds());
}

TEST(SpawnThreads, ConcurrentCallsKeepTheirOwnOutput)
{
    const int kThreads = 8;
    std::vector<std::string> outputs(kThreads);
    std::vector<int> statuses(kThreads, -2);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([i, &outputs, &statuses] {
            std::string script = "for n in 1 2 3; do echo " +
                                 std::to_string(i) + "; done; exit " +
                                 std::to_string(i);
            statuses[i] = RunShell(script, outputs[i]);
        });
    }
    for (auto& t : threads)
        t.join();
    for (int i = 0; i < kThreads; ++i) {
        std::string line = std::to_string(i) + "\n";
        EXPECT_EQ(line + line + line, outputs[i]);
        EXPECT_EQ(i, statuses[i]);
    }
}

TEST(SpawnSignals, IgnoredChildSignalLosesOnlyTheStatus)
{
    struct sigaction ignore = {}, saved = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGCHLD, &ignore, &saved);
    std::string output;
    Clock::time_point start = Clock::now();
    int status = RunShell("echo reaped elsewhere; exit 4", output);
    sigaction(SIGCHLD, &saved, nullptr);
    EXPECT_EQ(-1, status);
    EXPECT_EQ("reaped elsewhere\n", output);
    EXPECT_LT(SecondsSince(start), 2.0);
}

TEST_F(SpawnSeamTest, ForkOrPipeFailureThrowsAndLeaksNothing)
{
    std::set<std::string> before = OpenFds();
    std::string output;
    TOSSpecific::SystemCalls().fork = []() -> pid_t {
        errno = EAGAIN;
        return -1;
    };
    EXPECT_THROW(RunShell("echo x", output), TKTAException);
    TOSSpecific::SystemCalls() = TOSSpecific::RealSystemCalls();
    TOSSpecific::SystemCalls().pipe2 = [](int*, int) {
        errno = EMFILE;
        return -1;
    };
    EXPECT_THROW(RunShell("echo x", output), TKTAException);
    EXPECT_EQ(before, OpenFds());
}

TEST_F(SpawnSeamTest, InterruptedReadsAndPollsAreRetried)
{
    static std::atomic<int> reads{0}, polls{0};
    TOSSpecific::SystemCalls().read = [](int fd, void* buf, size_t n) {
        if (reads++ % 2 == 0) {
            errno = EINTR;
            return ssize_t(-1);
        }
        return ::read(fd, buf, n);
    };
    TOSSpecific::SystemCalls().poll = [](pollfd* fds, nfds_t n, int ms) {
        if (polls++ % 2 == 0) {
            errno = EINTR;
            return -1;
        }
        return ::poll(fds, n, ms);
    };
    std::string output;
    EXPECT_EQ(0, RunShell("for i in 1 2 3 4 5; do echo $i; sleep 0.01; done",
                          output));
    EXPECT_EQ("1\n2\n3\n4\n5\n", output);
    EXPECT_GT(reads.load(), 1);
}

TEST_F(SpawnSeamTest, WithoutProcessDescriptorsExitAndLimitStillWork)
{
    TOSSpecific::SystemCalls().pidfd_open = [](pid_t, unsigned int) {
        errno = ENOSYS;
        return -1;
    };
    std::string output;
    Clock::time_point start = Clock::now();
    EXPECT_EQ(0, RunShell("sleep 30 & echo pid=$!", output));
    EXPECT_LT(SecondsSince(start), 1.5);
    pid_t grandchild = ReportedPid(output);
    ASSERT_GT(grandchild, 0) << output;
    kill(grandchild, SIGKILL);

    start = Clock::now();
    EXPECT_EQ(128 + SIGKILL, RunShell("sleep 30", output, 1));
    EXPECT_LT(SecondsSince(start), 3.0);
}

TEST(FileSize, RegularFilesOnly)
{
    char path[] = "/tmp/kta-size-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(5, write(fd, "12345", 5));
    close(fd);
    EXPECT_EQ(5u, TOSSpecific::GetFileSize(path));
    unlink(path);
    EXPECT_EQ(0u, TOSSpecific::GetFileSize(path));
    EXPECT_EQ(0u, TOSSpecific::GetFileSize("/tmp"));
    EXPECT_EQ(0u, TOSSpecific::GetFileSize(""));
}
