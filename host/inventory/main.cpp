// kta-inventory: the host program.  Loads the namespace plug-in from an
// installation tree as the host framework does, lets it start its private
// CIM server, collects this machine's inventory through the providers it
// registered and prints the report (text, JSON or HTML), optionally with the
// changes since an earlier JSON report.  It can also invoke one CIM method
// (--invoke) or show the class tree (--tree) instead.
//
// Exit status: 0 when everything was collected, 1 when some provider or
// class failed (or an invoked method failed), 2 when nothing could be
// collected (bad command line, missing installation, a server that could not
// be started).
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include <CLI/CLI.hpp>

#include "TConfig.h"
#include "TCoreLogger.h"
#include "TInventoryActions.h"
#include "TInventoryCollector.h"
#include "TInventoryHost.h"
#include "TInventoryReport.h"
#include "TKTAException.h"
#include "TRootObject.h"

using namespace NQRVKTA20;
namespace fs = std::filesystem;

namespace {

enum EExitStatus { kExitComplete = 0, kExitPartial = 1, kExitNothing = 2 };

struct TOptions {
    std::string fRoot;
    std::string fConfig;
    std::string fLog = "kta-inventory.log";
    std::string fConsumer = "kta-inventory";
    std::string fFormat = "text";
    std::string fOutput;
    std::string fBaseline;
    std::string fClassFilter;
    std::string fFromJson;
    std::vector<std::string> fInvoke;
    bool fTree = false;
    bool fVerbose = false;
    bool fProgress = false;
};

void Log(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, "kta-inventory: " + text);
}

// A failure that ends the run: one plain line on standard error (the log
// gets it too).
int Fail(std::string const& text)
{
    Log(1, text);
    std::cerr << "kta-inventory: " << text << std::endl;
    return kExitNothing;
}

std::string ExecutableDirectory()
{
    std::error_code error;
    fs::path const self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}

// `path` relative to the directory the user started the program in.
std::string FromUserDirectory(fs::path const& userDirectory, std::string const& path)
{
    if (path.empty() || path == "-")
        return path;
    return (userDirectory / path).lexically_normal().string();
}

std::string UtcNow()
{
    std::time_t const now = std::time(nullptr);
    std::tm parts;
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::string HostName()
{
    char name[256] = {0};
    if (gethostname(name, sizeof name - 1) != 0)
        return "unknown";
    return name;
}

// The output: standard output, or a file written beside its final name and
// moved into place at the end, so that a failed run leaves an earlier
// report (perhaps the baseline) alone.  A path that exists and is not a
// regular file (/dev/null, a terminal, a pipe) is written directly: moving
// a file onto it would replace the device or pipe itself.
class TOutput {
public:
    explicit TOutput(std::string const& path) : fPath(path)
    {
        if (fPath.empty() || fPath == "-")
            return;
        struct stat info;
        fDirect = stat(fPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
        fFile.open(fDirect ? fPath : Partial(), fDirect ? std::ios::out : std::ios::trunc);
    }
    ~TOutput()
    {
        if (fFile.is_open()) {
            fFile.close();
            if (!fDirect)
                std::remove(Partial().c_str());
        }
    }
    bool IsOpen() const { return fPath.empty() || fPath == "-" || fFile.is_open(); }
    std::ostream& Stream()
    {
        return fFile.is_open() ? static_cast<std::ostream&>(fFile) : std::cout;
    }
    // Returns false when the report could not be written completely.
    bool Commit()
    {
        if (!fFile.is_open()) {
            std::cout.flush();
            return static_cast<bool>(std::cout);
        }
        fFile.close();
        if (fDirect)
            return !fFile.fail();
        if (!fFile.fail() && std::rename(Partial().c_str(), fPath.c_str()) == 0)
            return true;
        std::remove(Partial().c_str());
        return false;
    }

private:
    std::string Partial() const { return fPath + ".partial"; }
    std::string fPath;
    bool fDirect = false;
    std::ofstream fFile;
};

void AddOptions(CLI::App& app, TOptions& options)
{
    app.option_defaults()->always_capture_default();
    app.add_option("--root", options.fRoot,
                   "Installation root: holds libpegasus.nsp.so and pegasus/ (default: the "
                   "directory of this program)")
        ->type_name("DIR");
    app.add_option("--config", options.fConfig,
                   "Host configuration file (key = value lines); without it "
                   "pegasus_multi_thread=on and single_thread_pegasus_group=kta_software")
        ->type_name("FILE");
    app.add_option("--log", options.fLog, "Log file, receives every record")->type_name("FILE");
    app.add_flag("--verbose", options.fVerbose,
                 "Also show every log record on standard error (default: none there; "
                 "they go to the log file, and what failed is in the report)");
    app.add_flag("--progress", options.fProgress,
                 "Show progress on standard error (default when it is a terminal)");
    app.add_option("--consumer", options.fConsumer, "Consumer name handed to the plug-in")
        ->type_name("NAME")
        ->check([](std::string const& value) {
            bool ok = !value.empty() && value.size() <= 64;
            for (char c : value)
                ok = ok && (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ||
                            c == '.');
            return ok ? std::string() : std::string("letters, digits, '-', '_' and '.' only");
        });
    app.add_option("--format", options.fFormat, "Output format")
        ->type_name("FORMAT")
        ->check(CLI::IsMember({"text", "json", "html"}));
    app.add_option("--output,-o", options.fOutput,
                   "Write the output to FILE (default: standard output)")
        ->type_name("FILE");
    CLI::Option* baseline = app.add_option("--baseline", options.fBaseline,
                                           "An earlier JSON report: also show what changed since")
                                ->type_name("FILE");
    CLI::Option* classes =
        app.add_option("--class", options.fClassFilter,
                       "Collect only the classes whose name contains PATTERN (ignoring case)")
            ->type_name("PATTERN");
    CLI::Option* invoke =
        app.add_option("--invoke", options.fInvoke,
                       "Invoke a method instead: OBJECTPATH METHOD [name=value ...]")
            ->expected(2, CLI::detail::expected_max_vector_size)
            ->type_name("OBJECTPATH METHOD [name=value ...]")
            ->always_capture_default(false)
            ->default_str("");
    CLI::Option* tree =
        app.add_flag("--tree", options.fTree, "Print the namespace's class tree instead");
    CLI::Option* fromJson = app.add_option("--from-json", options.fFromJson,
                                           "Print an earlier JSON report (in any format, with "
                                           "--baseline) instead of collecting; "
                                           "no server is started")
                                ->type_name("FILE");
    invoke->excludes(tree)->excludes(baseline)->excludes(classes)->excludes(fromJson);
    tree->excludes(baseline)->excludes(classes)->excludes(fromJson);
    fromJson->excludes(classes);
    app.footer("Exit status: 0 everything collected; 1 some provider or class failed (or the "
               "invoked method failed); 2 nothing collected (bad usage, no installation, the "
               "CIM server could not be started).");
}

// 0 when every class was collected, 1 when something failed, 2 when nothing
// was collected.
int ReportStatus(TInventoryReport const& report)
{
    if (!report.CollectedAnything())
        return kExitNothing;
    return report.ErrorCount() == 0 ? kExitComplete : kExitPartial;
}

void WriteReport(std::ostream& out, std::string const& format, TInventoryReport const& report)
{
    if (format == "json")
        WriteJsonReport(out, report);
    else if (format == "html")
        WriteHtmlReport(out, report);
    else
        WriteTextReport(out, report);
}

// Collects the inventory; says on standard error why when nothing came.
int RunInventory(boost::shared_ptr<ICIMNamespace> const& nameSpace, TOptions const& options,
                 TInventoryReport const* baseline, TInventoryReport& report,
                 TInventoryProgress& progress)
{
    TInventoryCollector collector(nameSpace, options.fClassFilter, progress);
    std::vector<std::string> const names = collector.ListProviders();
    std::string list;
    for (std::string const& name : names)
        list += (list.empty() ? "" : ", ") + name;
    progress.Say(CountText(names.size(), "provider", "providers") + " found" +
                 (list.empty() ? std::string() : ": " + list));
    collector.Collect(report);
    if (baseline != nullptr)
        CompareWithBaseline(report, *baseline, options.fBaseline);
    int const status = ReportStatus(report);
    if (status != kExitNothing)
        return status;
    if (report.fProviders.empty())
        report.fErrors.push_back("no vendor providers were found below " + report.fRoot +
                                 "/pegasus/provider");
    else if (report.ClassCount() == 0 && !options.fClassFilter.empty())
        report.fErrors.push_back("no class name contains \"" + options.fClassFilter + "\"");
    Fail("nothing was collected: " +
         (report.fErrors.empty() ? std::string("every provider failed") : report.fErrors.back()));
    return kExitNothing;
}

// Everything that needs the plug-in and its server: the inventory, --tree
// or --invoke.  The working directory must be the root.
int RunWithServer(TOptions const& options, std::string const& root, std::string const& logFile,
                  TInventoryReport const* baseline, TMethodCall const& call, TOutput& output)
{
    TInventoryProgress progress(options.fProgress || isatty(STDERR_FILENO) == 1);
    TInventoryReport report;
    report.fHostname = HostName();
    report.fStarted = UtcNow();
    report.fRoot = root;
    report.fConsumer = options.fConsumer;
    report.fClassFilter = options.fClassFilter;

    TInventoryHost host(root);
    progress.Say("starting the private CIM server in " + root + " (takes a few seconds)");
    boost::shared_ptr<ICIMNamespace> nameSpace = host.Start(options.fConsumer);
    if (!host.IsConnected())
        return Fail("the private CIM server could not be started or reached: the namespace is "
                    "not connected (see " +
                    logFile + ")");
    progress.Say("the CIM server is up");

    int status = kExitNothing;
    bool const asJson = options.fFormat == "json";
    if (options.fTree) {
        WriteClassTree(output.Stream(), BuildClassTree(nameSpace), asJson);
        status = kExitComplete;
    } else if (!call.fMethod.empty()) {
        TMethodResult const result = InvokeMethod(nameSpace, call);
        if (!result.fError.empty())
            Fail("--invoke: " + result.fError);
        WriteMethodResult(output.Stream(), result, asJson);
        status = result.fError.empty() ? kExitComplete : kExitPartial;
    } else {
        status = RunInventory(nameSpace, options, baseline, report, progress);
        WriteReport(output.Stream(), options.fFormat, report);
    }
    // The output first, the server's stop (seconds) afterwards.  A reader
    // that went away (a pager closed early) must not kill the program
    // before it has stopped the server.
    signal(SIGPIPE, SIG_IGN);
    if (!output.Commit())
        status = Fail("the output could not be written completely");
    signal(SIGPIPE, SIG_DFL);
    nameSpace.reset();
    progress.Say("stopping the CIM server");
    host.Release();
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    TOptions options;
    options.fRoot = ExecutableDirectory();
    CLI::App app("Collects this machine's inventory through the namespace plug-in and its "
                 "private CIM server.",
                 "kta-inventory");
    AddOptions(app, options);
    try {
        app.parse(argc, argv);
    } catch (CLI::ParseError const& e) {
        return app.exit(e) == 0 ? kExitComplete : kExitNothing;
    }
    // The plug-in's records go to the log file; standard error keeps this
    // program's own lines (progress, errors) unless --verbose.  The
    // plug-in logs several expected conditions at severity 0 (grammar notes
    // of the requested-class files, a vendor tool that is not installed),
    // which would only alarm a user there.
    boost::shared_ptr<TCoreLogger> logger = TCoreLogger::Instance();
    logger->SetStderrSeverityLimit(options.fVerbose ? 5 : -1);
    if (options.fFormat == "html" && (options.fTree || !options.fInvoke.empty()))
        return Fail("--format html applies to the inventory only");
    TMethodCall call;
    if (!options.fInvoke.empty()) {
        call.fPath = options.fInvoke[0];
        call.fMethod = options.fInvoke[1];
        std::string bad;
        if (!ParseArguments(
                std::vector<std::string>(options.fInvoke.begin() + 2, options.fInvoke.end()),
                call.fArguments, bad))
            return Fail("--invoke: \"" + bad + "\" is not a name=value argument");
    }

    // Every path the user gave is relative to where the user is; the
    // working directory becomes the installation root further down.
    std::error_code error;
    fs::path const userDirectory = fs::current_path(error);
    std::string const root = FromUserDirectory(userDirectory, options.fRoot);
    std::string const logFile = FromUserDirectory(userDirectory, options.fLog);
    for (std::string* path :
         {&options.fOutput, &options.fBaseline, &options.fConfig, &options.fFromJson})
        *path = FromUserDirectory(userDirectory, *path);

    if (!logger->SetLogFile(logFile))
        return Fail("cannot open the log file " + logFile + ": " + std::strerror(errno));
    logger->SetFileSeverityLimit(5);
    Log(2, "started; root " + root + ", consumer " + options.fConsumer);

    TConfig& config = TConfig::GetInstance();
    config.setValue("pegasus_multi_thread", "on");
    config.setValue("single_thread_pegasus_group", "kta_software");
    if (!options.fConfig.empty()) {
        try {
            config.Load(options.fConfig);
        } catch (TKTAException const& e) {
            return Fail("cannot read the configuration " + options.fConfig + ": " + e.GetDetail());
        }
    }

    std::unique_ptr<TInventoryReport> baseline, earlier;
    try {
        if (!options.fBaseline.empty())
            baseline.reset(new TInventoryReport(ReadJsonReport(options.fBaseline)));
    } catch (std::exception const& e) {
        return Fail(std::string("cannot use the baseline ") + e.what());
    }
    try {
        if (!options.fFromJson.empty())
            earlier.reset(new TInventoryReport(ReadJsonReport(options.fFromJson)));
    } catch (std::exception const& e) {
        return Fail(std::string("cannot read the report ") + e.what());
    }
    if (!earlier) {
        std::string const missing = TInventoryHost::CheckInstallation(root);
        if (!missing.empty())
            return Fail(missing);
    }
    TOutput output(options.fOutput);
    if (!output.IsOpen())
        return Fail("cannot write " + options.fOutput + ".partial: " + std::strerror(errno));

    int status = kExitNothing;
    if (earlier) {
        if (baseline)
            CompareWithBaseline(*earlier, *baseline, options.fBaseline);
        WriteReport(output.Stream(), options.fFormat, *earlier);
        status = output.Commit() ? ReportStatus(*earlier)
                                 : Fail("the output could not be written completely");
    } else {
        // The plug-in finds its installation below the working directory.
        if (chdir(root.c_str()) != 0)
            return Fail("cannot change to " + root + ": " + std::strerror(errno));
        TInventoryHost::PointStartFileAtConsumer(root, options.fConsumer);
        try {
            status = RunWithServer(options, root, logFile, baseline.get(), call, output);
        } catch (...) {
            return Fail(CurrentExceptionText());
        }
    }
    Log(2, "finished with exit status " + std::to_string(status));
    return status;
}
