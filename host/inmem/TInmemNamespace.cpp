#include "TInmemNamespace.h"

#include "ICIMInstance.h"
#include "TInmemClass.h"
#include "TInmemNames.h"
#include "TInmemNamespaceProvider.h"
#include "TInmemQualifierDecl.h"
#include "TKTAException.h"

namespace NQRVKTA20 {

TInmemNamespace::TInmemNamespace(std::string const& name) : fName(name) {}

TInmemNamespace::~TInmemNamespace()
{
    // Instances hold their class and registered classes hold their
    // instances; without this the pair would outlive the namespace.
    ClearInstances();
}

boost::shared_ptr<INamespaceProvider> TInmemNamespace::GetNamespaceProvider(TCIMContext) const
{
    return TInmemNamespaceProvider::GetInstance();
}

void TInmemNamespace::SetUpcallNamespace(boost::shared_ptr<ICIMNamespace> upcall, TCIMContext)
{
    fUpcall = upcall;
}

boost::shared_ptr<ICIMNamespace> TInmemNamespace::GetUpcallNamespace() const
{
    return fUpcall.lock();
}

void TInmemNamespace::AddUnderlyingNamespace(boost::shared_ptr<ICIMNamespace> underlying,
                                             TCIMContext)
{
    if (!underlying)
        throw TKTAException(TKTAStatusCode::kNotSupported, "empty namespace pointer");
    fUnderlying.push_back(underlying);
}

boost::shared_ptr<ICIMClass> TInmemNamespace::AllocateClass(std::string const& name,
                                                            boost::shared_ptr<ICIMClass> parent,
                                                            TCIMContext)
{
    InmemRequireValidName(name);
    return boost::shared_ptr<ICIMClass>(new TInmemClass(shared_from_this(), name, parent));
}

boost::shared_ptr<ICIMClass> TInmemNamespace::FindClass(std::string const& name) const
{
    auto found = fClasses.find(InmemNormalizeName(name));
    return found == fClasses.end() ? boost::shared_ptr<ICIMClass>() : found->second;
}

boost::shared_ptr<ICIMClass> TInmemNamespace::GetClass(std::string const& name,
                                                       TCIMContext context)
{
    try {
        boost::shared_ptr<ICIMClass> cls = FindClass(name);
        if (cls)
            return cls;
        for (boost::shared_ptr<ICIMNamespace> const& underlying : fUnderlying) {
            cls = underlying->GetClass(name, context);
            if (cls)
                return cls;
        }
    } catch (std::exception const&) {
        // A lookup answers "not here" rather than failing the caller.
    }
    return boost::shared_ptr<ICIMClass>();
}

void TInmemNamespace::EnumerateRootClasses(TClassCallback const& callback, TCIMContext)
{
    std::map<std::string, boost::shared_ptr<ICIMClass>> snapshot(fClasses);
    for (auto const& entry : snapshot) {
        if (entry.second->GetSuperClass(TCIMContext()))
            continue;
        if (!callback(entry.second))
            return;
    }
}

void TInmemNamespace::EnumerateClasses(TClassCallback const& callback)
{
    std::map<std::string, boost::shared_ptr<ICIMClass>> snapshot(fClasses);
    for (auto const& entry : snapshot)
        if (!callback(entry.second))
            return;
}

void TInmemNamespace::EnumerateProviders(TProviderCallback const&, TCIMContext) {}

boost::shared_ptr<ICIMQualifierDecl> TInmemNamespace::AllocateQualifierDecl(
    std::string const& name, TCIMValue const& defaultValue, ICIMQualifierDecl::EScope scope,
    ICIMQualifierDecl::EFlavor flavor, TCIMContext)
{
    InmemRequireValidName(name);
    return boost::shared_ptr<ICIMQualifierDecl>(
        new TInmemQualifierDecl(shared_from_this(), name, defaultValue, scope, flavor));
}

boost::shared_ptr<ICIMQualifierDecl> TInmemNamespace::GetQualifierDecl(std::string const& name,
                                                                       TCIMContext context) const
{
    auto found = fQualifierDecls.find(InmemNormalizeName(name));
    if (found != fQualifierDecls.end())
        return found->second;
    boost::shared_ptr<ICIMNamespace> upcall = fUpcall.lock();
    if (upcall)
        return upcall->GetQualifierDecl(name, context);
    return boost::shared_ptr<ICIMQualifierDecl>();
}

void TInmemNamespace::EnumerateQualifierDecls(TQualifierDeclCallback const& callback,
                                              TCIMContext) const
{
    std::map<std::string, boost::shared_ptr<ICIMQualifierDecl>> snapshot(fQualifierDecls);
    for (auto const& entry : snapshot)
        if (!callback(entry.second))
            return;
}

void TInmemNamespace::Subscribe(boost::shared_ptr<ICIMIndicationFilter>,
                                TIndicationCallback const&, TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kNotSupported,
                        "in-memory namespaces deliver no indications");
}

boost::shared_ptr<ICIMInstance> TInmemNamespace::FindInstance(
    TCIMReference const& reference) const
{
    boost::shared_ptr<ICIMClass> cls = FindClass(reference.GetClassName());
    TInmemClass* inmem = dynamic_cast<TInmemClass*>(cls.get());
    if (!inmem)
        return boost::shared_ptr<ICIMInstance>();
    return inmem->FindInstance(reference.GetPath());
}

boost::shared_ptr<ICIMInstance> TInmemNamespace::GetInstance(TCIMReference const& reference,
                                                             TCIMContext) const
{
    return FindInstance(reference);
}

void TInmemNamespace::DeleteInstance(TCIMReference const& reference, TCIMContext context)
{
    boost::shared_ptr<ICIMInstance> instance = FindInstance(reference);
    if (!instance)
        throw TKTAException(TKTAStatusCode::kNotFound, "no instance " + reference.GetPath());
    instance->GetClass(context)->RemoveInstance(instance);
}

void TInmemNamespace::ModifyInstance(TCIMReference const& reference, TCIMContext properties,
                                     TCIMContext context)
{
    boost::shared_ptr<ICIMInstance> instance = FindInstance(reference);
    if (!instance)
        throw TKTAException(TKTAStatusCode::kNotFound, "no instance " + reference.GetPath());
    for (auto const& entry : properties)
        instance->SetPropertyValue(entry.first, entry.second, context);
}

void TInmemNamespace::ExecuteQuery(TInstanceCallback const&, std::string& language,
                                   std::string&, TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kNotSupported,
                        "in-memory namespaces run no queries (" + language + ")");
}

void TInmemNamespace::ClearInstances()
{
    std::map<std::string, boost::shared_ptr<ICIMClass>> snapshot(fClasses);
    for (auto const& entry : snapshot)
        entry.second->ClearInstances();
}

void TInmemNamespace::AddClass(boost::shared_ptr<ICIMClass> cls)
{
    if (!cls)
        throw TKTAException(TKTAStatusCode::kNotSupported, "empty class pointer");
    std::string const& name = cls->GetName(TCIMContext());
    std::string key = InmemNormalizeName(name);
    if (fClasses.count(key))
        throw TKTAException(TKTAStatusCode::kAlreadyDefined, "class " + name + " already defined");
    fClasses[key] = cls;
}

void TInmemNamespace::RemoveClass(boost::shared_ptr<ICIMClass> cls)
{
    if (!cls)
        return;
    auto found = fClasses.find(InmemNormalizeName(cls->GetName(TCIMContext())));
    if (found != fClasses.end() && found->second == cls)
        fClasses.erase(found);
}

void TInmemNamespace::AddQualifierDecl(boost::shared_ptr<ICIMQualifierDecl> decl)
{
    if (!decl)
        throw TKTAException(TKTAStatusCode::kNotSupported, "empty qualifier declaration");
    std::string const& name = decl->GetName(TCIMContext());
    std::string key = InmemNormalizeName(name);
    if (fQualifierDecls.count(key))
        throw TKTAException(TKTAStatusCode::kAlreadyDefined,
                            "qualifier " + name + " already defined");
    fQualifierDecls[key] = decl;
}

void TInmemNamespace::RemoveQualifierDecl(boost::shared_ptr<ICIMQualifierDecl> decl)
{
    if (!decl)
        return;
    auto found = fQualifierDecls.find(InmemNormalizeName(decl->GetName(TCIMContext())));
    if (found != fQualifierDecls.end() && found->second == decl)
        fQualifierDecls.erase(found);
}

} // namespace NQRVKTA20
