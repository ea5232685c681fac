#include "TCoreLogger.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

namespace NQRVKTA20 {

namespace {

const char kContinuationIndent[] = "    ";

// Appends the time, severity and thread of a record to `out`.  The date
// and time up to the second and the thread id are formatted once per second
// and thread: a record costs little more than its copy.
void AppendPrefix(std::string& out, int severity)
{
    thread_local std::string const threadText =
        " <" + std::to_string(static_cast<long>(syscall(SYS_gettid))) + "> ";
    thread_local time_t cachedSecond = -1;
    thread_local char cachedTime[64];
    struct timeval now;
    gettimeofday(&now, nullptr);
    if (now.tv_sec != cachedSecond) {
        struct tm local;
        time_t seconds = now.tv_sec;
        localtime_r(&seconds, &local);
        std::snprintf(cachedTime, sizeof cachedTime, "%04d-%02d-%02d %02d:%02d:%02d",
                      local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                      local.tm_min, local.tm_sec);
        cachedSecond = now.tv_sec;
    }
    out += cachedTime;
    long const ms = static_cast<long>(now.tv_usec / 1000);
    char const millis[4] = {'.', static_cast<char>('0' + ms / 100),
                            static_cast<char>('0' + ms / 10 % 10), static_cast<char>('0' + ms % 10)};
    out.append(millis, sizeof millis);
    out += " [";
    out += std::to_string(severity);
    out += ']';
    out += threadText;
}

// Appends the message, each inner line break followed by the continuation
// indent, and one final line break (a final one of the message is dropped).
void AppendMessage(std::string& record, const std::string& message)
{
    std::string::size_type end = message.size();
    if (end > 0 && message[end - 1] == '\n')
        --end;
    std::string::size_type start = 0;
    while (start < end) {
        std::string::size_type lineEnd = message.find('\n', start);
        if (lineEnd == std::string::npos || lineEnd >= end) {
            record.append(message, start, end - start);
            break;
        }
        record.append(message, start, lineEnd + 1 - start);
        record += kContinuationIndent;
        start = lineEnd + 1;
    }
    record += '\n';
}

} // namespace

TCoreLogger::TCoreLogger()
    : fFileFd(-1), fFileOpen(false), fFileLimit(kLogTrace), fStderrLimit(kLogDiagnostic)
{
}

TCoreLogger::~TCoreLogger()
{
    if (fFileFd >= 0)
        ::close(fFileFd);
}

boost::shared_ptr<TCoreLogger> TCoreLogger::Instance()
{
    // Deliberately leaked: plug-ins log from static destructors (a namespace
    // stopping its server at exit), after ordinary statics could be gone.
    static boost::shared_ptr<TCoreLogger>* instance =
        new boost::shared_ptr<TCoreLogger>(new TCoreLogger);
    return *instance;
}

std::string TCoreLogger::FormatRecord(const std::string& prefix,
                                      const std::string& message)
{
    std::string record;
    record.reserve(prefix.size() + message.size() + 16);
    record += prefix;
    AppendMessage(record, message);
    return record;
}

void TCoreLogger::Log(EKTALogSeverity severity, const std::string& message)
{
    try {
        int level = static_cast<int>(severity);
        bool const toFile = fFileOpen.load(std::memory_order_relaxed) &&
                            level <= fFileLimit.load(std::memory_order_relaxed);
        if (!toFile &&
            level > fStderrLimit.load(std::memory_order_relaxed))
            return;
        // Built before taking the lock, in a buffer each thread keeps, so
        // the lock is held only for the write itself.
        thread_local std::string record;
        record.clear();
        AppendPrefix(record, level);
        AppendMessage(record, message);
        std::lock_guard<std::mutex> lock(fMutex);
        if (fFileFd >= 0 && level <= fFileLimit)
            WriteAll(fFileFd, record);
        if (level <= fStderrLimit)
            WriteAll(STDERR_FILENO, record);
    } catch (...) {
        // Out of memory while formatting: the message is dropped, as the
        // interface promises never to throw.
    }
}

void TCoreLogger::WriteAll(int fd, const std::string& text)
{
    const char* data = text.data();
    std::string::size_type left = text.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        data += written;
        left -= static_cast<std::string::size_type>(written);
    }
}

bool TCoreLogger::SetLogFile(const std::string& path)
{
    int fd = -1;
    if (!path.empty()) {
        do {
            fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC,
                        0644);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0)
            return false;
    }
    int old;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        old = fFileFd;
        fFileFd = fd;
        fFileOpen = fd >= 0;
        fFilePath = path;
    }
    if (old >= 0)
        ::close(old);
    return true;
}

std::string TCoreLogger::GetLogFile() const
{
    std::lock_guard<std::mutex> lock(fMutex);
    return fFilePath;
}

void TCoreLogger::SetFileSeverityLimit(int limit)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fFileLimit = limit;
}

void TCoreLogger::SetStderrSeverityLimit(int limit)
{
    std::lock_guard<std::mutex> lock(fMutex);
    fStderrLimit = limit;
}

} // namespace NQRVKTA20
