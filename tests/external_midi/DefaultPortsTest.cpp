// The default MIDI output chosen from the editor's device list, on a real MIDI system.

#include "tests/external_midi/ExternalMIDIFixture.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/FakeParamChangePlugin.h"
#include "tests/support/TickingClock.h"

#include <algorithm>

namespace {

TEST_F(ExternalMIDI, DefaultOutputOpensByListIndexAndEntryZeroClosesItEndsTheClockAndIsKept) {
    auto receiver = peer("receive", "o", "in\xC3\xA9");
    testsupport::TempFolder folder;
    testsupport::FakeParamChangePlugin fake(false);
    fake.settingsPath = folder.path() + "/Zoz Editor UI.txt";
    const std::string before = "yellow\nnormal\nyes\nOld\nIn";
    testsupport::writeFile(fake.settingsPath, {before.begin(), before.end()});
    fake.heldSettings = SettingsFile::read(fake.settingsPath);
    auto file = [&] {
        const auto bytes = testsupport::readFile(fake.settingsPath);
        return std::string(bytes.begin(), bytes.end());
    };
    // The device list as the editor's menu holds it.
    const std::vector<std::string>& names = fake.getExternalMIDIOutNames();
    IParam* out = fake.GetParam(kDeviceOutSelection);
    out->InitInt("Device Selection", 0, 0, int(names.size()) - 1);
    for (size_t i = 0; i < names.size(); ++i)
        out->SetDisplayText(int(i), names[i].c_str());
    const std::string port = portOf("o", "in\xC3\xA9");
    const int entry = int(std::find(names.begin(), names.end(), port) - names.begin());
    ASSERT_LT(entry, int(names.size()));

    fake.edit(kDeviceOutSelection, entry);
    EXPECT_TRUE(fake.midiPortsSet);
    EXPECT_EQ(fake.coreCalls, std::vector<std::string>{"sysexInit"});
    EXPECT_EQ(file(), "yellow\nnormal\nyes\n" + port + "\nIn");
    ASSERT_TRUE(outputRouted(fake, *receiver));
    fake.edit(kGlobalSysExID, 5);
    EXPECT_EQ(received(*receiver, 1), std::vector<std::string>{"msg F0 3E 0F 05 24 00 19 05 F7"});

    testsupport::TickingClock clock;
    ASSERT_TRUE(clock.ticking);
    fake.manager = &clock.manager;
    fake.edit(kDeviceOutSelection, 0);
    EXPECT_TRUE(clock.ended());
    EXPECT_FALSE(fake.midiPortsSet);
    EXPECT_FALSE(fake.SendMidiSysex2({0xFE}));
    EXPECT_EQ(file(), "yellow\nnormal\nyes\n\nIn"); // no port at the next start either
    EXPECT_EQ(fake.nameText(), "No default MIDI output set.");
}

} // namespace
