// The text form of the object paths that TInmemInstance builds.
//
//   ClassName                       a class without key properties
//   ClassName.Key1="text",Key2=3    otherwise
//
// Keys appear in ascending order of their lower-cased names (ties keep the
// order given). Values by type:
//   string, char16, datetime, reference   in double quotes; each double
//                                         quote and backslash inside gets
//                                         a backslash before it
//   boolean                               TRUE or FALSE
//   numbers                               TCIMValue::ToString(10)
//   null (any type)                       nothing after the "="
// Key names appear as given (letter case kept).
#ifndef NQRVKTA20_TINMEMOBJECTPATH_H
#define NQRVKTA20_TINMEMOBJECTPATH_H

#include <string>
#include <utility>
#include <vector>

#include "TCIMValue.h"

namespace NQRVKTA20 {

typedef std::vector<std::pair<std::string, TCIMValue>> TInmemKeyBindings;

// The path text for `className` and its key bindings. Never throws except
// std::bad_alloc.
std::string InmemFormatObjectPath(std::string const& className, TInmemKeyBindings keys);

// The text of one key value, as above.
std::string InmemFormatKeyValue(TCIMValue const& value);

} // namespace NQRVKTA20

#endif
