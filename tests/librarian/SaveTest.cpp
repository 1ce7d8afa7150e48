#include "src/librarian/PatchLibrarian.h"
#include "tests/librarian/LibrarianFolder.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {
struct Saving : LibrarianFolder {
    Saving() {
        put("User/Sounds.syx", rawBankFile(soundDumps(100, "Sound", "Bass")));
        put("Multis.mid", midiBankFile(multiDumps(100, "Multi")));
        put("Patterns.syx", rawBankFile(patternDumps(100, "Pattern")));
        load();
    }
};
} // namespace

TEST(SaveBanks, SaveAsWritesTheUpperBankAndRemembersItsName) {
    Saving s;
    s.host.answer = "";
    EXPECT_FALSE(s.lib.savePatchAs("Sounds.syx", s.patches + "/User", false));
    EXPECT_EQ(s.host.prompted,
              (std::vector<std::string>{"Sounds.syx", s.patches + "/User", "vub"}));
    EXPECT_EQ(s.host.remembered[LibrarianHost::kUpperSound][0], "");

    s.host.answer = s.patches + "/User/My.vub";
    EXPECT_TRUE(s.lib.savePatchAs("Sounds.syx", s.patches + "/User", false));
    const std::vector<uint8_t> raw = readFile(s.host.answer);
    ASSERT_EQ(raw.size(), 39300u);
    const std::vector<uint8_t>& last = s.lib.soundBanks[0]->entries[99].dumps[0].bytes;
    EXPECT_TRUE(std::equal(last.begin(), last.end(), raw.begin() + 99 * 393));
    EXPECT_EQ(s.host.remembered[LibrarianHost::kUpperSound][0], "My.vub");
    EXPECT_EQ(s.host.remembered[LibrarianHost::kUpperSound][1], "User");

    s.host.sequenceMode = true;
    s.lib.currentType = PatchFile::kPatternBank;
    s.host.answer = s.patches + "/Seq.mid";
    EXPECT_TRUE(s.lib.savePatchAs(nullptr, "", true));
    const std::vector<uint8_t> midi = readFile(s.host.answer);
    ASSERT_EQ(midi.size(), 54952u);
    EXPECT_EQ(midi[52], 0x20);
    EXPECT_EQ(s.host.remembered[LibrarianHost::kUpperPattern][0], "Seq.mid");
    EXPECT_EQ(s.host.remembered[LibrarianHost::kUpperSound][1], "Patches");
}

TEST(SaveBanks, SaveOverwritesInTheFormOfTheFileNameAndReloadsTheSame) {
    Saving s;
    s.lib.currentType = PatchFile::kMultiBank;
    s.host.multiMode = true;
    const std::string path = s.patches + "/Multis.mid";
    LibrarianPatch stored;
    Dump fromSynth = multiDump("Stored", 9);
    fromSynth[5] = 5; // as the reader numbers it
    setChecksum(&fromSynth);
    stored.dumps.emplace_back(fromSynth);
    s.lib.upperSlotIndex = 5;
    ASSERT_TRUE(s.lib.setSysexDatatoSelectedSlot(&stored));
    EXPECT_TRUE(s.lib.saveEditedPatch(path, "Multis.mid"));
    const std::vector<LibrarianPatch> saved = s.lib.multiBanks[0]->entries;
    s.lib.initBankFilesOnDiscard(s.patches);
    ASSERT_EQ(s.lib.multiBanks.size(), 1u);
    for (size_t i = 0; i < 100; ++i)
        EXPECT_EQ(s.lib.multiBanks[0]->entries[i].dumps[0].bytes, saved[i].dumps[0].bytes);
    EXPECT_EQ(s.lib.multiBanks[0]->entries[5].name, "Stored          ");

    s.lib.multiBanks[0]->entries.resize(60); // saved as if the rest were empty slots
    struct Case {
        const char* name;
        size_t size;
    };
    for (const Case& c :
         {Case{"Multis.mid", 49u + 4 + 392 + 59 * 397 + 4}, Case{"Multis.syx", 60u * 393},
          Case{"Multis", 60u * 393}, Case{"Multis.MID", 60u * 393}}) {
        EXPECT_TRUE(s.lib.saveEditedPatch(path, c.name));
        EXPECT_EQ(readFile(path).size(), c.size) << c.name;
        EXPECT_EQ(s.host.remembered[LibrarianHost::kUpperMulti][0], c.name);
    }
}

TEST(SaveBanks, AFailedSaveKeepsTheOldFileAndSaysSo) {
    Saving s;
    const std::string path = s.patches + "/User/Sounds.syx";
    const std::vector<uint8_t> old = readFile(path);
    fs::create_directories(s.patches + "/Blocked.syx/inside");
    EXPECT_FALSE(s.lib.saveEditedPatch(s.patches + "/Blocked.syx", "Blocked.syx"));
    s.host.answer = s.patches + "/Missing/New.vub";
    EXPECT_FALSE(s.lib.savePatchAs("x", "", false));
    s.lib.upperBankIndex = 5;
    EXPECT_FALSE(s.lib.saveEditedPatch(path, "Sounds.syx"));
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(s.host.displayed, (std::vector<std::string>(3, "BANK NOT SAVED!")));
    EXPECT_EQ(s.host.remembered[LibrarianHost::kUpperSound][0], "");
}
