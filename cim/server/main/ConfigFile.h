// Reading and writing cimserver_current.conf / cimserver_planned.conf.
//
// Format: comment lines (first non-blank character '#') and blank lines are
// skipped; every other line is `name=value`, with optional blanks around
// '=', the name matching [A-Za-z_][A-Za-z0-9_]* and the value the rest of
// the line.  When a name appears twice the first value wins.
//
// A save writes the new contents to "<file>.tmp", moves the old file to
// "<file>.bak" and the new one into place, so that an interrupted save
// leaves either the old or the new file (or the .bak to recover from).  The
// .bak is removed once the new file is in place, or failing that by the next
// load or save.
//
// All functions are stateless; callers serialise access to one file.
#ifndef KTA_CIM_SERVER_MAIN_CONFIGFILE_H
#define KTA_CIM_SERVER_MAIN_CONFIGFILE_H

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "SystemCalls.h"

namespace Pegasus {

// Thrown for a syntax error ("Syntax error in configuration file:
// <path>(<line>)") and for a file that cannot be read or written (the
// message names the call, the path and the system's reason).
class ConfigFileError : public std::runtime_error
{
public:
    explicit ConfigFileError(const std::string& message)
        : std::runtime_error(message) {}
};

// name/value pairs in file order, without duplicates.
typedef std::vector<std::pair<std::string, std::string> > ConfigEntries;

// Parses the text of a configuration file; `path` is only used in the
// error message.  Throws ConfigFileError on a syntax error.
ConfigEntries parseConfigText(const std::string& text,
                              const std::string& path);

// The text a save writes: the fixed header, a blank line, one name=value
// line per entry.
std::string formatConfigText(const ConfigEntries& entries);

// Reads `path` into `entries`.  Returns false (entries empty) when the file
// does not exist; a file missing after an interrupted save is first
// recovered from its .bak.  Throws ConfigFileError.
bool readConfigFile(SystemCalls& sys, const std::string& path,
                    ConfigEntries& entries);

// Replaces `path` with `entries` (mode 0644).  Throws ConfigFileError;
// the old file is then still in place (or in its .bak).
void writeConfigFile(SystemCalls& sys, const std::string& path,
                     const ConfigEntries& entries);

// Removes `path` and its .bak; a missing file is not an error.  Throws
// ConfigFileError when a file exists but cannot be removed.
void removeConfigFile(SystemCalls& sys, const std::string& path);

}  // namespace Pegasus

#endif
