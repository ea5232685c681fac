// The cimmof command line: what the options mean, and the exact texts of
// its usage errors.
#ifndef PEGASUS_MOF_CIMMOF_COMMAND_LINE_H
#define PEGASUS_MOF_CIMMOF_COMMAND_LINE_H

#include <string>
#include <vector>

namespace Pegasus {
namespace Mof {

struct CimmofOptions
{
    bool help = false;
    bool version = false;
    std::string nameSpace = "root/cimv2";
    std::vector<std::string> includeDirs;
    bool suppressWarnings = false;    // -w
    bool allowClassUpdate = false;    // -uc
    bool allowExperimental = false;   // -aE / -aEV
    bool allowVersionChange = false;  // -aV / -aEV
    bool checkOnly = false;           // -E
    bool xml = false;                 // --xml
    bool trace = false;               // --trace[=file]
    std::string traceFile;            // empty: standard output
    std::vector<std::string> files;   // none: standard input
};

// Parses argv[1..].  On a usage error returns false and fills `errors`
// with the lines to print on standard error (program = argv[0] as typed).
bool parseCimmofCommandLine(int argc, const char* const* argv, CimmofOptions& options,
                            std::vector<std::string>& errors);

// The usage text for -h / --help.
std::string cimmofUsage(const std::string& program);

}  // namespace Mof
}  // namespace Pegasus

#endif
