#pragma once

#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/FakeSenderPlugin.h"

#include <chrono>
#include <thread>

namespace testsupport {

// A real message manager whose continuous MIDI clock ticks at a fake core's host tempo, for
// tests that must see a running tick loop end.
struct TickingClock {
    TickingClock() {
        core.setParam(kOverrideTempo, 1.0);
        core.hostTempo = 300;
        manager.getSender()->resetContinuousClock(false);
        ticking =
            manager.postJob(SenderJob::kSendContinuousMIDIClock) && core.output.waitForCount(1);
    }
    // True once the tick loop has ended and no tick follows its last one.
    bool ended() {
        using namespace std::chrono_literals;
        for (int i = 0; i < 5000 && manager.isRunning(MIDIMessageManager::kClockTickThread); ++i)
            std::this_thread::sleep_for(1ms);
        const size_t ticks = core.output.count();
        std::this_thread::sleep_for(50ms);
        return !manager.isRunning(MIDIMessageManager::kClockTickThread) &&
               core.output.count() == ticks;
    }

    FakeSenderPlugin core;
    MIDIMessageManager manager{&core, nullptr, nullptr, nullptr};
    bool ticking = false;
};

} // namespace testsupport
