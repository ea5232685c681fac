// The clock the server measures intervals with (how long something has been
// idle), behind a seam so that tests can move time on instead of waiting.
#ifndef KTA_CIM_SERVER_MONOTONICCLOCK_H
#define KTA_CIM_SERVER_MONOTONICCLOCK_H

#include <chrono>

namespace Pegasus {

class MonotonicClock
{
public:
    typedef std::chrono::steady_clock::time_point TimePoint;

    virtual ~MonotonicClock() {}

    // Never goes back.  Thread-safe.
    virtual TimePoint now() const { return std::chrono::steady_clock::now(); }

    // The process-wide real clock (std::chrono::steady_clock).
    static MonotonicClock& real()
    {
        static MonotonicClock clock;
        return clock;
    }
};

}  // namespace Pegasus

#endif
