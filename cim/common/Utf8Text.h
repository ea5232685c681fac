// The UTF-8 text of a String as a std::string: the conversion the CIM
// stack's own code uses wherever it needs a std::string (the API's
// getCString() builds a buffer of its own first).  Surrogate pairs become
// one four-byte sequence; an unpaired surrogate keeps its own three-byte
// sequence, so no code unit is lost.
#ifndef Pegasus_Common_Utf8Text_h
#define Pegasus_Common_Utf8Text_h

#include <string>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/String.h>

PEGASUS_NAMESPACE_BEGIN

PEGASUS_COMMON_LINKAGE std::string utf8Text(const String& text);

PEGASUS_NAMESPACE_END

#endif
