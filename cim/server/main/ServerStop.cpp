#include "ServerStop.h"

#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>

#include <unistd.h>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/Constants.h>

#include "ServerConfig.h"
#include "StartFiles.h"

namespace Pegasus {

namespace {

// The files a killed server could not remove itself.
void removeStaleFiles(const std::string& home, const std::string& extra,
                      pid_t pid)
{
    SystemCalls& sys = SystemCalls::real();
    removePidFileOf(sys, startFilePath(home), pid);
    if (!extra.empty())
        removePidFileOf(sys, extra, pid);
}

void killServer(pid_t pid)
{
    if (pid > 0 && isCimserverProcess(pid))
        ::kill(pid, SIGKILL);
}

}  // namespace

int stopServer(const std::string& home)
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

    pid_t pid = 0;
    readPidFile(startFilePath(home), pid);

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
        killServer(pid);
        removeStaleFiles(home, extraStartFile, pid);
        return 1;
    }
    catch (const Exception&)
    {
        // The connection may close as the server goes away; whether it has
        // stopped is seen from its process below.
    }
    client.disconnect();

    if (pid > 0)
    {
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::seconds(timeoutSeconds);
        while (isCimserverProcess(pid))
        {
            if (std::chrono::steady_clock::now() >= deadline)
            {
                std::cout << "Shutdown timeout expired.  Forced shutdown "
                             "initiated." << std::endl;
                killServer(pid);
                removeStaleFiles(home, extraStartFile, pid);
                return 0;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
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
