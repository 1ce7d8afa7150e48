#include "tests/support/RequestRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

namespace {

const char kTimedOut[] = "CONNECTION TIMED OUT!";
const char kDone[] = "Data request Completed!";
const char kDoneLc[] = "Data request completed!";
const char kCancelled[] = "Data request CANCELLED!";
const char kCancelledLc[] = "Data request cancelled!";

// What the synthesizer does with the requests: answers at the plug-in's id 0, stays silent,
// answers only id 5, or stays silent while the user cancels during the third sleep.
enum Scenario { kAnswers, kSilent, kOnlyId5, kCancelled3 };

struct Outcome {
    size_t sent;
    int64_t slept; // in the case's unit
    const char* lastText;
};

struct JobCase {
    int code;
    std::function<void(SenderJob&)> args;
    Mode mode;
    Bytes first;
    bool scans;     // re-sends walk the device ids (else repeat the request)
    bool librarian; // answers go into the librarian
    int slots;      // slots a full answer fills
    int unit;       // ms of one pause unit of the job
    Outcome outcomes[4];
};

// T = 500 ms; a single request that never gets an answer pauses 30 waits plus 128 re-sends.
const JobCase kJobs[] = {
    {7, [](SenderJob& j) { j.part = 2; }, kSounds, {0xF0, 0x3E, 0x0F, 0, 0x00, 0x30, 0x02, 0xF7},
     true, true, 1, 500, {{1, 3, kDone}, {129, 160, kTimedOut}, {7, 33, kDone}, {1, 4, kCancelled}}},
    {8, [](SenderJob& j) { j.part = 4; }, kPatterns, {0xF0, 0x3E, 0x0F, 0, 0x03, 0x20, 0x00, 0xF7},
     true, true, 1, 500, {{1, 3, kDone}, {129, 160, kTimedOut}, {7, 28, kDone}, {1, 4, kCancelled}}},
    {9, {}, kMultis, {0xF0, 0x3E, 0x0F, 0, 0x01, 0x00, 0x07, 0xF7}, true, true, 1, 500,
     {{1, 1, kDone}, {129, 158, kTimedOut}, {7, 31, kDone}, {1, 3, kCancelled}}},
    {11, [](SenderJob& j) { j.bank = 2; }, kSounds, {0xF0, 0x3E, 0x0F, 0, 0x00, 0x02, 0x2A, 0xF7},
     false, true, 1, 500,
     {{1, 1, kDone}, {129, 158, kTimedOut}, {129, 158, kTimedOut}, {1, 3, kCancelled}}},
    {11, [](SenderJob& j) { j.editBuffer = true; }, kSounds,
     {0xF0, 0x3E, 0x0F, 0, 0x00, 0x30, 0x03, 0xF7}, false, true, 1, 500,
     {{1, 1, kDone}, {129, 158, kTimedOut}, {129, 158, kTimedOut}, {1, 3, kCancelled}}},
    {13, {}, kPatterns, {0xF0, 0x3E, 0x0F, 0, 0x03, 0x00, 0x64, 0xF7}, false, true, 1, 1000,
     {{1, 1, kDoneLc}, {129, 158, kTimedOut}, {129, 158, kTimedOut}, {1, 3, kCancelledLc}}},
    {10, {}, kMultis, {0xF0, 0x3E, 0x0F, 0, 0x01, 0x00, 0x00, 0xF7}, true, true, 100, 500,
     {{100, 200, kDone}, {12900, 15800, kTimedOut}, {700, 3200, kDone}, {1, 3, kCancelled}}},
    {12, [](SenderJob& j) { j.bank = 1; }, kSounds, {0xF0, 0x3E, 0x0F, 0, 0x00, 0x01, 0x00, 0xF7},
     true, true, 100, 500,
     {{100, 200, kDoneLc}, {12900, 15800, kTimedOut}, {700, 3200, kDoneLc}, {1, 3, kCancelledLc}}},
    {14, {}, kPatterns, {0xF0, 0x3E, 0x0F, 0, 0x03, 0x00, 0x01, 0xF7}, true, true, 100, 1000,
     {{100, 200, kDoneLc}, {12900, 15800, kTimedOut}, {700, 2700, kDoneLc}, {1, 3, kCancelledLc}}},
    // Into the librarian: 100 polls of 25 ms, no scan, no look at a cancel, part select 1 on
    // failure.
    {6, {}, kMultis, {0xF0, 0x3E, 0x0F, 0, 0x01, 0x20, 0x00, 0xF7}, false, true, 1, 1,
     {{1, 275, kDone}, {2, 2850, kTimedOut}, {2, 2850, kTimedOut}, {2, 2850, kTimedOut}}},
    // The probe looks at a cancel only once its scan began, at the 20th pause.
    {18, {}, kSounds, {0xF0, 0x3E, 0x0F, 0, 0x04, 0xF7}, true, false, 0, 500,
     {{1, 2, "Plug-in is ready to go!"}, {129, 158, "No response from Q!"},
      {7, 27, "Plug-in is ready to go!"}, {2, 31, kCancelled}}},
};

void runCase(const JobCase& c, Scenario scenario) {
    SCOPED_TRACE("job " + std::to_string(c.code) + ", scenario " + std::to_string(scenario));
    RequestRig rig(c.mode);
    rig.librarian.upperSlotIndex = c.code == 13 ? 99 : c.code == 11 ? 42 : 7;
    rig.plugin.selectedPart = 3;
    if (scenario == kOnlyId5) rig.synth.setDeviceId(5);
    if (scenario == kSilent || scenario == kCancelled3)
        rig.synth.setSilence([](const Bytes&) { return true; });
    rig.cancelAtSleep = scenario == kCancelled3 ? 3 : 0;
    ASSERT_TRUE(rig.run(c.code, c.args));

    const Outcome& want = c.outcomes[scenario];
    const std::vector<Bytes> sent = rig.plugin.output.bytes();
    ASSERT_EQ(sent.size(), want.sent);
    EXPECT_EQ(sent[0], c.first);
    EXPECT_EQ(rig.sleptMillis(), want.slept * c.unit);
    EXPECT_EQ(rig.plugin.upperDisplay(), want.lastText);
    for (size_t i = 1; scenario == kSilent && want.sent == 129 && i < sent.size(); ++i)
        EXPECT_EQ(size_t(sent[i][3]), c.scans ? i - 1 : 0) << "re-send " << i;

    // Every ending leaves nothing armed or awaited and the progress layer hidden.
    EXPECT_FALSE(rig.anyCollectionArmed());
    EXPECT_FALSE(rig.manager.dumpAwaited);
    EXPECT_FALSE(rig.plugin.processing);
    if (!c.librarian) return;
    const bool answered = scenario == kAnswers || (scenario == kOnlyId5 && c.scans);
    EXPECT_EQ(rig.storedSlots(c.mode), answered ? c.slots : 0);
    EXPECT_EQ(rig.plugin.callCount("unsaved 1"), answered ? 1u : 0u);
    EXPECT_EQ(rig.plugin.callCount(kReload), scenario == kCancelled3 && c.code != 6 ? 1u : 0u);
}

} // namespace

TEST(RequestJobs, BytesResendsPausesAndEndingOfEveryJobInEveryScenario) {
    for (const JobCase& c : kJobs)
        for (Scenario s : {kAnswers, kSilent, kOnlyId5, kCancelled3})
            runCase(c, s);
}

TEST(RequestJobs, ASilentBankSlotIsSkippedAndTheBankEndsTimedOut) {
    RequestRig rig(kSounds);
    rig.synth.setSilence([](const Bytes& r) { return r[6] == 3; });
    ASSERT_TRUE(rig.run(SenderJob::kSendAllPatchRequestSysex));
    for (int s = 0; s < 100; ++s)
        EXPECT_EQ(rig.slot(kSounds, s).dumps.empty(), s == 3) << "slot " << s;
    EXPECT_EQ(rig.plugin.output.bytes()[3 + 129][6], 4); // right after slot 3's re-sends
    EXPECT_EQ(rig.plugin.upperDisplay(), kTimedOut);
    EXPECT_EQ(rig.plugin.callCount("unsaved 1"), 1u);
    EXPECT_EQ(rig.librarian.upperSlotIndex, 0);
}

namespace {

// The synthesizer's delay: 250 ms for each request, but `first` for slot 3's first request
// and `again` for every later one.
std::function<int(const Bytes&)> lateSlot3(int first, int again) {
    return [first, again, asked = false](const Bytes& request) mutable {
        if (request[6] != 3) return 250;
        return std::exchange(asked, true) ? again : first;
    };
}

} // namespace

// A bank slot waits 30 pauses of 500 ms, the id scan at the 25th adding 128 more.
TEST(RequestJobs, ADumpAddressedToAnotherSlotFillsNone) {
    constexpr int kNever = 24 * 3600 * 1000;
    const struct Case {
        const char* name;
        std::function<void(qsim::SynthSimulator&)> setUp;
        int emptySlot;       // -1: none
        const char* ignored; // the address of the dump ignored
        const char* end;
    } cases[] = {
        // It comes while slot 4 is awaited, just before slot 4's own answer.
        {"slot 3 answered after its time-out",
         [](qsim::SynthSimulator& s) { s.setAnswerDelay(lateSlot3(158 * 500 + 249, kNever)); }, 3,
         "01 03", kTimedOut},
        // Its first answer came during the scan, the second (to the scan's request) late.
        {"slot 3 answered twice",
         [](qsim::SynthSimulator& s) { s.setAnswerDelay(lateSlot3(25 * 500 + 100, 1100)); }, -1,
         "01 03", kDoneLc},
        {"slot 5 answered with slot 6's address",
         [](qsim::SynthSimulator& s) {
             s.setDump(0x10, 1, 5, qsim::SynthSimulator::blankDump(0, 0x10, 1, 6));
         },
         5, "01 06", kTimedOut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RequestRig rig(kSounds);
        c.setUp(rig.synth);
        ASSERT_TRUE(
            rig.run(SenderJob::kSendAllPatchRequestSysex, [](SenderJob& j) { j.bank = 1; }));
        // The slot each slot's dump is addressed to, -1 for none.
        std::vector<int> held, want;
        for (int s = 0; s < 100; ++s) {
            const LibrarianPatch& entry = rig.slot(kSounds, s);
            held.push_back(entry.dumps.empty() ? -1 : entry.dumps[0].bytes[6]);
            want.push_back(s == c.emptySlot ? -1 : s);
        }
        EXPECT_EQ(held, want);
        EXPECT_EQ(rig.plugin.upperDisplay(), c.end);
        const std::vector<std::string> log = rig.plugin.logLines();
        EXPECT_NE(std::find(log.begin(), log.end(),
                            std::string("PATCH LIBRARIAN: dump addressed ") + c.ignored +
                                " ignored, another slot is awaited"),
                  log.end());
    }
}

// A slot's time-out moves the selection on before the next slot is armed; an answer to the
// slot that timed out, arriving in between, still belongs to that slot.
TEST(RequestJobs, AnAnswerBetweenATimeOutAndTheNextArmingFillsItsOwnSlot) {
    RequestRig rig(kSounds);
    rig.librarian.upperSlotIndex = 3;
    rig.plugin.armLibrarianRequestForSlot(SysexMessage::soundSlot(1, 3));
    rig.librarian.upperSlotIndex = 4;
    rig.deliver(qsim::SynthSimulator::blankDump(0, 0x10, 1, 3));
    EXPECT_EQ(rig.slot(kSounds, 3).dumps.size(), 1u);
    EXPECT_TRUE(rig.slot(kSounds, 4).dumps.empty());
}

TEST(RequestJobs, ACancelDuringTheProgressPauseEndsTheBankAfterThatSlot) {
    RequestRig rig(kPatterns);
    rig.cancelAtSleep = 2; // slot 0's first wait, then its progress pause
    ASSERT_TRUE(rig.run(SenderJob::kSendAllSequenceRequestSysex));
    EXPECT_EQ(rig.storedSlots(kPatterns), 1);
    EXPECT_EQ(rig.plugin.output.count(), 1u);
    EXPECT_EQ(rig.plugin.upperDisplay(), kCancelledLc);
    EXPECT_EQ(rig.plugin.callCount("unsaved 1"), 0u);
}

TEST(RequestJobs, SameIdResendsKeepTheLibrarianArmedForALateAnswer) {
    RequestRig rig(kSounds);
    rig.synth.setAnswerDelayMillis(500 * 27); // due during the re-sends
    rig.synth.setSilence([count = 0](const Bytes&) mutable { return ++count > 1; });
    ASSERT_TRUE(rig.run(SenderJob::kSendSinglePatchRequestSysex,
                        [](SenderJob& j) { j.editBuffer = true; }));
    EXPECT_EQ(rig.storedSlots(kSounds), 1);
    EXPECT_EQ(rig.plugin.upperDisplay(), kDone);
}
