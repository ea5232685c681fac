#include "CimHttpExchange.h"
#include "Utf8Text.h"

#include "XmlWellFormedness.h"

#include <Pegasus/Common/CIMStatusCode.h>

#include <cstdio>
#include <new>

namespace Pegasus {

namespace {

const char kHeaderMismatch[] = "header-mismatch";

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool equalsAsciiNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

HttpRejection reject(const char* cimError, std::string detail)
{
    HttpRejection r;
    r.cimError = cimError;
    r.detail = std::move(detail);
    return r;
}

// A version this server speaks: "M.N" or "M.N.U" (decimal numbers) with
// major number `major`.  Only the major number is judged, since minor and
// update versions are backward compatible.
bool versionHasMajor(std::string_view v, std::string_view major)
{
    std::size_t parts = 0;
    while (true)
    {
        std::size_t dot = v.find('.');
        std::string_view part = v.substr(0, dot);
        if (part.empty() || part.size() > 9 ||
            part.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        if (parts++ == 0 && part != major)
            return false;
        if (dot == std::string_view::npos)
            break;
        v.remove_prefix(dot + 1);
    }
    return parts >= 2;
}

// A version the server does not speak: 501 Not Implemented with the
// CIMError value that names which version it is.
HttpRejection unsupportedVersion(const char* cimError, const char* what, std::string_view v)
{
    HttpRejection r = reject(cimError, std::string(what) + " \"" + std::string(v) +
                                           "\" is not supported.");
    r.status = 501;
    r.reason = "Not Implemented";
    return r;
}

// The CIM element's CIMVERSION (2.x) and DTDVERSION (2.x) and the MESSAGE
// element's PROTOCOLVERSION (1.x).  An absent CIM attribute is let pass.
std::optional<HttpRejection> checkDocumentVersions(const CimXmlRequestMessage& request)
{
    if (request.cimVersion && !versionHasMajor(*request.cimVersion, "2"))
        return unsupportedVersion("unsupported-cim-version", "CIMVERSION",
                                  *request.cimVersion);
    if (request.dtdVersion && !versionHasMajor(*request.dtdVersion, "2"))
        return unsupportedVersion("unsupported-dtd-version", "DTDVERSION",
                                  *request.dtdVersion);
    if (!versionHasMajor(request.protocolVersion, "1"))
        return unsupportedVersion("unsupported-protocol-version", "PROTOCOLVERSION",
                                  request.protocolVersion);
    return std::nullopt;
}

// Text from the wire compared with a name the decoder produced.  CIM names
// compare without regard to case; a value that is not valid UTF-8 matches
// nothing.
bool sameName(const std::string& wire, const String& name)
{
    try
    {
        return String::equalNoCase(String(wire.c_str()), name);
    }
    catch (const Exception&)
    {
        return false;
    }
}

std::string_view stripSlashes(std::string_view s)
{
    while (!s.empty() && s.front() == '/')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == '/')
        s.remove_suffix(1);
    return s;
}

// The namespace named by a CIMObject value: all of it for an intrinsic
// call, the part before the first colon (the object path follows) for an
// extrinsic one.
std::string cimObjectNamespace(const std::string& decoded, bool intrinsic)
{
    std::string_view ns(decoded);
    if (!intrinsic)
    {
        std::size_t colon = ns.find(':');
        if (colon != std::string_view::npos)
            ns = ns.substr(0, colon);
    }
    return std::string(stripSlashes(trim(ns)));
}

std::optional<HttpRejection> checkAgainstHeaders(
    const CimHttpRequestHead& head, const CimXmlRequestMessage& request)
{
    std::string method = cimXmlPercentDecode(std::string(trim(*head.cimMethod)));
    if (!sameName(method, request.methodName))
        return reject(kHeaderMismatch,
                      "CIMMethod value \"" + method +
                          "\" does not match CIM request method \"" +
                          utf8Text(request.methodName) + "\".");

    std::string object = cimXmlPercentDecode(std::string(trim(*head.cimObject)));
    std::string objectNs = cimObjectNamespace(object, request.isIntrinsic);
    std::string requestNs(stripSlashes(utf8Text(request.nameSpace.getString())));
    if (!sameName(objectNs, String(requestNs.c_str())))
        return reject(kHeaderMismatch,
                      "CIMObject value \"" + object +
                          "\" does not match CIM request namespace \"" +
                          requestNs + "\".");
    return std::nullopt;
}

// A comma-separated list of decimal status codes (possibly empty).
bool parseStatusCodes(std::string_view text, std::vector<Uint32>& codes)
{
    while (!trim(text).empty())
    {
        std::size_t comma = text.find(',');
        std::string_view item = trim(text.substr(0, comma));
        if (item.empty() || item.size() > 4)
            return false;
        Uint32 code = 0;
        for (char c : item)
        {
            if (c < '0' || c > '9')
                return false;
            code = code * 10 + Uint32(c - '0');
        }
        codes.push_back(code);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return true;
}

// True when the document decodes as a simple request (multiple: true) or
// as a multiple-operation one (multiple: false).
bool isOtherKind(bool multiple, const char* data, std::size_t size,
                 const CimXmlLimits& limits)
{
    try
    {
        if (multiple)
            CimXmlRequestDecoder::decode(data, size, limits);
        else
            CimXmlRequestDecoder::decodeMultiple(data, size, limits);
        return true;
    }
    catch (const std::bad_alloc&)
    {
        throw;
    }
    catch (...)
    {
        return false;
    }
}

}  // namespace

std::optional<HttpRejection> checkRequestHead(const CimHttpRequestHead& head)
{
    if (head.method != "POST")
    {
        HttpRejection r;
        if (head.method == "M-POST")
        {
            // Extension-framework requests are not supported; 501 tells the
            // client to fall back to a plain POST.
            r.status = 501;
            r.reason = "Not Implemented";
        }
        else
        {
            r.status = 405;
            r.reason = "Method Not Allowed";
            r.extraFields = "Allow: POST\r\n";
        }
        return r;
    }

    if (!head.cimOperation)
        return reject(kHeaderMismatch, "Missing CIMOperation HTTP header.");
    if (!equalsAsciiNoCase(trim(*head.cimOperation), "MethodCall"))
        return reject(kHeaderMismatch,
                      "CIMOperation value \"" +
                          std::string(trim(*head.cimOperation)) +
                          "\" is not \"MethodCall\".");

    if (head.cimProtocolVersion)
    {
        std::string_view v = trim(*head.cimProtocolVersion);
        if (!versionHasMajor(v, "1"))
            return unsupportedVersion("unsupported-protocol-version", "CIMProtocolVersion", v);
    }

    if (head.cimBatch)
    {
        if (head.cimMethod)
            return reject(kHeaderMismatch,
                          "CIMMethod HTTP header in a multiple-operation request.");
        if (head.cimObject)
            return reject(kHeaderMismatch,
                          "CIMObject HTTP header in a multiple-operation request.");
        return std::nullopt;
    }
    if (!head.cimMethod)
        return reject(kHeaderMismatch, "Missing CIMMethod HTTP header.");
    if (!head.cimObject)
        return reject(kHeaderMismatch, "Missing CIMObject HTTP header.");
    return std::nullopt;
}

std::optional<HttpRejection> decodeRequestBody(
    const CimHttpRequestHead& head, const char* data, std::size_t size,
    const CimXmlLimits& limits, CimXmlRequestMessage& request)
{
    const bool multiple = head.cimBatch.has_value();
    try
    {
        request = multiple ? CimXmlRequestDecoder::decodeMultiple(data, size, limits)
                           : CimXmlRequestDecoder::decode(data, size, limits);
    }
    catch (const std::bad_alloc&)
    {
        throw;
    }
    catch (const Exception& e)
    {
        // The decoder does not say whether the XML itself or its CIM meaning
        // is at fault; a second, plain parse (only on this error path) does.
        std::string syntax = xmlWellFormednessError(data, size);
        if (!syntax.empty())
            return reject("request-not-well-formed", syntax);
        // A valid request of the other kind than CIMBatch announced.
        if (isOtherKind(multiple, data, size, limits))
            return reject(kHeaderMismatch,
                          multiple ? "CIMBatch HTTP header on a simple request."
                                   : "Multiple-operation request without CIMBatch "
                                     "HTTP header.");
        return reject("request-not-valid", utf8Text(e.getMessage()));
    }
    catch (const std::exception& e)
    {
        return reject("request-not-valid", e.what());
    }

    if (std::optional<HttpRejection> r = checkDocumentVersions(request))
        return r;
    if (multiple && head.batchStopOnError)
    {
        request.stopOnError = true;
        if (!parseStatusCodes(*head.batchStopOnError, request.continueOnCodes))
            return reject("request-not-valid",
                          "PGBatchStopOnError value \"" +
                              std::string(trim(*head.batchStopOnError)) +
                              "\" is not a list of status codes.");
    }
    if (multiple || !head.cimMethod || !head.cimObject)
        return std::nullopt;  // checkRequestHead has already refused these
    return checkAgainstHeaders(head, request);
}

bool parseBasicCredentials(std::string_view authorization, std::string& user,
                           std::string& password)
{
    static const char kScheme[] = "basic ";
    const std::size_t schemeSize = sizeof(kScheme) - 1;
    if (authorization.size() < schemeSize)
        return false;
    for (std::size_t i = 0; i < schemeSize; ++i)
    {
        char c = authorization[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != kScheme[i])
            return false;
    }
    std::string_view encoded = authorization.substr(schemeSize);
    while (!encoded.empty() && encoded.front() == ' ')
        encoded.remove_prefix(1);
    while (!encoded.empty() && encoded.back() == ' ')
        encoded.remove_suffix(1);

    std::string decoded;
    unsigned bits = 0;
    int count = 0;
    std::size_t padding = 0;
    for (char c : encoded)
    {
        unsigned v;
        if (c >= 'A' && c <= 'Z')
            v = static_cast<unsigned>(c - 'A');
        else if (c >= 'a' && c <= 'z')
            v = static_cast<unsigned>(c - 'a' + 26);
        else if (c >= '0' && c <= '9')
            v = static_cast<unsigned>(c - '0' + 52);
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=')
        {
            ++padding;
            continue;
        }
        else
            return false;
        if (padding != 0)  // data after padding
            return false;
        bits = (bits << 6) | v;
        count += 6;
        if (count >= 8)
        {
            count -= 8;
            decoded.push_back(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    if (padding > 2 || (encoded.size() % 4) != 0)
        return false;
    std::size_t colon = decoded.find(':');
    if (colon == std::string::npos)
        return false;
    user = decoded.substr(0, colon);
    password = decoded.substr(colon + 1);
    return true;
}

HttpRejection unauthorized(const std::string& realm)
{
    HttpRejection r;
    r.status = 401;
    r.reason = "Unauthorized";
    std::string quoted;
    for (char c : realm)
    {
        // A quoted-string may not hold these unescaped; a host name never
        // has them anyway.
        if (c == '"' || c == '\\' || c == '\r' || c == '\n')
            continue;
        quoted.push_back(c);
    }
    r.extraFields = "WWW-Authenticate: Basic realm=\"" + quoted + "\"\r\n";
    return r;
}

std::string formatRejection(const HttpRejection& r)
{
    std::string out = "HTTP/1.1 " + std::to_string(r.status) + " " + r.reason + "\r\n";
    if (!r.cimError.empty())
        out += "CIMError: " + r.cimError + "\r\n";
    if (!r.detail.empty())
        out += "PGErrorDetail: " + cimXmlPercentEncode(r.detail) + "\r\n";
    out += r.extraFields;
    out += "\r\n";
    return out;
}

bool teAcceptsTrailers(std::string_view te)
{
    while (!te.empty())
    {
        std::size_t comma = te.find(',');
        std::string_view item = te.substr(0, comma);
        std::size_t semicolon = item.find(';');
        if (equalsAsciiNoCase(trim(item.substr(0, semicolon)), "trailers"))
            return true;
        if (comma == std::string_view::npos)
            break;
        te.remove_prefix(comma + 1);
    }
    return false;
}

namespace {

const char kResponseStart[] =
    "HTTP/1.1 200 OK\r\nContent-Type: application/xml; charset=utf-8\r\n";
const char kChunkedFields[] =
    "transfer-encoding: chunked\r\n"
    "CIMOperation: MethodResponse\r\n";
const char kTrailerField[] =
    "Trailer: CIMStatusCode, CIMStatusCodeDescription, Content-Language\r\n";

// A failure must never read as success on the wire.
CIMStatusCode failureCode(CIMStatusCode code)
{
    return code == CIM_ERR_SUCCESS ? CIM_ERR_FAILED : code;
}

String failureText(CIMStatusCode code, const String& description)
{
    return description.size() != 0 ? description
                                   : String(cimStatusCodeToString(code));
}

void appendStatusTrailers(std::string& out, CIMStatusCode code,
                          const std::string& description)
{
    out += "CIMStatusCode: " + std::to_string(unsigned(code)) + "\r\n";
    out += "CIMStatusCodeDescription: " + cimXmlPercentEncode(description) +
           "\r\n";
}

}  // namespace

std::string streamedResponseHead(bool trailers, bool close)
{
    std::string head = kResponseStart;
    head += kChunkedFields;
    if (trailers)
        head += kTrailerField;
    if (close)
        head += "Connection: close\r\n";
    head += "\r\n";
    return head;
}

void appendChunkSize(std::string& out, std::size_t size)
{
    char number[32];
    std::snprintf(number, sizeof(number), "%zx\r\n", size);
    out += number;
}

void appendLastChunk(std::string& out)
{
    out += "0\r\n\r\n";
}

void appendFailedLastChunk(std::string& out, CIMStatusCode code,
                           const String& description)
{
    code = failureCode(code);
    out += "0\r\n";
    appendStatusTrailers(out, code, utf8Text(failureText(code, description)));
    out += "\r\n";
}

CimResponseFrame frameOutcome(const CimXmlRequestMessage& request,
                              OperationOutcome&& outcome, bool chunked,
                              bool close)
{
    CimResponseFrame f;
    CIMStatusCode code = outcome.code;
    std::string description;
    if (outcome.failed && request.isMultiple)
    {
        // The failure is every call's; a multiple-operation answer has no
        // place for one status of the whole.
        code = failureCode(code);
        String text = failureText(code, outcome.description);
        std::vector<std::string> answers;
        for (const CimXmlRequestMessage& call : request.calls)
            answers.push_back(CimXmlResponseEncoder::errorResponse(
                call.messageId, call.methodName, call.isIntrinsic, code, text));
        f.body = CimXmlResponseEncoder::multipleResponse(request.messageId, answers);
        outcome.failed = false;
    }
    else if (outcome.failed)
    {
        code = failureCode(code);
        String text = failureText(code, outcome.description);
        if (chunked)
        {
            description = utf8Text(text);
            f.body = request.isIntrinsic
                         ? CimXmlResponseEncoder::emptyResponse(
                               request.messageId, request.methodName)
                         : CimXmlResponseEncoder::methodResponse(
                               request.messageId, request.methodName,
                               CIMValue(), Array<CIMParamValue>());
        }
        else
        {
            f.body = CimXmlResponseEncoder::errorResponse(
                request.messageId, request.methodName, request.isIntrinsic,
                code, text);
        }
    }
    else
    {
        f.body = std::move(outcome.body);
    }

    f.head = kResponseStart;
    char number[32];
    if (chunked)
    {
        f.head += kChunkedFields;
        f.head += kTrailerField;
    }
    else
    {
        std::snprintf(number, sizeof(number), "%010zu", f.body.size());
        f.head += "content-length: ";
        f.head += number;
        f.head += "\r\nCIMOperation: MethodResponse\r\n";
    }
    if (close)
        f.head += "Connection: close\r\n";
    f.head += "\r\n";

    if (chunked)
    {
        // The whole body goes out as one data chunk; an empty body would
        // read as the last chunk, so it gets none.
        if (!f.body.empty())
        {
            std::snprintf(number, sizeof(number), "%zx\r\n", f.body.size());
            f.head += number;
            f.tail = "\r\n";
        }
        f.tail += "0\r\n";
        if (outcome.failed)
            appendStatusTrailers(f.tail, code, description);
        f.tail += "\r\n";
    }
    return f;
}

}  // namespace Pegasus
