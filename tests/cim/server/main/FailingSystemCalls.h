// A SystemCalls that fails chosen calls: a test names the call and which of
// its invocations (1-based; 0 = every one) fails with which errno.
#ifndef KTA_TESTS_CIM_SERVER_MAIN_FAILINGSYSTEMCALLS_H
#define KTA_TESTS_CIM_SERVER_MAIN_FAILINGSYSTEMCALLS_H

#include <cerrno>
#include <map>
#include <string>

#include "SystemCalls.h"

class FailingSystemCalls : public Pegasus::SystemCalls
{
public:
    void failOn(const std::string& call, int nth, int error)
    {
        _rules[call] = Rule{nth, error};
    }

    int open(const char* p, int f, mode_t m) override
    {
        return fails("open") ? -1 : SystemCalls::open(p, f, m);
    }
    ssize_t read(int fd, void* b, size_t n) override
    {
        return fails("read") ? -1 : SystemCalls::read(fd, b, n);
    }
    ssize_t write(int fd, const void* b, size_t n) override
    {
        return fails("write") ? -1 : SystemCalls::write(fd, b, n);
    }
    int fsync(int fd) override
    {
        return fails("fsync") ? -1 : SystemCalls::fsync(fd);
    }
    int rename(const char* a, const char* b) override
    {
        return fails("rename") ? -1 : SystemCalls::rename(a, b);
    }
    int unlink(const char* p) override
    {
        return fails("unlink") ? -1 : SystemCalls::unlink(p);
    }
    int flock(int fd, int op) override
    {
        return fails("flock") ? -1 : SystemCalls::flock(fd, op);
    }
    int pipe(int fds[2]) override
    {
        return fails("pipe") ? -1 : SystemCalls::pipe(fds);
    }
    pid_t fork() override
    {
        return fails("fork") ? -1 : SystemCalls::fork();
    }
    int socket(int domain, int type, int protocol) override
    {
        return fails("socket") ? -1 : SystemCalls::socket(domain, type, protocol);
    }
    int setsockopt(int fd, int level, int name, const void* v, socklen_t n) override
    {
        return fails("setsockopt") ? -1 : SystemCalls::setsockopt(fd, level, name, v, n);
    }
    int bind(int fd, const struct sockaddr* a, socklen_t n) override
    {
        return fails("bind") ? -1 : SystemCalls::bind(fd, a, n);
    }
    int listen(int fd, int backlog) override
    {
        return fails("listen") ? -1 : SystemCalls::listen(fd, backlog);
    }
    int chmod(const char* p, mode_t mode) override
    {
        return fails("chmod") ? -1 : SystemCalls::chmod(p, mode);
    }
    int access(const char* p, int mode) override
    {
        return fails("access") ? -1 : SystemCalls::access(p, mode);
    }

    int pidfdOpen(pid_t pid) override
    {
        return fails("pidfdOpen") ? -1 : SystemCalls::pidfdOpen(pid);
    }
    int poll(struct pollfd* fds, nfds_t n, int timeoutMs) override
    {
        return fails("poll") ? -1 : SystemCalls::poll(fds, n, timeoutMs);
    }

    int calls(const std::string& call) const
    {
        auto it = _counts.find(call);
        return it == _counts.end() ? 0 : it->second;
    }

private:
    struct Rule
    {
        int nth;
        int error;
    };

    bool fails(const std::string& call)
    {
        int count = ++_counts[call];
        auto it = _rules.find(call);
        if (it == _rules.end())
            return false;
        if (it->second.nth != 0 && it->second.nth != count)
            return false;
        errno = it->second.error;
        return true;
    }

    std::map<std::string, Rule> _rules;
    std::map<std::string, int> _counts;
};

#endif
