// bench_namespace_getclass: the plug-in namespace's GetClass over the whole
// DMTF schema, against the bare client on the same server.
//
// Each run starts a namespace on the staged server programs, loads
// cim_schema_2.41.0.mof into root/cimv2 with the namespace's own cimmof
// call, lists the class names (deep, in the server's order), then times:
//   - GetClass of every class once through the fresh namespace, in that
//     order (superclasses are loaded by the first subclass that needs them);
//   - the bare CIMClient's getClass (LocalOnly=false, qualifiers, no class
//     origin) of the same classes on the same server, once and twice in a
//     row (the plug-in reads each class twice: GetClass reads it to learn
//     the superclass, TPEGASUSClass::Initialize reads it again to build it);
//   - GetClass of registered classes asked in another letter case, and the
//     parts such a call is made of;
// and the memory the registry takes.  Every run is made once per logger
// set-up: "file" writes every record (severity 3 included) to a log file as
// a host with a log file does, "off" drops severity 3 (file and standard
// error limits 2), "stderr" leaves the logger at its defaults (severity 3
// to standard error: redirect it).
//
//   bench_namespace_getclass                 5 runs, --log file,off
//   bench_namespace_getclass --runs 3 --log off
//   bench_namespace_getclass release --classes 200   (for valgrind: load
//       200 classes, release the namespace, check nothing stays alive)
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/Exception.h>

#include "../server/BenchReport.h"
#include "BenchMeasure.h"
#include "BenchNamespaceRoot.h"
#include "TCoreLogger.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSNamespace.h"
#include "TRootObject.h"

namespace {

using namespace benchmeasure;

using bench::BenchNamespaceRoot;
using bench::Samples;
using bench::Table;
using NQRVKTA20::TCIMContext;
using NQRVKTA20::TCoreLogger;
using NQRVKTA20::TPEGASUSNamespace;

struct Options
{
    std::string pegasusDir = KTA_PEGASUS_DIR;
    std::string schema = std::string(KTA_SHARED_DIR) + "/cim-schema/cim_schema_2.41.0.mof";
    std::string nameSpace = "root/cimv2";
    int runs = 5;
    std::vector<std::string> logModes = {"file", "off"};
    long cachedCalls = 300000;
};

std::vector<std::string> classNames(uint16_t port, const std::string& nameSpace)
{
    Pegasus::CIMClient client;
    client.connect("127.0.0.1", port, "", "");
    Pegasus::Array<Pegasus::CIMName> names = client.enumerateClassNames(
        Pegasus::CIMNamespaceName(nameSpace.c_str()), Pegasus::CIMName(), true);
    std::vector<std::string> result;
    result.reserve(names.size());
    for (Pegasus::Uint32 i = 0; i < names.size(); ++i)
        result.push_back(TPEGASUSNamespace::PegasusText(names[i].getString()));
    return result;
}

// The bare client's getClass of every name, `times` in a row each (out of
// line for a profiler's --toggle-collect).
__attribute__((noinline)) void bareGetClasses(Pegasus::CIMClient& client,
                                              const Pegasus::CIMNamespaceName& ns,
                                              const std::vector<std::string>& names, int times)
{
    for (const std::string& name : names)
        for (int i = 0; i < times; ++i)
            client.getClass(ns, Pegasus::CIMName(name.c_str()), false, true, false,
                            Pegasus::CIMPropertyList());
}

// bareGetClasses on a connection of its own; returns the wall time in ms
// and sets `cpu` to the CPU time.
double bareClientPass(uint16_t port, const std::string& nameSpace,
                      const std::vector<std::string>& names, int times, double& cpu)
{
    Pegasus::CIMClient client;
    client.connect("127.0.0.1", port, "", "");
    const Pegasus::CIMNamespaceName ns(nameSpace.c_str());
    double cpu0 = CpuMs();
    double t0 = WallMs();
    bareGetClasses(client, ns, names, times);
    double elapsed = WallMs() - t0;
    cpu = CpuMs() - cpu0;
    return elapsed;
}

std::string otherCase(const std::string& name)
{
    std::string result(name);
    for (char& c : result) {
        unsigned char u = static_cast<unsigned char>(c);
        c = static_cast<char>(std::islower(u) ? std::toupper(u) : std::tolower(u));
    }
    return result;
}

// Figures of one logger set-up over all runs.
struct ModeFigures
{
    Samples plugin, bare, bareTwice, ratio, ratioTwice;
    Samples pluginCpu, bareCpu, bareTwiceCpu;
    Samples start, schemaLoad, release;
    Samples cached, normalize, find, buildText, logCall, contextCopy;
    Samples rssMb, heapMb, rssPerClassKb, heapPerClassKb, heapLeftKb;
    std::size_t classes = 0, registered = 0, failed = 0;
};

// ns per iteration of `body` over `calls` calls cycling through `names`.
template <typename Body>
double nsPerCall(const std::vector<std::string>& names, long calls, Body body)
{
    double t0 = WallMs();
    long done = 0;
    while (done < calls)
        for (std::size_t i = 0; i < names.size() && done < calls; ++i, ++done)
            body(names[i]);
    return (WallMs() - t0) * 1e6 / double(calls);
}

volatile std::size_t gSink;

// The timed loops a profiler is pointed at (valgrind's --toggle-collect), so
// kept out of line.

// GetClass of every name through the namespace; returns the failures.
__attribute__((noinline)) std::size_t pluginPass(TPEGASUSNamespace& ns,
                                                 const std::vector<std::string>& names,
                                                 const TCIMContext& context)
{
    std::size_t failed = 0;
    for (const std::string& name : names)
        if (!ns.GetClass(name, context))
            ++failed;
    return failed;
}

// `calls` GetClass of registered classes, cycling through `names`.
__attribute__((noinline)) void cachedLookups(TPEGASUSNamespace& ns,
                                             const std::vector<std::string>& names, long calls)
{
    long done = 0;
    while (done < calls)
        for (std::size_t i = 0; i < names.size() && done < calls; ++i, ++done)
            gSink = gSink + (ns.GetClass(names[i], TCIMContext()) ? 1 : 0);
}

void oneRun(const Options& options, const std::string& mode, int run, ModeFigures& figures)
{
    ConfigureLogger(mode, "getclass");
    const std::string consumer =
        "nspbench_" + std::to_string(::getpid()) + "_" + mode + "_" + std::to_string(run);
    double t0 = WallMs();
    BenchNamespaceRoot root(options.pegasusDir, consumer);
    const double start = WallMs() - t0;
    TPEGASUSNamespace& ns = *root.ns();

    t0 = WallMs();
    ns.callCimmof(options.nameSpace, options.schema);
    const double schemaLoad = (WallMs() - t0) / 1000.0;
    // cimmof's status is not examined by the namespace: a schema that did
    // not load shows here.
    const std::vector<std::string> names = classNames(ns.GetPort(), options.nameSpace);
    if (names.size() < 100)
        throw std::runtime_error("the schema did not load: " + std::to_string(names.size()) +
                                 " classes in " + options.nameSpace);
    figures.start.add(start);
    figures.schemaLoad.add(schemaLoad);
    figures.classes = names.size();

    // Every class once through the namespace.
    TCIMContext context;
    context["nsp"] = NQRVKTA20::TCIMValue(options.nameSpace);
    long rss0 = StatusKb("VmRSS");
    double heap0 = HeapInUseBytes();
    double cpu0 = CpuMs();
    t0 = WallMs();
    std::size_t failed = pluginPass(ns, names, context);
    double plugin = WallMs() - t0;
    figures.pluginCpu.add(CpuMs() - cpu0);
    double rssKb = double(StatusKb("VmRSS") - rss0);
    double heapBytes = HeapInUseBytes() - heap0;
    figures.plugin.add(plugin);
    figures.failed = failed;
    figures.registered = ns.GetClasses().size();
    // Later namespaces reuse the heap the earlier ones gave back: the
    // resident-memory growth counts only for the first one of the process.
    static bool firstNamespace = true;
    if (firstNamespace) {
        figures.rssMb.add(rssKb / 1024.0);
        figures.rssPerClassKb.add(rssKb / double(figures.registered));
        firstNamespace = false;
    }
    figures.heapMb.add(heapBytes / 1048576.0);
    figures.heapPerClassKb.add(heapBytes / 1024.0 / double(figures.registered));

    // The same classes through the bare client, on the same server.
    double cpu = 0;
    double bare = bareClientPass(ns.GetPort(), options.nameSpace, names, 1, cpu);
    figures.bare.add(bare);
    figures.bareCpu.add(cpu);
    double twice = bareClientPass(ns.GetPort(), options.nameSpace, names, 2, cpu);
    figures.bareTwice.add(twice);
    figures.bareTwiceCpu.add(cpu);
    figures.ratio.add(plugin / bare);
    figures.ratioTwice.add(plugin / twice);

    // Registered classes asked in another letter case, and the parts of it.
    std::vector<std::string> other;
    for (const std::string& name : names)
        other.push_back(otherCase(name));
    const TCIMContext empty;
    t0 = WallMs();
    cachedLookups(ns, other, options.cachedCalls);
    figures.cached.add((WallMs() - t0) * 1e6 / double(options.cachedCalls));
    figures.normalize.add(nsPerCall(other, options.cachedCalls, [&](const std::string& name) {
        gSink = gSink + TPEGASUSNamespace::NormalizeName(name).size();
    }));
    std::vector<std::string> keys;
    for (const std::string& name : other)
        keys.push_back(TPEGASUSNamespace::NormalizeName(name));
    figures.find.add(nsPerCall(keys, options.cachedCalls, [&](const std::string& key) {
        gSink = gSink + (ns.GetClasses().find(key) != ns.GetClasses().end() ? 1 : 0);
    }));
    figures.buildText.add(nsPerCall(other, options.cachedCalls, [&](const std::string& name) {
        std::string text = "TPEGASUSNamespace::GetClass " + name + " Found in TPEGASUSNamespace";
        gSink = gSink + text.size();
    }));
    const std::string text = "TPEGASUSNamespace::GetClass " + other.front() +
                             " Found in TPEGASUSNamespace";
    boost::shared_ptr<NQRVKTA20::ILogger> logger = NQRVKTA20::TRootObject::GetCoreLogger();
    figures.logCall.add(nsPerCall(other, options.cachedCalls, [&](const std::string&) {
        logger->Log(3, text);
    }));
    figures.contextCopy.add(nsPerCall(other, options.cachedCalls, [&](const std::string&) {
        TCIMContext copy(empty);
        gSink = gSink + copy.size();
    }));

    t0 = WallMs();
    root.release();
    figures.release.add(WallMs() - t0);
}

void report(const Options& options, const std::string& mode, const ModeFigures& f)
{
    const double classes = double(f.classes);
    Table passes("GetClass of every class once, fresh namespace, " + LogTitle(mode) + " (" +
                 std::to_string(f.classes) + " classes, " + bench::machineLoad() + ")");
    passes.add("plug-in: GetClass of every class, in enumeration order", f.plugin, "ms", 0);
    passes.add("bare CIMClient: getClass of every class once", f.bare, "ms", 0);
    passes.add("ratio plug-in / bare client (target 1.5)", f.ratio, "x", 2);
    passes.add("bare CIMClient: getClass of every class twice in a row", f.bareTwice, "ms", 0);
    passes.add("ratio plug-in / bare client twice", f.ratioTwice, "x", 2);
    passes.add("plug-in: CPU time of this process", f.pluginCpu, "ms", 0);
    passes.add("bare client once: CPU time of this process", f.bareCpu, "ms", 0);
    passes.add("bare client twice: CPU time of this process", f.bareTwiceCpu, "ms", 0);
    Samples perClassPlugin, perClassBare;
    perClassPlugin.add(f.plugin.median() * 1000.0 / classes);
    perClassBare.add(f.bare.median() * 1000.0 / classes);
    passes.add("plug-in per class (median run)", perClassPlugin, "µs", 0);
    passes.add("bare client per class (median run)", perClassBare, "µs", 0);
    passes.print();
    if (f.failed != 0)
        std::printf("\n%zu classes could not be had through the namespace.\n", f.failed);

    Table cached("GetClass of a registered class in another letter case, " + LogTitle(mode) +
                 " (" + std::to_string(options.cachedCalls) + " calls over all classes)");
    cached.add("GetClass, answered from the registry (target 1,000 ns)", f.cached, "ns/call", 0);
    cached.add("of which NormalizeName of the name", f.normalize, "ns/call", 0);
    cached.add("of which the registry's find with the lower-case key", f.find, "ns/call", 0);
    cached.add("of which building the \"... Found in TPEGASUSNamespace\" text", f.buildText,
               "ns/call", 0);
    cached.add("of which the core logger's Log(3, text)", f.logCall, "ns/call", 0);
    cached.add("(copy of an empty TCIMContext)", f.contextCopy, "ns/call", 0);
    cached.print();

    Table memory("Memory of the class registry, " + LogTitle(mode));
    memory.add("classes registered (" + std::to_string(f.classes) + " listed)",
               double(f.registered), "", 0);
    memory.add("VmRSS growth over GetClass of the whole schema (first namespace of the "
               "process)", f.rssMb, "MB", 1);
    memory.add("VmRSS growth per registered class (first namespace)", f.rssPerClassKb, "kB", 1);
    memory.add("heap in use (mallinfo2) growth over the whole schema", f.heapMb, "MB", 1);
    memory.add("heap in use per registered class", f.heapPerClassKb, "kB", 1);
    memory.add("heap in use after the release, against before the start", f.heapLeftKb, "kB",
               1);
    memory.print();

    Table setup("Set-up and release, " + LogTitle(mode));
    setup.add("namespace start (AllocateNamespace, sleeps skipped)", f.start, "ms", 0);
    setup.add("cimmof of the schema (the namespace's callCimmof)", f.schemaLoad, "s", 2);
    setup.add("release of the namespace (classes freed, server stopped)", f.release, "ms", 0);
    setup.print();
}

// Loads `count` classes (0: all) through a namespace, asks each again in
// another letter case, releases the namespace and checks that the namespace
// and its classes are gone.  For a leak checker.
int releaseCheck(const Options& options, std::size_t count)
{
    ConfigureLogger(options.logModes.front(), "getclass");
    boost::weak_ptr<TPEGASUSNamespace> weakNamespace;
    std::vector<boost::weak_ptr<NQRVKTA20::ICIMClass>> weakClasses;
    std::size_t loaded = 0;
    {
        BenchNamespaceRoot root(options.pegasusDir,
                                "nspbench_release_" + std::to_string(::getpid()));
        TPEGASUSNamespace& ns = *root.ns();
        ns.callCimmof(options.nameSpace, options.schema);
        std::vector<std::string> names = classNames(ns.GetPort(), options.nameSpace);
        if (count != 0 && count < names.size())
            names.resize(count);
        TCIMContext context;
        context["nsp"] = NQRVKTA20::TCIMValue(options.nameSpace);
        for (const std::string& name : names) {
            boost::shared_ptr<NQRVKTA20::ICIMClass> cls = ns.GetClass(name, context);
            if (cls && ns.GetClass(otherCase(name), TCIMContext()) == cls) {
                weakClasses.push_back(cls);
                ++loaded;
            }
        }
        weakNamespace = root.ns();
        std::printf("%zu of %zu classes loaded, %zu registered with their superclasses\n",
                    loaded, names.size(), ns.GetClasses().size());
    }
    std::size_t alive = 0;
    for (const auto& weak : weakClasses)
        alive += weak.expired() ? 0 : 1;
    std::printf("after the release: namespace %s, %zu classes still alive\n",
                weakNamespace.expired() ? "gone" : "ALIVE", alive);
    std::remove(LogFilePath("getclass").c_str());
    return weakNamespace.expired() && alive == 0 && loaded == weakClasses.size() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    std::size_t releaseClasses = 0;
    CLI::App app("The plug-in namespace's GetClass over the DMTF schema against the bare client");
    app.add_option("--runs", options.runs, "fresh namespaces per logger set-up")
        ->check(CLI::Range(1, 100));
    app.add_option("--log", options.logModes, "logger set-ups: file, off, stderr")
        ->delimiter(',')
        ->check(CLI::IsMember({"file", "off", "stderr"}));
    app.add_option("--cached-calls", options.cachedCalls, "calls per cached-lookup measure")
        ->check(CLI::Range(1000L, 100000000L));
    app.add_option("--pegasus", options.pegasusDir, "the staged tree holding bin/cimserver");
    app.add_option("--schema", options.schema, "the MOF file to load");
    app.add_option("--namespace", options.nameSpace, "the server namespace to load it into");
    CLI::App* release = app.add_subcommand(
        "release", "load classes through one namespace, release it, check nothing stays alive");
    release->add_option("--classes", releaseClasses, "classes to ask for (0: all)");
    release->fallthrough();  // --log and the paths after "release" too
    CLI11_PARSE(app, argc, argv);

    try {
        if (*release)
            return releaseCheck(options, releaseClasses);
        std::printf("# bench_namespace_getclass: %d runs, %s\n", options.runs,
                    bench::machineLoad().c_str());
        for (const std::string& mode : options.logModes) {
            ModeFigures figures;
            for (int run = 0; run < options.runs; ++run)
                for (int attempt = 1;; ++attempt) {
                    try {
                        // After the run, when its own lists are gone too.
                        const double heapBefore = HeapInUseBytes();
                        oneRun(options, mode, run, figures);
                        figures.heapLeftKb.add((HeapInUseBytes() - heapBefore) / 1024.0);
                        break;
                    } catch (const std::exception& e) {
                        // A server started by someone else on the port the
                        // namespace chose answers in place of ours.
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
            report(options, mode, figures);
        }
    } catch (const Pegasus::Exception& e) {
        std::fprintf(stderr, "bench_namespace_getclass: %s (the log, if any: %s)\n",
                     TPEGASUSNamespace::PegasusText(e.getMessage()).c_str(),
                     LogFilePath("getclass").c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_namespace_getclass: %s (the log, if any: %s)\n", e.what(),
                     LogFilePath("getclass").c_str());
        return 1;
    }
    std::remove(LogFilePath("getclass").c_str());
    return 0;
}
