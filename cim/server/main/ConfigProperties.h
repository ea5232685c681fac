// The table of the server's configuration properties: names, defaults,
// whether a running server can change them, how their values are checked,
// and a short description for cimconfig -H.
//
// The table is immutable; every function here is safe to call from any
// thread.
#ifndef KTA_CIM_SERVER_MAIN_CONFIGPROPERTIES_H
#define KTA_CIM_SERVER_MAIN_CONFIGPROPERTIES_H

#include <string>
#include <vector>

namespace Pegasus {

enum class ConfigValueKind
{
    Boolean,        // true / false, any case
    Port,           // empty or 1..65535, decimal without leading zeros
    Unsigned,       // decimal without leading zeros, fits 32 bits
    TraceLevel,     // 0..5
    LogLevel,       // TRACE, INFORMATION, WARNING, SEVERE, FATAL (any case)
    TraceFacility,  // File, Log, Memory (any case)
    ClientVerification,  // disabled, required, optional
    ListenAddress,  // "All" or a comma-separated list of IP addresses
    Text,           // any single-line text, empty included
    Path,           // a non-empty single-line path (relative: below home)
    DirectoryList,  // ':'-separated directories, each (if not empty) an
                    // existing directory; relative entries below home
};

struct ConfigPropertyInfo
{
    const char* name;
    const char* defaultValue;
    bool dynamic;
    ConfigValueKind kind;
    const char* description;
    // A value this server does not offer although the kind would accept it
    // (compared case-insensitively), and why; null when there is none.
    const char* refusedValue;
    const char* refusedReason;
};

// All properties, sorted by name (case-sensitive byte order).
const std::vector<ConfigPropertyInfo>& configProperties();

// The property called exactly `name` (names are case-sensitive), or null.
const ConfigPropertyInfo* findConfigProperty(const std::string& name);

// Checks `value` for `property`.  Relative directory entries are looked up
// below `home`.  Returns true when the value is acceptable; otherwise false,
// with `reason` set to a short explanation when there is more to say than
// "invalid" (for a refused value), else cleared.
bool checkConfigValue(const ConfigPropertyInfo& property,
                      const std::string& value,
                      const std::string& home,
                      std::string& reason);

// "Invalid property value: <name>=<value>", followed by " (<reason>)" when
// a reason is given.
std::string invalidValueMessage(const std::string& name,
                                const std::string& value,
                                const std::string& reason);

// `path` unchanged when absolute, else home + "/" + path.
std::string resolveAgainstHome(const std::string& home,
                               const std::string& path);

// The entries of a ':'-separated directory list, empty entries left out,
// each resolved against home.
std::vector<std::string> splitDirectoryList(const std::string& home,
                                            const std::string& value);

// True for "true" in any case; false for anything else.
bool configBooleanValue(const std::string& value);

}  // namespace Pegasus

#endif
