#include "src/incoming/MIDIMessageManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/FakeSenderPlugin.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using Bytes = std::vector<uint8_t>;
using testsupport::FakeSenderPlugin;
using Worker = MIDIMessageManager::Worker;

namespace {

const Bytes kStart{0xFA};
const Bytes kStop{0xFC};
const Bytes kTick{0xF8};

// A plug-in whose host tempo is scripted reading by reading.
class ScriptedTempoPlugin : public FakeSenderPlugin {
public:
    std::function<int(int reading)> tempoAt = [](int) { return 0; };
    int getTempoValue() override { return tempoAt(++readings); }
    int readings = 0; // touched by the clock job only
};

// Waits (bounded, real time) until the worker is idle again.
bool waitIdle(MIDIMessageManager& m, Worker w) {
    for (int i = 0; i < 5000 && m.isRunning(w); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !m.isRunning(w);
}

// Posts the clock job with the clock reset to run.
bool startClock(MIDIMessageManager& manager) {
    manager.getSender()->resetContinuousClock(false);
    return manager.postJob(SenderJob::kSendContinuousMIDIClock,
                           [](SenderJob& job) { job.clockTempo = 120; });
}

size_t countOf(const FakeSenderPlugin& plugin, const Bytes& message) {
    size_t n = 0;
    for (const auto& b : plugin.output.bytes())
        n += b == message;
    return n;
}

// A clock on the host tempo unless a test says otherwise.
class MIDIClock : public ::testing::Test {
protected:
    MIDIClock() { plugin.setParam(kOverrideTempo, 1.0); }

    // Runs the clock until it has sent n ticks, stops it and returns the tick times.
    std::vector<int64_t> runTicks(size_t n) {
        EXPECT_TRUE(startClock(manager));
        EXPECT_TRUE(plugin.output.waitForCount(n));
        manager.getSender()->resetContinuousClock(true);
        EXPECT_TRUE(waitIdle(manager, MIDIMessageManager::kClockTickThread));
        std::vector<int64_t> times;
        for (const auto& m : plugin.output.messages())
            if (m.bytes == kTick) times.push_back(m.nanos);
        return times;
    }

    // Ticks from first on lie k intervals after the first of them, as exactly as the clock's
    // reading step allows: nothing adds up from tick to tick.
    static void expectOnGrid(const std::vector<int64_t>& times, size_t first, int64_t interval) {
        for (size_t k = 1; k < times.size(); ++k) {
            const int64_t offGrid = times[k] - times[0] - int64_t(k) * interval;
            EXPECT_GE(offGrid, -1000) << "tick " << first + k;
            EXPECT_LT(offGrid, 1000) << "tick " << first + k;
        }
    }

    testsupport::ManualClock clock{1000};
    ScriptedTempoPlugin plugin;
    MIDIMessageManager manager{&plugin, nullptr, nullptr, nullptr};
};

} // namespace

TEST(SenderWorkers, EachCodeRunsOnItsOwnWorkerAndCodesWithoutAJobEndAtOnce) {
    for (int code = -1; code <= 24; ++code) {
        const Worker expected = code == 20 || code == 22 ? MIDIMessageManager::kClockThread
                                : code == 21             ? MIDIMessageManager::kClockTickThread
                                                         : MIDIMessageManager::kJobThread;
        EXPECT_EQ(MIDIMessageManager::workerFor(code), expected) << "code " << code;
    }
    FakeSenderPlugin plugin;
    MIDIMessageManager manager(&plugin, nullptr, nullptr, nullptr);
    for (int code : {19, 23, 99, -1}) {
        EXPECT_TRUE(manager.postJob(code)) << "code " << code;
        EXPECT_TRUE(waitIdle(manager, MIDIMessageManager::kJobThread));
    }
    EXPECT_EQ(plugin.output.count(), 0u);
}

TEST(SenderWorkers, APostToARunningWorkerIsRefusedAndTheOthersStillTakeJobs) {
    testsupport::ScaledClock clock(100);
    FakeSenderPlugin plugin;
    MIDIMessageManager manager(&plugin, nullptr, nullptr, nullptr);
    plugin.setParam(kOverrideTempo, 1.0);
    plugin.hostTempo = 120;
    ASSERT_TRUE(startClock(manager));
    ASSERT_TRUE(plugin.output.waitForCount(1));

    // The refused post writes nothing into the running job's record.
    bool argumentsWritten = false;
    EXPECT_FALSE(manager.postJob(SenderJob::kSendContinuousMIDIClock,
                                 [&](SenderJob&) { argumentsWritten = true; }));
    EXPECT_FALSE(argumentsWritten);
    // MIDI Start goes to its own worker, not to the busy clock worker.
    EXPECT_TRUE(manager.postJob(SenderJob::kStartMIDIClockOutput));
    EXPECT_TRUE(manager.postJob(SenderJob::kSendPartRequestSysex,
                                [](SenderJob& job) { job.toEditor = true; }));
    EXPECT_TRUE(waitIdle(manager, MIDIMessageManager::kClockThread));
    manager.getSender()->resetContinuousClock(true);
    ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kClockTickThread));
    EXPECT_EQ(countOf(plugin, kStart), 1u);
}

TEST(SenderWorkers, PostsFromSeveralThreadsAtOnceRunEachTakenJobOnce) {
    FakeSenderPlugin plugin;
    plugin.clockTick = false; // the tick job then ends at once
    auto manager = std::make_unique<MIDIMessageManager>(&plugin, nullptr, nullptr, nullptr);
    std::atomic<int> startsTaken{0}, stopsTaken{0}, othersTaken{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                // Only codes whose jobs send nothing but clock bytes: dump jobs do real work.
                const int code = SenderJob::kNoJob + (i * 7 + t * 3) % 5;
                if (!manager->postJob(code, [&](SenderJob& job) { job.part = i % 16; })) continue;
                ++(code == SenderJob::kStartMIDIClockOutput  ? startsTaken
                   : code == SenderJob::kStopMIDIClockOutput ? stopsTaken
                                                             : othersTaken);
                (void)manager->isRunning(MIDIMessageManager::workerFor(code));
            }
        });
    }
    for (auto& p : posters)
        p.join();
    manager.reset(); // joins every worker, so every taken job has run

    EXPECT_EQ(int(countOf(plugin, kStart)), startsTaken.load());
    EXPECT_EQ(int(countOf(plugin, kStop)), stopsTaken.load());
    EXPECT_GT(othersTaken.load(), 0);
    EXPECT_TRUE(plugin.logLines().empty());
}

TEST(SenderTeardown, JoinsATickingClockAndOneStillWaitingForATempoSilently) {
    // Slow enough that the eleven waits for a tempo cannot all pass before the teardown.
    testsupport::ScaledClock clock(10);
    for (int tempo : {120, 0}) {
        FakeSenderPlugin plugin;
        auto manager = std::make_unique<MIDIMessageManager>(&plugin, nullptr, nullptr, nullptr);
        plugin.setParam(kOverrideTempo, 1.0);
        plugin.hostTempo = tempo;
        ASSERT_TRUE(startClock(*manager));
        ASSERT_TRUE(plugin.output.waitForCount(tempo ? 3 : 0));
        manager.reset();
        // Joined: nothing can tick any more.
        const size_t sent = plugin.output.count();
        EXPECT_FALSE(plugin.output.waitForCount(sent + 1, 50));
        EXPECT_TRUE(tempo != 0 || sent == 0);
        EXPECT_EQ(plugin.lowerDisplay(), "");
        EXPECT_TRUE(plugin.clockTick);
        EXPECT_TRUE(plugin.logLines().empty());
    }
}

TEST(LibrarianSoundRequests, ArmTheSoundCollectionWhenPosted) {
    testsupport::ManualClock clock;
    FakeSenderPlugin plugin;
    LibrarianTestHost host;
    PatchLibrarian librarian(host);
    PatchFile bank;
    librarian.soundBanks = {&bank};
    MIDIMessageManager manager(&plugin, nullptr, &librarian, nullptr);
    const std::function<void()> posts[] = {
        [&] { manager.sendSinglePatchRequestSysexFromLibrarian(true, 2); },
        [&] { manager.sendAllPatchRequestSysexFromLibrarian(3); },
    };
    for (const auto& post : posts) {
        manager.patchRequest.active = false;
        manager.answerReceived = true;
        ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kJobThread));
        post();
        EXPECT_TRUE(manager.patchRequest.active);
        EXPECT_TRUE(manager.patchRequest.entry().dumps.empty());
        EXPECT_FALSE(manager.answerReceived);
        EXPECT_FALSE(manager.performanceRequest.active);
        EXPECT_FALSE(manager.patternRequest.active);
    }
}

// As a user over its process limit, for whom the thread library refuses every start: posts a
// librarian sound request and exits with 0 when the collection and the answer flag are as
// they were.
[[noreturn]] static void postPatchRequestWithoutThreads() {
    const rlimit none = {0, 0};
    if (setrlimit(RLIMIT_NPROC, &none) != 0 || setuid(65534) != 0) _exit(2);
    FakeSenderPlugin plugin;
    MIDIMessageManager manager(&plugin, nullptr, nullptr, nullptr);
    manager.answerReceived = true;
    manager.sendAllPatchRequestSysexFromLibrarian(1);
    const bool asBefore = !manager.patchRequest.active && manager.answerReceived;
    _exit(asBefore ? 0 : 1);
}

TEST(LibrarianSoundRequests, ARefusedStartLeavesTheCollectionAndTheAnswerFlagAsTheyWere) {
    if (geteuid() != 0) GTEST_SKIP() << "only root can take another user's process limit";
    EXPECT_EXIT(postPatchRequestWithoutThreads(), ::testing::ExitedWithCode(0), "");
}

TEST(SendSysexMessage, SendsTheLowBytesOnlyWhileAnOutputIsChosen) {
    FakeSenderPlugin plugin;
    MIDIMessageManager manager(&plugin, nullptr, nullptr, nullptr);
    manager.sendSysexMessage({0x3E, 0x0F});
    EXPECT_EQ(plugin.output.count(), 0u);
    EXPECT_EQ(plugin.upperDisplay(), "Set MIDI I/O First!");

    plugin.setUpperDisplayText("");
    plugin.setParam(kDeviceOutSelection, 2.0);
    manager.sendSysexMessage({});
    manager.sendSysexMessage({0x13E, 0x0F});
    // Bytes from 0x80 on pass unchanged: a message framed already, and a status byte inside.
    manager.sendSysexMessage({0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x7F, 0xF7});
    manager.sendSysexMessage({0x3E, 0x0F, 0x1B0, 0xFF});
    EXPECT_EQ(plugin.output.bytes(), (std::vector<Bytes>{{0xF0, 0x3E, 0x0F, 0xF7},
                                                         {0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x7F, 0xF7},
                                                         {0xF0, 0x3E, 0x0F, 0xB0, 0xFF, 0xF7}}));
    EXPECT_EQ(plugin.upperDisplay(), "");
}

TEST_F(MIDIClock, StartAndStopFollowTheEnableSwitch) {
    for (bool enabled : {true, false}) {
        plugin.clockStartStop = enabled;
        for (int job : {SenderJob::kStartMIDIClockOutput, SenderJob::kStopMIDIClockOutput}) {
            ASSERT_TRUE(manager.postJob(job));
            ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kClockThread));
        }
    }
    EXPECT_EQ(plugin.output.bytes(), (std::vector<Bytes>{kStart, kStop}));
}

TEST_F(MIDIClock, TicksAtTheIntervalOfEachTempoSource) {
    struct Case {
        double overrideTempo;
        int hostTempo;
        int tempoIndex;
        int64_t interval;
    } cases[] = {
        {1.0, 120, 0, 20833333}, // the host's tempo
        {1.0, 1, 0, 2500000000}, // longer than 32-bit nanoseconds hold
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
        expectOnGrid(times, 0, c.interval);
    }
}

TEST_F(MIDIClock, ANewTempoStartsANewGridAtTheLastTick) {
    // The tempo is read once before the first tick and once after each tick.
    plugin.tempoAt = [](int reading) { return reading <= 4 ? 120 : reading <= 7 ? 300 : 65; };
    const auto times = runTicks(12);
    ASSERT_GE(times.size(), 12u);
    expectOnGrid({times.begin(), times.begin() + 4}, 0, MIDIMessageSender::clockIntervalNanos(120));
    expectOnGrid({times.begin() + 3, times.begin() + 7}, 3,
                 MIDIMessageSender::clockIntervalNanos(300));
    expectOnGrid({times.begin() + 6, times.end()}, 6, MIDIMessageSender::clockIntervalNanos(65));

    // A restart for a new tempo goes on one new interval after the last tick, not at once...
    plugin.output.clear();
    plugin.output.setListener([this](const Bytes&) {
        if (plugin.output.count() == 2) manager.getSender()->resetContinuousClock(true);
    });
    ASSERT_TRUE(startClock(manager));
    ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kClockTickThread));
    plugin.output.setListener(nullptr);
    plugin.tempoAt = [](int) { return 300; };
    const auto restarted = runTicks(3);
    ASSERT_GE(restarted.size(), 3u);
    EXPECT_NEAR(double(restarted[2] - restarted[1]), 8333333.0, 1000.0);
    // ...while one long after the last tick ticks at once.
    clock.AdvanceMillis(1000);
    plugin.output.clear();
    const int64_t restart = clock.NowNanos();
    const auto later = runTicks(1);
    ASSERT_GE(later.size(), 1u);
    EXPECT_LT(later[0] - restart, 10000);
}

TEST_F(MIDIClock, NoTempoAfterElevenWaitsSwitchesTheClockOff) {
    // Not a number, below 1 BPM, an empty text, an index outside the list: no tempo.
    plugin.setValueList("tempoValues", {"fast", "-5", "0.5", ""});
    plugin.setParam(kOverrideTempo, 0.0);
    for (int index : {0, 1, 2, 3, 9}) {
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
        EXPECT_EQ(plugin.plugSets().back(), (std::pair<int, double>{kSendMIDIClockInfo, 0.0}));
    }
    EXPECT_EQ(plugin.output.count(), 0u);
}

TEST_F(MIDIClock, ATempoOnTheTwelfthReadingIsUsed) {
    plugin.tempoAt = [](int reading) { return reading < 12 ? 0 : 300; };
    EXPECT_GE(runTicks(3).size(), 3u);
    EXPECT_GE(plugin.readings, 12);
    EXPECT_TRUE(plugin.clockTick);
    EXPECT_EQ(plugin.lowerDisplay(), "");
}

TEST_F(MIDIClock, OutputGoneAtADueTickEndsTheLoop) {
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
    other.setParam(kOverrideTempo, 1.0);
    for (ScriptedTempoPlugin* p : {&plugin, &other})
        p->tempoAt = [](int) { return 120; };
    ASSERT_TRUE(startClock(manager));
    ASSERT_TRUE(startClock(otherManager));
    ASSERT_TRUE(plugin.output.waitForCount(2));
    ASSERT_TRUE(other.output.waitForCount(2));

    manager.getSender()->resetContinuousClock(true);
    ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kClockTickThread));
    EXPECT_TRUE(otherManager.getSender()->isClockRunning());
    EXPECT_TRUE(other.output.waitForCount(other.output.count() + 3));
    EXPECT_TRUE(otherManager.isRunning(MIDIMessageManager::kClockTickThread));
}
