#include "kit/effect/ByteChunk.h"
#include "src/librarian/PatchLibrarian.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testsupport;

namespace {
struct Reader {
    LibrarianTestHost host;
    PatchLibrarian lib{host};

    PatchFile read(const std::vector<uint8_t>& bytes) { return readBank(lib, bytes); }
};

// What the reader makes of a Q dump read into `slot`: header rebuilt, checksum recomputed.
Dump asRead(Dump d, int slot) {
    d[3] = 0;
    d[5] = uint8_t(slot);
    setChecksum(&d);
    return d;
}

int countF7(const std::vector<uint8_t>& d) {
    return int(std::count(d.begin(), d.end(), 0xF7));
}
} // namespace

TEST(BankReading, RawQBankGivesOneEntryPerDumpRenumberedInFileOrder) {
    std::vector<Dump> dumps;
    for (int i = 0; i < 100; ++i)
        dumps.push_back(
            soundDump(DumpModel::Q, "Sound " + std::to_string(i), "Bass", uint32_t(i), 0x7F, 77));
    Reader r;
    const PatchFile bank = r.read(rawBankFile(dumps));
    ASSERT_EQ(bank.entries.size(), 100u);
    EXPECT_EQ(bank.bankType, PatchFile::kSoundBank);
    for (int i = 0; i < 100; ++i) {
        const LibrarianPatch& e = bank.entries[size_t(i)];
        ASSERT_EQ(e.dumps.size(), 1u);
        EXPECT_EQ(e.dumps[0].bytes, asRead(dumps[size_t(i)], i)) << i;
        EXPECT_EQ(e.name, ("Sound " + std::to_string(i)) +
                              std::string(16 - 6 - std::to_string(i).size(), ' '));
        EXPECT_EQ(e.category, "Bass");
        EXPECT_EQ(e.kind, LibrarianPatch::kSoundKind);
    }
    EXPECT_EQ(r.lib.categoryNames, (std::vector<std::string>{"Init", "Bass"}));
}

TEST(BankReading, SlotNumbersWrapAbove99ForQFilesAndAbove127Otherwise) {
    Reader r;
    const PatchFile q = r.read(rawBankFile(soundDumps(102, "Q", "Lead")));
    EXPECT_EQ(q.entries[99].dumps[0].bytes[5], 99);
    EXPECT_EQ(q.entries[100].dumps[0].bytes[5], 0);
    const PatchFile blofeld = r.read(rawBankFile(soundDumps(130, "B", "1", DumpModel::Blofeld)));
    ASSERT_EQ(blofeld.entries.size(), 130u);
    EXPECT_EQ(blofeld.entries[127].dumps[0].bytes[5], 127);
    EXPECT_EQ(blofeld.entries[128].dumps[0].bytes[5], 0);
    const PatchFile midi = r.read(midiBankFile(soundDumps(101, "M", "Lead")));
    EXPECT_EQ(midi.entries[100].dumps[0].bytes[5], 0);
}

TEST(BankReading, DumpsWithABadHeaderAreSkippedAndTheScanGoesOn) {
    Dump badDevice = soundDump(DumpModel::Q, "bad device", "Pad ", 1);
    badDevice[3] = 0x80;
    Dump global = multiDump("global", 2);
    global[4] = 0x14;
    Dump badModel = soundDump(DumpModel::Q, "bad model", "Pad ", 3);
    badModel[2] = 0x11;
    Dump badLocation = soundDump(DumpModel::Q, "bad location", "Pad ", 4);
    badLocation[5] = 0x80;
    const Dump a = soundDump(DumpModel::Q, "A", "Pad ", 5);
    const Dump b = soundDump(DumpModel::Q, "B", "Pad ", 6);
    Reader r;
    const PatchFile bank = r.read(rawBankFile({a, badDevice, global, badModel, badLocation, b}));
    ASSERT_EQ(bank.entries.size(), 100u); // completed
    EXPECT_EQ(bank.entries[0].dumps[0].bytes, asRead(a, 0));
    // Every call moves the slot on once the bank holds an entry, skipped dumps included.
    EXPECT_GT(bank.entries[1].dumps[0].bytes[5], 1);
    EXPECT_EQ(bank.entries[1].dumps[0].bytes, asRead(b, bank.entries[1].dumps[0].bytes[5]));
    EXPECT_EQ(bank.entries[2].name, "Init         003");
}

TEST(BankReading, ShortAndCutDumpsArePaddedToFullLengthWithOneClosingF7) {
    const Dump whole = soundDump(DumpModel::Q, "whole", "Keys", 7);
    Dump cut(whole.begin(), whole.begin() + 200); // no F7: the next dump's F0 ends it
    Dump dump392 = soundDump(DumpModel::Q, "short", "Keys", 8);
    dump392.erase(dump392.begin() + 391); // 392 bytes ending in F7
    Dump longPattern = patternDump("pattern", 9);
    Dump truncatedPattern(longPattern.begin(), longPattern.begin() + 300);
    Reader r;
    const PatchFile sounds = r.read(rawBankFile({cut, whole, dump392}));
    ASSERT_GE(sounds.entries.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const std::vector<uint8_t>& d = sounds.entries[size_t(i)].dumps[0].bytes;
        ASSERT_EQ(d.size(), 393u) << i;
        EXPECT_EQ(d.back(), 0xF7) << i;
        EXPECT_EQ(countF7(d), 1) << i;
        Dump check = d;
        setChecksum(&check);
        EXPECT_EQ(check, d) << i;
    }
    EXPECT_EQ(sounds.entries[1].dumps[0].bytes, asRead(whole, 1));
    EXPECT_EQ(sounds.entries[0].dumps[0].bytes[199], whole[199]);
    EXPECT_EQ(sounds.entries[0].dumps[0].bytes[200], 0);

    const PatchFile patterns = r.read(rawBankFile({longPattern, truncatedPattern}));
    ASSERT_EQ(patterns.entries.size(), 2u); // pattern banks are not completed here
    EXPECT_EQ(patterns.entries[0].dumps[0].bytes, asRead(longPattern, 0));
    const std::vector<uint8_t>& t = patterns.entries[1].dumps[0].bytes;
    ASSERT_EQ(t.size(), 544u);
    EXPECT_EQ(t.back(), 0xF7);
    EXPECT_EQ(countF7(t), 1);
}

TEST(BankReading, MidiFilesAreReadByTheirEventsWhateverElseTheTracksHold) {
    std::vector<Dump> dumps = soundDumps(40, "Midi", "Arp ");
    const std::vector<Dump> multis = multiDumps(3, "Multi");
    Reader r;
    const PatchFile plain = r.read(midiBankFile(dumps));
    MidiFileStyle noisy;
    noisy.noise = true;
    noisy.twoSysexTracks = true;
    noisy.delta = 20000;
    const PatchFile busy = r.read(midiBankFile(dumps, noisy));
    ASSERT_EQ(plain.entries.size(), 100u);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(plain.entries[size_t(i)].dumps[0].bytes, asRead(dumps[size_t(i)], i)) << i;
        EXPECT_EQ(busy.entries[size_t(i)].dumps[0].bytes, asRead(dumps[size_t(i)], i)) << i;
    }
    EXPECT_EQ(r.read(midiBankFile(multis)).entries[2].name, "Multi 3         ");
}

TEST(BankReading, MidiFilesWhoseLengthsDoNotFitAreScannedForTheirDumps) {
    // Lengths of a full bank of nominal dumps around dumps of other lengths.
    std::vector<Dump> dumps = soundDumps(3, "Long", "Bass");
    for (Dump& d : dumps) {
        d.insert(d.end() - 2, {1, 2, 3, 4, 5, 6, 7});
        setChecksum(&d);
    }
    std::vector<uint8_t> file = midiBankFile(dumps);
    for (size_t i = 0; i + 2 < file.size(); ++i)
        if (file[i] == 0xF0 && file[i + 1] == 0x83 && file[i + 2] == 0x0F) file[i + 2] = 0x08;
    Reader r;
    const PatchFile bank = r.read(file);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bank.entries[size_t(i)].dumps[0].bytes, asRead(dumps[size_t(i)], i));

    std::vector<uint8_t> huge = midiBankFile(dumps);
    huge[18] = huge[19] = 0xFF; // the tempo track's length
    EXPECT_EQ(r.read(huge).entries[0].dumps[0].bytes, asRead(dumps[0], 0));
}

TEST(BankReading, HostileBytesGiveNoEntriesRatherThanACrash) {
    Reader r;
    EXPECT_TRUE(r.read(std::vector<uint8_t>(14, 0x3E)).entries.empty());
    EXPECT_TRUE(r.lib.categoryNames.empty());
    std::vector<uint8_t> headerOnly = {'M',  'T',  'h',  'd',  0,    0,    0,   6,   0,
                                       1,    0,    1,    0,    0x60, 'M',  'T', 'r', 'k',
                                       0x7F, 0xFF, 0xFF, 0xFF, 0x00, 0xF0, 0xFF};
    EXPECT_TRUE(r.read(headerOnly).entries.empty());
    // A header at the very end of the data.
    EXPECT_TRUE(
        r.read({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3E, 0x0F, 0x00, 0x10}).entries.empty());
    EXPECT_TRUE(r.lib.categoryNames.empty());
}

TEST(BankReading, ShortBanksAreCompletedByKindAndCategoriesCollectedOnce) {
    Reader r;
    std::vector<Dump> sounds;
    for (const char* c : {"Bass", "BASS", "Lead", "init"})
        sounds.push_back(soundDump(DumpModel::Q, c, c, 1));
    for (int i = 0; i < 56; ++i)
        sounds.push_back(soundDump(DumpModel::Q, "x", "Lead", uint32_t(i)));
    const PatchFile bank = r.read(rawBankFile(sounds));
    ASSERT_EQ(bank.entries.size(), 100u);
    EXPECT_EQ(bank.entries[60].name, "Init         061");
    EXPECT_EQ(bank.entries[99].name, "Init         100");
    EXPECT_EQ(bank.entries[99].category, std::string(4, '\0'));
    EXPECT_EQ(bank.entries[99].dumps[0].bytes[391], 0x7F);
    EXPECT_EQ(r.lib.categoryNames,
              (std::vector<std::string>{"Init", "Bass", "Lead", std::string(4, '\0')}));

    EXPECT_EQ(r.read(rawBankFile(multiDumps(99, "M"))).entries[99].name, "Sequencer Multi ");
    EXPECT_EQ(r.read(rawBankFile(patternDumps(3, "P"))).entries.size(), 3u);
    EXPECT_EQ(r.lib.categoryNames.back(), "");
    EXPECT_EQ(r.lib.categoryNames.size(), 5u);
}
