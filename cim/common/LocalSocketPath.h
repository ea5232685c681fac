#ifndef KTA_CIM_COMMON_LOCALSOCKETPATH_H
#define KTA_CIM_COMMON_LOCALSOCKETPATH_H

// Where the CIM server's local (Unix-domain) socket lives, and how to address
// it even when its path does not fit into a sockaddr_un.
//
// The server listens on a socket named "cimxml.socket" directly under
// PEGASUS_HOME (the environment variable; the current directory when it is
// unset or empty).  Client and server both take the path from here.

#include <string>

#include <sys/socket.h>
#include <sys/un.h>

namespace Pegasus {
namespace LocalSocketPath {

// File name of the socket inside PEGASUS_HOME.
extern const char kSocketFileName[];

// The value of PEGASUS_HOME, or "." when it is unset or empty.
std::string pegasusHome();

// pegasusHome() + "/" + kSocketFileName.
std::string socketPath();

// The socket path of the server whose home directory is `home`.
std::string socketPathUnder(const std::string& home);

// A sockaddr_un for a socket path of any length.
//
// A path that fits sun_path is used directly.  A longer one is reached
// through its directory: the directory is opened with O_PATH and the address
// becomes "/proc/self/fd/<n>/<file name>".  The descriptor stays open for the
// lifetime of this object, so connect()/bind() must be called while it lives;
// the kernel resolves the path at that moment.
//
// Failure (the directory cannot be opened) is reported by valid() == false
// and error(); nothing throws.  Not copyable.  Not thread-safe: use one object
// per connect/bind.
class Address
{
public:
    explicit Address(const std::string& socketPath);
    ~Address();

    Address(const Address&) = delete;
    Address& operator=(const Address&) = delete;

    bool valid() const { return _valid; }
    const std::string& error() const { return _error; }

    // The path handed to the kernel (either the original one or the
    // /proc/self/fd form).
    const std::string& kernelPath() const { return _kernelPath; }

    const sockaddr* addr() const
    {
        return reinterpret_cast<const sockaddr*>(&_addr);
    }
    socklen_t length() const { return _length; }

private:
    sockaddr_un _addr;
    socklen_t _length;
    int _dirFd;
    bool _valid;
    std::string _kernelPath;
    std::string _error;
};

} // namespace LocalSocketPath
} // namespace Pegasus

#endif
