// The server workloads of ../shared/bench/README.md, each printing its
// tables.  Every server a workload starts is stopped before it returns,
// also when it throws.
#ifndef KTA_BENCH_SERVER_BENCHWORKLOADS_H
#define KTA_BENCH_SERVER_BENCHWORKLOADS_H

#include <string>

#include "BenchServer.h"

namespace bench {

struct BenchOptions
{
    StagePaths paths;
    std::string self;         // this program, for the whole-process client runs
    std::string wbemcli = "/usr/bin/wbemcli";
    int runs = 5;             // repetitions of the quick measures
    int loadRuns = 1;         // repetitions of load10k (slow)
    int requests = 1000;      // GetClass requests per round
};

// Start-to-ready, idle memory and stop on a fresh home.
void benchLifecycle(const BenchOptions& options);

// `schema` (cimmof of the DMTF schema), then `getclass` on that server, and
// the server's start, idle memory and stop with the schema in its repository.
void benchSchemaAndGetClass(const BenchOptions& options);

// `growth`: the server's private memory as its repository grows by eight
// compiles of the DMTF schema, idle before, right after and once quiet, and
// idle after a restart on that repository.
void benchRepositoryGrowth(const BenchOptions& options);

// `load10k`, then `enum10k` through our client and through wbemcli, with the
// server's memory idle and at its peak.
void benchLoadAndEnumerate(const BenchOptions& options);

// The whole-process clients (this program run as "client ..."): one
// connection, one request, exit.  Returns the exit status.
int runClientOnce(const std::string& operation, unsigned port, const std::string& nameSpace,
                  int repeat = 1);

}  // namespace bench

#endif
