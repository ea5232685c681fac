// TPEGASUSNamespace: installation root, server configuration and removal of
// the server's stored state.
#include "TPEGASUSNamespace.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "TKTAException.h"
#include "TOSSpecific.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

void LogLine(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, text);
}

// Runs a removal through the shell.  Its status is of no interest: a path
// that is not there is as good as a removed one.
void RunShell(std::string const& command)
{
    int status = TPEGASUSNamespace::SystemCalls().system(command.c_str());
    static_cast<void>(status);
}

} // namespace

std::string TPEGASUSNamespace::GetKTARootPath()
{
    char buffer[1024];
    if (getcwd(buffer, sizeof buffer) == nullptr)
        return std::string();
    return std::string(buffer);
}

void TPEGASUSNamespace::callCimconfig()
{
    std::vector<std::string> dirs = FindSubDirs(fRootPath + "/pegasus/provider/");
    // Paths relative to PEGASUS_HOME, each ended by a colon, the last too.
    std::string value;
    for (std::string const& dir : dirs)
        value += "provider/" + dir + ":";

    std::vector<std::string> args;
    args.push_back("-s");
    args.push_back("providerDir=" + value);
    std::string output;
    TOSSpecific::SpawnProcess("cimconfig", args, fRootPath + "/pegasus/bin/cimconfig",
                              fEnvironment, output, 32767);
    LogLine(3, output);
}

void TPEGASUSNamespace::preConfig()
{
    callCimconfig();

    std::string const dir = fRootPath + "/pegasus/provider/lsi_mir/";
    std::string const file = fRootPath + "/pegasus/provider/lsi_mir/lsi_mr.conf";
    RunShell("rm " + file + " -rf > nul 2>&1");

    // The brocade provider's library only works with the 3.0.0 tool chain;
    // with any other (or none) it must not be loaded.
    std::string version;
    try {
        version = TOSSpecific::SpawnProcess("bcu -v", 300);
    } catch (TKTAException const& e) {
        LogLine(0, e.what());
        version.clear();
    }
    if (version.find("3.0.0") == std::string::npos)
        RunShell("rm " + fRootPath + "/pegasus/provider/brocade/libdbfaj.so" +
                 " -rf > nul 2>&1");

    // The lsi_mir provider finds its data and libraries through this file;
    // it is rewritten for the installation in use.  A missing provider
    // directory simply leaves it unwritten.
    std::ofstream conf(file.c_str(), std::ios::out | std::ios::trunc);
    if (conf.is_open()) {
        conf << "DATA_DIR=" << dir << "\n" << "LIBRARY_DIR=" << dir;
        conf.close();
    }
}

void TPEGASUSNamespace::cleanCimserver()
{
    RunShell("rm " + fRootPath + "/pegasus/repository" + " -rf > nul 2>&1");
    RunShell("rm " + fRootPath + "/pegasus/provider/lsi_mir/repository.xml" +
             " -rf > nul 2>&1");
}

} // namespace NQRVKTA20
