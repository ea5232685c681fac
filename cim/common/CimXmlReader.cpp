#include "CimXmlReader.h"

#include "CimXmlBuilder.h"
#include "CimXmlMessages.h"
#include "CimXmlParser.h"

namespace Pegasus {

namespace {

CIMObject decodeRoot(const char* data, std::size_t size, const CimXmlLimits& limits,
                     unsigned embeddingDepth, std::uint64_t rootTags,
                     CimXmlBuilder::Mode mode)
{
    CimXmlBuilder builder(mode, limits, embeddingDepth);
    CimXmlParser parser(rootTags, limits, embeddingDepth);
    parser.parse(data, size, builder);
    return builder.rootObject();
}

}  // namespace

CIMObject CimXmlReader::decodeObject(const char* data, std::size_t size,
                                     const CimXmlLimits& limits, unsigned embeddingDepth)
{
    return decodeRoot(data, size, limits, embeddingDepth,
                      cimXmlTagBit(CimXmlTag::CLASS) | cimXmlTagBit(CimXmlTag::INSTANCE),
                      CimXmlBuilder::OBJECT);
}

CIMClass CimXmlReader::decodeClass(const std::string& xml, const CimXmlLimits& limits)
{
    return CIMClass(decodeRoot(xml.data(), xml.size(), limits, 0,
                               cimXmlTagBit(CimXmlTag::CLASS), CimXmlBuilder::OBJECT));
}

CIMInstance CimXmlReader::decodeInstance(const std::string& xml, const CimXmlLimits& limits)
{
    return CIMInstance(decodeRoot(xml.data(), xml.size(), limits, 0,
                                  cimXmlTagBit(CimXmlTag::INSTANCE), CimXmlBuilder::OBJECT));
}

CIMQualifierDecl CimXmlReader::decodeQualifierDecl(const std::string& xml,
                                                   const CimXmlLimits& limits)
{
    CimXmlBuilder builder(CimXmlBuilder::QUALIFIER_DECLARATION, limits, 0);
    CimXmlParser parser(cimXmlTagBit(CimXmlTag::QUALIFIER_DECLARATION), limits);
    parser.parse(xml.data(), xml.size(), builder);
    return builder.rootQualifierDecl();
}

void CimXmlReader::decodeResponse(const char* data, std::size_t size,
                                  const CimXmlLimits& limits, CimXmlResponse& out)
{
    CimXmlBuilder builder(CimXmlBuilder::RESPONSE, limits, 0);
    builder.setResponse(&out);
    CimXmlParser parser(cimXmlTagBit(CimXmlTag::CIM), limits);
    parser.parse(data, size, builder);
    if (out.methodName.size() == 0)
        throw CimXmlException(CimXmlException::SYNTAX,
                              "the document holds no IMETHODRESPONSE or METHODRESPONSE");
}

void CimXmlReader::decodeRequest(const char* data, std::size_t size,
                                 const CimXmlLimits& limits, CimXmlRequestMessage& out)
{
    CimXmlBuilder builder(CimXmlBuilder::REQUEST, limits, 0);
    builder.setRequest(&out);
    CimXmlParser parser(cimXmlTagBit(CimXmlTag::CIM), limits);
    parser.parse(data, size, builder);
    if (out.methodName.size() == 0)
        throw CimXmlException(CimXmlException::SYNTAX,
                              "the document holds no IMETHODCALL or METHODCALL");
    if (out.isIntrinsic && out.nameSpace.isNull())
        throw CimXmlException(CimXmlException::SYNTAX,
                              "IMETHODCALL without LOCALNAMESPACEPATH");
    if (!out.isIntrinsic && out.objectName.getClassName().isNull())
        throw CimXmlException(CimXmlException::SYNTAX,
                              "METHODCALL without LOCALINSTANCEPATH or LOCALCLASSPATH");
}

}  // namespace Pegasus
