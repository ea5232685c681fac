// The UTF-8 text of a String as a std::string: the conversion the CIM
// stack's own code uses wherever it needs a std::string (the API's
// getCString() builds a buffer of its own first).  Surrogate pairs become
// one four-byte sequence; an unpaired surrogate keeps its own three-byte
// sequence, so no code unit is lost.
#ifndef Pegasus_Common_Utf8Text_h
#define Pegasus_Common_Utf8Text_h

#include <cstdint>
#include <cstring>
#include <string>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>

PEGASUS_NAMESPACE_BEGIN

PEGASUS_COMMON_LINKAGE std::string utf8Text(const String& text);

// The first byte of [p, end) that is not ASCII, or end: a run of ASCII
// bytes maps one to one onto code units, and is found eight bytes at a time.
inline const unsigned char* asciiRunEnd(const unsigned char* p, const unsigned char* end)
{
    while (end - p >= 8)
    {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ull)
            break;
        p += 8;
    }
    while (p != end && *p < 0x80)
        p++;
    return p;
}

PEGASUS_NAMESPACE_END

#endif
