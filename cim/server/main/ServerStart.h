// Starting the server: the whole sequence from the parsed command line to
// the end of serving.  Used by cimserver's main().
#ifndef KTA_CIM_SERVER_MAIN_SERVERSTART_H
#define KTA_CIM_SERVER_MAIN_SERVERSTART_H

#include <string>

#include "ServerCommandLine.h"
#include "SystemCalls.h"

namespace Pegasus {

// Runs the server for PEGASUS_HOME `home` (absolute) with the command line's
// name=value settings.  Prints the documented messages to stderr on failure.
// With daemon=true the calling process returns here only in the parent,
// once the detached child serves (0) or has failed (1); the child returns
// after it has stopped.  Returns the process's exit status.
int startServer(const std::string& home, const ServerCommandLine& line);

// The same with the system calls of `sys` (tests make some of them fail).
int startServer(const std::string& home, const ServerCommandLine& line, SystemCalls& sys);

}  // namespace Pegasus

#endif
