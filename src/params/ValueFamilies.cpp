#include "src/params/ValueFamilies.h"

#include "src/params/ParamChangePlugin.h"
#include "src/uiconfig/ParameterIds.h"

#include <vector>

namespace {

// Computed texts divide by this, then scale, and truncate.
constexpr double kDivisor = 1.28;

std::string percent(int n) {
    return std::to_string(n) + "%";
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
    if (a.s >= 0) text = std::to_string(a.s + 1);
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

// How much of a source goes to filter 1 and filter 2; the split comes from v itself.
ValueLine filterBalance(const ValueTextArgs& a, const ValueFamily&, std::string& text) {
    if (a.s == 0) {
        text = "FILTER 1 100%";
    } else if (a.s == 127) {
        text = "FILTER 2 100%";
    } else if (a.s == 64) {
        text = "F1 50% : F2 50%";
    } else if (a.s > 0 && a.s < 127) {
        const int toFilter2 = int(a.v / kDivisor);
        text = "F1 " + percent(100 - toFilter2) + " : F2 " + percent(toFilter2);
    }
    return ValueLine::kWithEnding;
}

ValueLine lfoKeytrack(const ValueTextArgs& a, const ValueFamily&, std::string& text) {
    if (a.s == 0)
        text = "-200%";
    else if (a.s == 127)
        text = "196%";
    else if (a.s == 64)
        text = "0 %";
    else if (a.s > 0 && a.s < 64)
        text = percent(int(a.s / kDivisor * 4.0) - 200);
    else if (a.s > 64 && a.s < 127)
        text = percent(int((a.s - 64) / kDivisor * 4.0));
    return ValueLine::kWithEnding;
}

constexpr SignedOffset kBipolar{64, 0, 127, "0"};

// Footage in feet, right-aligned in three characters, and the acute accent as foot sign.
constexpr FixedWord kOctaveWords[] = {
    {16, "128 \xC2\xB4"},  {28, " 64 \xC2\xB4"}, {40, " 32 \xC2\xB4"}, {52, " 16 \xC2\xB4"},
    {64, "  8 \xC2\xB4"},  {76, "  4 \xC2\xB4"}, {88, "  2 \xC2\xB4"}, {100, "  1 \xC2\xB4"},
    {112, "1/2 \xC2\xB4"}, {0, nullptr},
};

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
    ruleFamily(perPart(kOscillator1Balance), filterBalance),
    ruleFamily(perPart(kOscillator2Balance), filterBalance),
    ruleFamily(perPart(kOscillator3Balance), filterBalance),
    ruleFamily(perPart(kRingModulationBalance), filterBalance),
    ruleFamily(perPart(kNoiseBalance), filterBalance),
    ruleFamily(perPart(kLFO1Keytrack, 3, kLFO2Keytrack - kLFO1Keytrack), lfoKeytrack),
    listFamily(perPart(kOscillator1Shape), "oscillator12shape"),
    listFamily(perPart(kOscillator2Shape), "oscillator12shape"),
    listFamily(perPart(kOscillator3Shape), "oscillator3shape"),
};

} // namespace

bool ValueFamily::claims(int id) const {
    const int offset = id - ids.first;
    if (offset < 0) return false;
    return offset / ids.stride < ids.members && offset % ids.stride < ids.width;
}

ValueLine listEntry(const ValueTextArgs& a, const ValueFamily& family, std::string& text) {
    const std::vector<std::string>& list = a.plug->getValueList(family.list);
    if (a.p >= 0 && size_t(a.p) < list.size()) text = list[size_t(a.p)];
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
    for (const FixedWord* word = family.words; word->text; ++word) {
        if (word->s != a.s) continue;
        text = word->text;
        break;
    }
    return ValueLine::kWithEnding;
}

const ValueFamily* findValueFamily(int id) {
    for (const ValueFamily& family : kValueFamilies)
        if (family.claims(id)) return &family;
    return nullptr;
}
