#include "src/params/ControlDisplay.h"
#include "tests/support/FakeParamChangePlugin.h"

#include <gtest/gtest.h>

using testsupport::FakeParamChangePlugin;

namespace {

// Shows value for id with both lines set to "before" first; true when the lines changed.
bool shows(FakeParamChangePlugin& fake, int id, double value = 5.0, bool selectedOnly = false) {
    fake.displayNameLine()->SetTextFromPlug("before");
    fake.displayValueLine()->SetTextFromPlug("before");
    ControlDisplay::controlDisplay(&fake, id, value, selectedOnly);
    EXPECT_EQ(fake.nameText() != "before", fake.valueText() != "before") << id;
    return fake.nameText() != "before";
}

} // namespace

TEST(ControlDisplay, ExcludedIdsLeaveBothLinesAndTheirNeighboursShow) {
    FakeParamChangePlugin fake;
    // The first and last id of every excluded run, then ids just outside the runs.
    for (int id : {9096,  9132,  9134,  10225, 10241, 18183, 18186, 18219, 18235,
                   18237, 18240, 18246, 18247, 18282, 18284, 18287, 18755, 18756,
                   18787, 18789, 18792, 18794, 18803, 18805, 18812, 18814, int(kControlLibrary)})
        EXPECT_FALSE(shows(fake, id)) << id;
    for (int id : {9095,  9135,  10224, 10242, 18182, 18187, 18218, 18236, 18241,
                   18245, 18248, 18281, 18285, 18286, 18793, 18804, 18813, 18815, 18817})
        EXPECT_TRUE(shows(fake, id)) << id;
    fake.hostProgramChangeDropFlag = true;
    EXPECT_TRUE(shows(fake, kControlLibrary));
}

TEST(ControlDisplay, SelectedPartOnlyPassesNamesTaggedWithThatPart) {
    FakeParamChangePlugin fake;
    const struct {
        int selected, id;
        bool shown;
    } rows[] = {
        // clang-format off
        {2, kFilter1Cutoff + 2, true}, {2, kFilter1Cutoff, false}, {2, kFilter1Cutoff + 12, false},
        {2, kGlobalTranspose, false}, {9, kFilter1Cutoff + 9, true}, {9, kFilter1Cutoff, false},
        {0, kFilter1Cutoff, true}, {0, kFilter1Cutoff + 9, false}, {0, 6193, false}, // no name
        // clang-format on
    };
    for (const auto& row : rows) {
        fake.selectedPartValue = row.selected;
        EXPECT_EQ(shows(fake, row.id, 5, true), row.shown) << row.selected << " " << row.id;
    }
    EXPECT_TRUE(shows(fake, kGlobalTranspose, 5, false));
}

TEST(ControlDisplay, ValueLinesTruncateAndListsTakeTheStoredValue) {
    FakeParamChangePlugin fake;
    fake.valueLists["oscillator12shape"] = {"Off", "Pulse", "Saw", "Triangle", "Sine"};
    const int shape = kOscillator2Shape + 15;
    const struct {
        int id;
        double stored, value;
        const char* line;
    } rows[] = {
        // clang-format off
        {kFilter1EnvAmount, 0, 63.99, "-1 [63]"}, {kFilter1EnvAmount, 0, -1.5, " [-1]"},
        {kFilter1Cutoff, 0, 42.0, "42"}, {kFilter1Cutoff, 0, 5.9, "5"},
        {kFilter1Cutoff, 0, -0.5, "0"}, {kFilter1Cutoff, 0, 1e300, "2147483647"},
        {shape, 3, 9, "Triangle [9]"}, {shape, 4, 9, "Sine [9]"}, {shape, 5, 9, " [9]"},
        {kOscillator3Shape, 0, 9, " [9]"}, // no list
        // clang-format on
    };
    for (const auto& row : rows) {
        fake.setValue(row.id, row.stored);
        shows(fake, row.id, row.value);
        EXPECT_EQ(fake.valueText(), row.line) << row.value;
    }
}

TEST(ControlDisplay, ValueStringIsAWholeNumberOfAtMost49Characters) {
    EXPECT_EQ(ControlDisplay::getValueString(127.0), "127");
    EXPECT_EQ(ControlDisplay::getValueString(0.5), "0");
    EXPECT_EQ(ControlDisplay::getValueString(2.5), "2");
    EXPECT_EQ(ControlDisplay::getValueString(3.5), "4");
    EXPECT_EQ(ControlDisplay::getValueString(-0.3), "-0");
    const std::string huge = ControlDisplay::getValueString(1e300);
    EXPECT_EQ(huge.size(), 49u);
    EXPECT_EQ(huge.substr(0, 3), "100");
}

// Changes that the display frame leaves out still say what changed: Send Clock names itself,
// not the nameless tempo it reads, and another part chosen replaces the parameter of the part
// left.
TEST(ControlDisplay, SendClockAndAnotherPartSayWhatChanged) {
    FakeParamChangePlugin fake;
    const auto lines = [&] { return fake.nameText() + "|" + fake.valueText(); };
    fake.GetParam(kSendMIDIClockInfo)->InitBool("Send MIDI Clock Info", false);
    fake.edit(kSendMIDIClockInfo, 1);
    EXPECT_EQ(lines(), "Send MIDI Clock Info|On");
    fake.edit(kSendMIDIClockInfo, 0);
    EXPECT_EQ(lines(), "Send MIDI Clock Info|Off");
    fake.edit(kFilter1Cutoff, 7);
    const std::string edited = lines();
    fake.OnParamChange(kSendMIDIClockInfo); // Off again, as at start-up: nothing to say
    EXPECT_EQ(lines(), edited);
    fake.edit(kQuickTab, 11);
    EXPECT_EQ(lines(), "Part 12|");
}
