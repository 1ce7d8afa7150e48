#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/ParameterNames.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>

namespace {

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string sourceDir() {
    const char* dir = getenv("ZOZ_TEST_SOURCE_DIR");
    return dir ? dir : ".";
}

TEST(ParameterIds, AnchorIdsAndCounts) {
    EXPECT_EQ(kOscillator1Octave, 0);
    EXPECT_EQ(kArpOctRange, 1664);
    EXPECT_EQ(kPatchFileDialog, kNumAutomatedParams);
    EXPECT_EQ(kNumAutomatedParams, 1680);
    EXPECT_EQ(kNumNonAutomatedParams, 17138);
    EXPECT_EQ(kNumParams, 18818);
    EXPECT_EQ(kDebugParts, kNumParams - 1);
    // The count falls inside the pattern-step block, at index 15 of step 29's cutoff.
    EXPECT_EQ(kNumNonAutomatedParams, kPatternStep29Cutoff + 15);
}

TEST(ParameterIds, EveryRunStartsAndEndsOnItsId) {
    struct Run {
        int first, firstId, last, lastId, width;
    };
    const Run runs[] = {
        {kOscillator1Octave, 0, kArpOctRange, 1679, 16},
        {kPatchFileDialog, 1680, kPatchFileDialog, 1680, 1},
        {kArpPattern, 1681, kArpPatternLength, 1840, 16},
        {kArpPattern01Glide, 1841, kArpPattern16StepLen, 3120, 16},
        {kFX1ChorusSpeed, 3121, kFX1ReverbDamping, 3984, 16},
        {kFX1TapDelayDelay, 3985, kFX1TapDelayFeedbackDucking, 4560, 16},
        {kFX2ChorusSpeed, 4561, kFX2TapDelayFeedbackDucking, 6000, 16},
        {kFX251DelayDelay, 6001, kFX251DelayS1L, 6192, 16},
        {kFX251DelayRearSRV, 6209, kFX251DelayClockedDelayS1R, 6464, 16},
        {kEffect1Mode, 6465, kEffect2Param14, 6944, 16},
        {kOscillator1PWMSource, 6945, kLFO3Keytrack, 7792, 16},
        {kMod1FastSource, 7793, kMod8StandardDestination, 8560, 16},
        {kModifier1Source1, 8561, kModifier4SourceAmount, 8816, 16},
        {kMultiPartBank, 8817, kPartPattern, 9040, 16},
        {kGlobalInitSound1, 9041, kMultiName, 9100, 1},
        {kPatchName, 9101, kCategoryName, 9132, 16},
        {kQModel, 9133, kDeviceID_old, 9134, 1},
        {kModWheel, 9135, kSectionLockMod4, 10222, 16},
        {kSectionLockGlobal, 10223, kMIDIFilterToDAWBuffer, 10241, 1},
        {kCurrentBank, 10242, kFilterLinkSwitch, 10305, 16},
        {kAdjustDAWOffset, 10306, kAdjustDAWOffset, 10306, 1},
        {kPatternName, 10307, kOptionLinePar, 10402, 16},
        {kPatternStep01Cutoff, 10403, kPatternStep32Note8, 18082, 16},
        {kSectionLockPattern, 18083, kPartZaruvaBank, 18146, 16},
        {kMultiBank, 18147, kTempoInformation, 18150, 1},
        {kFilterLinkValue, 18151, kSustainPedal, 18182, 16},
        {kTriggerProgControl, 18183, kPatchSearch, 18186, 1},
        {kCurrentOpenPatternBankL, 18187, kFilterLinkTrigger, 18234, 16},
        {kViewMIDIFilterSettings, 18235, kKeepSelectedBank, 18244, 1},
        {kDeviceOutSelection, 18246, kCurrentOpenPerfBankR, 18249, 1},
        {kCurrentOpenPatchBankL, 18250, kCurrentOpenPatchBankR, 18281, 16},
        {kFirstRunExit, 18282, kExitAboutWindow, 18284, 1},
        {kTriggerGlobalArpMidiOut, 18287, kControlDisplayBuild, 18289, 1},
        {kMIDILed, 18290, kTriggerArpPatternReset, 18721, 16},
        {kLibSyncTimer, 18754, kRequestFromBank, 18755, 1},
        {kPatchUp, 18756, kPatchDown, 18787, 16},
        {kControlLibrary, 18788, kDebugParts, 18817, 1},
    };
    for (const Run& r : runs) {
        EXPECT_EQ(r.first, r.firstId);
        EXPECT_EQ(r.last + r.width - 1, r.lastId) << "run at " << r.firstId;
    }
}

TEST(ParameterIds, FamiliesInsideTheirRuns) {
    EXPECT_EQ(kFX1TapDelayTap16Pan, kFX1TapDelayTap1Pan + 15 * 16);
    EXPECT_EQ(kFX2ReverbLowppass, kFX1ReverbLowppass + 1440);
    EXPECT_EQ(kMod1StandardSource, kMod1FastSource + 24 * 16);
    EXPECT_EQ(kPatternStep02Cutoff, kPatternStep01Cutoff + 15 * 16);
    EXPECT_EQ(KGlobalPatternInst3, 9088);
}

TEST(ParameterNames, RunsTileTheIdsExceptTheUnnamedOnes) {
    ASSERT_EQ(kParameterNameRunCount, 1307);
    std::set<std::string> names;
    std::set<int> unnamed;
    int next = 0;
    for (int i = 0; i < kParameterNameRunCount; ++i) {
        const ParameterNameRun& run = kParameterNameRuns[i];
        EXPECT_TRUE(run.width == 1 || run.width == 16) << run.name;
        EXPECT_TRUE(names.insert(run.name).second) << "duplicate " << run.name;
        EXPECT_GE(run.firstId, next) << run.name;
        for (int id = next; id < run.firstId; ++id)
            unnamed.insert(id);
        next = run.firstId + run.width;
    }
    EXPECT_EQ(next, kNumParams);

    std::set<int> expected = {18245, 18285, 18286};
    for (int id = 6193; id <= 6208; ++id)
        expected.insert(id);
    for (int id = 18722; id <= 18753; ++id)
        expected.insert(id);
    EXPECT_EQ(unnamed, expected);
}

TEST(ParameterNames, CommittedFilesAreWhatTheGeneratorWrites) {
    const std::filesystem::path src = sourceDir();
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / ("zoz-paramids-" + std::to_string(getpid()));
    const std::string cmd =
        "python3 '" + (src / "tools/gen_parameter_ids.py").string() + "' '" + out.string() + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    for (const char* name : {"ParameterIds.h", "ParameterNames.cpp"}) {
        const std::string generated = readFile(out / name);
        EXPECT_FALSE(generated.empty()) << name;
        EXPECT_EQ(generated, readFile(src / "src/uiconfig" / name)) << name;
    }
    std::filesystem::remove_all(out);
}

} // namespace
