#include "TPEGASUSPropertyDecl.h"

#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSQualifier.h"

namespace NQRVKTA20 {

TPEGASUSPropertyDecl::TPEGASUSPropertyDecl(boost::shared_ptr<TPEGASUSClass> cls,
                                           std::string const& name,
                                           TCIMValue const& defaultValue)
    : fName(name), fClass(cls), fDefaultValue(defaultValue)
{
}

TPEGASUSPropertyDecl::TPEGASUSPropertyDecl(boost::shared_ptr<TPEGASUSClass> cls,
                                           ICIMPropertyDecl const& other)
    : fName(other.GetName(TCIMContext())), fClass(cls),
      fDefaultValue(other.GetDefaultValue(TCIMContext()))
{
}

TPEGASUSPropertyDecl::~TPEGASUSPropertyDecl() {}

void TPEGASUSPropertyDecl::AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext)
{
    fQualifiers.Add(qualifier);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSPropertyDecl::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value, TCIMContext) const
{
    return boost::shared_ptr<ICIMQualifier>(
        new TPEGASUSQualifier(shared_from_this(), decl, value));
}

boost::shared_ptr<ICIMQualifier> TPEGASUSPropertyDecl::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
    ICIMQualifierDecl::EFlavor, TCIMContext context) const
{
    // The flavor is always the declaration's; callers that want another one
    // call SetFlavor on the result.
    return AllocateQualifier(decl, value, context);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSPropertyDecl::GetQualifier(std::string const& name,
                                                                    TCIMContext) const
{
    boost::shared_ptr<TPEGASUSQualifier> qualifier = fQualifiers.Find(name);
    if (!qualifier)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "qualifier " + name + " of property " + fName);
    return qualifier;
}

void TPEGASUSPropertyDecl::EnumerateQualifiers(TQualifierCallback const& callback,
                                               TCIMContext) const
{
    fQualifiers.Enumerate(callback);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSPropertyDecl::GetQualifier(std::string const& name,
                                                                    bool& found,
                                                                    TCIMContext) const
{
    boost::shared_ptr<TPEGASUSQualifier> qualifier = fQualifiers.Find(name);
    found = static_cast<bool>(qualifier);
    return qualifier;
}

void TPEGASUSPropertyDecl::Validate(TCIMContext) const {}

void TPEGASUSPropertyDecl::AddToClass(TCIMContext context)
{
    Validate(context);
    boost::shared_ptr<TPEGASUSPropertyDecl> self = shared_from_this();
    boost::shared_ptr<TPEGASUSClass> cls = fClass.lock();
    if (!cls)
        throw TKTAException(TKTAStatusCode::kNotFound, "property " + fName + ": its class is gone");
    cls->AddPropertyDecl(self);
}

void TPEGASUSPropertyDecl::RemoveFromClass(TCIMContext) {}

std::string const& TPEGASUSPropertyDecl::GetName(TCIMContext) const
{
    return fName;
}

boost::shared_ptr<ICIMClass> TPEGASUSPropertyDecl::GetClass(TCIMContext) const
{
    return fClass.lock();
}

TCIMValue::TCIMType TPEGASUSPropertyDecl::GetType(TCIMContext) const
{
    return fDefaultValue.GetType();
}

bool TPEGASUSPropertyDecl::IsArray(TCIMContext) const
{
    return fDefaultValue.IsArray();
}

TCIMValue const& TPEGASUSPropertyDecl::GetDefaultValue(TCIMContext) const
{
    return fDefaultValue;
}

void TPEGASUSPropertyDecl::SetDefaultValue(TCIMValue const& value, TCIMContext)
{
    fDefaultValue = value;
}

bool TPEGASUSPropertyDecl::operator==(ICIMPropertyDecl& other) const
{
    return TPEGASUSNamespace::NormalizeName(fName).compare(
               TPEGASUSNamespace::NormalizeName(other.GetName(TCIMContext()))) == 0;
}

bool TPEGASUSPropertyDecl::operator<(ICIMPropertyDecl& other) const
{
    return TPEGASUSNamespace::NormalizeName(fName).compare(
               TPEGASUSNamespace::NormalizeName(other.GetName(TCIMContext()))) < 0;
}

ICIMPropertyDecl& TPEGASUSPropertyDecl::operator=(ICIMPropertyDecl const&)
{
    return *this;
}

std::pair<TPEGASUSQualifierList::TMap::iterator, bool> TPEGASUSPropertyDecl::LookupQualifier(
    std::string const& name)
{
    return fQualifiers.Lookup(name);
}

void TPEGASUSPropertyDecl::RemoveQualifier(boost::shared_ptr<ICIMQualifier> qualifier)
{
    fQualifiers.Remove(qualifier);
}

} // namespace NQRVKTA20
