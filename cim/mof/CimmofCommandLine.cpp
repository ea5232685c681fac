// Option parsing with CLI11.  Two cimmof spellings do not fit its model and
// are rewritten first: "-uc" (a two-letter single-dash flag, which CLI11
// would read as -u -c) and "--trace" whose file may only be attached with
// '=' (so that "--trace x.mof" still compiles x.mof).

#include "CimmofCommandLine.h"

#include <CLI/CLI.hpp>

namespace Pegasus {
namespace Mof {

namespace {

std::string hint(const std::string& program)
{
    return program + ": Use '--help' to obtain command syntax.";
}

}  // namespace

std::string cimmofUsage(const std::string& program)
{
    return "Usage: " + program
        + " [ -w ] [ -E ] [ -uc ] [ -aE | -aV | -aEV ] [ -I path ]\n"
          "       [ -n namespace | --namespace namespace ] [ --xml ] [ --trace[=file] ]\n"
          "       [ mof_file ... ]\n"
          "       " + program + " -h | --help\n"
          "       " + program + " --version\n"
          "Options:\n"
          "  -w              suppress warnings\n"
          "  -E              check the syntax only; change nothing in the repository\n"
          "  -uc             allow existing classes to be modified\n"
          "  -aE, -aV, -aEV  with -uc: allow experimental, version-changing, or both kinds\n"
          "                  of class modification\n"
          "  -I path         also look for #pragma include files in path\n"
          "  -n, --namespace namespace\n"
          "                  compile into namespace (default root/cimv2); it is created\n"
          "                  if it does not exist\n"
          "  --xml           write the declarations as CIM-XML to standard output instead\n"
          "                  of loading them\n"
          "  --trace[=file]  trace the requests sent to the CIM Server\n"
          "  -h, --help      show this help\n"
          "  --version       show the version\n"
          "With no mof_file, the MOF text is read from standard input.\n";
}

bool parseCimmofCommandLine(int argc, const char* const* argv, CimmofOptions& options,
                            std::vector<std::string>& errors)
{
    std::string program = argc > 0 && argv[0] ? argv[0] : "cimmof";
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
    {
        std::string arg = argv[i];
        if (arg == "-uc")
            args.push_back("--uc");
        else if (arg == "--trace")
            options.trace = true;
        else if (arg.compare(0, 8, "--trace=") == 0)
        {
            options.trace = true;
            options.traceFile = arg.substr(8);
        }
        else
            args.push_back(arg);
    }

    CLI::App app;
    app.set_help_flag();
    app.allow_extras();
    app.add_flag("-h,--help", options.help);
    app.add_flag("--version", options.version);
    app.add_flag("-w", options.suppressWarnings);
    app.add_flag("-E", options.checkOnly);
    app.add_flag("--uc", options.allowClassUpdate);
    app.add_flag("--xml", options.xml);
    std::string allow;
    app.add_option("-a", allow);
    app.add_option("-I", options.includeDirs)->allow_extra_args(false);
    app.add_option("-n,--namespace", options.nameSpace);
    app.add_option("files", options.files);

    // CLI11 wants the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try
    {
        app.parse(reversed);
    }
    catch (const CLI::ParseError& e)
    {
        errors.push_back(program + ": Command line errors:");
        errors.push_back(std::string("> ") + e.what());
        errors.push_back(hint(program));
        return false;
    }

    std::vector<std::string> extras = app.remaining();
    for (const std::string& extra : extras)
    {
        if (extra.size() > 1 && extra[0] == '-')
        {
            errors.push_back(program + ": Command line errors:");
            errors.push_back("> Unknown flag " + extra);
            errors.push_back(hint(program));
            return false;
        }
        options.files.push_back(extra);
    }

    if (app.count("-a"))
    {
        bool good = !allow.empty() && allow.size() <= 2
            && allow.find_first_not_of("EV") == std::string::npos;
        if (!good)
        {
            errors.push_back(program + ": Unknown value specified for option -a.");
            errors.push_back(hint(program));
            return false;
        }
        options.allowExperimental = allow.find('E') != std::string::npos;
        options.allowVersionChange = allow.find('V') != std::string::npos;
    }
    return true;
}

}  // namespace Mof
}  // namespace Pegasus
