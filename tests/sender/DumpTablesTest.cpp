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

// The first dump job `code` sends for the part.
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

int multiPart(int part, int offset) {
    return MultiDump::partByte(part, offset);
}

} // namespace

TEST(MultiDump, EncodesItsBytesAndPackedBytes) {
    struct Case {
        std::vector<std::pair<int, double>> params;
        int offset;
        uint8_t byte;
    } cases[] = {
        {{{kMultiPartTranspose + 3, 0}}, 109, 0x10},
        {{{kMultiPartVeloLow + 3, 0}}, multiPart(3, 12), 0x01},
        {{{kMIDIRX + 15, 3}, {kMIDITX + 15, 1}}, multiPart(15, 7), 0x07},
        {{{kPartPitchBend + 15, 1},
          {kPartModWheel + 15, 1},
          {kPartAfterTouch + 15, 1},
          {kPartSustain + 15, 1},
          {kPartButtons + 15, 1},
          {kPartProgramChange + 15, 1}},
         385,
         0x3F}, // the last parameter byte
        {{{kPartProgramChange + 7, 1}}, multiPart(7, 16), 0x20},
        {{{kMultiTempo, 200.7}}, 12, 0x48}, // low seven bits of the truncated value
        {{{kGlobalSysExID, 0x85}}, 3, 0x05},
        {{{kMultiPartKeyHigh + 15, 127}}, multiPart(15, 15), 0x7F},
    };
    for (const Case& c : cases) {
        SoundDumpRig rig;
        for (const auto& [param, value] : c.params)
            rig.plugin.setParam(param, value);
        const Bytes dump = write(rig, SenderJob::kSendArrangementToDevice);
        ASSERT_EQ(dump.size(), 393u);
        EXPECT_EQ(dump[size_t(c.offset)], c.byte) << "byte " << c.offset;
        EXPECT_TRUE(testsupport::hasValidChecksum(dump));
    }
}

TEST(MultiDump, NameIsCutOrPaddedAndAnEmptyOneNamesNothing) {
    for (const std::string& name :
         {std::string("Twenty characters!!!"), std::string("Pad"), std::string()}) {
        SoundDumpRig rig;
        rig.plugin.setParamText(kMultiName, name);
        const Bytes dump = write(rig, SenderJob::kSendArrangementToDevice);
        std::string expected = name.substr(0, 16);
        expected.resize(16, ' ');
        EXPECT_EQ(slice(dump, 23, 16), Bytes(expected.begin(), expected.end()));
        EXPECT_EQ(rig.plugin.patchManagerName(0), name.empty() ? "Set Name" : name);
    }
}

TEST(MultiDump, TheInitMultiSurvivesParsingAndWritingAgain) {
    SoundDumpRig rig;
    rig.plugin.setRange(kMultiPartVeloLow, -1, 126);
    rig.plugin.setRange(kMultiPartTranspose, -16, 111);
    const Bytes init(std::begin(initMultiData), std::end(initMultiData));
    receive(rig, init);
    EXPECT_EQ(rig.plugin.getParamText(kMultiName), "Sequencer Multi ");
    const Bytes back = write(rig, SenderJob::kSendArrangementToDevice);
    EXPECT_EQ(slice(back, 7, 384), slice(init, 7, 384));
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
        dump[size_t(multiPart(9, 7))] = c.settings1;
        dump[size_t(multiPart(9, 16))] = c.settings2;
        receive(rig, dump);
        EXPECT_EQ(rig.plugin.GetParamValue(kMIDIRX + 9), c.receive);
        EXPECT_EQ(rig.plugin.GetParamValue(kMIDITX + 9), c.send);
        EXPECT_EQ(rig.plugin.GetParamValue(kEngine + 9), c.engine);
        EXPECT_EQ(rig.plugin.GetParamValue(kMultiPartStatus + 9), c.status);
        for (int k = 0; k < MultiDump::kSwitchCount; ++k)
            EXPECT_EQ(rig.plugin.GetParamValue(MultiDump::kSwitches[k] + 9), (c.switches >> k) & 1)
                << "byte " << int(c.settings2) << " switch " << k;
    }
}

TEST(MultiParse, OffsetsClampsNameAndTheHardwareRecords) {
    SoundDumpRig rig;
    rig.plugin.setRange(kMultiPartPatch + 4, 0, 99);
    Bytes dump = testsupport::multiDump("Init Multi", 2);
    dump[size_t(multiPart(4, 4))] = 0x10;
    dump[size_t(multiPart(4, 12))] = 0x00;
    dump[size_t(multiPart(4, 0))] = 3;
    dump[size_t(multiPart(4, 1))] = 0x7F;
    dump[30] = 0x00; // the display text ends at a zero byte, the patch manager keeps all 16
    receive(rig, dump);
    EXPECT_EQ(rig.plugin.GetParamValue(kMultiPartTranspose + 4), 0.0);
    EXPECT_EQ(rig.plugin.GetParamValue(kMultiPartVeloLow + 4), 0.0); // −1 asked, clamped
    EXPECT_EQ(rig.plugin.storedBankAndProgram(4), std::make_pair(3, 99));
    EXPECT_EQ(rig.plugin.getParamText(kMultiName), "Init Mu");
    EXPECT_EQ(rig.plugin.patchManagerName(0), std::string("Init Mu\0ti      ", 16));
    EXPECT_TRUE(rig.manager.answerReceived);
    EXPECT_FALSE(rig.manager.dumpAwaited);

    // One byte short: the multi parser leaves it, the global parser still ends the wait.
    SoundDumpRig shortRig;
    dump.pop_back();
    receive(shortRig, dump);
    EXPECT_TRUE(shortRig.plugin.plugSets().empty());
    EXPECT_FALSE(shortRig.manager.answerReceived);
    EXPECT_FALSE(shortRig.manager.dumpAwaited);
}

TEST(GlobalDump, AllZeroDumpIsTheTemplateWithItsOffsetsAndChecksum04) {
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
    EXPECT_EQ(rig.clock.SleptNanos(), 50000000); // the pause unit of kLibSyncTimer 0
    EXPECT_EQ(rig.plugin.calls(), (std::vector<std::string>{"indicator 1", "indicator 0"}));

    // Byte 3 is the plug-in's device id whatever the job's argument; byte 42 the parameter.
    rig.plugin.deviceId = 0x7F;
    rig.plugin.setParam(kGlobalSysExID, 9);
    rig.plugin.setParam(kGlobalTuning, 10);
    rig.plugin.setParam(KGlobalPatternInst3, 5);
    SenderJob job;
    job.command = SenderJob::kSendGlobalToDevice;
    job.globalArg = 99;
    rig.plugin.output.clear();
    rig.manager.getSender()->run(job);
    const Bytes dump = rig.plugin.output.bytes().at(0);
    EXPECT_EQ(dump[3], 0x7F);
    EXPECT_EQ(dump[42], 0x09);
    EXPECT_EQ(dump[17], 0x40);
    EXPECT_EQ(dump[55], 0x05);
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

TEST(PatternDump, EncodesHoldPauseOptionLineNameAndFrame) {
    SoundDumpRig rig;
    const int part = 6;
    rig.plugin.selectedPart = part;
    rig.plugin.setParam(kPatternStep01HoldPause + 15 * 240 + part, 2); // step 16
    rig.plugin.setParam(kPatternStep01HoldPause + part, 1);
    rig.plugin.setParam(kOptionLinePar + part, 3);
    rig.plugin.setParam(kPatternStep32Note8 + part, 130); // the last data byte, seven bits kept
    rig.plugin.setParam(kPatternStep01Cutoff + 31 * 240 + part, 99.5);
    rig.plugin.setParamText(kPatternName + part, "Twenty characters!!!");
    const Bytes dump = write(rig, SenderJob::kSendSequenceToDevice, part);
    ASSERT_EQ(dump.size(), 545u);
    EXPECT_EQ(dump[277], 0x03);
    EXPECT_EQ(dump[37], 0x01);
    EXPECT_EQ(dump[12], 0x13);
    EXPECT_EQ(dump[542], 0x02);
    EXPECT_EQ(dump[527], 99);
    EXPECT_EQ(slice(dump, 15, 16),
              Bytes(std::begin("Twenty character"), std::end("Twenty character") - 1));
    EXPECT_EQ(slice(dump, 0, 8), (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x13, 0x20, 0x00, 0x00}));
    for (int s = 0; s < 32; ++s)
        ASSERT_EQ(dump[size_t(38 + 16 * s)], 0x00) << "gap of step " << s + 1;
    EXPECT_TRUE(testsupport::hasValidChecksum(dump));
    EXPECT_EQ(dump[544], 0xF7);
    EXPECT_EQ(rig.plugin.patchManagerName(35 + part), "Twenty characters!!!");
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
    int compared = 0;
    for (const DumpByte& b : PatternDump::layout()) {
        const int id = b.param + 2;
        ASSERT_EQ(reader.plugin.GetParamValue(id),
                  id == holdPause ? 3 : writer.plugin.GetParamValue(id))
            << "byte " << b.offset;
        ++compared;
    }
    EXPECT_EQ(compared, 485);
}

TEST(PatternParse, LengthsLockAndOptionLine) {
    const Bytes full = testsupport::patternDump("Arp Line", 3);
    Bytes init = MIDIMessageSender::initPatternDump();
    struct Case {
        Bytes dump;
        double lock;
        size_t sets; // values set in the awaited part
        bool named;
    } cases[] = {
        {full, 0.0, 485, true},
        {full, 0.5, 485, true},
        {full, 1.0, 0, true},
        {init, 0.0, 485, true},
        {Bytes(full.begin(), full.begin() + 542), 0.0, 484, true},
        {Bytes(full.begin(), full.begin() + 541), 0.0, 0, false},
    };
    for (const Case& c : cases) {
        SoundDumpRig rig;
        rig.plugin.awaitedPart = 15;
        rig.plugin.setParam(kSectionLockPattern + 15, c.lock);
        receive(rig, c.dump);
        EXPECT_EQ(rig.plugin.plugSets().size(), c.sets) << c.dump.size() << " bytes";
        EXPECT_EQ(rig.plugin.getParamText(kPatternName + 15),
                  c.named ? std::string(c.dump.begin() + 15, c.dump.begin() + 31) : "");
        EXPECT_EQ(rig.manager.answerReceived, c.named);
    }
    // The option-line byte 13 gives 3; 00 asks for −16, which the range clamps.
    SoundDumpRig rig;
    receive(rig, init);
    EXPECT_EQ(rig.plugin.GetParamValue(kOptionLinePar), 3.0);
    rig.plugin.output.clear();
    init[12] = 0x00;
    receive(rig, init);
    EXPECT_EQ(rig.plugin.plugSets()[485 + 4], std::make_pair(int(kOptionLinePar), -16.0));
    EXPECT_EQ(rig.plugin.GetParamValue(kOptionLinePar), 0.0);
}

TEST(PatternSending, SelectsOnlyANonShownPartOutsideABatchAndStoresWithoutSending) {
    struct Case {
        int part, shown;
        bool batch;
        size_t messages;
    } cases[] = {{15, 0, false, 2}, {0, 0, false, 1}, {15, 0, true, 1}};
    for (const Case& c : cases) {
        SoundDumpRig rig;
        rig.plugin.selectedPart = c.shown;
        rig.plugin.batch = c.batch;
        write(rig, SenderJob::kSendSequenceToDevice, c.part);
        const auto sent = rig.plugin.output.bytes();
        ASSERT_EQ(sent.size(), c.messages);
        if (c.messages == 2)
            EXPECT_EQ(sent[0], (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x17, 0x00, 0x1F, 0xF7}));
        EXPECT_EQ(rig.clock.SleptNanos(), (c.messages == 2 ? 200 : 150) * 1000000);
        EXPECT_EQ(rig.plugin.callCount("indicator 1"), c.batch ? 0u : 1u);
    }
    SoundDumpRig rig;
    SenderJob job;
    job.command = SenderJob::kSendSequenceToDevice;
    job.part = 3;
    job.dumpOption1 = true;
    rig.manager.getSender()->run(job);
    EXPECT_EQ(rig.plugin.output.count(), 0u);
    ASSERT_EQ(rig.plugin.internalInputs().size(), 1u);
    EXPECT_EQ(rig.plugin.internalInputs()[0][543], 0x00);
    EXPECT_EQ(rig.plugin.calls(),
              (std::vector<std::string>{"indicator 1", "request librarian", "internal input",
                                        "unsaved 1", "indicator 0"}));
}
