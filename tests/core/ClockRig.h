#pragma once

#include "tests/core/SendRig.h"

#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "tests/support/ScaledClock.h"

#include <thread>

namespace coretest {

// The test as the plug-in's host: its transport and its tempo (0 for none).
template <class Plug> class Hosted : public Plug {
public:
    using Plug::Plug;
    std::atomic<bool> playing{false};
    std::atomic<double> tempo{0.0};
    void GetTime(ITimeInfo* info) override { info->transportIsRunning = playing; }
    double GetTempo() override { return tempo; }
    // The thread that sends what the blocks queued, once it has done so, and how often.
    std::atomic<std::thread::id> outputThread{};
    std::atomic<int> passes{0};

protected:
    void OnBlocksSent() override {
        outputThread = std::this_thread::get_id();
        ++passes;
        Plug::OnBlocksSent();
    }
};
using HostedZoz = Hosted<RecordingZoz>;

// A hosted plug-in on the build's layout on a manual clock, with an output chosen and the
// notes-off of its start-up sent. While `hold` is set a worker that sends waits inside the
// send (the blocks' sends never wait); each start of the continuous clock ticks once.
struct ClockRig : CoreRig {
    testsupport::ManualClock clock;
    testsupport::MidiOutputRecorder out;
    std::unique_ptr<HostedZoz> plug;
    MIDIMessageManager* manager = nullptr;
    std::atomic<bool> hold{false};

    void SetUp() override { restart(true); }
    void TearDown() override {
        hold = false;
        plug.reset();
    }
    void restart(bool withLog, bool output = true) {
        plug.reset();
        if (withLog) keepLog();
        resources = ZOZ_BUILT_RESOURCES;
        plug = start<HostedZoz>(out);
        manager = plug->getMessageManager();
        plug->GetParam(kDeviceOutSelection)->InitEnum("MIDI Out", 1, 2);
        plug->setMIDIIOSet(output);
        out.setListener([this, test = std::this_thread::get_id()](const Bytes& bytes) {
            const std::thread::id self = std::this_thread::get_id();
            while (hold && self != test && self != plug->outputThread.load())
                std::this_thread::yield();
            if (bytes == Bytes{0xF8}) manager->getSender()->resetContinuousClock(true);
        });
        block();
        // The output thread makes itself known in a pass of its own, before a send is held.
        plug->WakeOutputThread(true);
        plug->WaitForOutputThread();
        sent();
    }
    void set(int idx, double value) { plug->GetParam(idx)->Set(value); }
    double value(int idx) const { return plug->GetParam(idx)->Value(); }
    std::string text(int idx) const {
        return static_cast<ITextControl*>(plug->keptControl(idx))->GetTextForPlug();
    }
    // One block and what it left for the output thread.
    void block(int frames = 256) {
        plug->ProcessDoubleReplacing(nullptr, nullptr, frames);
        plug->WaitForOutputThread();
    }
    void idle(MIDIMessageManager::Worker worker = MIDIMessageManager::kJobThread) {
        while (manager->isRunning(worker))
            std::this_thread::yield();
    }
    // What was sent since the last call, once every worker is idle.
    std::vector<Bytes> sent() {
        for (int w = 0; w < MIDIMessageManager::kWorkerCount; ++w)
            idle(MIDIMessageManager::Worker(w));
        std::vector<Bytes> all = out.bytes();
        out.clear();
        return all;
    }
};

} // namespace coretest
