// One cimserver from the staging tree, run for a benchmark: its own
// PEGASUS_HOME in a temporary directory, a free TCP port, and timed start
// and stop.  The destructor stops a server that is still running (and kills
// it if it does not stop) and removes the home, so that a benchmark that
// fails leaves nothing behind; so does SIGINT or SIGTERM to the benchmark.
//
// becomeSubreaper() must have been called first: the detached server is
// then our child, and its exit is timed exactly with wait4().
#ifndef KTA_BENCH_SERVER_BENCHSERVER_H
#define KTA_BENCH_SERVER_BENCHSERVER_H

#include <cstdint>
#include <string>
#include <vector>

#include "BenchProcess.h"

namespace bench {

struct StagePaths
{
    std::string pegasusDir;  // holds bin/cimserver, bin/cimmof, lib/
    std::string sharedDir;   // the read-only workloads (bench/, cim-schema/)

    std::string program(const std::string& name) const { return pegasusDir + "/bin/" + name; }
};

class BenchServer
{
public:
    struct StartTimes
    {
        double commandMs = 0;  // until `cimserver ...` returned
        double readyMs = 0;    // until a client request succeeded
    };
    struct StopTimes
    {
        double commandMs = 0;  // until `cimserver -s` returned
        double exitedMs = 0;   // until the server process had exited
    };

    // Creates a fresh home; the server is not started.
    explicit BenchServer(const StagePaths& paths);
    ~BenchServer();

    BenchServer(const BenchServer&) = delete;
    BenchServer& operator=(const BenchServer&) = delete;

    // Starts the server (on the same home and port each time) and waits until
    // it answers.  Throws std::runtime_error when it does not start.
    StartTimes start();

    // `cimserver -s`; waits for the server to exit.  Throws on failure.
    StopTimes stop();

    bool running() const { return _pid > 0; }
    pid_t pid() const { return _pid; }
    unsigned port() const { return _port; }
    const std::string& home() const { return _home; }
    std::string repositoryDir() const { return _home + "/repository"; }

    // Runs a staged program (cimmof, cimconfig) against this server's home.
    // Its output goes to `outputPath`.
    ChildResult runTool(const std::string& name, const std::vector<std::string>& args,
                        const std::string& outputPath = "/dev/null") const;

    long rssKb() const { return procStatusKb(_pid, "VmRSS"); }
    long peakRssKb() const { return procStatusKb(_pid, "VmHWM"); }
    long privateKb() const { return procPrivateKb(_pid); }
    long threads() const { return procThreadCount(_pid); }

private:
    void waitUntilAnswering(Clock::time_point deadline);
    void forceStop();

    StagePaths _paths;
    std::string _home;
    unsigned _port = 0;
    pid_t _pid = 0;
};

// A TCP port on 127.0.0.1 that nobody listens on right now.
unsigned freeTcpPort();

}  // namespace bench

#endif
