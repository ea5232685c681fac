// The HTTP transport on its own: framing and size limits that CIMClient's
// tests do not reach (those cover the request bytes, keep-alive, time-outs,
// refused connections and the local socket).

#include "../../../cim/client/HttpTransport.h"

#include "ScriptedHttpPeer.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace Pegasus;
using kta_test::ScriptedHttpPeer;
using std::chrono::milliseconds;

namespace {

const char kOkPlain[] =
    "HTTP/1.1 200 OK\r\n"
    "Content-Type: application/xml; charset=utf-8\r\n"
    "content-length: 0000000005\r\n"
    "CIMOperation: MethodResponse\r\n"
    "\r\n"
    "hello";

HttpTarget tcpTarget(const ScriptedHttpPeer& peer)
{
    HttpTarget t;
    t.host = "127.0.0.1";
    t.port = peer.port();
    return t;
}

HttpRequestData simpleRequest()
{
    HttpRequestData r;
    r.fields = {{"HOST", "127.0.0.1:1"},
                {"content-length", "0000000004"},
                {"CIMMethod", "GetClass"}};
    r.body = "body";
    return r;
}

HttpTransportError::Kind failureOf(HttpTransport& t, milliseconds timeout)
{
    try
    {
        t.roundTrip(simpleRequest(), timeout);
    }
    catch (const HttpTransportError& e)
    {
        return e.kind();
    }
    ADD_FAILURE() << "no error";
    return HttpTransportError::Malformed;
}

} // namespace

TEST(HttpTransport, ClosesAfterConnectionCloseHeader)
{
    ScriptedHttpPeer peer;
    peer.push(kta_test::reply(
        "HTTP/1.1 200 OK\r\nConnection: close\r\ncontent-length: 1\r\n\r\nx"));
    peer.push(kta_test::reply(kOkPlain));
    HttpTransport t;
    t.setTarget(tcpTarget(peer));
    EXPECT_EQ("x", t.roundTrip(simpleRequest(), milliseconds(5000)).body);
    EXPECT_FALSE(t.isOpen());
    EXPECT_EQ("hello", t.roundTrip(simpleRequest(), milliseconds(5000)).body);
    EXPECT_EQ(2u, t.connectionCount());
}

// Each row: what the peer does, and the failure the client must report.
struct FailureCase
{
    const char* name;
    kta_test::PeerAction action;
    HttpTransportError::Kind expected;
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class HttpTransportFailure : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(HttpTransportFailure, IsClassified)
{
    ScriptedHttpPeer peer;
    peer.push(GetParam().action);
    HttpTransport t;
    t.setTarget(tcpTarget(peer));
    EXPECT_EQ(GetParam().expected, failureOf(t, milliseconds(5000)));
    EXPECT_FALSE(t.isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Responses, HttpTransportFailure,
    ::testing::Values(
        FailureCase{"ClosedInHeaders",
                    kta_test::replyAndClose("HTTP/1.1 200 OK\r\nContent-Ty"),
                    HttpTransportError::ConnectionClosed},
        FailureCase{"ClosedInChunks",
                    kta_test::replyAndClose(
                        "HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\n"
                        "5\r\nabcde\r\n"),
                    HttpTransportError::ConnectionClosed},
        FailureCase{"BadChunkSize",
                    kta_test::replyAndClose(
                        "HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\n"
                        "zz\r\nabc\r\n0\r\n\r\n"),
                    HttpTransportError::Malformed}),
    [](const ::testing::TestParamInfo<FailureCase>& info) {
        return std::string(info.param.name);
    });

TEST(HttpTransport, EnforcesBodyAndHeaderLimits)
{
    HttpLimits limits;
    limits.maxBodyBytes = 4;
    limits.maxHeaderBytes = 256;
    const std::pair<const char*, std::string> answers[] = {
        {"body", kOkPlain},
        {"chunked body", "HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\n"
                         "3\r\nabc\r\n3\r\ndef\r\n0\r\n\r\n"},
        {"header", "HTTP/1.1 200 OK\r\nX: " + std::string(1000, 'a') + "\r\n\r\n"},
    };
    for (const auto& [what, answer] : answers)
    {
        SCOPED_TRACE(what);
        ScriptedHttpPeer peer;
        peer.push(kta_test::reply(answer));
        HttpTransport t;
        t.setLimits(limits);
        t.setTarget(tcpTarget(peer));
        EXPECT_EQ(HttpTransportError::Malformed, failureOf(t, milliseconds(5000)));
    }
}

