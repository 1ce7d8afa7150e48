#include "tests/incoming/ParamChangeRig.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string kRefresh = "reduced change " + std::to_string(kQuickTab);

Bytes multi(uint8_t hi, uint8_t lo, uint8_t v, uint8_t device = 0) {
    return {0xF0, 0x3E, 0x0F, device, 0x21, hi, lo, v, 0xF7};
}
Bytes sound(uint8_t loc, uint8_t hi, uint8_t lo, uint8_t v) {
    return {0xF0, 0x3E, 0x0F, 0x00, 0x20, loc, hi, lo, v, 0xF7};
}
Bytes global(uint8_t lo, uint8_t v) {
    return {0xF0, 0x3E, 0x0F, 0x00, 0x24, 0x00, lo, v, 0xF7};
}

TEST(ParameterMessages, PartBankProgramAndPattern) {
    ParamChangeRig bank;
    bank.plugin.programBankMode = true;
    bank.send(multi(0, 0x20, 2));
    EXPECT_EQ(bank.value(kMultiPartBank), 2);
    EXPECT_EQ(bank.plugin.getStoredBank(0), 2);
    EXPECT_THAT(bank.requests(), ElementsAre(Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x00, 0x30, 0x00, 0xF7}));

    ParamChangeRig pattern;
    pattern.send(multi(1, 0x03, 5));
    EXPECT_EQ(pattern.value(kPartPattern + 4), 5);
    EXPECT_EQ(pattern.plugin.getAwaitedDumpPart(), 4);
    EXPECT_THAT(pattern.requests(), ElementsAre(Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x03, 0x20, 0x00, 0xF7}));

    ParamChangeRig zero;
    zero.set(kPartPattern + 4, 5);
    zero.manager.refreshRequested = true;
    zero.send(multi(1, 0x03, 0));
    EXPECT_EQ(zero.value(kPartPattern + 4), 0);
    EXPECT_EQ(zero.plugin.callCount(kRefresh), 0u);
    EXPECT_THAT(zero.requests(), IsEmpty());

    // In librarian control a program sends its entry, a bank nothing; slot 100 does not exist.
    ParamChangeRig librarian;
    librarian.plugin.librarianControl = true;
    for (uint8_t program : {1, 100})
        librarian.send(multi(0, 0x21, program));
    librarian.send(multi(0, 0x20, 1));
    EXPECT_EQ(librarian.value(kMultiPartPatch), 100);
    EXPECT_EQ(librarian.plugin.viewCurrentSlot, 1);
    EXPECT_EQ(librarian.plugin.callCount("librarian send 1 0 0"), 2u); // message and control
    EXPECT_EQ(librarian.plugin.callCount("librarian send 100 0 0"), 0u);
}

TEST(ParameterMessages, PackedPartSettingsBytes) {
    const int settings1[] = {kMIDIRX, kMIDITX, kEngine, kMultiPartStatus};
    const int settings2[] = {kPartPitchBend, kPartModWheel, kPartAfterTouch,
                             kPartSustain,   kPartButtons,  kPartProgramChange};
    const struct {
        Bytes message;
        int part;
        std::vector<double> values; // four of settings1 or six of settings2
    } cases[] = {
        {multi(0, 0x7F, 0x17), 4, {3, 1, 1, 0}},
        {multi(0, 0x27, 0x07), 0, {3, 1, 0, 1}},
        {multi(2, 0x71, 0x30), 15, {0, 0, 2, 0}},
        {multi(0, 0x28, 0x17), 0, {1, 1, 1, 1}}, // the panning byte beside it
        {multi(0, 0x30, 0x21), 0, {1, 0, 0, 0, 0, 1}},
        {multi(2, 0x7A, 0x45), 15, {0, 0, 0, 0, 1, 1}}, // from 64 bits 0 and 2 count not
    };
    for (const auto& c : cases) {
        ParamChangeRig r;
        for (int base : settings1)
            r.set(base + c.part, 1);
        for (int base : settings2)
            r.set(base + c.part, 1);
        r.send(c.message);
        const int* params = c.values.size() == 4 ? settings1 : settings2;
        for (size_t k = 0; k < c.values.size(); ++k)
            EXPECT_EQ(r.value(params[k] + c.part), c.values[k]) << int(c.message[6]) << " " << k;
        EXPECT_THAT(r.requests(), IsEmpty());
    }
}

TEST(ParameterMessages, TwoParametersInOneValue) {
    const struct {
        Bytes message;
        int first, second;
        double firstValue, secondValue;
    } cases[] = {
        {sound(3, 1, 0x50, 33), kAmpEnvMode + 3, kAmpEnvTrigger + 3, 1, 1},
        {sound(3, 1, 0x44, 31), kFilterEnvMode + 3, kFilterEnvTrigger + 3, 31, 0},
        {sound(2, 0, 0x3A, 17), kOscillatorUnisono + 2, kOscillatorMonoPolyMode + 2, 1, 1},
        {sound(2, 0, 0x3A, 16), kOscillatorUnisono + 2, kOscillatorMonoPolyMode + 2, 1, 0},
        {sound(2, 0, 0x3A, 96), kOscillatorUnisono + 2, kOscillatorMonoPolyMode + 2, 5, 1},
    };
    for (const auto& c : cases) {
        ParamChangeRig r;
        r.send(c.message);
        EXPECT_THAT(r.plugin.plugSets(), ElementsAre(std::pair(c.first, c.firstValue),
                                                     std::pair(c.second, c.secondValue)));
        EXPECT_EQ(r.plugin.callCount(kRefresh), c.first == kOscillatorUnisono + 2 ? 0u : 1u);
    }
    // The same value at hi 0 is an ordinary parameter; beyond part 15 nothing at all.
    ParamChangeRig r;
    r.send(sound(3, 0, 0x50, 33));
    r.send(sound(16, 1, 0x50, 33));
    EXPECT_EQ(r.value(kFilter1Cutoff + 3), 33);
    EXPECT_THAT(r.plugin.plugSets(), IsEmpty());
}

TEST(ParameterMessages, OffsetsAndVariants) {
    const struct {
        Bytes message;
        int effect1Mode; // of part 2
        int id;
        double value;
    } cases[] = {
        {global(12, 60), 0, kGlobalControlSend, 6},
        {global(12, 50), 0, kGlobalControlSend, 0}, // -4, below the range
        {global(11, 10), 0, kMultiPartTranspose, -6},
        {multi(0, 0x20, 3, 5), 0, kMultiPartBank, 3}, // whatever the device id
        {sound(2, 1, 5, 40), 3, kFX1PhaserCenter + 2, 40},
        {sound(2, 1, 5, 41), 4, kFX1FiveFXSource + 2, 41},  // no control of type 4
        {sound(2, 1, 5, 42), 10, kFX1FiveFXSource + 2, 42}, // no such type
    };
    for (const auto& c : cases) {
        ParamChangeRig r;
        r.set(kGlobalControlSend, 20);
        r.set(kEffect1Mode + 2, c.effect1Mode);
        r.send(c.message);
        EXPECT_EQ(r.value(c.id), c.value) << c.id;
    }
    // Index 11 has no offset rule: its raw value goes to the control, the host told of it.
    ParamChangeRig r;
    r.send(global(11, 10));
    const std::string id = std::to_string(kMultiPartTranspose);
    EXPECT_THAT(r.plugin.calls(), ElementsAre("begin edit " + id, "end edit " + id));
    r.send(sound(5, 0, 0x76, 3));
    EXPECT_THAT(r.plugin.plugSets(), ElementsAre(std::pair(kFilterLinkValue + 5, 3.0),
                                                 std::pair(kFilterLinkSwitch + 5, 1.0)));
}

TEST(ParameterMessages, ProgramGateOfOneSecond) {
    for (int elapsed : {1000, 1001}) {
        ParamChangeRig r;
        r.plugin.librarianControl = true;
        IMidiMsg change(0, 0xC0, 3, 0);
        r.manager.MakeProgramChangeMessages(0, &change);
        r.clock.AdvanceMillis(elapsed);
        r.manager.processSysExToUI(r.plugin.getSysexControl(0, 0x21, 0, 0x21, 0), 9, false, true);
        EXPECT_EQ(r.value(kMultiPartPatch), 9);
        EXPECT_EQ(r.plugin.callCount("librarian send 9 0 0"), elapsed > 1000 ? 1u : 0u) << elapsed;
    }
}

TEST(ParameterMessages, EchoFlagOnlyAroundTheControlsChange) {
    ParamChangeRig r;
    std::vector<bool> raised;
    r.editor.effect.onChange = [&](int) { raised.push_back(r.manager.settingFromDevice); };
    r.send(sound(3, 0, 0x50, 40)); // through its control
    r.send(global(11, 30));        // the raw road
    EXPECT_THAT(raised, ElementsAre(true, false));
    r.manager.processSysExToUI(r.plugin.getSysexControl(0, 0x24, 0, 0x24, 0), 1, false, true);
    EXPECT_TRUE(r.plugin.isLocalControl());
    EXPECT_FALSE(r.manager.settingFromDevice);
}

TEST(ParameterMessages, ControlMovedFromTwoThreadsKeepsTheLastValue) {
    ParamChangeRig r;
    IControl* cutoff = r.plugin.getSysexControl(0x20, 3, 0, 0x50, 0);
    std::thread editor([&] {
        for (int i = 0; i < 2000; ++i) {
            KIT_MutexLock lock(r.editor.effect.GetMutex());
            cutoff->SetValueFromUserInput((i % 128) / 127.0);
        }
    });
    for (int i = 0; i < 2000; ++i)
        r.send(sound(3, 0, 0x50, uint8_t(i % 128)));
    editor.join();
    r.send(sound(3, 0, 0x50, 99));
    EXPECT_EQ(r.value(kFilter1Cutoff + 3), 99);
}

} // namespace
