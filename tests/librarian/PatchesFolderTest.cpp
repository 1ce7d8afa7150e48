#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace testsupport;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {
// A librarian over a data folder of its own, with a "Patches" folder and the debug log on.
struct PatchesFolder : ::testing::Test {
    TempFolder temp;
    LibrarianTestHost host;
    PatchLibrarian lib{host};
    std::string patches = temp.path() + "/Patches";
    std::string converted = temp.path() + "/Converted Banks";

    PatchesFolder() {
        host.data = temp.path() + "/";
        host.logPath = temp.path() + "/log.txt";
        writeFile(host.logPath, {});
        fs::create_directories(patches);
    }
    void put(const std::string& relative, const std::vector<uint8_t>& bytes) {
        fs::create_directories(fs::path(patches + "/" + relative).parent_path());
        writeFile(patches + "/" + relative, bytes);
    }
    void load() { lib.loadPatchesFromFilesystem(patches); }
    bool logged(const std::string& text) const {
        const std::vector<uint8_t> b = readFile(host.logPath);
        return std::string(b.begin(), b.end()).find(text) != std::string::npos;
    }
    static Names names(const std::vector<PatchFile*>& banks) {
        Names n;
        for (const PatchFile* b : banks)
            n.push_back(b->fileName);
        return n;
    }
    static Names filesIn(const std::string& folder) {
        Names n;
        for (auto& e : fs::directory_iterator(folder))
            n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    }
};

std::vector<uint8_t> sounds(int n, const std::string& prefix = "S",
                            const std::string& cat = "Bass") {
    return rawBankFile(soundDumps(n, prefix, cat));
}

// Three banks to save from, one of each type.
struct Saving : PatchesFolder {
    Saving() {
        put("User/Sounds.syx", sounds(100, "Sound"));
        put("Multis.mid", midiBankFile(multiDumps(100, "Multi")));
        put("Patterns.syx", rawBankFile(patternDumps(100, "Pattern")));
        load();
    }
};
} // namespace

TEST_F(PatchesFolder, WithoutItNothingIsLoaded) {
    fs::remove(patches);
    load();
    EXPECT_TRUE(lib.soundBanks.empty());
    EXPECT_TRUE(logged("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER..."));
}

TEST_F(PatchesFolder, BankFilesAreChosenByExtensionSizeAndKindInPathOrder) {
    put("a.syx", sounds(77, "a"));
    put("B.SYX", sounds(100, "B"));
    put("c.Mid", midiBankFile(soundDumps(100, "c", "Lead")));
    put("d.vub", rawBankFile(multiDumps(100, "d")));
    put("e.syx", rawBankFile(patternDumps(60, "e")));
    put("small.syx", sounds(76));
    put("bank.txt", sounds(100));
    put("noise.syx", std::vector<uint8_t>(40000, 0x3E));
    fs::create_directories(patches + "/x.syx");
    fs::create_symlink(patches + "/nowhere.syx", patches + "/dead.syx");
    put("A/inner.syx", sounds(100, "inner"));
    load();

    EXPECT_EQ(names(lib.soundBanks), (Names{"inner.syx", "B.SYX", "a.syx", "c.Mid"}));
    EXPECT_EQ(names(lib.multiBanks), Names{"d.vub"});
    EXPECT_EQ(names(lib.patternBanks), Names{"e.syx"});
    EXPECT_EQ(lib.soundBanks[2]->entries[77].name, "Init         078");
    EXPECT_EQ(lib.patternBanks[0]->entries[99].name, "INIT Sequence   ");
    EXPECT_EQ(lib.soundBanks[0]->folderParts, (Names{"Patches", "A"}));
    EXPECT_EQ(lib.soundBanks[0]->holdingFolder, "A");
    EXPECT_EQ(lib.soundBanks[1]->folderParts, Names{"Patches"});
    // Files of no bank stay out of the trees too.
    ASSERT_EQ(lib.soundTree.size(), 2u);
    EXPECT_EQ(lib.soundTree[1]->files.size(), 3u);
    EXPECT_TRUE(logged("PATCH LIBRARIAN: loading file " + patches + "/B.SYX"));
    EXPECT_TRUE(logged("dead.syx"));
}

TEST_F(PatchesFolder, ABankFileHoldsAtLeast30001Bytes) {
    std::vector<uint8_t> smallest = sounds(76, "Edge"); // 29,868 bytes
    smallest.resize(30001, 0x00);
    put("smallest.syx", smallest);
    smallest.pop_back();
    put("one less.syx", smallest);
    load();
    EXPECT_EQ(names(lib.soundBanks), Names{"smallest.syx"});
}

TEST_F(PatchesFolder, FolderLinksAreNotFollowedAndEveryFolderComesAfterItsSubFolders) {
    put("A/X/one.syx", sounds(100));
    put("B/two.syx", sounds(100));
    fs::create_directory_symlink(patches, patches + "/A/loop");
    load();
    const Names& folders = lib.folderList;
    ASSERT_EQ(folders.size(), 4u);
    EXPECT_EQ(folders.back(), patches);
    const auto at = [&](const std::string& s) {
        return std::find(folders.begin(), folders.end(), patches + s);
    };
    EXPECT_LT(at("/A/X"), at("/A"));
    EXPECT_EQ(lib.soundBanks.size(), 2u);
}

TEST_F(PatchesFolder, BanksOfMoreThan100PatchesAreSplitIntoNewFilesAndMovedAside) {
    put("A/Big.syx", sounds(150, "Big"));
    std::vector<Dump> mixed = soundDumps(30, "Mix", "Lead");
    for (Dump& d : multiDumps(80, "MixM"))
        mixed.push_back(d);
    put("My.Mixed.SYX", rawBankFile(mixed));
    put("Pat.mid", midiBankFile(patternDumps(250, "P")));
    load();

    EXPECT_EQ(filesIn(patches + "/A"), (Names{"Big Singles 1.syx", "Big Singles 2.syx"}));
    EXPECT_EQ(filesIn(converted), (Names{"Big.syx", "My.Mixed.SYX", "Pat.mid"}));
    EXPECT_EQ(names(lib.soundBanks),
              (Names{"Big Singles 1.syx", "Big Singles 2.syx", "My.Mixed Singles 1.syx"}));
    EXPECT_EQ(lib.soundBanks[1]->entries[49].name, "Big 150         ");
    EXPECT_EQ(lib.soundBanks[1]->entries[50].name, "Init Sound 3.0  ");
    EXPECT_EQ(names(lib.multiBanks), Names{"My.Mixed Multis.syx"});
    EXPECT_EQ(lib.multiBanks[0]->entries[80].name, "Sequencer Multi ");
    EXPECT_EQ(names(lib.patternBanks),
              (Names{"Pat Patterns 2.mid", "Pat Patterns 3.mid", "Pat Patterns.mid"}));
    EXPECT_EQ(readFile(patches + "/Pat Patterns 3.mid").size(), 54952u);
    EXPECT_EQ(lib.patternBanks[1]->entries[49].name, "P 250           ");
    // One set of category banks from the reloaded files.
    EXPECT_EQ(names(lib.categoryBanks), (Names{"Bass 1", "Bass 2", "Lead 1"}));
    EXPECT_TRUE(logged("PATCH LIBRARIAN: moved file " + converted +
                       "/ due to mismatching data in package!"));
}

TEST_F(PatchesFolder, ASplitNeverReplacesAFileThatIsThereAlready) {
    const std::vector<uint8_t> users = sounds(100, "Mine");
    put("Big Singles 1.syx", users);
    put("Big.syx", sounds(101, "Big"));
    fs::create_directories(converted);
    writeFile(converted + "/Big.syx", {1, 2, 3});
    load();
    EXPECT_EQ(readFile(patches + "/Big Singles 1.syx"), users);
    EXPECT_EQ(filesIn(patches),
              (Names{"Big Singles 1 2.syx", "Big Singles 1.syx", "Big Singles 2.syx"}));
    EXPECT_EQ(readFile(converted + "/Big.syx"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(readFile(converted + "/Big 2.syx").size(), 101u * 393);
    EXPECT_EQ(lib.soundBanks.size(), 3u);
}

TEST_F(PatchesFolder, ASplitThatCannotBeWrittenLeavesTheFileWhereItIs) {
    put("Big.syx", sounds(120, "Big"));
    put("Keep.syx", sounds(100, "Keep"));
    writeFile(converted, {0}); // a file where the folder belongs
    load();
    EXPECT_EQ(filesIn(patches), (Names{"Big.syx", "Keep.syx"}));
    EXPECT_EQ(names(lib.soundBanks), Names{"Keep.syx"});
}

TEST_F(PatchesFolder, ReloadingForgetsTheOldBanksAndReadsTheFolderAgain) {
    put("One.syx", sounds(100, "One", "Bass"));
    load();
    PatchFile* old = lib.soundBanks.at(0);
    lib.createNewSearchPatchFiles("One");
    put("Two.syx", sounds(100, "Two", "Pad "));
    lib.initBankFilesOnDiscard(patches);
    EXPECT_EQ(names(lib.soundBanks), (Names{"One.syx", "Two.syx"}));
    EXPECT_EQ(lib.categoryNames, (Names{"Init", "Bass", "Pad "}));
    EXPECT_EQ(names(lib.categoryBanks), (Names{"Bass 1", "Pad  1"}));
    EXPECT_TRUE(lib.searchBanks.empty());
    EXPECT_TRUE(lib.searchTree.empty());
    EXPECT_EQ(old->entries.size(), 100u); // still readable by whoever held it
}

TEST_F(Saving, SaveAsWritesTheUpperBankAndRemembersItsName) {
    EXPECT_FALSE(lib.savePatchAs("Sounds.syx", patches + "/User", false)); // cancelled
    EXPECT_EQ(host.prompted, (Names{"Sounds.syx", patches + "/User", "vub"}));
    EXPECT_EQ(host.remembered[LibrarianHost::kUpperSound][0], "");

    host.answer = patches + "/User/My.vub";
    EXPECT_TRUE(lib.savePatchAs("Sounds.syx", patches + "/User", false));
    EXPECT_EQ(readFile(host.answer).size(), 39300u);
    EXPECT_EQ(host.remembered[LibrarianHost::kUpperSound][0], "My.vub");
    EXPECT_EQ(host.remembered[LibrarianHost::kUpperSound][1], "User");

    // The MIDI form follows the type of the bank saved.
    host.sequenceMode = true;
    lib.currentType = PatchFile::kPatternBank;
    host.answer = patches + "/Seq.mid";
    EXPECT_TRUE(lib.savePatchAs(nullptr, "", true));
    const std::vector<uint8_t> midi = readFile(host.answer);
    ASSERT_EQ(midi.size(), 54952u);
    EXPECT_EQ(midi[52], 0x20);
    EXPECT_EQ(host.remembered[LibrarianHost::kUpperPattern][0], "Seq.mid");
    EXPECT_EQ(host.remembered[LibrarianHost::kUpperSound][1], "Patches");
}

TEST_F(Saving, SaveOverwritesInTheFormOfTheFileName) {
    lib.currentType = PatchFile::kMultiBank;
    host.multiMode = true;
    const std::string path = patches + "/Multis.mid";
    LibrarianPatch stored;
    stored.dumps.emplace_back(multiDump("Stored", 9));
    lib.upperSlotIndex = 5;
    ASSERT_TRUE(lib.setSysexDatatoSelectedSlot(&stored));
    EXPECT_TRUE(lib.saveEditedPatch(path, "Multis.mid"));
    lib.initBankFilesOnDiscard(patches);
    ASSERT_EQ(lib.multiBanks.size(), 1u);
    EXPECT_EQ(lib.multiBanks[0]->entries[5].name, "Stored          ");

    lib.multiBanks[0]->entries.resize(60); // saved as if the rest were empty slots
    const std::pair<const char*, size_t> forms[] = {{"Multis.mid", 49u + 4 + 392 + 59 * 397 + 4},
                                                    {"Multis.syx", 60u * 393},
                                                    {"Multis", 60u * 393},
                                                    {"Multis.MID", 60u * 393}};
    for (const auto& [name, size] : forms) {
        EXPECT_TRUE(lib.saveEditedPatch(path, name));
        EXPECT_EQ(readFile(path).size(), size) << name;
        EXPECT_EQ(host.remembered[LibrarianHost::kUpperMulti][0], name);
    }
}

TEST_F(Saving, AFailedSaveKeepsTheOldFileAndSaysSo) {
    const std::string path = patches + "/User/Sounds.syx";
    const std::vector<uint8_t> old = readFile(path);
    fs::create_directories(patches + "/Blocked.syx/inside");
    EXPECT_FALSE(lib.saveEditedPatch(patches + "/Blocked.syx", "Blocked.syx"));
    host.answer = patches + "/Missing/New.vub";
    EXPECT_FALSE(lib.savePatchAs("x", "", false));
    lib.upperBankIndex = 5;
    EXPECT_FALSE(lib.saveEditedPatch(path, "Sounds.syx"));
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(host.displayed, Names(3, "BANK NOT SAVED!"));
    EXPECT_EQ(host.remembered[LibrarianHost::kUpperSound][0], "");
}
