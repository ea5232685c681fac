#include "HttpServer.h"

#include "HttpConnection.h"
#include "ListenSockets.h"
#include "SystemCalls.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>

namespace Pegasus {

namespace net = boost::asio;
using boost::asio::ip::tcp;
using boost::asio::local::stream_protocol;
using error_code = boost::system::error_code;

class HttpServer::Impl final : public HttpConnectionHost
{
public:
    Impl(const HttpServerOptions& options, RequestProcessor& processor)
        : _options(options),
          _processor(processor),
          _control(net::make_strand(_io)),
          _stopPipe(_control),
          _acceptRetry(_control),
          _sweeper(_control)
    {
        if (_options.workerThreads == 0)
            _options.workerThreads = 1;
        if (_options.maxThreads < _options.workerThreads)
            _options.maxThreads = _options.workerThreads;
        setMaxRequestBytes(_options.maxRequestBytes);
        setIdleTimeout(_options.idleTimeoutSeconds);
        setWriteTimeout(_options.writeTimeoutSeconds);
        // The signal path writes to this pipe; both ends are non-blocking so
        // that a handler never waits on it.
        if (::pipe2(_pipe, O_NONBLOCK | O_CLOEXEC) != 0)
            throw std::system_error(errno, std::system_category(), "pipe2");
        _stopPipe.assign(_pipe[0]);
    }

    ~Impl() override
    {
        closeListeners();
        error_code ignored;
        _stopPipe.close(ignored);
        ::close(_pipe[1]);
        removeSocketFile();
    }

    // HttpConnectionHost ----------------------------------------------------

    const HttpServerOptions& options() const override { return _options; }
    RequestProcessor& processor() override { return _processor; }
    bool stopping() const override { return _stopping.load(); }
    std::size_t maxRequestBytes() const override { return _maxRequestBytes.load(); }
    unsigned idleTimeoutSeconds() const override { return _idleTimeout.load(); }
    unsigned writeTimeoutSeconds() const override { return _writeTimeout.load(); }

    void setMaxRequestBytes(std::size_t bytes) { _maxRequestBytes = bytes; }
    void setIdleTimeout(unsigned seconds) { _idleTimeout = seconds; }
    void setWriteTimeout(unsigned seconds) { _writeTimeout = seconds; }

    void enterProcessing() override
    {
        unsigned busy = ++_busy;
        if (busy >= _threadCount.load() && !_stopping.load())
            addThread();
    }

    void leaveProcessing() override { --_busy; }

    void requestFinished() override { ++_servedSinceTrim; }

    void connectionClosed(HttpConnection* connection) override
    {
        bool lastWhileStopping;
        {
            ++_servedSinceTrim;  // its buffers are free now
            std::lock_guard<std::mutex> lock(_connectionsMutex);
            auto it = _connections.find(connection);
            if (it != _connections.end())
            {
                if (it->second.counted)
                    --(it->second.local ? _localCount : _tcpCount);
                _connections.erase(it);
            }
            lastWhileStopping = _connections.empty() && _stopping.load();
        }
        // The sweeper is the last thing keeping run() busy; let it go now
        // rather than at its next round.  (Connections that die while the
        // io_context itself is destroyed come here after run().)
        if (lastWhileStopping && _running.load())
            net::post(_control, [this] { _sweeper.cancel(); });
    }

    // HttpServer ------------------------------------------------------------

    void bind()
    {
        if (_bound)
            return;
        std::vector<std::unique_ptr<tcp::acceptor>> tcpListeners;
        if (_options.enableHttp)
        {
            for (const tcp::endpoint& e :
                 listenEndpoints(_options.listenAddress, _options.httpPort))
            {
                tcpListeners.push_back(std::make_unique<tcp::acceptor>(_control));
                openTcpListener(*tcpListeners.back(), e,
                                _options.systemCalls ? *_options.systemCalls
                                                     : SystemCalls::real());
            }
        }
        std::unique_ptr<stream_protocol::acceptor> local;
        if (!_options.localSocketPath.empty())
        {
            local = std::make_unique<stream_protocol::acceptor>(_control);
            openLocalListener(*local, _options.localSocketPath,
                              _options.systemCalls ? *_options.systemCalls
                                                   : SystemCalls::real());
            _socketFile = _options.localSocketPath;
        }
        _tcpListeners = std::move(tcpListeners);
        _localListener = std::move(local);
        if (!_tcpListeners.empty())
            _port = _tcpListeners.front()->local_endpoint().port();
        _bound = true;
    }

    Uint32 boundPort() const { return _port.load(); }

    void run()
    {
        bind();
        _running = true;
        net::post(_control, [this] {
            watchStopPipe();
            if (_stopping.load())
                return;
            sweep();
            for (auto& listener : _tcpListeners)
                accept(*listener);
            if (_localListener)
                accept(*_localListener);
        });

        {
            std::lock_guard<std::mutex> lock(_threadsMutex);
            _threadCount = _options.workerThreads;
            for (unsigned i = 1; i < _options.workerThreads; ++i)
                _threads.emplace_back([this] { serve(); });
        }
        serve();
        _running = false;

        // run() only returns once nothing is left to do on any thread, so
        // no handler can still be adding threads here.
        std::vector<std::thread> threads;
        {
            std::lock_guard<std::mutex> lock(_threadsMutex);
            threads.swap(_threads);
        }
        for (std::thread& t : threads)
            t.join();
        closeListeners();
        removeSocketFile();
    }

    void stop()
    {
        _stopRequested = true;
        net::post(_control, [this] { beginStop(); });
    }

    void signalStop() noexcept
    {
        _stopRequested = true;
        int saved = errno;
        char byte = 1;
        ssize_t ignored = ::write(_pipe[1], &byte, 1);
        (void)ignored;
        errno = saved;
    }

    bool stopRequested() const { return _stopRequested.load(); }

private:
    void serve()
    {
        for (;;)
        {
            try
            {
                _io.run();
                return;
            }
            catch (...)
            {
                // Handlers catch what they expect; anything else loses at
                // most the connection it came from.
            }
        }
    }

    void addThread()
    {
        std::lock_guard<std::mutex> lock(_threadsMutex);
        if (_threadCount.load() >= _options.maxThreads)
            return;
        try
        {
            _threads.emplace_back([this] { serve(); });
            ++_threadCount;
        }
        catch (const std::system_error&)
        {
            // No thread to be had: the clients wait for the busy ones.
        }
    }

    template <class Acceptor>
    void accept(Acceptor& listener)
    {
        // The new socket gets its own strand: a connection's handlers never
        // run concurrently, those of different connections do.
        listener.async_accept(
            net::make_strand(_io),
            [this, &listener](error_code ec,
                              typename Acceptor::protocol_type::socket socket) {
                if (_stopping.load())
                    return;
                if (ec)
                {
                    if (ec == net::error::operation_aborted)
                        return;
                    // Out of descriptors or memory: wait a little instead of
                    // spinning on the same error.
                    _acceptRetry.expires_after(std::chrono::milliseconds(100));
                    _acceptRetry.async_wait([this, &listener](error_code e) {
                        if (!e && !_stopping.load())
                            accept(listener);
                    });
                    return;
                }
                admit(makeHttpConnection(*this, std::move(socket)),
                      std::is_same<Acceptor, stream_protocol::acceptor>::value);
                accept(listener);
            });
    }

    // Closes overdue connections and releases free memory after a busy
    // spell, once a second, until the server has stopped and its last
    // connection is gone.
    void sweep()
    {
        std::vector<std::shared_ptr<HttpConnection>> connections = liveConnections();
        std::int64_t now = std::chrono::steady_clock::now().time_since_epoch().count();
        for (auto& c : connections)
            c->expireIfOverdue(now);
        if (_stopping.load() && connections.empty())
            return;
        releaseFreeMemory();
        _sweeper.expires_after(std::chrono::seconds(1));
        _sweeper.async_wait([this](error_code ec) {
            if (!ec)
                sweep();
        });
    }

    // Gives the heap's free pages back to the system.  Not in a sanitizer
    // build: its allocator replaces glibc's, whose trim then walks heaps
    // that were never set up (seen crashing under AddressSanitizer).
    static void trimHeap()
    {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
        ::malloc_trim(0);
#endif
    }

    // A large answer built whole (a big class list, a provider's
    // instances) leaves much memory free but still mapped in the heaps of
    // the threads that built it; once the server has gone quiet, give it
    // back to the system.
    void releaseFreeMemory()
    {
        if (_busy.load() != 0)
        {
            _quietSweeps = 0;
            return;
        }
        if (_servedSinceTrim.exchange(0) != 0)
        {
            _quietSweeps = 0;
            _cachesHeld = true;
            trimHeap();
            return;
        }
        // Quiet for a while after a busy spell: what the processor keeps
        // for the next request goes too.
        if (_cachesHeld && _options.cacheIdleSeconds != 0 &&
            ++_quietSweeps >= _options.cacheIdleSeconds)
        {
            _cachesHeld = false;
            _processor.releaseCaches();
            trimHeap();
        }
    }

    std::vector<std::shared_ptr<HttpConnection>> liveConnections()
    {
        std::vector<std::shared_ptr<HttpConnection>> live;
        std::lock_guard<std::mutex> lock(_connectionsMutex);
        live.reserve(_connections.size());
        for (auto& entry : _connections)
            if (std::shared_ptr<HttpConnection> c = entry.second.connection.lock())
                live.push_back(std::move(c));
        return live;
    }

    // Registers a new connection and starts it.  At the limit of its kind
    // (TCP or local), the connection of that kind that has waited longest
    // for its client's request is closed to make room; the new one is
    // dropped only when none is waiting.
    void admit(const std::shared_ptr<HttpConnection>& connection, bool local)
    {
        // References taken while looking for a connection to evict are let
        // go after the lock: the last one closes its connection, which
        // takes the lock to deregister.
        std::vector<std::shared_ptr<HttpConnection>> looked;
        {
            std::lock_guard<std::mutex> lock(_connectionsMutex);
            unsigned& count = local ? _localCount : _tcpCount;
            unsigned limit = local ? _options.maxLocalConnections
                                   : _options.maxConnections;
            if (count >= limit && !evictOldestWaiting(local, looked))
                return;  // dropping the last reference closes the socket
            _connections.emplace(connection.get(),
                                 Registered{connection, local, true});
            ++count;
        }
        connection->start();
    }

    // With _connectionsMutex held.  An evicted connection no longer counts
    // against the limit, although it leaves the registry only once its
    // socket is closed (a moment later, on its own strand).
    bool evictOldestWaiting(bool local,
                            std::vector<std::shared_ptr<HttpConnection>>& looked)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            Registered* oldest = nullptr;
            HttpConnection* victim = nullptr;
            std::int64_t since = 0;
            for (auto& entry : _connections)
            {
                Registered& r = entry.second;
                if (r.local != local || !r.counted)
                    continue;
                std::shared_ptr<HttpConnection> c = r.connection.lock();
                if (!c)
                    continue;
                std::int64_t s = c->waitingSince();
                looked.push_back(std::move(c));
                if (s != 0 && (since == 0 || s < since))
                {
                    oldest = &r;
                    victim = looked.back().get();
                    since = s;
                }
            }
            if (!victim)
                return false;
            if (victim->evict(since))
            {
                oldest->counted = false;
                --(local ? _localCount : _tcpCount);
                return true;
            }
            // It began a request or closed meanwhile: look again.
        }
        return false;
    }

    void watchStopPipe()
    {
        _stopPipe.async_read_some(net::buffer(&_pipeByte, 1),
                                  [this](error_code ec, std::size_t) {
                                      if (!ec)
                                          beginStop();
                                  });
    }

    // On the control strand.
    void beginStop()
    {
        if (_stopping.exchange(true))
            return;
        closeListeners();
        _acceptRetry.cancel();
        error_code ignored;
        _stopPipe.close(ignored);

        std::vector<std::shared_ptr<HttpConnection>> connections = liveConnections();
        if (connections.empty())
            _sweeper.cancel();
        for (auto& c : connections)
            c->notifyStop();
    }

    void closeListeners()
    {
        error_code ignored;
        for (auto& listener : _tcpListeners)
            listener->close(ignored);
        if (_localListener)
            _localListener->close(ignored);
    }

    void removeSocketFile()
    {
        if (!_socketFile.empty())
        {
            ::unlink(_socketFile.c_str());
            _socketFile.clear();
        }
    }

    HttpServerOptions _options;
    RequestProcessor& _processor;

    // Connections deregister from their destructors, which may run while
    // _io is destroyed: the registry must outlive _io.
    struct Registered
    {
        std::weak_ptr<HttpConnection> connection;
        bool local;    // came in on the local socket
        bool counted;  // counts against its limit (not yet evicted)
    };
    std::mutex _connectionsMutex;
    std::unordered_map<HttpConnection*, Registered> _connections;
    unsigned _tcpCount = 0;
    unsigned _localCount = 0;

    std::atomic<std::size_t> _maxRequestBytes{0};
    std::atomic<unsigned> _idleTimeout{0};
    std::atomic<unsigned> _writeTimeout{0};

    std::mutex _threadsMutex;
    std::vector<std::thread> _threads;
    std::atomic<unsigned> _threadCount{0};
    std::atomic<unsigned> _busy{0};
    // Requests finished and connections closed since the last trim.
    std::atomic<unsigned> _servedSinceTrim{0};
    // The sweeper's own: quiet sweeps in a row, and whether the processor
    // may hold caches from requests since it last released them.
    unsigned _quietSweeps = 0;
    bool _cachesHeld = false;

    std::atomic<bool> _stopRequested{false};
    std::atomic<bool> _stopping{false};
    std::atomic<bool> _running{false};
    std::atomic<Uint32> _port{0};
    bool _bound = false;
    std::string _socketFile;  // set while this object owns the socket file
    int _pipe[2] = {-1, -1};
    char _pipeByte = 0;

    net::io_context _io;
    net::strand<net::io_context::executor_type> _control;
    net::posix::stream_descriptor _stopPipe;
    net::steady_timer _acceptRetry;
    net::steady_timer _sweeper;
    std::vector<std::unique_ptr<tcp::acceptor>> _tcpListeners;
    std::unique_ptr<stream_protocol::acceptor> _localListener;
};

HttpServer::HttpServer(const HttpServerOptions& options,
                       RequestProcessor& processor)
    : _impl(new Impl(options, processor))
{
}

HttpServer::~HttpServer() = default;

void HttpServer::bind() { _impl->bind(); }

Uint32 HttpServer::boundPort() const { return _impl->boundPort(); }

void HttpServer::run() { _impl->run(); }

void HttpServer::stop() { _impl->stop(); }

void HttpServer::requestStopFromSignal() noexcept { _impl->signalStop(); }

bool HttpServer::stopRequested() const { return _impl->stopRequested(); }

void HttpServer::setMaxRequestBytes(std::size_t bytes)
{
    _impl->setMaxRequestBytes(bytes);
}

void HttpServer::setIdleTimeout(unsigned seconds)
{
    _impl->setIdleTimeout(seconds);
}

void HttpServer::setWriteTimeout(unsigned seconds)
{
    _impl->setWriteTimeout(seconds);
}

}  // namespace Pegasus
