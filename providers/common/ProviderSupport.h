// Small helpers the sample providers share for reading the machine's state
// from /proc, /sys and /etc, and a base for read-only instance providers.
// Header only; the readers never throw: a file that cannot be read gives an
// empty answer, which the providers report as a missing (null) value.
#ifndef KTA_PROVIDERS_PROVIDERSUPPORT_H
#define KTA_PROVIDERS_PROVIDERSUPPORT_H

#include <dirent.h>
#include <sys/utsname.h>

#include <Pegasus/Common/CIMDateTime.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/Exception.h>
#include <Pegasus/Provider/CIMInstanceProvider.h>
#include <Pegasus/Provider/ProviderException.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <initializer_list>
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

// The text of a file as whole lines, split at line ends (no line ends
// kept); empty when the file cannot be read.
inline std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::string text;
    if (!ReadFile(path, text))
        return lines;
    std::string::size_type start = 0;
    while (start < text.size()) {
        std::string::size_type end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The number at the start of `text` (after blanks), up to the first
// character that is not a digit: "491520 KB" gives 491520, "2599.998"
// gives 2599.  False when `text` does not start with a digit.
inline bool ParseLeadingUint64(const std::string& text, uint64_t& value)
{
    std::string const trimmed = Trim(text);
    if (trimmed.empty() || trimmed[0] < '0' || trimmed[0] > '9')
        return false;
    errno = 0;
    unsigned long long parsed = std::strtoull(trimmed.c_str(), nullptr, 10);
    if (errno != 0)
        return false;
    value = parsed;
    return true;
}

// The values of /proc/meminfo ("MemTotal:  24683792 kB") in kilobytes, by
// name; empty when the file cannot be read.
inline std::map<std::string, uint64_t> ReadMemInfo()
{
    std::map<std::string, uint64_t> values;
    for (auto const& entry : ReadKeyValueFile("/proc/meminfo", ':')) {
        uint64_t number = 0;
        if (ParseLeadingUint64(entry.second, number))
            values[entry.first] = number;
    }
    return values;
}

// The name the providers give their system, for keys: the kernel's host
// name, or the node name uname gives when /proc does not tell; "" when
// neither does.
inline std::string HostName()
{
    std::string name = ReadFirstLine("/proc/sys/kernel/hostname");
    struct utsname uts;
    if (name.empty() && uname(&uts) == 0)
        name = uts.nodename;
    return name;
}

} // namespace ktaprovider

// ---------------------------------------------------------------------------
// Serving instances through the Pegasus provider interface.  A provider of
// read-only inventory derives from ReadOnlyInstanceProvider and says which
// instances a class has right now; the base answers enumerations, name
// enumerations and single-instance requests from that, and refuses changes.
// ---------------------------------------------------------------------------

namespace ktaprovider {

// A string value; an empty text is a null string (nothing known).  Files
// are meant to hold UTF-8; a text that is not is taken byte by byte as
// Latin-1 rather than failing the whole request for one odd file.
inline Pegasus::CIMValue TextValue(const std::string& text)
{
    if (text.empty())
        return Pegasus::CIMValue(Pegasus::CIMTYPE_STRING, false);
    try {
        return Pegasus::CIMValue(Pegasus::String(text.c_str()));
    } catch (const Pegasus::Exception&) {
        Pegasus::String latin1;
        for (unsigned char byte : text)
            latin1.append(Pegasus::Char16(byte));
        return Pegasus::CIMValue(latin1);
    }
}

// A value of type T when `known`, otherwise a null value of that type.
template <class T>
Pegasus::CIMValue OptionalValue(bool known, T value)
{
    if (known)
        return Pegasus::CIMValue(value);
    return Pegasus::CIMValue(Pegasus::CIMValue(value).getType(), false);
}

// Value `key` of ReadMemInfo's map times `scale` (1024 for bytes), as a
// uint64; null when the kernel does not give it.
inline Pegasus::CIMValue MemInfoValue(const std::map<std::string, uint64_t>& mem,
                                      const char* key, uint64_t scale = 1)
{
    auto const it = mem.find(key);
    return OptionalValue(it != mem.end(),
                         Pegasus::Uint64(it == mem.end() ? 0 : it->second * scale));
}

// A point in time given in seconds since the epoch, as a CIM timestamp in
// local time with the local offset from UTC; a null datetime when it is not
// `known` or cannot be written as one.
inline Pegasus::CIMValue TimestampValue(bool known, time_t seconds)
{
    struct tm local;
    if (!known || localtime_r(&seconds, &local) == nullptr)
        return Pegasus::CIMValue(Pegasus::CIMTYPE_DATETIME, false);
    long const offset = local.tm_gmtoff / 60;
    char text[96];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d.000000%c%03ld",
                  local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, offset < 0 ? '-' : '+',
                  offset < 0 ? -offset : offset);
    try {
        return Pegasus::CIMValue(Pegasus::CIMDateTime(Pegasus::String(text)));
    } catch (const Pegasus::Exception&) {
        return Pegasus::CIMValue(Pegasus::CIMTYPE_DATETIME, false);
    }
}

// Builds an instance of one class property by property; Finish gives it the
// path made of the key properties named.
class InstanceBuilder {
public:
    explicit InstanceBuilder(const char* className)
        : fClassName(className), fInstance(Pegasus::CIMName(className))
    {
    }

    InstanceBuilder& Add(const char* name, const Pegasus::CIMValue& value)
    {
        fInstance.addProperty(Pegasus::CIMProperty(Pegasus::CIMName(name), value));
        return *this;
    }

    InstanceBuilder& AddText(const char* name, const std::string& text)
    {
        return Add(name, TextValue(text));
    }

    Pegasus::CIMInstance Finish(std::initializer_list<const char*> keys)
    {
        Pegasus::Array<Pegasus::CIMKeyBinding> bindings;
        for (const char* key : keys) {
            Pegasus::CIMConstProperty const property =
                fInstance.getProperty(fInstance.findProperty(Pegasus::CIMName(key)));
            bindings.append(Pegasus::CIMKeyBinding(Pegasus::CIMName(key), property.getValue()));
        }
        fInstance.setPath(Pegasus::CIMObjectPath(Pegasus::String(), Pegasus::CIMNamespaceName(),
                                                 Pegasus::CIMName(fClassName), bindings));
        return fInstance;
    }

private:
    const char* fClassName;
    Pegasus::CIMInstance fInstance;
};

// Read-only instance provider: derived classes implement Collect; requests
// may come on several threads at once, so Collect must keep no state
// between calls (each call reads the machine anew).
class ReadOnlyInstanceProvider : public Pegasus::CIMInstanceProvider {
public:
    void initialize(Pegasus::CIMOMHandle&) override {}
    void terminate() override { delete this; }

    void getInstance(const Pegasus::OperationContext&, const Pegasus::CIMObjectPath& reference,
                     const Pegasus::Boolean, const Pegasus::Boolean,
                     const Pegasus::CIMPropertyList&,
                     Pegasus::InstanceResponseHandler& handler) override
    {
        Pegasus::CIMObjectPath const wanted(Pegasus::String(), Pegasus::CIMNamespaceName(),
                                            reference.getClassName(),
                                            reference.getKeyBindings());
        Pegasus::Array<Pegasus::CIMInstance> const all = Collect(reference.getClassName());
        for (Pegasus::Uint32 i = 0; i < all.size(); i++) {
            if (all[i].getPath() == wanted) {
                handler.processing();
                handler.deliver(all[i]);
                handler.complete();
                return;
            }
        }
        throw Pegasus::CIMObjectNotFoundException(reference.toString());
    }

    void enumerateInstances(const Pegasus::OperationContext&,
                            const Pegasus::CIMObjectPath& classReference, const Pegasus::Boolean,
                            const Pegasus::Boolean, const Pegasus::CIMPropertyList&,
                            Pegasus::InstanceResponseHandler& handler) override
    {
        Pegasus::Array<Pegasus::CIMInstance> const all = Collect(classReference.getClassName());
        handler.processing();
        handler.deliver(all);
        handler.complete();
    }

    void enumerateInstanceNames(const Pegasus::OperationContext&,
                                const Pegasus::CIMObjectPath& classReference,
                                Pegasus::ObjectPathResponseHandler& handler) override
    {
        Pegasus::Array<Pegasus::CIMInstance> const all = Collect(classReference.getClassName());
        handler.processing();
        for (Pegasus::Uint32 i = 0; i < all.size(); i++)
            handler.deliver(all[i].getPath());
        handler.complete();
    }

    void modifyInstance(const Pegasus::OperationContext&, const Pegasus::CIMObjectPath&,
                        const Pegasus::CIMInstance&, const Pegasus::Boolean,
                        const Pegasus::CIMPropertyList&, Pegasus::ResponseHandler&) override
    {
        throw Pegasus::CIMNotSupportedException("inventory instances are read-only");
    }

    void createInstance(const Pegasus::OperationContext&, const Pegasus::CIMObjectPath&,
                        const Pegasus::CIMInstance&, Pegasus::ObjectPathResponseHandler&) override
    {
        throw Pegasus::CIMNotSupportedException("inventory instances are read-only");
    }

    void deleteInstance(const Pegasus::OperationContext&, const Pegasus::CIMObjectPath&,
                        Pegasus::ResponseHandler&) override
    {
        throw Pegasus::CIMNotSupportedException("inventory instances are read-only");
    }

protected:
    // The instances `className` has now (exactly that class); none for a
    // class the provider does not serve.
    virtual Pegasus::Array<Pegasus::CIMInstance> Collect(const Pegasus::CIMName& className) = 0;
};

} // namespace ktaprovider

#endif
