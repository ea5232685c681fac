// Conversion of values between the CIM server's object model (Pegasus) and
// the host's (TCIMValue).  Free functions without state; they may run on any
// thread.
//
// Types map one to one: Pegasus type t (boolean 0 ... reference 14) is host
// code t + 1, its array t + 17.  Every other Pegasus type (embedded objects
// and instances), reference arrays in either direction and host codes 0 and
// above 15 are not converted: the output keeps what it held, nothing is
// logged.  The conversion follows the declared type and array flag given by
// the caller, not the value; a pair that does not match the value makes the
// Pegasus accessor throw its TypeMismatchException, which passes through, as
// do the parse errors of malformed datetime and object path texts.
#ifndef NQRVKTA20_TPEGASUSVALUECONVERSION_H
#define NQRVKTA20_TPEGASUSVALUECONVERSION_H

#include <string>

#include <boost/shared_ptr.hpp>

#include <Pegasus/Common/Array.h>
#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMValue.h>

#include "TCIMValue.h"

namespace NQRVKTA20 {

class ICIMClass;

// The host type code of a Pegasus type: t + 1, or t + 17 with `isArray`;
// any other type gives kNone (16 with `isArray`).
TCIMValue::TCIMType pegTypeToKTAType(Pegasus::CIMType type, bool isArray);

// Converts `value`, of the declared `type` and `isArray`, into `out`.
// `name` (the property, parameter or qualifier the value belongs to) does
// not influence the conversion.  A null boolean converts to false, a null
// scalar of any other type to a null host value of that type; char16
// becomes TCIMChar16 of its decimal code; datetimes and references go
// through their text forms; a reference takes its namespace from
// `cls->GetNamespace` (so `cls` must be given for references).  Arrays
// become host arrays of the element type, empty for a null array.
void pegValToKTA(std::string name, Pegasus::CIMValue value, Pegasus::CIMType type,
                 bool isArray, TCIMValue& out, boost::shared_ptr<ICIMClass> cls);

// Converts a host value into `out` by its own type code (for arrays, the
// element type).  Null host values are not treated apart: they convert as
// the host's conversion operators and ToString give them.
void ktaValToPeg(TCIMValue const& value, Pegasus::CIMValue& out);

// Host array of element type T into a Pegasus array of element type U, in
// order; the last two arguments only select T and U.
template <typename T, typename U>
void ktaArrayToPeg(TCIMValue const& value, Pegasus::CIMValue& out, T, U)
{
    std::vector<TCIMValue> const& elements = value;
    Pegasus::Array<U> array;
    array.reserveCapacity(static_cast<Pegasus::Uint32>(elements.size()));
    for (TCIMValue const& element : elements)
        array.append(U(static_cast<T>(element)));
    out.set(array);
}

} // namespace NQRVKTA20

#endif
