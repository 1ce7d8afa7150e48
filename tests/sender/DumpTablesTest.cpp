#include "src/librarian/LibrarianInitData.h"
#include "src/sender/GlobalDumpLayout.h"
#include "src/sender/MultiDumpLayout.h"
#include "src/sender/PatternDumpLayout.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/SoundDumpRig.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <string>

using Bytes = std::vector<uint8_t>;
using testsupport::SoundDumpRig;

namespace {

Bytes slice(const Bytes& b, int from, int count) {
    return Bytes(b.begin() + from, b.begin() + from + count);
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// The first dump that job `code` sends for the part.
Bytes write(SoundDumpRig& rig, int code, int part = 0) {
    rig.plugin.output.clear();
    SenderJob job;
    job.command = code;
    job.part = part;
    rig.manager.getSender()->run(job);
    for (const Bytes& m : rig.plugin.output.bytes())
        if (m.size() > 200) return m;
    return {};
}

// A dump from the synthesizer, awaited by the editor.
void receive(SoundDumpRig& rig, const Bytes& dump) {
    ISysEx message(0, dump.data(), int32_t(dump.size()));
    rig.manager.dumpAwaited = true;
    rig.manager.ProcessSysEx(&message, true);
}

using MultiDump::partByte;

} // namespace

TEST(DumpWriters, EncodeEachKindOfByteToTheLastParameterByte) {
    const int multi = SenderJob::kSendArrangementToDevice;
    const int pattern = SenderJob::kSendSequenceToDevice;
    const int hold16 = kPatternStep01HoldPause + 15 * 240;
    struct Case {
        int job;
        std::vector<std::pair<int, double>> params; // of part 15 for a pattern
        int offset;
        uint8_t byte;
    } cases[] = {
        {multi, {{kMultiPartTranspose + 3, 0}}, 109, 0x10},
        {multi, {{kMultiPartVeloLow + 3, 0}}, partByte(3, 12), 0x01},
        {multi, {{kMIDIRX + 15, 3}, {kMIDITX + 15, 1}}, partByte(15, 7), 0x07},
        {multi,
         {{kPartPitchBend + 15, 1},
          {kPartModWheel + 15, 1},
          {kPartAfterTouch + 15, 1},
          {kPartSustain + 15, 1},
          {kPartButtons + 15, 1},
          {kPartProgramChange + 15, 1}},
         385,
         0x3F},
        {multi, {{kPartProgramChange + 7, 1}}, partByte(7, 16), 0x20},
        {multi, {{kMultiTempo, 200.7}}, 12, 0x48}, // the low seven bits of the truncated value
        {multi, {{kGlobalSysExID, 0x85}}, 3, 0x05},
        {SenderJob::kSendGlobalToDevice, {{kGlobalTuning, 10}}, 17, 0x40},
        {pattern, {{hold16, 2}}, 277, 0x03},
        {pattern, {{hold16, 1}}, 277, 0x01},
        {pattern, {{kOptionLinePar, 3}}, 12, 0x13},
        {pattern, {{kPatternStep32Note8, 130}}, 542, 0x02},
        {pattern, {{kPatternStep01Cutoff + 31 * 240, 99.5}}, 527, 99},
    };
    for (const Case& c : cases) {
        SoundDumpRig rig;
        rig.plugin.selectedPart = 15;
        for (const auto& [param, value] : c.params)
            rig.plugin.setParam(param + (c.job == pattern ? 15 : 0), value);
        rig.plugin.setParamText(kMultiName, "Twenty characters!!!");
        rig.plugin.setParamText(kPatternName + 15, "Pulse");
        const Bytes dump = write(rig, c.job, 15);
        EXPECT_EQ(dump[size_t(c.offset)], c.byte) << "byte " << c.offset;
        EXPECT_TRUE(testsupport::hasValidChecksum(dump) && dump.back() == 0xF7);
        if (c.job == multi) {
            EXPECT_EQ(slice(dump, 23, 16), text("Twenty character"));
        }
        if (c.job == pattern) {
            EXPECT_EQ(slice(dump, 15, 16), text("Pulse           "));
        }
    }
}

TEST(MultiDump, TheInitMultiSurvivesParsingAndWritingAgain) {
    SoundDumpRig rig;
    rig.plugin.setRange(kMultiPartVeloLow, -1, 126);
    const Bytes init(std::begin(initMultiData), std::end(initMultiData));
    receive(rig, init);
    EXPECT_EQ(slice(write(rig, SenderJob::kSendArrangementToDevice), 7, 384), slice(init, 7, 384));
}

TEST(MultiParse, UnpacksThePackedBytes) {
    struct Case {
        uint8_t settings1, settings2;
        double receive, send, engine, status;
        int switches; // bit k: switch k on
    } cases[] = {
        {0x17, 0x21, 3, 1, 1, 0.0, 0x21}, {0x07, 0x45, 3, 1, 0, 1.0, 0x30},
        {0x30, 0x00, 0, 0, 2, 0.0, 0x00}, {0x2F, 0x3F, 3, 3, 2, 0.0, 0x3F},
        {0x7F, 0x40, 0, 0, 2, 0.0, 0x30}, {0x00, 0x7F, 0, 0, 0, 1.0, 0x30},
    };
    for (const Case& c : cases) {
        SoundDumpRig rig;
        Bytes dump = testsupport::multiDump("Packed", 1);
        dump[size_t(partByte(9, 7))] = c.settings1;
        dump[size_t(partByte(9, 16))] = c.settings2;
        receive(rig, dump);
        const auto value = [&](int param) { return rig.plugin.GetParamValue(param + 9); };
        EXPECT_EQ(value(kMIDIRX), c.receive);
        EXPECT_EQ(value(kMIDITX), c.send);
        EXPECT_EQ(value(kEngine), c.engine);
        EXPECT_EQ(value(kMultiPartStatus), c.status);
        for (int k = 0; k < MultiDump::kSwitchCount; ++k)
            EXPECT_EQ(value(MultiDump::kSwitches[k]), (c.switches >> k) & 1) << int(c.settings2);
    }
}

TEST(MultiParse, OffsetsNameAndHardwareRecordsAfterTheClamp) {
    SoundDumpRig rig;
    rig.plugin.setRange(kMultiPartPatch + 4, 0, 99);
    Bytes dump = testsupport::multiDump("Init Multi", 2);
    const uint8_t block[] = {3, 0x7F, 0, 0, 0x10};
    std::copy(std::begin(block), std::end(block), dump.begin() + partByte(4, 0));
    dump[size_t(partByte(4, 12))] = 0x00;
    dump[30] = 0x00; // the display text ends there, the patch manager keeps all 16
    receive(rig, dump);
    EXPECT_EQ(rig.plugin.GetParamValue(kMultiPartTranspose + 4), 0.0);
    EXPECT_EQ(rig.plugin.GetParamValue(kMultiPartVeloLow + 4), 0.0); // −1 asked, clamped
    EXPECT_EQ(rig.plugin.getStoredBank(4), 3);
    EXPECT_EQ(rig.plugin.getStoredProgram(4), 99);
    EXPECT_EQ(rig.plugin.getParamText(kMultiName), "Init Mu");
    EXPECT_EQ(rig.plugin.patchManagerName(0), std::string("Init Mu\0ti      ", 16));
    EXPECT_TRUE(rig.manager.answerReceived);

    // One byte short: no parser takes it, and the wait for the dump goes on.
    SoundDumpRig shortRig;
    dump.pop_back();
    receive(shortRig, dump);
    EXPECT_TRUE(shortRig.plugin.plugSets().empty());
    EXPECT_FALSE(shortRig.manager.answerReceived);
    EXPECT_TRUE(shortRig.manager.dumpAwaited);
}

TEST(GlobalDump, AllZeroIsTheTemplateWithOffsetsAndChecksum04) {
    SoundDumpRig rig;
    Bytes expected(207, 0x00);
    const uint8_t head[] = {0xF0, 0x3E, 0x0F, 0x00, 0x14};
    std::copy(std::begin(head), std::end(head), expected.begin());
    expected[17] = 0x36;
    expected[18] = 0x34;
    expected[34] = 0x02;
    expected[35] = 0x04;
    expected[205] = 0x04;
    expected[206] = 0xF7;
    EXPECT_EQ(write(rig, SenderJob::kSendGlobalToDevice), expected);
    // The pause unit of kLibSyncTimer 0 is 50 ms, but the 207 bytes take 66.24 on a cable.
    EXPECT_EQ(rig.clock.SleptNanos(), 67000000);
    EXPECT_EQ(rig.plugin.calls(), (std::vector<std::string>{"indicator 1", "indicator 0"}));
}

// The writer, the parser and the simulator share the table, so a round trip cannot see two
// bytes swapped: the table is held against the synthesizer's byte list.
TEST(GlobalDump, EveryParameterSitsAtItsByteWithItsOffset) {
    // clang-format off
    const DumpByte bytes[] = {
        {5, kGlobalInitSound1}, {6, kGlobalInitSound2}, {7, kGlobalInitSound3},
        {8, kGlobalInitSound4}, {9, kGlobalPedalOffset}, {10, kGlobalPedalGain},
        {11, kGlobalPedalCurve}, {12, kGlobalPedalController}, {13, kGlobalPedal2Offset},
        {14, kGlobalPedal2Gain}, {15, kGlobalPedal2Curve}, {16, kGlobalPedal2Controller},
        {17, kGlobalTuning, 54}, {18, kGlobalTranspose, 52}, {19, kGlobalControlSend},
        {20, kGlobalReceive}, {26, kGlobalRxProgramChange}, {28, kGlobalControlW},
        {29, kGlobalControlX}, {30, kGlobalControlY}, {31, kGlobalControlZ},
        {32, kGlobalArpSend}, {36, kGlobalClock}, {37, kGlobalInstrSel},
        {38, kGlobalStartMode}, {39, kGlobalMultiSound}, {41, kGlobalMidiChannel},
        {42, kGlobalSysExID}, {43, kGlobalLocalControl}, {44, kGlobalPopupTime},
        {45, kGlobalDisplayContrast}, {46, kGlobalKeyVeloCurve}, {47, kGlobalReleaseCurve},
        {48, kGlobalPressureCurve}, {49, kGlobalInputGain}, {51, kGlobalTxProgramChange},
        {53, kGlobalPatternInst1}, {54, kGlobalPatternInst2}, {55, KGlobalPatternInst3},
        {56, kGlobalPatternInst4}, {69, kGlobalFootswitch1Mode},
        {70, kGlobalFootswitch1Controller}, {71, kGlobalFootswitch2Mode},
        {72, kGlobalFootswitch2Controller}, {73, kGlobalTuningHMTMode},
        {74, kGlobalTuningHMTDepth}, {75, kGlobalTuningHMTMIDIExport}, {76, kGlobalMixInputTo},
        {77, kGlobalInputMix},
    };
    // clang-format on
    const std::vector<DumpByte>& layout = GlobalDump::layout();
    ASSERT_EQ(layout.size(), std::size(bytes));
    for (size_t i = 0; i < layout.size(); ++i)
        EXPECT_TRUE(layout[i].offset == bytes[i].offset && layout[i].param == bytes[i].param &&
                    layout[i].bias == bytes[i].bias)
            << "byte " << bytes[i].offset;
}

TEST(GlobalDump, RandomGlobalsAndTheLocalControlComeBack) {
    std::mt19937 random(5);
    for (int round = 0; round < 20; ++round) {
        SoundDumpRig writer, reader;
        reader.plugin.localControl = true;
        for (const DumpByte& b : GlobalDump::layout()) {
            writer.plugin.setParam(b.param, int(random() % 128) - b.bias);
            reader.plugin.setRange(b.param, -b.bias, 127 - b.bias);
        }
        if (round == 0) writer.plugin.setParam(kGlobalLocalControl, 0);
        receive(reader, write(writer, SenderJob::kSendGlobalToDevice));
        for (const DumpByte& b : GlobalDump::layout())
            ASSERT_EQ(reader.plugin.GetParamValue(b.param), writer.plugin.GetParamValue(b.param))
                << "byte " << b.offset;
        EXPECT_EQ(reader.plugin.localControl,
                  writer.plugin.GetParamValue(kGlobalLocalControl) != 0);
    }
}

TEST(PatternDump, The485ValuesComeBackAndHoldPause2As3) {
    std::mt19937 random(11);
    SoundDumpRig writer, reader;
    reader.plugin.setRange(kOptionLinePar + 2, -16, 111);
    for (const DumpByte& b : PatternDump::layout())
        writer.plugin.setParam(b.param + 2, int(random() % 128) - b.bias);
    const int holdPause = kPatternStep01HoldPause + 240 * 4 + 2;
    writer.plugin.setParam(holdPause, 2);
    reader.plugin.awaitedPart = 2;
    receive(reader, write(writer, SenderJob::kSendSequenceToDevice, 2));
    ASSERT_EQ(PatternDump::layout().size(), 485u);
    for (const DumpByte& b : PatternDump::layout()) {
        const int id = b.param + 2;
        ASSERT_EQ(reader.plugin.GetParamValue(id),
                  id == holdPause ? 3 : writer.plugin.GetParamValue(id))
            << "byte " << b.offset;
    }
}

TEST(PatternParse, LengthsLockAndOptionLine) {
    const Bytes full = testsupport::patternDump("Arp Line", 3);
    Bytes init = MIDIMessageSender::initPatternDump();
    struct Case {
        Bytes dump;
        double lock;
        size_t sets; // values set in the awaited part
    } cases[] = {
        {full, 0.0, 485},
        {full, 0.5, 485},
        {full, 1.0, 0},
        {init, 0.0, 485},
        {slice(full, 0, 542), 0.0, 484},
        {slice(full, 0, 541), 0.0, 0},
    };
    for (const Case& c : cases) {
        SoundDumpRig rig;
        rig.plugin.awaitedPart = 15;
        rig.plugin.setParam(kSectionLockPattern + 15, c.lock);
        receive(rig, c.dump);
        const bool taken = c.dump.size() >= 542;
        EXPECT_EQ(rig.plugin.plugSets().size(), c.sets) << c.dump.size() << " bytes";
        EXPECT_EQ(rig.plugin.getParamText(kPatternName + 15),
                  taken ? std::string(c.dump.begin() + 15, c.dump.begin() + 31) : "");
        EXPECT_EQ(rig.manager.answerReceived, taken);
        if (c.dump == init) {
            EXPECT_EQ(rig.plugin.GetParamValue(kOptionLinePar + 15), 3.0);
        }
    }
    // A byte 00 asks for −16, which the range clamps.
    SoundDumpRig rig;
    init[12] = 0x00;
    receive(rig, init);
    EXPECT_EQ(rig.plugin.plugSets()[4], std::make_pair(int(kOptionLinePar), -16.0));
    EXPECT_EQ(rig.plugin.GetParamValue(kOptionLinePar), 0.0);
}
