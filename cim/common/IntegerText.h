// Integer texts: the one parser of the CIM stack, with the two syntaxes its
// formats use.  Object-path key values write integers as decimal without
// leading zeros (optionally negative) or "0x" hexadecimal; CIM-XML values
// also allow a '+' and leading zeros.
#ifndef Pegasus_Common_IntegerText_h
#define Pegasus_Common_IntegerText_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>

#include <cstddef>

PEGASUS_NAMESPACE_BEGIN

enum class IntegerSyntax
{
    // An optional '-', then decimal digits without leading zeros ("0"
    // alone) or "0x" and hexadecimal digits.
    KeyValue,
    // An optional '+' or '-', then decimal digits (leading zeros allowed)
    // or "0x" and hexadecimal digits.
    Value
};

enum class IntegerTextResult
{
    Ok,
    Malformed,  // not an integer of the syntax
    Overflow    // shaped right, but the magnitude exceeds 64 bits
};

// Splits text[0, size) into sign and magnitude.  negative and magnitude are
// set only on Ok; "-0" gives negative false.
PEGASUS_COMMON_LINKAGE IntegerTextResult parseIntegerText(const char* text, std::size_t size,
                                                          IntegerSyntax syntax, bool& negative,
                                                          Uint64& magnitude);

// Parses an unsigned integer ("0", "123", "0x1F"); false if the text is not
// one or does not fit in 64 bits.  x is set only on success.
bool parseUnsignedIntegerText(const String& text, Uint64& x);

// As above with an optional leading '-'; the result must fit in Sint64.
bool parseSignedIntegerText(const String& text, Sint64& x);

PEGASUS_NAMESPACE_END

#endif
