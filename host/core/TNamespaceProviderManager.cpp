#include "TNamespaceProviderManager.h"

#include "TCIMContext.h"

namespace NQRVKTA20 {

namespace {

// Host status codes returned by the manager.
const uint32_t kOk = 0;
const uint32_t kWrongType = 14;
const uint32_t kNotFound = 15;
const uint32_t kAlreadyDefined = 16;

} // namespace

TNamespaceProviderManager::TNamespaceProviderManager()
{
}

TNamespaceProviderManager::~TNamespaceProviderManager()
{
}

uint32_t TNamespaceProviderManager::RegisterNamespaceProvider(
    boost::shared_ptr<INamespaceProvider> provider)
{
    if (!provider)
        return kWrongType;
    // The name is read before locking: GetName is the provider's code and
    // may take its own locks or log.
    std::string name = provider->GetName(TCIMContext());
    std::lock_guard<std::mutex> lock(fMutex);
    for (const TEntry& entry : fProviders) {
        if (entry.first == name)
            return entry.second == provider ? kOk : kAlreadyDefined;
    }
    fProviders.push_back(TEntry(name, provider));
    return kOk;
}

boost::shared_ptr<INamespaceProvider>
TNamespaceProviderManager::FindNamespaceProvider(const std::string& name)
{
    std::lock_guard<std::mutex> lock(fMutex);
    for (const TEntry& entry : fProviders) {
        if (entry.first == name)
            return entry.second;
    }
    return boost::shared_ptr<INamespaceProvider>();
}

uint32_t TNamespaceProviderManager::UnregisterNamespaceProvider(
    const std::string& name)
{
    boost::shared_ptr<INamespaceProvider> removed;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        for (auto it = fProviders.begin(); it != fProviders.end(); ++it) {
            if (it->first == name) {
                removed = it->second;
                fProviders.erase(it);
                break;
            }
        }
    }
    // `removed` may hold the last reference: the provider is destroyed here,
    // outside the lock, in case its destructor calls back into the manager.
    return removed ? kOk : kNotFound;
}

bool TNamespaceProviderManager::EnumerateNamespaceProviders(
    TProviderCallback callback)
{
    std::vector<boost::shared_ptr<INamespaceProvider>> snapshot;
    {
        std::lock_guard<std::mutex> lock(fMutex);
        snapshot.reserve(fProviders.size());
        for (const TEntry& entry : fProviders)
            snapshot.push_back(entry.second);
    }
    for (const auto& provider : snapshot) {
        if (!callback(provider))
            return false;
    }
    return true;
}

} // namespace NQRVKTA20
