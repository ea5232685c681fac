#include "ListenSockets.h"

#include "SystemCalls.h"

#include "LocalSocketPath.h"

#include <Pegasus/Common/Exception.h>

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Pegasus {

namespace {

namespace net = boost::asio;
using boost::asio::ip::tcp;

[[noreturn]] void bindFailed(const std::string& where, int error)
{
    std::string text = "Failed to bind socket " + where + ": " +
                       std::error_code(error, std::system_category()).message() +
                       " (error code " + std::to_string(error) + ").";
    throw BindFailedException(String(text.c_str()));
}

std::string trim(const std::string& s)
{
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return std::string();
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool isAll(const std::string& s)
{
    if (s.size() != 3)
        return false;
    return (s[0] == 'A' || s[0] == 'a') && (s[1] == 'L' || s[1] == 'l') &&
           (s[2] == 'L' || s[2] == 'l');
}

// Whether a server accepts connections on the socket file at `path`.
bool someoneListens(SystemCalls& sys, const std::string& path)
{
    LocalSocketPath::Address address(path);
    if (!address.valid())
        return false;
    int fd = sys.socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool connected = sys.connect(fd, address.addr(), address.length()) == 0;
    sys.close(fd);
    return connected;
}

}  // namespace

std::vector<tcp::endpoint> listenEndpoints(const std::string& listenAddress,
                                           Uint32 port)
{
    std::vector<tcp::endpoint> endpoints;
    std::string rest = listenAddress;
    for (;;)
    {
        std::size_t comma = rest.find(',');
        std::string item = trim(rest.substr(0, comma));
        if (isAll(item) || (item.empty() && listenAddress.find(',') == std::string::npos))
        {
            endpoints.emplace_back(net::ip::address_v4::any(),
                                   static_cast<unsigned short>(port));
        }
        else
        {
            boost::system::error_code ec;
            net::ip::address address = net::ip::make_address(item, ec);
            if (ec)
                throw BindFailedException(
                    String(("Invalid listen address: " + item).c_str()));
            endpoints.emplace_back(address, static_cast<unsigned short>(port));
        }
        if (comma == std::string::npos)
            break;
        rest = rest.substr(comma + 1);
    }
    return endpoints;
}

void openTcpListener(tcp::acceptor& acceptor, const tcp::endpoint& endpoint,
                     SystemCalls& sys)
{
    const std::string where = "on port " + std::to_string(endpoint.port());
    const tcp protocol = endpoint.protocol();
    int fd = sys.socket(protocol.family(), SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        bindFailed(where, errno);
    const int on = 1;
    if (sys.setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        sys.bind(fd, endpoint.data(), static_cast<socklen_t>(endpoint.size())) != 0 ||
        sys.listen(fd, SOMAXCONN) != 0)
    {
        int error = errno;
        sys.close(fd);
        bindFailed(where, error);
    }
    boost::system::error_code ec;
    acceptor.assign(protocol, fd, ec);
    if (ec)
    {
        sys.close(fd);
        bindFailed(where, ec.value());
    }
}

void openLocalListener(net::local::stream_protocol::acceptor& acceptor,
                       const std::string& path, SystemCalls& sys)
{
    const std::string where = "on local socket " + path;

    struct stat st;
    if (sys.lstat(path.c_str(), &st) == 0)
    {
        // A socket file left by a server that is gone is ours to replace;
        // one that still answers, or a file of another kind, is not.
        if (!S_ISSOCK(st.st_mode) || someoneListens(sys, path))
            bindFailed(where, EADDRINUSE);
        sys.unlink(path.c_str());
    }

    LocalSocketPath::Address address(path);
    if (!address.valid())
        throw BindFailedException(
            String(("Failed to bind socket " + where + ": " + address.error())
                       .c_str()));

    int fd = sys.socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        bindFailed(where, errno);
    if (sys.bind(fd, address.addr(), address.length()) != 0)
    {
        int error = errno;
        sys.close(fd);
        bindFailed(where, error);
    }
    // Owner only, before anyone can connect: listen() has not been called,
    // so connection attempts until here are refused.
    if (sys.chmod(path.c_str(), S_IRUSR | S_IWUSR) != 0 ||
        sys.listen(fd, SOMAXCONN) != 0)
    {
        int error = errno;
        sys.close(fd);
        sys.unlink(path.c_str());
        bindFailed(where, error);
    }

    boost::system::error_code ec;
    acceptor.assign(net::local::stream_protocol(), fd, ec);
    if (ec)
    {
        sys.close(fd);
        sys.unlink(path.c_str());
        bindFailed(where, ec.value());
    }
}

}  // namespace Pegasus
