#include "SystemCalls.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
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

int SystemCalls::setsockopt(int fd, int level, int name, const void* value,
                            socklen_t length)
{
    return ::setsockopt(fd, level, name, value, length);
}

int SystemCalls::getsockopt(int fd, int level, int name, void* value,
                            socklen_t* length)
{
    return ::getsockopt(fd, level, name, value, length);
}

int SystemCalls::fstat(int fd, struct stat* status)
{
    return ::fstat(fd, status);
}

int SystemCalls::lstat(const char* path, struct stat* status)
{
    return ::lstat(path, status);
}

int SystemCalls::chmod(const char* path, mode_t mode)
{
    return ::chmod(path, mode);
}

int SystemCalls::socket(int domain, int type, int protocol)
{
    return ::socket(domain, type, protocol);
}

int SystemCalls::bind(int fd, const struct sockaddr* address, socklen_t length)
{
    return ::bind(fd, address, length);
}

int SystemCalls::listen(int fd, int backlog)
{
    return ::listen(fd, backlog);
}

int SystemCalls::connect(int fd, const struct sockaddr* address, socklen_t length)
{
    return ::connect(fd, address, length);
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

int SystemCalls::pidfdOpen(pid_t pid)
{
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

int SystemCalls::poll(struct pollfd* fds, nfds_t count, int timeoutMs)
{
    return ::poll(fds, count, timeoutMs);
}

SystemCalls& SystemCalls::real()
{
    // Never destroyed: objects destroyed at exit (a test's shared server,
    // a start file's clean-up) still make system calls through it.
    static SystemCalls* const instance = new SystemCalls;
    return *instance;
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

int readWholeFile(SystemCalls& sys, const std::string& path, size_t maxSize,
                  std::string& content)
{
    int fd = sys.open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0)
        return errno;
    int error = 0;
    struct stat status;
    if (sys.fstat(fd, &status) != 0)
        error = errno;
    else if (!S_ISREG(status.st_mode) && !S_ISFIFO(status.st_mode))
        error = EINVAL;
    else if (S_ISREG(status.st_mode) && static_cast<unsigned long long>(status.st_size) > maxSize)
        error = EFBIG;
    content.clear();
    if (error == 0 && S_ISREG(status.st_mode))
        content.reserve(static_cast<size_t>(status.st_size));
    char buffer[65536];
    while (error == 0)
    {
        ssize_t n = sys.read(fd, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            error = errno;
        else if (n == 0)
            break;
        else if (content.size() + static_cast<size_t>(n) > maxSize)
            error = EFBIG;
        else
            content.append(buffer, static_cast<size_t>(n));
    }
    sys.close(fd);
    return error;
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
