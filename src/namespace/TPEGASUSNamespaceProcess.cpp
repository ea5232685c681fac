// TPEGASUSNamespace: the server process lifecycle - port choice, start, stop
// and the removal of a server left over from an earlier run.
#include "TPEGASUSNamespace.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "TKTAException.h"
#include "TOSSpecific.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

void LogLine(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, text);
}

// The result of bind(2) for `fd` on `address`:`port`.
int BindTo(int fd, in_addr_t address, uint16_t port)
{
    sockaddr_in socketAddress;
    memset(&socketAddress, 0, sizeof socketAddress);
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_addr.s_addr = address;
    socketAddress.sin_port = htons(port);
    return TPEGASUSNamespace::SystemCalls().bind(
        fd, reinterpret_cast<sockaddr*>(&socketAddress), sizeof socketAddress);
}

} // namespace

std::string TPEGASUSNamespace::GetStartFilePath() const
{
    return "/var/tmp/cimserverqrv_tc_" + fConsumer + "_start.conf";
}

uint16_t TPEGASUSNamespace::getAvailablePort()
{
    TSystemCalls const& calls = SystemCalls();
    int fd = calls.socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) {
        // No port can be probed without a socket; the caller counts this
        // as a failed start attempt.  Not logged here: the caller logs it.
        int const error = errno;
        throw TKTAException(TKTAStatusCode::kConnectionFailed,
                            std::string("cannot open a socket to probe a port: ") +
                                std::strerror(error));
    }
    in_addr_t address = inet_addr(fHost.c_str());
    if (BindTo(fd, address, 5988) != -1) {
        calls.close(fd);
        return 5988;
    }
    LogLine(3, "Can not bind to port 5988, try others");
    // From the top down: the high ports are the least likely to be wanted
    // by anything else on the machine.  A failed bind leaves the socket
    // unbound, so the same socket probes every port.
    for (unsigned int port = 65535; port >= 1024; --port) {
        if (BindTo(fd, address, static_cast<uint16_t>(port)) == 0) {
            calls.close(fd);
            return static_cast<uint16_t>(port);
        }
    }
    calls.close(fd);
    calls.exit(1);
    // Not reached: exit ends the process (a test's replacement throws).
    std::abort();
}

void TPEGASUSNamespace::callCimserver(uint16_t port)
{
    std::vector<std::string> args;
    args.push_back("httpPort=" + std::to_string(port));
    args.push_back("enableHttpsConnection=false");
    args.push_back("enableAuthentication=false");
    std::string output;
    TOSSpecific::SpawnProcess("cimserver", args, fCimserverPath, fEnvironment, output, 32767);
    // The server detaches once it listens; give it a moment before the
    // client's first try.
    SystemCalls().sleep(1);
    LogLine(3, output);
}

void TPEGASUSNamespace::closeCimserver(bool stop)
{
    if (stop) {
        std::vector<std::string> args(1, "-s");
        std::string output;
        TOSSpecific::SpawnProcess("cimserver", args, fCimserverPath, fEnvironment, output,
                                  32767);
        LogLine(3, output);
    }
    // Whatever the stop request achieved, a server still named in the start
    // file after this pause is killed.
    SystemCalls().sleep(3);
    killResidualCimserver();
}

void TPEGASUSNamespace::killResidualCimserver()
{
    std::string const startFile = GetStartFilePath();
    std::ifstream in(startFile.c_str());
    if (!in.is_open()) {
        LogLine(3, "Error opening " + startFile);
    } else {
        int pid = 0;
        if (in >> pid) {
            if (isResidualCimserver(pid))
                teminateCimserver(pid);
        }
        in.close();
    }
    int status = SystemCalls().system(("rm /var/tmp/cimserverqrv_tc_" + fConsumer +
                                       "_start.conf -f > nul 2>&1").c_str());
    static_cast<void>(status);
}

bool TPEGASUSNamespace::isResidualCimserver(int pid)
{
    std::string output;
    try {
        std::vector<std::string> args(1, "-e");
        TOSSpecific::SpawnProcess("ps", args, output, 360);
    } catch (TKTAException const& e) {
        LogLine(0, e.what());
        return false;
    }
    LogLine(3, output);

    // A process id in the start file may have been reused by an unrelated
    // process: only a line that names cimserver counts.
    std::string const wanted = std::to_string(pid);
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.find("cimserver") == std::string::npos)
            continue;
        std::istringstream words(line);
        std::string first;
        if (words >> first && first == wanted)
            return true;
    }
    return false;
}

void TPEGASUSNamespace::teminateCimserver(int pid)
{
    LogLine(3, "Killing process..");
    // Not examined: a process that is already gone is as good as a killed
    // one, and the start file goes either way.
    int result = SystemCalls().kill(pid, 9);
    static_cast<void>(result);
}

} // namespace NQRVKTA20
