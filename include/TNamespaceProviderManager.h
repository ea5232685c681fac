// TNamespaceProviderManager: the host's INamespaceProviderManager, reached
// through TRootObject::GetNamespaceProviderManager().  Independent instances
// may be built (tests do).
//
// Thread safety: every operation may be called from any thread; the
// provider list is guarded by one lock that is never held while calling
// into a provider or a callback.
#ifndef NQRVKTA20_TNAMESPACEPROVIDERMANAGER_H
#define NQRVKTA20_TNAMESPACEPROVIDERMANAGER_H

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "INamespaceProviderManager.h"

namespace NQRVKTA20 {

class TNamespaceProviderManager : public INamespaceProviderManager {
public:
    TNamespaceProviderManager();
    ~TNamespaceProviderManager() override;

    uint32_t RegisterNamespaceProvider(
        boost::shared_ptr<INamespaceProvider> provider) override;
    boost::shared_ptr<INamespaceProvider> FindNamespaceProvider(
        const std::string& name) override;
    uint32_t UnregisterNamespaceProvider(const std::string& name) override;
    bool EnumerateNamespaceProviders(TProviderCallback callback) override;

private:
    typedef std::pair<std::string, boost::shared_ptr<INamespaceProvider>>
        TEntry;

    std::mutex fMutex;
    std::vector<TEntry> fProviders;  // registration order
};

} // namespace NQRVKTA20

#endif
