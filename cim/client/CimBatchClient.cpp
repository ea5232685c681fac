#include "CimBatchClient.h"

#include "HttpErrorStatus.h"
#include "LocalSocketPath.h"

#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Common/Exception.h>

#include <chrono>
#include <cstdio>

namespace Pegasus {

namespace {

String fromUtf8(const std::string& s)
{
    return String(s.c_str());
}

std::string contentLength(std::size_t size)
{
    char length[32];
    std::snprintf(length, sizeof(length), "%010zu", size);
    return length;
}

} // namespace

CimBatchClient::CimBatchClient(Uint32 timeoutMilliseconds)
    : _timeoutMilliseconds(timeoutMilliseconds)
{
}

void CimBatchClient::connectLocal()
{
    HttpTarget target;
    target.local = true;
    target.socketPath = LocalSocketPath::socketPath();
    _transport.setTarget(target);
    try
    {
        _transport.open(std::chrono::milliseconds(_timeoutMilliseconds));
    }
    catch (const HttpTransportError& e)
    {
        throw CannotConnectException(fromUtf8(e.what()));
    }
}

void CimBatchClient::setStopOnError(bool stopOnError,
                                    std::vector<CIMStatusCode> continueOnCodes)
{
    _stopOnError = stopOnError;
    _continueOnCodes.clear();
    for (CIMStatusCode code : continueOnCodes)
    {
        if (!_continueOnCodes.empty())
            _continueOnCodes += ",";
        _continueOnCodes += std::to_string(unsigned(code));
    }
}

std::string CimBatchClient::nextMessageId()
{
    return "b" + std::to_string(_messageCounter++);
}

HttpResponseData CimBatchClient::send(const HttpRequestData& request)
{
    try
    {
        return _transport.roundTrip(request,
                                    std::chrono::milliseconds(_timeoutMilliseconds));
    }
    catch (const HttpTransportError& e)
    {
        switch (e.kind())
        {
        case HttpTransportError::Timeout:
            throw ConnectionTimeoutException();
        case HttpTransportError::CannotConnect:
        case HttpTransportError::InvalidLocator:
            throw CannotConnectException(fromUtf8(e.what()));
        case HttpTransportError::ConnectionClosed:
            throw CIMClientMalformedHTTPException("Connection closed by CIM Server.");
        case HttpTransportError::Malformed:
            break;
        }
        throw CIMClientMalformedHTTPException("Malformed HTTP response message.");
    }
}

std::vector<CimXmlResponse> CimBatchClient::execute(const std::vector<CimXmlRequest>& calls)
{
    std::vector<CimXmlResponse> responses;
    if (calls.empty())
        return responses;

    // No TE: trailers, so that every error comes as an ERROR element.
    HttpRequestData http;
    std::string messageId;
    if (calls.size() == 1)
    {
        http.body = calls[0].body;
    }
    else
    {
        messageId = nextMessageId();
        http.body = CimXmlRequestEncoder::multipleRequest(messageId, calls);
    }
    http.fields.emplace_back("HOST", "");
    http.fields.emplace_back("Content-Type", "application/xml; charset=utf-8");
    http.fields.emplace_back("content-length", contentLength(http.body.size()));
    http.fields.emplace_back("CIMOperation", "MethodCall");
    if (calls.size() == 1)
    {
        http.fields.emplace_back("CIMMethod", cimXmlPercentEncode(calls[0].cimMethod));
        http.fields.emplace_back("CIMObject", calls[0].cimObject);
    }
    else
    {
        http.fields.emplace_back("CIMBatch", "");
        if (_stopOnError)
            http.fields.emplace_back("PGBatchStopOnError", _continueOnCodes);
    }

    HttpResponseData response = send(http);
    throwOnHttpErrorStatus(response);

    try
    {
        if (calls.size() == 1)
            responses.push_back(CimXmlResponseDecoder::decode(response.body));
        else
            responses = CimXmlResponseDecoder::decodeMultiple(response.body.data(),
                                                              response.body.size());
    }
    catch (const CimXmlException& e)
    {
        if (e.kind() == CimXmlException::SYNTAX)
            throw CIMClientXmlException(e.getMessage());
        throw CIMClientResponseException(e.getMessage());
    }

    if (responses.size() != calls.size())
        throw CIMClientResponseException("Mismatched number of responses.");
    for (std::size_t i = 0; i < calls.size(); ++i)
    {
        // The simple request keeps the message ID its encoder gave it.
        if (calls.size() > 1 && responses[i].messageId != messageId)
            throw CIMClientResponseException(
                fromUtf8("Mismatched response message ID:  Got \"" +
                         responses[i].messageId + "\", expected \"" + messageId + "\"."));
        if (!String::equalNoCase(responses[i].methodName, fromUtf8(calls[i].cimMethod)))
            throw CIMClientResponseException("Mismatched response message type.");
    }
    return responses;
}

} // namespace Pegasus
