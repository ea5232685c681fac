// Answers that a RequestProcessor produces piece by piece: how the front end
// frames them for each kind of client, what it does when the operation
// fails after the answer began, and that it holds back a producer whose
// client does not read.

#include "HttpServerHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <regex>
#include <vector>

using namespace Pegasus;
using namespace kta_test;

namespace {

// Hands out `pieces` one per call; fails instead at piece `failAt` (after
// appending some bytes that must not reach the client).
class PieceProducer : public ResponseBodyProducer
{
public:
    PieceProducer(std::vector<std::string> pieces, int failAt,
                  std::atomic<int>& calls, std::atomic<bool>& destroyed)
        : _pieces(std::move(pieces)), _failAt(failAt), _calls(calls), _destroyed(destroyed)
    {
    }
    ~PieceProducer() override { _destroyed = true; }

    Status next(std::string& out, std::size_t, CIMStatusCode& code,
                String& description) override
    {
        ++_calls;
        if (int(_next) == _failAt)
        {
            out += "<must-not-be-sent/>";
            code = CIM_ERR_FAILED;
            description = "CIM_ERR_FAILED: disk gone";
            return FAILED;
        }
        out += _pieces[_next++];
        return _next == _pieces.size() ? DONE : MORE;
    }

private:
    std::vector<std::string> _pieces;
    std::size_t _next = 0;
    int _failAt;
    std::atomic<int>& _calls;
    std::atomic<bool>& _destroyed;
};

// A processor whose every answer is "<head>" followed by the pieces.
class StreamingProcessor : public FakeProcessor
{
public:
    std::vector<std::string> pieces;
    int failAt = -1;
    std::atomic<int> producerCalls{0};
    std::atomic<bool> producerDestroyed{false};

    StreamingProcessor()
    {
        handler = [this](const CimXmlRequestMessage&) {
            producerDestroyed = false;
            OperationOutcome o;
            o.body = "<head>";
            o.producer = std::make_shared<PieceProducer>(pieces, failAt, producerCalls,
                                                         producerDestroyed);
            return o;
        };
    }

    std::string whole() const
    {
        std::string all = "<head>";
        for (const std::string& p : pieces)
            all += p;
        return all;
    }
};

// `count` pieces of `size` bytes, each of its own letter.
std::vector<std::string> pieces(int count, std::size_t size)
{
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.push_back(std::string(size, char('a' + i % 26)));
    return out;
}

// A GetClass request; `fields` are extra header lines.
std::string request(const std::string& fields = "", const char* version = "HTTP/1.1")
{
    std::string r = wireFile("04-GetClass-WT_Widget-cimcli-request.txt");
    std::smatch m;
    std::regex_search(r, m, std::regex("content-length: *([0-9]+)", std::regex::icase));
    r = r.substr(0, r.find("\r\n\r\n") + 4 + std::stoul(m[1]));
    // Without the client's own TE field; the test decides.
    r = std::regex_replace(r, std::regex("TE: [^\r]*\r\n"), "");
    r.replace(r.find("HTTP/1.1"), 8, version);
    return r.insert(r.find("\r\n") + 2, fields);
}

struct Chunked
{
    std::string head;
    std::vector<std::string> chunks;
    std::string trailers;  // the lines after the last chunk's size line
};

// Splits a chunked response into its parts.
Chunked dechunk(const std::string& response)
{
    Chunked c;
    std::size_t pos = response.find("\r\n\r\n") + 4;
    c.head = response.substr(0, pos);
    for (;;)
    {
        std::size_t eol = response.find("\r\n", pos);
        std::size_t size = std::stoul(response.substr(pos, eol - pos), nullptr, 16);
        pos = eol + 2;
        if (size == 0)
            break;
        c.chunks.push_back(response.substr(pos, size));
        pos += size + 2;
    }
    c.trailers = response.substr(pos);
    return c;
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string all;
    for (const std::string& p : parts)
        all += p;
    return all;
}

}  // namespace

TEST(HttpStreaming, LargeAnswersGoOutInChunksForEveryKindOfClient)
{
    StreamingProcessor processor;
    processor.pieces = pieces(5, 70000);
    RunningServer running(processor);
    RawClient client(running.server.boundPort());

    // Asked for trailers: announced, and the answer ends with a bare last
    // chunk.  Several chunks, so the client could start on the first early.
    ASSERT_TRUE(client.send(request("TE: trailers\r\n")));
    Chunked withTrailers = dechunk(client.readResponse());
    EXPECT_NE(std::string::npos, withTrailers.head.find("\r\ntransfer-encoding: chunked\r\n"));
    EXPECT_NE(std::string::npos, withTrailers.head.find("\r\nTrailer: CIMStatusCode"));
    EXPECT_NE(std::string::npos, withTrailers.head.find("\r\nCIMOperation: MethodResponse\r\n"));
    EXPECT_GE(withTrailers.chunks.size(), 5u);
    EXPECT_EQ(processor.whole(), joined(withTrailers.chunks));
    EXPECT_EQ("\r\n", withTrailers.trailers);

    // Without trailers (same connection, which survived): chunks, no
    // Trailer field.
    ASSERT_TRUE(client.send(request()));
    Chunked plain = dechunk(client.readResponse());
    EXPECT_EQ(std::string::npos, plain.head.find("Trailer:"));
    EXPECT_EQ(processor.whole(), joined(plain.chunks));

    // HTTP/1.0 knows no chunks: the whole answer with its length.
    RawClient old(running.server.boundPort());
    ASSERT_TRUE(old.send(request("", "HTTP/1.0")));
    std::string answer = old.readResponse();
    char length[64];
    std::snprintf(length, sizeof(length), "content-length: %010zu\r\n", processor.whole().size());
    EXPECT_NE(std::string::npos, answer.find(length));
    EXPECT_EQ(processor.whole(), answer.substr(answer.find("\r\n\r\n") + 4));
    EXPECT_TRUE(processor.producerDestroyed.load());
}

TEST(HttpStreaming, AnAnswerThatFitsOnePieceIsFramedAsAnyOther)
{
    StreamingProcessor streaming;
    streaming.pieces = {"<small/>"};
    FakeProcessor plain;
    plain.handler = [](const CimXmlRequestMessage&) { return success("<head><small/>"); };
    RunningServer a(streaming), b(plain);
    for (const char* te : {"", "TE: trailers\r\n"})
    {
        RawClient x(a.server.boundPort()), y(b.server.boundPort());
        ASSERT_TRUE(x.send(request(te)));
        ASSERT_TRUE(y.send(request(te)));
        EXPECT_EQ(y.readResponse(), x.readResponse()) << te;
    }
}

TEST(HttpStreaming, FailuresBeforeAndAfterTheAnswerBegan)
{
    StreamingProcessor processor;
    processor.pieces = pieces(4, 70000);
    RunningServer running(processor);

    // Failing at once: answered as any failure, an ERROR element here.
    processor.failAt = 0;
    {
        RawClient client(running.server.boundPort());
        ASSERT_TRUE(client.send(request()));
        std::string answer = client.readResponse();
        EXPECT_NE(std::string::npos, answer.find("content-length: "));
        EXPECT_NE(std::string::npos, answer.find("<ERROR CODE=\"1\""));
        EXPECT_EQ(std::string::npos, answer.find("must-not-be-sent"));
    }

    // Failing later, with trailers: the chunks sent so far, then the status
    // in the trailers; the connection carries on.
    processor.failAt = 2;
    RawClient client(running.server.boundPort());
    ASSERT_TRUE(client.send(request("TE: trailers\r\n")));
    Chunked late = dechunk(client.readResponse());
    EXPECT_EQ("<head>" + processor.pieces[0] + processor.pieces[1], joined(late.chunks));
    EXPECT_EQ("CIMStatusCode: 1\r\nCIMStatusCodeDescription: CIM_ERR_FAILED%3A%20disk%20gone\r\n\r\n",
              late.trailers);
    processor.failAt = -1;
    ASSERT_TRUE(client.send(request("TE: trailers\r\n")));
    EXPECT_EQ(processor.whole(), joined(dechunk(client.readResponse()).chunks));

    // Failing later, without trailers: nothing can say so but cutting the
    // connection before the last chunk.
    processor.failAt = 2;
    RawClient blind(running.server.boundPort());
    ASSERT_TRUE(blind.send(request()));
    EXPECT_EQ("", blind.readResponse());
    EXPECT_TRUE(blind.closedByPeer());
    EXPECT_TRUE(processor.producerDestroyed.load());
}

TEST(HttpStreaming, AClientThatDoesNotReadHoldsTheProducerBackAndLeavingReleasesIt)
{
    StreamingProcessor processor;
    const int kPieces = 1000;  // 64 MB in all
    processor.pieces = pieces(kPieces, 64 * 1024);
    RunningServer running(processor);
    RawClient client(running.server.boundPort());
    ASSERT_TRUE(client.send(request()));

    // Whatever the socket buffers hold, the producer stops far short of the
    // end while nobody reads.
    int seen = -1;
    while (seen != processor.producerCalls.load())
    {
        seen = processor.producerCalls.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    EXPECT_LT(seen, kPieces / 2);
    EXPECT_FALSE(processor.producerDestroyed.load());

    // A client that goes away takes its producer with it.
    client.close();
    for (int i = 0; i < 500 && !processor.producerDestroyed.load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(processor.producerDestroyed.load());
    EXPECT_LT(processor.producerCalls.load(), kPieces);
}
