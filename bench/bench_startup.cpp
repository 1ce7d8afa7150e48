// Creating and closing one editor plug-in through the entry, as a host does: all 18,818
// parameters, the build's layout and images, 200 bank files of 100 sounds. Besides the time
// per instance it reports each stage of the start-up, timed by the stage lines the plug-in
// echoes on standard output as it logs them.

#include "src/core/Zoz.h"
#include "tests/support/BankFileGenerator.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The stage that ends with each log line, in start-up order.
const std::pair<const char*, const char*> kStages[] = {
    {"PATCH LIBRARIAN INITIALIZED...", "framework_ms"},
    {"PATCH LIBRARIAN COMPLETED FILE LOADING...", "banks_ms"},
    {"USER INTERFACE CONFIGURATION COMPLETED... BUILDING UI", "layout_ms"},
    {"Layers attached...", "layers_ms"},
    {"Control set 1 attached", "manager_ms"},
    {"Librarian menus attached", "lists_ms"},
    {"Plug-in is ready to load!", "defaults_ms"},
};

// Standard output through a pipe whose lines are stamped as they arrive.
class StampedOutput {
public:
    StampedOutput() {
        if (pipe(fds) != 0) abort();
        saved = dup(STDOUT_FILENO);
        setvbuf(stdout, nullptr, _IOLBF, 0);
        dup2(fds[1], STDOUT_FILENO);
        reader = std::thread([this] { read(); });
    }
    ~StampedOutput() {
        fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(fds[1]);
        reader.join();
        close(fds[0]);
        close(saved);
    }
    // The arrival of the first line holding text since the last call of take.
    std::map<std::string, Clock::time_point> take() {
        fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::lock_guard<std::mutex> lock(mutex);
        return std::move(lines);
    }

private:
    void read() {
        std::string partial;
        char buf[4096];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) {
            const Clock::time_point now = Clock::now();
            partial.append(buf, size_t(n));
            std::lock_guard<std::mutex> lock(mutex);
            for (size_t end; (end = partial.find('\n')) != std::string::npos;) {
                lines.emplace(partial.substr(0, end), now);
                partial.erase(0, end + 1);
            }
        }
    }

    int fds[2];
    int saved;
    std::thread reader;
    std::mutex mutex;
    std::map<std::string, Clock::time_point> lines;
};

std::string makeDataFolder() {
    std::string folder = "/tmp/zoz-bench-startup-XXXXXX";
    if (!mkdtemp(&folder[0])) abort();
    for (int b = 0; b < 200; ++b) {
        const std::string sub = folder + "/Patches/Folder " + std::to_string(b % 10);
        std::filesystem::create_directories(sub);
        testsupport::writeFile(sub + "/Bank " + std::to_string(b) + ".syx",
                               testsupport::rawBankFile(
                                   testsupport::soundDumps(100, "B" + std::to_string(b), "Bass")));
    }
    testsupport::writeFile(folder + "/Zoz Editor LOG.txt", {});
    return folder + "/";
}

IEffectVST* makeZoz(IEffectInstanceInfo info) {
    return new Zoz(info);
}

double msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

void StartAndClose(benchmark::State& state) {
    const std::string data = makeDataFolder();
    setenv("ZOZ_DATA_DIR", data.c_str(), 1);
    setenv("ZOZ_RESOURCES_DIR", ZOZ_BUILT_RESOURCES, 1);
    std::map<std::string, double> totals;
    {
        StampedOutput output;
        for (auto _ : state) {
            const Clock::time_point begin = Clock::now();
            AEffect* effect = VSTCreateEffect(nullptr, makeZoz);
            const Clock::time_point made = Clock::now();
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
            const Clock::time_point closed = Clock::now();
            state.PauseTiming();
            const auto lines = output.take();
            Clock::time_point last = begin;
            for (const auto& [line, counter] : kStages) {
                const auto it = lines.find(std::string("Build LOG: \t ") + line);
                if (it == lines.end()) continue;
                totals[counter] += msBetween(last, it->second);
                last = it->second;
            }
            totals["close_ms"] += msBetween(made, closed);
            state.ResumeTiming();
        }
    }
    for (const auto& [counter, total] : totals)
        state.counters[counter] = total / double(state.iterations());
    std::filesystem::remove_all(data);
}

} // namespace

BENCHMARK(StartAndClose)->Unit(benchmark::kMillisecond)->Iterations(5);
