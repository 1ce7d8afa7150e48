#include "tests/core/SendRig.h"

#include "kit/effect/IControl.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "tests/support/ScaledClock.h"

#include <chrono>
#include <thread>

using namespace coretest;
using ControlActions = SendRig;

namespace {

const Bytes kSoundParameter = {0x3E, 0x0F, 0x00, 0x20, 0x02, 0x01, 0x13, 0x00};

Bytes onWire(Bytes held) {
    held.insert(held.begin(), 0xF0);
    held.push_back(0xF7);
    return held;
}

void waitForIdleJob(Zoz& plug) {
    while (plug.ThreadRunning())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

TEST_F(ControlActions, ControlChangesGoOnThePartsChannelWithTheirValueAsItIs) {
    const struct {
        int kind, part, idx;
        double value;
        int setting, global; // the part's channel setting, kGlobalMidiChannel
        std::vector<Bytes> wire;
    } cases[] = {
        {kActionCC, 1, kOscillator2Octave + 1, 52.0, 3, 1, {{0xB1, 74, 52}}},
        {kActionCC, 1, kOscillator1Semitone + 1, 64.9, 3, 1, {{0xB1, 74, 64}}},
        {kActionCCSwitch, 4, 300, 0.5, 5, 1, {{0xB3, 74, 127}}},
        {kActionCCSwitch, 4, 300, 0.0, 17, 1, {{0xBF, 74, 0}}},
        {kActionCC, 4, 300, 9.0, 0, 16, {{0xBF, 74, 9}}},
        {kActionCC, 4, 300, 9.0, 1, 0, {}},
        {kActionCC, -1, 300, 9.0, 3, 2, {{0xB1, 74, 9}}},
    };
    for (const auto& c : cases) {
        if (c.part >= 0) set(kMultiPartMIDICh + c.part, c.setting);
        set(kGlobalMidiChannel, c.global);
        ControlAction cc = ccAction(c.kind, c.part);
        plug->processControlAction(&cc, c.idx, c.value);
        EXPECT_EQ(sent(), c.wire) << c.idx << " " << c.value;
        EXPECT_EQ(cc.lastSentValue, int(c.value));
        EXPECT_EQ(line(kControlDisplayCC), "CC|74");
    }
}

TEST_F(ControlActions, RefreshesEchoesAndTransfersHoldBackWhatTheyShould) {
    ControlAction cc = ccAction(kActionCC, 0);
    ControlAction sysex = sysexAction(kActionSysEx, kSoundParameter);
    MIDIMessageManager& manager = *plug->getMessageManager();
    const auto both = [&] {
        plug->processControlAction(&cc, 300, 1.0);
        plug->processControlAction(&sysex, 301, 1.0);
        return sent().size();
    };
    plug->hardwareChange() = true;
    EXPECT_EQ(both(), 0u);
    EXPECT_EQ(line(kControlDisplayCC), "SysEx");
    plug->hardwareChange() = false;
    plug->setLocalControl(true);
    manager.settingFromDevice = true;
    EXPECT_EQ(both(), 0u); // from the synthesizer: not sent back
    manager.fromHost = true;
    EXPECT_EQ(both(), 2u);
    manager.settingFromDevice = false;
    plug->DisplayProcessingIndicator(true);
    plug->AllSoundsOff(0, false);
    sent();
    EXPECT_EQ(both(), 1u); // the SysEx
}

TEST_F(ControlActions, SysExTakesTheDeviceIdAndOnlyTheBytesItHas) {
    ControlAction sound = sysexAction(kActionSysEx, kSoundParameter);
    ControlAction shortOne = sysexAction(kActionSysEx, {0x3E, 0x0F, 0x00, 0x24});
    ControlAction lists = sysexAction(kActionSysEx, kSoundParameter);
    lists.sysexMessage.multiMessage = true;
    lists.sysexMessage.messageSets = {
        {}, {{0x3E, 0x0F, 0x00, 0x21, 0x00, 0x05, 0x40}, {0x3E, 0x0F, 0x00, 0x21, 0x00, 0x06}}};
    // The layout's octave runs 16..112: its messages begin at 16.
    ControlAction* octave = plug->GetParam(kOscillator2Octave)->GetControlAction();
    plug->setDeviceId(5);
    plug->processControlAction(&sound, 300, 100.0);
    plug->processControlAction(&shortOne, 300, 3.0);
    for (double v : {1.0, 2.0}) // no list for 2
        plug->processControlAction(&lists, 300, v);
    for (double v : {128.0, -1.0}) // no message
        plug->processControlAction(&sound, 300, v);
    plug->setDeviceId(-1);
    plug->processControlAction(&sound, 300, 127.0);
    for (double v : {16.0, 112.0, 113.0})
        plug->processControlAction(octave, kOscillator2Octave, v);
    const std::vector<Bytes> wire = sent();
    ASSERT_EQ(wire.size(), 7u);
    EXPECT_EQ(std::vector<Bytes>(wire.begin(), wire.begin() + 5),
              (std::vector<Bytes>{{0xF0, 0x3E, 0x0F, 0x05, 0x20, 0x02, 0x01, 0x13, 100, 0xF7},
                                  {0xF0, 0x3E, 0x0F, 0x05, 0x24, 0xF7},
                                  {0xF0, 0x3E, 0x0F, 0x05, 0x21, 0x00, 0x05, 0x40, 0xF7},
                                  {0xF0, 0x3E, 0x0F, 0x05, 0x21, 0x00, 0x06, 0xF7},
                                  onWire({0x3E, 0x0F, 0x00, 0x20, 0x02, 0x01, 0x13, 127})}));
    EXPECT_EQ(wire[5][8], 16);
    EXPECT_EQ(wire[6][8], 112);
}

TEST_F(ControlActions, PackedParametersSendTheByteTheyShare) {
    // Part 2 of step 3, part 16 of step 16, part 5 of step 8.
    const int step3 = 2 * 80 + 2, step16 = 15 * 80 + 15, step8 = 7 * 80 + 4;
    const struct {
        int kind, idx;
        std::vector<std::pair<int, double>> values;
        int byte; // -1: the value itself
    } cases[] = {
        {kActionSysExSwitch, kOscillatorMonoPolyMode + 2,
         {{kOscillatorUnisono + 2, 3}, {kOscillatorMonoPolyMode + 2, 1}}, 49},
        {kActionSysEx, kOscillatorUnisono + 2, {}, 49},
        {kActionSysEx, kOscillatorMonoPolyMode + 2, {}, -1}, // packed only as a switch
        {kActionSysExSwitch, kFilterEnvTrigger, {{kFilterEnvTrigger, 1}, {kFilterEnvMode, 3}}, 35},
        {kActionSysEx, kFilterEnvMode, {}, 35},
        {kActionSysExSwitch, kAmpEnvTrigger, {{kAmpEnvTrigger, 1}, {kAmpEnvMode, 4}}, 36},
        {kActionSysEx, kEnvelope3Mode, {{kEnv3Trigger, 1}, {kEnvelope3Mode, 2}}, 34},
        {kActionSysExSwitch, kEnv4Trigger + 15, {{kEnvelope4Mode + 15, 1}}, 1},
        {kActionSysEx, kArpPattern01Accent + step3,
         {{kArpPattern01Step + step3, 5}, {kArpPattern01Glide + step3, 1},
          {kArpPattern01Accent + step3, 1}, {kArpPattern01Step + step3 - 80, 7}},
         89},
        {kActionSysExSwitch, kArpPattern01Glide + step3, {}, 89},
        {kActionSysEx, kArpPattern01StepLen + step16,
         {{kArpPattern01StepLen + step16, 7}, {kArpPattern01Timing + step16, 7}}, 119},
        {kActionSysEx, kArpPattern01Timing + step16, {}, 119},
        // 8 × 16 + 8 + 1 = 137 keeps its low seven bits on the wire.
        {kActionSysEx, kArpPattern01Step + step8,
         {{kArpPattern01Step + step8, 8}, {kArpPattern01Glide + step8, 1},
          {kArpPattern01Accent + step8, 1}},
         9},
    };
    // The layout stops the step at 7; a value above it must still make a data byte.
    plug->GetParam(kArpPattern01Step + step8)->InitInt("Step", 0, 0, 15);
    for (const auto& c : cases) {
        for (const auto& [idx, v] : c.values)
            set(idx, v);
        ControlAction action = sysexAction(c.kind, kSoundParameter);
        plug->processControlAction(&action, c.idx, 12.0);
        const std::vector<Bytes> wire = sent();
        ASSERT_EQ(wire.size(), 1u) << c.idx;
        EXPECT_EQ(wire[0][8], c.byte < 0 ? 12 : c.byte) << c.idx;
    }
    // Effect 2's 5.1 delays go as the mode plus 22, as the dump holds them.
    ControlAction* mode = plug->GetParam(kEffect2Mode + 15)->GetControlAction();
    for (double v : {9.0, 10.0, 11.0})
        plug->processControlAction(mode, kEffect2Mode + 15, v);
    EXPECT_EQ(sent(), (std::vector<Bytes>{onWire({0x3E, 0x0F, 0x00, 0x20, 0x0F, 0x01, 0x10, 9}),
                                          onWire({0x3E, 0x0F, 0x00, 0x20, 0x0F, 0x01, 0x10, 32}),
                                          onWire({0x3E, 0x0F, 0x00, 0x20, 0x0F, 0x01, 0x10, 33})}));
}

TEST_F(ControlActions, ALinkStoresTheClampedValueAndATempoStopsTheClockFirst) {
    ControlAction* cutoff = plug->GetParam(kFilter1Cutoff)->GetControlAction();
    plug->linkApplying() = true;
    plug->processControlAction(cutoff, kFilter1Cutoff, 300.0);
    plug->linkApplying() = false;
    EXPECT_EQ(value(kFilter1Cutoff), 127.0);
    EXPECT_EQ(cutoff->controls.at(0)->GetValue(), 1.0);
    plug->processControlAction(cutoff, kFilter1Cutoff, 0.0); // no link: nothing stored
    EXPECT_EQ(value(kFilter1Cutoff), 127.0);

    MIDIMessageSender* sender = plug->getMessageManager()->getSender();
    sender->resetContinuousClock(false);
    std::vector<bool> running;
    out.setListener([&](const Bytes&) { running.push_back(sender->isClockRunning()); });
    ControlAction tempo = sysexAction(kActionSysEx, {0x3E, 0x0F, 0x00, 0x21, 0x00, 0x05, 0x00});
    plug->processControlAction(&tempo, kMultiTempo, 120.0);
    EXPECT_EQ(running, std::vector<bool>{false});
}

TEST_F(ControlActions, APatternNumberAsksForThePatternOnceTheJobThreadIsIdle) {
    // While `hold` is set the job thread stays in its first pause.
    std::atomic<bool> hold{false};
    const std::thread::id self = std::this_thread::get_id();
    testsupport::ManualClock clock(1000000);
    clock.SetSleepHook([&](int64_t) {
        while (hold && std::this_thread::get_id() != self)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    struct Release { // also when a check fails: the job ends before the clock goes
        std::atomic<bool>& hold;
        Zoz& plug;
        ~Release() { hold = false, waitForIdleJob(plug); }
    } release{hold, *plug};
    ControlAction pattern = sysexAction(kActionSysEx, {0x3E, 0x0F, 0x00, 0x21, 0x00, 0x78, 0x00});
    for (bool refresh : {false, true}) {
        plug->hardwareChange() = refresh;
        plug->processControlAction(&pattern, kPartPattern + 3, 7.0);
        plug->hardwareChange() = false;
        EXPECT_EQ(plug->getAwaitedDumpPart(), 3);
        waitForIdleJob(*plug);
        const std::vector<testsupport::MidiOutputRecorder::Message> wire = out.messages();
        out.clear();
        ASSERT_GE(wire.size(), refresh ? 1u : 2u);
        const auto& request = wire[refresh ? 0 : 1];
        EXPECT_EQ(Bytes(request.bytes.begin(), request.bytes.begin() + 5),
                  (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x03}));
        EXPECT_GE(request.nanos - wire[0].nanos, refresh ? 0 : 100000000);
    }
    // A busy job thread takes no request, and the wait for a dump stays as it was.
    hold = true;
    plug->processControlAction(&pattern, kPartPattern + 3, 7.0);
    ASSERT_TRUE(out.waitForCount(2));
    plug->getMessageManager()->dumpAwaited = false;
    plug->setAwaitedDumpPart(9);
    plug->processControlAction(&pattern, kPartPattern + 5, 7.0);
    EXPECT_FALSE(plug->getMessageManager()->dumpAwaited);
    EXPECT_EQ(plug->getAwaitedDumpPart(), 9);
}

TEST_F(ControlActions, IncomingValuesFindTheControlsOfTheLayout) {
    const ControlAction* octave = plug->GetParam(kOscillator2Octave)->GetControlAction();
    // Held: 3E 0F dev 20 part hi lo value; the key runs from the message id to the low byte.
    const std::vector<int> m = octave->sysexMessage.messages.message(0);
    ASSERT_EQ(m.size(), 8u);
    EXPECT_EQ(plug->getSysexControl(m[3], m[4], m[5], m[6], 0), octave->controls[0]);
    EXPECT_EQ(plug->getSysexControl(m[3], m[4], m[5], m[6], 1), nullptr);
    EXPECT_EQ(plug->getMsbLsbControl(m[3], m[4], m[5], m[6], 0), nullptr);
    const ControlAction* wheel = plug->GetParam(kModWheel)->GetControlAction();
    EXPECT_EQ(plug->getCCControls(wheel->channelOrPart, wheel->ccNumber, wheel->mapVariant),
              wheel->controls[0]);
    plug->setProgramValueByParts(1, 2, 3, 7);
    EXPECT_EQ(plug->getProgramValueByParts(1, 2, 3), 7);
    EXPECT_EQ(plug->getProgramValueByParts(1, 2, 4), 0);
    EXPECT_EQ(plug->getProgramValueByParts(2, 2, 3), 0);
}
