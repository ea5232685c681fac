// bench_server: the server workloads of ../shared/bench/README.md against
// the staged cimserver, cimmof and our client library.  Prints one Markdown
// table per workload.  Each server it starts runs on its own temporary
// PEGASUS_HOME and free port and is stopped before the program ends, also
// when a workload fails or the program is interrupted.
//
//   bench_server                       every workload
//   bench_server lifecycle getclass    only those (lifecycle, getclass, growth,
//                                      enum10k)
//   bench_server --runs 10             more repetitions
//
// "getclass" also runs `schema`; "enum10k" also runs `load10k`.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include <unistd.h>

#include <CLI/CLI.hpp>

#include <Pegasus/Common/Exception.h>

#include "BenchReport.h"
#include "BenchWorkloads.h"

namespace {

std::string ownPath(const char* argv0)
{
    std::vector<char> buffer(4096);
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return n > 0 ? std::string(buffer.data(), std::size_t(n)) : std::string(argv0);
}

}  // namespace

int main(int argc, char** argv)
{
    bench::BenchOptions options;
    // Defaults: the environment, else the folders the build was configured with.
    const char* pegasusEnv = std::getenv("KTA_PEGASUS_DIR");
    const char* sharedEnv = std::getenv("KTA_SHARED_DIR");
    options.paths.pegasusDir = pegasusEnv && *pegasusEnv ? pegasusEnv : KTA_PEGASUS_DIR;
    options.paths.sharedDir = sharedEnv && *sharedEnv ? sharedEnv : KTA_SHARED_DIR;
    options.self = ownPath(argv[0]);
    std::vector<std::string> workloads;

    CLI::App app("Server benchmarks: start, stop, memory, schema, getclass, growth, load10k, enum10k");
    app.add_option("workloads", workloads, "lifecycle, getclass, growth, enum10k (default: all)")
        ->check(CLI::IsMember({"lifecycle", "getclass", "growth", "enum10k"}));
    app.add_option("--pegasus", options.paths.pegasusDir,
                   "the staged tree holding bin/cimserver and bin/cimmof "
                   "(environment KTA_PEGASUS_DIR)")
        ->capture_default_str();
    app.add_option("--shared", options.paths.sharedDir,
                   "the shared folder with cim-schema/ and bench/ (environment KTA_SHARED_DIR)")
        ->capture_default_str();
    app.add_option("--runs", options.runs, "repetitions of each quick measure")
        ->check(CLI::Range(1, 1000));
    app.add_option("--load-runs", options.loadRuns, "repetitions of load10k")
        ->check(CLI::Range(1, 100));
    app.add_option("--requests", options.requests, "GetClass requests per round")
        ->check(CLI::Range(1, 1000000));
    app.add_option("--wbemcli", options.wbemcli, "wbemcli to compare with");

    // This program as a one-request client, for the whole-process figures.
    std::string operation, nameSpace;
    unsigned port = 0;
    int repeat = 1;
    CLI::App* client = app.add_subcommand(
        "client", "one connection, one request (or --repeat N on the same connection), exit");
    client->add_option("operation", operation, "getclass or enum")->required();
    client->add_option("--port", port)->required();
    client->add_option("--namespace", nameSpace)->required();
    client->add_option("--repeat", repeat, "requests on the one connection, e.g. to profile the server")
        ->check(CLI::Range(1, 10000000));

    CLI11_PARSE(app, argc, argv);
    if (*client)
        return bench::runClientOnce(operation, port, nameSpace, repeat);

    auto wanted = [&](const char* name) {
        if (workloads.empty())
            return true;
        for (const std::string& w : workloads)
            if (w == name)
                return true;
        return false;
    };
    try
    {
        bench::becomeSubreaper();
        std::printf("bench_server: %s, %s\n", options.paths.pegasusDir.c_str(),
                    bench::machineLoad().c_str());
        if (wanted("lifecycle"))
            bench::benchLifecycle(options);
        if (wanted("getclass"))
            bench::benchSchemaAndGetClass(options);
        if (wanted("growth"))
            bench::benchRepositoryGrowth(options);
        if (wanted("enum10k"))
            bench::benchLoadAndEnumerate(options);
        std::printf("\nbench_server: done, %s\n", bench::machineLoad().c_str());
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "bench_server: %s\n", e.what());
        return 1;
    }
    catch (const Pegasus::Exception& e)
    {
        std::fprintf(stderr, "bench_server: %s\n", (const char*)e.getMessage().getCString());
        return 1;
    }
    return 0;
}
