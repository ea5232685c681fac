// Processes for the server benchmarks: starting the staged programs, timing
// them to the microsecond, collecting their exit status and resource use, and
// reading a running process's memory figures from /proc.
//
// Not thread-safe: one benchmark thread starts and reaps processes.
#ifndef KTA_BENCH_SERVER_BENCHPROCESS_H
#define KTA_BENCH_SERVER_BENCHPROCESS_H

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace bench {

using Clock = std::chrono::steady_clock;

// Milliseconds from `from` to `to` (default: now).
double millisecondsBetween(Clock::time_point from, Clock::time_point to = Clock::now());

// What a finished child left behind.
struct ChildResult
{
    int exitCode = -1;      // -1: killed by a signal
    double wallMs = 0;      // from just before the spawn until reaped
    double cpuMs = 0;       // user + system time
    long maxRssKb = 0;      // peak resident set (getrusage's ru_maxrss)
};

// Extra environment for a child: name, value.  The child also inherits ours.
using Environment = std::vector<std::pair<std::string, std::string>>;

// Makes this process the reaper of its orphaned descendants, so that a
// server that detaches from its starter becomes our child and its exit can
// be waited for (and is not left a zombie).  Throws std::runtime_error.
void becomeSubreaper();

// Starts argv[0] (a path) with the given arguments and extra environment;
// standard input is /dev/null, standard output and error go to `outputPath`
// (created or truncated; "/dev/null" to discard).  Returns the child's pid.
// Throws std::runtime_error if the program cannot be started.
pid_t spawnProgram(const std::vector<std::string>& argv, const Environment& env,
                   const std::string& outputPath);

// Waits for the child `pid` (started at `started`) and reports it.
ChildResult waitForChild(pid_t pid, Clock::time_point started);

// spawnProgram() followed by waitForChild().
ChildResult runProgram(const std::vector<std::string>& argv, const Environment& env,
                       const std::string& outputPath);

// A field of /proc/<pid>/status in kB ("VmRSS", "VmHWM"); -1 if the process
// or the field is gone.
long procStatusKb(pid_t pid, const char* field);

// Private memory of a running process in kB: Private_Clean + Private_Dirty
// of /proc/<pid>/smaps_rollup; -1 if the process is gone.
long procPrivateKb(pid_t pid);

// The number of threads of a running process; -1 if it is gone.
long procThreadCount(pid_t pid);

// Resets the peak resident set (VmHWM) of `pid` to its current size.
// Returns false where the system does not allow it.
bool resetPeakRss(pid_t pid);

// Total size in bytes of the regular files below `directory`.
std::uint64_t directoryBytes(const std::string& directory);

// The whole content of a small text file; empty if it cannot be read.
std::string readTextFile(const std::string& path);

}  // namespace bench

#endif
