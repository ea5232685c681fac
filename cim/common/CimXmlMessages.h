// CIM-XML messages (MESSAGE/SIMPLEREQ and MESSAGE/SIMPLERSP documents): what
// the client sends and reads back, and what the server reads and answers.
//
// Everything here is stateless: the functions may be called from any number
// of threads at once.  Documents are UTF-8 std::strings; the HTTP layer adds
// the headers (CIMOperation, CIMMethod, CIMObject) and the framing.
#ifndef PEGASUS_CIMXML_MESSAGES_H
#define PEGASUS_CIMXML_MESSAGES_H

#include "CimXmlException.h"

#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/CIMQualifierDecl.h>
#include <Pegasus/Common/CIMStatusCode.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/UintArgs.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Pegasus {

// ---------------------------------------------------------------------------
// Client side: requests
// ---------------------------------------------------------------------------

// One request, ready for POST /cimom with "CIMOperation: MethodCall".
struct CimXmlRequest
{
    std::string cimMethod;  // value of the CIMMethod header (not encoded)
    std::string cimObject;  // value of the CIMObject header, already percent-encoded
    std::string body;       // the complete XML document
};

// Builds the request document of each client operation.  Boolean arguments
// equal to their operation's default are left out of the document, as the
// clients in the captured exchanges do; the argument defaults are those of
// CIMClient.
// messageId is written verbatim into MESSAGE ID and must come back unchanged
// in the response.  Throws UninitializedObjectException for uninitialized
// objects passed in; nothing else.
class CimXmlRequestEncoder
{
public:
    static CimXmlRequest getClass(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMName& className, Boolean localOnly = true,
        Boolean includeQualifiers = true, Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    static CimXmlRequest enumerateClasses(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMName& className = CIMName(), Boolean deepInheritance = false,
        Boolean localOnly = true, Boolean includeQualifiers = true,
        Boolean includeClassOrigin = false);

    static CimXmlRequest enumerateClassNames(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMName& className = CIMName(), Boolean deepInheritance = false);

    static CimXmlRequest createClass(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMClass& newClass);

    static CimXmlRequest modifyClass(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMClass& modifiedClass);

    static CimXmlRequest deleteClass(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMName& className);

    static CimXmlRequest getQualifier(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMName& qualifierName);

    static CimXmlRequest setQualifier(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMQualifierDecl& qualifierDeclaration);

    static CimXmlRequest deleteQualifier(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMName& qualifierName);

    static CimXmlRequest enumerateQualifiers(
        const std::string& messageId, const CIMNamespaceName& nameSpace);

    static CimXmlRequest getInstance(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName, Boolean localOnly = true,
        Boolean includeQualifiers = false, Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    static CimXmlRequest enumerateInstances(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMName& className, Boolean deepInheritance = true,
        Boolean localOnly = true, Boolean includeQualifiers = false,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    static CimXmlRequest enumerateInstanceNames(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMName& className);

    static CimXmlRequest createInstance(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMInstance& newInstance);

    // The instance must carry its path (class and keys).
    static CimXmlRequest modifyInstance(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMInstance& modifiedInstance, Boolean includeQualifiers = true,
        const CIMPropertyList& propertyList = CIMPropertyList());

    static CimXmlRequest deleteInstance(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName);

    // Association operations.  objectName is an instance path (keys) or a
    // class path; its host and namespace are not sent.  AssocClass and
    // ResultClass travel as empty parameters when null, Role and
    // ResultRole only when not empty.
    static CimXmlRequest associators(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& assocClass = CIMName(),
        const CIMName& resultClass = CIMName(), const String& role = String(),
        const String& resultRole = String(), Boolean includeQualifiers = false,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    static CimXmlRequest associatorNames(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& assocClass = CIMName(),
        const CIMName& resultClass = CIMName(), const String& role = String(),
        const String& resultRole = String());

    static CimXmlRequest references(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& resultClass = CIMName(),
        const String& role = String(), Boolean includeQualifiers = false,
        Boolean includeClassOrigin = false,
        const CIMPropertyList& propertyList = CIMPropertyList());

    static CimXmlRequest referenceNames(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& resultClass = CIMName(),
        const String& role = String());

    static CimXmlRequest getProperty(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName, const CIMName& propertyName);

    // A null newValue is sent as no NewValue at all (the property is set
    // to null).
    static CimXmlRequest setProperty(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName, const CIMName& propertyName,
        const CIMValue& newValue = CIMValue());

    // Extrinsic method call.  objectName is an instance path (with keys) or
    // a class path (static method); its host and namespace are ignored, the
    // namespace used is nameSpace.  Parameters whose isTyped() is true carry
    // PARAMTYPE (and EmbeddedObject for object/instance values).
    static CimXmlRequest invokeMethod(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& methodName,
        const Array<CIMParamValue>& inParameters);

    // ---- pull operations ----
    //
    // The parameters every open call ends with: FilterQueryLanguage and
    // FilterQuery are sent only when not empty, OperationTimeout only when
    // not null, ContinueOnError and MaxObjectCount always.  Null class names
    // of the association opens are sent as empty parameters (AssocClass of
    // OpenAssociatorInstancePaths only when given); roles only when not
    // empty.  Pull, close and count calls carry the namespace of the open
    // call and the context string it returned.
    struct PullOptions
    {
        String filterQueryLanguage;
        String filterQuery;
        Uint32Arg operationTimeout;
        Boolean continueOnError = false;
        Uint32 maxObjectCount = 0;
    };

    static CimXmlRequest openEnumerateInstances(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMName& className, Boolean deepInheritance,
        Boolean includeClassOrigin, const CIMPropertyList& propertyList,
        const PullOptions& options);

    static CimXmlRequest openEnumerateInstancePaths(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMName& className, const PullOptions& options);

    static CimXmlRequest openReferenceInstances(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& resultClass,
        const String& role, Boolean includeClassOrigin,
        const CIMPropertyList& propertyList, const PullOptions& options);

    static CimXmlRequest openReferenceInstancePaths(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& resultClass,
        const String& role, const PullOptions& options);

    static CimXmlRequest openAssociatorInstances(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& assocClass,
        const CIMName& resultClass, const String& role,
        const String& resultRole, Boolean includeClassOrigin,
        const CIMPropertyList& propertyList, const PullOptions& options);

    static CimXmlRequest openAssociatorInstancePaths(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& assocClass,
        const CIMName& resultClass, const String& role,
        const String& resultRole, const PullOptions& options);

    // PullInstancesWithPath (paths false) or PullInstancePaths (paths true).
    static CimXmlRequest pull(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        bool paths, const String& enumerationContext, Uint32 maxObjectCount);

    static CimXmlRequest closeEnumeration(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const String& enumerationContext);

    static CimXmlRequest enumerationCount(
        const std::string& messageId, const CIMNamespaceName& nameSpace,
        const String& enumerationContext);

    // A multiple-operation request (MESSAGE/MULTIREQ): the SIMPLEREQ of each
    // call, in order, under one MESSAGE with messageId.  The calls are
    // documents built by the functions above (their message IDs are
    // dropped); there must be two at least.  The request is sent with the
    // CIMBatch header and without CIMMethod and CIMObject.
    static std::string multipleRequest(const std::string& messageId,
                                       const std::vector<CimXmlRequest>& calls);
};

// ---------------------------------------------------------------------------
// Client side: responses
// ---------------------------------------------------------------------------

// A decoded MESSAGE/SIMPLERSP.  Only the members that match what the
// response held are filled; the others stay empty.
struct CimXmlResponse
{
    std::string messageId;        // MESSAGE ID
    String methodName;            // NAME of IMETHODRESPONSE / METHODRESPONSE
    bool isIntrinsic = true;      // IMETHODRESPONSE (true) or METHODRESPONSE

    // ERROR element.  errorDescription is the DESCRIPTION attribute as sent
    // (for example "CIM_ERR_NOT_FOUND: NoSuchClass"), empty if absent.
    bool hasError = false;
    CIMStatusCode errorCode = CIM_ERR_SUCCESS;
    String errorDescription;

    // True when IRETURNVALUE or RETURNVALUE was present.  An error carried
    // in HTTP trailers comes with an empty IMETHODRESPONSE: hasError and
    // hasReturnValue are then both false, and the HTTP layer must report
    // the trailer status (see cimXmlErrorFromTrailers).
    bool hasReturnValue = false;

    // IRETURNVALUE contents, in document order within each kind.
    Array<CIMClass> classes;               // CLASS (GetClass, EnumerateClasses)
    Array<CIMInstance> instances;          // INSTANCE, VALUE.NAMEDINSTANCE (path =
                                           // class + keys of its INSTANCENAME)
    Array<CIMObjectPath> instanceNames;    // INSTANCENAME, INSTANCEPATH
    Array<CIMName> classNames;             // CLASSNAME
    Array<CIMQualifierDecl> qualifierDecls;  // QUALIFIER.DECLARATION
    Array<CIMObject> objects;              // VALUE.OBJECT, VALUE.OBJECTWITHPATH,
                                           // VALUE.OBJECTWITHLOCALPATH
    Array<CIMObjectPath> objectPaths;      // OBJECTPATH (AssociatorNames etc.)

    // RETURNVALUE (extrinsic), or a VALUE/VALUE.ARRAY/VALUE.REFERENCE inside
    // IRETURNVALUE (GetProperty; untyped, so a string or string array).
    CIMValue returnValue;
    Array<CIMParamValue> outParameters;    // PARAMVALUE of METHODRESPONSE

    // Throws CIMException(errorCode, errorDescription) when hasError.
    void throwIfError() const;
};

class CimXmlResponseDecoder
{
public:
    // Decodes a response document.  Throws CimXmlException when the document
    // is malformed, hostile or not a valid CIM-XML response.  Does not throw
    // for an ERROR element: see CimXmlResponse::hasError.
    static CimXmlResponse decode(
        const char* data, std::size_t size,
        const CimXmlLimits& limits = CimXmlLimits());

    static CimXmlResponse decode(
        const std::string& document,
        const CimXmlLimits& limits = CimXmlLimits())
    {
        return decode(document.data(), document.size(), limits);
    }

    // Decodes a multiple-operation response (MESSAGE/MULTIRSP): one
    // response per SIMPLERSP, in document order, each with the MESSAGE ID.
    // Throws CimXmlException as decode() does, and for a document that is
    // not a MULTIRSP of two responses or more.
    static std::vector<CimXmlResponse> decodeMultiple(
        const char* data, std::size_t size,
        const CimXmlLimits& limits = CimXmlLimits());
};

// Decodes a response document that arrives in pieces: each piece is parsed
// as it is fed, so that decoding keeps pace with the network.  The result
// and the errors are those of CimXmlResponseDecoder::decode for the whole
// document.  Must be used and destroyed on the thread that created it.
class CimXmlResponseStream
{
public:
    explicit CimXmlResponseStream(const CimXmlLimits& limits = CimXmlLimits());
    ~CimXmlResponseStream();
    CimXmlResponseStream(const CimXmlResponseStream&) = delete;
    CimXmlResponseStream& operator=(const CimXmlResponseStream&) = delete;

    // Decodes the next piece.  Throws CimXmlException; after that the
    // stream accepts nothing more.
    void feed(const char* data, std::size_t size);

    // The document is complete: returns the response, or throws
    // CimXmlException if the document is cut short or holds no response.
    // Call once.
    CimXmlResponse finish();

private:
    struct State;
    std::unique_ptr<State> _state;
};

// The CIM error of a chunked response whose trailers carry CIMStatusCode
// and CIMStatusCodeDescription (the description percent-encoded, as sent).
// Returns a CIMException with that code and the decoded description as its
// message.  A missing description gives an empty message; a code that is not
// a decimal number gives CIM_ERR_FAILED.  The caller decides whether a code
// of 0 means success (it does on the wire).
CIMException cimXmlErrorFromTrailers(
    const std::string& statusCode, const std::string& encodedDescription);

// Percent-encoding as used in the CIMObject header and the trailers.  encode
// leaves letters, digits and - _ . ! ~ * ' ( ) alone and writes every other
// byte as %XX (upper-case hex).  decode turns %XX back into bytes and leaves
// malformed escapes as they are.
std::string cimXmlPercentEncode(const std::string& text);
std::string cimXmlPercentDecode(const std::string& text);

// ---------------------------------------------------------------------------
// Server side: requests
// ---------------------------------------------------------------------------

// One IPARAMVALUE of an intrinsic call.  The parameter's content decides
// which member holds it (kind).  Values of VALUE / VALUE.ARRAY are untyped
// on the wire, so they are kept as text; use the accessors of
// CimXmlRequestMessage to read them as the operation expects.
struct CimXmlIParamValue
{
    enum Kind
    {
        NULL_VALUE,      // empty IPARAMVALUE
        VALUE,           // text
        VALUE_ARRAY,     // texts
        REFERENCE,       // path (VALUE.REFERENCE)
        INSTANCE_NAME,   // path (INSTANCENAME)
        CLASS_NAME,      // className (CLASSNAME)
        QUALIFIER_DECLARATION,  // qualifierDecl
        CLASS,           // cimClass
        INSTANCE,        // instance
        NAMED_INSTANCE   // instance, with its path set (VALUE.NAMEDINSTANCE)
    };

    String name;
    Kind kind = NULL_VALUE;
    String text;
    Array<String> texts;
    CIMObjectPath path;
    CIMName className;
    CIMQualifierDecl qualifierDecl;
    CIMClass cimClass;
    CIMInstance instance;
};

// A decoded MESSAGE/SIMPLEREQ.
struct CimXmlRequestMessage
{
    std::string messageId;
    std::string protocolVersion;   // PROTOCOLVERSION of MESSAGE
    // CIMVERSION and DTDVERSION of the CIM element, as sent; std::nullopt
    // when the attribute is absent.
    std::optional<std::string> cimVersion;
    std::optional<std::string> dtdVersion;
    bool isIntrinsic = true;       // IMETHODCALL (true) or METHODCALL
    String methodName;             // NAME of the call
    CIMNamespaceName nameSpace;    // from LOCALNAMESPACEPATH (of the target path
                                   // for METHODCALL)

    // Intrinsic calls: the IPARAMVALUEs in document order.
    std::vector<CimXmlIParamValue> iparams;

    // Extrinsic calls: the target (LOCALINSTANCEPATH or LOCALCLASSPATH; the
    // namespace is set, the host empty) and the PARAMVALUEs.  Parameters
    // without PARAMTYPE are untyped strings with isTyped() false.
    CIMObjectPath objectName;
    Array<CIMParamValue> parameters;

    // A multiple-operation request (MULTIREQ): isMultiple is set, messageId,
    // protocolVersion, cimVersion and dtdVersion are the document's, and
    // calls holds one decoded
    // request per SIMPLEREQ, in order, each with that message ID.  The
    // members above are then empty.
    bool isMultiple = false;
    std::vector<CimXmlRequestMessage> calls;

    // Multiple-operation requests: with stopOnError the calls run only up
    // to the first one that fails with a status code not listed in
    // continueOnCodes; the calls after it are not executed (the HTTP front
    // end sets these from the PGBatchStopOnError header).
    bool stopOnError = false;
    std::vector<Uint32> continueOnCodes;

    // Parameter lookup, case-insensitive.  Returns 0 when absent.
    const CimXmlIParamValue* findIParam(const char* name) const;

    // Typed reads of intrinsic parameters.  An absent parameter gives the
    // default; a present one of the wrong form throws
    // CimXmlException(VALUE) naming the parameter.
    Boolean getBoolean(const char* name, Boolean defaultValue) const;
    // The decoded name itself, not a copy: a huge name costs its size once.
    const CIMName& getClassName(const char* name) const;   // null if absent
    CIMObjectPath getInstanceName(const char* name) const; // empty if absent
    String getString(const char* name) const;              // empty if absent
    CIMPropertyList getPropertyList(const char* name = "PropertyList") const;
};

class CimXmlRequestDecoder
{
public:
    // Decodes a request document.  Throws CimXmlException when the document
    // is malformed, hostile or not a valid CIM-XML request.
    static CimXmlRequestMessage decode(
        const char* data, std::size_t size,
        const CimXmlLimits& limits = CimXmlLimits());

    static CimXmlRequestMessage decode(
        const std::string& document,
        const CimXmlLimits& limits = CimXmlLimits())
    {
        return decode(document.data(), document.size(), limits);
    }

    // Decodes a multiple-operation request (MESSAGE/MULTIREQ holding two
    // SIMPLEREQs or more; see CimXmlRequestMessage::calls).  Throws
    // CimXmlException as decode() does, and for a document that is not
    // such a request (a SIMPLEREQ alone included).
    static CimXmlRequestMessage decodeMultiple(
        const char* data, std::size_t size,
        const CimXmlLimits& limits = CimXmlLimits());
};

// ---------------------------------------------------------------------------
// Server side: responses
// ---------------------------------------------------------------------------

// Builds response documents.  methodName is the NAME of the call being
// answered; messageId is copied from the request.
class CimXmlResponseEncoder
{
public:
    // IMETHODRESPONSE with no IRETURNVALUE (CreateClass, ModifyInstance,
    // SetQualifier, Delete*...).
    static std::string emptyResponse(
        const std::string& messageId, const String& methodName);

    static std::string classResponse(
        const std::string& messageId, const String& methodName,
        const CIMConstClass& cimClass);
    static std::string classesResponse(
        const std::string& messageId, const String& methodName,
        const Array<CIMClass>& classes);
    static std::string classNamesResponse(
        const std::string& messageId, const String& methodName,
        const Array<CIMName>& classNames);

    // A bare INSTANCE (GetInstance).
    static std::string instanceResponse(
        const std::string& messageId, const String& methodName,
        const CIMConstInstance& instance);
    // VALUE.NAMEDINSTANCE per instance, its INSTANCENAME from getPath()
    // (EnumerateInstances).
    static std::string namedInstancesResponse(
        const std::string& messageId, const String& methodName,
        const Array<CIMInstance>& instances);
    // The same document in three parts, for answers written piece by piece:
    // the head up to and including the opening IRETURNVALUE tag, one
    // appendNamedInstance per instance, then the tail.
    static std::string returnValueHead(
        const std::string& messageId, const String& methodName);
    static void appendNamedInstance(std::string& out,
                                    const CIMConstInstance& instance);
    static const std::string& returnValueTail();
    // INSTANCENAME, as instanceNamesResponse writes each path.
    static void appendInstanceName(std::string& out,
                                   const CIMObjectPath& instanceName);

    // VALUE.OBJECTWITHPATH (Associators, References): INSTANCEPATH and
    // INSTANCE, or CLASSPATH and CLASS, the path from the object's getPath()
    // (which must carry host and namespace).
    static void appendObjectWithPath(std::string& out,
                                     const CIMConstObject& object);
    // OBJECTPATH (AssociatorNames, ReferenceNames): INSTANCEPATH for a path
    // with key bindings, CLASSPATH for one without.
    static void appendObjectPath(std::string& out, const CIMObjectPath& path);

    // IRETURNVALUE holding a property value as VALUE, VALUE.ARRAY or
    // VALUE.REFERENCE; empty for a null value (GetProperty).
    static std::string valueResponse(
        const std::string& messageId, const String& methodName,
        const CIMValue& value);

    // The objects of a pull operation's answer, between returnValueHead
    // and pullResponseTail: VALUE.INSTANCEWITHPATH (an INSTANCEPATH from
    // getPath(), host and namespace included, then the INSTANCE), and a
    // bare INSTANCEPATH.
    static void appendInstanceWithPath(std::string& out,
                                       const CIMConstInstance& instance);
    static void appendInstancePath(std::string& out,
                                   const CIMObjectPath& instancePath);
    // Closes IRETURNVALUE and adds the PARAMVALUEs EndOfSequence and
    // EnumerationContext (empty at the end of the sequence), then closes
    // the document.
    static std::string pullResponseTail(bool endOfSequence,
                                        const String& enumerationContext);
    // EnumerationCount: the count as the VALUE of IRETURNVALUE, which is
    // empty when the count is null.
    static std::string enumerationCountResponse(
        const std::string& messageId, const String& methodName,
        const Uint64Arg& count);

    // INSTANCENAME per path (EnumerateInstanceNames, CreateInstance).
    static std::string instanceNamesResponse(
        const std::string& messageId, const String& methodName,
        const Array<CIMObjectPath>& instanceNames);

    static std::string qualifierDeclsResponse(
        const std::string& messageId, const String& methodName,
        const Array<CIMQualifierDecl>& qualifierDecls);

    // METHODRESPONSE: RETURNVALUE (omitted when returnValue is null) and one
    // PARAMVALUE per out parameter.
    static std::string methodResponse(
        const std::string& messageId, const String& methodName,
        const CIMValue& returnValue, const Array<CIMParamValue>& outParameters);

    // An ERROR element inside IMETHODRESPONSE (isIntrinsic) or METHODRESPONSE.
    // description is written as given (the server prefixes the status name).
    static std::string errorResponse(
        const std::string& messageId, const String& methodName,
        bool isIntrinsic, CIMStatusCode code, const String& description);

    // A multiple-operation response (MESSAGE/MULTIRSP): the SIMPLERSP of
    // each document in `responses` (built by the functions above), in
    // order, under one MESSAGE with messageId.
    static std::string multipleResponse(const std::string& messageId,
                                        const std::vector<std::string>& responses);
};

}  // namespace Pegasus

#endif
