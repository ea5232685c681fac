#include "TInmemQualifierDecl.h"

#include "TInmemNames.h"
#include "TInmemNamespace.h"
#include "TKTAException.h"

namespace NQRVKTA20 {

TInmemQualifierDecl::TInmemQualifierDecl(boost::shared_ptr<ICIMNamespace> nameSpace,
                                         std::string const& name,
                                         TCIMValue const& defaultValue, EScope scope,
                                         EFlavor flavor)
    : fNamespace(nameSpace), fName(name), fDefaultValue(defaultValue), fScope(scope),
      fFlavor(flavor)
{
}

TInmemQualifierDecl::~TInmemQualifierDecl() {}

void TInmemQualifierDecl::Validate(TCIMContext) const {}

void TInmemQualifierDecl::AddToNamespace(TCIMContext)
{
    boost::shared_ptr<ICIMNamespace> ns = fNamespace.lock();
    if (!ns)
        throw TKTAException(TKTAStatusCode::kNotFound, "qualifier " + fName + ": namespace is gone");
    TInmemNamespace* inmem = dynamic_cast<TInmemNamespace*>(ns.get());
    if (!inmem)
        throw TKTAException(TKTAStatusCode::kNotSupported,
                            "qualifier " + fName + ": not an in-memory namespace");
    inmem->AddQualifierDecl(shared_from_this());
}

void TInmemQualifierDecl::RemoveQualifierDecl(TCIMContext)
{
    boost::shared_ptr<ICIMNamespace> ns = fNamespace.lock();
    TInmemNamespace* inmem = dynamic_cast<TInmemNamespace*>(ns.get());
    if (inmem)
        inmem->RemoveQualifierDecl(shared_from_this());
}

std::string const& TInmemQualifierDecl::GetName(TCIMContext) const
{
    return fName;
}

boost::shared_ptr<ICIMNamespace> TInmemQualifierDecl::GetNamespace(TCIMContext) const
{
    return fNamespace.lock();
}

TCIMValue::TCIMType TInmemQualifierDecl::GetType(TCIMContext) const
{
    return fDefaultValue.GetType();
}

bool TInmemQualifierDecl::IsArray(TCIMContext) const
{
    return fDefaultValue.IsArray();
}

TCIMValue const& TInmemQualifierDecl::GetDefaultValue(TCIMContext) const
{
    return fDefaultValue;
}

void TInmemQualifierDecl::SetDefaultValue(TCIMValue const& value, TCIMContext)
{
    fDefaultValue = value;
}

ICIMQualifierDecl::EScope TInmemQualifierDecl::GetScope(TCIMContext) const
{
    return fScope;
}

void TInmemQualifierDecl::SetFlavor(EFlavor flavor, TCIMContext)
{
    fFlavor = static_cast<EFlavor>(fFlavor | flavor);
}

void TInmemQualifierDecl::UnsetFlavor(EFlavor flavor, TCIMContext)
{
    fFlavor = static_cast<EFlavor>(fFlavor & ~flavor);
}

ICIMQualifierDecl::EFlavor TInmemQualifierDecl::GetFlavor(TCIMContext) const
{
    return fFlavor;
}

bool TInmemQualifierDecl::operator==(ICIMQualifierDecl& other) const
{
    return InmemNormalizeName(fName) == InmemNormalizeName(other.GetName(TCIMContext()));
}

bool TInmemQualifierDecl::operator<(ICIMQualifierDecl& other) const
{
    return InmemNormalizeName(fName) < InmemNormalizeName(other.GetName(TCIMContext()));
}

ICIMQualifierDecl& TInmemQualifierDecl::operator=(ICIMQualifierDecl const&)
{
    return *this;
}

} // namespace NQRVKTA20
