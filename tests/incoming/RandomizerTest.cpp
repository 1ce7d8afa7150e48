#include "src/incoming/EffectAliases.h"
#include "src/sender/SoundDumpLayout.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/SoundDumpRig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <set>

using testsupport::SoundDumpRig;

namespace {

std::set<int> idsSet(const SoundDumpRig& rig) {
    std::set<int> ids;
    for (const auto& s : rig.plugin.plugSets())
        ids.insert(s.first);
    return ids;
}

// Parameters of the sound the randomizer never changes: runs of `count` blocks of 16 ids.
// clang-format off
const std::pair<int, int> kNeverChanged[] = {
    {kFilterLinkValue, 1}, {kPartZaruvaMode, 1}, {kPartZaruvaBank, 1}, {kPartZaruvaPatch, 1},
    {kNoiseExtSelect, 1}, {kNoiseF12Feed, 1}, {kFX1DelayClocked, 8}, {kFX1ReverbHighPass, 4},
    {kFX1ReverbShape, 3}, {kFX1TapDelayFeedback, 35}, {kFX2DelayLengthClocked, 1},
    {kFX2TapDelayDelay, 36}};
// clang-format on

} // namespace

TEST(Randomizer, FoldsAnEntryIntoTheRangeFromItsMinimum) {
    struct Case {
        double min, max;
        int entry;
        std::optional<int> folded;
    };
    // clang-format off
    const Case cases[] = {
        {0, 1, 0, 0}, {0, 1, 5, 1}, {0, 1, 254, 0}, {0, 127, 127, 127}, {0, 127, 128, 1},
        {0, 127, 254, 127}, {0, 127, 255, 1}, {0, 3, 0, 0}, {0, 3, 4, 1}, {0, 3, 255, 3},
        {16, 112, 200, 24}, {-64, 63, 255, -63}, {-64, 63, 0, -64},
        {0, 0.5, 9, std::nullopt}, {5, 5, 9, std::nullopt}, {0, NAN, 9, std::nullopt}};
    // clang-format on
    for (const Case& c : cases) {
        SoundDumpRig rig;
        rig.plugin.setRange(kFilter1Cutoff, c.min, c.max);
        rig.plugin.randomValues[7] = c.entry;
        EXPECT_EQ(rig.manager.randomizer(kFilter1Cutoff, 7), c.folded)
            << c.min << ".." << c.max << " entry " << c.entry;
    }
}

TEST(Randomizer, EachParameterTakesItsOwnEntry) {
    SoundDumpRig rig;
    rig.plugin.setDefaultRange(0, 255);
    for (int i = 0; i < 393; ++i)
        rig.plugin.randomValues[size_t(i)] = i & 0xFF;
    rig.manager.randomizePatchSettings(1);
    const std::pair<int, double> expected[] = {
        {kOscillator1Octave, 0},    {kOscillator2SyncToOsc3, 26}, {kOscillator3PWMAmount, 37},
        {kOscillatorGlideRate, 42}, {kOscillatorUnisono, 42},     {kOscillatorMonoPolyMode, 1},
        {kOscillatorUniDetune, 44}, {kRingModulationBalance, 54}, {kNoiseExtFilter1Source, 55},
        {kFilter1TypeQ, 55},        {kFilter1TypeQPlus, 55},      {kFilter1Cutoff, 56},
        {kFilterRoutingQ, 69},      {kFilterRoutingSwitchA, 1},   {kFilterRoutingSwitchB, 0},
        {kFilter2TypeQPlus, 71},    {kFilter2PanAmount, 84},      {kAmpModAmount, 88},
        {kEffect1Mode, 89},         {kEffect1Param01, 91},        {kFX1ReverbSize, 91},
        {kFX1TapDelayDelay, 91},    {kFX2ReverbShape, 108},       {kEffect2Param14, 120},
        {kLFO1Shape, 121},          {kLFO2Keytrack, 136},         {kLFO3Keytrack, 144},
        {kFilterEnvMode, 113},      {kFilterEnvTrigger, 1},       {kAmpEnvRelease, 160},
        {kEnv3Attack, 162},         {kEnv4Release, 176},          {kArpPatternLength, 253},
        {kArpPattern01Step, 15},                               // 254: past 127, no low half
        {kArpPattern01Accent, 0},   {kArpPattern16StepLen, 1}, // 285 & 0xFF = 29
        {kArpPattern16Timing, 13},
    };
    for (auto [param, value] : expected)
        EXPECT_EQ(rig.plugin.GetParamValue(param + 1), value) << "param " << param;
    // Modifiers take four entries each from 177, modulation slots three from 193 and 217.
    for (int n = 0; n < 4; ++n)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(rig.plugin.GetParamValue(kModifier1Source1 + 64 * n + 16 * i + 1),
                      177 + 4 * n + i);
    for (int n = 0; n < 8; ++n)
        for (auto [first, base] : {std::pair{kMod1FastSource, 193}, {kMod1StandardSource, 217}}) {
            const int slot = first + 48 * n + 1; // source, amount, destination
            EXPECT_EQ(rig.plugin.GetParamValue(slot), base + 3 * n);
            EXPECT_EQ(rig.plugin.GetParamValue(slot + 32), base + 3 * n + 1);
            EXPECT_EQ(rig.plugin.GetParamValue(slot + 16), base + 3 * n + 2);
        }
    // Within a section the entries follow the dump's byte order.
    std::map<int, int> previous;
    for (const SoundDump::Byte& row : SoundDump::layout()) {
        if (SoundDump::paramCount(row.encoding) != 1 || row.params[0] == kTuneMode ||
            row.lock == SoundDump::kNoLock)
            continue;
        const int entry = int(rig.plugin.GetParamValue(row.params[0] + 1));
        EXPECT_GT(entry, previous.count(row.lock) ? previous[row.lock] : -1) << row.offset;
        previous[row.lock] = entry;
    }
}

TEST(Randomizer, ChangesTheDumpsParametersButTheNeverChangedListAndTheTuneMode) {
    std::set<int> expected = {kFilterRoutingSwitchA, kFilterRoutingSwitchB};
    for (const SoundDump::Byte& row : SoundDump::layout()) {
        for (int i = 0; i < SoundDump::paramCount(row.encoding); ++i)
            expected.insert(row.params[i]);
        for (int alias : EffectAliases::ofSlot(row.params[0]))
            expected.insert(alias);
    }
    for (auto [first, count] : kNeverChanged)
        for (int n = 0; n < count; ++n)
            expected.erase(first + 16 * n);
    expected.erase(kTuneMode);
    expected.erase(kFilterLinkSwitch);

    SoundDumpRig rig;
    rig.manager.randomizePatchSettings(0);
    EXPECT_EQ(idsSet(rig), expected);
}

TEST(Randomizer, TheSameSecondGivesTheSameListInEveryInstance) {
    SoundDumpRig rig;
    testsupport::FakeSenderPlugin other;
    MIDIMessageManager otherManager(&other, nullptr, nullptr, nullptr);
    rig.clock.SetWallSeconds(1000);
    rig.manager.randomGenerator();
    const auto first = rig.plugin.randomValues;
    otherManager.randomGenerator();
    rig.manager.randomGenerator();
    EXPECT_EQ(rig.plugin.randomValues, first);
    EXPECT_EQ(other.randomValues, first);
    EXPECT_TRUE(std::all_of(first.begin(), first.end(), [](int v) { return v >= 0 && v < 256; }));
    EXPECT_TRUE(std::any_of(first.begin() + 286, first.end(), [](int v) { return v != 0; }));

    rig.clock.SetWallSeconds(1001);
    rig.manager.randomGenerator();
    EXPECT_NE(rig.plugin.randomValues, first);
}

TEST(Randomizer, AnyLockValueButZeroKeepsTheSection) {
    SoundDumpRig all;
    for (int k = 0; k < 40; ++k)
        all.plugin.setParam(kSectionLockOsc1 + 16 * k + 2, 1.0);
    all.manager.randomizePatchSettings(2);
    EXPECT_TRUE(all.plugin.plugSets().empty());

    SoundDumpRig some;
    some.plugin.setParam(kSectionLockOsc1 + 2, 0.5);
    some.plugin.setParam(kSectionLockOsc2 + 2, NAN);
    some.plugin.setParam(kSectionLockOsc3 + 3, 1.0); // another part's
    some.plugin.setRange(kAmpLevel + 2, 0, 0.5);     // no range to fold into
    some.manager.randomizePatchSettings(2);
    const std::set<int> ids = idsSet(some);
    for (int param : {kOscillator1Octave, kOscillator1SubLevel, kOscillator2SyncToOsc3, kAmpLevel})
        EXPECT_EQ(ids.count(param + 2), 0u) << param;
    EXPECT_EQ(ids.count(kOscillator3Octave + 2), 1u);
    EXPECT_EQ(ids.count(kAmpLevelVelocity + 2), 1u);
}

TEST(Randomizer, PackedRulesSplitTheFoldedValue) {
    const int part = 3;
    struct Case {
        int entry;
        int value;
        std::vector<std::pair<int, double>> set; // part-0 ids, in the order set
    } cases[] = {
        {43, 6, {{kOscillatorUnisono, 5}, {kOscillatorMonoPolyMode, 1}}},
        {43, 5, {{kOscillatorUnisono, 5}, {kOscillatorMonoPolyMode, 0}}},
        {145, 33, {{kFilterEnvMode, 1}, {kFilterEnvTrigger, 1}}},
        {169, 31, {{kEnvelope4Mode, 31}, {kEnv4Trigger, 0}}},
        {70, 0, {{kFilterRoutingSwitchB, 1}, {kFilterRoutingSwitchA, 0}}},
        {70, 2, {{kFilterRoutingSwitchB, 0}, {kFilterRoutingSwitchA, 1}}},
        {254, 75, {{kArpPattern01Glide, 1}, {kArpPattern01Step, 4}, {kArpPattern01Accent, 3}}},
        {254, 36, {{kArpPattern01Glide, 0}, {kArpPattern01Step, 2}, {kArpPattern01Accent, 4}}},
        // Folded into part 0's filter-1 cutoff range (0..36 here): 75 gives 3.
        {255, 75, {{kArpPattern02Glide, 0}, {kArpPattern02Step, 0}, {kArpPattern02Accent, 3}}},
    };
    for (const Case& c : cases) {
        SoundDumpRig rig;
        rig.plugin.setRange(kOscillatorUnisono + part, 0, 6);
        rig.plugin.setRange(kFilterRoutingQ + part, 0, 3);
        if (c.entry == 255) rig.plugin.setRange(kFilter1Cutoff, 0, 36);
        rig.plugin.randomValues[size_t(c.entry)] = c.value;
        rig.manager.randomizePatchSettings(part);
        std::vector<std::pair<int, double>> sets;
        for (auto [id, value] : rig.plugin.plugSets())
            for (auto [param, expected] : c.set)
                if (id == param + part) sets.emplace_back(param, value);
        EXPECT_EQ(sets, c.set) << "entry " << c.entry << " value " << c.value;
    }
}
