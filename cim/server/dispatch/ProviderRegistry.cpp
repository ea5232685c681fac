// Registration rules for the three classes that bind a provider library to
// the classes it serves, and the table the provider manager routes by.
#include "ProviderRegistry.h"

#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>

namespace Pegasus {

namespace {

const char* const kInterfaceVersions[] = {
    "2.1.0", "2.2.0", "2.3.0", "2.5.0", "2.6.0", "2.9.0"};

// The property's value, or a null value when the instance lacks it.
CIMValue propertyValue(const CIMInstance& instance, const char* name)
{
    Uint32 pos = instance.findProperty(CIMName(name));
    if (pos == PEG_NOT_FOUND)
        return CIMValue();
    return instance.getProperty(pos).getValue();
}

CIMException missing(const char* property, const char* className)
{
    return CIMException(CIM_ERR_INVALID_PARAMETER,
        String("Missing ") + property +
        " which is required property in " + className + " class.");
}

CIMException unsupported(const char* property, const String& value)
{
    return CIMException(CIM_ERR_NOT_SUPPORTED,
        String("Unsupported ") + property + " value: \"" + value + "\"");
}

// A required string property; missing, null or not a string fails.
String requiredString(const CIMInstance& instance, const char* property,
                      const char* className)
{
    CIMValue value = propertyValue(instance, property);
    if (value.isNull() || value.isArray() || value.getType() != CIMTYPE_STRING)
        throw missing(property, className);
    String text;
    value.get(text);
    return text;
}

// A string property that may be absent; empty when it is.
String optionalString(const CIMInstance& instance, const char* property)
{
    CIMValue value = propertyValue(instance, property);
    String text;
    if (!value.isNull() && !value.isArray() &&
        value.getType() == CIMTYPE_STRING)
    {
        value.get(text);
    }
    return text;
}

// A required non-empty array property; missing, null, empty or of another
// type fails.
template <class T>
Array<T> requiredArray(const CIMInstance& instance, const char* property,
                       const char* className, CIMType type)
{
    CIMValue value = propertyValue(instance, property);
    if (value.isNull() || !value.isArray() || value.getType() != type)
        throw missing(property, className);
    Array<T> items;
    value.get(items);
    if (items.size() == 0)
        throw missing(property, className);
    return items;
}

String decimal(unsigned long long number)
{
    String text;
    text.appendPrintf("%llu", number);
    return text;
}

std::string joinKey(const String& a, const String& b)
{
    return foldedName(a) + '\n' + foldedName(b);
}

std::string routeKey(const CIMNamespaceName& nameSpace,
                     const CIMName& className, int type)
{
    return joinKey(nameSpace.getString(), className.getString()) + '\n' +
        std::to_string(type);
}

}  // namespace

ProviderRegistry::RegistrationClass ProviderRegistry::classify(
    const CIMName& className)
{
    if (className.equal("PG_ProviderModule"))
        return PROVIDER_MODULE;
    if (className.equal("PG_Provider"))
        return PROVIDER;
    if (className.equal("PG_ProviderCapabilities"))
        return PROVIDER_CAPABILITIES;
    if (className.equal("PG_ConsumerCapabilities"))
        return CONSUMER_CAPABILITIES;
    return NOT_REGISTRATION;
}

void ProviderRegistry::validateNew(CIMInstance& instance) const
{
    switch (classify(instance.getClassName()))
    {
    case PROVIDER_MODULE:
    {
        const char* const cls = "PG_ProviderModule";
        requiredString(instance, "Name", cls);
        requiredString(instance, "Vendor", cls);
        requiredString(instance, "Version", cls);
        String type = requiredString(instance, "InterfaceType", cls);
        // Only the C++ provider manager is built into this server.
        if (type != "C++Default")
            throw unsupported("InterfaceType", type);
        String version = requiredString(instance, "InterfaceVersion", cls);
        bool known = false;
        for (const char* v : kInterfaceVersions)
            known = known || version == v;
        if (!known)
            throw unsupported("InterfaceVersion", version);
        requiredString(instance, "Location", cls);

        CIMValue userContext = propertyValue(instance, "UserContext");
        if (!userContext.isNull())
        {
            Uint16 context = 0;
            if (userContext.isArray() ||
                userContext.getType() != CIMTYPE_UINT16)
            {
                throw CIMException(CIM_ERR_NOT_SUPPORTED,
                    "Unsupported UserContext value");
            }
            userContext.get(context);
            if (context < 2 || context > 5)
                throw unsupported("UserContext", decimal(context));
            if (context == 3)
                requiredString(instance, "DesignatedUserContext", cls);
        }

        Array<Uint16> ok;
        ok.append(2);
        Uint32 pos = instance.findProperty(CIMName("OperationalStatus"));
        if (pos != PEG_NOT_FOUND)
            instance.removeProperty(pos);
        instance.addProperty(CIMProperty(CIMName("OperationalStatus"),
                                         CIMValue(ok)));
        return;
    }
    case PROVIDER:
    {
        const char* const cls = "PG_Provider";
        String module = requiredString(instance, "ProviderModuleName", cls);
        requiredString(instance, "Name", cls);
        if (_modules.find(foldedName(module)) == _modules.end())
        {
            throw CIMException(CIM_ERR_FAILED,
                "PG_ProviderModule class needs to be registered before "
                "register the PG_Provider class");
        }
        return;
    }
    case PROVIDER_CAPABILITIES:
    {
        const char* const cls = "PG_ProviderCapabilities";
        String module = requiredString(instance, "ProviderModuleName", cls);
        String provider = requiredString(instance, "ProviderName", cls);
        requiredString(instance, "CapabilityID", cls);
        Array<Uint16> types = requiredArray<Uint16>(
            instance, "ProviderType", cls, CIMTYPE_UINT16);
        for (Uint32 i = 0; i < types.size(); i++)
        {
            // 7 (instance query) needs query support, which this server
            // does not have.
            if (types[i] < INSTANCE_PROVIDER || types[i] > CONSUMER_PROVIDER)
                throw unsupported("ProviderType", decimal(types[i]));
        }
        requiredString(instance, "ClassName", cls);
        requiredArray<String>(instance, "Namespaces", cls, CIMTYPE_STRING);
        if (_providers.find(joinKey(module, provider)) == _providers.end())
        {
            throw CIMException(CIM_ERR_FAILED,
                "PG_Provider class needs to be registered before register "
                "the capability class");
        }
        return;
    }
    case CONSUMER_CAPABILITIES:
    {
        const char* const cls = "PG_ConsumerCapabilities";
        String module = requiredString(instance, "ProviderModuleName", cls);
        String provider = requiredString(instance, "ProviderName", cls);
        requiredString(instance, "CapabilityID", cls);
        Array<Uint16> types = requiredArray<Uint16>(
            instance, "ProviderType", cls, CIMTYPE_UINT16);
        for (Uint32 i = 0; i < types.size(); i++)
        {
            if (types[i] != CONSUMER_PROVIDER)
                throw unsupported("ProviderType", decimal(types[i]));
        }
        requiredArray<String>(instance, "Destinations", cls, CIMTYPE_STRING);
        if (_providers.find(joinKey(module, provider)) == _providers.end())
        {
            throw CIMException(CIM_ERR_FAILED,
                "The provider must be registered before registering the "
                "consumer capabilities");
        }
        return;
    }
    case NOT_REGISTRATION:
        return;
    }
}

void ProviderRegistry::rebuild(const Array<CIMInstance>& modules,
                               const Array<CIMInstance>& providers,
                               const Array<CIMInstance>& capabilities)
{
    _modules.clear();
    _providers.clear();
    _routes.clear();
    for (Uint32 i = 0; i < modules.size(); i++)
        addModule(modules[i]);
    for (Uint32 i = 0; i < providers.size(); i++)
        addProvider(providers[i]);
    for (Uint32 i = 0; i < capabilities.size(); i++)
        addCapabilities(capabilities[i]);
}

void ProviderRegistry::add(const CIMInstance& instance)
{
    switch (classify(instance.getClassName()))
    {
    case PROVIDER_MODULE:
        addModule(instance);
        return;
    case PROVIDER:
        addProvider(instance);
        return;
    case PROVIDER_CAPABILITIES:
        addCapabilities(instance);
        return;
    case CONSUMER_CAPABILITIES:
    case NOT_REGISTRATION:
        return;
    }
}

void ProviderRegistry::addModule(const CIMInstance& instance)
{
    Module module;
    module.name = optionalString(instance, "Name");
    module.location = optionalString(instance, "Location");
    if (module.name.size() && module.location.size())
        _modules[foldedName(module.name)] = module;
}

void ProviderRegistry::addProvider(const CIMInstance& instance)
{
    String module = optionalString(instance, "ProviderModuleName");
    String name = optionalString(instance, "Name");
    if (module.size() && name.size())
        _providers[joinKey(module, name)] = true;
}

void ProviderRegistry::addCapabilities(const CIMInstance& capability)
{
    String moduleName = optionalString(capability, "ProviderModuleName");
    String providerName = optionalString(capability, "ProviderName");
    auto module = _modules.find(foldedName(moduleName));
    if (module == _modules.end() ||
        _providers.find(joinKey(moduleName, providerName)) == _providers.end())
    {
        return;
    }
    CIMValue typesValue = propertyValue(capability, "ProviderType");
    CIMValue namespacesValue = propertyValue(capability, "Namespaces");
    String className = optionalString(capability, "ClassName");
    if (typesValue.isNull() || namespacesValue.isNull() ||
        !typesValue.isArray() || !namespacesValue.isArray() ||
        typesValue.getType() != CIMTYPE_UINT16 ||
        namespacesValue.getType() != CIMTYPE_STRING ||
        !CIMName::legal(className))
    {
        return;
    }
    Array<Uint16> types;
    Array<String> namespaces;
    typesValue.get(types);
    namespacesValue.get(namespaces);

    ProviderRoute route;
    route.moduleName = module->second.name;
    route.providerName = providerName;
    route.location = module->second.location;
    for (Uint32 n = 0; n < namespaces.size(); n++)
    {
        if (!CIMNamespaceName::legal(namespaces[n]))
            continue;
        for (Uint32 t = 0; t < types.size(); t++)
        {
            // The first registration for a (namespace, class, type)
            // keeps it; later ones for the same triple are ignored.
            _routes.insert(std::make_pair(
                routeKey(CIMNamespaceName(namespaces[n]), CIMName(className),
                         types[t]),
                route));
        }
    }
}

const ProviderRoute* ProviderRegistry::find(const CIMNamespaceName& nameSpace,
                                            const CIMName& className,
                                            ProviderType type) const
{
    auto it = _routes.find(routeKey(nameSpace, className, type));
    return it == _routes.end() ? 0 : &it->second;
}

}  // namespace Pegasus
