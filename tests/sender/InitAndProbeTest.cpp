#include "src/librarian/LibrarianInitData.h"
#include "tests/support/RequestRig.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

namespace {

Bytes fromHex(const std::string& hex) {
    Bytes b;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        b.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return b;
}

// The built-in init sound as published, 32 bytes a line.
const Bytes kInitSound = fromHex(
    "F03E0F0010026309404040426000000064004000000000004040404260000000"
    "6400400000000000344040426000000064004000000000000000400000000000"
    "14000A007F400040004000404000004000010000017F40000033004040404040"
    "0140030000014000017F40000040404040404040014003007F0140007F030000"
    "64720140000000000014407F007F7F7F7F7F7F7F7F7F7F00007F7F006964647F"
    "0100000F407F7F002D4000000000400000400000284000000000400000400000"
    "1E40000000004000004001004000007F327F007F000000004000007F3460007F"
    "0F0000004000007F4040007F400000004000007F4040007F4000000100000000"
    "4000000040000000400000004001014003044005074000004000004000004000"
    "0040000040000040000040000040000040000040000040000040000040000000"
    "010F0907010000010C00010F0000390404040404040404040404040404040444"
    "44444444444444444444444444444400000000496E697420536F756E6420332E"
    "302020496E697456F7");

// The built-in init multi as its layout describes it.
Bytes initMultiAsDescribed() {
    Bytes d = {0xF0, 0x3E, 0x0F, 0x00, 0x11, 0x00, 0x63, 0x7F, 0x02, 0x04, 0x0B, 0x0C, 0x37};
    d.resize(23, 0x00);
    for (char c : std::string("Sequencer Multi "))
        d.push_back(uint8_t(c));
    for (uint8_t k = 0; k < 16; ++k) {
        const Bytes block = {0x02, 0x63, uint8_t(k + 2), 0x64, 0x40, 0x40, 0x00,
                             uint8_t(k == 0 ? 0x07 : 0x02), 0x40, 0x00, 0x00, 0x00, 0x01, 0x7F,
                             0x00, 0x7F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
        d.insert(d.end(), block.begin(), block.end());
    }
    d.push_back(0x7A);
    d.push_back(0xF7);
    return d;
}

} // namespace

TEST(InitData, EachInitJobStoresItsBuiltInDumpIntoTheSelectedSlot) {
    Bytes sound = kInitSound;
    sound[5] = 0x01; // the bank of part 4, the part the last job left
    sound[6] = 0x2A; // slot 42
    Bytes pattern = {0xF0, 0x3E, 0x0F, 0x00, 0x13, 0x20, 0x00, 0x00,
                     0x0F, 0x00, 0x3C, 0x00, 0x13, 0x00, 0x00};
    for (char c : std::string("INIT Sequence   "))
        pattern.push_back(uint8_t(c));
    for (int step = 0; step < 32; ++step) {
        const Bytes block = {0x40, 0x64, 0x40, 0x40, 0x05, 0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        pattern.insert(pattern.end(), block.begin(), block.end());
    }
    pattern.push_back(0xF7);
    const struct Case {
        int code;
        Mode mode;
        Bytes stored;
        const char* name;
        const char* notice;
    } cases[] = {
        {SenderJob::kInitPerformance, kMultis, initMultiAsDescribed(), "Sequencer Multi ",
         "Multi received to slot(s)"},
        {SenderJob::kInitClassicPatch, kSounds, sound, "Init Sound 3.0  ",
         "Program received to slot(s)"},
        {SenderJob::kInitSequence, kPatterns, pattern, "INIT Sequence   ",
         "Pattern received to slot(s)"},
    };
    ASSERT_EQ(pattern.size(), 544u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestRig rig(c.mode);
        rig.librarian.upperSlotIndex = 42;
        rig.plugin.setParam(kMultiPartBank + 3, 1.0);
        ASSERT_TRUE(rig.run(SenderJob::kSendPartToDevice, [](SenderJob& j) { j.part = 3; }));
        rig.plugin.output.clear();
        ASSERT_TRUE(rig.run(c.code));
        const LibrarianPatch& entry = rig.slot(c.mode, 42);
        ASSERT_EQ(entry.dumps.size(), 1u);
        EXPECT_EQ(entry.dumps[0].bytes, c.stored);
        EXPECT_EQ(entry.name, c.name);
        EXPECT_EQ(rig.plugin.notices(), std::vector<std::string>{c.notice});
        EXPECT_FALSE(rig.plugin.processing);
        EXPECT_EQ(rig.plugin.output.count(), 0u);
    }
    // The librarian's own init sound is the published one.
    EXPECT_EQ(Bytes(initPatchData, initPatchData + 393), kInitSound);
    EXPECT_EQ(Bytes(initMultiData, initMultiData + 393), initMultiAsDescribed());
}

TEST(InitData, NothingStoredMeansNoNoticeAndNothingLeftArmed) {
    const struct Case {
        const char* name;
        int code;
        Mode mode;
        bool dropBanks;
        bool guard;
    } cases[] = {
        {"no bank to store into", SenderJob::kInitClassicPatch, kSounds, true, false},
        {"a sound into the multi collection", SenderJob::kInitClassicPatch, kMultis, false, false},
        {"a pattern into the sound collection", SenderJob::kInitSequence, kSounds, false, false},
        {"guarded outside the reduced handler", SenderJob::kInitPerformance, kMultis, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestRig rig(c.mode);
        if (c.dropBanks) rig.librarian.soundBanks.clear();
        ASSERT_TRUE(rig.run(c.code, [&](SenderJob& j) { j.initGuard = c.guard; }));
        EXPECT_EQ(rig.storedSlots(c.mode), 0);
        EXPECT_TRUE(rig.plugin.notices().empty());
        EXPECT_FALSE(rig.anyCollectionArmed());
        EXPECT_FALSE(rig.plugin.processing);
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
    EXPECT_EQ(rig.plugin.output.bytes().back(), (Bytes{0xF0, 0x3E, 0x0F, 0x0A, 0x04, 0xF7}));
}

TEST(RequestThreads, AnswersArriveOnTheSimulatorsThreadAndACancelFromAThirdEndsTheWait) {
    RequestRig rig(kMultis);
    rig.synth.setSilence([](const Bytes&) { return true; });
    std::promise<void> cancelled;
    std::shared_future<void> cancelSeen = cancelled.get_future().share();
    rig.onSleep = [&](int sleep) {
        if (sleep == 3) cancelSeen.wait();
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

    // An answer comes in on a thread that is neither the job's nor the test's.
    std::promise<std::thread::id> replyThread;
    rig.synth.setSilence({});
    rig.synth.attach(rig.plugin.output, [&](const Bytes& d) {
        replyThread.set_value(std::this_thread::get_id());
        rig.deliver(d);
    });
    ASSERT_TRUE(rig.run(SenderJob::kSendSingleMultiRequestSysex));
    EXPECT_NE(replyThread.get_future().get(), std::this_thread::get_id());
    EXPECT_EQ(rig.storedSlots(kMultis), 1);
}

TEST(RequestThreads, TeardownDuringABankRequestJoinsTheJob) {
    RequestRig rig;
    rig.synth.setSilence([](const Bytes&) { return true; });
    // Slow enough that the bank is still running when the manager goes.
    rig.onSleep = [](int) { std::this_thread::sleep_for(std::chrono::microseconds(200)); };
    auto manager = std::make_unique<MIDIMessageManager>(&rig.plugin, nullptr, &rig.librarian,
                                                         nullptr);
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
    // Stopped, not cancelled: no text, no browser reload.
    EXPECT_TRUE(rig.plugin.paramChanges().empty());
    EXPECT_NE(rig.plugin.upperDisplay(), "Data request cancelled!");
}
