// Each up-call runs exactly like the client operation of the same name.
// Exceptions other than CIMException are turned into CIM_ERR_FAILED here,
// so that providers only ever see CIMException from their CIMOMHandle.
#include "ProviderUpcalls.h"

#include "OperationExecutor.h"
#include "Repository.h"

#include <exception>

namespace Pegasus {

namespace {

template <class Call>
auto upcall(Call call) -> decltype(call())
{
    try
    {
        return call();
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
}

}  // namespace

CIMClass ProviderUpcalls::getClass(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMName& className, Boolean localOnly, Boolean includeQualifiers,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList)
{
    return upcall([&] {
        return _executor.repository().getClass(nameSpace, className,
            localOnly, includeQualifiers, includeClassOrigin, propertyList);
    });
}

Array<CIMClass> ProviderUpcalls::enumerateClasses(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMName& className, Boolean deepInheritance, Boolean localOnly,
    Boolean includeQualifiers, Boolean includeClassOrigin)
{
    return upcall([&] {
        return _executor.repository().enumerateClasses(nameSpace, className,
            deepInheritance, localOnly, includeQualifiers, includeClassOrigin);
    });
}

Array<CIMName> ProviderUpcalls::enumerateClassNames(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMName& className, Boolean deepInheritance)
{
    return upcall([&] {
        return _executor.repository().enumerateClassNames(
            nameSpace, className, deepInheritance);
    });
}

void ProviderUpcalls::createClass(const OperationContext&,
                                  const CIMNamespaceName& nameSpace,
                                  const CIMClass& newClass)
{
    upcall([&] { _executor.repository().createClass(nameSpace, newClass); });
}

void ProviderUpcalls::modifyClass(const OperationContext&,
                                  const CIMNamespaceName& nameSpace,
                                  const CIMClass& modifiedClass)
{
    upcall([&] {
        _executor.repository().modifyClass(nameSpace, modifiedClass);
    });
}

void ProviderUpcalls::deleteClass(const OperationContext&,
                                  const CIMNamespaceName& nameSpace,
                                  const CIMName& className)
{
    upcall([&] { _executor.repository().deleteClass(nameSpace, className); });
}

CIMInstance ProviderUpcalls::getInstance(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName, Boolean localOnly,
    Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    return upcall([&] {
        return _executor.getInstance(nameSpace, instanceName, localOnly,
            includeQualifiers, includeClassOrigin, propertyList);
    });
}

Array<CIMInstance> ProviderUpcalls::enumerateInstances(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMName& className, Boolean deepInheritance, Boolean localOnly,
    Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    return upcall([&] {
        return _executor.enumerateInstances(nameSpace, className,
            deepInheritance, localOnly, includeQualifiers,
            includeClassOrigin, propertyList);
    });
}

Array<CIMObjectPath> ProviderUpcalls::enumerateInstanceNames(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMName& className)
{
    return upcall([&] {
        return _executor.enumerateInstanceNames(nameSpace, className);
    });
}

CIMObjectPath ProviderUpcalls::createInstance(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMInstance& newInstance)
{
    return upcall([&] {
        return _executor.createInstance(nameSpace, newInstance);
    });
}

void ProviderUpcalls::modifyInstance(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMInstance& modifiedInstance, Boolean includeQualifiers,
    const CIMPropertyList& propertyList)
{
    upcall([&] {
        _executor.modifyInstance(nameSpace, modifiedInstance,
                                 includeQualifiers, propertyList);
    });
}

void ProviderUpcalls::deleteInstance(const OperationContext&,
                                     const CIMNamespaceName& nameSpace,
                                     const CIMObjectPath& instanceName)
{
    upcall([&] { _executor.deleteInstance(nameSpace, instanceName); });
}

CIMValue ProviderUpcalls::invokeMethod(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName, const CIMName& methodName,
    const Array<CIMParamValue>& inParameters,
    Array<CIMParamValue>& outParameters)
{
    return upcall([&] {
        return _executor.invokeMethod(nameSpace, instanceName, methodName,
                                      inParameters, outParameters);
    });
}

// ---- associations ------------------------------------------------------

namespace {

// Everything a cursor gives.
template <class T>
Array<T> drain(std::unique_ptr<ObjectCursor<T>> cursor)
{
    Array<T> result;
    T object;
    while (cursor->next(object))
        result.append(object);
    return result;
}

AssociationQuery query(AssociationQuery::Kind kind,
                       const CIMNamespaceName& nameSpace,
                       const CIMObjectPath& objectName)
{
    AssociationQuery q;
    q.kind = kind;
    q.nameSpace = nameSpace;
    q.objectName = objectName;
    return q;
}

}  // namespace

Array<CIMObject> ProviderUpcalls::associators(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& assocClass,
    const CIMName& resultClass, const String& role, const String& resultRole,
    Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    AssociationQuery q =
        query(AssociationQuery::ASSOCIATORS, nameSpace, objectName);
    q.assocClass = assocClass;
    q.resultClass = resultClass;
    q.role = role;
    q.resultRole = resultRole;
    q.includeQualifiers = includeQualifiers;
    q.includeClassOrigin = includeClassOrigin;
    q.propertyList = propertyList;
    return upcall([&] { return drain(_associations.openObjects(q)); });
}

Array<CIMObjectPath> ProviderUpcalls::associatorNames(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& assocClass,
    const CIMName& resultClass, const String& role, const String& resultRole)
{
    AssociationQuery q =
        query(AssociationQuery::ASSOCIATORS, nameSpace, objectName);
    q.assocClass = assocClass;
    q.resultClass = resultClass;
    q.role = role;
    q.resultRole = resultRole;
    return upcall([&] { return drain(_associations.openNames(q)); });
}

Array<CIMObject> ProviderUpcalls::references(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& resultClass,
    const String& role, Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    AssociationQuery q =
        query(AssociationQuery::REFERENCES, nameSpace, objectName);
    q.resultClass = resultClass;
    q.role = role;
    q.includeQualifiers = includeQualifiers;
    q.includeClassOrigin = includeClassOrigin;
    q.propertyList = propertyList;
    return upcall([&] { return drain(_associations.openObjects(q)); });
}

Array<CIMObjectPath> ProviderUpcalls::referenceNames(
    const OperationContext&, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& resultClass,
    const String& role)
{
    AssociationQuery q =
        query(AssociationQuery::REFERENCES, nameSpace, objectName);
    q.resultClass = resultClass;
    q.role = role;
    return upcall([&] { return drain(_associations.openNames(q)); });
}

}  // namespace Pegasus
