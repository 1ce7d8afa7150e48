// The program page's bank and program menus: what they list and check, and what a choice
// sets and sends in each mode.

#include "tests/browser/MenuRig.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(BankNumberMenu, ListsTheFourBanksOrTheMultiBankAndChecksOnlyABankOfThem) {
    struct Case {
        int mode, selected;
        bool fourBanks;
        Lines items;
    } const cases[] = {
        {0, 3, true, {"Bank A (RAM)", "Bank B (RAM)", "Bank C (RAM)", "Bank X (CARD) *"}},
        {0, 0, true, {"Bank A (RAM) *", "Bank B (RAM)", "Bank C (RAM)", "Bank X (CARD)"}},
        {0, 4, true, {"Bank A (RAM)", "Bank B (RAM)", "Bank C (RAM)", "Bank X (CARD)"}},
        {0, -1, true, {"Bank A (RAM)", "Bank B (RAM)", "Bank C (RAM)", "Bank X (CARD)"}},
        {1, 0, false, {"Bank 0 (RAM)"}},
    };
    MenuRig r;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selected);
        r.p.setMode(c.mode);
        EXPECT_EQ(r.menus.bank->refreshPatchNames(&r.p.librarian, &r.p, c.selected), c.fourBanks);
        EXPECT_EQ(r.click(r.menus.bank, "").outline(), c.items);
    }
}

TEST(ProgramNumberMenu, ChecksTheProgramInItsRangeOnly) {
    MenuRig r;
    r.menus.program->refreshPatchNames(&r.p.librarian, &r.p, 37);
    const auto& shown = r.click(r.menus.program, "");
    EXPECT_EQ(shown.texts, (Lines{"01-10", "11-20", "21-30", "31-40", "41-50", "51-60", "61-70",
                                  "71-80", "81-90", "91-100"}));
    EXPECT_EQ(shown.submenus[0].texts[0], "Sound 001");
    EXPECT_EQ(shown.submenus[9].texts[9], "Sound 100");
    EXPECT_EQ(MenuRig::checked(shown), Lines{"  Sound 038 *"});
    EXPECT_EQ(shown.submenus[3].texts[7], "Sound 038");
    for (int program : {100, -1}) {
        r.menus.program->refreshPatchNames(&r.p.librarian, &r.p, program);
        EXPECT_TRUE(MenuRig::checked(r.click(r.menus.program, "")).empty()) << program;
    }
}

// Part 3 is current, its bank 1 and its program 5; the job record holds stale values.
TEST(HardwareMenus, AChoiceSetsTheParameterSendsTheChangeAndThenRequestsOrSendsBack) {
    struct Case {
        char menu; // 'b' bank, 'p' program
        int mode;
        bool requestAfter, refused, busy;
        const char* path;
        int param, value; // the parameter chosen and its value afterwards
        const char* calls;
        const char* job; // "" for none
        bool dumpAwaited;
        const char* checked; // at the next popup
    } const cases[] = {
        {'b', 0, false, false, false, "Bank C (RAM)", kMultiPartBank + 3, 2,
         "BankChangeMessage 3,sendPatchAndPatternToDevice 3 1 0 0 0", "", false, "Bank C (RAM) *"},
        {'b', 0, true, false, false, "Bank X (CARD)", kMultiPartBank + 3, 3, "BankChangeMessage 3",
         "7 part=3 bank=9 toEditor=1 store=01 editBuffer=1", true, "Bank X (CARD) *"},
        {'b', 0, true, false, true, "Bank X (CARD)", kMultiPartBank + 3, 3, "BankChangeMessage 3",
         "", false, "Bank X (CARD) *"},
        {'b', 0, true, true, false, "Bank A (RAM)", kMultiPartBank + 3, 0, "BankChangeMessage 3", "",
         false, "Bank A (RAM) *"},
        {'b', 1, true, false, false, "Bank 0 (RAM)", kMultiBank, 0, "BankChangeMessage 3", "", false,
         "Bank 0 (RAM) *"},
        // Dismissed: the old bank is written back, which the bank's controls then show.
        {'b', 0, false, false, false, "", kMultiPartBank + 3, 1, "", "", false, "Bank B (RAM) *"},
        {'p', 0, false, false, false, "91-100>Sound 100", kMultiPartPatch + 3, 99,
         "BankChangeMessage 3,sendPatchAndPatternToDevice 3 1 0 0 0", "", false, "  Sound 100 *"},
        {'p', 0, true, false, false, "31-40>Sound 038", kMultiPartPatch + 3, 37,
         "BankChangeMessage 3", "7 part=3 bank=9 toEditor=1 store=01 editBuffer=1", true,
         "  Sound 038 *"},
        {'p', 0, true, true, false, "31-40>Sound 038", kMultiPartPatch + 3, 37,
         "BankChangeMessage 3", "", false, "  Sound 038 *"},
        {'p', 1, false, false, false, "01-10>Sound 001", kMultiPatch, 0,
         "BankChangeMessage 3,sendPatchAndPatternToDevice 3 0 0 0 1", "", false, "  Sound 001 *"},
        {'p', 1, true, false, false, "01-10>Sound 002", kMultiPatch, 1, "BankChangeMessage 3",
         "6 part=9 bank=9 toEditor=1 store=01 editBuffer=1", true, "  Sound 002 *"},
        {'p', 1, true, false, true, "01-10>Sound 002", kMultiPatch, 1, "BankChangeMessage 3", "",
         false, "  Sound 002 *"},
        // The range item itself: nothing happens, and the old check is gone.
        {'p', 0, false, false, false, "31-40", kMultiPartPatch + 3, 5, "", "", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.menu) + " " + c.path);
        MenuRig r;
        r.p.setMode(c.mode);
        r.p.requestAfterBankChange = c.requestAfter;
        r.p.refuseBankChange = c.refused;
        r.p.workerBusy = c.busy;
        r.p.record.part = r.p.record.bank = 9;
        r.p.record.dumpOption2 = r.p.record.editBuffer = true;
        for (int param : {int(kMultiPartBank) + 3, int(kMultiBank)})
            r.p.GetParam(param)->Set(1);
        for (int param : {int(kMultiPartPatch) + 3, int(kMultiPatch)})
            r.p.GetParam(param)->Set(5);
        IControl* menu = c.menu == 'b' ? static_cast<IControl*>(r.menus.bank) : r.menus.program;
        r.menus.bank->refreshPatchNames(&r.p.librarian, &r.p, 1);
        r.menus.program->refreshPatchNames(&r.p.librarian, &r.p, 5);
        auto* shown = new testsupport::TestControl(&r.p, IRECT(), c.param);
        r.p.g->AttachControl(shown);

        r.click(menu, c.path);
        EXPECT_EQ(r.p.GetParam(c.param)->Value(), c.value);
        std::string calls;
        for (const std::string& call : r.p.calls)
            calls += (calls.empty() ? "" : ",") + call;
        EXPECT_EQ(calls, c.calls);
        ASSERT_LE(r.p.jobs.size(), 1u);
        EXPECT_EQ(r.p.jobs.empty() ? "" : MenuRig::job(r.p.jobs[0]), c.job);
        EXPECT_EQ(r.p.dumpAwaited, c.dumpAwaited);
        if (c.menu == 'b') {
            EXPECT_DOUBLE_EQ(shown->GetValue(), r.p.GetParam(c.param)->GetNormalized());
        }
        EXPECT_EQ(MenuRig::checked(r.click(menu, "")), c.checked[0] ? Lines{c.checked} : Lines{});
    }
}

TEST(ProgramNumberMenu, ListsTheUpperBankOfTheModeAndSendsTheChosenEntryAfterTenMilliseconds) {
    MenuRig r;
    r.p.librarianNames = true;
    PatchFile& edit = r.bank("Edit.syx");
    edit.entries[95].name = "Caf\xE9 \x80\xFF"; // bytes a signed char would turn negative
    r.p.GetParam(kPatchSelectionListUpper)->Set(r.bankIndex("Edit.syx"));
    r.menus.program->refreshPatchNames(&r.p.librarian, &r.p, 23);
    const auto& shown = r.click(r.menus.program, "");
    Lines last;
    for (int i = 90; i < 100; ++i)
        last.push_back(edit.entries[size_t(i)].name);
    EXPECT_EQ(shown.submenus[9].texts, last);
    EXPECT_EQ(shown.submenus[9].texts[5], "Caf\xE9 \x80\xFF");
    EXPECT_EQ(shown.submenus[2].texts[3].substr(0, 8), "Edit 24 ");
    EXPECT_EQ(MenuRig::checked(shown), Lines{"  " + edit.entries[23].name + " *"});

    // From the lower grid, whose slot 5 a click made active (and sent).
    r.leftClick(LibrarianViewControl::kLower, 5);
    r.p.sends.clear();
    testsupport::ManualClock clock;
    size_t sentBeforeSleep = 99;
    clock.SetSleepHook([&](int64_t) { sentBeforeSleep = r.p.sends.size(); });
    r.click(r.menus.program, "21-30>" + edit.entries[23].name);
    EXPECT_EQ(clock.SleptNanos(), 10000000);
    EXPECT_EQ(sentBeforeSleep, 0u);
    EXPECT_EQ(r.p.sends, (testsupport::FakeBrowserPlugin::Sends{{23, 1, 3}}));
    EXPECT_EQ(r.selection(), "23 5 1 23 / 23 5");
    EXPECT_EQ(r.p.GetParam(kMultiPartPatch + 3)->Value(), 23);
    EXPECT_TRUE(r.p.calls.empty());
    EXPECT_TRUE(r.p.jobs.empty());
}

// The upper index names a bank of the mode's list, else the fixed programs are shown; a short
// bank leaves its missing entries empty.
TEST(ProgramNumberMenu, TakesPatternNamesInSequenceModeAndCopesWithMissingOrShortBanks) {
    MenuRig r;
    r.p.librarianNames = true;
    PatchFile patterns;
    patterns.bankType = PatchFile::kPatternBank;
    patterns.entries.resize(3);
    for (size_t i = 0; i < 3; ++i)
        patterns.entries[i].name = "Pattern " + std::to_string(i + 1);
    r.p.librarian.patternBanks.push_back(&patterns);
    r.p.GetParam(kPatchSelectionListUpper)->Set(0);
    struct Case {
        int mode;
        Lines first, last; // of "01-10" and "91-100"
    } const cases[] = {
        {2, {"Pattern 1", "Pattern 2", "Pattern 3", "", "", "", "", "", "", ""}, Lines(10, "")},
        {1, {"Sound 001", "Sound 002", "Sound 003", "Sound 004", "Sound 005", "Sound 006",
             "Sound 007", "Sound 008", "Sound 009", "Sound 010"},
         {"Sound 091", "Sound 092", "Sound 093", "Sound 094", "Sound 095", "Sound 096",
          "Sound 097", "Sound 098", "Sound 099", "Sound 100"}},
    };
    for (const Case& c : cases) {
        r.p.setMode(c.mode);
        r.menus.program->refreshPatchNames(&r.p.librarian, &r.p, -1);
        const auto& shown = r.click(r.menus.program, "");
        EXPECT_EQ(shown.submenus[0].texts, c.first) << c.mode;
        EXPECT_EQ(shown.submenus[9].texts, c.last) << c.mode;
    }
    r.p.librarian.patternBanks.clear();
}
