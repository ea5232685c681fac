// Response documents: read by the client (CimXmlResponseDecoder), built by
// the server (CimXmlResponseEncoder); plus the HTTP-level helpers for
// errors carried in trailers.
#include "CimXmlMessages.h"

#include "CimXmlBuilder.h"
#include "CimXmlMultiple.h"
#include "CimXmlParser.h"
#include "CimXmlReader.h"
#include "CimXmlValues.h"
#include "CimXmlWriter.h"

#include <cstring>

namespace Pegasus {

namespace {

bool isUnreserved(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("-_.!~*'()", c) != nullptr;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The document up to and including <IMETHODRESPONSE NAME="..."> or
// <METHODRESPONSE ...>; the caller appends the content and close().
std::string open(const std::string& messageId, const String& methodName, bool isIntrinsic)
{
    std::string out;
    out.reserve(512);
    out += "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
           "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"";
    CimXmlWriter::appendEscaped(out, messageId);
    out += "\" PROTOCOLVERSION=\"1.0\">\n<SIMPLERSP>\n";
    out += isIntrinsic ? "<IMETHODRESPONSE NAME=\"" : "<METHODRESPONSE NAME=\"";
    CimXmlWriter::appendEscaped(out, methodName);
    out += "\">\n";
    return out;
}

void close(std::string& out, bool isIntrinsic)
{
    out += isIntrinsic ? "</IMETHODRESPONSE>\n" : "</METHODRESPONSE>\n";
    out += "</SIMPLERSP>\n</MESSAGE>\n</CIM>\n";
}

// An IMETHODRESPONSE whose IRETURNVALUE holds what f appends.
template <class F>
std::string intrinsicResponse(const std::string& messageId, const String& methodName, F f)
{
    std::string out = open(messageId, methodName, true);
    out += "<IRETURNVALUE>\n";
    f(out);
    out += "</IRETURNVALUE>\n";
    close(out, true);
    return out;
}

}  // namespace

void CimXmlResponse::throwIfError() const
{
    if (hasError)
        throw CIMException(errorCode, errorDescription);
}

CimXmlResponse CimXmlResponseDecoder::decode(const char* data, std::size_t size,
                                             const CimXmlLimits& limits)
{
    CimXmlResponse response;
    CimXmlReader::decodeResponse(data, size, limits, response);
    return response;
}

std::vector<CimXmlResponse> CimXmlResponseDecoder::decodeMultiple(const char* data,
                                                                   std::size_t size,
                                                                   const CimXmlLimits& limits)
{
    std::vector<CimXmlResponse> responses;
    CimXmlMultipleSplitter<CimXmlResponse> splitter(limits, responses);
    CimXmlParser parser(cimXmlTagBit(CimXmlTag::CIM), limits);
    parser.allowMultipleOperations();
    parser.parse(data, size, splitter);
    splitter.checkComplete();
    for (const CimXmlResponse& response : responses)
    {
        if (response.methodName.size() == 0)
            throw CimXmlException(CimXmlException::SYNTAX,
                                  "a SIMPLERSP holds no IMETHODRESPONSE or METHODRESPONSE");
    }
    return responses;
}

struct CimXmlResponseStream::State
{
    explicit State(const CimXmlLimits& limits)
        : builder(CimXmlBuilder::RESPONSE, limits, 0),
          parser(cimXmlTagBit(CimXmlTag::CIM), limits, builder)
    {
        builder.setResponse(&response);
    }

    CimXmlResponse response;
    CimXmlBuilder builder;
    CimXmlPushParser parser;
};

CimXmlResponseStream::CimXmlResponseStream(const CimXmlLimits& limits)
    : _state(new State(limits))
{
}

CimXmlResponseStream::~CimXmlResponseStream() {}

void CimXmlResponseStream::feed(const char* data, std::size_t size)
{
    _state->parser.feed(data, size);
}

CimXmlResponse CimXmlResponseStream::finish()
{
    _state->parser.finish();
    if (_state->response.methodName.size() == 0)
        throw CimXmlException(CimXmlException::SYNTAX,
                              "the document holds no IMETHODRESPONSE or METHODRESPONSE");
    return std::move(_state->response);
}

std::string cimXmlPercentEncode(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + 16);
    for (unsigned char c : text)
    {
        if (isUnreserved(c))
            out += char(c);
        else
        {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string cimXmlPercentDecode(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); i++)
    {
        if (text[i] == '%' && i + 2 < text.size())
        {
            int hi = hexDigit(text[i + 1]);
            int lo = hexDigit(text[i + 2]);
            if (hi >= 0 && lo >= 0)
            {
                out += char(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

CIMException cimXmlErrorFromTrailers(const std::string& statusCode,
                                     const std::string& encodedDescription)
{
    unsigned long long code;
    CIMStatusCode status = CIM_ERR_FAILED;
    if (CimXmlValues::parseUnsigned(statusCode.data(), statusCode.size(), 0xFFFFFFFFull, code))
        status = CIMStatusCode(code);
    std::string description = cimXmlPercentDecode(encodedDescription);
    String message;
    try
    {
        message = String(description.c_str(), Uint32(description.size()));
    }
    catch (const Exception&)
    {
        // Not UTF-8 after decoding: keep the text as it was sent.
        message = String(encodedDescription.c_str());
    }
    return CIMException(status, message);
}

std::string CimXmlResponseEncoder::emptyResponse(const std::string& messageId,
                                                 const String& methodName)
{
    std::string out = open(messageId, methodName, true);
    close(out, true);
    return out;
}

std::string CimXmlResponseEncoder::classResponse(const std::string& messageId,
                                                 const String& methodName,
                                                 const CIMConstClass& cimClass)
{
    return intrinsicResponse(messageId, methodName, [&](std::string& out) {
        CimXmlWriter::appendClass(out, cimClass);
    });
}

std::string CimXmlResponseEncoder::classesResponse(const std::string& messageId,
                                                   const String& methodName,
                                                   const Array<CIMClass>& classes)
{
    return intrinsicResponse(messageId, methodName, [&](std::string& out) {
        for (Uint32 i = 0; i < classes.size(); i++)
            CimXmlWriter::appendClass(out, classes[i]);
    });
}

std::string CimXmlResponseEncoder::classNamesResponse(const std::string& messageId,
                                                      const String& methodName,
                                                      const Array<CIMName>& classNames)
{
    return intrinsicResponse(messageId, methodName, [&](std::string& out) {
        for (Uint32 i = 0; i < classNames.size(); i++)
            CimXmlWriter::appendClassName(out, classNames[i]);
    });
}

std::string CimXmlResponseEncoder::instanceResponse(const std::string& messageId,
                                                    const String& methodName,
                                                    const CIMConstInstance& instance)
{
    return intrinsicResponse(messageId, methodName, [&](std::string& out) {
        CimXmlWriter::appendInstance(out, instance);
    });
}

std::string CimXmlResponseEncoder::namedInstancesResponse(const std::string& messageId,
                                                          const String& methodName,
                                                          const Array<CIMInstance>& instances)
{
    return intrinsicResponse(messageId, methodName, [&](std::string& out) {
        for (Uint32 i = 0; i < instances.size(); i++)
        {
            std::size_t before = out.size();
            CimXmlWriter::appendValueNamedInstance(out, instances[i]);
            // Instances of one enumeration are mostly alike: sizing the
            // document from the first spares the copies of growing it step
            // by step.  The estimate is capped so that one large instance
            // among small ones cannot reserve far more than is needed.
            if (i == 0 && instances.size() > 1)
            {
                const std::size_t kMaxReserve = std::size_t(64) << 20;
                std::size_t each = out.size() - before;
                std::size_t rest = instances.size() - 1;
                std::size_t estimate =
                    each > kMaxReserve / rest ? kMaxReserve : each * rest / 8 * 9;
                out.reserve(out.size() + (estimate < kMaxReserve ? estimate : kMaxReserve));
            }
        }
    });
}

std::string CimXmlResponseEncoder::returnValueHead(const std::string& messageId,
                                                   const String& methodName)
{
    std::string out = open(messageId, methodName, true);
    out += "<IRETURNVALUE>\n";
    return out;
}

void CimXmlResponseEncoder::appendNamedInstance(std::string& out,
                                                const CIMConstInstance& instance)
{
    CimXmlWriter::appendValueNamedInstance(out, instance);
}

const std::string& CimXmlResponseEncoder::returnValueTail()
{
    static const std::string tail = [] {
        std::string out = "</IRETURNVALUE>\n";
        close(out, true);
        return out;
    }();
    return tail;
}

void CimXmlResponseEncoder::appendInstanceName(std::string& out,
                                               const CIMObjectPath& instanceName)
{
    CimXmlWriter::appendInstanceName(out, instanceName);
}

void CimXmlResponseEncoder::appendObjectWithPath(std::string& out,
                                                 const CIMConstObject& object)
{
    out += "<VALUE.OBJECTWITHPATH>\n";
    if (object.isClass())
        CimXmlWriter::appendClassPath(out, object.getPath());
    else
        CimXmlWriter::appendInstancePath(out, object.getPath());
    CimXmlWriter::appendObject(out, object);
    out += "</VALUE.OBJECTWITHPATH>\n";
}

void CimXmlResponseEncoder::appendObjectPath(std::string& out,
                                             const CIMObjectPath& path)
{
    out += "<OBJECTPATH>\n";
    if (path.getKeyBindings().size() == 0)
        CimXmlWriter::appendClassPath(out, path);
    else
        CimXmlWriter::appendInstancePath(out, path);
    out += "</OBJECTPATH>\n";
}

std::string CimXmlResponseEncoder::valueResponse(const std::string& messageId,
                                                 const String& methodName,
                                                 const CIMValue& value)
{
    return intrinsicResponse(messageId, methodName, [&](std::string& out) {
        CimXmlWriter::appendValue(out, value);
    });
}

std::string CimXmlResponseEncoder::instanceNamesResponse(
    const std::string& messageId, const String& methodName,
    const Array<CIMObjectPath>& instanceNames)
{
    return intrinsicResponse(messageId, methodName, [&](std::string& out) {
        for (Uint32 i = 0; i < instanceNames.size(); i++)
            CimXmlWriter::appendInstanceName(out, instanceNames[i]);
    });
}

std::string CimXmlResponseEncoder::qualifierDeclsResponse(
    const std::string& messageId, const String& methodName,
    const Array<CIMQualifierDecl>& qualifierDecls)
{
    return intrinsicResponse(messageId, methodName, [&](std::string& out) {
        for (Uint32 i = 0; i < qualifierDecls.size(); i++)
            CimXmlWriter::appendQualifierDecl(out, qualifierDecls[i]);
    });
}

std::string CimXmlResponseEncoder::methodResponse(const std::string& messageId,
                                                  const String& methodName,
                                                  const CIMValue& returnValue,
                                                  const Array<CIMParamValue>& outParameters)
{
    std::string out = open(messageId, methodName, false);
    if (!returnValue.isNull())
    {
        out += "<RETURNVALUE PARAMTYPE=\"";
        out += CimXmlWriter::typeName(returnValue.getType());
        out += '"';
        if (returnValue.getType() == CIMTYPE_OBJECT)
            out += " EmbeddedObject=\"object\"";
        else if (returnValue.getType() == CIMTYPE_INSTANCE)
            out += " EmbeddedObject=\"instance\"";
        out += ">\n";
        CimXmlWriter::appendValue(out, returnValue);
        out += "</RETURNVALUE>\n";
    }
    for (Uint32 i = 0; i < outParameters.size(); i++)
        CimXmlWriter::appendParamValue(out, outParameters[i]);
    close(out, false);
    return out;
}

std::string CimXmlResponseEncoder::errorResponse(const std::string& messageId,
                                                 const String& methodName, bool isIntrinsic,
                                                 CIMStatusCode code, const String& description)
{
    std::string out = open(messageId, methodName, isIntrinsic);
    CimXmlWriter::appendError(out, code, description);
    close(out, isIntrinsic);
    return out;
}

std::string CimXmlResponseEncoder::multipleResponse(const std::string& messageId,
                                                    const std::vector<std::string>& responses)
{
    static const char kOpen[] = "<SIMPLERSP>";
    static const char kClose[] = "</SIMPLERSP>\n";
    std::size_t size = 256;
    for (const std::string& response : responses)
        size += response.size();
    std::string out;
    out.reserve(size);
    out += "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
           "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"";
    CimXmlWriter::appendEscaped(out, messageId);
    out += "\" PROTOCOLVERSION=\"1.0\">\n<MULTIRSP>\n";
    for (const std::string& response : responses)
    {
        // Every document of this encoder has its SIMPLERSP open before any
        // content and closed after all of it.
        std::size_t begin = response.find(kOpen);
        std::size_t end = response.rfind(kClose);
        if (begin != std::string::npos && end != std::string::npos && end > begin)
            out.append(response, begin, end + sizeof(kClose) - 1 - begin);
    }
    out += "</MULTIRSP>\n</MESSAGE>\n</CIM>\n";
    return out;
}

}  // namespace Pegasus
