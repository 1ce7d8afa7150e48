#pragma once

#include "platform/Clock.h"

#include <atomic>
#include <cstdint>

namespace testsupport {

// Time that moves by a fixed step at every reading and by the full length of every sleep, at
// once: a loop that polls the clock or sleeps reaches any deadline without real waiting, and
// the times it sees follow from its own readings alone. Installs itself for its lifetime.
class SteppingClock : public platform::Clock {
public:
    explicit SteppingClock(int64_t stepNanos = 1000);
    ~SteppingClock() override;
    int64_t NowNanos() override { return now += step; }
    void SleepNanos(int64_t ns) override;
    int64_t SleptNanos() const { return slept.load(); }

private:
    const int64_t step;
    std::atomic<int64_t> now{1000000000};
    std::atomic<int64_t> slept{0};
};

} // namespace testsupport
