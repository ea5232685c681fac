// The HTTP front end driven over real sockets: captured requests replayed
// byte for byte, protocol errors, hostile clients, concurrency and stopping.

#include "HttpServerHarness.h"

#include <gtest/gtest.h>

#include <Pegasus/Common/Exception.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <regex>

using namespace Pegasus;
using namespace kta_test;

namespace {

// A captured request, cut to its content-length (one capture carries a
// stray newline after the body).
std::string requestBytes(const std::string& name)
{
    std::string r = wireFile(name);
    std::smatch m;
    std::regex_search(r, m, std::regex("content-length: *([0-9]+)", std::regex::icase));
    return r.substr(0, r.find("\r\n\r\n") + 4 + std::stoul(m[1]));
}

// Lets a test hold process() until it says go.
class Gate
{
public:
    void open()
    {
        std::lock_guard<std::mutex> l(_m);
        _open = true;
        _cv.notify_all();
    }
    void wait()
    {
        std::unique_lock<std::mutex> l(_m);
        _cv.wait(l, [this] { return _open; });
    }

private:
    std::mutex _m;
    std::condition_variable _cv;
    bool _open = false;
};

bool waitFor(const std::function<bool()>& condition, int ms = 5000)
{
    for (int i = 0; i < ms / 5; ++i)
    {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

struct CaptureCase
{
    const char* prefix;  // file names are <prefix>-request.txt / -response.txt
    bool failed;
    CIMStatusCode code;
    const char* description;
};

const CaptureCase kCaptures[] = {
    {"01-GetClass-CIM_ComputerSystem-cimcli", false, CIM_ERR_SUCCESS, ""},
    {"02-GetClass-WT_Widget-explicit-params-wbemexec", false, CIM_ERR_SUCCESS, ""},
    {"09b-InvokeMethod-SayHello-cimcli-step2-SayHello", false, CIM_ERR_SUCCESS, ""},
    {"11-error-GetClass-NOT_FOUND-cimcli", true, CIM_ERR_NOT_FOUND,
     "CIM_ERR_NOT_FOUND: NoSuchClass"},
    {"13-error-GetInstance-NOT_FOUND-cimcli", true, CIM_ERR_NOT_FOUND,
     "CIM_ERR_NOT_FOUND: WT_Widget.Id=\"nope\""},
    {"16-GetClass-CIM_ComputerSystem-wbemcli", false, CIM_ERR_SUCCESS, ""},
    {"19-error-GetClass-NOT_FOUND-wbemcli", true, CIM_ERR_NOT_FOUND,
     "CIM_ERR_NOT_FOUND: NoSuchClass"},
    {"20-error-EnumerateClassNames-INVALID_NAMESPACE-wbemcli", true,
     CIM_ERR_INVALID_NAMESPACE, "CIM_ERR_INVALID_NAMESPACE: root/nosuchns"},
    {"22-cimmof-CreateInstance-__Namespace", false, CIM_ERR_SUCCESS, ""},
    {"26-cimmof-GetClass-NOT_FOUND-before-create", true, CIM_ERR_NOT_FOUND,
     "CIM_ERR_NOT_FOUND: WT_Base"},
};

TEST(HttpServer, ReplaysCapturedExchangesByteForByteOnOneConnection)
{
    FakeProcessor processor;
    OperationOutcome next;
    processor.handler = [&](const CimXmlRequestMessage&) { return next; };
    RunningServer running(processor);
    RawClient client(running.server.boundPort());
    ASSERT_TRUE(client.connected);

    for (const CaptureCase& c : kCaptures)
    {
        SCOPED_TRACE(c.prefix);
        std::string expected = wireFile(std::string(c.prefix) + "-response.txt");
        next = c.failed ? failure(c.code, c.description)
                        : success(responseBody(expected));
        ASSERT_TRUE(client.send(requestBytes(std::string(c.prefix) + "-request.txt")));
        EXPECT_EQ(expected, client.readResponse());
    }
    EXPECT_EQ(int(sizeof(kCaptures) / sizeof(kCaptures[0])), processor.calls.load());
}

TEST(HttpServer, CapturedBadRequestsGetTheExactAnswerAndTheConnectionCloses)
{
    FakeProcessor processor;
    RunningServer running(processor);
    for (const char* prefix : {"33-error-HTTP400-missing-CIMMethod-header",
                               "34-error-HTTP400-CIMMethod-mismatch",
                               "35-error-HTTP400-bad-xml"})
    {
        SCOPED_TRACE(prefix);
        RawClient client(running.server.boundPort());
        ASSERT_TRUE(client.send(requestBytes(std::string(prefix) + "-request.txt")));
        EXPECT_EQ(wireFile(std::string(prefix) + "-response.txt"),
                  client.readResponse());
        EXPECT_TRUE(client.closedByPeer());
    }
    EXPECT_EQ(0, processor.calls.load());
}

// The body of a valid GetClass request in root/wire.
const std::string kBody = [] {
    std::string r = requestBytes("04-GetClass-WT_Widget-cimcli-request.txt");
    return r.substr(r.find("\r\n\r\n") + 4);
}();

std::string post(const std::string& fields, const std::string& body,
                 const std::string& method = "POST")
{
    return method + " /cimom HTTP/1.1\r\nHost: x\r\n" + fields +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(HttpServer, ProtocolViolationsAreRefusedWithoutReachingTheProcessor)
{
    const std::string ok = "CIMOperation: MethodCall\r\nCIMMethod: GetClass\r\n"
                           "CIMObject: root%2Fwire\r\n";
    struct Case
    {
        std::string request;
        const char* statusLine;
        const char* cimError;  // nullptr: no CIMError field
        const char* detail;    // percent-encoded, as sent
    } cases[] = {
        {post("CIMMethod: GetClass\r\nCIMObject: root%2Fwire\r\n", kBody),
         "HTTP/1.1 400 Bad Request", "header-mismatch",
         "Missing%20CIMOperation%20HTTP%20header."},
        {post("CIMOperation: MethodResponse\r\nCIMMethod: GetClass\r\n"
              "CIMObject: root%2Fwire\r\n", kBody),
         "HTTP/1.1 400 Bad Request", "header-mismatch", nullptr},
        {post("CIMOperation: MethodCall\r\nCIMMethod: GetClass\r\n", kBody),
         "HTTP/1.1 400 Bad Request", "header-mismatch",
         "Missing%20CIMObject%20HTTP%20header."},
        {post("CIMOperation: MethodCall\r\nCIMMethod: GetClass\r\n"
              "CIMObject: root%2Fother\r\n", kBody),
         "HTTP/1.1 400 Bad Request", "header-mismatch", nullptr},
        {post(ok, "<?xml version=\"1.0\"?><CIM><NOTCIM/></CIM>"),
         "HTTP/1.1 400 Bad Request", "request-not-valid", nullptr},
        {post(ok, "<!DOCTYPE CIM [<!ENTITY a \"b\">]><CIM>&a;</CIM>"),
         "HTTP/1.1 400 Bad Request", "request-not-valid", nullptr},
        {post(ok, "<CIM>\n<MESSAGE>"), "HTTP/1.1 400 Bad Request",
         "request-not-well-formed", nullptr},
        {post(ok + "CIMProtocolVersion: 2.0\r\n", kBody),
         "HTTP/1.1 501 Not Implemented", "unsupported-protocol-version", nullptr},
        {post(ok, kBody, "GET"), "HTTP/1.1 405 Method Not Allowed", nullptr, nullptr},
        {post(ok, kBody, "M-POST"), "HTTP/1.1 501 Not Implemented", nullptr, nullptr},
        {"this is not HTTP\r\n\r\n", "HTTP/1.1 400 Bad Request", nullptr, nullptr},
        {"POST /cimom HTTP/1.1\r\nContent-Length: 99999999999\r\n\r\n",
         "HTTP/1.1 413 Request Entity Too Large", nullptr, nullptr},
        {"POST /cimom HTTP/1.1\r\nX: " + std::string(70000, 'x') + "\r\n\r\n",
         "HTTP/1.1 400 Bad Request", nullptr, nullptr},
    };
    FakeProcessor processor;
    RunningServer running(processor);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.request.substr(0, 80));
        RawClient client(running.server.boundPort());
        client.send(c.request);
        std::string response = client.readResponse();
        EXPECT_EQ(0u, response.find(std::string(c.statusLine) + "\r\n")) << response;
        EXPECT_EQ(c.cimError != nullptr,
                  response.find("\r\nCIMError: ") != std::string::npos) << response;
        if (c.cimError)
        {
            EXPECT_NE(std::string::npos,
                      response.find(std::string("\r\nCIMError: ") + c.cimError + "\r\n"));
        }
        if (c.detail)
        {
            EXPECT_NE(std::string::npos,
                      response.find(std::string("\r\nPGErrorDetail: ") + c.detail + "\r\n"));
        }
        EXPECT_TRUE(client.closedByPeer());
    }
    EXPECT_EQ(0, processor.calls.load());

    // After all that, the server still answers.
    RawClient client(running.server.boundPort());
    client.send(post(ok, kBody));
    EXPECT_EQ(0u, client.readResponse().find("HTTP/1.1 200 OK\r\n"));
}

TEST(HttpServer, BodyOverTheLimitIsRefusedAndTheAnswerStillReachesTheClient)
{
    FakeProcessor processor;
    HttpServerOptions options = RunningServer::defaults();
    options.maxRequestBytes = 1000;
    RunningServer running(processor, options);
    RawClient client(running.server.boundPort());
    // The client sends everything before reading, as simple clients do.
    std::string body(200000, ' ');
    client.send(post("CIMOperation: MethodCall\r\n", body));
    EXPECT_EQ(0u, client.readResponse().find("HTTP/1.1 413 Request Entity Too Large\r\n"));
    EXPECT_EQ(0, processor.calls.load());
}

TEST(HttpServer, ClientsThatVanishMidRequestDoNotDisturbTheServer)
{
    FakeProcessor processor;
    Gate gate;
    processor.handler = [&](const CimXmlRequestMessage& r) {
        if (r.messageId == "1000")
            gate.wait();
        return success("<answer/>");
    };
    RunningServer running(processor);
    std::string request = requestBytes("04-GetClass-WT_Widget-cimcli-request.txt");
    {
        RawClient half(running.server.boundPort());
        half.send(request.substr(0, request.size() / 2));
    }
    {
        RawClient gone(running.server.boundPort());
        gone.send(request);
        ASSERT_TRUE(waitFor([&] { return processor.calls.load() == 1; }));
    }
    gate.open();  // its answer now goes nowhere

    std::string other = request;
    other.replace(other.find("ID=\"1000\""), 9, "ID=\"1001\"");
    RawClient client(running.server.boundPort());
    client.send(other);
    EXPECT_EQ(0u, client.readResponse().find("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(2, processor.calls.load());
}

TEST(HttpServer, SlowRequestsDoNotHoldUpOthersEvenWithOneThread)
{
    FakeProcessor processor;
    Gate gate;
    processor.handler = [&](const CimXmlRequestMessage& r) {
        if (String::equalNoCase(r.methodName, "EnumerateInstances"))
            gate.wait();
        return success("<done/>");
    };
    HttpServerOptions options = RunningServer::defaults();
    options.workerThreads = 1;
    RunningServer running(processor, options);

    RawClient slow1(running.server.boundPort()), slow2(running.server.boundPort());
    slow1.send(requestBytes("06-EnumerateInstances-WT_Widget-cimcli-request.txt"));
    slow2.send(requestBytes("06-EnumerateInstances-WT_Widget-cimcli-request.txt"));
    ASSERT_TRUE(waitFor([&] { return processor.calls.load() == 2; }));

    RawClient fast(running.server.boundPort());
    fast.send(requestBytes("04-GetClass-WT_Widget-cimcli-request.txt"));
    EXPECT_EQ(0u, fast.readResponse().find("HTTP/1.1 200 OK\r\n"));

    gate.open();
    EXPECT_EQ(0u, slow1.readResponse().find("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(0u, slow2.readResponse().find("HTTP/1.1 200 OK\r\n"));
}

TEST(HttpServer, StopFromAnotherThreadAnswersRequestsInFlightThenReturns)
{
    FakeProcessor processor;
    Gate gate;
    processor.handler = [&](const CimXmlRequestMessage&) {
        gate.wait();
        return success("<late/>");
    };
    RunningServer running(processor);
    RawClient idle(running.server.boundPort());
    RawClient busy(running.server.boundPort());
    busy.send(requestBytes("04-GetClass-WT_Widget-cimcli-request.txt"));
    ASSERT_TRUE(waitFor([&] { return processor.calls.load() == 1; }));

    running.server.stop();
    EXPECT_TRUE(idle.closedByPeer());
    EXPECT_FALSE(running.waitFinished(200));  // still answering `busy`
    EXPECT_FALSE(RawClient(running.server.boundPort()).connected);

    gate.open();
    std::string response = busy.readResponse();
    EXPECT_EQ(0u, response.find("HTTP/1.1 200 OK\r\n"));
    EXPECT_NE(std::string::npos, response.find("\r\nConnection: close\r\n"));
    EXPECT_NE(std::string::npos, response.find("<late/>"));
    EXPECT_TRUE(running.waitFinished());
    EXPECT_FALSE(RawClient(running.server.boundPort()).connected);
}

TEST(HttpServer, StopFromInsideProcessAnswersThatRequest)
{
    FakeProcessor processor;
    HttpServer* server = nullptr;
    processor.handler = [&](const CimXmlRequestMessage&) {
        server->stop();
        return success("<bye/>");
    };
    RunningServer running(processor);
    server = &running.server;
    RawClient client(running.server.boundPort());
    client.send(requestBytes("04-GetClass-WT_Widget-cimcli-request.txt"));
    EXPECT_NE(std::string::npos, client.readResponse().find("<bye/>"));
    EXPECT_TRUE(running.waitFinished());
}

HttpServer* gSignalledServer = nullptr;
extern "C" void onTestSignal(int) { gSignalledServer->requestStopFromSignal(); }

TEST(HttpServer, StopFromASignalHandler)
{
    FakeProcessor processor;
    RunningServer running(processor);
    gSignalledServer = &running.server;
    struct sigaction action, previous;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = onTestSignal;
    sigaction(SIGUSR2, &action, &previous);
    std::raise(SIGUSR2);
    sigaction(SIGUSR2, &previous, nullptr);
    EXPECT_TRUE(running.waitFinished());
    EXPECT_TRUE(running.server.stopRequested());
}

TEST(HttpServer, StopBeforeRunMakesRunReturnAtOnce)
{
    FakeProcessor processor;
    HttpServerOptions options = RunningServer::defaults();
    HttpServer server(options, processor);
    server.stop();
    server.run();
    EXPECT_NE(0u, server.boundPort());
}

TEST(HttpServer, BindOnABusyPortFailsWithTheSystemReason)
{
    FakeProcessor processor;
    RunningServer first(processor);
    HttpServerOptions options = RunningServer::defaults();
    options.httpPort = first.server.boundPort();
    HttpServer second(options, processor);
    try
    {
        second.bind();
        FAIL() << "bind succeeded on a busy port";
    }
    catch (const BindFailedException& e)
    {
        EXPECT_EQ("Bind failed: Failed to bind socket on port " +
                      std::to_string(options.httpPort) +
                      ": Address already in use (error code 98).",
                  std::string(e.getMessage().getCString()));
    }
}

// After requests, once the server has been quiet for cacheIdleSeconds, the
// processor is told to drop its caches, once per busy spell; never with 0.
TEST(HttpServer, CachesAreReleasedOnceWhenTheServerHasBeenQuietAfterRequests)
{
    FakeProcessor releasing;
    FakeProcessor keeping;
    HttpServerOptions options = RunningServer::defaults();
    options.cacheIdleSeconds = 1;
    RunningServer first(releasing, options);
    options.cacheIdleSeconds = 0;
    RunningServer second(keeping, options);
    const std::string request = requestBytes("04-GetClass-WT_Widget-cimcli-request.txt");
    for (RunningServer* running : {&first, &second})
    {
        RawClient client(running->server.boundPort());
        client.send(request);
        EXPECT_EQ(0u, client.readResponse().find("HTTP/1.1 200 OK\r\n"));
    }
    EXPECT_TRUE(waitFor([&] { return releasing.cacheReleases.load() == 1; }, 5000));
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    EXPECT_EQ(1, releasing.cacheReleases.load()) << "released again without new requests";
    EXPECT_EQ(0, keeping.cacheReleases.load());
}

TEST(HttpServer, KeepAliveConnectionsFollowTheClientsWishesAndTimeOut)
{
    FakeProcessor processor;
    HttpServerOptions options = RunningServer::defaults();
    options.idleTimeoutSeconds = 1;
    RunningServer running(processor, options);
    std::string request = requestBytes("04-GetClass-WT_Widget-cimcli-request.txt");

    RawClient closing(running.server.boundPort());
    std::string withClose = request;
    withClose.insert(withClose.find("\r\n") + 2, "Connection: close\r\n");
    closing.send(withClose);
    EXPECT_NE(std::string::npos, closing.readResponse().find("\r\nConnection: close\r\n"));
    EXPECT_TRUE(closing.closedByPeer());

    RawClient expecting(running.server.boundPort());
    std::string head = request.substr(0, request.find("\r\n\r\n") + 2) +
                       "Expect: 100-continue\r\n\r\n";
    expecting.send(head);
    EXPECT_EQ("HTTP/1.1 100 Continue\r\n\r\n", expecting.readResponse());
    expecting.send(request.substr(request.find("\r\n\r\n") + 4));
    EXPECT_EQ(0u, expecting.readResponse().find("HTTP/1.1 200 OK\r\n"));

    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(expecting.closedByPeer(5000));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST(HttpServer, AtTheLimitTheLongestWaitingConnectionMakesRoomButBusyOnesStay)
{
    FakeProcessor processor;
    Gate gate;
    processor.handler = [&](const CimXmlRequestMessage&) {
        gate.wait();
        return success("<slow/>");
    };
    HttpServerOptions options = RunningServer::defaults();
    options.maxConnections = 3;
    options.idleTimeoutSeconds = 0;
    RunningServer running(processor, options);
    const unsigned port = running.server.boundPort();
    std::string request = requestBytes("04-GetClass-WT_Widget-cimcli-request.txt");

    RawClient busy(port);
    busy.send(request);
    ASSERT_TRUE(waitFor([&] { return processor.calls.load() == 1; }));
    RawClient oldest(port);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    RawClient trickling(port);
    trickling.send(request.substr(0, 20));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));

    // Each newcomer closes the connection that has waited longest for a
    // request: first the idle one, then the one with half a header.
    RawClient second(port);
    EXPECT_TRUE(oldest.closedByPeer(2000));
    RawClient third(port);
    EXPECT_TRUE(trickling.closedByPeer(2000));
    // Now `second` waits longest; `busy` is never a candidate.
    RawClient fourth(port);
    EXPECT_TRUE(second.closedByPeer(2000));

    gate.open();
    EXPECT_EQ(0u, busy.readResponse().find("HTTP/1.1 200 OK\r\n"));
    third.send(request);
    EXPECT_EQ(0u, third.readResponse().find("HTTP/1.1 200 OK\r\n"));
}

TEST(HttpServer, AFullTableTurnsNewcomersAwayOnlyWhenEveryConnectionIsBusy)
{
    FakeProcessor processor;
    Gate gate;
    processor.handler = [&](const CimXmlRequestMessage&) {
        gate.wait();
        return success("<slow/>");
    };
    HttpServerOptions options = RunningServer::defaults();
    options.maxConnections = 2;
    RunningServer running(processor, options);
    const unsigned port = running.server.boundPort();
    std::string request = requestBytes("04-GetClass-WT_Widget-cimcli-request.txt");
    RawClient busy1(port), busy2(port);
    busy1.send(request);
    busy2.send(request);
    ASSERT_TRUE(waitFor([&] { return processor.calls.load() == 2; }));

    RawClient turnedAway(port);
    EXPECT_TRUE(turnedAway.closedByPeer(2000));
    gate.open();
    EXPECT_EQ(0u, busy1.readResponse().find("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(0u, busy2.readResponse().find("HTTP/1.1 200 OK\r\n"));
}

TEST(HttpServer, StopDoesNotWaitForClientsThatTrickleTheirRequests)
{
    FakeProcessor processor;
    HttpServerOptions options = RunningServer::defaults();
    options.idleTimeoutSeconds = 0;
    options.requestTimeoutSeconds = 0;
    RunningServer running(processor, options);
    std::string request = requestBytes("04-GetClass-WT_Widget-cimcli-request.txt");
    std::size_t bodyStart = request.find("\r\n\r\n") + 4;

    RawClient header(running.server.boundPort());
    header.send(request.substr(0, bodyStart / 2));
    RawClient body(running.server.boundPort());
    body.send(request.substr(0, bodyStart + 10));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    auto start = std::chrono::steady_clock::now();
    running.server.stop();
    EXPECT_TRUE(header.closedByPeer(500));
    EXPECT_TRUE(running.waitFinished(int(kStopGraceSeconds) * 1000 + 2000));
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::seconds(kStopGraceSeconds) - std::chrono::milliseconds(100));
    EXPECT_EQ(0, processor.calls.load());
}

}  // namespace
