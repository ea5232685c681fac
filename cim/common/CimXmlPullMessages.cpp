// The documents of the pull operations (DSP0200 1.4): the requests the
// client builds and the parts of the answers the server writes.
#include "CimXmlMessages.h"
#include "Utf8Text.h"

#include "CimXmlWriter.h"

#include <cstring>

namespace Pegasus {

namespace {

typedef CimXmlRequestEncoder::PullOptions PullOptions;

// One IMETHODCALL of a pull operation, parameter by parameter.
class PullRequest
{
public:
    PullRequest(const std::string& messageId, const char* method,
                const CIMNamespaceName& nameSpace)
    {
        _request.cimMethod = method;
        _request.cimObject = cimXmlPercentEncode(utf8Text(nameSpace.getString()));
        std::string& out = _request.body;
        out.reserve(1024);
        out += "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
               "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
               "<MESSAGE ID=\"";
        CimXmlWriter::appendEscaped(out, messageId);
        out += "\" PROTOCOLVERSION=\"1.0\">\n<SIMPLEREQ>\n<IMETHODCALL NAME=\"";
        out += method;
        out += "\">\n";
        CimXmlWriter::appendLocalNamespacePath(out, nameSpace);
    }

    // <IPARAMVALUE NAME="name"> what f appends </IPARAMVALUE>.
    template <class F>
    PullRequest& param(const char* name, F f)
    {
        std::string& out = _request.body;
        out += "<IPARAMVALUE NAME=\"";
        out += name;
        out += "\">\n";
        f(out);
        out += "</IPARAMVALUE>\n";
        return *this;
    }

    PullRequest& text(const char* name, const String& value)
    {
        return param(name, [&](std::string& out) {
            out += "<VALUE>";
            CimXmlWriter::appendEscaped(out, value);
            out += "</VALUE>\n";
        });
    }

    PullRequest& textIfNotEmpty(const char* name, const String& value)
    {
        return value.size() == 0 ? *this : text(name, value);
    }

    PullRequest& number(const char* name, Uint64 value)
    {
        return param(name, [&](std::string& out) {
            out += "<VALUE>";
            out += std::to_string(value);
            out += "</VALUE>\n";
        });
    }

    PullRequest& flag(const char* name, Boolean value)
    {
        CimXmlWriter::appendBooleanIParameter(_request.body, name, value);
        return *this;
    }

    PullRequest& className(const char* name, const CIMName& className)
    {
        return param(name, [&](std::string& out) {
            CimXmlWriter::appendClassName(out, className);
        });
    }

    // An empty parameter for a null name.
    PullRequest& optionalClassName(const char* name, const CIMName& className)
    {
        if (className.isNull())
            return param(name, [](std::string&) {});
        return this->className(name, className);
    }

    PullRequest& instanceName(const CIMObjectPath& objectName)
    {
        return param("InstanceName", [&](std::string& out) {
            CimXmlWriter::appendInstanceName(out, objectName);
        });
    }

    PullRequest& propertyList(const CIMPropertyList& list)
    {
        if (list.isNull())
            return *this;
        return param("PropertyList", [&](std::string& out) {
            CimXmlWriter::appendPropertyNames(out, list);
        });
    }

    PullRequest& options(const PullOptions& o)
    {
        textIfNotEmpty("FilterQueryLanguage", o.filterQueryLanguage);
        textIfNotEmpty("FilterQuery", o.filterQuery);
        flag("ContinueOnError", o.continueOnError);
        number("MaxObjectCount", o.maxObjectCount);
        if (!o.operationTimeout.isNull())
            number("OperationTimeout", o.operationTimeout.getValue());
        return *this;
    }

    CimXmlRequest finish()
    {
        _request.body += "</IMETHODCALL>\n</SIMPLEREQ>\n</MESSAGE>\n</CIM>\n";
        return std::move(_request);
    }

private:
    CimXmlRequest _request;
};

}  // namespace

CimXmlRequest CimXmlRequestEncoder::openEnumerateInstances(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMName& className, Boolean deepInheritance, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList, const PullOptions& options)
{
    PullRequest r(messageId, "OpenEnumerateInstances", nameSpace);
    r.className("ClassName", className);
    if (!deepInheritance)
        r.flag("DeepInheritance", false);
    if (includeClassOrigin)
        r.flag("IncludeClassOrigin", true);
    return r.propertyList(propertyList).options(options).finish();
}

CimXmlRequest CimXmlRequestEncoder::openEnumerateInstancePaths(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMName& className, const PullOptions& options)
{
    return PullRequest(messageId, "OpenEnumerateInstancePaths", nameSpace)
        .className("ClassName", className)
        .options(options)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::openReferenceInstances(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& resultClass, const String& role,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList,
    const PullOptions& options)
{
    PullRequest r(messageId, "OpenReferenceInstances", nameSpace);
    r.instanceName(objectName)
        .optionalClassName("ResultClass", resultClass)
        .textIfNotEmpty("Role", role);
    if (includeClassOrigin)
        r.flag("IncludeClassOrigin", true);
    return r.propertyList(propertyList).options(options).finish();
}

CimXmlRequest CimXmlRequestEncoder::openReferenceInstancePaths(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& resultClass, const String& role,
    const PullOptions& options)
{
    return PullRequest(messageId, "OpenReferenceInstancePaths", nameSpace)
        .instanceName(objectName)
        .optionalClassName("ResultClass", resultClass)
        .textIfNotEmpty("Role", role)
        .options(options)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::openAssociatorInstances(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& assocClass,
    const CIMName& resultClass, const String& role, const String& resultRole,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList,
    const PullOptions& options)
{
    PullRequest r(messageId, "OpenAssociatorInstances", nameSpace);
    r.instanceName(objectName)
        .optionalClassName("AssocClass", assocClass)
        .optionalClassName("ResultClass", resultClass)
        .textIfNotEmpty("Role", role)
        .textIfNotEmpty("ResultRole", resultRole);
    if (includeClassOrigin)
        r.flag("IncludeClassOrigin", true);
    return r.propertyList(propertyList).options(options).finish();
}

CimXmlRequest CimXmlRequestEncoder::openAssociatorInstancePaths(
    const std::string& messageId, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& assocClass,
    const CIMName& resultClass, const String& role, const String& resultRole,
    const PullOptions& options)
{
    PullRequest r(messageId, "OpenAssociatorInstancePaths", nameSpace);
    r.instanceName(objectName);
    if (!assocClass.isNull())
        r.className("AssocClass", assocClass);
    return r.optionalClassName("ResultClass", resultClass)
        .textIfNotEmpty("Role", role)
        .textIfNotEmpty("ResultRole", resultRole)
        .options(options)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::pull(const std::string& messageId,
                                         const CIMNamespaceName& nameSpace, bool paths,
                                         const String& enumerationContext,
                                         Uint32 maxObjectCount)
{
    return PullRequest(messageId, paths ? "PullInstancePaths" : "PullInstancesWithPath",
                       nameSpace)
        .number("MaxObjectCount", maxObjectCount)
        .text("EnumerationContext", enumerationContext)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::closeEnumeration(const std::string& messageId,
                                                     const CIMNamespaceName& nameSpace,
                                                     const String& enumerationContext)
{
    return PullRequest(messageId, "CloseEnumeration", nameSpace)
        .text("EnumerationContext", enumerationContext)
        .finish();
}

CimXmlRequest CimXmlRequestEncoder::enumerationCount(const std::string& messageId,
                                                     const CIMNamespaceName& nameSpace,
                                                     const String& enumerationContext)
{
    return PullRequest(messageId, "EnumerationCount", nameSpace)
        .text("EnumerationContext", enumerationContext)
        .finish();
}

void CimXmlResponseEncoder::appendInstanceWithPath(std::string& out,
                                                   const CIMConstInstance& instance)
{
    out += "<VALUE.INSTANCEWITHPATH>\n";
    CimXmlWriter::appendInstancePath(out, instance.getPath());
    CimXmlWriter::appendInstance(out, instance);
    out += "</VALUE.INSTANCEWITHPATH>\n";
}

void CimXmlResponseEncoder::appendInstancePath(std::string& out,
                                               const CIMObjectPath& instancePath)
{
    CimXmlWriter::appendInstancePath(out, instancePath);
}

std::string CimXmlResponseEncoder::pullResponseTail(bool endOfSequence,
                                                    const String& enumerationContext)
{
    static const char kReturnValueEnd[] = "</IRETURNVALUE>\n";
    std::string out = kReturnValueEnd;
    out += "<PARAMVALUE NAME=\"EndOfSequence\">\n<VALUE>";
    out += endOfSequence ? "TRUE" : "FALSE";
    out += "</VALUE>\n</PARAMVALUE>\n<PARAMVALUE NAME=\"EnumerationContext\">\n<VALUE>";
    if (!endOfSequence)
        CimXmlWriter::appendEscaped(out, enumerationContext);
    out += "</VALUE>\n</PARAMVALUE>\n";
    // The rest of the document is what follows IRETURNVALUE in every answer.
    out.append(returnValueTail(), std::strlen(kReturnValueEnd), std::string::npos);
    return out;
}

std::string CimXmlResponseEncoder::enumerationCountResponse(const std::string& messageId,
                                                            const String& methodName,
                                                            const Uint64Arg& count)
{
    std::string out = returnValueHead(messageId, methodName);
    if (!count.isNull())
        out += "<VALUE>" + std::to_string(count.getValue()) + "</VALUE>\n";
    out += returnValueTail();
    return out;
}

}  // namespace Pegasus
