#include "tests/support/ScaledClock.h"

#include <chrono>
#include <thread>

namespace testsupport {
namespace {
int64_t realNanos() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

ScaledClock::ScaledClock(int64_t factor) : m_factor(factor > 0 ? factor : 1), m_start(realNanos()) {
    platform::Clock::Install(this);
}

ScaledClock::~ScaledClock() { platform::Clock::Install(nullptr); }

int64_t ScaledClock::NowNanos() { return m_start + (realNanos() - m_start) * m_factor; }

void ScaledClock::SleepNanos(int64_t ns) {
    if (ns > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(ns / m_factor));
}

ManualClock::ManualClock(int64_t stepNanosPerReading) : m_step(stepNanosPerReading) {
    platform::Clock::Install(this);
}

ManualClock::~ManualClock() { platform::Clock::Install(nullptr); }

void ManualClock::SleepNanos(int64_t ns) {
    if (ns > 0) {
        m_now += ns;
        m_slept += ns;
    }
    std::this_thread::yield();
    if (m_hook) m_hook(ns);
}

} // namespace testsupport
