// cimserver: starts, stops or queries the CIM server of a PEGASUS_HOME.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "ServerCommandLine.h"
#include "ServerStart.h"
#include "ServerStop.h"

namespace {

// PEGASUS_HOME made absolute: the server may change its working directory's
// meaning for its children, and the start files must name one place.
std::string absoluteHome(const std::string& home)
{
    if (!home.empty() && home[0] == '/')
        return home;
    std::vector<char> buffer(4096);
    if (::getcwd(buffer.data(), buffer.size()) == nullptr)
        return home.empty() ? std::string(".") : home;
    std::string cwd(buffer.data());
    if (home.empty() || home == ".")
        return cwd;
    return cwd + "/" + home;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace Pegasus;

    ServerCommandLine line;
    try
    {
        line = parseServerCommandLine(
            std::vector<std::string>(argv + 1, argv + argc));
    }
    catch (const ServerCommandLineError& e)
    {
        std::cerr << e.what() << std::endl;
        return 1;
    }

    switch (line.action)
    {
    case ServerCommandLine::Version:
        std::cout << kServerVersion << std::endl;
        return 0;
    case ServerCommandLine::Help:
        std::cout << serverHelpText();
        return 0;
    default:
        break;
    }

    std::string home;
    if (line.homeGiven)
        home = line.home;
    else if (const char* env = std::getenv("PEGASUS_HOME"))
        home = env;
    home = absoluteHome(home);
    // The client library, providers and tools all find the home (and the
    // local socket below it) through the environment.
    ::setenv("PEGASUS_HOME", home.c_str(), 1);

    switch (line.action)
    {
    case ServerCommandLine::Status:
        return reportServerStatus(home);
    case ServerCommandLine::Stop:
        return stopServer(home);
    default:
        return startServer(home, line);
    }
}
