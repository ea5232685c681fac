#include "BuiltinProviders.h"

#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Provider/ProviderException.h>

namespace Pegasus {

namespace {

const char kConfigSettingClass[] = "PG_ConfigSetting";

// The PropertyName key of a PG_ConfigSetting path; empty when absent.
std::string propertyNameOf(const CIMObjectPath& path)
{
    const Array<CIMKeyBinding> keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); ++i)
        if (keys[i].getName().equal(CIMName("PropertyName")))
            return std::string(keys[i].getValue().getCString());
    return std::string();
}

// Turns the configuration's errors into the CIM errors cimconfig expects.
[[noreturn]] void rethrowAsCim(const ConfigError& e)
{
    switch (e.kind())
    {
    case ConfigError::UnknownProperty:
        throw CIMObjectNotFoundException(e.what());
    case ConfigError::NotDynamic:
        throw CIMNotSupportedException(e.what());
    case ConfigError::InvalidValue:
    case ConfigError::FileProblem:
        break;
    }
    throw CIMOperationFailedException(e.what());
}

// A boolean in-parameter.  Clients that send untyped parameters deliver
// strings, so "true" counts as well.
bool booleanParameter(const CIMValue& value)
{
    if (value.isNull() || value.isArray())
        return false;
    if (value.getType() == CIMTYPE_BOOLEAN)
    {
        Boolean b = false;
        value.get(b);
        return b;
    }
    if (value.getType() == CIMTYPE_STRING)
    {
        String s;
        value.get(s);
        return String::equalNoCase(s, "true");
    }
    return false;
}

std::string stringParameter(const CIMValue& value)
{
    if (value.isNull() || value.isArray() ||
        value.getType() != CIMTYPE_STRING)
        return std::string();
    String s;
    value.get(s);
    return std::string(s.getCString());
}

}  // namespace

ConfigSettingProvider::ConfigSettingProvider(ServerConfig& config)
    : _config(config)
{
}

void ConfigSettingProvider::initialize(CIMOMHandle&)
{
}

void ConfigSettingProvider::terminate()
{
    // The provider manager never deletes providers; terminate() is the
    // last call an object gets.
    delete this;
}

CIMInstance ConfigSettingProvider::buildInstance(
    const ConfigPropertyState& state, const CIMObjectPath& reference) const
{
    CIMInstance instance{CIMName(kConfigSettingClass)};
    instance.addProperty(CIMProperty(CIMName("PropertyName"),
                                     CIMValue(String(state.info->name))));
    instance.addProperty(CIMProperty(
        CIMName("DefaultValue"), CIMValue(String(state.info->defaultValue))));
    instance.addProperty(CIMProperty(CIMName("CurrentValue"),
                                     CIMValue(String(state.current.c_str()))));
    instance.addProperty(CIMProperty(CIMName("PlannedValue"),
                                     CIMValue(String(state.planned.c_str()))));
    instance.addProperty(CIMProperty(CIMName("DynamicProperty"),
                                     CIMValue(Boolean(state.info->dynamic))));
    instance.addProperty(CIMProperty(
        CIMName("Description"), CIMValue(String(state.info->description))));

    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding(CIMName("PropertyName"),
                              String(state.info->name), CIMKeyBinding::STRING));
    instance.setPath(CIMObjectPath(reference.getHost(),
                                   reference.getNameSpace(),
                                   CIMName(kConfigSettingClass), keys));
    return instance;
}

void ConfigSettingProvider::getInstance(const OperationContext&,
                                        const CIMObjectPath& instanceReference,
                                        const Boolean, const Boolean,
                                        const CIMPropertyList&,
                                        InstanceResponseHandler& handler)
{
    const std::string name = propertyNameOf(instanceReference);
    for (const ConfigPropertyState& state : _config.snapshot())
    {
        if (name == state.info->name)
        {
            handler.processing();
            handler.deliver(buildInstance(state, instanceReference));
            handler.complete();
            return;
        }
    }
    throw CIMObjectNotFoundException(
        String(("Configuration property \"" + name + "\"").c_str()));
}

void ConfigSettingProvider::enumerateInstances(
    const OperationContext&, const CIMObjectPath& classReference,
    const Boolean, const Boolean, const CIMPropertyList&,
    InstanceResponseHandler& handler)
{
    handler.processing();
    for (const ConfigPropertyState& state : _config.snapshot())
        handler.deliver(buildInstance(state, classReference));
    handler.complete();
}

void ConfigSettingProvider::enumerateInstanceNames(
    const OperationContext&, const CIMObjectPath& classReference,
    ObjectPathResponseHandler& handler)
{
    handler.processing();
    for (const ConfigPropertyState& state : _config.snapshot())
        handler.deliver(buildInstance(state, classReference).getPath());
    handler.complete();
}

void ConfigSettingProvider::modifyInstance(const OperationContext&,
                                           const CIMObjectPath&,
                                           const CIMInstance&, const Boolean,
                                           const CIMPropertyList&,
                                           ResponseHandler&)
{
    throw CIMNotSupportedException(
        "PG_ConfigSetting instances change through UpdatePropertyValue");
}

void ConfigSettingProvider::createInstance(const OperationContext&,
                                           const CIMObjectPath&,
                                           const CIMInstance&,
                                           ObjectPathResponseHandler&)
{
    throw CIMNotSupportedException(
        "PG_ConfigSetting instances cannot be created");
}

void ConfigSettingProvider::deleteInstance(const OperationContext&,
                                           const CIMObjectPath&,
                                           ResponseHandler&)
{
    throw CIMNotSupportedException(
        "PG_ConfigSetting instances cannot be deleted");
}

void ConfigSettingProvider::invokeMethod(
    const OperationContext&, const CIMObjectPath& objectReference,
    const CIMName& methodName, const Array<CIMParamValue>& inParameters,
    MethodResultResponseHandler& handler)
{
    if (!methodName.equal(CIMName("UpdatePropertyValue")))
        throw CIMMethodNotFoundException(methodName.getString());

    std::string value;
    bool reset = false;
    bool setCurrent = false;
    bool setPlanned = false;
    for (Uint32 i = 0; i < inParameters.size(); ++i)
    {
        const String name = inParameters[i].getParameterName();
        const CIMValue v = inParameters[i].getValue();
        if (String::equalNoCase(name, "PropertyValue"))
            value = stringParameter(v);
        else if (String::equalNoCase(name, "ResetValue"))
            reset = booleanParameter(v);
        else if (String::equalNoCase(name, "SetCurrentValue"))
            setCurrent = booleanParameter(v);
        else if (String::equalNoCase(name, "SetPlannedValue"))
            setPlanned = booleanParameter(v);
    }

    try
    {
        _config.update(propertyNameOf(objectReference), value, reset,
                       setCurrent, setPlanned);
    }
    catch (const ConfigError& e)
    {
        rethrowAsCim(e);
    }
    handler.processing();
    handler.deliver(CIMValue(Boolean(true)));
    handler.complete();
}

ShutdownServiceProvider::ShutdownServiceProvider(
    std::function<void()> stopServer)
    : _stopServer(std::move(stopServer))
{
}

void ShutdownServiceProvider::initialize(CIMOMHandle&)
{
}

void ShutdownServiceProvider::terminate()
{
    delete this;
}

void ShutdownServiceProvider::invokeMethod(
    const OperationContext&, const CIMObjectPath&, const CIMName& methodName,
    const Array<CIMParamValue>&, MethodResultResponseHandler& handler)
{
    if (!methodName.equal(CIMName("shutdown")))
        throw CIMMethodNotFoundException(methodName.getString());
    handler.processing();
    handler.deliver(CIMValue(Uint32(0)));
    handler.complete();
    // The front end answers requests in flight before it stops, this one
    // included.
    if (_stopServer)
        _stopServer();
}

}  // namespace Pegasus
