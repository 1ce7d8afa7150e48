#include "src/params/TabSwitchFunctions.h"
#include "tests/support/EditorLayerTree.h"

#include <gtest/gtest.h>

using testsupport::EditorLayerTree;
using testsupport::FakeParamChangePlugin;
using Bytes = std::vector<unsigned char>;

TEST(TriggerButtons, EachPressTogglesItsSettingAndAReleaseDoesNothing) {
    // Trigger and toggled setting, the ids of part 1.
    const int rows[][2] = {
        {18466, 3313}, {18434, 4753}, {18450, 3217}, {18418, 4657}, {18338, 3409},
        {18354, 3441}, {18322, 3329}, {18386, 4849}, {18402, 4881}, {18370, 4769},
        {18690, 1793}, {18706, 1809}, {18482, 288},  {18610, 7137}, {18498, 448},
        {18626, 7393}, {18642, 7409}, {18658, 7425}, {18674, 7441}, {18562, 7633},
        {18578, 7697}, {18594, 7761}, {18514, 1456}, {18530, 1520}, {18546, 1584},
    };
    FakeParamChangePlugin fake;
    for (int i = 0; i < 25; ++i) {
        const int part = i % 16, trigger = rows[i][0] + part, toggled = rows[i][1] + part;
        const bool envelope = toggled >= kFilterEnvTrigger && toggled <= kEnv4Trigger + 15;
        const double from = i % 2 ? 1.0 : 0.5;
        fake.setValue(toggled, from);
        fake.addAction(toggled);
        const size_t calls = fake.calls().size(), jobs = fake.jobs.size();
        fake.edit(trigger, 1);
        EXPECT_EQ(fake.value(toggled), from == 1.0 ? 0.0 : 1.0) << trigger;
        EXPECT_EQ(fake.calls().size() - calls, envelope ? 0u : 1u) << trigger;
        EXPECT_EQ(fake.jobs.size() - jobs, envelope ? 1u : 0u) << trigger;
        fake.edit(trigger, 0);
        EXPECT_EQ(fake.value(toggled), from == 1.0 ? 0.0 : 1.0);
        EXPECT_EQ(fake.calls().size() - calls, envelope ? 0u : 1u) << trigger;
        EXPECT_EQ(fake.jobs.size() - jobs, envelope ? 1u : 0u) << trigger;
    }
}

TEST(TriggerButtons, ClockedDelaysAndLfoClocksSwitchTheirPages) {
    const struct {
        int trigger, mainTab;
        const char* zones;
        int tab;
    } rows[] = {
        // The clocking view of the effects page, shown only while the effects tab is chosen.
        {kTriggerFX1DelayClocked + 1, 5, "20 40 / 40 ", -1},
        {kTriggerFX1DelayClocked + 1, 4, "/ ", -1},
        // The second delay switches to the effects page of the selected part.
        {kTriggerFX2DelayClocked + 1, 4, "10 22 31 42 50 304 / 40 ", 5},
        {kTriggerLFO2Clock + 1, 4, "10 20 30 / ", 4},
    };
    for (const auto& row : rows) {
        FakeParamChangePlugin fake;
        EditorLayerTree tree(fake);
        fake.layers["effectsArp"]->setSelectedId(1);
        fake.selectedPartValue = 1;
        fake.setValue(kQuickTab, 1);
        fake.setValue(kMainTab, row.mainTab);
        if (row.tab == 4) TabSwitchFunctions::mainTabSwitch(&fake, kMainTab, 4, 0, 1);
        for (int id : {kFX1DelayClocked + 1, kLFO2Clock + 1, kEffect2Mode + 1})
            fake.setValue(id, id == kEffect2Mode + 1 ? 4 : 1);
        auto* control = new testsupport::TestControl(&fake, IRECT(), kLFO2Clock + 1);
        fake.GetGUI()->AttachControl(control);

        fake.edit(row.trigger, 1);
        EXPECT_EQ(tree.zones(row.tab < 0 ? 5 : row.tab, 1), row.zones) << row.trigger;
        EXPECT_EQ(fake.layers["root"]->getSelectedId(), row.tab < 0 ? 0 : row.tab);
        if (row.trigger == kTriggerLFO2Clock + 1) {
            EXPECT_EQ(fake.value(kLFO2Clock + 1), 0.0);
            EXPECT_EQ(control->GetValue(), 0.0);
            EXPECT_EQ(fake.nameText(), "[2] kLFO2Clock");
        }
    }
}

TEST(TriggerButtons, FilterLinkButtonSwitchesTheLinkAndSendsTheSelectedPartsState) {
    FakeParamChangePlugin fake;
    fake.deviceId = 0x91;
    fake.selectedPartValue = 2;
    fake.setValue(kFilterLinkSwitch + 2, 1);
    fake.edit(kFilterLinkTrigger + 2, 1);
    EXPECT_EQ(fake.value(kFilterLinkValue + 2), 1.0);
    EXPECT_EQ(fake.getFilterLinkMode(2), 1);
    EXPECT_EQ(fake.value(kFilterLinkSwitch + 2), 0.0);
    fake.edit(kFilterLinkTrigger + 2, 0);
    fake.edit(kFilterLinkTrigger + 2, 1);
    EXPECT_EQ(fake.value(kFilterLinkValue + 2), 3.0);
    EXPECT_EQ(fake.getFilterLinkMode(2), 3);
    EXPECT_EQ(fake.value(kFilterLinkSwitch + 2), 1.0);
    // Unlinking part 3 while part 6 is shown sends part 6's mode.
    fake.selectedPartValue = 5;
    fake.setFilterLinkMode(5, 3);
    fake.edit(kFilterLinkTrigger + 2, 0);
    fake.edit(kFilterLinkTrigger + 2, 1);
    EXPECT_EQ(fake.sentSysex, (std::vector<Bytes>{
                                  {0xF0, 0x3E, 0x0F, 0x11, 0x20, 0x02, 0x00, 0x76, 0x01, 0xF7},
                                  {0xF0, 0x3E, 0x0F, 0x11, 0x20, 0x02, 0x00, 0x76, 0x03, 0xF7},
                                  {0xF0, 0x3E, 0x0F, 0x11, 0x20, 0x05, 0x00, 0x76, 0x03, 0xF7},
                              }));
}

TEST(TriggerButtons, EditorTogglesSetTheirFlagsToTheStateToCome) {
    FakeParamChangePlugin fake;
    auto* bankControl = new testsupport::TestControl(&fake, IRECT(), kControlProgBank);
    fake.GetGUI()->AttachControl(bankControl);
    fake.setValue(kGlobalLocalControl, 1);
    fake.edit(kTriggerLibControl, 1);
    EXPECT_TRUE(fake.libraryControlFlagValue);
    EXPECT_EQ(fake.value(kControlLibrary), 1.0);
    fake.edit(kTriggerGlobalLocalKBDControl, 1);
    fake.edit(kTriggerGlobalArpMidiOut, 1);
    fake.edit(kTriggerProgControl, 1);
    EXPECT_EQ(fake.value(kControlLibrary), 0.0); // program control takes over
    EXPECT_FALSE(fake.localKeyboardFlagValue);
    EXPECT_EQ(fake.value(kGlobalLocalControl), 0.0);
    EXPECT_EQ(fake.value(kGlobalArpSend), 1.0);
    EXPECT_EQ(fake.value(kControlProgBank), 1.0);
    EXPECT_EQ(bankControl->GetValue(), 1.0); // shown as a normalized value

    fake.edit(kKeepSelectedBank, 1);
    EXPECT_TRUE(fake.keepSelectedBankFlagValue);
    fake.edit(kKeepSelectedBank, 0);
    EXPECT_FALSE(fake.keepSelectedBankFlagValue);
    EXPECT_EQ(fake.nameText(), "kKeepSelectedBank");
}
