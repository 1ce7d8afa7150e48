// The librarian's bank edit menu: its items in each mode, what every item posts or calls, and
// saving the bank being edited.

#include "tests/browser/MenuRig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using Lines = std::vector<std::string>;

TEST(BankEditMenu, HoldsTheRequestAndStoreMenusOfTheDataType) {
    struct Case {
        int mode;
        const char *request, *store;
        size_t requestItems, storeItems;
    } const cases[] = {
        {0, "Request Patch Data", "Store Patch Data", 8, 6},
        {1, "Request Multi Data", "Store Multi Data", 4, 2},
        {2, "Request Sequence Data", "Store Sequence Data", 4, 2},
    };
    MenuRig r;
    for (const Case& c : cases) {
        r.p.setMode(c.mode);
        r.menus.edit->AddMenuItemsIn(&r.p);
        const auto& shown = r.click(r.menus.edit, "");
        ASSERT_EQ(shown.texts.size(), 15u);
        EXPECT_EQ(shown.texts[0], c.request);
        EXPECT_EQ(shown.submenus[0].texts.size(), c.requestItems);
        EXPECT_EQ(shown.texts[2], c.store);
        EXPECT_EQ(shown.submenus[2].texts.size(), c.storeItems);
        EXPECT_EQ(shown.submenus[8].texts, (Lines{"Standard MIDI (*.mid)", "Zoz Format (*.vub)"}));
        EXPECT_EQ(shown.submenus[10].texts, (Lines{"Standard MIDI (*.mid)", "SysEx (*.syx / *.vub)"}));
    }
    const Lines main{"Request Sequence Data", "-", "Store Sequence Data", "-",
                     "Sync Current Data from HW", "Push Current Multi to HW", "-",
                     "Save (Overwrite current bank)", "Save As...", "-", "Import...",
                     "Refresh Folders", "-", "Open Data Folder", "About..."};
    Lines shownMain;
    for (const std::string& line : r.p.g->menus.back().outline())
        if (line[0] != ' ') shownMain.push_back(line);
    EXPECT_EQ(shownMain, main);
}

// Part 3 is current and its bank is 2. The job record holds stale values (part and bank 9,
// flags set): a post writes its job's arguments and leaves the rest. A menu built for one
// data type is chosen from in another when the two modes differ.
TEST(BankEditMenu, EveryItemPostsOrCallsWhatItNamesAndNothingWhileTheWorkerIsBusy) {
    struct Case {
        int built, mode;
        const char* path;
        const char* job;   // "" for none
        const char* flags; // d dump awaited, b manager busy, a collection armed
        const char* calls; // of the plug-in, comma-separated
    } const cases[] = {
        {0, 0, "Request Patch Data>from Active Slot to Plug-in GUI",
         "7 part=3 bank=9 toEditor=1 store=01 editBuffer=1", "d", ""},
        {0, 0, "Request Patch Data>from Active Slot to Librarian",
         "7 part=3 bank=9 toEditor=0 store=01 editBuffer=1", "", ""},
        {0, 0, "Request Patch Data>from Selected Program Slot",
         "11 part=9 bank=2 toEditor=1 store=01 editBuffer=0", "a", ""},
        {0, 0, "Request Patch Data>All Patches from Bank A",
         "12 part=9 bank=0 toEditor=1 store=01 editBuffer=1", "a", ""},
        {0, 0, "Request Patch Data>All Patches from Bank X",
         "12 part=9 bank=3 toEditor=1 store=01 editBuffer=1", "a", ""},
        {0, 0, "Store Patch Data>To Currently Selected Slot & Bank", "", "",
         "SendSingleProgramFromLibrarian 0 3"},
        {0, 0, "Store Patch Data>All Current Patches to Bank C", "", "",
         "SendAllProgramsFromLibrarian 2"},
        {0, 0, "Sync Current Data from HW", "6 part=9 bank=9 toEditor=1 store=01 editBuffer=1", "d",
         ""},
        {0, 0, "Push Current Multi to HW", "0 part=9 bank=9 toEditor=1 store=00 editBuffer=1", "b",
         "setArrangementSendFlags 1 1 1"},
        {0, 0, "Import...>Standard MIDI (*.mid)", "", "", "saveImportedFile 1"},
        {0, 0, "Import...>SysEx (*.syx / *.vub)", "", "", "saveImportedFile 0"},
        {0, 0, "Refresh Folders", "", "", "OnParamChange 18805"},
        {0, 0, "Open Data Folder", "", "", "OpenDataDirectory"},
        {0, 0, "About...", "", "", "OnParamChange 18283"},
        {0, 0, ">", "", "", ""}, // the first separator
        {0, 0, "Save As...", "", "", ""},
        {1, 1, "Request Multi Data>from Temp Buffer to Plug-in GUI",
         "6 part=9 bank=9 toEditor=1 store=01 editBuffer=1", "d", ""},
        {1, 1, "Request Multi Data>from Temp Buffer to Librarian",
         "6 part=9 bank=9 toEditor=0 store=01 editBuffer=1", "", ""},
        {1, 1, "Request Multi Data>from selected Program Slot",
         "9 part=9 bank=0 toEditor=1 store=01 editBuffer=1", "", "clearEntryStored"},
        {1, 1, "Request Multi Data>All Multis from Selected Bank",
         "10 part=9 bank=0 toEditor=1 store=01 editBuffer=1", "", "clearEntryStored"},
        {1, 1, "Store Multi Data>To Currently Selected Slot & Bank", "", "",
         "SendSingleProgramFromLibrarian 0 3"},
        {1, 1, "Store Multi Data>All Multis from Current Bank", "", "",
         "SendAllProgramsFromLibrarian 0"},
        {2, 2, "Request Sequence Data>from Active Slot to Plug-in GUI",
         "8 part=3 bank=9 toEditor=1 store=01 editBuffer=1", "d", "setPatternTargetPart 3"},
        {2, 2, "Request Sequence Data>from Active Slot to Librarian",
         "8 part=3 bank=9 toEditor=0 store=01 editBuffer=1", "", "setPatternTargetPart 3"},
        {2, 2, "Request Sequence Data>All Patterns",
         "14 part=9 bank=9 toEditor=1 store=01 editBuffer=1", "a", ""},
        {2, 2, "Store Sequence Data>To Currently Selected Slot & Bank", "", "",
         "SendSingleProgramFromLibrarian 0 3"},
        {2, 2, "Store Sequence Data>All Sequences from Current Bank", "", "",
         "SendAllProgramsFromLibrarian 0"},
        // Submenus left from another data type: only the multi requests act.
        {0, 1, "Request Patch Data>from Active Slot to Plug-in GUI", "", "", ""},
        {0, 1, "Store Patch Data>All Current Patches to Bank A", "", "", ""},
        {0, 2, "Request Patch Data>All Patches from Bank A", "", "", ""},
        {0, 2, "Store Patch Data>To Currently Selected Slot & Bank", "", "", ""},
        {1, 0, "Store Multi Data>All Multis from Current Bank", "", "", ""},
        {2, 0, "Request Sequence Data>All Patterns", "", "", ""},
        {1, 0, "Request Multi Data>from Temp Buffer to Librarian",
         "6 part=9 bank=9 toEditor=0 store=01 editBuffer=1", "", ""},
    };
    MenuRig r;
    r.p.GetParam(kMultiPartBank)->Set(1);
    r.p.GetParam(kMultiPartBank + 3)->Set(2);
    for (const Case& c : cases) {
        for (bool busy : {false, true}) {
            SCOPED_TRACE(std::to_string(c.built) + std::to_string(c.mode) + " " + c.path +
                         (busy ? " busy" : ""));
            r.p.setMode(c.built);
            r.menus.edit->AddMenuItemsIn(&r.p);
            r.p.setMode(c.mode);
            r.p.jobs.clear();
            r.p.calls.clear();
            r.p.changes.clear();
            r.p.workerBusy = busy;
            r.p.dumpAwaited = r.p.managerBusy = r.p.requestArmed = false;
            r.p.record = SenderJob();
            r.p.record.part = r.p.record.bank = 9;
            r.p.record.toEditor = r.p.record.dumpOption2 = r.p.record.editBuffer = true;
            r.click(r.menus.edit, c.path);

            const bool posts = c.job[0];
            std::string calls;
            for (const std::string& call : r.p.calls)
                calls += (calls.empty() ? "" : ",") + call;
            for (int id : r.p.changes)
                calls += (calls.empty() ? "" : ",") + ("OnParamChange " + std::to_string(id));
            EXPECT_EQ(calls, busy && posts ? "" : c.calls);
            const std::string flags = std::string(r.p.dumpAwaited ? "d" : "") +
                                      (r.p.managerBusy ? "b" : "") + (r.p.requestArmed ? "a" : "");
            EXPECT_EQ(flags, busy ? "" : c.flags);
            ASSERT_EQ(r.p.jobs.size(), posts && !busy ? 1u : 0u);
            if (posts && !busy) {
                EXPECT_EQ(MenuRig::job(r.p.jobs[0]), c.job);
            }
        }
    }
    EXPECT_EQ(r.p.GetParam(kDisplayAboutWindow)->Value(), 1);

    // Without MIDI I/O the push neither posts nor sets a flag.
    r.p.workerBusy = false;
    r.p.midiIoReady = false;
    r.p.calls.clear();
    r.click(r.menus.edit, "Push Current Multi to HW");
    EXPECT_TRUE(r.p.jobs.empty());
    EXPECT_TRUE(r.p.calls.empty());
    EXPECT_FALSE(r.p.managerBusy);
}

namespace {

// Every file below the folder with its bytes.
std::map<std::string, std::vector<uint8_t>> filesBelow(const std::string& folder) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& f : std::filesystem::recursive_directory_iterator(folder))
        if (f.is_regular_file()) files[f.path().string()] = testsupport::readFile(f.path().string());
    return files;
}

std::vector<uint8_t> bytesOf(const PatchFile& bank) {
    std::vector<uint8_t> bytes;
    for (const LibrarianPatch& entry : bank.entries)
        for (const PatchSysexMessage& dump : entry.dumps)
            bytes.insert(bytes.end(), dump.bytes.begin(), dump.bytes.end());
    return bytes;
}

// The three banks and "Patches/User/Mine.syx", which the upper grid shows with its last slot
// edited; the data folder is the rig's folder.
struct SaveRig : MenuRig {
    SaveRig() {
        std::filesystem::create_directories(patches + "/User");
        testsupport::writeFile(patches + "/User/Mine.syx",
                               testsupport::rawBankFile(testsupport::soundDumps(100, "Mine", "Lead")));
        p.data = folder.path() + "/";
        p.librarian.initBankFilesOnDiscard(patches);
        p.librarian.upperBankIndex = bankIndex("Mine.syx");
        bank("Mine.syx").entries[99] = bank("Source.syx").entries[99];
    }
    // The bank of that name as a fresh librarian reads the patches folder.
    std::vector<uint8_t> reread(const std::string& fileName) {
        LibrarianTestHost host;
        PatchLibrarian lib(host);
        lib.loadPatchesFromFilesystem(patches);
        const int index = ::bankIndex(lib, fileName);
        return index < 0 ? std::vector<uint8_t>() : bytesOf(*lib.soundBanks[size_t(index)]);
    }

    const std::string patches = folder.path() + "/Patches";
};

} // namespace

TEST(BankEditMenuSaving, SaveRewritesExactlyTheUpperBanksFileWhichReloadsEqual) {
    SaveRig r;
    auto files = filesBelow(r.patches);
    r.click(r.menus.edit, "Save (Overwrite current bank)");
    const std::vector<uint8_t> edited = bytesOf(r.bank("Mine.syx"));
    files[r.patches + "/User/Mine.syx"] = edited;
    EXPECT_EQ(filesBelow(r.patches), files);
    EXPECT_EQ(r.reread("Mine.syx"), edited);
    EXPECT_EQ(r.p.remembered[LibrarianHost::kUpperSound][0], "Mine.syx");

    // No upper bank: nothing is written, and the display says so.
    r.p.librarian.upperBankIndex = 99;
    r.click(r.menus.edit, "Save (Overwrite current bank)");
    EXPECT_EQ(filesBelow(r.patches), files);
    EXPECT_EQ(r.p.displayed, Lines{"BANK NOT SAVED!"});
}

TEST(BankEditMenuSaving, SaveAsWritesTheChosenFileInTheFormChosenAndACancelWritesNothing) {
    struct Case {
        const char* item;
        const char* answer; // below the patches folder; "" cancels
        Lines prompted;     // proposed name, start folder below the data folder, extension
    } const cases[] = {
        {"Save As...>Standard MIDI (*.mid)", "/User/Copy.mid", {"Mine.mid", "Patches/User/", "mid"}},
        {"Save As...>Zoz Format (*.vub)", "/Copy.vub", {"Mine.vub", "Patches/User/", "vub"}},
        {"Save As...>Zoz Format (*.vub)", "", {"Mine.vub", "Patches/User/", "vub"}},
    };
    SaveRig r;
    const std::vector<uint8_t> edited = bytesOf(r.bank("Mine.syx"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item + std::string(" ") + c.answer);
        const auto before = filesBelow(r.patches);
        r.p.answer = c.answer[0] ? r.patches + c.answer : "";
        r.click(r.menus.edit, c.item);
        ASSERT_EQ(r.p.prompted.size(), 3u);
        EXPECT_EQ(r.p.prompted[0], c.prompted[0]);
        EXPECT_EQ(r.p.prompted[1], r.p.data + c.prompted[1]);
        EXPECT_EQ(r.p.prompted[2], c.prompted[2]);
        if (!c.answer[0]) {
            EXPECT_EQ(filesBelow(r.patches), before);
            continue;
        }
        const std::string name = std::filesystem::path(c.answer).filename().string();
        EXPECT_EQ(filesBelow(r.patches).size(), before.size() + 1);
        EXPECT_EQ(r.reread(name), edited);
        const std::vector<uint8_t> written = testsupport::readFile(r.patches + c.answer);
        EXPECT_EQ(written.at(0), c.prompted[2] == "mid" ? 'M' : 0xF0);
        EXPECT_EQ(r.p.remembered[LibrarianHost::kUpperSound][0], name);
    }
    EXPECT_EQ(r.p.remembered[LibrarianHost::kUpperSound][1], "Patches");
}
