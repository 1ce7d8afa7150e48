#include "tests/incoming/ParamChangeRig.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string kRefresh = "reduced change " + std::to_string(kQuickTab);

TEST(ShortMidi, FilterPerTypeAndSide) {
    const struct {
        uint8_t status;
        int fromSynthesizer, fromHost;
    } types[] = {
        {0x81, kMIDIFilterHWNotePassThrough, kMIDIFilterDAWNotePassThrough},
        {0x91, kMIDIFilterHWNotePassThrough, kMIDIFilterDAWNotePassThrough},
        {0xA1, kMIDIFilterHWPAPassThrough, kMIDIFilterDAWPAPassThrough},
        {0xB1, kMIDIFilterHWCCPassThrough, kMIDIFilterDAWCCPassThrough},
        {0xC1, kMIDIFilterHWPCPassThrough, kMIDIFilterDAWPCPassThrough},
        {0xD1, kMIDIFilterHWCAPassThrough, kMIDIFilterDAWCAPassThrough},
        {0xE1, kMIDIFilterHWPPPassThrough, kMIDIFilterDAWPPPassThrough},
    };
    for (const auto& t : types)
        for (bool fromHost : {false, true})
            for (bool blocked : {false, true}) {
                ParamChangeRig r;
                r.set(kMIDIFilterTrackIncomingMIDI, 1);
                r.set(kMultiPartMIDICh + 3, 3);
                // The other side's switch blocks nothing here.
                r.plugin.blockMIDIFilter(fromHost != blocked ? t.fromSynthesizer : t.fromHost);
                r.shortMessage(fromHost, t.status, 5, 6);
                EXPECT_EQ(r.plugin.routed().size(), blocked ? 0u : 1u) << std::hex << int(t.status);
                EXPECT_EQ(r.plugin.callCount("led 3"), blocked ? 0u : 1u);
            }
}

TEST(ShortMidi, BankSelects) {
    ParamChangeRig r;
    r.set(kMIDIFilterTrackIncomingMIDI, 1);
    r.set(kMultiPartMIDICh + 1, 3);
    r.set(kMultiPartMIDICh + 5, 4);
    r.set(kMultiPartMIDICh + 7, 4);
    r.shortMessage(false, 0xB2, 0, 0);
    r.shortMessage(false, 0xB2, 32, 65);
    EXPECT_THAT(r.plugin.routed(), IsEmpty());
    EXPECT_THAT(r.plugin.calls(), IsEmpty());
    EXPECT_EQ(r.value(kMultiPartBank + 2), 0);

    r.shortMessage(false, 0xB2, 32, 65);
    EXPECT_EQ(r.plugin.getStoredBank(2), 1);
    EXPECT_EQ(r.value(kMultiPartBank + 2), 1);
    EXPECT_EQ(r.value(kCurrentBank + 2), 1);
    EXPECT_THAT(r.plugin.calls(), ElementsAre("led 5"));
    EXPECT_EQ(r.plugin.routed().size(), 1u);

    // The host's bank selects are swallowed whatever came before.
    for (uint8_t cc : {32, 0})
        r.shortMessage(true, 0xB2, cc, cc ? 72 : 0);
    EXPECT_EQ(r.plugin.routed().size(), 1u);
    EXPECT_EQ(r.value(kMultiPartBank + 2), 1);
}

TEST(ShortMidi, ControlChangeValues) {
    const struct {
        int model;
        uint8_t cc, value;
        int id;
        double expected;
        bool refresh;
    } cases[] = {
        {0, 27, 64, kOscillator1Octave + 1, 64, false}, // (64 - 16) / 12 = 4, 4 / 8
        {0, 28, 64, kOscillator1Semitone + 1, 64, false},
        {0, 31, 100, kFilter1Cutoff + 1, 100, true},
        {0, 70, 3, kFilter1TypeQ + 1, 3, false},
        {1, 70, 4, kFilter1TypeQPlus + 1, 4, false},
    };
    for (const auto& c : cases) {
        ParamChangeRig r;
        r.plugin.model = c.model;
        r.shortMessage(false, 0xB1, c.cc, c.value);
        EXPECT_EQ(r.value(c.id), c.expected) << int(c.cc);
        EXPECT_EQ(r.plugin.callCount(kRefresh), c.refresh ? 1u : 0u);
    }
    // The routing pair switches from the synthesizer; the host moves the control alone.
    ParamChangeRig r;
    r.set(kFilterRoutingSwitchB + 1, 1);
    r.shortMessage(false, 0xB1, 77, 5);
    EXPECT_EQ(r.value(kFilterRoutingSwitchA + 1), 1);
    EXPECT_EQ(r.value(kFilterRoutingSwitchB + 1), 0);
    EXPECT_EQ(r.plugin.callCount("change " + std::to_string(kFilterRoutingSwitchA + 1)), 1u);
    r.shortMessage(true, 0xB1, 77, 127);
    EXPECT_EQ(r.value(kFilterRoutingSwitchB + 1), 1);
}

TEST(ShortMidi, ProgramChanges) {
    ParamChangeRig r;
    r.set(kMultiPartMIDICh + 2, 2);
    r.shortMessage(false, 0xC0, 120);
    EXPECT_EQ(r.value(kMultiPartPatch + 2), 100);
    EXPECT_EQ(r.plugin.getStoredProgram(2), 120);
    EXPECT_EQ(r.plugin.viewUpperSlot, -1); // no slot 100
    EXPECT_THAT(r.plugin.calls(), ElementsAre("all sounds off 2", "bank change 2"));
    r.shortMessage(true, 0xC0, 99);
    EXPECT_EQ(r.value(kMultiPartPatch), 99);
    EXPECT_EQ(r.plugin.viewUpperSlot, 99);
    EXPECT_EQ(r.librarian.upperSlotIndex, 99);

    // A locked part changes nothing and leaves the gate where it was.
    r.set(kPartLock, 1);
    r.manager.lastProgramChangeTick = 7;
    r.plugin.librarianControl = true;
    r.shortMessage(true, 0xC0, 5);
    EXPECT_EQ(r.manager.lastProgramChangeTick, 7u);
    EXPECT_EQ(r.plugin.calls().size(), 4u);
    r.set(kPartLock, 0);
    r.shortMessage(true, 0xC0, 5);
    EXPECT_EQ(r.plugin.callCount("librarian send 5 0 0"), 1u);
}

TEST(ShortMidi, LocalControlAndMalformedMessages) {
    ParamChangeRig r;
    r.plugin.localControl = true;
    r.shortMessage(false, 0xB1, 31, 100);
    EXPECT_EQ(r.value(kFilter1Cutoff + 1), 100);
    EXPECT_THAT(r.plugin.routed(), IsEmpty());
    r.shortMessage(true, 0xB1, 31, 10);
    EXPECT_EQ(r.plugin.routed().size(), 1u);
    // A data byte from 0x80 makes no MIDI message: nothing moves, nothing goes out.
    r.shortMessage(true, 0xB1, 31, 0x80);
    r.shortMessage(true, 0x91, 0x80, 1);
    EXPECT_EQ(r.value(kFilter1Cutoff + 1), 10);
    EXPECT_EQ(r.plugin.routed().size(), 1u);
}

} // namespace
