#include "OperationExecutor.h"
#include "Utf8Text.h"

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
        if (!keep.count(foldedName(instance.getProperty(i).getName().getString())))
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
            items.push_back(utf8Text(texts[i]));
        if (type == CIMTYPE_REFERENCE)
            return value;
        return CimXmlValues::arrayFromTexts(type, items);
    }
    String text;
    value.get(text);
    if (type == CIMTYPE_REFERENCE)
        return CIMValue(CIMObjectPath(text));
    std::string bytes = utf8Text(text);
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

// Walks the classes of an enumeration that involves providers, asking
// each class's provider or the repository for its instances in turn.
class OperationExecutor::Gathering : public InstanceCursor
{
public:
    Gathering(OperationExecutor& executor, const CIMNamespaceName& nameSpace,
              const Array<CIMName>& classes, Boolean deepInheritance,
              Boolean localOnly, Boolean includeQualifiers,
              Boolean includeClassOrigin, const CIMPropertyList& propertyList)
        : _x(executor),
          _nameSpace(nameSpace),
          _classes(classes),
          _localOnly(localOnly),
          _includeQualifiers(includeQualifiers),
          _includeClassOrigin(includeClassOrigin),
          _propertyList(propertyList)
    {
        // Without deepInheritance, instances of subclasses show only the
        // properties of the class asked for, as the repository does it.
        _narrow = !deepInheritance && classes.size() > 1;
        if (_narrow)
        {
            CIMClass requested = _x._repository.getClass(
                nameSpace, classes[0], false, false, false, CIMPropertyList());
            for (Uint32 i = 0; i < requested.getPropertyCount(); i++)
            {
                _requestedProperties.insert(
                    foldedName(requested.getProperty(i).getName().getString()));
            }
        }
    }

    bool next(CIMInstance& instance) override
    {
        for (;;)
        {
            if (_cursor)
            {
                if (_cursor->next(instance))
                    return deliver(instance);
                _cursor.reset();
            }
            else if (_pos < _part.size())
            {
                instance = _part[_pos++];
                return deliver(instance);
            }
            if (_next >= _classes.size())
                return false;
            openClass(_next++);
        }
    }

private:
    void openClass(Uint32 c)
    {
        const CIMName& className = _classes[c];
        _part.clear();
        _pos = 0;
        if (!_x.hasInstanceProvider(_nameSpace, className))
        {
            _cursor = _x._repository.openInstancesForClass(
                _nameSpace, className, _localOnly, _includeQualifiers,
                _includeClassOrigin, _propertyList);
            return;
        }
        _part = _x._providers.enumerateInstances(
            _nameSpace, className, _includeQualifiers, _includeClassOrigin,
            _propertyList);
        CIMClass cimClass;
        if (_x.classExists(_nameSpace, className))
        {
            cimClass = _x._repository.getClass(_nameSpace, className, false,
                                               true, false, CIMPropertyList());
        }
        for (Uint32 i = 0; i < _part.size(); i++)
            completePath(_part[i], cimClass);
    }

    // The instance comes from class _next - 1.
    bool deliver(CIMInstance& instance)
    {
        if (_narrow && _next > 1)
            keepProperties(instance, _requestedProperties);
        return true;
    }

    OperationExecutor& _x;
    CIMNamespaceName _nameSpace;
    Array<CIMName> _classes;
    Boolean _localOnly;
    Boolean _includeQualifiers;
    Boolean _includeClassOrigin;
    CIMPropertyList _propertyList;
    bool _narrow = false;
    std::set<std::string> _requestedProperties;
    Uint32 _next = 0;
    std::unique_ptr<InstanceCursor> _cursor;
    Array<CIMInstance> _part;
    Uint32 _pos = 0;
};

std::unique_ptr<InstanceCursor> OperationExecutor::openInstances(
    const CIMNamespaceName& nameSpace, const CIMName& className,
    Boolean deepInheritance, Boolean localOnly, Boolean includeQualifiers,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList)
{
    Array<CIMName> classes = classesToGather(nameSpace, className);
    if (classes.size() == 0)
    {
        return _repository.openInstances(
            nameSpace, className, deepInheritance, localOnly,
            includeQualifiers, includeClassOrigin, propertyList);
    }
    return std::unique_ptr<InstanceCursor>(new Gathering(
        *this, nameSpace, classes, deepInheritance, localOnly,
        includeQualifiers, includeClassOrigin, propertyList));
}

Array<CIMInstance> OperationExecutor::enumerateInstances(
    const CIMNamespaceName& nameSpace, const CIMName& className,
    Boolean deepInheritance, Boolean localOnly, Boolean includeQualifiers,
    Boolean includeClassOrigin, const CIMPropertyList& propertyList)
{
    std::unique_ptr<InstanceCursor> cursor =
        openInstances(nameSpace, className, deepInheritance, localOnly,
                      includeQualifiers, includeClassOrigin, propertyList);
    Array<CIMInstance> result;
    CIMInstance instance;
    while (cursor->next(instance))
        result.append(instance);
    return result;
}

// The names of an enumeration that involves providers, class by class.
class OperationExecutor::NameGathering : public InstanceNameCursor
{
public:
    NameGathering(OperationExecutor& executor, const CIMNamespaceName& nameSpace,
                  const Array<CIMName>& classes)
        : _x(executor), _nameSpace(nameSpace), _classes(classes)
    {
    }

    bool next(CIMObjectPath& name) override
    {
        for (;;)
        {
            if (_cursor)
            {
                if (_cursor->next(name))
                    return true;
                _cursor.reset();
            }
            else if (_pos < _part.size())
            {
                name = _part[_pos++];
                return true;
            }
            if (_next >= _classes.size())
                return false;
            const CIMName& className = _classes[_next++];
            _part.clear();
            _pos = 0;
            if (_x.hasInstanceProvider(_nameSpace, className))
                _part = _x._providers.enumerateInstanceNames(_nameSpace, className);
            else
                _cursor = _x._repository.openInstanceNamesForClass(_nameSpace, className);
        }
    }

private:
    OperationExecutor& _x;
    CIMNamespaceName _nameSpace;
    Array<CIMName> _classes;
    Uint32 _next = 0;
    std::unique_ptr<InstanceNameCursor> _cursor;
    Array<CIMObjectPath> _part;
    Uint32 _pos = 0;
};

std::unique_ptr<InstanceNameCursor> OperationExecutor::openInstanceNames(
    const CIMNamespaceName& nameSpace, const CIMName& className)
{
    Array<CIMName> classes = classesToGather(nameSpace, className);
    if (classes.size() == 0)
        return _repository.openInstanceNames(nameSpace, className);
    return std::unique_ptr<InstanceNameCursor>(
        new NameGathering(*this, nameSpace, classes));
}

Array<CIMObjectPath> OperationExecutor::enumerateInstanceNames(
    const CIMNamespaceName& nameSpace, const CIMName& className)
{
    std::unique_ptr<InstanceNameCursor> cursor =
        openInstanceNames(nameSpace, className);
    Array<CIMObjectPath> result;
    CIMObjectPath name;
    while (cursor->next(name))
        result.append(name);
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
