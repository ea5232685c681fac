// TPEGASUSNamespace: class retrieval, the class factory and the registries
// of classes and qualifier declarations.
#include "TPEGASUSNamespace.h"

#include <iostream>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientException.h>

#include "ICIMInstance.h"
#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSNamespaceProvider.h"
#include "TPEGASUSQualifierDecl.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

void LogLine(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, text);
}

// The text of a context entry, or `fallback` when it is absent; false when
// it is present but not a string.
bool ContextText(TCIMContext const& context, std::string const& key, std::string const& fallback,
                 std::string& text)
{
    TCIMContext::const_iterator entry = context.find(key);
    if (entry == context.end()) {
        text = fallback;
        return true;
    }
    if (entry->second.GetType() != kString)
        return false;
    text = static_cast<std::string>(entry->second);
    return true;
}

} // namespace

boost::shared_ptr<ICIMClass> TPEGASUSNamespace::AllocateClass(std::string const&,
                                                              boost::shared_ptr<ICIMClass>,
                                                              TCIMContext)
{
    return boost::shared_ptr<ICIMClass>();
}

boost::shared_ptr<ICIMClass> TPEGASUSNamespace::AllocateClass(std::string const& name,
                                                              std::string const& nsp,
                                                              std::string const& timeout,
                                                              boost::shared_ptr<ICIMClass> parent,
                                                              TCIMContext const&)
{
    if (!parent)
        parent = fRootClass;
    boost::shared_ptr<TPEGASUSClass> cls(new TPEGASUSClass(
        shared_from_this(), name, boost::dynamic_pointer_cast<TPEGASUSClass>(parent)));
    cls->Initialize(nsp, timeout, parent);
    return cls;
}

boost::shared_ptr<ICIMClass> TPEGASUSNamespace::GetClass(std::string const& name,
                                                         TCIMContext context)
{
    try {
        if (!fConnected)
            return boost::shared_ptr<ICIMClass>();
        if (name.empty() || name == "<root>") {
            LogLine(3, "TPEGASUSNamespace::GetClass " + name + " : return <root>");
            return fRootClass;
        }
        std::string const key = NormalizeName(name);
        std::map<std::string, boost::shared_ptr<TPEGASUSClass>>::const_iterator found =
            fClasses.find(key);
        if (found != fClasses.end()) {
            LogLine(3, "TPEGASUSNamespace::GetClass " + name + " Found in TPEGASUSNamespace");
            return found->second;
        }
        LogLine(3, "TPEGASUSNamespace::GetClass from Pegasus for: " + name);

        std::string nsp;
        std::string timeout;
        if (!ContextText(context, "nsp", "root/cimv2", nsp) ||
            !ContextText(context, "timeout", strTimeout, timeout))
            return boost::shared_ptr<ICIMClass>();
        LogLine(3, "TPEGASUSNamespace::GetClass  NSP=" + nsp + " CLASSNAME = " + name +
                       " From Pegasus CIMOM with ei timeout = " + timeout);

        Pegasus::CIMClass onServer;
        try {
            fPegClient->setTimeout(5000);
            onServer = fPegClient->getClass(Pegasus::CIMNamespaceName(nsp.c_str()),
                                            Pegasus::CIMName(name.c_str()), false, true, false,
                                            Pegasus::CIMPropertyList());
        } catch (Pegasus::CIMClientMalformedHTTPException const& e) {
            // The empty class makes the next step fail.
            LogLine(3, "Pegasus::CIMClientMalformedHTTPException -- " + PegasusText(e.getMessage()));
        } catch (Pegasus::Exception const& e) {
            LogLine(3, "TPEGASUSNamespace::GetClass from Pegasus for: " + name +
                           " returned exception: " + PegasusText(e.getMessage()));
            return boost::shared_ptr<ICIMClass>();
        }

        std::string const className = PegasusText(onServer.getClassName().getString());
        std::string const superName = PegasusText(onServer.getSuperClassName().getString());
        // The class being built takes this definition instead of reading it
        // again; whatever it does not take is dropped when the lookup ends.
        std::string const fetchedKey = nsp + ":" + key;
        if (!onServer.isUninitialized())
            fFetchedClasses[fetchedKey].reset(new Pegasus::CIMClass(onServer));
        struct DropFetched {
            std::map<std::string, boost::shared_ptr<Pegasus::CIMClass>>& fetched;
            std::string const& key;
            ~DropFetched() { fetched.erase(key); }
        } dropFetched{fFetchedClasses, fetchedKey};
        boost::shared_ptr<ICIMClass> cls;
        try {
            TCIMContext chain;
            chain["nsp"] = TCIMValue(nsp);
            chain["timeout"] = TCIMValue(timeout);
            // The superclass chain first, top-most class first.
            boost::shared_ptr<ICIMClass> parent = GetClass(superName, chain);
            cls = AllocateClass(className, nsp, timeout, parent, TCIMContext());
            LogLine(3, "AllocateClass  --> " + className + "  inherit from --> " + superName);
        } catch (TKTAException const& e) {
            LogLine(3, "Catching exeption: AllocateClass  --- " + className + "  " + superName +
                           "\twith reason: " + e.what());
            std::cout << "AllocateClass falied  --- " << className << "  " << superName
                      << std::endl;
            return boost::shared_ptr<ICIMClass>();
        }

        try {
            cls->AddToNamespace(TCIMContext());
        } catch (TKTAException const&) {
            // A class of the same name registered while this one was built:
            // the registered one is the answer (looked up below).
        }
        found = fClasses.find(key);
        if (found != fClasses.end()) {
            LogLine(3, "TPEGASUSNamespace::GetClass " + name + " Now it is Found in TPEGASUSNamespace");
            return found->second;
        }
        LogLine(0, "TPEGASUSNamespace::GetClass " + name + " Not Found - Something Wrong");
    } catch (...) {
    }
    return boost::shared_ptr<ICIMClass>();
}

boost::shared_ptr<Pegasus::CIMClass> TPEGASUSNamespace::TakeFetchedClass(std::string const& nsp,
                                                                        std::string const& name)
{
    std::map<std::string, boost::shared_ptr<Pegasus::CIMClass>>::iterator found =
        fFetchedClasses.find(nsp + ":" + NormalizeName(name));
    if (found == fFetchedClasses.end())
        return boost::shared_ptr<Pegasus::CIMClass>();
    boost::shared_ptr<Pegasus::CIMClass> fetched = found->second;
    fFetchedClasses.erase(found);
    return fetched;
}

void TPEGASUSNamespace::EnumerateRootClasses(TClassCallback const& callback, TCIMContext context)
{
    if (!fConnected || !fRootClass)
        return;
    fRootClass->EnumerateSubClasses(callback, true, TCIMContext(context));
}

void TPEGASUSNamespace::AddClass(boost::shared_ptr<TPEGASUSClass> cls)
{
    std::string const& name = cls->GetName(TCIMContext());
    if (!fClasses.insert(std::make_pair(NormalizeName(name), cls)).second) {
        LogLine(3, "TPEGASUSNamespace: class " + name + " already defined");
        throw TKTAException(TKTAStatusCode::kAlreadyDefined, "class " + name);
    }
}

void TPEGASUSNamespace::AddQualifierDecl(boost::shared_ptr<TPEGASUSQualifierDecl> decl)
{
    if (!decl)
        throw TKTAException(TKTAStatusCode::kWrongType, "a qualifier declaration of another kind");
    std::string const& name = decl->GetName(TCIMContext());
    if (!fQualifierDecls.insert(std::make_pair(NormalizeName(name), decl)).second) {
        LogLine(3, "TPEGASUSNamespace: qualifier " + name + " already defined");
        throw TKTAException(TKTAStatusCode::kAlreadyDefined, "qualifier " + name);
    }
}

boost::shared_ptr<ICIMQualifierDecl> TPEGASUSNamespace::AllocateQualifierDecl(
    std::string const& name, TCIMValue const& defaultValue, ICIMQualifierDecl::EScope scope,
    ICIMQualifierDecl::EFlavor flavor, TCIMContext)
{
    return boost::shared_ptr<ICIMQualifierDecl>(
        new TPEGASUSQualifierDecl(shared_from_this(), name, defaultValue, scope, flavor));
}

boost::shared_ptr<ICIMQualifierDecl> TPEGASUSNamespace::GetQualifierDecl(
    std::string const& name, TCIMContext context) const
{
    boost::shared_ptr<ICIMNamespace> upcall = GetUpcallNamespace();
    if (upcall) {
        boost::shared_ptr<ICIMQualifierDecl> decl =
            upcall->GetQualifierDecl(name, TCIMContext(context));
        if (decl)
            return decl;
    }
    // Declarations read from the server are kept here: each is fetched once
    // in the namespace's life.
    std::map<std::string, boost::shared_ptr<TPEGASUSQualifierDecl>>::const_iterator found =
        fQualifierDecls.find(NormalizeName(name));
    if (found == fQualifierDecls.end())
        return boost::shared_ptr<ICIMQualifierDecl>();
    return found->second;
}

void TPEGASUSNamespace::EnumerateQualifierDecls(TQualifierDeclCallback const& callback,
                                                TCIMContext) const
{
    for (auto const& entry : fQualifierDecls)
        if (!callback(entry.second))
            return;
}

boost::shared_ptr<ICIMInstance> TPEGASUSNamespace::GetInstance(TCIMReference const& reference,
                                                               TCIMContext context) const
{
    // GetClass fills the class registry, hence the cast: looking an instance
    // up may load its class.
    boost::shared_ptr<TPEGASUSClass> cls = boost::dynamic_pointer_cast<TPEGASUSClass>(
        const_cast<TPEGASUSNamespace*>(this)->GetClass(reference.GetClassName(), TCIMContext()));
    if (!cls)
        return boost::shared_ptr<ICIMInstance>();
    return cls->GetInstance(reference, context);
}

} // namespace NQRVKTA20
