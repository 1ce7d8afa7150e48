#pragma once

#include "tests/core/CoreRig.h"

#include "kit/effect/ITextControl.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/MidiOutputRecorder.h"

namespace coretest {

// A plug-in whose messages to the synthesizer are recorded instead of sent.
class RecordingZoz : public Zoz {
public:
    RecordingZoz(IEffectInstanceInfo info, testsupport::MidiOutputRecorder& out)
        : Zoz(info), out(out) {}

protected:
    bool SendExternalMIDI(const unsigned char* bytes, int size) override {
        out.record({bytes, bytes + size});
        return true;
    }

private:
    testsupport::MidiOutputRecorder& out;
};

using Bytes = std::vector<uint8_t>;

// The plug-in on the build's layout with an output chosen, the indicators following outgoing
// MIDI, global channel 1 and part p on channel p + 1.
struct SendRig : CoreRig {
    testsupport::MidiOutputRecorder out;
    std::unique_ptr<RecordingZoz> plug;

    void SetUp() override {
        resources = ZOZ_BUILT_RESOURCES;
        plug = start<RecordingZoz>(out);
        set(kDeviceOutSelection, 1);
        set(kGlobalMidiChannel, 1);
        plug->setMIDIIOSet(true);
        plug->setFollowIncoming(false);
    }
    void TearDown() override { plug.reset(); }
    void set(int idx, double value) { plug->GetParam(idx)->Set(value); }
    double value(int idx) const { return plug->GetParam(idx)->Value(); }
    std::string nameLine() const { return plug->displayNameLine()->GetTextForPlug(); }
    std::string ccLine() const {
        return static_cast<ITextControl*>(plug->keptControl(kControlDisplayCC))->GetTextForPlug();
    }
    // What was sent since the last call.
    std::vector<Bytes> sent() {
        std::vector<Bytes> all = out.bytes();
        out.clear();
        return all;
    }
};

} // namespace coretest
