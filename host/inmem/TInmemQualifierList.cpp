#include "TInmemQualifierList.h"

#include "TInmemNames.h"
#include "TKTAException.h"

namespace NQRVKTA20 {

void TInmemQualifierList::Add(boost::shared_ptr<ICIMQualifier> qualifier)
{
    if (!qualifier)
        throw TKTAException(TKTAStatusCode::kNotSupported, "empty qualifier pointer");
    TCIMContext none;
    std::string key = InmemNormalizeName(qualifier->GetName(none));
    auto found = fQualifiers.find(key);
    if (found == fQualifiers.end()) {
        fQualifiers[key] = qualifier;
        return;
    }
    ICIMQualifier& present = *found->second;
    if (present.GetFlavor(none) & ICIMQualifierDecl::kFlavorEnableOverride) {
        found->second = qualifier;
        return;
    }
    if (present.GetValue(none) != qualifier->GetValue(none) ||
        present.GetFlavor(none) != qualifier->GetFlavor(none))
        throw TKTAException(TKTAStatusCode::kQualifierNotAllowed,
                            "qualifier " + qualifier->GetName(none) +
                                " is already present and may not be overridden");
    // Same value and flavor: the present object stays, nothing to do.
}

boost::shared_ptr<ICIMQualifier> TInmemQualifierList::Find(std::string const& name) const
{
    auto found = fQualifiers.find(InmemNormalizeName(name));
    return found == fQualifiers.end() ? boost::shared_ptr<ICIMQualifier>() : found->second;
}

void TInmemQualifierList::Enumerate(ICIMNamedElement::TQualifierCallback const& callback) const
{
    // Copy first: the callback may add or remove qualifiers of this element.
    std::map<std::string, boost::shared_ptr<ICIMQualifier>> snapshot(fQualifiers);
    for (auto const& entry : snapshot)
        if (!callback(entry.second))
            return;
}

bool TInmemQualifierList::Remove(std::string const& name)
{
    return fQualifiers.erase(InmemNormalizeName(name)) != 0;
}

bool InmemQualifierIsTrue(boost::shared_ptr<ICIMQualifier> const& qualifier)
{
    if (!qualifier)
        return false;
    TCIMValue const& value = qualifier->GetValue(TCIMContext());
    if (value.IsNull())
        return false;
    if (value.GetType() != kBoolean)
        return true;
    return static_cast<bool>(value);
}

} // namespace NQRVKTA20
