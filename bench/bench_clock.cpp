// MIDI clock output at 120 BPM for 10 s through an output that only notes the time of each
// tick: how far each tick interval strays from the ideal one, and how much CPU time the
// clock worker spends meanwhile.
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/sender/SenderPlugin.h"
#include "src/uiconfig/ParameterIds.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <thread>

namespace {

int64_t nanosOf(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

class TickTimingPlugin : public SenderPlugin {
public:
    bool SendMidiSysex(const uint8_t*, int) override { return true; }
    bool SendMidiSysex2(const std::vector<uint8_t>&) override {
        const int64_t at = nanosOf(CLOCK_MONOTONIC);
        const int64_t cpu = nanosOf(CLOCK_THREAD_CPUTIME_ID);
        std::lock_guard<std::mutex> lock(mutex);
        if (ticks.empty()) firstCpu = cpu;
        lastCpu = cpu;
        ticks.push_back(at);
        return true;
    }
    double GetParamValue(int paramIdx) override { return paramIdx == kOverrideTempo ? 1.0 : 0.0; }
    void SetParameterFromPlug(int, double) override {}
    void setUpperDisplayText(const std::string&) override {}
    void setLowerDisplayText(const std::string&) override {}
    bool isMIDIIOSet() override { return true; }
    bool isClockStartStopEnabled() override { return true; }
    bool isClockTickEnabled() override { return true; }
    void setClockTickEnabled(bool) override {}
    int getTempoValue() override { return 120; }
    std::string getValueListText(const std::string&, int) override { return ""; }
    void printDebugInfo(const std::string&) override {}

    std::mutex mutex;
    std::vector<int64_t> ticks;
    int64_t firstCpu = 0;
    int64_t lastCpu = 0;
};

void BM_MIDIClockTicks120BPM(benchmark::State& state) {
    const int64_t interval = MIDIMessageSender::clockIntervalNanos(120);
    for (auto _ : state) {
        TickTimingPlugin plugin;
        {
            MIDIMessageManager manager(&plugin, nullptr, nullptr, nullptr);
            manager.getSender()->resetContinuousClock(false);
            if (!manager.postJob(SenderJob::kSendContinuousMIDIClock)) {
                state.SkipWithError("the clock job was not taken");
                return;
            }
            std::this_thread::sleep_for(std::chrono::seconds(10));
            manager.getSender()->resetContinuousClock(true);
        }
        std::lock_guard<std::mutex> lock(plugin.mutex);
        const auto& t = plugin.ticks;
        double sum = 0;
        int64_t worst = 0;
        for (size_t i = 1; i < t.size(); ++i) {
            const int64_t deviation = std::llabs(t[i] - t[i - 1] - interval);
            sum += double(deviation);
            worst = std::max(worst, deviation);
        }
        const double span = double(t.back() - t.front());
        state.counters["ticks"] = double(t.size());
        state.counters["mean_dev_us"] = sum / double(t.size() - 1) / 1000.0;
        state.counters["worst_dev_us"] = double(worst) / 1000.0;
        // Ticks count from the previous one, so lateness adds up over the run.
        state.counters["drift_us"] = (span - double(interval) * double(t.size() - 1)) / 1000.0;
        state.counters["worker_cpu_pct"] = 100.0 * double(plugin.lastCpu - plugin.firstCpu) / span;
    }
}
BENCHMARK(BM_MIDIClockTicks120BPM)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
