#include "PropertyOperations.h"

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMPropertyList.h>

#include "InstanceRules.h"
#include "OperationExecutor.h"
#include "ProviderManager.h"

namespace Pegasus {

namespace {

// The declaration of the property in the instance's class.  Uninitialized
// when only a provider knows the class (it then judges the name itself).
CIMConstProperty declaration(OperationExecutor& x,
                             const CIMNamespaceName& nameSpace,
                             const CIMObjectPath& instanceName,
                             const CIMName& propertyName)
{
    const CIMName& className = instanceName.getClassName();
    if (className.isNull())
        throw CIMException(CIM_ERR_INVALID_PARAMETER, "InstanceName");
    const bool served = x.providerManager().hasProvider(
        nameSpace, className, INSTANCE_PROVIDER);
    Repository& repo = x.repository();
    if (served && (!repo.namespaceExists(nameSpace) ||
                   !repo.classExists(nameSpace, className)))
        return CIMConstProperty();
    if (!repo.classExists(nameSpace, className))
        throw CIMException(CIM_ERR_INVALID_CLASS, className.getString());
    CIMClass cimClass = repo.getClass(nameSpace, className, false, false,
                                      false, CIMPropertyList());
    Uint32 pos = cimClass.findProperty(propertyName);
    if (pos == PEG_NOT_FOUND)
        throw CIMException(CIM_ERR_NO_SUCH_PROPERTY, propertyName.getString());
    return static_cast<const CIMClass&>(cimClass).getProperty(pos);
}

CIMPropertyList only(const CIMName& propertyName)
{
    Array<CIMName> names;
    names.append(propertyName);
    return CIMPropertyList(names);
}

}  // namespace

CIMValue getPropertyValue(OperationExecutor& executor,
                          const CIMNamespaceName& nameSpace,
                          const CIMObjectPath& instanceName,
                          const CIMName& propertyName)
{
    CIMConstProperty declared =
        declaration(executor, nameSpace, instanceName, propertyName);
    CIMInstance instance = executor.getInstance(
        nameSpace, instanceName, false, false, false, only(propertyName));
    Uint32 pos = instance.findProperty(propertyName);
    if (pos != PEG_NOT_FOUND)
        return instance.getProperty(pos).getValue();
    if (declared.isUninitialized())
        throw CIMException(CIM_ERR_NO_SUCH_PROPERTY, propertyName.getString());
    return CIMValue(declared.getType(), declared.isArray());
}

void setPropertyValue(OperationExecutor& executor,
                      const CIMNamespaceName& nameSpace,
                      const CIMObjectPath& instanceName,
                      const CIMName& propertyName, const CIMValue& newValue)
{
    CIMConstProperty declared =
        declaration(executor, nameSpace, instanceName, propertyName);
    CIMValue value = newValue;
    CIMName referenceClass;
    CIMName name = propertyName;
    if (!declared.isUninitialized())
    {
        value = InstanceRules::convert(newValue, declared.getType(),
                                       declared.isArray(), declared.getName());
        referenceClass = declared.getReferenceClassName();
        name = declared.getName();
    }
    CIMInstance instance(instanceName.getClassName());
    instance.addProperty(CIMProperty(name, value, 0, referenceClass));
    instance.setPath(CIMObjectPath(String(), CIMNamespaceName(),
                                   instanceName.getClassName(),
                                   instanceName.getKeyBindings()));
    executor.modifyInstance(nameSpace, instance, false, only(name));
}

}  // namespace Pegasus
