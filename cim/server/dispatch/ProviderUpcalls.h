// Providers' CIMOMHandle up-calls, executed by an OperationExecutor.
#ifndef KTA_CIM_DISPATCH_PROVIDERUPCALLS_H
#define KTA_CIM_DISPATCH_PROVIDERUPCALLS_H

#include "AssociationOperations.h"
#include "CIMOMHandleBackend.h"

namespace Pegasus {

class OperationExecutor;

// Thread-safe as the executor is.  The operation context of an up-call is
// not used.
class ProviderUpcalls : public CIMOMHandleBackend
{
public:
    explicit ProviderUpcalls(OperationExecutor& executor)
        : _executor(executor), _associations(executor) {}

    CIMClass getClass(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className, Boolean localOnly, Boolean includeQualifiers,
        Boolean includeClassOrigin,
        const CIMPropertyList& propertyList) override;
    Array<CIMClass> enumerateClasses(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className, Boolean deepInheritance, Boolean localOnly,
        Boolean includeQualifiers, Boolean includeClassOrigin) override;
    Array<CIMName> enumerateClassNames(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className, Boolean deepInheritance) override;
    void createClass(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMClass& newClass) override;
    void modifyClass(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMClass& modifiedClass) override;
    void deleteClass(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className) override;
    CIMInstance getInstance(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName, Boolean localOnly,
        Boolean includeQualifiers, Boolean includeClassOrigin,
        const CIMPropertyList& propertyList) override;
    Array<CIMInstance> enumerateInstances(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className, Boolean deepInheritance, Boolean localOnly,
        Boolean includeQualifiers, Boolean includeClassOrigin,
        const CIMPropertyList& propertyList) override;
    Array<CIMObjectPath> enumerateInstanceNames(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className) override;
    CIMObjectPath createInstance(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMInstance& newInstance) override;
    void modifyInstance(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMInstance& modifiedInstance, Boolean includeQualifiers,
        const CIMPropertyList& propertyList) override;
    void deleteInstance(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName) override;
    CIMValue invokeMethod(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName, const CIMName& methodName,
        const Array<CIMParamValue>& inParameters,
        Array<CIMParamValue>& outParameters) override;

    Array<CIMObject> associators(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& assocClass,
        const CIMName& resultClass, const String& role, const String& resultRole,
        Boolean includeQualifiers, Boolean includeClassOrigin,
        const CIMPropertyList& propertyList) override;
    Array<CIMObjectPath> associatorNames(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& assocClass,
        const CIMName& resultClass, const String& role,
        const String& resultRole) override;
    Array<CIMObject> references(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& resultClass,
        const String& role, Boolean includeQualifiers, Boolean includeClassOrigin,
        const CIMPropertyList& propertyList) override;
    Array<CIMObjectPath> referenceNames(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& resultClass,
        const String& role) override;

private:
    OperationExecutor& _executor;
    AssociationOperations _associations;
};

}  // namespace Pegasus

#endif
