// Integer texts as object-path key values write them: decimal without
// leading zeros (optionally negative) or "0x" hexadecimal.  Shared by the
// object-path parser and the key-binding comparisons.
#ifndef Pegasus_Common_IntegerText_h
#define Pegasus_Common_IntegerText_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>

PEGASUS_NAMESPACE_BEGIN

// Parses an unsigned integer ("0", "123", "0x1F"); false if the text is not
// one or does not fit in 64 bits.  x is set only on success.
bool parseUnsignedIntegerText(const String& text, Uint64& x);

// As above with an optional leading '-'; the result must fit in Sint64.
bool parseSignedIntegerText(const String& text, Sint64& x);

PEGASUS_NAMESPACE_END

#endif
