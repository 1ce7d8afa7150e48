#include "src/librarian/BankFile.h"
#include "kit/effect/ByteChunk.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

using namespace testsupport;
using Bytes = std::vector<uint8_t>;

namespace {
// The first 53 bytes of a MIDI bank file of 100 sounds or multis.
const Bytes kSoundHeader = {0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00,
                            0x02, 0x01, 0xE0, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x13,
                            0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x51,
                            0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00, 0x4D, 0x54, 0x72,
                            0x6B, 0x00, 0x00, 0x9B, 0x17, 0x00, 0xF0, 0x83, 0x08};

Bytes image(const PatchFile& bank, bool asMidi) {
    ByteChunk c;
    BankFile::buildImage(bank, asMidi, &c);
    return Bytes(c.GetData(), c.GetData() + c.Size());
}

Bytes slice(const Bytes& v, size_t at, size_t n) {
    return Bytes(v.begin() + long(at), v.begin() + long(at + n));
}

// What the reader makes of a Q dump read into `slot`: header rebuilt, checksum recomputed.
Dump asRead(Dump d, int slot) {
    d[3] = 0;
    d[5] = uint8_t(slot);
    setChecksum(&d);
    return d;
}

// Reads the bytes of bank files; the librarian keeps the category names over several reads.
struct Reader {
    LibrarianTestHost host;
    PatchLibrarian lib{host};
    PatchFile read(const Bytes& bytes) {
        ByteChunk chunk;
        chunk.PutBytes(bytes.data(), int(bytes.size()));
        PatchFile bank;
        lib.loadFromChunk(chunk, &bank);
        return bank;
    }
};

PatchFile readBank(const Bytes& bytes) {
    return Reader().read(bytes);
}

// A sound dump whose data bytes are all 0 but the name, the category and the given bytes.
Dump handMade(DumpModel model, std::initializer_list<std::pair<int, uint8_t>> bytes,
              const std::string& category = "Keys") {
    Dump d = soundDump(model, "Hand Made", category, 0);
    std::fill(d.begin() + 6, d.begin() + 370, 0);
    for (auto [at, v] : bytes)
        d[size_t(at)] = v;
    setChecksum(&d);
    return d;
}

PatchSysexMessage readBack(const Dump& d) {
    return readBank(d).entries.at(0).dumps.at(0);
}
} // namespace

TEST(BankFileFormat, FullBanksHaveTheirFixedLayouts) {
    const std::vector<Dump> sounds = soundDumps(100, "S", "Bass");
    const Bytes raw = image(*bankOf(sounds), false);
    ASSERT_EQ(raw.size(), 39300u);
    EXPECT_EQ(slice(raw, 393 * 57, 393), sounds[57]);

    const Bytes midi = image(*bankOf(sounds), true);
    ASSERT_EQ(midi.size(), 39752u);
    EXPECT_EQ(slice(midi, 0, 53), kSoundHeader);
    EXPECT_EQ(slice(midi, 53, 392), slice(sounds[0], 1, 392));
    EXPECT_EQ(slice(midi, 445, 5), (Bytes{0x83, 0x74, 0xF0, 0x83, 0x08}));
    EXPECT_EQ(slice(midi, midi.size() - 4, 4), (Bytes{0x00, 0xFF, 0x2F, 0x00}));
}

TEST(BankFileFormat, MidiLengthsFollowTheDumpsHeld) {
    Dump longSound = soundDump(DumpModel::Q, "Long", "Pad ", 1);
    longSound.insert(longSound.end() - 2, 200, 0x01); // 593 bytes: the event length needs 2 bytes
    setChecksum(&longSound);
    auto bank = bankOf({soundDump(DumpModel::Q, "unused", "Pad ", 2), longSound});
    bank->entries[0].dumps.clear(); // an empty first slot
    bank->entries[1].dumps.emplace_back(soundDump(DumpModel::Q, "Second", "Pad ", 3));
    const Bytes midi = image(*bank, true);
    ASSERT_EQ(midi.size(), 45u + 4 + 2 + 2 + 592 + 5 + 392 + 4);
    EXPECT_EQ(slice(midi, 45, 4), (Bytes{0, 0, 0x03, 0xE5})); // 997 bytes
    EXPECT_EQ(slice(midi, 49, 4), (Bytes{0x00, 0xF0, 0x84, 0x50}));
    EXPECT_EQ(slice(midi, 645, 5), (Bytes{0x83, 0x74, 0xF0, 0x83, 0x08}));

    const PatchFile back = readBank(midi);
    EXPECT_EQ(back.entries[0].dumps[0].bytes, bank->entries[1].dumps[0].bytes);
    EXPECT_EQ(back.entries[1].name, "Second          ");
}

TEST(BankFileFormat, WrittenBanksReadBackByteForByte) {
    for (bool asMidi : {false, true}) {
        for (const std::vector<Dump>& dumps :
             {soundDumps(100, "Q", "Bass"), soundDumps(100, "uQ", "Lead", DumpModel::MicroQ),
              soundDumps(100, "Blo", "3", DumpModel::Blofeld), multiDumps(100, "Multi"),
              patternDumps(100, "Pattern")}) {
            const PatchFile first = readBank(asMidi ? midiBankFile(dumps) : rawBankFile(dumps));
            ASSERT_EQ(first.entries.size(), 100u);
            const Bytes written = image(first, asMidi);
            EXPECT_EQ(image(readBank(written), asMidi), written);
        }
    }
}

TEST(BankFileFormat, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    TempFolder folder;
    const std::string path = folder.path() + "/Bank.syx";
    const Bytes old = rawBankFile(soundDumps(100, "Old", "Bass"));
    writeFile(path, old);
    ByteChunk big;
    big.Resize(200000);
    std::string error;

    // The file size limit makes the write fail half way.
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 50000;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool written = BankFile::write(path, big, &error);
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readFile(path), old);
    EXPECT_TRUE(BankFile::write(path, big, &error));
    EXPECT_EQ(readFile(path).size(), 200000u);
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(folder.path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST(BankReading, DumpsAreRenumberedInFileOrderWrappingAbove99ForQFilesAndAbove127Otherwise) {
    std::vector<Dump> dumps;
    for (int i = 0; i < 102; ++i)
        dumps.push_back(
            soundDump(DumpModel::Q, "Sound " + std::to_string(i), "Bass", uint32_t(i), 0x7F, 77));
    Reader r;
    const PatchFile bank = r.read(rawBankFile(dumps));
    ASSERT_EQ(bank.entries.size(), 102u);
    EXPECT_EQ(bank.bankType, PatchFile::kSoundBank);
    for (int i = 0; i < 102; ++i) {
        const LibrarianPatch& e = bank.entries[size_t(i)];
        ASSERT_EQ(e.dumps.size(), 1u);
        EXPECT_EQ(e.dumps[0].bytes, asRead(dumps[size_t(i)], i % 100)) << i;
        EXPECT_EQ(e.category, "Bass");
        EXPECT_EQ(e.kind, LibrarianPatch::kSoundKind);
    }
    EXPECT_EQ(bank.entries[42].name, "Sound 42        ");

    const PatchFile blofeld = r.read(rawBankFile(soundDumps(130, "B", "1", DumpModel::Blofeld)));
    ASSERT_EQ(blofeld.entries.size(), 130u);
    EXPECT_EQ(blofeld.entries[127].dumps[0].bytes[5], 127);
    EXPECT_EQ(blofeld.entries[128].dumps[0].bytes[5], 0);
    EXPECT_EQ(r.read(midiBankFile(soundDumps(101, "M", "Lead"))).entries[100].dumps[0].bytes[5], 0);
}

TEST(BankReading, MidiFilesAreReadByTheirEventsOrScannedWhenTheirLengthsDoNotFit) {
    std::vector<Dump> dumps = soundDumps(40, "Midi", "Arp ");
    MidiFileStyle noisy;
    noisy.noise = true;
    noisy.twoSysexTracks = true;
    noisy.delta = 20000;
    for (const PatchFile& bank :
         {readBank(midiBankFile(dumps)), readBank(midiBankFile(dumps, noisy))}) {
        ASSERT_EQ(bank.entries.size(), 100u);
        for (int i = 0; i < 40; ++i)
            EXPECT_EQ(bank.entries[size_t(i)].dumps[0].bytes, asRead(dumps[size_t(i)], i)) << i;
    }
    EXPECT_EQ(readBank(midiBankFile(multiDumps(3, "Multi"))).entries[2].name, "Multi 3         ");

    // Lengths of a full bank of nominal dumps around dumps of other lengths.
    dumps.resize(3);
    for (Dump& d : dumps) {
        d.insert(d.end() - 2, {1, 2, 3, 4, 5, 6, 7});
        setChecksum(&d);
    }
    Bytes file = midiBankFile(dumps);
    for (size_t i = 0; i + 2 < file.size(); ++i)
        if (file[i] == 0xF0 && file[i + 1] == 0x83 && file[i + 2] == 0x0F) file[i + 2] = 0x08;
    const PatchFile scanned = readBank(file);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(scanned.entries[size_t(i)].dumps[0].bytes, asRead(dumps[size_t(i)], i));
    Bytes huge = midiBankFile(dumps);
    huge[18] = huge[19] = 0xFF; // the tempo track's length
    EXPECT_EQ(readBank(huge).entries[0].dumps[0].bytes, asRead(dumps[0], 0));
}

TEST(BankReading, DumpsWithABadHeaderAreSkippedAndHostileBytesGiveNoEntries) {
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
    const PatchFile bank = readBank(rawBankFile({a, badDevice, global, badModel, badLocation, b}));
    ASSERT_EQ(bank.entries.size(), 100u); // completed
    EXPECT_EQ(bank.entries[0].dumps[0].bytes, asRead(a, 0));
    // Every call moves the slot on once the bank holds an entry, skipped dumps included.
    EXPECT_GT(bank.entries[1].dumps[0].bytes[5], 1);
    EXPECT_EQ(bank.entries[1].dumps[0].bytes, asRead(b, bank.entries[1].dumps[0].bytes[5]));
    EXPECT_EQ(bank.entries[2].name, "Init         003");
    // In a MIDI file an event of another maker takes no slot number; a refused dump takes one.
    const Dump c = soundDump(DumpModel::Q, "C", "Pad ", 7);
    const PatchFile midi =
        readBank(midiBankFile({a, {0xF0, 0x41, 0x10, 0x42, 0xF7}, b, global, c}));
    EXPECT_EQ(midi.entries[1].dumps[0].bytes, asRead(b, 1));
    EXPECT_EQ(midi.entries[2].dumps[0].bytes, asRead(c, 3));

    Reader r;
    EXPECT_TRUE(r.read(Bytes(14, 0x3E)).entries.empty());
    const Bytes headerOnly = {'M',  'T', 'h', 'd', 0,   0,    0,    6,    0,    1,    0,    1,   0,
                              0x60, 'M', 'T', 'r', 'k', 0x7F, 0xFF, 0xFF, 0xFF, 0x00, 0xF0, 0xFF};
    EXPECT_TRUE(r.read(headerOnly).entries.empty());
    // A header at the very end of the data.
    EXPECT_TRUE(
        r.read({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3E, 0x0F, 0x00, 0x10}).entries.empty());
    EXPECT_TRUE(r.lib.categoryNames.empty());
}

TEST(BankReading, ShortAndCutDumpsArePaddedToFullLengthWithOneClosingF7) {
    const Dump whole = soundDump(DumpModel::Q, "whole", "Keys", 7);
    const Dump cut(whole.begin(), whole.begin() + 200); // no F7: the next dump's F0 ends it
    Dump dump392 = soundDump(DumpModel::Q, "short", "Keys", 8);
    dump392.erase(dump392.begin() + 391); // 392 bytes ending in F7
    const Dump longPattern = patternDump("pattern", 9);
    const Dump truncatedPattern(longPattern.begin(), longPattern.begin() + 300);
    const auto endsInOneF7 = [](const Bytes& d) {
        return d.back() == 0xF7 && std::count(d.begin(), d.end(), 0xF7) == 1;
    };
    const PatchFile sounds = readBank(rawBankFile({cut, whole, dump392}));
    for (int i = 0; i < 3; ++i) {
        const Bytes& d = sounds.entries[size_t(i)].dumps[0].bytes;
        ASSERT_EQ(d.size(), 393u) << i;
        EXPECT_TRUE(endsInOneF7(d)) << i;
        EXPECT_TRUE(hasValidChecksum(d)) << i;
    }
    EXPECT_EQ(sounds.entries[1].dumps[0].bytes, asRead(whole, 1));
    EXPECT_EQ(sounds.entries[0].dumps[0].bytes[200], 0);

    const PatchFile patterns = readBank(rawBankFile({longPattern, truncatedPattern}));
    ASSERT_EQ(patterns.entries.size(), 2u); // pattern banks are not completed here
    EXPECT_EQ(patterns.entries[0].dumps[0].bytes, asRead(longPattern, 0));
    EXPECT_EQ(patterns.entries[1].dumps[0].size(), 544);
    EXPECT_TRUE(endsInOneF7(patterns.entries[1].dumps[0].bytes));
}

TEST(BankReading, ShortBanksAreCompletedByKindAndCategoriesCollectedOnce) {
    std::vector<Dump> sounds;
    for (const char* c : {"Bass", "BASS", "Lead", "init"})
        sounds.push_back(soundDump(DumpModel::Q, c, c, 1));
    for (int i = 0; i < 56; ++i)
        sounds.push_back(soundDump(DumpModel::Q, "x", "Lead", uint32_t(i)));
    Reader r;
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

TEST(Conversion, MicroQAndBlofeldValuesAreMappedIntoTheQLayout) {
    // The microQ's region from 254 on moves one position up; the Blofeld's values are first
    // clamped into the microQ's ranges.
    struct Case {
        DumpModel model;
        int at;
        uint8_t value;
        int readAt;
        uint8_t expected;
    };
    const DumpModel uQ = DumpModel::MicroQ, blo = DumpModel::Blofeld;
    const Case cases[] = {
        {uQ, 13, 5, 13, 8},      {uQ, 13, 4, 13, 4},       {uQ, 29, 126, 29, 1},
        {uQ, 15, 3, 15, 2},      {uQ, 47, 0, 47, 0},       {uQ, 124, 0, 124, 127},
        {uQ, 124, 5, 124, 5},    {uQ, 135, 4, 135, 5},     {uQ, 135, 3, 135, 3},
        {uQ, 151, 9, 151, 32},   {uQ, 151, 3, 151, 3},     {uQ, 151, 7, 151, 4},
        {uQ, 151, 10, 151, 33},  {uQ, 151, 11, 151, 12},   {uQ, 252, 36, 253, 48},
        {uQ, 252, 37, 253, 0},   {uQ, 252, 30, 252, 30},   {uQ, 253, 31, 254, 43},
        {uQ, 269, 10, 270, 11},  {uQ, 314, 127, 315, 127}, {uQ, 300, 99, 301, 99},
        {uQ, 380, 55, 381, 55},  {blo, 15, 7, 15, 0},      {blo, 31, 6, 31, 6},
        {blo, 17, 17, 17, 0},    {blo, 17, 10, 17, 0},     {blo, 130, 15, 130, 12},
        {blo, 289, 16, 289, 11}, {blo, 268, 13, 268, 13},  {blo, 252, 24, 252, 0},
        {blo, 313, 23, 313, 23}, {blo, 269, 31, 269, 0},   {blo, 290, 30, 290, 30},
        {blo, 293, 54, 293, 0},  {blo, 314, 53, 314, 53},  {blo, 21, 9, 21, 0},
        {blo, 109, 1, 109, 0},   {blo, 84, 18, 84, 1},     {blo, 104, 17, 104, 17},
        {blo, 151, 6, 151, 7},
    };
    for (const Case& c : cases) {
        PatchSysexMessage m(handMade(c.model, {{c.at, c.value}}, c.model == uQ ? "Keys" : "0"));
        if (c.model == uQ)
            PatchLibrarian::alterPatchFromMicroQFormat(&m);
        else
            PatchLibrarian::alterPatchFromBlofeldFormat(&m);
        ASSERT_EQ(m.size(), c.model == uQ ? 393 : 392);
        EXPECT_EQ(m.bytes[size_t(c.readAt)], c.expected) << c.at << " = " << int(c.value);
    }

    const PatchSysexMessage read = readBack(handMade(uQ, {{200, 17}}));
    ASSERT_EQ(read.size(), 393);
    EXPECT_EQ(read.text(371, 16), "Hand Made       ");
    EXPECT_EQ(read.text(387, 4), "Keys");
    EXPECT_EQ(read.bytes[2], 0x0F);
    EXPECT_EQ(read.bytes[200], 17);
    EXPECT_TRUE(hasValidChecksum(read.bytes));
}

TEST(Conversion, BlofeldCategoryNumberAtPosition386BecomesTheBlankPaddedCategoryText) {
    const PatchSysexMessage fx =
        readBack(handMade(DumpModel::Blofeld, {{388, 0x11}, {389, 0x22}}, "5"));
    ASSERT_EQ(fx.size(), 393);
    EXPECT_EQ(fx.text(387, 4), "FX  ");
    EXPECT_EQ(fx.text(371, 16), "Hand Made       ");
    EXPECT_EQ(fx.bytes[392], 0xF7);

    // Every number from the generator, zeros after it, in a bank with Q sounds of the same
    // categories: one category each, Blofeld and Q sounds in the same category banks.
    const char* const texts[] = {"Init", "Arp ", "Atmo", "Bass", "Drum", "FX  ", "Keys",
                                 "Lead", "Mono", "Pad ", "Perc", "Poly", "Seq ", "Init"};
    std::vector<Dump> dumps;
    for (int n = 0; n < 14; ++n) {
        dumps.push_back(soundDump(DumpModel::Blofeld, "B", std::to_string(n), uint32_t(n)));
        dumps.push_back(soundDump(DumpModel::Q, "Q", texts[n], uint32_t(n)));
    }
    Reader r;
    auto bank = std::make_unique<PatchFile>(r.read(rawBankFile(dumps)));
    for (int n = 0; n < 14; ++n)
        EXPECT_EQ(bank->entries[size_t(2 * n)].dumps[0].text(387, 4), texts[n]) << n;
    EXPECT_EQ(r.lib.categoryNames.size(), 13u + 1) << "the completing sounds' own category";
    r.lib.soundBanks.push_back(bank.get());
    r.lib.createNewCategoryPatchFiles();
    std::vector<std::string> sizes, expected;
    for (const PatchFile* c : r.lib.categoryBanks)
        sizes.push_back(c->fileName + ":" + std::to_string(c->entries.size()));
    for (int n = 1; n < 13; ++n)
        expected.push_back(texts[n] + std::string(" 1:2"));
    expected.push_back(" 1:72"); // the completing sounds, whose category is four zero bytes
    EXPECT_EQ(sizes, expected);
}

TEST(BankCompletion, FillersAreTheInitDumpOfTheBanksKindWithItsKindCode) {
    Dump initPattern = {0xF0, 0x3E, 0x0F, 0x00, 0x13, 0x00, 0x00, 0x00,
                        0x0F, 0x00, 0x3C, 0x00, 0x13, 0x00, 0x00};
    for (char ch : std::string("INIT Sequence   "))
        initPattern.push_back(uint8_t(ch));
    for (int step = 0; step < 32; ++step)
        initPattern.insert(initPattern.end(),
                           {0x40, 0x64, 0x40, 0x40, 0x05, 0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    initPattern.insert(initPattern.end(), {0x00, 0xF7});
    ASSERT_EQ(initPattern.size(), 545u);

    Dump global = multiDump("global", 1);
    global[4] = 0x14;
    const struct {
        Dump first;
        int kind;
        const char* name;
    } cases[] = {
        {patternDump("P", 1), LibrarianPatch::kPatternKind, "INIT Sequence   "},
        {multiDump("M", 1), LibrarianPatch::kMultiKind, "Sequencer Multi "},
        {global, LibrarianPatch::kMultiKind, "Sequencer Multi "},
        {soundDump(DumpModel::Q, "S", "Bass", 1), LibrarianPatch::kSoundKind, "Init Sound 3.0  "},
    };
    for (const auto& c : cases) {
        auto bank = bankOf({c.first, c.first});
        PatchLibrarian::fillUncompletedBankFiles(bank.get());
        ASSERT_EQ(bank->entries.size(), 100u);
        const LibrarianPatch& last = bank->entries[99];
        EXPECT_EQ(last.kind, c.kind) << c.name;
        EXPECT_EQ(last.name, c.name);
        EXPECT_EQ(last.category, c.kind == LibrarianPatch::kSoundKind ? "Init" : "");
    }
    auto patterns = bankOf({patternDump("P", 1)});
    PatchLibrarian::fillUncompletedBankFiles(patterns.get());
    EXPECT_EQ(patterns->entries[99].dumps.at(0).bytes, initPattern);
}
