#pragma once

#include "platform/Clock.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace testsupport {

// Time that runs `factor` times faster than real time: every sleep is that much shorter and
// the clock advances that much faster, so threads keep their relative order while a 1 s
// time-out takes 1/factor s. Installs itself for its lifetime.
class ScaledClock : public platform::Clock {
public:
    explicit ScaledClock(int64_t factor = 100);
    ~ScaledClock() override;
    int64_t NowNanos() override;
    void SleepNanos(int64_t ns) override;
    bool StoppableSleepNanos(int64_t ns, platform::StopSignal& stop) override {
        return stop.WaitRealNanos(ns / m_factor);
    }

private:
    int64_t m_factor;
    int64_t m_start;
};

// Time that moves only when told to (or by sleeping, which advances it at once). With a step,
// every reading also moves it by that step, so a loop that polls the clock reaches any
// deadline and the times it sees follow from its own readings alone. A sleep hook runs after
// each sleep on the sleeping thread, e.g. to let another thread catch up with the new time.
// Installs itself for its lifetime.
class ManualClock : public platform::Clock {
public:
    explicit ManualClock(int64_t stepNanosPerReading = 0);
    ~ManualClock() override;
    int64_t NowNanos() override { return m_now += m_step; }
    void SleepNanos(int64_t ns) override;
    void AdvanceMillis(int64_t ms) { m_now += ms * 1000000; }
    // Set before any thread sleeps on the clock.
    void SetSleepHook(std::function<void(int64_t ns)> hook) { m_hook = std::move(hook); }
    // The wall clock stands still until set.
    int64_t WallSeconds() override { return m_wallSeconds.load(); }
    void SetWallSeconds(int64_t s) { m_wallSeconds = s; }
    int64_t SleptNanos() const { return m_slept.load(); }

private:
    const int64_t m_step;
    std::atomic<int64_t> m_now{1000000000};
    std::atomic<int64_t> m_slept{0};
    std::function<void(int64_t)> m_hook;
    std::atomic<int64_t> m_wallSeconds{1700000000};
};

} // namespace testsupport
