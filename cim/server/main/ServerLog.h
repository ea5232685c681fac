// The server's log file and trace file.
//
// The log (<logdir>/cimserver.log, logdir "logs" below PEGASUS_HOME unless
// configured) receives the server's own events -- start, stop, provider
// loads and provider failures -- at or above logLevel.  The trace file
// (traceFilePath) receives, while traceLevel is above 0, the lines of the
// components named in traceComponents (or ALL) up to that level; with
// traceFacility=Log they go to the log file instead.  The trace file is
// rotated past traceFileSizeKBytes, keeping numberOfTraceFiles files
// (<path>, <path>.1, ...).
//
// Lines: "<UTC time> <SEVERITY> <component>: <text>" in the log and
// "<UTC time> [<level>] <component>: <text>" in the trace.
//
// Thread safety: every member may be called from any thread.  Writing never
// throws: a line that cannot be written (disk full, file-size limit) is
// dropped and the server goes on.
#ifndef KTA_CIM_SERVER_MAIN_SERVERLOG_H
#define KTA_CIM_SERVER_MAIN_SERVERLOG_H

#include <cstdint>
#include <mutex>
#include <string>

#include "SystemCalls.h"

namespace Pegasus {

class ServerConfig;

class ServerLog
{
public:
    enum Severity
    {
        Trace,
        Information,
        Warning,
        Severe,
        Fatal
    };

    struct TraceSettings
    {
        unsigned level = 0;      // 0: no trace
        std::string components;  // comma-separated names, ALL, or empty (none)
        bool toLog = false;      // traceFacility=Log
        std::string path;        // the trace file, absolute
        std::uint64_t maxBytes = 0;  // 0: never rotated
        unsigned files = 1;      // files kept, the one being written included
    };

    explicit ServerLog(SystemCalls& sys = SystemCalls::real());
    ~ServerLog();

    ServerLog(const ServerLog&) = delete;
    ServerLog& operator=(const ServerLog&) = delete;

    // Opens (appending; created 0600 when missing) `dir`/cimserver.log,
    // creating `dir` (0700) when missing.  Returns false with `error` set
    // ("cannot open <path>: <reason>") when it cannot.
    bool openLog(const std::string& dir, std::string& error);

    // The path openLog() opened; empty before.
    std::string logPath() const;

    void setLogLevel(Severity lowest);
    void setTrace(const TraceSettings& settings);

    // Takes logLevel and the trace properties from `config`'s current values.
    void configure(const ServerConfig& config);

    // True for the properties configure() reads.
    static bool isLogProperty(const std::string& name);

    // A log line (if `severity` reaches logLevel); it is traced as well, at
    // level 1 for warnings and worse, else at level 2.
    void log(Severity severity, const std::string& component,
             const std::string& text);

    // A trace line, if `component` is traced at `level`.
    void trace(unsigned level, const std::string& component,
               const std::string& text);
    bool tracing(unsigned level, const std::string& component) const;

    // TRACE, INFORMATION, WARNING, SEVERE, FATAL in any case.
    static bool parseSeverity(const std::string& text, Severity& severity);

private:
    bool tracingLocked(unsigned level, const std::string& component) const;
    void writeLocked(int& fd, const std::string& line);
    void traceLocked(unsigned level, const std::string& component,
                     const std::string& text);
    void rotateLocked();

    SystemCalls& _sys;
    mutable std::mutex _mutex;
    std::string _logPath;
    int _logFd = -1;
    Severity _lowest = Information;
    TraceSettings _trace;
    int _traceFd = -1;
    std::string _tracePathOpen;
    std::uint64_t _traceBytes = 0;
};

}  // namespace Pegasus

#endif
