#include "tests/support/RequestRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const char kTimedOut[] = "CONNECTION TIMED OUT!";

// What the synthesizer does with the job's requests.
enum Scenario {
    kAnswers,   // answers every request at the plug-in's device id
    kSilent,    // answers nothing
    kOnlyId5,   // answers only device id 5 while the plug-in holds 0
    kCancelled, // answers nothing; the user cancels during the third sleep
};

struct Outcome {
    size_t sent;          // requests on the wire
    int64_t sleptMillis;  // the job's pauses, all together
    const char* lastText; // the upper display line at the end
};

struct JobCase {
    const char* name;
    int code;
    std::function<void(SenderJob&)> args;
    Mode mode;
    Bytes first;    // the first request on the wire
    bool scans;     // the re-send phase walks the device ids (else repeats the request)
    bool librarian; // the answer goes into the librarian's selected slot
    int slots;      // slots a full answer fills
    Outcome outcomes[4];
};

// T = 500 ms. A single request that never gets an answer pauses 30 waits plus 128 re-sends.
const JobCase kJobs[] = {
    {"7 part 2 into the librarian", 7,
     [](SenderJob& j) { j.part = 2, j.toEditor = false; }, kSounds,
     {0xF0, 0x3E, 0x0F, 0x00, 0x00, 0x30, 0x02, 0xF7}, true, true, 1,
     {{1, 1500, "Data request Completed!"},
      {129, 160 * 500, kTimedOut},
      {7, 33 * 500, "Data request Completed!"},
      {1, 4 * 500, "Data request CANCELLED!"}}},
    {"8 part 4 into the librarian", 8,
     [](SenderJob& j) { j.part = 4, j.toEditor = false; }, kPatterns,
     {0xF0, 0x3E, 0x0F, 0x00, 0x03, 0x20, 0x00, 0xF7}, true, true, 1,
     {{1, 1500, "Data request Completed!"},
      {129, 160 * 500, kTimedOut},
      {7, 28 * 500, "Data request Completed!"},
      {1, 4 * 500, "Data request CANCELLED!"}}},
    {"9 multi slot 7", 9, {}, kMultis, {0xF0, 0x3E, 0x0F, 0x00, 0x01, 0x00, 0x07, 0xF7},
     true, true, 1,
     {{1, 500, "Data request Completed!"},
      {129, 158 * 500, kTimedOut},
      {7, 31 * 500, "Data request Completed!"},
      {1, 3 * 500, "Data request CANCELLED!"}}},
    {"11 bank 2 slot 42", 11, [](SenderJob& j) { j.editBuffer = false, j.bank = 2; }, kSounds,
     {0xF0, 0x3E, 0x0F, 0x00, 0x00, 0x02, 0x2A, 0xF7}, false, true, 1,
     {{1, 500, "Data request Completed!"},
      {129, 158 * 500, kTimedOut},
      {129, 158 * 500, kTimedOut},
      {1, 3 * 500, "Data request CANCELLED!"}}},
    {"11 edit buffer of the shown part", 11, [](SenderJob& j) { j.editBuffer = true; },
     kSounds, {0xF0, 0x3E, 0x0F, 0x00, 0x00, 0x30, 0x03, 0xF7}, false, true, 1,
     {{1, 500, "Data request Completed!"},
      {129, 158 * 500, kTimedOut},
      {129, 158 * 500, kTimedOut},
      {1, 3 * 500, "Data request CANCELLED!"}}},
    {"13 pattern slot 99", 13, [](SenderJob& j) { j.editBuffer = false; }, kPatterns,
     {0xF0, 0x3E, 0x0F, 0x00, 0x03, 0x00, 0x64, 0xF7}, false, true, 1,
     {{1, 1000, "Data request completed!"},
      {129, 158 * 1000, kTimedOut},
      {129, 158 * 1000, kTimedOut},
      {1, 3 * 1000, "Data request cancelled!"}}},
    {"10 all multis", 10, {}, kMultis, {0xF0, 0x3E, 0x0F, 0x00, 0x01, 0x00, 0x00, 0xF7},
     true, true, 100,
     {{100, 100 * 2 * 500, "Data request Completed!"},
      {100 * 129, 100 * 158 * 500, kTimedOut},
      {100 * 7, 100 * 32 * 500, "Data request Completed!"},
      {1, 3 * 500, "Data request CANCELLED!"}}},
    {"12 sound bank 1", 12, [](SenderJob& j) { j.bank = 1; }, kSounds,
     {0xF0, 0x3E, 0x0F, 0x00, 0x00, 0x01, 0x00, 0xF7}, true, true, 100,
     {{100, 100 * 2 * 500, "Data request completed!"},
      {100 * 129, 100 * 158 * 500, kTimedOut},
      {100 * 7, 100 * 32 * 500, "Data request completed!"},
      {1, 3 * 500, "Data request cancelled!"}}},
    {"14 all patterns", 14, {}, kPatterns, {0xF0, 0x3E, 0x0F, 0x00, 0x03, 0x00, 0x01, 0xF7},
     true, true, 100,
     {{100, 100 * 2 * 1000, "Data request completed!"},
      {100 * 129, 100 * 158 * 1000, kTimedOut},
      {100 * 7, 100 * 27 * 1000, "Data request completed!"},
      {1, 3 * 1000, "Data request cancelled!"}}},
    // Into the librarian the arrangement request polls the multi 100 times and never scans;
    // a cancel is not looked at; any failure ends on part select 1.
    {"6 into the librarian", 6, [](SenderJob& j) { j.toEditor = false; }, kMultis,
     {0xF0, 0x3E, 0x0F, 0x00, 0x01, 0x20, 0x00, 0xF7}, false, true, 1,
     {{1, 25 + 250, "Data request Completed!"},
      {2, 2500 + 250 + 100, kTimedOut},
      {2, 2500 + 250 + 100, kTimedOut},
      {2, 2500 + 250 + 100, kTimedOut}}},
    // The probe: a cancel counts only once the scan has begun, at the 20th pause.
    {"18 device-id probe", 18, {}, kSounds, {0xF0, 0x3E, 0x0F, 0x00, 0x04, 0xF7}, true,
     false, 0,
     {{1, 1000, "Plug-in is ready to go!"},
      {129, 158 * 500, "No response from Q!"},
      {7, 27 * 500, "Plug-in is ready to go!"},
      {2, 31 * 500, "Data request CANCELLED!"}}},
};

void runCase(const JobCase& c, Scenario scenario) {
    SCOPED_TRACE(std::string(c.name) + ", scenario " + std::to_string(scenario));
    RequestRig rig(c.mode);
    rig.librarian.upperSlotIndex = c.code == 13 ? 99 : c.code == 11 ? 42 : 7;
    rig.plugin.selectedPart = 3;
    if (scenario == kOnlyId5) rig.synth.setDeviceId(5);
    if (scenario == kSilent || scenario == kCancelled)
        rig.synth.setSilence([](const Bytes&) { return true; });
    if (scenario == kCancelled) rig.cancelAtSleep = 3;
    ASSERT_TRUE(rig.run(c.code, c.args));

    const Outcome& want = c.outcomes[scenario];
    const std::vector<Bytes> sent = rig.plugin.output.bytes();
    ASSERT_EQ(sent.size(), want.sent);
    EXPECT_EQ(sent[0], c.first);
    EXPECT_EQ(rig.sleptMillis(), want.sleptMillis);
    EXPECT_EQ(rig.plugin.upperDisplay(), want.lastText);

    // Re-sends in order: device ids 0 to 127, or the first request again.
    if (scenario == kSilent && c.code != 6) {
        for (size_t i = 1; i <= 128; ++i) {
            Bytes again = c.first;
            if (c.scans) again[3] = uint8_t(i - 1);
            ASSERT_EQ(sent[i], again) << "re-send " << i;
        }
    }
    if (scenario == kOnlyId5 && c.scans && c.code != 6) {
        EXPECT_EQ(sent[6][3], 5);
    }

    // Every ending leaves nothing armed and the progress layer hidden.
    EXPECT_FALSE(rig.anyCollectionArmed());
    EXPECT_FALSE(rig.manager.dumpAwaited);
    EXPECT_FALSE(rig.plugin.processing);
    EXPECT_FALSE(rig.manager.getSender()->inBatch);

    const bool answered = scenario == kAnswers || (scenario == kOnlyId5 && c.scans);
    if (!c.librarian) return;
    EXPECT_EQ(rig.storedSlots(c.mode), answered ? c.slots : 0);
    EXPECT_EQ(rig.plugin.notices().size(), answered ? 1u : 0u);
    if (c.slots == 100) {
        EXPECT_EQ(rig.librarian.upperSlotIndex, 0);
    }
    const std::vector<int> changes = rig.plugin.paramChanges();
    const bool refreshed = std::count(changes.begin(), changes.end(), kRefreshFolders) == 1;
    EXPECT_EQ(refreshed, scenario == kCancelled && c.code != 6);
}

} // namespace

TEST(RequestJobs, BytesResendsPausesAndEndingOfEveryJobInEveryScenario) {
    for (const JobCase& c : kJobs)
        for (Scenario s : {kAnswers, kSilent, kOnlyId5, kCancelled})
            runCase(c, s);
}

TEST(RequestJobs, ASilentBankSlotIsSkippedAndTheBankEndsTimedOut) {
    RequestRig rig(kSounds);
    rig.synth.setSilence([](const Bytes& r) { return r[6] == 3; });
    ASSERT_TRUE(rig.run(SenderJob::kSendAllPatchRequestSysex, [](SenderJob& j) { j.bank = 0; }));

    for (int s = 0; s < 100; ++s)
        EXPECT_EQ(rig.slot(kSounds, s).dumps.empty(), s == 3) << "slot " << s;
    // Slot 4 is asked for right after slot 3's time-out.
    const std::vector<Bytes> sent = rig.plugin.output.bytes();
    EXPECT_EQ(sent[3 + 129][6], 4);
    EXPECT_EQ(rig.plugin.upperDisplay(), kTimedOut);
    EXPECT_EQ(rig.plugin.notices(), std::vector<std::string>{"Program received to slot(s)"});
    EXPECT_EQ(rig.librarian.upperSlotIndex, 0);
    EXPECT_FALSE(rig.anyCollectionArmed());
}

TEST(RequestJobs, ACancelDuringTheProgressPauseEndsTheBankAfterThatSlot) {
    RequestRig rig(kPatterns);
    // Sleep 1: slot 0's first wait; sleep 2: its progress pause.
    rig.cancelAtSleep = 2;
    ASSERT_TRUE(rig.run(SenderJob::kSendAllSequenceRequestSysex));
    EXPECT_EQ(rig.storedSlots(kPatterns), 1);
    EXPECT_EQ(rig.plugin.output.count(), 1u);
    EXPECT_EQ(rig.plugin.upperDisplay(), "Data request cancelled!");
    EXPECT_EQ(rig.plugin.paramChanges(), std::vector<int>{kRefreshFolders});
    EXPECT_TRUE(rig.plugin.notices().empty());
}

TEST(RequestJobs, ALateAnswerAfterATimeOutLandsInNoSlot) {
    RequestRig rig(kMultis);
    rig.synth.setSilence([](const Bytes&) { return true; });
    ASSERT_TRUE(rig.run(SenderJob::kSendSingleMultiRequestSysex));
    rig.deliver(testsupport::SynthSimulator::blankDump(0, 0x11, 0x00, 0x07));
    EXPECT_EQ(rig.storedSlots(kMultis), 0);
    EXPECT_FALSE(rig.plugin.answerFlag);
}

TEST(RequestJobs, SameIdResendsArmTheLibrarianAgainAndStoreALateAnswer) {
    RequestRig rig(kSounds);
    rig.synth.setAnswerDelayMillis(500 * 27); // due during the re-sends
    rig.synth.setSilence([count = 0](const Bytes&) mutable { return ++count > 1; });
    ASSERT_TRUE(rig.run(SenderJob::kSendSinglePatchRequestSysex, [](SenderJob& j) {
        j.editBuffer = true;
    }));
    EXPECT_EQ(rig.storedSlots(kSounds), 1);
    EXPECT_EQ(rig.plugin.upperDisplay(), "Data request Completed!");
}
