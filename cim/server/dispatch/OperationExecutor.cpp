#include "OperationExecutor.h"

#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/CIMParameter.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/Constants.h>

#include "CimXmlValues.h"
#include "ProviderManager.h"
#include "Repository.h"

#include <set>
#include <string>
#include <vector>

namespace Pegasus {

namespace {

std::string utf8(const String& text)
{
    return std::string(static_cast<const char*>(text.getCString()));
}

// The namespace a __Namespace instance stands for: its Name is relative to
// the namespace of the request, and an empty Name is that namespace itself
// (this is how the MOF compiler asks for the namespace it loads into).
CIMNamespaceName namespaceOf(const CIMNamespaceName& nameSpace,
                             const String& name)
{
    String full = nameSpace.getString();
    if (name.size() != 0)
        full = full.size() ? full + "/" + name : name;
    try
    {
        return CIMNamespaceName(full);
    }
    catch (const Exception&)
    {
        throw CIMException(CIM_ERR_INVALID_PARAMETER,
            "invalid CIM namespace name: " + full);
    }
}

String stringProperty(const CIMInstance& instance, const char* name)
{
    String text;
    Uint32 pos = instance.findProperty(CIMName(name));
    if (pos != PEG_NOT_FOUND)
    {
        CIMValue value = instance.getProperty(pos).getValue();
        if (!value.isNull() && !value.isArray() &&
            value.getType() == CIMTYPE_STRING)
        {
            value.get(text);
        }
    }
    return text;
}

// Keeps only the properties named in keep (lower-case names).
void keepProperties(CIMInstance& instance, const std::set<std::string>& keep)
{
    for (Uint32 i = instance.getPropertyCount(); i-- > 0;)
    {
        if (!keep.count(foldedKey(instance.getProperty(i).getName().getString())))
            instance.removeProperty(i);
    }
}

// A provider may deliver instances without setting their paths; build the
// path from the key properties then, so that the client gets a usable name.
void completePath(CIMInstance& instance, const CIMClass& cimClass)
{
    if (instance.getPath().getKeyBindings().size() != 0 ||
        cimClass.isUninitialized())
    {
        return;
    }
    try
    {
        instance.setPath(instance.buildPath(cimClass));
    }
    catch (const Exception&)
    {
        // Key properties missing: leave the path as delivered.
    }
}

// A parameter's value converted to the declared type.
CIMValue typedValue(const CIMValue& value, const CIMConstParameter& declared)
{
    const CIMType type = declared.getType();
    if (value.isNull())
        return CIMValue(type, declared.isArray());
    if (value.getType() != CIMTYPE_STRING || type == CIMTYPE_STRING ||
        type == CIMTYPE_OBJECT || type == CIMTYPE_INSTANCE)
    {
        return value;
    }
    if (value.isArray())
    {
        Array<String> texts;
        value.get(texts);
        std::vector<std::string> items;
        for (Uint32 i = 0; i < texts.size(); i++)
            items.push_back(utf8(texts[i]));
        if (type == CIMTYPE_REFERENCE)
            return value;
        return CimXmlValues::arrayFromTexts(type, items);
    }
    String text;
    value.get(text);
    if (type == CIMTYPE_REFERENCE)
        return CIMValue(CIMObjectPath(text));
    std::string bytes = utf8(text);
    return CimXmlValues::scalarFromText(type, bytes.data(), bytes.size());
}

}  // namespace

OperationExecutor::OperationExecutor(Repository& repository,
                                     ProviderManager& providerManager,
                                     const String& hostName)
    : _repository(repository),
      _providerManager(providerManager),
      _providers(providerManager, hostName)
{
}

bool OperationExecutor::hasInstanceProvider(const CIMNamespaceName& nameSpace,
                                            const CIMName& className) const
{
    return _providerManager.hasProvider(nameSpace, className,
                                        INSTANCE_PROVIDER);
}

bool OperationExecutor::classExists(const CIMNamespaceName& nameSpace,
                                    const CIMName& className) const
{
    try
    {
        return _repository.classExists(nameSpace, className);
    }
    catch (const CIMException&)
    {
        return false;   // no such namespace
    }
}

Array<CIMName> OperationExecutor::classesToGather(
    const CIMNamespaceName& nameSpace, const CIMName& className) const
{
    Array<CIMName> classes;
    if (!classExists(nameSpace, className))
    {
        // Only a built-in provider can serve a class the repository lacks;
        // otherwise the repository reports the missing class.
        if (hasInstanceProvider(nameSpace, className))
            classes.append(className);
        return classes;
    }
    Array<CIMName> family =
        _repository.enumerateSubclassNames(nameSpace, className);
    for (Uint32 i = 0; i < family.size(); i++)
    {
        if (hasInstanceProvider(nameSpace, family[i]))
            return family;
    }
    return classes;
}

CIMInstance OperationExecutor::getInstance(
    const CIMNamespaceName& nameSpace, const CIMObjectPath& instanceName,
    Boolean localOnly, Boolean includeQualifiers, Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    if (hasInstanceProvider(nameSpace, instanceName.getClassName()))
    {
        return _providers.getInstance(nameSpace, instanceName,
                                      includeQualifiers, includeClassOrigin,
                                      propertyList);
    }
    return _repository.getInstance(nameSpace, instanceName, localOnly,
                                   includeQualifiers, includeClassOrigin,
                                   propertyList);
}

Array<CIMInstance> OperationExecutor::enumerateInstances(
    const CIMNamespaceName& nameSpace, const CIMName& className,
    Boolean deepInheritance, Boolean localOnly, Boolean includeQualifiers,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList)
{
    Array<CIMName> classes = classesToGather(nameSpace, className);
    if (classes.size() == 0)
    {
        return _repository.enumerateInstances(
            nameSpace, className, deepInheritance, localOnly,
            includeQualifiers, includeClassOrigin, propertyList);
    }

    // Without deepInheritance, instances of subclasses show only the
    // properties of the class asked for, as the repository does it.
    std::set<std::string> requestedProperties;
    const bool narrow = !deepInheritance && classes.size() > 1;
    if (narrow)
    {
        CIMClass requested = _repository.getClass(
            nameSpace, className, false, false, false, CIMPropertyList());
        for (Uint32 i = 0; i < requested.getPropertyCount(); i++)
        {
            requestedProperties.insert(
                foldedKey(requested.getProperty(i).getName().getString()));
        }
    }

    Array<CIMInstance> result;
    for (Uint32 c = 0; c < classes.size(); c++)
    {
        Array<CIMInstance> part;
        if (hasInstanceProvider(nameSpace, classes[c]))
        {
            part = _providers.enumerateInstances(
                nameSpace, classes[c], includeQualifiers, includeClassOrigin,
                propertyList);
            CIMClass cimClass;
            if (classExists(nameSpace, classes[c]))
            {
                cimClass = _repository.getClass(nameSpace, classes[c], false,
                                                true, false, CIMPropertyList());
            }
            for (Uint32 i = 0; i < part.size(); i++)
                completePath(part[i], cimClass);
        }
        else
        {
            part = _repository.enumerateInstancesForClass(
                nameSpace, classes[c], localOnly, includeQualifiers,
                includeClassOrigin, propertyList);
        }
        for (Uint32 i = 0; i < part.size(); i++)
        {
            if (narrow && c > 0)
                keepProperties(part[i], requestedProperties);
            result.append(part[i]);
        }
    }
    return result;
}

Array<CIMObjectPath> OperationExecutor::enumerateInstanceNames(
    const CIMNamespaceName& nameSpace, const CIMName& className)
{
    Array<CIMName> classes = classesToGather(nameSpace, className);
    if (classes.size() == 0)
        return _repository.enumerateInstanceNames(nameSpace, className);

    Array<CIMObjectPath> result;
    for (Uint32 c = 0; c < classes.size(); c++)
    {
        Array<CIMObjectPath> part =
            hasInstanceProvider(nameSpace, classes[c])
                ? _providers.enumerateInstanceNames(nameSpace, classes[c])
                : _repository.enumerateInstanceNamesForClass(nameSpace,
                                                             classes[c]);
        result.appendArray(part);
    }
    return result;
}

CIMObjectPath OperationExecutor::createInstance(
    const CIMNamespaceName& nameSpace, const CIMInstance& newInstance)
{
    const CIMName& className = newInstance.getClassName();
    if (className.equal(PEGASUS_CLASSNAME___NAMESPACE))
        return createNamespace(nameSpace, newInstance);
    if (ProviderManager::isRegistrationClass(nameSpace, className))
        return _providerManager.createRegistration(newInstance);
    if (hasInstanceProvider(nameSpace, className))
        return _providers.createInstance(nameSpace, newInstance);
    return _repository.createInstance(nameSpace, newInstance);
}

CIMObjectPath OperationExecutor::createNamespace(
    const CIMNamespaceName& nameSpace, const CIMInstance& instance)
{
    CIMNamespaceName created =
        namespaceOf(nameSpace, stringProperty(instance, "Name"));
    _repository.createNamespace(created);

    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding(CIMName("Name"), created.getString(),
                              CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(),
                         PEGASUS_CLASSNAME___NAMESPACE, keys);
}

void OperationExecutor::modifyInstance(const CIMNamespaceName& nameSpace,
                                       const CIMInstance& modifiedInstance,
                                       Boolean includeQualifiers,
                                       const CIMPropertyList& propertyList)
{
    CIMName className = modifiedInstance.getPath().getClassName();
    if (className.isNull())
        className = modifiedInstance.getClassName();
    if (ProviderManager::isRegistrationClass(nameSpace, className))
    {
        _repository.modifyInstance(nameSpace, modifiedInstance,
                                   includeQualifiers, propertyList);
        _providerManager.reloadRegistrations();
        return;
    }
    if (hasInstanceProvider(nameSpace, className))
    {
        _providers.modifyInstance(nameSpace, modifiedInstance,
                                  includeQualifiers, propertyList);
        return;
    }
    _repository.modifyInstance(nameSpace, modifiedInstance, includeQualifiers,
                               propertyList);
}

void OperationExecutor::deleteInstance(const CIMNamespaceName& nameSpace,
                                       const CIMObjectPath& instanceName)
{
    const CIMName& className = instanceName.getClassName();
    if (className.equal(PEGASUS_CLASSNAME___NAMESPACE))
    {
        String name;
        const Array<CIMKeyBinding>& keys = instanceName.getKeyBindings();
        for (Uint32 i = 0; i < keys.size(); i++)
        {
            if (keys[i].getName().equal("Name"))
                name = keys[i].getValue();
        }
        _repository.deleteNamespace(namespaceOf(nameSpace, name));
        return;
    }
    if (ProviderManager::isRegistrationClass(nameSpace, className))
    {
        _repository.deleteInstance(nameSpace, instanceName);
        _providerManager.reloadRegistrations();
        return;
    }
    if (hasInstanceProvider(nameSpace, className))
    {
        _providers.deleteInstance(nameSpace, instanceName);
        return;
    }
    _repository.deleteInstance(nameSpace, instanceName);
}

CIMValue OperationExecutor::invokeMethod(
    const CIMNamespaceName& nameSpace, const CIMObjectPath& objectName,
    const CIMName& methodName, const Array<CIMParamValue>& inParameters,
    Array<CIMParamValue>& outParameters)
{
    const CIMName& className = objectName.getClassName();
    if (_providerManager.hasProvider(nameSpace, className, METHOD_PROVIDER))
    {
        Array<CIMParamValue> parameters =
            typedParameters(nameSpace, className, methodName, inParameters);
        return _providers.invokeMethod(nameSpace, objectName, methodName,
                                       parameters, outParameters);
    }
    if (!_repository.namespaceExists(nameSpace))
        throw CIMException(CIM_ERR_INVALID_NAMESPACE, nameSpace.getString());
    if (!_repository.classExists(nameSpace, className))
        throw CIMException(CIM_ERR_INVALID_CLASS, className.getString());
    throw CIMException(CIM_ERR_METHOD_NOT_AVAILABLE, methodName.getString());
}

Array<CIMParamValue> OperationExecutor::typedParameters(
    const CIMNamespaceName& nameSpace, const CIMName& className,
    const CIMName& methodName, const Array<CIMParamValue>& parameters)
{
    bool untyped = false;
    for (Uint32 i = 0; i < parameters.size(); i++)
        untyped = untyped || !parameters[i].isTyped();
    if (!untyped || !classExists(nameSpace, className))
        return parameters;

    CIMClass cimClass = _repository.getClass(nameSpace, className, false,
                                             false, false, CIMPropertyList());
    Uint32 methodPos = cimClass.findMethod(methodName);
    if (methodPos == PEG_NOT_FOUND)
        return parameters;
    CIMConstMethod method = static_cast<const CIMClass&>(cimClass)
                                .getMethod(methodPos);

    Array<CIMParamValue> result;
    for (Uint32 i = 0; i < parameters.size(); i++)
    {
        const CIMParamValue& parameter = parameters[i];
        Uint32 pos = PEG_NOT_FOUND;
        if (!parameter.isTyped() &&
            CIMName::legal(parameter.getParameterName()))
        {
            pos = method.findParameter(CIMName(parameter.getParameterName()));
        }
        if (pos == PEG_NOT_FOUND)
        {
            result.append(parameter);
            continue;
        }
        try
        {
            result.append(CIMParamValue(
                parameter.getParameterName(),
                typedValue(parameter.getValue(), method.getParameter(pos)),
                true));
        }
        catch (const Exception& e)
        {
            throw CIMException(CIM_ERR_INVALID_PARAMETER,
                parameter.getParameterName() + ": " + e.getMessage());
        }
    }
    return result;
}

}  // namespace Pegasus
