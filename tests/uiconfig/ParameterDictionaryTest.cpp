#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/ParameterNames.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class ParameterDictionary : public ::testing::Test {
protected:
    void SetUp() override {
        // Only the stored plug-in is needed: no graphics, so no resource or image is read.
        manager.readUIConfig(nullptr, &plugin, nullptr, 0, 1.0);
    }
    FakeConfigPlugin plugin{false};
    UIConfigManager manager;
};

TEST_F(ParameterDictionary, EveryNameRoundTrips) {
    for (int i = 0; i < kParameterNameRunCount; ++i)
        EXPECT_EQ(manager.getParamByName(kParameterNameRuns[i].name), kParameterNameRuns[i].firstId)
            << kParameterNameRuns[i].name;
    EXPECT_EQ(manager.getParamByName("kNumAutomatedParams"), 1680);
    EXPECT_EQ(manager.getParamByName("kPatchFileDialog"), 1680);
    EXPECT_EQ(manager.getParamByName("kNumNonAutomatedParams"), 17138);
}

TEST_F(ParameterDictionary, LookupIsExactAndHoldsFirstIdsOnly) {
    EXPECT_EQ(manager.getParamByName("KGlobalPatternInst3"), 9088);
    EXPECT_EQ(manager.getParamByName("kGlobalPatternInst3"), -1);
    EXPECT_EQ(manager.getParamByName("kmidiLed"), -1);
    EXPECT_EQ(manager.getParamByName("kMIDILed"), 18290);
    EXPECT_EQ(manager.getParamByName("kMIDILed+15"), -1);
    EXPECT_EQ(manager.getParamByName(""), -1);
}

TEST_F(ParameterDictionary, LookupInsertsNothingAndInsertKeepsTheFirstId) {
    EXPECT_EQ(manager.getParamByName("kNotAParameter"), -1);
    manager.mapParamToString("kNotAParameter", 7);
    EXPECT_EQ(manager.getParamByName("kNotAParameter"), 7);
    manager.mapParamToString("kNotAParameter", 8);
    manager.mapParamToString("kOscillator1Octave", 99);
    EXPECT_EQ(manager.getParamByName("kNotAParameter"), 7);
    EXPECT_EQ(manager.getParamByName("kOscillator1Octave"), 0);
}

TEST_F(ParameterDictionary, LogLinesOnlyWithTheLogOn) {
    manager.getParamByName("kMissing");
    manager.mapParamToString("kDebugParts", 1);
    EXPECT_THAT(plugin.lines(), IsEmpty());

    plugin.logOn = true;
    manager.getParamByName("kMissing");
    manager.mapParamToString("kDebugParts", 1);
    EXPECT_THAT(plugin.lines(),
                ElementsAre("CONFIG READER: parameter kMissing NOT FOUND!",
                            "CONFIG READER: parameter kDebugParts ALREADY EXISTS!"));
}

TEST(ParameterDictionaryFill, NoNameIsGivenTwice) {
    FakeConfigPlugin plugin;
    UIConfigManager manager;
    manager.readUIConfig(nullptr, &plugin, nullptr, 0, 1.0);
    for (const std::string& line : plugin.lines())
        EXPECT_EQ(line.find("ALREADY EXISTS"), std::string::npos) << line;
}

} // namespace
