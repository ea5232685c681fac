// The server's configuration: the value of every property in effect now
// (current) and for the next start (planned), kept in step with
// cimserver_current.conf and cimserver_planned.conf under PEGASUS_HOME.
//
// Thread safety: every member may be called from any thread; updates and
// the file writes they cause are serialised.  The change listener is called
// after the update, with no lock held.
#ifndef KTA_CIM_SERVER_MAIN_SERVERCONFIG_H
#define KTA_CIM_SERVER_MAIN_SERVERCONFIG_H

#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "ConfigFile.h"
#include "ConfigProperties.h"
#include "SystemCalls.h"

namespace Pegasus {

class ConfigError : public std::runtime_error
{
public:
    enum Kind
    {
        UnknownProperty,  // "Unrecognized config property: <name>"
        NotDynamic,       // "NonDynamic config property: <name>"
        InvalidValue,     // "Invalid property value: <name>=<value>..."
        FileProblem,      // a ConfigFileError's message
    };

    ConfigError(Kind kind, const std::string& message)
        : std::runtime_error(message), _kind(kind) {}

    Kind kind() const { return _kind; }

private:
    Kind _kind;
};

struct ConfigPropertyState
{
    const ConfigPropertyInfo* info;
    std::string current;
    std::string planned;
};

class ServerConfig
{
public:
    typedef std::function<void(const std::string& name,
                               const std::string& value)> ChangeListener;

    // `home` is PEGASUS_HOME; the files live directly below it.  `sys` must
    // outlive this object.
    explicit ServerConfig(const std::string& home,
                          SystemCalls& sys = SystemCalls::real());

    const std::string& home() const { return _home; }
    std::string currentFilePath() const;
    std::string plannedFilePath() const;

    // Server start: the planned file replaces the current file (which is
    // removed when there is no planned file) and sets both the current and
    // the planned values.  Throws ConfigError (FileProblem for an unreadable
    // file or a syntax error, UnknownProperty / InvalidValue for a bad entry).
    void loadForStart();

    // loadForStart() followed by setFromCommandLine() for each entry of
    // `commandLine`, in order, with the same result and the same errors, but
    // with the current file written once rather than once per step: each
    // write is synced to disk, which is most of a start's time.
    void loadForStart(const ConfigEntries& commandLine);

    // Loads the current file (current values) and the planned file (planned
    // values) without changing either, for the tools.  Same errors.
    void loadReadOnly();

    // A name=value from the server's command line: becomes the current value
    // and is written to the current file.  Throws ConfigError
    // (UnknownProperty: "Unrecognized config property: <name>",
    // InvalidValue, FileProblem).
    void setFromCommandLine(const std::string& name, const std::string& value);

    // Records a value the server worked out itself (such as a port looked
    // up in the services database) as current and in the current file.
    // Throws ConfigError(FileProblem).
    void recordResolvedValue(const std::string& name,
                             const std::string& value);

    // The PG_ConfigSetting update.  `value` is ignored when `reset` is true
    // (the property goes back to its default).  Throws ConfigError:
    // UnknownProperty ("Configuration property \"<name>\""), NotDynamic when
    // a static property's current value is to change, InvalidValue,
    // FileProblem.  Nothing changes when it throws before writing.
    void update(const std::string& name, const std::string& value, bool reset,
                bool setCurrent, bool setPlanned);

    // Values; an unknown name throws ConfigError(UnknownProperty).
    std::string current(const std::string& name) const;
    std::string planned(const std::string& name) const;

    // Every property, in name order.
    std::vector<ConfigPropertyState> snapshot() const;

    // The values set in the planned file (what the next start uses besides
    // the defaults), in name order.
    ConfigEntries plannedOverrides() const;

    // A path-valued current value resolved against home.
    std::string currentPath(const std::string& name) const;

    // The current providerDir entries, resolved, empty entries left out.
    std::vector<std::string> providerDirs() const;

    // Called after every change of a current value.
    void setChangeListener(ChangeListener listener);

private:
    const ConfigPropertyInfo& requireKnown(const std::string& name,
                                           const std::string& message) const;
    void checkValue(const ConfigPropertyInfo& info,
                    const std::string& value) const;
    void applyEntries(const ConfigEntries& entries,
                      std::map<std::string, std::string>& target) const;
    void saveLocked(const std::string& path,
                    const std::map<std::string, std::string>& values);
    std::string valueLocked(const std::map<std::string, std::string>& m,
                            const ConfigPropertyInfo& info) const;
    void notify(const std::string& name, const std::string& value);

    const std::string _home;
    SystemCalls& _sys;
    mutable std::mutex _mutex;
    // Only the values that differ from the defaults' source: what the
    // corresponding file holds.
    std::map<std::string, std::string> _current;
    std::map<std::string, std::string> _planned;
    ChangeListener _listener;
};

}  // namespace Pegasus

#endif
