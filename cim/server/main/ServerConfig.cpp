#include "ServerConfig.h"

namespace Pegasus {

namespace {

const char kCurrentFile[] = "cimserver_current.conf";
const char kPlannedFile[] = "cimserver_planned.conf";

ConfigEntries toEntries(const std::map<std::string, std::string>& values)
{
    return ConfigEntries(values.begin(), values.end());
}

}  // namespace

ServerConfig::ServerConfig(const std::string& home, SystemCalls& sys)
    : _home(home.empty() ? std::string(".") : home), _sys(sys)
{
}

std::string ServerConfig::currentFilePath() const
{
    return resolveAgainstHome(_home, kCurrentFile);
}

std::string ServerConfig::plannedFilePath() const
{
    return resolveAgainstHome(_home, kPlannedFile);
}

const ConfigPropertyInfo& ServerConfig::requireKnown(
    const std::string& name, const std::string& message) const
{
    const ConfigPropertyInfo* info = findConfigProperty(name);
    if (info == nullptr)
        throw ConfigError(ConfigError::UnknownProperty, message);
    return *info;
}

void ServerConfig::checkValue(const ConfigPropertyInfo& info,
                              const std::string& value) const
{
    std::string reason;
    if (!checkConfigValue(info, value, _home, reason))
        throw ConfigError(ConfigError::InvalidValue,
                          invalidValueMessage(info.name, value, reason));
}

void ServerConfig::applyEntries(
    const ConfigEntries& entries,
    std::map<std::string, std::string>& target) const
{
    for (const auto& entry : entries)
    {
        const ConfigPropertyInfo& info = requireKnown(
            entry.first, "Unrecognized config property: " + entry.first);
        checkValue(info, entry.second);
        target[entry.first] = entry.second;
    }
}

void ServerConfig::loadForStart()
{
    loadForStart(ConfigEntries());
}

void ServerConfig::loadForStart(const ConfigEntries& commandLine)
{
    // The command line is checked first, as setFromCommandLine() would, so
    // that nothing is written for a start that is refused.
    for (const auto& entry : commandLine)
    {
        checkValue(requireKnown(entry.first, "Unrecognized config property: " + entry.first),
                   entry.second);
    }
    std::vector<std::pair<std::string, std::string>> changed;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        ConfigEntries entries;
        bool planned = false;
        try
        {
            planned = readConfigFile(_sys, plannedFilePath(), entries);
        }
        catch (const ConfigFileError& e)
        {
            throw ConfigError(ConfigError::FileProblem, e.what());
        }
        std::map<std::string, std::string> values;
        applyEntries(entries, values);
        std::map<std::string, std::string> current = values;
        for (const auto& entry : commandLine)
            current[entry.first] = entry.second;
        try
        {
            // What the step-by-step start leaves: the planned file's lines
            // as they are, or, after command-line values, every value in
            // name order.
            if (!commandLine.empty())
                writeConfigFile(_sys, currentFilePath(), toEntries(current));
            else if (planned)
                writeConfigFile(_sys, currentFilePath(), entries);
            else
                removeConfigFile(_sys, currentFilePath());
        }
        catch (const ConfigFileError& e)
        {
            throw ConfigError(ConfigError::FileProblem, e.what());
        }
        _current = current;
        _planned = values;
    }
    for (const auto& entry : commandLine)
        notify(entry.first, entry.second);
}

void ServerConfig::loadReadOnly()
{
    std::lock_guard<std::mutex> lock(_mutex);
    ConfigEntries current;
    ConfigEntries planned;
    try
    {
        readConfigFile(_sys, currentFilePath(), current);
        readConfigFile(_sys, plannedFilePath(), planned);
    }
    catch (const ConfigFileError& e)
    {
        throw ConfigError(ConfigError::FileProblem, e.what());
    }
    std::map<std::string, std::string> currentValues;
    std::map<std::string, std::string> plannedValues;
    applyEntries(current, currentValues);
    applyEntries(planned, plannedValues);
    _current = currentValues;
    _planned = plannedValues;
}

void ServerConfig::setFromCommandLine(const std::string& name,
                                      const std::string& value)
{
    const ConfigPropertyInfo& info =
        requireKnown(name, "Unrecognized config property: " + name);
    checkValue(info, value);
    {
        std::lock_guard<std::mutex> lock(_mutex);
        std::map<std::string, std::string> next = _current;
        next[name] = value;
        saveLocked(currentFilePath(), next);
        _current.swap(next);
    }
    notify(name, value);
}

void ServerConfig::recordResolvedValue(const std::string& name,
                                       const std::string& value)
{
    requireKnown(name, "Unrecognized config property: " + name);
    {
        std::lock_guard<std::mutex> lock(_mutex);
        std::map<std::string, std::string> next = _current;
        next[name] = value;
        saveLocked(currentFilePath(), next);
        _current.swap(next);
    }
    notify(name, value);
}

void ServerConfig::update(const std::string& name, const std::string& value,
                          bool reset, bool setCurrent, bool setPlanned)
{
    const ConfigPropertyInfo& info =
        requireKnown(name, "Configuration property \"" + name + "\"");
    if (setCurrent && !info.dynamic)
        throw ConfigError(ConfigError::NotDynamic,
                          std::string("NonDynamic config property: ") + name);
    if (!reset)
        checkValue(info, value);

    std::string newCurrent;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        // Each file is written before the values it holds take effect, so
        // a failed write changes nothing.
        if (setCurrent)
        {
            std::map<std::string, std::string> next = _current;
            if (reset)
                next.erase(name);
            else
                next[name] = value;
            saveLocked(currentFilePath(), next);
            _current.swap(next);
            newCurrent = valueLocked(_current, info);
        }
        if (setPlanned)
        {
            std::map<std::string, std::string> next = _planned;
            if (reset)
                next.erase(name);
            else
                next[name] = value;
            saveLocked(plannedFilePath(), next);
            _planned.swap(next);
        }
    }
    if (setCurrent)
        notify(name, newCurrent);
}

std::string ServerConfig::valueLocked(
    const std::map<std::string, std::string>& m,
    const ConfigPropertyInfo& info) const
{
    auto it = m.find(info.name);
    return it == m.end() ? std::string(info.defaultValue) : it->second;
}

std::string ServerConfig::current(const std::string& name) const
{
    const ConfigPropertyInfo& info =
        requireKnown(name, "Unrecognized config property: " + name);
    std::lock_guard<std::mutex> lock(_mutex);
    return valueLocked(_current, info);
}

std::string ServerConfig::planned(const std::string& name) const
{
    const ConfigPropertyInfo& info =
        requireKnown(name, "Unrecognized config property: " + name);
    std::lock_guard<std::mutex> lock(_mutex);
    return valueLocked(_planned, info);
}

std::vector<ConfigPropertyState> ServerConfig::snapshot() const
{
    std::vector<ConfigPropertyState> states;
    std::lock_guard<std::mutex> lock(_mutex);
    for (const ConfigPropertyInfo& info : configProperties())
        states.push_back({&info, valueLocked(_current, info),
                          valueLocked(_planned, info)});
    return states;
}

ConfigEntries ServerConfig::plannedOverrides() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return toEntries(_planned);
}

std::string ServerConfig::currentPath(const std::string& name) const
{
    return resolveAgainstHome(_home, current(name));
}

std::vector<std::string> ServerConfig::providerDirs() const
{
    return splitDirectoryList(_home, current("providerDir"));
}

void ServerConfig::setChangeListener(ChangeListener listener)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _listener = std::move(listener);
}

void ServerConfig::saveLocked(const std::string& path,
                              const std::map<std::string, std::string>& values)
{
    try
    {
        writeConfigFile(_sys, path, toEntries(values));
    }
    catch (const ConfigFileError& e)
    {
        throw ConfigError(ConfigError::FileProblem, e.what());
    }
}

void ServerConfig::notify(const std::string& name, const std::string& value)
{
    ChangeListener listener;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        listener = _listener;
    }
    if (listener)
        listener(name, value);
}

}  // namespace Pegasus
