#include "TInmemQualifier.h"

#include "ICIMNamedElement.h"
#include "TInmemNames.h"
#include "TKTAException.h"

namespace NQRVKTA20 {

namespace {

boost::shared_ptr<const ICIMQualifierDecl> RequireDecl(
    boost::shared_ptr<const ICIMQualifierDecl> decl)
{
    if (!decl)
        throw TKTAException(TKTAStatusCode::kNotSupported, "qualifier without declaration");
    return decl;
}

} // namespace

TInmemQualifier::TInmemQualifier(boost::shared_ptr<const ICIMNamedElement> element,
                                 boost::shared_ptr<const ICIMQualifierDecl> decl,
                                 TCIMValue const& value)
    : fElement(element), fDecl(RequireDecl(decl)), fValue(value),
      fFlavor(fDecl->GetFlavor(TCIMContext())), fPropagated(false)
{
}

TInmemQualifier::TInmemQualifier(boost::shared_ptr<const ICIMNamedElement> element,
                                 boost::shared_ptr<const ICIMQualifierDecl> decl,
                                 TCIMValue const& value, ICIMQualifierDecl::EFlavor flavor)
    : fElement(element), fDecl(RequireDecl(decl)), fValue(value), fFlavor(flavor),
      fPropagated(false)
{
}

TInmemQualifier::~TInmemQualifier() {}

void TInmemQualifier::Validate(TCIMContext) const {}

void TInmemQualifier::AddToClassOrProperty(TCIMContext)
{
    boost::shared_ptr<const ICIMNamedElement> element = fElement.lock();
    if (!element)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "qualifier " + GetName(TCIMContext()) + ": element is gone");
    // The element owns its qualifier list; the const view we keep only says
    // that the qualifier itself never changes its element.
    boost::const_pointer_cast<ICIMNamedElement>(element)->AddQualifier(shared_from_this(),
                                                                       TCIMContext());
}

void TInmemQualifier::RemoveFromClassOrProperty(TCIMContext) {}

std::string const& TInmemQualifier::GetName(TCIMContext) const
{
    return fDecl->GetName(TCIMContext());
}

boost::shared_ptr<const ICIMNamedElement> TInmemQualifier::GetClassOrProperty(TCIMContext) const
{
    return fElement.lock();
}

TCIMValue::TCIMType TInmemQualifier::GetType(TCIMContext) const
{
    return fValue.GetType();
}

bool TInmemQualifier::IsArray(TCIMContext) const
{
    return fValue.IsArray();
}

boost::shared_ptr<const ICIMQualifierDecl> TInmemQualifier::GetDeclaration(TCIMContext) const
{
    return fDecl;
}

TCIMValue const& TInmemQualifier::GetValue(TCIMContext) const
{
    return fValue;
}

void TInmemQualifier::SetValue(TCIMValue const& value, TCIMContext)
{
    fValue = value;
    fPropagated = false;
}

void TInmemQualifier::SetFlavor(ICIMQualifierDecl::EFlavor flavor, TCIMContext)
{
    fFlavor = static_cast<ICIMQualifierDecl::EFlavor>(fFlavor | flavor);
    fPropagated = false;
}

void TInmemQualifier::UnsetFlavor(ICIMQualifierDecl::EFlavor flavor, TCIMContext)
{
    fFlavor = static_cast<ICIMQualifierDecl::EFlavor>(fFlavor & ~flavor);
    fPropagated = false;
}

ICIMQualifierDecl::EFlavor TInmemQualifier::GetFlavor(TCIMContext) const
{
    return fFlavor;
}

bool TInmemQualifier::operator==(ICIMQualifier& other) const
{
    return InmemNormalizeName(GetName(TCIMContext())) ==
           InmemNormalizeName(other.GetName(TCIMContext()));
}

bool TInmemQualifier::operator<(ICIMQualifier& other) const
{
    return InmemNormalizeName(GetName(TCIMContext())) <
           InmemNormalizeName(other.GetName(TCIMContext()));
}

bool TInmemQualifier::GetPropagated(TCIMContext) const
{
    return fPropagated;
}

ICIMQualifier& TInmemQualifier::operator=(ICIMQualifier const&)
{
    return *this;
}

void TInmemQualifier::SetPropagated(bool propagated)
{
    fPropagated = propagated;
}

} // namespace NQRVKTA20
