#ifndef KTA_TESTS_CIM_CLIENT_SCRIPTEDHTTPPEER_H
#define KTA_TESTS_CIM_CLIENT_SCRIPTEDHTTPPEER_H

// A scripted HTTP server for client tests: a thread that accepts
// connections on 127.0.0.1 (any free port) or on a Unix-domain socket,
// reads one request at a time and answers with canned bytes, following a
// script of actions given in advance.  It records every request it read.

#include "LocalSocketPath.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kta_test {

struct PeerAction
{
    enum Kind
    {
        Reply,          // write `bytes`, keep the connection
        ReplyAndClose,  // write `bytes`, then close the connection
        Close,          // close without answering
        Hang            // never answer; wait until the client gives up
    };
    Kind kind;
    std::string bytes;
};

inline PeerAction reply(const std::string& b) { return {PeerAction::Reply, b}; }
inline PeerAction replyAndClose(const std::string& b)
{
    return {PeerAction::ReplyAndClose, b};
}
inline PeerAction closeConnection() { return {PeerAction::Close, ""}; }
inline PeerAction hang() { return {PeerAction::Hang, ""}; }

// Reads a whole file (a wire capture) into a string; throws if missing.
inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string wireFile(const std::string& name)
{
    return readFile(std::string(KTA_SHARED_DIR) + "/wire/" + name);
}

class ScriptedHttpPeer
{
public:
    // Listens on 127.0.0.1, on a port chosen by the system.
    ScriptedHttpPeer()
    {
        _listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a;
        std::memset(&a, 0, sizeof(a));
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        if (::bind(_listenFd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0)
            throw std::runtime_error("bind failed");
        socklen_t len = sizeof(a);
        ::getsockname(_listenFd, reinterpret_cast<sockaddr*>(&a), &len);
        _port = ntohs(a.sin_port);
        start();
    }

    // Listens on a Unix-domain socket at `path` (any length).
    explicit ScriptedHttpPeer(const std::string& path) : _port(0)
    {
        _listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        Pegasus::LocalSocketPath::Address address(path);
        if (!address.valid())
            throw std::runtime_error(address.error());
        ::unlink(address.kernelPath().c_str());
        if (::bind(_listenFd, address.addr(), address.length()) != 0)
            throw std::runtime_error(std::string("bind failed: ") +
                                     std::strerror(errno));
        start();
    }

    ~ScriptedHttpPeer()
    {
        _stop = true;
        _thread.join();
        ::close(_listenFd);
    }

    unsigned short port() const { return _port; }

    void push(const PeerAction& action)
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _script.push_back(action);
    }

    // The requests read so far, raw bytes.
    std::vector<std::string> requests() const
    {
        std::lock_guard<std::mutex> lock(_mutex);
        return _requests;
    }

    // Waits (up to 5 s) until `n` requests have been read.
    bool waitForRequests(std::size_t n)
    {
        std::unique_lock<std::mutex> lock(_mutex);
        return _cv.wait_for(lock, std::chrono::seconds(5),
                            [&] { return _requests.size() >= n; });
    }

    int connectionsAccepted() const { return _accepted; }

private:
    void start()
    {
        ::listen(_listenFd, 8);
        _thread = std::thread([this] { run(); });
    }

    // Waits for `fd` to become readable; false when stopping.
    bool waitReadable(int fd)
    {
        while (!_stop)
        {
            pollfd p = {fd, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0)
                return true;
        }
        return false;
    }

    // Reads one request (headers and a Content-Length body).  False if the
    // client closed the connection or the peer is stopping.
    bool readRequest(int fd, std::string& request)
    {
        std::string data;
        std::size_t headerEnd = std::string::npos;
        std::size_t total = std::string::npos;
        char buf[4096];
        while (total == std::string::npos || data.size() < total)
        {
            if (!waitReadable(fd))
                return false;
            ssize_t n = ::read(fd, buf, sizeof(buf));
            if (n <= 0)
                return false;
            data.append(buf, static_cast<std::size_t>(n));
            if (headerEnd == std::string::npos)
            {
                headerEnd = data.find("\r\n\r\n");
                if (headerEnd != std::string::npos)
                    total = headerEnd + 4 + contentLength(data.substr(0, headerEnd));
            }
        }
        request = data;
        return true;
    }

    static std::size_t contentLength(const std::string& head)
    {
        std::istringstream in(head);
        std::string line;
        while (std::getline(in, line))
        {
            if (line.size() > 15 &&
                ::strncasecmp(line.c_str(), "content-length:", 15) == 0)
                return std::stoul(line.substr(15));
        }
        return 0;
    }

    bool nextAction(PeerAction& action)
    {
        std::lock_guard<std::mutex> lock(_mutex);
        if (_script.empty())
            return false;
        action = _script.front();
        _script.pop_front();
        return true;
    }

    void serve(int fd)
    {
        for (;;)
        {
            std::string request;
            if (!readRequest(fd, request))
                return;
            {
                std::lock_guard<std::mutex> lock(_mutex);
                _requests.push_back(request);
            }
            _cv.notify_all();
            PeerAction action;
            if (!nextAction(action))
                return;
            switch (action.kind)
            {
            case PeerAction::Reply:
            case PeerAction::ReplyAndClose:
            {
                std::size_t off = 0;
                while (off < action.bytes.size())
                {
                    ssize_t n = ::send(fd, action.bytes.data() + off,
                                       action.bytes.size() - off, MSG_NOSIGNAL);
                    if (n <= 0)
                        return;
                    off += static_cast<std::size_t>(n);
                }
                if (action.kind == PeerAction::ReplyAndClose)
                    return;
                break;
            }
            case PeerAction::Close:
                return;
            case PeerAction::Hang:
            {
                char c;
                while (waitReadable(fd) && ::read(fd, &c, 1) > 0)
                {
                }
                return;
            }
            }
        }
    }

    void run()
    {
        while (waitReadable(_listenFd))
        {
            int fd = ::accept4(_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            ++_accepted;
            serve(fd);
            ::close(fd);
        }
    }

    int _listenFd;
    unsigned short _port;
    std::atomic<bool> _stop{false};
    std::atomic<int> _accepted{0};
    std::thread _thread;
    mutable std::mutex _mutex;
    std::condition_variable _cv;
    std::deque<PeerAction> _script;
    std::vector<std::string> _requests;
};

} // namespace kta_test

#endif
