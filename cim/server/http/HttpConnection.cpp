#include "HttpConnection.h"

#include "CimHttpExchange.h"
#include "HttpRequestFields.h"
#include "HttpServer.h"
#include "SystemCalls.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <chrono>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <boost/asio/dispatch.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/parser.hpp>

namespace Pegasus {

namespace {

namespace net = boost::asio;
namespace beast = boost::beast;
namespace http = boost::beast::http;
using error_code = boost::system::error_code;

// How long a connection that is being closed after an error answer keeps
// reading (and discarding) what the client still sends.  Closing a socket
// with unread input makes the kernel reset the connection, and the client
// may then lose the answer before reading it.
const std::chrono::seconds kDrainTime(2);

// Bytes asked of the socket per read of a request.
const std::size_t kReadChunk = 16 * 1024;

// Bytes asked of a producer per chunk of a streamed answer: one chunk is
// buffered per connection while the socket takes the previous one.
const std::size_t kStreamChunk = 64 * 1024;

std::int64_t nowTicks()
{
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

std::int64_t ticksAfter(std::chrono::seconds delay)
{
    return nowTicks() +
           std::chrono::duration_cast<std::chrono::steady_clock::duration>(delay)
               .count();
}

bool isExpectContinue(const http::request<http::string_body>& req)
{
    auto it = req.find(http::field::expect);
    return it != req.end() && beast::iequals(it->value(), "100-continue");
}

// The name of user `uid`, or its number when it has no name.
std::string userNameOf(uid_t uid)
{
    std::vector<char> buffer(16384);
    struct passwd entry;
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr)
        return found->pw_name;
    return std::to_string(uid);
}

// Who the peer of a local-socket connection is.  Without its credentials
// the peer stays unknown and unprivileged.
RequestCaller localCaller(SystemCalls& sys, int fd, bool& known)
{
    RequestCaller caller;
    caller.local = true;
    struct ucred credentials;
    socklen_t length = sizeof(credentials);
    known = sys.getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials,
                           &length) == 0 &&
            length == sizeof(credentials);
    if (!known)
        return caller;
    caller.userName = userNameOf(credentials.uid);
    caller.privileged = credentials.uid == ::geteuid() || credentials.uid == 0;
    return caller;
}

template <class Protocol>
class Connection final : public HttpConnection
{
public:
    Connection(HttpConnectionHost& host, typename Protocol::socket&& socket)
        : _host(host), _socket(std::move(socket))
    {
        if constexpr (std::is_same_v<Protocol,
                                     boost::asio::local::stream_protocol>)
        {
            SystemCalls* sys = _host.options().systemCalls;
            _caller = localCaller(sys ? *sys : SystemCalls::real(),
                                  _socket.native_handle(), _peerKnown);
        }
        else
        {
            boost::system::error_code ec;
            auto peer = _socket.remote_endpoint(ec);
            if (!ec)
                _caller.peerAddress = peer.address().to_string();
        }
    }

    ~Connection() override { _host.connectionClosed(this); }

    void start() override
    {
        net::dispatch(_socket.get_executor(),
                      [self = self()] { self->readRequest(); });
    }

    void notifyStop() override
    {
        net::post(_socket.get_executor(), [self = self()] {
            // A connection without a whole request header is cut short (a
            // client trickling one in must not hold the stop up); one whose
            // body is arriving gets a short grace; anything received is
            // answered.
            if (self->_state == State::WaitingForRequest)
                return self->closeNow();
            if (self->_state == State::Reading)
            {
                std::int64_t grace =
                    ticksAfter(std::chrono::seconds(kStopGraceSeconds));
                std::int64_t d = self->_deadline.load(std::memory_order_relaxed);
                if (d == 0 || d > grace)
                    self->_deadline.store(grace, std::memory_order_relaxed);
            }
        });
    }

    std::int64_t waitingSince() const override
    {
        return _waitingSince.load(std::memory_order_relaxed);
    }

    bool evict(std::int64_t since) override
    {
        if (since == 0 ||
            !_waitingSince.compare_exchange_strong(since, 0,
                                                   std::memory_order_relaxed))
            return false;
        net::post(_socket.get_executor(), [self = self()] {
            // Still waiting for the client: a request that has been
            // received in the meantime is answered.
            if (self->_state == State::WaitingForRequest ||
                self->_state == State::Reading)
                self->closeNow();
        });
        return true;
    }

    void expireIfOverdue(std::int64_t now) override
    {
        std::int64_t deadline = _deadline.load(std::memory_order_relaxed);
        if (deadline == 0 || deadline > now)
            return;
        net::post(_socket.get_executor(), [self = self()] {
            // The operation may have finished, and a new deadline been set,
            // since the server looked.
            std::int64_t d = self->_deadline.load(std::memory_order_relaxed);
            if (d != 0 && d <= nowTicks())
                self->closeNow();
        });
    }

private:
    enum class State
    {
        WaitingForRequest,
        Reading,
        Processing,
        Writing,
        Closing
    };

    typedef http::request_parser<http::string_body> Parser;

    std::shared_ptr<Connection> self()
    {
        return std::static_pointer_cast<Connection>(shared_from_this());
    }

    void readRequest()
    {
        if (_host.stopping())
            return closeNow();
        const HttpServerOptions& o = _host.options();
        if (_state != State::WaitingForRequest)
            _host.requestFinished();
        _state = State::WaitingForRequest;
        _waitingSince.store(nowTicks(), std::memory_order_relaxed);
        _parser.emplace();
        _parser->header_limit(static_cast<std::uint32_t>(
            o.maxHeaderBytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : o.maxHeaderBytes));
        _maxRequestBytes = _host.maxRequestBytes();
        _parser->body_limit(static_cast<std::uint64_t>(_maxRequestBytes));
        setDeadline(_host.idleTimeoutSeconds());
        // Reads ask for the buffer's free capacity (at least 512 bytes);
        // without room reserved a request arrives in 512-byte pieces.
        _buffer.reserve(kReadChunk);
        http::async_read_header(
            _socket, _buffer, *_parser,
            [self = self()](error_code ec, std::size_t) { self->onHeader(ec); });
    }

    void onHeader(error_code ec)
    {
        if (ec)
            return onReadError(ec);
        // A client without acceptable credentials is turned away before its
        // body is read.
        std::optional<RequestCaller> caller = authenticate(_parser->get());
        if (!caller)
            return sendRejection(unauthorized(_host.options().realm));
        _requestCaller = std::move(*caller);
        _state = State::Reading;
        setDeadline(_host.options().requestTimeoutSeconds);
        if (_parser->get().version() >= 11 && isExpectContinue(_parser->get()))
        {
            static const char kContinue[] = "HTTP/1.1 100 Continue\r\n\r\n";
            net::async_write(
                _socket, net::buffer(kContinue, sizeof(kContinue) - 1),
                [self = self()](error_code ec, std::size_t) {
                    if (ec)
                        return self->closeNow();
                    self->readBody();
                });
            return;
        }
        readBody();
    }

    void readBody()
    {
        // Usually the whole body came in with the header: parse it from the
        // buffer here rather than through another asynchronous read, which
        // would cost a trip through the scheduler for no I/O at all.
        if (!_parser->is_done() && _buffer.size() != 0)
        {
            error_code ec;
            _parser->eager(true);
            std::size_t used = _parser->put(_buffer.data(), ec);
            _buffer.consume(used);
            if (ec && ec != http::error::need_more)
                return onReadError(ec);
        }
        if (_parser->is_done())
            return onBody(error_code());
        readRestOfBody();
    }

    void readRestOfBody()
    {
        http::async_read(
            _socket, _buffer, *_parser,
            [self = self()](error_code ec, std::size_t) { self->onBody(ec); });
    }

    void onReadError(error_code ec)
    {
        const HttpServerOptions& o = _host.options();
        if (ec == http::error::body_limit)
        {
            HttpRejection r;
            r.status = 413;
            r.reason = "Request Entity Too Large";
            r.detail = "The request body exceeds the limit of " +
                       std::to_string(_maxRequestBytes) + " bytes.";
            return sendRejection(r);
        }
        if (ec == http::error::header_limit)
        {
            HttpRejection r;
            r.detail = "The request header exceeds the limit of " +
                       std::to_string(o.maxHeaderBytes) + " bytes.";
            return sendRejection(r);
        }
        if (ec.category() ==
                make_error_code(http::error::end_of_stream).category() &&
            ec != http::error::end_of_stream &&
            ec != http::error::partial_message)
        {
            HttpRejection r;
            r.detail = "Malformed HTTP request: " + ec.message() + ".";
            return sendRejection(r);
        }
        // End of stream, a time-out, a reset or a cancellation: there is no
        // one left to answer.
        closeNow();
    }

    void onBody(error_code ec)
    {
        if (ec)
            return onReadError(ec);
        _deadline.store(0, std::memory_order_relaxed);
        _waitingSince.store(0, std::memory_order_relaxed);
        try
        {
            handleRequest();
        }
        catch (const std::bad_alloc&)
        {
            // Too little memory to answer: drop this client, keep serving.
            closeNow();
        }
    }

    // Who sends this request: the connection's caller, with the user that
    // HTTP Basic authentication accepted.  Nothing when the request must be
    // refused for lack of credentials.
    std::optional<RequestCaller> authenticate(
        const http::request<http::string_body>& req)
    {
        const HttpServerOptions& o = _host.options();
        if (!o.requireAuthentication)
            return _caller;
        if (_caller.local)
        {
            if (!_peerKnown)
                return std::nullopt;
            return _caller;
        }
        std::optional<std::string_view> authorization =
            field(req, "Authorization");
        if (!authorization)
            return std::nullopt;
        std::string user;
        std::string password;
        if (!parseBasicCredentials(*authorization, user, password) ||
            user.empty())
            return std::nullopt;
        // Checking a password may take long (and the check may delay on
        // purpose after a failure); a connection that keeps sending the
        // credentials it was accepted with is not checked again.
        if (!_acceptedAuthorization.empty() &&
            *authorization == _acceptedAuthorization)
        {
            RequestCaller caller = _caller;
            caller.userName = user;
            return caller;
        }
        bool accepted = false;
        _host.enterProcessing();
        try
        {
            accepted = o.checkPassword && o.checkPassword(user, password);
        }
        catch (...)
        {
            accepted = false;
        }
        _host.leaveProcessing();
        if (!accepted)
            return std::nullopt;
        _acceptedAuthorization.assign(authorization->data(),
                                      authorization->size());
        RequestCaller caller = _caller;
        caller.userName = user;
        return caller;
    }

    void handleRequest()
    {
        const http::request<http::string_body>& req = _parser->get();
        CimHttpRequestHead head = requestHeadOf(req);

        std::optional<HttpRejection> rejection = checkRequestHead(head);
        CimXmlRequestMessage request;
        if (!rejection)
        {
            CimXmlLimits limits;
            limits.maxDocumentBytes = _maxRequestBytes;
            rejection = decodeRequestBody(head, req.body().data(),
                                          req.body().size(), limits, request);
        }
        if (rejection)
            return sendRejection(*rejection);

        std::optional<std::string_view> te = field(req, "TE");
        bool http11 = req.version() >= 11;
        bool chunked = http11 && te && teAcceptsTrailers(*te);
        bool keepAlive = req.keep_alive();
        // The request body is no longer needed; large ones should not stay
        // in memory while the operation runs.
        _parser.reset();

        _state = State::Processing;
        OperationOutcome outcome = process(request, _requestCaller);
        bool close = !keepAlive || _host.stopping();
        if (outcome.producer && startStream(outcome, http11, chunked, close))
            return;
        CimResponseFrame frame =
            frameOutcome(request, std::move(outcome), chunked, close);
        writeResponse(std::move(frame), close);
    }

    // An answer with a producer: takes its first chunk.  When that is all
    // of it, or the operation failed before anything was sent, `outcome`
    // becomes an ordinary outcome (false: frame and send it as usual).
    // Otherwise the answer is streamed in chunks (true), with the
    // operation's late failure sent as trailers when the client accepts
    // them.  An HTTP/1.0 client cannot take chunks and gets the whole
    // answer as usual.
    bool startStream(OperationOutcome& outcome, bool http11, bool trailers,
                     bool close)
    {
        std::shared_ptr<ResponseBodyProducer> producer =
            std::move(outcome.producer);
        ResponseBodyProducer::Status status;
        do
        {
            status = produce(*producer, outcome.body, outcome.code,
                             outcome.description);
        } while (status == ResponseBodyProducer::MORE && !http11);
        if (status == ResponseBodyProducer::FAILED)
        {
            outcome.failed = true;
            outcome.body.clear();
        }
        if (status != ResponseBodyProducer::MORE)
            return false;

        _producer = std::move(producer);
        _streamTrailers = trailers;
        sendChunk(streamedResponseHead(trailers, close),
                  std::move(outcome.body), false, close);
        return true;
    }

    // Writes the next chunk of a streamed answer once the previous one has
    // been taken by the socket, so that no more than one chunk waits in
    // memory however slowly the client reads.
    void continueStream(bool close)
    {
        // The client has taken the last chunk; producing the next one is
        // not bounded by the write time-out.
        _deadline.store(0, std::memory_order_relaxed);
        std::string piece;
        piece.swap(_frame.body);  // reuses its buffer
        piece.clear();
        CIMStatusCode code = CIM_ERR_SUCCESS;
        String description;
        ResponseBodyProducer::Status status =
            produce(*_producer, piece, code, description);
        if (status == ResponseBodyProducer::FAILED)
        {
            _producer.reset();
            // Without trailers there is no way to say that the answer
            // failed: cut the connection, so that the client sees a broken
            // answer rather than a short one.
            if (!_streamTrailers)
                return closeNow();
            std::string end;
            appendFailedLastChunk(end, code, description);
            return sendChunk(std::move(end), std::string(), true, close);
        }
        sendChunk(std::string(), std::move(piece),
                  status == ResponseBodyProducer::DONE, close);
    }

    // Writes `prefix`, then `data` as one chunk (none when empty), then the
    // last chunk when `last` (unless the prefix already holds it).
    void sendChunk(std::string prefix, std::string&& data, bool last,
                   bool close)
    {
        _frame.head = std::move(prefix);
        _frame.body = std::move(data);
        _frame.tail.clear();
        if (!_frame.body.empty())
        {
            appendChunkSize(_frame.head, _frame.body.size());
            _frame.tail = "\r\n";
        }
        if (last && _producer)
        {
            _producer.reset();
            appendLastChunk(_frame.tail);
        }
        _state = State::Writing;
        setDeadline(_host.writeTimeoutSeconds());
        std::array<net::const_buffer, 3> buffers = {
            net::buffer(_frame.head), net::buffer(_frame.body),
            net::buffer(_frame.tail)};
        net::async_write(
            _socket, buffers,
            [self = self(), last, close](error_code ec, std::size_t) {
                if (ec)
                    return self->closeNow();
                if (!last)
                    return self->continueStream(close);
                self->_frame = CimResponseFrame();
                if (close)
                    return self->closeGracefully(false);
                self->readRequest();
            });
    }

    // The next piece of a produced answer.  Producing is the operation's
    // work, bracketed like process() so that the server keeps threads for
    // other clients.
    ResponseBodyProducer::Status produce(ResponseBodyProducer& producer,
                                         std::string& out, CIMStatusCode& code,
                                         String& description)
    {
        ResponseBodyProducer::Status status;
        _host.enterProcessing();
        try
        {
            status = producer.next(out, kStreamChunk, code, description);
        }
        catch (...)
        {
            // next() must not throw; one that does fails its operation.
            code = CIM_ERR_FAILED;
            description = String("CIM_ERR_FAILED: Unknown error.");
            status = ResponseBodyProducer::FAILED;
        }
        _host.leaveProcessing();
        return status;
    }

    OperationOutcome process(const CimXmlRequestMessage& request,
                             const RequestCaller& caller)
    {
        // process() must not throw, but one misbehaving operation must not
        // take the server down either.
        OperationOutcome outcome;
        _host.enterProcessing();
        try
        {
            outcome = _host.processor().process(request, caller);
        }
        catch (const Exception& e)
        {
            outcome = failure(String("CIM_ERR_FAILED: ") + e.getMessage());
        }
        catch (const std::exception& e)
        {
            outcome = failure(String("CIM_ERR_FAILED: ") + String(e.what()));
        }
        catch (...)
        {
            outcome = failure(String("CIM_ERR_FAILED: Unknown error."));
        }
        _host.leaveProcessing();
        return outcome;
    }

    static OperationOutcome failure(const String& description)
    {
        OperationOutcome o;
        o.failed = true;
        o.code = CIM_ERR_FAILED;
        o.description = description;
        return o;
    }

    void writeResponse(CimResponseFrame&& frame, bool close)
    {
        _frame = std::move(frame);
        _state = State::Writing;
        setDeadline(_host.writeTimeoutSeconds());
        std::array<net::const_buffer, 3> buffers = {
            net::buffer(_frame.head), net::buffer(_frame.body),
            net::buffer(_frame.tail)};
        net::async_write(
            _socket, buffers,
            [self = self(), close](error_code ec, std::size_t) {
                self->_frame = CimResponseFrame();
                if (ec)
                    return self->closeNow();
                if (close)
                    return self->closeGracefully(false);
                self->readRequest();
            });
    }

    // Rejections have no length: the end of the connection delimits them.
    void sendRejection(const HttpRejection& rejection)
    {
        // What is left of the request was never read; drain it so that the
        // client gets to read the answer.
        bool drain = _state != State::Processing &&
                     !(_parser && _parser->is_done());
        _parser.reset();
        _waitingSince.store(0, std::memory_order_relaxed);
        _frame = CimResponseFrame();
        _frame.head = formatRejection(rejection);
        _state = State::Writing;
        setDeadline(_host.writeTimeoutSeconds());
        net::async_write(_socket, net::buffer(_frame.head),
                         [self = self(), drain](error_code ec, std::size_t) {
                             if (ec)
                                 return self->closeNow();
                             self->closeGracefully(drain);
                         });
    }

    void closeGracefully(bool drain)
    {
        _state = State::Closing;
        error_code ignored;
        _socket.shutdown(net::socket_base::shutdown_send, ignored);
        if (!drain)
            return closeNow();
        _deadline.store(ticksAfter(kDrainTime), std::memory_order_relaxed);
        discardInput();
    }

    void discardInput()
    {
        _socket.async_read_some(
            net::buffer(_scratch),
            [self = self()](error_code ec, std::size_t) {
                if (ec)
                    return self->closeNow();
                self->discardInput();
            });
    }

    void closeNow()
    {
        _state = State::Closing;
        _waitingSince.store(0, std::memory_order_relaxed);
        // The parser stays: a read that is still pending (a time-out or the
        // server stopping closes the connection under it) completes with an
        // error after the socket is closed, and Beast still uses the parser
        // then.  It goes with the connection, when that read's handler ends.
        _producer.reset();
        error_code ignored;
        _socket.close(ignored);
        _deadline.store(0, std::memory_order_relaxed);
    }

    // Time-outs: the server's sweeper closes a connection whose deadline
    // (steady_clock ticks, 0 for none) has passed.  A per-operation timer
    // would cost timer-queue work and system calls on every request.
    void setDeadline(unsigned seconds)
    {
        _deadline.store(seconds ? ticksAfter(std::chrono::seconds(seconds)) : 0,
                        std::memory_order_relaxed);
    }

    HttpConnectionHost& _host;
    typename Protocol::socket _socket;
    std::atomic<std::int64_t> _deadline{0};
    std::atomic<std::int64_t> _waitingSince{0};
    // The body limit of the request being read, fixed when it began.
    std::size_t _maxRequestBytes = 0;
    beast::flat_buffer _buffer;
    std::optional<Parser> _parser;
    State _state = State::WaitingForRequest;
    CimResponseFrame _frame;
    // The rest of the answer being streamed, if any.
    std::shared_ptr<ResponseBodyProducer> _producer;
    bool _streamTrailers = false;
    std::array<char, 4096> _scratch;
    // Who is at the other end (see HttpServerOptions): set once, for a
    // local socket from its peer credentials (_peerKnown: they could be
    // read).
    RequestCaller _caller;
    bool _peerKnown = false;
    // The Authorization value last accepted on this connection.
    std::string _acceptedAuthorization;
    // Who sends the request being handled.
    RequestCaller _requestCaller;
};

}  // namespace

std::shared_ptr<HttpConnection> makeHttpConnection(
    HttpConnectionHost& host, boost::asio::ip::tcp::socket&& socket)
{
    error_code ignored;
    socket.set_option(boost::asio::ip::tcp::no_delay(true), ignored);
    return std::make_shared<Connection<boost::asio::ip::tcp>>(
        host, std::move(socket));
}

std::shared_ptr<HttpConnection> makeHttpConnection(
    HttpConnectionHost& host,
    boost::asio::local::stream_protocol::socket&& socket)
{
    return std::make_shared<Connection<boost::asio::local::stream_protocol>>(
        host, std::move(socket));
}

}  // namespace Pegasus
