// The bank menus over real patches folders: the menu trees they build, where the one check
// goes, what a choice or a dismissal selects and remembers, and how a rebuild finds the
// remembered bank again.

#include "src/browser/BankNameMenu.h"
#include "tests/browser/BankChooserRig.h"

#include <gtest/gtest.h>

namespace {

constexpr bool kUpper = true, kLower = false;
using H = LibrarianHost;

} // namespace

TEST(BankChooser, FoldersNestTwoLevelsAndAChoiceSelectsChecksAndRemembersItsBank) {
    BankChooserRig r;
    for (const char* path : {"User/Old/X.syx", "User/Y.syx", "A.syx", "B.syx"})
        r.bank(path);
    r.bank("Deep/Sub/M.syx", 'm');
    r.load();
    const std::vector<PatchFile*>& sounds = r.p.librarian.soundBanks;
    LeftPatchPopupMenu upper(&r.p, &r.p.librarian, kUpperArea, &r.p);
    RightPatchPopupMenu lower(&r.p, &r.p.librarian, kLowerArea, &r.p);
    LeftPerfPopupMenu multis(&r.p, &r.p.librarian, kUpperArea, &r.p);
    // Nothing remembered: the first bank in menu order is checked.
    EXPECT_EQ(r.outline(upper), (Lines{"User", "  Old", "    X.syx *", "  Y.syx", "A.syx", "B.syx"}));
    EXPECT_EQ(r.outline(multis), (Lines{"Deep", "  Sub", "    M.syx *"}));

    r.click(upper, {"B.syx"});
    EXPECT_EQ(r.side(kUpper), r.at(r.indexOf(sounds, "B.syx")));
    EXPECT_EQ(r.remembered(H::kUpperSound), (Lines{"B.syx", "Patches"}));
    EXPECT_EQ(r.firstName(0), "B 1");
    r.click(upper, {"User", "Old", "X.syx"});
    EXPECT_EQ(r.side(kUpper), r.at(r.indexOf(sounds, "X.syx", "Old")));
    EXPECT_EQ(r.remembered(H::kUpperSound), (Lines{"X.syx", "Old"}));
    EXPECT_EQ(r.outline(upper), (Lines{"User", "  Old", "    X.syx *", "  Y.syx", "A.syx", "B.syx"}));
    // The lower side was never touched.
    EXPECT_EQ(r.side(kLower), "0 0 0");
    EXPECT_EQ(r.remembered(H::kLowerSound), (Lines{"", ""}));

    r.click(lower, {"User", "Y.syx"});
    EXPECT_EQ(r.side(kLower), r.at(r.indexOf(sounds, "Y.syx", "User")));
    EXPECT_EQ(r.firstName(1), "Y 1");
    EXPECT_EQ(r.side(kUpper), r.at(r.indexOf(sounds, "X.syx", "Old")));
}

TEST(BankChooser, EqualNamesAreToldApartByFolderAndEqualPairsResolveFirstOrLast) {
    BankChooserRig r;
    for (const char* path : {"F1/Same.syx", "F2/Same.syx", "A/X/S.syx", "B/X/S.syx"})
        r.bank(path);
    r.load();
    const std::vector<PatchFile*>& sounds = r.p.librarian.soundBanks;
    LeftPatchPopupMenu upper(&r.p, &r.p.librarian, kUpperArea, &r.p);
    r.click(upper, {"F2", "Same.syx"});
    EXPECT_EQ(r.side(kUpper), r.at(r.indexOf(sounds, "Same.syx", "F2")));

    // The X read second is filed under the X read first, so two banks are (S.syx, X): a
    // rebuild keeps the last of the list, a choice maps back to the first.
    const int first = r.indexOf(sounds, "S.syx", "X"), last = r.indexOf(sounds, "S.syx", "X", true);
    ASSERT_NE(first, last);
    upper.refreshFolderStructure(0, "S.syx", "X");
    EXPECT_EQ(r.side(kUpper), r.at(last));
    r.click(upper, {sounds[size_t(first)]->folderParts[1], "X", "S.syx"});
    EXPECT_EQ(r.side(kUpper), r.at(first));
}

TEST(BankChooser, ARebuildAfterAReloadFindsTheRememberedBankAtItsNewPosition) {
    BankChooserRig r;
    r.bank("B.syx");
    r.bank("C.syx");
    r.load();
    LeftPatchPopupMenu upper(&r.p, &r.p.librarian, kUpperArea, &r.p);
    r.click(upper, {"C.syx"});
    EXPECT_EQ(r.side(kUpper), r.at(1));
    r.bank("A.syx");
    r.load();
    r.p.librarian.upperBankIndex = 0;
    upper.rebuild();
    EXPECT_EQ(r.side(kUpper), r.at(2));
    EXPECT_EQ(r.outline(upper), (Lines{"A.syx", "B.syx", "C.syx *"}));
}

TEST(BankChooser, EachModeRebuildsWithTheBankRememberedForItsOwnKind) {
    BankChooserRig r;
    r.bank("P1.syx", 'p');
    r.bank("P2.syx", 'p');
    r.bank("M1.syx", 'm');
    r.bank("M2.syx", 'm');
    r.load();
    LeftPatternPopupMenu patterns(&r.p, &r.p.librarian, kUpperArea, &r.p);
    LeftPerfPopupMenu multis(&r.p, &r.p.librarian, kUpperArea, &r.p);
    r.p.setMode(2);
    r.click(patterns, {"P2.syx"});
    EXPECT_EQ(r.p.librarian.upperBankIndex, 1);
    EXPECT_EQ(r.firstName(0), "P2 1");
    for (int mode : {1, 2}) { // a mode switch resets the index, then rebuilds the mode's pair
        r.p.setMode(mode);
        r.p.librarian.upperBankIndex = 0;
        (mode == 1 ? static_cast<BankChooser&>(multis) : patterns).rebuild();
        EXPECT_EQ(r.p.librarian.upperBankIndex, mode == 1 ? 0 : 1) << mode;
    }
    EXPECT_EQ(r.remembered(H::kUpperMulti), (Lines{"", ""}));
}

TEST(BankChooser, CategoryMenuHasASubmenuPerCategoryAndSearchResultsAreFlat) {
    BankChooserRig r;
    r.bank("Bass.syx", 's', "Bass");
    r.bank("Lead.syx", 's', "Lead");
    r.load();
    r.p.librarian.createNewSearchPatchFiles("a"); // every sound: two result banks
    RightCategoryPopupMenu categories(&r.p, &r.p.librarian, kLowerArea, &r.p);
    RightSearchPopupMenu results(&r.p, &r.p.librarian, kLowerArea, &r.p);
    EXPECT_EQ(r.outline(categories), (Lines{"Bass", "  Bass 1 *", "Lead", "  Lead 1"}));

    r.p.categoryView = true;
    r.click(categories, {"Lead", "Lead 1"});
    EXPECT_EQ(r.side(kLower), r.at(1));
    EXPECT_EQ(r.remembered(H::kLowerSound), (Lines{"Lead 1", "Lead"}));
    EXPECT_EQ(r.firstName(1), "Lead 1");
    r.p.librarian.lowerBankIndex = 0; // a dismissal applies the current bank again
    r.click(categories, {});
    EXPECT_EQ(r.side(kLower), r.at(0));
    EXPECT_EQ(r.firstName(1), "Bass 1");
    EXPECT_EQ(r.remembered(H::kLowerSound), (Lines{"Lead 1", "Lead"}));
    EXPECT_EQ(r.side(kUpper), "0 0 0");

    r.p.categoryView = false;
    r.p.searchView = true;
    r.p.setRememberedFileName(H::kLowerSound, "Search Results 2");
    r.p.setRememberedFolder(H::kLowerSound, "Patches");
    results.rebuild();
    EXPECT_EQ(r.side(kLower), r.at(1));
    // The check test meets the running position 0 first, and nothing moves it here.
    EXPECT_EQ(r.outline(results), (Lines{"Search Results 1 *", "Search Results 2"}));
    r.click(results, {"Search Results 1"});
    EXPECT_EQ(r.side(kLower), r.at(0));
    EXPECT_EQ(r.outline(results), (Lines{"Search Results 1 *", "Search Results 2"}));
}

TEST(BankChooser, EmptyTreesOfferNothingAndABankGoneBeforeTheChoiceSelectsNothing) {
    BankChooserRig r;
    r.load();
    LeftPatchPopupMenu upper(&r.p, &r.p.librarian, kUpperArea, &r.p);
    RightCategoryPopupMenu categories(&r.p, &r.p.librarian, kLowerArea, &r.p);
    RightSearchPopupMenu results(&r.p, &r.p.librarian, kLowerArea, &r.p);
    for (BankChooser* chooser : {static_cast<BankChooser*>(&upper), static_cast<BankChooser*>(&categories),
                                 static_cast<BankChooser*>(&results)})
        EXPECT_EQ(chooser->topMenu().GetNItems(), 0);
    r.click(upper, {});
    EXPECT_EQ(r.side(kUpper), "0 0 0");

    r.bank("A.syx");
    r.bank("B.syx");
    r.load();
    upper.rebuild();
    std::filesystem::remove(r.patches + "/B.syx");
    r.load();
    r.click(upper, {"B.syx"}); // from the menu built before the reload
    EXPECT_EQ(r.side(kUpper), "0 0 0");
    EXPECT_EQ(r.remembered(H::kUpperSound), (Lines{"B.syx", "Patches"}));
    upper.checkMenuItemAlone(1); // names no bank now
    upper.rebuild();
    EXPECT_EQ(r.outline(upper), (Lines{"A.syx *"}));
}

TEST(BankNameMenu, AChoiceSelectsTheUpperBankRefillsTheProgramMenuAndSendsTheEntry) {
    BankChooserRig r;
    r.bank("Factory/F1.syx");
    r.bank("Factory/F2.syx");
    r.bank("A.syx");
    r.bank("Factory/M1.syx", 'm');
    r.bank("Factory/M2.syx", 'm');
    r.load();
    ProgBankNamePopupMenu sounds(&r.p, &r.p.librarian, IRECT(1142, 60, 1180, 84), &r.p);
    PerfBankNamePopupMenu multis(&r.p, &r.p.librarian, IRECT(1142, 60, 1180, 84), &r.p);
    r.p.GetParam(kMainTab)->Set(1.0);
    r.p.GetParam(kMultiPatch)->InitInt("Multi", 5, 0, 127);
    r.p.program = 7;
    r.p.currentPart = 3;
    r.click(sounds, {"Factory", "F2.syx"});
    EXPECT_EQ(r.side(kUpper), r.at(r.indexOf(r.p.librarian.soundBanks, "F2.syx", "Factory")));
    EXPECT_EQ(r.remembered(H::kUpperSound), (Lines{"F2.syx", "Factory"}));
    EXPECT_EQ(r.firstName(0), "F2 1");
    EXPECT_EQ(r.p.librarian.upperSlotIndex, 7);
    EXPECT_EQ(r.p.sends, (testsupport::FakeBrowserPlugin::Sends{{7, 0, 3}}));

    // Off the librarian page the grid keeps its names; the program menu and the entry follow.
    r.p.setMode(1);
    r.p.GetParam(kMainTab)->Set(0.0);
    r.click(multis, {"Factory", "M2.syx"});
    EXPECT_EQ(r.side(kUpper), r.at(r.indexOf(r.p.librarian.multiBanks, "M2.syx", "Factory")));
    EXPECT_EQ(r.remembered(H::kUpperMulti), (Lines{"M2.syx", "Factory"}));
    EXPECT_EQ(r.firstName(0), "F2 1");
    EXPECT_EQ(r.p.GetParam(kMultiPatch)->Value(), 5);
    r.click(multis, {}); // a dismissal still sends the current entry
    EXPECT_EQ(r.p.menuNameUpdates, (std::vector<bool>{true, false, false}));
    EXPECT_EQ(r.p.sends.size(), 3u);
}

TEST(BankNameMenu, ARebuildListsTheReloadedBanksAndFindsTheUpperBank) {
    BankChooserRig r;
    r.bank("Factory/F1.syx");
    r.bank("Factory/F2.syx");
    r.load();
    ProgBankNamePopupMenu sounds(&r.p, &r.p.librarian, IRECT(1142, 60, 1180, 84), &r.p);
    r.click(sounds, {"Factory", "F2.syx"});
    r.bank("Factory/F0.syx");
    r.load();
    r.p.librarian.upperBankIndex = 0;
    sounds.rebuild();
    EXPECT_EQ(r.side(kUpper), r.at(2));
    EXPECT_EQ(r.outline(sounds), (Lines{"Factory", "  F0.syx", "  F1.syx", "  F2.syx *"}));
}
