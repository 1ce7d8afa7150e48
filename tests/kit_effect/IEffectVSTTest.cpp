// The VST2 adapter seen from a host: the effect record, every dispatcher opcode with its answer,
// the parameter and audio entry points, chunks, and what the plug-in asks of the host.

#include "kit/effect/IEffectVST.h"
#include "tests/support/TestGraphics.h"
#include "tests/support/TestVSTEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using testsupport::TestGraphics;
using testsupport::TestVSTEffect;

// A host that records every call the plug-in makes and answers as a test sets it up. The
// plug-in finds it through the effect record's user field.
struct FakeHost {
    struct Event {
        VstInt32 type, byteSize, deltaFrames;
        std::vector<uint8_t> bytes; // MIDI data, or the SysEx dump
        const VstEvent* address;
    };

    std::vector<VstInt32> calls;
    std::vector<std::pair<VstInt32, float>> notices; // (index, value) of automate notices
    std::vector<Event> events;
    VstTimeInfo time = {};
    bool answersTime = true;
    std::string product = "Some Host";
    VstIntPtr vendorVersion = 30207;
    VstIntPtr processLevel = 0;
    VstIntPtr eventsAnswer = 1;

    int count(VstInt32 opcode) const { return int(std::count(calls.begin(), calls.end(), opcode)); }

    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr,
                              void* ptr, float opt) {
        auto* host = static_cast<FakeHost*>(effect->user);
        host->calls.push_back(opcode);
        switch (opcode) {
        case audioMasterAutomate:
            host->notices.emplace_back(index, opt);
            return 0;
        case audioMasterGetTime:
            return host->answersTime ? reinterpret_cast<VstIntPtr>(&host->time) : 0;
        case audioMasterGetProductString:
            strcpy(static_cast<char*>(ptr), host->product.c_str());
            return 1;
        case audioMasterGetVendorVersion:
            return host->vendorVersion;
        case audioMasterGetCurrentProcessLevel:
            return host->processLevel;
        case audioMasterProcessEvents: {
            const auto* list = static_cast<const VstEvents*>(ptr);
            VstEvent* const* evs = list->events;
            for (int i = 0; i < list->numEvents; ++i) {
                const VstEvent* ev = evs[i];
                Event e{ev->type, ev->byteSize, ev->deltaFrames, {}, ev};
                if (ev->type == kVstMidiType) {
                    const auto* m = reinterpret_cast<const VstMidiEvent*>(ev);
                    e.bytes.assign(m->midiData, m->midiData + 4);
                } else if (ev->type == kVstSysExType) {
                    const auto* s = reinterpret_cast<const VstMidiSysexEvent*>(ev);
                    e.bytes.assign(s->sysexDump, s->sysexDump + s->dumpBytes);
                }
                host->events.push_back(e);
            }
            return host->eventsAnswer;
        }
        default:
            return 0;
        }
    }
};

// A plug-in made with new (effClose deletes it) and hooked to a fake host.
class AdapterTest : public testing::Test {
protected:
    TestVSTEffect* make(const TestVSTEffect::Options& o = TestVSTEffect::Options()) {
        plug = new TestVSTEffect(FakeHost::callback, o);
        effect = plug->GetAEffect();
        effect->user = &host;
        return plug;
    }
    void TearDown() override {
        if (plug) delete plug;
    }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr* answer = nullptr) {
        char buf[256];
        memset(buf, '#', sizeof(buf));
        buf[255] = 0;
        const VstIntPtr a = dispatch(opcode, index, 0, buf);
        if (answer) *answer = a;
        return buf;
    }
    // Closes through the dispatcher; the plug-in is gone afterwards.
    VstIntPtr close() {
        const VstIntPtr a = dispatch(effClose);
        plug = nullptr;
        return a;
    }

    FakeHost host;
    TestVSTEffect* plug = nullptr;
    AEffect* effect = nullptr;
};

const std::string kUntouched(255, '#');

std::vector<uint8_t> chunkBytes(AEffect* e, VstInt32 index) {
    void* data = nullptr;
    const VstIntPtr n = e->dispatcher(e, effGetChunk, index, 0, &data, 0.0f);
    if (n <= 0) return {};
    return {static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + n};
}

// ---- The effect record

TEST_F(AdapterTest, EffectRecordOfThePlugIn) {
    make();
    EXPECT_EQ(effect->magic, 0x56737450);
    EXPECT_EQ(memcmp(&effect->magic, "PtsV", 4), 0);
    EXPECT_EQ(effect->numPrograms, 0);
    EXPECT_EQ(effect->numParams, 0);
    EXPECT_EQ(effect->numInputs, 2);
    EXPECT_EQ(effect->numOutputs, 2);
    EXPECT_EQ(effect->flags, 0x1130);
    EXPECT_EQ(effect->initialDelay, 128);
    EXPECT_EQ(effect->ioRatio, 1.0f);
    EXPECT_EQ(effect->object, plug);
    EXPECT_EQ(effect->uniqueID, 0x76683373);
    EXPECT_EQ(effect->version, 10007);
    EXPECT_EQ(effect->realQualities, 0);
    EXPECT_EQ(effect->resvd1, 0);
    EXPECT_TRUE(effect->dispatcher && effect->process && effect->processReplacing &&
                effect->processDoubleReplacing && effect->getParameter && effect->setParameter);
    EXPECT_EQ(plug->GetBlockSize(), 1024);
    EXPECT_TRUE(plug->IsInChannelConnected(1) && plug->IsOutChannelConnected(1));

    plug->AttachGraphics(nullptr);
    EXPECT_EQ(effect->flags, 0x1130);
    plug->AttachGraphics(new TestGraphics(plug));
    EXPECT_EQ(effect->flags, 0x1131);
    plug->SetLatency(64);
    EXPECT_EQ(effect->initialDelay, 64);
    EXPECT_EQ(plug->GetLatency(), 64);
}

TEST_F(AdapterTest, EffectRecordFollowsTheDeclaredAbilities) {
    TestVSTEffect::Options o;
    o.channelIO = "1-1 2-2";
    o.isInstrument = false;
    o.doesChunks = false;
    o.nPresets = 3;
    o.nVisible = 5;
    make(o);
    EXPECT_EQ(effect->flags, 0x1018); // can replace, double, mono input
    EXPECT_EQ(effect->numPrograms, 3);
    EXPECT_EQ(effect->numParams, 5);
    EXPECT_EQ(dispatch(effGetPlugCategory), 1);
}

TEST(VSTCreateEffect, EntryRaisesTheProgramCountAndSurvivesAFailedConstruction) {
    AEffect* e = VSTCreateEffect(nullptr, [](IEffectInstanceInfo info) -> IEffectVST* {
        return new TestVSTEffect(info.hostCallback);
    });
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f), 0);

    EXPECT_EQ(VSTCreateEffect(nullptr, [](IEffectInstanceInfo) -> IEffectVST* { return nullptr; }),
              nullptr);
    EXPECT_EQ(VSTCreateEffect(nullptr,
                              [](IEffectInstanceInfo) -> IEffectVST* {
                                  throw std::runtime_error("no memory for the editor");
                              }),
              nullptr);
}

// ---- Dispatcher: identity and capabilities

TEST_F(AdapterTest, IdentityOpcodes) {
    make();
    VstIntPtr a = 0;
    EXPECT_EQ(dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(dispatch(effGetVendorVersion), 0x10007);
    EXPECT_EQ(dispatch(effGetPlugCategory), 2);
    EXPECT_EQ(dispatch(effCanBeAutomated, 12345), 1);
    EXPECT_EQ(text(effGetEffectName, 0, &a), "Zoz Editor");
    EXPECT_EQ(a, 1);
    EXPECT_EQ(text(effGetVendorString, 0, &a), "Kavmoor");
    EXPECT_EQ(a, 1);
    EXPECT_EQ(text(effGetProductString, 0, &a), "");
    EXPECT_EQ(a, 1);
    for (VstInt32 op : {effGetEffectName, effGetVendorString, effGetProductString})
        EXPECT_EQ(dispatch(op), 0) << "null text buffer, opcode " << op;
    for (VstInt32 op : {9, 16, 30, 70, 71, 72, 1000, -1})
        EXPECT_EQ(dispatch(op, 1, 1, nullptr, 1.0f), 0) << "opcode " << op;
}

TEST_F(AdapterTest, CanDoAnswersAndExtensions) {
    make();
    auto canDo = [&](const char* what) {
        return dispatch(effCanDo, 0, 0, const_cast<char*>(what));
    };
    EXPECT_EQ(canDo("receiveVstTimeInfo"), 1);
    for (const char* midi :
         {"sendVstEvents", "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent"})
        EXPECT_EQ(canDo(midi), 1) << midi;
    EXPECT_EQ(canDo("receiveVstMidiEvents"), 0);
    EXPECT_EQ(canDo("hasVxExtensions"), 0xBEEF0000);
    EXPECT_EQ(dispatch(effCanDo), 0);
    delete plug;

    TestVSTEffect::Options noMidi;
    noMidi.doesMidi = false;
    make(noMidi);
    EXPECT_EQ(canDo("receiveVstMidiEvent"), 0);
    EXPECT_EQ(canDo("sendVstEvents"), 0);
    EXPECT_EQ(canDo("receiveVstTimeInfo"), 1);
}

// ---- Dispatcher: life cycle

TEST_F(AdapterTest, OpenIdentifiesTheHostOnceAndResets) {
    TestVSTEffect::Options o;
    o.nParams = 4;
    o.nVisible = 2;
    make(o);
    EXPECT_EQ(dispatch(effOpen), 0);
    EXPECT_EQ(plug->hostIdentified, 1);
    EXPECT_EQ(plug->changes, (std::vector<int>{0, 1}));
    EXPECT_EQ(plug->resets, 1);
    EXPECT_EQ(plug->GetHost(), kHostUnknown);
    EXPECT_EQ(plug->GetHostVersion(false), 0x030207);
    EXPECT_EQ(host.count(audioMasterGetProductString), 1);

    dispatch(effOpen);
    EXPECT_EQ(plug->hostIdentified, 1);
    EXPECT_EQ(plug->resets, 2);
    EXPECT_EQ(host.count(audioMasterGetProductString), 1);
}

TEST_F(AdapterTest, SomeHostsHoldThePlugInToStereo) {
    const struct {
        const char* product;
        bool limited;
    } cases[] = {{"FORTE 4", true},   {"Adobe Audition", true}, {"Orion Platinum", true},
                 {"SAWStudio", true}, {"Ardour", false},        {"Some Host", false}};
    for (const auto& c : cases) {
        TestVSTEffect::Options o;
        o.channelIO = "4-4";
        make(o);
        host.product = c.product;
        dispatch(effOpen);
        EXPECT_EQ(!plug->IsInChannelConnected(2), c.limited) << c.product;
        EXPECT_TRUE(plug->IsInChannelConnected(1) && plug->IsOutChannelConnected(3)) << c.product;
        EXPECT_EQ(effect->numInputs, 4);
        delete plug;
        plug = nullptr;
    }
}

TEST_F(AdapterTest, SampleRateBlockSizeAndActivation) {
    make();
    EXPECT_EQ(dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f), 0);
    EXPECT_EQ(plug->GetSampleRate(), 48000.0);
    EXPECT_EQ(dispatch(effSetBlockSize, 0, 512), 0);
    EXPECT_EQ(plug->GetBlockSize(), 512);
    EXPECT_EQ(plug->resets, 2);
    EXPECT_EQ(dispatch(effMainsChanged, 0, 1), 0);
    EXPECT_EQ(plug->resets, 2);
    EXPECT_EQ(dispatch(effMainsChanged, 0, 0), 0);
    EXPECT_EQ(plug->activations, (std::vector<bool>{true, false}));
    EXPECT_EQ(plug->resets, 3);
}

TEST_F(AdapterTest, CloseDestroysThePlugIn) {
    make();
    bool destroyed = false;
    plug->destroyed = &destroyed;
    EXPECT_EQ(close(), 0);
    EXPECT_TRUE(destroyed);

    AEffect orphan = {};
    EXPECT_EQ(IEffectVST::VSTDispatcher(&orphan, effIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(IEffectVST::VSTDispatcher(nullptr, effIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(IEffectVST::VSTGetParameter(&orphan, 0), 0.0f);
    IEffectVST::VSTSetParameter(&orphan, 0, 1.0f);
    IEffectVST::VSTProcessReplacing(&orphan, nullptr, nullptr, 64);
}

// ---- Dispatcher: parameters

// Three visible parameters (a level in dB, a wave by name, a text) and two hidden ones.
class ParamOpcodes : public AdapterTest {
protected:
    void SetUp() override {
        TestVSTEffect::Options o;
        o.nParams = 5;
        o.nVisible = 3;
        make(o);
        plug->GetParam(0)->InitDouble("Level", -6.0, -60.0, 6.0, 0.5, "dB");
        IParam* wave = plug->GetParam(1);
        wave->InitEnum("Wave", 0, 2);
        wave->SetDisplayText(0, "Saw");
        wave->SetDisplayText(1, "Square");
        plug->GetParam(2)->InitInt("Steps", 3, 1, 16);
    }
};

TEST_F(ParamOpcodes, NamesLabelsAndDisplaysOfVisibleParametersOnly) {
    VstIntPtr a = 1;
    EXPECT_EQ(text(effGetParamName, 0, &a), "Level");
    EXPECT_EQ(a, 0);
    EXPECT_EQ(text(effGetParamLabel, 0), "dB");
    EXPECT_EQ(text(effGetParamDisplay, 0), "-6.0");
    EXPECT_EQ(text(effGetParamDisplay, 1), "Saw");
    EXPECT_EQ(text(effGetParamLabel, 1), "");
    for (VstInt32 op : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        for (int idx : {3, 4, 5, -1}) {
            EXPECT_EQ(text(op, idx, &a), kUntouched) << op << " " << idx;
            EXPECT_EQ(a, 0);
        }
}

TEST_F(ParamOpcodes, HostReadsAndWritesNormalisedValues) {
    plug->AttachGraphics(new TestGraphics(plug));
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 0), 54.0f / 66.0f);
    effect->setParameter(effect, 0, 1.0f);
    EXPECT_EQ(plug->GetParam(0)->Value(), 6.0);
    effect->setParameter(effect, 2, 0.5f);
    EXPECT_EQ(plug->GetParam(2)->Value(), 9.0); // 1 + 15 · 0.5 rounded to the step
    EXPECT_EQ(plug->changes, (std::vector<int>{0, 2}));

    plug->GetParam(3)->Set(0.25);
    EXPECT_EQ(effect->getParameter(effect, 3), 0.0f);
    effect->setParameter(effect, 3, 1.0f);
    effect->setParameter(effect, -1, 1.0f);
    EXPECT_EQ(plug->GetParam(3)->Value(), 0.25);
    EXPECT_EQ(plug->changes.size(), 2u);
}

TEST_F(ParamOpcodes, TextToValue) {
    auto set = [&](int idx, const char* t) {
        return dispatch(effString2Parameter, idx, 0, const_cast<char*>(t));
    };
    EXPECT_EQ(set(1, "Square"), 1);
    EXPECT_EQ(plug->GetParam(1)->Value(), 1.0);
    EXPECT_EQ(set(1, "Triangle"), 0);
    EXPECT_EQ(plug->GetParam(1)->Value(), 1.0);
    EXPECT_EQ(set(0, "-12.5"), 1);
    EXPECT_EQ(plug->GetParam(0)->Value(), -12.5);
    EXPECT_EQ(set(0, "100"), 1);
    EXPECT_EQ(plug->GetParam(0)->Value(), 6.0); // held to the range
    EXPECT_EQ(plug->changes, (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(dispatch(effString2Parameter, 0), 1); // no text: only whether it could
    EXPECT_EQ(set(3, "0.5"), 0);
    EXPECT_EQ(plug->changes.size(), 3u);
}

TEST_F(ParamOpcodes, TextOfAnArbitraryValue) {
    char buf[64] = "unchanged";
    auto ask = [&](VstInt32 index, VstIntPtr param, float value, void* ptr) {
        return dispatch(effVendorSpecific, index, param, ptr, value);
    };
    EXPECT_EQ(ask(effGetParamDisplay, 1, 1.0f, buf), 0xBEEF);
    EXPECT_STREQ(buf, "Square");
    EXPECT_EQ(ask(effGetParamDisplay, 0, 0.0f, buf), 0xBEEF);
    EXPECT_STREQ(buf, "-60.0");
    strcpy(buf, "unchanged");
    EXPECT_EQ(ask(effGetParamDisplay, 4, 1.0f, buf), 0xBEEF);
    EXPECT_STREQ(buf, "unchanged");
    EXPECT_EQ(ask(effGetParamDisplay, 1, 1.0f, nullptr), 0);
    EXPECT_EQ(ask(effGetParamName, 1, 1.0f, buf), 0);
    EXPECT_EQ(plug->GetParam(1)->Value(), 0.0); // only a text, never a change
}

TEST_F(AdapterTest, WithEveryParameterHiddenTheHostSeesNone) {
    make();
    plug->GetParam(0)->Set(0.5);
    EXPECT_EQ(text(effGetParamName, 0), kUntouched);
    EXPECT_EQ(effect->getParameter(effect, 0), 0.0f);
    effect->setParameter(effect, 0, 1.0f);
    EXPECT_EQ(plug->GetParam(0)->Value(), 0.5);
    // An edit of a hidden parameter reaches the plug-in but not the host.
    plug->SetParameterFromGUI(0, 1.0);
    plug->BeginInformHostOfParamChange(0);
    plug->EndInformHostOfParamChange(0);
    EXPECT_EQ(plug->changes, std::vector<int>{0});
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(AdapterTest, VisibleEditsReachTheHost) {
    TestVSTEffect::Options o;
    o.nVisible = 2;
    make(o);
    plug->BeginInformHostOfParamChange(1);
    plug->SetParameterFromGUI(1, 0.75);
    plug->EndInformHostOfParamChange(1);
    EXPECT_EQ(host.calls, (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate,
                                                 audioMasterEndEdit}));
    EXPECT_EQ(host.notices, (std::vector<std::pair<VstInt32, float>>{{1, 0.75f}}));
}

// ---- Dispatcher: programs

TEST_F(AdapterTest, ProgramsByIndexAndName) {
    TestVSTEffect::Options o;
    o.nPresets = 2;
    o.doesChunks = false;
    make(o);
    plug->EnsureDefaultPreset();
    plug->GetParam(0)->Set(0.5);
    EXPECT_EQ(dispatch(effSetProgramName, 0, 0, const_cast<char*>("Lead")), 0);
    EXPECT_EQ(dispatch(effSetProgramName), 0);
    EXPECT_EQ(plug->presetChanges, 1);
    EXPECT_EQ(text(effGetProgramName), "Lead");
    VstIntPtr a = 0;
    EXPECT_EQ(text(effGetProgramNameIndexed, 1, &a), "Empty");
    EXPECT_EQ(a, 1);
    EXPECT_EQ(text(effGetProgramNameIndexed, 7, &a), "");
    EXPECT_EQ(a, 0);

    // Without state chunks the current program keeps its edits when the host switches away.
    plug->GetParam(0)->Set(0.75);
    EXPECT_EQ(dispatch(effSetProgram, 0, 1), 0);
    EXPECT_EQ(dispatch(effGetProgram), 1);
    EXPECT_EQ(plug->GetParam(0)->Value(), 0.0);
    dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(plug->GetParam(0)->Value(), 0.75);
    dispatch(effSetProgram, 0, VstIntPtr(1) << 40);
    EXPECT_EQ(dispatch(effGetProgram), 0);

    // A name longer than a host's program-name buffer is cut to fit it.
    dispatch(effSetProgramName, 0, 0, const_cast<char*>("A name much longer than twenty-four"));
    EXPECT_EQ(text(effGetProgramName), "A name much longer than");
}

// ---- Dispatcher: editor, channels, keys

TEST_F(AdapterTest, EditorOpensAsTheHostDeclared) {
    make();
    ERect* rect = nullptr;
    int window = 0;
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 0);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window), 0);
    EXPECT_EQ(dispatch(effEditClose), 0);

    auto* g = new TestGraphics(plug);
    plug->AttachGraphics(g);
    EXPECT_EQ(dispatch(effEditGetRect), 0);
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 50);
    EXPECT_EQ(rect->right, 100);

    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(g->openedAs, 'w');
    EXPECT_EQ(g->openedIn, &window);
    EXPECT_EQ(dispatch(effCanDo, 0, 0, const_cast<char*>("hasVxViewAsConfig")), 0xBEEF0000);
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(g->openedAs, 'v');
    EXPECT_EQ(plug->guiOpens, 2);
    g->refuseOpen = true;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window), 0);
    EXPECT_EQ(plug->guiOpens, 2);
    EXPECT_EQ(dispatch(effEditClose), 1);
    EXPECT_EQ(plug->guiCloses, 1);
    EXPECT_EQ(g->closes, 1);

    plug->ResizeGraphics(10, 10);
    EXPECT_EQ(plug->windowResizes, 1);
    EXPECT_EQ(rect->bottom, 50);
}

TEST_F(AdapterTest, PinProperties) {
    TestVSTEffect::Options o;
    o.channelIO = "3-2";
    make(o);
    auto pin = [&](VstInt32 op, int idx, VstPinProperties* p) {
        memset(p, 0, sizeof(*p));
        return dispatch(op, idx, 0, p);
    };
    VstPinProperties p;
    EXPECT_EQ(pin(effGetInputProperties, 0, &p), 1);
    EXPECT_EQ(p.flags, 3);
    EXPECT_STREQ(p.label, "Input 1");
    EXPECT_EQ(pin(effGetInputProperties, 1, &p), 1);
    EXPECT_EQ(p.flags, 1);
    EXPECT_STREQ(p.label, "Input 2");
    EXPECT_EQ(pin(effGetInputProperties, 2, &p), 1);
    EXPECT_EQ(p.flags, 1); // no partner for a pair
    EXPECT_EQ(pin(effGetInputProperties, 3, &p), 0);
    EXPECT_EQ(pin(effGetOutputProperties, 1, &p), 1);
    EXPECT_STREQ(p.label, "Output 2");
    EXPECT_EQ(pin(effGetOutputProperties, 2, &p), 0);
    EXPECT_EQ(pin(effGetOutputProperties, -1, &p), 0);
    EXPECT_EQ(dispatch(effGetInputProperties, 0), 0);
}

TEST_F(AdapterTest, SpeakerArrangements) {
    TestVSTEffect::Options o;
    o.channelIO = "2-4";
    make(o);
    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    EXPECT_EQ(dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->type, 1);
    EXPECT_EQ(in->numChannels, 2);
    EXPECT_EQ(out->type, -2);
    EXPECT_EQ(out->numChannels, 4);
    EXPECT_EQ(dispatch(effGetSpeakerArrangement), 1);

    VstSpeakerArrangement mono = {}, wide = {};
    mono.numChannels = 1;
    wide.numChannels = 99;
    EXPECT_EQ(dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono), 1);
    EXPECT_TRUE(plug->IsInChannelConnected(0));
    EXPECT_FALSE(plug->IsInChannelConnected(1));
    EXPECT_FALSE(plug->IsOutChannelConnected(1));
    EXPECT_EQ(dispatch(effSetSpeakerArrangement, 0, 0, &wide), 1);
    EXPECT_FALSE(plug->IsInChannelConnected(1));
    EXPECT_TRUE(plug->IsOutChannelConnected(3));
    mono.numChannels = -5;
    dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), nullptr);
    EXPECT_FALSE(plug->IsInChannelConnected(0));
}

TEST_F(AdapterTest, MidiKeyNames) {
    make();
    MidiKeyName key = {};
    strcpy(key.keyName, "stale");
    key.thisKeyNumber = 61;
    EXPECT_EQ(dispatch(effGetMidiKeyName, 0, 0, &key), 0);
    EXPECT_STREQ(key.keyName, "");
    key.thisKeyNumber = 60;
    EXPECT_EQ(dispatch(effGetMidiKeyName, 0, 0, &key), 1);
    EXPECT_STREQ(key.keyName, "Middle C");
    EXPECT_EQ(dispatch(effGetMidiKeyName), 0);
}

// ---- Chunks

TEST_F(AdapterTest, ChunksOutAndBackIn) {
    make();
    for (int i = 0; i < plug->NParams(); ++i)
        plug->GetParam(i)->Set(i / 8.0);
    const std::vector<uint8_t> bank = chunkBytes(effect, 0);
    ASSERT_EQ(bank.size(), 8u + 8 * 8);
    EXPECT_EQ(std::vector<uint8_t>(bank.begin(), bank.begin() + 8),
              (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));
    double third;
    memcpy(&third, bank.data() + 8 + 3 * 8, 8);
    EXPECT_EQ(third, 3 / 8.0);
    EXPECT_EQ(chunkBytes(effect, 1), bank); // no presets: the program chunk is the same
    EXPECT_EQ(dispatch(effGetChunk), 0);

    for (int i = 0; i < plug->NParams(); ++i)
        plug->GetParam(i)->Set(0.0);
    std::vector<uint8_t> copy = bank;
    EXPECT_EQ(dispatch(effSetChunk, 0, VstIntPtr(copy.size()), copy.data()), 1);
    EXPECT_EQ(plug->GetParam(7)->Value(), 7 / 8.0);
    EXPECT_EQ(chunkBytes(effect, 0), bank);

    // A chunk without the header is read as the state from its first byte.
    std::vector<uint8_t> headerless(bank.begin() + 8, bank.end());
    memset(headerless.data(), 0, 8);
    EXPECT_EQ(dispatch(effSetChunk, 1, VstIntPtr(headerless.size()), headerless.data()), 1);
    EXPECT_EQ(plug->GetParam(0)->Value(), 0.0);
}

TEST_F(AdapterTest, HostileChunksAreRefused) {
    make();
    plug->GetParam(0)->Set(0.5);
    std::vector<uint8_t> bank = chunkBytes(effect, 0);
    EXPECT_EQ(dispatch(effSetChunk, 0, -1, bank.data()), 0);
    EXPECT_EQ(dispatch(effSetChunk, 0, VstIntPtr(1) << 40, bank.data()), 0);
    EXPECT_EQ(dispatch(effSetChunk, 0, 16), 0);
    EXPECT_EQ(dispatch(effSetChunk, 0, 13, bank.data()), 0); // cut inside the state
    EXPECT_EQ(dispatch(effSetChunk, 0, 0, bank.data()), 0);
    EXPECT_EQ(plug->GetParam(0)->Value(), 0.5);
}

// ---- Events

TEST_F(AdapterTest, HostEventsMidiToThePlugInSysExBackToTheHost) {
    make();
    VstMidiEvent note = {}, wheel = {};
    note.type = wheel.type = kVstMidiType;
    note.byteSize = wheel.byteSize = sizeof(VstMidiEvent);
    note.deltaFrames = 17;
    memcpy(note.midiData, "\x90\x3C\x64", 3);
    memcpy(wheel.midiData, "\xE1\x00\x40", 3);
    uint8_t dump[] = {0xF0, 0x3E, 0x0F, 0x00, 0xF7};
    VstMidiSysexEvent sysex = {};
    sysex.type = kVstSysExType;
    sysex.byteSize = sizeof(sysex);
    sysex.deltaFrames = 3;
    sysex.dumpBytes = sizeof(dump);
    sysex.sysexDump = reinterpret_cast<char*>(dump);

    // Room for four entries: more than the two the record declares.
    std::vector<uint8_t> block(offsetof(VstEvents, events) + 4 * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(block.data());
    VstEvent* entries[4] = {reinterpret_cast<VstEvent*>(&note), nullptr,
                            reinterpret_cast<VstEvent*>(&sysex),
                            reinterpret_cast<VstEvent*>(&wheel)};
    list->numEvents = 4;
    memcpy(block.data() + offsetof(VstEvents, events), entries, sizeof(entries));

    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, list), 1);
    ASSERT_EQ(plug->midi.size(), 2u);
    EXPECT_EQ(plug->midi[0].offset, 17);
    EXPECT_EQ(plug->midi[0].status, 0x90);
    EXPECT_EQ(plug->midi[0].data1, 0x3C);
    EXPECT_EQ(plug->midi[0].data2, 0x64);
    EXPECT_EQ(plug->midi[1].status, 0xE1);
    EXPECT_EQ(plug->midiFromHardware, (std::vector<bool>{false, false}));
    EXPECT_TRUE(plug->sysex_.empty());
    ASSERT_EQ(host.events.size(), 1u);
    EXPECT_EQ(host.events[0].address, reinterpret_cast<VstEvent*>(&sysex));
    EXPECT_EQ(host.events[0].bytes, std::vector<uint8_t>(dump, dump + sizeof(dump)));

    list->numEvents = -3;
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, list), 1);
    EXPECT_EQ(dispatch(effProcessEvents), 0);
    EXPECT_EQ(plug->midi.size(), 2u);
}

TEST_F(AdapterTest, PlugInEventsToTheHost) {
    make();
    IMidiMsg msg(12, 0xB0, 0x07, 0x64);
    EXPECT_TRUE(plug->SendMidiVST(&msg));
    const uint8_t dump[] = {0xF0, 0x01, 0x02, 0xF7};
    ISysEx sysex(5, dump, 4);
    EXPECT_TRUE(plug->SendSysEx(&sysex));
    ASSERT_EQ(host.events.size(), 2u);
    EXPECT_EQ(host.events[0].type, kVstMidiType);
    EXPECT_EQ(host.events[0].byteSize, 32);
    EXPECT_EQ(host.events[0].deltaFrames, 12);
    EXPECT_EQ(host.events[0].bytes, (std::vector<uint8_t>{0xB0, 0x07, 0x64, 0x00}));
    EXPECT_EQ(host.events[1].type, kVstSysExType);
    EXPECT_EQ(host.events[1].deltaFrames, 5);
    EXPECT_EQ(host.events[1].bytes, std::vector<uint8_t>(dump, dump + 4));

    host.eventsAnswer = 0;
    EXPECT_FALSE(plug->SendMidiVST(&msg));
    EXPECT_FALSE(plug->SendSysEx(&sysex));
}

// ---- Time and host queries

TEST_F(AdapterTest, TimeInfoTakesOnlyWhatTheHostVouchesFor) {
    make();
    ITimeInfo t;
    host.time.samplePos = 4800.0;
    host.time.tempo = 140.0;
    host.time.ppqPos = 2.5;
    host.time.barStartPos = 0.0;
    host.time.cycleStartPos = 4.0;
    host.time.cycleEndPos = 8.0;
    host.time.timeSigNumerator = 7;
    host.time.timeSigDenominator = 8;

    host.time.flags = kVstTransportPlaying; // none of the five things asked for
    plug->GetTime(&t);
    EXPECT_EQ(t.samplePos, -1.0);
    EXPECT_FALSE(t.transportIsRunning);

    host.time.flags = kVstTempoValid | kVstTransportPlaying | kVstTransportCycleActive;
    plug->GetTime(&t);
    EXPECT_EQ(t.samplePos, 4800.0);
    EXPECT_EQ(t.tempo, 140.0);
    EXPECT_EQ(t.ppqPos, -1.0);
    EXPECT_EQ(t.numerator, 4);
    EXPECT_TRUE(t.transportIsRunning && t.transportLoopEnabled);

    host.time.flags =
        kVstPpqPosValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid | kVstTempoValid;
    host.time.tempo = 0.0;
    plug->GetTime(&t);
    EXPECT_EQ(t.tempo, 140.0);
    EXPECT_EQ(t.ppqPos, 2.5);
    EXPECT_EQ(t.lastBar, 0.0);
    EXPECT_EQ(t.cycleStart, 4.0);
    EXPECT_EQ(t.cycleEnd, 8.0);
    EXPECT_EQ(t.numerator, 7);
    EXPECT_EQ(t.denominator, 8);
    EXPECT_FALSE(t.transportIsRunning || t.transportLoopEnabled);

    host.time.cycleStartPos = -1.0;
    host.time.timeSigDenominator = 0;
    host.time.ppqPos = -0.5;
    plug->GetTime(&t);
    EXPECT_EQ(t.cycleStart, 4.0);
    EXPECT_EQ(t.denominator, 8);
    EXPECT_EQ(t.ppqPos, 2.5);
    EXPECT_EQ(host.count(audioMasterGetTime), 4);

    host.answersTime = false;
    t.samplePos = 1.0;
    plug->GetTime(&t);
    EXPECT_EQ(t.samplePos, 1.0);
}

TEST_F(AdapterTest, SamplePositionTempoAndSignature) {
    make();
    host.time.samplePos = 99.5;
    EXPECT_EQ(plug->GetSamplePos(), 100);
    host.time.samplePos = -1.0;
    EXPECT_EQ(plug->GetSamplePos(), 0);
    host.time.samplePos = 1e30;
    EXPECT_EQ(plug->GetSamplePos(), INT_MAX);

    host.time.tempo = 133.0;
    EXPECT_EQ(plug->GetTempo(), 0.0);
    host.time.flags = kVstTempoValid | kVstTimeSigValid;
    EXPECT_EQ(plug->GetTempo(), 133.0);
    host.time.timeSigNumerator = 3;
    host.time.timeSigDenominator = 4;
    int num = -7, den = -7;
    plug->GetTimeSig(&num, &den);
    EXPECT_EQ(num, 3);
    EXPECT_EQ(den, 4);
    host.time.timeSigNumerator = -3;
    plug->GetTimeSig(&num, &den);
    EXPECT_EQ(num, 0);
    EXPECT_EQ(den, 0);

    host.answersTime = false;
    EXPECT_EQ(plug->GetSamplePos(), 0);
    EXPECT_EQ(plug->GetTempo(), 0.0);

    EXPECT_FALSE(plug->IsRenderingOffline());
    host.processLevel = kVstProcessLevelOffline;
    EXPECT_TRUE(plug->IsRenderingOffline());
    plug->InformHostOfProgramChange();
    EXPECT_EQ(host.count(audioMasterUpdateDisplay), 1);
}

TEST(AdapterWithoutHost, AsksNothingOfAMissingHost) {
    auto* plug = new TestVSTEffect(nullptr);
    AEffect* e = plug->GetAEffect();
    EXPECT_EQ(plug->GetTempo(), 0.0);
    EXPECT_EQ(plug->GetSamplePos(), 0);
    IMidiMsg msg(0, 0x90, 60, 100);
    EXPECT_FALSE(plug->SendMidiVST(&msg));
    EXPECT_EQ(e->dispatcher(e, effOpen, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(plug->GetHost(), kHostUnknown);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}

// ---- Audio

class AudioTest : public AdapterTest {
protected:
    void SetUp() override {
        make();
        for (int c = 0; c < 2; ++c)
            for (int s = 0; s < kFrames; ++s) {
                in[c][s] = float(c * 100 + s);
                out[c][s] = 1000.0f;
                inD[c][s] = c * 100 + s + 0.25;
                outD[c][s] = 1000.0;
            }
    }
    static constexpr int kFrames = 16;
    float in[2][kFrames], out[2][kFrames];
    double inD[2][kFrames], outD[2][kFrames];
    float* ins[2] = {in[0], in[1]};
    float* outs[2] = {out[0], out[1]};
    double* insD[2] = {inD[0], inD[1]};
    double* outsD[2] = {outD[0], outD[1]};
};

TEST_F(AudioTest, ReplacingAccumulatingAndDoubleBlocks) {
    effect->processReplacing(effect, ins, outs, kFrames);
    EXPECT_EQ(out[1][5], 105.0f);
    effect->process(effect, ins, outs, kFrames);
    EXPECT_EQ(out[0][3], 6.0f);
    EXPECT_EQ(out[1][15], 230.0f);
    effect->processDoubleReplacing(effect, insD, outsD, kFrames);
    EXPECT_EQ(outD[1][7], 107.25);
    EXPECT_EQ(plug->blocks, 3);
    EXPECT_EQ(host.count(audioMasterWantMidi), 3);
}

TEST_F(AudioTest, BlockIsSkippedWhileAnotherThreadHoldsThePlugLock) {
    std::atomic<bool> held{false}, release{false};
    std::thread editor([&] {
        KIT_MutexLock lock(plug->GetMutex());
        held = true;
        while (!release)
            std::this_thread::yield();
    });
    while (!held)
        std::this_thread::yield();
    effect->processReplacing(effect, ins, outs, kFrames);
    EXPECT_EQ(out[0][3], 0.0f);
    effect->processDoubleReplacing(effect, insD, outsD, kFrames);
    EXPECT_EQ(outD[1][3], 0.0);
    out[0][3] = 7.0f;
    effect->process(effect, ins, outs, kFrames);
    EXPECT_EQ(out[0][3], 7.0f); // an accumulating block adds nothing
    release = true;
    editor.join();
    EXPECT_EQ(plug->blocks, 0);
    EXPECT_EQ(host.count(audioMasterWantMidi), 0);
}

// Nothing the plug-in throws reaches the host, and the plug lock is free afterwards.
TEST_F(AudioTest, NothingThrownCrossesIntoTheHost) {
    plug->onCall = [](const std::string& what) {
        if (what != "SerializeState") throw std::runtime_error(what);
    };
    effect->processReplacing(effect, ins, outs, kFrames);
    EXPECT_EQ(out[0][9], 0.0f);
    EXPECT_EQ(dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f), 0);
    EXPECT_EQ(dispatch(effMainsChanged, 0, 1), 0);
    plug->GetParam(0)->Set(0.5);
    const std::vector<uint8_t> bank = chunkBytes(effect, 0);
    ASSERT_FALSE(bank.empty());
    std::vector<uint8_t> copy = bank;
    EXPECT_EQ(dispatch(effSetChunk, 0, VstIntPtr(copy.size()), copy.data()), 0);
    VstMidiEvent note = {};
    note.type = kVstMidiType;
    VstEvents list = {};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&note);
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, &list), 0);

    bool free = false;
    std::thread([&] {
        free = plug->GetMutex()->TryEnter();
        if (free) plug->GetMutex()->Leave();
    }).join();
    EXPECT_TRUE(free);
}

} // namespace
