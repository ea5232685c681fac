#include "EnumerationContexts.h"

#include <Pegasus/Common/Exception.h>

#include <vector>

namespace Pegasus {

namespace {

CIMException invalidContext(const std::string& id, const char* why)
{
    return CIMException(CIM_ERR_INVALID_ENUMERATION_CONTEXT,
                        String(("\"" + id + "\" " + why).c_str()));
}

}  // namespace

EnumerationContexts::EnumerationContexts(MonotonicClock& clock, const EnumerationLimits& limits)
    : _clock(clock), _limits(limits)
{
    _reaper = std::thread([this] { reap(); });
}

EnumerationContexts::~EnumerationContexts()
{
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _stopping = true;
    }
    _wake.notify_all();
    _reaper.join();
}

void EnumerationContexts::setLimits(const EnumerationLimits& limits)
{
    std::lock_guard<std::mutex> lock(_mutex);
    _limits = limits;
}

EnumerationLimits EnumerationContexts::limits() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _limits;
}

Uint32 EnumerationContexts::timeoutFor(const Uint32Arg& requested) const
{
    Uint32 maximum = limits().maxTimeoutSeconds;
    if (requested.isNull())
        return EnumerationLimits::kDefaultTimeoutSeconds < maximum
                   ? EnumerationLimits::kDefaultTimeoutSeconds
                   : maximum;
    if (requested.getValue() == 0)
        throw CIMException(CIM_ERR_INVALID_OPERATION_TIMEOUT,
                           "an enumeration without a timeout is not offered");
    if (requested.getValue() > maximum)
        throw CIMException(CIM_ERR_INVALID_OPERATION_TIMEOUT,
                           String(("the longest timeout offered is " +
                                   std::to_string(maximum) + " seconds")
                                      .c_str()));
    return requested.getValue();
}

bool EnumerationContexts::expired(const Context& c, MonotonicClock::TimePoint now) const
{
    return !c.busy && now - c.idleSince >= std::chrono::seconds(c.timeoutSeconds);
}

void EnumerationContexts::removeLocked(std::map<std::string, Lease>::iterator it,
                                       std::vector<Lease>& doomed)
{
    it->second->closed = true;
    auto owner = _perOwner.find(it->second->owner);
    if (owner != _perOwner.end() && --owner->second == 0)
        _perOwner.erase(owner);
    doomed.push_back(std::move(it->second));
    _contexts.erase(it);
}

EnumerationContexts::Lease EnumerationContexts::open(const std::string& owner, Kind kind,
                                                     Uint32 timeoutSeconds)
{
    closeExpired();
    std::lock_guard<std::mutex> lock(_mutex);
    auto mine = _perOwner.find(owner);
    if (mine != _perOwner.end() && mine->second >= _limits.maxContextsPerClient)
        throw CIMException(CIM_ERR_SERVER_LIMITS_EXCEEDED,
                           String(("this client has " + std::to_string(mine->second) +
                                   " enumerations open, the most allowed")
                                      .c_str()));
    if (_contexts.size() >= _limits.maxContexts)
        throw CIMException(CIM_ERR_SERVER_LIMITS_EXCEEDED,
                           "the server has as many enumerations open as it allows");
    Lease c = std::make_shared<Context>();
    c->id = std::to_string(++_lastId);
    c->owner = owner;
    c->kind = kind;
    c->timeoutSeconds = timeoutSeconds;
    c->idleSince = _clock.now();
    _contexts.emplace(c->id, c);
    ++_perOwner[owner];
    return c;
}

EnumerationContexts::Lease EnumerationContexts::acquire(const std::string& id,
                                                        const std::string& owner)
{
    std::vector<Lease> doomed;
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _contexts.find(id);
    if (it == _contexts.end() || it->second->owner != owner)
        throw invalidContext(id, "is not an open enumeration");
    if (expired(*it->second, _clock.now()))
    {
        removeLocked(it, doomed);
        throw invalidContext(id, "was closed after its timeout");
    }
    if (it->second->busy)
        throw invalidContext(id, "is in use by another request");
    it->second->busy = true;
    return it->second;
}

void EnumerationContexts::release(const Lease& lease, bool close)
{
    std::vector<Lease> doomed;
    std::lock_guard<std::mutex> lock(_mutex);
    lease->busy = false;
    lease->idleSince = _clock.now();
    if (!close || lease->closed)
        return;
    auto it = _contexts.find(lease->id);
    if (it != _contexts.end())
        removeLocked(it, doomed);
}

void EnumerationContexts::close(const std::string& id, const std::string& owner)
{
    std::vector<Lease> doomed;
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _contexts.find(id);
    if (it == _contexts.end() || it->second->owner != owner)
        throw invalidContext(id, "is not an open enumeration");
    if (it->second->busy)
        throw CIMException(CIM_ERR_PULL_CANNOT_BE_ABANDONED,
                           String(("\"" + id + "\" is in use by another request").c_str()));
    removeLocked(it, doomed);
}

void EnumerationContexts::closeExpired()
{
    std::vector<Lease> doomed;
    std::lock_guard<std::mutex> lock(_mutex);
    MonotonicClock::TimePoint now = _clock.now();
    for (auto it = _contexts.begin(); it != _contexts.end();)
    {
        auto next = std::next(it);
        if (expired(*it->second, now))
            removeLocked(it, doomed);
        it = next;
    }
}

std::size_t EnumerationContexts::size() const
{
    std::lock_guard<std::mutex> lock(_mutex);
    return _contexts.size();
}

std::size_t EnumerationContexts::size(const std::string& owner) const
{
    std::lock_guard<std::mutex> lock(_mutex);
    auto it = _perOwner.find(owner);
    return it == _perOwner.end() ? 0 : it->second;
}

void EnumerationContexts::reap()
{
    std::unique_lock<std::mutex> lock(_mutex);
    while (!_stopping)
    {
        if (_wake.wait_for(lock, std::chrono::seconds(1), [this] { return _stopping; }))
            return;
        lock.unlock();
        closeExpired();
        lock.lock();
    }
}

}  // namespace Pegasus
