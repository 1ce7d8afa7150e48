// MIDI clock output at 120 BPM for 10 s through an output that only notes the time of each
// tick: how late each tick comes against the grid of the first one, how far the last one has
// drifted, and how much CPU time the clock worker spends meanwhile; with the other cores idle
// or busy, with and without real-time priority.
#include "platform/Clock.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/FakeSenderPlugin.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

namespace {

int64_t nanosOf(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Notes the time of each tick; every other call goes to the fake plug-in core.
class TickTimingPlugin : public testsupport::FakeSenderPlugin {
public:
    TickTimingPlugin() { hostTempo = 120; }
    bool SendMidiSysex2(const std::vector<uint8_t>&) override {
        const int64_t at = nanosOf(CLOCK_MONOTONIC);
        const int64_t cpu = nanosOf(CLOCK_THREAD_CPUTIME_ID);
        std::lock_guard<std::mutex> lock(tickMutex);
        if (ticks.empty()) firstCpu = cpu;
        lastCpu = cpu;
        ticks.push_back(at);
        return true;
    }
    // The editor's tempo list is overridden by the host's tempo.
    double GetParamValue(int paramIdx) override { return paramIdx == kOverrideTempo ? 1.0 : 0.0; }

    std::mutex tickMutex;
    std::vector<int64_t> ticks;
    int64_t firstCpu = 0;
    int64_t lastCpu = 0;
};

// The system's clock without its real-time priority, for the runs at normal priority.
class NormalPriorityClock : public platform::Clock {
public:
    explicit NormalPriorityClock(platform::Clock& system) : system(system) {}
    int64_t NowNanos() override { return system.NowNanos(); }
    void SleepNanos(int64_t ns) override { system.SleepNanos(ns); }

private:
    platform::Clock& system;
};

// Busy threads on every core but one, for as long as it lives.
class Load {
public:
    explicit Load(bool on) {
        const unsigned cores = std::thread::hardware_concurrency();
        for (unsigned i = 1; on && i < cores; ++i)
            threads.emplace_back([this] {
                while (!done.load(std::memory_order_relaxed)) {
                }
            });
    }
    ~Load() {
        done = true;
        for (std::thread& t : threads)
            t.join();
    }

private:
    std::atomic<bool> done{false};
    std::vector<std::thread> threads;
};

// Args: whether the other cores are busy, whether the clock thread may take real-time priority.
void BM_MIDIClockTicks120BPM(benchmark::State& state) {
    const bool loaded = state.range(0) != 0, realTime = state.range(1) != 0;
    const int64_t interval = MIDIMessageSender::clockIntervalNanos(120);
    NormalPriorityClock normal(platform::Clock::Current());
    if (!realTime) platform::Clock::Install(&normal);
    for (auto _ : state) {
        TickTimingPlugin plugin;
        {
            Load load(loaded);
            MIDIMessageManager manager(&plugin, nullptr, nullptr, nullptr);
            manager.getSender()->resetContinuousClock(false);
            if (!manager.postJob(SenderJob::kSendContinuousMIDIClock)) {
                state.SkipWithError("the clock job was not taken");
                break;
            }
            std::this_thread::sleep_for(std::chrono::seconds(10));
            manager.getSender()->resetContinuousClock(true);
        }
        std::lock_guard<std::mutex> lock(plugin.tickMutex);
        const auto& t = plugin.ticks;
        // Lateness of each tick against the grid that the first tick starts.
        double sum = 0;
        int64_t worst = 0, late = 0;
        for (size_t k = 1; k < t.size(); ++k) {
            late = t[k] - t[0] - int64_t(k) * interval;
            sum += double(late);
            worst = std::max(worst, late);
        }
        const double span = double(t.back() - t.front());
        state.counters["ticks"] = double(t.size());
        state.counters["mean_late_us"] = sum / double(t.size() - 1) / 1000.0;
        state.counters["worst_late_us"] = double(worst) / 1000.0;
        state.counters["drift_us"] = double(late) / 1000.0;
        state.counters["worker_cpu_pct"] = 100.0 * double(plugin.lastCpu - plugin.firstCpu) / span;
    }
    platform::Clock::Install(nullptr);
}
BENCHMARK(BM_MIDIClockTicks120BPM)
    ->ArgNames({"loaded", "realtime"})
    ->ArgsProduct({{0, 1}, {1, 0}})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace
