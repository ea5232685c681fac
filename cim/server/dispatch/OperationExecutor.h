// OperationExecutor: runs CIM operations given as typed arguments, sending
// each to the repository or to the provider registered for its class.
//
// Used by OperationDispatcher for client requests and, through the
// CIMOMHandle backend, for providers' up-calls.  Every operation throws
// CIMException with the code and message the client is to see (or another
// exception type, which the caller maps to CIM_ERR_FAILED).
//
// Routing: instance operations on a class with an instance provider in the
// namespace go to that provider, InvokeMethod to the class's method
// provider; everything else goes to the repository.  Enumerations of a
// class whose subclasses have providers gather the instances class by
// class.  CreateInstance of __Namespace creates a namespace; creating,
// modifying or deleting provider registration instances in root/PG_InterOp
// goes through the provider manager.
//
// Thread-safe; repository and provider manager must outlive the executor.
#ifndef KTA_CIM_DISPATCH_OPERATIONEXECUTOR_H
#define KTA_CIM_DISPATCH_OPERATIONEXECUTOR_H

#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/CIMQualifierDecl.h>
#include <Pegasus/Common/CIMValue.h>

#include "ProviderCalls.h"
#include "ProviderRegistry.h"
#include "Repository.h"

#include <memory>

namespace Pegasus {

class Repository;
class ProviderManager;

class OperationExecutor
{
public:
    // hostName is this server's host, put into paths handed to providers.
    OperationExecutor(Repository& repository,
                      ProviderManager& providerManager,
                      const String& hostName);

    Repository& repository() { return _repository; }
    ProviderManager& providerManager() { return _providerManager; }
    ProviderCalls& providerCalls() { return _providers; }

    // ---- instances (routed) ----

    CIMInstance getInstance(const CIMNamespaceName& nameSpace,
                            const CIMObjectPath& instanceName,
                            Boolean localOnly, Boolean includeQualifiers,
                            Boolean includeClassOrigin,
                            const CIMPropertyList& propertyList);

    Array<CIMInstance> enumerateInstances(const CIMNamespaceName& nameSpace,
                                          const CIMName& className,
                                          Boolean deepInheritance,
                                          Boolean localOnly,
                                          Boolean includeQualifiers,
                                          Boolean includeClassOrigin,
                                          const CIMPropertyList& propertyList);

    // The instances of enumerateInstances, one at a time: those of the
    // repository are read as the cursor advances, those of a provider are
    // asked for when the cursor reaches the provider's class.  Errors that
    // can be found before the first instance (no such namespace or class)
    // are thrown here.  The cursor must not outlive the executor.
    std::unique_ptr<InstanceCursor> openInstances(
        const CIMNamespaceName& nameSpace, const CIMName& className,
        Boolean deepInheritance, Boolean localOnly, Boolean includeQualifiers,
        Boolean includeClassOrigin, const CIMPropertyList& propertyList);

    Array<CIMObjectPath> enumerateInstanceNames(
        const CIMNamespaceName& nameSpace, const CIMName& className);

    // The names of enumerateInstanceNames, one at a time, as openInstances
    // gives the instances.
    std::unique_ptr<InstanceNameCursor> openInstanceNames(
        const CIMNamespaceName& nameSpace, const CIMName& className);

    CIMObjectPath createInstance(const CIMNamespaceName& nameSpace,
                                 const CIMInstance& newInstance);

    void modifyInstance(const CIMNamespaceName& nameSpace,
                        const CIMInstance& modifiedInstance,
                        Boolean includeQualifiers,
                        const CIMPropertyList& propertyList);

    void deleteInstance(const CIMNamespaceName& nameSpace,
                        const CIMObjectPath& instanceName);

    // Parameters sent without a type are converted to the type the class
    // declares for them before the provider sees them.  No method provider:
    // CIM_ERR_INVALID_CLASS if the class does not exist, else
    // CIM_ERR_METHOD_NOT_AVAILABLE.
    CIMValue invokeMethod(const CIMNamespaceName& nameSpace,
                          const CIMObjectPath& objectName,
                          const CIMName& methodName,
                          const Array<CIMParamValue>& inParameters,
                          Array<CIMParamValue>& outParameters);

private:
    class Gathering;
    class NameGathering;

    bool hasInstanceProvider(const CIMNamespaceName& nameSpace,
                             const CIMName& className) const;
    bool classExists(const CIMNamespaceName& nameSpace,
                     const CIMName& className) const;
    // className and its subclasses, when at least one of them has an
    // instance provider (or the class is served only by a provider); empty
    // when the repository can answer the whole enumeration itself.
    Array<CIMName> classesToGather(const CIMNamespaceName& nameSpace,
                                   const CIMName& className) const;
    CIMObjectPath createNamespace(const CIMNamespaceName& nameSpace,
                                  const CIMInstance& instance);
    Array<CIMParamValue> typedParameters(
        const CIMNamespaceName& nameSpace, const CIMName& className,
        const CIMName& methodName, const Array<CIMParamValue>& parameters);

    Repository& _repository;
    ProviderManager& _providerManager;
    ProviderCalls _providers;
};

}  // namespace Pegasus

#endif
