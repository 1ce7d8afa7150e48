#include "src/params/ControlDisplay.h"
#include "src/params/ValueFamilies.h"
#include "tests/support/FakeParamChangePlugin.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cstdlib>
#include <set>

using testsupport::FakeParamChangePlugin;

namespace {

std::string valueLine(FakeParamChangePlugin& fake, int id, double stored, double shown) {
    fake.setValue(id, stored);
    ControlDisplay::controlDisplay(&fake, id, shown, false);
    return fake.valueText();
}

// A list of 128 entries "<name>#<i>", so that a family reading another list shows it.
void fillList(FakeParamChangePlugin& fake, const char* name) {
    for (int i = 0; i < 128; ++i)
        fake.valueLists[name].push_back(std::string(name) + "#" + std::to_string(i));
}

// The texts of s from -1 to 128, separated by "|", worked out from the synthesizer's formulas.
const char* const kFeedbackTexts =
    "|   0%|0%|1%|2%|3%|3%|4%|5%|6%|7%|7%|8%|9%|10%|11%|11%|12%|13%|14%|14%|15%|16%|17%|18%|"
    "18%|19%|20%|21%|22%|22%|23%|24%|25%|25%|26%|27%|28%|29%|29%|30%|31%|32%|33%|33%|34%|35%|"
    "36%|37%|37%|38%|39%|40%|40%|41%|42%|43%|44%|44%|45%|46%|47%|48%|48%|49%| 50%|51%|51%|52%|"
    "53%|54%|55%|55%|56%|57%|58%|59%|59%|60%|61%|62%|62%|63%|64%|65%|66%|66%|67%|68%|69%|70%|"
    "70%|71%|72%|73%|74%|74%|75%|76%|77%|77%|78%|79%|80%|81%|81%|82%|83%|84%|85%|85%|86%|87%|"
    "88%|88%|89%|90%|91%|92%|92%|93%|94%|95%|96%|96%|97%|98%|99%|100%|";
const char* const kPanTexts =
    "|LEFT 100%|LEFT 97%|LEFT 96%|LEFT 94%|LEFT 93%|LEFT 91%|LEFT 89%|LEFT 88%|LEFT 86%|"
    "LEFT 85%|LEFT 83%|LEFT 82%|LEFT 80%|LEFT 79%|LEFT 77%|LEFT 75%|LEFT 74%|LEFT 72%|LEFT 71%|"
    "LEFT 69%|LEFT 68%|LEFT 66%|LEFT 65%|LEFT 63%|LEFT 62%|LEFT 60%|LEFT 58%|LEFT 57%|LEFT 55%|"
    "LEFT 54%|LEFT 52%|LEFT 51%|LEFT 49%|LEFT 48%|LEFT 46%|LEFT 44%|LEFT 43%|LEFT 41%|LEFT 40%|"
    "LEFT 38%|LEFT 37%|LEFT 35%|LEFT 34%|LEFT 32%|LEFT 31%|LEFT 29%|LEFT 27%|LEFT 26%|LEFT 24%|"
    "LEFT 23%|LEFT 21%|LEFT 20%|LEFT 18%|LEFT 17%|LEFT 15%|LEFT 13%|LEFT 12%|LEFT 10%|LEFT 9%|"
    "LEFT 7%|LEFT 6%|LEFT 4%|LEFT 3%|LEFT 1%|< CENTER >|RIGHT 1%|RIGHT 3%|RIGHT 4%|RIGHT 6%|"
    "RIGHT 7%|RIGHT 9%|RIGHT 10%|RIGHT 12%|RIGHT 13%|RIGHT 15%|RIGHT 17%|RIGHT 18%|RIGHT 20%|"
    "RIGHT 21%|RIGHT 23%|RIGHT 24%|RIGHT 26%|RIGHT 27%|RIGHT 29%|RIGHT 31%|RIGHT 32%|RIGHT 34%|"
    "RIGHT 35%|RIGHT 37%|RIGHT 38%|RIGHT 40%|RIGHT 41%|RIGHT 43%|RIGHT 44%|RIGHT 46%|RIGHT 48%|"
    "RIGHT 49%|RIGHT 51%|RIGHT 52%|RIGHT 54%|RIGHT 55%|RIGHT 57%|RIGHT 58%|RIGHT 60%|RIGHT 62%|"
    "RIGHT 63%|RIGHT 65%|RIGHT 66%|RIGHT 68%|RIGHT 69%|RIGHT 71%|RIGHT 72%|RIGHT 74%|RIGHT 75%|"
    "RIGHT 77%|RIGHT 79%|RIGHT 80%|RIGHT 82%|RIGHT 83%|RIGHT 85%|RIGHT 86%|RIGHT 88%|RIGHT 89%|"
    "RIGHT 91%|RIGHT 93%|RIGHT 94%|RIGHT 96%|RIGHT 100%|";
const char* const kKeytrackTexts =
    "|-200%|-194%|-192%|-188%|-186%|-182%|-178%|-176%|-172%|-170%|-166%|-164%|-160%|-158%|"
    "-154%|-150%|-148%|-144%|-142%|-138%|-136%|-132%|-130%|-126%|-124%|-120%|-116%|-114%|-110%|"
    "-108%|-104%|-102%|-98%|-96%|-92%|-88%|-86%|-82%|-80%|-76%|-74%|-70%|-68%|-64%|-62%|-58%|"
    "-54%|-52%|-48%|-46%|-42%|-40%|-36%|-34%|-30%|-26%|-24%|-20%|-18%|-14%|-12%|-8%|-6%|-2%|"
    "+000%|+2%|+6%|+8%|+12%|+14%|+18%|+20%|+24%|+26%|+30%|+34%|+36%|+40%|+42%|+46%|+48%|+52%|"
    "+54%|+58%|+62%|+64%|+68%|+70%|+74%|+76%|+80%|+82%|+86%|+88%|+92%|+96%|+100%|+102%|+104%|"
    "+108%|+110%|+114%|+116%|+120%|+124%|+126%|+130%|+132%|+136%|+138%|+142%|+144%|+148%|+150%|"
    "+154%|+158%|+160%|+164%|+166%|+170%|+172%|+176%|+178%|+182%|+186%|+188%|+192%|+196%|";
const char* const kRoutingTexts =
    "|SERIAL 100%|SER 100% : PAR 0%|SER 99% : PAR 1%|SER 98% : PAR 2%|SER 97% : PAR 3%|"
    "SER 97% : PAR 3%|SER 96% : PAR 4%|SER 95% : PAR 5%|SER 94% : PAR 6%|SER 93% : PAR 7%|"
    "SER 93% : PAR 7%|SER 92% : PAR 8%|SER 91% : PAR 9%|SER 90% : PAR 10%|SER 90% : PAR 10%|"
    "SER 89% : PAR 11%|SER 88% : PAR 12%|SER 87% : PAR 13%|SER 86% : PAR 14%|SER 86% : PAR 14%|"
    "SER 85% : PAR 15%|SER 84% : PAR 16%|SER 83% : PAR 17%|SER 83% : PAR 17%|SER 82% : PAR 18%|"
    "SER 81% : PAR 19%|SER 80% : PAR 20%|SER 79% : PAR 21%|SER 79% : PAR 21%|SER 78% : PAR 22%|"
    "SER 77% : PAR 23%|SER 76% : PAR 24%|SER 75% : PAR 25%|SER 75% : PAR 25%|SER 74% : PAR 26%|"
    "SER 73% : PAR 27%|SER 72% : PAR 28%|SER 72% : PAR 28%|SER 71% : PAR 29%|SER 70% : PAR 30%|"
    "SER 69% : PAR 31%|SER 68% : PAR 32%|SER 68% : PAR 32%|SER 67% : PAR 33%|SER 66% : PAR 34%|"
    "SER 65% : PAR 35%|SER 65% : PAR 35%|SER 64% : PAR 36%|SER 63% : PAR 37%|SER 62% : PAR 38%|"
    "SER 61% : PAR 39%|SER 61% : PAR 39%|SER 60% : PAR 40%|SER 59% : PAR 41%|SER 58% : PAR 42%|"
    "SER 58% : PAR 42%|SER 57% : PAR 43%|SER 56% : PAR 44%|SER 55% : PAR 45%|SER 54% : PAR 46%|"
    "SER 54% : PAR 46%|SER 53% : PAR 47%|SER 52% : PAR 48%|SER 51% : PAR 49%|SER 50% : PAR 50%|"
    "SER 50% : PAR 50%|SER 49% : PAR 51%|SER 48% : PAR 52%|SER 47% : PAR 53%|SER 47% : PAR 53%|"
    "SER 46% : PAR 54%|SER 45% : PAR 55%|SER 44% : PAR 56%|SER 43% : PAR 57%|SER 43% : PAR 57%|"
    "SER 42% : PAR 58%|SER 41% : PAR 59%|SER 40% : PAR 60%|SER 40% : PAR 60%|SER 39% : PAR 61%|"
    "SER 38% : PAR 62%|SER 37% : PAR 63%|SER 36% : PAR 64%|SER 36% : PAR 64%|SER 35% : PAR 65%|"
    "SER 34% : PAR 66%|SER 33% : PAR 67%|SER 33% : PAR 67%|SER 32% : PAR 68%|SER 31% : PAR 69%|"
    "SER 30% : PAR 70%|SER 29% : PAR 71%|SER 29% : PAR 71%|SER 28% : PAR 72%|SER 27% : PAR 73%|"
    "SER 26% : PAR 74%|SER 25% : PAR 75%|SER 25% : PAR 75%|SER 24% : PAR 76%|SER 23% : PAR 77%|"
    "SER 22% : PAR 78%|SER 22% : PAR 78%|SER 21% : PAR 79%|SER 20% : PAR 80%|SER 19% : PAR 81%|"
    "SER 18% : PAR 82%|SER 18% : PAR 82%|SER 17% : PAR 83%|SER 16% : PAR 84%|SER 15% : PAR 85%|"
    "SER 15% : PAR 85%|SER 14% : PAR 86%|SER 13% : PAR 87%|SER 12% : PAR 88%|SER 11% : PAR 89%|"
    "SER 11% : PAR 89%|SER 10% : PAR 90%|SER 9% : PAR 91%|SER 8% : PAR 92%|SER 8% : PAR 92%|"
    "SER 7% : PAR 93%|SER 6% : PAR 94%|SER 5% : PAR 95%|SER 4% : PAR 96%|SER 4% : PAR 96%|"
    "SER 3% : PAR 97%|SER 2% : PAR 98%|PARALLEL 100%|";

std::vector<std::string> splitTexts(const char* texts) {
    std::vector<std::string> out(1);
    for (const char* c = texts; *c; ++c)
        if (*c == '|')
            out.emplace_back();
        else
            out.back() += *c;
    return out;
}

} // namespace

TEST(ValueTexts, ListFamiliesShowTheirListAtTheStoredValue) {
    // Part 0 of first and part 15 of last, the last slot, step or tap (first when 0).
    const struct {
        int first, last;
        const char* list;
    } rows[] = {
        // clang-format off
        {kOscillator1Shape, kOscillator2Shape, "oscillator12shape"},
        {kOscillator3Shape, 0, "oscillator3shape"},
        {kFX1FiveFXSource, kFX2FiveFXSource, "fxInputList"},
        {kFX1VocoderAnalysisSignal, kFX2VocoderAnalysisSignal, "fxInputList"},
        {kFX1ReverbPredelay, kFX2ReverbPredelay, "preDelay"},
        {kFX1ReverbSize, kFX2ReverbSize, "reverbSize"},
        {kFX1DelayLength, kFX2DelayLength, "delayFreeValues"},
        {kFX251DelayDelay, 0, "delayFreeValues"},
        {kFX1DelayLengthClocked, kFX2DelayLengthClocked, "delayClockedValues"},
        {kFX251DelayClockedDelay, 0, "delayClockedValues"},
        {kFX1FiveFXSampleHold, kFX2FiveFXSampleHold, "sampleRate"},
        {kFX1VocoderAnalysisLoFrq, kFX2VocoderAnalysisLoFrq, "analysisFrequency"},
        {kFX1VocoderAnalysisHiFrq, kFX2VocoderAnalysisHiFrq, "analysisFrequency"},
        {kFX251DelayLFELP, kFX251DelayInputHP, "analysisFrequency"},
        {kFX251DelayClockedLFELP, kFX251DelayClockedInputHP, "analysisFrequency"},
        {kFX251DelayDelayML, kFX251DelayDelayMR, "delayPercentage"},
        {kFX251DelayDelayS2L, kFX251DelayS1L, "delayPercentage"},
        {kFX251DelayS1R, kFX251DelayClockedDelayML, "delayPercentage"},
        {kFX251DelayClockedDelayMR, kFX251DelayClockedDelayS2L, "delayPercentage"},
        {kFX251DelayClockedDelayS1L, kFX251DelayClockedDelayS1R, "delayPercentage"},
        {kFX1TapDelayDelay, kFX2TapDelayDelay, "tapDelayDelay"},
        {kFX1TapDelayTap1Volume, kFX2TapDelayTap16Volume, "tapLevel"},
        {kFX1TapDelayTap1Pan, kFX2TapDelayTap16Pan, "tapPan"},
        {kFX1TapDelayFeedbackDucking, kFX2TapDelayFeedbackDucking, "tapDucking"},
        {kEffect1Mode, 0, "fx1Mode"}, {kEffect2Mode, 0, "fx2Mode"},
        {kMod1FastSource, kMod8FastSource, "oscillatorPWMSource"},
        {kMod1FastDestination, kMod8FastDestination, "fastModMatrixDestinations"},
        {kMod1StandardSource, kMod8StandardSource, "standardMatrixSources"},
        {kMod1StandardDestination, kMod8StandardDestination, "standardMatrixDestinations"},
        {kModifier1Source1, kModifier4Source1, "standardMatrixSources"},
        {kModifier1Source2, kModifier4Source2, "modifierMatrixSources"},
        {kModifier1SourceType, kModifier4SourceType, "modifierOperators"},
        {kOscillator1FMSource, kOscillator3FMSource, "oscillatorFMSource"},
        {kOscillator1PWMSource, kOscillator3PWMSource, "oscillatorPWMSource"},
        {kOscillatorPitchSource, kAmpModSource, "oscillatorPWMSource"},
        {kFilterEnvMode, kEnvelope4Mode, "envelopeMode"},
        {kFilterEnvTrigger, kEnv4Trigger, "envelopeTrigger"},
        {kLFO1Startphase, kLFO3Startphase, "startPhase"}, {kLFO1Shape, kLFO3Shape, "lfoShape"},
        {kFilter1TypeQ, kFilter2TypeQ, "filter1TypeQ"},
        {kFilter2TypeQ, kFilter1TypeQ, "filter1TypeQ"},
        {kFilter1TypeQPlus, kFilter2TypeQPlus, "filter1TypeQPlus"},
        {kFilter2TypeQPlus, kFilter1TypeQPlus, "filter1TypeQPlus"},
        {kNoiseExtFilter1Source, kNoiseExtFilter2Source, "noiseFeedSource"},
        {kTuneMode, 0, "tuneMode"}, {kArpMode, 0, "arpMode"}, {kArpNoteLength, 0, "arpNoteLength"},
        {kArpPattern, 0, "arpPattern"}, {kArpClock, 0, "arpClock"},
        {kArpDirection, 0, "arpDirection"}, {kArpSortOrder, 0, "arpSortOrder"},
        {kArpVelocityMode, 0, "arpVeloMode"}, {kArpPattern01Step, kArpPattern16Step, "arpStep"},
        {kArpPattern01Timing, kArpPattern16Timing, "arpTiming"},
        {kArpPattern01StepLen, kArpPattern16StepLen, "arpTiming"},
        {kMultiPartKeyLow, kMultiPartKeyHigh, "keyList"}, {kPatternTransposeKey, 0, "keyList"},
        {kMultiPartOutput, 0, "outputList"}, {kMIDIRX, 0, "midiRXStatus"},
        {kMIDITX, 0, "midiTXStatus"}, {kEngine, 0, "engineStatus"},
        {kPartPitchBend, kPartProgramChange, "enableDisable"}, {kPartZaruvaMode, 0, "zaruvaMode"},
        {kPartZaruvaBank, 0, "zaruvaBank"}, {kPatternTransposeMode, 0, "seqTransposeMode"},
        {kPatternTransposeQuantize, 0, "seqTransposeQuantize"},
        {kOptionLinePar, 0, "seqOptionLinePar"},
        {kPatternStep01StepLength, kPatternStep32NoteLength, "seqStepLen"},
        {kPatternStep01HoldPause, kPatternStep32HoldPause, "seqHoldPause"},
        {kPatternStep01Note1, kPatternStep32Note8, "seqKeyList"},
        // clang-format on
    };
    const struct {
        int id;
        const char* list;
    } singles[] = {
        // clang-format off
        {kGlobalKeyVeloCurve, "keyVeloOnCurve"}, {kGlobalReleaseCurve, "keyVeloOffCurve"},
        {kGlobalPressureCurve, "keyPressureCurve"}, {kGlobalPedalController, "pedalCvController"},
        {kGlobalPedal2Controller, "pedalCvController"}, {kGlobalMidiChannel, "globalChannel"},
        {kGlobalClock, "globalClock"}, {kGlobalControlSend, "controllerSend"},
        {kGlobalReceive, "controllerReceive"}, {kGlobalControlW, "controlList"},
        {kGlobalControlZ, "controlList"}, {kMultiControlW, "controlList"},
        {kMultiControlZ, "controlList"}, {kGlobalRxProgramChange, "programChange"},
        {kGlobalTxProgramChange, "programChange"}, {kGlobalTuning, "globalTuning"},
        {kGlobalInputGain, "globalInputGain"}, {kGlobalMixInputTo, "globalMixInTo"},
        {kGlobalPopupTime, "globalPopupTime"}, {kGlobalFootswitch1Mode, "footswitchMode"},
        {kGlobalFootswitch2Mode, "footswitchMode"},
        {kGlobalFootswitch1Controller, "footswitchController"},
        {kGlobalFootswitch2Controller, "footswitchController"}, {kGlobalTuningHMTMode, "htmMode"},
        {kGlobalTuningHMTMIDIExport, "offOn"}, {kDatatype, "dataType"},
        // clang-format on
    };
    FakeParamChangePlugin fake(false);
    for (const char* list : {"clockedValues", "tempoValues"})
        fillList(fake, list);
    for (const auto& row : rows) {
        if (!fake.valueLists.count(row.list)) fillList(fake, row.list);
        const std::string list = row.list;
        EXPECT_EQ(valueLine(fake, row.first, 0, 5), list + "#0 [5]") << row.first;
        const int last = (row.last ? row.last : row.first) + 15;
        EXPECT_EQ(valueLine(fake, last, 127, 5), list + "#127 [5]") << last;
    }
    for (const auto& row : singles) {
        if (!fake.valueLists.count(row.list)) fillList(fake, row.list);
        EXPECT_EQ(valueLine(fake, row.id, 127, 5), std::string(row.list) + "#127 [5]") << row.id;
    }

    // An LFO speed reads its list only while its own clock is exactly 1.0.
    const int speed = kLFO3Speed + 15, clock = kLFO3Clock + 15;
    fake.setValue(clock - 1, 1.0);
    fake.setValue(kLFO2Clock + 15, 1.0);
    for (double clockValue : {0.0, 0.5, 2.0}) {
        fake.setValue(clock, clockValue);
        EXPECT_EQ(valueLine(fake, speed, 10, 64.7), "64");
    }
    fake.setValue(clock, 1.0);
    EXPECT_EQ(valueLine(fake, speed, 10, 64), "clockedValues#10 [64]");
    fake.setValue(kLFO1Clock, 1.0);
    EXPECT_EQ(valueLine(fake, kLFO1Speed, 127, 127), "clockedValues#127 [127]");
    EXPECT_EQ(valueLine(fake, kFX1DelayTempo, 0, 0), "Internal [0]");
    EXPECT_EQ(valueLine(fake, kFX1DelayTempo, 1, 1), "tempoValues#1 BMP [1]");
    EXPECT_EQ(valueLine(fake, kFX2DelayTempo + 15, 127, 127), "tempoValues#127 BMP [127]");
    EXPECT_EQ(valueLine(fake, kMultiTempo, 0, 0), "tempoValues#0 BMP [0]");
}

TEST(ValueTexts, ComputedPercentagesOverTheWholeRange) {
    const struct {
        int id;
        const char* texts;
    } families[] = {
        {kFX251DelayClockedFeedback + 15, kFeedbackTexts},
        {kMultiPartPanning + 15, kPanTexts},
        {kFilter2Keytrack + 15, kKeytrackTexts},
        {kFilterRoutingQ + 15, kRoutingTexts},
    };
    FakeParamChangePlugin fake(false);
    for (const auto& family : families) {
        const std::vector<std::string> texts = splitTexts(family.texts);
        ASSERT_EQ(texts.size(), 130u);
        for (int s = -1; s <= 128; ++s)
            EXPECT_EQ(valueLine(fake, family.id, 0, s),
                      texts[size_t(s + 1)] + " [" + std::to_string(s) + "]")
                << family.id;
    }
    // The routing's split comes from the value itself.
    EXPECT_EQ(valueLine(fake, kFilterRoutingQ, 0, 64.5), "SER 50% : PAR 50% [64]");
    EXPECT_EQ(valueLine(fake, kFilterRoutingQ, 0, 65.7), "SER 49% : PAR 51% [65]");
}

TEST(ValueTexts, WordsCountsAndOffsetsOfEveryMemberAndAtTheirEdges) {
    // Part 0 of first and part 15 of last (first when 0) at a telling value.
    const struct {
        int first, last, s;
        const char* text;
    } members[] = {
        // clang-format off
        {kFX1FlangerFeedBack, kFX2FlangerFeedBack, 64, " 50%"},
        {kFX1PhaserFeedback, kFX2PhaserFeedback, 64, " 50%"},
        {kFX1DelayFeedback, kFX2DelayFeedback, 64, " 50%"},
        {kFX1TapDelayFeedback, kFX2TapDelayFeedback, 0, "   0%"},
        {kFX1TapDelaySwingFactor, kFX2TapDelaySwingFactor, 1, "0%"},
        {kFX251DelayFeedback, 0, 127, "100%"}, {kFilter1Panning, kFilter2Panning, 64, "< CENTER >"},
        {kMultiPartPanning, 0, 32, "LEFT 49%"}, {kFilterRoutingQ, 0, 1, "SER 100% : PAR 0%"},
        {kOscillator1Keytrack, kOscillator3Keytrack, 96, "+100%"},
        {kFilter1Keytrack, kFilter2Keytrack, 64, "+000%"},
        {kFX1VocoderBands, kFX2VocoderBands, 0, "2"},
        {kFX1VocoderEQMiddleFreq, kFX2VocoderEQMiddleFreq, 0, "1"}, {kPartZaruvaPatch, 0, 0, "1"},
        {kArpOctRange, kArpMaxNotes, 3, "4"}, {kArpPatternLength, 0, 15, "16"},
        {kPatternStepLength, 0, 31, "32"},
        {kFX1FlangerPolarity, kFX2FlangerPolarity, 1, "Negative"},
        {kFX1PhaserPolarity, kFX2PhaserPolarity, 0, "Positive"},
        {kFX1DelayPolarity, kFX2DelayPolarity, 1, "Negative"},
        {kOscillator2SyncToOsc3, kOscillatorGlideOnOffSwitch, 1, "ON"},
        {kLFO1SyncOnOff, kLFO3SyncOnOff, 1, "ON"}, {kLFO1Clock, kLFO3Clock, 0, "OFF"},
        {kArpSameNoteOverlap, kArpPatternReset, 1, "ON"},
        {kArpPattern01Glide, kArpPattern16Glide, 1, "ON"},
        {kFX1DelayClocked, kFX2DelayClocked, 1, "ON"},
        {kFX1DelayAutoPan, kFX2DelayAutoPan, 1, "ON"}, {kPartLock, kSectionLockMod4, 1, "ON"},
        {kFilterLinkSwitch, 0, 1, "ON"}, {kSectionLockPattern, 0, 1, "ON"},
        {kOscillatorGlideMode, 0, 3, "FINGERED GLISS"}, {kOscillatorMonoPolyMode, 0, 1, "MONO"},
        {kMultiPartStatus, 0, 1, "ENABLED"}, {kMultiPartMIDICh, 0, 17, "16"},
        {kPartPattern, 0, 5, "PTRN # 5"}, {kPatternStep01Cutoff, kPatternStep32Cutoff, 0, "-64"},
        {kPatternStep01CV1, kPatternStep32CV2, 127, "+63"},
        // clang-format on
    };
    const struct {
        int id;
        double s;
        const char* line;
    } edges[] = {
        // clang-format off
        {kPartLock, 2, " [2]"}, {kFX1DelayPolarity, -1, " [-1]"},
        {kOscillatorGlideMode, 0, "PORTAMENTO [0]"}, {kOscillatorGlideMode, 4, " [4]"},
        {kMultiPartStatus, 2, " [2]"}, {kMultiPartMIDICh, 0, "Global [0]"},
        {kMultiPartMIDICh, 1, "Omni [1]"}, {kMultiPartMIDICh, 2, "1 [2]"},
        {kPartPattern, 0, "OFF [0]"}, {kArpOctRange, -1, "0 [-1]"},
        {kPatternStepLength, 1e300, "2147483648 [2147483647]"}, {kPatternStep01CV1, 128, " [128]"},
        {kNumNonAutomatedParams, 64, "0 [64]"}, {kGlobalLocalControl, 1, "ON [1]"},
        {kGlobalArpSend, 0, "OFF [0]"}, {kSectionLockGlobal, 0, "OFF [0]"},
        {kControlProgBank, 1, "ON [1]"}, {kCategorySelection, 1, "ON [1]"},
        {kKeepSelectedBank, 0, "OFF [0]"}, {kPatternStep12Velocity + 3, 100, "100"},
        {kArpPattern07Accent + 3, 40, "40"}, {kArpTimeFactor + 15, 5.9, "5"},
        {kPatternName + 15, 7, "7"}, {kGlobalPedal2Offset, 64, "64"},
        {kGlobalPedalOffset, 64, "0 [64]"},
        // clang-format on
    };
    FakeParamChangePlugin fake(false);
    for (const auto& row : members) {
        const std::string line = std::string(row.text) + " [" + std::to_string(row.s) + "]";
        EXPECT_EQ(valueLine(fake, row.first, 0, row.s), line) << row.first;
        const int last = (row.last ? row.last : row.first) + 15;
        EXPECT_EQ(valueLine(fake, last, 0, row.s), line) << last;
    }
    for (const auto& row : edges)
        EXPECT_EQ(valueLine(fake, row.id, 0, row.s), row.line) << row.id << " at " << row.s;
    fake.hostProgramChangeDropFlag = true;
    EXPECT_EQ(valueLine(fake, kControlLibrary, 0, 1), "ON [1]");
    // The model switch names itself but leaves the value shown before.
    ControlDisplay::controlDisplay(&fake, kQModel, 1, false);
    EXPECT_EQ(fake.nameText(), fake.GetParam(kQModel)->GetNameForHost());
    EXPECT_EQ(fake.valueText(), "ON [1]");
}

TEST(ValueTexts, EveryIdHasAtMostOneFamilyAndOnlyDisplayedIdsHaveOne) {
    FakeParamChangePlugin fake(false);
    fake.hostProgramChangeDropFlag = true;
    std::vector<int> claims(kNumParams);
    for (const ValueFamily& family : valueFamilies())
        for (int id = 0; id < kNumParams; ++id)
            claims[size_t(id)] += family.claims(id);
    std::set<int> globalFallbacks;
    for (int id = 0; id < kNumParams; ++id) {
        const int n = claims[size_t(id)];
        EXPECT_LE(n, 1) << id;
        if (id >= kGlobalInitSound1 && id <= kMultiControlZ && n == 0) globalFallbacks.insert(id);
        // With its clock off an LFO speed shows the bare number, as the fallback does.
        const ValueFamily* family = findValueFamily(id);
        const bool bare = !family || (family->list && family->list == std::string("clockedValues"));
        for (int s : {0, 64, 127}) {
            fake.displayNameLine()->SetTextFromPlug("before");
            fake.displayValueLine()->SetTextFromPlug("before");
            ControlDisplay::controlDisplay(&fake, id, s, false);
            const std::string line = fake.valueText();
            if (fake.nameText() == "before") {
                EXPECT_EQ(n, 0) << id << " is never displayed";
            } else if (bare) {
                EXPECT_EQ(line, std::to_string(s)) << id;
            } else if (id != kQModel) {
                EXPECT_EQ(line.substr(line.rfind(' ')), " [" + std::to_string(s) + "]") << id;
            }
        }
    }
    EXPECT_EQ(globalFallbacks,
              (std::set<int>{9041, 9042, 9043, 9044, 9045, 9046, 9047, 9053, 9054, 9057, 9072,
                             9074, 9075, 9076, 9077, 9083, 9086, 9087, 9088, 9089, 9090}));
}

TEST(ValueTexts, MissingOrShortListsAndStrayStoredValuesGiveAnEmptyText) {
    FakeParamChangePlugin fake(false);
    fillList(fake, "globalClock");
    fillList(fake, "tempoValues");
    fake.valueLists["tuneMode"] = {"first", "second"};
    fake.valueLists["lfoShape"] = {};
    for (int id : {int(kGlobalClock), kTuneMode + 15, int(kMultiTempo)})
        fake.GetParam(id)->InitInt("", 0, -1000, 1000);
    const struct {
        int id;
        double stored;
        const char* line;
    } rows[] = {
        // clang-format off
        {kGlobalClock, 1.9, "globalClock#1 [5]"}, {kGlobalClock, -5, " [5]"},
        {kGlobalClock, 200, " [5]"}, {kGlobalClock, 128, " [5]"}, {kTuneMode + 15, 1, "second [5]"},
        {kTuneMode + 15, 2, " [5]"}, {kTuneMode + 15, -5, " [5]"}, {kLFO2Shape, 0, " [5]"},
        {kNoiseExtFilter2Source, 0, " [5]"}, {kMultiTempo, 128, " [5]"}, {kMultiTempo, -5, " [5]"},
        {kFX2DelayTempo, 0.9, "Internal [5]"},
        // clang-format on
    };
    for (const auto& row : rows)
        EXPECT_EQ(valueLine(fake, row.id, row.stored, 5), row.line) << row.id << " " << row.stored;
}

TEST(ValueTexts, EveryListTheFamiliesReadIsInTheLayoutConfiguration) {
    const char* top = std::getenv("ZOZ_TEST_SOURCE_DIR");
    const std::string path = std::string(top ? top : ".") + "/resources/uiconfig.xml";
    tinyxml2::XMLDocument document;
    if (document.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS)
        GTEST_SKIP() << "no layout configuration at " << path;
    const tinyxml2::XMLElement* root = document.FirstChildElement("uiconfig");
    const tinyxml2::XMLElement* lists = root ? root->FirstChildElement("valueLists") : nullptr;
    ASSERT_TRUE(lists);
    std::set<std::string> names;
    for (auto* list = lists->FirstChildElement("list"); list;
         list = list->NextSiblingElement("list"))
        names.insert(list->Attribute("name") ? list->Attribute("name") : "");
    for (const ValueFamily& family : valueFamilies())
        if (family.list) {
            EXPECT_TRUE(names.count(family.list)) << family.list;
        }
}
