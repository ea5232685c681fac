#include "LocalSocketPath.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace Pegasus {
namespace LocalSocketPath {

const char kSocketFileName[] = "cimxml.socket";

std::string pegasusHome()
{
    const char* home = std::getenv("PEGASUS_HOME");
    if (home == nullptr || *home == '\0')
        return ".";
    return home;
}

std::string socketPathUnder(const std::string& home)
{
    std::string path = home.empty() ? std::string(".") : home;
    if (path.back() != '/')
        path += '/';
    path += kSocketFileName;
    return path;
}

std::string socketPath()
{
    return socketPathUnder(pegasusHome());
}

Address::Address(const std::string& socketPath)
    : _length(0), _dirFd(-1), _valid(false)
{
    std::memset(&_addr, 0, sizeof(_addr));
    _addr.sun_family = AF_UNIX;

    // sun_path must hold the terminating NUL as well.
    if (socketPath.size() < sizeof(_addr.sun_path))
    {
        _kernelPath = socketPath;
    }
    else
    {
        // Too long for sun_path: open the directory and let the kernel walk
        // to it through this process's descriptor table.
        std::string::size_type slash = socketPath.rfind('/');
        std::string dir = slash == std::string::npos
            ? std::string(".")
            : (slash == 0 ? std::string("/") : socketPath.substr(0, slash));
        std::string name = slash == std::string::npos
            ? socketPath : socketPath.substr(slash + 1);

        _dirFd = ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (_dirFd < 0)
        {
            _error = "cannot open directory " + dir + ": " +
                std::strerror(errno);
            return;
        }
        _kernelPath = "/proc/self/fd/" + std::to_string(_dirFd) + "/" + name;
        if (_kernelPath.size() >= sizeof(_addr.sun_path))
        {
            _error = "socket file name too long: " + name;
            return;
        }
    }

    std::memcpy(_addr.sun_path, _kernelPath.c_str(), _kernelPath.size() + 1);
    _length = static_cast<socklen_t>(
        offsetof(sockaddr_un, sun_path) + _kernelPath.size() + 1);
    _valid = true;
}

Address::~Address()
{
    if (_dirFd >= 0)
        ::close(_dirFd);
}

} // namespace LocalSocketPath
} // namespace Pegasus
