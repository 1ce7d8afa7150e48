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

TEST(ParameterIds, GeneratedFamiliesLandOnTheirIds) {
    EXPECT_EQ(kArpPattern01Glide, 1841);
    EXPECT_EQ(kArpPattern16StepLen, 3120 - 15);
    EXPECT_EQ(kFX1ChorusSpeed, 3121);
    EXPECT_EQ(kFX1TapDelayTap16Pan, kFX1TapDelayTap1Pan + 15 * 16);
    EXPECT_EQ(kFX1TapDelayFeedbackDucking, 4545);
    EXPECT_EQ(kFX2ChorusSpeed, kFX1ChorusSpeed + 1440);
    EXPECT_EQ(kFX2ReverbLowppass, kFX1ReverbLowppass + 1440);
    EXPECT_EQ(kFX2TapDelayFeedbackDucking, 5985);
    EXPECT_EQ(kEffect1Mode, 6465);
    EXPECT_EQ(kEffect2Param14, 6944 - 15);
    EXPECT_EQ(kMod1FastSource, 7793);
    EXPECT_EQ(kMod1StandardSource, 7793 + 24 * 16);
    EXPECT_EQ(kMod8StandardDestination, 8560 - 15);
    EXPECT_EQ(kModifier4SourceAmount, 8816 - 15);
    EXPECT_EQ(kPatternStep01Cutoff, 10403);
    EXPECT_EQ(kPatternStep32Note8, 18082 - 15);
}

TEST(ParameterIds, SpelledRunsLandOnTheirIds) {
    EXPECT_EQ(kFX251DelayS1L, 6192 - 15);
    EXPECT_EQ(kFX251DelayRearSRV, 6209);
    EXPECT_EQ(kOscillator1PWMSource, 6945);
    EXPECT_EQ(kMultiPartBank, 8817);
    EXPECT_EQ(kPartPattern, 9040 - 15);
    EXPECT_EQ(kGlobalInitSound1, 9041);
    EXPECT_EQ(KGlobalPatternInst3, 9088);
    EXPECT_EQ(kMultiName, 9100);
    EXPECT_EQ(kQModel, 9133);
    EXPECT_EQ(kModWheel, 9135);
    EXPECT_EQ(kSectionLockMod4, 10222 - 15);
    EXPECT_EQ(kSectionLockGlobal, 10223);
    EXPECT_EQ(kMIDIFilterToDAWBuffer, 10241);
    EXPECT_EQ(kAdjustDAWOffset, 10306);
    EXPECT_EQ(kOptionLinePar, 10402 - 15);
    EXPECT_EQ(kPartZaruvaBank, 18146 - 15);
    EXPECT_EQ(kTempoInformation, 18150);
    EXPECT_EQ(kPatchSearch, 18186);
    EXPECT_EQ(kKeepSelectedBank, 18244);
    EXPECT_EQ(kDeviceOutSelection, 18246);
    EXPECT_EQ(kCurrentOpenPatchBankR, 18281 - 15);
    EXPECT_EQ(kExitAboutWindow, 18284);
    EXPECT_EQ(kControlDisplayBuild, 18289);
    EXPECT_EQ(kMIDILed, 18290);
    EXPECT_EQ(kTriggerArpPatternReset, 18721 - 15);
    EXPECT_EQ(kLibSyncTimer, 18754);
    EXPECT_EQ(kPatchDown, 18787 - 15);
    EXPECT_EQ(kControlLibrary, 18788);
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
