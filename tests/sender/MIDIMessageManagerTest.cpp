#include "src/incoming/MIDIMessageManager.h"
#include "src/sender/MIDIMessageSender.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/FakeSenderPlugin.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

using Bytes = std::vector<uint8_t>;
using testsupport::FakeSenderPlugin;
using Worker = MIDIMessageManager::Worker;

namespace {

bool waitIdle(MIDIMessageManager& m, Worker w) {
    for (int i = 0; i < 5000 && m.isRunning(w); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return !m.isRunning(w);
}

// A clock job that ticks until it is stopped, on a host tempo of 120.
void prepareTicking(FakeSenderPlugin& plugin, MIDIMessageManager& manager) {
    plugin.setParam(kOverrideTempo, 1.0);
    plugin.hostTempo = 120;
    manager.getSender()->resetContinuousClock(false);
}

} // namespace

TEST(SenderWorkers, EachCodeRunsOnItsOwnWorker) {
    for (int code = -1; code <= 24; ++code) {
        const Worker expected = code == 20 || code == 22 ? MIDIMessageManager::kClockThread
                                : code == 21             ? MIDIMessageManager::kClockTickThread
                                                         : MIDIMessageManager::kJobThread;
        EXPECT_EQ(MIDIMessageManager::workerFor(code), expected) << "code " << code;
    }
}

TEST(SenderWorkers, CodesWithoutAJobStartTheWorkerAndEndAtOnce) {
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
    prepareTicking(plugin, manager);
    bool argumentsWritten = false;
    ASSERT_TRUE(manager.postJob(SenderJob::kSendContinuousMIDIClock));
    ASSERT_TRUE(plugin.output.waitForCount(1));

    // The refused post writes nothing into the running job's record.
    EXPECT_FALSE(manager.postJob(SenderJob::kSendContinuousMIDIClock,
                                 [&](SenderJob&) { argumentsWritten = true; }));
    EXPECT_FALSE(argumentsWritten);
    // MIDI Start goes to its own worker, not to the busy clock worker.
    EXPECT_TRUE(manager.postJob(SenderJob::kStartMIDIClockOutput));
    EXPECT_TRUE(
        manager.postJob(SenderJob::kSendPartRequestSysex, [](SenderJob& job) { job.part = 3; }));
    EXPECT_TRUE(waitIdle(manager, MIDIMessageManager::kClockThread));

    manager.getSender()->resetContinuousClock(true);
    ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kClockTickThread));
    size_t starts = 0;
    for (const auto& b : plugin.output.bytes())
        starts += b == Bytes{0xFA};
    EXPECT_EQ(starts, 1u);

    // Idle again: the same post is taken.
    manager.getSender()->resetContinuousClock(false);
    EXPECT_TRUE(manager.postJob(SenderJob::kSendContinuousMIDIClock));
    manager.getSender()->resetContinuousClock(true);
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
                const int code = (i * 7 + t * 3) % 24;
                const bool taken = manager->postJob(code, [&](SenderJob& job) {
                    job.part = i % 16;
                    job.clockTempo = 120;
                });
                if (!taken) continue;
                if (code == SenderJob::kStartMIDIClockOutput)
                    ++startsTaken;
                else if (code == SenderJob::kStopMIDIClockOutput)
                    ++stopsTaken;
                else
                    ++othersTaken;
                (void)manager->isRunning(MIDIMessageManager::workerFor(code));
            }
        });
    }
    for (auto& p : posters)
        p.join();
    manager.reset(); // joins every worker, so every taken job has run

    size_t starts = 0, stops = 0;
    for (const auto& b : plugin.output.bytes()) {
        starts += b == Bytes{0xFA};
        stops += b == Bytes{0xFC};
    }
    EXPECT_EQ(int(starts), startsTaken.load());
    EXPECT_EQ(int(stops), stopsTaken.load());
    EXPECT_EQ(plugin.output.count(), starts + stops);
    EXPECT_GT(othersTaken.load(), 0);
    EXPECT_TRUE(plugin.logLines().empty());
}

TEST(SenderTeardown, JoinsARunningClock) {
    testsupport::ScaledClock clock(100);
    FakeSenderPlugin plugin;
    auto manager = std::make_unique<MIDIMessageManager>(&plugin, nullptr, nullptr, nullptr);
    prepareTicking(plugin, *manager);
    ASSERT_TRUE(manager->postJob(SenderJob::kSendContinuousMIDIClock));
    ASSERT_TRUE(plugin.output.waitForCount(3));
    manager.reset();
    // Joined: nothing can tick any more.
    const size_t ticks = plugin.output.count();
    EXPECT_FALSE(plugin.output.waitForCount(ticks + 1, 50));
    EXPECT_TRUE(plugin.logLines().empty());
}

TEST(SenderTeardown, EndsAClockStillWaitingForATempoSilently) {
    // Slow enough that the eleven waits cannot all pass before the teardown.
    testsupport::ScaledClock clock(10);
    FakeSenderPlugin plugin;
    auto manager = std::make_unique<MIDIMessageManager>(&plugin, nullptr, nullptr, nullptr);
    plugin.setParam(kOverrideTempo, 1.0);
    plugin.hostTempo = 0;
    manager->getSender()->resetContinuousClock(false);
    ASSERT_TRUE(manager->postJob(SenderJob::kSendContinuousMIDIClock));
    ASSERT_TRUE(manager->isRunning(MIDIMessageManager::kClockTickThread));
    manager.reset();
    EXPECT_EQ(plugin.lowerDisplay(), "");
    EXPECT_TRUE(plugin.clockTick);
    EXPECT_EQ(plugin.output.count(), 0u);
    EXPECT_TRUE(plugin.logLines().empty());
}

TEST(LibrarianSoundRequests, ArmTheSoundCollectionWhenPosted) {
    FakeSenderPlugin plugin;
    MIDIMessageManager manager(&plugin, nullptr, nullptr, nullptr);
    struct Start {
        std::function<void()> post;
    } starts[] = {
        {[&] { manager.sendSinglePatchRequestSysexFromLibrarian(true, 2); }},
        {[&] { manager.sendAllPatchRequestSysexFromLibrarian(3); }},
    };
    for (const Start& s : starts) {
        manager.patchRequest.active = false;
        manager.answerReceived = true;
        ASSERT_TRUE(waitIdle(manager, MIDIMessageManager::kJobThread));
        s.post();
        EXPECT_TRUE(manager.patchRequest.active);
        EXPECT_EQ(manager.patchRequest.patch, nullptr);
        EXPECT_FALSE(manager.answerReceived);
        EXPECT_FALSE(manager.performanceRequest.active);
        EXPECT_FALSE(manager.patternRequest.active);
    }
}
