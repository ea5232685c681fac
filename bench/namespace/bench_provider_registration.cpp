// bench_provider_registration: the plug-in's start-up with generated vendor
// providers, up to the end of their registration.
//
// Each run makes a root holding N generated providers below
// pegasus/provider/bench_<i>/ (a properties MOF of five classes compiled into
// root/bench_<i>, a registration MOF of PG_ProviderModule, PG_Provider and one
// PG_ProviderCapabilities per class, a requested-class file naming the five
// classes; no provider library, since nothing asks for instances), makes it
// the plug-in's root and module directory, and times
// TPEGASUSNamespaceProvider::AllocateNamespace: the server started and
// connected, the server schema loaded, the providers discovered, their MOF
// files compiled, their classes read and their clients connected.  The
// host configuration "pegasus_multi_thread" is "off" (one provider after the
// other) or "on" (one thread per provider for the MOF compilation).
//
// The start-up's sleeps (after starting the server, between connection
// tries, before killing a leftover server) are recorded instead of slept:
// the figures give the time measured without them, the sleeps asked for, and
// their sum.  Where the rest goes is taken from outside the plug-in: the
// core logger writes every record to a file (millisecond time stamps) whose
// records mark the phases, and the seams of the system calls record every
// child process (start, exec, exit, CPU time from wait4) with the server's
// and this process's CPU time at those moments.
//
//   bench_provider_registration                        5 runs of 1, 10, 40 providers, both modes
//   bench_provider_registration --counts 40 --modes off --runs 1   (e.g. under perf)
//   bench_provider_registration --cim-base   the classes derive from CIM_ManagedElement,
//                                            each provider pulling in the base schema
//   bench_provider_registration write DIR --count 40   only write the providers
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include <Pegasus/Common/Exception.h>

#include "../server/BenchReport.h"
#include "BenchMeasure.h"
#include "BenchNamespaceRoot.h"
#include "TConfig.h"
#include "TCoreLogger.h"
#include "TOSSpecific.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSProvider.h"

namespace {

using namespace benchmeasure;

namespace fs = std::filesystem;
using bench::BenchNamespaceRoot;
using bench::Samples;
using NQRVKTA20::TOSSpecific;
using NQRVKTA20::TPEGASUSNamespace;

const int kClassesPerProvider = 5;

struct Options
{
    std::string pegasusDir = KTA_PEGASUS_DIR;
    std::vector<int> counts = {1, 10, 40};
    std::vector<std::string> modes = {"off", "on"};
    int runs = 5;
    int warmups = 1;
    bool cimBase = false;
    bool children = false;
};

// Wall-clock time: the core logger stamps its records with it.
double realMs()
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

std::string modeTitle(const std::string& mode)
{
    return mode == "on" ? "\"pegasus_multi_thread\" on" : "sequential";
}

// --- The generated providers ---------------------------------------------

const char* const kKinds[kClassesPerProvider] = {"Element", "Disk", "Port", "Fan", "Sensor"};

std::string providerName(int i)
{
    return "bench_" + std::to_string(i);
}

std::string className(int i, int k)
{
    return "BENCH" + std::to_string(i) + "_" + kKinds[k];
}

// Provider i below root/pegasus/provider/bench_<i>/: the first class holds
// the key, the four others derive from it and add three properties each.
void writeProvider(const std::string& root, int i, bool cimBase)
{
    const std::string name = providerName(i);
    const std::string nameSpace = "root/bench_" + std::to_string(i);
    const fs::path dir = fs::path(root) / "pegasus/provider" / name;
    fs::create_directories(dir);

    std::ostringstream mof;
    mof << "// Classes of the generated provider " << name << ", compiled into " << nameSpace
        << ".\n#pragma include (\"../../pegSchema/CIM/"
        << (cimBase ? "CIM_Base.mof" : "Qualifiers.mof") << "\")\n\n"
        << "[Version (\"1.0.0\"), Description (\"An element the provider " << name
        << " reports.\")]\nclass " << className(i, 0) << (cimBase ? " : CIM_ManagedElement" : "")
        << "\n{\n"
        << "    [Key, Description (\"The element's name.\")]\n    string Name;\n\n"
        << "    [Units (\"Bytes\"), Description (\"The element's size.\")]\n    uint64 Size;\n\n"
        << "    [Description (\"The element's state.\"), ValueMap {\"0\", \"1\", \"2\"},\n"
        << "     Values {\"Unknown\", \"OK\", \"Degraded\"}]\n    uint16 State;\n\n"
        << "    [Description (\"Labels attached to the element.\")]\n    string Labels[];\n};\n";
    for (int k = 1; k < kClassesPerProvider; ++k)
        mof << "\n[Version (\"1.0.0\"), Description (\"A " << kKinds[k] << " of the provider "
            << name << ".\")]\nclass " << className(i, k) << " : " << className(i, 0) << "\n{\n"
            << "    [Description (\"How many the " << kKinds[k] << " counts.\")]\n"
            << "    uint32 Count;\n\n"
            << "    [Units (\"Degrees C\"), Description (\"The last reading.\")]\n"
            << "    sint32 Reading;\n\n"
            << "    [Description (\"Whether the " << kKinds[k] << " is in use.\")]\n"
            << "    boolean Enabled;\n};\n";
    WriteFile(dir / (name + ".properties.mof"), mof.str());

    const std::string provider = "BENCH" + std::to_string(i) + "_Provider";
    std::ostringstream reg;
    reg << "// Registration of the generated provider " << name
        << ", compiled into root/PG_InterOp.\n"
        << "instance of PG_ProviderModule\n{\n    Name = \"" << name
        << "\";\n    Vendor = \"BENCH\";\n    Version = \"1.0.0\";\n"
        << "    InterfaceType = \"C++Default\";\n    InterfaceVersion = \"2.6.0\";\n"
        << "    Location = \"" << name << "\";\n};\n\n"
        << "instance of PG_Provider\n{\n    ProviderModuleName = \"" << name
        << "\";\n    Name = \"" << provider << "\";\n};\n";
    for (int k = 0; k < kClassesPerProvider; ++k)
        reg << "\ninstance of PG_ProviderCapabilities\n{\n    ProviderModuleName = \"" << name
            << "\";\n    ProviderName = \"" << provider << "\";\n    CapabilityID = \""
            << className(i, k) << "\";\n    ClassName = \"" << className(i, k)
            << "\";\n    Namespaces = { \"" << nameSpace << "\" };\n    ProviderType = { 2 };\n};\n";
    WriteFile(dir / (name + ".registration.mof"), reg.str());

    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kta>\n  <timeout value=\"60\"/>\n"
        << "  <nsp name=\"" << nameSpace << "\"/>\n  <module name=\"" << name << "\"/>\n";
    for (int k = 0; k < kClassesPerProvider; ++k)
        xml << "  <class name=\"" << className(i, k) << "\"/>\n";
    xml << "</kta>\n";
    WriteFile(dir / (name + ".classes.xml"), xml.str());
}

// --- What the seams record -------------------------------------------------

// CPU time of the server and of this process at one moment (ms).
struct Sample
{
    double real = 0;
    double serverCpu = 0;
    double selfCpu = 0;
};

struct ChildRecord
{
    pid_t pid = 0;
    std::string command;  // argv, from /proc once the program runs
    double forkMs = 0;    // just before fork
    double execMs = 0;    // the program runs (SpawnProcess opens its pidfd)
    double reapMs = 0;    // its exit collected
    double cpuMs = 0;     // user + system time of the child (wait4)
    Sample atFork, atReap;
};

struct Trace
{
    std::mutex lock;
    std::vector<ChildRecord> children;
    std::vector<std::pair<std::string, double>> systemCalls;  // command, ms
    std::string startFile;
    pid_t serverPid = 0;
    double sleptSeconds = 0;
    int sleeps = 0;
    bool counting = false;  // sleeps are counted while the start-up runs

    void reset(const std::string& startFilePath)
    {
        std::lock_guard<std::mutex> guard(lock);
        children.clear();
        systemCalls.clear();
        startFile = startFilePath;
        serverPid = 0;
        sleptSeconds = 0;
        sleeps = 0;
        counting = false;
    }
};

Trace& trace()
{
    static Trace instance;
    return instance;
}

// User + system time of a process in ms (clock ticks of /proc/<pid>/stat);
// 0 when it cannot be read.
double processCpuMs(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(in, text);
    std::string::size_type close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // Fields 3 (state) to 13, then utime and stime.
    for (int i = 3; i <= 13 && fields >> field; ++i) {
    }
    fields >> utime >> stime;
    return double(utime + stime) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// The server's process id, from the start file it writes once it listens.
pid_t serverPid(Trace& t)
{
    if (t.serverPid == 0) {
        std::ifstream in(t.startFile);
        long pid = 0;
        if (in >> pid && pid > 0)
            t.serverPid = static_cast<pid_t>(pid);
    }
    return t.serverPid;
}

Sample sampleNow()
{
    Trace& t = trace();
    Sample s;
    s.real = realMs();
    s.selfCpu = CpuMs();
    std::lock_guard<std::mutex> guard(t.lock);
    pid_t server = serverPid(t);
    s.serverCpu = server > 0 ? processCpuMs(server) : 0;
    return s;
}

ChildRecord* findChild(Trace& t, pid_t pid)
{
    for (auto it = t.children.rbegin(); it != t.children.rend(); ++it)
        if (it->pid == pid)
            return &*it;
    return nullptr;
}

pid_t tracedFork()
{
    Sample before = sampleNow();
    pid_t pid = TOSSpecific::RealSystemCalls().fork();
    if (pid > 0) {
        int error = errno;
        Trace& t = trace();
        std::lock_guard<std::mutex> guard(t.lock);
        ChildRecord record;
        record.pid = pid;
        record.forkMs = before.real;
        record.atFork = before;
        t.children.push_back(record);
        errno = error;
    }
    return pid;
}

// Called once the program runs (its exec succeeded): its argv is readable.
int tracedPidfdOpen(pid_t pid, unsigned int flags)
{
    double now = realMs();
    std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline");
    std::string command((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::replace(command.begin(), command.end(), '\0', ' ');
    {
        Trace& t = trace();
        std::lock_guard<std::mutex> guard(t.lock);
        if (ChildRecord* record = findChild(t, pid)) {
            record->execMs = now;
            record->command = command;
        }
    }
    return TOSSpecific::RealSystemCalls().pidfd_open(pid, flags);
}

// waitpid with the child's resource use.
pid_t tracedWaitpid(pid_t pid, int* status, int options)
{
    rusage usage;
    pid_t got = ::wait4(pid, status, options, &usage);
    if (got > 0) {
        Sample after = sampleNow();
        Trace& t = trace();
        std::lock_guard<std::mutex> guard(t.lock);
        if (ChildRecord* record = findChild(t, got)) {
            record->reapMs = after.real;
            record->atReap = after;
            record->cpuMs = usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
                            usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
        }
    }
    return got;
}

unsigned int recordSleep(unsigned int seconds)
{
    Trace& t = trace();
    std::lock_guard<std::mutex> guard(t.lock);
    if (t.counting) {
        t.sleptSeconds += seconds;
        ++t.sleeps;
    }
    return 0;
}

int tracedSystem(const char* command)
{
    double t0 = realMs();
    int status = TPEGASUSNamespace::RealSystemCalls().system(command);
    double elapsed = realMs() - t0;
    Trace& t = trace();
    std::lock_guard<std::mutex> guard(t.lock);
    t.systemCalls.emplace_back(command, elapsed);
    return status;
}

// --- The core logger's records ---------------------------------------------

struct LogRecord
{
    double ms = 0;  // the record's time (middle of its millisecond)
    std::string text;
};

// Records of the log file; continuation lines are left out.
std::vector<LogRecord> readLog(const std::string& path)
{
    std::vector<LogRecord> records;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        // "2024-05-01 12:34:56.789 [3] <4711> text"
        std::tm tm{};
        int millis = 0;
        int used = 0;
        if (line.size() < 24 ||
            std::sscanf(line.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%3d%n", &tm.tm_year, &tm.tm_mon,
                        &tm.tm_mday, &tm.tm_hour, &tm.tm_min, &tm.tm_sec, &millis, &used) < 7)
            continue;
        tm.tm_year -= 1900;
        tm.tm_mon -= 1;
        tm.tm_isdst = -1;
        LogRecord record;
        record.ms = double(std::mktime(&tm)) * 1e3 + millis + 0.5;
        std::string::size_type text = line.find("> ", static_cast<std::size_t>(used));
        record.text = text == std::string::npos ? std::string() : line.substr(text + 2);
        records.push_back(record);
    }
    return records;
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The time of the first record from `from` on that starts with `prefix`.
double recordTime(const std::vector<LogRecord>& records, const std::string& prefix,
                  std::size_t from = 0, std::size_t* at = nullptr)
{
    for (std::size_t i = from; i < records.size(); ++i)
        if (startsWith(records[i].text, prefix)) {
            if (at)
                *at = i;
            return records[i].ms;
        }
    throw std::runtime_error("no log record \"" + prefix + "\"");
}

// --- One run ---------------------------------------------------------------

// The figures of one start-up (ms unless named otherwise).
struct RunFigures
{
    double rest = 0;  // AllocateNamespace without the sleeps
    double sleptSeconds = 0;
    int sleeps = 0;
    // Initialize: server start, connection, server schema, configuration.
    double init = 0, initServer = 0, initSchema = 0, initConfig = 0, initOthers = 0;
    double discovery = 0;  // requested-class files read
    // Registration: the cimmof processes of the providers.
    double reg = 0, regChildren = 0, regExec = 0, regCpu = 0, regServerCpu = 0;
    double regProperties = 0, regRegistration = 0;
    int regCount = 0;
    // Each provider's classes read and client connected.
    double finish = 0, finishGetClass = 0, finishConnect = 0, finishSelfCpu = 0,
           finishServerCpu = 0;
};

bool holds(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

RunFigures analyse(const Trace& t, double t0, double t1)
{
    RunFigures f;
    const std::vector<LogRecord> records = readLog(LogFilePath("provreg"));
    std::size_t regAt = 0, finishAt = 0;
    const double findProviders = recordTime(records, "TPEGASUSNamespace::Prefilter:");
    const double beforeReg = recordTime(records, "before reg...", 0, &regAt);
    const double afterReg = recordTime(records, "after reg...", regAt, &finishAt);
    f.init = findProviders - t0;
    f.discovery = beforeReg - findProviders;
    f.reg = afterReg - beforeReg;
    f.finish = t1 - afterReg;

    // The child processes, by what they ran: a provider's cimmof names its
    // namespace or its registration file.  A child gone before its command
    // line could be read counts by the time it started.
    Sample regFirst, regLast;
    for (const ChildRecord& child : t.children) {
        if (child.reapMs == 0 || child.forkMs > afterReg)
            continue;
        const double life = child.reapMs - child.forkMs;
        const std::string& cmd = child.command;
        const bool provider = cmd.empty() ? child.forkMs >= beforeReg
                                          : startsWith(cmd, "cimmof") &&
                                                (holds(cmd, " root/bench_") ||
                                                 holds(cmd, ".registration.mof"));
        if (!provider) {
            if (startsWith(cmd, "cimserver"))
                f.initServer += life;
            else if (startsWith(cmd, "cimmof"))
                f.initSchema += life;
            else if (startsWith(cmd, "cimconfig"))
                f.initConfig += life;
            else
                f.initOthers += life;
            continue;
        }
        if (f.regCount == 0 || child.atFork.real < regFirst.real)
            regFirst = child.atFork;
        if (child.atReap.real > regLast.real)
            regLast = child.atReap;
        ++f.regCount;
        f.regChildren += life;
        f.regExec += child.execMs - child.forkMs;
        f.regCpu += child.cpuMs;
        if (holds(cmd, ".registration.mof"))
            f.regRegistration += life;
        else
            f.regProperties += life;
    }
    for (const auto& call : t.systemCalls)
        f.initOthers += call.second;  // rm of the repository and the like, all in Initialize
    f.regServerCpu = regLast.serverCpu - regFirst.serverCpu;

    // Per provider: its classes read (and its client made), then its client
    // connected.
    for (std::size_t i = finishAt; i < records.size(); ++i) {
        if (!startsWith(records[i].text, "Entering TPEGASUSNamespace::ffinishRegProvider: "))
            continue;
        std::size_t connectAt = 0, doneAt = 0;
        const double connect = recordTime(records, "TPEGASUSProvider::connect enter", i, &connectAt);
        const double done =
            recordTime(records, "TPEGASUSNamespace finished adding Provider", connectAt, &doneAt);
        f.finishGetClass += connect - records[i].ms;
        f.finishConnect += done - connect;
        i = doneAt;
    }
    return f;
}

struct ConfigGuard
{
    explicit ConfigGuard(const std::string& multiThread)
        : saved(NQRVKTA20::TConfig::GetInstance().getValue("pegasus_multi_thread"))
    {
        NQRVKTA20::TConfig::GetInstance().setValue("pegasus_multi_thread", multiThread);
    }
    ~ConfigGuard() { NQRVKTA20::TConfig::GetInstance().setValue("pegasus_multi_thread", saved); }
    std::string saved;
};

struct SpawnTraceGuard
{
    SpawnTraceGuard() : saved(TOSSpecific::SystemCalls())
    {
        TOSSpecific::SystemCalls().fork = tracedFork;
        TOSSpecific::SystemCalls().pidfd_open = tracedPidfdOpen;
        TOSSpecific::SystemCalls().waitpid = tracedWaitpid;
    }
    ~SpawnTraceGuard() { TOSSpecific::SystemCalls() = saved; }
    TOSSpecific::TSystemCalls saved;
};

// Checks that every provider was registered with its five classes and a
// connected client.
void checkProviders(TPEGASUSNamespace& ns, int count)
{
    const auto& providers = ns.GetProvidersContainer();
    if (providers.size() != std::size_t(count))
        throw std::runtime_error(std::to_string(providers.size()) + " providers of " +
                                 std::to_string(count) + " registered");
    for (const auto& provider : providers)
        if (provider->GetCollectedClasses().size() != std::size_t(kClassesPerProvider) ||
            !provider->IsConnected())
            throw std::runtime_error("provider " + provider->GetPath() + " has " +
                                     std::to_string(provider->GetCollectedClasses().size()) +
                                     " classes" +
                                     (provider->IsConnected() ? "" : " and no connection"));
}

RunFigures oneRun(const Options& options, const std::string& mode, int count, int run)
{
    ConfigureLogger("file", "provreg");
    ConfigGuard config(mode);
    const std::string consumer = "nspbench_provreg_" + std::to_string(::getpid()) + "_" + mode +
                                 "_" + std::to_string(count) + "_" + std::to_string(run);
    BenchNamespaceRoot::Setup setup;
    setup.moduleDirIsRoot = true;
    setup.sleep = recordSleep;
    BenchNamespaceRoot root(options.pegasusDir, consumer, setup);
    // Restored with the rest of the table when the root is released.
    TPEGASUSNamespace::SystemCalls().system = tracedSystem;
    for (int i = 1; i <= count; ++i)
        writeProvider(root.path(), i, options.cimBase);

    Trace& t = trace();
    t.reset("/var/tmp/cimserverqrv_tc_" + consumer + "_start.conf");
    RunFigures figures;
    double t0 = 0, t1 = 0;
    {
        SpawnTraceGuard spawns;
        {
            std::lock_guard<std::mutex> guard(t.lock);
            t.counting = true;
        }
        t0 = realMs();
        root.start();
        t1 = realMs();
        std::lock_guard<std::mutex> guard(t.lock);
        t.counting = false;
        figures.sleptSeconds = t.sleptSeconds;
        figures.sleeps = t.sleeps;
    }
    // The server and this process after the last provider.
    Sample end = sampleNow();
    checkProviders(*root.ns(), count);
    {
        RunFigures parts = analyse(t, t0, t1);
        parts.sleptSeconds = figures.sleptSeconds;
        parts.sleeps = figures.sleeps;
        figures = parts;
    }
    figures.rest = t1 - t0;
    // The last registration child's exit is where the providers' classes
    // start being read.
    Sample regEnd;
    for (const ChildRecord& child : t.children)
        if (child.atReap.real > regEnd.real)
            regEnd = child.atReap;
    if (options.children) {
        std::fprintf(stderr, "children of run %d, %d providers, %s:\n", run + 1, count,
                     modeTitle(mode).c_str());
        for (const ChildRecord& child : t.children)
            std::fprintf(stderr,
                         "  +%7.1f ms  life %6.1f  exec %5.1f  cpu %5.1f  server cpu %5.0f  %s\n",
                         child.forkMs - t0, child.reapMs - child.forkMs,
                         child.execMs - child.forkMs, child.cpuMs,
                         child.atReap.serverCpu - child.atFork.serverCpu,
                         child.command.c_str());
    }
    figures.finishSelfCpu = end.selfCpu - regEnd.selfCpu;
    figures.finishServerCpu = end.serverCpu - regEnd.serverCpu;
    return figures;
}

// --- Report ----------------------------------------------------------------

std::string formatted(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

// One Markdown table: a row per measure, a column per provider count,
// "best (median)" or the median alone.
class CountTable
{
public:
    CountTable(std::string title, std::vector<int> counts)
        : _title(std::move(title)), _counts(std::move(counts))
    {
    }
    void add(const std::string& measure, const std::map<int, Samples>& samples, int decimals,
             bool withBest)
    {
        std::vector<std::string> row{measure};
        for (int count : _counts) {
            auto it = samples.find(count);
            if (it == samples.end() || it->second.empty()) {
                row.push_back("");
                continue;
            }
            row.push_back(withBest ? formatted(it->second.best(), decimals) + " (" +
                                         formatted(it->second.median(), decimals) + ")"
                                   : formatted(it->second.median(), decimals));
        }
        _rows.push_back(row);
    }
    void addText(const std::string& measure, const std::vector<std::string>& cells)
    {
        std::vector<std::string> row{measure};
        row.insert(row.end(), cells.begin(), cells.end());
        _rows.push_back(row);
    }
    void print() const
    {
        std::printf("\n### %s\n\n| Measure |", _title.c_str());
        for (int count : _counts)
            std::printf(" %d provider%s |", count, count == 1 ? "" : "s");
        std::printf("\n|---|");
        for (std::size_t i = 0; i < _counts.size(); ++i)
            std::printf("---:|");
        std::printf("\n");
        for (const auto& row : _rows) {
            std::printf("|");
            for (const std::string& cell : row)
                std::printf(" %s |", cell.c_str());
            std::printf("\n");
        }
        std::fflush(stdout);
    }

private:
    std::string _title;
    std::vector<int> _counts;
    std::vector<std::vector<std::string>> _rows;
};

template <typename Get>
std::map<int, Samples> figure(const std::map<int, std::vector<RunFigures>>& runs, Get get)
{
    std::map<int, Samples> result;
    for (const auto& entry : runs)
        for (const RunFigures& f : entry.second)
            result[entry.first].add(get(entry.first, f));
    return result;
}

void report(const Options& options, const std::string& mode,
            const std::map<int, std::vector<RunFigures>>& runs)
{
    CountTable main("Start-up to the end of registration, " + modeTitle(mode) + ", " +
                        std::to_string(options.runs) + " runs, best (median)",
                    options.counts);
    main.add("total with the sleeps (s)",
             figure(runs, [](int, const RunFigures& f) { return f.rest / 1e3 + f.sleptSeconds; }),
             3, true);
    main.add("mandated sleeps asked for (s)",
             figure(runs, [](int, const RunFigures& f) { return f.sleptSeconds; }), 0, true);
    main.add("the rest: AllocateNamespace without the sleeps (ms)",
             figure(runs, [](int, const RunFigures& f) { return f.rest; }), 0, true);
    main.add("the rest per provider (ms)",
             figure(runs, [](int n, const RunFigures& f) { return f.rest / n; }), 1, true);
    // The cost of one more provider: the rest's growth since the previous
    // count, medians against medians (constant when the growth is linear).
    std::map<int, Samples> rest = figure(runs, [](int, const RunFigures& f) { return f.rest; });
    std::vector<std::string> growth;
    for (std::size_t i = 0; i < options.counts.size(); ++i)
        growth.push_back(i == 0 ? ""
                                : formatted((rest[options.counts[i]].median() -
                                             rest[options.counts[i - 1]].median()) /
                                                double(options.counts[i] - options.counts[i - 1]),
                                            1));
    main.addText("growth per added provider since the previous count (ms, medians; target < 25)",
                 growth);
    main.print();

    CountTable split("Where the rest goes, " + modeTitle(mode) + ", medians (ms)", options.counts);
    auto row = [&](const std::string& name, auto get, int decimals = 0) {
        split.add(name, figure(runs, get), decimals, false);
    };
    row("Initialize: server start and connection, server schema, configuration",
        [](int, const RunFigures& f) { return f.init; });
    row("- of which `cimserver` until it returned",
        [](int, const RunFigures& f) { return f.initServer; });
    row("- of which `cimmof` of PG_Internal and PG_InterOp",
        [](int, const RunFigures& f) { return f.initSchema; });
    row("- of which `cimconfig`", [](int, const RunFigures& f) { return f.initConfig; });
    row("- of which other programs (`bcu -v`, `rm` through the shell)",
        [](int, const RunFigures& f) { return f.initOthers; });
    row("requested-class files found and read",
        [](int, const RunFigures& f) { return f.discovery; }, 1);
    row("registration: wall time from \"before reg...\" to \"after reg...\"",
        [](int, const RunFigures& f) { return f.reg; });
    row("- `cimmof` processes (count)", [](int, const RunFigures& f) { return double(f.regCount); });
    row("- their lifetimes added, fork to exit collected",
        [](int, const RunFigures& f) { return f.regChildren; });
    row("- of which properties MOF", [](int, const RunFigures& f) { return f.regProperties; });
    row("- of which registration MOF", [](int, const RunFigures& f) { return f.regRegistration; });
    row("- of which fork to exec done", [](int, const RunFigures& f) { return f.regExec; }, 1);
    row("- CPU time of the `cimmof` processes", [](int, const RunFigures& f) { return f.regCpu; });
    row("- CPU time of the server meanwhile",
        [](int, const RunFigures& f) { return f.regServerCpu; });
    row("classes read and clients connected: \"after reg...\" to the return",
        [](int, const RunFigures& f) { return f.finish; });
    row("- GetClass of the requested classes (and the client made)",
        [](int, const RunFigures& f) { return f.finishGetClass; });
    row("- provider client connects", [](int, const RunFigures& f) { return f.finishConnect; }, 1);
    row("- CPU time of this process",
        [](int, const RunFigures& f) { return f.finishSelfCpu; });
    row("- CPU time of the server", [](int, const RunFigures& f) { return f.finishServerCpu; });
    row("per provider: registration wall",
        [](int n, const RunFigures& f) { return f.reg / n; }, 1);
    row("per provider: `cimmof` lifetimes (two processes)",
        [](int n, const RunFigures& f) { return f.regChildren / n; }, 1);
    row("per provider: GetClass of its 5 classes",
        [](int n, const RunFigures& f) { return f.finishGetClass / n; }, 2);
    row("per provider: client connect",
        [](int n, const RunFigures& f) { return f.finishConnect / n; }, 2);
    split.print();
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    CLI::App app("The plug-in's start-up with generated providers, to the end of registration");
    app.add_option("--runs", options.runs, "start-ups per provider count and mode")
        ->check(CLI::Range(1, 100));
    app.add_option("--counts", options.counts, "provider counts")
        ->delimiter(',')
        ->check(CLI::Range(1, 1000));
    app.add_option("--modes", options.modes,
                   "\"pegasus_multi_thread\" values: off (sequential), on")
        ->delimiter(',')
        ->check(CLI::IsMember({"off", "on"}));
    app.add_option("--warmups", options.warmups,
                   "uncounted start-ups first (the first of a process loads libraries and "
                   "programs from disk)")
        ->check(CLI::Range(0, 10));
    app.add_flag("--children", options.children,
                 "print every child process of every run (start, life, CPU, server CPU)");
    app.add_flag("--cim-base", options.cimBase,
                 "classes derive from CIM_ManagedElement; each properties MOF includes "
                 "CIM_Base.mof instead of Qualifiers.mof");
    app.add_option("--pegasus", options.pegasusDir, "the staged tree holding bin/cimserver");
    std::string writeTo;
    int writeCount = 40;
    CLI::App* write = app.add_subcommand(
        "write", "only write the generated providers below DIR/pegasus/provider (to compile "
                 "them by hand, e.g. against a server under a profiler)");
    write->add_option("dir", writeTo, "the root to write below")->required();
    write->add_option("--count", writeCount, "how many providers")->check(CLI::Range(1, 1000));
    write->fallthrough();  // --cim-base after "write" too
    CLI11_PARSE(app, argc, argv);
    if (*write) {
        for (int i = 1; i <= writeCount; ++i)
            writeProvider(writeTo, i, options.cimBase);
        return 0;
    }
    std::sort(options.counts.begin(), options.counts.end());
    options.counts.erase(std::unique(options.counts.begin(), options.counts.end()),
                         options.counts.end());

    try {
        std::printf("# bench_provider_registration: %d runs, %d classes per provider%s, %s\n",
                    options.runs, kClassesPerProvider,
                    options.cimBase ? " below CIM_ManagedElement" : "",
                    bench::machineLoad().c_str());
        std::map<std::string, std::map<int, std::vector<RunFigures>>> figures;
        for (int run = 0; run < options.warmups; ++run)
            oneRun(options, options.modes.front(), options.counts.front(), -1 - run);
        // Runs interleaved, so that a change of the machine's load touches
        // every count and mode alike.
        for (int run = 0; run < options.runs; ++run)
            for (int count : options.counts)
                for (const std::string& mode : options.modes)
                    for (int attempt = 1;; ++attempt) {
                        try {
                            RunFigures f = oneRun(options, mode, count, run);
                            std::fprintf(stderr,
                                         "run %d, %d providers, %s: %.0f ms + %.0f s of sleeps\n",
                                         run + 1, count, modeTitle(mode).c_str(), f.rest,
                                         f.sleptSeconds);
                            figures[mode][count].push_back(f);
                            break;
                        } catch (const std::exception& e) {
                            // A server of another process answering on the
                            // port the namespace chose, for instance.
                            if (attempt == 3)
                                throw;
                            std::fprintf(stderr, "run %d: %s; once again\n", run + 1, e.what());
                        } catch (const Pegasus::Exception& e) {
                            if (attempt == 3)
                                throw;
                            std::fprintf(stderr, "run %d: %s; once again\n", run + 1,
                                         TPEGASUSNamespace::PegasusText(e.getMessage()).c_str());
                        }
                    }
        for (const std::string& mode : options.modes)
            report(options, mode, figures[mode]);
        std::printf("\nAfter the runs: %s\n", bench::machineLoad().c_str());
    } catch (const Pegasus::Exception& e) {
        std::fprintf(stderr, "bench_provider_registration: %s (the log: %s)\n",
                     TPEGASUSNamespace::PegasusText(e.getMessage()).c_str(),
                     LogFilePath("provreg").c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_provider_registration: %s (the log: %s)\n", e.what(),
                     LogFilePath("provreg").c_str());
        return 1;
    }
    std::remove(LogFilePath("provreg").c_str());
    return 0;
}
