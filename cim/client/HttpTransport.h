#ifndef KTA_CIM_CLIENT_HTTPTRANSPORT_H
#define KTA_CIM_CLIENT_HTTPTRANSPORT_H

// One kept-alive HTTP/1.1 client connection to a CIM server, over TCP or over
// the server's Unix-domain socket.  Internal to libpegclient.
//
// The transport knows nothing about CIM: it writes the header fields it is
// given, reads one whole response (plain, chunked with trailers, or delimited
// by the end of the connection) and reports failures as HttpTransportError.
// CIMClient turns those into the exceptions its callers see.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace Pegasus {

// Where to connect.  For a local target only socketPath is used.
struct HttpTarget
{
    bool local = false;
    std::string host;
    std::uint32_t port = 0;
    std::string socketPath;
};

typedef std::vector<std::pair<std::string, std::string> > HttpFields;

// Case-insensitive lookup of a field; nullptr when absent.  With several
// fields of that name the first one wins.
const std::string* findHttpField(const HttpFields& fields,
                                 const std::string& name);

struct HttpRequestData
{
    // Written verbatim and in this order after "POST <target> HTTP/1.1".
    // The caller supplies Host and Content-Length itself.
    HttpFields fields;
    std::string body;
    std::string target = "/cimom";
};

struct HttpResponseData
{
    unsigned status = 0;
    std::string reason;
    // Header fields followed by trailer fields, as received.
    HttpFields fields;
    std::string body;

    const std::string* field(const std::string& name) const
    {
        return findHttpField(fields, name);
    }
};

// Takes the body of a response while it arrives, instead of it being
// collected in HttpResponseData::body.
class HttpBodySink
{
public:
    virtual ~HttpBodySink() {}

    // Called once the status line and header fields are in (`head` has no
    // body yet).  True: the body goes to write(); false: it is collected
    // as usual.
    virtual bool begin(const HttpResponseData& head) = 0;

    // The next piece of the body, in order.  The transport reads the
    // response to its end whatever the sink does with the pieces.
    virtual void write(const char* data, std::size_t size) = 0;
};

class HttpTransportError : public std::runtime_error
{
public:
    enum Kind
    {
        // The host name could not be resolved.
        InvalidLocator,
        // No connection could be made within the time-out.
        CannotConnect,
        // No complete response arrived within the time-out.
        Timeout,
        // The server closed the connection before a complete response.
        ConnectionClosed,
        // The response is not valid HTTP or exceeds the size limits.
        Malformed
    };

    HttpTransportError(Kind kind, const std::string& what)
        : std::runtime_error(what), _kind(kind) {}

    Kind kind() const { return _kind; }

private:
    Kind _kind;
};

// Limits on what the server may send.
struct HttpLimits
{
    std::uint32_t maxHeaderBytes = 64 * 1024;
    std::uint64_t maxBodyBytes = 512ull * 1024 * 1024;
};

// Not thread-safe: one thread at a time per object.  Separate objects are
// independent and may be used in parallel.
class HttpTransport
{
public:
    HttpTransport();
    ~HttpTransport();

    HttpTransport(const HttpTransport&) = delete;
    HttpTransport& operator=(const HttpTransport&) = delete;

    // Closes any open connection and remembers the new target.
    void setTarget(const HttpTarget& target);
    const HttpTarget& target() const;

    void setLimits(const HttpLimits& limits);

    // Opens the connection now (closing an open one first).
    // Throws HttpTransportError (InvalidLocator, CannotConnect).
    void open(std::chrono::milliseconds timeout);

    // Sends one request and returns the whole response.  Opens the connection
    // if it is closed, and transparently replaces a kept-alive connection
    // that the server has meanwhile closed.  The time-out bounds the whole
    // exchange, connecting included.  After a Timeout, ConnectionClosed or
    // Malformed error the connection is closed; the next call reconnects.
    // Throws HttpTransportError.
    //
    // With a sink that accepts the body (HttpBodySink::begin), the body is
    // handed to it as it arrives and the response's body stays empty.  A
    // request is only repeated on a fresh connection before any of the
    // response has come in, so the sink sees at most one response.
    HttpResponseData roundTrip(const HttpRequestData& request,
                               std::chrono::milliseconds timeout,
                               HttpBodySink* sink = nullptr);

    // Idempotent.
    void close();
    bool isOpen() const;

    // How many connections this object has opened so far.
    std::uint64_t connectionCount() const;

private:
    class Impl;
    std::unique_ptr<Impl> _impl;
};

} // namespace Pegasus

#endif
