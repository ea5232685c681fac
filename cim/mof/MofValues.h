// Turning MOF literals into typed CIM values.
//
// A literal gets its type from the element it is assigned to (property,
// qualifier declaration, ...).  Every mismatch - a string for an integer,
// a value out of the type's range, a malformed datetime or object path, an
// array for a scalar - throws ValueError with a message naming the problem
// and the literal's location.  Thread-safe (no shared state).
#ifndef PEGASUS_MOF_VALUES_H
#define PEGASUS_MOF_VALUES_H

#include "MofSyntax.h"

#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/String.h>

#include <functional>
#include <string>

namespace Pegasus {
namespace Mof {

struct ValueError
{
    std::string message;
    Location where;
};

// Looks up an alias ($name, given without the '$'); false if undefined.
using AliasLookup = std::function<bool(const std::string& alias, CIMObjectPath& path)>;

struct ValueTarget
{
    CIMType type = CIMTYPE_STRING;
    bool isArray = false;
    // Qualifier values may give one element without braces for an array.
    bool scalarAsArray = false;
    // Needed only for reference values written as aliases; may be empty.
    AliasLookup aliases;
};

// The literal as a CIMValue of the target's type (a typed null for NULL).
CIMValue toValue(const Literal& literal, const ValueTarget& target);

// A MOF string (UTF-16) as a Pegasus String.
String toPegasusString(const std::u16string& text);

}  // namespace Mof
}  // namespace Pegasus

#endif
