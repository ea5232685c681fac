// Fuzz target: arbitrary bytes as what a client sends the server on one
// connection, taken through the server's request path in process: Beast's
// HTTP parser with the server's limits, the CIM-over-HTTP checks of the
// header fields and the body (CimHttpExchange), and the framing of the
// answer.  The operation itself is not executed: the request is answered
// with a failure, framed for a client that accepts trailers and for one
// that does not, and with an empty success.  The answers must be what a
// client can read: a framed ERROR answer decodes, with the request's
// message ID, and its content-length is the length of its body.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include <boost/beast/http.hpp>

#include "CimHttpExchange.h"
#include "HttpRequestFields.h"
#include "CimXmlMessages.h"

using namespace Pegasus;
namespace http = boost::beast::http;

namespace {

void checkFramedError(const CimXmlRequestMessage& request,
                      const CimResponseFrame& frame)
{
    char length[32];
    std::snprintf(length, sizeof(length), "content-length: %010zu\r\n",
                  frame.body.size());
    if (frame.head.find(length) == std::string::npos || !frame.tail.empty())
        std::abort();
    try
    {
        if (request.isMultiple)
        {
            std::vector<CimXmlResponse> answers =
                CimXmlResponseDecoder::decodeMultiple(frame.body.data(),
                                                      frame.body.size());
            if (answers.size() != request.calls.size())
                std::abort();
            for (std::size_t i = 0; i < answers.size(); ++i)
                if (!answers[i].hasError ||
                    answers[i].methodName != request.calls[i].methodName)
                    std::abort();
        }
        else
        {
            CimXmlResponse answer = CimXmlResponseDecoder::decode(frame.body);
            if (!answer.hasError || answer.messageId != request.messageId ||
                answer.methodName != request.methodName ||
                answer.errorCode != CIM_ERR_NOT_SUPPORTED)
                std::abort();
        }
    }
    catch (const CimXmlException&)
    {
        std::abort();  // the server wrote what a client cannot read
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    http::request_parser<http::string_body> parser;
    parser.header_limit(64 << 10);
    parser.body_limit(1 << 20);
    parser.eager(true);
    boost::system::error_code ec;
    std::size_t used = 0;
    while (!ec && !parser.is_done() && used < size)
    {
        std::size_t n = parser.put(
            boost::asio::const_buffer(data + used, size - used), ec);
        if (n == 0 && !ec)
            break;
        used += n;
    }
    if (ec == http::error::need_more || (!ec && !parser.is_done()))
        parser.put_eof(ec);
    if (ec || !parser.is_done())
    {
        HttpRejection malformed;
        malformed.detail = "Malformed HTTP request: " + ec.message() + ".";
        (void)formatRejection(malformed);
        return 0;
    }

    const http::request<http::string_body>& req = parser.get();
    std::optional<std::string_view> authorization = field(req, "Authorization");
    if (authorization)
    {
        std::string user;
        std::string password;
        parseBasicCredentials(*authorization, user, password);
    }

    CimHttpRequestHead head = requestHeadOf(req);

    std::optional<HttpRejection> rejection = checkRequestHead(head);
    CimXmlRequestMessage request;
    if (!rejection)
    {
        CimXmlLimits limits;
        limits.maxDocumentBytes = 1 << 20;
        rejection = decodeRequestBody(head, req.body().data(),
                                      req.body().size(), limits, request);
    }
    if (rejection)
    {
        std::string answer = formatRejection(*rejection);
        if (answer.compare(0, 9, "HTTP/1.1 ") != 0)
            std::abort();
        return 0;
    }

    std::optional<std::string_view> te = field(req, "TE");
    bool chunked = req.version() >= 11 && te && teAcceptsTrailers(*te);
    bool close = !req.keep_alive();

    OperationOutcome failure;
    failure.failed = true;
    failure.code = CIM_ERR_NOT_SUPPORTED;
    failure.description = "CIM_ERR_NOT_SUPPORTED: fuzz";
    OperationOutcome copy = failure;
    checkFramedError(request, frameOutcome(request, std::move(copy), false, close));
    copy = failure;
    (void)frameOutcome(request, std::move(copy), chunked, close);

    if (!request.isMultiple)
    {
        OperationOutcome success;
        success.body = CimXmlResponseEncoder::emptyResponse(request.messageId,
                                                            request.methodName);
        (void)frameOutcome(request, std::move(success), chunked, close);
    }
    return 0;
}
