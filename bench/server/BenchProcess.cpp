#include "BenchProcess.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace bench {

namespace {

std::string errnoText(const std::string& what, int error)
{
    return what + ": " + std::strerror(error);
}

// Our environment with `extra` set on top of it, as "NAME=value" strings.
std::vector<std::string> mergedEnvironment(const Environment& extra)
{
    std::vector<std::string> merged;
    for (char** e = environ; *e != nullptr; ++e)
    {
        std::string entry(*e);
        std::string name = entry.substr(0, entry.find('='));
        bool overridden = false;
        for (const auto& kv : extra)
            overridden = overridden || kv.first == name;
        if (!overridden)
            merged.push_back(entry);
    }
    for (const auto& kv : extra)
        merged.push_back(kv.first + "=" + kv.second);
    return merged;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(&s[0]);
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void becomeSubreaper()
{
    if (::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0)
        throw std::runtime_error(errnoText("prctl(PR_SET_CHILD_SUBREAPER)", errno));
}

pid_t spawnProgram(const std::vector<std::string>& argv, const Environment& env,
                   const std::string& outputPath)
{
    std::vector<std::string> args(argv);
    std::vector<std::string> envStrings = mergedEnvironment(env);
    std::vector<char*> argp = pointersTo(args);
    std::vector<char*> envp = pointersTo(envStrings);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    int rc = ::posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error(errnoText("cannot start " + argv[0], rc));
    return pid;
}

ChildResult waitForChild(pid_t pid, Clock::time_point started)
{
    ChildResult result;
    int status = 0;
    struct rusage usage;
    std::memset(&usage, 0, sizeof(usage));
    pid_t rc;
    do
        rc = ::wait4(pid, &status, 0, &usage);
    while (rc < 0 && errno == EINTR);
    result.wallMs = millisecondsBetween(started);
    if (rc < 0)
        throw std::runtime_error(errnoText("wait4", errno));
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.cpuMs = usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 +
                   usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
    result.maxRssKb = usage.ru_maxrss;
    return result;
}

ChildResult runProgram(const std::vector<std::string>& argv, const Environment& env,
                       const std::string& outputPath)
{
    Clock::time_point started = Clock::now();
    return waitForChild(spawnProgram(argv, env, outputPath), started);
}

long procStatusKb(pid_t pid, const char* field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    const std::string prefix = std::string(field) + ":";
    while (std::getline(in, line))
    {
        if (line.compare(0, prefix.size(), prefix) == 0)
            return std::stol(line.substr(prefix.size()));
    }
    return -1;
}

long procPrivateKb(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string line;
    long total = -1;
    while (std::getline(in, line))
    {
        if (line.compare(0, 14, "Private_Clean:") == 0 ||
            line.compare(0, 14, "Private_Dirty:") == 0)
            total = (total < 0 ? 0 : total) + std::stol(line.substr(14));
    }
    return total;
}

long procThreadCount(pid_t pid)
{
    return procStatusKb(pid, "Threads");
}

bool resetPeakRss(pid_t pid)
{
    std::ofstream out("/proc/" + std::to_string(pid) + "/clear_refs");
    out << "5";
    out.flush();
    return static_cast<bool>(out);
}

std::uint64_t directoryBytes(const std::string& directory)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    std::uint64_t total = 0;
    for (fs::recursive_directory_iterator it(directory, ec), end; !ec && it != end;
         it.increment(ec))
    {
        if (it->is_regular_file(ec))
            total += it->file_size(ec);
    }
    return total;
}

std::string readTextFile(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace bench
