#include "tests/support/SteppingClock.h"

#include <thread>

namespace testsupport {

SteppingClock::SteppingClock(int64_t stepNanos) : step(stepNanos) {
    platform::Clock::Install(this);
}

SteppingClock::~SteppingClock() {
    platform::Clock::Install(nullptr);
}

void SteppingClock::SleepNanos(int64_t ns) {
    if (ns > 0) {
        now += ns;
        slept += ns;
    }
    // Lets the other threads of a test move while a loop runs on this clock.
    std::this_thread::yield();
}

} // namespace testsupport
