#include "TPEGASUSQualifierList.h"

#include "TKTAException.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSQualifier.h"

namespace NQRVKTA20 {

void TPEGASUSQualifierList::Add(boost::shared_ptr<ICIMQualifier> qualifier)
{
    // Only our own qualifiers are stored; check before anything changes.
    boost::shared_ptr<TPEGASUSQualifier> own =
        boost::dynamic_pointer_cast<TPEGASUSQualifier>(qualifier);
    if (!own)
        throw TKTAException(TKTAStatusCode::kWrongType,
                            qualifier ? "qualifier " + qualifier->GetName(TCIMContext()) +
                                            " is not a TPEGASUSQualifier"
                                      : std::string("empty qualifier pointer"));

    TCIMContext none;
    std::string const key = TPEGASUSNamespace::NormalizeName(own->GetName(none));
    TMap::iterator found = fMap.find(key);
    if (found != fMap.end()) {
        TPEGASUSQualifier const& stored = *found->second;
        if (stored.GetFlavor(none) & ICIMQualifierDecl::kFlavorEnableOverride) {
            fMap.erase(found);
        } else if (stored.GetValue(none) != own->GetValue(none) ||
                   stored.GetFlavor(none) != own->GetFlavor(none)) {
            throw TKTAException(TKTAStatusCode::kQualifierNotAllowed,
                                "qualifier " + own->GetName(none) +
                                    " is already present and may not be overridden");
        } else {
            // Same value and flavor: the stored object stays.
            return;
        }
    }
    fMap.insert(TMap::value_type(key, own));
}

boost::shared_ptr<TPEGASUSQualifier> TPEGASUSQualifierList::Find(std::string const& name) const
{
    TMap::const_iterator found = fMap.find(TPEGASUSNamespace::NormalizeName(name));
    return found == fMap.end() ? boost::shared_ptr<TPEGASUSQualifier>() : found->second;
}

std::pair<TPEGASUSQualifierList::TMap::iterator, bool> TPEGASUSQualifierList::Lookup(
    std::string const& name)
{
    TMap::iterator found = fMap.find(TPEGASUSNamespace::NormalizeName(name));
    return std::make_pair(found, found != fMap.end());
}

void TPEGASUSQualifierList::Remove(boost::shared_ptr<ICIMQualifier> qualifier)
{
    if (!qualifier)
        throw TKTAException(TKTAStatusCode::kNotFound, "empty qualifier pointer");
    std::string const& name = qualifier->GetName(TCIMContext());
    if (fMap.erase(TPEGASUSNamespace::NormalizeName(name)) == 0)
        throw TKTAException(TKTAStatusCode::kNotFound, "qualifier " + name + " is not present");
}

void TPEGASUSQualifierList::Enumerate(ICIMNamedElement::TQualifierCallback const& callback) const
{
    // A copy: the callback may add or remove qualifiers of the same element.
    TMap const snapshot(fMap);
    for (TMap::value_type const& entry : snapshot)
        if (!callback(entry.second))
            return;
}

} // namespace NQRVKTA20
