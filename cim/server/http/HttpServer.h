// The CIM server's HTTP front end: listens on TCP and on the local
// (Unix-domain) socket, reads CIM-XML requests over HTTP/1.1 with
// keep-alive, checks and decodes them, hands each to a RequestProcessor and
// writes the answer back.
//
// Requests are accepted as "POST <any path>" with "CIMOperation: MethodCall";
// clients conventionally use /cimom, and the path is not checked.  Requests
// that break the protocol get "400 Bad Request" with a CIMError header and a
// percent-encoded PGErrorDetail, and the connection is closed.  A response
// is chunked with CIMStatusCode trailers when the request's TE field asks
// for trailers, and has a content-length otherwise.  An answer that the
// processor produces piece by piece (OperationOutcome::producer) and that
// is larger than one piece is sent in chunks as it is produced, one piece
// buffered at a time; a failure found after it began travels in the
// trailers, or, for a client that does not take trailers, closes the
// connection before the last chunk.
//
// Typical use (the cimserver program):
//
//   HttpServer server(options, dispatcher);
//   server.bind();     // throws BindFailedException: report and exit
//   ...detach...
//   server.run();      // returns after stop()
#ifndef KTA_CIM_SERVER_HTTP_HTTPSERVER_H
#define KTA_CIM_SERVER_HTTP_HTTPSERVER_H

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include <Pegasus/Common/Config.h>

#include "RequestProcessor.h"

namespace Pegasus {

class SystemCalls;

// Seconds a stopping server waits for the rest of a request body.
const unsigned kStopGraceSeconds = 2;

struct HttpServerOptions
{
    // Where to listen for TCP connections: one IPv4 or IPv6 address, a
    // comma-separated list of them, or "All" (any address, IPv4).
    std::string listenAddress = "127.0.0.1";
    // 0 lets the system pick a free port (see HttpServer::boundPort()).
    Uint32 httpPort = 5988;
    bool enableHttp = true;

    // Path of the local socket; empty: no local socket.  May be longer than
    // a sockaddr_un can hold.  The socket file is made readable and
    // writable by its owner only, and removed when run() returns.
    std::string localSocketPath;

    // Threads serving connections: run()'s caller plus workerThreads - 1.
    // When all of them are inside RequestProcessor::process(), another is
    // started, up to maxThreads, so that a slow operation does not hold up
    // the other clients.
    unsigned workerThreads = 4;
    unsigned maxThreads = 64;

    // TCP connections open at once.  When they are all taken, the one that
    // has waited longest for its client to send a request (an idle
    // keep-alive connection, or one whose request is still arriving) is
    // closed to make room; when every one is busy with a request, the new
    // client is turned away (closed without an answer).
    unsigned maxConnections = 512;
    // Connections on the local socket are counted apart, with a limit of
    // their own, so that however many TCP clients there are the owner's
    // tools still get through.
    unsigned maxLocalConnections = 32;

    // Bounds on one request.  A larger body is answered
    // "413 Request Entity Too Large" (as soon as its Content-Length is seen,
    // or when its chunks add up to more), a larger header "400 Bad Request".
    std::size_t maxRequestBytes = std::size_t(64) << 20;
    std::size_t maxHeaderBytes = std::size_t(64) << 10;

    // Seconds; 0 means no limit.  idleTimeoutSeconds: a kept-alive
    // connection with no new request is closed.  requestTimeoutSeconds:
    // the rest of a request must arrive within this time after its header.
    // writeTimeoutSeconds: a client that does not take its answer is
    // dropped.
    unsigned idleTimeoutSeconds = 300;
    unsigned requestTimeoutSeconds = 60;
    unsigned writeTimeoutSeconds = 20;

    // Once the server has served and then been quiet (no request in
    // progress or finished) for this many seconds, the processor's caches
    // are dropped (RequestProcessor::releaseCaches), once per busy spell;
    // 0: never.
    unsigned cacheIdleSeconds = 5;

    // Who the clients are.  A local-socket client is known by its peer
    // credentials (SO_PEERCRED): its user becomes RequestCaller::userName,
    // and RequestCaller::privileged is set when that is the server's own
    // (effective) user or root.  A TCP client is never privileged.
    //
    // With requireAuthentication, every TCP request must carry HTTP Basic
    // credentials that checkPassword accepts; other requests are answered
    // "401 Unauthorized" with a "WWW-Authenticate: Basic realm=..." challenge
    // for `realm`.  A local-socket client needs no password, but a peer
    // whose credentials cannot be read is answered 401 too.  checkPassword
    // may block (it runs like an operation, on a worker thread) and must be
    // thread-safe.
    bool requireAuthentication = false;
    std::function<bool(const std::string& user, const std::string& password)>
        checkPassword;
    std::string realm = "localhost";

    // The system calls that tests fake (reading a peer's credentials,
    // opening the local socket); null means the real ones.  Must outlive
    // the server.
    SystemCalls* systemCalls = nullptr;
};

// Thread safety: stop(), requestStopFromSignal(), boundPort() and
// stopRequested() may be called from any thread at any time; bind() and
// run() from one thread, once each.  The object must outlive run() and must
// not be destroyed while run() executes.
class HttpServer
{
public:
    // The processor must outlive this object.
    HttpServer(const HttpServerOptions& options, RequestProcessor& processor);

    // Closes the listening sockets and removes the local socket file if run()
    // has not done so.
    ~HttpServer();

    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Opens and binds every listening socket now, so that the caller can
    // report failures before detaching.  A stale local socket file is
    // replaced; one that a running server still answers on is not.
    // Throws BindFailedException, e.g. "Bind failed: Failed to bind socket
    // on port 5988: Address already in use (error code 98)."; nothing stays
    // bound then.
    void bind();

    // The TCP port actually bound (useful with httpPort 0); 0 before bind()
    // or without TCP.
    Uint32 boundPort() const;

    // Serves on the calling thread (and the others it starts) until stop().
    // Then refuses new connections, closes those waiting for a request
    // (idle, or with only part of a request header), gives a request whose
    // body is still arriving kStopGraceSeconds to complete, lets every
    // request already received be processed and answered, and returns once
    // all connections are closed.  Calls bind() first if that has not been done
    // (and so may throw BindFailedException).
    void run();

    // Asks run() to finish as described above and returns at once.  May be
    // called before run() (which then returns promptly), more than once, and
    // from inside RequestProcessor::process().
    void stop();

    // The same as stop(), but async-signal-safe: for signal handlers.  It
    // only writes one byte to a pipe that run() watches.
    void requestStopFromSignal() noexcept;

    // True once stop() or requestStopFromSignal() has been called.
    bool stopRequested() const;

    // Change the corresponding options of a running server (any thread).
    // They apply from the next request, wait or answer of each connection.
    void setMaxRequestBytes(std::size_t bytes);
    void setIdleTimeout(unsigned seconds);
    void setWriteTimeout(unsigned seconds);

private:
    class Impl;
    std::unique_ptr<Impl> _impl;
};

}  // namespace Pegasus

#endif
