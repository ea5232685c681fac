#include "TPEGASUSParameterDecl.h"

#include "TKTAException.h"
#include "TPEGASUSMethodDecl.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSQualifier.h"

namespace NQRVKTA20 {

TPEGASUSParameterDecl::TPEGASUSParameterDecl(boost::shared_ptr<TPEGASUSMethodDecl> method,
                                             std::string const& name,
                                             TCIMValue::TCIMType const& type)
    : fMethod(method), fName(name), fType(type)
{
}

TPEGASUSParameterDecl::~TPEGASUSParameterDecl() {}

void TPEGASUSParameterDecl::AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext)
{
    fQualifiers.Add(qualifier);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSParameterDecl::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value, TCIMContext) const
{
    return boost::shared_ptr<ICIMQualifier>(
        new TPEGASUSQualifier(shared_from_this(), decl, value));
}

boost::shared_ptr<ICIMQualifier> TPEGASUSParameterDecl::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
    ICIMQualifierDecl::EFlavor, TCIMContext context) const
{
    // The flavor is always the declaration's (see the property declaration).
    return AllocateQualifier(decl, value, context);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSParameterDecl::GetQualifier(std::string const& name,
                                                                     TCIMContext) const
{
    return fQualifiers.Find(name);
}

void TPEGASUSParameterDecl::EnumerateQualifiers(TQualifierCallback const& callback,
                                                TCIMContext) const
{
    fQualifiers.Enumerate(callback);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSParameterDecl::GetQualifier(std::string const&, bool&,
                                                                     TCIMContext) const
{
    throw TKTAException(TKTAStatusCode::kNotSupported,
                        "GetQualifier with a found flag on parameter " + fName);
}

void TPEGASUSParameterDecl::Validate(TCIMContext) const {}

void TPEGASUSParameterDecl::AddToMethod(TCIMContext context)
{
    Validate(context);
    boost::shared_ptr<TPEGASUSParameterDecl> self = shared_from_this();
    boost::shared_ptr<TPEGASUSMethodDecl> method = fMethod.lock();
    if (!method)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "parameter " + fName + ": its method is gone");
    method->AddParameterDecl(self);
}

std::string const& TPEGASUSParameterDecl::GetName(TCIMContext) const
{
    return fName;
}

boost::shared_ptr<ICIMMethodDecl> TPEGASUSParameterDecl::GetMethodDecl(TCIMContext) const
{
    return fMethod.lock();
}

TCIMValue::TCIMType TPEGASUSParameterDecl::GetType(TCIMContext) const
{
    return fType;
}

bool TPEGASUSParameterDecl::IsArray(TCIMContext) const
{
    // The marker is never assigned, so this is always false: parameters
    // carry scalar type codes only.
    return fArrayMarker.IsArray();
}

bool TPEGASUSParameterDecl::operator==(ICIMParameterDecl& other) const
{
    return TPEGASUSNamespace::NormalizeName(fName).compare(
               TPEGASUSNamespace::NormalizeName(other.GetName(TCIMContext()))) == 0;
}

bool TPEGASUSParameterDecl::operator<(ICIMParameterDecl& other) const
{
    return TPEGASUSNamespace::NormalizeName(fName).compare(
               TPEGASUSNamespace::NormalizeName(other.GetName(TCIMContext()))) < 0;
}

ICIMParameterDecl& TPEGASUSParameterDecl::operator=(ICIMParameterDecl const&)
{
    return *this;
}

std::pair<TPEGASUSQualifierList::TMap::iterator, bool> TPEGASUSParameterDecl::LookupQual(
    std::string const& name)
{
    return fQualifiers.Lookup(name);
}

void TPEGASUSParameterDecl::RemoveQualifier(boost::shared_ptr<ICIMQualifier> qualifier)
{
    fQualifiers.Remove(qualifier);
}

} // namespace NQRVKTA20
