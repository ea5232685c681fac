#include "ServerStop.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>

#include <poll.h>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/Constants.h>

#include "ServerConfig.h"
#include "StartFiles.h"

namespace Pegasus {

namespace {

// The files a killed server could not remove itself.
void removeStaleFiles(SystemCalls& sys, const std::string& home,
                      const std::string& extra, pid_t pid)
{
    removePidFileOf(sys, startFilePath(home), pid);
    if (!extra.empty())
        removePidFileOf(sys, extra, pid);
}

bool processAlive(pid_t pid)
{
    std::string name;
    bool alive = false;
    return processName(pid, name, alive) && alive;
}

// Waits until the server of `home` has ended; false if it still runs at
// `deadline`.  With the server's process id (checked against the start
// lock before), its process is watched: a process descriptor wakes us the
// moment it exits, where the system has one.  Without it, the start lock is
// looked at every 10 ms.
bool waitForExit(SystemCalls& sys, const std::string& home, pid_t pid,
                 std::chrono::steady_clock::time_point deadline)
{
    int descriptor = pid > 0 ? sys.pidfdOpen(pid) : -1;
    bool exited = true;
    while (pid > 0 ? processAlive(pid) : startLockHeld(home))
    {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
        {
            exited = false;
            break;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
        if (descriptor >= 0)
        {
            pollfd entry{descriptor, POLLIN, 0};
            if (sys.poll(&entry, 1, static_cast<int>(std::min<long long>(left, 1000))) < 0 &&
                errno != EINTR)
            {
                // Watch the process the other way rather than spin.
                sys.close(descriptor);
                descriptor = -1;
            }
        }
        else
        {
            std::this_thread::sleep_for(
                std::chrono::milliseconds(std::min<long long>(left, 10)));
        }
    }
    if (descriptor >= 0)
        sys.close(descriptor);
    return exited;
}

// Kills `pid` only while it is still the server of `home`: whatever else
// the start file may name (another home's server, a reused process id) is
// never signalled.  Returns whether a signal was sent.
bool killServer(SystemCalls& sys, const std::string& home, pid_t pid)
{
    return pid > 0 && holdsStartLock(home, pid) && sys.kill(pid, SIGKILL) == 0;
}

}  // namespace

int stopServer(const std::string& home, SystemCalls& sys)
{
    ServerConfig config(home);
    Uint32 timeoutSeconds = 30;
    std::string extraStartFile;
    try
    {
        config.loadReadOnly();
    }
    catch (const ConfigError&)
    {
        // The defaults do: a damaged file must not keep a server alive.
    }
    try
    {
        timeoutSeconds =
            static_cast<Uint32>(std::stoul(config.current("shutdownTimeout")));
        extraStartFile = config.current("startFile");
        if (!extraStartFile.empty())
            extraStartFile = resolveAgainstHome(home, extraStartFile);
    }
    catch (const std::exception&)
    {
    }

    // The start file's process id counts only if that process holds this
    // home's start lock; otherwise the server is known by its lock alone.
    pid_t pid = 0;
    if (!runningServer(home, pid))
        pid = 0;

    CIMClient client;
    client.setTimeout(2000);
    try
    {
        client.connectLocal();
    }
    catch (const Exception&)
    {
        std::cerr << "Unable to connect to CIM Server.  CIM Server may not "
                     "be running." << std::endl;
        return 1;
    }

    try
    {
        Array<CIMParamValue> in;
        Array<CIMParamValue> out;
        in.append(CIMParamValue("force", CIMValue(Boolean(true))));
        in.append(CIMParamValue("timeout", CIMValue(timeoutSeconds)));
        client.invokeMethod(
            PEGASUS_NAMESPACENAME_SHUTDOWN,
            CIMObjectPath(String(), PEGASUS_NAMESPACENAME_SHUTDOWN,
                          PEGASUS_CLASSNAME_SHUTDOWN),
            CIMName("shutdown"), in, out);
    }
    catch (const CIMException& e)
    {
        if (e.getCode() == CIM_ERR_INVALID_NAMESPACE)
            std::cerr << "The repository may be empty." << std::endl;
        else
            std::cerr << "Error in server shutdown: "
                      << e.getMessage().getCString() << std::endl;
        killServer(sys, home, pid);
        removeStaleFiles(sys, home, extraStartFile, pid);
        return 1;
    }
    catch (const Exception&)
    {
        // The connection may close as the server goes away; whether it has
        // stopped is seen from its process below.
    }
    client.disconnect();

    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::seconds(timeoutSeconds);
    if (!waitForExit(sys, home, pid, deadline))
    {
        if (!killServer(sys, home, pid))
        {
            std::cerr << "Shutdown timeout expired.  The CIM Server process "
                         "could not be identified by its start lock, so it "
                         "was not killed." << std::endl;
            return 1;
        }
        std::cout << "Shutdown timeout expired.  Forced shutdown "
                     "initiated." << std::endl;
        removeStaleFiles(sys, home, extraStartFile, pid);
        return 0;
    }
    std::cout << "CIM Server stopped." << std::endl;
    return 0;
}

int reportServerStatus(const std::string& home)
{
    pid_t pid = 0;
    if (runningServer(home, pid))
    {
        std::cout << "The CIM Server is running." << std::endl;
        return 0;
    }
    std::cout << "The CIM Server is not running." << std::endl;
    return 2;
}

}  // namespace Pegasus
