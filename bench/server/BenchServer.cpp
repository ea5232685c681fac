#include "BenchServer.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/Constants.h>

namespace bench {

namespace {

// Servers running now, for the signal handler: it may only kill().
const int kMaxServers = 16;
std::atomic<pid_t> gRunning[kMaxServers];

void remember(pid_t pid)
{
    for (auto& slot : gRunning)
    {
        pid_t empty = 0;
        if (slot.compare_exchange_strong(empty, pid))
            return;
    }
}

void forget(pid_t pid)
{
    for (auto& slot : gRunning)
    {
        pid_t expected = pid;
        slot.compare_exchange_strong(expected, 0);
    }
}

extern "C" void killServersAndLeave(int signal)
{
    for (auto& slot : gRunning)
    {
        pid_t pid = slot.load();
        if (pid > 0)
            ::kill(pid, SIGKILL);
    }
    ::_exit(128 + signal);
}

void installSignalCleanup()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = killServersAndLeave;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

// Waits for `pid` for at most `timeoutMs`; true if it was reaped.
bool reapWithin(pid_t pid, int timeoutMs)
{
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;)
    {
        int status = 0;
        pid_t rc = ::waitpid(pid, &status, WNOHANG);
        if (rc == pid || (rc < 0 && errno == ECHILD))
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

unsigned freeTcpPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket: " + std::string(std::strerror(errno)));
    sockaddr_in address;
    std::memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    {
        int error = errno;
        ::close(fd);
        throw std::runtime_error("cannot find a free port: " + std::string(std::strerror(error)));
    }
    ::close(fd);
    return ntohs(address.sin_port);
}

BenchServer::BenchServer(const StagePaths& paths) : _paths(paths)
{
    installSignalCleanup();
    std::string pattern = (std::filesystem::temp_directory_path() / "bench-cimserver.XXXXXX").string();
    if (::mkdtemp(&pattern[0]) == nullptr)
        throw std::runtime_error("mkdtemp: " + std::string(std::strerror(errno)));
    _home = pattern;
    _port = freeTcpPort();
}

BenchServer::~BenchServer()
{
    if (running())
    {
        try
        {
            stop();
        }
        catch (const std::exception&)
        {
            forceStop();
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(_home, ignored);
}

BenchServer::StartTimes BenchServer::start()
{
    if (running())
        throw std::logic_error("the server is already running");
    const std::string startFile = _home + "/bench-start.pid";
    ::unlink(startFile.c_str());
    StartTimes times;
    Clock::time_point started = Clock::now();
    ChildResult command = runProgram(
        {_paths.program("cimserver"), "httpPort=" + std::to_string(_port),
         "enableHttpsConnection=false", "enableAuthentication=false", "startFile=" + startFile},
        {{"PEGASUS_HOME", _home}}, _home + "/bench-start.out");
    times.commandMs = command.wallMs;
    if (command.exitCode != 0)
        throw std::runtime_error("cimserver did not start: " + readTextFile(_home + "/bench-start.out"));
    std::string pidText = readTextFile(startFile);
    _pid = static_cast<pid_t>(std::atol(pidText.c_str()));
    if (_pid <= 0)
        throw std::runtime_error("cimserver wrote no process id to " + startFile);
    remember(_pid);
    waitUntilAnswering(started + std::chrono::seconds(30));
    times.readyMs = millisecondsBetween(started);
    return times;
}

void BenchServer::waitUntilAnswering(Clock::time_point deadline)
{
    using namespace Pegasus;
    for (;;)
    {
        CIMClient client;
        client.setTimeout(5000);
        try
        {
            client.connect("127.0.0.1", _port, String(), String());
            client.enumerateInstanceNames(PEGASUS_NAMESPACENAME_CONFIG,
                                          PEGASUS_CLASSNAME_CONFIGSETTING);
            return;
        }
        catch (const Exception& e)
        {
            if (Clock::now() >= deadline)
                throw std::runtime_error(std::string("the server does not answer: ") +
                                         (const char*)e.getMessage().getCString());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

BenchServer::StopTimes BenchServer::stop()
{
    if (!running())
        throw std::logic_error("the server is not running");
    StopTimes times;
    Clock::time_point started = Clock::now();
    pid_t command = spawnProgram({_paths.program("cimserver"), "-s"}, {{"PEGASUS_HOME", _home}},
                                 _home + "/bench-stop.out");
    int commandStatus = 0;
    // Both are our children: reap whichever ends first, then give the server
    // a while longer if the command came back before it had gone.
    bool serverDone = false;
    for (;;)
    {
        int status = 0;
        pid_t pid = ::waitpid(-1, &status, 0);
        if (pid < 0)
        {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("waitpid: " + std::string(std::strerror(errno)));
        }
        if (pid == _pid)
        {
            serverDone = true;
            times.exitedMs = millisecondsBetween(started);
        }
        else if (pid == command)
        {
            commandStatus = status;
            times.commandMs = millisecondsBetween(started);
            break;
        }
    }
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(40);
    while (!serverDone)
    {
        int status = 0;
        pid_t rc = ::waitpid(_pid, &status, WNOHANG);
        if (rc == _pid || (rc < 0 && errno == ECHILD))
        {
            serverDone = true;
            times.exitedMs = millisecondsBetween(started);
        }
        else if (Clock::now() >= deadline)
        {
            forceStop();
            throw std::runtime_error("the server did not exit after cimserver -s");
        }
        else
        {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    forget(_pid);
    _pid = 0;
    if (!WIFEXITED(commandStatus) || WEXITSTATUS(commandStatus) != 0)
        throw std::runtime_error("cimserver -s failed: " + readTextFile(_home + "/bench-stop.out"));
    return times;
}

void BenchServer::forceStop()
{
    if (_pid <= 0)
        return;
    ::kill(_pid, SIGKILL);
    reapWithin(_pid, 5000);
    forget(_pid);
    _pid = 0;
}

ChildResult BenchServer::runTool(const std::string& name, const std::vector<std::string>& args,
                                 const std::string& outputPath) const
{
    std::vector<std::string> argv{_paths.program(name)};
    argv.insert(argv.end(), args.begin(), args.end());
    return runProgram(argv, {{"PEGASUS_HOME", _home}}, outputPath);
}

}  // namespace bench
