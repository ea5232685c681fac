// CIMClient: a client of a CIM server speaking CIM-XML over HTTP/1.1, on TCP
// or on the server's local (Unix-domain) socket.
//
// Ownership and threads: a CIMClient is not copyable and owns its connection;
// the destructor disconnects.  One thread at a time may use a given client;
// separate clients are independent and may be used in parallel.
//
// Failures (every operation may throw these):
//   NotConnectedException            operation before connect() or after
//                                    disconnect()
//   CannotConnectException           (re)connecting failed
//   InvalidLocatorException          the host name cannot be resolved
//   ConnectionTimeoutException       no complete response within getTimeout()
//                                    milliseconds; the connection is dropped
//                                    but the client stays connected: the next
//                                    operation reconnects by itself
//   CIMClientMalformedHTTPException  the server closed the connection without
//                                    answering, or the response is not usable
//                                    HTTP / lacks the CIM headers
//   CIMClientHTTPErrorException      HTTP status other than 200
//   CIMClientXmlException            the body is not (valid CIM-)XML
//   CIMClientResponseException       a well-formed but unexpected response
//   CIMException                     the server reported a CIM error; the code
//                                    is the server's and getMessage() its
//                                    whole description, e.g.
//                                    "CIM_ERR_NOT_FOUND: no such disk"
#ifndef Pegasus_CIMClient_h
#define Pegasus_CIMClient_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMName.h>
#if __has_include(<Pegasus/Common/SSLContext.h>)
# include <Pegasus/Common/SSLContext.h>
#else
namespace Pegasus { class SSLContext; }
#endif
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/CIMQualifierDecl.h>
#include <Pegasus/Common/AcceptLanguageList.h>
#include <Pegasus/Common/ContentLanguageList.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/UintArgs.h>
#include <Pegasus/Client/CIMClientException.h>
#include <Pegasus/Client/CIMEnumerationContext.h>
#include <Pegasus/Client/ClientOpPerformanceDataHandler.h>
#include <Pegasus/Client/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class CIMClientRep;

class PEGASUS_CLIENT_LINKAGE CIMClient
{
public:
    CIMClient();
    ~CIMClient();

    // Time-out in milliseconds for connecting and for each operation;
    // 20000 by default.  May be changed at any time.
    Uint32 getTimeout() const;
    void setTimeout(Uint32 timeoutMilliseconds);

    // Connects over TCP.  An empty host means "localhost"; an empty host and
    // port 0 mean the server's local socket (see connectLocal()).  Empty
    // userName and password mean no credentials; they are sent (HTTP Basic)
    // only when the server asks for authentication.
    // Throws AlreadyConnectedException if connected, CannotConnectException,
    // InvalidLocatorException for a host that cannot be resolved.
    void connect(
        const String& host,
        const Uint32 portNumber,
        const String& userName,
        const String& password);

    // HTTPS.  Not supported by this library: throws
    // CIMException(CIM_ERR_NOT_SUPPORTED) (or AlreadyConnectedException if
    // connected).
    void connect(
        const String& host,
        const Uint32 portNumber,
        const SSLContext& sslContext,
        const String& userName,
        const String& password);

    // Connects to the server's local socket, "cimxml.socket" directly under
    // $PEGASUS_HOME (the current directory when PEGASUS_HOME is unset).
    // Throws AlreadyConnectedException or CannotConnectException
    // ("Cannot connect to local CIM server. Connection failed.").
    void connectLocal();

    // Closes the connection.  Idempotent; never throws.
    void disconnect();

    // Languages sent in the Accept-Language / Content-Language headers of
    // each request, and those of the last response.
    void setRequestAcceptLanguages(const AcceptLanguageList& langs);
    AcceptLanguageList getRequestAcceptLanguages() const;
    void setRequestContentLanguages(const ContentLanguageList& langs);
    ContentLanguageList getRequestContentLanguages() const;
    ContentLanguageList getResponseContentLanguages() const;
    // Clears the request languages, so that the server's defaults apply.
    void setRequestDefaultLanguages();

    CIMClass getClass(
        const CIMNamespaceName& nameSpace,
        const CIMName& className,
        Boolean localOnly = true,
        Boolean includeQualifiers = true,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    // A null className lists the top-level classes.
    Array<CIMClass> enumerateClasses(
        const CIMNamespaceName& nameSpace,
        const CIMName& className = CIMName(),
        Boolean deepInheritance = false,
        Boolean localOnly = true,
        Boolean includeQualifiers = true,
        Boolean includeClassOrigin = false);

    Array<CIMName> enumerateClassNames(
        const CIMNamespaceName& nameSpace,
        const CIMName& className = CIMName(),
        Boolean deepInheritance = false);

    void createClass(
        const CIMNamespaceName& nameSpace,
        const CIMClass& newClass);

    void modifyClass(
        const CIMNamespaceName& nameSpace,
        const CIMClass& modifiedClass);

    void deleteClass(
        const CIMNamespaceName& nameSpace,
        const CIMName& className);

    // The returned instance's path is the class name only.
    CIMInstance getInstance(
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName,
        Boolean localOnly = true,
        Boolean includeQualifiers = false,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    // Each instance's path holds class and keys; host and namespace are
    // cleared.
    Array<CIMInstance> enumerateInstances(
        const CIMNamespaceName& nameSpace,
        const CIMName& className,
        Boolean deepInheritance = true,
        Boolean localOnly = true,
        Boolean includeQualifiers = false,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    // Host and namespace of the paths are cleared.
    Array<CIMObjectPath> enumerateInstanceNames(
        const CIMNamespaceName& nameSpace,
        const CIMName& className);

    // Returns the new instance's path as the server sent it.
    CIMObjectPath createInstance(
        const CIMNamespaceName& nameSpace,
        const CIMInstance& newInstance);

    // The instance must carry its path (class and keys).
    void modifyInstance(
        const CIMNamespaceName& nameSpace,
        const CIMInstance& modifiedInstance,
        Boolean includeQualifiers = true,
        const CIMPropertyList& propertyList = CIMPropertyList());

    void deleteInstance(
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName);

    // Not supported by this library: throws CIMException(CIM_ERR_NOT_SUPPORTED).
    Array<CIMObject> execQuery(
        const CIMNamespaceName& nameSpace,
        const String& queryLanguage,
        const String& query);

    // Not supported by this library: throws CIMException(CIM_ERR_NOT_SUPPORTED).
    Array<CIMObject> associators(
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName,
        const CIMName& assocClass = CIMName(),
        const CIMName& resultClass = CIMName(),
        const String& role = String::EMPTY,
        const String& resultRole = String::EMPTY,
        Boolean includeQualifiers = false,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    // Not supported by this library: throws CIMException(CIM_ERR_NOT_SUPPORTED).
    Array<CIMObjectPath> associatorNames(
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName,
        const CIMName& assocClass = CIMName(),
        const CIMName& resultClass = CIMName(),
        const String& role = String::EMPTY,
        const String& resultRole = String::EMPTY);

    // Not supported by this library: throws CIMException(CIM_ERR_NOT_SUPPORTED).
    Array<CIMObject> references(
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName,
        const CIMName& resultClass = CIMName(),
        const String& role = String::EMPTY,
        Boolean includeQualifiers = false,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    // Not supported by this library: throws CIMException(CIM_ERR_NOT_SUPPORTED).
    Array<CIMObjectPath> referenceNames(
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName,
        const CIMName& resultClass = CIMName(),
        const String& role = String::EMPTY);

    // Implemented with GetInstance: the value of the property in the
    // instance (a null value when the instance lacks the property).
    CIMValue getProperty(
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName,
        const CIMName& propertyName);

    // Not supported by this library: throws CIMException(CIM_ERR_NOT_SUPPORTED).
    void setProperty(
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName,
        const CIMName& propertyName,
        const CIMValue& newValue = CIMValue());

    CIMQualifierDecl getQualifier(
        const CIMNamespaceName& nameSpace,
        const CIMName& qualifierName);

    // Creates or replaces the declaration.
    void setQualifier(
        const CIMNamespaceName& nameSpace,
        const CIMQualifierDecl& qualifierDeclaration);

    void deleteQualifier(
        const CIMNamespaceName& nameSpace,
        const CIMName& qualifierName);

    Array<CIMQualifierDecl> enumerateQualifiers(
        const CIMNamespaceName& nameSpace);

    // Calls an extrinsic method on an instance, or on a class (static
    // method) when instanceName has no keys.  Returns the method's return
    // value; outParameters is overwritten with the out parameters.
    CIMValue invokeMethod(
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName,
        const CIMName& methodName,
        const Array<CIMParamValue>& inParameters,
        Array<CIMParamValue>& outParameters);

    // ---- pull operations ----
    //
    // An open call starts an enumeration and returns its first objects (at
    // most maxObjectCount; none for 0); the pull calls return the next ones,
    // pulling from enumerationContext, which the open call set.
    // endOfSequence is set when nothing is left: the server has then closed
    // the enumeration.  closeEnumeration ends one early.  Instances come
    // with their full paths (host and namespace included), paths likewise.
    // operationTimeout: seconds the server keeps the enumeration open
    // between calls (null: the server's default).  A context that is not
    // open (never opened, at its end, closed) fails with
    // CIMException(CIM_ERR_INVALID_ENUMERATION_CONTEXT) without a request.
    Array<CIMInstance> openEnumerateInstances(
        CIMEnumerationContext& enumerationContext,
        Boolean& endOfSequence,
        const CIMNamespaceName& nameSpace,
        const CIMName& className,
        Boolean deepInheritance = true,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList(),
        const String& filterQueryLanguage = String::EMPTY,
        const String& filterQuery = String::EMPTY,
        const Uint32Arg& operationTimeout = Uint32Arg(),
        Boolean continueOnError = false,
        Uint32 maxObjectCount = 0);

    Array<CIMObjectPath> openEnumerateInstancePaths(
        CIMEnumerationContext& enumerationContext,
        Boolean& endOfSequence,
        const CIMNamespaceName& nameSpace,
        const CIMName& className,
        const String& filterQueryLanguage = String::EMPTY,
        const String& filterQuery = String::EMPTY,
        const Uint32Arg& operationTimeout = Uint32Arg(),
        Boolean continueOnError = false,
        Uint32 maxObjectCount = 0);

    Array<CIMInstance> openReferenceInstances(
        CIMEnumerationContext& enumerationContext,
        Boolean& endOfSequence,
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName,
        const CIMName& resultClass = CIMName(),
        const String& role = String::EMPTY,
        const Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList(),
        const String& filterQueryLanguage = String::EMPTY,
        const String& filterQuery = String::EMPTY,
        const Uint32Arg& operationTimeout = Uint32Arg(),
        Boolean continueOnError = false,
        Uint32 maxObjectCount = 0);

    Array<CIMObjectPath> openReferenceInstancePaths(
        CIMEnumerationContext& enumerationContext,
        Boolean& endOfSequence,
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName,
        const CIMName& resultClass = CIMName(),
        const String& role = String::EMPTY,
        const String& filterQueryLanguage = String::EMPTY,
        const String& filterQuery = String::EMPTY,
        const Uint32Arg& operationTimeout = Uint32Arg(),
        Boolean continueOnError = false,
        Uint32 maxObjectCount = 0);

    Array<CIMInstance> openAssociatorInstances(
        CIMEnumerationContext& enumerationContext,
        Boolean& endOfSequence,
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName,
        const CIMName& assocClass = CIMName(),
        const CIMName& resultClass = CIMName(),
        const String& role = String::EMPTY,
        const String& resultRole = String::EMPTY,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList(),
        const String& filterQueryLanguage = String::EMPTY,
        const String& filterQuery = String::EMPTY,
        const Uint32Arg& operationTimeout = Uint32Arg(),
        Boolean continueOnError = false,
        Uint32 maxObjectCount = 0);

    Array<CIMObjectPath> openAssociatorInstancePaths(
        CIMEnumerationContext& enumerationContext,
        Boolean& endOfSequence,
        const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName,
        const CIMName& assocClass = CIMName(),
        const CIMName& resultClass = CIMName(),
        const String& role = String::EMPTY,
        const String& resultRole = String::EMPTY,
        const String& filterQueryLanguage = String::EMPTY,
        const String& filterQuery = String::EMPTY,
        const Uint32Arg& operationTimeout = Uint32Arg(),
        Boolean continueOnError = false,
        Uint32 maxObjectCount = 0);

    Array<CIMInstance> pullInstancesWithPath(
        CIMEnumerationContext& enumerationContext,
        Boolean& endOfSequence,
        Uint32 maxObjectCount);

    Array<CIMObjectPath> pullInstancePaths(
        CIMEnumerationContext& enumerationContext,
        Boolean& endOfSequence,
        Uint32 maxObjectCount);

    void closeEnumeration(
        CIMEnumerationContext& enumerationContext);

    // Queries are not supported by this library: both throw
    // CIMException(CIM_ERR_NOT_SUPPORTED) (NotConnectedException first).
    Array<CIMInstance> openQueryInstances(
        CIMEnumerationContext& enumerationContext,
        Boolean& endOfSequence,
        const CIMNamespaceName& nameSpace,
        const String& queryLanguage,
        const String& query,
        CIMClass& queryResultClass,
        Boolean returnQueryResultClass = false,
        const Uint32Arg& operationTimeout = Uint32Arg(),
        Boolean continueOnError = false,
        Uint32 maxObjectCount = 0);

    Array<CIMInstance> pullInstances(
        CIMEnumerationContext& enumerationContext,
        Boolean& endOfSequence,
        Uint32 maxObjectCount);

    // How many objects are left, when the server knows; null otherwise.
    Uint64Arg enumerationCount(
        CIMEnumerationContext& enumerationContext);

    // After each successful operation the handler receives its timings.
    // The handler is not owned and must outlive its registration.
    void registerClientOpPerformanceDataHandler(
        ClientOpPerformanceDataHandler& handler);
    void deregisterClientOpPerformanceDataHandler();

private:
    CIMClient(const CIMClient&);
    CIMClient& operator=(const CIMClient&);

    CIMClientRep* _rep;
};

PEGASUS_NAMESPACE_END

#endif
