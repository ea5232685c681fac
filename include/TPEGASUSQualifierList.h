// TPEGASUSQualifierList: the qualifier list that classes and property,
// method and parameter declarations share: a map from the lower-cased
// (TPEGASUSNamespace::NormalizeName) qualifier name to the qualifier, which
// it owns.  Iteration runs in ascending order of those names.
//
// The add rule is the same for every element: a stored qualifier of the same
// name is replaced when its flavor has the enable-override bit; otherwise
// the new one must equal it in value and flavor (then it is dropped and the
// stored one stays) or TKTAException 28 is thrown and the list is unchanged.
//
// Failure: an invalid name throws what NormalizeName throws (25).
// Thread safety: none; the owner serialises changes.
#ifndef NQRVKTA20_TPEGASUSQUALIFIERLIST_H
#define NQRVKTA20_TPEGASUSQUALIFIERLIST_H

#include <map>
#include <string>

#include <boost/shared_ptr.hpp>

#include "ICIMNamedElement.h"

namespace NQRVKTA20 {

class ICIMQualifier;
class TPEGASUSQualifier;

class TPEGASUSQualifierList {
public:
    typedef std::map<std::string, boost::shared_ptr<TPEGASUSQualifier>> TMap;

    // Adds `qualifier` (a TPEGASUSQualifier; any other kind throws
    // TKTAException 14) under the rule above.
    void Add(boost::shared_ptr<ICIMQualifier> qualifier);
    // The qualifier of that name, or empty.
    boost::shared_ptr<TPEGASUSQualifier> Find(std::string const& name) const;
    // The same for a name already lower-cased (no normalisation).
    boost::shared_ptr<TPEGASUSQualifier> FindNormalized(std::string const& key) const
    {
        TMap::const_iterator found = fMap.find(key);
        return found == fMap.end() ? boost::shared_ptr<TPEGASUSQualifier>() : found->second;
    }
    // The iterator of that name (end() when absent) and whether it was
    // found.
    std::pair<TMap::iterator, bool> Lookup(std::string const& name);
    // Removes the entry under the qualifier's name; TKTAException 15 when
    // there is none.
    void Remove(boost::shared_ptr<ICIMQualifier> qualifier);
    // Each qualifier in name order; stops at the first false.
    void Enumerate(ICIMNamedElement::TQualifierCallback const& callback) const;
    void Clear() { fMap.clear(); }
    bool Empty() const { return fMap.empty(); }
    std::size_t Size() const { return fMap.size(); }
    TMap const& Entries() const { return fMap; }

private:
    TMap fMap;
};

} // namespace NQRVKTA20

#endif
