#include "tests/support/FakeParamChangePlugin.h"

#include <gtest/gtest.h>

using testsupport::FakeParamChangePlugin;
using Bytes = std::vector<unsigned char>;

TEST(PartStatusRules, StatusAndEngineMirrorEachOtherUndispatchedAndEachSendsItsByte) {
    const struct {
        int id, value, mirror;
        double before, after; // of the mirror
        const char* sent;
    } rows[] = {
        {kEngine + 4, 2, kMultiPartStatus + 4, 0.0, 1.0, "channelStatus 4 1"},
        {kEngine + 4, 3, kMultiPartStatus + 4, 1.0, 0.0, "channelStatus 4 1"},
        {kMultiPartStatus, 1, kEngine, 1.0, 0.0, "channelStatus 0 1"},
        {kMultiPartStatus + 15, 0, kEngine + 15, 0.0, 1.0, "channelStatus 15 1"},
        {kPartProgramChange + 15, 1, kMIDIRX + 15, 0.0, 0.0, "channelStatus 15 0"},
    };
    for (bool editor : {true, false}) {
        for (const auto& row : rows) {
            FakeParamChangePlugin fake(editor);
            fake.addAction(row.id);
            fake.addAction(row.mirror);
            fake.setValue(row.id, row.value == 0);
            fake.setValue(row.mirror, row.before);
            fake.edit(row.id, row.value);
            EXPECT_EQ(fake.value(row.mirror), row.after) << row.id;
            EXPECT_EQ(fake.coreCalls, std::vector<std::string>{row.sent}) << row.id;
            EXPECT_EQ(fake.calls().size(), 1u);
        }
    }
}

TEST(PartStatusRules, LibraryControlSwitchesProgramControlOffAndPagesFollow) {
    FakeParamChangePlugin fake;
    auto* progBank = new testsupport::TestControl(&fake, IRECT(), kControlProgBank);
    fake.GetGUI()->AttachControl(progBank);
    fake.addAction(kControlProgBank);
    fake.setValue(kControlProgBank, 1);
    fake.programBankControl = true;
    fake.edit(kControlLibrary, 1);
    EXPECT_TRUE(fake.value(kControlProgBank) == 0.0 && progBank->GetValue() == 0.0);
    EXPECT_TRUE(fake.calls().empty());
    EXPECT_TRUE(fake.libraryControlFlagValue && !fake.programBankControl);
    EXPECT_EQ(fake.coreCalls, std::vector<std::string>{"bankAndProgramMenus 0"});

    ControlLayer page16(0, "multiSettingsPart16");
    fake.layers[page16.getName()] = &page16;
    fake.edit(kMultiPartSettings + 15, 1);
    EXPECT_TRUE(page16.isVisible());
    fake.edit(kMultiPartSettings + 15, 0);
    EXPECT_FALSE(page16.isVisible());
}

TEST(PartStatusRules, DeviceIdIsBoundedAndAnnouncedOnlyWhilePortsAreSet) {
    FakeParamChangePlugin fake;
    fake.GetParam(kGlobalSysExID)->InitInt("id", 0, -5, 300);
    fake.midiPortsSet = true;
    fake.edit(kGlobalSysExID, 5);
    fake.edit(kFilterLinkSwitch, 1);
    fake.edit(kGlobalSysExID, 300);
    ASSERT_EQ(fake.sentSysex.size(), 3u);
    EXPECT_EQ(fake.sentSysex[0], (Bytes{0xF0, 0x3E, 0x0F, 0x05, 0x24, 0x00, 0x19, 0x05, 0xF7}));
    EXPECT_EQ(fake.sentSysex[1][3], 0x05);
    EXPECT_EQ(fake.sentSysex[2], (Bytes{0xF0, 0x3E, 0x0F, 0x7F, 0x24, 0x00, 0x19, 0x7F, 0xF7}));
    fake.midiPortsSet = false;
    fake.edit(kGlobalSysExID, -5);
    EXPECT_EQ(fake.sentSysex.size(), 3u);
    EXPECT_TRUE(fake.deviceId == 0 && fake.value(kDeviceID_old) == 0.0);
}
