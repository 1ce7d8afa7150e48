#include "platform/Clock.h"
#include "src/incoming/EffectAliases.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/SenderPlugin.h"
#include "src/sender/SoundDumpLayout.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

enum class Rule : uint8_t {
    Plain,
    FilterTypes,     // {Q type, Q+ type}: one entry, each folded into its own range
    Unisono,         // {unisono, mono/poly}: a fold of 6 or more is unisono − 1 in mono mode
    Envelope,        // {mode, trigger}: a fold of 32 or more is mode − 32 with the trigger on
    RoutingSwitches, // the complementary switch pair, from a fold into kFilterRoutingQ's range
    EffectSlot,      // the slot, then every alias the randomizer may change, from one entry
    ArpPattern,      // the 16 steps in two passes of 16 entries each
};

struct Step {
    int param;
    Rule rule = Rule::Plain;
    int param2 = 0;
};

// A section: its lock, its first entry of the random-value list and its steps, each taking
// the next entry (the arpeggiator pattern takes 32).
struct Section {
    int lock;
    int firstEntry;
    std::vector<Step> steps;
};

constexpr int kArpPatternEntries = 32;
constexpr int kArpStepStride = 80;

// The section's steps followed by the effect's 14 slots.
std::vector<Step> withSlots(int effect, std::vector<Step> steps) {
    for (int position = 0; position < EffectAliases::kSlotCount; ++position)
        steps.push_back({EffectAliases::slot(effect, position), Rule::EffectSlot});
    return steps;
}

// The walk, in order. Filter 1 starts on the noise-ext section's entries.
const std::vector<Section>& walk() {
    using R = Rule;
    // clang-format off
    static const std::vector<Section> sections = {
        {kSectionLockOsc1, 0, {
            {kOscillator1Octave}, {kOscillator1Semitone}, {kOscillator1Detune},
            {kOscillator1BendRange}, {kOscillator1Keytrack}, {kOscillator1FMSource},
            {kOscillator1FMAmount}, {kOscillator1Shape}, {kOscillator1Pulsewidth},
            {kOscillator1PWMSource}, {kOscillator1PWMAmount}, {kOscillator1FrqDivide},
            {kOscillator1SubLevel}}},
        {kSectionLockOsc2, 13, {
            {kOscillator2Octave}, {kOscillator2Semitone}, {kOscillator2Detune},
            {kOscillator2BendRange}, {kOscillator2Keytrack}, {kOscillator2FMSource},
            {kOscillator2FMAmount}, {kOscillator2Shape}, {kOscillator2Pulsewidth},
            {kOscillator2PWMSource}, {kOscillator2PWMAmount}, {kOscillator2FrqDivide},
            {kOscillator2SubLevel}, {kOscillator2SyncToOsc3}}},
        {kSectionLockOsc3, 27, {
            {kOscillator3Octave}, {kOscillator3Semitone}, {kOscillator3Detune},
            {kOscillator3BendRange}, {kOscillator3Keytrack}, {kOscillator3FMSource},
            {kOscillator3FMAmount}, {kOscillator3Shape}, {kOscillator3Pulsewidth},
            {kOscillator3PWMSource}, {kOscillator3PWMAmount}}},
        {kSectionLockPitchMod, 38, {
            {kOscillatorPitchSource}, {kOscillatorPitchAmount}, {kOscillatorGlideOnOffSwitch},
            {kOscillatorGlideMode}, {kOscillatorGlideRate}}},
        {kSectionLockUnisono, 43, {
            {kOscillatorUnisono, R::Unisono, kOscillatorMonoPolyMode}, {kOscillatorUniDetune}}},
        {kSectionLockMixer, 45, {
            {kOscillator1Level}, {kOscillator1Balance}, {kOscillator2Level},
            {kOscillator2Balance}, {kOscillator3Level}, {kOscillator3Balance}, {kNoiseLevel},
            {kNoiseBalance}, {kRingModulationLevel}, {kRingModulationBalance}}},
        {kSectionLockNoiseExt, 55, {{kNoiseExtFilter1Source}, {kNoiseExtFilter2Source}}},
        {kSectionLockFilter1, 55, {
            {kFilter1TypeQ, R::FilterTypes, kFilter1TypeQPlus}, {kFilter1Cutoff},
            {kFilter1Resonance}, {kFilter1Drive}, {kFilter1Keytrack}, {kFilter1EnvAmount},
            {kFilter1EnvVelocity}, {kFilter1ModSource}, {kFilter1ModAmount}, {kFilter1FMSource},
            {kFilter1FMAmount}, {kFilter1Panning}, {kFilter1PanSource}, {kFilter1PanAmount},
            {kFilterRoutingQ}, {kFilterRoutingQ, R::RoutingSwitches}}},
        {kSectionLockFilter2, 71, {
            {kFilter2TypeQ, R::FilterTypes, kFilter2TypeQPlus}, {kFilter2Cutoff},
            {kFilter2Resonance}, {kFilter2Drive}, {kFilter2Keytrack}, {kFilter2EnvAmount},
            {kFilter2EnvVelocity}, {kFilter2ModSource}, {kFilter2ModAmount}, {kFilter2FMSource},
            {kFilter2FMAmount}, {kFilter2Panning}, {kFilter2PanSource}, {kFilter2PanAmount}}},
        {kSectionLockAmp, 85, {{kAmpLevel}, {kAmpLevelVelocity}, {kAmpModSource}, {kAmpModAmount}}},
        {kSectionLockFX1, 89, withSlots(0, {{kEffect1Mode}, {kEffect1Mix}})},
        {kSectionLockFX2, 105, withSlots(1, {{kEffect2Mode}, {kEffect2Mix}})},
        {kSectionLockLFO1, 121, {
            {kLFO1Shape}, {kLFO1Speed}, {kLFO1SyncOnOff}, {kLFO1Clock}, {kLFO1Startphase},
            {kLFO1Delay}, {kLFO1Fade}, {kLFO1Keytrack}}},
        {kSectionLockLFO2, 129, {
            {kLFO2Shape}, {kLFO2Speed}, {kLFO2SyncOnOff}, {kLFO2Clock}, {kLFO2Startphase},
            {kLFO2Delay}, {kLFO2Fade}, {kLFO2Keytrack}}},
        {kSectionLockLFO3, 137, {
            {kLFO3Shape}, {kLFO3Speed}, {kLFO3SyncOnOff}, {kLFO3Clock}, {kLFO3Startphase},
            {kLFO3Delay}, {kLFO3Fade}, {kLFO3Keytrack}}},
        {kSectionLockFilterEnv, 145, {
            {kFilterEnvMode, R::Envelope, kFilterEnvTrigger}, {kFilterEnvAttack},
            {kFilterAttackLevel}, {kFilterEnvDecay}, {kFilterEnvSustain}, {kFilterEnvDecay2},
            {kFilterEnvSustain2}, {kFilterEnvRelease}}},
        {kSectionLockAmpEnv, 153, {
            {kAmpEnvMode, R::Envelope, kAmpEnvTrigger}, {kAmpEnvAttack}, {kAmpAttackLevel},
            {kAmpEnvDecay}, {kAmpEnvSustain}, {kAmpEnvDecay2}, {kAmpEnvSustain2},
            {kAmpEnvRelease}}},
        {kSectionLockEnv3, 161, {
            {kEnvelope3Mode, R::Envelope, kEnv3Trigger}, {kEnv3Attack}, {kEnv3AttackLevel},
            {kEnv3Decay}, {kEnv3Sustain}, {kEnv3Decay2}, {kEnv3Sustain2}, {kEnv3Release}}},
        {kSectionLockEnv4, 169, {
            {kEnvelope4Mode, R::Envelope, kEnv4Trigger}, {kEnv4Attack}, {kEnv4AttackLevel},
            {kEnv4Decay}, {kEnv4Sustain}, {kEnv4Decay2}, {kEnv4Sustain2}, {kEnv4Release}}},
        {kSectionLockMod1, 177, {
            {kModifier1Source1}, {kModifier1Source2}, {kModifier1SourceType},
            {kModifier1SourceAmount}}},
        {kSectionLockMod2, 181, {
            {kModifier2Source1}, {kModifier2Source2}, {kModifier2SourceType},
            {kModifier2SourceAmount}}},
        {kSectionLockMod3, 185, {
            {kModifier3Source1}, {kModifier3Source2}, {kModifier3SourceType},
            {kModifier3SourceAmount}}},
        {kSectionLockMod4, 189, {
            {kModifier4Source1}, {kModifier4Source2}, {kModifier4SourceType},
            {kModifier4SourceAmount}}},
        {kSectionLockM1F, 193, {{kMod1FastSource}, {kMod1FastDestination}, {kMod1FastAmount}}},
        {kSectionLockM2F, 196, {{kMod2FastSource}, {kMod2FastDestination}, {kMod2FastAmount}}},
        {kSectionLockM3F, 199, {{kMod3FastSource}, {kMod3FastDestination}, {kMod3FastAmount}}},
        {kSectionLockM4F, 202, {{kMod4FastSource}, {kMod4FastDestination}, {kMod4FastAmount}}},
        {kSectionLockM5F, 205, {{kMod5FastSource}, {kMod5FastDestination}, {kMod5FastAmount}}},
        {kSectionLockM6F, 208, {{kMod6FastSource}, {kMod6FastDestination}, {kMod6FastAmount}}},
        {kSectionLockM7F, 211, {{kMod7FastSource}, {kMod7FastDestination}, {kMod7FastAmount}}},
        {kSectionLockM8F, 214, {{kMod8FastSource}, {kMod8FastDestination}, {kMod8FastAmount}}},
        {kSectionLockM1S, 217,
            {{kMod1StandardSource}, {kMod1StandardDestination}, {kMod1StandardAmount}}},
        {kSectionLockM2S, 220,
            {{kMod2StandardSource}, {kMod2StandardDestination}, {kMod2StandardAmount}}},
        {kSectionLockM3S, 223,
            {{kMod3StandardSource}, {kMod3StandardDestination}, {kMod3StandardAmount}}},
        {kSectionLockM4S, 226,
            {{kMod4StandardSource}, {kMod4StandardDestination}, {kMod4StandardAmount}}},
        {kSectionLockM5S, 229,
            {{kMod5StandardSource}, {kMod5StandardDestination}, {kMod5StandardAmount}}},
        {kSectionLockM6S, 232,
            {{kMod6StandardSource}, {kMod6StandardDestination}, {kMod6StandardAmount}}},
        {kSectionLockM7S, 235,
            {{kMod7StandardSource}, {kMod7StandardDestination}, {kMod7StandardAmount}}},
        {kSectionLockM8S, 238,
            {{kMod8StandardSource}, {kMod8StandardDestination}, {kMod8StandardAmount}}},
        {kSectionLockArp, 241, {
            {kArpMode}, {kArpPattern}, {kArpMaxNotes}, {kArpClock}, {kArpNoteLength},
            {kArpOctRange}, {kArpDirection}, {kArpSortOrder}, {kArpVelocityMode},
            {kArpTimeFactor}, {kArpSameNoteOverlap}, {kArpPatternReset}, {kArpPatternLength},
            {kArpPattern01Glide, R::ArpPattern}}},
    };
    // clang-format on
    return sections;
}

// Parameters of the sound that the randomizer never changes: of the effect-type ones, every
// run of `count` consecutive parameters from `first`.
struct Run {
    int first;
    int count;
};
const Run kNeverChanged[] = {
    {kPatchName, 1},
    {kCategoryName, 1},
    {kFilterLinkValue, 1},
    {kPartZaruvaMode, 1},
    {kPartZaruvaBank, 1},
    {kPartZaruvaPatch, 1},
    {kNoiseExtSelect, 1},
    {kNoiseF12Feed, 1},
    {kFX1DelayClocked, 8},      // ... kFX1DelayAutoPan
    {kFX1ReverbHighPass, 4},    // ... kFX1ReverbDiffusion
    {kFX1ReverbShape, 3},       // ... kFX1ReverbDamping
    {kFX1TapDelayFeedback, 35}, // ... the taps, kFX1TapDelayFeedbackDucking
    {kFX2DelayLengthClocked, 1},
    {kFX2TapDelayDelay, 36}, // ... the taps, kFX2TapDelayFeedbackDucking
};

bool neverChanged(int param) {
    return std::any_of(std::begin(kNeverChanged), std::end(kNeverChanged), [&](const Run& r) {
        return param >= r.first && param < r.first + 16 * r.count && (param - r.first) % 16 == 0;
    });
}

// The fold of one list value into 0..R, R = trunc(max − min), then moved up by the minimum:
// while above R the value drops by R (by 2 for R = 1).
std::optional<int> fold(int value, double min, double max) {
    const int range = SoundDump::truncated(max - min);
    if (range < 1) return std::nullopt;
    const int step = range == 1 ? 2 : range;
    int r = value & 0xFF;
    while (r > range)
        r -= step;
    return SoundDump::truncated(r + std::trunc(min));
}

struct Nibbles {
    int hi;
    int lo;
};
// An arpeggiator step's two halves of a folded value.
Nibbles nibbles(int r) {
    const int hi = r / 16;
    return {hi, r >= 128 ? 0 : r - 16 * hi};
}

} // namespace

void MIDIMessageManager::randomGenerator() {
    // A generator of its own, so that the host's rand() sequence is left alone.
    std::minstd_rand generator{uint32_t(platform::WallSeconds())};
    for (int& value : plugin->randomValueList())
        value = int(generator() % 256);
}

std::optional<int> MIDIMessageManager::randomizer(int paramId, int entry) {
    const SenderPlugin::RandomValueList& values = plugin->randomValueList();
    if (entry < 0 || entry >= int(values.size())) return std::nullopt;
    return fold(values[size_t(entry)], plugin->GetParamMin(paramId), plugin->GetParamMax(paramId));
}

void MIDIMessageManager::setRandom(int paramId, int entry) {
    if (const std::optional<int> r = randomizer(paramId, entry))
        plugin->SetParameterFromPlug(paramId, double(*r));
}

void MIDIMessageManager::randomizePatchSettings(int part) {
    bool locked[SoundDump::kSectionLockCount];
    for (int k = 0; k < SoundDump::kSectionLockCount; ++k)
        locked[k] = !(plugin->GetParamValue(kSectionLockOsc1 + 16 * k + part) == 0.0);
    const auto set = [&](int param, double value) {
        plugin->SetParameterFromPlug(param + part, value);
    };

    for (const Section& section : walk()) {
        if (locked[(section.lock - kSectionLockOsc1) / 16]) continue;
        int entry = section.firstEntry;
        for (const Step& s : section.steps) {
            const int id = s.param + part;
            switch (s.rule) {
            case Rule::Plain:
                setRandom(id, entry);
                break;
            case Rule::FilterTypes:
                setRandom(id, entry);
                setRandom(s.param2 + part, entry);
                break;
            case Rule::Unisono:
                if (const auto r = randomizer(id, entry)) {
                    set(s.param, *r <= 5 ? *r : *r - 1);
                    set(s.param2, *r <= 5 ? 0.0 : 1.0);
                }
                break;
            case Rule::Envelope:
                if (const auto r = randomizer(id, entry)) {
                    set(s.param, *r >= 32 ? *r - 32 : *r);
                    set(s.param2, *r >= 32 ? 1.0 : 0.0);
                }
                break;
            case Rule::RoutingSwitches:
                if (const auto r = randomizer(id, entry)) {
                    set(kFilterRoutingSwitchB, *r != 0 ? 0.0 : 1.0);
                    set(kFilterRoutingSwitchA, *r != 0 ? 1.0 : 0.0);
                }
                break;
            case Rule::EffectSlot:
                setRandom(id, entry);
                for (int alias : EffectAliases::ofSlot(s.param))
                    if (!neverChanged(alias)) setRandom(alias + part, entry);
                break;
            case Rule::ArpPattern:
                // Every step folds into the range of part 0's filter-1 cutoff.
                for (int k = 0; k < 16; ++k) {
                    const int stride = kArpStepStride * k;
                    if (const auto r = randomizer(kFilter1Cutoff, entry + k)) {
                        const Nibbles n = nibbles(*r);
                        set(kArpPattern01Glide + stride, n.lo >= 8 ? 1.0 : 0.0);
                        set(kArpPattern01Step + stride, n.hi);
                        set(kArpPattern01Accent + stride, n.lo >= 8 ? n.lo - 8 : n.lo);
                    }
                }
                for (int k = 0; k < 16; ++k) {
                    const int stride = kArpStepStride * k;
                    if (const auto r = randomizer(kFilter1Cutoff, entry + 16 + k)) {
                        const Nibbles n = nibbles(*r);
                        set(kArpPattern01StepLen + stride, n.hi);
                        set(kArpPattern01Timing + stride, n.lo);
                    }
                }
                entry += kArpPatternEntries - 1;
                break;
            }
            ++entry;
        }
    }
}
