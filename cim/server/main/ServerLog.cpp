#include "ServerLog.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ConfigProperties.h"
#include "ServerConfig.h"

namespace Pegasus {

namespace {

const char* const kSeverityNames[] = {"TRACE", "INFORMATION", "WARNING",
                                      "SEVERE", "FATAL"};

const int kOpenFlags = O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC;

// "2026-12-06T05:21:55.123Z"
std::string utcNow()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const long millis = static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000);
    std::tm tm;
    ::gmtime_r(&seconds, &tm);
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%04d-%02d-%02dT%02d:%02d:%02d.%03ldZ",
                  tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                  tm.tm_sec, millis);
    return buffer;
}

// One line per entry, whatever the text holds.
std::string oneLine(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    return text;
}

std::string directoryOf(const std::string& path)
{
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

bool listed(const std::string& components, const std::string& component)
{
    std::string::size_type start = 0;
    while (start <= components.size())
    {
        std::string::size_type comma = components.find(',', start);
        if (comma == std::string::npos)
            comma = components.size();
        std::string item = components.substr(start, comma - start);
        item.erase(0, item.find_first_not_of(' '));
        item.erase(item.find_last_not_of(' ') + 1);
        if (strcasecmp(item.c_str(), "ALL") == 0 ||
            strcasecmp(item.c_str(), component.c_str()) == 0)
            return true;
        start = comma + 1;
    }
    return false;
}

}  // namespace

ServerLog::ServerLog(SystemCalls& sys) : _sys(sys)
{
}

ServerLog::~ServerLog()
{
    if (_logFd >= 0)
        _sys.close(_logFd);
    if (_traceFd >= 0)
        _sys.close(_traceFd);
}

bool ServerLog::openLog(const std::string& dir, std::string& error)
{
    const std::string path = dir + "/cimserver.log";
    if (!makeDirectories(_sys, dir, 0700))
    {
        error = "cannot open " + path + ": " + dir + " is not a directory that can be created";
        return false;
    }
    int fd = _sys.open(path.c_str(), kOpenFlags, 0600);
    if (fd < 0)
    {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::lock_guard<std::mutex> lock(_mutex);
    if (_logFd >= 0)
        _sys.close(_logFd);
    _logFd = fd;
    _logPath = path;
    return true;
}

std::string ServerLog::logPath() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _logPath;
}

void ServerLog::setLogLevel(Severity lowest)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _lowest = lowest;
}

void ServerLog::setTrace(const TraceSettings& settings)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _trace = settings;
    if (_trace.files == 0)
        _trace.files = 1;
    // The file is (re)opened by the next line when it is to change.
    if (_traceFd >= 0 && (_trace.level == 0 || _trace.toLog || _trace.path != _tracePathOpen))
    {
        _sys.close(_traceFd);
        _traceFd = -1;
    }
}

bool ServerLog::isLogProperty(const std::string& name)
{
    return name == "logLevel" || name == "numberOfTraceFiles" ||
           name.compare(0, 5, "trace") == 0;
}

void ServerLog::configure(const ServerConfig& config)
{
    Severity lowest = Information;
    if (parseSeverity(config.current("logLevel"), lowest))
        setLogLevel(lowest);
    TraceSettings t;
    try
    {
        t.level = static_cast<unsigned>(std::stoul(config.current("traceLevel")));
        t.maxBytes = std::stoull(config.current("traceFileSizeKBytes")) * 1024u;
        t.files = static_cast<unsigned>(std::stoul(config.current("numberOfTraceFiles")));
    }
    catch (const std::exception&)
    {
        // The values were checked when set; keep the defaults otherwise.
    }
    t.components = config.current("traceComponents");
    t.toLog = strcasecmp(config.current("traceFacility").c_str(), "Log") == 0;
    t.path = config.currentPath("traceFilePath");
    setTrace(t);
}

bool ServerLog::parseSeverity(const std::string& text, Severity& severity)
{
    for (int i = Trace; i <= Fatal; ++i)
    {
        if (strcasecmp(text.c_str(), kSeverityNames[i]) == 0)
        {
            severity = static_cast<Severity>(i);
            return true;
        }
    }
    return false;
}

void ServerLog::log(Severity severity, const std::string& component, const std::string& text)
{
    std::lock_guard<std::mutex> lock(_mutex);
    if (severity >= _lowest)
        writeLocked(_logFd, utcNow() + " " + kSeverityNames[severity] + " " + component + ": " +
                                oneLine(text) + "\n");
    traceLocked(severity >= Warning ? 1 : 2, component, text);
}

void ServerLog::trace(unsigned level, const std::string& component, const std::string& text)
{
    std::lock_guard<std::mutex> lock(_mutex);
    traceLocked(level, component, text);
}

bool ServerLog::tracing(unsigned level, const std::string& component) const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return tracingLocked(level, component);
}

bool ServerLog::tracingLocked(unsigned level, const std::string& component) const
{
    return level >= 1 && level <= _trace.level && listed(_trace.components, component);
}

void ServerLog::traceLocked(unsigned level, const std::string& component,
                            const std::string& text)
{
    if (!tracingLocked(level, component))
        return;
    const std::string line = utcNow() + " [" + std::to_string(level) + "] " + component +
                             ": " + oneLine(text) + "\n";
    if (_trace.toLog)
    {
        writeLocked(_logFd, line);
        return;
    }
    if (_traceFd >= 0 && _trace.maxBytes > 0 && _traceBytes + line.size() > _trace.maxBytes)
        rotateLocked();
    if (_traceFd < 0)
    {
        const std::string dir = directoryOf(_trace.path);
        if (!dir.empty())
            makeDirectories(_sys, dir, 0700);
        _traceFd = _sys.open(_trace.path.c_str(), kOpenFlags, 0600);
        if (_traceFd < 0)
            return;
        _tracePathOpen = _trace.path;
        struct stat st;
        _traceBytes = ::fstat(_traceFd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    }
    writeLocked(_traceFd, line);
    _traceBytes += line.size();
}

// <path>.<files-2> -> <path>.<files-1>, ..., <path> -> <path>.1; with one
// file kept, the file starts again empty.
void ServerLog::rotateLocked()
{
    _sys.close(_traceFd);
    _traceFd = -1;
    const std::string& path = _tracePathOpen;
    if (_trace.files <= 1)
    {
        _sys.unlink(path.c_str());
        return;
    }
    for (unsigned i = _trace.files - 1; i >= 1; --i)
    {
        const std::string from = i == 1 ? path : path + "." + std::to_string(i - 1);
        _sys.rename(from.c_str(), (path + "." + std::to_string(i)).c_str());
    }
}

void ServerLog::writeLocked(int& fd, const std::string& line)
{
    if (fd >= 0)
        writeAll(_sys, fd, line.data(), line.size());
}

}  // namespace Pegasus
