// Conversion between CIM values and the text CIM-XML carries inside VALUE
// and KEYVALUE: type names, integers with range checks, reals, booleans,
// char16, datetimes.  Stateless and thread-safe.
#ifndef PEGASUS_CIMXML_VALUES_H
#define PEGASUS_CIMXML_VALUES_H

#include "CimXmlException.h"

#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMValue.h>

#include <cstddef>
#include <string>
#include <vector>

namespace Pegasus {

class CimXmlValues
{
public:
    // The CIM type named by a TYPE or PARAMTYPE attribute ("uint8", ...,
    // "reference").  Returns false for any other name, "object" and
    // "instance" included: those travel as strings with EmbeddedObject.
    static bool typeFromName(const char* name, CIMType& type);

    // The attribute spelling of a type.  Object and instance give their own
    // names here; writers map them to "string" with EmbeddedObject.
    static const char* typeName(CIMType type);

    // A non-null scalar of `type` from its text.  Numbers, booleans and
    // datetimes may be surrounded by XML white space; strings are taken
    // verbatim.  Throws CimXmlException(VALUE) naming the text and the type
    // when the text is not a value of that type (bad digits, out of range,
    // not exactly one character for char16, malformed datetime).
    // REQUIRES: type is neither object nor instance.
    static CIMValue scalarFromText(CIMType type, const char* text, std::size_t size);

    // A non-null array of `type` from the texts of its elements.  Same
    // failures as scalarFromText.
    static CIMValue arrayFromTexts(CIMType type, const std::vector<std::string>& texts);

    // The texts of the elements of a non-null value of a CIM type other
    // than object, instance and reference, unescaped: one text for a scalar,
    // one per element for an array.  Booleans are TRUE/FALSE, reals %.16e,
    // char16 and strings UTF-8.
    static std::vector<std::string> texts(const CIMValue& value);

    // The text of one scalar of the kinds above.
    static std::string scalarText(const CIMValue& value);

    // Formats a real as printf("%.16e") would: 1.5000000000000000e+00.
    static void appendReal(std::string& out, double value);

    // Parses an integer as CIM-XML writes one (optional sign, decimal
    // digits, or 0x and hex digits) into the range [min, max].  Returns
    // false when the text is not such a number or out of range.
    static bool parseSigned(const char* text, std::size_t size,
                            long long min, long long max, long long& result);
    static bool parseUnsigned(const char* text, std::size_t size,
                              unsigned long long max, unsigned long long& result);

};

}  // namespace Pegasus

#endif
