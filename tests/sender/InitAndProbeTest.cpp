#include "tests/support/RequestRig.h"

#include <gtest/gtest.h>

#include <future>
#include <numeric>
#include <cstring>
#include <string>

namespace {

constexpr int64_t kMs = 1000000;

} // namespace

TEST(InitData, EachInitJobStoresItsPublishedDumpIntoTheSelectedSlot) {
    // Sizes, names and byte sums of the published dumps; the init sound takes the bank of the
    // part the last job left (part field 3: part 4, bank 1) and slot 42.
    const struct Case {
        int code;
        Mode mode;
        Bytes head;
        size_t size, nameAt;
        const char* name;
        int sum;
    } cases[] = {
        {SenderJob::kInitPerformance, kMultis, {0xF0, 0x3E, 0x0F, 0, 0x11, 0x00, 0x63}, 393, 23,
         "Sequencer Multi ", 13096},
        {SenderJob::kInitClassicPatch, kSounds, {0xF0, 0x3E, 0x0F, 0, 0x10, 0x01, 0x2A}, 393, 371,
         "Init Sound 3.0  Init", 14235},
        {SenderJob::kInitSequence, kPatterns, {0xF0, 0x3E, 0x0F, 0, 0x13, 0x20, 0x00}, 544, 15,
         "INIT Sequence   ", 11730},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestRig rig(c.mode);
        rig.librarian.upperSlotIndex = 42;
        rig.plugin.setParam(kMultiPartBank + 3, 1.0);
        ASSERT_TRUE(rig.run(SenderJob::kSendPartToDevice, [](SenderJob& j) { j.part = 3; }));
        ASSERT_TRUE(rig.run(c.code));
        ASSERT_EQ(rig.slot(c.mode, 42).dumps.size(), 1u);
        const Bytes& d = rig.slot(c.mode, 42).dumps[0].bytes;
        ASSERT_EQ(d.size(), c.size);
        EXPECT_EQ(Bytes(d.begin(), d.begin() + 7), c.head);
        EXPECT_EQ(std::string(d.begin() + long(c.nameAt), d.begin() + long(c.nameAt + strlen(c.name))),
                  c.name);
        EXPECT_EQ(std::accumulate(d.begin(), d.end(), 0), c.sum);
        EXPECT_EQ(d.back(), 0xF7);
        EXPECT_EQ(rig.plugin.callCount("unsaved 1"), 1u);
    }
}

TEST(InitData, NothingStoredMeansNoNoticeAndNothingLeftArmed) {
    const struct Case {
        const char* name;
        int code;
        Mode mode;
        bool guard;
    } cases[] = {{"no bank", SenderJob::kInitClassicPatch, kSounds, false},
                 {"sound into multis", SenderJob::kInitClassicPatch, kMultis, false},
                 {"pattern into sounds", SenderJob::kInitSequence, kSounds, false},
                 {"guard outside the reduced handler", SenderJob::kInitPerformance, kMultis, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestRig rig(c.mode);
        if (c.code == SenderJob::kInitClassicPatch && c.mode == kSounds) rig.librarian.soundBanks.clear();
        ASSERT_TRUE(rig.run(c.code, [&](SenderJob& j) { j.initGuard = c.guard; }));
        EXPECT_EQ(rig.storedSlots(c.mode), 0);
        EXPECT_EQ(rig.plugin.callCount("unsaved 1"), 0u);
        EXPECT_FALSE(rig.anyCollectionArmed());
    }
}

TEST(DeviceIdProbe, ScansUpToTheSynthesizersIdAndLearnsItFromTheAnswer) {
    RequestRig rig;
    rig.synth.setDeviceId(10);
    rig.plugin.probeStarted = true;
    rig.plugin.setRange(kGlobalSysExID, 0, 126);
    ASSERT_TRUE(rig.run(SenderJob::kSendDeviceIdEnquiry));
    std::vector<std::string> expected = {"Connecting to Q"};
    for (int id = 1; id <= 11; ++id)
        expected.push_back("Please wait, checking DeviceID " + std::to_string(id));
    expected.push_back("Plug-in is ready to go!");
    EXPECT_EQ(rig.plugin.upperTexts(), expected);
    EXPECT_EQ(rig.plugin.deviceId, 10);
    EXPECT_EQ(rig.plugin.GetParamValue(kGlobalSysExID), 10.0);
}

// A request is never sent twice, but after one that JACK may have dropped the next waits for
// the server's next notice to pass, a pause at most: no later one meets a steady source of
// xruns in step. The others go a pause apart.
TEST(DeviceIdProbe, AfterARequestAnXrunMayHaveDroppedTheScanWaitsForTheNextNotice) {
    RequestRig rig;
    rig.synth.setDeviceId(10);
    rig.plugin.xrunWindowMillis = 40;
    rig.plugin.output.setListener([&](const Bytes& m) {
        if (m[3] == 3) rig.plugin.tellXrun();
        rig.synth.receive(m);
    });
    ASSERT_TRUE(rig.run(SenderJob::kSendDeviceIdEnquiry));
    const auto sent = rig.plugin.output.messages();
    ASSERT_EQ(sent.size(), 1 + 11u);
    for (size_t k = 2; k < sent.size(); ++k) {
        EXPECT_EQ(sent[k].bytes[3], k - 1);
        EXPECT_EQ(sent[k].nanos - sent[k - 1].nanos, (k == 5 ? 1000 : 500) * kMs) << k;
    }
}

TEST(RequestThreads, ACancelFromAThirdThreadEndsTheWaitAtItsPause) {
    RequestRig rig(kMultis);
    rig.synth.setSilence([](const Bytes&) { return true; });
    std::promise<void> cancelled;
    std::shared_future<void> seen = cancelled.get_future().share();
    rig.onSleep = [&](int sleep) {
        if (sleep == 3) seen.wait();
    };
    std::thread canceller([&] {
        while (rig.sleeps < 3)
            std::this_thread::yield();
        rig.manager.getSender()->cancel = true;
        cancelled.set_value();
    });
    ASSERT_TRUE(rig.run(SenderJob::kSendSingleMultiRequestSysex));
    canceller.join();
    EXPECT_EQ(rig.plugin.upperDisplay(), "Data request CANCELLED!");
    EXPECT_EQ(rig.sleptMillis(), 3 * 500);
}

TEST(RequestThreads, TeardownDuringABankRequestJoinsTheJobSilently) {
    RequestRig rig;
    rig.synth.setSilence([](const Bytes&) { return true; });
    rig.onSleep = [](int) { std::this_thread::sleep_for(std::chrono::microseconds(200)); };
    auto manager =
        std::make_unique<MIDIMessageManager>(&rig.plugin, nullptr, &rig.librarian, nullptr);
    rig.plugin.manager = manager.get();
    ASSERT_TRUE(manager->postJob(SenderJob::kSendAllPatchRequestSysex));
    while (rig.sleeps < 200)
        std::this_thread::yield();
    manager.reset();
    rig.plugin.manager = &rig.manager;

    const size_t sent = rig.plugin.output.count();
    EXPECT_LT(sent, 100u * 129u);
    EXPECT_FALSE(rig.plugin.output.waitForCount(sent + 1, 50));
    EXPECT_TRUE(rig.plugin.logLines().empty());
    EXPECT_FALSE(rig.plugin.processing);
    EXPECT_EQ(rig.plugin.callCount(kReload), 0u); // stopped, not cancelled
}
