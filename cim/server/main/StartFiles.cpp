#include "StartFiles.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "ConfigProperties.h"

namespace Pegasus {

std::string startFilePath(const std::string& home)
{
    return resolveAgainstHome(home, "cimserver_start.conf");
}

std::string startLockPath(const std::string& home)
{
    return resolveAgainstHome(home, "cimserver_start.lock");
}

void writePidFile(SystemCalls& sys, const std::string& path, pid_t pid)
{
    const std::string text = std::to_string(pid) + "\n";
    int fd = sys.open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                      0600);
    if (fd < 0)
        throw StartFileError("cannot create " + path + ": " +
                             std::strerror(errno));
    // An existing file keeps its old mode through O_CREAT.
    if (sys.fchmod(fd, 0600) != 0 ||
        !writeAll(sys, fd, text.data(), text.size()))
    {
        std::string message =
            "cannot write " + path + ": " + std::strerror(errno);
        sys.close(fd);
        sys.unlink(path.c_str());
        throw StartFileError(message);
    }
    if (sys.close(fd) != 0)
    {
        std::string message =
            "cannot write " + path + ": " + std::strerror(errno);
        sys.unlink(path.c_str());
        throw StartFileError(message);
    }
}

bool readPidFile(const std::string& path, pid_t& pid)
{
    std::ifstream in(path);
    if (!in)
        return false;
    long long value = 0;
    if (!(in >> value) || value <= 0 || value > 0x7FFFFFFF)
        return false;
    pid = static_cast<pid_t>(value);
    return true;
}

void removePidFileOf(SystemCalls& sys, const std::string& path, pid_t pid)
{
    pid_t recorded = 0;
    if (readPidFile(path, recorded) && recorded == pid)
        sys.unlink(path.c_str());
}

bool processName(pid_t pid, std::string& name, bool& alive)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    if (!in)
        return false;
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string stat = buffer.str();
    // "<pid> (<comm>) <state> ..."; comm may itself hold ')' so the last one
    // closes it.
    std::string::size_type open = stat.find('(');
    std::string::size_type close = stat.rfind(')');
    if (open == std::string::npos || close == std::string::npos ||
        close < open || close + 2 >= stat.size())
        return false;
    name = stat.substr(open + 1, close - open - 1);
    char state = stat[close + 2];
    alive = state != 'Z' && state != 'X' && state != 'x';
    return true;
}

bool isCimserverProcess(pid_t pid)
{
    std::string name;
    bool alive = false;
    return processName(pid, name, alive) && alive && name == "cimserver";
}

bool runningServer(const std::string& home, pid_t& pid)
{
    pid_t recorded = 0;
    if (!readPidFile(startFilePath(home), recorded))
        return false;
    if (recorded == ::getpid() || recorded == ::getppid())
        return false;
    if (!isCimserverProcess(recorded))
        return false;
    pid = recorded;
    return true;
}

StartLock::StartLock(SystemCalls& sys, const std::string& home)
    : _sys(sys), _path(startLockPath(home)), _fd(-1)
{
}

StartLock::~StartLock()
{
    if (_fd >= 0)
        _sys.close(_fd);
}

bool StartLock::tryAcquire()
{
    if (_fd < 0)
    {
        _fd = _sys.open(_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (_fd < 0)
            throw StartFileError("cannot open " + _path + ": " +
                                 std::strerror(errno));
    }
    for (;;)
    {
        if (_sys.flock(_fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno == EWOULDBLOCK)
            return false;
        throw StartFileError("cannot lock " + _path + ": " +
                             std::strerror(errno));
    }
}

void StartLock::releaseAndRemove()
{
    if (_fd < 0)
        return;
    // Unlink while still holding the lock, so that no other server can
    // have locked the file we remove.
    _sys.unlink(_path.c_str());
    _sys.close(_fd);
    _fd = -1;
}

}  // namespace Pegasus
