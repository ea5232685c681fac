// TPEGASUSNamespace: the table of system calls that start-up and shut-down
// make where a test must be able to make them fail or not wait.
#include "TPEGASUSNamespace.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace NQRVKTA20 {

namespace {

void RealExit(int status)
{
    std::exit(status);
}

const TPEGASUSNamespace::TSystemCalls kRealCalls = {
    ::sleep, ::system, ::socket, ::bind, ::close, ::kill, RealExit};

} // namespace

TPEGASUSNamespace::TSystemCalls& TPEGASUSNamespace::SystemCalls()
{
    static TSystemCalls calls = kRealCalls;
    return calls;
}

const TPEGASUSNamespace::TSystemCalls& TPEGASUSNamespace::RealSystemCalls()
{
    return kRealCalls;
}

} // namespace NQRVKTA20
