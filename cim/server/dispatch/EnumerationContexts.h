// EnumerationContexts: the open enumerations of the pull operations
// (DSP0200 1.4), each known to its client by a context id, a decimal string.
//
// A context keeps what produces its objects (an EnumerationSource, usually a
// cursor of the repository or of a provider), never the objects themselves:
// each pull reads and encodes as many as it asks for.  A context that stays
// idle between requests for longer than its timeout is closed and its
// source destroyed, by the next request that meets it or by a thread that
// looks every second, whichever comes first.
//
// Limits: the number of open contexts in total and per client (the caller
// identity the dispatcher gives), and the longest timeout a client may ask
// for.  A context belongs to the client that opened it: to any other it is
// as unknown as an id never handed out.
//
// Thread-safe.  A context is used by one request at a time: the request
// that opened or acquired it holds it (a Lease) until it releases it.
#ifndef KTA_CIM_DISPATCH_ENUMERATIONCONTEXTS_H
#define KTA_CIM_DISPATCH_ENUMERATIONCONTEXTS_H

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/UintArgs.h>

#include "MonotonicClock.h"
#include "Repository.h"

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Pegasus {

// The objects of one enumeration, encoded one at a time.
class EnumerationSource
{
public:
    virtual ~EnumerationSource() {}

    // Appends the next object's encoding to `out`; false when none is left.
    // Throws as the enumeration's operation does.
    virtual bool appendNext(std::string& out) = 0;

    // True when no object is left.  May read one object ahead, which the
    // next appendNext then delivers.
    virtual bool exhausted() = 0;
};

// An EnumerationSource over a cursor (ObjectCursor<T>), each object written
// by `encode` after `prepare` has completed it (a path's host and
// namespace, for instance).
template <class T>
class CursorSource : public EnumerationSource
{
public:
    typedef void (*Encoder)(std::string& out, const T& object);

    template <class Prepare>
    CursorSource(std::unique_ptr<ObjectCursor<T>> cursor, Encoder encode, Prepare prepare)
        : _cursor(std::move(cursor)), _encode(encode), _prepare(prepare)
    {
    }

    bool appendNext(std::string& out) override
    {
        if (!_ahead && !read())
            return false;
        _ahead = false;
        _encode(out, _object);
        return true;
    }

    bool exhausted() override { return !_ahead && !read(); }

private:
    bool read()
    {
        if (!_cursor)
            return false;
        if (!_cursor->next(_object))
        {
            // Done: give the cursor's resources back now.
            _cursor.reset();
            return false;
        }
        _prepare(_object);
        _ahead = true;
        return true;
    }

    std::unique_ptr<ObjectCursor<T>> _cursor;
    Encoder _encode;
    std::function<void(T&)> _prepare;
    T _object;
    bool _ahead = false;
};

struct EnumerationLimits
{
    // Seconds a context may stay idle when its client names no timeout.
    static constexpr Uint32 kDefaultTimeoutSeconds = 60;

    unsigned maxContexts = 256;
    unsigned maxContextsPerClient = 16;
    // The longest timeout a client may ask for, in seconds.
    Uint32 maxTimeoutSeconds = 300;
};

class EnumerationContexts
{
public:
    enum Kind
    {
        INSTANCES,  // answered with VALUE.INSTANCEWITHPATH
        PATHS       // answered with INSTANCEPATH
    };

    struct Context
    {
        std::string id;
        std::string owner;
        Kind kind = INSTANCES;
        Uint32 timeoutSeconds = 0;
        // Set by the holder after open(); used only by the holder.
        std::unique_ptr<EnumerationSource> source;
        // Guarded by the table's mutex.
        bool busy = true;
        bool closed = false;
        MonotonicClock::TimePoint idleSince;
    };
    typedef std::shared_ptr<Context> Lease;

    // The clock must outlive the table.
    explicit EnumerationContexts(MonotonicClock& clock = MonotonicClock::real(),
                                 const EnumerationLimits& limits = EnumerationLimits());
    // Closes every context (their sources are destroyed).
    ~EnumerationContexts();

    EnumerationContexts(const EnumerationContexts&) = delete;
    EnumerationContexts& operator=(const EnumerationContexts&) = delete;

    // New limits apply to the contexts opened afterwards.
    void setLimits(const EnumerationLimits& limits);
    EnumerationLimits limits() const;

    // The idle timeout for a requested OperationTimeout: the default for
    // null.  0 (no timeout) and values above the maximum are refused with
    // CIM_ERR_INVALID_OPERATION_TIMEOUT.
    Uint32 timeoutFor(const Uint32Arg& requested) const;

    // A new context of `owner`, held by the caller, without a source yet.
    // CIM_ERR_SERVER_LIMITS_EXCEEDED when the owner or the server has as
    // many contexts open as allowed.
    Lease open(const std::string& owner, Kind kind, Uint32 timeoutSeconds);

    // The open context `id` of `owner`, now held by the caller.
    // CIM_ERR_INVALID_ENUMERATION_CONTEXT when there is none (never opened,
    // closed, timed out, another client's) or another request holds it.
    Lease acquire(const std::string& id, const std::string& owner);

    // Ends the caller's hold.  The context stays open, idle from now on,
    // unless `close`.
    void release(const Lease& lease, bool close);

    // Closes the context `id` of `owner`.  Errors as acquire(), except
    // that a context another request holds gives
    // CIM_ERR_PULL_CANNOT_BE_ABANDONED.
    void close(const std::string& id, const std::string& owner);

    // Closes the idle contexts whose timeout has passed.
    void closeExpired();

    // Open contexts, in total and of one owner.
    std::size_t size() const;
    std::size_t size(const std::string& owner) const;

private:
    bool expired(const Context& c, MonotonicClock::TimePoint now) const;
    // REQUIRES: _mutex held.  Moves the context out of the table into
    // `doomed`, whose destruction (outside the lock) frees its source.
    void removeLocked(std::map<std::string, Lease>::iterator it,
                      std::vector<Lease>& doomed);
    void reap();

    MonotonicClock& _clock;
    mutable std::mutex _mutex;
    EnumerationLimits _limits;
    std::map<std::string, Lease> _contexts;
    std::map<std::string, unsigned> _perOwner;
    Uint64 _lastId = 0;
    bool _stopping = false;
    std::condition_variable _wake;
    std::thread _reaper;
};

}  // namespace Pegasus

#endif
