// One client connection of the HTTP front end: reads requests one after the
// other (HTTP/1.1 keep-alive), has each checked, processed and answered, and
// closes on error, on request, on time-out or when the server stops.
// Internal to peghttpserver.
#ifndef KTA_CIM_SERVER_HTTP_HTTPCONNECTION_H
#define KTA_CIM_SERVER_HTTP_HTTPCONNECTION_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/local/stream_protocol.hpp>

namespace Pegasus {

struct HttpServerOptions;
class RequestProcessor;

class HttpConnection;

// What a connection needs from the server that owns it.  All members are
// called from the server's I/O threads and must be thread-safe.
class HttpConnectionHost
{
public:
    virtual ~HttpConnectionHost() {}

    virtual const HttpServerOptions& options() const = 0;
    virtual RequestProcessor& processor() = 0;

    // The options that may change while the server runs; use these rather
    // than the fields of options().
    virtual std::size_t maxRequestBytes() const = 0;
    virtual unsigned idleTimeoutSeconds() const = 0;
    virtual unsigned writeTimeoutSeconds() const = 0;

    // True once the server has begun to stop: connections answer what they
    // hold and close instead of waiting for another request.
    virtual bool stopping() const = 0;

    // Bracket every call of RequestProcessor::process(), which may block for
    // long; the server keeps enough threads for the other connections.
    virtual void enterProcessing() = 0;
    virtual void leaveProcessing() = 0;

    // The connection has finished with a request (answered or not) and let
    // go of what it held for it.
    virtual void requestFinished() = 0;

    // Called from the connection's destructor.
    virtual void connectionClosed(HttpConnection* connection) = 0;
};

// Owned by shared pointers: the connection keeps itself alive while it has
// an operation pending and dies when it is closed and idle.
class HttpConnection : public std::enable_shared_from_this<HttpConnection>
{
public:
    virtual ~HttpConnection() {}

    // Begins reading the first request.  Call once.
    virtual void start() = 0;

    // The server is stopping: a connection waiting for a request closes now;
    // one reading, processing or answering a request finishes that request
    // and then closes.  Thread-safe.
    virtual void notifyStop() = 0;

    // Closes the connection if the deadline of what it is waiting for (a
    // request, the rest of one, the client taking its answer) lies before
    // `now` (std::chrono::steady_clock ticks).  The server calls this
    // periodically.  Thread-safe.
    virtual void expireIfOverdue(std::int64_t now) = 0;

    // When the connection began to wait for its client to send a request
    // (steady_clock ticks): the time of its last answer, or of its start.
    // 0 while it owes the client an answer, and once it is closing.
    // Thread-safe.
    virtual std::int64_t waitingSince() const = 0;

    // Closes the connection if it is still waiting for the request it was
    // waiting for at `since` (the value waitingSince() gave); true when it
    // will close.  At most one caller succeeds.  Thread-safe.
    virtual bool evict(std::int64_t since) = 0;
};

// The socket's executor must be a strand (or otherwise serialise the
// connection's handlers).  `host` must outlive the connection.
std::shared_ptr<HttpConnection> makeHttpConnection(
    HttpConnectionHost& host, boost::asio::ip::tcp::socket&& socket);
std::shared_ptr<HttpConnection> makeHttpConnection(
    HttpConnectionHost& host,
    boost::asio::local::stream_protocol::socket&& socket);

}  // namespace Pegasus

#endif
