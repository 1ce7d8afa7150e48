#include "tests/support/RequestRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const Bytes kPatternRequest = {0xF0, 0x3E, 0x0F, 0x00, 0x03, 0x20, 0x00, 0xF7};

// The parts whose sound parameters were set from the plug-in's side.
std::vector<int> soundPartsSet(const testsupport::FakeSenderPlugin& plugin) {
    std::vector<int> parts;
    for (const auto& [id, value] : plugin.plugSets())
        if (id < kNumAutomatedParams && std::find(parts.begin(), parts.end(), id % 16) == parts.end())
            parts.push_back(id % 16);
    return parts;
}

} // namespace

TEST(EditorRequests, APartsSoundLandsInThatPartAndItsPatternIsRequestedNext) {
    RequestRig rig;
    ASSERT_TRUE(rig.run(SenderJob::kSendPartRequestSysex, [](SenderJob& j) {
        j.part = 5;
        j.toEditor = true;
    }));
    EXPECT_EQ(rig.plugin.output.bytes(),
              (std::vector<Bytes>{{0xF0, 0x3E, 0x0F, 0x00, 0x00, 0x30, 0x05, 0xF7}, kPatternRequest}));
    EXPECT_EQ(soundPartsSet(rig.plugin), std::vector<int>{5});
    EXPECT_EQ(rig.plugin.awaitedPart, 5);
    // T before the sound's first wait, the wait, then the same for the pattern.
    EXPECT_EQ(rig.sleptMillis(), 4 * 500);
    EXPECT_EQ(rig.plugin.upperDisplay(), "Data request Completed!");
    EXPECT_TRUE(rig.plugin.notices().empty());
    EXPECT_FALSE(rig.manager.dumpAwaited);
}

TEST(EditorRequests, TheArrangementRequestAsksEveryPartThenTheMultiAndRefreshesOnce) {
    RequestRig rig;
    ASSERT_TRUE(rig.run(SenderJob::kSendActiveArrangementRequestSysex,
                        [](SenderJob& j) { j.toEditor = true; }));
    const std::vector<Bytes> sent = rig.plugin.output.bytes();
    ASSERT_EQ(sent.size(), 16u * 3 + 2);
    // Part 16: its sound, part select 1F, its pattern.
    EXPECT_EQ(sent[45], (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x00, 0x30, 0x0F, 0xF7}));
    EXPECT_EQ(sent[46], (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x17, 0x00, 0x1F, 0xF7}));
    EXPECT_EQ(sent[47], kPatternRequest);
    EXPECT_EQ(sent[48], (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x01, 0x20, 0x00, 0xF7}));
    EXPECT_EQ(sent[49], (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x17, 0x00, 0x01, 0xF7}));
    EXPECT_EQ(soundPartsSet(rig.plugin).size(), 16u);
    // Per part: sound wait T, part select 100, pattern T + T, progress T + one 20 ms pass.
    EXPECT_EQ(rig.sleptMillis(), 16 * (4 * 500 + 120) + 250 + 25 + 100);
    EXPECT_EQ(rig.plugin.upperDisplay(), "Data request completed!");
    EXPECT_EQ(rig.plugin.reducedParamChanges(), std::vector<int>{kQuickTab});
    EXPECT_FALSE(rig.manager.refreshSuppressed);
    EXPECT_FALSE(rig.manager.getSender()->inBatch);
}

TEST(EditorRequests, AnArrangementWhoseMultiTimesOutDoesNotEndCompleted) {
    RequestRig rig;
    rig.synth.setDeviceId(5); // found by every part's scans, but never kept for the multi
    ASSERT_TRUE(rig.run(SenderJob::kSendActiveArrangementRequestSysex,
                        [](SenderJob& j) { j.toEditor = true; }));
    EXPECT_EQ(rig.plugin.output.count(), 16u * 15 + 2);
    EXPECT_EQ(rig.sleptMillis(), 16 * (54 * 500 + 120) + 250 + 2500 + 100);
    EXPECT_EQ(rig.plugin.upperDisplay(), "CONNECTION TIMED OUT!");
    EXPECT_EQ(rig.plugin.output.bytes().back(), (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x17, 0x00, 0x01, 0xF7}));
}

TEST(EditorRequests, ACancelEndsTheArrangementsPartLoopWithoutAMessage) {
    RequestRig rig;
    rig.synth.setSilence([](const Bytes&) { return true; });
    rig.cancelAtSleep = 3;
    ASSERT_TRUE(rig.run(SenderJob::kSendActiveArrangementRequestSysex,
                        [](SenderJob& j) { j.toEditor = true; }));
    EXPECT_EQ(rig.plugin.output.count(), 2u); // part 1's sound, then part select 1
    EXPECT_EQ(rig.sleptMillis(), 3 * 500 + 250 + 100);
    EXPECT_TRUE(rig.plugin.upperTexts().empty());
    EXPECT_EQ(rig.plugin.reducedParamChanges(), std::vector<int>{kQuickTab});
}
