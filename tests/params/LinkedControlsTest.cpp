#include "src/params/LinkManager.h"
#include "tests/support/FakeParamChangePlugin.h"
#include "tests/support/TestControl.h"

#include <gtest/gtest.h>

using testsupport::FakeParamChangePlugin;

namespace {

// The two cutoffs of one part, each with its action, and the part's link switch.
struct CutoffPair {
    explicit CutoffPair(int part)
        : f1(kFilter1Cutoff + part), f2(kFilter2Cutoff + part), link(kFilterLinkSwitch + part) {
        fake.addAction(f1);
        fake.addAction(f2);
    }
    // Keeps the distance f2 − f1 while the switch is off, then switches it on.
    void linkAt(int v1, int v2) {
        fake.setValue(link, 0.0);
        fake.setValue(f2, v2);
        fake.edit(f1, v1);
        fake.setValue(link, 1.0);
    }
    // The value sent to the partner by an edit of f1.
    double partnerSentFor(int v1) {
        const size_t before = fake.calls().size();
        fake.edit(f1, v1);
        const auto calls = fake.calls();
        EXPECT_EQ(calls.size(), before + 2);
        EXPECT_EQ(calls.back().idx, f2);
        return calls.back().value;
    }

    FakeParamChangePlugin fake;
    const int f1, f2, link;
};

} // namespace

TEST(LinkedControls, FilterPartnerKeepsTheDistanceStoredWhileUnlinked) {
    CutoffPair part3(3);
    part3.linkAt(70, 50);
    EXPECT_EQ(part3.partnerSentFor(80), 60.0);
    EXPECT_EQ(part3.fake.value(part3.f2), 60.0);

    CutoffPair above(0);
    above.linkAt(40, 90);
    EXPECT_EQ(above.partnerSentFor(85), 127.0);
    above.fake.setValue(above.f2, 90);
    EXPECT_EQ(above.partnerSentFor(100), 50.0); // the partner now stands below

    CutoffPair low(15);
    low.linkAt(40, 90);
    low.fake.setValue(low.f2, 10);
    EXPECT_EQ(low.partnerSentFor(20), 0.0);
}

TEST(LinkedControls, NeverStoredDistanceIsOneAndAnEqualPartnerGetsTheValue) {
    CutoffPair pair(0);
    pair.fake.setValue(pair.link, 1.0);
    pair.fake.setValue(pair.f1, 64);
    pair.fake.setValue(pair.f2, 64);
    EXPECT_EQ(pair.partnerSentFor(65), 64.0);
    pair.fake.setValue(pair.f2, 66);
    EXPECT_EQ(pair.partnerSentFor(66), 66.0);
}

TEST(LinkedControls, BlocksWithoutFilterLinkAndSwitchedOffLinksMoveNothing) {
    FakeParamChangePlugin fake;
    for (int id : {kFilter1TypeQ + 1, kFilterRoutingQ + 1, kFilter2TypeQPlus + 1}) {
        fake.addAction(id);
        fake.addAction(id + 208);
        fake.addAction(id - 208);
    }
    fake.setValue(kFilterLinkSwitch + 1, 1.0);
    for (int id : {kFilter1TypeQ + 1, kFilterRoutingQ + 1, kFilter2TypeQPlus + 1})
        fake.edit(id, 3);
    EXPECT_EQ(fake.calls().size(), 3u);

    // A layout link moves its partner while its switch is anything but 0.0.
    ControlAction* action = fake.addAction(5000);
    action->link = {5001, 6000, -1};
    fake.addAction(5001);
    fake.edit(5000, 10);
    EXPECT_EQ(fake.calls().size(), 4u);
    fake.setValue(6000, 0.5);
    fake.edit(5000, 11);
    ASSERT_EQ(fake.calls().size(), 6u);
    EXPECT_EQ(fake.calls()[5].idx, 5001);
    EXPECT_EQ(fake.calls()[5].value, 10.0); // partner at 0 below 11, distance 1
}

TEST(LinkedControls, PartnerControlsFollowWithoutDisplayAndTheDeviceFlagIsRestored) {
    CutoffPair pair(2);
    auto* control = new testsupport::TestControl(&pair.fake, IRECT(0, 0, 10, 10), pair.f2);
    pair.fake.addAction(pair.f2)->controls.push_back(control);
    pair.fake.GetGUI()->AttachControl(control);
    pair.linkAt(20, 30);
    pair.fake.settingFromDeviceFlag = true;
    EXPECT_EQ(pair.partnerSentFor(50), 40.0);
    EXPECT_FALSE(pair.fake.calls().back().fromDevice);
    EXPECT_TRUE(pair.fake.settingFromDeviceFlag);
    EXPECT_FALSE(pair.fake.linkApplyingFlag);
    EXPECT_DOUBLE_EQ(control->GetValue(), 40.0 / 127.0);
    EXPECT_EQ(pair.fake.nameText(), "[3] kFilter1Cutoff");
    EXPECT_EQ(pair.fake.valueText(), "50");
}

TEST(OnParamChange2, TheValueIsNotSentBackItsPartnerIs) {
    CutoffPair pair(0);
    pair.fake.setValue(pair.link, 1.0);
    pair.fake.dumpAwaitedFlag = true;
    pair.fake.editFromDevice(pair.f1, 90);
    const auto calls = pair.fake.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].idx, pair.f1);
    EXPECT_TRUE(calls[0].hardwareChange);
    EXPECT_EQ(calls[1].idx, pair.f2);
    EXPECT_FALSE(calls[1].hardwareChange);
    EXPECT_TRUE(calls[1].linkApplying);
    EXPECT_EQ(pair.fake.valueText(), "90");
    EXPECT_FALSE(pair.fake.hardwareChangeFlag);
    EXPECT_FALSE(pair.fake.dumpAwaitedFlag);
}

TEST(OnParamChange2, WhileALinkIsAppliedOnlyDisplayAndPageSwitch) {
    FakeParamChangePlugin fake;
    ControlLayer switcher(0, "switcher");
    switcher.addChild(new ControlLayer(7, "page"));
    fake.addAction(kOscillator1FMAmount)->switchLayer = &switcher;
    fake.linkApplyingFlag = true;
    fake.editFromDevice(kOscillator1FMAmount, 7);
    EXPECT_TRUE(switcher.getChildren().Get(0)->isVisible());
    EXPECT_TRUE(fake.calls().empty());
    EXPECT_EQ(fake.valueText(), "7");
}

TEST(OnParamChange2, QuickTabRefreshWithoutActionEndsTheAwaitedDump) {
    FakeParamChangePlugin fake;
    fake.displayValueLine()->SetTextFromPlug("before");
    fake.dumpAwaitedFlag = true;
    fake.OnParamChange2(kQuickTab);
    EXPECT_FALSE(fake.dumpAwaitedFlag);
    EXPECT_FALSE(fake.hardwareChangeFlag);
    EXPECT_TRUE(fake.calls().empty());
    EXPECT_EQ(fake.valueText(), "before"); // the quick tab is never displayed
}

TEST(OnParamChange2, WhileTheHostPlaysOnlyTheSelectedPartIsShown) {
    FakeParamChangePlugin fake;
    fake.hostPlayingFlag = true;
    fake.selectedPartValue = 4;
    fake.editFromDevice(kFilter1Resonance + 3, 9);
    EXPECT_EQ(fake.nameText(), "");
    fake.editFromDevice(kFilter1Resonance + 4, 9);
    EXPECT_EQ(fake.nameText(), "[5] kFilter1Resonance");
}
