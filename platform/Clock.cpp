#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

namespace platform {
namespace {

class SystemClock final : public Clock {
public:
    int64_t NowNanos() override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    void SleepNanos(int64_t ns) override {
        if (ns > 0) std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
    }
};

SystemClock g_system;
std::atomic<Clock*> g_current{&g_system};

} // namespace

int64_t Clock::WallSeconds() { return int64_t(std::time(nullptr)); }

Clock& Clock::Current() { return *g_current.load(std::memory_order_acquire); }

void Clock::Install(Clock* c) { g_current.store(c ? c : &g_system, std::memory_order_release); }

} // namespace platform
