#include "kit/effect/IEffectBase.h"

#include "tests/kit_effect/PlugLock.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using testsupport::HeldElsewhere;
using testsupport::OtherThreadCanEnter;
using testsupport::TestEffect;
using testsupport::TestGraphics;

TEST(IEffectBase, ChannelsVersionsAndTempo) {
    TestEffect plug(10, 8, 3, true, "1-1 2-2 x-3");
    EXPECT_EQ(plug.NHostParams(), 2);
    EXPECT_EQ(plug.NInChannels(), 2);
    EXPECT_EQ(plug.NOutChannels(), 2);
    EXPECT_TRUE(plug.LegalIO(0, 0)); // a pair that does not parse reads as 0 and 0
    EXPECT_TRUE(plug.LegalIO(-1, 2));
    EXPECT_FALSE(plug.LegalIO(1, 2));
    // Labels outside their lists are ignored (the sanitizers watch these); a second editor
    // replaces the first.
    plug.SetInputLabel(5, "none");
    plug.SetInputBusLabel(2, "ignored");
    plug.AttachGraphics(new TestGraphics(&plug));
    plug.AttachGraphics(new TestGraphics(&plug));

    char buf[3][MAX_VERSION_STR_LEN];
    GetVersionStr(0x10007, buf[0]);
    GetVersionStr(0x10100, buf[1]);
    GetVersionStr(0x10000, buf[2]);
    EXPECT_EQ(std::string(buf[0]) + " " + buf[1] + " " + buf[2], "v1.0.7 v1.1 v1");
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
    plug.SetParameterFromGUI(1, 0.5); // the host hears of it again, the plug-in does not
    ASSERT_EQ(plug.informs.size(), 2u);
    EXPECT_EQ(plug.informs[1].kind, 'a');
    EXPECT_EQ(plug.informs[1].idx, 1);
    EXPECT_EQ(plug.GetParam(1)->Value(), 5.0);
    // Hidden parameters never reach the host, whatever road they take.
    plug.SetParameterFromGUI(4, 0.2);
    plug.BeginInformHostOfParamChange(4);
    plug.EndInformHostOfParamChange(4);
    plug.InformHostOfParamChange(-1, 0.0);
    plug.SetParameterFromGUI(99, 0.5); // an unknown index does nothing
    EXPECT_EQ(plug.informs.size(), 2u);
    EXPECT_EQ(plug.changes, std::vector<int>({1, 4}));
    // A text parameter reports every edit; the hardware road ends in the second handler.
    plug.SetParameterFromGUI2(5, 0.0);
    plug.SetParameterFromGUI2(5, 0.0);
    EXPECT_EQ(plug.changes2, std::vector<int>({5, 5}));
    plug.OnParamReset();
    EXPECT_EQ(plug.changes, std::vector<int>({1, 4, 0, 1, 2}));

    double stored[] = {99.0, 0.0, 5.000001, 0.0}; // the visible values from index 1
    const auto* bytes = reinterpret_cast<const unsigned char*>(stored);
    EXPECT_TRUE(plug.CompareState(bytes, 1)); // in single precision
    stored[2] = 5.0001;
    EXPECT_FALSE(plug.CompareState(bytes, 1));
}

TEST(IEffectBase, PlugLockIsReentrantAndHeldAroundTheChangeHandler) {
    TestEffect plug(2, 0);
    plug.GetParam(0)->InitInt("p", 0, 0, 10);
    bool lockedDuringHandler = false;
    plug.onChange = [&](int) { lockedDuringHandler = !OtherThreadCanEnter(plug.GetMutex()); };
    {
        KIT_MutexLock outer(plug.GetMutex()); // the owner enters again in the edit
        plug.SetParameterFromGUI(0, 1.0);
    }
    EXPECT_TRUE(lockedDuringHandler);
    EXPECT_TRUE(OtherThreadCanEnter(plug.GetMutex()));
}

TEST(IEffectBase, AudioBlocksPassThroughGrowAndAreSkippedWhileTheLockIsHeld) {
    TestEffect plug(1, 1, 0, true, "2-3");
    plug.SetBlockSize(2);
    plug.SetInputChannelConnections(0, 2, true);
    plug.SetOutputChannelConnections(0, 3, true);
    plug.SetInputChannelConnections(1, 5, false);
    float in0[8] = {1, 2, 3, 4, 5, 6, 7, 8}, in1[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    float out[3][8];
    float* ins[] = {in0, in1};
    float* outs[] = {out[0], out[1], out[2]};
    std::fill(&out[0][0], &out[0][0] + 24, 9.0f);
    plug.AttachInputBuffers(0, 2, ins, 8);
    plug.AttachOutputBuffers(0, 3, outs);
    EXPECT_TRUE(plug.ProcessBuffers(0.0f, 8)); // 8 frames against a block size of 2
    EXPECT_EQ(out[0][7], 8.0f);
    EXPECT_EQ(out[1][7], 0.0f); // input 1 is not connected: its scratch is silent
    EXPECT_EQ(out[2][0], 0.0f); // no input 2
    EXPECT_TRUE(plug.ProcessBuffersAccumulating(0.0f, 8));
    EXPECT_EQ(out[0][7], 16.0f);

    {
        HeldElsewhere held(plug.GetMutex());
        EXPECT_FALSE(plug.ProcessBuffers(0.0f, 8));
    }
    EXPECT_EQ(plug.blocks, 2);
    EXPECT_EQ(out[0][0], 0.0f); // the skipped block is silent, not stale
    EXPECT_EQ(out[2][7], 0.0f);
}

TEST(IEffectBase, MidiInputBecomesShortMessagesOrSysEx) {
    TestEffect plug(1, 1);
    std::vector<unsigned char> noteOn = {0x90, 0x3C, 0x64}, aftertouch = {0xD0, 0x40}, empty;
    std::vector<unsigned char> sysex = {0xF0, 0x3E, 0x0F, 0x00, 0x01, 0xF7}, bend = {0xED};
    for (auto* bytes : {&noteOn, &aftertouch, &sysex, &empty, &bend})
        plug.processMIDIInput(bytes->data(), bytes->size());
    EXPECT_EQ(plug.DroppedMIDICount(), 1u); // the pitch bend without its data bytes
    ASSERT_EQ(plug.midi.size(), 2u);
    EXPECT_EQ(std::vector<int>({plug.midi[0].status, plug.midi[0].data1, plug.midi[0].data2,
                                plug.midi[1].data2}),
              std::vector<int>({0x90, 0x3C, 0x64, 0}));
    ASSERT_EQ(plug.sysex_.size(), 1u);
    EXPECT_EQ(plug.sysex_[0], std::vector<uint8_t>(sysex.begin(), sysex.end()));
    EXPECT_EQ(plug.midiFromHardware, std::vector<bool>({true, true, true}));
}
