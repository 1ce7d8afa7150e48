// The host's audio while the plug-in works: zoz-host runs the editor's module in its real-time
// mode (blocks of 256 frames at 48 kHz on an audio thread of its own) with the editor open on
// the display and the simulated synthesizer on its ports, once idle for ten seconds and once
// while the librarian stores a bank of 100 sounds into the synthesizer ("All Current Patches
// to Bank A"). Reported: the blocks run, the longest block's time and the blocks that ran late
// (began more than a period after they were due, or took longer than one); none is the mark.
// Needs the JACK server and the X display that scripts/bench starts.
#include "tests/e2e/Session.h"
#include "tests/support/BankFileGenerator.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using Row = Session::MenuRow;

constexpr int kWaitMs = 60000;
// The librarian's tab and the bank edit menu, placed by the product's layout.
constexpr int kLibrarianTab[2] = {338, 18};
constexpr int kBankEditMenu[4] = {839, 187, 916, 205};
constexpr Row kStoreData = {2, 1}, kAllCurrentPatchesToBankA = {2, 1};

bool lastSlotStored(const testsupport::QsimProcess::Message& m) {
    return m.received && m.bytes.size() == 393 && m.bytes[4] == 0x10 && m.bytes[6] == 99;
}

// Clicks the tab until the librarian shows: the editor takes a click at its next idle.
bool showLibrarian(Session& s) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (!s.Click(kLibrarianTab[0], kLibrarianTab[1])) return false;
        std::this_thread::sleep_for(std::chrono::seconds(2));
        if ((s.PixelAt(kLibrarianTab[0] - 42, kLibrarianTab[1]) >> 8 & 0xFF) > 0x80) return true;
    }
    return false;
}

void BM_RealTimeBlocks(benchmark::State& state) {
    const bool transfer = state.range(0) == 1;
    const std::string missing = Session::Missing();
    if (!missing.empty()) {
        state.SkipWithError(missing.c_str());
        return;
    }
    for (auto _ : state) {
        Session s(transfer ? "store" : "idle");
        s.AddBank("Bank.syx", testsupport::soundDumps(100, "S", "Bass"));
        if (!s.Ready() || !s.StartHost(ZOZ_EDITOR_MODULE, {"editor-open", "run=600000"}) ||
            !s.WaitForHost("host: editor open", kWaitMs) ||
            !s.Synth().WaitFor([](const auto& m) { return !m.received && m.bytes.size() == 207; },
                               kWaitMs)) {
            state.SkipWithError("the session did not start");
            return;
        }
        const auto began = Clock::now();
        if (transfer) {
            if (!showLibrarian(s) ||
                !s.ChooseMenuItem(kBankEditMenu, {kStoreData, kAllCurrentPatchesToBankA}) ||
                !s.Synth().WaitFor(lastSlotStored, kWaitMs)) {
                state.SkipWithError("the bank did not go out");
                return;
            }
        } else {
            std::this_thread::sleep_for(std::chrono::seconds(10));
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
        std::string line;
        if (!s.NextCommand() || !s.WaitForHost("host: ran ", kWaitMs, &line)) {
            state.SkipWithError("the host did not report its blocks");
            return;
        }
        int blocks = 0, frames = 0, late = 0;
        long long ms = 0, longest = 0;
        sscanf(
            line.c_str(),
            "host: ran %d blocks of %d frames in real time over %lld ms, the longest in %lld us, "
            "%d late",
            &blocks, &frames, &ms, &longest, &late);
        state.SetIterationTime(seconds);
        state.counters["blocks"] = blocks;
        state.counters["longest_us"] = double(longest);
        state.counters["late"] = late;
        s.QuitHost();
        s.FinishHost();
    }
}
// 0: idle; 1: storing the bank.
BENCHMARK(BM_RealTimeBlocks)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

} // namespace
