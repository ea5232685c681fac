// Small helpers the sample providers share for reading the machine's state
// from /proc, /sys and /etc.  Header only; nothing here throws: a file that
// cannot be read gives an empty answer, which the providers report as a
// missing (null) value.
#ifndef KTA_PROVIDERS_PROVIDERSUPPORT_H
#define KTA_PROVIDERS_PROVIDERSUPPORT_H

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace ktaprovider {

// The whole file; false when it cannot be read.
inline bool ReadFile(const std::string& path, std::string& text)
{
    std::ifstream in(path.c_str(), std::ios::in | std::ios::binary);
    if (!in)
        return false;
    std::ostringstream content;
    content << in.rdbuf();
    text = content.str();
    return true;
}

// `text` without leading and trailing blanks, tabs and line ends.
inline std::string Trim(const std::string& text)
{
    const char* const blanks = " \t\r\n";
    std::string::size_type first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    std::string::size_type last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// The first line of a file, trimmed; "" when the file cannot be read.
inline std::string ReadFirstLine(const std::string& path)
{
    std::ifstream in(path.c_str());
    std::string line;
    if (!in || !std::getline(in, line))
        return std::string();
    return Trim(line);
}

// A whole decimal number (leading and trailing blanks allowed).
inline bool ParseUint64(const std::string& text, uint64_t& value)
{
    std::string const trimmed = Trim(text);
    if (trimmed.empty() || trimmed[0] == '-' || trimmed[0] == '+')
        return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long parsed = std::strtoull(trimmed.c_str(), &end, 10);
    if (errno != 0 || end == trimmed.c_str() || *end != '\0')
        return false;
    value = parsed;
    return true;
}

// The names in a directory ("." and ".." left out), sorted; empty when it
// cannot be listed.
inline std::vector<std::string> ListDirectory(const std::string& path)
{
    std::vector<std::string> names;
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr)
        return names;
    while (dirent* entry = readdir(dir)) {
        std::string const name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// "key<separator>value" lines into a map, keys and values trimmed; a value
// in double quotes loses them (as in /etc/os-release).  Lines without the
// separator are skipped.
inline std::map<std::string, std::string> ReadKeyValueFile(const std::string& path,
                                                           char separator)
{
    std::map<std::string, std::string> values;
    std::ifstream in(path.c_str());
    std::string line;
    while (std::getline(in, line)) {
        std::string::size_type at = line.find(separator);
        if (at == std::string::npos)
            continue;
        std::string value = Trim(line.substr(at + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        values[Trim(line.substr(0, at))] = value;
    }
    return values;
}

} // namespace ktaprovider

#endif
