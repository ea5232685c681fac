#ifndef KTA_TESTS_CIM_SERVER_HTTP_HTTPSERVERHARNESS_H
#define KTA_TESTS_CIM_SERVER_HTTP_HTTPSERVERHARNESS_H

// Test helpers for the HTTP front end: a scriptable RequestProcessor, a
// server running on its own thread, and a raw client that sends bytes and
// reads back one whole response exactly as it came off the wire.

#include "HttpServer.h"

#include <atomic>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kta_test {

inline std::string wireFile(const std::string& name)
{
    std::ifstream in(std::string(KTA_SHARED_DIR) + "/wire/" + name,
                     std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read capture " + name);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The body of a captured response: the single data chunk of a chunked one,
// everything after the header otherwise.
inline std::string responseBody(const std::string& response)
{
    std::size_t start = response.find("\r\n\r\n") + 4;
    if (response.find("transfer-encoding: chunked") == std::string::npos)
        return response.substr(start);
    std::size_t eol = response.find("\r\n", start);
    std::size_t size = std::stoul(response.substr(start, eol - start), nullptr, 16);
    return response.substr(eol + 2, size);
}

// Answers every request with whatever `handler` returns (an empty success by
// default), counts the calls and keeps the last caller.
class FakeProcessor : public Pegasus::RequestProcessor
{
public:
    std::function<Pegasus::OperationOutcome(const Pegasus::CimXmlRequestMessage&)> handler;
    std::atomic<int> calls{0};
    std::atomic<int> cacheReleases{0};

    void releaseCaches() override { ++cacheReleases; }

    Pegasus::OperationOutcome process(const Pegasus::CimXmlRequestMessage& r,
                                      const Pegasus::RequestCaller& caller) override
    {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            _lastCaller = caller;
        }
        ++calls;
        return handler ? handler(r) : Pegasus::OperationOutcome();
    }

    Pegasus::RequestCaller lastCaller()
    {
        std::lock_guard<std::mutex> lock(_mutex);
        return _lastCaller;
    }

private:
    std::mutex _mutex;
    Pegasus::RequestCaller _lastCaller;
};

inline Pegasus::OperationOutcome success(const std::string& body)
{
    Pegasus::OperationOutcome o;
    o.body = body;
    return o;
}

inline Pegasus::OperationOutcome failure(Pegasus::CIMStatusCode code,
                                         const char* description)
{
    Pegasus::OperationOutcome o;
    o.failed = true;
    o.code = code;
    o.description = description;
    return o;
}

// An HttpServer bound on 127.0.0.1 (a free port) and serving on a thread.
class RunningServer
{
public:
    explicit RunningServer(Pegasus::RequestProcessor& processor,
                           Pegasus::HttpServerOptions options = defaults())
        : server(options, processor)
    {
        server.bind();
        _thread = std::thread([this] {
            server.run();
            finished = true;
        });
    }

    ~RunningServer()
    {
        server.stop();
        _thread.join();
    }

    static Pegasus::HttpServerOptions defaults()
    {
        Pegasus::HttpServerOptions o;
        o.httpPort = 0;
        o.workerThreads = 2;
        return o;
    }

    // Waits up to `ms` for run() to return.
    bool waitFinished(int ms = 5000)
    {
        for (int i = 0; i < ms / 10 && !finished; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return finished;
    }

    Pegasus::HttpServer server;
    std::atomic<bool> finished{false};

private:
    std::thread _thread;
};

// A blocking TCP client speaking raw bytes.  Reads give up after 10 s.
class RawClient
{
public:
    explicit RawClient(unsigned port)
    {
        _fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a;
        std::memset(&a, 0, sizeof(a));
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<unsigned short>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected = ::connect(_fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0;
    }
    ~RawClient() { close(); }

    void close()
    {
        if (_fd >= 0)
            ::close(_fd);
        _fd = -1;
    }

    bool send(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size())
        {
            ssize_t n = ::send(_fd, bytes.data() + done, bytes.size() - done,
                               MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += std::size_t(n);
        }
        return true;
    }

    // One whole response: framed by content-length, by chunks and trailers,
    // or (neither) by the end of the connection.  Empty on time-out or when
    // the connection ends first.
    std::string readResponse()
    {
        std::size_t headerEnd;
        while ((headerEnd = _in.find("\r\n\r\n")) == std::string::npos)
            if (!fill())
                return std::string();
        headerEnd += 4;
        std::string head = lower(_in.substr(0, headerEnd));
        if (head.compare(0, 10, "http/1.1 1") == 0)
            return take(headerEnd);  // interim answers have no body
        std::size_t cl = head.find("\r\ncontent-length:");
        if (cl != std::string::npos)
        {
            std::size_t length = std::stoul(head.substr(cl + 17));
            while (_in.size() < headerEnd + length)
                if (!fill())
                    return std::string();
            return take(headerEnd + length);
        }
        if (head.find("\r\ntransfer-encoding: chunked") != std::string::npos)
        {
            std::size_t pos = headerEnd;
            for (;;)
            {
                std::size_t eol;
                while ((eol = _in.find("\r\n", pos)) == std::string::npos)
                    if (!fill())
                        return std::string();
                std::size_t size = std::stoul(_in.substr(pos, eol - pos), nullptr, 16);
                if (size == 0)
                {
                    std::size_t end;
                    while ((end = _in.find("\r\n\r\n", eol)) == std::string::npos)
                        if (!fill())
                            return std::string();
                    return take(end + 4);
                }
                pos = eol + 2 + size + 2;
                while (_in.size() < pos)
                    if (!fill())
                        return std::string();
            }
        }
        while (fill())
        {
        }
        return take(_in.size());
    }

    // True when the server closes the connection within `ms`.
    bool closedByPeer(int ms = 5000)
    {
        return !fill(ms) && _eof;
    }

    bool connected = false;

private:
    bool fill(int ms = 10000)
    {
        pollfd p = {_fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0)
            return false;
        char buf[65536];
        ssize_t n = ::recv(_fd, buf, sizeof(buf), 0);
        if (n <= 0)
        {
            _eof = true;
            return false;
        }
        _in.append(buf, std::size_t(n));
        return true;
    }

    std::string take(std::size_t n)
    {
        std::string out = _in.substr(0, n);
        _in.erase(0, n);
        return out;
    }

    static std::string lower(std::string s)
    {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        return s;
    }

    int _fd = -1;
    bool _eof = false;
    std::string _in;
};

}  // namespace kta_test

#endif
