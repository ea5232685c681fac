#include "TInmemObjectPath.h"

#include <algorithm>

#include "TInmemNames.h"

namespace NQRVKTA20 {

namespace {

std::string Quoted(std::string const& text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

} // namespace

std::string InmemFormatKeyValue(TCIMValue const& value)
{
    if (value.IsNull())
        return std::string();
    switch (value.GetType()) {
    case kString:
    case kChar16:
    case kDateTime:
    case kReference:
        return Quoted(value.ToString(10));
    default:
        return value.ToString(10);
    }
}

std::string InmemFormatObjectPath(std::string const& className, TInmemKeyBindings keys)
{
    // Sorting by the lower-cased name makes the text independent of the
    // order in which a class happens to list its keys and of their case.
    if (keys.size() > 1)
        std::stable_sort(keys.begin(), keys.end(),
                         [](std::pair<std::string, TCIMValue> const& a,
                            std::pair<std::string, TCIMValue> const& b) {
                             return InmemLessNoCase(a.first, b.first);
                         });
    std::string path = className;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        path += (i == 0) ? '.' : ',';
        path += keys[i].first;
        path += '=';
        path += InmemFormatKeyValue(keys[i].second);
    }
    return path;
}

} // namespace NQRVKTA20
