#include "kit/effect/Timer.h"

#include "platform/Clock.h"

namespace {
int64_t nowMicros() {
    return platform::ProcessNanos() / 1000;
}
} // namespace

Timer::Timer() : m_start(nowMicros()) {}

bool Timer::Every(double seconds) {
    const int64_t now = nowMicros();
    if (double(now - m_start) > seconds * 1000000.0) {
        m_start = now;
        return true;
    }
    return false;
}
