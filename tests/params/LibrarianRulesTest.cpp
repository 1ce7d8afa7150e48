#include "tests/support/BankFileGenerator.h"
#include "tests/support/EditorLayerTree.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;
using Lines = std::vector<std::string>;

namespace {

// The plug-in over a librarian loaded from a "Patches" folder of three banks of each kind:
// sounds "S1".."S3" (sounds named "S<bank> <n>"), multis "M1".."M3", patterns "P1".."P3".
struct Librarian : ::testing::Test {
    Librarian() {
        const std::string patches = temp.path() + "/Patches";
        std::filesystem::create_directories(patches);
        for (int n = 1; n <= 3; ++n) {
            const std::string b = std::to_string(n);
            writeFile(patches + "/S" + b + ".syx", rawBankFile(soundDumps(100, "S" + b, "Bass")));
            writeFile(patches + "/M" + b + ".syx", rawBankFile(multiDumps(100, "M" + b)));
            writeFile(patches + "/P" + b + ".syx", rawBankFile(patternDumps(100, "P" + b)));
        }
        fake.dataFolderPath = temp.path() + "/";
        fake.librarian.loadPatchesFromFilesystem(patches);
    }
    // A press of the button (or a commit of the field) as the framework dispatches it.
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
    for (const auto& row : rows) {
        setType(row.type);
        fake.librarian.upperBankIndex = 1;
        fake.librarian.upperSlotIndex = 7;
        fake.gridFocus = false;
        fake.setValue(kBankEditUnsaved, 0);
        const std::vector<uint8_t> before = entry(row.type, 1, 7).dumps[0].bytes;
        fake.GetParam(kPatchRename)->SetDisplayText(0, row.typed);
        press(kPatchRename);

        const std::vector<uint8_t>& after = entry(row.type, 1, 7).dumps[0].bytes;
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(std::string(after.begin() + row.offset, after.begin() + row.offset + 16),
                  row.field);
        EXPECT_TRUE(hasValidChecksum(after)) << row.type;
        // Every byte but the name and the checksum is kept.
        std::vector<uint8_t> kept[2] = {before, after};
        for (std::vector<uint8_t>& bytes : kept) {
            std::fill_n(bytes.begin() + row.offset, 16, 0);
            bytes[bytes.size() - 2] = 0;
        }
        EXPECT_EQ(kept[1], kept[0]) << row.type;
        EXPECT_EQ(entry(row.type, 1, 7).name, row.name);
        EXPECT_EQ(fake.value(kBankEditUnsaved), 1.0);
        EXPECT_TRUE(fake.gridFocus);
    }
    EXPECT_EQ(tree.visibleNamed(), "discardChangesLayerRight ");

    // The renamed pattern bank survives a save and a reload byte for byte.
    const std::string saved = temp.path() + "/Patches/P2.syx";
    ASSERT_TRUE(fake.librarian.saveEditedPatch(saved, "P2.syx"));
    FakeParamChangePlugin reloaded;
    reloaded.librarian.loadPatchesFromFilesystem(temp.path() + "/Patches");
    EXPECT_EQ(reloaded.librarian.patternBanks[1]->entries[7].dumps[0].bytes,
              entry(2, 1, 7).dumps[0].bytes);
}

TEST_F(Librarian, SlotRenameNeedsAnOpenFieldAndADump) {
    setType(0);
    fake.GetParam(kPatchRename)->SetDisplayText(0, "Bass");
    fake.librarian.upperSlotIndex = 3;
    press(kPatchRename); // the field was closed
    EXPECT_EQ(entry(0, 0, 3).name, "S1 4            ");

    // A bank of 98 entries is completed; its empty slot 99 keeps its name and the field closes.
    fake.librarian.soundBanks[0]->entries.resize(98);
    fake.librarian.upperSlotIndex = 99;
    fake.gridFocus = false;
    press(kPatchRename);
    EXPECT_EQ(fake.librarian.soundBanks[0]->entries.size(), 100u);
    EXPECT_TRUE(entry(0, 0, 99).dumps.empty() && entry(0, 0, 99).name.empty());
    EXPECT_EQ(fake.value(kBankEditUnsaved), 0.0);
    EXPECT_TRUE(fake.gridFocus);
}

TEST_F(Librarian, PatchSearch) {
    fake.addAction(kPatchSearchString);
    const auto search = [&](const char* text) {
        fake.coreCalls.clear();
        fake.GetParam(kPatchSearchString)->SetDisplayText(0, text);
        press(kPatchSearchString, 0);
        return fake.GetParam(kPatchSearchString)->GetDisplayText(0);
    };
    EXPECT_STREQ(search("S2 1"), "S2 1");
    EXPECT_TRUE(fake.searchView);
    EXPECT_EQ(fake.coreCalls, (Lines{"view 1", "patchType 0 4"}));
    EXPECT_EQ(tree.visibleNamed(), "RightSearchPopupMenu ");
    ASSERT_EQ(fake.librarian.searchBanks.size(), 1u);
    EXPECT_EQ(fake.librarian.searchBanks[0]->entries.size(), 12u); // S2 1, S2 10 .. S2 19, S2 100

    search("S3"); // the view is on: no new search
    EXPECT_TRUE(fake.coreCalls.empty());
    EXPECT_STREQ(search("S"), "search...");
    EXPECT_EQ(fake.nameText(), "Enter 2 digits or more!");
    EXPECT_EQ(fake.librarian.searchBanks[0]->entries[0].name.substr(0, 4), "S2 1");

    fake.searchView = false;
    const size_t tails = fake.calls().size();
    EXPECT_STREQ(search("s2"), "search...");
    EXPECT_EQ(fake.nameText(), "No results - Try another keyword!");
    EXPECT_EQ(fake.valueText(), "Letter size matters!");
    EXPECT_FALSE(fake.searchView);
    EXPECT_TRUE(fake.librarian.searchBanks.empty());
    EXPECT_EQ(fake.coreCalls, (Lines{"view 1", "patchType 0 0"}));
    EXPECT_EQ(tree.visibleNamed(), "categoryLimit LOWERPOPUPMENU ");
    EXPECT_EQ(fake.calls().size(), tails);

    search("");
    EXPECT_STREQ(fake.GetParam(kPatchSearchString)->GetDisplayText(0), "search...");
    EXPECT_EQ(fake.calls().size(), tails + 1);
}

TEST_F(Librarian, BankStepping) {
    const struct {
        int type, arrow, from, to, chooser, openBank;
        LibrarianHost::BankPosition position;
        const char* file;
    } rows[] = {
        {0, kLibUpperNextBank, 2, 0, 0, kCurrentOpenPatchBankL + 3, LibrarianHost::kUpperSound,
         "S1.syx"},
        {0, kLibLowerPreviousBank, 0, 2, 1, kCurrentOpenPatchBankR + 3, LibrarianHost::kLowerSound,
         "S3.syx"},
        {1, kLibUpperPreviousBank, 0, 2, 2, kCurrentOpenPerfBankL, LibrarianHost::kUpperMulti,
         "M3.syx"},
        {1, kLibLowerNextBank, 7, 0, 3, kCurrentOpenPerfBankR, LibrarianHost::kLowerMulti,
         "M1.syx"},
        {2, kLibUpperNextBank, 1, 2, 4, kCurrentOpenPatternBankL + 3, LibrarianHost::kUpperPattern,
         "P3.syx"},
        {2, kLibLowerPreviousBank, 0, 2, 5, kCurrentOpenPatternBankR + 3,
         LibrarianHost::kLowerPattern, "P3.syx"},
    };
    fake.selectedPartValue = 3;
    for (const auto& row : rows) {
        setType(row.type);
        fake.coreCalls.clear();
        const bool upper = row.arrow == kLibUpperNextBank || row.arrow == kLibUpperPreviousBank;
        const int list = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
        fake.setValue(list, row.from);
        press(row.arrow);
        EXPECT_EQ(fake.value(list), row.to) << row.arrow;
        EXPECT_EQ(fake.value(row.openBank), row.to);
        EXPECT_EQ(upper ? fake.librarian.upperBankIndex : fake.librarian.lowerBankIndex, row.to);
        EXPECT_EQ(fake.remembered[row.position][0], row.file);
        Lines expected{"chooser " + std::to_string(row.chooser) + " " + std::to_string(row.to) +
                           " Patches/" + row.file,
                       upper ? "view 0" : "view 1"};
        if (upper && row.type == 0) expected.push_back("bankAndProgramMenus 0");
        EXPECT_EQ(fake.coreCalls, expected);
        EXPECT_EQ(fake.nameText(), "");
    }

    // Unsaved edits hold the upper list only.
    setType(0);
    fake.setValue(kBankEditUnsaved, 1);
    fake.setValue(kPatchSelectionListUpper, 1);
    press(kLibUpperNextBank);
    EXPECT_EQ(fake.nameText(), "Save bank or Discard changes!");
    EXPECT_EQ(fake.value(kPatchSelectionListUpper), 1);
    press(kLibLowerNextBank);
    EXPECT_EQ(fake.librarian.lowerBankIndex, 0);

    // A part's sound bank by number: inside the list it opens above; outside nothing moves.
    fake.coreCalls.clear();
    press(kCurrentPatchBank + 5, 2);
    EXPECT_EQ(fake.value(kCurrentPatchBank + 3), 2);
    EXPECT_EQ(fake.coreCalls, (Lines{"chooser 0 2 Patches/S3.syx", "view 0"}));
    fake.coreCalls.clear();
    press(kCurrentPatchBank + 5, 3);
    EXPECT_TRUE(fake.coreCalls.empty());
    EXPECT_EQ(fake.librarian.upperBankIndex, 2);
}

TEST(LibrarianRules, BankSteppingOverAnEmptyListDoesNothing) {
    FakeParamChangePlugin fake;
    fake.setValue(kPatchSelectionListLower, 0);
    fake.edit(kLibLowerPreviousBank, 1);
    EXPECT_TRUE(fake.coreCalls.empty());
    EXPECT_EQ(fake.value(kPatchSelectionListLower), 0);
}

TEST_F(Librarian, ProgramStepping) {
    // Every step ends with the page's refresh, which shows the part's names.
    const auto step = [&](int button, int part, int from) {
        fake.coreCalls.clear();
        fake.jobs.clear();
        fake.programNumberValue = from;
        press(button + part);
        return fake.programNumberValue.load();
    };
    // Up from 99 and down from 0 wrap; each change sends and re-sends the part.
    EXPECT_EQ(step(kPatchUp, 4, 99), 0);
    EXPECT_EQ(fake.value(kMultiPartPatch + 4), 0);
    EXPECT_EQ(fake.coreCalls, (Lines{"currentSlot 0", "bankChange 4", "sendBack 4", "currentSlot 0",
                                     "programMenu 0", "patch ", "category "}));
    EXPECT_EQ(step(kPatchDown, 4, 0), 99);
    EXPECT_EQ(fake.librarian.upperSlotIndex, 99);

    // The request after the program change comes before the re-send; a refusal sends neither.
    fake.requestAfterBankChange = true;
    step(kPatchDown, 2, 50);
    ASSERT_EQ(fake.jobs.size(), 1u);
    EXPECT_EQ(fake.jobs[0].command, SenderJob::kSendPartRequestSysex);
    EXPECT_EQ(fake.jobs[0].job.part, 2);
    EXPECT_TRUE(fake.jobs[0].job.toEditor && fake.dumpAwaitedFlag);
    fake.bankChangeAccepted = false;
    step(kPatchDown, 2, 50);
    EXPECT_TRUE(fake.jobs.empty());
    EXPECT_EQ(fake.coreCalls[2], "currentSlot 49"); // no "sendBack"

    // A locked part, and a released down button, do nothing at all.
    fake.setValue(kPartLock + 6, 1);
    for (int button : {kPatchUp, kPatchDown}) {
        EXPECT_EQ(step(button, 6, 10), 10);
        EXPECT_TRUE(fake.coreCalls.empty());
    }
    fake.setValue(kPatchDown + 1, 1);
    press(kPatchDown + 1, 0);
    EXPECT_TRUE(fake.coreCalls.empty());
    // A released up button still refreshes the program menu and the page.
    press(kPatchUp + 1, 0);
    EXPECT_EQ(fake.coreCalls, (Lines{"currentSlot 10", "programMenu 10", "patch ", "category "}));

    // Program changes forbidden; then multi mode, which still steps the multi.
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

TEST(LibrarianRules, ViewCommandsSwitchTheLowerListByTheirTable) {
    const struct {
        int idx, value;
        bool multi, pattern, category, search;
        Lines calls;
        std::string shown;
    } rows[] = {
        {kRefreshFolders, 0, true, false, false, false, {"patchType 1 2 refresh"}, ""},
        {kRefreshFolders, 0, false, true, false, false, {"patchType 2 3 refresh"}, ""},
        {kRefreshFolders, 0, false, false, true, true, {"patchType 0 1 refresh"}, ""},
        {kRefreshFolders, 0, false, false, false, true, {"patchType 0 4 refresh"}, ""},
        {kRefreshFolders, 0, false, false, false, false, {"patchType 0 0 refresh"}, ""},
        {kDatatype,
         1,
         false,
         true,
         false,
         false,
         {"patchType 1 2", "bankEditMenu", "bankAndProgramMenus 1"},
         "LeftPerformancePopupMenu RightPerformancePopupMenu "},
        {kDatatype,
         7,
         true,
         false,
         false,
         false,
         {"patchType 2 3", "bankEditMenu"},
         "LeftPatternPopupMenu RightPatternPopupMenu "},
        {kDatatype,
         0,
         true,
         false,
         true,
         false,
         {"patchType 0 1", "bankEditMenu"},
         "UPPERPOPUPMENU RightPatchPopupMenu "},
        {kDatatype,
         0,
         false,
         true,
         false,
         true,
         {"patchType 0 4", "bankEditMenu"},
         "UPPERPOPUPMENU RightSearchPopupMenu "},
        {kDatatype,
         0,
         false,
         false,
         false,
         false,
         {"patchType 0 0", "bankEditMenu"},
         "UPPERPOPUPMENU LOWERPOPUPMENU "},
        {kCategorySelection,
         3,
         false,
         false,
         false,
         false,
         {"patchType 0 1"},
         "RightPatchPopupMenu "},
        {kCategorySelection, 0, false, false, true, false, {"patchType 0 0"}, "LOWERPOPUPMENU "},
        {kPatchSearch,
         0,
         false,
         false,
         false,
         true,
         {"patchType 0 0"},
         "categoryLimit LOWERPOPUPMENU "},
        {kPatchSearch, 1, false, false, false, false, {}, "searchField "},
    };
    for (const auto& row : rows) {
        FakeParamChangePlugin fake;
        EditorLayerTree tree(fake);
        fake.multiMode = row.multi;
        fake.sequenceMode = row.pattern;
        fake.categoryView = row.category;
        fake.searchView = row.search;
        fake.setValue(row.idx, row.value);
        fake.OnParamChange(row.idx);
        EXPECT_EQ(fake.coreCalls, row.calls) << row.idx << " " << row.value;
        EXPECT_EQ(tree.visibleNamed(), row.shown) << row.idx << " " << row.value;
        if (row.idx == kDatatype) {
            EXPECT_EQ(fake.searchButtonControl.IsGrayed(), row.value != 0 || row.category);
        }
    }
}

TEST(LibrarianRules, TransfersPostOnlyToAnIdleWorker) {
    ManualClock clock;
    FakeParamChangePlugin fake;
    fake.selectedPartValue = 9;
    // Overwrite: by data type, into the librarian, with the type's arrangement-send flag off.
    const struct {
        bool multi, pattern;
        int command, part, clearedFlag;
    } stores[] = {{false, false, SenderJob::kSendPartToDevice, 9, 2},
                  {true, false, SenderJob::kSendArrangementToDevice, 0, 3},
                  {false, true, SenderJob::kSendSequenceToDevice, 9, 2}};
    for (const auto& store : stores) {
        fake.jobs.clear();
        fake.multiMode = store.multi;
        fake.sequenceMode = store.pattern;
        fake.arrangementFlags = {true, true, true, true};
        fake.edit(kOverwriteBank, 1);
        fake.edit(kOverwriteBank, 0);
        ASSERT_EQ(fake.jobs.size(), 1u);
        EXPECT_EQ(fake.jobs[0].command, store.command);
        EXPECT_EQ(fake.jobs[0].job.part, store.part);
        EXPECT_TRUE(fake.jobs[0].job.dumpOption1);
        EXPECT_FALSE(fake.arrangementFlags[size_t(store.clearedFlag)]);
        EXPECT_EQ(fake.arrangementFlags[5 - size_t(store.clearedFlag)], true);
    }
    fake.jobs.clear();
    fake.viewSide = 1; // the lower grid is active
    fake.edit(kOverwriteBank, 1);
    EXPECT_TRUE(fake.jobs.empty());

    // A busy worker drops every post and nothing around it changes.
    fake.dumpWorkerBusy = true;
    fake.arrangementFlags = {};
    for (int idx : {kPushArrangement, kRequestTempData, kOverwriteBank}) {
        fake.viewSide = 0;
        fake.setValue(idx, 0);
        fake.edit(idx, 1);
    }
    EXPECT_EQ(fake.arrangementFlags, (std::array<bool, 4>{}));
    EXPECT_TRUE(fake.librarianRequests.empty() && !fake.dumpAwaitedFlag);
    EXPECT_EQ(fake.coreCalls, (Lines{"patch ", "category "})); // the page after the request

    fake.dumpWorkerBusy = false;
    fake.coreCalls.clear();
    fake.setValue(kPushArrangement, 0);
    fake.edit(kPushArrangement, 1);
    ASSERT_EQ(fake.jobs.size(), 1u);
    EXPECT_EQ(fake.jobs[0].command, SenderJob::kSendArrangementToDevice);
    EXPECT_FALSE(fake.jobs[0].job.dumpOption1 || fake.jobs[0].job.dumpOption2);
    EXPECT_EQ(fake.arrangementFlags, (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(fake.librarianRequests, std::vector<bool>{false});
    EXPECT_EQ(fake.coreCalls, Lines{"allSoundsOff 0 1"});

    fake.edit(kCancelDataRequest, 2);
    EXPECT_FALSE(fake.requestCancel);
    fake.edit(kCancelDataRequest, 1);
    EXPECT_TRUE(fake.requestCancel);
    EXPECT_EQ(fake.jobs.size(), 1u);
}

TEST(LibrarianRules, RequestTempDataWaitsASecondEvenWhenDropped) {
    for (bool busy : {true, false}) {
        ManualClock clock;
        FakeParamChangePlugin fake;
        fake.dumpWorkerBusy = busy;
        fake.edit(kRequestTempData, 1);
        EXPECT_EQ(clock.SleptNanos(), 1000 * 1000000LL);
        EXPECT_EQ(fake.coreCalls, (Lines{"patch ", "category "}));
        EXPECT_EQ(fake.jobs.size(), busy ? 0u : 1u);
        EXPECT_EQ(fake.dumpAwaitedFlag, !busy);
        if (busy) continue;
        EXPECT_EQ(fake.jobs[0].command, SenderJob::kSendActiveArrangementRequestSysex);
        EXPECT_TRUE(fake.jobs[0].job.toEditor);
    }
}

TEST(LibrarianRules, DiscardReopensTheShownBanksByName) {
    for (bool pattern : {false, true}) {
        FakeParamChangePlugin fake;
        EditorLayerTree tree(fake);
        fake.sequenceMode = pattern;
        fake.selectedPartValue = 2;
        const char* names[] = {"A.syx", "B.syx", "C.syx"};
        for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower})
            for (int n = 0; n < 3; ++n)
                fake.GetParam(list)->SetDisplayText(n, names[n]);
        fake.setValue(kBankEditUnsaved, 1);
        fake.setValue((pattern ? kCurrentOpenPatternBankL : kCurrentOpenPatchBankL) + 2, 2);
        fake.setValue((pattern ? kCurrentOpenPatternBankR : kCurrentOpenPatchBankR) + 2, 1);
        fake.edit(kDiscardBankData, 1);
        const int upper = pattern ? LibrarianHost::kUpperPattern : LibrarianHost::kUpperSound;
        EXPECT_EQ(fake.remembered[upper][0], "C.syx");
        EXPECT_EQ(fake.remembered[upper + 1][0], "B.syx");
        EXPECT_EQ(fake.value(kBankEditUnsaved), 0.0);
        EXPECT_EQ(
            fake.coreCalls,
            (Lines{"processing 1", pattern ? "patchType 2 3 refresh" : "patchType 0 0 refresh",
                   "processing 0"}));
        EXPECT_EQ(tree.visibleNamed(), pattern ? "keepBankOpenLayer LeftPatternPopupMenu "
                                               : "keepBankOpenLayer UPPERPOPUPMENU ");
    }
}

TEST(LibrarianRules, TabsAndWindows) {
    FakeParamChangePlugin fake;
    EditorLayerTree tree(fake);
    fake.edit(kQuickTab, 5);
    EXPECT_EQ(fake.selectedPartValue, 5);
    EXPECT_EQ(fake.coreCalls.back(), "bankAndProgramMenus 0");
    fake.coreCalls.clear();
    fake.edit(kMainTab, 1);
    EXPECT_EQ(fake.coreCalls.front(), "bankEditMenu");
    EXPECT_TRUE(fake.layers["librarianPage"]->isVisible());
    fake.edit(kMultiSettings, 1);
    EXPECT_TRUE(fake.layers["multiPage"]->isVisible());

    fake.edit(kViewMIDIFilterSettings, 1);
    EXPECT_TRUE(fake.layers["midiFilterSettings"]->isVisible());
    fake.coreCalls.clear();
    fake.edit(kViewMIDIFilterSettings, 0);
    fake.layers["aboutWindow"]->Hide(false);
    fake.edit(kExitAboutWindow, 1);
    EXPECT_FALSE(fake.layers["midiFilterSettings"]->isVisible() ||
                 fake.layers["aboutWindow"]->isVisible());
    EXPECT_EQ(fake.coreCalls, (Lines{"progress 1", "progress 0", "progress 1", "progress 0"}));
}
