// A stored port name found again after Linux gave its device another ALSA client number.

#include "platform/midi/MidiPortNames.h"

#include <gtest/gtest.h>

namespace {

using platform::MatchPortName;
using Names = std::vector<std::string>;

const std::string kAlsa = "USB MIDI Interface:USB MIDI Interface MIDI 1 24:0";
const std::string kA2j = "a2j:USB MIDI Interface [24] (playback): USB MIDI Interface MIDI 1";

TEST(MidiPortNames, AStoredNameIsFoundUnderAnotherClientNumberOnlyWhenOnePortFits) {
    const Names offered = {"Select MIDI Device", "Midi Through:Midi Through Port-0 14:0",
                           "USB MIDI Interface:USB MIDI Interface MIDI 1 28:0",
                           "a2j:USB MIDI Interface [128] (playback): USB MIDI Interface MIDI 1",
                           "a2j:USB MIDI Interface [28] (capture): USB MIDI Interface MIDI 1"};
    EXPECT_EQ(MatchPortName(offered, kAlsa), 2);
    EXPECT_EQ(MatchPortName(offered, kA2j), 3); // the direction is part of the name
    // The port number is the device's own, and only the number changes.
    EXPECT_EQ(MatchPortName(offered, "USB MIDI Interface:USB MIDI Interface MIDI 1 24:1"), -1);
    EXPECT_EQ(MatchPortName(offered, "USB MIDI Interface:USB MIDI Interface MIDI 2 24:0"), -1);
    EXPECT_EQ(MatchPortName(offered, "Midi Through:Midi Through Port-0"), -1);

    // Two interfaces of one make: neither is taken for the other.
    const Names twins = {"Select MIDI Device", "USB MIDI Interface:USB MIDI Interface MIDI 1 28:0",
                         "USB MIDI Interface:USB MIDI Interface MIDI 1 32:0"};
    EXPECT_EQ(MatchPortName(twins, kAlsa), -1);
    // The exact name wins over one that is equal but for its number.
    EXPECT_EQ(MatchPortName(twins, twins[2]), 2);
}

TEST(MidiPortNames, NamesOutsideBothPatternsAndBytesAbove0x7FMatchOnlyExactly) {
    const std::string gerät = "Ger\xC3\xA4t \xE2\x91\xA0:Ausgang 7:0";
    const Names offered = {"Select MIDI Device", "Ger\xC3\xA4t \xE2\x91\xA0:Ausgang 19:0",
                           "zoz-qsim:in", "a2j:[24] (playback): ", "x [] (capture): y"};
    EXPECT_EQ(MatchPortName(offered, gerät), 1);
    EXPECT_EQ(MatchPortName(offered, "zoz-qsim:in"), 2);
    EXPECT_EQ(MatchPortName(offered, "zoz-qsim:out"), -1);
    EXPECT_EQ(MatchPortName(offered, "a2j:[25] (playback): "), -1); // not a2j's form
    EXPECT_EQ(MatchPortName(offered, "x [1] (capture): y"), -1);
    EXPECT_EQ(MatchPortName(offered, ""), -1);
    EXPECT_EQ(MatchPortName({}, kAlsa), -1);
}

} // namespace
