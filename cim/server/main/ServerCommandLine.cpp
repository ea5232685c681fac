#include "ServerCommandLine.h"

#include <CLI/CLI.hpp>

#include <Pegasus/Common/PegasusVersion.h>

namespace Pegasus {

const char kServerVersion[] = PEGASUS_PRODUCT_VERSION;

namespace {

const char kNotStarted[] = "cimserver not started: ";

}  // namespace

ServerCommandLine parseServerCommandLine(const std::vector<std::string>& args)
{
    ServerCommandLine result;

    CLI::App app("cimserver");
    app.set_help_flag();
    // name=value arguments and unknown options both arrive as extras; the
    // messages for them are ours, not the parser's.
    app.allow_extras();
    CLI::Option* version = app.add_flag("-v,--version");
    CLI::Option* help = app.add_flag("-h,--help");
    CLI::Option* status = app.add_flag("--status");
    CLI::Option* stop = app.add_flag("-s");
    CLI::Option* home = app.add_option("-D", result.home);

    // CLI11 consumes its argument vector from the back.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try
    {
        app.parse(reversed);
    }
    catch (const CLI::ParseError&)
    {
        // The only option taking a value is -D.
        throw ServerCommandLineError(std::string(kNotStarted) +
                                     "Missing argument for option -D.");
    }

    for (const std::string& extra : app.remaining())
    {
        if (!extra.empty() && extra[0] == '-')
            throw ServerCommandLineError(
                std::string(kNotStarted) +
                "Unrecognized command line option. ");
    }
    if (stop->count() > 1)
        throw ServerCommandLineError("Duplicate shutdown option specified.");

    for (const std::string& extra : app.remaining())
    {
        std::string::size_type eq = extra.find('=');
        if (eq == std::string::npos || eq == 0)
            throw ServerCommandLineError(
                std::string(kNotStarted) +
                "Unrecognized config property: " + extra);
        result.properties.emplace_back(extra.substr(0, eq),
                                       extra.substr(eq + 1));
    }

    result.homeGiven = home->count() > 0;
    if (version->count() > 0)
        result.action = ServerCommandLine::Version;
    else if (help->count() > 0)
        result.action = ServerCommandLine::Help;
    else if (status->count() > 0)
        result.action = ServerCommandLine::Status;
    else if (stop->count() > 0)
        result.action = ServerCommandLine::Stop;
    return result;
}

std::string serverHelpText()
{
    return std::string("\nCIM Server ") + kServerVersion + "\n\n" +
        "Usage: cimserver [ [ options ] | [ configProperty=value, ... ] ]\n"
        "  options\n"
        "    -v, --version   - print the version of the CIM Server\n"
        "    -h, --help      - print this help text\n"
        "    -s              - stop the running CIM Server\n"
        "    --status        - tell whether the CIM Server is running\n"
        "    -D [home]       - use [home] as PEGASUS_HOME\n"
        "  configProperty=value\n"
        "                    - start the CIM Server with this value for the\n"
        "                      configuration property (for this run only)\n";
}

}  // namespace Pegasus
