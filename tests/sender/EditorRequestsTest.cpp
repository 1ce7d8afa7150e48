#include "tests/support/RequestRig.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const Bytes kPartSelect1 = {0xF0, 0x3E, 0x0F, 0x00, 0x17, 0x00, 0x01, 0xF7};

// The parts whose sound parameters were set from the plug-in's side.
std::set<int> soundPartsSet(const testsupport::FakeSenderPlugin& plugin) {
    std::set<int> parts;
    for (const auto& [id, value] : plugin.plugSets())
        if (id < kNumAutomatedParams) parts.insert(id % 16);
    return parts;
}

} // namespace

TEST(EditorRequests, APartsSoundLandsInThatPartThenItsPatternIsRequested) {
    RequestRig rig;
    ASSERT_TRUE(rig.run(SenderJob::kSendPartRequestSysex, [](SenderJob& j) {
        j.part = 5;
        j.toEditor = true;
    }));
    EXPECT_EQ(rig.plugin.output.bytes(),
              (std::vector<Bytes>{{0xF0, 0x3E, 0x0F, 0x00, 0x00, 0x30, 0x05, 0xF7},
                                  {0xF0, 0x3E, 0x0F, 0x00, 0x03, 0x20, 0x00, 0xF7}}));
    EXPECT_EQ(soundPartsSet(rig.plugin), std::set<int>{5});
    EXPECT_EQ(rig.plugin.awaitedPart, 5);
    EXPECT_EQ(rig.sleptMillis(), 4 * 500); // T before each request's first wait, and the wait
    EXPECT_EQ(rig.plugin.upperDisplay(), "Data request Completed!");
    EXPECT_EQ(rig.plugin.callCount("unsaved 1"), 0u);
}

TEST(EditorRequests, TheArrangementAsksEveryPartThenTheMultiAndRefreshesTheEditorOnce) {
    const struct Case {
        const char* name;
        int synthId;
        bool silent;
        size_t sent;
        int64_t slept;
        const char* lastText;
    } cases[] = {
        // Per part: sound wait T, part select 100 ms, pattern T + T, progress T and 20 ms.
        {"answered", 0, false, 16 * 3 + 2, 16 * (4 * 500 + 120) + 250 + 25 + 100,
         "Data request completed!"},
        // Each part's scans find id 5; the multi, asked at id 0, times out.
        {"only id 5", 5, false, 16 * 15 + 2, 16 * (54 * 500 + 120) + 250 + 2500 + 100,
         "CONNECTION TIMED OUT!"},
        // A cancel in part 1's third wait ends the loop without a message.
        {"cancelled", 0, true, 2, 3 * 500 + 250 + 100, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestRig rig;
        rig.synth.setDeviceId(c.synthId);
        if (c.silent) rig.synth.setSilence([](const Bytes&) { return true; });
        rig.cancelAtSleep = c.silent ? 3 : 0;
        ASSERT_TRUE(rig.run(SenderJob::kSendActiveArrangementRequestSysex,
                            [](SenderJob& j) { j.toEditor = true; }));
        EXPECT_EQ(rig.plugin.output.count(), c.sent);
        EXPECT_EQ(rig.plugin.output.bytes().back(), kPartSelect1);
        EXPECT_EQ(rig.sleptMillis(), c.slept);
        EXPECT_EQ(rig.plugin.upperDisplay(), c.lastText);
        EXPECT_EQ(soundPartsSet(rig.plugin).size(), c.silent ? 0u : 16u);
        EXPECT_EQ(rig.plugin.callCount(kRefresh), 1u);
        EXPECT_FALSE(rig.manager.refreshSuppressed);
    }
}
