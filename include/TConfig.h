// TConfig: the host configuration, a process-wide table of key=value texts.
//
// The host program fills it from a file with Load, and may set single
// values with setValue; everyone reads it with getValue.
//
// File format, one setting per line:
//   # a comment (a line whose first non-blank character is '#')
//   key = value
// Blank lines are skipped; blanks (spaces, tabs, a carriage return) around
// the key and around the value are dropped; the value is everything after
// the first '=', further '=' included.  A line without '=' or with an empty
// key is skipped and logged at severity 0 with the file name and line
// number.  A key set twice keeps its last value.
//
// Thread safety: all members may be called from any thread; readers never
// see a file half-loaded.
#ifndef NQRVKTA20_TCONFIG_H
#define NQRVKTA20_TCONFIG_H

#include <cstddef>
#include <map>
#include <shared_mutex>
#include <string>

namespace NQRVKTA20 {

class TConfig {
public:
    // Files larger than this are refused by Load.
    static constexpr std::size_t kMaxFileBytes = 1024u * 1024u;

    // The process-wide configuration (created on first use, never
    // destroyed).
    static TConfig& GetInstance();

    // Builds an empty, independent table (for tests and tools).
    TConfig();

    TConfig(const TConfig&) = delete;
    TConfig& operator=(const TConfig&) = delete;

    // The value of `key` (compared exactly), or "" when it is not set.
    std::string getValue(const std::string& key) const;

    // Whether `key` is set (possibly to "").
    bool hasValue(const std::string& key) const;

    // Sets one value, replacing an earlier one.
    void setValue(const std::string& key, const std::string& value);

    // Reads the settings of the file at `path` and merges them in: keys of
    // the file replace the same keys set before; other keys stay.  A file
    // that cannot be opened or read, or exceeds kMaxFileBytes, changes
    // nothing: the reason is logged at severity 0 and TKTAException with
    // status 15 ("not found") is thrown, its detail naming the file and
    // the system's reason.
    void Load(const std::string& path);

    // Removes every value.
    void Clear();

private:
    mutable std::shared_mutex fMutex;
    std::map<std::string, std::string> fValues;
};

} // namespace NQRVKTA20

#endif
