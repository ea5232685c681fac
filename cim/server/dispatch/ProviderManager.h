// ProviderManager: knows which provider serves which class, loads provider
// libraries on first use and keeps the loaded providers until shutdown.
//
// Registration.  Providers are registered by creating PG_ProviderModule,
// PG_Provider and PG_ProviderCapabilities instances, in that order, in
// root/PG_InterOp.  The dispatcher hands such instances to
// createRegistration(), which checks them, stores them in the repository and
// updates the routing table.  The table is rebuilt from the repository at
// construction, so registrations survive a server restart.
//
// Loading.  The first request for a registered provider looks for
// lib<Location>.so in the provider directories (first match wins), loads it,
// calls PegasusCreateProvider(<provider name>) and then initialize() once.
// A load failure fails that request and is retried by the next one; a
// provider whose initialize() threw stays failed.
//
// Built-in providers.  registerBuiltinProvider() attaches a provider object
// compiled into the server to one class in one namespace; it serves instance
// and method requests for that class whether or not the class is in the
// repository, and takes precedence over registered providers.
//
// Threads: every member may be called from any thread.  Requests may use
// one provider on several threads at once.
#ifndef KTA_CIM_DISPATCH_PROVIDERMANAGER_H
#define KTA_CIM_DISPATCH_PROVIDERMANAGER_H

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Provider/CIMProvider.h>

#include "ProviderRegistry.h"

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Pegasus {

class Repository;

class ProviderManager
{
public:
    // repository must outlive the manager.  providerDirs are searched in
    // order; they are used as given (the caller resolves relative ones).
    // Reads the registrations from repository; a repository without
    // root/PG_InterOp simply has none yet.
    ProviderManager(Repository& repository,
                    const std::vector<std::string>& providerDirs);

    // Calls terminateAll().
    ~ProviderManager();

    ProviderManager(const ProviderManager&) = delete;
    ProviderManager& operator=(const ProviderManager&) = delete;

    // Told, for the server's log, of every provider loaded from a library
    // and of every one whose library could not be loaded or whose
    // initialize() failed (`failed` true), with a one-line text naming the
    // provider, its module and what happened.  Called on the loading
    // thread without the manager's lock.  Set it before requests arrive.
    typedef std::function<void(bool failed, const std::string& text)> EventSink;
    void setEventSink(EventSink sink);

    // Replaces the provider directories.  Libraries already loaded stay
    // loaded; the new directories apply to later loads.
    void setProviderDirs(const std::vector<std::string>& providerDirs);

    // Takes ownership of provider (never deleted: its terminate() releases
    // it) and calls provider->initialize() before returning.  If initialize
    // throws, the exception propagates and the provider is not registered.
    // A second provider for the same class and namespace replaces the first
    // for new requests (the first is terminated by terminateAll()).
    // REQUIRES: provider is not null.
    void registerBuiltinProvider(const CIMNamespaceName& nameSpace,
                                 const CIMName& className,
                                 CIMProvider* provider);

    // A definition that comes with a built-in provider, for a class the
    // repository need not hold: GetClass answers it in `nameSpace` while
    // the repository defines no class of that name there.  `resolved` is in
    // the repository's resolved form (inherited members and qualifiers
    // propagated, class origins set).  A second definition of the class
    // replaces the first.
    void registerBuiltinClass(const CIMNamespaceName& nameSpace,
                              const CIMClass& resolved);

    // A copy of the built-in definition of the class; an uninitialized
    // class when there is none.
    CIMClass builtinClass(const CIMNamespaceName& nameSpace,
                          const CIMName& className) const;

    // Waits for the provider calls in progress, then calls terminate() once
    // on every loaded and built-in provider.  Later requests for providers
    // fail with CIM_ERR_FAILED.  Idempotent.  Must not be called from inside
    // a provider call.
    void terminateAll();

    // ---- used by the operation dispatcher ----

    // True if requests of this type for the class in the namespace go to a
    // provider (built-in providers count as instance and method providers).
    bool hasProvider(const CIMNamespaceName& nameSpace,
                     const CIMName& className, ProviderType type) const;

    struct LoadedProvider;

    // A provider in use.  While a lease exists the provider is not
    // terminated.  Movable, not copyable.
    class ProviderLease
    {
    public:
        ProviderLease() {}
        ProviderLease(ProviderManager* manager,
                      std::shared_ptr<LoadedProvider> entry);
        ProviderLease(ProviderLease&& other) noexcept;
        ProviderLease& operator=(ProviderLease&& other) noexcept;
        ~ProviderLease();

        CIMProvider* get() const;

    private:
        void release();
        ProviderManager* _manager = 0;
        std::shared_ptr<LoadedProvider> _entry;
    };

    // The provider for (namespace, class, type), loaded and initialized.
    // Throws CIMException: CIM_ERR_NOT_SUPPORTED when no provider is
    // registered, CIM_ERR_FAILED with the loader's text when the library
    // cannot be found or loaded or yields no provider, or the provider's
    // initialize() failed.
    ProviderLease acquire(const CIMNamespaceName& nameSpace,
                          const CIMName& className, ProviderType type);

    // True for PG_ProviderModule, PG_Provider, PG_ProviderCapabilities and
    // PG_ConsumerCapabilities in root/PG_InterOp.
    static bool isRegistrationClass(const CIMNamespaceName& nameSpace,
                                    const CIMName& className);

    // Checks a new registration instance (exact texts and codes of the
    // registration rules), stores it in root/PG_InterOp and updates the
    // routing table.  Returns the stored instance's path.  Throws
    // CIMException for a rejected instance or a repository failure.
    CIMObjectPath createRegistration(const CIMInstance& instance);

    // Rebuilds the routing table from the repository (after registration
    // instances were modified or deleted).
    void reloadRegistrations();

private:
    void loadRegistrationsLocked();
    std::shared_ptr<LoadedProvider> builtinLocked(
        const CIMNamespaceName& nameSpace, const CIMName& className) const;
    void load(LoadedProvider& entry, const ProviderRoute& route,
              const std::vector<std::string>& dirs);
    void releaseUse(LoadedProvider& entry);

    Repository& _repository;

    mutable std::mutex _mutex;
    std::condition_variable _changed;
    std::vector<std::string> _providerDirs;
    EventSink _eventSink;
    ProviderRegistry _registry;
    // Built-in providers by "namespace\nclass" (lower case).
    std::map<std::string, std::shared_ptr<LoadedProvider>> _builtins;
    // Built-in class definitions, keyed as _builtins.
    std::map<std::string, CIMClass> _builtinClasses;
    // Loaded providers by "module\nprovider" (lower case).
    std::map<std::string, std::shared_ptr<LoadedProvider>> _loaded;
    // Built-in providers replaced by a later registration; terminated with
    // the others.
    std::vector<std::shared_ptr<LoadedProvider>> _retired;
    bool _terminated = false;

    // Serialises registration changes so that a check and the store it
    // guards are not interleaved with another registration.
    std::mutex _registrationMutex;
};

}  // namespace Pegasus

#endif
