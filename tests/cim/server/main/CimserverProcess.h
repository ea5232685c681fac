// Runs the staged CIM programs the way the plug-in does: with an
// environment of exactly PEGASUS_HOME, LD_LIBRARY_PATH and PATH, their
// output collected through pipes until every holder has closed them.
//
// CimserverProcess owns a temporary PEGASUS_HOME, a free port and a
// temporary start file, and always stops the server it started: with
// "cimserver -s" and then SIGKILL of whatever the start file still names.
#ifndef KTA_TESTS_CIM_SERVER_MAIN_CIMSERVERPROCESS_H
#define KTA_TESTS_CIM_SERVER_MAIN_CIMSERVERPROCESS_H

#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "StartFiles.h"
#include "TempHome.h"

struct RunResult
{
    int status = -1;      // exit status; -1 if it did not exit normally
    std::string out;
    std::string err;
    bool timedOut = false;
    std::chrono::milliseconds elapsed{0};
};

inline std::string stagedProgram(const std::string& name)
{
    return std::string(KTA_STAGE_DIR) + "/pegasus/bin/" + name;
}

// A TCP port on 127.0.0.1 that was free a moment ago.
inline unsigned freePort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr;
    std::memset(&addr, 0, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof(addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
    {
        ::close(fd);
        return 0;
    }
    ::close(fd);
    return ntohs(addr.sin_port);
}

// Runs `program` with `args` and the given environment; collects stdout and
// stderr until both pipes are closed (by the program and anything it left
// running), then reaps the program.
inline RunResult runProgram(const std::string& program,
                            const std::vector<std::string>& args,
                            const std::vector<std::string>& env,
                            int timeoutMs = 30000)
{
    RunResult result;
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return result;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = ::fork();
    if (pid == 0)
    {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, STDIN_FILENO);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const std::string& e : env)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0)
    {
        auto left = timeoutMs - std::chrono::duration_cast<
            std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                       start).count();
        if (left <= 0)
        {
            result.timedOut = true;
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left)) <= 0)
            continue;
        for (int i = 0; i < 2; ++i)
        {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buffer[4096];
            ssize_t n = ::read(fds[i].fd, buffer, sizeof(buffer));
            if (n <= 0)
            {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? result.out : result.err).append(buffer, n);
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0)
            ::close(f.fd);
    if (result.timedOut)
        ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    if (WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    return result;
}

// A live process whose name is "cimserver" but which serves no home: a
// link to sleep(1) under that name.
class DecoyCimserver
{
public:
    explicit DecoyCimserver(const TempHome& dir)
    {
        const std::string link = dir.file("cimserver");
        if (::symlink("/bin/sleep", link.c_str()) != 0)
            throw std::runtime_error("cannot link /bin/sleep");
        _pid = ::fork();
        if (_pid == 0)
        {
            ::execl(link.c_str(), "cimserver", "60", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 500 && !Pegasus::isCimserverProcess(_pid); ++i)
            ::usleep(2000);
    }
    ~DecoyCimserver()
    {
        ::kill(_pid, SIGKILL);
        ::waitpid(_pid, nullptr, 0);
    }
    pid_t pid() const { return _pid; }

private:
    pid_t _pid = -1;
};

class CimserverProcess
{
public:
    CimserverProcess()
        : _home(new TempHome),
          _port(freePort()),
          _startFile(_home->file("plugin_start.conf"))
    {
    }

    ~CimserverProcess() { stop(); }

    CimserverProcess(const CimserverProcess&) = delete;
    CimserverProcess& operator=(const CimserverProcess&) = delete;

    const TempHome& home() const { return *_home; }
    unsigned port() const { return _port; }
    const std::string& startFile() const { return _startFile; }

    // The plug-in's environment: exactly these three entries.
    std::vector<std::string> environment() const
    {
        return {"PEGASUS_HOME=" + _home->path(),
                std::string("LD_LIBRARY_PATH=") + KTA_STAGE_DIR +
                    "/pegasus/lib",
                "PATH=/usr/bin:/bin"};
    }

    RunResult run(const std::string& program,
                  const std::vector<std::string>& args,
                  int timeoutMs = 30000) const
    {
        return runProgram(stagedProgram(program), args, environment(),
                          timeoutMs);
    }

    // The plug-in's start line plus a private start file and `extra`.
    RunResult start(const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> args = {
            "httpPort=" + std::to_string(_port),
            "enableHttpsConnection=false", "enableAuthentication=false",
            "startFile=" + _startFile};
        args.insert(args.end(), extra.begin(), extra.end());
        _started = true;
        return run("cimserver", args);
    }

    // start(), run under a file-size limit of `blocks` 512-byte blocks.
    RunResult startWithFileSizeLimit(unsigned blocks)
    {
        std::vector<std::string> args = {
            "-c", "ulimit -f " + std::to_string(blocks) + " && exec \"$0\" \"$@\"",
            stagedProgram("cimserver"), "httpPort=" + std::to_string(_port),
            "startFile=" + _startFile};
        _started = true;
        return runProgram("/bin/sh", args, environment());
    }

    pid_t pid() const
    {
        pid_t pid = 0;
        Pegasus::readPidFile(Pegasus::startFilePath(_home->path()), pid);
        return pid;
    }

    // Stops the server (if any) and makes sure nothing it started lives on.
    RunResult stop()
    {
        RunResult result;
        if (!_started)
            return result;
        pid_t before = pid();
        result = run("cimserver", {"-s"});
        for (pid_t p : {before, pid()})
            if (p > 0 && Pegasus::isCimserverProcess(p))
                ::kill(p, SIGKILL);
        _started = false;
        return result;
    }

private:
    std::unique_ptr<TempHome> _home;
    unsigned _port;
    std::string _startFile;
    bool _started = false;
};

#endif
