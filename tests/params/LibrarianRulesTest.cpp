#include "tests/support/BankFileGenerator.h"
#include "tests/support/EditorLayerTree.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;
using Lines = std::vector<std::string>;
using H = LibrarianHost;

namespace {

// The plug-in with its layers over a librarian loaded from a "Patches" folder of three banks
// of each kind: sounds "S1".."S3" (sounds "S<bank> <n>"), multis "M1".."M3", patterns "P1"..
struct Librarian : ::testing::Test {
    Librarian() {
        std::filesystem::create_directories(patches);
        for (const char* b : {"1", "2", "3"}) {
            writeFile(patches + "/S" + b + ".syx",
                      rawBankFile(soundDumps(100, "S" + std::string(b), "Bass")));
            writeFile(patches + "/M" + b + ".syx", rawBankFile(multiDumps(100, "M")));
            writeFile(patches + "/P" + b + ".syx", rawBankFile(patternDumps(100, "P")));
        }
        fake.librarian.loadPatchesFromFilesystem(patches);
    }
    // A press of the button, or a commit of the field, as the framework dispatches it.
    void press(int idx, double value = 1.0) {
        fake.setValue(idx, value);
        fake.OnParamChange(idx);
    }
    void setType(int type) {
        fake.multiMode = type == 1;
        fake.sequenceMode = type == 2;
        fake.librarian.currentType = type;
    }
    LibrarianPatch& entry(int type, int bank, int slot) {
        return (*fake.librarian.bankList(type))[size_t(bank)]->entries[size_t(slot)];
    }

    TempFolder temp;
    const std::string patches = temp.path() + "/Patches";
    FakeParamChangePlugin fake;
    EditorLayerTree tree{fake};
};

} // namespace

TEST_F(Librarian, SlotRename) {
    const struct {
        int type, offset;
        const char* typed;
        std::string field, name;
    } rows[] = {
        {0, 371, "Bass", "Bass            ", "Bass"},
        {1, 23, "ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"},
        {2, 15, "B\xC3\xA9", "B               ", "B  "},
    };
    fake.librarian.upperBankIndex = 1;
    fake.librarian.upperSlotIndex = 7;
    for (const auto& row : rows) {
        setType(row.type);
        fake.gridFocus = false;
        std::vector<uint8_t> kept[2] = {entry(row.type, 1, 7).dumps[0].bytes};
        fake.GetParam(kPatchRename)->SetDisplayText(0, row.typed);
        press(kPatchRename);
        kept[1] = entry(row.type, 1, 7).dumps[0].bytes;
        EXPECT_EQ(std::string(kept[1].begin() + row.offset, kept[1].begin() + row.offset + 16),
                  row.field);
        EXPECT_TRUE(hasValidChecksum(kept[1])) << row.type;
        // Every other byte is kept.
        for (std::vector<uint8_t>& bytes : kept) {
            std::fill_n(bytes.begin() + row.offset, 16, 0);
            bytes[bytes.size() - 2] = 0;
        }
        EXPECT_EQ(kept[1], kept[0]) << row.type;
        EXPECT_EQ(entry(row.type, 1, 7).name, row.name);
        EXPECT_TRUE(fake.gridFocus);
    }
    EXPECT_EQ(fake.value(kBankEditUnsaved), 1.0);
    EXPECT_EQ(tree.visibleNamed(), "discardChangesLayerRight ");
    ASSERT_TRUE(fake.librarian.saveEditedPatch(patches + "/P2.syx", "P2.syx"));
    FakeParamChangePlugin reloaded;
    reloaded.librarian.loadPatchesFromFilesystem(patches);
    EXPECT_EQ(reloaded.librarian.patternBanks[1]->entries[7].dumps[0].bytes,
              entry(2, 1, 7).dumps[0].bytes);

    // A closed field renames nothing; nor does the empty slot 99 of a completed 98-entry bank.
    setType(0);
    fake.setValue(kBankEditUnsaved, 0);
    fake.librarian.soundBanks[1]->entries.resize(98);
    fake.GetParam(kPatchRename)->SetDisplayText(0, "Closed");
    press(kPatchRename);
    EXPECT_EQ(entry(0, 1, 7).name, "Bass");
    fake.librarian.upperSlotIndex = 99;
    fake.gridFocus = false;
    press(kPatchRename);
    EXPECT_EQ(fake.librarian.soundBanks[1]->entries.size(), 100u);
    EXPECT_TRUE(entry(0, 1, 99).dumps.empty() && entry(0, 1, 99).name.empty());
    EXPECT_EQ(fake.value(kBankEditUnsaved), 0.0);
    EXPECT_TRUE(fake.gridFocus);
}

TEST_F(Librarian, PatchSearch) {
    fake.addAction(kPatchSearchString);
    const auto search = [&](const char* text) {
        fake.coreCalls.clear();
        fake.GetParam(kPatchSearchString)->SetDisplayText(0, text);
        press(kPatchSearchString, 0);
        return std::string(fake.GetParam(kPatchSearchString)->GetDisplayText(0));
    };
    EXPECT_EQ(search("S2 1"), "S2 1");
    EXPECT_EQ(fake.coreCalls, (Lines{"view 1", "patchType 0 4"}));
    EXPECT_EQ(tree.visibleNamed(), "RightSearchPopupMenu ");
    ASSERT_EQ(fake.librarian.searchBanks.size(), 1u);
    EXPECT_EQ(fake.librarian.searchBanks[0]->entries.size(), 12u); // 1, 10..19, 100
    // While the view is on no new search starts.
    search("S3");
    EXPECT_TRUE(fake.coreCalls.empty());
    EXPECT_EQ(search("S"), "search...");
    EXPECT_EQ(fake.nameText(), "Enter 2 digits or more!");
    EXPECT_EQ(fake.librarian.searchBanks.size(), 1u);

    fake.searchView = false;
    EXPECT_EQ(search("s2"), "search...");
    EXPECT_EQ(fake.nameText() + fake.valueText(),
              "No results - Try another keyword!Letter size matters!");
    EXPECT_FALSE(fake.searchView);
    EXPECT_TRUE(fake.librarian.searchBanks.empty());
    EXPECT_EQ(fake.coreCalls, (Lines{"view 1", "patchType 0 0"}));
    EXPECT_EQ(tree.visibleNamed(), "categoryLimit LOWERPOPUPMENU ");
    EXPECT_EQ(fake.calls().size(), 3u); // the tails of the three searches before, not this one
}

TEST_F(Librarian, BankStepping) {
    const struct {
        int type, arrow, from, to, chooser, openBank;
        H::BankPosition position;
    } rows[] = {
        {0, kLibUpperNextBank, 2, 0, 0, kCurrentOpenPatchBankL + 3, H::kUpperSound},
        {0, kLibLowerPreviousBank, 0, 2, 1, kCurrentOpenPatchBankR + 3, H::kLowerSound},
        {1, kLibUpperPreviousBank, 0, 2, 2, kCurrentOpenPerfBankL, H::kUpperMulti},
        {1, kLibLowerNextBank, 7, 0, 3, kCurrentOpenPerfBankR, H::kLowerMulti},
        {2, kLibUpperNextBank, 1, 2, 4, kCurrentOpenPatternBankL + 3, H::kUpperPattern},
        {2, kLibLowerPreviousBank, 0, 2, 5, kCurrentOpenPatternBankR + 3, H::kLowerPattern},
    };
    fake.selectedPartValue = 3;
    for (const auto& row : rows) {
        setType(row.type);
        fake.coreCalls.clear();
        const bool upper = row.arrow == kLibUpperNextBank || row.arrow == kLibUpperPreviousBank;
        const int list = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
        fake.setValue(list, row.from);
        press(row.arrow);
        const std::string file =
            std::string("SMP")[size_t(row.type)] + std::to_string(row.to + 1) + ".syx";
        EXPECT_EQ(fake.value(list) + fake.value(row.openBank), 2 * row.to) << row.arrow;
        EXPECT_EQ(upper ? fake.librarian.upperBankIndex : fake.librarian.lowerBankIndex, row.to);
        EXPECT_EQ(fake.remembered[row.position][0] + fake.remembered[row.position][1],
                  file + "Patches");
        Lines expected{"chooser " + std::to_string(row.chooser) + " " + std::to_string(row.to) +
                           " Patches/" + file,
                       upper ? "view 0" : "view 1"};
        if (upper && row.type == 0) expected.push_back("bankAndProgramMenus 0");
        EXPECT_EQ(fake.coreCalls, expected);
        EXPECT_EQ(fake.nameText(), "");
    }

    // Unsaved edits hold the upper list only.
    setType(0);
    fake.setValue(kBankEditUnsaved, 1);
    press(kLibUpperNextBank);
    EXPECT_EQ(fake.nameText(), "Save bank or Discard changes!");
    EXPECT_EQ(fake.librarian.upperBankIndex, 2);
    press(kLibLowerNextBank);
    EXPECT_EQ(fake.librarian.lowerBankIndex, 0);

    // A part's sound bank by number opens above within the list, and nothing moves beyond it.
    fake.coreCalls.clear();
    press(kCurrentPatchBank + 5, 2);
    press(kCurrentPatchBank + 5, 3);
    EXPECT_EQ(fake.value(kCurrentPatchBank + 3), 2);
    EXPECT_EQ(fake.coreCalls, (Lines{"chooser 0 2 Patches/S3.syx", "view 0"}));

    FakeParamChangePlugin empty;
    empty.edit(kLibLowerPreviousBank, 1);
    EXPECT_TRUE(empty.coreCalls.empty());
}

TEST_F(Librarian, ProgramStepping) {
    const auto step = [&](int button, int part, int from) {
        fake.coreCalls.clear();
        fake.jobs.clear();
        fake.programNumberValue = from;
        press(button + part);
        return fake.programNumberValue.load();
    };
    // Every step ends with the page's refresh, which shows the part's names.
    EXPECT_EQ(step(kPatchUp, 4, 99), 0);
    EXPECT_EQ(fake.value(kMultiPartPatch + 4), 0);
    EXPECT_EQ(fake.coreCalls, (Lines{"currentSlot 0", "bankChange 4", "sendBack 4", "currentSlot 0",
                                     "programMenu 0", "patch ", "category "}));
    EXPECT_EQ(step(kPatchDown, 4, 0), 99);
    EXPECT_EQ(fake.librarian.upperSlotIndex, 99);

    // The request after a program change; a refused change requests and re-sends nothing.
    fake.requestAfterBankChange = true;
    step(kPatchDown, 2, 50);
    ASSERT_EQ(fake.jobs.size(), 1u);
    EXPECT_EQ(fake.jobs[0].command, SenderJob::kSendPartRequestSysex);
    EXPECT_TRUE(fake.jobs[0].job.part == 2 && fake.jobs[0].job.toEditor && fake.dumpAwaitedFlag);
    fake.bankChangeAccepted = false;
    step(kPatchDown, 2, 50);
    EXPECT_TRUE(fake.jobs.empty());
    EXPECT_EQ(fake.coreCalls[2], "currentSlot 49");

    // A locked part and a released down button do nothing; a released up button refreshes.
    fake.setValue(kPartLock + 6, 1);
    for (int button : {kPatchUp, kPatchDown}) {
        EXPECT_EQ(step(button, 6, 10), 10);
        EXPECT_TRUE(fake.coreCalls.empty());
    }
    press(kPatchDown + 1, 0);
    EXPECT_TRUE(fake.coreCalls.empty());
    press(kPatchUp + 1, 0);
    EXPECT_EQ(fake.coreCalls, (Lines{"currentSlot 10", "programMenu 10", "patch ", "category "}));

    fake.setValue(kPartProgramChange + 7, 1);
    EXPECT_EQ(step(kPatchUp, 7, 10), 10);
    EXPECT_EQ(fake.nameText(), "Program Change Disabled.");
    fake.multiMode = true;
    EXPECT_EQ(step(kPatchUp, 1, 10), 11);
    EXPECT_EQ(fake.value(kMultiPatch), 11);
    EXPECT_EQ(fake.nameText(), "Disable Multi Mode first");

    // Librarian mode: the grid's current slot steps and its entry goes to the part.
    fake.multiMode = false;
    fake.librarianNames = true;
    fake.viewSide = 1;
    fake.viewCurrentSlot = 99;
    step(kPatchUp, 3, 40);
    EXPECT_EQ(fake.coreCalls, (Lines{"currentSlot 0", "audition 0 1 3", "currentSlot 0",
                                     "programMenu 0", "patch ", "category "}));
    EXPECT_EQ(fake.value(kMultiPartPatch + 3), 0);
}

TEST(LibrarianRules, CommandsByTheirTable) {
    enum { kMulti = 1, kPattern = 2, kCategory = 4, kSearch = 8 };
    const struct {
        int idx, value, flags;
        Lines calls;
        std::string shown;
    } rows[] = {
        {kRefreshFolders, 0, kMulti, {"patchType 1 2 refresh"}, ""},
        {kRefreshFolders, 0, kPattern, {"patchType 2 3 refresh"}, ""},
        {kRefreshFolders, 0, kCategory | kSearch, {"patchType 0 1 refresh"}, ""},
        {kRefreshFolders, 0, kSearch, {"patchType 0 4 refresh"}, ""},
        {kRefreshFolders, 0, 0, {"patchType 0 0 refresh"}, ""},
        {kDatatype,
         1,
         kPattern,
         {"patchType 1 2", "bankEditMenu", "bankAndProgramMenus 1"},
         "LeftPerformancePopupMenu RightPerformancePopupMenu "},
        {kDatatype,
         7,
         kMulti,
         {"patchType 2 3", "bankEditMenu"},
         "LeftPatternPopupMenu RightPatternPopupMenu "},
        {kDatatype,
         0,
         kCategory,
         {"patchType 0 1", "bankEditMenu"},
         "UPPERPOPUPMENU RightPatchPopupMenu "},
        {kDatatype,
         0,
         kSearch,
         {"patchType 0 4", "bankEditMenu"},
         "UPPERPOPUPMENU RightSearchPopupMenu "},
        {kCategorySelection, 3, 0, {"patchType 0 1"}, "RightPatchPopupMenu "},
        {kCategorySelection, 0, kCategory, {"patchType 0 0"}, "LOWERPOPUPMENU "},
        {kPatchSearch, 0, kSearch, {"patchType 0 0"}, "categoryLimit LOWERPOPUPMENU "},
        {kPatchSearch, 1, 0, {}, "searchField "},
        {kViewMIDIFilterSettings, 1, 0, {}, "midiFilterSettings "},
        {kViewMIDIFilterSettings, 0, 0, {"progress 1", "progress 0"}, ""},
        {kExitAboutWindow, 1, 0, {"progress 1", "progress 0"}, ""},
        {kQuickTab, 5, 0, {"bankAndProgramMenus 0"}, "bankAndProgram06 "},
    };
    for (const auto& row : rows) {
        FakeParamChangePlugin fake;
        EditorLayerTree tree(fake);
        fake.multiMode = row.flags & kMulti;
        fake.sequenceMode = row.flags & kPattern;
        fake.categoryView = row.flags & kCategory;
        fake.searchView = row.flags & kSearch;
        fake.layers["aboutWindow"]->Hide(row.idx != kExitAboutWindow);
        fake.setValue(row.idx, row.value);
        fake.OnParamChange(row.idx);
        EXPECT_EQ(fake.coreCalls, row.calls) << row.idx << " " << row.value;
        EXPECT_EQ(tree.visibleNamed(), row.shown) << row.idx;
        const bool grey = row.value != 0 || row.flags & kCategory;
        EXPECT_TRUE(row.idx != kDatatype || fake.searchButtonControl.IsGrayed() == grey);
    }
}

TEST(LibrarianRules, TransfersChangeNothingWhenTheWorkerIsBusy) {
    ManualClock clock;
    FakeParamChangePlugin fake;
    fake.dumpWorkerBusy = true;
    fake.arrangementFlags = {false, false, true, true};
    for (int idx : {kPushArrangement, kRequestTempData, kOverwriteBank})
        fake.edit(idx, 1);
    EXPECT_EQ(fake.arrangementFlags, (std::array<bool, 4>{false, false, true, true}));
    EXPECT_TRUE(fake.librarianRequests.empty() && !fake.dumpAwaitedFlag);
    // The request still waits its second and refreshes the page.
    EXPECT_EQ(clock.SleptNanos(), 1000000000);
    EXPECT_EQ(fake.coreCalls, (Lines{"patch ", "category "}));

    fake.dumpWorkerBusy = false;
    fake.coreCalls.clear();
    for (int idx : {kPushArrangement, kRequestTempData}) {
        fake.edit(idx, 0);
        fake.edit(idx, 1);
    }
    ASSERT_EQ(fake.jobs.size(), 2u);
    EXPECT_EQ(fake.jobs[0].command, SenderJob::kSendArrangementToDevice);
    EXPECT_FALSE(fake.jobs[0].job.dumpOption1 || fake.jobs[0].job.dumpOption2);
    EXPECT_EQ(fake.arrangementFlags, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(fake.coreCalls[0], "allSoundsOff 0 1");
    EXPECT_EQ(fake.jobs[1].command, SenderJob::kSendActiveArrangementRequestSysex);
    EXPECT_TRUE(fake.jobs[1].job.toEditor && fake.dumpAwaitedFlag);
    EXPECT_EQ(fake.librarianRequests, (std::vector<bool>{false, false}));
    fake.edit(kCancelDataRequest, 2);
    EXPECT_FALSE(fake.requestCancel);
    fake.edit(kCancelDataRequest, 1);
    EXPECT_TRUE(fake.requestCancel);
}

TEST(LibrarianRules, OverwriteStoresTheEditorsDataByType) {
    const struct {
        bool multi, pattern;
        int command, part;
        std::array<bool, 4> flags;
    } rows[] = {{false, false, SenderJob::kSendPartToDevice, 9, {true, true, false, true}},
                {true, false, SenderJob::kSendArrangementToDevice, 0, {true, true, true, false}},
                {false, true, SenderJob::kSendSequenceToDevice, 9, {true, true, false, true}}};
    for (const auto& row : rows) {
        FakeParamChangePlugin fake;
        fake.selectedPartValue = 9;
        fake.multiMode = row.multi;
        fake.sequenceMode = row.pattern;
        fake.arrangementFlags = {true, true, true, true};
        fake.edit(kOverwriteBank, 1);
        ASSERT_EQ(fake.jobs.size(), 1u);
        EXPECT_EQ(fake.jobs[0].command, row.command);
        EXPECT_TRUE(fake.jobs[0].job.part == row.part && fake.jobs[0].job.dumpOption1);
        EXPECT_EQ(fake.arrangementFlags, row.flags);
        fake.viewSide = 1; // the lower grid is active
        fake.edit(kOverwriteBank, 0);
        fake.edit(kOverwriteBank, 1);
        EXPECT_EQ(fake.jobs.size(), 1u);
    }
}

// The banks the grids show, however they came there (here as a menu choice, which leaves the
// open-bank parameters alone), are the ones the refresh reopens, by file name and folder.
TEST_F(Librarian, DiscardReopensTheShownBanksByName) {
    for (int type : {2, 0}) {
        setType(type);
        fake.coreCalls.clear();
        fake.selectedPartValue = 2;
        fake.librarian.upperBankIndex = 2;
        fake.librarian.lowerBankIndex = 1;
        fake.setValue(kBankEditUnsaved, 1);
        press(kDiscardBankData);
        const int upper = type == 2 ? H::kUpperPattern : H::kUpperSound;
        const std::string kind = type == 2 ? "P" : "S";
        EXPECT_EQ(Lines(std::begin(fake.remembered[upper]), std::end(fake.remembered[upper])),
                  (Lines{kind + "3.syx", "Patches"}));
        EXPECT_EQ(fake.remembered[upper + 1][0], kind + "2.syx");
        EXPECT_EQ(fake.value(kBankEditUnsaved), 0.0);
        EXPECT_EQ(fake.coreCalls,
                  (Lines{"processing 1", type == 2 ? "patchType 2 3 refresh" : "patchType 0 0 refresh",
                         "processing 0"}));
        const std::string shown = tree.visibleNamed();
        EXPECT_NE(shown.find(type == 2 ? "LeftPatternPopupMenu" : "UPPERPOPUPMENU"), std::string::npos)
            << shown;
        EXPECT_NE(shown.find("keepBankOpenLayer"), std::string::npos) << shown;
    }
}
