#include "src/sender/SoundDumpLayout.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/SoundDumpRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

using Bytes = std::vector<uint8_t>;
using testsupport::SoundDumpRig;
namespace sd = SoundDump;

namespace {

Bytes slice(const Bytes& b, int from, int count) {
    return Bytes(b.begin() + from, b.begin() + from + count);
}

const Bytes kFullTapCode{0x7F, 0x7F, 0x65, 0x7F, 0x7F, 0x17, 0x7F, 0x7F, 0x5F, 0x3C, 0x77};

} // namespace

TEST(TapPatternCode, WorkedCodesAndTenThousandRandomTapSetsComeBack) {
    std::mt19937 random(7);
    // First every tap at its highest (volume 7, pan 2, ducking 3), then all at 0, then random.
    for (int n = 0; n < 10002; ++n) {
        Bytes steps(sd::kTapStepCount);
        for (int i = 0; i < sd::kTapStepCount; ++i) {
            const int limit = i == 32 ? 4 : i % 2 ? 3 : 8; // ducking, pan, volume
            const int v = n == 0 ? limit - 1 : n == 1 ? 0 : int(random() % unsigned(limit));
            steps[size_t(i)] = uint8_t(i == 32 ? 8 * v : v);
        }
        Bytes code(sd::kTapCodeSize), back(sd::kTapStepCount);
        sd::GenTapPatternCode(steps.data(), code.data());
        EXPECT_TRUE(n > 1 || code == (n == 0 ? kFullTapCode : Bytes(11, 0x00)));
        sd::decodeTapPatternCode(code.data(), back.data());
        ASSERT_EQ(back, steps) << "set " << n;
        ASSERT_TRUE(std::all_of(code.begin(), code.end(), [](uint8_t b) { return b < 0x80; }));
    }
    // Tap 16's pan field of 3 names no position: it reads as 0.
    Bytes code(11, 0x00), steps(sd::kTapStepCount);
    code[10] = 0x1F;
    sd::decodeTapPatternCode(code.data(), steps.data());
    EXPECT_EQ(slice(steps, 30, 3), (Bytes{7, 0, 0}));
}

TEST(SoundDumpWriter, EncodesEachKindOfByte) {
    struct Case {
        int param;
        double value;
        int offset;
        uint8_t byte;
    } cases[] = {
        {kOscillator1Octave, 16, 8, 0x10}, // octave and semitone hold the wire byte
        {kOscillator2Semitone, 64, 25, 0x40},
        {kOscillator3BendRange, -12, 43, 28},
        {kTuneMode, 3, 59, 3},
        {kOscillatorUnisono, 6, 65, 0x60},
        {kFilter2TypeQ, 13, 104, 13}, // the model is the Q
        {kEffect2Mode, 9, 151, 0x09},
        {kEffect2Mode, 10, 151, 0x20},
        {kEffect2Mode, 11, 151, 0x21},
        {kAmpEnvTrigger, 1, 215, 0x20},
        {kArpPattern16Glide, 1, 350, 0x08},
        {kArpPattern16StepLen, 7, 366, 0x70},
        {kFilter1Cutoff, 200, 85, 0x48}, // a value past 127 keeps its low seven bits
        {kFilter1Cutoff, 99.9, 85, 99},  // truncated
        {kPartZaruvaPatch, 127, 134, 0x7F},
    };
    for (const Case& c : cases) {
        SoundDumpRig rig;
        rig.plugin.setParam(c.param + 2, c.value);
        const Bytes dump = rig.write(2);
        ASSERT_EQ(dump.size(), 393u);
        EXPECT_EQ(dump[size_t(c.offset)], c.byte) << "byte " << c.offset;
    }
}

TEST(SoundDumpWriter, FrameNameCategoryAndChecksum) {
    SoundDumpRig rig;
    rig.plugin.setParam(kGlobalSysExID, 0x85);
    rig.plugin.setParamText(kPatchName + 15, "Sub B\xC3\xA4ss is far too long");
    rig.plugin.setParamText(kCategoryName + 15, "Leads");
    const Bytes dump = rig.write(15);
    EXPECT_EQ(slice(dump, 0, 8), (Bytes{0xF0, 0x3E, 0x0F, 0x05, 0x10, 0x30, 0x0F, 0x09}));
    EXPECT_EQ(slice(dump, 367, 4), Bytes(4, 0x00));
    // Seven-bit characters only, cut to the field.
    EXPECT_EQ(slice(dump, 371, 20), (Bytes{'S', 'u', 'b', ' ', 'B', 0x43, 0x24, 's', 's', ' ',
                                           'i', 's', ' ', 'f', 'a', 'r',  'L',  'e', 'a', 'd'}));
    EXPECT_TRUE(testsupport::hasValidChecksum(dump));
    EXPECT_NE(dump[391], 0x7F);
    EXPECT_EQ(dump[392], 0xF7);
}

TEST(SoundDumpSending, TheTempoFollowsOnlyASinglePartOrTheLastOfABatch) {
    const Bytes tempo{0xF0, 0x3E, 0x0F, 0x05, 0x21, 0x00, 0x05, 0x78, 0xF7};
    struct Case {
        bool batch;
        double overrideTempo;
        int firstPart, lastPart;
        size_t messages;
        bool tempoLast;
    } cases[] = {
        {false, 0.0, 3, 3, 2, true},
        {true, 0.0, 0, 15, 17, true},
        {false, 1.0, 3, 3, 1, false},
        {false, 0.5, 15, 15, 1, false}, // only exactly 0.0 sends it
    };
    for (const Case& c : cases) {
        SoundDumpRig rig;
        rig.plugin.deviceId = 5;
        rig.plugin.batch = c.batch;
        rig.plugin.setParam(kMultiTempo, 120);
        rig.plugin.setParam(kOverrideTempo, c.overrideTempo);
        for (int part = c.firstPart; part <= c.lastPart; ++part)
            rig.run(part, false);
        const auto sent = rig.plugin.output.bytes();
        ASSERT_EQ(sent.size(), c.messages);
        EXPECT_EQ(sent.back() == tempo, c.tempoLast);
        // A batch leaves the progress display to the whole-multi transfer.
        const auto calls = rig.plugin.calls();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "indicator 1"), c.batch ? 0 : 1);
        EXPECT_EQ(calls.back() == "indicator 0", !c.batch);
    }
}

TEST(SoundDumpSending, NamesReachThePatchManagerAndOnlyTheShownPartIsDisplayed) {
    SoundDumpRig rig;
    rig.plugin.selectedPart = 2;
    for (int part : {5, 2}) {
        rig.plugin.setParamText(kPatchName + part, "Pad " + std::to_string(part));
        rig.plugin.setParamText(kCategoryName + part, "");
        EXPECT_EQ(slice(rig.write(part), 387, 4), Bytes(4, ' '));
        EXPECT_EQ(rig.plugin.patchManagerName(1 + part), "Pad " + std::to_string(part));
        EXPECT_EQ(rig.plugin.patchManagerName(19 + part), "Set Name");
    }
    EXPECT_EQ(rig.plugin.calls(),
              (std::vector<std::string>{"indicator 1", "view dirty", "view dirty", "indicator 0",
                                        "indicator 1", "view dirty", "view dirty",
                                        "patch name Pad 2", "category name ", "indicator 0"}));
}

TEST(SoundDumpSending, WithoutAnOutputTheDumpIsRefusedButThePauseAndNamesRemain) {
    SoundDumpRig rig;
    rig.plugin.midiIO = false;
    rig.plugin.setParamText(kPatchName + 4, "Keys");
    rig.run(4, false);
    EXPECT_EQ(rig.plugin.output.count(), 0u);
    EXPECT_EQ(rig.plugin.upperDisplay(), "Set MIDI I/O First!");
    EXPECT_EQ(rig.clock.SleptNanos(), 150000000);
    EXPECT_EQ(rig.plugin.patchManagerName(5), "Keys");
}

TEST(SoundDumpSending, TheLibrarianRoadFeedsThePluginsOwnInputAndReportsOnlyAStore) {
    LibrarianTestHost host;
    PatchLibrarian librarian(host);
    librarian.upperSlotIndex = 57;
    for (bool stored : {true, false}) {
        SoundDumpRig rig(&librarian);
        rig.plugin.internalInputStores = stored;
        rig.plugin.setParam(kMultiPartBank + 6, 2);
        rig.run(6, true);
        EXPECT_EQ(rig.plugin.output.count(), 0u);
        EXPECT_EQ(rig.clock.SleptNanos(), 0);
        const auto fed = rig.plugin.internalInputs();
        ASSERT_EQ(fed.size(), 1u);
        ASSERT_EQ(fed[0].size(), 393u);
        EXPECT_EQ(slice(fed[0], 3, 4), (Bytes{0x00, 0x10, 0x02, 0x39}));
        EXPECT_EQ(rig.plugin.calls(),
                  (std::vector<std::string>{"indicator 1", "request librarian", "internal input",
                                            stored ? "unsaved 1" : "disarm", "indicator 0"}));
    }
}
