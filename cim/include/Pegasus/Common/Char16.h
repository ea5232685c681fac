// Char16: one UTF-16 code unit.  A plain value; copying is trivial.
#ifndef Pegasus_Char16_h
#define Pegasus_Char16_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>

PEGASUS_NAMESPACE_BEGIN

class Char16
{
public:
    constexpr Char16() : _code(0) {}
    constexpr Char16(Uint16 x) : _code(x) {}
    Char16(const Char16& x) = default;
    Char16& operator=(const Char16& x) = default;
    Char16& operator=(Uint16 x)
    {
        _code = x;
        return *this;
    }
    operator Uint16() const { return _code; }

private:
    Uint16 _code;
};

inline bool operator==(const Char16& x, const Char16& y)
{
    return Uint16(x) == Uint16(y);
}
inline bool operator==(const Char16& x, char y)
{
    return Uint16(x) == Uint16(Uint8(y));
}
inline bool operator==(char x, const Char16& y)
{
    return Uint16(Uint8(x)) == Uint16(y);
}
inline bool operator!=(const Char16& x, const Char16& y) { return !(x == y); }
inline bool operator!=(const Char16& x, char y) { return !(x == y); }
inline bool operator!=(char x, const Char16& y) { return !(x == y); }

PEGASUS_NAMESPACE_END

#endif
