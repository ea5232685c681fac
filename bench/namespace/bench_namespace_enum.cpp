// bench_namespace_enum: the plug-in's EnumerateInstances of the enum10k
// workload (10,000 Bench_Item) against the bare client, the memory the host
// instances take, and the display of every value.
//
// The process starts one plug-in namespace on the staged server programs
// with a module directory of its own that holds one generated provider
// folder, pegasus/provider/bench_enum/: a requested-class file naming
// Bench_Item in root/bench, a properties MOF with the class of
// gen_bench_mof.py (and the qualifiers.mof it includes), no registration and
// no provider library.  The 10,000 instances of gen_bench_mof.py are then
// compiled into root/bench with the namespace's own cimmof call; the server
// answers an enumeration of a class without a provider from its repository.
// Each run then times, on the same server:
//   - bare: CIMClient::enumerateInstances(root/bench, Bench_Item,
//     deepInheritance false, localOnly true, no qualifiers, no class
//     origin), the request the plug-in makes, on a connection of its own;
//   - plug-in: TPEGASUSClass::EnumerateInstances into host instances, the
//     callback keeping every instance as a host collecting an inventory does;
//   - display: every property of the kept instances shown through the
//     plug-in's TPEGASUSProperty (declaration and value of the host's
//     property), as a host showing the values does;
// and the memory: heap in use (mallinfo2) and the peak resident memory of
// this process (VmHWM, reset through /proc/self/clear_refs after freed heap
// memory went back to the system with malloc_trim).
//
//   bench_namespace_enum                      5 runs, severity 3 off, then to a log file
//   bench_namespace_enum --runs 1 --log off   (e.g. under perf or valgrind)
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/Exception.h>

#include "../server/BenchReport.h"
#include "BenchMeasure.h"
#include "BenchNamespaceRoot.h"
#include "ICIMProperty.h"
#include "ICIMPropertyDecl.h"
#include "TCoreLogger.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSInstance.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSProperty.h"

namespace {

using namespace benchmeasure;

namespace fs = std::filesystem;
using bench::BenchNamespaceRoot;
using bench::Samples;
using bench::Table;
using NQRVKTA20::ICIMInstance;
using NQRVKTA20::ICIMProperty;
using NQRVKTA20::TCIMContext;
using NQRVKTA20::TCIMValue;
using NQRVKTA20::TCoreLogger;
using NQRVKTA20::TPEGASUSNamespace;
using NQRVKTA20::TPEGASUSProperty;

const char kProvider[] = "bench_enum";
const char kServerNamespace[] = "root/bench";
const char kClassName[] = "Bench_Item";

struct Options
{
    std::string pegasusDir = KTA_PEGASUS_DIR;
    std::string sharedDir = KTA_SHARED_DIR;
    int runs = 5;
    int warmups = 1;
    unsigned instances = 10000;
    std::vector<std::string> logModes = {"off", "file"};
};

// Minor page faults of this process so far (each first touch of a fresh
// page of memory).
long minorFaults()
{
    rusage usage;
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Gives the free heap back to the system and makes the current resident
// memory the peak, so that VmHWM - VmRSS afterwards is the growth of the
// peak from here.  Returns VmRSS in kB.
long resetPeak()
{
    ::malloc_trim(0);
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.close();
    if (!clear)
        throw std::runtime_error("cannot reset the peak through /proc/self/clear_refs");
    return StatusKb("VmRSS");
}

// --- The workload -------------------------------------------------------------

// gen_bench_mof.py's output for `count` instances.
std::string generatedMof(const Options& options, unsigned count)
{
    const std::string command = "/usr/bin/python3 '" + options.sharedDir +
                                "/bench/gen_bench_mof.py' " + std::to_string(count);
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        throw std::runtime_error("cannot run " + command);
    std::string text;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, got);
    if (::pclose(pipe) != 0 || text.empty())
        throw std::runtime_error(command + " failed");
    return text;
}

// The provider folder below the root (the class part of the generated MOF
// and the qualifier declarations it includes) and, in the root, the MOF of
// the instances.  Returns the path of the latter.
std::string writeWorkload(const Options& options, const std::string& root)
{
    const std::string mof = generatedMof(options, options.instances);
    const std::string::size_type first = mof.find("\ninstance of ");
    if (first == std::string::npos)
        throw std::runtime_error("gen_bench_mof.py wrote no instance");
    const fs::path dir = fs::path(root) / "pegasus/provider" / kProvider;
    fs::create_directories(dir);
    WriteFile(dir / (std::string(kProvider) + ".properties.mof"), mof.substr(0, first + 1));
    fs::copy_file(options.sharedDir + "/cim-schema/qualifiers.mof", dir / "qualifiers.mof");
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kta>\n  <timeout value=\"60\"/>\n"
        << "  <nsp name=\"" << kServerNamespace << "\"/>\n  <module name=\"" << kProvider
        << "\"/>\n  <class name=\"" << kClassName << "\"/>\n</kta>\n";
    WriteFile(dir / (std::string(kProvider) + ".classes.xml"), xml.str());
    const std::string instances = root + "/" + kProvider + ".instances.mof";
    WriteFile(instances, mof.substr(first + 1));
    return instances;
}

// --- The timed passes (out of line for a profiler's --toggle-collect) --------

__attribute__((noinline)) Pegasus::Array<Pegasus::CIMInstance> bareEnumerate(
    Pegasus::CIMClient& client)
{
    return client.enumerateInstances(Pegasus::CIMNamespaceName(kServerNamespace),
                                     Pegasus::CIMName(kClassName), false, true, false, false,
                                     Pegasus::CIMPropertyList());
}

typedef std::vector<boost::shared_ptr<ICIMInstance>> TKept;

__attribute__((noinline)) void pluginEnumerate(NQRVKTA20::TPEGASUSClass& cls, TKept& kept)
{
    cls.EnumerateInstances(
        [&kept](boost::shared_ptr<ICIMInstance> instance) {
            kept.push_back(instance);
            return true;
        },
        false, TCIMContext());
}

// The values of one instance by property name, as the plug-in sets them.
typedef std::vector<std::pair<std::string, TCIMValue>> TValues;

// The host instances alone: the same instances built from values converted
// beforehand (AllocateInstance, SetPropertyValue, the class's AddInstance),
// with no client and no conversion.  What any plug-in pays at least for
// handing over these instances, the floor below the plug-in's own cost.
__attribute__((noinline)) void hostFloor(NQRVKTA20::TPEGASUSClass& cls,
                                         const std::vector<TValues>& all, TKept& kept)
{
    for (const TValues& values : all) {
        boost::shared_ptr<ICIMInstance> instance = cls.AllocateInstance(TCIMContext());
        for (const std::pair<std::string, TCIMValue>& value : values)
            instance->SetPropertyValue(value.first, value.second, TCIMContext());
        cls.AddInstance(instance);
        kept.push_back(instance);
    }
}

volatile std::size_t gSink;

// Every property of every instance as a host shows it: the host's property
// (EnumerateProperties) turned into the plug-in's TPEGASUSProperty with the
// same declaration and value, then its ToString.  Returns the values shown.
__attribute__((noinline)) std::size_t displayPass(const TKept& kept)
{
    std::size_t values = 0, length = 0;
    for (const boost::shared_ptr<ICIMInstance>& instance : kept)
        instance->EnumerateProperties(
            [&](boost::shared_ptr<ICIMProperty> property) {
                TPEGASUSProperty shown(property->GetDeclaration(TCIMContext()),
                                       property->GetValue(TCIMContext()));
                length += shown.ToString().size();
                ++values;
                return true;
            },
            TCIMContext());
    gSink = gSink + length;
    return values;
}

__attribute__((noinline)) void toStringPass(
    const std::vector<std::unique_ptr<TPEGASUSProperty>>& properties)
{
    std::size_t length = 0;
    for (const std::unique_ptr<TPEGASUSProperty>& property : properties)
        length += property->ToString().size();
    gSink = gSink + length;
}

// The host's own text of the same values (TInmemProperty::ToString, the
// value's ToString(10)), for comparison.
__attribute__((noinline)) void hostToStringPass(
    const std::vector<boost::shared_ptr<ICIMProperty>>& properties)
{
    std::size_t length = 0;
    for (const boost::shared_ptr<ICIMProperty>& property : properties)
        length += property->ToString().size();
    gSink = gSink + length;
}

// --- One run ------------------------------------------------------------------

struct Figures
{
    Samples bare, bareFreed, bareCpu, bareRate, plugin, pluginCpu, pluginRate, ratio, ratioFreed;
    Samples bareArrayMb, bareHwmMb, heldMb, heldPerInstanceKb, pluginHwmMb, hwmRatio,
        peakOverBare;
    Samples bareFaults, pluginFaults, cpuRatio, floorMs, floorRatio;
    Samples displayNs, toStringNs, hostToStringNs;
    std::size_t values = 0;
};

void check(std::size_t got, unsigned expected, const char* what)
{
    if (got != expected)
        throw std::runtime_error(std::string(what) + " gave " + std::to_string(got) +
                                 " instances, not " + std::to_string(expected));
}

// Drops the instances the run kept, from the callback's list and from the
// class's instance cache (the next enumeration would empty it only once it
// started, inside the measured span).
void dropInstances(NQRVKTA20::TPEGASUSClass& cls, TKept& kept)
{
    for (const boost::shared_ptr<ICIMInstance>& instance : kept)
        cls.RemoveInstance(instance);
    TKept().swap(kept);
}

void oneRun(const Options& options, Pegasus::CIMClient& client, NQRVKTA20::TPEGASUSClass& cls,
            Figures* figures)
{
    const double count = double(options.instances);
    double bareMs = 0, bareFreedMs = 0, bareHwmMb = 0, bareCpu = 0;
    // The bare client.
    {
        const long rss0 = resetPeak();
        const double heap0 = HeapInUseBytes();
        const long faults0 = minorFaults();
        const double cpu0 = CpuMs();
        const double t0 = WallMs();
        Pegasus::Array<Pegasus::CIMInstance> all = bareEnumerate(client);
        const double elapsed = WallMs() - t0;
        const double cpu = CpuMs() - cpu0;
        const long faults = minorFaults() - faults0;
        const double arrayBytes = HeapInUseBytes() - heap0;
        const long hwm = StatusKb("VmHWM");
        check(all.size(), options.instances, "the bare client");
        const double t1 = WallMs();
        Pegasus::Array<Pegasus::CIMInstance>().swap(all);
        const double freed = WallMs() - t1;
        bareMs = elapsed;
        bareCpu = cpu;
        bareFreedMs = elapsed + freed;
        bareHwmMb = double(hwm - rss0) / 1024.0;
        if (figures) {
            figures->bare.add(elapsed);
            figures->bareFreed.add(bareFreedMs);
            figures->bareCpu.add(cpu);
            figures->bareRate.add(count * 1000.0 / elapsed);
            figures->bareArrayMb.add(arrayBytes / 1048576.0);
            figures->bareHwmMb.add(bareHwmMb);
            figures->bareFaults.add(double(faults));
        }
    }

    // The plug-in, into host instances that the callback keeps.
    TKept kept;
    kept.reserve(options.instances);
    const long rss0 = resetPeak();
    const double heap0 = HeapInUseBytes();
    const long faults0 = minorFaults();
    const double cpu0 = CpuMs();
    const double t0 = WallMs();
    pluginEnumerate(cls, kept);
    const double elapsed = WallMs() - t0;
    const double cpu = CpuMs() - cpu0;
    const long faults = minorFaults() - faults0;
    const long hwm = StatusKb("VmHWM");
    const double heldBytes = HeapInUseBytes() - heap0;
    check(kept.size(), options.instances, "the plug-in");
    std::set<std::string> ids;
    for (const boost::shared_ptr<ICIMInstance>& instance : kept)
        ids.insert(instance->GetProperty("InstanceID", TCIMContext())
                       ->GetValue(TCIMContext())
                       .ToString(10));
    check(ids.size(), options.instances, "distinct InstanceID values: the plug-in");

    // Display: the whole host pass, then ToString alone over the same values.
    double t1 = WallMs();
    const std::size_t values = displayPass(kept);
    const double display = WallMs() - t1;
    std::vector<std::unique_ptr<TPEGASUSProperty>> shown;
    std::vector<boost::shared_ptr<ICIMProperty>> host;
    shown.reserve(values);
    host.reserve(values);
    for (const boost::shared_ptr<ICIMInstance>& instance : kept)
        instance->EnumerateProperties(
            [&](boost::shared_ptr<ICIMProperty> property) {
                shown.emplace_back(new TPEGASUSProperty(property->GetDeclaration(TCIMContext()),
                                                        property->GetValue(TCIMContext())));
                host.push_back(property);
                return true;
            },
            TCIMContext());
    t1 = WallMs();
    toStringPass(shown);
    const double toString = WallMs() - t1;
    t1 = WallMs();
    hostToStringPass(host);
    const double hostToString = WallMs() - t1;
    shown.clear();
    host.clear();
    std::vector<TValues> all;
    all.reserve(kept.size());
    for (const boost::shared_ptr<ICIMInstance>& instance : kept) {
        all.emplace_back();
        instance->EnumerateProperties(
            [&](boost::shared_ptr<ICIMProperty> property) {
                if (!property->IsDefaultValue(TCIMContext()))
                    all.back().emplace_back(
                        property->GetDeclaration(TCIMContext())->GetName(TCIMContext()),
                        property->GetValue(TCIMContext()));
                return true;
            },
            TCIMContext());
    }
    dropInstances(cls, kept);

    // The floor: the same host instances built without client or conversion.
    kept.reserve(options.instances);
    t1 = WallMs();
    hostFloor(cls, all, kept);
    const double floor = WallMs() - t1;
    dropInstances(cls, kept);

    if (figures) {
        figures->plugin.add(elapsed);
        figures->ratio.add(elapsed / bareMs);
        figures->ratioFreed.add(elapsed / bareFreedMs);
        figures->pluginCpu.add(cpu);
        figures->cpuRatio.add(cpu / bareCpu);
        figures->floorMs.add(floor);
        figures->floorRatio.add((bareMs + floor) / bareMs);
        figures->pluginFaults.add(double(faults));
        figures->pluginRate.add(count * 1000.0 / elapsed);
        figures->heldMb.add(heldBytes / 1048576.0);
        figures->heldPerInstanceKb.add(heldBytes / 1024.0 / count);
        const double hwmMb = double(hwm - rss0) / 1024.0;
        figures->pluginHwmMb.add(hwmMb);
        figures->hwmRatio.add(hwmMb / (heldBytes / 1048576.0));
        figures->peakOverBare.add(hwmMb / bareHwmMb);
        figures->values = values;
        figures->displayNs.add(display * 1e6 / double(values));
        figures->toStringNs.add(toString * 1e6 / double(values));
        figures->hostToStringNs.add(hostToString * 1e6 / double(values));
    }
}

void report(const Options& options, const std::string& mode, Figures& f)
{
    const std::string n = std::to_string(options.instances);
    Table times("EnumerateInstances of " + n + " " + kClassName + ", " + LogTitle(mode) + " (" +
                bench::machineLoad() + ")");
    times.add("bare CIMClient enumerateInstances", f.bare, "ms", 1);
    times.add("plug-in EnumerateInstances into kept host instances", f.plugin, "ms", 1);
    times.add("ratio plug-in / bare (target 1.5)", f.ratio, "x", 2);
    times.add("bare, then freeing the decoded array", f.bareFreed, "ms", 1);
    times.add("ratio plug-in / bare with the freeing", f.ratioFreed, "x", 2);
    times.add("bare: instances per second", f.bareRate, "instances/s", 0, true);
    times.add("plug-in: instances per second", f.pluginRate, "instances/s", 0, true);
    times.add("bare: CPU time of this process", f.bareCpu, "ms", 0);
    times.add("plug-in: CPU time of this process", f.pluginCpu, "ms", 0);
    times.add("ratio of the CPU times, plug-in / bare", f.cpuRatio, "x", 2);
    times.add("host instances alone, built from converted values (floor)", f.floorMs, "ms", 1);
    times.add("floor ratio: (bare + host instances alone) / bare", f.floorRatio, "x", 2);
    times.add("bare: minor page faults of this process", f.bareFaults, "", 0);
    times.add("plug-in: minor page faults of this process", f.pluginFaults, "", 0);
    times.print();

    Table memory("Memory of this process, " + LogTitle(mode));
    memory.add("bare: heap in use by the decoded Array<CIMInstance>", f.bareArrayMb, "MB", 1);
    memory.add("bare: peak resident growth (VmHWM) over the call", f.bareHwmMb, "MB", 1);
    memory.add("plug-in: heap in use afterwards, instances kept (H)", f.heldMb, "MB", 1);
    memory.add("plug-in: H per instance", f.heldPerInstanceKb, "kB", 2);
    memory.add("plug-in: peak resident growth (VmHWM) over the call (P)", f.pluginHwmMb, "MB", 1);
    memory.add("P / H (target 2)", f.hwmRatio, "x", 2);
    memory.add("P / bare peak growth", f.peakOverBare, "x", 2);
    memory.print();

    Table display("Display of every property value (" + std::to_string(f.values) +
                  " values), " + LogTitle(mode));
    display.add("host pass: EnumerateProperties, TPEGASUSProperty(decl, value), ToString",
                f.displayNs, "ns/value", 0);
    display.add("TPEGASUSProperty::ToString alone (target 1,000)", f.toStringNs, "ns/value", 0);
    display.add("the host's TInmemProperty::ToString (value's ToString(10))", f.hostToStringNs,
                "ns/value", 0);
    display.print();
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    CLI::App app("The plug-in's EnumerateInstances of 10,000 Bench_Item against the bare client");
    app.add_option("--runs", options.runs, "measured runs per logger set-up")
        ->check(CLI::Range(1, 100));
    app.add_option("--warmups", options.warmups, "unmeasured runs first")
        ->check(CLI::Range(0, 10));
    app.add_option("--instances", options.instances, "Bench_Item instances to load")
        ->check(CLI::Range(1u, 1000000u));
    app.add_option("--log", options.logModes, "logger set-ups: off, file")
        ->delimiter(',')
        ->check(CLI::IsMember({"off", "file"}));
    app.add_option("--pegasus", options.pegasusDir, "the staged tree holding bin/cimserver");
    app.add_option("--shared", options.sharedDir, "the folder holding bench/gen_bench_mof.py");
    CLI11_PARSE(app, argc, argv);

    try {
        std::printf("# bench_namespace_enum: %d runs, %s\n", options.runs,
                    bench::machineLoad().c_str());
        ConfigureLogger(options.logModes.front(), "enum");
        BenchNamespaceRoot::Setup setup;
        setup.moduleDirIsRoot = true;
        BenchNamespaceRoot root(options.pegasusDir, "nspbench_enum_" + std::to_string(::getpid()),
                                setup);
        const std::string instancesMof = writeWorkload(options, root.path());
        double t0 = WallMs();
        root.start();
        const double start = WallMs() - t0;
        TPEGASUSNamespace& ns = *root.ns();
        t0 = WallMs();
        ns.callCimmof(kServerNamespace, instancesMof);
        const double load = WallMs() - t0;
        TCIMContext context;
        context["nsp"] = NQRVKTA20::TCIMValue(std::string(kServerNamespace));
        boost::shared_ptr<NQRVKTA20::TPEGASUSClass> cls =
            boost::dynamic_pointer_cast<NQRVKTA20::TPEGASUSClass>(ns.GetClass(kClassName, context));
        if (!cls || !cls->GetProvider())
            throw std::runtime_error(std::string("the provider's class ") + kClassName +
                                     " is not registered");
        std::printf("\nnamespace start with the provider: %.0f ms; cimmof of %u instances: "
                    "%.2f s\n",
                    start, options.instances, load / 1000.0);

        // The bare client keeps its connection open from run to run, as the
        // provider's client the plug-in uses does.
        Pegasus::CIMClient client;
        client.setTimeout(300000);
        client.connect("127.0.0.1", ns.GetPort(), "", "");
        for (int i = 0; i < options.warmups; ++i)
            oneRun(options, client, *cls, nullptr);
        for (const std::string& mode : options.logModes) {
            ConfigureLogger(mode, "enum");
            Figures figures;
            for (int run = 0; run < options.runs; ++run)
                oneRun(options, client, *cls, &figures);
            report(options, mode, figures);
        }
    } catch (const Pegasus::Exception& e) {
        std::fprintf(stderr, "bench_namespace_enum: %s\n",
                     TPEGASUSNamespace::PegasusText(e.getMessage()).c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_namespace_enum: %s\n", e.what());
        return 1;
    }
    std::remove(LogFilePath("enum").c_str());
    return 0;
}
