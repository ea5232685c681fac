// The cimserver command line:
//   cimserver [ [ options ] | [ configProperty=value, ... ] ]
// with the options -v/--version, -h/--help, --status, -s and -D <home>.
//
// Parsing is pure: it reads nothing from the environment and never exits.
#ifndef KTA_CIM_SERVER_MAIN_SERVERCOMMANDLINE_H
#define KTA_CIM_SERVER_MAIN_SERVERCOMMANDLINE_H

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace Pegasus {

// The complete line cimserver prints to stderr before exiting with status 1,
// e.g. "cimserver not started: Unrecognized command line option. ".
class ServerCommandLineError : public std::runtime_error
{
public:
    explicit ServerCommandLineError(const std::string& message)
        : std::runtime_error(message) {}
};

struct ServerCommandLine
{
    enum Action { Start, Stop, Status, Version, Help };

    Action action = Start;
    bool homeGiven = false;
    std::string home;  // the -D value when homeGiven
    // name=value arguments in command-line order; names are not checked
    // against the property table here.
    std::vector<std::pair<std::string, std::string> > properties;
};

// Parses the arguments after the program name.  Throws
// ServerCommandLineError.
ServerCommandLine parseServerCommandLine(const std::vector<std::string>& args);

// The text -h prints: a blank line, "CIM Server 2.14.4", a blank line and
// the usage.
std::string serverHelpText();

// "2.14.4".
extern const char kServerVersion[];

}  // namespace Pegasus

#endif
