#include "ConfigFile.h"

#include <cerrno>
#include <cstring>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Pegasus {

namespace {

const char kHeader[] =
    "########################################################################\n"
    "# CIM server configuration.  Written by cimserver and cimconfig;\n"
    "# change it with cimconfig rather than by hand.  One name=value per\n"
    "# line; lines starting with '#' are comments.\n"
    "########################################################################\n";

// A file larger than this is not a configuration file we wrote.
const size_t kMaxFileSize = 1 << 20;

bool isNameStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9');
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string systemError(const char* what, const std::string& path)
{
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

bool exists(SystemCalls& sys, const std::string& path)
{
    struct stat st;
    return sys.lstat(path.c_str(), &st) == 0;
}

void removeIfPresent(SystemCalls& sys, const std::string& path)
{
    if (sys.unlink(path.c_str()) != 0 && errno != ENOENT)
        throw ConfigFileError(systemError("cannot remove", path));
}

}  // namespace

ConfigEntries parseConfigText(const std::string& text,
                              const std::string& path)
{
    ConfigEntries entries;
    std::set<std::string> seen;
    size_t lineNumber = 0;
    size_t pos = 0;
    while (pos < text.size())
    {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNumber;

        size_t i = 0;
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i == line.size() || line[i] == '#')
            continue;

        size_t nameStart = i;
        if (!isNameStart(line[i]))
            throw ConfigFileError("Syntax error in configuration file: " +
                                  path + "(" + std::to_string(lineNumber) +
                                  ")");
        while (i < line.size() && isNameChar(line[i]))
            ++i;
        std::string name = line.substr(nameStart, i - nameStart);
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i == line.size() || line[i] != '=')
            throw ConfigFileError("Syntax error in configuration file: " +
                                  path + "(" + std::to_string(lineNumber) +
                                  ")");
        ++i;
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (seen.insert(name).second)
            entries.emplace_back(name, line.substr(i));
    }
    return entries;
}

std::string formatConfigText(const ConfigEntries& entries)
{
    std::string text = kHeader;
    text += "\n";
    for (const auto& entry : entries)
        text += entry.first + "=" + entry.second + "\n";
    return text;
}

bool readConfigFile(SystemCalls& sys, const std::string& path,
                    ConfigEntries& entries)
{
    entries.clear();
    const std::string bak = path + ".bak";
    if (!exists(sys, path))
    {
        // A save moves the old file aside before putting the new one in
        // place; a crash in between leaves only the .bak.
        if (!exists(sys, bak))
            return false;
        if (sys.rename(bak.c_str(), path.c_str()) != 0)
            throw ConfigFileError(systemError("cannot restore", bak));
    }
    else
    {
        removeIfPresent(sys, bak);
    }

    std::string text;
    const int error = readWholeFile(sys, path, kMaxFileSize, text);
    if (error == ENOENT)
        return false;
    if (error == EFBIG)
        throw ConfigFileError("cannot read " + path + ": file too large");
    if (error != 0)
        throw ConfigFileError("cannot read " + path + ": " + std::strerror(error));
    entries = parseConfigText(text, path);
    return true;
}

namespace {

// True when `path` is a regular file holding exactly `text`.  Only an
// optimisation (a server restarted with the same values skips a write and
// its fsync), so any failure just answers false.
bool fileHolds(SystemCalls& sys, const std::string& path, const std::string& text)
{
    std::string found;
    return readWholeFile(sys, path, text.size(), found) == 0 && found == text;
}

}  // namespace

void writeConfigFile(SystemCalls& sys, const std::string& path,
                     const ConfigEntries& entries)
{
    const std::string tmp = path + ".tmp";
    const std::string bak = path + ".bak";
    const std::string text = formatConfigText(entries);
    if (!exists(sys, bak) && fileHolds(sys, path, text))
        return;

    int fd = sys.open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                      0644);
    if (fd < 0)
        throw ConfigFileError(systemError("cannot create", tmp));
    // The server runs with umask 077; the files are meant to be readable.
    if (sys.fchmod(fd, 0644) != 0 || !writeAll(sys, fd, text.data(),
                                               text.size()) ||
        sys.fsync(fd) != 0)
    {
        std::string message = systemError("cannot write", tmp);
        sys.close(fd);
        sys.unlink(tmp.c_str());
        throw ConfigFileError(message);
    }
    if (sys.close(fd) != 0)
    {
        std::string message = systemError("cannot write", tmp);
        sys.unlink(tmp.c_str());
        throw ConfigFileError(message);
    }

    removeIfPresent(sys, bak);
    if (sys.rename(path.c_str(), bak.c_str()) != 0 && errno != ENOENT)
    {
        std::string message = systemError("cannot rename", path);
        sys.unlink(tmp.c_str());
        throw ConfigFileError(message);
    }
    if (sys.rename(tmp.c_str(), path.c_str()) != 0)
    {
        std::string message = systemError("cannot rename", tmp);
        sys.unlink(tmp.c_str());
        throw ConfigFileError(message);
    }
    // The new file is in place; the copy only mattered until now.  One left
    // behind is removed by the next load or save.
    sys.unlink(bak.c_str());
}

void removeConfigFile(SystemCalls& sys, const std::string& path)
{
    removeIfPresent(sys, path);
    removeIfPresent(sys, path + ".bak");
}

}  // namespace Pegasus
