// The operating-system calls the server's start-up, configuration files,
// start files and connections make.  Everything goes through one
// SystemCalls object so that a test can make any single call fail (or
// return EINTR) and check that the failure is reported.
//
// Each member has the contract of the system call it is named after: the
// result is the call's own (-1 with errno set on failure).  The real
// implementation is stateless and safe to use from any thread.
#ifndef KTA_CIM_SERVER_MAIN_SYSTEMCALLS_H
#define KTA_CIM_SERVER_MAIN_SYSTEMCALLS_H

#include <string>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace Pegasus {

class SystemCalls
{
public:
    virtual ~SystemCalls() {}

    virtual int open(const char* path, int flags, mode_t mode);
    virtual ssize_t read(int fd, void* buffer, size_t count);
    virtual ssize_t write(int fd, const void* buffer, size_t count);
    virtual int close(int fd);
    virtual int fsync(int fd);
    virtual int fchmod(int fd, mode_t mode);
    virtual int rename(const char* from, const char* to);
    virtual int unlink(const char* path);
    virtual int mkdir(const char* path, mode_t mode);
    virtual int flock(int fd, int operation);
    virtual int kill(pid_t pid, int signal);
    virtual pid_t fork();
    virtual int pipe(int fds[2]);
    virtual int setsockopt(int fd, int level, int name, const void* value,
                           socklen_t length);
    virtual int getsockopt(int fd, int level, int name, void* value,
                           socklen_t* length);
    virtual int fstat(int fd, struct stat* status);
    virtual int lstat(const char* path, struct stat* status);
    virtual int chmod(const char* path, mode_t mode);
    virtual int socket(int domain, int type, int protocol);
    virtual int bind(int fd, const struct sockaddr* address, socklen_t length);
    virtual int listen(int fd, int backlog);
    virtual int connect(int fd, const struct sockaddr* address, socklen_t length);
    virtual int access(const char* path, int mode);
    virtual int dup2(int from, int to);
    virtual pid_t setsid();
    // pidfd_open(2): a descriptor that becomes readable when `pid` exits;
    // -1 with ENOSYS where the system has none.
    virtual int pidfdOpen(pid_t pid);
    virtual int poll(struct pollfd* fds, nfds_t count, int timeoutMs);

    // The process-wide real implementation.
    static SystemCalls& real();
};

// Writes all of `size` bytes, retrying short writes and EINTR.  Returns false
// with errno set when a write fails.
bool writeAll(SystemCalls& sys, int fd, const void* data, size_t size);

// Reads the whole of `path`, a regular file or a FIFO, into `content`.
// Returns 0, or the errno value of what failed: the open or a read, EFBIG
// when it holds more than `maxSize` bytes, EINVAL when it is something
// else (a directory, a device).  `content` is unspecified after a failure.
int readWholeFile(SystemCalls& sys, const std::string& path, size_t maxSize,
                  std::string& content);

// Creates directory `path` and its missing parents with `mode`.  True when
// it exists (as a directory) afterwards.
bool makeDirectories(SystemCalls& sys, const std::string& path, mode_t mode);

}  // namespace Pegasus

#endif
