#include <Pegasus/Client/CIMClient.h>

#include "CIMClientRep.h"

#include <Pegasus/Common/CIMProperty.h>

PEGASUS_NAMESPACE_BEGIN

namespace {

// Operations whose request encoding the CIM-XML layer does not provide.
// Not connected comes first, as for every other operation.
[[noreturn]] void refuseUnsupported(bool connected, const char* operation)
{
    if (!connected)
        throw NotConnectedException();
    throw CIMException(CIM_ERR_NOT_SUPPORTED,
        String(operation) + " is not supported by this client");
}

// Every result extractor below needs the IRETURNVALUE the operation
// promises; its absence means the server answered something else.
void requireReturnValue(const CimXmlResponse& r, Uint32 count)
{
    if (!r.hasReturnValue || count == 0)
        throw CIMClientResponseException(
            "Response has no IRETURNVALUE for " + r.methodName);
}

// Host and namespace of an enumerated path say where the server found the
// object; callers get paths relative to the namespace they asked for.
CIMObjectPath localPath(const CIMObjectPath& path)
{
    CIMObjectPath p(path);
    p.setHost(String());
    p.setNameSpace(CIMNamespaceName());
    return p;
}

} // namespace

CIMClient::CIMClient() : _rep(new CIMClientRep)
{
}

CIMClient::~CIMClient()
{
    _rep->disconnect();
    delete _rep;
}

Uint32 CIMClient::getTimeout() const
{
    return _rep->timeoutMilliseconds;
}

void CIMClient::setTimeout(Uint32 timeoutMilliseconds)
{
    _rep->timeoutMilliseconds = timeoutMilliseconds;
}

void CIMClient::connect(
    const String& host,
    const Uint32 portNumber,
    const String& userName,
    const String& password)
{
    _rep->connectTcp(host, portNumber, userName, password);
}

void CIMClient::connect(
    const String&,
    const Uint32,
    const SSLContext&,
    const String&,
    const String&)
{
    if (_rep->isConnected())
        throw AlreadyConnectedException();
    throw CIMException(CIM_ERR_NOT_SUPPORTED,
                       "HTTPS connections are not supported by this client");
}

void CIMClient::connectLocal()
{
    _rep->connectLocal();
}

void CIMClient::disconnect()
{
    _rep->disconnect();
}

void CIMClient::setRequestAcceptLanguages(const AcceptLanguageList& langs)
{
    _rep->requestAcceptLanguages = langs;
}

AcceptLanguageList CIMClient::getRequestAcceptLanguages() const
{
    return _rep->requestAcceptLanguages;
}

void CIMClient::setRequestContentLanguages(const ContentLanguageList& langs)
{
    _rep->requestContentLanguages = langs;
}

ContentLanguageList CIMClient::getRequestContentLanguages() const
{
    return _rep->requestContentLanguages;
}

ContentLanguageList CIMClient::getResponseContentLanguages() const
{
    return _rep->responseContentLanguages;
}

void CIMClient::setRequestDefaultLanguages()
{
    _rep->requestAcceptLanguages.clear();
    _rep->requestContentLanguages.clear();
}

CIMClass CIMClient::getClass(
    const CIMNamespaceName& nameSpace,
    const CIMName& className,
    Boolean localOnly,
    Boolean includeQualifiers,
    Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(id, CimXmlRequestEncoder::getClass(
        id, nameSpace, className, localOnly, includeQualifiers,
        includeClassOrigin, propertyList));
    requireReturnValue(r, r.classes.size());
    return r.classes[0];
}

Array<CIMClass> CIMClient::enumerateClasses(
    const CIMNamespaceName& nameSpace,
    const CIMName& className,
    Boolean deepInheritance,
    Boolean localOnly,
    Boolean includeQualifiers,
    Boolean includeClassOrigin)
{
    std::string id = _rep->nextMessageId();
    return _rep->execute(id, CimXmlRequestEncoder::enumerateClasses(
        id, nameSpace, className, deepInheritance, localOnly,
        includeQualifiers, includeClassOrigin)).classes;
}

Array<CIMName> CIMClient::enumerateClassNames(
    const CIMNamespaceName& nameSpace,
    const CIMName& className,
    Boolean deepInheritance)
{
    std::string id = _rep->nextMessageId();
    return _rep->execute(id, CimXmlRequestEncoder::enumerateClassNames(
        id, nameSpace, className, deepInheritance)).classNames;
}

void CIMClient::createClass(
    const CIMNamespaceName& nameSpace,
    const CIMClass& newClass)
{
    std::string id = _rep->nextMessageId();
    _rep->execute(id,
        CimXmlRequestEncoder::createClass(id, nameSpace, newClass));
}

void CIMClient::modifyClass(
    const CIMNamespaceName& nameSpace,
    const CIMClass& modifiedClass)
{
    std::string id = _rep->nextMessageId();
    _rep->execute(id,
        CimXmlRequestEncoder::modifyClass(id, nameSpace, modifiedClass));
}

void CIMClient::deleteClass(
    const CIMNamespaceName& nameSpace,
    const CIMName& className)
{
    std::string id = _rep->nextMessageId();
    _rep->execute(id,
        CimXmlRequestEncoder::deleteClass(id, nameSpace, className));
}

CIMInstance CIMClient::getInstance(
    const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName,
    Boolean localOnly,
    Boolean includeQualifiers,
    Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(id, CimXmlRequestEncoder::getInstance(
        id, nameSpace, instanceName, localOnly, includeQualifiers,
        includeClassOrigin, propertyList));
    requireReturnValue(r, r.instances.size());
    CIMInstance instance = r.instances[0];
    instance.setPath(CIMObjectPath(String(), CIMNamespaceName(),
                                   instance.getClassName()));
    return instance;
}

Array<CIMInstance> CIMClient::enumerateInstances(
    const CIMNamespaceName& nameSpace,
    const CIMName& className,
    Boolean deepInheritance,
    Boolean localOnly,
    Boolean includeQualifiers,
    Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    std::string id = _rep->nextMessageId();
    Array<CIMInstance> instances = _rep->execute(id,
        CimXmlRequestEncoder::enumerateInstances(
            id, nameSpace, className, deepInheritance, localOnly,
            includeQualifiers, includeClassOrigin, propertyList)).instances;
    for (Uint32 i = 0; i < instances.size(); ++i)
        instances[i].setPath(localPath(instances[i].getPath()));
    return instances;
}

Array<CIMObjectPath> CIMClient::enumerateInstanceNames(
    const CIMNamespaceName& nameSpace,
    const CIMName& className)
{
    std::string id = _rep->nextMessageId();
    Array<CIMObjectPath> names = _rep->execute(id,
        CimXmlRequestEncoder::enumerateInstanceNames(
            id, nameSpace, className)).instanceNames;
    for (Uint32 i = 0; i < names.size(); ++i)
        names[i] = localPath(names[i]);
    return names;
}

CIMObjectPath CIMClient::createInstance(
    const CIMNamespaceName& nameSpace,
    const CIMInstance& newInstance)
{
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(id,
        CimXmlRequestEncoder::createInstance(id, nameSpace, newInstance));
    requireReturnValue(r, r.instanceNames.size());
    return r.instanceNames[0];
}

void CIMClient::modifyInstance(
    const CIMNamespaceName& nameSpace,
    const CIMInstance& modifiedInstance,
    Boolean includeQualifiers,
    const CIMPropertyList& propertyList)
{
    std::string id = _rep->nextMessageId();
    _rep->execute(id, CimXmlRequestEncoder::modifyInstance(
        id, nameSpace, modifiedInstance, includeQualifiers, propertyList));
}

void CIMClient::deleteInstance(
    const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName)
{
    std::string id = _rep->nextMessageId();
    _rep->execute(id,
        CimXmlRequestEncoder::deleteInstance(id, nameSpace, instanceName));
}

Array<CIMObject> CIMClient::execQuery(
    const CIMNamespaceName&,
    const String&,
    const String&)
{
    refuseUnsupported(_rep->isConnected(), "ExecQuery");
}

Array<CIMObject> CIMClient::associators(
    const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName,
    const CIMName& assocClass,
    const CIMName& resultClass,
    const String& role,
    const String& resultRole,
    Boolean includeQualifiers,
    Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    std::string id = _rep->nextMessageId();
    return _rep->execute(id, CimXmlRequestEncoder::associators(
        id, nameSpace, objectName, assocClass, resultClass, role, resultRole,
        includeQualifiers, includeClassOrigin, propertyList)).objects;
}

Array<CIMObjectPath> CIMClient::associatorNames(
    const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName,
    const CIMName& assocClass,
    const CIMName& resultClass,
    const String& role,
    const String& resultRole)
{
    std::string id = _rep->nextMessageId();
    return _rep->execute(id, CimXmlRequestEncoder::associatorNames(
        id, nameSpace, objectName, assocClass, resultClass, role,
        resultRole)).objectPaths;
}

Array<CIMObject> CIMClient::references(
    const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName,
    const CIMName& resultClass,
    const String& role,
    Boolean includeQualifiers,
    Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    std::string id = _rep->nextMessageId();
    return _rep->execute(id, CimXmlRequestEncoder::references(
        id, nameSpace, objectName, resultClass, role, includeQualifiers,
        includeClassOrigin, propertyList)).objects;
}

Array<CIMObjectPath> CIMClient::referenceNames(
    const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName,
    const CIMName& resultClass,
    const String& role)
{
    std::string id = _rep->nextMessageId();
    return _rep->execute(id, CimXmlRequestEncoder::referenceNames(
        id, nameSpace, objectName, resultClass, role)).objectPaths;
}

CIMValue CIMClient::getProperty(
    const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName,
    const CIMName& propertyName)
{
    std::string id = _rep->nextMessageId();
    return _rep->execute(id, CimXmlRequestEncoder::getProperty(
        id, nameSpace, instanceName, propertyName)).returnValue;
}

void CIMClient::setProperty(
    const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName,
    const CIMName& propertyName,
    const CIMValue& newValue)
{
    std::string id = _rep->nextMessageId();
    _rep->execute(id, CimXmlRequestEncoder::setProperty(
        id, nameSpace, instanceName, propertyName, newValue));
}

CIMQualifierDecl CIMClient::getQualifier(
    const CIMNamespaceName& nameSpace,
    const CIMName& qualifierName)
{
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(id,
        CimXmlRequestEncoder::getQualifier(id, nameSpace, qualifierName));
    requireReturnValue(r, r.qualifierDecls.size());
    return r.qualifierDecls[0];
}

void CIMClient::setQualifier(
    const CIMNamespaceName& nameSpace,
    const CIMQualifierDecl& qualifierDeclaration)
{
    std::string id = _rep->nextMessageId();
    _rep->execute(id, CimXmlRequestEncoder::setQualifier(
        id, nameSpace, qualifierDeclaration));
}

void CIMClient::deleteQualifier(
    const CIMNamespaceName& nameSpace,
    const CIMName& qualifierName)
{
    std::string id = _rep->nextMessageId();
    _rep->execute(id,
        CimXmlRequestEncoder::deleteQualifier(id, nameSpace, qualifierName));
}

Array<CIMQualifierDecl> CIMClient::enumerateQualifiers(
    const CIMNamespaceName& nameSpace)
{
    std::string id = _rep->nextMessageId();
    return _rep->execute(id, CimXmlRequestEncoder::enumerateQualifiers(
        id, nameSpace)).qualifierDecls;
}

CIMValue CIMClient::invokeMethod(
    const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName,
    const CIMName& methodName,
    const Array<CIMParamValue>& inParameters,
    Array<CIMParamValue>& outParameters)
{
    std::string id = _rep->nextMessageId();
    CimXmlResponse r = _rep->execute(id, CimXmlRequestEncoder::invokeMethod(
        id, nameSpace, instanceName, methodName, inParameters));
    outParameters = r.outParameters;
    return r.returnValue;
}

void CIMClient::registerClientOpPerformanceDataHandler(
    ClientOpPerformanceDataHandler& handler)
{
    _rep->performanceHandler = &handler;
}

void CIMClient::deregisterClientOpPerformanceDataHandler()
{
    _rep->performanceHandler = nullptr;
}

PEGASUS_NAMESPACE_END
