// TInmemNamespace: the host's in-memory namespace. The host program hands
// one to the plug-in as its repository namespace (the "repository" entry
// of the call context); it holds the classes and qualifier declarations
// entered into it and the instances registered with those classes.
//
// Names: registries are keyed by lower-cased name, so lookups ignore
// letter case and two names differing only in case are the same name.
// Lookups that miss consult, in this order: the underlying namespaces (for
// classes, in the order they were added) and the upcall namespace (for
// qualifier declarations).
//
// Instances: GetInstance, DeleteInstance and ModifyInstance find an
// instance by the class name inside the reference's path and the exact
// path text (see TInmemObjectPath.h for the form TInmemInstance builds).
//
// Not offered (TKTAException 1): Subscribe, ExecuteQuery. No providers.
//
// Ownership: must be held by a boost::shared_ptr (AllocateClass and
// AllocateQualifierDecl use shared_from_this). Owns its registries; the
// destructor clears the classes' instances, breaking the class-instance
// cycles.
// Thread safety: none; the host serialises calls into one namespace.
#ifndef NQRVKTA20_TINMEMNAMESPACE_H
#define NQRVKTA20_TINMEMNAMESPACE_H

#include <map>
#include <string>
#include <vector>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "ICIMClass.h"
#include "ICIMNamespace.h"
#include "ICIMQualifierDecl.h"

namespace NQRVKTA20 {

class TInmemNamespace : public ICIMNamespace,
                        public boost::enable_shared_from_this<TInmemNamespace> {
public:
    explicit TInmemNamespace(std::string const& name = std::string());
    ~TInmemNamespace() override;

    TInmemNamespace(TInmemNamespace const&) = delete;
    TInmemNamespace& operator=(TInmemNamespace const&) = delete;

    // The in-memory namespace provider (TInmemNamespaceProvider).
    boost::shared_ptr<INamespaceProvider> GetNamespaceProvider(
        TCIMContext context) const override;
    void SetUpcallNamespace(boost::shared_ptr<ICIMNamespace> upcall,
                            TCIMContext context) override;
    // Classes this namespace lacks are looked up there. An empty pointer
    // throws TKTAException 1.
    void AddUnderlyingNamespace(boost::shared_ptr<ICIMNamespace> underlying,
                                TCIMContext context) override;
    // A new TInmemClass (not registered). 25 for an invalid name.
    boost::shared_ptr<ICIMClass> AllocateClass(std::string const& name,
                                               boost::shared_ptr<ICIMClass> parent,
                                               TCIMContext context) override;
    // Empty when no class of that name is here or underneath; never throws.
    boost::shared_ptr<ICIMClass> GetClass(std::string const& name, TCIMContext context) override;
    // Registered classes without superclass, in ascending lower-cased name
    // order; stops at the first false.
    void EnumerateRootClasses(TClassCallback const& callback, TCIMContext context) override;
    // There are no providers in memory: the callback is never called.
    void EnumerateProviders(TProviderCallback const& callback, TCIMContext context) override;
    // A new TInmemQualifierDecl (not registered). 25 for an invalid name.
    boost::shared_ptr<ICIMQualifierDecl> AllocateQualifierDecl(
        std::string const& name, TCIMValue const& defaultValue,
        ICIMQualifierDecl::EScope scope, ICIMQualifierDecl::EFlavor flavor,
        TCIMContext context) override;
    // Own registry first, then the upcall namespace; else empty.
    boost::shared_ptr<ICIMQualifierDecl> GetQualifierDecl(std::string const& name,
                                                          TCIMContext context) const override;
    void EnumerateQualifierDecls(TQualifierDeclCallback const& callback,
                                 TCIMContext context) const override;
    void Subscribe(boost::shared_ptr<ICIMIndicationFilter> filter,
                   TIndicationCallback const& callback, TCIMContext context) override;
    // Empty when the class or the instance is not registered here.
    boost::shared_ptr<ICIMInstance> GetInstance(TCIMReference const& reference,
                                                TCIMContext context) const override;
    // 15 when there is no such instance.
    void DeleteInstance(TCIMReference const& reference, TCIMContext context) override;
    // Sets each (name, value) of `properties` on the instance; 15 when
    // there is no such instance; the instance's own 14 and 15 pass through.
    void ModifyInstance(TCIMReference const& reference, TCIMContext properties,
                        TCIMContext context) override;
    void ExecuteQuery(TInstanceCallback const& callback, std::string& language,
                      std::string& query, TCIMContext context) override;
    void ClearInstances() override;

    std::string const& GetName() const { return fName; }
    // Registers a class under its lower-cased name: TKTAException 16 when
    // the name is taken, 1 for an empty pointer.
    void AddClass(boost::shared_ptr<ICIMClass> cls);
    // Drops that very class from the registry if it is registered.
    void RemoveClass(boost::shared_ptr<ICIMClass> cls);
    // Every registered class, ascending lower-cased names; stops at false.
    void EnumerateClasses(TClassCallback const& callback);
    // Registers a qualifier declaration: 16 when the name is taken, 1 for
    // an empty pointer.
    void AddQualifierDecl(boost::shared_ptr<ICIMQualifierDecl> decl);
    void RemoveQualifierDecl(boost::shared_ptr<ICIMQualifierDecl> decl);
    // The upcall namespace, empty if none was set or it has gone.
    boost::shared_ptr<ICIMNamespace> GetUpcallNamespace() const;

private:
    boost::shared_ptr<ICIMClass> FindClass(std::string const& name) const;
    boost::shared_ptr<ICIMInstance> FindInstance(TCIMReference const& reference) const;

    std::string fName;
    std::map<std::string, boost::shared_ptr<ICIMClass>> fClasses;
    std::map<std::string, boost::shared_ptr<ICIMQualifierDecl>> fQualifierDecls;
    boost::weak_ptr<ICIMNamespace> fUpcall;
    std::vector<boost::shared_ptr<ICIMNamespace>> fUnderlying;
};

} // namespace NQRVKTA20

#endif
