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
                          bool& gotSomething, HttpResponseData& out)
    {
        http::request<http::string_body> req;
        req.method(http::verb::post);
        req.target(request.target);
        req.version(11);
        for (const auto& f : request.fields)
            req.insert(f.first, f.second);
        req.body() = request.body;

        gotSomething = false;
        error_code ec = runUntil(deadline, timedOut,
            [&](std::function<void(const error_code&)> done) {
                http::async_write(socket, req,
                    [done](const error_code& e, std::size_t) { done(e); });
            },
            [&] { abortIo(); });
        if (timedOut || ec)
            return ec;

        http::response_parser<http::string_body> parser;
        parser.header_limit(limits.maxHeaderBytes);
        parser.body_limit(limits.maxBodyBytes);
        ec = runUntil(deadline, timedOut,
            [&](std::function<void(const error_code&)> done) {
                http::async_read_header(socket, buffer, parser,
                    [done](const error_code& e, std::size_t) { done(e); });
            },
            [&] { abortIo(); });
        gotSomething = parser.got_some();
        if (timedOut || ec)
            return ec;
        // The parser's own body limit does not apply to a Content-Length
        // announced in the header, so that case is checked here.
        if (parser.content_length() &&
            *parser.content_length() > limits.maxBodyBytes)
        {
            return http::error::body_limit;
        }
        if (!parser.is_done())
        {
            ec = runUntil(deadline, timedOut,
                [&](std::function<void(const error_code&)> done) {
                    http::async_read(socket, buffer, parser,
                        [done](const error_code& e, std::size_t) { done(e); });
                },
                [&] { abortIo(); });
            if (timedOut || ec)
                return ec;
        }

        http::response<http::string_body> res = parser.release();
        out.status = res.result_int();
        out.reason = std::string(res.reason());
        out.fields.clear();
        for (const auto& f : res)
            out.fields.emplace_back(std::string(f.name_string()),
                                    std::string(f.value()));
        out.body = std::move(res.body());
        if (!res.keep_alive() || res.need_eof())
            close();
        return ec;
    }

    HttpResponseData roundTrip(const HttpRequestData& request,
                               std::chrono::milliseconds timeout)
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
            error_code ec = tcpSocket
                ? exchangeOn(*tcpSocket, request, deadline, timedOut,
                             gotSomething, response)
                : exchangeOn(*unixSocket, request, deadline, timedOut,
                             gotSomething, response);
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
                                          std::chrono::milliseconds timeout)
{
    return _impl->roundTrip(request, timeout);
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
