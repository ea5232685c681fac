#include "TInmemPropertyDecl.h"

#include "ICIMClass.h"
#include "TInmemNames.h"
#include "TInmemQualifier.h"
#include "TKTAException.h"

namespace NQRVKTA20 {

TInmemPropertyDecl::TInmemPropertyDecl(boost::shared_ptr<ICIMClass> cls, std::string const& name,
                                       TCIMValue const& defaultValue)
    : fName(name), fClass(cls), fDefaultValue(defaultValue)
{
}

TInmemPropertyDecl::~TInmemPropertyDecl() {}

void TInmemPropertyDecl::AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext)
{
    fQualifiers.Add(qualifier);
}

boost::shared_ptr<ICIMQualifier> TInmemPropertyDecl::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value, TCIMContext) const
{
    return boost::shared_ptr<ICIMQualifier>(
        new TInmemQualifier(shared_from_this(), decl, value));
}

boost::shared_ptr<ICIMQualifier> TInmemPropertyDecl::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
    ICIMQualifierDecl::EFlavor flavor, TCIMContext) const
{
    return boost::shared_ptr<ICIMQualifier>(
        new TInmemQualifier(shared_from_this(), decl, value, flavor));
}

boost::shared_ptr<ICIMQualifier> TInmemPropertyDecl::GetQualifier(std::string const& name,
                                                                  TCIMContext) const
{
    return fQualifiers.Find(name);
}

void TInmemPropertyDecl::EnumerateQualifiers(TQualifierCallback const& callback,
                                             TCIMContext) const
{
    fQualifiers.Enumerate(callback);
}

boost::shared_ptr<ICIMQualifier> TInmemPropertyDecl::GetQualifier(std::string const& name,
                                                                  bool& found,
                                                                  TCIMContext) const
{
    boost::shared_ptr<ICIMQualifier> qualifier = fQualifiers.Find(name);
    found = static_cast<bool>(qualifier);
    return qualifier;
}

void TInmemPropertyDecl::Validate(TCIMContext) const {}

void TInmemPropertyDecl::AddToClass(TCIMContext context)
{
    Validate(context);
    boost::shared_ptr<ICIMClass> cls = fClass.lock();
    if (!cls)
        throw TKTAException(TKTAStatusCode::kNotFound, "property " + fName + ": class is gone");
    cls->AddPropertyDecl(shared_from_this());
}

void TInmemPropertyDecl::RemoveFromClass(TCIMContext)
{
    boost::shared_ptr<ICIMClass> cls = fClass.lock();
    if (cls)
        cls->RemovePropertyDecl(shared_from_this());
}

std::string const& TInmemPropertyDecl::GetName(TCIMContext) const
{
    return fName;
}

boost::shared_ptr<ICIMClass> TInmemPropertyDecl::GetClass(TCIMContext) const
{
    return fClass.lock();
}

TCIMValue::TCIMType TInmemPropertyDecl::GetType(TCIMContext) const
{
    return fDefaultValue.GetType();
}

bool TInmemPropertyDecl::IsArray(TCIMContext) const
{
    return fDefaultValue.IsArray();
}

TCIMValue const& TInmemPropertyDecl::GetDefaultValue(TCIMContext) const
{
    return fDefaultValue;
}

void TInmemPropertyDecl::SetDefaultValue(TCIMValue const& value, TCIMContext)
{
    fDefaultValue = value;
}

bool TInmemPropertyDecl::operator==(ICIMPropertyDecl& other) const
{
    return InmemNormalizeName(fName) == InmemNormalizeName(other.GetName(TCIMContext()));
}

bool TInmemPropertyDecl::operator<(ICIMPropertyDecl& other) const
{
    return InmemNormalizeName(fName) < InmemNormalizeName(other.GetName(TCIMContext()));
}

ICIMPropertyDecl& TInmemPropertyDecl::operator=(ICIMPropertyDecl const&)
{
    return *this;
}

} // namespace NQRVKTA20
