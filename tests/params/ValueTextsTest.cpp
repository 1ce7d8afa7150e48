#include "src/params/ControlDisplay.h"
#include "tests/support/FakeParamChangePlugin.h"

#include <gtest/gtest.h>

using testsupport::FakeParamChangePlugin;

namespace {

std::string valueLine(FakeParamChangePlugin& fake, int id, double value) {
    ControlDisplay::controlDisplay(&fake, id, value, false);
    return fake.valueText();
}

} // namespace

TEST(ValueTexts, EdgesAndTellingRowsOfEveryComputedFamily) {
    FakeParamChangePlugin fake(false);
    const int bipolar = kFilter1EnvAmount, vocoder = kFX2VocoderAnalysisHiOffset + 15;
    const int octave = kOscillator3Octave + 2, width = kOscillator2Pulsewidth;
    const int balance = kNoiseBalance + 15, keytrack = kLFO2Keytrack;
    const struct {
        int id, s;
        const char* text;
    } rows[] = {
        // clang-format off
        {bipolar, -1, ""}, {bipolar, 0, "-64"}, {bipolar, 63, "-1"}, {bipolar, 64, "0"},
        {bipolar, 65, "+1"}, {bipolar, 127, "+63"}, {bipolar, 128, ""},
        {kGlobalTranspose, 0, "-12"}, {kGlobalTranspose, 12, "0"}, {kGlobalTranspose, 24, "+12"},
        {kGlobalTranspose, 25, ""}, {kMultiPartTranspose + 5, 0, "-48"},
        {kMultiPartTranspose + 5, 48, "+0"}, {kMultiPartTranspose + 5, 97, "+49"},
        {kMultiPartTranspose + 5, 98, ""}, {kOscillator3BendRange + 15, -1, ""},
        {kOscillator3BendRange + 15, 23, "-1"}, {kOscillator3BendRange + 15, 24, "0"},
        {kOscillator3BendRange + 15, 49, "+25"}, {kOscillator3BendRange + 15, 50, ""},
        {vocoder, -1, ""}, {vocoder, 0, "-128"}, {vocoder, 1, "-125"}, {vocoder, 31, "-35"},
        {vocoder, 32, "-32"}, {vocoder, 33, "-31"}, {vocoder, 63, "-1"}, {vocoder, 64, "0"},
        {vocoder, 65, "+1"}, {vocoder, 94, "+30"}, {vocoder, 95, "+31"}, {vocoder, 96, "+35"},
        {vocoder, 97, "+38"}, {vocoder, 127, "+128"}, {vocoder, 128, ""},
        {kOscillator2FrqDivide, -1, ""}, {kOscillator2FrqDivide, 0, "1"},
        {kOscillator2FrqDivide, 127, "128"}, {octave, 16, "128 \xC2\xB4"},
        {octave, 28, " 64 \xC2\xB4"}, {octave, 64, "  8 \xC2\xB4"}, {octave, 100, "  1 \xC2\xB4"},
        {octave, 112, "1/2 \xC2\xB4"}, {octave, 15, ""}, {octave, 65, ""}, {octave, 113, ""},
        {width, -1, "<1%"}, {width, 2, "<1%"}, {width, 3, "1%"}, {width, 6, "2%"},
        {width, 64, "25%"}, {width, 126, "49%"}, {width, 127, "50%"}, {width, 128, "50%"},
        {balance, 1, "F1 100% : F2 0%"}, {balance, 2, "F1 99% : F2 1%"},
        {balance, 63, "F1 51% : F2 49%"}, {balance, 65, "F1 50% : F2 50%"},
        {balance, 66, "F1 49% : F2 51%"}, {balance, 126, "F1 2% : F2 98%"},
        {keytrack, 1, "-197%"}, {keytrack, 8, "-175%"}, {keytrack, 32, "-100%"},
        {keytrack, 63, "-4%"}, {keytrack, 65, "3%"}, {keytrack, 72, "25%"}, {keytrack, 96, "100%"},
        {keytrack, 126, "193%"},
        {balance, -1, ""}, {balance, 0, "FILTER 1 100%"}, {balance, 64, "F1 50% : F2 50%"},
        {balance, 127, "FILTER 2 100%"}, {balance, 128, ""}, {keytrack, -1, ""},
        {keytrack, 0, "-200%"}, {keytrack, 64, "0 %"}, {keytrack, 127, "196%"},
        {keytrack, 128, ""}, {kMod8FastAmount + 15, 0, "-64"}, {kMod8StandardAmount + 15, 0, "-64"},
        {kModifier4SourceAmount + 15, 0, "-64"}, {kLFO3Fade + 15, 0, "-64"},
        {kGlobalPedalOffset, 0, "-64"}, {kFX2VocoderEQHighBandLevel + 15, 127, "+63"},
        // clang-format on
    };
    for (const auto& row : rows)
        EXPECT_EQ(valueLine(fake, row.id, row.s),
                  std::string(row.text) + " [" + std::to_string(row.s) + "]")
            << row.id << " at " << row.s;
    // The split comes from the value itself, the number shown from its truncation.
    EXPECT_EQ(valueLine(fake, kNoiseBalance, 64.5), "F1 50% : F2 50% [64]");
    EXPECT_EQ(valueLine(fake, kNoiseBalance, 65.7), "F1 49% : F2 51% [65]");
}
