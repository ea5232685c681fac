#include "SystemCalls.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Pegasus {

int SystemCalls::open(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

ssize_t SystemCalls::read(int fd, void* buffer, size_t count)
{
    return ::read(fd, buffer, count);
}

ssize_t SystemCalls::write(int fd, const void* buffer, size_t count)
{
    return ::write(fd, buffer, count);
}

int SystemCalls::close(int fd)
{
    return ::close(fd);
}

int SystemCalls::fsync(int fd)
{
    return ::fsync(fd);
}

int SystemCalls::fchmod(int fd, mode_t mode)
{
    return ::fchmod(fd, mode);
}

int SystemCalls::rename(const char* from, const char* to)
{
    return ::rename(from, to);
}

int SystemCalls::unlink(const char* path)
{
    return ::unlink(path);
}

int SystemCalls::mkdir(const char* path, mode_t mode)
{
    return ::mkdir(path, mode);
}

int SystemCalls::flock(int fd, int operation)
{
    return ::flock(fd, operation);
}

int SystemCalls::kill(pid_t pid, int signal)
{
    return ::kill(pid, signal);
}

pid_t SystemCalls::fork()
{
    return ::fork();
}

int SystemCalls::pipe(int fds[2])
{
    return ::pipe2(fds, O_CLOEXEC);
}

int SystemCalls::getsockopt(int fd, int level, int name, void* value,
                            socklen_t* length)
{
    return ::getsockopt(fd, level, name, value, length);
}

int SystemCalls::access(const char* path, int mode)
{
    return ::access(path, mode);
}

int SystemCalls::dup2(int from, int to)
{
    return ::dup2(from, to);
}

pid_t SystemCalls::setsid()
{
    return ::setsid();
}

SystemCalls& SystemCalls::real()
{
    static SystemCalls instance;
    return instance;
}

bool writeAll(SystemCalls& sys, int fd, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0)
    {
        ssize_t n = sys.write(fd, p, size);
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool makeDirectories(SystemCalls& sys, const std::string& path, mode_t mode)
{
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    std::string::size_type slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 &&
        !makeDirectories(sys, path.substr(0, slash), mode))
        return false;
    return sys.mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

}  // namespace Pegasus
