#include "TInmemNames.h"

#include <algorithm>

#include "TKTAException.h"

namespace NQRVKTA20 {

namespace {

// Locale-independent on purpose: the host's names are ASCII identifiers and
// must sort and compare the same whatever locale the host process runs in.
char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::string InmemNormalizeName(std::string const& name)
{
    std::string lower(name);
    for (std::string::size_type i = 0; i < lower.size(); ++i)
        lower[i] = LowerAscii(lower[i]);
    return lower;
}

bool InmemIsValidName(std::string const& name)
{
    if (name.empty())
        return false;
    if (!(name[0] == '_' || IsAsciiLetter(name[0])))
        return false;
    for (std::string::size_type i = 1; i < name.size(); ++i) {
        char c = name[i];
        if (!(c == '_' || IsAsciiLetter(c) || IsAsciiDigit(c)))
            return false;
    }
    return true;
}

void InmemRequireValidName(std::string const& name)
{
    if (!InmemIsValidName(name))
        throw TKTAException(TKTAStatusCode::kInvalidName, "'" + name + "' is not a valid CIM name");
}

int InmemCompareNoCase(std::string const& a, std::string const& b)
{
    std::string::size_type const common = std::min(a.size(), b.size());
    for (std::string::size_type i = 0; i < common; ++i) {
        unsigned char const x = static_cast<unsigned char>(LowerAscii(a[i]));
        unsigned char const y = static_cast<unsigned char>(LowerAscii(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool InmemLessNoCase(std::string const& a, std::string const& b)
{
    return InmemCompareNoCase(a, b) < 0;
}

} // namespace NQRVKTA20
