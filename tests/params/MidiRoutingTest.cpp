#include "tests/support/FakeParamChangePlugin.h"
#include "tests/support/TickingClock.h"

#include <gtest/gtest.h>

using testsupport::FakeParamChangePlugin;

TEST(MidiRoutingSwitches, PassThroughOnlyAtExactlyOneAndFlagsFollowTheirSwitch) {
    FakeParamChangePlugin fake;
    struct Switch {
        int id;
        std::atomic<bool>* flag;
        bool setAtOne; // else set at every other value
    };
    std::vector<Switch> switches = {{kMasterKeyboard, &fake.masterKeyboard, true},
                                    {kGlobalLocalControl, &fake.localKeyboardFlagValue, true},
                                    {kMIDIFilterTrackIncomingMIDI, &fake.trackIncoming, true},
                                    {kSendMIDIClockPointer, &fake.clockPointer, true}};
    for (int id = kMIDIFilterDAWCCPassThrough; id <= kMIDIFilterHWSEPassThrough; ++id)
        switches.push_back({id, &fake.midiDropFlag(id), false});
    for (const Switch& s : switches) {
        fake.addAction(s.id);
        for (int value : {1, 2, 0, 1}) {
            fake.edit(s.id, value);
            EXPECT_EQ(*s.flag, (value == 1) == s.setAtOne) << s.id << " at " << value;
        }
    }
    EXPECT_EQ(fake.calls().size(), 4 * switches.size());
}

TEST(MidiRoutingSwitches, DirectAndBufferOnlySwitchTheOtherOff) {
    FakeParamChangePlugin fake;
    auto* buffer = new testsupport::TestControl(&fake, IRECT(), kMIDIFilterToDAWBuffer);
    fake.GetGUI()->AttachControl(buffer);
    fake.setValue(kMIDIFilterToDAWBuffer, 1);
    fake.queueRouting = true;
    fake.edit(kMIDIFilterDirectToHardware, 1);
    fake.edit(kMIDIFilterDirectToHardware, 0);
    EXPECT_TRUE(fake.value(kMIDIFilterToDAWBuffer) == 0.0 && buffer->GetValue() == 0.0);
    EXPECT_FALSE(fake.queueRouting);
    fake.edit(kMIDIFilterToDAWBuffer, 1);
    fake.edit(kMIDIFilterToDAWBuffer, 2);
    EXPECT_TRUE(fake.value(kMIDIFilterDirectToHardware) == 0.0 && fake.queueRouting);
}

TEST(MidiRoutingSwitches, ClockFollowsTheHostTempoAndEndsAtZero) {
    FakeParamChangePlugin fake;
    testsupport::TickingClock clock;
    ASSERT_TRUE(clock.ticking);
    fake.manager = &clock.manager;
    fake.hostTempo = 133.9;
    ControlLayer tempoPages(0, "tempo");
    fake.addAction(kTempoInformation)->switchLayer = &tempoPages;
    fake.clockStarted = true;
    fake.edit(kSendMIDIClockInfo, 1);
    EXPECT_TRUE(fake.cachedTempoValue == 133 && tempoPages.getSelectedId() == 133);
    EXPECT_TRUE(fake.clockTickFlag && !fake.clockStarted);

    fake.clockStarted = true;
    fake.edit(kSendMIDIClockInfo, 0);
    EXPECT_TRUE(clock.ended());
    EXPECT_FALSE(fake.clockTickFlag || fake.clockStarted);
    EXPECT_EQ(fake.coreCalls, (std::vector<std::string>{"resetClock 0", "resetClock 1"}));

    fake.SetBlockSize(256);
    fake.edit(kAdjustDAWOffset, 5);
    EXPECT_EQ(fake.dawOffsetValue, 266);
}
