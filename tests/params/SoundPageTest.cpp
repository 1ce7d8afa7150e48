#include "tests/support/EditorLayerTree.h"

#include <gtest/gtest.h>

using testsupport::EditorLayerTree;
using testsupport::FakeParamChangePlugin;

namespace {

// The plug-in with the layer tree, the effects page of part 1 shown when onEffects, another
// tab otherwise.
struct Editor {
    explicit Editor(bool onEffects) {
        fake.layers["root"]->setSelectedId(onEffects ? 5 : 2);
        fake.layers["effectsArp"]->setSelectedId(0);
    }
    FakeParamChangePlugin fake;
    EditorLayerTree tree{fake};
};

} // namespace

TEST(SoundPage, ShapesAndModesAreWholeNumbersAndRefreshTheQuickTab) {
    Editor e(false);
    e.fake.GetParam(kOscillator1Shape + 3)->InitDouble("Shape", 0, 0, 5, 0.1);
    e.fake.setValue(kOscillator3Shape + 3, 1);
    e.fake.setValue(kQuickTab, 3);
    e.fake.selectedPartValue = 3;
    e.fake.edit(kOscillator1Shape + 3, 2.7);
    EXPECT_EQ(e.fake.value(kOscillator1Shape + 3), 2.0);
    EXPECT_EQ(e.tree.zones(2, 3), "10 20 30 40 50 61 / 10 20 40 50 ");
    EXPECT_EQ(e.fake.valueText(), " [2]");

    // An envelope mode: refreshed and shown, then the part goes as a whole sound, never alone.
    e.fake.addAction(kEnvelope3Mode + 5);
    e.fake.addAction(kTriggerEnv4Trigger + 5);
    e.fake.edit(kEnvelope3Mode + 5, 2);
    e.fake.edit(kEnv4Trigger + 5, 1);
    EXPECT_EQ(e.fake.nameText(), "[6] kEnv4Trigger");
    ASSERT_EQ(e.fake.jobs.size(), 2u);
    for (const auto& posted : e.fake.jobs) {
        EXPECT_EQ(posted.command, SenderJob::kSendPartToDevice);
        EXPECT_EQ(posted.job.part, 5);
        EXPECT_FALSE(posted.job.dumpOption1);
    }
    EXPECT_TRUE(e.fake.calls().empty());
}

TEST(SoundPage, EffectModesSwitchTheEffectsPage) {
    const struct {
        bool onEffects;
        int mode, effect, clocked;
        const char* zones;
    } rows[] = {
        {true, 4, 1, 1, "14 21 40 / "},   {true, 4, 1, 0, "14 20 40 / 40 "},
        {false, 4, 2, 1, "/ "},           {true, 0, 1, 0, "10 22 42 / 10 "},
        {false, 0, 2, 0, "32 52 / "},     {true, 9, 1, 0, "19 22 42 / "},
        {true, 11, 2, 0, "32 52 311 / "},
    };
    for (const auto& row : rows) {
        Editor e(row.onEffects);
        e.fake.addAction(kEffect1Mode);
        e.fake.addAction(kEffect2Mode);
        const int mode = row.effect == 1 ? kEffect1Mode : kEffect2Mode;
        e.fake.setValue(row.effect == 1 ? kFX1DelayClocked : kFX2DelayClocked, row.clocked);
        e.fake.setValue(mode, row.mode == 0);
        e.fake.edit(mode, row.mode);
        EXPECT_EQ(e.tree.zones(5, 0), row.zones) << row.mode << " " << row.effect;
        EXPECT_EQ(e.fake.calls().size(), 1u);
        EXPECT_EQ(e.fake.jobs.size(), row.mode == 9 ? 1u : 0u);
    }
}

TEST(SoundPage, FetchModeRequestsSoundAndPatternOnlyWhenPosted) {
    Editor e(true);
    e.fake.dumpWorkerBusy = true;
    e.fake.edit(kEffect1Mode + 6, 9);
    EXPECT_TRUE(e.fake.librarianRequests.empty() && e.fake.jobs.empty());
    EXPECT_FALSE(e.fake.dumpAwaitedFlag);

    e.fake.dumpWorkerBusy = false;
    e.fake.edit(kEffect1Mode + 6, 8);
    e.fake.edit(kEffect1Mode + 6, 9);
    EXPECT_EQ(e.fake.librarianRequests, std::vector<bool>{false});
    ASSERT_EQ(e.fake.jobs.size(), 1u);
    EXPECT_EQ(e.fake.jobs[0].command, SenderJob::kSendPartRequestSysex);
    EXPECT_EQ(e.fake.jobs[0].job.part, 6);
    EXPECT_TRUE(e.fake.jobs[0].job.toEditor);
}
