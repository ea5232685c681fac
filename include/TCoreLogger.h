// TCoreLogger: the host's logger behind TRootObject::GetCoreLogger().
//
// Every message becomes one record:
//   2024-05-01 12:34:56.789 [3] <4711> text of the message
//       second line of a text that holds a newline
// that is: local time with milliseconds, the severity number in brackets,
// the kernel thread id in angle brackets, and the text.  A text's lines
// after the first are indented by four spaces, and one newline at the end
// of a text is dropped (so texts built with std::endl do not leave blank
// lines).
//
// Targets: a log file chosen with SetLogFile (appended to, created with mode
// 0644, never handed to child processes) receives messages up to its
// severity limit; standard error receives messages up to its own limit.
// Defaults: no file (file limit 5, all severities), standard error limit 3,
// so a logger nobody configured shows everything the plug-in logs on
// standard error.  A limit below 0 turns a target off.
//
// Thread safety: all members may be called from any thread at any time;
// each record is written with one write call under a lock, so records never
// interleave and keep the order in which the calls took the lock.
#ifndef NQRVKTA20_TCORELOGGER_H
#define NQRVKTA20_TCORELOGGER_H

#include <atomic>
#include <mutex>
#include <string>

#include <boost/shared_ptr.hpp>

#include "ILogger.h"

namespace NQRVKTA20 {

class TCoreLogger : public ILogger {
public:
    TCoreLogger();
    ~TCoreLogger() override;

    TCoreLogger(const TCoreLogger&) = delete;
    TCoreLogger& operator=(const TCoreLogger&) = delete;

    // The process-wide logger; it is never destroyed, so it may be used
    // from static destructors.
    static boost::shared_ptr<TCoreLogger> Instance();

    using ILogger::Log;
    void Log(EKTALogSeverity severity, const std::string& message) override;

    // Sends the records to the file at `path` from now on, closing the file
    // used before.  An empty path closes the file and sends nothing to a
    // file.  Returns false, keeping the previous file, when `path` cannot
    // be opened for appending; the reason is left in errno.
    bool SetLogFile(const std::string& path);

    // The path given to the last successful SetLogFile ("" for none).
    std::string GetLogFile() const;

    // Messages whose severity is at most the limit go to the target.
    void SetFileSeverityLimit(int limit);
    void SetStderrSeverityLimit(int limit);

    // Builds one record from its prefix (time, severity, thread) and the
    // message text: continuation lines indented, one trailing newline of
    // the text dropped, the record ended by a newline.  Pure; used by Log.
    static std::string FormatRecord(const std::string& prefix,
                                    const std::string& message);

private:
    void WriteAll(int fd, const std::string& text);

    mutable std::mutex fMutex;
    int fFileFd;
    std::string fFilePath;
    // Read without the lock, so that a record no destination wants costs
    // no formatting.
    std::atomic<bool> fFileOpen;
    std::atomic<int> fFileLimit;
    std::atomic<int> fStderrLimit;
};

} // namespace NQRVKTA20

#endif
