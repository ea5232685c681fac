// Request decoding and response building for each operation.  The
// parameter names and defaults are those of the CIM-XML operations; the
// work itself is OperationExecutor's (instances, methods) or the
// repository's (classes, qualifiers).
#include "OperationDispatcher.h"

#include <Pegasus/Common/CIMStatusCode.h>
#include <Pegasus/Common/Constants.h>

#include "ClassResolver.h"
#include "ProviderManager.h"
#include "AssociationOperations.h"
#include "PropertyOperations.h"
#include "Repository.h"

#include <exception>
#include <unistd.h>

namespace Pegasus {

namespace {

typedef std::string (*IntrinsicHandler)(OperationExecutor&,
                                        const CimXmlRequestMessage&);

CIMException missingParameter(const char* name)
{
    return CIMException(CIM_ERR_INVALID_PARAMETER,
        String("missing parameter ") + name);
}

CIMName requiredClassName(const CimXmlRequestMessage& request,
                          const char* name)
{
    CIMName className = request.getClassName(name);
    if (className.isNull())
        throw missingParameter(name);
    return className;
}

CIMObjectPath requiredInstanceName(const CimXmlRequestMessage& request,
                                   const char* name)
{
    CIMObjectPath path = request.getInstanceName(name);
    if (path.getClassName().isNull())
        throw missingParameter(name);
    return path;
}

CIMName requiredQualifierName(const CimXmlRequestMessage& request)
{
    String text = request.getString("QualifierName");
    if (text.size() == 0)
        throw missingParameter("QualifierName");
    return CIMName(text);
}

CIMClass requiredClass(const CimXmlRequestMessage& request, const char* name)
{
    const CimXmlIParamValue* param = request.findIParam(name);
    if (!param || param->kind != CimXmlIParamValue::CLASS)
        throw missingParameter(name);
    return param->cimClass;
}

CIMInstance requiredInstance(const CimXmlRequestMessage& request,
                             const char* name)
{
    const CimXmlIParamValue* param = request.findIParam(name);
    if (!param || (param->kind != CimXmlIParamValue::INSTANCE &&
                   param->kind != CimXmlIParamValue::NAMED_INSTANCE))
    {
        throw missingParameter(name);
    }
    return param->instance;
}

Repository& repo(OperationExecutor& executor)
{
    return executor.repository();
}

// ---- classes ----------------------------------------------------------------

std::string enumerateClasses(OperationExecutor& x,
                             const CimXmlRequestMessage& r)
{
    Array<CIMClass> classes = repo(x).enumerateClasses(
        r.nameSpace, r.getClassName("ClassName"),
        r.getBoolean("DeepInheritance", false),
        r.getBoolean("LocalOnly", true),
        r.getBoolean("IncludeQualifiers", true),
        r.getBoolean("IncludeClassOrigin", false));
    return CimXmlResponseEncoder::classesResponse(r.messageId, r.methodName,
                                                  classes);
}

std::string enumerateClassNames(OperationExecutor& x,
                                const CimXmlRequestMessage& r)
{
    Array<CIMName> names = repo(x).enumerateClassNames(
        r.nameSpace, r.getClassName("ClassName"),
        r.getBoolean("DeepInheritance", false));
    return CimXmlResponseEncoder::classNamesResponse(r.messageId,
                                                     r.methodName, names);
}

std::string createClass(OperationExecutor& x, const CimXmlRequestMessage& r)
{
    repo(x).createClass(r.nameSpace, requiredClass(r, "NewClass"));
    return CimXmlResponseEncoder::emptyResponse(r.messageId, r.methodName);
}

std::string modifyClass(OperationExecutor& x, const CimXmlRequestMessage& r)
{
    repo(x).modifyClass(r.nameSpace, requiredClass(r, "ModifiedClass"));
    return CimXmlResponseEncoder::emptyResponse(r.messageId, r.methodName);
}

std::string deleteClass(OperationExecutor& x, const CimXmlRequestMessage& r)
{
    repo(x).deleteClass(r.nameSpace, requiredClassName(r, "ClassName"));
    return CimXmlResponseEncoder::emptyResponse(r.messageId, r.methodName);
}

// ---- qualifier declarations -------------------------------------------------

std::string getQualifier(OperationExecutor& x, const CimXmlRequestMessage& r)
{
    Array<CIMQualifierDecl> decls;
    decls.append(repo(x).getQualifier(r.nameSpace, requiredQualifierName(r)));
    return CimXmlResponseEncoder::qualifierDeclsResponse(r.messageId,
                                                         r.methodName, decls);
}

std::string setQualifier(OperationExecutor& x, const CimXmlRequestMessage& r)
{
    const CimXmlIParamValue* param = r.findIParam("QualifierDeclaration");
    if (!param || param->kind != CimXmlIParamValue::QUALIFIER_DECLARATION)
        throw missingParameter("QualifierDeclaration");
    repo(x).setQualifier(r.nameSpace, param->qualifierDecl);
    return CimXmlResponseEncoder::emptyResponse(r.messageId, r.methodName);
}

std::string deleteQualifier(OperationExecutor& x,
                            const CimXmlRequestMessage& r)
{
    repo(x).deleteQualifier(r.nameSpace, requiredQualifierName(r));
    return CimXmlResponseEncoder::emptyResponse(r.messageId, r.methodName);
}

std::string enumerateQualifiers(OperationExecutor& x,
                                const CimXmlRequestMessage& r)
{
    return CimXmlResponseEncoder::qualifierDeclsResponse(
        r.messageId, r.methodName, repo(x).enumerateQualifiers(r.nameSpace));
}

// ---- instances --------------------------------------------------------------

std::string getInstance(OperationExecutor& x, const CimXmlRequestMessage& r)
{
    CIMInstance instance = x.getInstance(
        r.nameSpace, requiredInstanceName(r, "InstanceName"),
        r.getBoolean("LocalOnly", true),
        r.getBoolean("IncludeQualifiers", false),
        r.getBoolean("IncludeClassOrigin", false),
        r.getPropertyList("PropertyList"));
    return CimXmlResponseEncoder::instanceResponse(r.messageId, r.methodName,
                                                   instance);
}

std::string createInstance(OperationExecutor& x,
                           const CimXmlRequestMessage& r)
{
    Array<CIMObjectPath> names;
    names.append(
        x.createInstance(r.nameSpace, requiredInstance(r, "NewInstance")));
    return CimXmlResponseEncoder::instanceNamesResponse(r.messageId,
                                                        r.methodName, names);
}

std::string modifyInstance(OperationExecutor& x,
                           const CimXmlRequestMessage& r)
{
    x.modifyInstance(r.nameSpace, requiredInstance(r, "ModifiedInstance"),
                     r.getBoolean("IncludeQualifiers", true),
                     r.getPropertyList("PropertyList"));
    return CimXmlResponseEncoder::emptyResponse(r.messageId, r.methodName);
}

std::string deleteInstance(OperationExecutor& x,
                           const CimXmlRequestMessage& r)
{
    x.deleteInstance(r.nameSpace, requiredInstanceName(r, "InstanceName"));
    return CimXmlResponseEncoder::emptyResponse(r.messageId, r.methodName);
}

// The GetClass answer from the built-in definition of the class; empty
// when there is none.
std::string builtinClassResponse(OperationExecutor& x,
                                 const CimXmlRequestMessage& r)
{
    CIMClass resolved = x.providerManager().builtinClass(
        r.nameSpace, r.getClassName("ClassName"));
    if (resolved.isUninitialized())
        return std::string();
    return CimXmlResponseEncoder::classResponse(
        r.messageId, r.methodName,
        ClassResolver::present(resolved, r.getBoolean("LocalOnly", true),
                               r.getBoolean("IncludeQualifiers", true),
                               r.getBoolean("IncludeClassOrigin", false),
                               r.getPropertyList("PropertyList")));
}

// ---- properties -------------------------------------------------------------

CIMName requiredPropertyName(const CimXmlRequestMessage& r)
{
    String text = r.getString("PropertyName");
    if (text.size() == 0)
        throw missingParameter("PropertyName");
    return CIMName(text);
}

std::string getProperty(OperationExecutor& x, const CimXmlRequestMessage& r)
{
    CIMValue value = getPropertyValue(
        x, r.nameSpace, requiredInstanceName(r, "InstanceName"),
        requiredPropertyName(r));
    return CimXmlResponseEncoder::valueResponse(r.messageId, r.methodName,
                                                value);
}

// NewValue as the request carries it (untyped); absent or empty is null.
CIMValue newPropertyValue(const CimXmlRequestMessage& r)
{
    const CimXmlIParamValue* param = r.findIParam("NewValue");
    if (!param)
        return CIMValue();
    switch (param->kind)
    {
    case CimXmlIParamValue::NULL_VALUE:
        return CIMValue();
    case CimXmlIParamValue::VALUE:
        return CIMValue(param->text);
    case CimXmlIParamValue::VALUE_ARRAY:
        return CIMValue(param->texts);
    case CimXmlIParamValue::REFERENCE:
    case CimXmlIParamValue::INSTANCE_NAME:
        return CIMValue(param->path);
    default:
        throw CIMException(CIM_ERR_INVALID_PARAMETER,
            "NewValue must be a VALUE, VALUE.ARRAY or VALUE.REFERENCE");
    }
}

std::string setProperty(OperationExecutor& x, const CimXmlRequestMessage& r)
{
    setPropertyValue(x, r.nameSpace, requiredInstanceName(r, "InstanceName"),
                     requiredPropertyName(r), newPropertyValue(r));
    return CimXmlResponseEncoder::emptyResponse(r.messageId, r.methodName);
}

// ---- associations -----------------------------------------------------------

// The parameters of Associators, AssociatorNames, References and
// ReferenceNames; the Names operations ignore the object-shaping ones.
AssociationQuery associationQuery(const CimXmlRequestMessage& r,
                                  AssociationQuery::Kind kind)
{
    AssociationQuery q;
    q.kind = kind;
    q.nameSpace = r.nameSpace;
    const CimXmlIParamValue* object = r.findIParam("ObjectName");
    if (!object)
        throw missingParameter("ObjectName");
    if (object->kind == CimXmlIParamValue::CLASS_NAME)
        q.objectName = CIMObjectPath(String(), CIMNamespaceName(), object->className);
    else if (object->kind == CimXmlIParamValue::INSTANCE_NAME)
        q.objectName = object->path;
    else
        throw CIMException(CIM_ERR_INVALID_PARAMETER,
            "ObjectName must be a CLASSNAME or an INSTANCENAME");
    if (kind == AssociationQuery::ASSOCIATORS)
    {
        q.assocClass = r.getClassName("AssocClass");
        q.resultRole = r.getString("ResultRole");
    }
    q.resultClass = r.getClassName("ResultClass");
    q.role = r.getString("Role");
    q.includeQualifiers = r.getBoolean("IncludeQualifiers", false);
    q.includeClassOrigin = r.getBoolean("IncludeClassOrigin", false);
    q.propertyList = r.getPropertyList("PropertyList");
    return q;
}

// EnumerateInstances, EnumerateInstanceNames and the association
// operations are not in this table: process() streams their answers.  GetClass is answered by the class answer
// cache (executeIntrinsic).
struct IntrinsicOperation
{
    const char* name;
    IntrinsicHandler handler;
};

const IntrinsicOperation kIntrinsicOperations[] = {
    {"EnumerateClasses", enumerateClasses},
    {"EnumerateClassNames", enumerateClassNames},
    {"CreateClass", createClass},
    {"ModifyClass", modifyClass},
    {"DeleteClass", deleteClass},
    {"GetQualifier", getQualifier},
    {"SetQualifier", setQualifier},
    {"DeleteQualifier", deleteQualifier},
    {"EnumerateQualifiers", enumerateQualifiers},
    {"GetInstance", getInstance},
    {"CreateInstance", createInstance},
    {"ModifyInstance", modifyInstance},
    {"DeleteInstance", deleteInstance},
    {"GetProperty", getProperty},
    {"SetProperty", setProperty},
};

// The status code and description a client is to see for a failure.
void describe(CIMStatusCode code, const String& message, CIMStatusCode& outCode,
              String& outDescription)
{
    outCode = code;
    outDescription = String(cimStatusCodeToString(code));
    if (message.size() != 0)
        outDescription.append(String(": ") + message);
}

// Runs f.  Whatever it throws becomes the status code and description of
// the failure, and the result is false.
template <class F>
bool guarded(F f, CIMStatusCode& code, String& description)
{
    try
    {
        f();
        return true;
    }
    catch (const CIMException& e)
    {
        describe(e.getCode(), e.getMessage(), code, description);
    }
    // A parameter of the wrong form, or a name or path that is not legal:
    // the client sent something unusable.
    catch (const CimXmlException& e)
    {
        describe(CIM_ERR_INVALID_PARAMETER, e.getMessage(), code, description);
    }
    catch (const InvalidNameException& e)
    {
        describe(CIM_ERR_INVALID_PARAMETER, e.getMessage(), code, description);
    }
    catch (const InvalidNamespaceNameException& e)
    {
        describe(CIM_ERR_INVALID_PARAMETER, e.getMessage(), code, description);
    }
    catch (const MalformedObjectNameException& e)
    {
        describe(CIM_ERR_INVALID_PARAMETER, e.getMessage(), code, description);
    }
    catch (const Exception& e)
    {
        describe(CIM_ERR_FAILED, e.getMessage(), code, description);
    }
    catch (const std::exception& e)
    {
        describe(CIM_ERR_FAILED, e.what(), code, description);
    }
    catch (...)
    {
        describe(CIM_ERR_FAILED, "Unknown error.", code, description);
    }
    return false;
}

// The rest of an enumeration's answer, written while the objects are read:
// each is encoded and dropped before the next is read, so that the answer
// is never held whole.  Append writes one object (VALUE.NAMEDINSTANCE,
// INSTANCENAME, VALUE.OBJECTWITHPATH or OBJECTPATH).
template <class T, void (*Append)(std::string&, const T&)>
class EnumerationProducer : public ResponseBodyProducer
{
public:
    explicit EnumerationProducer(std::unique_ptr<ObjectCursor<T>> cursor)
        : _cursor(std::move(cursor))
    {
    }

    Status next(std::string& out, std::size_t size, CIMStatusCode& code,
                String& description) override
    {
        if (!_cursor)
            return DONE;
        const std::size_t start = out.size();
        bool more = true;
        bool ok = guarded(
            [&] {
                T object;
                while (out.size() - start < size)
                {
                    if (!_cursor->next(object))
                    {
                        more = false;
                        break;
                    }
                    Append(out, object);
                }
            },
            code, description);
        if (ok && more)
            return MORE;
        // Done either way: give the repository its connection back now
        // rather than when the answer has been sent.
        _cursor.reset();
        if (!ok)
            return FAILED;
        out += CimXmlResponseEncoder::returnValueTail();
        return DONE;
    }

private:
    std::unique_ptr<ObjectCursor<T>> _cursor;
};

// The element each object of a streamed answer is written as.
void appendNamedInstance(std::string& out, const CIMInstance& instance)
{
    CimXmlResponseEncoder::appendNamedInstance(out, instance);
}

void appendInstanceName(std::string& out, const CIMObjectPath& name)
{
    CimXmlResponseEncoder::appendInstanceName(out, name);
}

void appendObjectWithPath(std::string& out, const CIMObject& object)
{
    CimXmlResponseEncoder::appendObjectWithPath(out, object);
}

void appendObjectPath(std::string& out, const CIMObjectPath& path)
{
    CimXmlResponseEncoder::appendObjectPath(out, path);
}

// An enumeration's answer as its head and a producer of the rest.
template <class T, void (*Append)(std::string&, const T&)>
void streamAnswer(const CimXmlRequestMessage& r,
                  std::unique_ptr<ObjectCursor<T>> cursor,
                  OperationOutcome& outcome)
{
    outcome.body =
        CimXmlResponseEncoder::returnValueHead(r.messageId, r.methodName);
    outcome.producer =
        std::make_shared<EnumerationProducer<T, Append>>(std::move(cursor));
}

// The association operations, answered as they are read.
bool streamAssociation(AssociationOperations& associations,
                       const CimXmlRequestMessage& r, OperationOutcome& outcome)
{
    if (!r.isIntrinsic || r.nameSpace.isNull())
        return false;
    struct Operation
    {
        const char* name;
        AssociationQuery::Kind kind;
        bool names;
    };
    static const Operation kOperations[] = {
        {"Associators", AssociationQuery::ASSOCIATORS, false},
        {"AssociatorNames", AssociationQuery::ASSOCIATORS, true},
        {"References", AssociationQuery::REFERENCES, false},
        {"ReferenceNames", AssociationQuery::REFERENCES, true},
    };
    for (const Operation& operation : kOperations)
    {
        if (!String::equalNoCase(r.methodName, operation.name))
            continue;
        AssociationQuery query = associationQuery(r, operation.kind);
        if (operation.names)
            streamAnswer<CIMObjectPath, appendObjectPath>(
                r, associations.openNames(query), outcome);
        else
            streamAnswer<CIMObject, appendObjectWithPath>(
                r, associations.openObjects(query), outcome);
        return true;
    }
    return false;
}

// Streams the answer of the enumerations that can be large; false for
// every other request.
bool streamEnumeration(OperationExecutor& x, const CimXmlRequestMessage& r,
                       OperationOutcome& outcome)
{
    if (!r.isIntrinsic || r.nameSpace.isNull())
        return false;
    if (String::equalNoCase(r.methodName, "EnumerateInstances"))
    {
        streamAnswer<CIMInstance, appendNamedInstance>(r,
                     x.openInstances(r.nameSpace, requiredClassName(r, "ClassName"),
                                     r.getBoolean("DeepInheritance", true),
                                     r.getBoolean("LocalOnly", true),
                                     r.getBoolean("IncludeQualifiers", false),
                                     r.getBoolean("IncludeClassOrigin", false),
                                     r.getPropertyList("PropertyList")),
                     outcome);
        return true;
    }
    if (String::equalNoCase(r.methodName, "EnumerateInstanceNames"))
    {
        streamAnswer<CIMObjectPath, appendInstanceName>(r,
                     x.openInstanceNames(r.nameSpace,
                                         requiredClassName(r, "ClassName")),
                     outcome);
        return true;
    }
    return false;
}

// ---- access control ---------------------------------------------------------

// The intrinsic operations that change classes, qualifier declarations or
// instances.
const char* const kChangingOperations[] = {
    "CreateClass",    "ModifyClass",    "DeleteClass",
    "SetQualifier",   "DeleteQualifier", "CreateInstance",
    "ModifyInstance", "DeleteInstance", "SetProperty",
};

// The namespaces that hold the server's own state: the configuration and
// the shutdown service (root/PG_Internal) and the provider registrations
// (root/PG_InterOp).
const CIMNamespaceName* const kServerNamespaces[] = {
    &PEGASUS_NAMESPACENAME_CONFIG,
    &PEGASUS_NAMESPACENAME_PROVIDERREG,
};

bool isServerNamespace(const CIMNamespaceName& nameSpace)
{
    for (const CIMNamespaceName* own : kServerNamespaces)
    {
        if (nameSpace.equal(*own))
            return true;
    }
    return false;
}

// True when `name` is one of the server's namespaces or lies above one
// (deleting it would take the server's namespace with it).
bool holdsServerNamespace(const String& name)
{
    for (const CIMNamespaceName* own : kServerNamespaces)
    {
        const String& full = own->getString();
        if (String::equalNoCase(name, full))
            return true;
        if (name.size() < full.size() && full[name.size()] == '/' &&
            String::equalNoCase(name, full.subString(0, name.size())))
            return true;
    }
    return false;
}

// The namespace a __Namespace instance names, seen from `nameSpace`, as
// OperationExecutor computes it.
String namespaceNamed(const CIMNamespaceName& nameSpace, const String& name)
{
    String full = nameSpace.getString();
    if (name.size() != 0)
        full = full.size() ? full + "/" + name : name;
    // A leading '/' is not part of a namespace name.
    while (full.size() != 0 && full[0] == '/')
        full.remove(0, 1);
    return full;
}

String keyValue(const CIMObjectPath& path, const char* name)
{
    const Array<CIMKeyBinding>& keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); i++)
    {
        if (keys[i].getName().equal(CIMName(name)))
            return keys[i].getValue();
    }
    return String();
}

String nameProperty(const CIMInstance& instance)
{
    String text;
    Uint32 pos = instance.findProperty(CIMName("Name"));
    if (pos != PEG_NOT_FOUND && !instance.getProperty(pos).getValue().isNull() &&
        instance.getProperty(pos).getValue().getType() == CIMTYPE_STRING)
        instance.getProperty(pos).getValue().get(text);
    return text;
}

// Creating or deleting a __Namespace instance that names one of the
// server's namespaces or one above them.
bool changesServerNamespace(const CimXmlRequestMessage& r)
{
    if (String::equalNoCase(r.methodName, "CreateInstance"))
    {
        const CimXmlIParamValue* param = r.findIParam("NewInstance");
        if (!param || (param->kind != CimXmlIParamValue::INSTANCE &&
                       param->kind != CimXmlIParamValue::NAMED_INSTANCE) ||
            !param->instance.getClassName().equal(
                PEGASUS_CLASSNAME___NAMESPACE))
            return false;
        return holdsServerNamespace(
            namespaceNamed(r.nameSpace, nameProperty(param->instance)));
    }
    if (String::equalNoCase(r.methodName, "DeleteInstance"))
    {
        CIMObjectPath path = r.getInstanceName("InstanceName");
        if (!path.getClassName().equal(PEGASUS_CLASSNAME___NAMESPACE))
            return false;
        return holdsServerNamespace(
            namespaceNamed(r.nameSpace, keyValue(path, "Name")));
    }
    return false;
}

}  // namespace

String localHostName()
{
    char name[256] = {0};
    if (::gethostname(name, sizeof(name) - 1) != 0 || name[0] == 0)
        return String("localhost");
    return String(name);
}

bool OperationDispatcher::isPrivileged(const CimXmlRequestMessage& request)
{
    if (request.isMultiple)
    {
        for (const CimXmlRequestMessage& call : request.calls)
        {
            if (isPrivileged(call))
                return true;
        }
        return false;
    }
    // Method calls there are UpdatePropertyValue (cimconfig) and shutdown
    // (cimserver -s).
    if (!request.isIntrinsic)
        return isServerNamespace(request.nameSpace);
    bool changing = false;
    for (const char* name : kChangingOperations)
        changing = changing || String::equalNoCase(request.methodName, name);
    if (!changing)
        return false;
    return isServerNamespace(request.nameSpace) ||
           changesServerNamespace(request);
}

OperationDispatcher::OperationDispatcher(Repository& repository,
                                         ProviderManager& providerManager,
                                         MonotonicClock& clock)
    : _executor(repository, providerManager, localHostName()),
      _associations(_executor),
      _upcalls(_executor, _classResponses),
      _pull(_executor, _associations, localHostName(), clock)
{
    installCIMOMHandleBackend(&_upcalls);
}

OperationDispatcher::~OperationDispatcher()
{
    removeCIMOMHandleBackend(&_upcalls);
}

OperationOutcome OperationDispatcher::process(
    const CimXmlRequestMessage& request, const RequestCaller& caller)
{
    OperationOutcome outcome;
    bool ok = guarded(
        [&] {
            if (request.isMultiple)
            {
                outcome.body = processMultiple(request, caller);
                return;
            }
            if (!caller.privileged && isPrivileged(request))
                throw CIMException(CIM_ERR_ACCESS_DENIED,
                    "Only the server's own user may do this, and only over "
                    "the local connection.");
            // Enumerations of instances can be large: their answer is
            // written while it is sent.
            if (streamEnumeration(_executor, request, outcome) ||
                streamAssociation(_associations, request, outcome))
                return;
            if (PullOperations::handles(request))
                _pull.process(request, caller, outcome);
            else
                outcome.body = execute(request);
        },
        outcome.code, outcome.description);
    if (!ok)
    {
        outcome.failed = true;
        outcome.body.clear();
        outcome.producer.reset();
    }
    return outcome;
}

void OperationDispatcher::releaseCaches()
{
    _classResponses.clear();
    _executor.repository().releaseMemory();
}

std::string OperationDispatcher::processMultiple(
    const CimXmlRequestMessage& request, const RequestCaller& caller)
{
    std::vector<std::string> answers;
    answers.reserve(request.calls.size());
    bool stopped = false;
    for (const CimXmlRequestMessage& call : request.calls)
    {
        if (stopped)
        {
            answers.push_back(CimXmlResponseEncoder::errorResponse(
                call.messageId, call.methodName, call.isIntrinsic, CIM_ERR_FAILED,
                "CIM_ERR_FAILED: not executed: an earlier operation of the "
                "request failed"));
            continue;
        }
        OperationOutcome outcome = process(call, caller);
        // A streamed answer is collected whole: the MULTIRSP is built
        // around each call's complete SIMPLERSP.
        while (!outcome.failed && outcome.producer)
        {
            ResponseBodyProducer::Status status = outcome.producer->next(
                outcome.body, 1 << 16, outcome.code, outcome.description);
            if (status == ResponseBodyProducer::FAILED)
                outcome.failed = true;
            if (status != ResponseBodyProducer::MORE)
                outcome.producer.reset();
        }
        if (outcome.failed && request.stopOnError)
        {
            stopped = true;
            for (Uint32 code : request.continueOnCodes)
                stopped = stopped && code != Uint32(outcome.code);
        }
        if (outcome.failed)
            answers.push_back(CimXmlResponseEncoder::errorResponse(
                call.messageId, call.methodName, call.isIntrinsic,
                outcome.code == CIM_ERR_SUCCESS ? CIM_ERR_FAILED : outcome.code,
                outcome.description));
        else
            answers.push_back(std::move(outcome.body));
    }
    return CimXmlResponseEncoder::multipleResponse(request.messageId, answers);
}

std::string OperationDispatcher::execute(const CimXmlRequestMessage& request)
{
    if (request.nameSpace.isNull())
        throw CIMException(CIM_ERR_INVALID_NAMESPACE);
    return request.isIntrinsic ? executeIntrinsic(request)
                               : invokeMethod(request);
}

std::string OperationDispatcher::executeIntrinsic(
    const CimXmlRequestMessage& request)
{
    if (ClassResponseCache::isGetClass(request))
    {
        try
        {
            return _classResponses.getClass(_executor.repository(), request);
        }
        catch (const CIMException& e)
        {
            // A class the repository lacks may be one a built-in provider
            // defines.
            if (e.getCode() != CIM_ERR_NOT_FOUND)
                throw;
            std::string answer = builtinClassResponse(_executor, request);
            if (answer.empty())
                throw;
            return answer;
        }
    }
    SchemaChangeGuard schemaChange(_classResponses, request);
    for (const IntrinsicOperation& operation : kIntrinsicOperations)
    {
        if (String::equalNoCase(request.methodName, operation.name))
            return operation.handler(_executor, request);
    }
    throw CIMException(CIM_ERR_NOT_SUPPORTED);
}

std::string OperationDispatcher::invokeMethod(
    const CimXmlRequestMessage& request)
{
    Array<CIMParamValue> outParameters;
    CIMValue returnValue = _executor.invokeMethod(
        request.nameSpace, request.objectName, CIMName(request.methodName),
        request.parameters, outParameters);
    return CimXmlResponseEncoder::methodResponse(
        request.messageId, request.methodName, returnValue, outParameters);
}

}  // namespace Pegasus
