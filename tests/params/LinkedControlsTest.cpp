#include "src/params/LinkManager.h"
#include "tests/support/FakeParamChangePlugin.h"
#include "tests/support/TestControl.h"

#include <gtest/gtest.h>

using testsupport::FakeParamChangePlugin;

TEST(LinkedControls, FilterPartnerFollowsAtTheDistanceStoredWhileUnlinked) {
    const struct {
        int part;
        int unlinked1, unlinked2; // values while the switch was off; -1: never off
        int partner, edit;
        double sent;
    } rows[] = {
        {3, 70, 50, 50, 80, 60.0}, {0, 40, 90, 90, 85, 127.0}, {0, 40, 90, 90, 100, 50.0},
        {15, 40, 90, 10, 20, 0.0}, {0, -1, -1, 64, 65, 64.0},  {0, -1, -1, 66, 66, 66.0},
    };
    for (const auto& row : rows) {
        FakeParamChangePlugin fake;
        const int f1 = kFilter1Cutoff + row.part, f2 = kFilter2Cutoff + row.part;
        auto* control = new testsupport::TestControl(&fake, IRECT(0, 0, 10, 10), f2);
        fake.GetGUI()->AttachControl(control);
        fake.addAction(f1);
        fake.addAction(f2)->controls.push_back(control);
        if (row.unlinked1 >= 0) {
            fake.setValue(f2, row.unlinked2);
            fake.edit(f1, row.unlinked1);
        }
        fake.setValue(kFilterLinkSwitch + row.part, 1.0);
        fake.setValue(f1, row.edit - 1);
        fake.setValue(f2, row.partner);
        fake.settingFromDeviceFlag = true;
        fake.edit(f1, row.edit);

        const auto call = fake.calls().back();
        EXPECT_EQ(call.idx, f2);
        EXPECT_EQ(call.value, row.sent) << row.edit;
        EXPECT_TRUE(call.linkApplying);
        EXPECT_FALSE(call.fromDevice);
        EXPECT_TRUE(fake.settingFromDeviceFlag);
        EXPECT_FALSE(fake.linkApplyingFlag);
        EXPECT_DOUBLE_EQ(control->GetValue(), row.sent / 127.0);
        EXPECT_EQ(fake.valueText(), std::to_string(row.edit)); // the partner shows nothing
    }
}

TEST(LinkedControls, BlocksWithoutFilterLinkAndSwitchedOffLinksMoveNothing) {
    FakeParamChangePlugin fake;
    fake.setValue(kFilterLinkSwitch + 1, 1.0);
    for (int id : {kFilter1TypeQ + 1, kFilterRoutingQ + 1, kFilter2TypeQPlus + 1}) {
        fake.addAction(id);
        fake.addAction(id + 208);
        fake.addAction(id - 208);
        fake.edit(id, 3);
    }
    EXPECT_EQ(fake.calls().size(), 3u);

    // A layout link moves its partner while its switch is anything but 0.0.
    fake.addAction(5000)->link = {5001, 6000, -1};
    fake.addAction(5001);
    fake.edit(5000, 10);
    EXPECT_EQ(fake.calls().size(), 4u);
    fake.setValue(6000, 0.5);
    fake.edit(5000, 11);
    ASSERT_EQ(fake.calls().size(), 6u);
    EXPECT_EQ(fake.calls()[5].idx, 5001);
    EXPECT_EQ(fake.calls()[5].value, 10.0);
}

TEST(OnParamChange2, TheValueIsNotSentBackItsPartnerIs) {
    FakeParamChangePlugin fake;
    fake.addAction(kFilter1Cutoff);
    fake.addAction(kFilter2Cutoff);
    fake.setValue(kFilterLinkSwitch, 1.0);
    fake.dumpAwaitedFlag = true;
    fake.editFromDevice(kFilter1Cutoff, 90);
    const auto calls = fake.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_TRUE(calls[0].hardwareChange);
    EXPECT_EQ(calls[1].idx, kFilter2Cutoff);
    EXPECT_FALSE(calls[1].hardwareChange);
    EXPECT_EQ(fake.valueText(), "90");
    EXPECT_FALSE(fake.hardwareChangeFlag);
    EXPECT_FALSE(fake.dumpAwaitedFlag);

    // While a link is applied only the display and the page switcher follow.
    ControlLayer switcher(0, "switcher");
    switcher.addChild(new ControlLayer(7, "page"));
    fake.addAction(kOscillator1FMAmount)->switchLayer = &switcher;
    fake.linkApplyingFlag = true;
    fake.editFromDevice(kOscillator1FMAmount, 7);
    EXPECT_TRUE(switcher.getChildren().Get(0)->isVisible());
    EXPECT_EQ(fake.calls().size(), 2u);
    EXPECT_EQ(fake.valueText(), "7");
}

TEST(OnParamChange2, QuickTabRefreshEndsTheAwaitedDumpAndOnlySelectedPartsShowInPlay) {
    FakeParamChangePlugin fake;
    fake.displayValueLine()->SetTextFromPlug("before");
    fake.dumpAwaitedFlag = true;
    fake.OnParamChange2(kQuickTab); // no action, and never displayed
    EXPECT_FALSE(fake.dumpAwaitedFlag);
    EXPECT_FALSE(fake.hardwareChangeFlag);
    EXPECT_EQ(fake.valueText(), "before");

    fake.hostPlayingFlag = true;
    fake.selectedPartValue = 4;
    fake.editFromDevice(kFilter1Resonance + 3, 9);
    EXPECT_EQ(fake.nameText(), "");
    fake.editFromDevice(kFilter1Resonance + 4, 9);
    EXPECT_EQ(fake.nameText(), "[5] kFilter1Resonance");
}
