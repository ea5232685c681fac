#include "TPEGASUSQualifier.h"

#include "TKTAException.h"
#include "TPEGASUSNamespace.h"

namespace NQRVKTA20 {

namespace {

// Every qualifier takes its name from its declaration, so one without a
// declaration cannot exist.
boost::shared_ptr<const ICIMQualifierDecl> RequireDeclaration(
    boost::shared_ptr<const ICIMQualifierDecl> decl)
{
    if (!decl)
        throw TKTAException(TKTAStatusCode::kNotFound, "qualifier without a declaration");
    return decl;
}

boost::shared_ptr<const ICIMQualifier> RequireQualifier(
    boost::shared_ptr<const ICIMQualifier> other)
{
    if (!other)
        throw TKTAException(TKTAStatusCode::kNotFound, "copy of an empty qualifier pointer");
    return other;
}

// The lower-cased declaration name of any qualifier.
std::string NormalizedDeclarationName(ICIMQualifier const& qualifier)
{
    boost::shared_ptr<const ICIMQualifierDecl> decl = qualifier.GetDeclaration(TCIMContext());
    if (!decl)
        throw TKTAException(TKTAStatusCode::kNotFound, "qualifier without a declaration");
    return TPEGASUSNamespace::NormalizeName(decl->GetName(TCIMContext()));
}

} // namespace

TPEGASUSQualifier::TPEGASUSQualifier(boost::shared_ptr<const ICIMNamedElement> element,
                                     boost::shared_ptr<const ICIMQualifierDecl> decl,
                                     TCIMValue const& value)
    : fElement(element), fDeclaration(RequireDeclaration(decl)), fValue(value),
      fFlavor(fDeclaration->GetFlavor(TCIMContext())), fPropagated(false)
{
}

TPEGASUSQualifier::TPEGASUSQualifier(boost::shared_ptr<const ICIMNamedElement> element,
                                     boost::shared_ptr<const ICIMQualifierDecl> decl,
                                     TCIMValue const& value, ICIMQualifierDecl::EFlavor flavor)
    : fElement(element), fDeclaration(RequireDeclaration(decl)), fValue(value), fFlavor(flavor),
      fPropagated(false)
{
}

TPEGASUSQualifier::TPEGASUSQualifier(boost::shared_ptr<const ICIMNamedElement> element,
                                     boost::shared_ptr<const ICIMQualifier> other)
    : fElement(element),
      fDeclaration(RequireDeclaration(RequireQualifier(other)->GetDeclaration(TCIMContext()))),
      fValue(other->GetValue(TCIMContext())), fFlavor(other->GetFlavor(TCIMContext())),
      fPropagated(other->GetPropagated(TCIMContext()))
{
}

TPEGASUSQualifier::~TPEGASUSQualifier() {}

void TPEGASUSQualifier::Validate(TCIMContext) const {}

void TPEGASUSQualifier::AddToClassOrProperty(TCIMContext)
{
    boost::shared_ptr<ICIMQualifier> self = shared_from_this();
    boost::shared_ptr<const ICIMNamedElement> element = fElement.lock();
    if (!element)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "qualifier " + GetName(TCIMContext()) + ": its element is gone");
    // The element is kept const only because the qualifier never changes it
    // itself; adding to it is the element's own operation.
    boost::const_pointer_cast<ICIMNamedElement>(element)->AddQualifier(self, TCIMContext());
}

void TPEGASUSQualifier::RemoveFromClassOrProperty(TCIMContext) {}

std::string const& TPEGASUSQualifier::GetName(TCIMContext) const
{
    return fDeclaration->GetName(TCIMContext());
}

boost::shared_ptr<const ICIMNamedElement> TPEGASUSQualifier::GetClassOrProperty(
    TCIMContext) const
{
    return fElement.lock();
}

TCIMValue::TCIMType TPEGASUSQualifier::GetType(TCIMContext) const
{
    return fValue.GetType();
}

bool TPEGASUSQualifier::IsArray(TCIMContext) const
{
    return fValue.IsArray();
}

boost::shared_ptr<const ICIMQualifierDecl> TPEGASUSQualifier::GetDeclaration(TCIMContext) const
{
    return fDeclaration;
}

TCIMValue const& TPEGASUSQualifier::GetValue(TCIMContext) const
{
    return fValue;
}

void TPEGASUSQualifier::SetValue(TCIMValue const& value, TCIMContext)
{
    fValue = value;
    fPropagated = false;
}

void TPEGASUSQualifier::SetFlavor(ICIMQualifierDecl::EFlavor flavor, TCIMContext)
{
    fFlavor = static_cast<ICIMQualifierDecl::EFlavor>(fFlavor | flavor);
    fPropagated = false;
}

void TPEGASUSQualifier::UnsetFlavor(ICIMQualifierDecl::EFlavor flavor, TCIMContext)
{
    fFlavor = static_cast<ICIMQualifierDecl::EFlavor>(fFlavor & ~flavor);
    fPropagated = false;
}

ICIMQualifierDecl::EFlavor TPEGASUSQualifier::GetFlavor(TCIMContext) const
{
    return fFlavor;
}

bool TPEGASUSQualifier::operator==(ICIMQualifier& other) const
{
    return NormalizedDeclarationName(*this).compare(NormalizedDeclarationName(other)) == 0;
}

bool TPEGASUSQualifier::operator<(ICIMQualifier& other) const
{
    return NormalizedDeclarationName(*this).compare(NormalizedDeclarationName(other)) < 0;
}

bool TPEGASUSQualifier::GetPropagated(TCIMContext) const
{
    return fPropagated;
}

ICIMQualifier& TPEGASUSQualifier::operator=(ICIMQualifier const&)
{
    return *this;
}

} // namespace NQRVKTA20
