#include "IntegerText.h"

PEGASUS_NAMESPACE_BEGIN

namespace
{
int hexValue(Uint16 c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The magnitude in text[start, end).
bool parseMagnitude(const String& text, Uint32 start, Uint64& x)
{
    Uint32 n = text.size();
    if (start >= n)
        return false;
    Uint64 v = 0;
    if (n - start > 2 && text[start] == '0' &&
        (text[start + 1] == 'x' || text[start + 1] == 'X'))
    {
        for (Uint32 i = start + 2; i < n; i++)
        {
            int d = hexValue(text[i]);
            if (d < 0 || v > (~Uint64(0) >> 4))
                return false;
            v = (v << 4) | Uint64(d);
        }
    }
    else
    {
        // No leading zeros: "0" is the only text starting with one.
        if (text[start] == '0' && n - start > 1)
            return false;
        for (Uint32 i = start; i < n; i++)
        {
            Uint16 c = text[i];
            if (c < '0' || c > '9')
                return false;
            Uint64 d = c - '0';
            if (v > (~Uint64(0) - d) / 10)
                return false;
            v = v * 10 + d;
        }
    }
    x = v;
    return true;
}
}

bool parseUnsignedIntegerText(const String& text, Uint64& x)
{
    return parseMagnitude(text, 0, x);
}

bool parseSignedIntegerText(const String& text, Sint64& x)
{
    bool negative = text.size() > 0 && text[0] == '-';
    Uint64 m;
    if (!parseMagnitude(text, negative ? 1 : 0, m))
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
