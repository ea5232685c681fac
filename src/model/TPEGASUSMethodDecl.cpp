#include "TPEGASUSMethodDecl.h"

#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSParameterDecl.h"
#include "TPEGASUSQualifier.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

boost::shared_ptr<TPEGASUSParameterDecl> RequireParameter(
    boost::shared_ptr<TPEGASUSParameterDecl> param)
{
    if (!param)
        throw TKTAException(TKTAStatusCode::kWrongType, "empty parameter declaration pointer");
    return param;
}

} // namespace

TPEGASUSMethodDecl::TPEGASUSMethodDecl(boost::shared_ptr<TPEGASUSClass> cls,
                                       std::string const& name,
                                       TCIMValue::TCIMType const& returnType)
    : fName(name), fReturnType(returnType), fClass(cls)
{
}

TPEGASUSMethodDecl::~TPEGASUSMethodDecl() {}

void TPEGASUSMethodDecl::AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext)
{
    fQualifiers.Add(qualifier);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSMethodDecl::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value, TCIMContext) const
{
    return boost::shared_ptr<ICIMQualifier>(
        new TPEGASUSQualifier(shared_from_this(), decl, value));
}

boost::shared_ptr<ICIMQualifier> TPEGASUSMethodDecl::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
    ICIMQualifierDecl::EFlavor, TCIMContext context) const
{
    // The flavor is always the declaration's (see the property declaration).
    return AllocateQualifier(decl, value, context);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSMethodDecl::GetQualifier(std::string const& name,
                                                                  TCIMContext) const
{
    boost::shared_ptr<TPEGASUSQualifier> qualifier = fQualifiers.Find(name);
    if (!qualifier)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "qualifier " + name + " of method " + fName);
    return qualifier;
}

void TPEGASUSMethodDecl::EnumerateQualifiers(TQualifierCallback const& callback,
                                             TCIMContext) const
{
    fQualifiers.Enumerate(callback);
}

boost::shared_ptr<ICIMQualifier> TPEGASUSMethodDecl::GetQualifier(std::string const&, bool&,
                                                                  TCIMContext) const
{
    throw TKTAException(TKTAStatusCode::kNotSupported,
                        "GetQualifier with a found flag on method " + fName);
}

void TPEGASUSMethodDecl::Validate(TCIMContext) const {}

void TPEGASUSMethodDecl::AddToClass(TCIMContext context)
{
    Validate(context);
    boost::shared_ptr<TPEGASUSMethodDecl> self = shared_from_this();
    boost::shared_ptr<TPEGASUSClass> cls = fClass.lock();
    if (!cls)
        throw TKTAException(TKTAStatusCode::kNotFound, "method " + fName + ": its class is gone");
    cls->AddMethodDecl(self);
}

std::string const& TPEGASUSMethodDecl::GetName(TCIMContext) const
{
    return fName;
}

boost::shared_ptr<ICIMClass> TPEGASUSMethodDecl::GetClass(TCIMContext) const
{
    return fClass.lock();
}

TCIMValue::TCIMType TPEGASUSMethodDecl::GetReturnType(TCIMContext) const
{
    return fReturnType;
}

boost::shared_ptr<ICIMParameterDecl> TPEGASUSMethodDecl::AllocateParameterDecl(
    std::string const& name, TCIMValue::TCIMType type, TCIMContext)
{
    return boost::shared_ptr<ICIMParameterDecl>(
        new TPEGASUSParameterDecl(shared_from_this(), name, type));
}

boost::shared_ptr<ICIMParameterDecl> TPEGASUSMethodDecl::GetParameterDecl(
    std::string const& name, TCIMContext) const
{
    TParameterMap::const_iterator found = fParameters.find(TPEGASUSNamespace::NormalizeName(name));
    if (found == fParameters.end())
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "parameter " + name + " of method " + fName);
    return found->second;
}

void TPEGASUSMethodDecl::EnumerateParameterDecls(TParameterDeclCallback const& callback,
                                                 TCIMContext) const
{
    // A copy: the callback may change this method's parameters.
    TParameterMap const snapshot(fParameters);
    for (TParameterMap::value_type const& entry : snapshot)
        if (!callback(entry.second))
            return;
}

bool TPEGASUSMethodDecl::operator==(ICIMMethodDecl& other) const
{
    return TPEGASUSNamespace::NormalizeName(fName).compare(
               TPEGASUSNamespace::NormalizeName(other.GetName(TCIMContext()))) == 0;
}

bool TPEGASUSMethodDecl::operator<(ICIMMethodDecl& other) const
{
    return TPEGASUSNamespace::NormalizeName(fName).compare(
               TPEGASUSNamespace::NormalizeName(other.GetName(TCIMContext()))) < 0;
}

ICIMMethodDecl& TPEGASUSMethodDecl::operator=(ICIMMethodDecl const&)
{
    return *this;
}

void TPEGASUSMethodDecl::AddParameterDecl(boost::shared_ptr<TPEGASUSParameterDecl> param)
{
    std::string const& name = RequireParameter(param)->GetName(TCIMContext());
    std::string const key = TPEGASUSNamespace::NormalizeName(name);
    if (fParameters.find(key) != fParameters.end()) {
        TRootObject::GetCoreLogger()->Log(0, "Inmem: Attempt to add property " + name +
                                                 " to method " + fName + ": already exists");
        throw TKTAException(TKTAStatusCode::kAlreadyDefined,
                            "parameter " + name + " of method " + fName);
    }
    fParameters.insert(TParameterMap::value_type(key, param));
}

void TPEGASUSMethodDecl::RemoveParameterDecl(boost::shared_ptr<TPEGASUSParameterDecl> param)
{
    std::string const& name = RequireParameter(param)->GetName(TCIMContext());
    if (fParameters.erase(TPEGASUSNamespace::NormalizeName(name)) == 0)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "parameter " + name + " of method " + fName);
}

void TPEGASUSMethodDecl::Clear()
{
    for (TParameterMap::value_type const& entry : fParameters)
        entry.second->ClearQualifiers();
    fParameters.clear();
    fQualifiers.Clear();
}

} // namespace NQRVKTA20
