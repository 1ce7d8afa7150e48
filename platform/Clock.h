#pragma once

#include <cstdint>

namespace platform {

// The one seam for time: a monotonic clock and sleeping. Everything that waits, times out
// or stamps goes through it, so tests can install a clock that runs faster than real time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t NowNanos() = 0;
    virtual void SleepNanos(int64_t ns) = 0;
    // The wall clock in whole seconds since 1970.
    virtual int64_t WallSeconds();
    // Asks that the calling thread wake from its sleeps on time: the system clock raises it to
    // real-time priority (SCHED_FIFO) where the system grants that and leaves it as it is
    // otherwise; the priority ends with the thread. A test clock does nothing.
    virtual void MakeThreadPunctual() {}

    // The clock in use: the system's steady clock unless a test installed another.
    static Clock& Current();
    // Installs c (not owned); null restores the system clock.
    static void Install(Clock* c);
};

// Processor time used by the whole process so far; no test clock replaces it.
int64_t ProcessNanos();

inline int64_t NowNanos() { return Clock::Current().NowNanos(); }
inline int64_t NowMillis() { return Clock::Current().NowNanos() / 1000000; }
inline void SleepNanos(int64_t ns) { Clock::Current().SleepNanos(ns); }
inline void SleepMillis(int64_t ms) { Clock::Current().SleepNanos(ms * 1000000); }
inline int64_t WallSeconds() { return Clock::Current().WallSeconds(); }

} // namespace platform
