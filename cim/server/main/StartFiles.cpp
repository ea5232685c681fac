#include "StartFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

namespace {

// A name beside `path` that nobody can guess in advance, so that a file
// planted in a shared directory cannot stand in for our temporary file.
std::string temporaryNameFor(const std::string& path)
{
    static std::mutex mutex;
    static std::mt19937_64 generator{std::random_device{}()};
    std::lock_guard<std::mutex> lock(mutex);
    char suffix[24];
    std::snprintf(suffix, sizeof(suffix), ".%016llx",
                  static_cast<unsigned long long>(generator()));
    return path + suffix;
}

}  // namespace

void writePidFile(SystemCalls& sys, const std::string& path, pid_t pid)
{
    // Whatever sits at `path` is replaced by rename, never opened: a
    // symbolic link planted there is not followed.  A file of another user
    // is left alone.
    struct stat existing;
    if (::lstat(path.c_str(), &existing) == 0 &&
        existing.st_uid != ::geteuid())
        throw StartFileError("cannot write " + path +
                             ": it belongs to another user");

    const std::string text = std::to_string(pid) + "\n";
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt)
    {
        temporary = temporaryNameFor(path);
        fd = sys.open(temporary.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        throw StartFileError("cannot create " + path + ": " +
                             std::strerror(errno));
    // The mode is set explicitly: the umask may have narrowed it, never
    // widened it, but a reader relies on exactly 0600.
    bool written = sys.fchmod(fd, 0600) == 0 &&
                   writeAll(sys, fd, text.data(), text.size());
    int error = errno;
    if (sys.close(fd) != 0 && written)
    {
        written = false;
        error = errno;
    }
    if (written && sys.rename(temporary.c_str(), path.c_str()) != 0)
    {
        written = false;
        error = errno;
    }
    if (!written)
    {
        sys.unlink(temporary.c_str());
        throw StartFileError("cannot write " + path + ": " +
                             std::strerror(error));
    }
}

bool readPidFile(const std::string& path, pid_t& pid)
{
    // A process id is a few digits; anything much longer is no pid file.
    std::string text;
    if (readWholeFile(SystemCalls::real(), path, 64, text) != 0)
        return false;
    std::istringstream in(text);
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

bool holdsStartLock(const std::string& home, pid_t pid)
{
    struct stat lockFile;
    if (pid <= 0 || ::stat(startLockPath(home).c_str(), &lockFile) != 0)
        return false;
    const std::string fdDir = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(fdDir.c_str());
    if (dir == nullptr)
        return false;
    bool holds = false;
    while (!holds)
    {
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr)
            break;
        if (entry->d_name[0] == '.')
            continue;
        struct stat target;
        if (::stat((fdDir + "/" + entry->d_name).c_str(), &target) != 0 ||
            target.st_dev != lockFile.st_dev ||
            target.st_ino != lockFile.st_ino)
            continue;
        // The descriptor's own locks are listed in its fdinfo, one
        // "lock:\t1: FLOCK  ADVISORY  WRITE ..." line each.
        std::ifstream info("/proc/" + std::to_string(pid) + "/fdinfo/" +
                           entry->d_name);
        std::string line;
        while (std::getline(info, line))
            if (line.compare(0, 5, "lock:") == 0 &&
                line.find(" FLOCK ") != std::string::npos &&
                line.find(" WRITE ") != std::string::npos)
                holds = true;
    }
    ::closedir(dir);
    return holds;
}

bool startLockHeld(const std::string& home)
{
    int fd = ::open(startLockPath(home).c_str(),
                    O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

bool runningServer(const std::string& home, pid_t& pid)
{
    pid_t recorded = 0;
    if (!readPidFile(startFilePath(home), recorded))
        return false;
    if (recorded == ::getpid() || !holdsStartLock(home, recorded))
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
