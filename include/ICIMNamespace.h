// ICIMNamespace: one CIM namespace as the host sees it: its classes,
// qualifier declarations, providers and instance operations.
//
// The virtual operations below are declared in the host's slot order.
// Ownership: held by boost::shared_ptr; a namespace owns its classes and
// qualifier declarations; classes and declarations refer back to it weakly.
// Failure: operations that fail throw TKTAException; each implementation
// documents the codes (GetClass of a class that cannot be had returns an
// empty pointer instead).
// Thread safety: none promised by the interface; implementations say what
// they allow.
#ifndef NQRVKTA20_ICIMNAMESPACE_H
#define NQRVKTA20_ICIMNAMESPACE_H

#include <string>

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include "ICIMQualifierDecl.h"
#include "TCIMContext.h"
#include "TCIMReference.h"
#include "TCIMValue.h"

namespace NQRVKTA20 {

class ICIMClass;
class ICIMIndicationFilter;
class ICIMInstance;
class INamespaceProvider;
class IProvider;

class ICIMNamespace {
public:
    // Each callback receives one object; returning false asks the
    // enumeration to stop.
    typedef boost::function<bool(boost::shared_ptr<ICIMClass>)> TClassCallback;
    typedef boost::function<bool(boost::shared_ptr<IProvider>)> TProviderCallback;
    typedef boost::function<bool(boost::shared_ptr<ICIMQualifierDecl>)> TQualifierDeclCallback;
    typedef boost::function<bool(boost::shared_ptr<ICIMInstance>)> TInstanceCallback;
    // Receives each indication delivered for a subscription.
    typedef boost::function<bool(boost::shared_ptr<ICIMInstance>)> TIndicationCallback;

    virtual ~ICIMNamespace() {}

    // The provider that made this namespace; may be empty.
    virtual boost::shared_ptr<INamespaceProvider> GetNamespaceProvider(
        TCIMContext context) const = 0;
    // The namespace above this one, consulted where the implementation
    // says so; kept weakly.
    virtual void SetUpcallNamespace(boost::shared_ptr<ICIMNamespace> upcall,
                                    TCIMContext context) = 0;
    virtual void AddUnderlyingNamespace(boost::shared_ptr<ICIMNamespace> underlying,
                                        TCIMContext context) = 0;
    // A new class of this namespace below `parent`; not yet registered
    // (see ICIMClass::AddToNamespace).
    virtual boost::shared_ptr<ICIMClass> AllocateClass(std::string const& name,
                                                       boost::shared_ptr<ICIMClass> parent,
                                                       TCIMContext context) = 0;
    // By name, ignoring letter case; empty when the class cannot be had.
    virtual boost::shared_ptr<ICIMClass> GetClass(std::string const& name,
                                                  TCIMContext context) = 0;
    virtual void EnumerateRootClasses(TClassCallback const& callback,
                                      TCIMContext context) = 0;
    virtual void EnumerateProviders(TProviderCallback const& callback,
                                    TCIMContext context) = 0;
    // A new qualifier declaration of this namespace; not yet registered
    // (see ICIMQualifierDecl::AddToNamespace).
    virtual boost::shared_ptr<ICIMQualifierDecl> AllocateQualifierDecl(
        std::string const& name, TCIMValue const& defaultValue,
        ICIMQualifierDecl::EScope scope, ICIMQualifierDecl::EFlavor flavor,
        TCIMContext context) = 0;
    virtual boost::shared_ptr<ICIMQualifierDecl> GetQualifierDecl(
        std::string const& name, TCIMContext context) const = 0;
    virtual void EnumerateQualifierDecls(TQualifierDeclCallback const& callback,
                                         TCIMContext context) const = 0;
    // Delivers the indications that pass `filter` to `callback`. (Return
    // type and callback type are our choice; the host fixes only the
    // three parameters.)
    virtual void Subscribe(boost::shared_ptr<ICIMIndicationFilter> filter,
                           TIndicationCallback const& callback, TCIMContext context) = 0;
    // The instance at `reference`; empty when there is none.
    virtual boost::shared_ptr<ICIMInstance> GetInstance(TCIMReference const& reference,
                                                        TCIMContext context) const = 0;
    virtual void DeleteInstance(TCIMReference const& reference, TCIMContext context) = 0;
    // `properties` maps property names to their new values. (The host
    // gives two contexts without naming them; the first carries the
    // changes, the second is the call context.)
    virtual void ModifyInstance(TCIMReference const& reference, TCIMContext properties,
                                TCIMContext context) = 0;
    // Runs `query` in `language`, passing each resulting instance to the
    // callback.
    virtual void ExecuteQuery(TInstanceCallback const& callback, std::string& language,
                              std::string& query, TCIMContext context) = 0;
    // Drops cached instances throughout the namespace.
    virtual void ClearInstances() = 0;

protected:
    ICIMNamespace() = default;
    ICIMNamespace(ICIMNamespace const&) = default;
    ICIMNamespace& operator=(ICIMNamespace const&) = default;
};

} // namespace NQRVKTA20

#endif
