#include "src/params/ValueFamilies.h"

#include "kit/effect/IEffectBase.h"
#include "src/params/ControlDisplay.h"
#include "src/params/ParamChangePlugin.h"
#include "src/uiconfig/ParameterIds.h"

#include <cstdlib>
#include <vector>

namespace {

// Computed texts divide or multiply by these in double precision and truncate.
constexpr double kDivisor = 1.28;
constexpr double kFeedbackDivisor = 1.27;
constexpr double kPanFactor = 1.55;

std::string percent(int n) {
    return std::to_string(n) + "%";
}

// The entry p of the family's list, or null when the list lacks it.
const std::string* entryAt(const ValueTextArgs& a, const ValueFamily& family) {
    const std::vector<std::string>& list = a.plug->getValueList(family.list);
    return a.p >= 0 && size_t(a.p) < list.size() ? &list[size_t(a.p)] : nullptr;
}

const char* wordOf(const FixedWord* words, int s) {
    for (const FixedWord* word = words; word->text; ++word)
        if (word->s == s) return word->text;
    return nullptr;
}

// A stretch of shown values whose text is factor · s + add, signed with "+" when plus.
struct OffsetPiece {
    int low;
    int high;
    int factor;
    int add;
    bool plus;
};

// Vocoder analysis offsets: one step per value near the centre, three towards the ends.
// Tried in order.
constexpr OffsetPiece kVocoderAnalysisPieces[] = {
    {95, 95, 0, 31, true},  {64, 64, 0, 0, false},   {33, 63, 1, -64, false},
    {65, 94, 1, -64, true}, {0, 32, 3, -128, false}, {96, 127, 3, -253, true},
};

ValueLine vocoderAnalysisOffset(const ValueTextArgs& a, const ValueFamily&, std::string& text) {
    for (const OffsetPiece& piece : kVocoderAnalysisPieces) {
        if (a.s < piece.low || a.s > piece.high) continue;
        text = (piece.plus ? "+" : "") + std::to_string(piece.factor * a.s + piece.add);
        break;
    }
    return ValueLine::kWithEnding;
}

ValueLine frequencyDivider(const ValueTextArgs& a, const ValueFamily&, std::string& text) {
    if (a.s >= 0) text = std::to_string(a.s + 1LL);
    return ValueLine::kWithEnding;
}

ValueLine pulseWidth(const ValueTextArgs& a, const ValueFamily&, std::string& text) {
    if (a.s <= 2)
        text = "<1%";
    else if (a.s == 127)
        text = "50%";
    else
        text = percent(int(a.s / kDivisor * 0.5));
    return ValueLine::kWithEnding;
}

// Two shares of one source; the split comes from the value itself, not from s.
std::string split(const char* first, const char* second, double v) {
    const int toSecond = int(v / kDivisor);
    return std::string(first) + " " + percent(100 - toSecond) + " : " + second + " " +
           percent(toSecond);
}

std::string filterBalance(const ValueTextArgs& a) {
    return split("F1", "F2", a.v);
}

std::string filterRouting(const ValueTextArgs& a) {
    return split("SER", "PAR", a.v);
}

std::string lfoKeytrack(const ValueTextArgs& a) {
    if (a.s < 64) return percent(int(a.s / kDivisor * 4.0) - 200);
    return percent(int((a.s - 64) / kDivisor * 4.0));
}

std::string feedback(const ValueTextArgs& a) {
    return percent(int(a.s / kFeedbackDivisor));
}

// Percent of the way from the centre to one end, in steps that skip 50.
int fromCentre(int s) {
    return int(std::abs(s - 64) * kPanFactor);
}

std::string pan(const ValueTextArgs& a) {
    return (a.s < 64 ? "LEFT " : "RIGHT ") + percent(fromCentre(a.s));
}

std::string keytrack(const ValueTextArgs& a) {
    return (a.s < 64 ? "-" : "+") + percent(2 * fromCentre(a.s));
}

ValueLine untouched(const ValueTextArgs&, const ValueFamily&, std::string&) {
    return ValueLine::kUntouched;
}

ValueLine partPattern(const ValueTextArgs& a, const ValueFamily&, std::string& text) {
    text = a.s == 0 ? "OFF" : "PTRN # " + std::to_string(a.s);
    return ValueLine::kWithEnding;
}

// 0 follows the global channel, 1 listens on all; the channels count from 2.
ValueLine midiChannel(const ValueTextArgs& a, const ValueFamily&, std::string& text) {
    if (a.s > 1)
        text = std::to_string(a.s - 1);
    else
        text = a.s == 0 ? "Global" : "Omni";
    return ValueLine::kWithEnding;
}

// The clock switch of an LFO's speed, same LFO and part.
constexpr int kClockAfterSpeed = kLFO1Clock - kLFO1Speed;
static_assert(kLFO2Clock - kLFO2Speed == kClockAfterSpeed &&
              kLFO3Clock - kLFO3Speed == kClockAfterSpeed);

// Clocked (the switch at exactly 1.0) a speed reads its list; free running it is the bare
// number, with no ending.
ValueLine lfoSpeed(const ValueTextArgs& a, const ValueFamily& family, std::string& text) {
    const IParam* clock = a.plug->effect()->GetParam(a.id + kClockAfterSpeed);
    if (clock && clock->Value() == 1.0) return listEntry(a, family, text);
    text = ControlDisplay::getValueString(double(a.s));
    return ValueLine::kWhole;
}

// A tempo entry and the unit as the display has always spelt it.
ValueLine tempo(const ValueTextArgs& a, const ValueFamily& family, std::string& text) {
    if (const std::string* entry = entryAt(a, family)) text = *entry + " BMP";
    return ValueLine::kWithEnding;
}

// The effect delays' tempo 0 follows the delay's own clock.
ValueLine effectDelayTempo(const ValueTextArgs& a, const ValueFamily& family, std::string& text) {
    if (a.p != 0) return tempo(a, family, text);
    text = "Internal";
    return ValueLine::kWithEnding;
}

constexpr SignedOffset kBipolar{64, 0, 127, "0"};

// Footage in feet, right-aligned in three characters, and the acute accent as foot sign.
constexpr FixedWord kOctaveWords[] = {
    {16, "128 \xC2\xB4"},  {28, " 64 \xC2\xB4"}, {40, " 32 \xC2\xB4"}, {52, " 16 \xC2\xB4"},
    {64, "  8 \xC2\xB4"},  {76, "  4 \xC2\xB4"}, {88, "  2 \xC2\xB4"}, {100, "  1 \xC2\xB4"},
    {112, "1/2 \xC2\xB4"}, {0, nullptr},
};
constexpr FixedWord kOnOff[] = {{0, "OFF"}, {1, "ON"}, {0, nullptr}};
constexpr FixedWord kPolarity[] = {{0, "Positive"}, {1, "Negative"}, {0, nullptr}};
constexpr FixedWord kPartStatus[] = {{0, "DISABLED"}, {1, "ENABLED"}, {0, nullptr}};
constexpr FixedWord kVoiceMode[] = {{0, "POLY"}, {1, "MONO"}, {0, nullptr}};
constexpr FixedWord kGlideModes[] = {
    {0, "PORTAMENTO"}, {1, "FINGERED PORTA"}, {2, "GLISSANDO"}, {3, "FINGERED GLISS"}, {0, nullptr},
};
// The ends and the centre of the computed ranges.
constexpr FixedWord kBalanceEnds[] = {
    {0, "FILTER 1 100%"}, {64, "F1 50% : F2 50%"}, {127, "FILTER 2 100%"}, {0, nullptr}};
constexpr FixedWord kRoutingEnds[] = {
    {0, "SERIAL 100%"}, {64, "SER 50% : PAR 50%"}, {127, "PARALLEL 100%"}, {0, nullptr}};
constexpr FixedWord kLFOKeytrackEnds[] = {{0, "-200%"}, {64, "0 %"}, {127, "196%"}, {0, nullptr}};
constexpr FixedWord kFeedbackEnds[] = {{0, "   0%"}, {64, " 50%"}, {127, "100%"}, {0, nullptr}};
constexpr FixedWord kPanEnds[] = {
    {0, "LEFT 100%"}, {64, "< CENTER >"}, {127, "RIGHT 100%"}, {0, nullptr}};
constexpr FixedWord kKeytrackEnds[] = {
    {0, "-200%"}, {64, "+000%"}, {96, "+100%"}, {127, "+196%"}, {0, nullptr}};

// A per-part parameter (or params consecutive ones) of effect slot 1 and its twin of slot 2.
constexpr FamilyIds bothSlots(int fx1, int params = 1) {
    return {fx1, 16 * params, 2, kFX2FlangerFeedBack - kFX1FlangerFeedBack};
}
// A per-part parameter of the arpeggiator's first user step and its twins of steps 2 to 16.
constexpr FamilyIds arpSteps(int step1) {
    return {step1, 16, 16, kArpPattern02Glide - kArpPattern01Glide};
}
// The same for the pattern's 32 steps.
constexpr FamilyIds patternSteps(int step1, int params = 1) {
    return {step1, 16 * params, 32, kPatternStep02Cutoff - kPatternStep01Cutoff};
}

// Tried in order; the first family that claims an id makes its text.
constexpr ValueFamily kValueFamilies[] = {
    // Signed amounts around 64.
    offsetFamily(perPart(kOscillator1PWMAmount), kBipolar),
    offsetFamily(perPart(kOscillator1Detune), kBipolar),
    offsetFamily(perPart(kOscillator1Semitone), kBipolar),
    offsetFamily(perPart(kOscillator2PWMAmount), kBipolar),
    offsetFamily(perPart(kOscillator2Detune), kBipolar),
    offsetFamily(perPart(kOscillator2Semitone), kBipolar),
    offsetFamily(perPart(kOscillator3PWMAmount), kBipolar),
    offsetFamily(perPart(kOscillator3Detune), kBipolar),
    offsetFamily(perPart(kOscillator3Semitone), kBipolar),
    offsetFamily(perPart(kOscillatorPitchAmount), kBipolar),
    offsetFamily(perPart(kFilter1EnvAmount), kBipolar),
    offsetFamily(perPart(kFilter1EnvVelocity), kBipolar),
    offsetFamily(perPart(kFilter1ModAmount), kBipolar),
    offsetFamily(perPart(kFilter1PanAmount), kBipolar),
    offsetFamily(perPart(kFilter2EnvAmount), kBipolar),
    offsetFamily(perPart(kFilter2EnvVelocity), kBipolar),
    offsetFamily(perPart(kFilter2ModAmount), kBipolar),
    offsetFamily(perPart(kFilter2PanAmount), kBipolar),
    offsetFamily(perPart(kAmpLevelVelocity), kBipolar),
    offsetFamily(perPart(kAmpModAmount), kBipolar),
    offsetFamily(perPart(kFX1VocoderBandwidth), kBipolar),
    offsetFamily(perPart(kFX1VocoderResonance), kBipolar),
    offsetFamily(perPart(kFX1VocoderEQLowBandLevel), kBipolar),
    offsetFamily(perPart(kFX1VocoderEQMiddleLevel), kBipolar),
    offsetFamily(perPart(kFX1VocoderEQHighBandLevel), kBipolar),
    offsetFamily(perPart(kFX2VocoderBandwidth), kBipolar),
    offsetFamily(perPart(kFX2VocoderResonance), kBipolar),
    offsetFamily(perPart(kFX2VocoderEQLowBandLevel), kBipolar),
    offsetFamily(perPart(kFX2VocoderEQMiddleLevel), kBipolar),
    offsetFamily(perPart(kFX2VocoderEQHighBandLevel), kBipolar),
    offsetFamily(perPart(kLFO1Fade, 3, kLFO2Fade - kLFO1Fade), kBipolar),
    offsetFamily(perPart(kMod1FastAmount, 8, kMod2FastAmount - kMod1FastAmount), kBipolar),
    offsetFamily(perPart(kMod1StandardAmount, 8, kMod2StandardAmount - kMod1StandardAmount),
                 kBipolar),
    offsetFamily(
        perPart(kModifier1SourceAmount, 4, kModifier2SourceAmount - kModifier1SourceAmount),
        kBipolar),
    offsetFamily(perPart(kMultiPartDetune), kBipolar),
    offsetFamily(single(kGlobalPedalOffset), kBipolar),
    // Transposition and bend ranges.
    offsetFamily(single(kGlobalTranspose), {12, 0, 24, "0"}),
    offsetFamily(perPart(kMultiPartTranspose), {48, 0, 97, "+0"}),
    offsetFamily(perPart(kOscillator1BendRange), {24, 0, 49, "0"}),
    offsetFamily(perPart(kOscillator2BendRange), {24, 0, 49, "0"}),
    offsetFamily(perPart(kOscillator3BendRange), {24, 0, 49, "0"}),
    ruleFamily(perPart(kFX1VocoderAnalysisSOffset, 2), vocoderAnalysisOffset),
    ruleFamily(perPart(kFX2VocoderAnalysisSOffset, 2), vocoderAnalysisOffset),
    ruleFamily(perPart(kOscillator1FrqDivide), frequencyDivider),
    ruleFamily(perPart(kOscillator2FrqDivide), frequencyDivider),
    // Oscillators, mixer and LFO keytrack.
    wordFamily(perPart(kOscillator1Octave), kOctaveWords),
    wordFamily(perPart(kOscillator2Octave), kOctaveWords),
    wordFamily(perPart(kOscillator3Octave), kOctaveWords),
    ruleFamily(perPart(kOscillator1Pulsewidth), pulseWidth),
    ruleFamily(perPart(kOscillator2Pulsewidth), pulseWidth),
    ruleFamily(perPart(kOscillator3Pulsewidth), pulseWidth),
    percentFamily(perPart(kOscillator1Balance), kBalanceEnds, filterBalance),
    percentFamily(perPart(kOscillator2Balance), kBalanceEnds, filterBalance),
    percentFamily(perPart(kOscillator3Balance), kBalanceEnds, filterBalance),
    percentFamily(perPart(kRingModulationBalance), kBalanceEnds, filterBalance),
    percentFamily(perPart(kNoiseBalance), kBalanceEnds, filterBalance),
    percentFamily(perPart(kLFO1Keytrack, 3, kLFO2Keytrack - kLFO1Keytrack), kLFOKeytrackEnds,
                  lfoKeytrack),
    listFamily(perPart(kOscillator1Shape), "oscillator12shape"),
    listFamily(perPart(kOscillator2Shape), "oscillator12shape"),
    listFamily(perPart(kOscillator3Shape), "oscillator3shape"),
    // Effects.
    listFamily(bothSlots(kFX1FiveFXSource), "fxInputList"),
    listFamily(bothSlots(kFX1VocoderAnalysisSignal), "fxInputList"),
    shownPlusFamily(bothSlots(kFX1VocoderBands), 2),
    shownPlusFamily(bothSlots(kFX1VocoderEQMiddleFreq), 1),
    percentFamily(bothSlots(kFX1FlangerFeedBack), kFeedbackEnds, feedback),
    percentFamily(bothSlots(kFX1PhaserFeedback), kFeedbackEnds, feedback),
    percentFamily(bothSlots(kFX1DelayFeedback), kFeedbackEnds, feedback),
    percentFamily(bothSlots(kFX1TapDelayFeedback), kFeedbackEnds, feedback),
    percentFamily(bothSlots(kFX1TapDelaySwingFactor), kFeedbackEnds, feedback),
    percentFamily(perPart(kFX251DelayFeedback), kFeedbackEnds, feedback),
    percentFamily(perPart(kFX251DelayClockedFeedback), kFeedbackEnds, feedback),
    listFamily(bothSlots(kFX1ReverbPredelay), "preDelay"),
    listFamily(bothSlots(kFX1ReverbSize), "reverbSize"),
    listFamily(bothSlots(kFX1DelayLength), "delayFreeValues"),
    listFamily(perPart(kFX251DelayDelay), "delayFreeValues"),
    listFamily(bothSlots(kFX1DelayLengthClocked), "delayClockedValues"),
    listFamily(perPart(kFX251DelayClockedDelay), "delayClockedValues"),
    listFamily(bothSlots(kFX1FiveFXSampleHold), "sampleRate"),
    listFamily(bothSlots(kFX1VocoderAnalysisLoFrq), "analysisFrequency"),
    listFamily(bothSlots(kFX1VocoderAnalysisHiFrq), "analysisFrequency"),
    listFamily(perPart(kFX251DelayLFELP), "analysisFrequency"),
    listFamily(perPart(kFX251DelayInputHP), "analysisFrequency"),
    listFamily(perPart(kFX251DelayClockedLFELP), "analysisFrequency"),
    listFamily(perPart(kFX251DelayClockedInputHP), "analysisFrequency"),
    listFamily(perPart(kFX251DelayDelayML), "delayPercentage"),
    listFamily(perPart(kFX251DelayDelayMR), "delayPercentage"),
    listFamily(perPart(kFX251DelayDelayS2L), "delayPercentage"),
    listFamily(perPart(kFX251DelayS1L), "delayPercentage"),
    listFamily(perPart(kFX251DelayS1R), "delayPercentage"),
    listFamily(perPart(kFX251DelayClockedDelayML), "delayPercentage"),
    listFamily(perPart(kFX251DelayClockedDelayMR), "delayPercentage"),
    listFamily(perPart(kFX251DelayClockedDelayS2L), "delayPercentage"),
    listFamily(perPart(kFX251DelayClockedDelayS1L), "delayPercentage"),
    listFamily(perPart(kFX251DelayClockedDelayS1R), "delayPercentage"),
    listFamily(bothSlots(kFX1DelayTempo), "tempoValues", effectDelayTempo),
    listFamily(bothSlots(kFX1TapDelayDelay), "tapDelayDelay"),
    listFamily(bothSlots(kFX1TapDelayTap1Volume, 16), "tapLevel"),
    listFamily(bothSlots(kFX1TapDelayTap1Pan, 16), "tapPan"),
    listFamily(bothSlots(kFX1TapDelayFeedbackDucking), "tapDucking"),
    wordFamily(bothSlots(kFX1FlangerPolarity), kPolarity),
    wordFamily(bothSlots(kFX1PhaserPolarity), kPolarity),
    wordFamily(bothSlots(kFX1DelayPolarity), kPolarity),
    wordFamily(bothSlots(kFX1DelayClocked), kOnOff),
    wordFamily(bothSlots(kFX1DelayAutoPan), kOnOff),
    listFamily(perPart(kEffect1Mode), "fx1Mode"),
    listFamily(perPart(kEffect2Mode), "fx2Mode"),
    // Pan, filter routing and keytrack.
    percentFamily(perPart(kFilter1Panning), kPanEnds, pan),
    percentFamily(perPart(kFilter2Panning), kPanEnds, pan),
    percentFamily(perPart(kMultiPartPanning), kPanEnds, pan),
    percentFamily(perPart(kFilterRoutingQ), kRoutingEnds, filterRouting),
    percentFamily(perPart(kOscillator1Keytrack, 3, kOscillator2Keytrack - kOscillator1Keytrack),
                  kKeytrackEnds, keytrack),
    percentFamily(perPart(kFilter1Keytrack), kKeytrackEnds, keytrack),
    percentFamily(perPart(kFilter2Keytrack), kKeytrackEnds, keytrack),
    // Modulation sources, destinations and operators.
    listFamily(perPart(kMod1FastSource, 8, kMod2FastSource - kMod1FastSource),
               "oscillatorPWMSource"),
    listFamily(perPart(kMod1FastDestination, 8, kMod2FastDestination - kMod1FastDestination),
               "fastModMatrixDestinations"),
    listFamily(perPart(kMod1StandardSource, 8, kMod2StandardSource - kMod1StandardSource),
               "standardMatrixSources"),
    listFamily(
        perPart(kMod1StandardDestination, 8, kMod2StandardDestination - kMod1StandardDestination),
        "standardMatrixDestinations"),
    listFamily(perPart(kModifier1Source1, 4, kModifier2Source1 - kModifier1Source1),
               "standardMatrixSources"),
    listFamily(perPart(kModifier1Source2, 4, kModifier2Source2 - kModifier1Source2),
               "modifierMatrixSources"),
    listFamily(perPart(kModifier1SourceType, 4, kModifier2SourceType - kModifier1SourceType),
               "modifierOperators"),
    listFamily(perPart(kOscillator1FMSource, 3, kOscillator2FMSource - kOscillator1FMSource),
               "oscillatorFMSource"),
    listFamily(perPart(kOscillator1PWMSource, 3, kOscillator2PWMSource - kOscillator1PWMSource),
               "oscillatorPWMSource"),
    listFamily(perPart(kOscillatorPitchSource), "oscillatorPWMSource"),
    listFamily(perPart(kAmpModSource), "oscillatorPWMSource"),
    // Voice, envelopes and LFOs.
    wordFamily(perPart(kOscillator2SyncToOsc3), kOnOff),
    wordFamily(perPart(kOscillatorGlideOnOffSwitch), kOnOff),
    wordFamily(perPart(kOscillatorGlideMode), kGlideModes),
    wordFamily(perPart(kOscillatorMonoPolyMode), kVoiceMode),
    listFamily(perPart(kFilterEnvMode, 4, kAmpEnvMode - kFilterEnvMode), "envelopeMode"),
    listFamily(perPart(kFilterEnvTrigger, 4), "envelopeTrigger"),
    listFamily(perPart(kLFO1Speed, 3, kLFO2Speed - kLFO1Speed), "clockedValues", lfoSpeed),
    wordFamily(perPart(kLFO1Clock, 3, kLFO2Clock - kLFO1Clock), kOnOff),
    wordFamily(perPart(kLFO1SyncOnOff, 3, kLFO2SyncOnOff - kLFO1SyncOnOff), kOnOff),
    listFamily(perPart(kLFO1Shape, 3, kLFO2Shape - kLFO1Shape), "lfoShape"),
    listFamily(perPart(kLFO1Startphase, 3, kLFO2Startphase - kLFO1Startphase), "startPhase"),
    // Filters and sources.
    listFamily(perPart(kFilter1TypeQ, 2, kFilter2TypeQ - kFilter1TypeQ), "filter1TypeQ"),
    listFamily(perPart(kFilter1TypeQPlus, 2, kFilter2TypeQPlus - kFilter1TypeQPlus),
               "filter1TypeQPlus"),
    listFamily(perPart(kNoiseExtFilter1Source, 2), "noiseFeedSource"),
    listFamily(perPart(kTuneMode), "tuneMode"),
    // Arpeggiator.
    listFamily(perPart(kArpMode), "arpMode"),
    listFamily(perPart(kArpNoteLength), "arpNoteLength"),
    listFamily(perPart(kArpPattern), "arpPattern"),
    listFamily(perPart(kArpClock), "arpClock"),
    listFamily(perPart(kArpDirection), "arpDirection"),
    listFamily(perPart(kArpSortOrder), "arpSortOrder"),
    listFamily(perPart(kArpVelocityMode), "arpVeloMode"),
    shownPlusFamily(perPart(kArpOctRange), 1),
    shownPlusFamily(perPart(kArpMaxNotes), 1),
    shownPlusFamily(perPart(kArpPatternLength), 1),
    wordFamily(perPart(kArpSameNoteOverlap, 2), kOnOff), // and kArpPatternReset
    wordFamily(arpSteps(kArpPattern01Glide), kOnOff),
    listFamily(arpSteps(kArpPattern01Step), "arpStep"),
    listFamily(arpSteps(kArpPattern01Timing), "arpTiming"),
    listFamily(arpSteps(kArpPattern01StepLen), "arpTiming"),
    // Multi parts.
    listFamily(perPart(kMultiPartKeyLow, 2), "keyList"), // and kMultiPartKeyHigh
    listFamily(perPart(kMultiPartOutput), "outputList"),
    wordFamily(perPart(kMultiPartStatus), kPartStatus),
    ruleFamily(perPart(kMultiPartMIDICh), midiChannel),
    ruleFamily(perPart(kPartPattern), partPattern),
    listFamily(perPart(kMIDIRX), "midiRXStatus"),
    listFamily(perPart(kMIDITX), "midiTXStatus"),
    listFamily(perPart(kEngine), "engineStatus"),
    listFamily(perPart(kPartPitchBend, 6), "enableDisable"), // up to kPartProgramChange
    listFamily(perPart(kPartZaruvaMode), "zaruvaMode"),
    listFamily(perPart(kPartZaruvaBank), "zaruvaBank"),
    shownPlusFamily(perPart(kPartZaruvaPatch), 1),
    ruleFamily(single(kQModel), untouched),
    // Global settings and the multi's tempo and controls.
    listFamily(single(kGlobalKeyVeloCurve), "keyVeloOnCurve"),
    listFamily(single(kGlobalReleaseCurve), "keyVeloOffCurve"),
    listFamily(single(kGlobalPressureCurve), "keyPressureCurve"),
    wordFamily(single(kGlobalLocalControl), kOnOff),
    listFamily(single(kGlobalPedalController), "pedalCvController"),
    listFamily(single(kGlobalPedal2Controller), "pedalCvController"),
    listFamily(single(kGlobalMidiChannel), "globalChannel"),
    listFamily(single(kGlobalClock), "globalClock"),
    wordFamily(single(kGlobalArpSend), kOnOff),
    listFamily(single(kGlobalControlSend), "controllerSend"),
    listFamily(single(kGlobalReceive), "controllerReceive"),
    listFamily(singles(kGlobalControlW, 4), "controlList"),
    listFamily(singles(kGlobalRxProgramChange, 2), "programChange"),
    listFamily(single(kGlobalTuning), "globalTuning"),
    listFamily(single(kGlobalInputGain), "globalInputGain"),
    listFamily(single(kGlobalMixInputTo), "globalMixInTo"),
    listFamily(single(kGlobalPopupTime), "globalPopupTime"),
    // The two footswitches' settings alternate.
    listFamily(singles(kGlobalFootswitch1Mode, 2, 2), "footswitchMode"),
    listFamily(singles(kGlobalFootswitch1Controller, 2, 2), "footswitchController"),
    listFamily(single(kGlobalTuningHMTMode), "htmMode"),
    listFamily(single(kGlobalTuningHMTMIDIExport), "offOn"),
    listFamily(single(kMultiTempo), "tempoValues", tempo),
    listFamily(singles(kMultiControlW, 4), "controlList"),
    // Locks and the editor's switches.
    wordFamily(perPart(kPartLock), kOnOff),
    wordFamily(perPart(kSectionLockOsc1, 40), kOnOff), // up to kSectionLockMod4
    wordFamily(single(kSectionLockGlobal), kOnOff),
    wordFamily(perPart(kFilterLinkSwitch), kOnOff),
    wordFamily(perPart(kSectionLockPattern), kOnOff),
    wordFamily(single(kControlProgBank), kOnOff),
    wordFamily(single(kCategorySelection), kOnOff),
    wordFamily(single(kKeepSelectedBank), kOnOff),
    wordFamily(single(kControlLibrary), kOnOff),
    listFamily(single(kDatatype), "dataType"),
    // Pattern sequencer.
    shownPlusFamily(perPart(kPatternStepLength), 1),
    listFamily(perPart(kPatternTransposeMode), "seqTransposeMode"),
    listFamily(perPart(kPatternTransposeKey), "keyList"),
    listFamily(perPart(kPatternTransposeQuantize), "seqTransposeQuantize"),
    listFamily(perPart(kOptionLinePar), "seqOptionLinePar"),
    offsetFamily(patternSteps(kPatternStep01Cutoff), kBipolar),
    offsetFamily(patternSteps(kPatternStep01CV1, 2), kBipolar),          // and CV2
    listFamily(patternSteps(kPatternStep01StepLength, 2), "seqStepLen"), // and NoteLength
    listFamily(patternSteps(kPatternStep01HoldPause), "seqHoldPause"),
    listFamily(patternSteps(kPatternStep01Note1, 8), "seqKeyList"),
};

} // namespace

bool ValueFamily::claims(int id) const {
    const int offset = id - ids.first;
    if (offset < 0) return false;
    return offset / ids.stride < ids.members && offset % ids.stride < ids.width;
}

ValueLine listEntry(const ValueTextArgs& a, const ValueFamily& family, std::string& text) {
    if (const std::string* entry = entryAt(a, family)) text = *entry;
    return ValueLine::kWithEnding;
}

ValueLine signedOffset(const ValueTextArgs& a, const ValueFamily& family, std::string& text) {
    const SignedOffset& o = family.offset;
    if (a.s == o.centre)
        text = o.centreText;
    else if (a.s >= o.low && a.s < o.centre)
        text = std::to_string(a.s - o.centre);
    else if (a.s > o.centre && a.s <= o.high)
        text = "+" + std::to_string(a.s - o.centre);
    return ValueLine::kWithEnding;
}

ValueLine fixedWords(const ValueTextArgs& a, const ValueFamily& family, std::string& text) {
    if (const char* word = wordOf(family.words, a.s)) text = word;
    return ValueLine::kWithEnding;
}

ValueLine shownPlus(const ValueTextArgs& a, const ValueFamily& family, std::string& text) {
    text = std::to_string(static_cast<long long>(a.s) + family.add);
    return ValueLine::kWithEnding;
}

ValueLine percentage(const ValueTextArgs& a, const ValueFamily& family, std::string& text) {
    if (const char* word = wordOf(family.words, a.s))
        text = word;
    else if (a.s >= 1 && a.s <= 126)
        text = family.between(a);
    return ValueLine::kWithEnding;
}

ValueFamilyTable valueFamilies() {
    return {kValueFamilies, sizeof kValueFamilies / sizeof kValueFamilies[0]};
}

const ValueFamily* findValueFamily(int id) {
    for (const ValueFamily& family : valueFamilies())
        if (family.claims(id)) return &family;
    return nullptr;
}
