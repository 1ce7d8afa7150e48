#include "kit/effect/IEffectBase.h"

#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using testsupport::TestEffect;
using testsupport::TestGraphics;

namespace {

// Whether another thread could take the plug lock at this moment.
bool otherThreadCanEnter(IEffectBase& plug) {
    bool entered = false;
    std::thread t([&] {
        entered = plug.GetMutex()->TryEnter();
        if (entered) plug.GetMutex()->Leave();
    });
    t.join();
    return entered;
}

} // namespace

TEST(IEffectBase, InitializeBuildsParamsPresetsAndChannels) {
    TestEffect plug(10, 8, 3, true, "1-1 2-2 x-3");
    EXPECT_EQ(plug.NHostParams(), 2);
    plug.addNonAutomateParamCount(5); // assigns, does not add
    EXPECT_EQ(plug.NHostParams(), 5);
    EXPECT_STREQ(plug.GetPresetName(0), "empty");
    EXPECT_EQ(plug.NInChannels(), 2);
    EXPECT_EQ(plug.NOutChannels(), 2);
    EXPECT_TRUE(plug.LegalIO(0, 0)); // the pair that does not parse reads as 0 and 0
    EXPECT_TRUE(plug.LegalIO(-1, 2));
    EXPECT_FALSE(plug.LegalIO(1, 2));
    TestEffect stereo(1, 0);
    EXPECT_FALSE(stereo.LegalIO(1, 1));
    // Labels outside their lists are ignored (the sanitizers watch these).
    plug.SetInputLabel(5, "none");
    plug.SetInputBusLabel(2, "ignored");
    plug.SetInputBusLabel(0, "main");
    plug.SetInputBusLabel(0, "main again");
    plug.SetOutputBusLabel(2, "aux");
}

TEST(IEffectBase, VersionsAndHost) {
    char buf[MAX_VERSION_STR_LEN];
    const int versions[] = {0x10007, 0x10100, 0x10000};
    const char* texts[] = {"v1.0.7", "v1.1", "v1"};
    for (int i = 0; i < 3; ++i) {
        GetVersionStr(versions[i], buf);
        EXPECT_STREQ(buf, texts[i]);
    }
    EXPECT_EQ(GetDecimalVersion(0x10007), 10007);
    TestEffect plug(1, 1);
    EXPECT_EQ(plug.GetHost(), kHostUninit);
    plug.SetHost("REAPER", 0x060F00);
    EXPECT_EQ(plug.GetHost(), kHostReaper);
    EXPECT_EQ(plug.GetHostVersion(true), 61500);
    EXPECT_DOUBLE_EQ(plug.GetSamplesPerBeat(), 22050.0);
    plug.tempo = 0.0;
    EXPECT_EQ(plug.GetSamplesPerBeat(), 0.0);
}

TEST(IEffectBase, GuiEditsInformOnlyVisibleParamsAndCallTheRightHandler) {
    TestEffect plug(6, 3);
    for (int i = 0; i < 6; ++i)
        plug.GetParam(i)->InitInt("p", 0, 0, 10);
    plug.GetParam(5)->InitText();

    plug.SetParameterFromGUI(1, 0.5);
    ASSERT_EQ(plug.informs.size(), 1u);
    EXPECT_EQ(plug.informs[0].kind, 'a');
    EXPECT_EQ(plug.informs[0].idx, 1);
    EXPECT_EQ(plug.changes, std::vector<int>({1}));
    EXPECT_EQ(plug.GetParam(1)->Value(), 5.0);
    // The same value again: the host hears of it, the plug-in does not.
    plug.SetParameterFromGUI(1, 0.5);
    EXPECT_EQ(plug.informs.size(), 2u);
    EXPECT_EQ(plug.changes.size(), 1u);
    // Hidden parameters never reach the host, whatever path they take.
    plug.SetParameterFromGUI(4, 0.2);
    plug.BeginInformHostOfParamChange(4);
    plug.EndInformHostOfParamChange(4);
    plug.InformHostOfParamChange(-1, 0.0);
    EXPECT_EQ(plug.informs.size(), 2u);
    EXPECT_EQ(plug.changes, std::vector<int>({1, 4}));
    // A text parameter reports every edit; the hardware path ends in the second handler.
    plug.SetParameterFromGUI2(5, 0.0);
    plug.SetParameterFromGUI2(5, 0.0);
    EXPECT_EQ(plug.changes2, std::vector<int>({5, 5}));
    plug.SetParameterFromGUI(99, 0.5); // an unknown index does nothing
    EXPECT_EQ(plug.changes.size(), 2u);

    TestEffect hidden(5, 5);
    hidden.OnParamReset();
    hidden.DirtyParameters();
    EXPECT_TRUE(hidden.changes.empty() && hidden.informs.empty());
    EXPECT_EQ(hidden.resets, 1);
    plug.OnParamReset();
    EXPECT_EQ(plug.changes, std::vector<int>({1, 4, 0, 1, 2}));
}

TEST(IEffectBase, CompareStateMatchesInSinglePrecision) {
    TestEffect plug(3, 1);
    plug.GetParam(0)->Set(1.0);
    plug.GetParam(1)->Set(0.25);
    double stored[] = {99.0, 1.0, 0.25};
    const auto* bytes = reinterpret_cast<const unsigned char*>(stored);
    EXPECT_TRUE(plug.CompareState(bytes, 1));
    EXPECT_FALSE(plug.CompareState(bytes, 0));
    stored[2] = 0.2501;
    EXPECT_FALSE(plug.CompareState(bytes, 1));
}

TEST(IEffectBase, PlugLockIsReentrantAndHeldAroundTheChangeHandler) {
    TestEffect plug(2, 0);
    plug.GetParam(0)->InitInt("p", 0, 0, 10);
    bool lockedDuringHandler = false;
    plug.onChange = [&](int) { lockedDuringHandler = !otherThreadCanEnter(plug); };
    {
        KIT_MutexLock outer(plug.GetMutex());
        KIT_MutexLock inner(plug.GetMutex()); // the owner enters again, and again in the edit
        plug.SetParameterFromGUI(0, 1.0);
    }
    EXPECT_TRUE(lockedDuringHandler);
    plug.SetParameterFromGUI(0, 0.5);
    EXPECT_TRUE(lockedDuringHandler);
    EXPECT_TRUE(otherThreadCanEnter(plug)); // released afterwards

    // A thread that enters while an edit runs waits until the edit has left.
    std::atomic<bool> handlerRunning{false}, release{false}, otherEntered{false};
    plug.onChange = [&](int) {
        handlerRunning = true;
        for (int i = 0; i < 5000 && !release; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_FALSE(otherEntered.load());
    };
    std::thread editor([&] { plug.SetParameterFromGUI(0, 0.0); });
    while (!handlerRunning)
        std::this_thread::yield();
    std::thread other([&] {
        KIT_MutexLock lock(plug.GetMutex());
        otherEntered = true;
    });
    release = true;
    editor.join();
    other.join();
    EXPECT_TRUE(otherEntered.load());
}

TEST(IEffectBase, AudioBlockIsSkippedWhileTheLockIsHeldElsewhere) {
    TestEffect plug(1, 1);
    plug.SetBlockSize(4);
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetOutputChannelConnections(0, 2, true);
    float inL[4] = {1, 2, 3, 4}, inR[4] = {5, 6, 7, 8};
    float outL[4] = {9, 9, 9, 9}, outR[4] = {9, 9, 9, 9};
    float* ins[] = {inL, inR};
    float* outs[] = {outL, outR};
    plug.AttachInputBuffers(0, 2, ins, 4);
    plug.AttachOutputBuffers(0, 2, outs);
    EXPECT_TRUE(plug.ProcessBuffers(0.0f, 4));
    EXPECT_EQ(outL[3], 4.0f);
    EXPECT_EQ(outR[0], 5.0f);

    std::atomic<bool> held{false}, done{false};
    std::thread editor([&] {
        KIT_MutexLock lock(plug.GetMutex());
        held = true;
        while (!done)
            std::this_thread::yield();
    });
    while (!held)
        std::this_thread::yield();
    EXPECT_FALSE(plug.ProcessBuffers(0.0f, 4));
    done = true;
    editor.join();
    EXPECT_EQ(plug.blocks, 1);
    EXPECT_EQ(outL[0], 0.0f); // the skipped block is silent, not stale
    EXPECT_EQ(outR[3], 0.0f);

    outL[0] = 1.0f;
    plug.AttachOutputBuffers(0, 2, outs);
    EXPECT_TRUE(plug.ProcessBuffersAccumulating(0.0f, 4));
    EXPECT_EQ(outL[0], 2.0f);
}

TEST(IEffectBase, BuffersFollowConnectionsAndBlocksLargerThanTheBlockSize) {
    TestEffect plug(1, 1, 0, true, "2-3");
    plug.SetBlockSize(2);
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetOutputChannelConnections(0, 3, true);
    plug.SetInputChannelConnections(1, 5, false);
    EXPECT_FALSE(plug.IsInChannelConnected(1));
    double in0[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    double out0[8], out1[8], out2[8];
    double* ins[] = {in0};
    double* outs[] = {out0, out1, out2};
    for (double* o : outs)
        std::fill(o, o + 8, 9.0);
    plug.AttachInputBuffers(0, 2, ins, 8);
    plug.AttachOutputBuffers(0, 3, outs);
    EXPECT_TRUE(plug.ProcessBuffers(0.0, 8)); // 8 frames against a block size of 2
    EXPECT_EQ(out0[7], 8.0);
    EXPECT_EQ(out1[7], 0.0); // input 1 is not connected: its scratch is silent
    EXPECT_EQ(out2[0], 0.0); // no input 2

    // The same block size keeps the scratch contents; another one clears them.
    plug.SetBlockSize(8);
    float f[2] = {3, 4};
    float* fins[] = {f};
    plug.AttachInputBuffers(0, 1, fins, 2);
    plug.SetBlockSize(8);
    plug.PassThroughBuffers(0.0, 2);
    EXPECT_EQ(out0[0], 3.0);
    plug.SetBlockSize(16);
    plug.PassThroughBuffers(0.0, 2);
    EXPECT_EQ(out0[0], 0.0);
}

TEST(IEffectBase, GraphicsTakeBackPlainValuesOnly) {
    TestEffect plug(2, 2);
    for (int i = 0; i < 2; ++i)
        plug.GetParam(i)->InitInt("p", 0, 0, 10);
    auto* g = new TestGraphics(&plug);
    plug.AttachGraphics(g);
    EXPECT_EQ(plug.GetGUI(), g);
    g->SetParameterFromPlug(1, 5.4, false);
    EXPECT_EQ(plug.GetParam(1)->Value(), 5.0);
    g->SetParameterFromPlug(1, 0.9, true); // a normalised value only shows
    EXPECT_EQ(plug.GetParam(1)->Value(), 5.0);
    g->SetParameterFromPlug(99, 1.0, false);
    plug.AttachGraphics(new TestGraphics(&plug)); // the first one is released
}

TEST(IEffectBase, MidiInputBecomesShortMessagesOrSysEx) {
    TestEffect plug(1, 1);
    std::vector<unsigned char> noteOn = {0x90, 0x3C, 0x64};
    std::vector<unsigned char> aftertouch = {0xD0, 0x40};
    std::vector<unsigned char> sysex = {0xF0, 0x3E, 0x0F, 0x00, 0x01, 0xF7};
    std::vector<unsigned char> empty;
    for (auto* bytes : {&noteOn, &aftertouch, &sysex, &empty})
        IEffectBase::processMIDIInput(0.0, bytes, &plug);
    IEffectBase::processMIDIInput(0.0, &noteOn, nullptr);
    ASSERT_EQ(plug.midi.size(), 2u);
    EXPECT_EQ(plug.midi[0].status, 0x90);
    EXPECT_EQ(plug.midi[0].data1, 0x3C);
    EXPECT_EQ(plug.midi[0].data2, 0x64);
    EXPECT_EQ(plug.midi[1].data2, 0);
    ASSERT_EQ(plug.sysex_.size(), 1u);
    EXPECT_EQ(plug.sysex_[0], std::vector<uint8_t>(sysex.begin(), sysex.end()));
    EXPECT_EQ(plug.midiFromHardware, std::vector<bool>({true, true, true}));
}
