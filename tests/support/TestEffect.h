#pragma once

#include "kit/effect/IEffectBase.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// A plug-in on the framework base that records what the base asks of it. Its state is what the
// plug-in's project chunk holds of parameters: the visible values, then every hidden one.
// Header-only so that benchmarks can use it without the test libraries.
class TestEffect : public IEffectBase {
public:
    struct Inform {
        char kind; // 'b' begin, 'a' automate, 'e' end
        int idx;
        double value;
    };

    TestEffect(int nParams, int nHidden, int nPresets = 0, bool doesChunks = true,
               const char* channelIO = "2-2")
        : IEffectBase(nParams, channelIO, nPresets, "Test Effect", "Test Product", "Kavmoor",
                      0x00010007, 0x76683373, 0x4B766D72, 128, true, doesChunks, true, kAPIVST2) {
        initialize(nParams - nHidden, nParams, channelIO, nPresets, "Test Effect", "Test Product",
                   "Kavmoor", 0x00010007, 0x76683373, 0x4B766D72, 128, true, doesChunks, true);
    }

    // Parameters of every kind in turn, the way the UI configuration sets them up.
    void InitMixedParams() {
        for (int i = 0; i < NParams(); ++i) {
            IParam* p = GetParam(i);
            const std::string name = "Param " + std::to_string(i);
            switch (i % 5) {
            case 0:
                p->InitBool(name.c_str(), i % 2 == 0);
                break;
            case 1:
                p->InitInt(name.c_str(), 0, -64, 63);
                break;
            case 2:
                p->InitEnum(name.c_str(), 1, 8);
                break;
            case 3:
                p->InitDouble(name.c_str(), 0.5, -100.0, 100.0, 0.01);
                p->SetShape(i % 2 ? 2.0 : 1.0);
                break;
            default:
                p->InitText();
                p->InitEnum(name.c_str(), 0, 1);
                break;
            }
        }
    }

    // Gives every parameter a legal value drawn from seed.
    void Scramble(uint32_t seed) {
        for (int i = 0; i < NParams(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            IParam* p = GetParam(i);
            const double n = (seed >> 8) / double(1 << 24);
            p->Set(p->GetMin() + (p->GetMax() - p->GetMin()) * n);
            if (p->Type() != kTypeDouble) p->Set(double(int64_t(p->Value())));
        }
    }

    bool SerializeState(ByteChunk* chunk) override {
        ++serializeCalls;
        if (failSerialize) return false;
        return SerializeParams(chunk) && SerializeNonAutomatedParams(chunk, NHiddenParams());
    }
    int UnserializeState(ByteChunk* chunk, int startPos) override {
        const int pos = UnserializeParams(chunk, startPos);
        return UnserializeNonAutomatedParams(chunk, pos, NHiddenParams());
    }

    void OnParamChange(int idx) override {
        changes.push_back(idx);
        if (onChange) onChange(idx);
    }
    void OnParamChange2(int idx) override {
        changes2.push_back(idx);
        if (onChange) onChange(idx);
    }
    void Reset() override {
        IEffectBase::Reset();
        ++resets;
    }
    void ProcessDoubleReplacing(double** in, double** out, int nFrames) override {
        ++blocks;
        IEffectBase::ProcessDoubleReplacing(in, out, nFrames);
    }
    void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) override {
        midi.push_back(*msg);
        midiFromHardware.push_back(fromHardware);
    }
    void ProcessSysEx(ISysEx* sysex, bool fromHardware) override {
        sysex_.emplace_back(sysex->data, sysex->data + sysex->size);
        midiFromHardware.push_back(fromHardware);
    }
    void PresetsChangedByHost() override { ++presetChanges; }

    void InformHostOfProgramChange() override { ++programChanges; }
    int GetSamplePos() override { return 0; }
    double GetTempo() override { return tempo; }
    void GetTimeSig(int* num, int* denom) override { *num = *denom = 4; }
    void GetTime(ITimeInfo*) override {}
    void ResizeGraphics(int w, int h) override { resizes.push_back({w, h}); }
    bool SendMidiVST(IMidiMsg*) override { return false; }
    bool SendMidiMsg(IMidiMsg*) override { return false; }

    std::vector<int> changes, changes2;
    std::vector<Inform> informs;
    std::vector<IMidiMsg> midi;
    std::vector<std::vector<uint8_t>> sysex_;
    std::vector<bool> midiFromHardware;
    std::vector<std::pair<int, int>> resizes;
    std::function<void(int)> onChange;
    int resets = 0, blocks = 0, programChanges = 0, presetChanges = 0, serializeCalls = 0;
    bool failSerialize = false;
    double tempo = 120.0;

protected:
    void HostBeginEdit(int idx) override { informs.push_back({'b', idx, 0.0}); }
    void HostAutomate(int idx, double v) override { informs.push_back({'a', idx, v}); }
    void HostEndEdit(int idx) override { informs.push_back({'e', idx, 0.0}); }
};

} // namespace testsupport
