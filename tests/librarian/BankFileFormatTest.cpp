#include "kit/effect/ByteChunk.h"
#include "src/librarian/BankFile.h"
#include "src/librarian/PatchLibrarian.h"
#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

using namespace testsupport;

namespace {
// The first 53 bytes of a MIDI bank file of 100 sounds or multis, and of 100 patterns.
const std::vector<uint8_t> kSoundHeader = {
    0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x02, 0x01, 0xE0,
    0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x13, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02,
    0x18, 0x08, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00, 0x4D,
    0x54, 0x72, 0x6B, 0x00, 0x00, 0x9B, 0x17, 0x00, 0xF0, 0x83, 0x08};

std::vector<uint8_t> patternHeader() {
    std::vector<uint8_t> h = kSoundHeader;
    h[47] = 0xD6;
    h[48] = 0x77;
    h[51] = 0x84;
    h[52] = 0x20;
    return h;
}

PatchFile bankOf(const std::vector<Dump>& dumps) {
    PatchFile bank;
    for (const Dump& d : dumps) {
        LibrarianPatch e;
        e.dumps.emplace_back(d);
        bank.entries.push_back(e);
    }
    return bank;
}

std::vector<uint8_t> image(const PatchFile& bank, bool asMidi) {
    ByteChunk c;
    BankFile::buildImage(bank, asMidi, &c);
    return std::vector<uint8_t>(c.GetData(), c.GetData() + c.Size());
}

std::vector<uint8_t> slice(const std::vector<uint8_t>& v, size_t at, size_t n) {
    return std::vector<uint8_t>(v.begin() + long(at), v.begin() + long(at + n));
}
} // namespace

TEST(BankFileFormat, FullBanksHaveTheirFixedLayouts) {
    const std::vector<Dump> sounds = soundDumps(100, "S", "Bass");
    const std::vector<uint8_t> raw = image(bankOf(sounds), false);
    ASSERT_EQ(raw.size(), 39300u);
    EXPECT_EQ(slice(raw, 393 * 57, 393), sounds[57]);

    const std::vector<uint8_t> midiSounds = image(bankOf(sounds), true);
    ASSERT_EQ(midiSounds.size(), 39752u);
    EXPECT_EQ(slice(midiSounds, 0, 53), kSoundHeader);
    EXPECT_EQ(slice(midiSounds, 53, 392), slice(sounds[0], 1, 392));
    EXPECT_EQ(slice(midiSounds, 445, 5), (std::vector<uint8_t>{0x83, 0x74, 0xF0, 0x83, 0x08}));
    EXPECT_EQ(slice(image(bankOf(multiDumps(100, "M")), true), 0, 53), kSoundHeader);

    const std::vector<Dump> patterns = patternDumps(100, "P");
    EXPECT_EQ(image(bankOf(patterns), false).size(), 54500u);
    const std::vector<uint8_t> midi = image(bankOf(patterns), true);
    ASSERT_EQ(midi.size(), 54952u);
    EXPECT_EQ(slice(midi, 0, 53), patternHeader());
    EXPECT_EQ(midi[50], 0xF0);
    EXPECT_EQ(slice(midi, 597, 5), (std::vector<uint8_t>{0x83, 0x74, 0xF0, 0x84, 0x20}));
    EXPECT_EQ(slice(midi, midi.size() - 4, 4), (std::vector<uint8_t>{0x00, 0xFF, 0x2F, 0x00}));
}

TEST(BankFileFormat, MidiLengthsFollowTheDumpsHeld) {
    Dump longSound = soundDump(DumpModel::Q, "Long", "Pad ", 1);
    longSound.insert(longSound.end() - 2, 200, 0x01); // 593 bytes: the event length needs 2 bytes
    setChecksum(&longSound);
    PatchFile bank = bankOf({soundDump(DumpModel::Q, "unused", "Pad ", 2), longSound});
    bank.entries[0].dumps.clear(); // an empty first slot
    bank.entries[1].dumps.push_back(
        PatchSysexMessage(soundDump(DumpModel::Q, "Second", "Pad ", 3)));
    const std::vector<uint8_t> midi = image(bank, true);
    ASSERT_EQ(midi.size(), 45u + 4 + 2 + 2 + 592 + 5 + 392 + 4);
    EXPECT_EQ(slice(midi, 45, 4), (std::vector<uint8_t>{0, 0, 0x03, 0xE5})); // 997 bytes
    EXPECT_EQ(slice(midi, 49, 4), (std::vector<uint8_t>{0x00, 0xF0, 0x84, 0x50}));
    EXPECT_EQ(slice(midi, 645, 5), (std::vector<uint8_t>{0x83, 0x74, 0xF0, 0x83, 0x08}));

    const PatchFile back = readBank(midi);
    EXPECT_EQ(back.entries[0].dumps[0].bytes, bank.entries[1].dumps[0].bytes);
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
            const std::vector<uint8_t> written = image(first, asMidi);
            const PatchFile second = readBank(written);
            EXPECT_EQ(image(second, asMidi), written);
            for (size_t i = 0; i < 100; ++i) {
                EXPECT_EQ(second.entries[i].name, first.entries[i].name);
                EXPECT_EQ(second.entries[i].category, first.entries[i].category);
            }
        }
    }
}

TEST(BankFileFormat, AFailedWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
    TempFolder folder;
    const std::string path = folder.path() + "/Bank.syx";
    const std::vector<uint8_t> old = rawBankFile(soundDumps(100, "Old", "Bass"));
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
    EXPECT_FALSE(BankFile::write(folder.path() + "/missing/Bank.syx", big, &error));
    EXPECT_TRUE(BankFile::write(path, big, &error));
    EXPECT_EQ(readFile(path).size(), 200000u);
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(folder.path()))
        files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}
