// The cimconfig command line:
//   cimconfig -g name [-c] [-d] [-p]
//   cimconfig -s name=value [-c] [-p] [-t secs]
//   cimconfig -u name [-c] [-p] [-t secs]
//   cimconfig -l [-c | -p]
//   cimconfig -H name | "All"
//   cimconfig -h | --help
//   cimconfig --version
//
// Parsing is pure and never exits.
#ifndef KTA_CIM_CONFIG_CIMCONFIGCOMMANDLINE_H
#define KTA_CIM_CONFIG_CIMCONFIGCOMMANDLINE_H

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace Pegasus {

// A usage problem.  what() is the problem alone, e.g. "Unknown flag -x";
// cimconfig prints "cimconfig: <problem>" and the --help hint.
class CimconfigUsageError : public std::runtime_error
{
public:
    explicit CimconfigUsageError(const std::string& problem)
        : std::runtime_error(problem) {}
};

struct CimconfigRequest
{
    enum Operation { Get, Set, Unset, List, PropertyHelp, Usage, Version };

    Operation operation = Usage;
    std::string name;   // -g, -s, -u, -H
    std::string value;  // -s
    // The modifiers after defaulting: -g/-s/-u without -c, -p or -d act on
    // the current value.
    bool current = false;
    bool planned = false;
    bool defaultValue = false;
    uint32_t timeoutSeconds = 20;  // -t
};

// Parses the arguments after the program name.  Throws CimconfigUsageError.
CimconfigRequest parseCimconfigCommandLine(
    const std::vector<std::string>& args);

// The text -h prints (to stderr).
std::string cimconfigUsageText();

}  // namespace Pegasus

#endif
