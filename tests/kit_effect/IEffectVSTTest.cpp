// The VST2 adapter seen from a host: the effect record, the dispatcher's answers, the parameter
// and audio entry points, chunks, events, and what the plug-in asks of the host.

#include "kit/effect/IEffectVST.h"
#include "tests/kit_effect/PlugLock.h"
#include "tests/support/MidiOutputRecorder.h"
#include "tests/support/ScaledClock.h"
#include "tests/support/TestGraphics.h"
#include "tests/support/TestVSTEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using testsupport::TestGraphics;
using testsupport::TestVSTEffect;
using Bytes = std::vector<uint8_t>;

// A host that records the calls the plug-in makes and answers as a test sets it up. The
// plug-in finds it through the effect record's user field.
struct FakeHost {
    std::vector<VstInt32> calls;
    std::vector<std::pair<VstInt32, float>> notices; // (index, value) of automate notices
    std::vector<std::vector<int>> events;            // type, byte size, delta frames, bytes …
    VstTimeInfo time = {};
    const char* product = "Some Host";
    VstIntPtr eventsAnswer = 1;
    // A list the host hands over while the plug-in hands it one, once.
    VstEvents* reentering = nullptr;
    std::function<void()> onUpdateDisplay;

    int count(VstInt32 opcode) const { return int(std::count(calls.begin(), calls.end(), opcode)); }

    static VstIntPtr callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr,
                              void* ptr, float opt) {
        auto* host = static_cast<FakeHost*>(effect->user);
        host->calls.push_back(opcode);
        if (opcode == audioMasterAutomate) host->notices.emplace_back(index, opt);
        if (opcode == audioMasterUpdateDisplay && host->onUpdateDisplay) host->onUpdateDisplay();
        if (opcode == audioMasterGetTime) return reinterpret_cast<VstIntPtr>(&host->time);
        if (opcode == audioMasterGetVendorVersion) return 30207;
        if (opcode == audioMasterGetProductString) strcpy(static_cast<char*>(ptr), host->product);
        if (opcode != audioMasterProcessEvents) return 0;
        if (VstEvents* list = std::exchange(host->reentering, nullptr))
            effect->dispatcher(effect, effProcessEvents, 0, 0, list, 0.0f);
        const VstEvent* ev = static_cast<const VstEvents*>(ptr)->events[0];
        const auto* s = reinterpret_cast<const VstMidiSysexEvent*>(ev);
        const auto* data = reinterpret_cast<const uint8_t*>(
            ev->type == kVstMidiType ? reinterpret_cast<const VstMidiEvent*>(ev)->midiData
                                     : s->sysexDump);
        std::vector<int> e = {ev->type, ev->byteSize, ev->deltaFrames};
        e.insert(e.end(), data, data + (ev->type == kVstMidiType ? 4 : s->dumpBytes));
        host->events.push_back(e);
        return host->eventsAnswer;
    }
};

// A plug-in made with new (effClose deletes it) and hooked to a fake host.
class AdapterTest : public testing::Test {
protected:
    void make(const TestVSTEffect::Options& o = TestVSTEffect::Options()) {
        delete plug;
        plug = new TestVSTEffect(FakeHost::callback, o);
        effect = plug->GetAEffect();
        effect->user = &host;
    }
    void TearDown() override { delete plug; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                       void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    VstIntPtr dispatchText(VstInt32 opcode, VstInt32 index, const char* text) {
        return dispatch(opcode, index, 0, const_cast<char*>(text));
    }
    // What the opcode writes into a buffer of '#', and its answer.
    std::string text(VstInt32 opcode, VstInt32 index = 0) {
        char buf[256];
        memset(buf, '#', sizeof(buf));
        buf[255] = 0;
        const VstIntPtr a = dispatch(opcode, index, 0, buf);
        return std::string(buf) + " " + std::to_string(a);
    }
    Bytes chunk(VstInt32 index) {
        void* data = nullptr;
        const VstIntPtr n = dispatch(effGetChunk, index, 0, &data);
        return n > 0 ? Bytes(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + n)
                     : Bytes();
    }

    FakeHost host;
    TestVSTEffect* plug = nullptr;
    AEffect* effect = nullptr;
};

// ---- The effect record, the entry, identity and life cycle

TEST_F(AdapterTest, EffectRecordFollowsTheDeclaredAbilities) {
    make();
    EXPECT_EQ(memcmp(&effect->magic, "PtsV", 4), 0);
    const auto record = [&] {
        return std::vector<int>{effect->numPrograms, effect->numParams, effect->numInputs,
                                effect->numOutputs,  effect->flags,     effect->initialDelay,
                                effect->uniqueID,    effect->version};
    };
    EXPECT_EQ(record(), (std::vector<int>{0, 0, 2, 2, 0x1130, 128, 0x76683373, 10007}));
    EXPECT_EQ(effect->object, plug);
    plug->AttachGraphics(new TestGraphics(plug));
    plug->SetLatency(64);
    EXPECT_EQ(effect->flags, 0x1131);
    EXPECT_EQ(effect->initialDelay, 64);

    TestVSTEffect::Options o;
    o.channelIO = "1-1 2-2";
    o.isInstrument = o.doesChunks = false;
    o.nPresets = 3;
    o.nVisible = 5;
    make(o);
    // Can replace, double, mono input.
    EXPECT_EQ(record(), (std::vector<int>{3, 5, 2, 2, 0x1018, 128, 0x76683373, 10007}));
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

TEST_F(AdapterTest, IdentityNamesAndCapabilities) {
    make();
    EXPECT_EQ(dispatch(effIdentify), 0x4E764566);
    EXPECT_EQ(dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(text(effGetEffectName), "Zoz Editor 1");
    // Unknown opcodes and names without a buffer to write to answer 0.
    for (VstInt32 opcode :
         {VstInt32(effGetEffectName), VstInt32(effCanDo), VstInt32(effStartProcess), -1})
        EXPECT_EQ(dispatch(opcode, 1, 1, nullptr, 1.0f), 0) << "opcode " << opcode;

    const char* asked[] = {"receiveVstTimeInfo", "sendVstMidiEvent", "receiveVstMidiEvents",
                           "hasVxExtensions"};
    const std::vector<VstIntPtr> withMidi = {1, 1, 0, 0xBEEF0000},
                                 withoutMidi = {1, 0, 0, 0xBEEF0000};
    for (const auto* expected : {&withMidi, &withoutMidi}) {
        TestVSTEffect::Options o;
        o.doesMidi = expected == &withMidi;
        make(o);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(dispatchText(effCanDo, 0, asked[i]), (*expected)[size_t(i)]) << asked[i];
    }
}

TEST_F(AdapterTest, OpenIdentifiesTheHostOnceAndOnlySwitchingOffResets) {
    TestVSTEffect::Options o;
    o.nParams = 4;
    o.nVisible = 2;
    o.channelIO = "4-4";
    make(o);
    dispatch(effOpen);
    dispatch(effOpen);
    EXPECT_EQ(plug->changes, (std::vector<int>{0, 1, 0, 1}));
    EXPECT_EQ(host.count(audioMasterGetProductString), 1);
    EXPECT_EQ(plug->hostIdentified, 1);
    EXPECT_EQ(plug->GetHost(), kHostUnknown);
    EXPECT_EQ(plug->GetHostVersion(false), 0x030207);
    EXPECT_TRUE(plug->IsInChannelConnected(3));
    dispatch(effSetBlockSize, 0, 512);
    dispatch(effMainsChanged, 0, 1); // switching on does not reset
    dispatch(effMainsChanged, 0, 0);
    EXPECT_EQ(plug->GetBlockSize(), 512);
    EXPECT_EQ(plug->activations, (std::vector<bool>{true, false}));
    EXPECT_EQ(plug->resets, 4);

    // Some hosts get the plug-in held to stereo; the record keeps its counts.
    make(o);
    host.product = "Adobe Audition";
    dispatch(effOpen);
    EXPECT_FALSE(plug->IsInChannelConnected(2));
    EXPECT_TRUE(plug->IsInChannelConnected(1) && plug->IsOutChannelConnected(3));
    EXPECT_EQ(effect->numInputs, 4);
}

TEST_F(AdapterTest, CloseDestroysThePlugInAndNothingIsAskedOfWhatIsMissing) {
    make();
    bool destroyed = false;
    plug->destroyed = &destroyed;
    EXPECT_EQ(dispatch(effClose), 0);
    plug = nullptr;
    EXPECT_TRUE(destroyed);

    // A host that closes the plug-in with its editor open: the editor, whose thread calls the
    // plug-in, is closed before any of the plug-in goes.
    make();
    auto* g = new TestGraphics(plug);
    plug->AttachGraphics(g);
    int window = 0;
    dispatch(effEditOpen, 0, 0, &window);
    int closesThen = -1;
    plug->whileDestroyed = [&] { closesThen = g->closes; };
    dispatch(effClose);
    plug = nullptr;
    EXPECT_EQ(closesThen, 1);

    AEffect orphan = {};
    EXPECT_EQ(IEffectVST::VSTDispatcher(&orphan, effIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(IEffectVST::VSTDispatcher(nullptr, effIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(IEffectVST::VSTGetParameter(&orphan, 0), 0.0f);
    IEffectVST::VSTSetParameter(&orphan, 0, 1.0f);
    IEffectVST::VSTProcessReplacing(&orphan, nullptr, nullptr, 64);

    auto* alone = new TestVSTEffect(nullptr); // a plug-in without a host asks it nothing
    IMidiMsg msg(0, 0x90, 60, 100);
    EXPECT_EQ(alone->GetSamplePos(), 0);
    EXPECT_FALSE(alone->SendMidiVST(&msg));
    alone->GetAEffect()->dispatcher(alone->GetAEffect(), effOpen, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(alone->GetHost(), kHostUnknown);
    alone->GetAEffect()->dispatcher(alone->GetAEffect(), effClose, 0, 0, nullptr, 0.0f);
}

// ---- Parameters

// Three visible parameters (a level in dB, a wave by name, a step count) and two hidden ones.
class ParamOpcodes : public AdapterTest {
protected:
    void SetUp() override {
        TestVSTEffect::Options o;
        o.nParams = 5;
        o.nVisible = 3;
        make(o);
        plug->GetParam(0)->InitDouble("Level", -6.0, -60.0, 6.0, 0.5, "dB");
        plug->GetParam(1)->InitEnum("Wave", 0, 2);
        plug->GetParam(1)->SetDisplayText(0, "Saw");
        plug->GetParam(1)->SetDisplayText(1, "Square");
        plug->GetParam(2)->InitInt("Steps", 3, 1, 16);
    }
};

TEST_F(ParamOpcodes, TextsOfVisibleParametersOnly) {
    EXPECT_EQ(text(effGetParamName, 0), "Level 0");
    EXPECT_EQ(text(effGetParamLabel, 0), "dB 0");
    EXPECT_EQ(text(effGetParamDisplay, 0), "-6.0 0");
    EXPECT_EQ(text(effGetParamDisplay, 1), "Saw 0");
    for (VstInt32 op : {effGetParamName, effGetParamLabel, effGetParamDisplay})
        for (int idx : {3, -1})
            EXPECT_EQ(text(op, idx), std::string(255, '#') + " 0") << op << " " << idx;

    // The text of an arbitrary value, never a change.
    char buf[64] = "unchanged";
    EXPECT_EQ(dispatch(effVendorSpecific, effGetParamDisplay, 4, buf, 1.0f), 0xBEEF);
    EXPECT_EQ(dispatch(effVendorSpecific, effGetParamName, 1, buf, 1.0f), 0);
    EXPECT_STREQ(buf, "unchanged");
    EXPECT_EQ(dispatch(effVendorSpecific, effGetParamDisplay, 1, buf, 1.0f), 0xBEEF);
    EXPECT_STREQ(buf, "Square");
    EXPECT_EQ(plug->GetParam(1)->Value(), 0.0);
}

TEST_F(ParamOpcodes, HostWritesVisibleParametersByValueAndByText) {
    plug->AttachGraphics(new TestGraphics(plug));
    EXPECT_FLOAT_EQ(effect->getParameter(effect, 0), 54.0f / 66.0f);
    effect->setParameter(effect, 2, 0.5f);
    EXPECT_EQ(plug->GetParam(2)->Value(), 9.0); // 1 + 15 · 0.5 rounded to the step
    plug->GetParam(3)->Set(0.25);
    EXPECT_EQ(effect->getParameter(effect, 3), 0.0f);
    effect->setParameter(effect, 3, 1.0f);
    effect->setParameter(effect, -1, 1.0f);
    EXPECT_EQ(plug->GetParam(3)->Value(), 0.25);

    EXPECT_EQ(dispatchText(effString2Parameter, 1, "Square"), 1);
    EXPECT_EQ(dispatchText(effString2Parameter, 1, "Triangle"), 0);
    EXPECT_EQ(dispatchText(effString2Parameter, 0, "100"), 1);
    EXPECT_EQ(dispatch(effString2Parameter, 0), 1); // no text: only whether it could
    EXPECT_EQ(dispatchText(effString2Parameter, 3, "0.5"), 0);
    EXPECT_EQ(plug->GetParam(1)->Value(), 1.0);
    EXPECT_EQ(plug->GetParam(0)->Value(), 6.0); // held to the range
    EXPECT_EQ(plug->changes, (std::vector<int>{2, 1, 0}));
}

// Hidden parameters reach the host only through the chunk, whatever road an edit takes.
TEST_F(ParamOpcodes, OnlyVisibleEditsReachTheHost) {
    for (int idx : {1, 3}) {
        plug->BeginInformHostOfParamChange(idx);
        plug->SetParameterFromGUI(idx, 1.0);
        plug->EndInformHostOfParamChange(idx);
    }
    EXPECT_EQ(host.calls, (std::vector<VstInt32>{audioMasterBeginEdit, audioMasterAutomate,
                                                 audioMasterEndEdit}));
    EXPECT_EQ(host.notices, (std::vector<std::pair<VstInt32, float>>{{1, 1.0f}}));
    EXPECT_EQ(plug->changes, (std::vector<int>{1, 3}));
}

// ---- Programs, editor, channels

TEST_F(AdapterTest, ProgramsKeepTheirEditsWithoutStateChunks) {
    TestVSTEffect::Options o;
    o.nPresets = 2;
    o.doesChunks = false;
    make(o);
    plug->EnsureDefaultPreset();
    plug->GetParam(0)->Set(0.75);
    dispatch(effSetProgram, 0, 1);
    EXPECT_EQ(dispatch(effGetProgram), 1);
    EXPECT_EQ(plug->GetParam(0)->Value(), 0.0);
    dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(plug->GetParam(0)->Value(), 0.75);
    dispatch(effSetProgram, 0, VstIntPtr(1) << 40);
    EXPECT_EQ(dispatch(effGetProgram), 0);

    // A name longer than a host's program-name buffer is cut to fit it.
    dispatchText(effSetProgramName, 0, "A name much longer than twenty-four");
    EXPECT_EQ(plug->presetChanges, 3); // two programs chosen, one renamed
    EXPECT_EQ(text(effGetProgramName), "A name much longer than 0");
    EXPECT_EQ(text(effGetProgramNameIndexed, 1), "Empty 1");
    EXPECT_EQ(text(effGetProgramNameIndexed, 7), " 0");
}

TEST_F(AdapterTest, EditorOpensAsTheHostDeclared) {
    make();
    ERect* rect = nullptr;
    int window = 0; // without an editor every editor opcode answers 0
    EXPECT_EQ(dispatch(effEditGetRect, 0, 0, &rect) + dispatch(effEditOpen, 0, 0, &window) +
                  dispatch(effEditClose),
              0);
    auto* g = new TestGraphics(plug);
    plug->AttachGraphics(g);
    ASSERT_EQ(dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(std::vector<int>({rect->top, rect->left, rect->bottom, rect->right}),
              std::vector<int>({0, 0, 50, 100}));
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(g->openedAs, 'w');
    EXPECT_EQ(g->openedIn, &window);
    dispatchText(effCanDo, 0, "hasVxViewAsConfig");
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window), 1);
    EXPECT_EQ(g->openedAs, 'v');
    g->refuseOpen = true;
    EXPECT_EQ(dispatch(effEditOpen, 0, 0, &window), 0);
    EXPECT_EQ(plug->guiOpens, 2);
    EXPECT_EQ(dispatch(effEditClose), 1);
    EXPECT_EQ(plug->guiCloses + g->closes, 2);
}

// The host hears of the editor's changes only when what a save keeps changed, from its own
// thread that opened the editor (its idle call or any other), outside the plug lock; the close
// tells what the editor's last comparison did not see.
TEST_F(AdapterTest, TheHostHearsOfEditorChangesOnItsOwnThread) {
    testsupport::ManualClock clock;
    make();
    plug->GetParam(1)->InitInt("Steps", 0, 0, 16);
    plug->AttachGraphics(new TestGraphics(plug));
    std::vector<std::pair<std::thread::id, bool>> told; // thread, plug lock free
    host.onUpdateDisplay = [&] {
        told.emplace_back(std::this_thread::get_id(), testsupport::OtherThreadCanEnter(plug->GetMutex()));
    };
    int window = 0;
    dispatch(effEditOpen, 0, 0, &window);
    // Input on the editor's thread, then its tick an interval later.
    const auto onEditor = [&](double value, bool tick) {
        std::thread([&] {
            {
                KIT_MutexLock lock(plug->GetMutex());
                plug->NoteEditorInput();
                plug->GetParam(1)->Set(value);
            }
            if (tick) plug->CheckEditorEdits(false, false);
        }).join();
        clock.AdvanceMillis(IEffectBase::kEditNoticeMillis);
    };
    onEditor(0.0, true); // a press that changes nothing
    dispatch(effEditIdle);
    EXPECT_TRUE(told.empty());
    onEditor(1.0, true);
    EXPECT_TRUE(told.empty()) << "never from the editor's thread";
    std::thread([&] { dispatch(effGetProgram); }).join();
    EXPECT_TRUE(told.empty()) << "nor from a thread that did not open the editor";
    dispatch(effEditIdle);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], std::make_pair(std::this_thread::get_id(), true));
    dispatch(effEditIdle);
    onEditor(2.0, false); // no tick compared it
    dispatch(effEditClose);
    EXPECT_EQ(told.size(), 2u);
    dispatch(effEditOpen, 0, 0, &window);
    dispatch(effEditClose);
    EXPECT_EQ(told.size(), 2u);
}

TEST_F(AdapterTest, PinsAndSpeakerArrangements) {
    TestVSTEffect::Options o;
    o.channelIO = "2-3";
    make(o);
    auto pin = [&](VstInt32 op, int idx) {
        VstPinProperties p = {};
        const VstIntPtr a = dispatch(op, idx, 0, &p);
        return std::to_string(a) + " " + std::to_string(p.flags) + " " + p.label;
    };
    EXPECT_EQ(pin(effGetInputProperties, 0), "1 3 Input 1");
    EXPECT_EQ(pin(effGetOutputProperties, 2), "1 1 Output 3"); // no partner for a pair
    EXPECT_EQ(pin(effGetOutputProperties, 3), "0 0 ");

    VstSpeakerArrangement* in = nullptr;
    VstSpeakerArrangement* out = nullptr;
    dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(std::vector<int>({in->type, in->numChannels, out->type, out->numChannels}),
              std::vector<int>({1, 2, -2, 3}));
    VstSpeakerArrangement mono = {}, wide = {};
    mono.numChannels = 1;
    wide.numChannels = 99;
    dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), &mono);
    EXPECT_TRUE(plug->IsInChannelConnected(0));
    EXPECT_FALSE(plug->IsInChannelConnected(1) || plug->IsOutChannelConnected(1));
    dispatch(effSetSpeakerArrangement, 0, 0, &wide);
    EXPECT_TRUE(plug->IsOutChannelConnected(2) && !plug->IsInChannelConnected(1));
    mono.numChannels = -5;
    dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&mono), nullptr);
    EXPECT_FALSE(plug->IsInChannelConnected(0));
}

// ---- Chunks and events

TEST_F(AdapterTest, ChunksOutAndBackInAndHostileOnesRefused) {
    make();
    for (int i = 0; i < plug->NParams(); ++i)
        plug->GetParam(i)->Set(i / 8.0);
    const Bytes bank = chunk(0); // the layout is the plug-in base's
    ASSERT_EQ(bank.size(), 8u + 8 * 8);
    EXPECT_EQ(chunk(1), bank); // no presets: the program chunk is the same
    EXPECT_EQ(dispatch(effGetChunk), 0);

    for (int i = 0; i < plug->NParams(); ++i)
        plug->GetParam(i)->Set(0.0);
    Bytes copy = bank;
    EXPECT_EQ(dispatch(effSetChunk, 0, VstIntPtr(copy.size()), copy.data()), 1);
    EXPECT_EQ(chunk(0), bank);
    // A chunk without the header is read as the state from its first byte.
    Bytes headerless(bank.begin() + 8, bank.end());
    memset(headerless.data(), 0, 8);
    EXPECT_EQ(dispatch(effSetChunk, 1, VstIntPtr(headerless.size()), headerless.data()), 1);
    EXPECT_EQ(plug->GetParam(0)->Value(), 0.0);
    EXPECT_EQ(plug->GetParam(7)->Value(), 7 / 8.0);

    // Sizes that are negative, beyond reach or cut inside the state, and no data: refused.
    for (VstIntPtr size : {VstIntPtr(-1), VstIntPtr(1) << 40, VstIntPtr(13), VstIntPtr(0)})
        EXPECT_EQ(dispatch(effSetChunk, 0, size, copy.data()), 0) << size;
    EXPECT_EQ(dispatch(effSetChunk, 0, 16), 0);
    EXPECT_EQ(plug->GetParam(0)->Value(), 0.0);
}

TEST_F(AdapterTest, WithPresetsTheBankChunkCarriesThemAndTheProgramChunkOnlyTheState) {
    TestVSTEffect::Options o;
    o.nParams = 2;
    o.nPresets = 2;
    make(o);
    dispatch(effSetProgram, 0);
    dispatchText(effSetProgramName, 0, "One");
    plug->GetParam(0)->Set(0.5);
    const Bytes bank = chunk(0), program = chunk(1);
    ASSERT_EQ(program.size(), 8u + 2 * 8);
    const Bytes state(program.begin() + 8, program.end());
    // Each preset: its name with a length word, whether it holds a state, and that state.
    Bytes expected(program.begin(), program.begin() + 8);
    expected.insert(expected.end(), {3, 0, 0, 0, 'O', 'n', 'e', 1});
    expected.insert(expected.end(), state.begin(), state.end());
    expected.insert(expected.end(), {5, 0, 0, 0, 'e', 'm', 'p', 't', 'y', 0});
    expected.insert(expected.end(), state.begin(), state.end());
    EXPECT_EQ(bank, expected);

    dispatchText(effSetProgramName, 0, "Two");
    plug->GetParam(0)->Set(0.0);
    Bytes copy = program;
    EXPECT_EQ(dispatch(effSetChunk, 1, VstIntPtr(copy.size()), copy.data()), 1);
    EXPECT_EQ(plug->GetParam(0)->Value(), 0.5);
    EXPECT_EQ(text(effGetProgramName), "Two 0") << "the state alone";
    plug->GetParam(0)->Set(0.0);
    copy = bank;
    EXPECT_EQ(dispatch(effSetChunk, 0, VstIntPtr(copy.size()), copy.data()), 1);
    EXPECT_EQ(plug->GetParam(0)->Value(), 0.5);
    EXPECT_EQ(text(effGetProgramName), "One 0");
}

TEST_F(AdapterTest, MidiFromTheHostReachesThePlugInSysExGoesBackAndThePlugInSendsBoth) {
    make();
    VstMidiEvent note = {}, wheel = {};
    note.type = wheel.type = kVstMidiType;
    note.deltaFrames = 17;
    memcpy(note.midiData, "\x90\x3C\x64", 3);
    memcpy(wheel.midiData, "\xE1\x00\x40", 3);
    char dump[] = {char(0xF0), 0x3E, char(0xF7)};
    VstMidiSysexEvent sysex = {kVstSysExType, 32, 3, 0, 3, 0, dump, 0};
    // Room for four entries: more than the two the record declares.
    Bytes block(offsetof(VstEvents, events) + 4 * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(block.data());
    VstEvent* entries[4] = {reinterpret_cast<VstEvent*>(&note), nullptr,
                            reinterpret_cast<VstEvent*>(&sysex),
                            reinterpret_cast<VstEvent*>(&wheel)};
    list->numEvents = 4;
    memcpy(block.data() + offsetof(VstEvents, events), entries, sizeof(entries));
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, list), 1);
    list->numEvents = -3;
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, list), 1);
    EXPECT_EQ(dispatch(effProcessEvents), 0);
    plug->WaitForOutputThread(); // where the host's MIDI is handled
    ASSERT_EQ(plug->midi.size(), 2u);
    const IMidiMsg& m = plug->midi[0];
    EXPECT_EQ(std::vector<int>({m.offset, m.status, m.data1, m.data2, plug->midi[1].status}),
              std::vector<int>({17, 0x90, 0x3C, 0x64, 0xE1}));
    EXPECT_EQ(plug->midiFromHardware, (std::vector<bool>{false, false}));
    EXPECT_TRUE(plug->sysex_.empty());
    EXPECT_EQ(host.events,
              (std::vector<std::vector<int>>{{kVstSysExType, 32, 3, 0xF0, 0x3E, 0xF7}}));

    host.events.clear();
    IMidiMsg msg(12, 0xB0, 0x07, 0x64);
    const uint8_t bytes[] = {0xF0, 0x01, 0xF7};
    ISysEx own(5, bytes, 3);
    EXPECT_TRUE(plug->SendMidiVST(&msg) && plug->SendSysEx(&own));
    EXPECT_EQ(host.events,
              (std::vector<std::vector<int>>{{kVstMidiType, 32, 12, 0xB0, 0x07, 0x64, 0},
                                             {kVstSysExType, 32, 5, 0xF0, 0x01, 0xF7}}));
    host.eventsAnswer = 0;
    EXPECT_FALSE(plug->SendMidiVST(&msg) || plug->SendSysEx(&own));
}

// What the audio thread cannot hand over is counted with every other drop: a list the host
// hands over while another is being taken, and messages cut short beyond what the output
// thread's queue keeps for its log.
TEST_F(AdapterTest, DropsOfTheAudioThreadAreCountedBeyondTheQueuesAndForAnOverlappingList) {
    make();
    VstMidiEvent note = {};
    note.type = kVstMidiType;
    memcpy(note.midiData, "\x90\x3C\x64", 3);
    char dump[] = {char(0xF0), char(0xF7)};
    VstMidiSysexEvent sysex = {kVstSysExType, 32, 0, 0, 2, 0, dump, 0};
    VstEvents outer = {1, 0, {reinterpret_cast<VstEvent*>(&sysex)}};
    VstEvents inner = {
        2, 0, {reinterpret_cast<VstEvent*>(&note), reinterpret_cast<VstEvent*>(&note)}};
    host.reentering = &inner;
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, &outer), 1);
    for (int i = 0; i < 1000; ++i)
        plug->QueueMidiMsg(IMidiMsg(0, 0x90, 0x3C, 0x90));
    plug->WakeOutputThread();
    plug->WaitForOutputThread();
    EXPECT_TRUE(plug->midi.empty());
    EXPECT_EQ(plug->DroppedMIDICount(), 1002u);
}

// ---- Time

TEST_F(AdapterTest, TimeInfoTakesOnlyWhatTheHostVouchesFor) {
    make();
    ITimeInfo t;
    host.time = {4800.0, 48000.0, 0.0, 2.5, 140.0, 0.0, 4.0, 8.0, 7, 8, 0, 0, 0, 0};
    host.time.flags = kVstTransportPlaying; // none of the five things asked for
    plug->GetTime(&t);
    EXPECT_EQ(t.samplePos, -1.0);
    EXPECT_EQ(plug->GetTempo(), 0.0);

    host.time.flags = kVstTempoValid | kVstTransportPlaying | kVstTransportCycleActive;
    plug->GetTime(&t);
    EXPECT_EQ(std::vector<double>({t.samplePos, t.tempo, t.ppqPos, double(t.numerator)}),
              std::vector<double>({4800.0, 140.0, -1.0, 4.0}));
    EXPECT_TRUE(t.transportIsRunning && t.transportLoopEnabled);
    EXPECT_EQ(plug->GetTempo(), 140.0);

    // Values no host should send leave the last ones.
    host.time.flags =
        kVstPpqPosValid | kVstBarsValid | kVstCyclePosValid | kVstTimeSigValid | kVstTempoValid;
    host.time.tempo = 0.0;
    plug->GetTime(&t);
    EXPECT_EQ(std::vector<double>({t.tempo, t.ppqPos, t.lastBar, t.cycleStart, t.cycleEnd}),
              std::vector<double>({140.0, 2.5, 0.0, 4.0, 8.0}));
    EXPECT_EQ(std::make_pair(t.numerator, t.denominator), std::make_pair(7, 8));
    EXPECT_FALSE(t.transportIsRunning || t.transportLoopEnabled);
    host.time.cycleStartPos = -1.0;
    host.time.timeSigNumerator = -3;
    host.time.ppqPos = -0.5;
    plug->GetTime(&t);
    EXPECT_EQ(std::vector<double>({t.ppqPos, t.cycleStart, double(t.numerator)}),
              std::vector<double>({2.5, 4.0, 7.0}));
    int num = -7, den = -7;
    plug->GetTimeSig(&num, &den);
    EXPECT_EQ(std::make_pair(num, den), std::make_pair(0, 0));

    const std::pair<double, int> positions[] = {{99.5, 100}, {-1.0, 0}, {1e30, INT_MAX}};
    for (auto [pos, expected] : positions) {
        host.time.samplePos = pos;
        EXPECT_EQ(plug->GetSamplePos(), expected) << pos;
    }
}

// ---- Audio

// Two channels of 16 frames, sample s of channel c holding 100 c + s (plus 0.25 in double);
// the outputs hold 1000 until written.
class AudioTest : public AdapterTest {
protected:
    void SetUp() override {
        make();
        for (int c = 0; c < 2; ++c)
            for (int s = 0; s < kFrames; ++s) {
                in[c][s] = float(c * 100 + s);
                inD[c][s] = in[c][s] + 0.25;
                out[c][s] = outD[c][s] = 1000;
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
    {
        testsupport::HeldElsewhere held(plug->GetMutex());
        effect->processReplacing(effect, ins, outs, kFrames);
        effect->processDoubleReplacing(effect, insD, outsD, kFrames);
        out[1][3] = 7.0f;
        effect->process(effect, ins, outs, kFrames);
    }
    EXPECT_EQ(out[0][3], 0.0f);
    EXPECT_EQ(outD[1][3], 0.0);
    EXPECT_EQ(out[1][3], 7.0f); // an accumulating block adds nothing
    EXPECT_EQ(plug->blocks, 0);
    EXPECT_EQ(host.count(audioMasterWantMidi), 0);
}

// The external output recorded instead of sent, so no MIDI system is needed.
class RecordingEffect : public TestVSTEffect {
public:
    using TestVSTEffect::TestVSTEffect;
    testsupport::MidiOutputRecorder output;

protected:
    bool SendExternalMIDI(const unsigned char* bytes, int size) override {
        output.record(Bytes(bytes, bytes + size));
        return true;
    }
};

TEST(ExternalOutput, EachShortMessageKindGoesOutWithItsOwnByteCount) {
    RecordingEffect plug(nullptr);
    const std::pair<uint8_t, size_t> kinds[] = {{0x8F, 3}, {0x90, 3}, {0xA5, 3}, {0xB0, 3},
                                                {0xC3, 2}, {0xDA, 2}, {0xEF, 3}};
    for (auto [status, size] : kinds) {
        IMidiMsg msg(0, status, 0x12, 0x7F);
        ASSERT_TRUE(plug.SendMidiMsg(&msg));
        Bytes expected = {status, 0x12, 0x7F};
        expected.resize(size);
        EXPECT_EQ(plug.output.bytes().back(), expected);
    }
}

// Nothing the plug-in throws reaches the host, and the plug lock is free afterwards.
TEST_F(AudioTest, NothingThrownCrossesIntoTheHost) {
    plug->onCall = [](const std::string& what) {
        if (what != "SerializeState") throw std::runtime_error(what);
    };
    effect->processReplacing(effect, ins, outs, kFrames);
    EXPECT_EQ(out[0][9], 0.0f);
    EXPECT_EQ(dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f), 0);
    Bytes bank = chunk(0);
    ASSERT_FALSE(bank.empty());
    EXPECT_EQ(dispatch(effSetChunk, 0, VstIntPtr(bank.size()), bank.data()), 0);
    VstMidiEvent note = {};
    note.type = kVstMidiType;
    VstEvents list = {};
    list.numEvents = 1;
    list.events[0] = reinterpret_cast<VstEvent*>(&note);
    // Queued for the output thread, which catches what the plug-in throws.
    EXPECT_EQ(dispatch(effProcessEvents, 0, 0, &list), 1);
    plug->WaitForOutputThread();
    EXPECT_TRUE(testsupport::OtherThreadCanEnter(plug->GetMutex()));
}

} // namespace
