#include "IntegerText.h"

#include <string>

PEGASUS_NAMESPACE_BEGIN

namespace
{
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The key-value syntax over a String: its characters are ASCII or it is no
// integer.
IntegerTextResult parseKeyValue(const String& text, bool& negative, Uint64& magnitude)
{
    const Uint32 n = text.size();
    std::string ascii(n, '\0');
    for (Uint32 i = 0; i < n; i++)
    {
        const Uint16 c = text[i];
        if (c == 0 || c > 0x7F)
            return IntegerTextResult::Malformed;
        ascii[i] = char(c);
    }
    return parseIntegerText(ascii.data(), ascii.size(), IntegerSyntax::KeyValue, negative,
                            magnitude);
}
}

IntegerTextResult parseIntegerText(const char* text, std::size_t size, IntegerSyntax syntax,
                                   bool& negative, Uint64& magnitude)
{
    const char* p = text;
    const char* end = text + size;
    bool minus = false;
    if (p != end && (*p == '-' || (*p == '+' && syntax == IntegerSyntax::Value)))
    {
        minus = *p == '-';
        ++p;
    }
    const bool hex = end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X');
    if (hex)
        p += 2;
    if (p == end)
        return IntegerTextResult::Malformed;
    // Key values have no leading zeros: "0" is the only text starting with one.
    if (!hex && syntax == IntegerSyntax::KeyValue && *p == '0' && end - p > 1)
        return IntegerTextResult::Malformed;
    const Uint64 base = hex ? 16 : 10;
    Uint64 v = 0;
    bool overflow = false;
    for (; p != end; ++p)
    {
        const int d = hex ? hexValue(*p) : (*p >= '0' && *p <= '9' ? *p - '0' : -1);
        if (d < 0)
            return IntegerTextResult::Malformed;
        if (v > (~Uint64(0) - Uint64(d)) / base)
            overflow = true;
        else
            v = v * base + Uint64(d);
    }
    if (overflow)
        return IntegerTextResult::Overflow;
    negative = minus && v != 0;
    magnitude = v;
    return IntegerTextResult::Ok;
}

bool parseUnsignedIntegerText(const String& text, Uint64& x)
{
    bool negative = false;
    Uint64 m = 0;
    if (parseKeyValue(text, negative, m) != IntegerTextResult::Ok || negative ||
        (text.size() > 0 && text[0] == '-'))
        return false;
    x = m;
    return true;
}

bool parseSignedIntegerText(const String& text, Sint64& x)
{
    bool negative = false;
    Uint64 m = 0;
    if (parseKeyValue(text, negative, m) != IntegerTextResult::Ok)
        return false;
    const Uint64 limit = Uint64(1) << 63;
    if (negative)
    {
        if (m > limit)
            return false;
        x = m == limit ? Sint64(-0x7FFFFFFFFFFFFFFFLL - 1) : -Sint64(m);
    }
    else
    {
        if (m >= limit)
            return false;
        x = Sint64(m);
    }
    return true;
}

PEGASUS_NAMESPACE_END
