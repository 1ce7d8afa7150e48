#include "src/uiconfig/ParameterIds.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/RequestRig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

using testsupport::hasValidChecksum;

void fill(RequestRig& rig, Mode mode, const std::vector<Bytes>& dumps) {
    auto& entries = rig.banks[size_t(mode)]->entries;
    for (size_t i = 0; i < dumps.size(); ++i) {
        entries[i] = LibrarianPatch();
        entries[i].dumps = {PatchSysexMessage(dumps[i])};
    }
}

bool storeAll(RequestRig& rig, int firstSlot, int bank) {
    return rig.run(SenderJob::kStoreAllPatchesToDeviceFromLibrarian, [&](SenderJob& j) {
        j.storeArg1 = 0;
        j.storeArg2 = firstSlot;
        j.storeArg3 = bank;
    });
}

bool sendEntry(RequestRig& rig, const Bytes& stored, int part) {
    auto entry = std::make_shared<LibrarianPatch>();
    entry->dumps = {PatchSysexMessage(stored)};
    return rig.run(SenderJob::kSendPatchToDeviceFromLibrarian, [&](SenderJob& j) {
        j.librarianPatch = entry;
        j.part = part;
    });
}

const Bytes kNotesOff{0xB0, 123, 0x00};
constexpr int64_t kMs = 1000000;

Bytes slice(const Bytes& b, int from, int count) {
    return Bytes(b.begin() + from, b.begin() + from + count);
}

} // namespace

TEST(LibrarianTransfers, StoreAllReaddressesEachDumpToTheNextSlotWithItsChecksum) {
    struct Case {
        Mode mode;
        int firstSlot, bank;
        Bytes header; // bytes 4..6 of the first dump; byte 6 counts up from there
    } cases[] = {
        {kMultis, 10, 3, {0x11, 0x00, 0x00}},
        {kPatterns, 0, 3, {0x13, 0x00, 0x01}},
        {kSounds, 0, 2, {0x10, 0x02, 0x00}},
    };
    for (const Case& c : cases) {
        RequestRig rig(c.mode);
        rig.plugin.deviceId = 0x45;
        rig.librarian.upperSlotIndex = 33;
        fill(rig, c.mode,
             c.mode == kSounds   ? testsupport::soundDumps(100, "Snd", "Lead")
             : c.mode == kMultis ? testsupport::multiDumps(100, "Mul")
                                 : testsupport::patternDumps(100, "Pat"));
        ASSERT_TRUE(storeAll(rig, c.firstSlot, c.bank));
        const auto sent = rig.plugin.output.bytes();
        const size_t n = size_t(100 - c.firstSlot);
        ASSERT_EQ(sent.size(), 1 + n);
        EXPECT_EQ(sent[0], kNotesOff);
        for (size_t k = 0; k < n; ++k) {
            Bytes header = c.header;
            header[2] = uint8_t(header[2] + k);
            const Bytes& d = sent[1 + k];
            ASSERT_EQ(Bytes(d.begin() + 2, d.begin() + 7),
                      (Bytes{0x0F, 0x45, header[0], header[1], header[2]}));
            ASSERT_TRUE(hasValidChecksum(d));
        }
        EXPECT_EQ(rig.sleptMillis(), 50 + int64_t(n) * 500);
        const auto texts = rig.plugin.upperTexts();
        EXPECT_EQ(texts.front(), "Writing 0%, please wait..");
        EXPECT_EQ(texts[texts.size() - 2], "Writing " + std::to_string(n - 1) + "%, please wait..");
        EXPECT_EQ(texts.back(), "Data write completed!");
        EXPECT_EQ(rig.librarian.upperSlotIndex, 0);
    }
}

// At the default Sync Timer (100 ms) and at its shortest (50 ms) a dump leaves only once the
// one before has crossed a MIDI cable: 393 sound bytes take 125.76 ms, 545 pattern bytes
// 174.4 ms. The progress and the end follow the last crossing.
TEST(LibrarianTransfers, StoreAllNeverOutrunsAMidiCable) {
    for (Mode mode : {kSounds, kPatterns}) {
        for (int timer : {2, 0}) {
            RequestRig rig(mode);
            rig.plugin.setParam(kLibSyncTimer, timer);
            fill(rig, mode,
                 mode == kSounds ? testsupport::soundDumps(100, "Snd", "Lead")
                                 : testsupport::patternDumps(100, "Pat"));
            ASSERT_TRUE(storeAll(rig, 0, 0));
            const auto sent = rig.plugin.output.messages();
            ASSERT_EQ(sent.size(), 101u);
            const int64_t paceMillis = mode == kSounds ? 126 : 175;
            for (size_t k = 2; k < sent.size(); ++k)
                ASSERT_EQ(sent[k].nanos - sent[k - 1].nanos, paceMillis * 1000000) << k;
            EXPECT_EQ(rig.sleptMillis(), 50 + 100 * paceMillis);
            EXPECT_EQ(rig.plugin.upperTexts().back(), "Data write completed!");
        }
    }
}

// JACK tells of an xrun, which may have dropped the dump of that moment, within a window after
// the send: the dump goes again after its pause and a wait for the next notice, of one pause
// unit more for each copy when none comes, up to the bound. A store's last dump met by xruns up
// to the bound is written before "completed"; one more fails it at its slot. The window takes
// nothing from the pace.
TEST(LibrarianTransfers, ADumpSentAroundAnXrunGoesAgainUpToTheBound) {
    const int bound = MIDIMessageSender::kXrunResends;
    for (int xruns : {bound, bound + 1}) {
        RequestRig rig(kSounds);
        rig.plugin.xrunWindowMillis = 40;
        fill(rig, kSounds, testsupport::soundDumps(3, "Snd", "Lead"));
        int lastSent = 0;
        rig.plugin.output.setListener([&](const Bytes& m) {
            if (m.size() == 393 && m[6] == 2 && ++lastSent <= xruns) rig.plugin.tellXrun();
        });
        ASSERT_TRUE(storeAll(rig, 0, 0));
        const auto sent = rig.plugin.output.messages();
        ASSERT_EQ(sent.size(), 1 + 2 + size_t(bound) + 1) << xruns;
        for (size_t k = 4; k < sent.size(); ++k) {
            EXPECT_EQ(sent[k].bytes, sent[3].bytes);
            EXPECT_EQ(sent[k].nanos - sent[k - 1].nanos, int64_t(k - 2) * 500 * kMs);
        }
        EXPECT_EQ(sent[3].nanos - sent[2].nanos, 500 * kMs);
        EXPECT_EQ(rig.plugin.upperTexts().back(),
                  xruns == bound ? "Data write completed!" : "Data write FAILED at slot 3!");
    }
}

// A steady source of xruns leaves a clear stretch right after each notice: the copy leaves
// there, once the notice that came while it waited can no longer mark it as lost.
TEST(LibrarianTransfers, ADumpGoesAgainRightAfterTheNextNoticeHasPassed) {
    RequestRig rig(kSounds);
    rig.plugin.xrunWindowMillis = 40;
    fill(rig, kSounds, testsupport::soundDumps(1, "Snd", "Lead"));
    std::atomic<int64_t> first{0};
    rig.plugin.output.setListener([&](const Bytes& m) {
        if (m.size() == 393 && first == 0) {
            first = platform::NowNanos();
            rig.plugin.tellXrun();
        }
    });
    bool told = false;
    rig.onSleep = [&](int) {
        if (first != 0 && !told && platform::NowNanos() >= first + 560 * kMs) {
            told = true;
            rig.plugin.tellXrun();
        }
    };
    ASSERT_TRUE(storeAll(rig, 0, 0));
    const auto sent = rig.plugin.output.messages();
    ASSERT_EQ(sent.size(), 1 + 2u);
    EXPECT_GT(sent[2].nanos - first, (560 + 40) * kMs);
    EXPECT_LT(sent[2].nanos - first, 1000 * kMs);
    EXPECT_EQ(rig.plugin.upperTexts().back(), "Data write completed!");
}

// A server that stands still (stopped, a machine that swaps) takes nothing, in real time
// whatever the test's clock: what a store queued meanwhile goes once it runs again, and once.
TEST(LibrarianTransfers, AStoreAcrossAServerThatStoodStillSendsEachDumpOnce) {
    RequestRig rig(kSounds);
    rig.plugin.xrunWindowMillis = 40;
    rig.plugin.serverStill = true;
    fill(rig, kSounds, testsupport::soundDumps(3, "Snd", "Lead"));
    const auto runsAgain = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
    rig.onSleep = [&](int) {
        if (std::chrono::steady_clock::now() < runsAgain)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        else
            rig.plugin.serverStill = false;
    };
    ASSERT_TRUE(storeAll(rig, 0, 0));
    EXPECT_EQ(rig.plugin.output.count(), 1 + 3u);
    EXPECT_EQ(rig.plugin.upperTexts().back(), "Data write completed!");
}

// JACK tells once of a client late for several cycles, as it falls late: an xrun told right
// before a dump sends it again, one told a window and more before does not. A part's dump goes
// again as a store's does; a request never goes twice, as its answer would come twice.
TEST(LibrarianTransfers, AnXrunJustBeforeADumpSendsItAgainARequestNeverGoesTwice) {
    RequestRig rig(kSounds);
    rig.plugin.xrunWindowMillis = 40;
    fill(rig, kSounds, testsupport::soundDumps(2, "Snd", "Lead"));
    // As the notes-off goes, 50 ms before the first dump; as the first dump's pace ends.
    rig.plugin.output.setListener([&](const Bytes& m) {
        if (m[0] == 0xB0) rig.plugin.tellXrun();
    });
    rig.onSleep = [&](int sleep) {
        if (sleep == 2) rig.plugin.tellXrun();
    };
    ASSERT_TRUE(storeAll(rig, 0, 0));
    std::vector<int> slots;
    for (const Bytes& m : rig.plugin.output.bytes())
        if (m.size() == 393) slots.push_back(m[6]);
    EXPECT_EQ(slots, (std::vector<int>{0, 1, 1}));

    rig.onSleep = nullptr;
    rig.plugin.output.clear();
    rig.plugin.output.setListener([&](const Bytes& m) {
        rig.plugin.tellXrun();
        rig.synth.receive(m);
    });
    // The tempo after the sound goes again with it.
    ASSERT_TRUE(rig.run(SenderJob::kSendPartToDevice, [](SenderJob& j) { j.part = 0; }));
    const auto part = rig.plugin.output.bytes();
    ASSERT_EQ(part.size(), 2 * size_t(MIDIMessageSender::kXrunResends + 1));
    for (size_t k = 0; k < part.size(); ++k)
        EXPECT_EQ(part[k][4], k % 2 ? 0x21 : 0x10) << k;
    rig.plugin.output.clear();
    ASSERT_TRUE(rig.run(SenderJob::kSendPartRequestSysex, [](SenderJob& j) { j.part = 0; }));
    EXPECT_EQ(rig.plugin.output.count(), 1u);
}

TEST(LibrarianTransfers, ShortDumpsArePaddedLongOnesSentAsStoredAndHostileOnesNotAtAll) {
    Bytes shortMulti = testsupport::multiDumps(1, "Short")[0];
    shortMulti.erase(shortMulti.end() - 2); // 392 bytes: no checksum byte
    Bytes longMulti(10000, 0x22);
    longMulti[0] = 0xF0;
    longMulti[1] = 0x3E;
    longMulti.back() = 0xF7;
    for (const Bytes& hostile : {Bytes{}, Bytes{0xF0, 0x3E, 0x0F}, Bytes(393, 0x41)}) {
        RequestRig rig(kMultis);
        fill(rig, kMultis, {shortMulti, longMulti, hostile, shortMulti});
        ASSERT_TRUE(storeAll(rig, 0, 0));
        const auto sent = rig.plugin.output.bytes();
        ASSERT_EQ(sent.size(), 3u) << hostile.size();
        ASSERT_EQ(sent[1].size(), 393u);
        EXPECT_TRUE(hasValidChecksum(sent[1]));
        EXPECT_EQ(sent[1][392], 0xF7);
        EXPECT_EQ(sent[2].size(), 10000u);
        EXPECT_EQ(sent[2][6], 0x01);
        EXPECT_EQ(sent[2][9998], 0x22); // as stored: no checksum written

        // Sending one entry: nothing at all.
        RequestRig single(kMultis);
        ASSERT_TRUE(sendEntry(single, hostile, 1));
        EXPECT_EQ(single.plugin.output.count(), 0u);
        EXPECT_TRUE(single.plugin.calls().empty());
    }
}

TEST(LibrarianTransfers, ACancelStopsStoreAllAfterTheDumpInFlight) {
    RequestRig rig(kSounds);
    fill(rig, kSounds, testsupport::soundDumps(100, "Snd", "Lead"));
    rig.cancelAtSleep = 3; // the pause after the notes-off, then after each dump
    ASSERT_TRUE(storeAll(rig, 0, 0));
    EXPECT_EQ(rig.plugin.output.count(), 3u);
    EXPECT_EQ(rig.plugin.upperTexts(),
              (std::vector<std::string>{"Writing 0%, please wait..", "Data write CANCELLED!"}));
}

TEST(LibrarianTransfers, SendEntryLoadsAPaddedMultiThenSendsItWithTheParts) {
    for (int stored : {392, 393}) {
        RequestRig rig(kMultis);
        rig.plugin.lastProgram = 17;
        Bytes multi = testsupport::multiDumps(1, "Multi")[0];
        multi[391] = 0x55; // a stale checksum: kept at full length
        multi.resize(size_t(stored));
        multi.back() = 0xF7;
        ASSERT_TRUE(sendEntry(rig, multi, 3));
        const Bytes loaded = rig.plugin.internalInputs().at(0);
        ASSERT_EQ(loaded.size(), 393u);
        EXPECT_EQ(Bytes(loaded.begin() + 2, loaded.begin() + 7),
                  (Bytes{0x0F, 0x00, 0x11, 0x20, 0x00}));
        EXPECT_EQ(loaded[392], 0xF7);
        EXPECT_EQ(hasValidChecksum(loaded), stored == 392);
        EXPECT_EQ(rig.plugin.GetParamValue(kMultiPatch), 17.0);
        // Notes off, the multi's program change, the editor's multi.
        const auto sent = rig.plugin.output.bytes();
        ASSERT_GE(sent.size(), 3u);
        EXPECT_EQ(sent[0], kNotesOff);
        EXPECT_EQ(sent[1][0], 0xC0);
        EXPECT_EQ(slice(sent[2], 23, 5), slice(loaded, 23, 5));
    }
}

TEST(LibrarianTransfers, SendEntryInSoundModeFillsAndSendsTheGivenPart) {
    for (bool accepted : {true, false}) {
        RequestRig rig(kSounds);
        rig.plugin.lastProgram = 42;
        rig.plugin.bankChangeAccepted = accepted;
        Bytes sound = testsupport::soundDumps(1, "Part Five", "Bass")[0];
        sound[5] = 0x02;
        sound[6] = 0x17;
        ASSERT_TRUE(sendEntry(rig, sound, 5));
        EXPECT_EQ(slice(rig.plugin.internalInputs().at(0), 4, 3), (Bytes{0x10, 0x30, 0x05}));
        EXPECT_EQ(rig.plugin.getParamText(kPatchName + 5), "Part Five 1     ");
        EXPECT_EQ(rig.plugin.GetParamValue(kMultiPartPatch + 5), 42.0);
        // Notes off, program change, sound, tempo; nothing after a refused bank change.
        const auto sent = rig.plugin.output.bytes();
        ASSERT_EQ(sent.size(), accepted ? 4u : 1u);
        if (accepted) {
            EXPECT_EQ(slice(sent[2], 4, 3), (Bytes{0x10, 0x30, 0x05}));
        }
    }
}

TEST(LibrarianTransfers, SendEntryParsesA10000BytePatternAndSendsItToItsPart) {
    RequestRig rig(kPatterns);
    Bytes huge = testsupport::patternDumps(1, "Huge")[0];
    huge.resize(10000, 0x11);
    ASSERT_TRUE(sendEntry(rig, huge, 15));
    EXPECT_EQ(rig.plugin.getParamText(kPatternName + 15), "Huge 1          ");
    // Not the shown part: selected first, 50 ms before the dump.
    const auto sent = rig.plugin.output.messages();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1].bytes, (Bytes{0xF0, 0x3E, 0x0F, 0x00, 0x17, 0x00, 0x1F, 0xF7}));
    EXPECT_EQ(sent[2].bytes.size(), 545u);
    EXPECT_EQ(sent[2].nanos - sent[1].nanos, 50000000);
}

TEST(LibrarianTransfers, ABankWrittenToTheSynthesizerComesBackTheSame) {
    RequestRig rig(kSounds);
    std::vector<Bytes> bank = testsupport::soundDumps(100, "Round", "Trip");
    for (size_t k = 0; k < bank.size(); ++k) {
        bank[k][5] = 0x02;
        bank[k][6] = uint8_t(k);
        testsupport::setChecksum(&bank[k]);
    }
    fill(rig, kSounds, bank);
    ASSERT_TRUE(storeAll(rig, 0, 2));
    for (auto& entry : rig.banks[kSounds]->entries)
        entry = LibrarianPatch();
    ASSERT_TRUE(rig.run(SenderJob::kSendAllPatchRequestSysex, [](SenderJob& j) { j.bank = 2; }));
    for (size_t k = 0; k < bank.size(); ++k)
        ASSERT_EQ(rig.slot(kSounds, int(k)).dumps.at(0).bytes, bank[k]) << "slot " << k;
}
