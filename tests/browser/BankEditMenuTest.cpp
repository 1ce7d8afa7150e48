// The librarian's bank edit menu: its items in each mode, what every item posts or calls, and
// saving the bank being edited.

#include "tests/browser/MenuRig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using Lines = std::vector<std::string>;

// Every text is checked where the next test chooses it: a wrong one throws there.
TEST(BankEditMenu, HoldsTheRequestAndStoreMenusOfTheDataTypeSeparatorsCounted) {
    const char* const perMode[] = {"15 Request Patch Data 8, Store Patch Data 6",
                                   "15 Request Multi Data 4, Store Multi Data 2",
                                   "15 Request Sequence Data 4, Store Sequence Data 2"};
    MenuRig r;
    for (int mode : {0, 1, 2}) {
        r.p.setMode(mode);
        r.menus.edit->AddMenuItemsIn(&r.p);
        const auto& m = r.click(r.menus.edit, "");
        EXPECT_EQ(std::to_string(m.texts.size()) + " " + m.texts[0] + " " +
                      std::to_string(m.submenus[0].texts.size()) + ", " + m.texts[2] + " " +
                      std::to_string(m.submenus[2].texts.size()),
                  perMode[mode]);
    }
}

// Part 3 is current and its bank is 2. A menu built for one data type is chosen from in
// another when the two modes differ. A busy worker takes no job, and a dropped post leaves
// no flag and no call behind.
TEST(BankEditMenu, EveryItemPostsOrCallsWhatItNamesAndNothingWhileTheWorkerIsBusy) {
    struct Case {
        int built, mode;
        const char *path, *outcome;
    } const cases[] = {
        {0, 0, "Request Patch Data>from Active Slot to Plug-in GUI", "7 p3 b9 e1 s01 x1|d|"},
        {0, 0, "Request Patch Data>from Active Slot to Librarian", "7 p3 b9 e0 s01 x1||"},
        {0, 0, "Request Patch Data>from Selected Program Slot", "11 p9 b2 e1 s01 x0|a|"},
        {0, 0, "Request Patch Data>All Patches from Bank X", "12 p9 b3 e1 s01 x1|a|"},
        {0, 0, "Store Patch Data>To Currently Selected Slot & Bank",
         "||SendSingleProgramFromLibrarian 0 3"},
        {0, 0, "Store Patch Data>All Current Patches to Bank C", "||SendAllProgramsFromLibrarian 2"},
        {0, 0, "Sync Current Data from HW", "6 p9 b9 e1 s01 x1|d|"},
        {0, 0, "Push Current Multi to HW", "0 p9 b9 e1 s00 x1|b|setArrangementSendFlags 1 1 1"},
        {0, 0, "Import...>Standard MIDI (*.mid)", "||saveImportedFile 1"},
        {0, 0, "Import...>SysEx (*.syx / *.vub)", "||saveImportedFile 0"},
        {0, 0, "Refresh Folders", "||OnParamChange 18805"},
        {0, 0, "Open Data Folder", "||OpenDataDirectory"},
        {0, 0, "About...", "||OnParamChange 18283"},
        {0, 0, ">", "||"}, // the first separator
        {1, 1, "Request Multi Data>from Temp Buffer to Plug-in GUI", "6 p9 b9 e1 s01 x1|d|"},
        {1, 1, "Request Multi Data>from Temp Buffer to Librarian", "6 p9 b9 e0 s01 x1||"},
        {1, 1, "Request Multi Data>from selected Program Slot", "9 p9 b0 e1 s01 x1||clearEntryStored"},
        {1, 1, "Request Multi Data>All Multis from Selected Bank",
         "10 p9 b0 e1 s01 x1||clearEntryStored"},
        {1, 1, "Store Multi Data>To Currently Selected Slot & Bank",
         "||SendSingleProgramFromLibrarian 0 3"},
        {1, 1, "Store Multi Data>All Multis from Current Bank", "||SendAllProgramsFromLibrarian 0"},
        {2, 2, "Request Sequence Data>from Active Slot to Plug-in GUI",
         "8 p3 b9 e1 s01 x1|d|setPatternTargetPart 3"},
        {2, 2, "Request Sequence Data>from Active Slot to Librarian",
         "8 p3 b9 e0 s01 x1||setPatternTargetPart 3"},
        {2, 2, "Request Sequence Data>All Patterns", "14 p9 b9 e1 s01 x1|a|"},
        {2, 2, "Store Sequence Data>All Sequences from Current Bank",
         "||SendAllProgramsFromLibrarian 0"},
        // Left from another data type, only the multi requests act.
        {0, 1, "Request Patch Data>from Active Slot to Plug-in GUI", "||"},
        {0, 2, "Store Patch Data>To Currently Selected Slot & Bank", "||"},
        {1, 0, "Store Multi Data>All Multis from Current Bank", "||"},
        {2, 0, "Request Sequence Data>All Patterns", "||"},
        {1, 0, "Request Multi Data>from Temp Buffer to Librarian", "6 p9 b9 e0 s01 x1||"},
    };
    MenuRig r;
    r.p.GetParam(kMultiPartBank)->Set(1);
    r.p.GetParam(kMultiPartBank + 3)->Set(2);
    for (const Case& c : cases) {
        for (bool busy : {false, true}) {
            SCOPED_TRACE(std::string(c.path) + (busy ? " busy" : ""));
            r.p.setMode(c.built);
            r.menus.edit->AddMenuItemsIn(&r.p);
            r.p.setMode(c.mode);
            r.p.workerBusy = busy;
            r.click(r.menus.edit, c.path);
            EXPECT_EQ(r.outcome(), busy && c.outcome[0] != '|' ? "||" : c.outcome);
        }
    }
    EXPECT_EQ(r.p.GetParam(kDisplayAboutWindow)->Value(), 1);
    r.p.midiIoReady = false;
    r.click(r.menus.edit, "Push Current Multi to HW");
    EXPECT_EQ(r.outcome(), "||");
}

namespace {

std::map<std::string, std::vector<uint8_t>> filesBelow(const std::string& folder) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& f : std::filesystem::recursive_directory_iterator(folder))
        if (f.is_regular_file()) files[f.path().string()] = testsupport::readFile(f.path().string());
    return files;
}

// The dumps of the bank of that name, in `lib` or as a fresh librarian reads the folder.
std::vector<uint8_t> bankBytes(const std::string& folder, const std::string& fileName,
                               PatchLibrarian* lib = nullptr) {
    LibrarianTestHost host;
    PatchLibrarian fresh(host);
    if (!lib) fresh.loadPatchesFromFilesystem(folder);
    PatchLibrarian& l = lib ? *lib : fresh;
    std::vector<uint8_t> bytes;
    const int index = bankIndex(l, fileName);
    for (const LibrarianPatch& entry : l.soundBanks.at(size_t(index))->entries)
        for (const PatchSysexMessage& dump : entry.dumps)
            bytes.insert(bytes.end(), dump.bytes.begin(), dump.bytes.end());
    return bytes;
}

} // namespace

// The upper grid shows "Patches/User/Mine.syx" with its last slot edited.
TEST(BankEditMenu, SaveOverwritesTheUpperBanksFileAndSaveAsWritesTheChosenFileOrNothing) {
    MenuRig r;
    const std::string patches = r.folder.path() + "/Patches";
    std::filesystem::create_directories(patches + "/User");
    testsupport::writeFile(patches + "/User/Mine.syx",
                           testsupport::rawBankFile(testsupport::soundDumps(100, "Mine", "Lead")));
    r.p.data = r.folder.path() + "/";
    r.p.librarian.initBankFilesOnDiscard(patches);
    r.p.librarian.upperBankIndex = r.bankIndex("Mine.syx");
    r.bank("Mine.syx").entries[99] = r.bank("Source.syx").entries[99];
    const std::vector<uint8_t> edited = bankBytes(patches, "Mine.syx", &r.p.librarian);

    auto files = filesBelow(patches);
    r.click(r.menus.edit, "Save (Overwrite current bank)");
    files[patches + "/User/Mine.syx"] = edited;
    EXPECT_EQ(filesBelow(patches), files);
    EXPECT_EQ(bankBytes(patches, "Mine.syx"), edited);
    EXPECT_EQ(r.p.savedMarks, 1); // the bank is no longer unsaved

    struct Case {
        const char *item, *answer, *proposed; // answer below the patches folder, "" cancels
    } const cases[] = {
        {"Save As...>Standard MIDI (*.mid)", "/User/Copy.mid", "Mine.mid"},
        {"Save As...>Zoz Format (*.vub)", "/Copy.vub", "Mine.vub"},
        {"Save As...>Zoz Format (*.vub)", "", "Mine.vub"},
    };
    for (const Case& c : cases) {
        r.p.answer = c.answer[0] ? patches + c.answer : "";
        r.click(r.menus.edit, c.item);
        EXPECT_EQ(r.p.prompted, (Lines{c.proposed, patches + "/User/", c.proposed + 5}));
        if (c.answer[0]) {
            files[patches + c.answer] = testsupport::readFile(patches + c.answer);
            EXPECT_EQ(bankBytes(patches, c.answer + std::string(c.answer).rfind('/') + 1), edited);
            EXPECT_EQ(files[patches + c.answer][0], c.proposed[5] == 'm' ? 'M' : 0xF0);
        }
        EXPECT_EQ(filesBelow(patches), files) << c.answer;
    }
    EXPECT_EQ(r.p.remembered[LibrarianHost::kUpperSound][0] + " " +
                  r.p.remembered[LibrarianHost::kUpperSound][1], "Copy.vub Patches");

    r.p.librarian.upperBankIndex = 99; // no bank: nothing is written, and the display says so
    r.click(r.menus.edit, "Save (Overwrite current bank)");
    EXPECT_EQ(filesBelow(patches), files);
    EXPECT_EQ(r.p.displayed, Lines{"BANK NOT SAVED!"});
    EXPECT_EQ(r.p.savedMarks, 3); // the two written copies; no cancelled or failed save
}
