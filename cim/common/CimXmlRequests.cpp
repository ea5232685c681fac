// Request documents: built by the client (CimXmlRequestEncoder), read by
// the server (CimXmlRequestDecoder, CimXmlRequestMessage).
#include "CimXmlMessages.h"
#include "Utf8Text.h"

#include "CimXmlMultiple.h"
#include "CimXmlParser.h"
#include "CimXmlReader.h"
#include "CimXmlValues.h"
#include "CimXmlWriter.h"

#include <cstring>
#include <strings.h>

namespace Pegasus {

namespace {

// Assembles one SIMPLEREQ document around the call's parameters.
class RequestBuilder
{
public:
    RequestBuilder(const std::string& messageId, const char* method)
    {
        _request.cimMethod = method;
        std::string& out = _request.body;
        out.reserve(1024);
        out += "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
               "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
               "<MESSAGE ID=\"";
        CimXmlWriter::appendEscaped(out, messageId);
        out += "\" PROTOCOLVERSION=\"1.0\">\n<SIMPLEREQ>\n";
    }

    // IMETHODCALL with its LOCALNAMESPACEPATH; the CIMObject header is the
    // namespace.
    RequestBuilder& intrinsic(const CIMNamespaceName& nameSpace)
    {
        std::string& out = _request.body;
        out += "<IMETHODCALL NAME=\"";
        out += _request.cimMethod;
        out += "\">\n";
        CimXmlWriter::appendLocalNamespacePath(out, nameSpace);
        _request.cimObject = cimXmlPercentEncode(utf8Text(nameSpace.getString()));
        _closing = "</IMETHODCALL>\n";
        return *this;
    }

    std::string& body() { return _request.body; }

    // <IPARAMVALUE NAME="name"> ... </IPARAMVALUE> around what f appends.
    template <class F>
    RequestBuilder& param(const char* name, F f)
    {
        std::string& out = _request.body;
        out += "<IPARAMVALUE NAME=\"";
        out += name;
        out += "\">\n";
        f(out);
        out += "</IPARAMVALUE>\n";
        return *this;
    }

    // A Boolean parameter, sent only when it differs from its default.
    RequestBuilder& flag(const char* name, Boolean value, Boolean dflt)
    {
        if (value != dflt)
            CimXmlWriter::appendBooleanIParameter(_request.body, name, value);
        return *this;
    }

    RequestBuilder& className(const char* name, const CIMName& className)
    {
        if (className.isNull())
            return *this;
        return param(name, [&](std::string& out) {
            CimXmlWriter::appendClassName(out, className);
        });
    }

    RequestBuilder& propertyList(const CIMPropertyList& list)
    {
        if (list.isNull())
            return *this;
        return param("PropertyList", [&](std::string& out) {
            CimXmlWriter::appendPropertyNames(out, list);
        });
    }

    RequestBuilder& nameValue(const char* name, const CIMName& value)
    {
        return param(name, [&](std::string& out) {
            out += "<VALUE>";
            CimXmlWriter::appendEscaped(out, value.getString());
            out += "</VALUE>\n";
        });
    }

    CimXmlRequest finish()
    {
        _request.body += _closing;
        _request.body += "</SIMPLEREQ>\n</MESSAGE>\n</CIM>\n";
        return std::move(_request);
    }

    void setClosing(const char* closing) { _closing = closing; }
    void setCimObject(std::string value) { _request.cimObject = std::move(value); }

private:
    CimXmlRequest _request;
    const char* _closing = "";
};

// The SIMPLEREQ element of a request document built by RequestBuilder.
void appendSimpleRequest(std::string& out, const std::string& document)
{
    static const char kOpen[] = "<SIMPLEREQ>";
    static const char kClose[] = "</SIMPLEREQ>\n";
    std::size_t begin = document.find(kOpen);
    std::size_t end = document.rfind(kClose);
    if (begin == std::string::npos || end == std::string::npos || end < begin)
        throw CimXmlException(CimXmlException::SYNTAX, "not a SIMPLEREQ document");
    out.append(document, begin, end + sizeof(kClose) - 1 - begin);
}

// What every decoded call must hold, whether alone or in a MULTIREQ.
void checkCall(const CimXmlRequestMessage& call)
{
    if (call.methodName.size() == 0)
        throw CimXmlException(CimXmlException::SYNTAX,
                              "the document holds no IMETHODCALL or METHODCALL");
    if (call.isIntrinsic && call.nameSpace.isNull())
        throw CimXmlException(CimXmlException::SYNTAX,
                              "IMETHODCALL without LOCALNAMESPACEPATH");
    if (!call.isIntrinsic && call.objectName.getClassName().isNull())
        throw CimXmlException(CimXmlException::SYNTAX,
                              "METHODCALL without LOCALINSTANCEPATH or LOCALCLASSPATH");
}

[[noreturn]] void wrongParam(const char* name, const char* expected)
{
    throw CimXmlException(CimXmlException::VALUE,
                          String((std::string("parameter ") + name + " must be " + expected)
                                     .c_str()));
}

}  // namespace

CimXmlRequest CimXmlRequestEncoder::getClass(
    const std::string& messageId, const CIMNamespaceName& nameSpace, const CIMName& className,
    Boolean localOnly, Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    return RequestBuilder(messageId, "GetClass")
        .intrinsic(nameSpace)
        .className("ClassName", className)
        .flag("LocalOnly", localOnly, true)
        .flag("IncludeQualifiers", includeQualifiers, true)
        .flag("IncludeClassOrigin", includeClassOrigin, false)
        .propertyList(propertyList)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::enumerateClasses(
    const std::string& messageId, const CIMNamespaceName& nameSpace, const CIMName& className,
    Boolean deepInheritance, Boolean localOnly, Boolean includeQualifiers,
    Boolean includeClassOrigin)
{
    return RequestBuilder(messageId, "EnumerateClasses")
        .intrinsic(nameSpace)
        .className("ClassName", className)
        .flag("DeepInheritance", deepInheritance, false)
        .flag("LocalOnly", localOnly, true)
        .flag("IncludeQualifiers", includeQualifiers, true)
        .flag("IncludeClassOrigin", includeClassOrigin, false)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::enumerateClassNames(
    const std::string& messageId, const CIMNamespaceName& nameSpace, const CIMName& className,
    Boolean deepInheritance)
{
    return RequestBuilder(messageId, "EnumerateClassNames")
        .intrinsic(nameSpace)
        .className("ClassName", className)
        .flag("DeepInheritance", deepInheritance, false)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::createClass(
    const std::string& messageId, const CIMNamespaceName& nameSpace, const CIMClass& newClass)
{
    return RequestBuilder(messageId, "CreateClass")
        .intrinsic(nameSpace)
        .param("NewClass", [&](std::string& out) { CimXmlWriter::appendClass(out, newClass); })
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::modifyClass(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMClass& modifiedClass)
{
    return RequestBuilder(messageId, "ModifyClass")
        .intrinsic(nameSpace)
        .param("ModifiedClass",
               [&](std::string& out) { CimXmlWriter::appendClass(out, modifiedClass); })
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::deleteClass(
    const std::string& messageId, const CIMNamespaceName& nameSpace, const CIMName& className)
{
    return RequestBuilder(messageId, "DeleteClass")
        .intrinsic(nameSpace)
        .className("ClassName", className)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::getQualifier(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMName& qualifierName)
{
    return RequestBuilder(messageId, "GetQualifier")
        .intrinsic(nameSpace)
        .nameValue("QualifierName", qualifierName)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::setQualifier(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMQualifierDecl& qualifierDeclaration)
{
    return RequestBuilder(messageId, "SetQualifier")
        .intrinsic(nameSpace)
        .param("QualifierDeclaration",
               [&](std::string& out) {
                   CimXmlWriter::appendQualifierDecl(out, qualifierDeclaration);
               })
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::deleteQualifier(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMName& qualifierName)
{
    return RequestBuilder(messageId, "DeleteQualifier")
        .intrinsic(nameSpace)
        .nameValue("QualifierName", qualifierName)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::enumerateQualifiers(
    const std::string& messageId, const CIMNamespaceName& nameSpace)
{
    return RequestBuilder(messageId, "EnumerateQualifiers").intrinsic(nameSpace).finish();
}

CimXmlRequest CimXmlRequestEncoder::getInstance(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName, Boolean localOnly, Boolean includeQualifiers,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList)
{
    return RequestBuilder(messageId, "GetInstance")
        .intrinsic(nameSpace)
        .param("InstanceName",
               [&](std::string& out) { CimXmlWriter::appendInstanceName(out, instanceName); })
        .flag("LocalOnly", localOnly, true)
        .flag("IncludeQualifiers", includeQualifiers, false)
        .flag("IncludeClassOrigin", includeClassOrigin, false)
        .propertyList(propertyList)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::enumerateInstances(
    const std::string& messageId, const CIMNamespaceName& nameSpace, const CIMName& className,
    Boolean deepInheritance, Boolean localOnly, Boolean includeQualifiers,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList)
{
    return RequestBuilder(messageId, "EnumerateInstances")
        .intrinsic(nameSpace)
        .className("ClassName", className)
        .flag("DeepInheritance", deepInheritance, true)
        .flag("LocalOnly", localOnly, true)
        .flag("IncludeQualifiers", includeQualifiers, false)
        .flag("IncludeClassOrigin", includeClassOrigin, false)
        .propertyList(propertyList)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::enumerateInstanceNames(
    const std::string& messageId, const CIMNamespaceName& nameSpace, const CIMName& className)
{
    return RequestBuilder(messageId, "EnumerateInstanceNames")
        .intrinsic(nameSpace)
        .className("ClassName", className)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::createInstance(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMInstance& newInstance)
{
    return RequestBuilder(messageId, "CreateInstance")
        .intrinsic(nameSpace)
        .param("NewInstance",
               [&](std::string& out) { CimXmlWriter::appendInstance(out, newInstance); })
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::modifyInstance(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMInstance& modifiedInstance, Boolean includeQualifiers,
    const CIMPropertyList& propertyList)
{
    return RequestBuilder(messageId, "ModifyInstance")
        .intrinsic(nameSpace)
        .param("ModifiedInstance",
               [&](std::string& out) {
                   CimXmlWriter::appendValueNamedInstance(out, modifiedInstance);
               })
        .flag("IncludeQualifiers", includeQualifiers, true)
        .propertyList(propertyList)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::deleteInstance(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName)
{
    return RequestBuilder(messageId, "DeleteInstance")
        .intrinsic(nameSpace)
        .param("InstanceName",
               [&](std::string& out) { CimXmlWriter::appendInstanceName(out, instanceName); })
        .finish();
}

namespace {

// ObjectName of the association operations: INSTANCENAME or CLASSNAME.
void appendObjectName(std::string& out, const CIMObjectPath& objectName)
{
    if (objectName.getKeyBindings().size() != 0)
        CimXmlWriter::appendInstanceName(out, objectName);
    else
        CimXmlWriter::appendClassName(out, objectName.getClassName());
}

// A class name parameter sent empty when null.
void appendOptionalClassName(std::string& out, const CIMName& className)
{
    if (!className.isNull())
        CimXmlWriter::appendClassName(out, className);
}

// A string parameter sent only when not empty.
RequestBuilder& roleParam(RequestBuilder& builder, const char* name, const String& value)
{
    if (value.size() == 0)
        return builder;
    return builder.param(name, [&](std::string& out) {
        out += "<VALUE>";
        CimXmlWriter::appendEscaped(out, value);
        out += "</VALUE>\n";
    });
}

}  // namespace

CimXmlRequest CimXmlRequestEncoder::associators(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& assocClass, const CIMName& resultClass,
    const String& role, const String& resultRole, Boolean includeQualifiers,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList)
{
    RequestBuilder builder(messageId, "Associators");
    builder.intrinsic(nameSpace)
        .param("ObjectName", [&](std::string& out) { appendObjectName(out, objectName); })
        .param("AssocClass", [&](std::string& out) { appendOptionalClassName(out, assocClass); })
        .param("ResultClass",
               [&](std::string& out) { appendOptionalClassName(out, resultClass); });
    roleParam(builder, "Role", role);
    roleParam(builder, "ResultRole", resultRole);
    return builder.flag("IncludeQualifiers", includeQualifiers, false)
        .flag("IncludeClassOrigin", includeClassOrigin, false)
        .propertyList(propertyList)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::associatorNames(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& assocClass, const CIMName& resultClass,
    const String& role, const String& resultRole)
{
    RequestBuilder builder(messageId, "AssociatorNames");
    builder.intrinsic(nameSpace)
        .param("ObjectName", [&](std::string& out) { appendObjectName(out, objectName); })
        .param("AssocClass", [&](std::string& out) { appendOptionalClassName(out, assocClass); })
        .param("ResultClass",
               [&](std::string& out) { appendOptionalClassName(out, resultClass); });
    roleParam(builder, "Role", role);
    roleParam(builder, "ResultRole", resultRole);
    return builder.finish();
}

CimXmlRequest CimXmlRequestEncoder::references(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& resultClass, const String& role,
    Boolean includeQualifiers, Boolean includeClassOrigin, const CIMPropertyList& propertyList)
{
    RequestBuilder builder(messageId, "References");
    builder.intrinsic(nameSpace)
        .param("ObjectName", [&](std::string& out) { appendObjectName(out, objectName); })
        .param("ResultClass",
               [&](std::string& out) { appendOptionalClassName(out, resultClass); });
    roleParam(builder, "Role", role);
    return builder.flag("IncludeQualifiers", includeQualifiers, false)
        .flag("IncludeClassOrigin", includeClassOrigin, false)
        .propertyList(propertyList)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::referenceNames(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& resultClass, const String& role)
{
    RequestBuilder builder(messageId, "ReferenceNames");
    builder.intrinsic(nameSpace)
        .param("ObjectName", [&](std::string& out) { appendObjectName(out, objectName); })
        .param("ResultClass",
               [&](std::string& out) { appendOptionalClassName(out, resultClass); });
    roleParam(builder, "Role", role);
    return builder.finish();
}

CimXmlRequest CimXmlRequestEncoder::getProperty(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName, const CIMName& propertyName)
{
    return RequestBuilder(messageId, "GetProperty")
        .intrinsic(nameSpace)
        .param("InstanceName",
               [&](std::string& out) { CimXmlWriter::appendInstanceName(out, instanceName); })
        .nameValue("PropertyName", propertyName)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::setProperty(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName, const CIMName& propertyName, const CIMValue& newValue)
{
    RequestBuilder builder(messageId, "SetProperty");
    builder.intrinsic(nameSpace)
        .param("InstanceName",
               [&](std::string& out) { CimXmlWriter::appendInstanceName(out, instanceName); })
        .nameValue("PropertyName", propertyName);
    if (!newValue.isNull())
        builder.param("NewValue",
                      [&](std::string& out) { CimXmlWriter::appendValue(out, newValue); });
    return builder.finish();
}

CimXmlRequest CimXmlRequestEncoder::invokeMethod(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& methodName,
    const Array<CIMParamValue>& inParameters)
{
    std::string method = utf8Text(methodName.getString());
    RequestBuilder builder(messageId, method.c_str());
    CIMObjectPath target(String(), nameSpace, objectName.getClassName(),
                         objectName.getKeyBindings());

    std::string& out = builder.body();
    out += "<METHODCALL NAME=\"";
    CimXmlWriter::appendEscaped(out, method);
    out += "\">\n";
    if (target.getKeyBindings().size() > 0)
        CimXmlWriter::appendLocalInstancePath(out, target);
    else
        CimXmlWriter::appendLocalClassPath(out, target);
    for (Uint32 i = 0; i < inParameters.size(); i++)
        CimXmlWriter::appendParamValue(out, inParameters[i]);
    builder.setClosing("</METHODCALL>\n");
    builder.setCimObject(cimXmlPercentEncode(utf8Text(target.toString())));
    CimXmlRequest request = builder.finish();
    request.cimMethod = method;
    return request;
}

CimXmlRequestMessage CimXmlRequestDecoder::decode(const char* data, std::size_t size,
                                                  const CimXmlLimits& limits)
{
    CimXmlRequestMessage message;
    CimXmlReader::decodeRequest(data, size, limits, message);
    return message;
}

std::string CimXmlRequestEncoder::multipleRequest(const std::string& messageId,
                                                  const std::vector<CimXmlRequest>& calls)
{
    std::size_t size = 256;
    for (const CimXmlRequest& call : calls)
        size += call.body.size();
    std::string out;
    out.reserve(size);
    out += "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
           "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"";
    CimXmlWriter::appendEscaped(out, messageId);
    out += "\" PROTOCOLVERSION=\"1.0\">\n<MULTIREQ>\n";
    for (const CimXmlRequest& call : calls)
        appendSimpleRequest(out, call.body);
    out += "</MULTIREQ>\n</MESSAGE>\n</CIM>\n";
    return out;
}

CimXmlRequestMessage CimXmlRequestDecoder::decodeMultiple(const char* data, std::size_t size,
                                                          const CimXmlLimits& limits)
{
    CimXmlRequestMessage message;
    message.isMultiple = true;
    CimXmlMultipleSplitter<CimXmlRequestMessage> splitter(limits, message.calls);
    CimXmlParser parser(cimXmlTagBit(CimXmlTag::CIM), limits);
    parser.allowMultipleOperations();
    parser.parse(data, size, splitter);
    splitter.checkComplete();
    message.messageId = splitter.messageId();
    message.protocolVersion = splitter.protocolVersion();
    message.cimVersion = splitter.cimVersion();
    message.dtdVersion = splitter.dtdVersion();
    for (const CimXmlRequestMessage& call : message.calls)
        checkCall(call);
    return message;
}

const CimXmlIParamValue* CimXmlRequestMessage::findIParam(const char* name) const
{
    for (const CimXmlIParamValue& p : iparams)
    {
        if (String::equalNoCase(p.name, name))
            return &p;
    }
    return nullptr;
}

Boolean CimXmlRequestMessage::getBoolean(const char* name, Boolean defaultValue) const
{
    const CimXmlIParamValue* p = findIParam(name);
    if (!p || p->kind == CimXmlIParamValue::NULL_VALUE)
        return defaultValue;
    if (p->kind == CimXmlIParamValue::VALUE)
    {
        CString text = p->text.getCString();
        const char* s = text;
        try
        {
            Boolean b = defaultValue;
            CimXmlValues::scalarFromText(CIMTYPE_BOOLEAN, s, std::strlen(s)).get(b);
            return b;
        }
        catch (const CimXmlException&)
        {
        }
    }
    wrongParam(name, "TRUE or FALSE");
}

const CIMName& CimXmlRequestMessage::getClassName(const char* name) const
{
    static const CIMName kAbsent;
    const CimXmlIParamValue* p = findIParam(name);
    if (!p || p->kind == CimXmlIParamValue::NULL_VALUE)
        return kAbsent;
    if (p->kind != CimXmlIParamValue::CLASS_NAME)
        wrongParam(name, "a CLASSNAME");
    return p->className;
}

CIMObjectPath CimXmlRequestMessage::getInstanceName(const char* name) const
{
    const CimXmlIParamValue* p = findIParam(name);
    if (!p || p->kind == CimXmlIParamValue::NULL_VALUE)
        return CIMObjectPath();
    if (p->kind != CimXmlIParamValue::INSTANCE_NAME)
        wrongParam(name, "an INSTANCENAME");
    return p->path;
}

String CimXmlRequestMessage::getString(const char* name) const
{
    const CimXmlIParamValue* p = findIParam(name);
    if (!p || p->kind == CimXmlIParamValue::NULL_VALUE)
        return String();
    if (p->kind != CimXmlIParamValue::VALUE)
        wrongParam(name, "a VALUE");
    return p->text;
}

CIMPropertyList CimXmlRequestMessage::getPropertyList(const char* name) const
{
    const CimXmlIParamValue* p = findIParam(name);
    if (!p || p->kind == CimXmlIParamValue::NULL_VALUE)
        return CIMPropertyList();
    if (p->kind != CimXmlIParamValue::VALUE_ARRAY)
        wrongParam(name, "a VALUE.ARRAY");
    Array<CIMName> names;
    try
    {
        for (Uint32 i = 0; i < p->texts.size(); i++)
            names.append(CIMName(p->texts[i]));
    }
    catch (const Exception&)
    {
        wrongParam(name, "a list of property names");
    }
    return CIMPropertyList(names);
}

}  // namespace Pegasus
