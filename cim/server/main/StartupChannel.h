// How a detaching cimserver tells the process that started it whether the
// start worked: the parent forks, the child does the rest of the start-up
// and reports "ready" or the reason it failed through a pipe, and the
// parent exits with the matching status.
//
// Usage:
//   StartupChannel channel(sys);
//   channel.open();                       // before fork()
//   child:  channel.becomeChild(); ... channel.reportReady() or
//           channel.reportFailure(reason);
//   parent: channel.becomeParent(); outcome = channel.waitForChild(240000);
//
// The descriptors are close-on-exec.  One object per start; not thread-safe.
#ifndef KTA_CIM_SERVER_MAIN_STARTUPCHANNEL_H
#define KTA_CIM_SERVER_MAIN_STARTUPCHANNEL_H

#include <string>

#include "SystemCalls.h"

namespace Pegasus {

class StartupChannel
{
public:
    enum Outcome
    {
        Ready,     // the child is serving
        Failed,    // the child reported a reason
        Vanished,  // the child ended (or closed the pipe) without a word
        TimedOut,  // no answer in time
    };

    explicit StartupChannel(SystemCalls& sys = SystemCalls::real());
    ~StartupChannel();  // closes what is still open

    StartupChannel(const StartupChannel&) = delete;
    StartupChannel& operator=(const StartupChannel&) = delete;

    // Creates the pipe.  Returns false (errno set) when pipe() fails.
    bool open();

    // After fork(): each side closes the end it does not use.
    void becomeChild();
    void becomeParent();

    // Child side: report and close the pipe.  Only the first report counts.
    void reportReady();
    void reportFailure(const std::string& reason);

    // Parent side: waits up to `timeoutMs` milliseconds for the report.
    // On Failed, `reason` holds the child's text.
    Outcome waitForChild(int timeoutMs, std::string& reason);

private:
    void report(const std::string& message);

    SystemCalls& _sys;
    int _read;
    int _write;
};

}  // namespace Pegasus

#endif
