// Provider loading and lifetime.
//
// Each provider (built-in, or one PG_Provider of a module) has one
// LoadedProvider entry.  Its state moves EMPTY -> LOADING -> READY (or
// FAILED when initialize() threw) -> TERMINATED.  All state changes happen
// under _mutex; the slow parts (dlopen, PegasusCreateProvider, initialize,
// terminate) run without it, so that a provider's initialize() may itself
// use the server, and threads asking for a provider that is being loaded
// wait on _changed.
#include "ProviderManager.h"

#include <Pegasus/Common/Constants.h>
#include <Pegasus/Provider/CIMOMHandle.h>

#include "ProviderLibrary.h"
#include "Repository.h"

#include <thread>

namespace Pegasus {

struct ProviderManager::LoadedProvider
{
    enum State { EMPTY, LOADING, READY, FAILED, TERMINATED };

    State state = EMPTY;
    std::thread::id loader;      // thread running the load (LOADING)
    CIMProvider* provider = 0;
    unsigned users = 0;          // leases held
    CIMException failure;        // why it is FAILED
};

namespace {

const char* const kInitializationFailed = "provider initialization failed";

std::string builtinKey(const CIMNamespaceName& nameSpace,
                       const CIMName& className)
{
    return foldedName(nameSpace.getString()) + '\n' +
        foldedName(className.getString());
}

Array<CIMInstance> storedInstances(Repository& repository,
                                   const char* className)
{
    try
    {
        return repository.enumerateInstancesForClass(
            PEGASUS_NAMESPACENAME_INTEROP, CIMName(className), false, false,
            false, CIMPropertyList());
    }
    catch (const CIMException&)
    {
        // No interop namespace or class yet: nothing registered.
        return Array<CIMInstance>();
    }
}

}  // namespace

// ---- ProviderLease ---------------------------------------------------------

ProviderManager::ProviderLease::ProviderLease(
    ProviderManager* manager, std::shared_ptr<LoadedProvider> entry)
    : _manager(manager), _entry(std::move(entry))
{
}

ProviderManager::ProviderLease::ProviderLease(ProviderLease&& other) noexcept
    : _manager(other._manager), _entry(std::move(other._entry))
{
    other._manager = 0;
}

ProviderManager::ProviderLease& ProviderManager::ProviderLease::operator=(
    ProviderLease&& other) noexcept
{
    if (this != &other)
    {
        release();
        _manager = other._manager;
        _entry = std::move(other._entry);
        other._manager = 0;
    }
    return *this;
}

ProviderManager::ProviderLease::~ProviderLease()
{
    release();
}

CIMProvider* ProviderManager::ProviderLease::get() const
{
    return _entry ? _entry->provider : 0;
}

void ProviderManager::ProviderLease::release()
{
    if (_manager && _entry)
        _manager->releaseUse(*_entry);
    _manager = 0;
    _entry.reset();
}

// ---- ProviderManager -------------------------------------------------------

ProviderManager::ProviderManager(Repository& repository,
                                 const std::vector<std::string>& providerDirs)
    : _repository(repository), _providerDirs(providerDirs)
{
    std::lock_guard<std::mutex> lock(_mutex);
    loadRegistrationsLocked();
}

ProviderManager::~ProviderManager()
{
    terminateAll();
}

void ProviderManager::setEventSink(EventSink sink)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _eventSink = std::move(sink);
}

void ProviderManager::setProviderDirs(
    const std::vector<std::string>& providerDirs)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _providerDirs = providerDirs;
}

void ProviderManager::registerBuiltinProvider(
    const CIMNamespaceName& nameSpace, const CIMName& className,
    CIMProvider* provider)
{
    if (!provider)
    {
        throw CIMException(CIM_ERR_INVALID_PARAMETER,
            "registerBuiltinProvider: null provider");
    }
    CIMOMHandle cimom;
    provider->initialize(cimom);

    auto entry = std::make_shared<LoadedProvider>();
    entry->state = LoadedProvider::READY;
    entry->provider = provider;

    std::lock_guard<std::mutex> lock(_mutex);
    std::shared_ptr<LoadedProvider>& slot =
        _builtins[builtinKey(nameSpace, className)];
    if (slot)
        _retired.push_back(slot);
    slot = entry;
    if (_terminated)
    {
        // Too late to serve anything; it still gets its terminate().
        _retired.push_back(entry);
        _builtins.erase(builtinKey(nameSpace, className));
    }
}

void ProviderManager::registerBuiltinClass(const CIMNamespaceName& nameSpace,
                                           const CIMClass& resolved)
{
    CIMClass copy = resolved.clone();
    std::lock_guard<std::mutex> lock(_mutex);
    _builtinClasses[builtinKey(nameSpace, copy.getClassName())] = copy;
}

CIMClass ProviderManager::builtinClass(const CIMNamespaceName& nameSpace,
                                       const CIMName& className) const
{
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _builtinClasses.find(builtinKey(nameSpace, className));
    return it == _builtinClasses.end() ? CIMClass() : it->second.clone();
}

void ProviderManager::terminateAll()
{
    std::vector<std::shared_ptr<LoadedProvider>> all;
    {
        std::unique_lock<std::mutex> lock(_mutex);
        _terminated = true;
        for (auto& item : _builtins)
            all.push_back(item.second);
        for (auto& item : _loaded)
            all.push_back(item.second);
        all.insert(all.end(), _retired.begin(), _retired.end());
        _changed.wait(lock, [&all] {
            for (auto& entry : all)
            {
                if (entry->users != 0 ||
                    entry->state == LoadedProvider::LOADING)
                {
                    return false;
                }
            }
            return true;
        });
        // Claim the providers to terminate under the lock, so that a
        // concurrent terminateAll() does not terminate them twice.
        for (auto it = all.begin(); it != all.end();)
        {
            if ((*it)->state == LoadedProvider::READY)
            {
                (*it)->state = LoadedProvider::TERMINATED;
                ++it;
            }
            else
            {
                it = all.erase(it);
            }
        }
    }
    for (auto& entry : all)
    {
        try
        {
            entry->provider->terminate();
        }
        catch (...)
        {
            // Shutting down: a provider failing to clean up must not stop
            // the others from being terminated.
        }
        entry->provider = 0;
    }
}

std::shared_ptr<ProviderManager::LoadedProvider>
ProviderManager::builtinLocked(const CIMNamespaceName& nameSpace,
                               const CIMName& className) const
{
    auto it = _builtins.find(builtinKey(nameSpace, className));
    return it == _builtins.end() ? nullptr : it->second;
}

bool ProviderManager::hasProvider(const CIMNamespaceName& nameSpace,
                                  const CIMName& className,
                                  ProviderType type) const
{
    std::lock_guard<std::mutex> lock(_mutex);
    if ((type == INSTANCE_PROVIDER || type == METHOD_PROVIDER) &&
        builtinLocked(nameSpace, className))
    {
        return true;
    }
    return _registry.find(nameSpace, className, type) != 0;
}

ProviderManager::ProviderLease ProviderManager::acquire(
    const CIMNamespaceName& nameSpace, const CIMName& className,
    ProviderType type)
{
    std::unique_lock<std::mutex> lock(_mutex);
    if (_terminated)
    {
        throw CIMException(CIM_ERR_FAILED,
            "The CIM server is shutting down; providers are no longer "
            "available.");
    }
    if (type == INSTANCE_PROVIDER || type == METHOD_PROVIDER)
    {
        std::shared_ptr<LoadedProvider> builtin =
            builtinLocked(nameSpace, className);
        if (builtin)
        {
            ++builtin->users;
            return ProviderLease(this, builtin);
        }
    }

    const ProviderRoute* found = _registry.find(nameSpace, className, type);
    if (!found)
    {
        throw CIMException(CIM_ERR_NOT_SUPPORTED,
            "No provider is registered for class " + className.getString() +
            " in namespace " + nameSpace.getString());
    }
    const ProviderRoute route = *found;   // the table may be rebuilt
    std::shared_ptr<LoadedProvider>& slot =
        _loaded[foldedName(route.moduleName) + '\n' +
                foldedName(route.providerName)];
    if (!slot)
        slot = std::make_shared<LoadedProvider>();
    std::shared_ptr<LoadedProvider> entry = slot;

    for (;;)
    {
        switch (entry->state)
        {
        case LoadedProvider::READY:
            ++entry->users;
            return ProviderLease(this, entry);
        case LoadedProvider::FAILED:
            throw entry->failure;
        case LoadedProvider::TERMINATED:
            throw CIMException(CIM_ERR_FAILED,
                "The CIM server is shutting down; providers are no longer "
                "available.");
        case LoadedProvider::LOADING:
            if (entry->loader == std::this_thread::get_id())
            {
                // The provider's initialize() asked for the provider itself.
                throw CIMException(CIM_ERR_FAILED, kInitializationFailed);
            }
            _changed.wait(lock);
            break;
        case LoadedProvider::EMPTY:
        {
            entry->state = LoadedProvider::LOADING;
            entry->loader = std::this_thread::get_id();
            std::vector<std::string> dirs = _providerDirs;
            lock.unlock();
            try
            {
                load(*entry, route, dirs);
            }
            catch (...)
            {
                lock.lock();
                if (entry->state == LoadedProvider::LOADING)
                    entry->state = LoadedProvider::EMPTY;
                _changed.notify_all();
                throw;
            }
            lock.lock();
            _changed.notify_all();
            break;
        }
        }
    }
}

// Runs without _mutex.  On return entry.state is READY or FAILED (set under
// the lock); a library that cannot be found or loaded, or that yields no
// provider, throws and leaves the state to the caller (back to EMPTY, so
// that a later request tries again).
void ProviderManager::load(LoadedProvider& entry, const ProviderRoute& route,
                           const std::vector<std::string>& dirs)
{
    EventSink sink;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        sink = _eventSink;
    }
    const std::string name = "Provider " +
        std::string(route.providerName.getCString()) + " of module " +
        std::string(route.moduleName.getCString());

    CIMProvider* provider = 0;
    try
    {
        provider = ProviderLibrary::createProvider(
            dirs, route.location, route.moduleName, route.providerName);
    }
    catch (const Exception& e)
    {
        if (sink)
            sink(true, name + " could not be loaded: " +
                           std::string(e.getMessage().getCString()));
        throw;
    }

    std::string problem;
    try
    {
        CIMOMHandle cimom;
        provider->initialize(cimom);
    }
    catch (const Exception& e)
    {
        problem = e.getMessage().getCString();
    }
    catch (const std::exception& e)
    {
        problem = e.what();
    }
    catch (...)
    {
        problem = "an unknown exception was thrown";
    }
    if (sink)
    {
        if (problem.empty())
            sink(false, name + " loaded from " +
                            std::string(route.location.getCString()) + ".");
        else
            sink(true, name + " failed to initialize: " + problem);
    }
    if (!problem.empty())
    {
        // A provider that failed to initialize is never called again; its
        // terminate() lets it release what initialize() left behind and
        // itself (providers delete themselves there).
        try
        {
            provider->terminate();
        }
        catch (...)
        {
        }
        provider = 0;
    }

    std::lock_guard<std::mutex> lock(_mutex);
    entry.provider = provider;
    if (problem.empty())
    {
        entry.state = LoadedProvider::READY;
    }
    else
    {
        entry.state = LoadedProvider::FAILED;
        entry.failure = CIMException(CIM_ERR_FAILED, kInitializationFailed);
    }
}

void ProviderManager::releaseUse(LoadedProvider& entry)
{
    std::lock_guard<std::mutex> lock(_mutex);
    if (--entry.users == 0 && _terminated)
        _changed.notify_all();
}

bool ProviderManager::isRegistrationClass(const CIMNamespaceName& nameSpace,
                                          const CIMName& className)
{
    return nameSpace == PEGASUS_NAMESPACENAME_INTEROP &&
        ProviderRegistry::classify(className) !=
            ProviderRegistry::NOT_REGISTRATION;
}

CIMObjectPath ProviderManager::createRegistration(const CIMInstance& instance)
{
    std::lock_guard<std::mutex> registrationLock(_registrationMutex);
    CIMInstance checked = instance.clone();
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _registry.validateNew(checked);
    }
    // The status the check added is only kept where the stored class has
    // the property (a reduced interop schema may lack it).
    Uint32 status = checked.findProperty(CIMName("OperationalStatus"));
    if (status != PEG_NOT_FOUND && !instance.getClassName().isNull() &&
        ProviderRegistry::classify(instance.getClassName()) ==
            ProviderRegistry::PROVIDER_MODULE)
    {
        CIMClass moduleClass;
        try
        {
            moduleClass = _repository.getClass(
                PEGASUS_NAMESPACENAME_INTEROP, instance.getClassName(), false,
                false, false, CIMPropertyList());
        }
        catch (const CIMException&)
        {
            // The repository reports the missing class when storing.
        }
        if (!moduleClass.isUninitialized() &&
            moduleClass.findProperty(CIMName("OperationalStatus")) ==
                PEG_NOT_FOUND)
        {
            checked.removeProperty(status);
        }
    }
    CIMObjectPath path =
        _repository.createInstance(PEGASUS_NAMESPACENAME_INTEROP, checked);
    // Only the new registration is added: rebuilding the whole table from
    // the repository after every instance made registering N providers
    // quadratic.
    std::lock_guard<std::mutex> lock(_mutex);
    _registry.add(checked);
    return path;
}

void ProviderManager::reloadRegistrations()
{
    std::lock_guard<std::mutex> registrationLock(_registrationMutex);
    std::lock_guard<std::mutex> lock(_mutex);
    loadRegistrationsLocked();
}

// Reads the repository while holding _mutex: registrations are few and
// small, and the repository never calls back into the manager.
void ProviderManager::loadRegistrationsLocked()
{
    _registry.rebuild(storedInstances(_repository, "PG_ProviderModule"),
                      storedInstances(_repository, "PG_Provider"),
                      storedInstances(_repository, "PG_ProviderCapabilities"));
}

}  // namespace Pegasus
