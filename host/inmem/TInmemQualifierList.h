// TInmemQualifierList: the qualifiers of one in-memory element, keyed by
// lower-cased name, with the host's rules for adding a qualifier whose name
// is already present.
//
// Thread safety: none; the owning element serialises access.
#ifndef NQRVKTA20_TINMEMQUALIFIERLIST_H
#define NQRVKTA20_TINMEMQUALIFIERLIST_H

#include <map>
#include <string>

#include <boost/shared_ptr.hpp>

#include "ICIMNamedElement.h"
#include "ICIMQualifier.h"

namespace NQRVKTA20 {

class TInmemQualifierList {
public:
    // Adds `qualifier` under its lower-cased name. When one of that name is
    // present: if the present one has the enable-override flavor bit it is
    // replaced; otherwise an equal value and flavor keep the present object
    // (no error) and anything else throws TKTAException 28. An empty pointer
    // throws TKTAException 1.
    void Add(boost::shared_ptr<ICIMQualifier> qualifier);
    // The qualifier of that name (any letter case), or an empty pointer.
    boost::shared_ptr<ICIMQualifier> Find(std::string const& name) const;
    // Ascending lower-cased names; stops at the first false.
    void Enumerate(ICIMNamedElement::TQualifierCallback const& callback) const;
    // Removes the entry of that name; false when there was none.
    bool Remove(std::string const& name);
    void Clear() { fQualifiers.clear(); }
    std::size_t Size() const { return fQualifiers.size(); }

private:
    std::map<std::string, boost::shared_ptr<ICIMQualifier>> fQualifiers;
};

// True when `qualifier` exists and its value is non-null and not boolean
// false (so a non-boolean value counts as true). Never throws.
bool InmemQualifierIsTrue(boost::shared_ptr<ICIMQualifier> const& qualifier);

} // namespace NQRVKTA20

#endif
