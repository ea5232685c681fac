#include "HttpTransport.h"

#include "LocalSocketPath.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/local/stream_protocol.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/optional.hpp>

#include <poll.h>

#include <cerrno>

#include <strings.h>

namespace asio = boost::asio;
namespace http = boost::beast::http;
using boost::system::error_code;
using asio::ip::tcp;
typedef asio::local::stream_protocol unix_proto;
typedef std::chrono::steady_clock Clock;

namespace Pegasus {

const std::string* findHttpField(const HttpFields& fields,
                                 const std::string& name)
{
    for (const auto& f : fields)
    {
        if (f.first.size() == name.size() &&
            ::strncasecmp(f.first.c_str(), name.c_str(), name.size()) == 0)
        {
            return &f.second;
        }
    }
    return nullptr;
}

namespace {

std::string tcpConnectText(const HttpTarget& t)
{
    return "Cannot connect to " + t.host + ":" + std::to_string(t.port) +
        ". Connection failed.";
}

// Bytes asked of the socket per read of a response.
const std::size_t kReadChunk = 64 * 1024;

const char kLocalConnectText[] =
    "Cannot connect to local CIM server. Connection failed.";

// Errors that mean "the peer went away" rather than "the peer spoke
// nonsense".
bool isDisconnect(const error_code& ec)
{
    return ec == http::error::end_of_stream ||
        ec == http::error::partial_message ||
        ec == asio::error::eof ||
        ec == asio::error::connection_reset ||
        ec == asio::error::broken_pipe ||
        ec == asio::error::connection_aborted ||
        ec == asio::error::not_connected;
}

// A connected non-blocking socket seen as a blocking stream whose every
// read and write ends at one deadline, shared by the whole exchange.  The
// exchange then costs the reads and writes themselves plus a poll() when
// the socket is not ready, instead of a timer and an event loop round per
// step.
template <class Socket>
class DeadlineStream
{
public:
    typedef typename Socket::executor_type executor_type;

    DeadlineStream(Socket& socket, Clock::time_point deadline)
        : _socket(socket), _deadline(deadline)
    {
    }

    executor_type get_executor() { return _socket.get_executor(); }
    bool timedOut() const { return _timedOut; }

    template <class Buffers>
    std::size_t read_some(const Buffers& buffers, error_code& ec)
    {
        for (;;)
        {
            std::size_t n = _socket.read_some(buffers, ec);
            if (ec != asio::error::would_block)
                return n;
            if (!await(POLLIN, ec))
                return 0;
        }
    }

    template <class Buffers>
    std::size_t write_some(const Buffers& buffers, error_code& ec)
    {
        for (;;)
        {
            std::size_t n = _socket.write_some(buffers, ec);
            if (ec != asio::error::would_block)
                return n;
            if (!await(POLLOUT, ec))
                return 0;
        }
    }

    template <class Buffers>
    std::size_t read_some(const Buffers& buffers)
    {
        error_code ec;
        std::size_t n = read_some(buffers, ec);
        if (ec)
            throw boost::system::system_error(ec);
        return n;
    }

    template <class Buffers>
    std::size_t write_some(const Buffers& buffers)
    {
        error_code ec;
        std::size_t n = write_some(buffers, ec);
        if (ec)
            throw boost::system::system_error(ec);
        return n;
    }

private:
    // Waits until the socket is ready for `events` or the deadline passes
    // (ec = timed_out, and timedOut() turns true).
    bool await(short events, error_code& ec)
    {
        for (;;)
        {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                _deadline - Clock::now());
            if (left.count() <= 0)
            {
                _timedOut = true;
                ec = asio::error::timed_out;
                return false;
            }
            pollfd p;
            p.fd = _socket.native_handle();
            p.events = events;
            p.revents = 0;
            // Rounded up so that the wait does not end just short of it.
            int ms = left.count() >= 0x7fffffff ? 0x7fffffff : int(left.count()) + 1;
            int n = ::poll(&p, 1, ms);
            if (n > 0)
            {
                ec = error_code();
                return true;
            }
            if (n < 0 && errno != EINTR)
            {
                ec = error_code(errno, boost::system::system_category());
                return false;
            }
        }
    }

    Socket& _socket;
    Clock::time_point _deadline;
    bool _timedOut = false;
};

// A response body that goes to an HttpBodySink as it is parsed, or, when
// no sink is set, into a string.
struct SinkBody
{
    struct value_type
    {
        HttpBodySink* sink = nullptr;
        std::string text;
    };

    class reader
    {
    public:
        template <bool isRequest, class Fields>
        reader(http::header<isRequest, Fields>&, value_type& body) : _body(body)
        {
        }

        void init(const boost::optional<std::uint64_t>& length, error_code& ec)
        {
            // The parser has checked the length against its body limit.
            if (!_body.sink && length)
                _body.text.reserve(static_cast<std::size_t>(*length));
            ec = error_code();
        }

        template <class Buffers>
        std::size_t put(const Buffers& buffers, error_code& ec)
        {
            std::size_t n = 0;
            for (auto it = asio::buffer_sequence_begin(buffers);
                 it != asio::buffer_sequence_end(buffers); ++it)
            {
                asio::const_buffer b = *it;
                const char* data = static_cast<const char*>(b.data());
                if (_body.sink)
                    _body.sink->write(data, b.size());
                else
                    _body.text.append(data, b.size());
                n += b.size();
            }
            ec = error_code();
            return n;
        }

        void finish(error_code& ec) { ec = error_code(); }

    private:
        value_type& _body;
    };
};

void copyFields(const http::response_header<>& head, HttpResponseData& out)
{
    out.status = head.result_int();
    out.reason = std::string(head.reason());
    out.fields.clear();
    for (const auto& f : head)
        out.fields.emplace_back(std::string(f.name_string()),
                                std::string(f.value()));
}

} // namespace

class HttpTransport::Impl
{
public:
    HttpTarget target;
    HttpLimits limits;
    asio::io_context ioc;
    std::unique_ptr<tcp::socket> tcpSocket;
    std::unique_ptr<unix_proto::socket> unixSocket;
    boost::beast::flat_buffer buffer;
    std::uint64_t connections = 0;

    bool isOpen() const
    {
        return (tcpSocket && tcpSocket->is_open()) ||
            (unixSocket && unixSocket->is_open());
    }

    void close()
    {
        error_code ignored;
        if (tcpSocket)
        {
            tcpSocket->shutdown(tcp::socket::shutdown_both, ignored);
            tcpSocket->close(ignored);
            tcpSocket.reset();
        }
        if (unixSocket)
        {
            unixSocket->shutdown(unix_proto::socket::shutdown_both, ignored);
            unixSocket->close(ignored);
            unixSocket.reset();
        }
        buffer.clear();
    }

    // Stops whatever operation is pending on the socket; used by the
    // deadline timer.  The connection is unusable afterwards.
    void abortIo()
    {
        error_code ignored;
        if (tcpSocket)
            tcpSocket->close(ignored);
        if (unixSocket)
            unixSocket->close(ignored);
    }

    // Runs one asynchronous operation to completion or until the deadline.
    // `start` receives a completion callback taking an error_code.
    template <class Start>
    error_code runUntil(Clock::time_point deadline, bool& timedOut,
                        Start&& start, std::function<void()> onTimeout)
    {
        error_code result = asio::error::would_block;
        bool done = false;
        timedOut = false;
        asio::steady_timer timer(ioc);
        timer.expires_at(deadline);
        timer.async_wait([&](const error_code& ec) {
            if (!ec && !done)
            {
                timedOut = true;
                onTimeout();
            }
        });
        start([&](const error_code& ec) {
            done = true;
            result = ec;
            timer.cancel();
        });
        ioc.restart();
        ioc.run();
        return result;
    }

    void connect(Clock::time_point deadline)
    {
        close();
        if (target.local)
            connectLocal(deadline);
        else
            connectTcp(deadline);
        ++connections;
    }

    void connectTcp(Clock::time_point deadline)
    {
        tcp::resolver resolver(ioc);
        tcp::resolver::results_type endpoints;
        bool timedOut = false;
        error_code ec = runUntil(deadline, timedOut,
            [&](std::function<void(const error_code&)> done) {
                resolver.async_resolve(target.host,
                    std::to_string(target.port),
                    tcp::resolver::numeric_service,
                    [&endpoints, done](const error_code& e,
                                       tcp::resolver::results_type r) {
                        endpoints = r;
                        done(e);
                    });
            },
            [&] { resolver.cancel(); });
        if (timedOut)
            throw HttpTransportError(HttpTransportError::CannotConnect,
                                     tcpConnectText(target));
        if (ec || endpoints.empty())
            throw HttpTransportError(HttpTransportError::InvalidLocator,
                target.host + ":" + std::to_string(target.port));

        tcpSocket.reset(new tcp::socket(ioc));
        ec = runUntil(deadline, timedOut,
            [&](std::function<void(const error_code&)> done) {
                asio::async_connect(*tcpSocket, endpoints,
                    [done](const error_code& e, const tcp::endpoint&) {
                        done(e);
                    });
            },
            [&] { abortIo(); });
        if (timedOut || ec)
        {
            close();
            throw HttpTransportError(HttpTransportError::CannotConnect,
                                     tcpConnectText(target));
        }
        error_code ignored;
        tcpSocket->set_option(tcp::no_delay(true), ignored);
    }

    void connectLocal(Clock::time_point deadline)
    {
        // Keeps the directory descriptor (if the path is long) open until
        // the connect has completed.
        LocalSocketPath::Address address(target.socketPath);
        if (!address.valid())
            throw HttpTransportError(HttpTransportError::CannotConnect,
                                     kLocalConnectText);
        unixSocket.reset(new unix_proto::socket(ioc));
        bool timedOut = false;
        error_code ec = runUntil(deadline, timedOut,
            [&](std::function<void(const error_code&)> done) {
                unixSocket->async_connect(
                    unix_proto::endpoint(address.kernelPath()), done);
            },
            [&] { abortIo(); });
        if (timedOut || ec)
        {
            close();
            throw HttpTransportError(HttpTransportError::CannotConnect,
                                     kLocalConnectText);
        }
    }

    // A kept-alive connection that the server has closed (or on which it
    // sent something unasked) reads as ready; it cannot carry a request.
    bool idleConnectionLooksDead()
    {
        int fd = tcpSocket ? tcpSocket->native_handle()
                           : unixSocket->native_handle();
        pollfd p;
        p.fd = fd;
        p.events = POLLIN | POLLRDHUP;
        p.revents = 0;
        int n = ::poll(&p, 1, 0);
        return n != 0;
    }

    template <class Socket>
    error_code exchangeOn(Socket& socket, const HttpRequestData& request,
                          Clock::time_point deadline, bool& timedOut,
                          bool& gotSomething, HttpBodySink* sink,
                          HttpResponseData& out)
    {
        http::request<http::string_body> req;
        req.method(http::verb::post);
        req.target(request.target);
        req.version(11);
        for (const auto& f : request.fields)
            req.insert(f.first, f.second);
        req.body() = request.body;

        gotSomething = false;
        timedOut = false;
        error_code ec;
        if (!socket.non_blocking())
            socket.non_blocking(true, ec);
        if (ec)
            return ec;
        DeadlineStream<Socket> stream(socket, deadline);
        http::write(stream, req, ec);
        timedOut = stream.timedOut();
        if (timedOut || ec)
            return ec;

        // The read size follows the buffer's free capacity (at least 512
        // bytes): a buffer that stays small turns a large response into
        // hundreds of small reads.
        buffer.reserve(kReadChunk);
        http::response_parser<SinkBody> parser;
        parser.header_limit(limits.maxHeaderBytes);
        parser.body_limit(limits.maxBodyBytes);
        http::read_header(stream, buffer, parser, ec);
        gotSomething = parser.got_some();
        timedOut = stream.timedOut();
        if (timedOut || ec)
            return ec;
        // The parser's own body limit does not apply to a Content-Length
        // announced in the header, so that case is checked here.
        if (parser.content_length() &&
            *parser.content_length() > limits.maxBodyBytes)
        {
            return http::error::body_limit;
        }
        if (sink)
        {
            HttpResponseData head;
            copyFields(parser.get().base(), head);
            if (sink->begin(head))
                parser.get().body().sink = sink;
        }
        if (!parser.is_done())
        {
            http::read(stream, buffer, parser, ec);
            timedOut = stream.timedOut();
            if (timedOut || ec)
                return ec;
        }

        http::response<SinkBody> res = parser.release();
        // The fields again: trailers have come in after the header.
        copyFields(res.base(), out);
        out.body = std::move(res.body().text);
        if (!res.keep_alive() || res.need_eof())
            close();
        return ec;
    }

    HttpResponseData roundTrip(const HttpRequestData& request,
                               std::chrono::milliseconds timeout,
                               HttpBodySink* sink)
    {
        const Clock::time_point deadline = Clock::now() + timeout;
        bool reused = isOpen();
        if (reused && idleConnectionLooksDead())
        {
            close();
            reused = false;
        }

        for (;;)
        {
            if (!isOpen())
            {
                try
                {
                    connect(deadline);
                }
                catch (const HttpTransportError& e)
                {
                    // Reconnecting on behalf of an operation: a server that
                    // does not answer the connect within the time-out is a
                    // time-out of the operation.
                    if (Clock::now() >= deadline)
                        throw HttpTransportError(HttpTransportError::Timeout,
                                                 "connection timed out");
                    throw;
                }
            }

            HttpResponseData response;
            bool timedOut = false;
            bool gotSomething = false;
            error_code ec;
            try
            {
                ec = tcpSocket
                    ? exchangeOn(*tcpSocket, request, deadline, timedOut,
                                 gotSomething, sink, response)
                    : exchangeOn(*unixSocket, request, deadline, timedOut,
                                 gotSomething, sink, response);
            }
            catch (...)
            {
                // A sink that throws leaves the response half read.
                close();
                throw;
            }
            if (timedOut)
            {
                close();
                throw HttpTransportError(HttpTransportError::Timeout,
                                         "connection timed out");
            }
            if (!ec)
                return response;

            close();
            if (isDisconnect(ec))
            {
                // The server may close a kept-alive connection just as we
                // reuse it; one retry on a fresh connection covers that
                // race.  A fresh connection that is closed without a reply
                // is the server's answer.
                if (reused && !gotSomething)
                {
                    reused = false;
                    continue;
                }
                throw HttpTransportError(HttpTransportError::ConnectionClosed,
                                         ec.message());
            }
            throw HttpTransportError(HttpTransportError::Malformed,
                                     ec.message());
        }
    }
};

HttpTransport::HttpTransport() : _impl(new Impl) {}

HttpTransport::~HttpTransport()
{
    _impl->close();
}

void HttpTransport::setTarget(const HttpTarget& target)
{
    _impl->close();
    _impl->target = target;
}

const HttpTarget& HttpTransport::target() const
{
    return _impl->target;
}

void HttpTransport::setLimits(const HttpLimits& limits)
{
    _impl->limits = limits;
}

void HttpTransport::open(std::chrono::milliseconds timeout)
{
    _impl->connect(Clock::now() + timeout);
}

HttpResponseData HttpTransport::roundTrip(const HttpRequestData& request,
                                          std::chrono::milliseconds timeout,
                                          HttpBodySink* sink)
{
    return _impl->roundTrip(request, timeout, sink);
}

void HttpTransport::close()
{
    _impl->close();
}

bool HttpTransport::isOpen() const
{
    return _impl->isOpen();
}

std::uint64_t HttpTransport::connectionCount() const
{
    return _impl->connections;
}

} // namespace Pegasus
