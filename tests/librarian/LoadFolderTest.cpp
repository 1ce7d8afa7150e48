#include "src/librarian/PatchLibrarian.h"
#include "tests/librarian/LibrarianFolder.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> sounds(int n, const std::string& prefix = "S",
                            const std::string& cat = "Bass") {
    return rawBankFile(soundDumps(n, prefix, cat));
}
} // namespace

TEST(LoadFolder, WithoutAPatchesFolderNothingIsLoaded) {
    LibrarianFolder f;
    fs::remove(f.patches);
    f.load();
    EXPECT_TRUE(f.lib.soundBanks.empty());
    EXPECT_NE(f.log().find("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER..."), std::string::npos);
}

TEST(LoadFolder, BankFilesAreChosenByExtensionSizeAndKindInPathOrder) {
    LibrarianFolder f;
    f.put("a.syx", sounds(77, "a"));
    f.put("B.SYX", sounds(100, "B"));
    f.put("c.Mid", midiBankFile(soundDumps(100, "c", "Lead")));
    f.put("d.vub", rawBankFile(multiDumps(100, "d")));
    f.put("e.syx", rawBankFile(patternDumps(60, "e")));
    f.put("small.syx", sounds(76));
    f.put("bank.txt", sounds(100));
    f.put("noise.syx", std::vector<uint8_t>(40000, 0x3E));
    fs::create_directories(f.patches + "/x.syx");
    fs::create_symlink(f.patches + "/nowhere.syx", f.patches + "/dead.syx");
    f.put("A/inner.syx", sounds(100, "inner"));
    f.load();

    EXPECT_EQ(f.names(f.lib.soundBanks),
              (std::vector<std::string>{"inner.syx", "B.SYX", "a.syx", "c.Mid"}));
    EXPECT_EQ(f.names(f.lib.multiBanks), (std::vector<std::string>{"d.vub"}));
    EXPECT_EQ(f.names(f.lib.patternBanks), (std::vector<std::string>{"e.syx"}));
    for (auto* list : {&f.lib.soundBanks, &f.lib.multiBanks, &f.lib.patternBanks})
        for (const PatchFile* b : *list)
            EXPECT_EQ(b->entries.size(), 100u) << b->fileName;
    EXPECT_EQ(f.lib.soundBanks[2]->entries[77].name, "Init         078");
    EXPECT_EQ(f.lib.patternBanks[0]->entries[99].name, "INIT Sequence   ");
    EXPECT_EQ(f.lib.soundBanks[0]->folderParts, (std::vector<std::string>{"Patches", "A"}));
    EXPECT_EQ(f.lib.soundBanks[0]->holdingFolder, "A");
    EXPECT_EQ(f.lib.soundBanks[1]->folderParts, (std::vector<std::string>{"Patches"}));
    // Files of no bank stay out of the trees too.
    ASSERT_EQ(f.lib.soundTree.size(), 2u);
    EXPECT_EQ(f.lib.soundTree[1]->files.size(), 3u);
    const std::string log = f.log();
    EXPECT_NE(log.find("PATCH LIBRARIAN: loading file " + f.patches + "/B.SYX"), std::string::npos);
    EXPECT_NE(log.find("dead.syx"), std::string::npos);
}

TEST(LoadFolder, FolderLinksAreNotFollowedAndEveryFolderComesAfterItsSubFolders) {
    LibrarianFolder f;
    f.put("A/X/one.syx", sounds(100));
    f.put("B/two.syx", sounds(100));
    fs::create_directory_symlink(f.patches, f.patches + "/A/loop");
    f.load();
    const std::vector<std::string>& folders = f.lib.folderList;
    ASSERT_EQ(folders.size(), 4u);
    EXPECT_EQ(folders.back(), f.patches);
    const auto at = [&](const std::string& s) {
        return std::find(folders.begin(), folders.end(), f.patches + s);
    };
    EXPECT_LT(at("/A/X"), at("/A"));
    EXPECT_EQ(f.lib.soundBanks.size(), 2u);
}

TEST(LoadFolder, BanksOfMoreThan100PatchesAreSplitIntoNewFilesAndMovedAside) {
    LibrarianFolder f;
    f.put("A/Big.syx", sounds(150, "Big"));
    std::vector<Dump> mixed = soundDumps(30, "Mix", "Lead");
    for (Dump& d : multiDumps(80, "MixM"))
        mixed.push_back(d);
    f.put("My.Mixed.SYX", rawBankFile(mixed));
    f.put("Pat.mid", midiBankFile(patternDumps(250, "P")));
    f.load();

    EXPECT_EQ(f.filesIn(f.patches + "/A"),
              (std::vector<std::string>{"Big Singles 1.syx", "Big Singles 2.syx"}));
    EXPECT_EQ(f.filesIn(f.temp.path() + "/Converted Banks"),
              (std::vector<std::string>{"Big.syx", "My.Mixed.SYX", "Pat.mid"}));
    EXPECT_EQ(f.names(f.lib.soundBanks),
              (std::vector<std::string>{"Big Singles 1.syx", "Big Singles 2.syx",
                                        "My.Mixed Singles 1.syx"}));
    EXPECT_EQ(f.lib.soundBanks[1]->entries[49].name, "Big 150         ");
    EXPECT_EQ(f.lib.soundBanks[1]->entries[50].name, "Init Sound 3.0  ");
    EXPECT_EQ(f.lib.soundBanks[2]->entries[30].name, "Init Sound 3.0  ");
    EXPECT_EQ(f.names(f.lib.multiBanks), (std::vector<std::string>{"My.Mixed Multis.syx"}));
    EXPECT_EQ(f.lib.multiBanks[0]->entries[80].name, "Sequencer Multi ");
    EXPECT_EQ(
        f.names(f.lib.patternBanks),
        (std::vector<std::string>{"Pat Patterns 2.mid", "Pat Patterns 3.mid", "Pat Patterns.mid"}));
    EXPECT_EQ(readFile(f.patches + "/Pat Patterns 3.mid").size(), 54952u);
    EXPECT_EQ(f.lib.patternBanks[1]->entries[49].name, "P 250           ");
    // One set of category banks from the reloaded files.
    EXPECT_EQ(f.names(f.lib.categoryBanks),
              (std::vector<std::string>{"Bass 1", "Bass 2", "Lead 1"}));
    EXPECT_NE(f.log().find("PATCH LIBRARIAN: moved file " + f.temp.path() +
                           "/Converted Banks/ due to "
                           "mismatching data in package!"),
              std::string::npos);
}

TEST(LoadFolder, ASplitNeverReplacesAFileThatIsThereAlready) {
    LibrarianFolder f;
    const std::vector<uint8_t> users = sounds(100, "Mine");
    f.put("Big Singles 1.syx", users);
    f.put("Big.syx", sounds(101, "Big"));
    fs::create_directories(f.temp.path() + "/Converted Banks");
    writeFile(f.temp.path() + "/Converted Banks/Big.syx", {1, 2, 3});
    f.load();
    EXPECT_EQ(readFile(f.patches + "/Big Singles 1.syx"), users);
    EXPECT_EQ(f.filesIn(f.patches),
              (std::vector<std::string>{"Big Singles 1 2.syx", "Big Singles 1.syx",
                                        "Big Singles 2.syx"}));
    EXPECT_EQ(readFile(f.temp.path() + "/Converted Banks/Big.syx"),
              (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(readFile(f.temp.path() + "/Converted Banks/Big 2.syx").size(), 101u * 393);
    EXPECT_EQ(f.lib.soundBanks.size(), 3u);
}

TEST(LoadFolder, ASplitThatCannotBeWrittenLeavesTheFileWhereItIs) {
    LibrarianFolder f;
    f.put("Big.syx", sounds(120, "Big"));
    f.put("Keep.syx", sounds(100, "Keep"));
    writeFile(f.temp.path() + "/Converted Banks", {0}); // a file where the folder belongs
    f.load();
    EXPECT_EQ(f.filesIn(f.patches), (std::vector<std::string>{"Big.syx", "Keep.syx"}));
    EXPECT_EQ(f.names(f.lib.soundBanks), (std::vector<std::string>{"Keep.syx"}));
}

TEST(LoadFolder, ReloadingForgetsTheOldBanksAndReadsTheFolderAgain) {
    LibrarianFolder f;
    f.put("One.syx", sounds(100, "One", "Bass"));
    f.load();
    PatchFile* old = f.lib.soundBanks.at(0);
    f.lib.createNewSearchPatchFiles("One");
    f.put("Two.syx", sounds(100, "Two", "Pad "));
    f.lib.initBankFilesOnDiscard(f.patches);
    EXPECT_EQ(f.names(f.lib.soundBanks), (std::vector<std::string>{"One.syx", "Two.syx"}));
    EXPECT_EQ(f.lib.categoryNames, (std::vector<std::string>{"Init", "Bass", "Pad "}));
    EXPECT_EQ(f.names(f.lib.categoryBanks), (std::vector<std::string>{"Bass 1", "Pad  1"}));
    EXPECT_TRUE(f.lib.searchBanks.empty());
    EXPECT_TRUE(f.lib.searchTree.empty());
    EXPECT_EQ(old->entries.size(), 100u); // still readable by whoever held it
}
