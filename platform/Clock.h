#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

class StopSignal;

// The one seam for time: a monotonic clock and sleeping. Everything that waits, times out
// or stamps goes through it, so tests can install a clock that runs faster than real time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t NowNanos() = 0;
    virtual void SleepNanos(int64_t ns) = 0;
    // The same sleep, ended as soon as `stop` is raised; false when it was raised before or
    // during it. A clock that keeps no real time sleeps and then looks.
    virtual bool StoppableSleepNanos(int64_t ns, StopSignal& stop);
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

// Raised once, it ends every sleep taken on it at once, and every later one: a stopping
// thread's waits never outlast the stop.
class StopSignal {
public:
    void Raise();
    explicit operator bool() const { return m_raised.load(); }
    // Sleeps through the clock in use; false when the signal was raised before or during it.
    bool SleepNanos(int64_t ns) { return Clock::Current().StoppableSleepNanos(ns, *this); }
    bool SleepMillis(int64_t ms) { return SleepNanos(ms * 1000000); }
    // Waits up to ns of real time; false when the signal was raised before or during it.
    bool WaitRealNanos(int64_t ns);

private:
    std::atomic<bool> m_raised{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
};

// Processor time used by the whole process so far; no test clock replaces it.
int64_t ProcessNanos();

inline int64_t NowNanos() { return Clock::Current().NowNanos(); }
inline int64_t NowMillis() { return Clock::Current().NowNanos() / 1000000; }
inline void SleepNanos(int64_t ns) { Clock::Current().SleepNanos(ns); }
inline void SleepMillis(int64_t ms) { Clock::Current().SleepNanos(ms * 1000000); }
inline int64_t WallSeconds() { return Clock::Current().WallSeconds(); }

} // namespace platform
