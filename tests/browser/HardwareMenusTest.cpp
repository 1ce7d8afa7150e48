// The program page's bank and program menus: what they list and check, and what a choice
// sets and sends in each mode.

#include "tests/browser/MenuRig.h"
#include "tests/support/ScaledClock.h"

#include <gtest/gtest.h>

#include <cstring>

using Lines = std::vector<std::string>;

TEST(HardwareMenus, TheBankMenuChecksBanksAToXOnlyAndTheProgramMenuOnlyItsRangesPrograms) {
    MenuRig r;
    const Lines banks{"Bank A (RAM)", "Bank B (RAM)", "Bank C (RAM)", "Bank X (CARD)"};
    for (int selected : {3, 4, -1}) {
        EXPECT_TRUE(r.menus.bank->refreshPatchNames(&r.p.librarian, &r.p, selected));
        const auto& shown = r.click(r.menus.bank, "");
        EXPECT_EQ(shown.texts, banks);
        EXPECT_EQ(MenuRig::checked(shown), selected == 3 ? Lines{"Bank X (CARD) *"} : Lines{});
    }
    r.p.setMode(1);
    EXPECT_FALSE(r.menus.bank->refreshPatchNames(&r.p.librarian, &r.p, 0));
    EXPECT_EQ(r.click(r.menus.bank, "").outline(), Lines{"Bank 0 (RAM)"});

    for (int program : {37, 100, -1}) {
        r.menus.program->refreshPatchNames(&r.p.librarian, &r.p, program);
        const auto& shown = r.click(r.menus.program, "");
        EXPECT_EQ(shown.texts[0] + " " + shown.texts[9], "01-10 91-100");
        EXPECT_EQ(shown.submenus[0].texts[0] + " " + shown.submenus[9].texts[9],
                  "Sound 001 Sound 100");
        EXPECT_EQ(MenuRig::checked(shown), program == 37 ? Lines{"  Sound 038 *"} : Lines{});
        EXPECT_EQ(shown.submenus[3].texts[7], "Sound 038");
    }
}

// Part 3's bank and the multi's are 1, their programs 5. Flags: r request after a bank
// change, x the change is refused.
TEST(HardwareMenus, AChoiceSetsTheParameterSendsTheChangeThenRequestsOrSendsBack) {
    struct Case {
        int mode;
        const char *flags, *path;
        int param, value;
        const char *outcome, *checked; // checked at the next popup
    } const cases[] = {
        {0, "", "Bank C (RAM)", kMultiPartBank + 3, 2,
         "||BankChangeMessage 3,sendPatchAndPatternToDevice 3 1 0 0 0", "Bank C (RAM) *"},
        {0, "r", "Bank X (CARD)", kMultiPartBank + 3, 3, "7 p3 b9 e1 s01 x1|d|BankChangeMessage 3",
         "Bank X (CARD) *"},
        {0, "rx", "Bank A (RAM)", kMultiPartBank + 3, 0, "||BankChangeMessage 3", "Bank A (RAM) *"},
        {1, "r", "Bank 0 (RAM)", kMultiBank, 0, "||BankChangeMessage 3", "Bank 0 (RAM) *"},
        // Dismissed: the bank is written back, so that its controls show it.
        {0, "", "", kMultiPartBank + 3, 1, "||", "Bank B (RAM) *"},
        {0, "", "91-100>Sound 100", kMultiPartPatch + 3, 99,
         "||BankChangeMessage 3,sendPatchAndPatternToDevice 3 1 0 0 0", "  Sound 100 *"},
        {0, "r", "31-40>Sound 038", kMultiPartPatch + 3, 37, "7 p3 b9 e1 s01 x1|d|BankChangeMessage 3",
         "  Sound 038 *"},
        {0, "rx", "31-40>Sound 038", kMultiPartPatch + 3, 37, "||BankChangeMessage 3", "  Sound 038 *"},
        {1, "", "01-10>Sound 001", kMultiPatch, 0,
         "||BankChangeMessage 3,sendPatchAndPatternToDevice 3 0 0 0 1", "  Sound 001 *"},
        {1, "r", "01-10>Sound 002", kMultiPatch, 1, "6 p9 b9 e1 s01 x1|d|BankChangeMessage 3",
         "  Sound 002 *"},
        {0, "", "31-40", kMultiPartPatch + 3, 5, "||", ""}, // a range item: the check is gone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.flags) + " " + c.path);
        MenuRig r;
        r.p.setMode(c.mode);
        r.p.requestAfterBankChange = strchr(c.flags, 'r');
        r.p.refuseBankChange = strchr(c.flags, 'x');
        for (int param : {int(kMultiPartBank) + 3, int(kMultiBank)})
            r.p.GetParam(param)->Set(1);
        for (int param : {int(kMultiPartPatch) + 3, int(kMultiPatch)})
            r.p.GetParam(param)->Set(5);
        r.menus.bank->refreshPatchNames(&r.p.librarian, &r.p, 1);
        r.menus.program->refreshPatchNames(&r.p.librarian, &r.p, 5);
        auto* shown = new testsupport::TestControl(&r.p, IRECT(), c.param);
        r.p.g->AttachControl(shown);
        IControl* menu = c.param == kMultiPartBank + 3 || c.param == kMultiBank
                             ? static_cast<IControl*>(r.menus.bank) : r.menus.program;

        r.click(menu, c.path);
        EXPECT_EQ(r.p.GetParam(c.param)->Value(), c.value);
        if (menu == r.menus.bank) {
            EXPECT_DOUBLE_EQ(shown->GetValue(), r.p.GetParam(c.param)->GetNormalized());
        }
        EXPECT_EQ(r.outcome(), c.outcome);
        EXPECT_EQ(MenuRig::checked(r.click(menu, "")), c.checked[0] ? Lines{c.checked} : Lines{});
    }
}

// With librarian names the upper bank of the mode is listed: a missing bank gives the
// programs, a short one empty items.
TEST(HardwareMenus, TheProgramMenuListsTheUpperBankAndSendsTheChosenEntryAfterTenMilliseconds) {
    MenuRig r;
    r.p.librarianNames = true;
    PatchFile& edit = r.bank("Edit.syx");
    edit.entries[95].name = "Caf\xE9 \x80\xFF";
    r.p.GetParam(kPatchSelectionListUpper)->Set(r.bankIndex("Edit.syx"));
    r.menus.program->refreshPatchNames(&r.p.librarian, &r.p, 23);
    auto shown = r.click(r.menus.program, "");
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(shown.submenus[size_t(i / 10)].texts[size_t(i % 10)], edit.entries[size_t(i)].name);
    EXPECT_EQ(shown.submenus[9].texts[5], "Caf\xE9 \x80\xFF");
    EXPECT_EQ(MenuRig::checked(shown), Lines{"  " + edit.entries[23].name + " *"});

    r.leftClick(LibrarianViewControl::kLower, 5); // the lower grid becomes the active side
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
    EXPECT_EQ(r.outcome(), "||");

    PatchFile patterns;
    patterns.entries.resize(2);
    patterns.entries[1].name = "Pattern 2";
    r.p.librarian.patternBanks.push_back(&patterns);
    r.p.GetParam(kPatchSelectionListUpper)->Set(0);
    for (int mode : {2, 1}) {
        r.p.setMode(mode);
        r.menus.program->refreshPatchNames(&r.p.librarian, &r.p, -1);
        shown = r.click(r.menus.program, "");
        EXPECT_EQ(shown.submenus[0].texts[1] + "," + shown.submenus[0].texts[2] + "," +
                      shown.submenus[9].texts[9],
                  mode == 2 ? "Pattern 2,," : "Sound 002,Sound 003,Sound 100");
    }
    r.p.librarian.patternBanks.clear();
}
