#include "src/params/ControlDisplay.h"
#include "tests/support/FakeParamChangePlugin.h"

#include <gtest/gtest.h>

using testsupport::FakeParamChangePlugin;

namespace {

// Shows value for id with both lines set to "before" first; true when the name line changed.
bool shows(FakeParamChangePlugin& fake, int id, double value = 5.0, bool selectedOnly = false) {
    fake.displayNameLine()->SetTextFromPlug("before");
    fake.displayValueLine()->SetTextFromPlug("before");
    ControlDisplay::controlDisplay(&fake, id, value, selectedOnly);
    const bool nameChanged = fake.nameText() != "before";
    EXPECT_EQ(nameChanged, fake.valueText() != "before") << id;
    return nameChanged;
}

} // namespace

TEST(ControlDisplay, ExcludedIdsLeaveBothLinesAndTheirNeighboursShow) {
    FakeParamChangePlugin fake;
    // The first and last id of every excluded run, then ids just outside the runs.
    for (int id : {9096,  9132,  9134,  10225, 10241, 18183, 18186, 18219, 18235,
                   18237, 18240, 18246, 18247, 18282, 18284, 18287, 18755, 18756,
                   18787, 18789, 18792, 18794, 18803, 18805, 18812, 18814})
        EXPECT_FALSE(shows(fake, id)) << id;
    for (int id : {9095,  9133,  9135,  10224, 10242, 18182, 18187, 18218, 18236, 18241,
                   18245, 18248, 18281, 18285, 18286, 18793, 18804, 18813, 18815, 18817})
        EXPECT_TRUE(shows(fake, id)) << id;
}

TEST(ControlDisplay, ControlLibraryShowsOnlyWhileHostProgramChangesAreDropped) {
    FakeParamChangePlugin fake;
    EXPECT_FALSE(shows(fake, kControlLibrary));
    fake.hostProgramChangeDropFlag = true;
    EXPECT_TRUE(shows(fake, kControlLibrary));
    EXPECT_EQ(fake.nameText(), "kControlLibrary");
}

TEST(ControlDisplay, SelectedPartOnlyPassesNamesTaggedWithThatPart) {
    FakeParamChangePlugin fake;
    const int cutoff = kFilter1Cutoff; // "[q + 1] kFilter1Cutoff" for part index q
    fake.selectedPartValue = 2;
    EXPECT_TRUE(shows(fake, cutoff + 2, 5, true));
    EXPECT_EQ(fake.nameText(), "[3] kFilter1Cutoff");
    EXPECT_FALSE(shows(fake, cutoff + 0, 5, true));
    EXPECT_FALSE(shows(fake, cutoff + 12, 5, true));
    EXPECT_FALSE(shows(fake, kGlobalTranspose, 5, true));
    fake.selectedPartValue = 9;
    EXPECT_TRUE(shows(fake, cutoff + 9, 5, true));
    EXPECT_FALSE(shows(fake, cutoff + 0, 5, true));
    fake.selectedPartValue = 0;
    EXPECT_TRUE(shows(fake, cutoff + 0, 5, true));
    EXPECT_FALSE(shows(fake, cutoff + 9, 5, true));
    EXPECT_FALSE(shows(fake, 6193, 5, true)); // an id without a name
    EXPECT_TRUE(shows(fake, kGlobalTranspose, 5, false));
}

TEST(ControlDisplay, ShownValueTruncatesTowardZero) {
    FakeParamChangePlugin fake;
    const struct {
        int id;
        double value;
        const char* line;
    } rows[] = {
        {kFilter1EnvAmount, 63.99, "-1 [63]"}, {kFilter1EnvAmount, -1.5, " [-1]"},
        {kFilter1Cutoff, 42.0, "42"},          {kFilter1Cutoff, 5.9, "5"},
        {kFilter1Cutoff, -0.5, "0"},           {kFilter1Cutoff, 1e300, "2147483647"},
    };
    for (const auto& row : rows) {
        shows(fake, row.id, row.value);
        EXPECT_EQ(fake.valueText(), row.line) << row.value;
    }
}

TEST(ControlDisplay, ListEntryOfTheStoredValueWithTheShownNumber) {
    FakeParamChangePlugin fake;
    fake.valueLists["oscillator12shape"] = {"Off", "Pulse", "Saw", "Triangle", "Sine"};
    const int shape = kOscillator2Shape + 15;
    const struct {
        int id;
        double stored;
        const char* line;
    } rows[] = {
        {shape, 3, "Triangle [9]"},
        {shape, 4, "Sine [9]"},         // the last entry
        {shape, 5, " [9]"},             // one past the list
        {kOscillator3Shape, 0, " [9]"}, // a list the layout lacks
    };
    for (const auto& row : rows) {
        fake.setValue(row.id, row.stored);
        shows(fake, row.id, 9.0);
        EXPECT_EQ(fake.valueText(), row.line) << row.stored;
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
