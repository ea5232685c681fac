// cimserver -s and cimserver --status: talking to (or about) the server
// that runs for a PEGASUS_HOME.
#ifndef KTA_CIM_SERVER_MAIN_SERVERSTOP_H
#define KTA_CIM_SERVER_MAIN_SERVERSTOP_H

#include <string>

#include "SystemCalls.h"

namespace Pegasus {

// Asks the server on the local socket of `home` to shut down, waits for its
// process to end (killing it after shutdownTimeout seconds) and prints the
// outcome.  Returns the exit status: 0 stopped, 1 no server or an error.
// Waiting, killing and removing stale files go through `sys`.
int stopServer(const std::string& home, SystemCalls& sys = SystemCalls::real());

// Prints whether a server runs for `home`; returns 0 if so, else 2.
int reportServerStatus(const std::string& home);

}  // namespace Pegasus

#endif
