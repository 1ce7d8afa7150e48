#pragma once

#include "tests/core/CoreRig.h"

#include "kit/effect/ITextControl.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/MidiOutputRecorder.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace coretest {

using Bytes = std::vector<uint8_t>;

// A plug-in whose messages to the synthesizer are recorded instead of sent, or with toPort
// recorded and sent. While `held`, the dumps and commands of jobs wait before they go.
class RecordingZoz : public Zoz {
public:
    RecordingZoz(IEffectInstanceInfo info, testsupport::MidiOutputRecorder& out,
                 bool toPort = false)
        : Zoz(info), out(out), toPort(toPort) {}
    bool checksumCheckAndSend(uint8_t* msg, int length) override {
        holding = bool(held);
        while (held)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        holding = false;
        return Zoz::checksumCheckAndSend(msg, length);
    }
    std::atomic<bool> held{false};
    // Set while a job waits at a held send, its progress overlay showing.
    std::atomic<bool> holding{false};
    // An input that the synthesizer's answers could come through, as setMIDIIOSet claims an
    // output.
    std::atomic<bool> inputOpen{false};
    bool isExternalMIDIInOpen() const override {
        return inputOpen || Zoz::isExternalMIDIInOpen();
    }
    // Each one a synthesizer that went and came back, as a port's close and open count.
    std::atomic<uint64_t> reconnections{0};
    uint64_t midiConnection() override { return Zoz::midiConnection() + reconnections; }
    void setUpperDisplayText(const std::string& text) override {
        {
            std::lock_guard<std::mutex> lock(textsMutex);
            texts.push_back(text);
        }
        Zoz::setUpperDisplayText(text);
    }
    // Every text the upper display line was given, in order.
    std::vector<std::string> upperTexts() {
        std::lock_guard<std::mutex> lock(textsMutex);
        return texts;
    }

protected:
    bool SendExternalMIDI(const unsigned char* bytes, int size) override {
        out.record({bytes, bytes + size});
        return !toPort || Zoz::SendExternalMIDI(bytes, size);
    }

private:
    testsupport::MidiOutputRecorder& out;
    const bool toPort;
    std::mutex textsMutex;
    std::vector<std::string> texts;
};

// The plug-in on the build's layout with an output chosen, the indicators following outgoing
// MIDI, global channel 1 and part p on channel p + 1.
struct SendRig : CoreRig {
    testsupport::MidiOutputRecorder out;
    std::unique_ptr<RecordingZoz> plug;

    void SetUp() override {
        resources = ZOZ_BUILT_RESOURCES;
        plug = start<RecordingZoz>(out);
        plug->GetParam(kDeviceOutSelection)->SetDisplayText(1, "a port");
        set(kDeviceOutSelection, 1);
        set(kGlobalMidiChannel, 1);
        plug->setMIDIIOSet(true);
        plug->setFollowIncoming(false);
    }
    void TearDown() override { plug.reset(); }
    // A parameter by an id that the plug-in has; a test naming another fails.
    IParam& param(int idx) const {
        IParam* p = plug->GetParam(idx);
        if (!p) throw std::out_of_range("no parameter " + std::to_string(idx));
        return *p;
    }
    void set(int idx, double value) { param(idx).Set(value); }
    double value(int idx) const { return param(idx).Value(); }
    std::string line(int idx) const {
        return static_cast<ITextControl*>(plug->keptControl(idx))->GetTextForPlug();
    }
    // What was sent since the last call.
    std::vector<Bytes> sent() {
        std::vector<Bytes> all = out.bytes();
        out.clear();
        return all;
    }
};

// Returns once the job thread has ended its job, so that nothing of the plug-in is in use.
inline void waitForIdleJobThread(Zoz& plug) {
    while (plug.getMessageManager()->isRunning(MIDIMessageManager::kJobThread))
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// A CC action of the part on controller 74, switching between 0 and 127.
inline ControlAction ccAction(int kind, int part) {
    ControlAction a;
    a.actionType = kind;
    a.partIndex = part;
    a.ccNumber = 74;
    a.minValue = 0;
    a.maxValue = 127;
    return a;
}

// A SysEx action with a message per value 0..127: the held template with the value at byte 7
// when it has one.
inline ControlAction sysexAction(int kind, Bytes held) {
    ControlAction a;
    a.actionType = kind;
    a.sysexMessage.messages = SysExMessageList(std::move(held), 7, 128, 0, -1, false);
    return a;
}

} // namespace coretest
