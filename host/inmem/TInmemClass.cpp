// TInmemClass: declarations, qualifiers, static properties and methods.
// The class tree and the instance registry are in TInmemClassTree.cpp.
#include "TInmemClass.h"

#include "ICIMMethodDecl.h"
#include "ICIMPropertyDecl.h"
#include "TInmemInstance.h"
#include "TInmemNames.h"
#include "TInmemProperty.h"
#include "TInmemPropertyDecl.h"
#include "TInmemQualifier.h"
#include "TKTAException.h"

namespace NQRVKTA20 {

TInmemClass::TInmemClass(boost::shared_ptr<ICIMNamespace> nameSpace, std::string const& name,
                         boost::shared_ptr<ICIMClass> parent)
    : fName(name), fNamespace(nameSpace), fParent(parent)
{
}

TInmemClass::~TInmemClass() {}

void TInmemClass::Validate(TCIMContext) const {}

void TInmemClass::ModifyClass(boost::shared_ptr<ICIMClass>, TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kReadOnly, "class " + fName + " cannot be modified");
}

std::string const& TInmemClass::GetName(TCIMContext) const
{
    return fName;
}

boost::shared_ptr<ICIMNamespace> TInmemClass::GetNamespace(TCIMContext) const
{
    return fNamespace.lock();
}

bool TInmemClass::IsAssociation(TCIMContext) const
{
    return InmemQualifierIsTrue(fQualifiers.Find("Association"));
}

bool TInmemClass::IsAbstract(TCIMContext) const
{
    return InmemQualifierIsTrue(fQualifiers.Find("Abstract"));
}

void TInmemClass::EnumerateAssociatedClasses(TClassCallback const&, std::string const&,
                                             std::string const&, std::string const&,
                                             std::string const&, TCIMContext)
{
}

void TInmemClass::EnumerateAssociationClasses(TClassCallback const&, std::string const&,
                                              std::string const&, TCIMContext)
{
}

// ---- property declarations ----

boost::shared_ptr<ICIMPropertyDecl> TInmemClass::FindPropertyDecl(std::string const& name) const
{
    TDeclMap::const_iterator found = fPropertyDecls.find(InmemNormalizeName(name));
    if (found != fPropertyDecls.end())
        return found->second;
    boost::shared_ptr<ICIMClass> parent = fParent.lock();
    if (!parent)
        return boost::shared_ptr<ICIMPropertyDecl>();
    TInmemClass const* inmem = dynamic_cast<TInmemClass const*>(parent.get());
    if (inmem)
        return inmem->FindPropertyDecl(name);
    // A foreign superclass reports an unknown name in its own way.
    try {
        return parent->GetPropertyDecl(name, TCIMContext());
    } catch (TKTAException const&) {
        return boost::shared_ptr<ICIMPropertyDecl>();
    }
}

void TInmemClass::CollectPropertyDecls(TDeclMap& decls) const
{
    boost::shared_ptr<ICIMClass> parent = fParent.lock();
    if (parent) {
        TInmemClass const* inmem = dynamic_cast<TInmemClass const*>(parent.get());
        if (inmem) {
            inmem->CollectPropertyDecls(decls);
        } else {
            parent->EnumeratePropertyDecls(
                [&decls](boost::shared_ptr<ICIMPropertyDecl> decl) {
                    if (decl)
                        decls[InmemNormalizeName(decl->GetName(TCIMContext()))] = decl;
                    return true;
                },
                TCIMContext());
        }
    }
    // Own declarations last, so they hide inherited ones of the same name.
    for (auto const& entry : fPropertyDecls)
        decls[entry.first] = entry.second;
}

void TInmemClass::EnumerateKeyNames(TKeyNameCallback const& callback, TCIMContext) const
{
    TDeclMap decls;
    CollectPropertyDecls(decls);
    for (auto const& entry : decls) {
        boost::shared_ptr<ICIMQualifier> key;
        try {
            key = entry.second->GetQualifier("Key", TCIMContext());
        } catch (TKTAException const&) {
            // Declarations that report an absent qualifier by throwing
            // simply have no key qualifier.
        }
        if (!InmemQualifierIsTrue(key))
            continue;
        std::string const& name = entry.second->GetName(TCIMContext());
        if (!callback(&name))
            return;
    }
}

boost::shared_ptr<ICIMPropertyDecl> TInmemClass::AllocatePropertyDecl(
    std::string const& name, TCIMValue const& defaultValue, TCIMContext)
{
    return boost::shared_ptr<ICIMPropertyDecl>(
        new TInmemPropertyDecl(shared_from_this(), name, defaultValue));
}

boost::shared_ptr<ICIMPropertyDecl> TInmemClass::GetPropertyDecl(std::string const& name,
                                                                 TCIMContext) const
{
    boost::shared_ptr<ICIMPropertyDecl> decl = FindPropertyDecl(name);
    if (!decl)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "class " + fName + " has no property " + name);
    return decl;
}

void TInmemClass::EnumeratePropertyDecls(TPropertyDeclCallback const& callback,
                                         TCIMContext) const
{
    TDeclMap decls;
    CollectPropertyDecls(decls);
    for (auto const& entry : decls)
        if (!callback(entry.second))
            return;
}

void TInmemClass::AddPropertyDecl(boost::shared_ptr<ICIMPropertyDecl> decl)
{
    if (!decl)
        throw TKTAException(TKTAStatusCode::kNotSupported, "empty property declaration");
    TCIMContext none;
    std::string const& name = decl->GetName(none);
    InmemRequireValidName(name);
    if (decl->GetType(none) == kReference && !IsAssociation(none))
        throw TKTAException(TKTAStatusCode::kPropertyNotAllowed,
                            "reference property " + name + " in non-association class " + fName);
    std::string key = InmemNormalizeName(name);
    if (fPropertyDecls.count(key))
        throw TKTAException(TKTAStatusCode::kAlreadyDefined,
                            "class " + fName + " already declares property " + name);
    fPropertyDecls[key] = decl;
}

void TInmemClass::RemovePropertyDecl(boost::shared_ptr<ICIMPropertyDecl> decl)
{
    if (!decl || fPropertyDecls.erase(InmemNormalizeName(decl->GetName(TCIMContext()))) == 0)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "class " + fName + " does not declare that property");
}

// ---- static properties ----

boost::shared_ptr<ICIMProperty> TInmemClass::GetProperty(std::string const& name, TCIMContext)
{
    auto found = fStaticProperties.find(InmemNormalizeName(name));
    if (found == fStaticProperties.end())
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "class " + fName + " has no static property " + name);
    return found->second;
}

void TInmemClass::SetPropertyValue(std::string const& name, TCIMValue const& value,
                                   TCIMContext context)
{
    std::string key = InmemNormalizeName(name);
    auto found = fStaticProperties.find(key);
    if (found != fStaticProperties.end()) {
        found->second->SetValue(value, context);
        return;
    }
    boost::shared_ptr<ICIMProperty> property(new TInmemProperty(GetPropertyDecl(name, context), value));
    fStaticProperties[key] = property;
}

void TInmemClass::EnumerateStaticProperties(TPropertyCallback const& callback, TCIMContext)
{
    std::map<std::string, boost::shared_ptr<ICIMProperty>> snapshot(fStaticProperties);
    for (auto const& entry : snapshot)
        if (!callback(entry.second))
            return;
}

// ---- methods ----

boost::shared_ptr<ICIMMethodDecl> TInmemClass::AllocateMethodDecl(std::string const& name,
                                                                  TCIMValue::TCIMType,
                                                                  TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kNotSupported,
                        "method " + name + ": in-memory classes make no method declarations");
}

boost::shared_ptr<ICIMMethodDecl> TInmemClass::GetMethodDecl(std::string const& name,
                                                             TCIMContext) const
{
    auto found = fMethodDecls.find(InmemNormalizeName(name));
    return found == fMethodDecls.end() ? boost::shared_ptr<ICIMMethodDecl>() : found->second;
}

void TInmemClass::EnumerateMethodDecls(TMethodDeclCallback const& callback, TCIMContext) const
{
    std::map<std::string, boost::shared_ptr<ICIMMethodDecl>> snapshot(fMethodDecls);
    for (auto const& entry : snapshot)
        if (!callback(entry.second))
            return;
}

void TInmemClass::AddMethodDecl(boost::shared_ptr<ICIMMethodDecl> decl)
{
    if (!decl)
        throw TKTAException(TKTAStatusCode::kNotSupported, "empty method declaration");
    std::string const& name = decl->GetName(TCIMContext());
    std::string key = InmemNormalizeName(name);
    if (fMethodDecls.count(key))
        throw TKTAException(TKTAStatusCode::kAlreadyDefined,
                            "class " + fName + " already declares method " + name);
    fMethodDecls[key] = decl;
}

void TInmemClass::RemoveMethodDecl(boost::shared_ptr<ICIMMethodDecl> decl)
{
    if (!decl || fMethodDecls.erase(InmemNormalizeName(decl->GetName(TCIMContext()))) == 0)
        throw TKTAException(TKTAStatusCode::kNotFound,
                            "class " + fName + " does not declare that method");
}

TCIMValue TInmemClass::InvokeMethod(std::string const& name, TCIMContext&, TCIMContext&,
                                    TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kNotSupported,
                        "method " + name + ": in-memory classes have no methods");
}

TCIMValue TInmemClass::InvokeMethod(TCIMReference const&, std::string const& name,
                                    TCIMContext const&, TCIMContext&, TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kNotSupported,
                        "method " + name + ": in-memory classes have no methods");
}

// ---- qualifiers ----

void TInmemClass::AddQualifier(boost::shared_ptr<ICIMQualifier> qualifier, TCIMContext)
{
    fQualifiers.Add(qualifier);
}

boost::shared_ptr<ICIMQualifier> TInmemClass::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value, TCIMContext) const
{
    return boost::shared_ptr<ICIMQualifier>(new TInmemQualifier(shared_from_this(), decl, value));
}

boost::shared_ptr<ICIMQualifier> TInmemClass::AllocateQualifier(
    boost::shared_ptr<const ICIMQualifierDecl> decl, TCIMValue const& value,
    ICIMQualifierDecl::EFlavor flavor, TCIMContext) const
{
    return boost::shared_ptr<ICIMQualifier>(
        new TInmemQualifier(shared_from_this(), decl, value, flavor));
}

boost::shared_ptr<ICIMQualifier> TInmemClass::GetQualifier(std::string const& name,
                                                           TCIMContext) const
{
    return fQualifiers.Find(name);
}

boost::shared_ptr<ICIMQualifier> TInmemClass::GetQualifier(std::string const& name, bool& found,
                                                           TCIMContext) const
{
    boost::shared_ptr<ICIMQualifier> qualifier = fQualifiers.Find(name);
    found = static_cast<bool>(qualifier);
    return qualifier;
}

void TInmemClass::EnumerateQualifiers(TQualifierCallback const& callback, TCIMContext) const
{
    fQualifiers.Enumerate(callback);
}

// ---- comparison ----

bool TInmemClass::operator==(ICIMClass& other) const
{
    return InmemNormalizeName(fName) == InmemNormalizeName(other.GetName(TCIMContext()));
}

bool TInmemClass::operator<(ICIMClass& other) const
{
    return InmemNormalizeName(fName) < InmemNormalizeName(other.GetName(TCIMContext()));
}

ICIMClass& TInmemClass::operator=(ICIMClass const&)
{
    return *this;
}

} // namespace NQRVKTA20
