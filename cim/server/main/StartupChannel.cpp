#include "StartupChannel.h"

#include <cerrno>
#include <chrono>

#include <poll.h>

namespace Pegasus {

namespace {

// The child's report: one letter, then for a failure the reason.
const char kReady = 'R';
const char kFailure = 'E';

// A reason longer than this is cut; the parent prints one line.
const size_t kMaxReport = 4096;

}  // namespace

StartupChannel::StartupChannel(SystemCalls& sys)
    : _sys(sys), _read(-1), _write(-1)
{
}

StartupChannel::~StartupChannel()
{
    if (_read >= 0)
        _sys.close(_read);
    if (_write >= 0)
        _sys.close(_write);
}

bool StartupChannel::open()
{
    int fds[2];
    if (_sys.pipe(fds) != 0)
        return false;
    _read = fds[0];
    _write = fds[1];
    return true;
}

void StartupChannel::becomeChild()
{
    if (_read >= 0)
        _sys.close(_read);
    _read = -1;
}

void StartupChannel::becomeParent()
{
    if (_write >= 0)
        _sys.close(_write);
    _write = -1;
}

void StartupChannel::report(const std::string& message)
{
    if (_write < 0)
        return;
    // The parent may already be gone; a failed write changes nothing here.
    writeAll(_sys, _write, message.data(), message.size());
    _sys.close(_write);
    _write = -1;
}

void StartupChannel::reportReady()
{
    report(std::string(1, kReady));
}

void StartupChannel::reportFailure(const std::string& reason)
{
    report(std::string(1, kFailure) + reason.substr(0, kMaxReport));
}

StartupChannel::Outcome StartupChannel::waitForChild(int timeoutMs,
                                                     std::string& reason)
{
    reason.clear();
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(timeoutMs);
    for (;;)
    {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0)
            return TimedOut;
        pollfd pfd = {_read, POLLIN, 0};
        int ready = ::poll(&pfd, 1, static_cast<int>(left));
        if (ready < 0)
        {
            if (errno == EINTR)
                continue;
            return Vanished;
        }
        if (ready == 0)
            return TimedOut;
        char buffer[512];
        ssize_t n = _sys.read(_read, buffer, sizeof(buffer));
        if (n < 0)
        {
            if (errno == EINTR)
                continue;
            return Vanished;
        }
        if (n == 0)
            break;
        received.append(buffer, static_cast<size_t>(n));
        if (received.size() > kMaxReport + 1)
            break;
    }
    if (received.empty())
        return Vanished;
    if (received[0] == kReady)
        return Ready;
    if (received[0] == kFailure)
    {
        reason = received.substr(1);
        return Failed;
    }
    return Vanished;
}

}  // namespace Pegasus
