#pragma once

#include "kit/effect/ISysEx.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/FakeSenderPlugin.h"
#include "tests/support/ScaledClock.h"
#include "tools/zoz-qsim/SynthSimulator.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using Bytes = std::vector<uint8_t>;

// The plug-in's calls that reload the librarian browser and redraw the editor's pages.
inline const std::string kReload = "change " + std::to_string(kRefreshFolders);
inline const std::string kRefresh = "reduced change " + std::to_string(kQuickTab);

// The librarian's modes, numbered as its current type.
enum Mode { kSounds, kMultis, kPatterns };

// A plug-in with one empty bank of each kind, its message manager and a synthesizer (device
// id 0) that answers on its own thread through the plug-in's input. The pause unit is 500 ms
// and time moves only as the jobs sleep; every answer due is given before a sleep returns.
struct RequestRig {
    explicit RequestRig(Mode mode = kSounds) {
        plugin.manager = &manager;
        plugin.multiMode = mode == kMultis;
        plugin.patternMode = mode == kPatterns;
        librarian.currentType = mode;
        plugin.setParam(kLibSyncTimer, 7);
        for (auto* list : {&librarian.soundBanks, &librarian.multiBanks, &librarian.patternBanks}) {
            banks.push_back(std::make_unique<PatchFile>());
            banks.back()->entries.resize(PatchFile::kBankSize);
            list->push_back(banks.back().get());
        }
        clock.SetSleepHook([this](int64_t) {
            synth.settle();
            if (++sleeps == cancelAtSleep) manager.getSender()->cancel = true;
            if (onSleep) onSleep(sleeps);
        });
        synth.start([this](const Bytes& d) { deliver(d); });
        plugin.output.setListener([this](const Bytes& m) { synth.receive(m); });
    }
    ~RequestRig() {
        waitIdle();
        plugin.output.setListener(nullptr);
        synth.stop();
    }

    // A message from the synthesizer, as the plug-in's input hands it on.
    void deliver(const Bytes& d) {
        ISysEx m(0, d.data(), int(d.size()));
        plugin.ProcessSysExInternal(&m);
    }
    // Posts the job and waits until it ended (bounded real time).
    bool run(int code, const std::function<void(SenderJob&)>& args = {}) {
        return manager.postJob(code, args) && waitIdle();
    }
    bool waitIdle() {
        for (int i = 0; i < 60000 && manager.isRunning(MIDIMessageManager::kJobThread); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return !manager.isRunning(MIDIMessageManager::kJobThread);
    }
    int64_t sleptMillis() const { return clock.SleptNanos() / 1000000; }
    // The entry of the upper bank of a kind (the only bank of each kind).
    const LibrarianPatch& slot(Mode mode, int s) const { return banks[size_t(mode)]->entries[size_t(s)]; }
    int storedSlots(Mode mode) const {
        int n = 0;
        for (const LibrarianPatch& e : banks[size_t(mode)]->entries)
            n += !e.dumps.empty();
        return n;
    }
    bool anyCollectionArmed() const { return manager.isCollecting(); }

    testsupport::ManualClock clock;
    LibrarianTestHost host;
    PatchLibrarian librarian{host};
    std::vector<std::unique_ptr<PatchFile>> banks;
    testsupport::FakeSenderPlugin plugin;
    qsim::SynthSimulator synth;
    std::atomic<int> sleeps{0};
    int cancelAtSleep = 0;
    std::function<void(int sleep)> onSleep;
    MIDIMessageManager manager{&plugin, nullptr, &librarian, nullptr};
};
