// Opening the server's listening sockets, with the failure texts the
// cimserver program shows its user.  Internal to peghttpserver.
#ifndef KTA_CIM_SERVER_HTTP_LISTENSOCKETS_H
#define KTA_CIM_SERVER_HTTP_LISTENSOCKETS_H

#include <string>
#include <vector>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/local/stream_protocol.hpp>

#include <Pegasus/Common/Config.h>

namespace Pegasus {

class SystemCalls;

// The endpoints named by a listenAddress value: one address, a
// comma-separated list, or "All" (any IPv4 address).  Throws
// BindFailedException for a value that is not an address.
std::vector<boost::asio::ip::tcp::endpoint> listenEndpoints(
    const std::string& listenAddress, Uint32 port);

// Opens a socket for `endpoint` through `sys`, sets SO_REUSEADDR, binds
// and listens, and hands it to `acceptor` (closed on entry).  Throws
// BindFailedException with the message
// "Failed to bind socket on port <n>: <system text> (error code <errno>)."
// and leaves the acceptor closed and no socket open.
void openTcpListener(boost::asio::ip::tcp::acceptor& acceptor,
                     const boost::asio::ip::tcp::endpoint& endpoint,
                     SystemCalls& sys);

// Creates the Unix-domain socket at `path` (any length), mode 0600, and
// listens on it.  A stale socket file is removed first; if a server still
// answers on it, or the path is taken by something that is not a socket,
// the bind fails with EADDRINUSE.  Throws BindFailedException
// ("Failed to bind socket on local socket <path>: ...") and leaves nothing
// behind.
void openLocalListener(boost::asio::local::stream_protocol::acceptor& acceptor,
                       const std::string& path, SystemCalls& sys);

}  // namespace Pegasus

#endif
