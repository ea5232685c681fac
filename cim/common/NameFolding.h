// Case folding of CIM names: the one rule by which the object model
// (String::equalNoCase, CIMName::equal), the MOF compiler and the server's
// repository and provider registry decide whether two names are the same.
//
// CIM names are case-insensitive and case-preserving.  Each UTF-16 unit is
// folded on its own, without a locale: the ASCII capitals A-Z and the
// Latin-1 capitals U+00C0..U+00DE (but U+00D7, the multiplication sign)
// become the small letter 0x20 above them.  These are exactly the pairs of
// Unicode's simple case folding whose two letters both lie in
// U+0000..U+00FF; every other character, including U+00DF, U+00FF and
// U+00B5 (whose partners lie outside Latin-1) and all letters beyond
// Latin-1, compares as it is.  Folding never changes a name's length, so
// two names can be compared unit by unit without folded copies.
#ifndef Pegasus_Common_NameFolding_h
#define Pegasus_Common_NameFolding_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>

#include <cstddef>
#include <string>

PEGASUS_NAMESPACE_BEGIN

// The folded (small) form of one UTF-16 unit.
inline Uint16 foldNameUnit(Uint16 c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return Uint16(c + 0x20);
    return c;
}

// The capital form of one UTF-16 unit: the inverse of foldNameUnit.
inline Uint16 capitalNameUnit(Uint16 c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return Uint16(c - 0x20);
    return c;
}

// The UTF-8 form of the folded name: a key under which every spelling of
// the name that differs only in case is the same.  Built in one pass, with
// no folded copy of the name in between.
std::string foldedName(const String& name);

// The same key from a name already in UTF-8 (as the MOF compiler keeps
// names): for valid UTF-8, foldedName(utf8) == foldedName(String(utf8)).
std::string foldedName(const std::string& utf8);

PEGASUS_NAMESPACE_END

#endif
