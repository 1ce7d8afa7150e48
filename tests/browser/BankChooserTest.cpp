// The bank menus over real patches folders: the menu trees, where the one check goes, what a
// choice or a dismissal selects and remembers, and how a rebuild finds the remembered bank.

#include "src/browser/BankNameMenu.h"
#include "tests/browser/BankChooserRig.h"

#include <gtest/gtest.h>

namespace {

constexpr bool kUpper = true, kLower = false;
using H = LibrarianHost;

} // namespace

TEST(BankChooser, FoldersNestTwoLevelsAndAChoiceSelectsChecksAndRemembersItsBankOnItsSideOnly) {
    BankChooserRig r;
    r.load({"User/Old/X.syx", "User/Y.syx", "A.syx", "B.syx", "Deep/Sub/M.syx"});
    const std::vector<PatchFile*>& sounds = r.p.librarian.soundBanks;
    LeftPatchPopupMenu upper(&r.p, &r.p.librarian, kUpperArea, &r.p);
    RightPatchPopupMenu lower(&r.p, &r.p.librarian, kLowerArea, &r.p);
    LeftPerfPopupMenu multis(&r.p, &r.p.librarian, kUpperArea, &r.p);
    // Nothing remembered: the first bank in menu order is checked.
    const Lines tree{"User", "  Old", "    X.syx *", "  Y.syx", "A.syx", "B.syx"};
    EXPECT_EQ(r.outline(upper), tree);
    EXPECT_EQ(r.outline(multis), (Lines{"Deep", "  Sub", "    M.syx *"}));
    r.click(upper, {"B.syx"});
    EXPECT_EQ(r.side(kUpper), r.find(sounds, "B.syx").at(0));
    EXPECT_EQ(r.remembered(H::kUpperSound), (Lines{"B.syx", "Patches"}));
    EXPECT_EQ(r.firstName(0), "B 1");
    r.click(upper, {"User", "Old", "X.syx"});
    EXPECT_EQ(r.side(kUpper), r.find(sounds, "X.syx", "Old").at(0));
    EXPECT_EQ(r.outline(upper), tree);
    EXPECT_EQ(r.side(kLower), 0);
    r.click(lower, {"User", "Y.syx"});
    EXPECT_EQ(r.side(kLower), r.find(sounds, "Y.syx", "User").at(0));
    EXPECT_EQ(r.firstName(1), "Y 1");
    EXPECT_EQ(r.side(kUpper), r.find(sounds, "X.syx", "Old").at(0));
    EXPECT_EQ(r.remembered(H::kUpperSound), (Lines{"X.syx", "Old"}));
    EXPECT_EQ(r.remembered(H::kLowerSound), (Lines{"Y.syx", "User"}));
}

TEST(BankChooser, EqualNamesAreToldApartByFolderAndEqualPairsResolveFirstOnChoiceLastOnRebuild) {
    BankChooserRig r;
    r.load({"F1/Same.syx", "F2/Same.syx", "A/X/S.syx", "B/X/S.syx"});
    const std::vector<PatchFile*>& sounds = r.p.librarian.soundBanks;
    LeftPatchPopupMenu upper(&r.p, &r.p.librarian, kUpperArea, &r.p);
    r.click(upper, {"F2", "Same.syx"});
    EXPECT_EQ(r.side(kUpper), r.find(sounds, "Same.syx", "F2").at(0));
    // The X read second is filed under the X read first: two banks are (S.syx, X).
    const std::vector<int> pair = r.find(sounds, "S.syx", "X");
    ASSERT_EQ(pair.size(), 2u);
    upper.refreshFolderStructure(0, "S.syx", "X");
    EXPECT_EQ(r.side(kUpper), pair[1]);
    r.click(upper, {sounds[size_t(pair[0])]->folderParts[1], "X", "S.syx"});
    EXPECT_EQ(r.side(kUpper), pair[0]);
}

TEST(BankChooser, RebuildsFindTheRememberedBankOfTheirOwnKindAtItsNewPosition) {
    BankChooserRig r;
    r.load({"C.syx", "P1.syx", "P2.syx", "M1.syx"});
    LeftPatchPopupMenu sounds(&r.p, &r.p.librarian, kUpperArea, &r.p);
    LeftPatternPopupMenu patterns(&r.p, &r.p.librarian, kUpperArea, &r.p);
    LeftPerfPopupMenu multis(&r.p, &r.p.librarian, kUpperArea, &r.p);
    r.click(sounds, {"C.syx"});
    r.p.setMode(2);
    r.click(patterns, {"P2.syx"});
    EXPECT_EQ(r.firstName(0), "P2 1");
    r.load({"A.syx", "P0.syx"});
    // Each mode switch sets the index to 0 and rebuilds the choosers of the new mode.
    for (BankChooser* chooser : std::initializer_list<BankChooser*>{&multis, &sounds, &patterns}) {
        r.p.librarian.upperBankIndex = 0;
        chooser->rebuild();
        EXPECT_EQ(r.p.librarian.upperBankIndex, chooser == &multis ? 0 : chooser == &sounds ? 1 : 2);
    }
    EXPECT_EQ(r.outline(sounds), (Lines{"A.syx", "C.syx *"}));
}

TEST(BankChooser, CategoryMenuHasASubmenuPerCategoryAndSearchResultsAreFlat) {
    BankChooserRig r;
    r.load({"Bass.syx", "Lead.syx"});
    r.p.librarian.createNewSearchPatchFiles("a"); // every sound: two result banks
    RightCategoryPopupMenu categories(&r.p, &r.p.librarian, kLowerArea, &r.p);
    RightSearchPopupMenu results(&r.p, &r.p.librarian, kLowerArea, &r.p);
    EXPECT_EQ(r.outline(categories), (Lines{"Bass", "  Bass 1 *", "Lead", "  Lead 1"}));
    r.p.categoryView = true;
    r.click(categories, {"Lead", "Lead 1"});
    EXPECT_EQ(r.side(kLower), 1);
    EXPECT_EQ(r.remembered(H::kLowerSound), (Lines{"Lead 1", "Lead"}));
    EXPECT_EQ(r.firstName(1), "Lead 1");
    r.p.librarian.lowerBankIndex = 0; // a dismissal applies the current bank again
    r.click(categories, {});
    EXPECT_EQ(r.side(kLower), 0);
    EXPECT_EQ(r.firstName(1), "Bass 1");
    EXPECT_EQ(r.remembered(H::kLowerSound), (Lines{"Lead 1", "Lead"}));
    EXPECT_EQ(r.side(kUpper), 0);

    r.p.searchView = true;
    r.p.categoryView = false;
    r.p.setRememberedFileName(H::kLowerSound, "Search Results 2");
    r.p.setRememberedFolder(H::kLowerSound, "Patches");
    results.rebuild();
    EXPECT_EQ(r.side(kLower), 1);
    // The check test meets running position 0 first, and this menu does not move it.
    EXPECT_EQ(r.outline(results), (Lines{"Search Results 1 *", "Search Results 2"}));
    r.click(results, {"Search Results 2"});
    EXPECT_EQ(r.outline(results), (Lines{"Search Results 1", "Search Results 2 *"}));
}

TEST(BankChooser, EmptyTreesOfferNothingAndABankGoneBeforeTheChoiceSelectsNothing) {
    BankChooserRig r;
    r.load();
    LeftPatchPopupMenu upper(&r.p, &r.p.librarian, kUpperArea, &r.p);
    RightCategoryPopupMenu categories(&r.p, &r.p.librarian, kLowerArea, &r.p);
    RightSearchPopupMenu results(&r.p, &r.p.librarian, kLowerArea, &r.p);
    for (BankChooser* chooser : std::initializer_list<BankChooser*>{&upper, &categories, &results})
        EXPECT_EQ(chooser->topMenu().GetNItems(), 0);
    r.click(upper, {});
    EXPECT_EQ(r.side(kUpper), 0);
    r.load({"A.syx", "B.syx"});
    upper.rebuild();
    std::filesystem::remove(r.patches + "/B.syx");
    r.load();
    r.click(upper, {"B.syx"}); // from the menu built before the reload
    EXPECT_EQ(r.side(kUpper), 0);
    EXPECT_EQ(r.remembered(H::kUpperSound), (Lines{"B.syx", "Patches"}));
    upper.checkMenuItemAlone(1); // names no bank now
    upper.rebuild();
    EXPECT_EQ(r.outline(upper), (Lines{"A.syx *"}));
}

TEST(BankNameMenu, AChoiceSelectsTheUpperBankRefillsTheProgramMenuAndSendsTheEntry) {
    BankChooserRig r;
    r.load({"Factory/F1.syx", "Factory/F2.syx", "Factory/M1.syx", "Factory/M2.syx"});
    ProgBankNamePopupMenu sounds(&r.p, &r.p.librarian, IRECT(1142, 60, 1180, 84), &r.p);
    PerfBankNamePopupMenu multis(&r.p, &r.p.librarian, IRECT(1142, 60, 1180, 84), &r.p);
    r.p.GetParam(kMainTab)->Set(1.0);
    r.p.GetParam(kMultiPatch)->InitInt("Multi", 5, 0, 127);
    r.p.program = 7;
    r.p.currentPart = 3;
    r.click(sounds, {"Factory", "F2.syx"});
    EXPECT_EQ(r.side(kUpper), 1);
    EXPECT_EQ(r.remembered(H::kUpperSound), (Lines{"F2.syx", "Factory"}));
    EXPECT_EQ(r.firstName(0), "F2 1");
    EXPECT_EQ(r.p.librarian.upperSlotIndex, 7);
    EXPECT_EQ(r.p.sends, (testsupport::FakeBrowserPlugin::Sends{{7, 0, 3}}));
    // Off the librarian page the grid keeps its names; the program menu and the entry follow.
    r.p.setMode(1);
    r.p.GetParam(kMainTab)->Set(0.0);
    r.click(multis, {"Factory", "M1.syx"});
    EXPECT_EQ(r.side(kUpper), 0);
    EXPECT_EQ(r.remembered(H::kUpperMulti), (Lines{"M1.syx", "Factory"}));
    EXPECT_EQ(r.firstName(0), "F2 1");
    EXPECT_EQ(r.p.GetParam(kMultiPatch)->Value(), 5);
    r.click(multis, {}); // a dismissal still sends the current entry
    EXPECT_EQ(r.p.menuNameUpdates, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(r.p.sends.size(), 3u);
    // A rebuild after a reload lists the new banks and finds the upper bank of its kind.
    r.load({"Factory/F0.syx"});
    r.p.librarian.upperBankIndex = 0;
    sounds.rebuild();
    EXPECT_EQ(r.side(kUpper), 2);
    EXPECT_EQ(r.outline(sounds), (Lines{"Factory", "  F0.syx", "  F1.syx", "  F2.syx *"}));
}
