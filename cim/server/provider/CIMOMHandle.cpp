// CIMOMHandle forwards every up-call to the backend the server installed.
//
// The backend pointer is process-wide.  Each up-call registers itself as
// running before it uses the backend, so that a server replacing or
// detaching its backend can wait for the calls still inside it before the
// backend object goes away.
#include <Pegasus/Provider/CIMOMHandle.h>

#include "CIMOMHandleBackend.h"

#include <condition_variable>
#include <mutex>

PEGASUS_NAMESPACE_BEGIN

namespace {

struct BackendSlot
{
    std::mutex mutex;
    std::condition_variable idle;
    CIMOMHandleBackend* backend = 0;
    unsigned running = 0;
};

BackendSlot& slot()
{
    static BackendSlot theSlot;
    return theSlot;
}

// Holds the installed backend for the duration of one up-call.
class BackendUse
{
public:
    BackendUse()
    {
        BackendSlot& s = slot();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.backend)
        {
            throw CIMException(CIM_ERR_FAILED,
                "CIMOMHandle: no CIM server is running in this process");
        }
        _backend = s.backend;
        ++s.running;
    }

    ~BackendUse()
    {
        BackendSlot& s = slot();
        std::lock_guard<std::mutex> lock(s.mutex);
        if (--s.running == 0)
            s.idle.notify_all();
    }

    BackendUse(const BackendUse&) = delete;
    BackendUse& operator=(const BackendUse&) = delete;

    CIMOMHandleBackend* operator->() const { return _backend; }

private:
    CIMOMHandleBackend* _backend;
};

void replaceBackend(CIMOMHandleBackend* expected, bool onlyIfExpected,
                    CIMOMHandleBackend* replacement)
{
    BackendSlot& s = slot();
    std::unique_lock<std::mutex> lock(s.mutex);
    if (onlyIfExpected && s.backend != expected)
        return;
    s.backend = replacement;
    s.idle.wait(lock, [&s] { return s.running == 0; });
}

CIMException notSupported(const char* operation)
{
    return CIMException(CIM_ERR_NOT_SUPPORTED,
        String("CIMOMHandle: ") + operation + " is not supported");
}

}  // namespace

void installCIMOMHandleBackend(CIMOMHandleBackend* backend)
{
    replaceBackend(0, false, backend);
}

void removeCIMOMHandleBackend(CIMOMHandleBackend* backend)
{
    replaceBackend(backend, true, 0);
}

CIMOMHandle::CIMOMHandle() {}

CIMOMHandle::CIMOMHandle(const CIMOMHandle&) {}

CIMOMHandle::~CIMOMHandle() {}

CIMOMHandle& CIMOMHandle::operator=(const CIMOMHandle&)
{
    return *this;
}

CIMClass CIMOMHandle::getClass(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMName& className, Boolean localOnly, Boolean includeQualifiers,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList)
{
    BackendUse backend;
    return backend->getClass(context, nameSpace, className, localOnly,
        includeQualifiers, includeClassOrigin, propertyList);
}

Array<CIMClass> CIMOMHandle::enumerateClasses(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMName& className, Boolean deepInheritance, Boolean localOnly,
    Boolean includeQualifiers, Boolean includeClassOrigin)
{
    BackendUse backend;
    return backend->enumerateClasses(context, nameSpace, className,
        deepInheritance, localOnly, includeQualifiers, includeClassOrigin);
}

Array<CIMName> CIMOMHandle::enumerateClassNames(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMName& className, Boolean deepInheritance)
{
    BackendUse backend;
    return backend->enumerateClassNames(
        context, nameSpace, className, deepInheritance);
}

void CIMOMHandle::createClass(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMClass& newClass)
{
    BackendUse backend;
    backend->createClass(context, nameSpace, newClass);
}

void CIMOMHandle::modifyClass(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMClass& modifiedClass)
{
    BackendUse backend;
    backend->modifyClass(context, nameSpace, modifiedClass);
}

void CIMOMHandle::deleteClass(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMName& className)
{
    BackendUse backend;
    backend->deleteClass(context, nameSpace, className);
}

CIMInstance CIMOMHandle::getInstance(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName, Boolean localOnly,
    Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    BackendUse backend;
    return backend->getInstance(context, nameSpace, instanceName, localOnly,
        includeQualifiers, includeClassOrigin, propertyList);
}

Array<CIMInstance> CIMOMHandle::enumerateInstances(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMName& className, Boolean deepInheritance, Boolean localOnly,
    Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    BackendUse backend;
    return backend->enumerateInstances(context, nameSpace, className,
        deepInheritance, localOnly, includeQualifiers, includeClassOrigin,
        propertyList);
}

Array<CIMObjectPath> CIMOMHandle::enumerateInstanceNames(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMName& className)
{
    BackendUse backend;
    return backend->enumerateInstanceNames(context, nameSpace, className);
}

CIMObjectPath CIMOMHandle::createInstance(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMInstance& newInstance)
{
    BackendUse backend;
    return backend->createInstance(context, nameSpace, newInstance);
}

void CIMOMHandle::modifyInstance(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMInstance& modifiedInstance, Boolean includeQualifiers,
    const CIMPropertyList& propertyList)
{
    BackendUse backend;
    backend->modifyInstance(context, nameSpace, modifiedInstance,
        includeQualifiers, propertyList);
}

void CIMOMHandle::deleteInstance(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName)
{
    BackendUse backend;
    backend->deleteInstance(context, nameSpace, instanceName);
}

Array<CIMObject> CIMOMHandle::execQuery(
    const OperationContext&, const CIMNamespaceName&, const String&,
    const String&)
{
    throw notSupported("execQuery");
}

Array<CIMObject> CIMOMHandle::associators(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& assocClass,
    const CIMName& resultClass, const String& role, const String& resultRole,
    Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    BackendUse backend;
    return backend->associators(context, nameSpace, objectName, assocClass,
        resultClass, role, resultRole, includeQualifiers, includeClassOrigin,
        propertyList);
}

Array<CIMObjectPath> CIMOMHandle::associatorNames(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& assocClass,
    const CIMName& resultClass, const String& role, const String& resultRole)
{
    BackendUse backend;
    return backend->associatorNames(context, nameSpace, objectName,
        assocClass, resultClass, role, resultRole);
}

Array<CIMObject> CIMOMHandle::references(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& resultClass,
    const String& role, Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    BackendUse backend;
    return backend->references(context, nameSpace, objectName, resultClass,
        role, includeQualifiers, includeClassOrigin, propertyList);
}

Array<CIMObjectPath> CIMOMHandle::referenceNames(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& objectName, const CIMName& resultClass,
    const String& role)
{
    BackendUse backend;
    return backend->referenceNames(context, nameSpace, objectName,
        resultClass, role);
}

// The association operations of a backend that does not run them.
Array<CIMObject> CIMOMHandleBackend::associators(
    const OperationContext&, const CIMNamespaceName&, const CIMObjectPath&,
    const CIMName&, const CIMName&, const String&, const String&, Boolean,
    Boolean, const CIMPropertyList&)
{
    throw notSupported("associators");
}

Array<CIMObjectPath> CIMOMHandleBackend::associatorNames(
    const OperationContext&, const CIMNamespaceName&, const CIMObjectPath&,
    const CIMName&, const CIMName&, const String&, const String&)
{
    throw notSupported("associatorNames");
}

Array<CIMObject> CIMOMHandleBackend::references(
    const OperationContext&, const CIMNamespaceName&, const CIMObjectPath&,
    const CIMName&, const String&, Boolean, Boolean, const CIMPropertyList&)
{
    throw notSupported("references");
}

Array<CIMObjectPath> CIMOMHandleBackend::referenceNames(
    const OperationContext&, const CIMNamespaceName&, const CIMObjectPath&,
    const CIMName&, const String&)
{
    throw notSupported("referenceNames");
}

// GetProperty and SetProperty are served as a getInstance / modifyInstance
// restricted to the one property, which is how a client-side property
// access behaves on this server as well.
CIMValue CIMOMHandle::getProperty(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName, const CIMName& propertyName)
{
    Array<CIMName> names;
    names.append(propertyName);
    CIMInstance instance = getInstance(context, nameSpace, instanceName,
        false, false, false, CIMPropertyList(names));
    Uint32 pos = instance.findProperty(propertyName);
    if (pos == PEG_NOT_FOUND)
    {
        throw CIMException(CIM_ERR_NO_SUCH_PROPERTY,
            propertyName.getString());
    }
    return instance.getProperty(pos).getValue();
}

void CIMOMHandle::setProperty(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName, const CIMName& propertyName,
    const CIMValue& newValue)
{
    CIMInstance instance(instanceName.getClassName());
    instance.setPath(instanceName);
    instance.addProperty(CIMProperty(propertyName, newValue));
    Array<CIMName> names;
    names.append(propertyName);
    modifyInstance(context, nameSpace, instance, false,
        CIMPropertyList(names));
}

CIMValue CIMOMHandle::invokeMethod(
    const OperationContext& context, const CIMNamespaceName& nameSpace,
    const CIMObjectPath& instanceName, const CIMName& methodName,
    const Array<CIMParamValue>& inParameters,
    Array<CIMParamValue>& outParameters)
{
    BackendUse backend;
    return backend->invokeMethod(context, nameSpace, instanceName,
        methodName, inParameters, outParameters);
}

void CIMOMHandle::disallowProviderUnload() {}

void CIMOMHandle::allowProviderUnload() {}

OperationContext CIMOMHandle::getResponseContext()
{
    return OperationContext();
}

PEGASUS_NAMESPACE_END
