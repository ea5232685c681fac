#ifndef NQRVKTA20_TCIMCHAR16_H
#define NQRVKTA20_TCIMCHAR16_H

#include <cstdint>
#include <string>

namespace NQRVKTA20 {

// One CIM char16 value: a single 16-bit UCS-2 code unit.
//
// Value type: cheap to copy, no shared state; distinct objects may be used
// from different threads freely.
class TCIMChar16 {
public:
    // The character with code 0.
    TCIMChar16() : fCode(0) {}
    explicit TCIMChar16(uint16_t code) : fCode(code) {}
    // `decimalCode` is the DECIMAL text of the code: "65" is the letter A.
    // Only the digits 0-9 are accepted (no sign, no blanks), and the number
    // must be at most 65535.  Throws TKTAException(kWrongType) otherwise.
    explicit TCIMChar16(const std::string& decimalCode);

    // Builds the character from its UTF-8 text, which must be exactly one
    // character in the range U+0000..U+FFFF.  Throws
    // TKTAException(kWrongType) for anything else (empty text, several
    // characters, invalid UTF-8, characters beyond U+FFFF).
    static TCIMChar16 FromUTF8(const std::string& text);

    uint16_t GetValue() const { return fCode; }

    // The character encoded as UTF-8 (1 to 3 bytes).  Code 0 gives the empty
    // text; a lone surrogate code (0xD800-0xDFFF), which has no UTF-8 form on
    // its own, gives the replacement character U+FFFD.
    std::string ToString() const;

    bool operator==(const TCIMChar16& other) const { return fCode == other.fCode; }
    bool operator!=(const TCIMChar16& other) const { return fCode != other.fCode; }
    // Ordered by code.
    bool operator<(const TCIMChar16& other) const { return fCode < other.fCode; }

private:
    uint16_t fCode;
};

}  // namespace NQRVKTA20

#endif  // NQRVKTA20_TCIMCHAR16_H
