#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <pthread.h>
#include <sched.h>
#include <thread>
#include <time.h>

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
    bool StoppableSleepNanos(int64_t ns, StopSignal& stop) override {
        return stop.WaitRealNanos(ns);
    }
    void MakeThreadPunctual() override {
        // The lowest real-time priority: above every normal thread, below a host's audio.
        sched_param param{};
        param.sched_priority = sched_get_priority_min(SCHED_FIFO);
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    }
};

SystemClock g_system;
std::atomic<Clock*> g_current{&g_system};

} // namespace

bool Clock::StoppableSleepNanos(int64_t ns, StopSignal& stop) {
    if (stop) return false;
    SleepNanos(ns);
    return !stop;
}

void StopSignal::Raise() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_raised = true;
    }
    m_wake.notify_all();
}

bool StopSignal::WaitRealNanos(int64_t ns) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_for(lock, std::chrono::nanoseconds(ns > 0 ? ns : 0),
                            [this] { return m_raised.load(); });
}

int64_t Clock::WallSeconds() { return int64_t(std::time(nullptr)); }

Clock& Clock::Current() { return *g_current.load(std::memory_order_acquire); }

void Clock::Install(Clock* c) { g_current.store(c ? c : &g_system, std::memory_order_release); }

int64_t ProcessNanos() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

} // namespace platform
