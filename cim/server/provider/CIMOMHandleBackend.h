// The seam between CIMOMHandle (in libpegprovider, loaded into providers)
// and the server that executes the up-calls.
//
// A server installs one backend per process with installCIMOMHandleBackend;
// every CIMOMHandle then forwards its up-calls to it.  The backend's methods
// are called concurrently from provider threads and must be thread-safe;
// they throw CIMException for failed operations.
#ifndef KTA_CIM_PROVIDER_CIMOMHANDLEBACKEND_H
#define KTA_CIM_PROVIDER_CIMOMHANDLEBACKEND_H

#include <Pegasus/Provider/CIMOMHandle.h>

namespace Pegasus {

class CIMOMHandleBackend
{
public:
    virtual ~CIMOMHandleBackend() {}

    virtual CIMClass getClass(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className, Boolean localOnly, Boolean includeQualifiers,
        Boolean includeClassOrigin, const CIMPropertyList& propertyList) = 0;
    virtual Array<CIMClass> enumerateClasses(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className, Boolean deepInheritance, Boolean localOnly,
        Boolean includeQualifiers, Boolean includeClassOrigin) = 0;
    virtual Array<CIMName> enumerateClassNames(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className, Boolean deepInheritance) = 0;
    virtual void createClass(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMClass& newClass) = 0;
    virtual void modifyClass(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMClass& modifiedClass) = 0;
    virtual void deleteClass(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className) = 0;
    virtual CIMInstance getInstance(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName, Boolean localOnly,
        Boolean includeQualifiers, Boolean includeClassOrigin,
        const CIMPropertyList& propertyList) = 0;
    virtual Array<CIMInstance> enumerateInstances(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className, Boolean deepInheritance, Boolean localOnly,
        Boolean includeQualifiers, Boolean includeClassOrigin,
        const CIMPropertyList& propertyList) = 0;
    virtual Array<CIMObjectPath> enumerateInstanceNames(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMName& className) = 0;
    virtual CIMObjectPath createInstance(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMInstance& newInstance) = 0;
    virtual void modifyInstance(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMInstance& modifiedInstance, Boolean includeQualifiers,
        const CIMPropertyList& propertyList) = 0;
    virtual void deleteInstance(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName) = 0;
    virtual CIMValue invokeMethod(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& instanceName, const CIMName& methodName,
        const Array<CIMParamValue>& inParameters,
        Array<CIMParamValue>& outParameters) = 0;

    // The association operations; a backend that does not run them
    // answers CIM_ERR_NOT_SUPPORTED.
    virtual Array<CIMObject> associators(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& assocClass,
        const CIMName& resultClass, const String& role, const String& resultRole,
        Boolean includeQualifiers, Boolean includeClassOrigin,
        const CIMPropertyList& propertyList);
    virtual Array<CIMObjectPath> associatorNames(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& assocClass,
        const CIMName& resultClass, const String& role, const String& resultRole);
    virtual Array<CIMObject> references(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& resultClass,
        const String& role, Boolean includeQualifiers, Boolean includeClassOrigin,
        const CIMPropertyList& propertyList);
    virtual Array<CIMObjectPath> referenceNames(
        const OperationContext& context, const CIMNamespaceName& nameSpace,
        const CIMObjectPath& objectName, const CIMName& resultClass,
        const String& role);
};

// Makes backend the target of every CIMOMHandle in the process (0 detaches
// the current one).  Before it returns, waits until up-calls already running
// on the backend it replaces have finished, so that the caller may destroy
// that backend afterwards.  Must not be called from inside an up-call.
// Thread-safe.
void installCIMOMHandleBackend(CIMOMHandleBackend* backend);

// Detaches backend if it is the one installed (as installCIMOMHandleBackend
// with 0); does nothing otherwise.  Thread-safe.
void removeCIMOMHandleBackend(CIMOMHandleBackend* backend);

}  // namespace Pegasus

#endif
