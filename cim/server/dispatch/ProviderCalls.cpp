#include "ProviderCalls.h"

#include <Pegasus/Common/OperationContext.h>
#include <Pegasus/Provider/CIMAssociationProvider.h>
#include <Pegasus/Provider/CIMInstanceProvider.h>
#include <Pegasus/Provider/CIMMethodProvider.h>

#include "ProviderManager.h"
#include "ProviderResponseHandlers.h"

#include <exception>

namespace Pegasus {

namespace {

// The context every provider call gets.  Authentication is not supported,
// so the user is always the empty name, as providers expect without it.
OperationContext requestContext()
{
    OperationContext context;
    context.insert(IdentityContainer(String()));
    context.insert(AcceptLanguageListContainer(AcceptLanguageList()));
    context.insert(ContentLanguageListContainer(ContentLanguageList()));
    return context;
}

// Runs a provider method and converts what it throws.  CIMException is
// caught first: it is also an Exception but must keep its code.
template <class Call>
void callProvider(Call call)
{
    try
    {
        call();
    }
    catch (const CIMException&)
    {
        throw;
    }
    catch (const Exception& e)
    {
        throw CIMException(CIM_ERR_FAILED, e.getMessage());
    }
    catch (const std::exception& e)
    {
        throw CIMException(CIM_ERR_FAILED, e.what());
    }
    catch (...)
    {
        throw CIMException(CIM_ERR_FAILED, "Unknown error.");
    }
}

template <class Interface>
Interface* providerInterface(const ProviderManager::ProviderLease& lease)
{
    Interface* provider = dynamic_cast<Interface*>(lease.get());
    if (!provider)
        throw CIMException(CIM_ERR_NOT_SUPPORTED, "Invalid provider interface.");
    return provider;
}

// A copy of what the provider delivered, reduced to what the client asked
// for; the provider may keep and reuse the objects it delivers.
CIMInstance filtered(const CIMInstance& instance, Boolean includeQualifiers,
                     Boolean includeClassOrigin,
                     const CIMPropertyList& propertyList)
{
    CIMInstance copy = instance.clone();
    copy.instanceFilter(includeQualifiers, includeClassOrigin, propertyList);
    return copy;
}

}  // namespace

ProviderCalls::ProviderCalls(ProviderManager& providerManager,
                             const String& hostName)
    : _providerManager(providerManager), _hostName(hostName)
{
}

CIMObjectPath ProviderCalls::qualify(const CIMObjectPath& objectName,
                                     const CIMNamespaceName& nameSpace) const
{
    CIMObjectPath path(objectName);
    path.setHost(_hostName);
    path.setNameSpace(nameSpace);
    return path;
}

CIMInstance ProviderCalls::getInstance(const CIMNamespaceName& nameSpace,
                                       const CIMObjectPath& instanceName,
                                       Boolean includeQualifiers,
                                       Boolean includeClassOrigin,
                                       const CIMPropertyList& propertyList)
{
    ProviderManager::ProviderLease lease = _providerManager.acquire(
        nameSpace, instanceName.getClassName(), INSTANCE_PROVIDER);
    CIMInstanceProvider* provider =
        providerInterface<CIMInstanceProvider>(lease);
    InstanceCollector handler(true);
    const CIMObjectPath reference = qualify(instanceName, nameSpace);
    const OperationContext context = requestContext();
    Array<CIMInstance> delivered;
    callProvider([&] {
        provider->getInstance(context, reference, includeQualifiers,
                              includeClassOrigin, propertyList, handler);
        delivered = handler.finish();
    });
    CIMInstance instance = filtered(delivered[0], includeQualifiers,
                                    includeClassOrigin, propertyList);
    instance.setPath(instanceName);
    return instance;
}

Array<CIMInstance> ProviderCalls::enumerateInstances(
    const CIMNamespaceName& nameSpace, const CIMName& className,
    Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    ProviderManager::ProviderLease lease =
        _providerManager.acquire(nameSpace, className, INSTANCE_PROVIDER);
    CIMInstanceProvider* provider =
        providerInterface<CIMInstanceProvider>(lease);
    InstanceCollector handler(false);
    const CIMObjectPath reference =
        qualify(CIMObjectPath(String(), CIMNamespaceName(), className),
                nameSpace);
    const OperationContext context = requestContext();
    Array<CIMInstance> delivered;
    callProvider([&] {
        provider->enumerateInstances(context, reference, includeQualifiers,
                                     includeClassOrigin, propertyList,
                                     handler);
        delivered = handler.finish();
    });
    Array<CIMInstance> result;
    for (Uint32 i = 0; i < delivered.size(); i++)
    {
        result.append(filtered(delivered[i], includeQualifiers,
                               includeClassOrigin, propertyList));
    }
    return result;
}

Array<CIMObjectPath> ProviderCalls::enumerateInstanceNames(
    const CIMNamespaceName& nameSpace, const CIMName& className)
{
    ProviderManager::ProviderLease lease =
        _providerManager.acquire(nameSpace, className, INSTANCE_PROVIDER);
    CIMInstanceProvider* provider =
        providerInterface<CIMInstanceProvider>(lease);
    ObjectPathCollector handler(false);
    const CIMObjectPath reference =
        qualify(CIMObjectPath(String(), CIMNamespaceName(), className),
                nameSpace);
    const OperationContext context = requestContext();
    Array<CIMObjectPath> delivered;
    callProvider([&] {
        provider->enumerateInstanceNames(context, reference, handler);
        delivered = handler.finish();
    });
    return delivered;
}

CIMObjectPath ProviderCalls::createInstance(const CIMNamespaceName& nameSpace,
                                            const CIMInstance& newInstance)
{
    ProviderManager::ProviderLease lease = _providerManager.acquire(
        nameSpace, newInstance.getClassName(), INSTANCE_PROVIDER);
    CIMInstanceProvider* provider =
        providerInterface<CIMInstanceProvider>(lease);
    ObjectPathCollector handler(true);
    // The reference carries whatever keys the new instance's path has.
    CIMObjectPath reference = qualify(newInstance.getPath(), nameSpace);
    reference.setClassName(newInstance.getClassName());
    const OperationContext context = requestContext();
    Array<CIMObjectPath> delivered;
    callProvider([&] {
        provider->createInstance(context, reference, newInstance, handler);
        delivered = handler.finish();
    });
    return delivered[0];
}

void ProviderCalls::modifyInstance(const CIMNamespaceName& nameSpace,
                                   const CIMInstance& modifiedInstance,
                                   Boolean includeQualifiers,
                                   const CIMPropertyList& propertyList)
{
    CIMObjectPath path = modifiedInstance.getPath();
    if (path.getClassName().isNull())
        path.setClassName(modifiedInstance.getClassName());
    ProviderManager::ProviderLease lease = _providerManager.acquire(
        nameSpace, path.getClassName(), INSTANCE_PROVIDER);
    CIMInstanceProvider* provider =
        providerInterface<CIMInstanceProvider>(lease);
    SimpleOperationHandler handler;
    const CIMObjectPath reference = qualify(path, nameSpace);
    const OperationContext context = requestContext();
    callProvider([&] {
        provider->modifyInstance(context, reference, modifiedInstance,
                                 includeQualifiers, propertyList, handler);
    });
}

void ProviderCalls::deleteInstance(const CIMNamespaceName& nameSpace,
                                   const CIMObjectPath& instanceName)
{
    ProviderManager::ProviderLease lease = _providerManager.acquire(
        nameSpace, instanceName.getClassName(), INSTANCE_PROVIDER);
    CIMInstanceProvider* provider =
        providerInterface<CIMInstanceProvider>(lease);
    SimpleOperationHandler handler;
    const CIMObjectPath reference = qualify(instanceName, nameSpace);
    const OperationContext context = requestContext();
    callProvider([&] {
        provider->deleteInstance(context, reference, handler);
    });
}

CIMValue ProviderCalls::invokeMethod(const CIMNamespaceName& nameSpace,
                                     const CIMObjectPath& objectName,
                                     const CIMName& methodName,
                                     const Array<CIMParamValue>& inParameters,
                                     Array<CIMParamValue>& outParameters)
{
    ProviderManager::ProviderLease lease = _providerManager.acquire(
        nameSpace, objectName.getClassName(), METHOD_PROVIDER);
    CIMMethodProvider* provider = providerInterface<CIMMethodProvider>(lease);
    MethodResultCollector handler;
    const CIMObjectPath reference = qualify(objectName, nameSpace);
    const OperationContext context = requestContext();
    callProvider([&] {
        provider->invokeMethod(context, reference, methodName, inParameters,
                               handler);
    });
    outParameters = handler.outParameters();
    return handler.returnValue();
}

// ---- association providers ----------------------------------------------

namespace {

Array<CIMObject> filteredObjects(const Array<CIMObject>& delivered,
                                 Boolean includeQualifiers,
                                 Boolean includeClassOrigin,
                                 const CIMPropertyList& propertyList)
{
    Array<CIMObject> result;
    for (Uint32 i = 0; i < delivered.size(); i++)
    {
        CIMObject copy = delivered[i].clone();
        copy.instanceFilter(includeQualifiers, includeClassOrigin, propertyList);
        result.append(copy);
    }
    return result;
}

}  // namespace

Array<CIMObject> ProviderCalls::associators(
    const CIMNamespaceName& nameSpace, const CIMObjectPath& objectName,
    const CIMName& associationClass, const CIMName& resultClass,
    const String& role, const String& resultRole, Boolean includeQualifiers,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList)
{
    ProviderManager::ProviderLease lease = _providerManager.acquire(
        nameSpace, associationClass, ASSOCIATION_PROVIDER);
    CIMAssociationProvider* provider =
        providerInterface<CIMAssociationProvider>(lease);
    ObjectCollector handler;
    const CIMObjectPath reference = qualify(objectName, nameSpace);
    const OperationContext context = requestContext();
    Array<CIMObject> delivered;
    callProvider([&] {
        provider->associators(context, reference, associationClass,
                              resultClass, role, resultRole,
                              includeQualifiers, includeClassOrigin,
                              propertyList, handler);
        delivered = handler.finish();
    });
    return filteredObjects(delivered, includeQualifiers, includeClassOrigin,
                           propertyList);
}

Array<CIMObjectPath> ProviderCalls::associatorNames(
    const CIMNamespaceName& nameSpace, const CIMObjectPath& objectName,
    const CIMName& associationClass, const CIMName& resultClass,
    const String& role, const String& resultRole)
{
    ProviderManager::ProviderLease lease = _providerManager.acquire(
        nameSpace, associationClass, ASSOCIATION_PROVIDER);
    CIMAssociationProvider* provider =
        providerInterface<CIMAssociationProvider>(lease);
    ObjectPathCollector handler(false);
    const CIMObjectPath reference = qualify(objectName, nameSpace);
    const OperationContext context = requestContext();
    Array<CIMObjectPath> delivered;
    callProvider([&] {
        provider->associatorNames(context, reference, associationClass,
                                  resultClass, role, resultRole, handler);
        delivered = handler.finish();
    });
    return delivered;
}

Array<CIMObject> ProviderCalls::references(
    const CIMNamespaceName& nameSpace, const CIMObjectPath& objectName,
    const CIMName& associationClass, const String& role,
    Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    ProviderManager::ProviderLease lease = _providerManager.acquire(
        nameSpace, associationClass, ASSOCIATION_PROVIDER);
    CIMAssociationProvider* provider =
        providerInterface<CIMAssociationProvider>(lease);
    ObjectCollector handler;
    const CIMObjectPath reference = qualify(objectName, nameSpace);
    const OperationContext context = requestContext();
    Array<CIMObject> delivered;
    callProvider([&] {
        provider->references(context, reference, associationClass, role,
                             includeQualifiers, includeClassOrigin,
                             propertyList, handler);
        delivered = handler.finish();
    });
    return filteredObjects(delivered, includeQualifiers, includeClassOrigin,
                           propertyList);
}

Array<CIMObjectPath> ProviderCalls::referenceNames(
    const CIMNamespaceName& nameSpace, const CIMObjectPath& objectName,
    const CIMName& associationClass, const String& role)
{
    ProviderManager::ProviderLease lease = _providerManager.acquire(
        nameSpace, associationClass, ASSOCIATION_PROVIDER);
    CIMAssociationProvider* provider =
        providerInterface<CIMAssociationProvider>(lease);
    ObjectPathCollector handler(false);
    const CIMObjectPath reference = qualify(objectName, nameSpace);
    const OperationContext context = requestContext();
    Array<CIMObjectPath> delivered;
    callProvider([&] {
        provider->referenceNames(context, reference, associationClass, role,
                                 handler);
        delivered = handler.finish();
    });
    return delivered;
}

}  // namespace Pegasus
