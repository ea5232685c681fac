#include "TConfig.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include "ILogger.h"
#include "TKTAException.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

const char kBlanks[] = " \t\r";

std::string Trim(const std::string& text)
{
    std::string::size_type first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return std::string();
    std::string::size_type last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

[[noreturn]] void LoadFailed(const std::string& detail)
{
    TRootObject::GetCoreLogger()->Log(ILogger::kLogError,
                                      "TConfig::Load " + detail);
    throw TKTAException(TKTAStatusCode::kNotFound, detail);
}

} // namespace

TConfig& TConfig::GetInstance()
{
    // Leaked so that code running in static destructors can still read it.
    static TConfig* instance = new TConfig;
    return *instance;
}

TConfig::TConfig()
{
}

std::string TConfig::getValue(const std::string& key) const
{
    std::shared_lock<std::shared_mutex> lock(fMutex);
    auto it = fValues.find(key);
    return it == fValues.end() ? std::string() : it->second;
}

bool TConfig::hasValue(const std::string& key) const
{
    std::shared_lock<std::shared_mutex> lock(fMutex);
    return fValues.count(key) != 0;
}

void TConfig::setValue(const std::string& key, const std::string& value)
{
    std::unique_lock<std::shared_mutex> lock(fMutex);
    fValues[key] = value;
}

void TConfig::Clear()
{
    std::unique_lock<std::shared_mutex> lock(fMutex);
    fValues.clear();
}

void TConfig::Load(const std::string& path)
{
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file)
        LoadFailed("cannot open configuration file " + path + ": " +
                   std::strerror(errno));
    // Read at most one byte past the limit to tell an oversized file apart
    // without trusting its reported size (it may be a pipe or growing).
    std::string content(kMaxFileBytes + 1, '\0');
    file.read(&content[0], static_cast<std::streamsize>(content.size()));
    if (file.bad())
        LoadFailed("cannot read configuration file " + path + ": " +
                   std::strerror(errno));
    content.resize(static_cast<std::size_t>(file.gcount()));
    if (content.size() > kMaxFileBytes)
        LoadFailed("configuration file " + path + " is larger than " +
                   std::to_string(kMaxFileBytes) + " bytes");

    // Parsed completely before anything is stored, so readers see either
    // the old table or the whole file merged in.
    std::map<std::string, std::string> parsed;
    std::istringstream lines(content);
    std::string line;
    unsigned lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#')
            continue;
        std::string::size_type equals = trimmed.find('=');
        std::string key =
            equals == std::string::npos ? "" : Trim(trimmed.substr(0, equals));
        if (key.empty()) {
            TRootObject::GetCoreLogger()->Log(
                ILogger::kLogError,
                "TConfig::Load " + path + " line " +
                    std::to_string(lineNumber) +
                    ": expected key = value, line ignored");
            continue;
        }
        parsed[key] = Trim(trimmed.substr(equals + 1));
    }

    std::unique_lock<std::shared_mutex> lock(fMutex);
    for (auto& entry : parsed)
        fValues[entry.first] = std::move(entry.second);
}

} // namespace NQRVKTA20
