// OperationDispatcher: executes decoded CIM-XML operation requests against
// the repository and the providers, and builds the response documents.
//
// Intrinsic operations executed: GetClass, EnumerateClasses,
// EnumerateClassNames, CreateClass, ModifyClass, DeleteClass, GetQualifier,
// SetQualifier, DeleteQualifier, EnumerateQualifiers, GetInstance,
// EnumerateInstances, EnumerateInstanceNames, CreateInstance,
// ModifyInstance, DeleteInstance, Associators, AssociatorNames, References,
// ReferenceNames (AssociationOperations), GetProperty, SetProperty
// (PropertyOperations), and the pull operations (PullOperations); any other
// intrinsic method fails with
// CIM_ERR_NOT_SUPPORTED.  Extrinsic method calls go to the method provider
// of the target's class.  Parameters a request leaves out take their
// standard defaults.  Routing between repository and providers is
// OperationExecutor's.  GetClass answers are kept encoded
// (ClassResponseCache) until the namespace's schema changes.  A class the
// repository lacks is answered from its built-in definition, if a built-in
// provider brought one (ProviderManager::registerBuiltinClass).
//
// EnumerateInstances, EnumerateInstanceNames and the four association
// operations answer with a producer (OperationOutcome): the objects or
// names are read, encoded and dropped one by one while the answer is sent.
//
// A multiple-operation request (CimXmlRequestMessage::isMultiple) runs its
// calls one after the other, in order, each exactly as if it had come
// alone (enumerations are collected rather than streamed); one call's
// failure is its own answer's ERROR and does not stop the others.  The
// answer is a MULTIRSP with one SIMPLERSP per call.
//
// Privileged operations -- method calls in the server's own namespaces
// (root/PG_Internal: UpdatePropertyValue of PG_ConfigSetting, shutdown of
// PG_ShutdownService; root/PG_InterOp), changes to classes, qualifiers or
// instances there (provider registrations among them), and creating or
// deleting those namespaces -- fail with CIM_ERR_ACCESS_DENIED, before
// anything is touched, unless the caller is privileged
// (RequestCaller::privileged).  In a multiple-operation request each call
// is judged by itself.
//
// While a dispatcher exists, providers' CIMOMHandle up-calls in this
// process are executed by it (the most recently constructed dispatcher,
// if there are several).
//
// Thread-safe: process() may run on any number of threads at once.
#ifndef KTA_CIM_DISPATCH_OPERATIONDISPATCHER_H
#define KTA_CIM_DISPATCH_OPERATIONDISPATCHER_H

#include "RequestProcessor.h"

#include "AssociationOperations.h"
#include "ClassResponseCache.h"
#include "OperationExecutor.h"
#include "ProviderUpcalls.h"
#include "PullOperations.h"

namespace Pegasus {

class Repository;
class ProviderManager;

// This host's name as the server reports it; "localhost" when it has none.
String localHostName();

class OperationDispatcher : public RequestProcessor
{
public:
    // repository, providerManager and clock must outlive the dispatcher.
    // The clock times the pull operations' enumeration contexts.
    OperationDispatcher(Repository& repository,
                        ProviderManager& providerManager,
                        MonotonicClock& clock = MonotonicClock::real());

    // Detaches the up-call hook, waiting for up-calls still running.
    ~OperationDispatcher();

    OperationDispatcher(const OperationDispatcher&) = delete;
    OperationDispatcher& operator=(const OperationDispatcher&) = delete;

    // Never throws.  A failed operation gives its CIM status code and the
    // description "<CIM_ERR_NAME>: <message>" ("<CIM_ERR_NAME>" alone for
    // an empty message).
    OperationOutcome process(const CimXmlRequestMessage& request,
                             const RequestCaller& caller) override;

    // Drops the cached GetClass answers and the repository's caches.
    void releaseCaches() override;

    // True when `request` (or, for a multiple-operation request, one of its
    // calls) is a privileged operation.  May throw CimXmlException for a
    // malformed parameter.
    static bool isPrivileged(const CimXmlRequestMessage& request);

    // The open enumerations of the pull operations (PullOperations.h).
    EnumerationContexts& enumerationContexts() { return _pull.contexts(); }

private:
    std::string processMultiple(const CimXmlRequestMessage& request,
                                const RequestCaller& caller);
    std::string execute(const CimXmlRequestMessage& request);
    std::string executeIntrinsic(const CimXmlRequestMessage& request);
    std::string invokeMethod(const CimXmlRequestMessage& request);

    OperationExecutor _executor;
    AssociationOperations _associations;
    ClassResponseCache _classResponses;
    SchemaChangeUpcalls _upcalls;
    PullOperations _pull;
};

}  // namespace Pegasus

#endif
