// ILogger: the host's logging interface (the core logger is reached through
// TRootObject::GetCoreLogger()).
//
// A message is one finished text; the logger writes it as one record, with
// its time, severity and the calling thread, and never mixes the records of
// concurrent callers.  A text ending in one newline gets no second one.
//
// Thread safety: implementations must accept calls from any number of
// threads at once.
#ifndef NQRVKTA20_ILOGGER_H
#define NQRVKTA20_ILOGGER_H

#include <string>

namespace NQRVKTA20 {

class ILogger {
public:
    // Severities: a lower number is more serious.  0 accompanies failures
    // and 3 progress, diagnostics and collected child-process output; the
    // others are there for the host's own use.  Values outside 0..5 are
    // accepted and written as their number.
    enum EKTALogSeverity {
        kLogError = 0,       // an operation failed
        kLogWarning = 1,     // something unexpected, work goes on
        kLogInfo = 2,        // notable events
        kLogDiagnostic = 3,  // progress and diagnostics
        kLogDebug = 4,       // detail for developers
        kLogTrace = 5        // very fine-grained detail
    };

    virtual ~ILogger() {}

    // Writes one message.  Never throws: a logger that cannot write drops
    // the message.
    virtual void Log(EKTALogSeverity severity, const std::string& message) = 0;

    // The same, for callers holding the severity as a plain integer.
    void Log(int severity, const std::string& message)
    {
        Log(static_cast<EKTALogSeverity>(severity), message);
    }
};

} // namespace NQRVKTA20

#endif
