#include "src/incoming/EffectAliases.h"
#include "src/librarian/LibrarianInitData.h"
#include "src/sender/SoundDumpLayout.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/SoundDumpRig.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

using Bytes = std::vector<uint8_t>;
using testsupport::SoundDumpRig;

namespace {

// Parsed values pass unclamped; the model is the Q+, whose filter types the dump carries whole.
struct WideRig : SoundDumpRig {
    WideRig() {
        plugin.setDefaultRange(-1000, 1000);
        plugin.model = 1;
    }
    std::map<int, double> parsed() const {
        std::map<int, double> values;
        for (const auto& s : plugin.plugSets())
            values[s.first] = s.second;
        return values;
    }
    std::set<int> ids(int shift = 0) const {
        std::set<int> set;
        for (const auto& s : plugin.plugSets())
            set.insert(s.first + shift);
        return set;
    }
};

Bytes templateFor(int part) {
    Bytes d(SoundDump::dumpTemplate().begin(), SoundDump::dumpTemplate().end());
    d[6] = uint8_t(part);
    return d;
}

// Random data bytes below 0x80, both effects in tap-delay mode.
Bytes randomDump(uint32_t seed, int part) {
    Bytes d = testsupport::soundDump(testsupport::DumpModel::Q, "Random", "Rnd", seed);
    d[6] = uint8_t(part);
    d[135] = d[151] = 9;
    return d;
}

// The dump as the plug-in writes it back after receiving it. Its rig takes the clock while it
// lives: no other rig may live meanwhile.
Bytes rewrite(const Bytes& dump) {
    WideRig rig;
    rig.parse(dump);
    return rig.write(dump[6]);
}

Bytes head(const Bytes& d) {
    return Bytes(d.begin(), d.begin() + 391);
}

struct LockedBytes {
    int lock;
    std::vector<std::pair<int, int>> ranges;
};

// Which bytes each section lock keeps, as the receiving side names them.
// clang-format off
const LockedBytes kLockTable[] = {
    {kSectionLockOsc1, {{8, 20}}}, {kSectionLockOsc2, {{24, 36}, {56, 56}}},
    {kSectionLockOsc3, {{40, 50}}}, {kSectionLockPitchMod, {{57, 60}, {63, 64}}},
    {kSectionLockUnisono, {{65, 66}}}, {kSectionLockMixer, {{68, 75}, {78, 79}}},
    {kSectionLockNoiseExt, {{82, 83}}},
    {kSectionLockFilter1, {{84, 85}, {87, 88}, {93, 102}, {124, 125}}},
    {kSectionLockFilter2, {{104, 105}, {107, 108}, {113, 122}}},
    {kSectionLockAmp, {{128, 131}}}, {kSectionLockFX1, {{135, 150}}},
    {kSectionLockFX2, {{151, 166}}},
    {kSectionLockLFO1, {{167, 168}, {170, 174}, {177, 177}}},
    {kSectionLockLFO2, {{179, 180}, {182, 186}, {189, 189}}},
    {kSectionLockLFO3, {{191, 192}, {194, 198}, {201, 201}}},
    {kSectionLockFilterEnv, {{203, 203}, {206, 212}}}, {kSectionLockAmpEnv, {{215, 215}, {218, 224}}},
    {kSectionLockEnv3, {{227, 227}, {230, 236}}}, {kSectionLockEnv4, {{239, 239}, {242, 248}}},
    {kSectionLockMod1, {{253, 256}}}, {kSectionLockMod2, {{257, 260}}},
    {kSectionLockMod3, {{261, 264}}}, {kSectionLockMod4, {{265, 268}}},
    {kSectionLockArp, {{319, 331}, {335, 366}}}};
// clang-format on

std::vector<LockedBytes> allLocks() {
    std::vector<LockedBytes> all(std::begin(kLockTable), std::end(kLockTable));
    for (int n = 0; n < 8; ++n) {
        all.push_back({kSectionLockM1F + 16 * n, {{269 + 3 * n, 271 + 3 * n}}});
        all.push_back({kSectionLockM1S + 16 * n, {{293 + 3 * n, 295 + 3 * n}}});
    }
    return all;
}

} // namespace

TEST(SoundDumpTables, EveryParameterByteHasTheLockTheReceivingSideNames) {
    std::map<int, int> expected;
    for (const LockedBytes& l : allLocks())
        for (auto [first, last] : l.ranges)
            for (int i = first; i <= last; ++i)
                expected[i] = l.lock;
    for (int i : {132, 133, 134})
        expected[i] = SoundDump::kNoLock;
    std::map<int, int> actual;
    for (const SoundDump::Byte& row : SoundDump::layout())
        actual[row.offset] = row.lock;
    EXPECT_EQ(allLocks().size(), 40u);
    EXPECT_EQ(actual, expected);
}

TEST(SoundDumpRoundTrip, TheInitSoundComesBackByteForByte) {
    Bytes init(initPatchData, initPatchData + 393);
    init[6] = 3;
    Bytes out = rewrite(init);
    // Byte 334 is a constant of the layout, which the writer always sends as 47.
    EXPECT_EQ(init[334], 0x39);
    EXPECT_EQ(out[334], 0x47);
    out[334] = 0x39;
    EXPECT_EQ(Bytes(out.begin() + 7, out.begin() + 391), Bytes(init.begin() + 7, init.end() - 2));
}

TEST(SoundDumpRoundTrip, ReceivedValuesWrittenAndReceivedAgainComeBack) {
    // From a dump as the plug-in writes it: the slots under a tap-pattern code keep the code's
    // bytes, and only a code made from taps holds them unchanged.
    for (uint32_t seed = 1; seed <= 50; ++seed) {
        const Bytes written = rewrite(randomDump(seed, 7));
        WideRig first, second;
        first.parse(written);
        second.parse(first.write(7));
        ASSERT_EQ(second.parsed(), first.parsed()) << "seed " << seed;
    }
}

TEST(SoundDumpParse, EachLockAloneKeepsExactlyItsBytesAndTheTaps) {
    const Bytes kept = rewrite(randomDump(1, 3)), received = rewrite(randomDump(2, 3));
    ASSERT_EQ(rewrite(kept), kept);
    for (const LockedBytes& l : allLocks()) {
        WideRig rig;
        rig.parse(kept);
        rig.plugin.setParam(l.lock + 3, 1.0);
        rig.plugin.setParam(l.lock + 4, 1.0); // another part's lock changes nothing
        rig.parse(received);
        Bytes expected = received;
        for (auto [first, last] : l.ranges)
            std::copy(kept.begin() + first, kept.begin() + last + 1, expected.begin() + first);
        EXPECT_EQ(head(rig.write(3)), head(expected)) << "lock " << l.lock;
    }
    // Only exactly 1.0 locks.
    WideRig rig;
    rig.parse(kept);
    rig.plugin.setParam(kSectionLockFilter1 + 3, 0.5);
    rig.parse(received);
    EXPECT_EQ(head(rig.write(3)), head(received));
}

TEST(SoundDumpParse, EachKindOfByteSetsItsParameters) {
    const int part = 4;
    struct Case {
        int offset;
        uint8_t byte;
        std::vector<std::pair<int, double>> values; // part-0 ids
    } cases[] = {
        {8, 0x04, {{kOscillator1Octave, 4}}}, // the wire byte
        {65, 0x60, {{kOscillatorUnisono, 5}, {kOscillatorMonoPolyMode, 1}}},
        {65, 0x50, {{kOscillatorUnisono, 5}, {kOscillatorMonoPolyMode, 0}}},
        {84, 12, {{kFilter1TypeQPlus, 12}, {kFilter1TypeQ, 1}}},
        {104, 13, {{kFilter2TypeQPlus, 13}, {kFilter2TypeQ, 2}}},
        {125, 3, {{kFilterLinkValue, 3}, {kFilterLinkSwitch, 1}}},
        {125, 2, {{kFilterLinkValue, 2}, {kFilterLinkSwitch, 0}}},
        {151, 0x1F, {{kEffect2Mode, 31}}},
        {335, 0x4B, {{kArpPattern01Glide, 1}, {kArpPattern01Step, 4}, {kArpPattern01Accent, 3}}},
        {85, 0xFF, {{kFilter1Cutoff, 0x7F}}}, // seven bits of a byte that is no data byte
        {166,
         0x33,
         {{kEffect2Param14, 0x33},
          {kFX2VocoderEQHighBandLevel, 0x33},
          {kFX251DelayRearSRV, 0x33},
          {kFX251DelayClockedRearSRV, 0x33}}},
    };
    for (const Case& c : cases) {
        WideRig rig;
        Bytes dump = templateFor(part);
        dump[size_t(c.offset)] = c.byte;
        rig.parse(dump);
        for (auto [param, value] : c.values)
            EXPECT_EQ(rig.plugin.GetParamValue(param + part), value)
                << "byte " << c.offset << " param " << param;
        EXPECT_EQ(rig.plugin.filterLinkMode(part), c.offset == 125 ? c.byte : 0);
    }
}

TEST(SoundDumpParse, ATapDelayModeDecodesTheTapsWhileTheSlotsKeepTheCode) {
    WideRig rig;
    Bytes dump = templateFor(9);
    const Bytes code{0x7F, 0x7F, 0x65, 0x7F, 0x7F, 0x17, 0x7F, 0x7F, 0x5F, 0x3C, 0x6F};
    dump[135] = 9;
    std::copy(code.begin(), code.end(), dump.begin() + 140);
    rig.parse(dump);
    const std::pair<int, double> expected[] = {
        {kFX1TapDelayTap1Volume, 7}, {kFX1TapDelayTap15Pan, 2},        {kFX1TapDelayTap16Volume, 7},
        {kFX1TapDelayTap16Pan, 1},   {kFX1TapDelayFeedbackDucking, 3}, {kEffect1Param14, 0x6F}};
    for (auto [param, value] : expected)
        EXPECT_EQ(rig.plugin.GetParamValue(param + 9), value) << param;
}

TEST(SoundDumpParse, NamesKeepTheirBlanksAndTheShownPartIsDisplayed) {
    SoundDumpRig rig;
    rig.plugin.selectedPart = 2;
    rig.plugin.setParamText(kPatchName + 2, "Shown");
    rig.plugin.setParamText(kCategoryName + 2, "Bass");
    Bytes dump = templateFor(5);
    std::copy_n("Strings", 7, dump.begin() + 371);
    std::fill_n(dump.begin() + 378, 9, ' ');
    dump.resize(390); // the category's last character is missing: a blank
    rig.manager.answerReceived = false;
    rig.parse(dump);
    EXPECT_EQ(rig.plugin.getParamText(kPatchName + 5), "Strings         ");
    EXPECT_EQ(rig.plugin.patchManagerName(6), "Strings         ");
    EXPECT_EQ(rig.plugin.getParamText(kCategoryName + 5), "Ini ");
    EXPECT_EQ(rig.plugin.patchManagerName(24), "Ini ");
    EXPECT_EQ(rig.plugin.calls(), (std::vector<std::string>{"view dirty", "patch name Shown",
                                                            "view dirty", "category name Bass"}));
    EXPECT_TRUE(rig.manager.answerReceived);
}

TEST(SoundDumpParse, HostileMessagesChangeNothingOutsideTheirPart) {
    const Bytes good = templateFor(5);
    auto with = [&](int offset, uint8_t b) {
        Bytes d = good;
        d[size_t(offset)] = b;
        return d;
    };
    const Bytes refused[] = {Bytes(good.begin(), good.begin() + 389),
                             with(4, 0x11),
                             with(1, 0x3F),
                             with(2, 0x10),
                             with(6, 16),
                             with(6, 127),
                             with(6, 0x85)};
    for (const Bytes& d : refused) {
        SoundDumpRig rig;
        rig.manager.answerReceived = true;
        rig.parse(d);
        EXPECT_TRUE(rig.plugin.plugSets().empty());
        EXPECT_TRUE(rig.plugin.calls().empty());
        EXPECT_TRUE(rig.manager.answerReceived);
    }

    // Every data byte at 0x80 or above: the same parameters as for part 0, moved to part 5.
    Bytes high = good;
    for (size_t i = 7; i < 391; ++i)
        high[i] |= 0x80;
    Bytes high0 = high;
    high0[6] = 0;
    WideRig part0, part5;
    part0.parse(high0);
    part5.parse(high);
    EXPECT_EQ(part5.ids(), part0.ids(5));
    for (const auto& s : part5.plugin.plugSets())
        EXPECT_LT(s.second, 128) << s.first;
    EXPECT_EQ(part5.plugin.getParamText(kPatchName + 5), "-- Init Patch --");
}

TEST(EffectAliases, AChangeIsStoredInItsSlotClampedAndSilently) {
    struct Case {
        int param;
        int value;
        int slot;
        double slotMax;
        double stored;
    } cases[] = {
        {kFX1ReverbSize + 3, 90, kEffect1Param01 + 3, 127, 90},
        {kFX1ReverbSize + 3, 90, kEffect1Param01 + 3, 80, 80},
        {kFX1ChorusSpeed + 15, 20, kEffect1Param01 + 15, 127, 20},
        {kFX251DelayClockedRearSRV, 7, kEffect2Param14, 127, 7},
        {kFX2ReverbShape + 1, -5, kEffect2Param02 + 1, 127, 0},
        {kFilter1Cutoff, 50, -1, 127, 0},
    };
    for (const Case& c : cases) {
        SoundDumpRig rig;
        if (c.slot >= 0) rig.plugin.setRange(c.slot, 0, c.slotMax);
        rig.manager.SetFX1ParameterChangesToDefaultParameters(c.param, c.value);
        rig.manager.SetFX2ParameterChangesToDefaultParameters(c.param, c.value);
        for (int effect = 0; effect < 2; ++effect)
            for (int p = 0; p < EffectAliases::kSlotCount; ++p)
                for (int part = 0; part < 16; ++part) {
                    const int id = EffectAliases::slot(effect, p) + part;
                    EXPECT_EQ(rig.plugin.GetParamValue(id), id == c.slot ? c.stored : 0.0);
                }
        EXPECT_TRUE(rig.plugin.plugSets().empty());
        EXPECT_TRUE(rig.plugin.calls().empty());
    }
}
