// The audio callback as the plug-in's clock, the host's reset and the packed channel settings.

#include "tests/core/ClockRig.h"

#include "kit/effect/IMidiMsg.h"
#include "kit/effect/ISysEx.h"
#include "kit/winl/winl.h"
#include "src/uiconfig/ControlAction.h"

#include <algorithm>
#include <cmath>

using namespace coretest;
using Clock = ClockRig;

namespace {

Bytes tempoMessage(uint8_t value) {
    return {0xF0, 0x3E, 0x0F, 0x00, 0x21, 0x00, 0x05, value, 0xF7};
}

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST_F(Clock, TheTempoByteGoesOutOncePerChangeOfTheHostsOrTheChosenTempo) {
    const struct Step {
        double mode; // 1 follows the host, 0 sends the chosen tempo
        double tempo, chosen;
        bool output;
        std::vector<Bytes> wire;
    } steps[] = {
        {0, 0, 0, true, {}}, // the last byte starts at 0
        {0, 0, 64, true, {tempoMessage(64)}},
        {1, 0, 64, true, {}}, // a host without a tempo
        {1, 150.5, 64, false, {}},
        {1, 120.9, 64, true, {tempoMessage(55)}},
        {1, 120.2, 55, true, {}},
        {1, 200, 55, true, {tempoMessage(127)}},
        {1, 250, 127, true, {}},
        {1, 64.9, 127, true, {tempoMessage(0)}},
        {0, 64.9, 55, true, {tempoMessage(55)}},
    };
    for (const Step& s : steps) {
        set(kOverrideTempo, s.mode);
        set(kMultiTempo, s.chosen);
        plug->tempo = s.tempo;
        plug->setMIDIIOSet(s.output);
        block();
        EXPECT_EQ(sent(), s.wire) << s.mode << " " << s.tempo;
        if (s.mode == 1 && !s.wire.empty()) {
            EXPECT_EQ(value(kMultiTempo), s.wire[0][7]);
        }
    }
    const std::vector<std::string> lines = logLines();
    EXPECT_TRUE(contains(lines, "PROCESSOR: Host tempo is out of sync!"));
    EXPECT_TRUE(contains(lines, "PROCESSOR: Host tempo synced to 120BPM"));
    EXPECT_FALSE(contains(lines, "PROCESSOR: Host tempo synced to 0BPM"));
}

TEST_F(Clock, EachRunOfTheTransportStartsTheClockOnceAndAStopFollowsOnlyAStart) {
    plug->setClockStartStop(true);
    auto transport = [&](std::initializer_list<bool> runs) {
        for (bool playing : runs) {
            plug->playing = playing;
            block();
            if (!hold) idle(MIDIMessageManager::kClockThread);
        }
    };
    transport({true, true, false, false});
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xFA}, {0xFC}}));
    // The worker busy with the start: the stop and the next start are dropped, but each moves
    // the bookkeeping, so the stop after that start goes out.
    hold = true;
    transport({true, false, true});
    hold = false;
    idle(MIDIMessageManager::kClockThread);
    transport({false});
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xFA}, {0xFC}}));
    plug->setToHostBuffer(true);
    transport({true, false});
    EXPECT_TRUE(sent().empty());
}

TEST_F(Clock, TheContinuousClockStartsWithAnOutputAndAgainAfterATempoEdit) {
    plug->setClockTickEnabled(true);
    plug->setClockTempo(120);
    auto ticks = [&] {
        block();
        const std::vector<Bytes> wire = sent();
        return std::count(wire.begin(), wire.end(), Bytes{0xF8});
    };
    EXPECT_EQ(ticks(), 0); // started with the output (ticking nothing then)
    ControlAction* tempo = plug->GetParam(kMultiTempo)->GetControlAction();
    plug->processControlAction(tempo, kMultiTempo, 70);
    plug->setMIDIIOSet(false);
    EXPECT_EQ(ticks(), 0);
    plug->setMIDIIOSet(true);
    EXPECT_EQ(ticks(), 1); // the rig stops it after one tick
    EXPECT_EQ(ticks(), 0);
}

TEST_F(Clock, QueuedMessagesLeaveUpToTheBlocksLastPositionAndTheRestMoveOn) {
    // Straight out, the delay display says so from the start.
    EXPECT_EQ(text(kControlDisplayMIDIOutDelay), "Off");
    plug->SetSampleRate(44100);
    plug->SetBlockSize(1024);
    plug->setToHostBuffer(true);
    for (int part = 0; part < 16; ++part)
        set(kMultiPartStatus + part, 0); // a reset's notes-off sends nothing
    auto queue = [&](int offset) {
        IMidiMsg msg(offset, 0x90, uint8_t(offset), 100);
        plug->MIDIOutRoutingSwitch(&msg);
    };
    plug->setDawBufferSamples(3);
    for (int offset : {6, 2, 3, 5})
        queue(offset);
    const std::vector<std::vector<Bytes>> blocks = {
        {{0x90, 2, 100}}, {{0x90, 3, 100}, {0x90, 5, 100}}, {{0x90, 6, 100}}};
    for (const auto& wire : blocks) {
        block();
        EXPECT_EQ(sent(), wire);
    }
    // The display shows the delay that the walked samples give.
    const struct {
        double rate;
        int samples;
        const char* text;
        size_t sent; // of one message at offset 0
    } walks[] = {{44100, 1024, "23ms|1024bfr", 1},
                 {0, 1024, "0ms|1024bfr", 1},
                 {44100, -5, "0ms|1024bfr", 1},
                 {44100, 0, "0ms|1024bfr", 0}};
    for (const auto& w : walks) {
        plug->SetSampleRate(w.rate);
        plug->Reset();
        plug->setDawBufferSamples(w.samples);
        queue(0);
        block();
        EXPECT_EQ(text(kControlDisplayMIDIOutDelay), w.text);
        EXPECT_EQ(sent().size(), w.sent) << w.samples;
    }
    // Without the routing the message left waiting is dropped.
    plug->setToHostBuffer(false);
    block();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(plug->getMidiQueue().ToDo(), 0);
    EXPECT_EQ(text(kControlDisplayMIDIOutDelay), "Off");
}

TEST_F(Clock, NotesOffWaitForAStoppedTransportAndIndicatorsGoOutAfter100Ms) {
    for (int part = 0; part < 16; ++part)
        set(kMultiPartStatus + part, part == 2 || part == 9);
    plug->lightPartIndicator(4);
    plug->playing = true;
    plug->Reset();
    block();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(value(kMIDILed + 4), 1.0);
    plug->playing = false;
    block();
    block();
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB2, 0x7B, 0x00}, {0xB9, 0x7B, 0x00}}));
    EXPECT_EQ(value(kMIDILed + 4), 0.0);

    // Lit just before and just after the tick count wraps at 2^32 ms.
    for (unsigned int litAt : {0xFFFFFFC0u, 0u}) {
        clock.AdvanceMillis(litAt - GetTickCount());
        plug->lightPartIndicator(7);
        for (const auto& [millis, lit] : {std::pair{50, 1.0}, {50, 1.0}, {1, 0.0}}) {
            clock.AdvanceMillis(millis);
            block();
            EXPECT_EQ(value(kMIDILed + 7), lit) << litAt;
        }
    }
}

// Blocks with nothing to send, show or post leave the output thread asleep; a block that sends
// wakes it.
TEST_F(Clock, OnlyABlockThatLeavesSomethingWakesTheOutputThread) {
    set(kOverrideTempo, 0.0);
    block();
    sent();
    const int passes = plug->passes;
    for (int i = 0; i < 100; ++i)
        block();
    EXPECT_EQ(plug->passes, passes);
    set(kMultiTempo, 70);
    block();
    EXPECT_EQ(plug->passes, passes + 1);
    EXPECT_EQ(sent(), std::vector<Bytes>{tempoMessage(70)});
}

TEST_F(Clock, TheStartUpEnquiryGoesOnceAndAPartRequestWaitsForTheWorker) {
    writeSettings("yellow\nnormal\nyes\nno such output\n");
    restart(true, false);
    const Bytes probe = {0xF0, 0x3E, 0x0F, 0x00, 0x04, 0xF7};
    plug->setMIDIIOSet(true);
    plug->inputOpen = true;
    hold = true;
    block();
    EXPECT_TRUE(plug->ThreadRunning());
    // The worker busy: the part request waits, and a new enquiry still pauses.
    plug->requestCurrentPart();
    block();
    const int64_t slept = clock.SleptNanos();
    plug->sendSysExInitialization();
    EXPECT_EQ(clock.SleptNanos() - slept, 100000000);
    hold = false;
    std::vector<Bytes> wire = sent();
    EXPECT_NE(std::find(wire.begin(), wire.end(), probe), wire.end());
    block();
    wire = sent();
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(std::find(wire.begin(), wire.end(), probe), wire.end());
    EXPECT_EQ(Bytes(wire[0].begin(), wire[0].begin() + 5),
              (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x00})); // the sound request
    block();
    EXPECT_TRUE(sent().empty());
    // Without an output nothing is posted and nothing waits.
    plug->setMIDIIOSet(false);
    const int64_t before = clock.SleptNanos();
    plug->sendSysExInitialization();
    EXPECT_EQ(clock.SleptNanos(), before);
    EXPECT_FALSE(plug->ThreadRunning());
}

TEST_F(Clock, AResetArmsTheNotesOffAndRestoresTheDisplayUnlessAnArrangementIsSent) {
    char version[MAX_VERSION_STR_LEN];
    plug->GetEffectVersionStr(version);
    for (bool log : {true, false}) {
        if (!log) {
            std::filesystem::remove(logPath());
            restart(false);
        }
        plug->setUpperDisplayText("x");
        plug->Reset();
        const std::pair<int, std::string> lines[] = {
            {kControlDisplayName, "Veririz Zoz Plug-in"},
            {kControlDisplayValue, version + std::string(log ? " - 02-Jan-2020" : "")},
            {kControlDisplayBuild, version},
            {kControlDisplayCategory, "INIT"},
            {kControlDisplayPatch, "-- INIT --"},
            {kControlDisplayCC, "---"}};
        for (const auto& [idx, line] : lines)
            EXPECT_EQ(text(idx), line) << log;
    }
    plug->setArrangementBusy(true);
    plug->setUpperDisplayText("x");
    plug->resetPending() = false;
    plug->setDawBufferSamples(7);
    plug->Reset();
    EXPECT_EQ(text(kControlDisplayName), "x");
    EXPECT_TRUE(plug->resetPending());
    EXPECT_EQ(plug->getDawBufferSamples(), 7);
    plug->setDawBufferSamples(0);
    plug->SetBlockSize(512);
    plug->Reset();
    EXPECT_EQ(plug->getDawBufferSamples(), 512);
}

TEST_F(Clock, AChannelStatusSendsThePartsPackedSettingInItsTemplate) {
    set(kPartSustain + 2, 1);
    set(kMIDIRX, 1);
    set(kMIDITX, 2);
    set(kEngine, 1);
    const struct {
        int part;
        bool first;
        int device;
        Bytes wire;
    } cases[] = {
        {2, false, 0, {0xF0, 0x3E, 0x0F, 0x00, 0x21, 0x00, 0x5C, 0x08, 0xF7}},
        {0, true, 5, {0xF0, 0x3E, 0x0F, 0x05, 0x21, 0x00, 0x27, 0x19, 0xF7}},
        {15, false, -1, {0xF0, 0x3E, 0x0F, 0x00, 0x21, 0x02, 0x7A, 0x00, 0xF7}},
    };
    for (const auto& c : cases) {
        plug->setDeviceId(c.device);
        plug->SendChannelStatus(c.part, c.first);
        EXPECT_EQ(sent(), std::vector<Bytes>{c.wire}) << c.part;
    }
    // A refresh from the synthesizer, or its echo under local control, is shown but not sent.
    plug->setDeviceId(0);
    plug->setLocalControl(true);
    for (int skip = 0; skip < 2; ++skip) {
        plug->Reset(); // the controller line shows "---"
        (skip ? manager->settingFromDevice : plug->hardwareChange()) = true;
        plug->SendChannelStatus(2, false);
        (skip ? manager->settingFromDevice : plug->hardwareChange()) = false;
        EXPECT_EQ(text(kControlDisplayCC), "SysEx");
        EXPECT_TRUE(sent().empty());
    }
    // A template too short for the value is not sent.
    resources = ZOZ_TEST_LAYOUT;
    auto other = start<HostedZoz>(out);
    other->SendChannelStatus(2, false);
    EXPECT_TRUE(out.bytes().empty());
    EXPECT_TRUE(contains(logLines(), "CONFIG READER: SysEx value list 448 too short for a "
                                     "channel status"));
}

TEST(DumpPause, TheLibrarySyncSettingIsTruncatedAndOutsideTheTableGives100Ms) {
    for (const auto& [setting, millis] :
         {std::pair{7.9, 500}, {8.0, 100}, {-1.0, 100}, {std::nan(""), 100}, {0.0, 50}})
        EXPECT_EQ(MIDIMessageSender::pauseUnitMillis(setting), millis) << setting;
}

// Run under the thread sanitizer: the audio thread's blocks beside the synthesizer's input, an
// editor send queued for the host and the host's reset. The input lights part 6's indicator
// and a send part 3's; the blocks clear them after their time or a reset.
TEST_F(Clock, ThreadsBlocksRunBesideTheInputAnEditorSendAndAReset) {
    plug->setFollowIncoming(true);
    plug->setToHostBuffer(true);
    plug->setDawBufferSamples(3);
    set(kMultiPartStatus + 5, 1);
    std::atomic<bool> done{false};
    std::thread audio([&] {
        while (!done) {
            plug->playing = !plug->playing;
            block();
        }
    });
    const Bytes m = {0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x05, 0x01, 0x02, 0xF7};
    for (int i = 0; i < 100; ++i) {
        std::thread input([&] {
            ISysEx message(0, m.data(), int(m.size()));
            plug->ProcessSysEx(&message, true);
        });
        plug->AllSoundsOff(5, false);
        plug->lightPartIndicator(2);
        plug->Reset();
        clock.AdvanceMillis(101);
        input.join();
    }
    done = true;
    audio.join();
    // The indicators did light here.
    ISysEx message(0, m.data(), int(m.size()));
    plug->ProcessSysEx(&message, true);
    EXPECT_EQ(value(kMIDILed + 5), 1.0);
    clock.AdvanceMillis(101);
    block();
    EXPECT_EQ(value(kMIDILed + 5), 0.0);
}
