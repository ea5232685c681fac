#include "TPEGASUSQualifierDecl.h"

#include "TKTAException.h"
#include "TPEGASUSNamespace.h"

namespace NQRVKTA20 {

TPEGASUSQualifierDecl::TPEGASUSQualifierDecl(boost::shared_ptr<TPEGASUSNamespace> ns,
                                             std::string const& name,
                                             TCIMValue const& defaultValue,
                                             ICIMQualifierDecl::EScope scope,
                                             ICIMQualifierDecl::EFlavor flavor)
    : fNamespace(ns), fName(name), fDefaultValue(defaultValue), fScope(scope), fFlavor(flavor)
{
}

TPEGASUSQualifierDecl::~TPEGASUSQualifierDecl() {}

void TPEGASUSQualifierDecl::Validate(TCIMContext) const {}

void TPEGASUSQualifierDecl::AddToNamespace(TCIMContext)
{
    boost::shared_ptr<TPEGASUSQualifierDecl> self = shared_from_this();
    boost::shared_ptr<TPEGASUSNamespace> ns = fNamespace.lock();
    if (!ns)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "qualifier declaration " + fName + ": its namespace is gone");
    ns->AddQualifierDecl(self);
}

void TPEGASUSQualifierDecl::RemoveQualifierDecl(TCIMContext) {}

std::string const& TPEGASUSQualifierDecl::GetName(TCIMContext) const
{
    return fName;
}

boost::shared_ptr<ICIMNamespace> TPEGASUSQualifierDecl::GetNamespace(TCIMContext) const
{
    return fNamespace.lock();
}

TCIMValue::TCIMType TPEGASUSQualifierDecl::GetType(TCIMContext) const
{
    return fDefaultValue.GetType();
}

bool TPEGASUSQualifierDecl::IsArray(TCIMContext) const
{
    return fDefaultValue.IsArray();
}

TCIMValue const& TPEGASUSQualifierDecl::GetDefaultValue(TCIMContext) const
{
    return fDefaultValue;
}

void TPEGASUSQualifierDecl::SetDefaultValue(TCIMValue const& value, TCIMContext)
{
    fDefaultValue = value;
}

ICIMQualifierDecl::EScope TPEGASUSQualifierDecl::GetScope(TCIMContext) const
{
    return fScope;
}

void TPEGASUSQualifierDecl::SetFlavor(EFlavor flavor, TCIMContext)
{
    fFlavor = static_cast<EFlavor>(fFlavor | flavor);
}

void TPEGASUSQualifierDecl::UnsetFlavor(EFlavor flavor, TCIMContext)
{
    fFlavor = static_cast<EFlavor>(fFlavor & ~flavor);
}

ICIMQualifierDecl::EFlavor TPEGASUSQualifierDecl::GetFlavor(TCIMContext) const
{
    return fFlavor;
}

bool TPEGASUSQualifierDecl::operator==(ICIMQualifierDecl& other) const
{
    return TPEGASUSNamespace::NormalizeName(fName).compare(
               TPEGASUSNamespace::NormalizeName(other.GetName(TCIMContext()))) == 0;
}

bool TPEGASUSQualifierDecl::operator<(ICIMQualifierDecl& other) const
{
    return TPEGASUSNamespace::NormalizeName(fName).compare(
               TPEGASUSNamespace::NormalizeName(other.GetName(TCIMContext()))) < 0;
}

ICIMQualifierDecl& TPEGASUSQualifierDecl::operator=(ICIMQualifierDecl const&)
{
    return *this;
}

} // namespace NQRVKTA20
