#include "CimconfigCommands.h"

#include <memory>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/Constants.h>
#include <Pegasus/Common/PegasusVersion.h>

#include "ConfigProperties.h"
#include "ServerConfig.h"

namespace Pegasus {

namespace {

const char kNotFound[] = "Specified property name was not found.";

std::string text(const String& s)
{
    return std::string(s.getCString());
}

CIMObjectPath settingPath(const std::string& name)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding(CIMName("PropertyName"), String(name.c_str()),
                              CIMKeyBinding::STRING));
    return CIMObjectPath(String(), PEGASUS_NAMESPACENAME_CONFIG,
                         PEGASUS_CLASSNAME_CONFIGSETTING, keys);
}

std::string stringProperty(const CIMInstance& instance, const char* name)
{
    Uint32 pos = instance.findProperty(CIMName(name));
    if (pos == PEG_NOT_FOUND)
        return std::string();
    CIMValue value = instance.getProperty(pos).getValue();
    if (value.isNull() || value.getType() != CIMTYPE_STRING ||
        value.isArray())
        return std::string();
    String s;
    value.get(s);
    return text(s);
}

std::string keyOf(const CIMObjectPath& path)
{
    Array<CIMKeyBinding> keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); ++i)
        if (keys[i].getName().equal(CIMName("PropertyName")))
            return text(keys[i].getValue());
    return std::string();
}

// ---- with a running server ----------------------------------------------

// The answer never came or made no sense (connection closed, an HTTP error,
// a body that is not CIM-XML): one line saying so.  Whether a change was
// applied is then unknown, which the line says too.
int transportFailure(const char* verb, const Exception& e, std::ostream& err)
{
    std::string message = text(e.getMessage());
    for (char& c : message)
        if (c == '\n' || c == '\r')
            c = ' ';
    err << "Failed to " << verb << " the config property: no valid answer "
        << "from the CIM Server (" << message << ")"
        << (std::string(verb) == "get" ? "." : "; the change may or may not "
                                                "have been made.")
        << std::endl;
    return 1;
}

int getOnline(CIMClient& client, const CimconfigRequest& r,
              std::ostream& out, std::ostream& err)
{
    CIMInstance instance;
    try
    {
        instance = client.getInstance(PEGASUS_NAMESPACENAME_CONFIG,
                                      settingPath(r.name));
    }
    catch (const CIMException& e)
    {
        if (e.getCode() == CIM_ERR_NOT_FOUND)
        {
            out << kNotFound << std::endl;
            err << text(e.getMessage()) << std::endl;
        }
        else if (e.getCode() == CIM_ERR_INVALID_CLASS ||
                 e.getCode() == CIM_ERR_INVALID_NAMESPACE)
        {
            out << "Failed to get the config property." << std::endl;
            err << "Please restore the internal repository on the CIM "
                   "Server." << std::endl;
        }
        else
        {
            out << "Failed to get the config property." << std::endl;
            err << text(e.getMessage()) << std::endl;
        }
        return 1;
    }
    catch (const Exception& e)
    {
        return transportFailure("get", e, err);
    }
    if (r.current)
        out << "Current value: " << stringProperty(instance, "CurrentValue")
            << std::endl;
    if (r.planned)
        out << "Planned value: " << stringProperty(instance, "PlannedValue")
            << std::endl;
    if (r.defaultValue)
        out << "Default value: " << stringProperty(instance, "DefaultValue")
            << std::endl;
    return 0;
}

int updateOnline(CIMClient& client, const CimconfigRequest& r,
                 std::ostream& out, std::ostream& err)
{
    const bool reset = r.operation == CimconfigRequest::Unset;
    Array<CIMParamValue> in;
    Array<CIMParamValue> outParams;
    in.append(CIMParamValue("PropertyValue",
                            reset ? CIMValue(CIMTYPE_STRING, false)
                                  : CIMValue(String(r.value.c_str()))));
    in.append(CIMParamValue("ResetValue", CIMValue(Boolean(reset))));
    in.append(CIMParamValue("SetCurrentValue", CIMValue(Boolean(r.current))));
    in.append(CIMParamValue("SetPlannedValue", CIMValue(Boolean(r.planned))));
    in.append(CIMParamValue("TimeoutPeriod", CIMValue(Uint32(r.timeoutSeconds))));
    try
    {
        client.invokeMethod(PEGASUS_NAMESPACENAME_CONFIG, settingPath(r.name),
                            CIMName("UpdatePropertyValue"), in, outParams);
    }
    catch (const CIMException& e)
    {
        switch (e.getCode())
        {
        case CIM_ERR_NOT_FOUND:
            out << kNotFound << std::endl;
            err << text(e.getMessage()) << std::endl;
            break;
        case CIM_ERR_NOT_SUPPORTED:
            out << "Specified property can not be modified." << std::endl;
            err << text(e.getMessage()) << std::endl;
            break;
        default:
            out << (reset ? "Failed to unset the config property."
                          : "Failed to set the config property.")
                << text(e.getMessage()) << std::endl;
            break;
        }
        return 1;
    }
    catch (const Exception& e)
    {
        return transportFailure(reset ? "unset" : "set", e, err);
    }

    if (reset)
    {
        if (r.current)
            out << "Current value for the property '" << r.name
                << "' is set to default value in CIMServer." << std::endl;
        if (r.planned)
            out << "Property '" << r.name
                << "' is unset in the configuration file." << std::endl;
    }
    else
    {
        if (r.current)
            out << "Current value for the property " << r.name
                << " is set to \"" << r.value << "\" in CIMServer."
                << std::endl;
        if (r.planned)
            out << "Planned value for the property " << r.name
                << " is set to \"" << r.value << "\" in CIMServer."
                << std::endl;
    }
    return 0;
}

int listOnline(CIMClient& client, const CimconfigRequest& r,
               std::ostream& out, std::ostream& err)
{
    try
    {
        if (!r.current && !r.planned)
        {
            Array<CIMObjectPath> names = client.enumerateInstanceNames(
                PEGASUS_NAMESPACENAME_CONFIG, PEGASUS_CLASSNAME_CONFIGSETTING);
            for (Uint32 i = 0; i < names.size(); ++i)
                out << keyOf(names[i]) << std::endl;
            return 0;
        }
        Array<CIMInstance> instances = client.enumerateInstances(
            PEGASUS_NAMESPACENAME_CONFIG, PEGASUS_CLASSNAME_CONFIGSETTING);
        const char* which = r.current ? "CurrentValue" : "PlannedValue";
        for (Uint32 i = 0; i < instances.size(); ++i)
            out << stringProperty(instances[i], "PropertyName") << "="
                << stringProperty(instances[i], which) << std::endl;
        return 0;
    }
    catch (const Exception& e)
    {
        out << "Failed to list the config properties." << std::endl;
        err << text(e.getMessage()) << std::endl;
        return 1;
    }
}

// ---- without a server ----------------------------------------------------

int runOffline(const CimconfigRequest& r, const std::string& home,
               std::ostream& out, std::ostream& err)
{
    ServerConfig config(home);
    try
    {
        config.loadReadOnly();
    }
    catch (const ConfigError& e)
    {
        err << e.what() << std::endl;
        return 1;
    }

    auto plannedEntry = [&](const std::string& name, std::string& value) {
        for (const auto& entry : config.plannedOverrides())
            if (entry.first == name)
            {
                value = entry.second;
                return true;
            }
        return false;
    };

    switch (r.operation)
    {
    case CimconfigRequest::List:
    {
        if (!r.planned)
        {
            out << "Current value of properties can not be listed because "
                   "the CIM server is not running." << std::endl;
            return 1;
        }
        ConfigEntries entries = config.plannedOverrides();
        if (entries.empty())
            out << "No configuration properties found in the configuration "
                   "file." << std::endl;
        for (const auto& entry : entries)
            out << entry.first << "=" << entry.second << std::endl;
        return 0;
    }
    case CimconfigRequest::Get:
    {
        if (r.current)
        {
            out << "Current value can not be determined because the CIM "
                   "server is not running." << std::endl;
            return 1;
        }
        if (r.defaultValue)
        {
            out << "Option -d is not valid for this command when CIM server "
                   "is not running." << std::endl;
            return 1;
        }
        std::string value;
        if (!plannedEntry(r.name, value))
        {
            out << "Planned value can not be determined because the CIM "
                   "server is not running." << std::endl;
            return 1;
        }
        out << "Planned value: " << value << std::endl;
        return 0;
    }
    case CimconfigRequest::Set:
    case CimconfigRequest::Unset:
    {
        const bool reset = r.operation == CimconfigRequest::Unset;
        if (r.current)
        {
            out << "Current value for the property '" << r.name << "' can not "
                << (reset ? "be unset" : "be set")
                << " because the CIM server is not running." << std::endl;
            return 1;
        }
        try
        {
            config.update(r.name, r.value, reset, false, true);
        }
        catch (const ConfigError& e)
        {
            if (e.kind() == ConfigError::UnknownProperty)
                out << kNotFound << std::endl;
            else if (e.kind() == ConfigError::InvalidValue)
                out << "Specified property value is not valid." << std::endl;
            else
                err << e.what() << std::endl;
            return 1;
        }
        if (reset)
            out << "Property '" << r.name
                << "' is unset in the configuration file." << std::endl;
        else
            out << "Property '" << r.name
                << "' updated in configuration file." << std::endl;
        return 0;
    }
    default:
        return 1;
    }
}

}  // namespace

std::string propertyHelpText(const std::string& name)
{
    const ConfigPropertyInfo* info = findConfigProperty(name);
    if (info == nullptr)
        return std::string();
    std::string help = std::string(info->name) + " (" +
                       (info->dynamic ? "Dynamic" : "Static") +
                       ",Default:" + info->defaultValue + ")\n";
    std::string description = info->description;
    std::string::size_type start = 0;
    while (start < description.size())
    {
        std::string::size_type end = description.find('\n', start);
        if (end == std::string::npos)
            end = description.size();
        help += "    " + description.substr(start, end - start) + "\n";
        start = end + 1;
    }
    return help;
}

int runCimconfig(const CimconfigRequest& r, const std::string& home,
                 std::ostream& out, std::ostream& err)
{
    switch (r.operation)
    {
    case CimconfigRequest::Usage:
        err << cimconfigUsageText();
        return 0;
    case CimconfigRequest::Version:
        err << "Version " << PEGASUS_PRODUCT_VERSION << std::endl;
        return 0;
    case CimconfigRequest::PropertyHelp:
    {
        if (r.name == "All")
        {
            bool first = true;
            for (const ConfigPropertyInfo& info : configProperties())
            {
                if (!first)
                    out << std::endl;
                first = false;
                out << propertyHelpText(info.name);
            }
            return 0;
        }
        std::string help = propertyHelpText(r.name);
        if (help.empty())
        {
            out << kNotFound << std::endl;
            return 1;
        }
        out << help;
        return 0;
    }
    default:
        break;
    }

    CIMClient client;
    // The server gets TimeoutPeriod for the change; the answer may take a
    // little longer than that to arrive.
    client.setTimeout((r.timeoutSeconds + 10) * 1000);
    try
    {
        client.connectLocal();
    }
    catch (const Exception&)
    {
        return runOffline(r, home, out, err);
    }

    switch (r.operation)
    {
    case CimconfigRequest::Get:
        return getOnline(client, r, out, err);
    case CimconfigRequest::Set:
    case CimconfigRequest::Unset:
        return updateOnline(client, r, out, err);
    case CimconfigRequest::List:
        return listOnline(client, r, out, err);
    default:
        return 1;
    }
}

}  // namespace Pegasus
