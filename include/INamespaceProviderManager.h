// INamespaceProviderManager: the host's registry of namespace providers
// (plug-ins register theirs here when the host initialises them; the host
// looks them up by name to allocate namespaces).
//
// Ownership: the manager keeps a shared pointer to each registered provider
// until it is unregistered.  A provider whose code lives in a loadable
// library must be unregistered before that library is unloaded.
// Thread safety: implementations are safe for concurrent use.
#ifndef NQRVKTA20_INAMESPACEPROVIDERMANAGER_H
#define NQRVKTA20_INAMESPACEPROVIDERMANAGER_H

#include <cstdint>
#include <string>

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include "INamespaceProvider.h"

namespace NQRVKTA20 {

class INamespaceProviderManager {
public:
    typedef boost::function<bool(boost::shared_ptr<INamespaceProvider>)>
        TProviderCallback;

    virtual ~INamespaceProviderManager() {}

    // Registers a provider under its name (GetName with an empty context).
    // Returns a host status code: 0 on success, also when this very provider
    // object is registered already; 14 for an empty pointer; 16 when another
    // provider holds the same name.  Exceptions from GetName pass through.
    virtual uint32_t RegisterNamespaceProvider(
        boost::shared_ptr<INamespaceProvider> provider) = 0;

    // The provider registered under `name` (compared exactly, case
    // included), or an empty pointer.
    virtual boost::shared_ptr<INamespaceProvider> FindNamespaceProvider(
        const std::string& name) = 0;

    // Drops the provider registered under `name`.  Returns 0, or 15 when no
    // provider has that name.
    virtual uint32_t UnregisterNamespaceProvider(const std::string& name) = 0;

    // Calls `callback` for each registered provider in registration order,
    // on the calling thread, without holding the manager's lock (the
    // callback may use the manager).  Stops when the callback returns false;
    // returns false then, true when every provider was visited.  Providers
    // registered or removed during the walk may or may not be visited.
    virtual bool EnumerateNamespaceProviders(TProviderCallback callback) = 0;
};

} // namespace NQRVKTA20

#endif
