#include "PullOperations.h"

#include "AssociationOperations.h"
#include "IntegerText.h"
#include "OperationExecutor.h"
#include "Utf8Text.h"

#include <Pegasus/Common/CIMStatusCode.h>

#include <exception>

namespace Pegasus {

namespace {

typedef EnumerationContexts::Kind Kind;
typedef EnumerationContexts::Lease Lease;

enum class Step
{
    OPEN,
    PULL,
    CLOSE,
    COUNT
};

struct PullOperation
{
    const char* name;
    Step step;
    Kind kind;  // of the context an open creates or a pull reads
};

const PullOperation kOperations[] = {
    {"OpenEnumerateInstances", Step::OPEN, EnumerationContexts::INSTANCES},
    {"OpenEnumerateInstancePaths", Step::OPEN, EnumerationContexts::PATHS},
    {"OpenReferenceInstances", Step::OPEN, EnumerationContexts::INSTANCES},
    {"OpenReferenceInstancePaths", Step::OPEN, EnumerationContexts::PATHS},
    {"OpenAssociatorInstances", Step::OPEN, EnumerationContexts::INSTANCES},
    {"OpenAssociatorInstancePaths", Step::OPEN, EnumerationContexts::PATHS},
    {"PullInstancesWithPath", Step::PULL, EnumerationContexts::INSTANCES},
    {"PullInstancePaths", Step::PULL, EnumerationContexts::PATHS},
    {"CloseEnumeration", Step::CLOSE, EnumerationContexts::INSTANCES},
    {"EnumerationCount", Step::COUNT, EnumerationContexts::INSTANCES},
};

// The shortest and the longest of the names above: every other operation
// of the hot paths (GetClass, GetInstance) is told apart by its length.
const Uint32 kShortestName = 16;
const Uint32 kLongestName = 27;

const PullOperation* findOperation(const CimXmlRequestMessage& r)
{
    if (!r.isIntrinsic || r.isMultiple || r.methodName.size() < kShortestName ||
        r.methodName.size() > kLongestName)
        return nullptr;
    for (const PullOperation& op : kOperations)
    {
        if (String::equalNoCase(r.methodName, op.name))
            return &op;
    }
    return nullptr;
}

CIMException missingParameter(const char* name)
{
    return CIMException(CIM_ERR_INVALID_PARAMETER, String("missing parameter ") + name);
}

// An unsigned 32-bit parameter; false when absent or null.
bool uint32Parameter(const CimXmlRequestMessage& r, const char* name, Uint32& value)
{
    const CimXmlIParamValue* p = r.findIParam(name);
    if (!p || p->kind == CimXmlIParamValue::NULL_VALUE)
        return false;
    bool negative = false;
    Uint64 magnitude = 0;
    std::string text = p->kind == CimXmlIParamValue::VALUE ? utf8Text(p->text) : std::string();
    if (parseIntegerText(text.data(), text.size(), IntegerSyntax::Value, negative, magnitude) !=
            IntegerTextResult::Ok ||
        (negative && magnitude != 0) || magnitude > 0xFFFFFFFFull)
        throw CIMException(CIM_ERR_INVALID_PARAMETER,
                           String("parameter ") + name + " must be a uint32");
    value = Uint32(magnitude);
    return true;
}

Uint32 maxObjectCount(const CimXmlRequestMessage& r, bool required)
{
    Uint32 count = 0;
    if (!uint32Parameter(r, "MaxObjectCount", count) && required)
        throw missingParameter("MaxObjectCount");
    return count;
}

std::string contextParameter(const CimXmlRequestMessage& r)
{
    const CimXmlIParamValue* p = r.findIParam("EnumerationContext");
    if (!p || p->kind != CimXmlIParamValue::VALUE)
        throw missingParameter("EnumerationContext");
    return utf8Text(p->text);
}

CIMName requiredClassName(const CimXmlRequestMessage& r, const char* name)
{
    CIMName className = r.getClassName(name);
    if (className.isNull())
        throw missingParameter(name);
    return className;
}

CIMObjectPath requiredInstanceName(const CimXmlRequestMessage& r, const char* name)
{
    CIMObjectPath path = r.getInstanceName(name);
    if (path.getClassName().isNull())
        throw missingParameter(name);
    return path;
}

// The path as the answer gives it: with this server's host and the
// request's namespace where the object's own path leaves them out.
CIMObjectPath completedPath(const CIMObjectPath& path, const String& host,
                            const CIMNamespaceName& nameSpace)
{
    CIMObjectPath full = path;
    if (full.getHost().size() == 0)
        full.setHost(host);
    if (full.getNameSpace().isNull())
        full.setNameSpace(nameSpace);
    return full;
}

std::unique_ptr<EnumerationSource> instanceSource(std::unique_ptr<InstanceCursor> cursor,
                                                  const String& host,
                                                  const CIMNamespaceName& nameSpace)
{
    return std::unique_ptr<EnumerationSource>(new CursorSource<CIMInstance>(
        std::move(cursor),
        [](std::string& out, const CIMInstance& instance) {
            CimXmlResponseEncoder::appendInstanceWithPath(out, instance);
        },
        [host, nameSpace](CIMInstance& instance) {
            instance.setPath(completedPath(instance.getPath(), host, nameSpace));
        }));
}

// Instances the association engine gives as objects.
std::unique_ptr<EnumerationSource> objectSource(std::unique_ptr<AssociationObjectCursor> cursor,
                                                const String& host,
                                                const CIMNamespaceName& nameSpace)
{
    return std::unique_ptr<EnumerationSource>(new CursorSource<CIMObject>(
        std::move(cursor),
        [](std::string& out, const CIMObject& object) {
            CimXmlResponseEncoder::appendInstanceWithPath(out, CIMInstance(object));
        },
        [host, nameSpace](CIMObject& object) {
            object.setPath(completedPath(object.getPath(), host, nameSpace));
        }));
}

std::unique_ptr<EnumerationSource> pathSource(std::unique_ptr<InstanceNameCursor> cursor,
                                              const String& host,
                                              const CIMNamespaceName& nameSpace)
{
    return std::unique_ptr<EnumerationSource>(new CursorSource<CIMObjectPath>(
        std::move(cursor),
        [](std::string& out, const CIMObjectPath& path) {
            CimXmlResponseEncoder::appendInstancePath(out, path);
        },
        [host, nameSpace](CIMObjectPath& path) {
            path = completedPath(path, host, nameSpace);
        }));
}

// The status code and description a client is to see for what `error`
// holds, as the dispatcher reports failures.
void describeFailure(std::exception_ptr error, CIMStatusCode& code, String& description)
{
    String message;
    try
    {
        std::rethrow_exception(error);
    }
    catch (const CIMException& e)
    {
        code = e.getCode();
        message = e.getMessage();
    }
    catch (const Exception& e)
    {
        code = CIM_ERR_FAILED;
        message = e.getMessage();
    }
    catch (const std::exception& e)
    {
        code = CIM_ERR_FAILED;
        message = String(e.what());
    }
    catch (...)
    {
        code = CIM_ERR_FAILED;
        message = "Unknown error.";
    }
    description = String(cimStatusCodeToString(code));
    if (message.size() != 0)
        description.append(String(": ") + message);
}

// The objects and the end of an open or pull answer, read from the
// context's source while the answer is sent.  The context is held until
// the answer is complete; then it is released, or closed at the end of the
// sequence, after a failure, or when the answer is abandoned.
class PullAnswer : public ResponseBodyProducer
{
public:
    PullAnswer(EnumerationContexts& contexts, Lease lease, Uint32 maxObjectCount)
        : _contexts(contexts), _lease(std::move(lease)), _max(maxObjectCount)
    {
    }

    ~PullAnswer() override
    {
        if (_lease)
            _contexts.release(_lease, true);
    }

    Status next(std::string& out, std::size_t size, CIMStatusCode& code,
                String& description) override
    {
        if (!_lease)
            return DONE;
        const std::size_t start = out.size();
        try
        {
            bool end = false;
            while (_sent < _max && out.size() - start < size)
            {
                if (!_lease->source->appendNext(out))
                {
                    end = true;
                    break;
                }
                ++_sent;
            }
            if (!end && _sent < _max)
                return MORE;
            // A pull of nothing only keeps the context alive; otherwise
            // the answer says whether anything is left.
            if (!end && _max > 0)
                end = _lease->source->exhausted();
            out += CimXmlResponseEncoder::pullResponseTail(end, String(_lease->id.c_str()));
            Lease lease = std::move(_lease);
            _contexts.release(lease, end);
            return DONE;
        }
        catch (...)
        {
            describeFailure(std::current_exception(), code, description);
        }
        Lease lease = std::move(_lease);
        _contexts.release(lease, true);
        return FAILED;
    }

private:
    EnumerationContexts& _contexts;
    Lease _lease;
    const Uint32 _max;
    Uint32 _sent = 0;
};

void startAnswer(const CimXmlRequestMessage& r, EnumerationContexts& contexts, Lease lease,
                 Uint32 maxObjectCount, OperationOutcome& outcome)
{
    outcome.body = CimXmlResponseEncoder::returnValueHead(r.messageId, r.methodName);
    outcome.producer = std::make_shared<PullAnswer>(contexts, std::move(lease), maxObjectCount);
}

}  // namespace

std::string enumerationOwner(const RequestCaller& caller)
{
    if (!caller.userName.empty())
        return "user " + caller.userName;
    if (!caller.local)
        return "address " + caller.peerAddress;
    return "local";
}

PullOperations::PullOperations(OperationExecutor& executor,
                               AssociationOperations& associations, const String& hostName,
                               MonotonicClock& clock)
    : _executor(executor), _associations(associations), _hostName(hostName), _contexts(clock)
{
}

bool PullOperations::handles(const CimXmlRequestMessage& request)
{
    return findOperation(request) != nullptr;
}

void PullOperations::process(const CimXmlRequestMessage& r, const RequestCaller& caller,
                             OperationOutcome& outcome)
{
    const PullOperation* op = findOperation(r);
    if (!op)
        throw CIMException(CIM_ERR_NOT_SUPPORTED);
    if (r.nameSpace.isNull())
        throw CIMException(CIM_ERR_INVALID_NAMESPACE);
    const std::string owner = enumerationOwner(caller);
    switch (op->step)
    {
    case Step::OPEN:
        open(r, owner, outcome);
        return;
    case Step::PULL:
        pull(r, owner, outcome);
        return;
    case Step::CLOSE:
        _contexts.close(contextParameter(r), owner);
        outcome.body = CimXmlResponseEncoder::emptyResponse(r.messageId, r.methodName);
        return;
    case Step::COUNT:
    {
        Lease lease = _contexts.acquire(contextParameter(r), owner);
        bool nothingLeft = false;
        try
        {
            nothingLeft = lease->source->exhausted();
        }
        catch (...)
        {
            _contexts.release(lease, true);
            throw;
        }
        _contexts.release(lease, false);
        outcome.body = CimXmlResponseEncoder::enumerationCountResponse(
            r.messageId, r.methodName, nothingLeft ? Uint64Arg(0) : Uint64Arg());
        return;
    }
    }
}

void PullOperations::open(const CimXmlRequestMessage& r, const std::string& owner,
                          OperationOutcome& outcome)
{
    if (r.getString("FilterQueryLanguage").size() != 0 || r.getString("FilterQuery").size() != 0)
        throw CIMException(CIM_ERR_FILTERED_ENUMERATION_NOT_SUPPORTED,
                           "enumerations cannot be filtered by a query");
    if (r.getBoolean("ContinueOnError", false))
        throw CIMException(CIM_ERR_CONTINUATION_ON_ERROR_NOT_SUPPORTED,
                           "an enumeration ends at its first error");
    const Uint32 max = maxObjectCount(r, false);
    Uint32 requestedTimeout = 0;
    Uint32Arg timeout;
    if (uint32Parameter(r, "OperationTimeout", requestedTimeout))
        timeout.setValue(requestedTimeout);
    const Uint32 seconds = _contexts.timeoutFor(timeout);

    Kind kind = findOperation(r)->kind;
    Lease lease = _contexts.open(owner, kind, seconds);
    try
    {
        lease->source = openSource(r, kind);
    }
    catch (...)
    {
        _contexts.release(lease, true);
        throw;
    }
    startAnswer(r, _contexts, std::move(lease), max, outcome);
}

void PullOperations::pull(const CimXmlRequestMessage& r, const std::string& owner,
                          OperationOutcome& outcome)
{
    const Uint32 max = maxObjectCount(r, true);
    const std::string id = contextParameter(r);
    Lease lease = _contexts.acquire(id, owner);
    Kind wanted = findOperation(r)->kind;
    if (lease->kind != wanted)
    {
        _contexts.release(lease, false);
        throw CIMException(CIM_ERR_INVALID_ENUMERATION_CONTEXT,
                           String(("\"" + id + "\" enumerates " +
                                   (lease->kind == EnumerationContexts::PATHS ? "paths"
                                                                              : "instances"))
                                      .c_str()));
    }
    startAnswer(r, _contexts, std::move(lease), max, outcome);
}

std::unique_ptr<EnumerationSource> PullOperations::openSource(const CimXmlRequestMessage& r,
                                                              Kind kind)
{
    const String& method = r.methodName;
    if (String::equalNoCase(method, "OpenEnumerateInstances"))
    {
        // The pull operations have no LocalOnly and no IncludeQualifiers:
        // all properties, no qualifiers.
        return instanceSource(
            _executor.openInstances(r.nameSpace, requiredClassName(r, "ClassName"),
                                    r.getBoolean("DeepInheritance", true), false, false,
                                    r.getBoolean("IncludeClassOrigin", false),
                                    r.getPropertyList("PropertyList")),
            _hostName, r.nameSpace);
    }
    if (String::equalNoCase(method, "OpenEnumerateInstancePaths"))
    {
        return pathSource(
            _executor.openInstanceNames(r.nameSpace, requiredClassName(r, "ClassName")),
            _hostName, r.nameSpace);
    }
    // The association opens, at instance level.
    AssociationQuery q;
    q.kind = String::equalNoCase(method.subString(0, 14), "OpenAssociator")
                 ? AssociationQuery::ASSOCIATORS
                 : AssociationQuery::REFERENCES;
    q.nameSpace = r.nameSpace;
    q.objectName = requiredInstanceName(r, "InstanceName");
    if (q.objectName.getKeyBindings().size() == 0)
        throw CIMException(CIM_ERR_INVALID_PARAMETER,
                           "InstanceName must name an instance, with its keys");
    if (q.kind == AssociationQuery::ASSOCIATORS)
    {
        q.assocClass = r.getClassName("AssocClass");
        q.resultRole = r.getString("ResultRole");
    }
    q.resultClass = r.getClassName("ResultClass");
    q.role = r.getString("Role");
    if (kind == EnumerationContexts::PATHS)
        return pathSource(_associations.openNames(q), _hostName, r.nameSpace);
    q.includeClassOrigin = r.getBoolean("IncludeClassOrigin", false);
    q.propertyList = r.getPropertyList("PropertyList");
    return objectSource(_associations.openObjects(q), _hostName, r.nameSpace);
}

}  // namespace Pegasus
