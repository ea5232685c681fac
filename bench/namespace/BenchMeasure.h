// Measuring helpers the plug-in's benchmarks share: clocks, this process's
// memory figures, the core logger's set-ups and small file writes.
#ifndef KTA_BENCH_BENCHMEASURE_H
#define KTA_BENCH_BENCHMEASURE_H

#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "TCoreLogger.h"

namespace benchmeasure {

// A steady clock, in milliseconds.
inline double WallMs()
{
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// CPU time of this process, all threads (the client and the plug-in, not
// the server), in milliseconds.
inline double CpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// A "<field>: <n> kB" line of /proc/self/status (VmRSS, VmHWM, ...); 0 when
// absent.
inline long StatusKb(const char* field)
{
    std::ifstream in("/proc/self/status");
    const std::string prefix = std::string(field) + ":";
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stol(line.substr(prefix.size()));
    return 0;
}

// Bytes handed out by malloc and not freed yet (small and mmapped blocks).
inline double HeapInUseBytes()
{
    struct mallinfo2 info = mallinfo2();
    return double(info.uordblks) + double(info.hblkhd);
}

// The log file of a benchmark (`tag` names it) in /tmp, per process.
inline std::string LogFilePath(const std::string& tag)
{
    return "/tmp/nspbench-" + tag + "-" + std::to_string(::getpid()) + ".log";
}

// The core logger set up as `mode` says: "file" writes every record to
// LogFilePath(tag) and nothing to standard error; "off" drops severity 3
// and above; "stderr" is the logger's own defaults (severity 3 to
// standard error).
inline void ConfigureLogger(const std::string& mode, const std::string& tag)
{
    NQRVKTA20::TCoreLogger& logger = *NQRVKTA20::TCoreLogger::Instance();
    if (mode == "file") {
        std::ofstream(LogFilePath(tag), std::ios::trunc);
        logger.SetLogFile(LogFilePath(tag));
        logger.SetFileSeverityLimit(5);
        logger.SetStderrSeverityLimit(-1);
    } else if (mode == "off") {
        logger.SetLogFile("");
        logger.SetFileSeverityLimit(2);
        logger.SetStderrSeverityLimit(2);
    } else {
        logger.SetLogFile("");
        logger.SetFileSeverityLimit(5);
        logger.SetStderrSeverityLimit(3);
    }
}

inline std::string LogTitle(const std::string& mode)
{
    if (mode == "file")
        return "severity 3 written to a log file";
    if (mode == "off")
        return "severity 3 off";
    return "logger defaults, severity 3 to standard error";
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace benchmeasure

#endif
