#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/FakeSenderPlugin.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

using Bytes = std::vector<uint8_t>;
using testsupport::FakeSenderPlugin;

namespace {

const Bytes kTick{0xF8};

// A plug-in whose host tempo is scripted reading by reading.
class ScriptedTempoPlugin : public FakeSenderPlugin {
public:
    std::function<int(int reading)> tempoAt = [](int) { return 0; };
    int getTempoValue() override { return tempoAt(++readings); }
    int readings = 0; // touched by the clock job only
};

// Waits (bounded, real time) until the worker is idle again.
bool waitIdle(MIDIMessageManager& m, MIDIMessageManager::Worker w) {
    for (int i = 0; i < 5000 && m.isRunning(w); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !m.isRunning(w);
}

std::vector<int64_t> tickTimes(const FakeSenderPlugin& plugin) {
    std::vector<int64_t> times;
    for (const auto& m : plugin.output.messages())
        if (m.bytes == kTick) times.push_back(m.nanos);
    return times;
}

size_t countOf(const FakeSenderPlugin& plugin, const Bytes& message) {
    size_t n = 0;
    for (const auto& b : plugin.output.bytes())
        n += b == message;
    return n;
}

class MIDIClock : public ::testing::Test {
protected:
    // The clock job must start ticking: output chosen, ticks enabled, clock reset to run.
    bool startClock(MIDIMessageManager& m) {
        m.getSender()->resetContinuousClock(false);
        return m.postJob(SenderJob::kSendContinuousMIDIClock,
                         [](SenderJob& job) { job.clockTempo = 120; });
    }

    // Runs the clock until it has sent n ticks, stops it and returns the tick times.
    std::vector<int64_t> runTicks(size_t n) {
        EXPECT_TRUE(startClock(manager));
        EXPECT_TRUE(plugin.output.waitForCount(n));
        manager.getSender()->resetContinuousClock(true);
        EXPECT_TRUE(waitIdle(manager, MIDIMessageManager::kClockTickThread));
        return tickTimes(plugin);
    }

    testsupport::ManualClock clock{1000};
    ScriptedTempoPlugin plugin;
    MIDIMessageManager manager{&plugin, nullptr, nullptr, nullptr};
};

} // namespace

TEST(MIDIClockInterval, TwentyFourTicksPerQuarterNote) {
    EXPECT_EQ(MIDIMessageSender::clockIntervalNanos(120), 20833333);
    EXPECT_EQ(MIDIMessageSender::clockIntervalNanos(300), 8333333);
    EXPECT_EQ(MIDIMessageSender::clockIntervalNanos(65), 38461538);
    // Slower than 32-bit nanoseconds could hold.
    EXPECT_EQ(MIDIMessageSender::clockIntervalNanos(1), 2500000000LL);
}

TEST_F(MIDIClock, StartAndStopFollowTheEnableSwitch) {
    for (bool enabled : {true, false}) {
        plugin.clockStartStop = enabled;
        ASSERT_TRUE(manager.postJob(SenderJob::kStartMIDIClockOutput));
        ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kClockThread));
        ASSERT_TRUE(manager.postJob(SenderJob::kStopMIDIClockOutput));
        ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kClockThread));
    }
    EXPECT_EQ(plugin.output.bytes(), (std::vector<Bytes>{{0xFA}, {0xFC}}));
}

TEST_F(MIDIClock, TicksAtTheIntervalOfEachTempoSource) {
    struct Case {
        double overrideTempo;
        int hostTempo;
        int tempoIndex;
        int64_t interval;
    } cases[] = {
        {1.0, 120, 0, 20833333}, // the host's tempo
        {0.0, 0, 0, 8333333},    // the editor's list: "300"
        {0.0, 0, 1, 38461538},   // " +65 BPM": blanks, a sign and a unit around the number
        {2.0, 90, 2, 20833333},  // not exactly 1.0: the list again, "120"
    };
    plugin.setValueList("tempoValues", {"300", " +65 BPM", "120"});
    for (const Case& c : cases) {
        plugin.output.clear();
        plugin.setParam(kOverrideTempo, c.overrideTempo);
        plugin.setParam(kMultiTempo, c.tempoIndex);
        plugin.tempoAt = [&](int) { return c.hostTempo; };
        const auto times = runTicks(12);
        ASSERT_GE(times.size(), 12u);
        for (size_t i = 1; i < times.size(); ++i) {
            const int64_t period = times[i] - times[i - 1];
            // Never early; late only by the few clock readings around a send.
            EXPECT_GE(period, c.interval) << "tick " << i;
            EXPECT_LE(period, c.interval + 5000) << "tick " << i;
        }
    }
}

TEST_F(MIDIClock, KeepsTimeAcrossIntervalsLongerThan32BitNanoseconds) {
    plugin.setParam(kOverrideTempo, 1.0);
    plugin.tempoAt = [](int) { return 1; };
    const auto times = runTicks(3);
    ASSERT_GE(times.size(), 3u);
    EXPECT_GE(times[2] - times[1], 2500000000LL);
    EXPECT_LE(times[2] - times[1], 2500005000LL);
}

TEST_F(MIDIClock, NoTempoAfterElevenWaitsSwitchesTheClockOff) {
    // Not a number, below 1 BPM, an empty text, an index outside the list: no tempo.
    plugin.setValueList("tempoValues", {"fast", "-5", "0.5", ""});
    for (int index : {0, 1, 2, 3, 9}) {
        plugin.setParam(kOverrideTempo, 0.0);
        plugin.setParam(kMultiTempo, index);
        plugin.setParam(kSendMIDIClockInfo, 1.0);
        plugin.clockTick = true;
        plugin.setLowerDisplayText("");
        const int64_t sleptBefore = clock.SleptNanos();
        ASSERT_TRUE(startClock(manager));
        ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kClockTickThread));

        EXPECT_EQ(clock.SleptNanos() - sleptBefore, 11000000000LL) << "index " << index;
        EXPECT_EQ(plugin.lowerDisplay(), "Unable to get DAW Tempo");
        EXPECT_FALSE(plugin.clockTick);
        EXPECT_EQ(plugin.GetParamValue(kSendMIDIClockInfo), 0.0);
    }
    EXPECT_EQ(plugin.output.count(), 0u);
    EXPECT_EQ(plugin.plugSets().back(), (std::pair<int, double>{kSendMIDIClockInfo, 0.0}));
}

TEST_F(MIDIClock, ATempoOnTheTwelfthReadingIsUsed) {
    plugin.setParam(kOverrideTempo, 1.0);
    plugin.tempoAt = [](int reading) { return reading < 12 ? 0 : 300; };
    EXPECT_GE(runTicks(3).size(), 3u);
    EXPECT_EQ(plugin.readings, 12);
    EXPECT_TRUE(plugin.clockTick);
    EXPECT_EQ(plugin.lowerDisplay(), "");
}

TEST_F(MIDIClock, SwitchedOffWhileWaitingForATempoSendsOneTick) {
    plugin.setParam(kOverrideTempo, 1.0);
    plugin.tempoAt = [this](int reading) {
        if (reading < 3) return 0;
        manager.getSender()->resetContinuousClock(true);
        return 120;
    };
    ASSERT_TRUE(startClock(manager));
    ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kClockTickThread));
    EXPECT_EQ(plugin.output.bytes(), std::vector<Bytes>{kTick});
}

TEST_F(MIDIClock, OutputGoneAtADueTickEndsTheLoop) {
    plugin.setParam(kOverrideTempo, 1.0);
    plugin.tempoAt = [](int) { return 120; };
    // The first tick goes out without a look at the output; the output goes after the third.
    plugin.output.setListener([this](const Bytes&) { plugin.midiIO = plugin.output.count() < 3; });
    ASSERT_TRUE(startClock(manager));
    ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kClockTickThread));
    EXPECT_EQ(countOf(plugin, kTick), 3u);
    EXPECT_FALSE(manager.getSender()->isClockRunning());
    EXPECT_TRUE(plugin.clockTick);
}

TEST_F(MIDIClock, EachInstanceKeepsItsOwnClock) {
    ScriptedTempoPlugin other;
    MIDIMessageManager otherManager{&other, nullptr, nullptr, nullptr};
    for (ScriptedTempoPlugin* p : {&plugin, &other}) {
        p->setParam(kOverrideTempo, 1.0);
        p->tempoAt = [](int) { return 120; };
    }
    ASSERT_TRUE(startClock(manager));
    ASSERT_TRUE(startClock(otherManager));
    ASSERT_TRUE(plugin.output.waitForCount(2));
    ASSERT_TRUE(other.output.waitForCount(2));

    manager.getSender()->resetContinuousClock(true);
    ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kClockTickThread));
    EXPECT_TRUE(otherManager.getSender()->isClockRunning());
    const size_t ticks = other.output.count();
    EXPECT_TRUE(other.output.waitForCount(ticks + 3));
    EXPECT_TRUE(otherManager.isRunning(MIDIMessageManager::kClockTickThread));
}
