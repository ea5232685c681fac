// The pull operations of CIMClient and the enumeration handle they share.
#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMEnumerationContext.h>

#include "CIMClientRep.h"
#include "IntegerText.h"

PEGASUS_NAMESPACE_BEGIN

// ---- CIMEnumerationContext --------------------------------------------------

CIMEnumerationContext::CIMEnumerationContext() {}

CIMEnumerationContext::~CIMEnumerationContext() {}

void CIMEnumerationContext::clear()
{
    _nameSpace.clear();
    _context.clear();
}

void CIMEnumerationContext::clearEnumeration()
{
    _context.clear();
}

const CIMNamespaceName& CIMEnumerationContext::getNameSpace() const
{
    return _nameSpace;
}

void CIMEnumerationContext::setNameSpace(const CIMNamespaceName& nameSpace)
{
    _nameSpace = nameSpace;
}

const String& CIMEnumerationContext::getEnumerationContextString() const
{
    return _context;
}

void CIMEnumerationContext::setEnumerationContextString(const String& context)
{
    _context = context;
}

// ---- CIMClientRep -------------------------------------------------------------

namespace {

// The text of the out parameter `name` of a pull answer.
const CIMParamValue* outParameter(const CimXmlResponse& r, const char* name)
{
    for (Uint32 i = 0; i < r.outParameters.size(); ++i)
    {
        if (String::equalNoCase(r.outParameters[i].getParameterName(), name))
            return &r.outParameters[i];
    }
    return nullptr;
}

String textOf(const CIMParamValue& parameter)
{
    String text;
    CIMValue value = parameter.getValue();
    if (!value.isNull() && value.getType() == CIMTYPE_STRING && !value.isArray())
        value.get(text);
    return text;
}

// EndOfSequence and EnumerationContext of an open or pull answer.  A
// sequence that goes on needs a context to go on with.
void readSequence(const CimXmlResponse& r, Boolean& endOfSequence, String& context)
{
    const CIMParamValue* eos = outParameter(r, "EndOfSequence");
    const CIMParamValue* ctx = outParameter(r, "EnumerationContext");
    String eosText = eos ? textOf(*eos) : String();
    if (!r.hasReturnValue || !eos ||
        (!String::equalNoCase(eosText, "TRUE") && !String::equalNoCase(eosText, "FALSE")))
        throw CIMClientResponseException(
            "Response has no IRETURNVALUE or EndOfSequence for " + r.methodName);
    endOfSequence = String::equalNoCase(eosText, "TRUE");
    context = ctx ? textOf(*ctx) : String();
    if (!endOfSequence && context.size() == 0)
        throw CIMClientResponseException(
            "Response has no EnumerationContext for " + r.methodName);
    if (endOfSequence)
        context.clear();
}

}  // namespace

void CIMClientRep::beginEnumeration(CIMEnumerationContext& context,
                                    const CIMNamespaceName& nameSpace,
                                    const CimXmlResponse& response, Boolean& endOfSequence)
{
    String contextString;
    readSequence(response, endOfSequence, contextString);
    context.setNameSpace(nameSpace);
    context.setEnumerationContextString(contextString);
}

void CIMClientRep::continueEnumeration(CIMEnumerationContext& context,
                                       const CimXmlResponse& response,
                                       Boolean& endOfSequence)
{
    String contextString;
    readSequence(response, endOfSequence, contextString);
    context.setEnumerationContextString(contextString);
}

const CIMNamespaceName& CIMClientRep::openNameSpace(const CIMEnumerationContext& context,
                                                    String& contextString)
{
    contextString = context.getEnumerationContextString();
    if (context.getNameSpace().isNull() || contextString.size() == 0)
        throw CIMException(CIM_ERR_INVALID_ENUMERATION_CONTEXT,
                           "the enumeration context is not open");
    return context.getNameSpace();
}

// ---- CIMClient ----------------------------------------------------------------

namespace {

CimXmlRequestEncoder::PullOptions pullOptions(const String& filterQueryLanguage,
                                              const String& filterQuery,
                                              const Uint32Arg& operationTimeout,
                                              Boolean continueOnError, Uint32 maxObjectCount)
{
    CimXmlRequestEncoder::PullOptions o;
    o.filterQueryLanguage = filterQueryLanguage;
    o.filterQuery = filterQuery;
    o.operationTimeout = operationTimeout;
    o.continueOnError = continueOnError;
    o.maxObjectCount = maxObjectCount;
    return o;
}

}  // namespace

#define PULL_OPTIONS                                                                   \
    pullOptions(filterQueryLanguage, filterQuery, operationTimeout, continueOnError, \
                maxObjectCount)

Array<CIMInstance> CIMClient::openEnumerateInstances(
    CIMEnumerationContext& enumerationContext, Boolean& endOfSequence,
    const CIMNamespaceName& nameSpace, const CIMName& className, Boolean deepInheritance,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList,
    const String& filterQueryLanguage, const String& filterQuery,
    const Uint32Arg& operationTimeout, Boolean continueOnError, Uint32 maxObjectCount)
{
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(
        id, CimXmlRequestEncoder::openEnumerateInstances(id, nameSpace, className,
                                                         deepInheritance, includeClassOrigin,
                                                         propertyList, PULL_OPTIONS));
    CIMClientRep::beginEnumeration(enumerationContext, nameSpace, r, endOfSequence);
    return r.instances;
}

Array<CIMObjectPath> CIMClient::openEnumerateInstancePaths(
    CIMEnumerationContext& enumerationContext, Boolean& endOfSequence,
    const CIMNamespaceName& nameSpace, const CIMName& className,
    const String& filterQueryLanguage, const String& filterQuery,
    const Uint32Arg& operationTimeout, Boolean continueOnError, Uint32 maxObjectCount)
{
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(
        id, CimXmlRequestEncoder::openEnumerateInstancePaths(id, nameSpace, className,
                                                             PULL_OPTIONS));
    CIMClientRep::beginEnumeration(enumerationContext, nameSpace, r, endOfSequence);
    return r.instanceNames;
}

Array<CIMInstance> CIMClient::openReferenceInstances(
    CIMEnumerationContext& enumerationContext, Boolean& endOfSequence,
    const CIMNamespaceName& nameSpace, const CIMObjectPath& objectName,
    const CIMName& resultClass, const String& role, const Boolean includeClassOrigin,
    const CIMPropertyList& propertyList, const String& filterQueryLanguage,
    const String& filterQuery, const Uint32Arg& operationTimeout, Boolean continueOnError,
    Uint32 maxObjectCount)
{
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(
        id, CimXmlRequestEncoder::openReferenceInstances(id, nameSpace, objectName,
                                                         resultClass, role, includeClassOrigin,
                                                         propertyList, PULL_OPTIONS));
    CIMClientRep::beginEnumeration(enumerationContext, nameSpace, r, endOfSequence);
    return r.instances;
}

Array<CIMObjectPath> CIMClient::openReferenceInstancePaths(
    CIMEnumerationContext& enumerationContext, Boolean& endOfSequence,
    const CIMNamespaceName& nameSpace, const CIMObjectPath& objectName,
    const CIMName& resultClass, const String& role, const String& filterQueryLanguage,
    const String& filterQuery, const Uint32Arg& operationTimeout, Boolean continueOnError,
    Uint32 maxObjectCount)
{
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(
        id, CimXmlRequestEncoder::openReferenceInstancePaths(id, nameSpace, objectName,
                                                             resultClass, role, PULL_OPTIONS));
    CIMClientRep::beginEnumeration(enumerationContext, nameSpace, r, endOfSequence);
    return r.instanceNames;
}

Array<CIMInstance> CIMClient::openAssociatorInstances(
    CIMEnumerationContext& enumerationContext, Boolean& endOfSequence,
    const CIMNamespaceName& nameSpace, const CIMObjectPath& objectName,
    const CIMName& assocClass, const CIMName& resultClass, const String& role,
    const String& resultRole, Boolean includeClassOrigin, const CIMPropertyList& propertyList,
    const String& filterQueryLanguage, const String& filterQuery,
    const Uint32Arg& operationTimeout, Boolean continueOnError, Uint32 maxObjectCount)
{
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(
        id, CimXmlRequestEncoder::openAssociatorInstances(
                id, nameSpace, objectName, assocClass, resultClass, role, resultRole,
                includeClassOrigin, propertyList, PULL_OPTIONS));
    CIMClientRep::beginEnumeration(enumerationContext, nameSpace, r, endOfSequence);
    return r.instances;
}

Array<CIMObjectPath> CIMClient::openAssociatorInstancePaths(
    CIMEnumerationContext& enumerationContext, Boolean& endOfSequence,
    const CIMNamespaceName& nameSpace, const CIMObjectPath& objectName,
    const CIMName& assocClass, const CIMName& resultClass, const String& role,
    const String& resultRole, const String& filterQueryLanguage, const String& filterQuery,
    const Uint32Arg& operationTimeout, Boolean continueOnError, Uint32 maxObjectCount)
{
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(
        id, CimXmlRequestEncoder::openAssociatorInstancePaths(
                id, nameSpace, objectName, assocClass, resultClass, role, resultRole,
                PULL_OPTIONS));
    CIMClientRep::beginEnumeration(enumerationContext, nameSpace, r, endOfSequence);
    return r.instanceNames;
}

#undef PULL_OPTIONS

Array<CIMInstance> CIMClient::pullInstancesWithPath(CIMEnumerationContext& enumerationContext,
                                                    Boolean& endOfSequence,
                                                    Uint32 maxObjectCount)
{
    String context;
    const CIMNamespaceName& nameSpace = CIMClientRep::openNameSpace(enumerationContext, context);
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(
        id, CimXmlRequestEncoder::pull(id, nameSpace, false, context, maxObjectCount));
    CIMClientRep::continueEnumeration(enumerationContext, r, endOfSequence);
    return r.instances;
}

Array<CIMObjectPath> CIMClient::pullInstancePaths(CIMEnumerationContext& enumerationContext,
                                                  Boolean& endOfSequence,
                                                  Uint32 maxObjectCount)
{
    String context;
    const CIMNamespaceName& nameSpace = CIMClientRep::openNameSpace(enumerationContext, context);
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(
        id, CimXmlRequestEncoder::pull(id, nameSpace, true, context, maxObjectCount));
    CIMClientRep::continueEnumeration(enumerationContext, r, endOfSequence);
    return r.instanceNames;
}

void CIMClient::closeEnumeration(CIMEnumerationContext& enumerationContext)
{
    String context;
    const CIMNamespaceName& nameSpace = CIMClientRep::openNameSpace(enumerationContext, context);
    std::string id = _rep->nextMessageId();
    _rep->execute(id, CimXmlRequestEncoder::closeEnumeration(id, nameSpace, context));
    enumerationContext.clearEnumeration();
}

Array<CIMInstance> CIMClient::openQueryInstances(CIMEnumerationContext&, Boolean&,
                                                 const CIMNamespaceName&, const String&,
                                                 const String&, CIMClass&, Boolean,
                                                 const Uint32Arg&, Boolean, Uint32)
{
    if (!_rep->isConnected())
        throw NotConnectedException();
    throw CIMException(CIM_ERR_NOT_SUPPORTED,
                       "OpenQueryInstances is not supported by this client");
}

Array<CIMInstance> CIMClient::pullInstances(CIMEnumerationContext&, Boolean&, Uint32)
{
    if (!_rep->isConnected())
        throw NotConnectedException();
    throw CIMException(CIM_ERR_NOT_SUPPORTED, "PullInstances is not supported by this client");
}

Uint64Arg CIMClient::enumerationCount(CIMEnumerationContext& enumerationContext)
{
    String context;
    const CIMNamespaceName& nameSpace = CIMClientRep::openNameSpace(enumerationContext, context);
    std::string id = _rep->nextMessageId();
    CimXmlResponse r =
        _rep->execute(id, CimXmlRequestEncoder::enumerationCount(id, nameSpace, context));
    if (r.returnValue.isNull())
        return Uint64Arg();
    String text;
    Uint64 count = 0;
    if (r.returnValue.getType() == CIMTYPE_STRING && !r.returnValue.isArray())
        r.returnValue.get(text);
    if (!parseUnsignedIntegerText(text, count))
        throw CIMClientResponseException("Response has no count for " + r.methodName);
    return Uint64Arg(count);
}

PEGASUS_NAMESPACE_END
