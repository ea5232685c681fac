#include "BenchWorkloads.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <thread>

#include <unistd.h>

#include <Pegasus/Client/CIMClient.h>

#include "BenchReport.h"

namespace bench {

namespace {

const char kSchemaNamespace[] = "root/cimv2";
const char kBenchNamespace[] = "root/bench";
const char kGetClassName[] = "CIM_ComputerSystem";
const char kEnumClassName[] = "Bench_Item";
const unsigned kEnumInstances = 10000;

// A server counts as idle this long after its last request.
const int kSettleMs = 300;

double megabytes(long kb) { return kb / 1024.0; }

void requireSuccess(const ChildResult& result, const std::string& what,
                    const std::string& outputPath)
{
    if (result.exitCode != 0)
        throw std::runtime_error(what + " failed (exit " + std::to_string(result.exitCode) +
                                 "): " + readTextFile(outputPath));
}

long idleRssKb(const BenchServer& server)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
    return server.rssKb();
}

void connectTo(Pegasus::CIMClient& client, unsigned port)
{
    client.setTimeout(300000);
    client.connect("127.0.0.1", port, Pegasus::String(), Pegasus::String());
}

// Microseconds per GetClass over `requests` requests on one connection.
double timeGetClass(Pegasus::CIMClient& client, int requests, bool localOnly)
{
    Clock::time_point started = Clock::now();
    for (int i = 0; i < requests; ++i)
        client.getClass(kSchemaNamespace, kGetClassName, localOnly, true, false);
    return millisecondsBetween(started) * 1000.0 / requests;
}

void benchGetClass(const BenchOptions& options, BenchServer& server)
{
    Samples fullUs, fullRate, localUs, localRate, processMs;
    {
        Pegasus::CIMClient client;
        connectTo(client, server.port());
        timeGetClass(client, 20, false);  // warm-up: connection, caches
        for (int round = 0; round < options.runs; ++round)
        {
            double us = timeGetClass(client, options.requests, false);
            fullUs.add(us);
            fullRate.add(1e6 / us);
            us = timeGetClass(client, options.requests, true);
            localUs.add(us);
            localRate.add(1e6 / us);
        }
    }
    long rssAfter = idleRssKb(server);
    for (int round = 0; round < options.runs; ++round)
    {
        const std::string out = server.home() + "/bench-client.out";
        ChildResult r = runProgram({options.self, "client", "getclass", "--port",
                                    std::to_string(server.port()), "--namespace",
                                    kSchemaNamespace},
                                   {}, out);
        requireSuccess(r, "the GetClass client", out);
        processMs.add(r.wallMs);
    }
    Table table("getclass: GetClass CIM_ComputerSystem, " + std::to_string(options.requests) +
                " requests per round on one kept-alive connection");
    table.add("LocalOnly=false, IncludeQualifiers=true: per request", fullUs, "µs", 1);
    table.add("LocalOnly=false, IncludeQualifiers=true: rate", fullRate, "requests/s", 0, true);
    table.add("LocalOnly=true: per request", localUs, "µs", 1);
    table.add("LocalOnly=true: rate", localRate, "requests/s", 0, true);
    table.add("one whole client process (start, connect, GetClass, exit)", processMs, "ms", 2);
    table.add("server resident memory afterwards", megabytes(rssAfter), "MB", 1);
    table.print();
}

}  // namespace

void benchLifecycle(const BenchOptions& options)
{
    BenchServer server(options.paths);
    Samples command, ready, rss, peak, threads, stopCommand, stopExited;
    BenchServer::StartTimes fresh;
    for (int run = 0; run <= options.runs; ++run)
    {
        BenchServer::StartTimes start = server.start();
        long idle = idleRssKb(server);
        if (run == 0)
        {
            fresh = start;
        }
        else
        {
            command.add(start.commandMs);
            ready.add(start.readyMs);
        }
        rss.add(megabytes(idle));
        peak.add(megabytes(server.peakRssKb()));
        threads.add(server.threads());
        BenchServer::StopTimes stop = server.stop();
        stopCommand.add(stop.commandMs);
        stopExited.add(stop.exitedMs);
    }
    Table table("Server start, idle memory and stop, empty repository");
    table.add("start, new home: until `cimserver` returns", fresh.commandMs, "ms", 1);
    table.add("start, new home: until a request succeeds", fresh.readyMs, "ms", 1);
    table.add("start, existing home: until `cimserver` returns", command, "ms", 1);
    table.add("start, existing home: until a request succeeds", ready, "ms", 1);
    table.add("resident memory when idle (VmRSS)", rss, "MB", 2);
    table.add("peak resident memory so far (VmHWM)", peak, "MB", 2);
    table.add("threads when idle", threads, "", 0);
    table.add("`cimserver -s` until the command returns", stopCommand, "ms", 1);
    table.add("`cimserver -s` until the server has exited", stopExited, "ms", 1);
    table.print();
}

void benchSchemaAndGetClass(const BenchOptions& options)
{
    const std::string schema = options.paths.sharedDir + "/cim-schema/cim_schema_2.41.0.mof";
    Samples wall, cpu, toolPeak, serverPeak, serverAfter, repository;
    std::unique_ptr<BenchServer> last;
    for (int run = 0; run < options.runs; ++run)
    {
        auto server = std::make_unique<BenchServer>(options.paths);
        server->start();
        const std::string out = server->home() + "/bench-cimmof.out";
        ChildResult r = server->runTool("cimmof", {"-n", kSchemaNamespace, schema}, out);
        requireSuccess(r, "cimmof of the schema", out);
        wall.add(r.wallMs / 1000.0);
        cpu.add(r.cpuMs / 1000.0);
        toolPeak.add(megabytes(r.maxRssKb));
        serverPeak.add(megabytes(server->peakRssKb()));
        serverAfter.add(megabytes(idleRssKb(*server)));
        repository.add(directoryBytes(server->repositoryDir()) / 1048576.0);
        last = std::move(server);
    }
    Table table("schema: cimmof of the DMTF schema 2.41.0 into a running server");
    table.add("cimmof, whole process", wall, "s", 2);
    table.add("cimmof CPU time (user + system)", cpu, "s", 2);
    table.add("cimmof peak resident memory", toolPeak, "MB", 1);
    table.add("server peak resident memory (start and compile)", serverPeak, "MB", 1);
    table.add("server resident memory afterwards", serverAfter, "MB", 1);
    table.add("repository size (database, log and index files)", repository, "MB", 1);
    table.print();

    benchGetClass(options, *last);

    // The same server again, now with 1,500 classes in its repository.
    Samples command, ready, rss, stopCommand, stopExited;
    BenchServer::StopTimes first = last->stop();
    stopCommand.add(first.commandMs);
    stopExited.add(first.exitedMs);
    for (int run = 0; run < options.runs; ++run)
    {
        BenchServer::StartTimes start = last->start();
        command.add(start.commandMs);
        ready.add(start.readyMs);
        rss.add(megabytes(idleRssKb(*last)));
        BenchServer::StopTimes stop = last->stop();
        stopCommand.add(stop.commandMs);
        stopExited.add(stop.exitedMs);
    }
    Table again("Server start, idle memory and stop, the schema in the repository");
    again.add("start: until `cimserver` returns", command, "ms", 1);
    again.add("start: until a request succeeds", ready, "ms", 1);
    again.add("resident memory when idle (VmRSS)", rss, "MB", 2);
    again.add("`cimserver -s` until the command returns", stopCommand, "ms", 1);
    again.add("`cimserver -s` until the server has exited", stopExited, "ms", 1);
    again.print();
}

void benchRepositoryGrowth(const BenchOptions& options)
{
    // The server gives its caches back after 5 s without requests.
    const auto quiet = std::chrono::milliseconds(6500);
    const int kCompiles = 8;
    const std::string schema = options.paths.sharedDir + "/cim-schema/cim_schema_2.41.0.mof";
    BenchServer server(options.paths);
    server.start();
    std::this_thread::sleep_for(quiet);
    const long empty = server.privateKb();
    for (int i = 1; i <= kCompiles; ++i)
    {
        const std::string out = server.home() + "/bench-cimmof.out";
        ChildResult r = server.runTool(
            "cimmof", {"-n", "root/growth" + std::to_string(i), schema}, out);
        requireSuccess(r, "cimmof of the schema", out);
    }
    const long busy = server.privateKb();
    std::this_thread::sleep_for(quiet);
    const long settled = server.privateKb();
    const double repositoryMb = directoryBytes(server.repositoryDir()) / 1048576.0;
    server.stop();
    server.start();
    std::this_thread::sleep_for(quiet);
    const long restarted = server.privateKb();
    server.stop();

    Table table("growth: private memory (smaps_rollup) as the repository grows by " +
                std::to_string(kCompiles) + " compiles of the DMTF schema");
    table.add("idle, empty repository", megabytes(empty), "MB", 1);
    table.add("right after the last compile", megabytes(busy), "MB", 1);
    table.add("idle after the compiles (6.5 s quiet)", megabytes(settled), "MB", 1);
    table.add("repository size", repositoryMb, "MB", 0);
    table.add("idle after a restart on that repository", megabytes(restarted), "MB", 1);
    table.add("growth per 100 MB of repository, after a restart",
              megabytes(restarted - empty) * 100.0 / repositoryMb, "MB", 2);
    table.print();
}

void benchLoadAndEnumerate(const BenchOptions& options)
{
    Samples wall, cpu, toolPeak, serverPeak, serverAfter, repository;
    std::unique_ptr<BenchServer> last;
    for (int run = 0; run < options.loadRuns; ++run)
    {
        auto server = std::make_unique<BenchServer>(options.paths);
        // The generated MOF includes "qualifiers.mof" from its own folder.
        const std::string mofDir = server->home() + "/mof";
        std::filesystem::create_directories(mofDir);
        std::filesystem::copy_file(options.paths.sharedDir + "/cim-schema/qualifiers.mof",
                                   mofDir + "/qualifiers.mof");
        const std::string mof = mofDir + "/bench10k.mof";
        ChildResult gen = runProgram({"/usr/bin/python3",
                                      options.paths.sharedDir + "/bench/gen_bench_mof.py",
                                      std::to_string(kEnumInstances)},
                                     {}, mof);
        requireSuccess(gen, "gen_bench_mof.py", mof);

        server->start();
        const std::string out = server->home() + "/bench-cimmof.out";
        ChildResult r = server->runTool("cimmof", {"-n", kBenchNamespace, mof}, out);
        requireSuccess(r, "cimmof of the 10,000 instances", out);
        wall.add(r.wallMs / 1000.0);
        cpu.add(r.cpuMs / 1000.0);
        toolPeak.add(megabytes(r.maxRssKb));
        serverPeak.add(megabytes(server->peakRssKb()));
        serverAfter.add(megabytes(idleRssKb(*server)));
        repository.add(directoryBytes(server->repositoryDir()) / 1048576.0);
        last = std::move(server);
    }
    Table load("load10k: cimmof of Bench_Item and 10,000 instances into a running server");
    load.add("cimmof, whole process", wall, "s", 2);
    load.add("cimmof CPU time (user + system)", cpu, "s", 2);
    load.add("cimmof peak resident memory", toolPeak, "MB", 1);
    load.add("server peak resident memory (start and load)", serverPeak, "MB", 1);
    load.add("server resident memory afterwards", serverAfter, "MB", 1);
    load.add("repository size (database, log and index files)", repository, "MB", 1);
    load.print();

    // A fresh server process over the loaded repository, so that its peak is
    // that of start-up and enumeration alone.
    BenchServer& server = *last;
    server.stop();
    server.start();
    long idleBefore = idleRssKb(server);
    long peakBefore = server.peakRssKb();
    Samples inProcess, ourProcess, wbemcli;
    {
        Pegasus::CIMClient client;
        connectTo(client, server.port());
        for (int run = 0; run < options.runs; ++run)
        {
            Clock::time_point started = Clock::now();
            Pegasus::Array<Pegasus::CIMInstance> all =
                client.enumerateInstances(kBenchNamespace, kEnumClassName, false, false);
            inProcess.add(millisecondsBetween(started));
            if (all.size() != kEnumInstances)
                throw std::runtime_error("enum10k returned " + std::to_string(all.size()) +
                                         " instances");
        }
    }
    const std::string out = server.home() + "/bench-client.out";
    for (int run = 0; run < options.runs; ++run)
    {
        ChildResult r = runProgram({options.self, "client", "enum", "--port",
                                    std::to_string(server.port()), "--namespace",
                                    kBenchNamespace},
                                   {}, out);
        requireSuccess(r, "the EnumerateInstances client", out);
        ourProcess.add(r.wallMs);
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/" +
                            kBenchNamespace + ":" + kEnumClassName;
    if (::access(options.wbemcli.c_str(), X_OK) == 0)
    {
        for (int run = 0; run < options.runs; ++run)
        {
            ChildResult r = runProgram({options.wbemcli, "ei", url}, {}, out);
            requireSuccess(r, "wbemcli ei", out);
            wbemcli.add(r.wallMs);
        }
    }
    long peakDuring = server.peakRssKb();
    long idleAfter = idleRssKb(server);

    Table enumTable("enum10k: EnumerateInstances of 10,000 Bench_Item");
    enumTable.add("our CIMClient, in this process (connection open)", inProcess, "ms", 1);
    enumTable.add("our client, one whole process", ourProcess, "ms", 1);
    if (!wbemcli.empty())
        enumTable.add("Debian's wbemcli ei, whole process", wbemcli, "ms", 1);
    enumTable.add("server resident memory idle, before", megabytes(idleBefore), "MB", 1);
    enumTable.add("server peak resident memory after start-up", megabytes(peakBefore), "MB", 1);
    enumTable.add("server peak resident memory, start-up and all enumerations",
                  megabytes(peakDuring), "MB", 1);
    enumTable.add("server resident memory idle, after", megabytes(idleAfter), "MB", 1);
    enumTable.print();
}

int runClientOnce(Pegasus::CIMClient& client, const std::string& operation,
                  const std::string& nameSpace);

int runClientOnce(const std::string& operation, unsigned port, const std::string& nameSpace,
                  int repeat)
{
    try
    {
        Pegasus::CIMClient client;
        connectTo(client, port);
        for (int i = 1; i < repeat; ++i)
            runClientOnce(client, operation, nameSpace);
        return runClientOnce(client, operation, nameSpace);
    }
    catch (const Pegasus::Exception& e)
    {
        std::fprintf(stderr, "%s\n", (const char*)e.getMessage().getCString());
        return 1;
    }
}

int runClientOnce(Pegasus::CIMClient& client, const std::string& operation,
                  const std::string& nameSpace)
{
    if (operation == "getclass")
    {
        client.getClass(nameSpace.c_str(), kGetClassName, false, true, false);
    }
    else if (operation == "enum")
    {
        Pegasus::Array<Pegasus::CIMInstance> all =
            client.enumerateInstances(nameSpace.c_str(), kEnumClassName, false, false);
        if (all.size() == 0)
            return 1;
    }
    else
    {
        std::fprintf(stderr, "unknown client operation %s\n", operation.c_str());
        return 2;
    }
    return 0;
}

}  // namespace bench
