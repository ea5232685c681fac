// cimconfig: reads and changes the configuration of the CIM server of
// PEGASUS_HOME.
#include <iostream>
#include <string>
#include <vector>

#include <Pegasus/Common/Exception.h>

#include "CimconfigCommandLine.h"
#include "CimconfigCommands.h"
#include "LocalSocketPath.h"

int main(int argc, char** argv)
{
    using namespace Pegasus;

    CimconfigRequest request;
    try
    {
        request = parseCimconfigCommandLine(
            std::vector<std::string>(argv + 1, argv + argc));
    }
    catch (const CimconfigUsageError& e)
    {
        std::cerr << "cimconfig: " << e.what() << std::endl
                  << "cimconfig: Use '--help' to obtain command syntax."
                  << std::endl;
        return 1;
    }
    try
    {
        return runCimconfig(request, LocalSocketPath::pegasusHome(),
                            std::cout, std::cerr);
    }
    catch (const Exception& e)
    {
        std::cerr << "cimconfig: " << e.getMessage().getCString() << std::endl;
    }
    catch (const std::exception& e)
    {
        std::cerr << "cimconfig: " << e.what() << std::endl;
    }
    return 1;
}
