#pragma once

#include "kit/effect/IEffectVST.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A plug-in on the VST2 adapter with the plug-in's identity ("Zoz Editor" by "Kavmoor", version
// 1.0.7, unique id 'vh3s', "2-2", latency 128, MIDI, chunks, instrument) and a parameter list of
// its own, recording what the adapter asks of it. Its state is every parameter's value: the
// visible ones, then the hidden ones. Made with new: effClose deletes it. Every recorded call
// first runs onCall with its name, so a test can make any of them throw.
class TestVSTEffect : public IEffectVST {
public:
    struct Options {
        int nParams = 8;
        int nVisible = 0;
        int nPresets = 0;
        bool doesMidi = true;
        bool doesChunks = true;
        bool isInstrument = true;
        const char* channelIO = "2-2";
        const char* name = kName; // its MIDI clients are named after it
    };

    explicit TestVSTEffect(audioMasterCallback host) : TestVSTEffect(host, Options()) {}
    TestVSTEffect(audioMasterCallback host, const Options& o)
        : IEffectVST(IEffectInstanceInfo{host}, o.nParams, o.channelIO, o.nPresets, o.name, "",
                     kMaker, kVersion, kUniqueID, kMakerID, 128, o.doesMidi, o.doesChunks,
                     o.isInstrument, 0) {
        initialize(IEffectInstanceInfo{host}, o.nVisible, o.nParams, o.channelIO, o.nPresets,
                   o.name, "", kMaker, kVersion, kUniqueID, kMakerID, 128, o.doesMidi, o.doesChunks,
                   o.isInstrument, 0);
    }
    ~TestVSTEffect() override {
        if (destroyed) *destroyed = true;
        if (whileDestroyed) whileDestroyed();
    }

    bool SerializeState(ByteChunk* chunk) override {
        call("SerializeState");
        return SerializeParams(chunk) && SerializeNonAutomatedParams(chunk, NHiddenParams());
    }
    int UnserializeState(ByteChunk* chunk, int startPos) override {
        call("UnserializeState");
        const int pos = UnserializeParams(chunk, startPos);
        return UnserializeNonAutomatedParams(chunk, pos, NHiddenParams());
    }
    void OnParamChange(int idx) override {
        call("OnParamChange");
        changes.push_back(idx);
    }
    void Reset() override {
        call("Reset");
        ++resets;
    }
    void OnActivate(bool active) override {
        call("OnActivate");
        activations.push_back(active);
    }
    void ProcessDoubleReplacing(double** in, double** out, int nFrames) override {
        call("ProcessDoubleReplacing");
        ++blocks;
        IEffectVST::ProcessDoubleReplacing(in, out, nFrames);
    }
    void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) override {
        call("ProcessMidiMsg");
        midi.push_back(*msg);
        midiFromHardware.push_back(fromHardware);
    }
    void ProcessSysEx(ISysEx* sysex, bool fromHardware) override {
        call("ProcessSysEx");
        sysex_.emplace_back(sysex->data, sysex->data + sysex->size);
        midiFromHardware.push_back(fromHardware);
    }
    bool MidiNoteName(int note, char* name) override {
        call("MidiNoteName");
        if (note != 60) return IEffectVST::MidiNoteName(note, name);
        snprintf(name, 64, "Middle C");
        return true;
    }
    void OnGUIOpen() override { ++guiOpens; }
    void OnGUIClose() override { ++guiCloses; }
    void OnHostIdentified() override { ++hostIdentified; }
    void PresetsChangedByHost() override { ++presetChanges; }

    static constexpr const char* kName = "Zoz Editor";
    static constexpr const char* kMaker = "Kavmoor";
    static constexpr int kVersion = 0x00010007;
    static constexpr int kUniqueID = VstFourCC('v', 'h', '3', 's');
    static constexpr int kMakerID = VstFourCC('K', 'v', 'm', 'r');

    std::function<void(const std::string&)> onCall;
    std::vector<int> changes;
    std::vector<bool> activations;
    std::vector<IMidiMsg> midi;
    std::vector<std::vector<uint8_t>> sysex_;
    std::vector<bool> midiFromHardware;
    int resets = 0, blocks = 0, guiOpens = 0, guiCloses = 0, hostIdentified = 0, presetChanges = 0;
    bool* destroyed = nullptr;
    std::function<void()> whileDestroyed; // runs as the derived part goes

private:
    void call(const char* name) {
        if (onCall) onCall(name);
    }
};

} // namespace testsupport
