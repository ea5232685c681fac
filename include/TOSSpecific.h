// TOSSpecific: the host's operating-system services: running child
// processes and asking for file sizes.
//
// Child processes.  Every form of SpawnProcess
//   - starts the child in a process group of its own, with standard input
//     on /dev/null and standard output and standard error both sent into
//     one pipe, whose text is collected (at most kMaxOutputBytes; beyond
//     that the child's output is read and dropped);
//   - hands the child no other descriptor of this process and resets the
//     signal dispositions and mask the child would inherit;
//   - returns once the child has exited and its output is drained: reading
//     stops at end of file, or when nothing more arrives within
//     kDrainQuietMs, or kDrainMaxMs after the child's exit, so a process
//     the child left behind (a daemon) never keeps the call waiting,
//     whether or not it closed the output it inherited (such a process
//     that writes to that output after the call returned gets EPIPE or
//     SIGPIPE, since nobody reads it any more);
//   - enforces the time limit in seconds (0: no limit): when it passes, the
//     child's whole process group is killed with SIGKILL, the event is
//     logged at severity 0, and the output read so far is kept.  Processes
//     that left the group (a daemon calling setsid) are not touched, and a
//     child that exits in time never has its group signalled;
//   - throws TKTAException with kSpawnFailure (host status code 15, "not
//     found") when the program cannot be run at all: no such program,
//     not executable, or no pipe or process could be created.  The reason
//     (program, system error) is in the exception's detail text and is
//     logged at severity 0.
//
// Exit status (forms b and c): the child's exit code; 128 + the signal
// number when a signal ended it (137 after the time limit's SIGKILL); -1
// when the status was lost because something else reaped the child (for
// example SIGCHLD set to SIG_IGN in the host).
//
// Thread safety: all operations may run on several threads at once; each
// call owns its child.  Changing SystemCalls() while a call runs is not
// safe.
#ifndef NQRVKTA20_TOSSPECIFIC_H
#define NQRVKTA20_TOSSPECIFIC_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/types.h>

#include "TKTAStatusCode.h"

namespace NQRVKTA20 {

class TOSSpecific {
public:
    static constexpr uint32_t kSpawnFailure = TKTAStatusCode::kNotFound;
    static constexpr std::size_t kMaxOutputBytes = 16u * 1024u * 1024u;
    static constexpr int kDrainQuietMs = 200;
    static constexpr int kDrainMaxMs = 2000;

    // (a) Runs `commandLine` through "/bin/sh -c" with this process's
    // environment and returns the collected output.  Besides the failures
    // above, a shell status of 126 or 127 (the shell could not find or run
    // the command) throws TKTAException(kSpawnFailure) with the shell's
    // complaint as detail.  Any other status, a time-out included, returns
    // the output normally.
    static std::string SpawnProcess(const std::string& commandLine,
                                    uint32_t timeLimitSeconds);

    // (b) Runs `program` with `args` (argv[1] onwards; argv[0] is `program`
    // as given) and this process's environment, without a shell.  A program
    // name without "/" is looked up in this process's PATH (default
    // "/usr/bin:/bin").  `output` is replaced by the collected text.
    // Returns the exit status (see above).
    static int SpawnProcess(const std::string& program,
                            const std::vector<std::string>& args,
                            std::string& output, uint32_t timeLimitSeconds);

    // (c) Runs the file `fullPath` (no PATH lookup) with argv[0] =
    // `programName`, then `args`, and an environment of exactly the
    // `environment` entries ("NAME=value", passed as given, in order);
    // nothing of this process's environment is inherited.  `output` is
    // replaced by the collected text.  Returns the exit status (see above).
    static int SpawnProcess(const std::string& programName,
                            const std::vector<std::string>& args,
                            const std::string& fullPath,
                            const std::vector<std::string>& environment,
                            std::string& output, uint32_t timeLimitSeconds);

    // Size in bytes of the regular file at `path` (symbolic links
    // followed).  Returns 0 when the file does not exist, cannot be
    // examined or is not a regular file, so such a file looks empty.
    // Never throws.
    static uint64_t GetFileSize(const std::string& path);

    // The system calls the spawning code makes where a failure must be
    // handled; tests replace entries to inject failures or EINTR.  Each
    // entry has the signature and errno behaviour of the call it names.
    struct TSystemCalls {
        int (*pipe2)(int fds[2], int flags);
        pid_t (*fork)();
        int (*poll)(struct pollfd* fds, nfds_t count, int timeoutMs);
        ssize_t (*read)(int fd, void* buffer, std::size_t size);
        pid_t (*waitpid)(pid_t pid, int* status, int options);
        int (*kill)(pid_t pid, int signal);
        // pidfd_open(2); when it fails the child's exit is polled for
        // every 50 ms instead.
        int (*pidfd_open)(pid_t pid, unsigned int flags);
    };

    // The table in use (initially the real calls) and the real calls.
    static TSystemCalls& SystemCalls();
    static const TSystemCalls& RealSystemCalls();

private:
    TOSSpecific();
};

} // namespace NQRVKTA20

#endif
