#include "tests/librarian/LibrarianTestHost.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

using namespace testsupport;
using Files = std::vector<PatchFile*>;

namespace {
// A librarian whose lists hold banks made in memory.
struct Banks {
    LibrarianTestHost host;
    PatchLibrarian lib{host};
    std::vector<std::unique_ptr<PatchFile>> owned;
    PatchFile* add(std::unique_ptr<PatchFile> bank, Files* list) {
        list->push_back(bank.get());
        owned.push_back(std::move(bank));
        return list->back();
    }
};
} // namespace

TEST(FolderTrees, BanksAreFiledByTheirHoldingFolderAtTheirLevel) {
    std::vector<std::unique_ptr<PatchFile>> files;
    FolderTree tree;
    auto file = [&](std::vector<std::string> parts) {
        files.push_back(std::make_unique<PatchFile>());
        files.back()->holdingFolder = parts.back();
        files.back()->folderParts = std::move(parts);
        PatchLibrarian::fileIntoFolderTree(&tree, files.back().get());
        return files.back().get();
    };
    PatchFile* f1 = file({"Patches", "Factory"});
    PatchFile* f2 = file({"Patches", "Factory"});
    PatchFile* a = file({"Patches"});
    PatchFile* x = file({"Patches", "User", "Old"});
    PatchFile* z = file({"Patches", "User", "New"});
    PatchFile* y = file({"Patches", "User"});
    PatchFile* other = file({"Patches", "B", "Old"});
    file({"Patches", "a", "b", "c"});
    PatchFile* lower = file({"Patches", "user"});

    ASSERT_EQ(tree.size(), 5u); // nothing for a/b/c, more than two folders down
    EXPECT_EQ(tree[0]->name, "");
    EXPECT_EQ(tree[0]->subFolders[0].name, "Factory");
    EXPECT_EQ(tree[0]->subFolders[0].files, (Files{f1, f2}));
    EXPECT_EQ(tree[1]->name, "Patches");
    EXPECT_EQ(tree[1]->files, Files{a});
    // Y lands in both level-2 nodes named User; B/Old joins the first node named Old.
    EXPECT_EQ(tree[2]->subFolders[0].name, "User");
    EXPECT_EQ(tree[2]->subFolders[0].subFolders[0].files, (Files{x, other}));
    EXPECT_EQ(tree[2]->subFolders[0].files, Files{y});
    EXPECT_EQ(tree[3]->subFolders[0].subFolders[0].files, Files{z});
    EXPECT_EQ(tree[3]->subFolders[0].files, Files{y});
    EXPECT_EQ(tree[4]->subFolders[0].name, "user");
    EXPECT_EQ(tree[4]->subFolders[0].files, Files{lower});
}

TEST(CategoryBanks, SoundsAreCollectedPerCategoryIntoBanksOf100) {
    Banks b;
    std::vector<Dump> dumps = soundDumps(250, "Bass", "Bass");
    for (const Dump& d : soundDumps(100, "Lead", "Lead"))
        dumps.push_back(d);
    dumps.push_back(soundDump(DumpModel::Q, "init", "init", 1));
    dumps.push_back(soundDump(DumpModel::Q, "zeros", std::string(4, '\0'), 1));
    for (size_t at = 0; at < dumps.size(); at += 100)
        b.add(bankOf({dumps.begin() + long(at),
                      dumps.begin() + long(std::min(dumps.size(), at + 100))}),
              &b.lib.soundBanks);
    b.lib.soundBanks[0]->entries[1].dumps.emplace_back(multiDump("second", 1));
    b.lib.soundBanks[0]->entries[1].name = "renamed";
    b.lib.categoryNames = {"Init", "Bass", "Lead", "Pad ", "", "LEAD"};
    b.lib.createNewCategoryPatchFiles();

    std::vector<std::string> names;
    for (const PatchFile* c : b.lib.categoryBanks)
        names.push_back(c->fileName + ":" + std::to_string(c->entries.size()));
    EXPECT_EQ(names, (std::vector<std::string>{"Bass 1:100", "Bass 2:100", "Bass 3:50",
                                               "Lead 1:100", " 1:1"}));
    const PatchFile& bass = *b.lib.categoryBanks[0];
    EXPECT_EQ(bass.tag, 1);
    EXPECT_EQ(bass.holdingFolder, "Bass");
    // A copy of the first dump, named from it.
    EXPECT_EQ(bass.entries[1].dumps.size(), 1u);
    EXPECT_EQ(bass.entries[1].name, "Bass 2          ");
    EXPECT_EQ(bass.entries[1].kind, LibrarianPatch::kSoundKind);
    ASSERT_EQ(b.lib.categoryTree.size(), 3u);
    EXPECT_EQ(b.lib.categoryTree[0]->name, "Bass 1");
    EXPECT_EQ(b.lib.categoryTree[0]->subFolders[0].name, "Bass");
    EXPECT_EQ(b.lib.categoryTree[0]->subFolders[0].files.size(), 3u);
}

TEST(SearchBanks, NamesContainingTheTextAreCollectedCaseSensitively) {
    Banks b;
    std::vector<Dump> dumps = soundDumps(150, "Pad", "Pad ");
    for (const char* name : {"Warm Pad", "pad sweep", "PAD"})
        dumps.push_back(soundDump(DumpModel::Q, name, "Pad ", 1));
    PatchFile* sounds = b.add(bankOf(dumps), &b.lib.soundBanks);
    for (uint32_t seed : {4, 5})
        sounds->entries[0].dumps.emplace_back(soundDump(DumpModel::Q, "more", "", seed));
    b.add(bankOf({soundDump(DumpModel::Q, "Pad in multi list", "Pad ", 6)}, PatchFile::kMultiBank),
          &b.lib.soundBanks);

    b.lib.createNewSearchPatchFiles("Pad");
    ASSERT_EQ(b.lib.searchBanks.size(), 2u);
    EXPECT_EQ(b.lib.searchBanks[0]->fileName, "Search Results 1");
    EXPECT_EQ(b.lib.searchBanks[1]->fileName, "Search Results 2");
    EXPECT_EQ(b.lib.searchBanks[1]->tag, 1);
    EXPECT_EQ(b.lib.searchBanks[1]->entries.size(), 51u);
    EXPECT_EQ(b.lib.searchBanks[1]->entries[50].name, "Warm Pad        ");
    EXPECT_EQ(b.lib.searchBanks[0]->entries[0].dumps.size(), 2u); // of three
    ASSERT_EQ(b.lib.searchTree.size(), 1u);
    EXPECT_EQ(b.lib.searchTree[0]->name, "Patches");
    EXPECT_EQ(b.lib.searchTree[0]->files, b.lib.searchBanks);

    b.lib.createNewSearchPatchFiles("Nothing");
    EXPECT_TRUE(b.lib.searchBanks.empty());
    EXPECT_TRUE(b.lib.searchTree.empty());
}

TEST(StoreIntoSlot, TheEntryReplacesTheUpperSlotOfABankOfExactly100) {
    Banks b;
    PatchFile* shortBank = b.add(bankOf(soundDumps(37, "Old", "Bass")), &b.lib.multiBanks);
    PatchFile* longBank = b.add(bankOf(soundDumps(128, "Long", "Bass")), &b.lib.multiBanks);
    longBank->entries[3].dumps.push_back(longBank->entries[4].dumps[0]);
    LibrarianPatch incoming;
    incoming.name = "New";
    incoming.dumps.emplace_back(multiDump("New", 1));
    b.lib.currentType = PatchFile::kMultiBank;
    b.lib.upperSlotIndex = 50;
    EXPECT_TRUE(b.lib.setSysexDatatoSelectedSlot(&incoming));
    ASSERT_EQ(shortBank->entries.size(), 100u);
    EXPECT_EQ(shortBank->entries[36].name, "Old 37          ");
    EXPECT_TRUE(shortBank->entries[37].dumps.empty());
    EXPECT_EQ(shortBank->entries[50].dumps[0].bytes, incoming.dumps[0].bytes);

    b.lib.upperBankIndex = 1;
    b.lib.upperSlotIndex = 3;
    EXPECT_TRUE(b.lib.setSysexDatatoSelectedSlot(&incoming));
    ASSERT_EQ(longBank->entries.size(), 100u);
    EXPECT_EQ(longBank->entries[3].dumps.size(), 1u);
    EXPECT_EQ(longBank->entries[3].name, "New");

    // No list of the type, no bank at the index or a slot outside the bank: nothing changes.
    const struct {
        int type, bank, slot;
    } misses[] = {{PatchFile::kMultiBank, 1, -1},  {PatchFile::kMultiBank, 1, 100},
                  {PatchFile::kMultiBank, 1, 127}, {PatchFile::kMultiBank, 2, 0},
                  {PatchFile::kMultiBank, -1, 0},  {3, 0, 0}};
    for (const auto& m : misses) {
        b.lib.currentType = m.type;
        b.lib.upperBankIndex = m.bank;
        b.lib.upperSlotIndex = m.slot;
        EXPECT_FALSE(b.lib.setSysexDatatoSelectedSlot(&incoming))
            << m.type << "/" << m.bank << "/" << m.slot;
    }
    int stored = 0;
    for (const PatchFile* bank : {shortBank, longBank}) {
        EXPECT_EQ(bank->entries.size(), 100u);
        for (const LibrarianPatch& e : bank->entries)
            stored += e.name == "New";
    }
    EXPECT_EQ(stored, 2);
}
