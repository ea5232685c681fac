// Calls into providers: one function per provider operation, each taking a
// lease on the provider, handing it complete paths and a checking response
// handler, and turning whatever the provider throws into a CIMException
// (CIMException as thrown; other Exception and std::exception as
// CIM_ERR_FAILED with their text; anything else CIM_ERR_FAILED
// "Unknown error.").  A provider without the needed interface gives
// CIM_ERR_NOT_SUPPORTED "Invalid provider interface.".
//
// Thread-safe; the provider manager must outlive this object.
#ifndef KTA_CIM_DISPATCH_PROVIDERCALLS_H
#define KTA_CIM_DISPATCH_PROVIDERCALLS_H

#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/String.h>

namespace Pegasus {

class ProviderManager;

class ProviderCalls
{
public:
    // hostName goes into every path handed to a provider.
    ProviderCalls(ProviderManager& providerManager, const String& hostName);

    // The delivered instance, filtered by includeQualifiers,
    // includeClassOrigin and propertyList; its path is instanceName.
    CIMInstance getInstance(const CIMNamespaceName& nameSpace,
                            const CIMObjectPath& instanceName,
                            Boolean includeQualifiers,
                            Boolean includeClassOrigin,
                            const CIMPropertyList& propertyList);

    // The delivered instances of className, filtered as by getInstance
    // (copies: what the provider delivered is left alone).
    Array<CIMInstance> enumerateInstances(const CIMNamespaceName& nameSpace,
                                          const CIMName& className,
                                          Boolean includeQualifiers,
                                          Boolean includeClassOrigin,
                                          const CIMPropertyList& propertyList);

    Array<CIMObjectPath> enumerateInstanceNames(
        const CIMNamespaceName& nameSpace, const CIMName& className);

    // The path the provider delivered for the new instance.
    CIMObjectPath createInstance(const CIMNamespaceName& nameSpace,
                                 const CIMInstance& newInstance);

    void modifyInstance(const CIMNamespaceName& nameSpace,
                        const CIMInstance& modifiedInstance,
                        Boolean includeQualifiers,
                        const CIMPropertyList& propertyList);

    void deleteInstance(const CIMNamespaceName& nameSpace,
                        const CIMObjectPath& instanceName);

    // The return value (null if the provider delivered none); the out
    // parameters replace outParameters.
    CIMValue invokeMethod(const CIMNamespaceName& nameSpace,
                          const CIMObjectPath& objectName,
                          const CIMName& methodName,
                          const Array<CIMParamValue>& inParameters,
                          Array<CIMParamValue>& outParameters);

    // Calls of the association provider registered for associationClass:
    // associators and associatorNames get associationClass as their
    // association class, references and referenceNames as their result
    // class.  Objects come back as delivered, filtered as by getInstance.
    Array<CIMObject> associators(const CIMNamespaceName& nameSpace,
                                 const CIMObjectPath& objectName,
                                 const CIMName& associationClass,
                                 const CIMName& resultClass,
                                 const String& role, const String& resultRole,
                                 Boolean includeQualifiers,
                                 Boolean includeClassOrigin,
                                 const CIMPropertyList& propertyList);
    Array<CIMObjectPath> associatorNames(const CIMNamespaceName& nameSpace,
                                         const CIMObjectPath& objectName,
                                         const CIMName& associationClass,
                                         const CIMName& resultClass,
                                         const String& role,
                                         const String& resultRole);
    Array<CIMObject> references(const CIMNamespaceName& nameSpace,
                                const CIMObjectPath& objectName,
                                const CIMName& associationClass,
                                const String& role, Boolean includeQualifiers,
                                Boolean includeClassOrigin,
                                const CIMPropertyList& propertyList);
    Array<CIMObjectPath> referenceNames(const CIMNamespaceName& nameSpace,
                                        const CIMObjectPath& objectName,
                                        const CIMName& associationClass,
                                        const String& role);

    // objectName with this server's host and nameSpace.
    CIMObjectPath qualify(const CIMObjectPath& objectName,
                          const CIMNamespaceName& nameSpace) const;

private:
    ProviderManager& _providerManager;
    String _hostName;
};

}  // namespace Pegasus

#endif
