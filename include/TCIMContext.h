#ifndef NQRVKTA20_TCIMCONTEXT_H
#define NQRVKTA20_TCIMCONTEXT_H

#include <map>
#include <string>

#include "TCIMValue.h"

namespace NQRVKTA20 {

// The call context: named values passed by value as the last argument of
// nearly every object-model operation.
typedef std::map<std::string, TCIMValue> TCIMContext;

}  // namespace NQRVKTA20

#endif  // NQRVKTA20_TCIMCONTEXT_H
