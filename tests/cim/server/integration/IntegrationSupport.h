// What the end-to-end test programs share: one staged cimserver per test
// process, started on first use and stopped when the process exits (also
// after failed assertions), plus helpers to run cimmof and to talk to the
// server with our client or over a raw socket.
#ifndef KTA_TESTS_CIM_SERVER_INTEGRATION_INTEGRATIONSUPPORT_H
#define KTA_TESTS_CIM_SERVER_INTEGRATION_INTEGRATIONSUPPORT_H

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/CIMStatusCode.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "../main/CimserverProcess.h"

namespace integration {

inline std::string sharedFile(const std::string& relative)
{
    return std::string(KTA_SHARED_DIR) + "/" + relative;
}

inline std::string schemaFile(const std::string& relative)
{
    return std::string(KTA_STAGE_DIR) + "/pegasus/pegSchema/" + relative;
}

inline std::string describe(const RunResult& r)
{
    return "status " + std::to_string(r.status) + (r.timedOut ? " (timed out)" : "") +
           "\nstdout: " + r.out + "\nstderr: " + r.err;
}

inline std::string text(const Pegasus::String& s)
{
    return std::string(static_cast<const char*>(s.getCString()));
}

// The server of this test process.  The first start loads the server's own
// schemas (root/PG_Internal for cimconfig and cimserver -s, root/PG_InterOp
// for provider registration), as the plug-in does.
class Server
{
public:
    Server() : _process(new CimserverProcess) {}

    CimserverProcess& process() { return *_process; }
    const TempHome& home() const { return _process->home(); }
    unsigned port() const { return _process->port(); }

    ::testing::AssertionResult start(const std::vector<std::string>& extra = {})
    {
        RunResult r = _process->start(extra);
        if (r.status != 0)
            return ::testing::AssertionFailure() << "cimserver: " << describe(r);
        _running = true;
        if (_schemasLoaded)
            return ::testing::AssertionSuccess();
        for (const auto& load :
             {std::make_pair("root/PG_Internal", "PG_Internal/PG_Internal.mof"),
              std::make_pair("root/PG_InterOp", "PG_InterOp/PG_InterOp.mof")})
        {
            RunResult m = cimmof(load.first, schemaFile(load.second));
            if (m.status != 0)
                return ::testing::AssertionFailure()
                       << "cimmof " << load.second << ": " << describe(m);
        }
        _schemasLoaded = true;
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult ensureStarted()
    {
        return _running ? ::testing::AssertionSuccess() : start();
    }

    // cimserver -s; then makes sure the process is gone.
    RunResult stop()
    {
        _running = false;
        return _process->stop();
    }

    // SIGKILL, leaving the start file, lock and socket behind.
    void kill()
    {
        pid_t pid = _process->pid();
        if (pid > 0)
            ::kill(pid, SIGKILL);
        // Wait until the process is really gone so that a restart does not
        // race with it.
        for (int i = 0; i < 500 && pid > 0 && ::kill(pid, 0) == 0 &&
                        Pegasus::isCimserverProcess(pid);
             ++i)
            ::usleep(10000);
        _running = false;
    }

    RunResult run(const std::string& program,
                  const std::vector<std::string>& args) const
    {
        return _process->run(program, args, 60000);
    }

    RunResult cimmof(const std::string& ns, const std::string& file) const
    {
        return run("cimmof", {"-n", ns, file});
    }

    // Writes `mof` into the home directory and compiles it into `ns`.
    RunResult cimmofText(const std::string& ns, const std::string& name,
                         const std::string& mof) const
    {
        home().write(name, mof);
        return cimmof(ns, home().file(name));
    }

    void connect(Pegasus::CIMClient& client) const
    {
        client.connect("127.0.0.1", port(), Pegasus::String(), Pegasus::String());
    }

private:
    std::unique_ptr<CimserverProcess> _process;
    bool _running = false;
    bool _schemasLoaded = false;
};

// The process-wide server, started on first use; its destructor (at process
// exit) stops it.
inline Server& server()
{
    static Server instance;
    return instance;
}

// Runs `operation` and returns the CIM status code it failed with
// (CIM_ERR_SUCCESS if it did not throw a CIMException); the message goes to
// `message`.
inline Pegasus::CIMStatusCode statusOf(const std::function<void()>& operation,
                                       std::string* message = nullptr)
{
    try
    {
        operation();
    }
    catch (const Pegasus::CIMException& e)
    {
        if (message)
            *message = text(e.getMessage());
        return e.getCode();
    }
    return Pegasus::CIM_ERR_SUCCESS;
}

// Sends `bytes` on a fresh TCP connection and returns everything the server
// writes until it closes the connection (or 10 s pass without a byte).
inline std::string exchange(unsigned port, const std::string& bytes)
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    std::string answer;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
    {
        ::close(fd);
        return answer;
    }
    for (std::size_t sent = 0; sent < bytes.size();)
    {
        ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent,
                           MSG_NOSIGNAL);
        if (n <= 0)
            break;  // the server may answer and close before reading it all
        sent += static_cast<std::size_t>(n);
    }
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 10000) > 0)
    {
        char buffer[4096];
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer;
}

}  // namespace integration

#endif
