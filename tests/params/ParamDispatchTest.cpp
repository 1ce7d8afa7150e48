#include "src/params/ParamRules.h"
#include "tests/support/FakeParamChangePlugin.h"
#include "tests/support/TestControl.h"

#include <gtest/gtest.h>

using testsupport::FakeParamChangePlugin;

namespace {

// What the test rules saw, in order: the stage and the value line at that moment.
std::vector<std::string> gSeen;
RuleEnd gStage1End = RuleEnd::kGoOn;
RuleEnd gStage3End = RuleEnd::kGoOn;

RuleEnd stage1(ParamChange& c) {
    gSeen.push_back("1:" + c.plug->displayValueLine()->GetTextForPlug());
    c.iv = 2;
    return gStage1End;
}
RuleEnd stage3(ParamChange& c) {
    gSeen.push_back("3:" + c.plug->displayValueLine()->GetTextForPlug());
    return gStage3End;
}

// The dispatcher's map with rules in the slots of the filter types and envelope modes
// (stage 1) and of the envelope re-sends (stage 3), which both claim the envelope modes.
ParamRuleTable recordingRules() {
    ParamRuleTable rules = kParamRules;
    rules.stage1[1].rule = stage1;
    rules.stage3[5].rule = stage3;
    return rules;
}

// A page switcher with children 1 to 5; the ids of the visible ones.
struct Switcher {
    Switcher() {
        for (int id = 1; id <= 5; ++id)
            layer.addChild(new ControlLayer(id, "page"));
    }
    std::vector<int> visible() const {
        std::vector<int> ids;
        for (int i = 0; i < 5; ++i)
            if (layer.getChildren().Get(i)->isVisible()) ids.push_back(i + 1);
        return ids;
    }
    ControlLayer layer{0, "switcher"};
};

} // namespace

TEST(ParamDispatch, DisplayThenPageThenActionThenLinkedPartner) {
    FakeParamChangePlugin fake;
    Switcher switcher;
    switcher.layer.getChildren().Get(0)->Hide(false);
    switcher.layer.getChildren().Get(4)->Hide(false);
    fake.addAction(kFilter1Cutoff)->switchLayer = &switcher.layer;
    fake.addAction(kFilter2Cutoff);
    fake.setValue(kFilterLinkSwitch, 1.0);
    fake.edit(kFilter1Cutoff, 3);
    EXPECT_EQ(switcher.visible(), std::vector<int>{3});
    EXPECT_EQ(switcher.layer.getSelectedId(), 3);
    EXPECT_EQ(fake.nameText(), "[1] kFilter1Cutoff");
    const auto calls = fake.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].idx, kFilter1Cutoff);
    EXPECT_EQ(calls[0].value, 3.0);
    EXPECT_EQ(calls[0].valueLine, "3");
    EXPECT_FALSE(calls[0].linkApplying);
    EXPECT_EQ(calls[1].idx, kFilter2Cutoff);
    EXPECT_TRUE(calls[1].linkApplying);
}

TEST(ParamDispatch, AnIdClaimedInBothStagesRunsBothAroundTheDisplayWithOrWithoutEditor) {
    for (bool editor : {true, false}) {
        FakeParamChangePlugin fake(editor, recordingRules());
        Switcher switcher;
        fake.addAction(kFilterEnvMode + 2)->switchLayer = &switcher.layer;
        gSeen.clear();
        gStage1End = gStage3End = RuleEnd::kGoOn;
        fake.edit(kFilterEnvMode + 2, 4);
        // The envelope modes read a list, which the fake lacks.
        const std::string shown = editor ? " [4]" : "";
        EXPECT_EQ(gSeen, (std::vector<std::string>{"1:", "3:" + shown}));
        // The stage-1 rule's integer value reaches the page switcher; the value sent stays v.
        EXPECT_EQ(switcher.visible(), std::vector<int>{2});
        ASSERT_EQ(fake.calls().size(), 1u);
        EXPECT_EQ(fake.calls()[0].value, 4.0);
        if (!editor) continue;

        gSeen.clear();
        gStage3End = RuleEnd::kStop;
        fake.edit(kFilterEnvMode + 2, 5);
        gStage1End = RuleEnd::kStop;
        fake.edit(kFilterEnvMode + 2, 6);
        EXPECT_EQ(gSeen, (std::vector<std::string>{"1: [4]", "3: [5]", "1: [5]"}));
        EXPECT_EQ(fake.valueText(), " [5]");
        EXPECT_EQ(fake.calls().size(), 1u);
    }
}

TEST(ParamDispatch, ToggleFlipsFromExactlyOneAndDispatchesTheTarget) {
    FakeParamChangePlugin fake;
    auto* control = new testsupport::TestControl(&fake, IRECT(0, 0, 10, 10), 5000);
    fake.GetGUI()->AttachControl(control);
    fake.addAction(5000);
    for (double from : {0.5, 1.0, 0.0}) {
        fake.setValue(5000, from);
        const double to = toggleMirrored(&fake, 5000);
        EXPECT_EQ(to, from == 1.0 ? 0.0 : 1.0);
        EXPECT_EQ(fake.value(5000), to);
        EXPECT_EQ(fake.calls().back().value, to);
        EXPECT_DOUBLE_EQ(control->GetValue(), to / 127.0);
    }
}

TEST(ParamDispatch, APostIntoABusyWorkerMakesNoSideEffect) {
    FakeParamChangePlugin fake;
    fake.soundRequestActiveFlag = true;
    auto post = [&] {
        return postSenderJob(
            &fake, SenderJob::kSendPartRequestSysex, JobKind::kRequest,
            [](SenderJob& job) { job.part = 3; }, true);
    };
    fake.dumpWorkerBusy = true;
    EXPECT_FALSE(post());
    EXPECT_FALSE(fake.dumpAwaitedFlag);
    EXPECT_TRUE(fake.soundRequestActiveFlag);
    EXPECT_TRUE(fake.librarianRequests.empty() && fake.jobs.empty());

    fake.dumpWorkerBusy = false;
    EXPECT_TRUE(post());
    EXPECT_TRUE(fake.dumpAwaitedFlag);
    EXPECT_FALSE(fake.soundRequestActiveFlag);
    EXPECT_EQ(fake.librarianRequests, std::vector<bool>{false});
    ASSERT_EQ(fake.jobs.size(), 1u);
    EXPECT_EQ(fake.jobs[0].command, SenderJob::kSendPartRequestSysex);
    EXPECT_EQ(fake.jobs[0].job.part, 3);
    EXPECT_TRUE(postSenderJob(&fake, SenderJob::kSendPartToDevice, JobKind::kDump, {}));
    EXPECT_EQ(fake.librarianRequests.size(), 1u);
}

TEST(ParamDispatch, EachSlotClaimsTheEdgesOfItsIdsAndNotTheirNeighbours) {
    const struct {
        int stage, slot;
        std::vector<int> claimed, unclaimed;
    } rows[] = {
        // clang-format off
        {1, 0, {96, 111, 240, 255, 400, 415}, {95, 112, 416}},
        {1, 1, {608, 639, 816, 847, 7489, 7504, 7521, 7553, 7600}, {607, 640, 815, 848, 7601}},
        {1, 2, {18322, 18721, 18219, 18234}, {18321, 18722, 18235}},
        {1, 3, {18183, 18244, 18287, 18288, 18811}, {18184, 18289, 18810}},
        {1, 4, {10290, 10305}, {10289, 10306}},
        {1, 5, {18237, 18238, 18239, 18240}, {18236, 18241}},
        {1, 6, {10274, 10289}, {10273, 10290}},
        {1, 7, {18243}, {18242}},
        {1, 8, {18242}, {18243}},
        {1, 9, {18282}, {18281}},
        {1, 10, {18150}, {18149}},
        {1, 11, {10274, 10289, 18237, 18238, 18239, 18282, 18150}, {10273, 18236, 18283, 18151}},
        {3, 0, {8849, 8864, 9375, 9518}, {8848, 8865, 9374, 9519}},
        {3, 1, {18306, 18321}, {18305, 18322}},
        {3, 2, {18149, 18788}, {18150, 18787, 18241}},
        {3, 3, {18241}, {18240, 18242}},
        {3, 4, {6465, 6480, 6705, 6720}, {6464, 6481, 6721}},
        {3, 5, {7393, 7456, 7489, 7600}, {7392, 7457, 7488, 7601}},
        {3, 6, {9057}, {9058, 18809}},
        {3, 7, {18809}, {18808, 18810}},
        {3, 8, {18803}, {18802, 18804}},
        {3, 9, {9101, 9132}, {9100, 9133}},
        {3, 10, {9100}, {9099, 9101}},
        {3, 11, {4033, 4560, 5473, 6000}, {4032, 4561, 5472, 6001}},
        {3, 14, {18756, 18787}, {18755, 18788}},
        {3, 15, {9051}, {9050, 9052}},
        {3, 21, {18283}, {18282, 18284}},
        {3, 30, {18800}, {18799, 18801}},
        {3, 31, {10225, 10238}, {10224, 10239}},
        {3, 32, {10239, 18801}, {10240, 18800}},
        {3, 33, {10240, 10241}, {10239, 10242}},
        {3, 34, {10306}, {10305}},
        {3, 35, {18246, 18247}, {18245, 18248}},
        {3, 36, {18798, 18812, 18283, 18284, 10225, 10306, 18184, 18247}, {18797, 18813, 10224, 10307, 18183, 18248}},
        {3, 37, {kPatternStepLength, kPatternStepLength + 15}, {kPatternStepLength - 1, kPatternStepLength + 16}},
        // clang-format on
    };
    for (const auto& row : rows) {
        const RuleSlot& slot =
            row.stage == 1 ? kParamRules.stage1[row.slot] : kParamRules.stage3[row.slot];
        for (int id : row.claimed)
            EXPECT_TRUE(slot.claims(id)) << row.stage << "/" << row.slot << " " << id;
        for (int id : row.unclaimed)
            EXPECT_FALSE(slot.claims(id)) << row.stage << "/" << row.slot << " " << id;
    }
}
