#include "CIMClientRep.h"
#include "Utf8Text.h"

#include "HttpErrorStatus.h"
#include "LocalSocketPath.h"

#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/LanguageTag.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <strings.h>

namespace Pegasus {

namespace {

const char kConnectionClosed[] = "Connection closed by CIM Server.";
const char kMalformedResponse[] = "Malformed HTTP response message.";

String fromUtf8(const std::string& s)
{
    return headerText(s);
}

std::string trim(const std::string& s)
{
    std::string::size_type b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return std::string();
    std::string::size_type e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool equalNoCase(const std::string& a, const char* b)
{
    return ::strcasecmp(a.c_str(), b) == 0;
}

// application/xml or text/xml, with no charset or charset utf-8 (quoted or
// not); other parameters are ignored.
bool isSupportedContentType(const std::string& value)
{
    std::string::size_type semi = value.find(';');
    std::string type = trim(value.substr(0, semi));
    if (!equalNoCase(type, "application/xml") && !equalNoCase(type, "text/xml"))
        return false;
    while (semi != std::string::npos)
    {
        std::string::size_type next = value.find(';', semi + 1);
        std::string param = trim(value.substr(semi + 1,
            next == std::string::npos ? std::string::npos : next - semi - 1));
        semi = next;
        std::string::size_type eq = param.find('=');
        if (eq == std::string::npos)
            continue;
        if (!equalNoCase(trim(param.substr(0, eq)), "charset"))
            continue;
        std::string charset = trim(param.substr(eq + 1));
        if (charset.size() >= 2 && charset.front() == '"' &&
            charset.back() == '"')
        {
            charset = charset.substr(1, charset.size() - 2);
        }
        if (!equalNoCase(charset, "utf-8"))
            return false;
    }
    return true;
}

std::string base64(const std::string& in)
{
    static const char table[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < in.size(); i += 3)
    {
        unsigned v = (unsigned char)in[i] << 16 |
            (unsigned char)in[i + 1] << 8 | (unsigned char)in[i + 2];
        out += table[v >> 18 & 63];
        out += table[v >> 12 & 63];
        out += table[v >> 6 & 63];
        out += table[v & 63];
    }
    if (i < in.size())
    {
        unsigned v = (unsigned char)in[i] << 16;
        if (i + 1 < in.size())
            v |= (unsigned char)in[i + 1] << 8;
        out += table[v >> 18 & 63];
        out += table[v >> 12 & 63];
        out += i + 1 < in.size() ? table[v >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

std::string acceptLanguageHeader(const AcceptLanguageList& list)
{
    std::string out;
    for (Uint32 i = 0; i < list.size(); ++i)
    {
        if (!out.empty())
            out += ", ";
        out += utf8Text(list.getLanguageTag(i).toString());
        Real32 q = list.getQualityValue(i);
        if (q < 1.0f)
        {
            char buf[16];
            std::snprintf(buf, sizeof(buf), ";q=%.3g", double(q));
            out += buf;
        }
    }
    return out;
}

std::string contentLanguageHeader(const ContentLanguageList& list)
{
    std::string out;
    for (Uint32 i = 0; i < list.size(); ++i)
    {
        if (!out.empty())
            out += ", ";
        out += utf8Text(list.getLanguageTag(i).toString());
    }
    return out;
}

// Tags the library cannot parse are skipped: the languages of a response
// are informational and must not fail an operation that succeeded.
ContentLanguageList parseContentLanguages(const std::string& value)
{
    ContentLanguageList list;
    std::string::size_type start = 0;
    while (start <= value.size())
    {
        std::string::size_type comma = value.find(',', start);
        std::string tag = trim(value.substr(start,
            comma == std::string::npos ? std::string::npos : comma - start));
        if (!tag.empty())
        {
            try
            {
                list.append(LanguageTag(fromUtf8(tag)));
            }
            catch (const Exception&)
            {
            }
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return list;
}

CIMOperationType operationTypeOf(const std::string& cimMethod)
{
    static const struct
    {
        const char* name;
        CIMOperationType type;
    } intrinsic[] = {
        {"GetClass", CIMOPTYPE_GET_CLASS},
        {"GetInstance", CIMOPTYPE_GET_INSTANCE},
        {"DeleteClass", CIMOPTYPE_DELETE_CLASS},
        {"DeleteInstance", CIMOPTYPE_DELETE_INSTANCE},
        {"CreateClass", CIMOPTYPE_CREATE_CLASS},
        {"CreateInstance", CIMOPTYPE_CREATE_INSTANCE},
        {"ModifyClass", CIMOPTYPE_MODIFY_CLASS},
        {"ModifyInstance", CIMOPTYPE_MODIFY_INSTANCE},
        {"EnumerateClasses", CIMOPTYPE_ENUMERATE_CLASSES},
        {"EnumerateClassNames", CIMOPTYPE_ENUMERATE_CLASS_NAMES},
        {"EnumerateInstances", CIMOPTYPE_ENUMERATE_INSTANCES},
        {"EnumerateInstanceNames", CIMOPTYPE_ENUMERATE_INSTANCE_NAMES},
        {"ExecQuery", CIMOPTYPE_EXEC_QUERY},
        {"Associators", CIMOPTYPE_ASSOCIATORS},
        {"AssociatorNames", CIMOPTYPE_ASSOCIATOR_NAMES},
        {"References", CIMOPTYPE_REFERENCES},
        {"ReferenceNames", CIMOPTYPE_REFERENCE_NAMES},
        {"GetProperty", CIMOPTYPE_GET_PROPERTY},
        {"SetProperty", CIMOPTYPE_SET_PROPERTY},
        {"GetQualifier", CIMOPTYPE_GET_QUALIFIER},
        {"SetQualifier", CIMOPTYPE_SET_QUALIFIER},
        {"DeleteQualifier", CIMOPTYPE_DELETE_QUALIFIER},
        {"EnumerateQualifiers", CIMOPTYPE_ENUMERATE_QUALIFIERS},
    };
    for (const auto& entry : intrinsic)
    {
        if (cimMethod == entry.name)
            return entry.type;
    }
    return CIMOPTYPE_INVOKE_METHOD;
}

} // namespace

bool CimResponseSink::begin(const HttpResponseData& head)
{
    _stream.reset();
    _error.reset();
    // What checkHttpResponse would refuse is collected, so that it is
    // reported as such rather than as undecodable XML.
    if (head.status != 200)
        return false;
    const std::string* operation = head.field("CIMOperation");
    if (!operation || !equalNoCase(trim(*operation), "MethodResponse"))
        return false;
    const std::string* contentType = head.field("Content-Type");
    if (!contentType || !isSupportedContentType(*contentType))
        return false;
    _stream.reset(new CimXmlResponseStream());
    return true;
}

void CimResponseSink::write(const char* data, std::size_t size)
{
    if (_error)
        return;
    try
    {
        _stream->feed(data, size);
    }
    catch (const CimXmlException& e)
    {
        _error.reset(new CimXmlException(e));
    }
}

CimXmlResponse CimResponseSink::finish()
{
    if (_error)
        throw *_error;
    return _stream->finish();
}

CIMClientRep::CIMClientRep()
    : timeoutMilliseconds(20000),
      performanceHandler(nullptr),
      _connected(false),
      _sendCredentials(false),
      _messageCounter(1000)
{
}

void CIMClientRep::connectTo(const HttpTarget& target)
{
    if (_connected)
        throw AlreadyConnectedException();
    _transport.setTarget(target);
    try
    {
        _transport.open(std::chrono::milliseconds(timeoutMilliseconds));
    }
    catch (const HttpTransportError& e)
    {
        if (e.kind() == HttpTransportError::InvalidLocator)
            throw InvalidLocatorException(fromUtf8(e.what()));
        throw CannotConnectException(fromUtf8(e.what()));
    }
    _connected = true;
}

void CIMClientRep::connectTcp(const String& host, Uint32 port,
                              const String& userName, const String& password)
{
    if (_connected)
        throw AlreadyConnectedException();
    HttpTarget target;
    if (host.size() == 0 && port == 0)
    {
        // Same socket as connectLocal(), without its local authentication.
        target.local = true;
        target.socketPath = LocalSocketPath::socketPath();
        _hostHeader.clear();
    }
    else
    {
        target.host = host.size() == 0 ? std::string("localhost")
                                       : utf8Text(host);
        target.port = port;
        _hostHeader = target.host + ":" + std::to_string(port);
    }
    _userName = utf8Text(userName);
    _password = utf8Text(password);
    _sendCredentials = false;
    connectTo(target);
}

void CIMClientRep::connectLocal()
{
    if (_connected)
        throw AlreadyConnectedException();
    HttpTarget target;
    target.local = true;
    target.socketPath = LocalSocketPath::socketPath();
    _hostHeader.clear();
    _userName.clear();
    _password.clear();
    _sendCredentials = false;
    connectTo(target);
}

void CIMClientRep::disconnect()
{
    _transport.close();
    _connected = false;
}

std::string CIMClientRep::nextMessageId()
{
    return std::to_string(_messageCounter++);
}

HttpRequestData CIMClientRep::buildHttpRequest(
    const CimXmlRequest& request) const
{
    // Field names, order and the ten-digit content length follow what
    // established clients of this protocol send.
    char length[32];
    std::snprintf(length, sizeof(length), "%010zu", request.body.size());

    HttpRequestData http;
    http.fields.emplace_back("HOST", _hostHeader);
    http.fields.emplace_back("Content-Type", "application/xml; charset=utf-8");
    http.fields.emplace_back("content-length", length);
    if (requestAcceptLanguages.size() != 0)
        http.fields.emplace_back("Accept-Language",
                                 acceptLanguageHeader(requestAcceptLanguages));
    if (requestContentLanguages.size() != 0)
        http.fields.emplace_back("Content-Language",
                                 contentLanguageHeader(requestContentLanguages));
    http.fields.emplace_back("TE", "chunked, trailers");
    http.fields.emplace_back("CIMOperation", "MethodCall");
    http.fields.emplace_back("CIMMethod",
                             cimXmlPercentEncode(request.cimMethod));
    http.fields.emplace_back("CIMObject", request.cimObject);
    if (_sendCredentials)
        http.fields.emplace_back("Authorization",
            "Basic " + base64(_userName + ":" + _password));
    http.body = request.body;
    return http;
}

HttpResponseData CIMClientRep::send(const HttpRequestData& request,
                                    CimResponseSink& sink)
{
    try
    {
        return _transport.roundTrip(
            request, std::chrono::milliseconds(timeoutMilliseconds), &sink);
    }
    catch (const HttpTransportError& e)
    {
        switch (e.kind())
        {
        case HttpTransportError::Timeout:
            throw ConnectionTimeoutException();
        case HttpTransportError::CannotConnect:
            throw CannotConnectException(fromUtf8(e.what()));
        case HttpTransportError::InvalidLocator:
            throw InvalidLocatorException(fromUtf8(e.what()));
        case HttpTransportError::ConnectionClosed:
            throw CIMClientMalformedHTTPException(kConnectionClosed);
        case HttpTransportError::Malformed:
            break;
        }
        throw CIMClientMalformedHTTPException(kMalformedResponse);
    }
}

void CIMClientRep::checkHttpResponse(const HttpResponseData& response)
{
    throwOnHttpErrorStatus(response);

    const std::string* operation = response.field("CIMOperation");
    if (!operation)
        throw CIMClientMalformedHTTPException(
            "Missing CIMOperation HTTP header");
    if (!equalNoCase(trim(*operation), "MethodResponse"))
        throw CIMClientMalformedHTTPException(
            fromUtf8("Received CIMOperation HTTP header value \"" +
                     *operation + "\", expected \"MethodResponse\""));

    const std::string* contentType = response.field("Content-Type");
    if (!contentType || !isSupportedContentType(*contentType))
        throw CIMClientMalformedHTTPException(
            fromUtf8("Bad Content-Type HTTP header; " +
                     (contentType ? *contentType : std::string())));

    const std::string* languages = response.field("Content-Language");
    responseContentLanguages = languages
        ? parseContentLanguages(*languages) : ContentLanguageList();

    // A chunked response reports an error in its trailers, after a body
    // that holds no result.
    const std::string* status = response.field("CIMStatusCode");
    if (status && trim(*status) != "0")
    {
        const std::string* description =
            response.field("CIMStatusCodeDescription");
        throw cimXmlErrorFromTrailers(trim(*status),
                                      description ? *description : "");
    }
}

CimXmlResponse CIMClientRep::decodeBody(const std::string& messageId,
                                        const CimXmlRequest& request,
                                        const HttpResponseData& response,
                                        CimResponseSink& sink)
{
    CimXmlResponse decoded;
    try
    {
        decoded = sink.decoding() ? sink.finish()
                                  : CimXmlResponseDecoder::decode(response.body);
    }
    catch (const CimXmlException& e)
    {
        if (e.kind() == CimXmlException::SYNTAX)
            throw CIMClientXmlException(e.getMessage());
        throw CIMClientResponseException(e.getMessage());
    }

    if (decoded.messageId != messageId)
        throw CIMClientResponseException(
            fromUtf8("Mismatched response message ID:  Got \"" +
                     decoded.messageId + "\", expected \"" + messageId +
                     "\"."));
    if (!String::equalNoCase(decoded.methodName, fromUtf8(request.cimMethod)))
        throw CIMClientResponseException("Mismatched response message type.");

    decoded.throwIfError();
    return decoded;
}

void CIMClientRep::reportTimes(const CimXmlRequest& request,
                               const HttpResponseData& response,
                               Uint64 roundTripUs)
{
    if (!performanceHandler)
        return;
    ClientOpPerformanceData data = ClientOpPerformanceData();
    data.operationType = operationTypeOf(request.cimMethod);
    data.roundTripTime = roundTripUs;
    const std::string* server = response.field("WBEMServerResponseTime");
    if (server)
    {
        char* end = nullptr;
        unsigned long long us = std::strtoull(server->c_str(), &end, 10);
        if (end != server->c_str() && *end == '\0')
        {
            data.serverTimeKnown = true;
            data.serverTime = us;
        }
    }
    data.networkTime = data.serverTime <= roundTripUs
        ? roundTripUs - data.serverTime : 0;
    performanceHandler->handleClientOpPerformanceData(data);
}

CimXmlResponse CIMClientRep::execute(const std::string& messageId,
                                     const CimXmlRequest& request)
{
    if (!_connected)
        throw NotConnectedException();

    const auto start = std::chrono::steady_clock::now();
    // The body is decoded while it arrives.
    CimResponseSink sink;
    HttpResponseData response = send(buildHttpRequest(request), sink);

    // Credentials go out only when the server asks for them.
    if (response.status == 401 && !_sendCredentials && !_userName.empty())
    {
        _sendCredentials = true;
        response = send(buildHttpRequest(request), sink);
    }
    const Uint64 roundTripUs = static_cast<Uint64>(
        std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start).count());

    checkHttpResponse(response);
    CimXmlResponse decoded = decodeBody(messageId, request, response, sink);
    reportTimes(request, response, roundTripUs);
    return decoded;
}

} // namespace Pegasus
