#include "TOSSpecific.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ILogger.h"
#include "TKTAException.h"
#include "TRootObject.h"

extern char** environ;

namespace NQRVKTA20 {

namespace {

typedef std::chrono::steady_clock TClock;

const char kShell[] = "/bin/sh";
const char kDefaultPath[] = "/usr/bin:/bin";
// How often a child's exit is checked for when the kernel offers no
// process descriptor to wait on.
const int kExitPollMs = 50;
const std::size_t kReadChunk = 64 * 1024;

pid_t RealFork()
{
    return ::fork();
}

int RealPidfdOpen(pid_t pid, unsigned int flags)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, flags));
}

const TOSSpecific::TSystemCalls kRealCalls = {
    ::pipe2, RealFork, ::poll, ::read, ::waitpid, ::kill, RealPidfdOpen};

std::string ErrnoText(int error)
{
    return std::strerror(error);
}

[[noreturn]] void Fail(const std::string& detail)
{
    TRootObject::GetCoreLogger()->Log(ILogger::kLogError,
                                      "TOSSpecific::SpawnProcess " + detail);
    throw TKTAException(TOSSpecific::kSpawnFailure, detail);
}

void CloseFd(int& fd)
{
    // Not retried on EINTR: on Linux the descriptor is gone either way.
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Moves a fresh descriptor above 2 so that the child's dup2 onto 0, 1 and
// 2 can never overwrite one of its sources (possible when the host runs
// with a standard stream closed).
bool RaiseFd(int& fd)
{
    if (fd > 2)
        return true;
    int raised = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    int saved = errno;
    ::close(fd);
    fd = raised;
    errno = saved;
    return fd >= 0;
}

bool IsExecutableFile(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// The file execve should run for `program`: itself when it holds a "/",
// else the first executable match along PATH.  Resolving in the parent
// keeps the child free of allocations between fork and exec.
std::string ResolveProgram(const std::string& program)
{
    if (program.empty())
        Fail("cannot run an empty program name");
    if (program.find('/') != std::string::npos)
        return program;
    const char* env = ::getenv("PATH");
    std::string path = env ? env : kDefaultPath;
    std::string::size_type start = 0;
    while (start <= path.size()) {
        std::string::size_type end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        std::string dir = path.substr(start, end - start);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (IsExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    Fail("cannot run " + program + ": not found in PATH");
}

int MillisUntil(TClock::time_point when)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        when - TClock::now()).count();
    if (left <= 0)
        return 0;
    return left > 1000000 ? 1000000 : static_cast<int>(left);
}

int DecodeStatus(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

// One running child: its pid, the read end of its output pipe and, when
// the kernel has them, a process descriptor that becomes readable at exit.
class TChild {
public:
    TChild(pid_t pid, int outFd) : fPid(pid), fOut(outFd), fPidFd(-1) {}
    ~TChild()
    {
        CloseFd(fOut);
        CloseFd(fPidFd);
    }

    // Reads output until the child exits (or the limit passes), then
    // drains what is left; returns the decoded exit status.
    int Collect(std::string& output, uint32_t limitSeconds,
                const std::string& label);

private:
    void ReadSome(std::string& output);
    bool Reap(int options);
    void Drain(std::string& output);

    pid_t fPid;
    int fOut;
    int fPidFd;
    int fStatus = -1;
    bool fExited = false;
};

void TChild::ReadSome(std::string& output)
{
    char buffer[kReadChunk];
    ssize_t got;
    do {
        got = TOSSpecific::SystemCalls().read(fOut, buffer, sizeof buffer);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        // End of file, or a read error that would only repeat.
        CloseFd(fOut);
        return;
    }
    std::size_t room = TOSSpecific::kMaxOutputBytes > output.size()
                           ? TOSSpecific::kMaxOutputBytes - output.size()
                           : 0;
    output.append(buffer, static_cast<std::size_t>(got) < room
                              ? static_cast<std::size_t>(got)
                              : room);
}

bool TChild::Reap(int options)
{
    int status = 0;
    pid_t got;
    do {
        got = TOSSpecific::SystemCalls().waitpid(fPid, &status, options);
    } while (got < 0 && errno == EINTR);
    if (got == fPid) {
        fStatus = DecodeStatus(status);
        fExited = true;
    } else if (got < 0) {
        // ECHILD: someone else reaped it; the status is lost.
        fStatus = -1;
        fExited = true;
    }
    return fExited;
}

void TChild::Drain(std::string& output)
{
    TClock::time_point stop =
        TClock::now() + std::chrono::milliseconds(TOSSpecific::kDrainMaxMs);
    while (fOut >= 0) {
        int wait = MillisUntil(stop);
        if (wait > TOSSpecific::kDrainQuietMs)
            wait = TOSSpecific::kDrainQuietMs;
        struct pollfd entry = {fOut, POLLIN, 0};
        int ready = TOSSpecific::SystemCalls().poll(&entry, 1, wait);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return;  // quiet, or out of drain time
        ReadSome(output);
    }
}

int TChild::Collect(std::string& output, uint32_t limitSeconds,
                    const std::string& label)
{
    fPidFd = TOSSpecific::SystemCalls().pidfd_open(fPid, 0);
    bool limited = limitSeconds > 0;
    TClock::time_point deadline =
        TClock::now() + std::chrono::seconds(limited ? limitSeconds : 0);

    while (!fExited) {
        int wait = limited ? MillisUntil(deadline) : -1;
        if (fPidFd < 0 && (wait < 0 || wait > kExitPollMs))
            wait = kExitPollMs;
        struct pollfd entries[2];
        nfds_t count = 0;
        int outIndex = -1;
        if (fOut >= 0) {
            entries[count] = {fOut, POLLIN, 0};
            outIndex = static_cast<int>(count++);
        }
        if (fPidFd >= 0) {
            entries[count++] = {fPidFd, POLLIN, 0};
        }
        int ready = TOSSpecific::SystemCalls().poll(entries, count, wait);
        if (ready < 0 && errno != EINTR) {
            // A poll failing for another reason than a signal would fail
            // again at once; pause instead of spinning, exit and limit are
            // still checked below.
            ::usleep(kExitPollMs * 1000);
        }
        if (ready > 0 && outIndex >= 0 && entries[outIndex].revents != 0)
            ReadSome(output);
        // Cheap enough to ask every round; the process descriptor only
        // saves the wake-ups.
        if (Reap(WNOHANG))
            break;
        if (limited && TClock::now() >= deadline) {
            TRootObject::GetCoreLogger()->Log(
                ILogger::kLogError,
                "TOSSpecific::SpawnProcess " + label +
                    " exceeded its time limit of " +
                    std::to_string(limitSeconds) +
                    " s; its process group was killed");
            TOSSpecific::SystemCalls().kill(-fPid, SIGKILL);
            TOSSpecific::SystemCalls().kill(fPid, SIGKILL);
            Reap(0);
        }
    }
    Drain(output);
    return fStatus;
}

struct TPipe {
    int fds[2] = {-1, -1};
    ~TPipe()
    {
        CloseFd(fds[0]);
        CloseFd(fds[1]);
    }
    bool Open()
    {
        if (TOSSpecific::SystemCalls().pipe2(fds, O_CLOEXEC) != 0)
            return false;
        return RaiseFd(fds[0]) && RaiseFd(fds[1]);
    }
};

// Child side between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecChild(const char* path, char* const* argv,
                            char* const* envp, int nullFd, int outFd,
                            int errorFd, long maxFd)
{
    // Ignored signals would stay ignored across exec; handlers are reset by
    // exec anyway, so everything goes back to its default here.
    struct sigaction defaults;
    std::memset(&defaults, 0, sizeof defaults);
    defaults.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig)
        ::sigaction(sig, &defaults, nullptr);

    ::setpgid(0, 0);
    if (::dup2(nullFd, 0) >= 0 && ::dup2(outFd, 1) >= 0 &&
        ::dup2(outFd, 2) >= 0) {
        // Whatever else this process has open, close-on-exec or not, must
        // not reach the program.  The report pipe is close-on-exec already.
        if (::syscall(SYS_close_range, 3u, ~0u, 4u /* CLOSE_RANGE_CLOEXEC */) !=
            0) {
            for (long fd = 3; fd < maxFd; ++fd) {
                if (fd != errorFd)
                    ::close(static_cast<int>(fd));
            }
        }
        sigset_t empty;
        sigemptyset(&empty);
        ::sigprocmask(SIG_SETMASK, &empty, nullptr);
        ::execve(path, argv, envp);
    }
    int error = errno;
    ssize_t ignored = ::write(errorFd, &error, sizeof error);
    (void)ignored;
    ::_exit(127);
}

// Starts `path` and collects its output; see the header for the contract.
int Run(const std::string& path, const std::vector<std::string>& argv,
        const std::vector<std::string>* environment, std::string& output,
        uint32_t limitSeconds, const std::string& label)
{
    std::vector<char*> argvPtrs;
    for (const std::string& arg : argv)
        argvPtrs.push_back(const_cast<char*>(arg.c_str()));
    argvPtrs.push_back(nullptr);
    std::vector<char*> envPtrs;
    char* const* envp = environ;
    if (environment) {
        for (const std::string& entry : *environment)
            envPtrs.push_back(const_cast<char*>(entry.c_str()));
        envPtrs.push_back(nullptr);
        envp = envPtrs.data();
    }
    long maxFd = ::sysconf(_SC_OPEN_MAX);
    if (maxFd < 0 || maxFd > 65536)
        maxFd = 65536;

    int nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nullFd < 0 || !RaiseFd(nullFd)) {
        int error = errno;
        CloseFd(nullFd);
        Fail("cannot open /dev/null for " + path + ": " + ErrnoText(error));
    }
    TPipe out, report;
    if (!out.Open() || !report.Open()) {
        int error = errno;
        CloseFd(nullFd);
        Fail("cannot create a pipe for " + path + ": " + ErrnoText(error));
    }

    // Signals stay blocked from fork until the child has reset its
    // dispositions, so no handler of this process runs in the child.
    sigset_t all, saved;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &saved);
    pid_t pid = TOSSpecific::SystemCalls().fork();
    if (pid == 0)
        ExecChild(path.c_str(), argvPtrs.data(), envp, nullFd, out.fds[1],
                  report.fds[1], maxFd);
    int forkError = errno;
    ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    CloseFd(nullFd);
    CloseFd(out.fds[1]);
    CloseFd(report.fds[1]);
    if (pid < 0)
        Fail("cannot start " + path + ": " + ErrnoText(forkError));

    // The report pipe reaches end of file at a successful exec; before that
    // the child writes the errno of a failed one.
    int childError = 0;
    ssize_t got;
    do {
        got = ::read(report.fds[0], &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof childError)) {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        Fail("cannot run " + path + ": " + ErrnoText(childError));
    }

    TChild child(pid, out.fds[0]);
    out.fds[0] = -1;
    output.clear();
    return child.Collect(output, limitSeconds, label);
}

} // namespace

TOSSpecific::TSystemCalls& TOSSpecific::SystemCalls()
{
    static TSystemCalls calls = kRealCalls;
    return calls;
}

const TOSSpecific::TSystemCalls& TOSSpecific::RealSystemCalls()
{
    return kRealCalls;
}

std::string TOSSpecific::SpawnProcess(const std::string& commandLine,
                                      uint32_t timeLimitSeconds)
{
    std::string output;
    int status = Run(kShell, {"sh", "-c", commandLine}, nullptr, output,
                     timeLimitSeconds, "\"" + commandLine + "\"");
    if (status == 126 || status == 127) {
        std::string complaint = output;
        while (!complaint.empty() && complaint.back() == '\n')
            complaint.pop_back();
        Fail("the shell could not run \"" + commandLine + "\" (status " +
             std::to_string(status) + "): " + complaint);
    }
    return output;
}

int TOSSpecific::SpawnProcess(const std::string& program,
                              const std::vector<std::string>& args,
                              std::string& output, uint32_t timeLimitSeconds)
{
    std::string path = ResolveProgram(program);
    std::vector<std::string> argv;
    argv.reserve(args.size() + 1);
    argv.push_back(program);
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(path, argv, nullptr, output, timeLimitSeconds, path);
}

int TOSSpecific::SpawnProcess(const std::string& programName,
                              const std::vector<std::string>& args,
                              const std::string& fullPath,
                              const std::vector<std::string>& environment,
                              std::string& output, uint32_t timeLimitSeconds)
{
    if (fullPath.empty())
        Fail("cannot run " + programName + ": empty program path");
    std::vector<std::string> argv;
    argv.reserve(args.size() + 1);
    argv.push_back(programName);
    argv.insert(argv.end(), args.begin(), args.end());
    return Run(fullPath, argv, &environment, output, timeLimitSeconds,
               fullPath);
}

uint64_t TOSSpecific::GetFileSize(const std::string& path)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    return static_cast<uint64_t>(info.st_size);
}

} // namespace NQRVKTA20
