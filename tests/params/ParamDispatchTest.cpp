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
    rules.stage3[4].rule = stage3;
    gSeen.clear();
    gStage1End = gStage3End = RuleEnd::kGoOn;
    return rules;
}

// A page switcher whose children have the ids 1 to 5.
struct Switcher {
    Switcher() {
        for (int id = 1; id <= 5; ++id)
            layer.addChild(new ControlLayer(id, "page"));
    }
    std::vector<int> visible() const {
        std::vector<int> ids;
        for (int i = 0; i < layer.getChildren().GetSize(); ++i)
            if (layer.getChildren().Get(i)->isVisible())
                ids.push_back(layer.getChildren().Get(i)->getId());
        return ids;
    }
    ControlLayer layer{0, "switcher"};
};

} // namespace

TEST(ParamDispatch, PageSwitcherShowsExactlyTheChildOfTheValue) {
    FakeParamChangePlugin fake;
    Switcher switcher;
    switcher.layer.getChildren().Get(0)->Hide(false);
    switcher.layer.getChildren().Get(4)->Hide(false);
    fake.addAction(kOscillator1FMAmount)->switchLayer = &switcher.layer;
    fake.edit(kOscillator1FMAmount, 3);
    EXPECT_EQ(switcher.visible(), std::vector<int>{3});
    EXPECT_EQ(switcher.layer.getSelectedId(), 3);
    ASSERT_EQ(fake.calls().size(), 1u);
    EXPECT_EQ(fake.calls()[0].value, 3.0);
}

TEST(ParamDispatch, DisplayThenActionThenLinkedPartner) {
    FakeParamChangePlugin fake;
    fake.addAction(kFilter1Cutoff);
    fake.addAction(kFilter2Cutoff);
    fake.setValue(kFilterLinkSwitch, 1.0);
    fake.edit(kFilter1Cutoff, 80);
    EXPECT_EQ(fake.nameText(), "[1] kFilter1Cutoff");
    const auto calls = fake.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].idx, kFilter1Cutoff);
    EXPECT_EQ(calls[0].valueLine, "80");
    EXPECT_FALSE(calls[0].linkApplying);
    EXPECT_EQ(calls[1].idx, kFilter2Cutoff);
    EXPECT_TRUE(calls[1].linkApplying);
}

TEST(ParamDispatch, AnIdClaimedInBothStagesRunsBothAroundTheDisplay) {
    FakeParamChangePlugin fake(true, recordingRules());
    Switcher switcher;
    fake.addAction(kFilterEnvMode + 2)->switchLayer = &switcher.layer;
    fake.edit(kFilterEnvMode + 2, 4);
    EXPECT_EQ(gSeen, (std::vector<std::string>{"1:", "3:4"}));
    // The replaced integer value reaches the page switcher; the value sent stays v.
    EXPECT_EQ(switcher.visible(), std::vector<int>{2});
    ASSERT_EQ(fake.calls().size(), 1u);
    EXPECT_EQ(fake.calls()[0].value, 4.0);
    EXPECT_EQ(fake.calls()[0].valueLine, "4");

    gSeen.clear();
    gStage3End = RuleEnd::kStop;
    fake.edit(kFilterEnvMode + 2, 5);
    EXPECT_EQ(gSeen, (std::vector<std::string>{"1:4", "3:5"}));
    EXPECT_EQ(fake.calls().size(), 1u);

    gSeen.clear();
    gStage1End = RuleEnd::kStop;
    fake.edit(kFilterEnvMode + 2, 6);
    EXPECT_EQ(gSeen, std::vector<std::string>{"1:5"});
    EXPECT_EQ(fake.valueText(), "5");
    EXPECT_EQ(fake.calls().size(), 1u);
}

TEST(ParamDispatch, WithoutEditorTheRulesAndTheTailStillRun) {
    FakeParamChangePlugin fake(false, recordingRules());
    fake.addAction(kAmpEnvMode + 15);
    fake.edit(kAmpEnvMode + 15, 3);
    EXPECT_EQ(gSeen, (std::vector<std::string>{"1:", "3:"}));
    EXPECT_EQ(fake.calls().size(), 1u);
    EXPECT_EQ(fake.nameText(), "");
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
    EXPECT_EQ(fake.calls().size(), 3u);
}

TEST(ParamDispatch, APostIntoABusyWorkerMakesNoSideEffect) {
    FakeParamChangePlugin fake;
    fake.soundRequestActiveFlag = true;
    fake.dumpWorkerBusy = true;
    auto args = [](SenderJob& job) {
        job.part = 3;
        job.patchFlag = true;
    };
    EXPECT_FALSE(
        postSenderJob(&fake, SenderJob::kSendPartRequestSysex, JobKind::kRequest, args, true));
    EXPECT_FALSE(fake.dumpAwaitedFlag);
    EXPECT_TRUE(fake.soundRequestActiveFlag);
    EXPECT_TRUE(fake.librarianRequests.empty());
    EXPECT_TRUE(fake.jobs.empty());

    fake.dumpWorkerBusy = false;
    EXPECT_TRUE(
        postSenderJob(&fake, SenderJob::kSendPartRequestSysex, JobKind::kRequest, args, true));
    EXPECT_TRUE(fake.dumpAwaitedFlag);
    EXPECT_FALSE(fake.soundRequestActiveFlag);
    EXPECT_EQ(fake.librarianRequests, std::vector<bool>{false});
    ASSERT_EQ(fake.jobs.size(), 1u);
    EXPECT_EQ(fake.jobs[0].command, SenderJob::kSendPartRequestSysex);
    EXPECT_EQ(fake.jobs[0].job.part, 3);
    EXPECT_TRUE(fake.jobs[0].job.patchFlag);

    EXPECT_TRUE(
        postSenderJob(&fake, SenderJob::kSendPartToDevice, JobKind::kDump, [](SenderJob&) {}));
    EXPECT_EQ(fake.librarianRequests.size(), 1u);
}
