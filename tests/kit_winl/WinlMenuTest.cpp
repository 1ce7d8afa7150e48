#include "tests/kit_winl/WinlViewFixture.h"

#include "kit/winl/winl-menu.h"
#include "platform/wsys/Render.h"
#include "tests/support/GoldenImage.h"

#include <functional>
#include <string>

namespace winltest {
namespace {

using WinlMenu = WinlViewTest;
using WinlTrackPopupMenu = WinlViewTest;

// Key codes of the US layout.
enum : int { kS = 1, kReturn = 36, kEscape = 53, kRight = 124, kDown = 125 };

std::string title(HMENU menu, int idx, bool byPosition, unsigned int cch = 4096) {
    std::string buf(cch + 1, 'x');
    MENUITEMINFO info{};
    info.fMask = MIIM_TYPE;
    info.dwTypeData = buf.data();
    info.cch = cch;
    if (!GetMenuItemInfo(menu, idx, byPosition, &info)) return "(none)";
    EXPECT_EQ(buf[cch], 'x'); // nothing written past cch
    return buf.c_str();
}

MENUITEMINFO info(HMENU menu, int idx, bool byPosition) {
    MENUITEMINFO i{};
    i.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE | MIIM_SUBMENU | MIIM_DATA;
    GetMenuItemInfo(menu, idx, byPosition, &i);
    return i;
}

TEST_F(WinlMenu, ListsBuildSubmenusAndCountThePairsTheyConsume) {
    const WINL_MenuListEntry list[] = {
        {"/.BO^O:&Edit", 0}, {"Cut", 10}, {nullptr, 0}, {"Paste", 0x10011}, {"EN%%%^:", 0}};
    HMENU menu = CreatePopupMenu();
    EXPECT_EQ(WINL_GenerateMenuFromList(menu, list, 5), 6);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(GetMenuItemID(menu, 0), -1);
    HMENU edit = GetSubMenu(menu, 0);
    EXPECT_EQ(static_cast<wsys::Menu*>(edit)->Title(), "Edit");
    EXPECT_EQ(title(menu, 0, true), "Edit");
    const struct {
        int id;
        unsigned int type, state;
    } items[] = {{10, MFT_STRING, 0}, {0, MFT_SEPARATOR, 0}, {17, MFT_STRING, 3}};
    ASSERT_EQ(GetMenuItemCount(edit), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(GetMenuItemID(edit, i), items[i].id);
        EXPECT_EQ(info(edit, i, true).fType, items[i].type);
        EXPECT_EQ(info(edit, i, true).fState, items[i].state);
    }
    EXPECT_EQ(GetMenuItemID(edit, 3), 0);
    EXPECT_EQ(GetSubMenu(edit, -1), nullptr);
    HMENU again = CreatePopupMenu();
    EXPECT_EQ(WINL_GenerateMenuFromList(again, list + 1, 4), 4);
    EXPECT_EQ(WINL_GenerateMenuFromList(again, list + 1, 2), 3); // ran out without an end
    HMENU copy = WINL_DuplicateMenu(menu);
    EXPECT_EQ(GetMenuItemID(GetSubMenu(copy, 0), 2), 17);
    static const WINL_MenuListEntry* s_list = list;
    WINL_MenuResourceIndex second{2, [](HMENU m) { WINL_GenerateMenuFromList(m, s_list + 1, 4); },
                                  nullptr};
    WINL_MenuResourceIndex first{1, nullptr, &second};
    HMENU loaded = WINL_LoadMenu(&first, 2);
    EXPECT_EQ(GetMenuItemCount(loaded), 3);
    EXPECT_EQ(WINL_LoadMenu(&first, 3), nullptr);
    for (HMENU m : {menu, again, copy, loaded})
        DestroyMenu(m);
}

TEST_F(WinlMenu, TextsAreCleanedAndReadBackWithinTheBuffer) {
    HMENU menu = CreatePopupMenu();
    WINL_Menu_AddMenuItem(menu, "x", 1, 0);
    const std::string longText(1100 * 2, 'a');
    std::string accents;
    for (int i = 0; i < 1100; ++i)
        accents += "\xC3\xA9";
    const struct {
        std::string in, out;
    } texts[] = {
        {"&File\tCtrl+F", "File"},
        {"Save && Quit", "Save & Quit"},
        {"End&", "End"},
        {"Gr\xC3\xBC&\xC3\x9F" "e", "Gr\xC3\xBC\xC3\x9F" "e"},
        {"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"}, // not UTF-8: a character a byte
        {longText, longText.substr(0, 1023)},
        {accents, accents.substr(0, 2046)}, // 1023 characters, none cut
    };
    for (const auto& t : texts) {
        EXPECT_TRUE(SetMenuItemText(menu, 1, 0, t.in.c_str()));
        EXPECT_EQ(title(menu, 1, false), t.out) << t.in.substr(0, 20);
    }
    SetMenuItemText(menu, 0, MF_BYPOSITION, "Gr\xC3\xBC\xC3\x9F" "e");
    EXPECT_EQ(title(menu, 0, true, 4), "Gr");
    EXPECT_EQ(title(menu, 0, true, 5), "Gr\xC3\xBC");
    EXPECT_EQ(title(menu, 0, true, 1), "");
    DestroyMenu(menu);
}

TEST_F(WinlMenu, CommandIdsAreFoundInSubmenusPositionsNever) {
    HMENU menu = CreatePopupMenu(), sub = CreatePopupMenu();
    WINL_Menu_AddMenuItem(menu, "A", 1, 0);
    WINL_InsertMenu(menu, -1, MF_POPUP | MF_BYPOSITION, uintptr_t(sub), "Sub");
    WINL_Menu_AddMenuItem(sub, "B", 2, 0);
    const struct {
        const char* name;
        std::function<bool(unsigned int flags)> call;
    } calls[] = {
        {"Enable", [&](unsigned int f) { return EnableMenuItem(menu, 2, f) == 1; }},
        {"Check", [&](unsigned int f) { return CheckMenuItem(menu, 2, f | MF_CHECKED) == 1; }},
        {"Text", [&](unsigned int f) { return SetMenuItemText(menu, 2, f, "Bee"); }},
        {"Modifier", [&](unsigned int f) { return SetMenuItemModifier(menu, 2, f, 'B', 8); }},
        {"SetInfo", [&](unsigned int f) {
             MENUITEMINFO i{};
             i.fMask = MIIM_STATE;
             i.fState = MFS_DISABLED | MFS_CHECKED; // disabled alone disables here
             return SetMenuItemInfo(menu, 2, f != 0, &i) == 1;
         }},
        {"GetInfo", [&](unsigned int f) { return title(menu, 2, f != 0) != "(none)"; }},
    };
    for (const auto& c : calls) {
        EXPECT_FALSE(c.call(MF_BYPOSITION)) << c.name;
        EXPECT_TRUE(c.call(0)) << c.name;
    }
    EXPECT_EQ(info(menu, 2, false).fState, MFS_CHECKED | 3);
    EXPECT_EQ(title(menu, 2, false), "Bee");
    EXPECT_EQ(info(menu, 1, true).hSubMenu, sub);
    EnableMenuItem(menu, 2, MF_DISABLED); // only MF_GRAYED disables
    EXPECT_EQ(info(menu, 2, false).fState, MFS_CHECKED);
    EXPECT_FALSE(DeleteMenu(menu, 2, MF_BYPOSITION));
    EXPECT_TRUE(DeleteMenu(menu, 2, 0));
    EXPECT_EQ(GetMenuItemCount(sub), 0);
    EXPECT_EQ(CheckMenuItem(nullptr, 1, 0), 0);
    EXPECT_EQ(AddMenuItem(nullptr, 0, "x", 1), -1);
    DestroyMenu(menu);
}

TEST_F(WinlMenu, ModifierKeysAndCharacters) {
    const unsigned cmd = wsys::kCommandKeyMask, shift = wsys::kShiftKeyMask;
    const struct {
        int code, mods;
        std::u16string key;
        unsigned mask;
    } cases[] = {
        {'S', WINL_MOD_SHIFT | WINL_MOD_COMMAND, u"S", cmd}, // a shifted letter: its upper case
        {'S', WINL_MOD_COMMAND, u"s", cmd},
        {'5', WINL_MOD_SHIFT, u"5", shift},
        {'/', WINL_MOD_CONTROL, u"/", wsys::kControlKeyMask},
        {'/', WINL_MOD_VIRTKEY, u"", 0},
        {112, WINL_MOD_VIRTKEY, u"\xF704", 0},
        {123, WINL_MOD_VIRTKEY | WINL_MOD_OPTION, u"\xF70F", wsys::kAlternateKeyMask},
        {46, WINL_MOD_VIRTKEY, u"\x7F", 0},
        {'A' | 0x80, 0, u"", 0},
    };
    HMENU menu = CreatePopupMenu();
    WINL_Menu_AddMenuItem(menu, "x", 1, 0);
    auto* item = static_cast<wsys::Menu*>(menu)->ItemAtIndex(0);
    for (const auto& c : cases) {
        EXPECT_TRUE(SetMenuItemModifier(menu, 1, 0, c.code, c.mods));
        EXPECT_EQ(item->KeyEquivalent(), c.key) << c.code;
        EXPECT_EQ(item->KeyEquivalentModifierMask(), c.mask) << c.code;
    }
    DestroyMenu(menu);
}

TEST_F(WinlMenu, TheKeyWindowsMenuTakesCommandKeysBeforeTheView) {
    HMENU menu = CreatePopupMenu();
    WINL_Menu_AddMenuItem(menu, "Save", 5, 0);
    SetMenuItemModifier(menu, 5, 0, 'S', WINL_MOD_COMMAND);
    EXPECT_EQ(SetMenu(window.get(), menu), 1);
    EXPECT_EQ(GetMenu(window.get()), menu);
    EXPECT_EQ(WINL_GetCurrentMenu(), menu);
    wsys::inject::Key(kS, wsys::kCommandKeyMask);
    wsys::inject::Key(kS);
    run();
    EXPECT_EQ(messagesTo(view.get()), (std::vector<unsigned int>{WM_INITMENUPOPUP, WM_COMMAND,
                                                                 WM_KEYUP, WM_KEYDOWN, WM_KEYUP}));
    EXPECT_EQ(find(WM_COMMAND)->wParam, 5u);
    EXPECT_EQ(SetMenu(nullptr, menu), 0);
    DestroyMenu(menu);
}

// One, Two (disabled), a separator, More with Deep in a submenu.
struct PopUp {
    PopUp() {
        WINL_Menu_AddMenuItem(menu, "One", 1, 0);
        WINL_Menu_AddMenuItem(menu, "Two", 2, 1);
        WINL_Menu_AddMenuItem(menu, nullptr, 0, 0);
        WINL_InsertMenu(menu, -1, MF_POPUP | MF_BYPOSITION, uintptr_t(sub), "More");
        WINL_Menu_AddMenuItem(sub, "Deep", 3, 0);
    }
    ~PopUp() { DestroyMenu(menu); }
    // The screen point in the middle of an item of the menu shown at (x, y).
    static wsys::Point itemAt(HMENU m, int index, int x, int y) {
        const wsys::Rect f = wsys::Menu::ItemFrameInPopUp(*static_cast<wsys::Menu*>(m), index);
        return wsys::Point{x + f.MinX() + f.size.width / 2, y - 4 - (f.MinY() + f.size.height / 2)};
    }
    HMENU menu = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
};

TEST_F(WinlTrackPopupMenu, KeysOrClicksChooseAndTheFlagsDecideWhoHears) {
    PopUp p;
    auto keys = [](std::vector<int> codes) {
        return [codes] {
            for (int k : codes)
                wsys::inject::Key(k);
        };
    };
    auto clickOn = [&](int index) {
        return [&, index] { wsys::inject::Click(PopUp::itemAt(p.menu, index, 200, 250)); };
    };
    const auto init = Sent{view.get(), WM_INITMENUPOPUP, WPARAM(p.menu), 0};
    const struct {
        std::function<void()> input;
        unsigned int flags;
        HWND hwnd;
        int result;
        std::vector<Sent> sent;
    } cases[] = {
        {keys({kDown, kReturn}), TPM_RETURNCMD | TPM_NONOTIFY, view.get(), 1, {}},
        {keys({kDown, kReturn}), TPM_RETURNCMD, view.get(), 1, {init}},
        {keys({kDown, kReturn}), 0, view.get(), 1, {init, {view.get(), WM_COMMAND, 1, 0}}},
        {keys({kEscape}), 0, view.get(), 0, {init}},
        {keys({kDown, kReturn}), 0, nullptr, 1, {}},
        {keys({kEscape}), 0, nullptr, 0, {}},
        {clickOn(0), TPM_RETURNCMD | TPM_NONOTIFY, view.get(), 1, {}},
        {[&] { clickOn(1)(); wsys::inject::Click(wsys::Point{20, 20}); }, TPM_RETURNCMD, nullptr, 0, {}},
        // Down skips the disabled item and the separator; Right opens the submenu.
        {keys({kDown, kDown, kRight, kReturn}), TPM_RETURNCMD, view.get(), 3,
         {init, {view.get(), WM_INITMENUPOPUP, WPARAM(p.sub), 0}}},
    };
    for (const auto& c : cases) {
        c.input();
        g_sent.clear();
        EXPECT_EQ(TrackPopupMenu(p.menu, c.flags, 200, 250, 0, c.hwnd, nullptr), c.result);
        EXPECT_EQ(g_sent, c.sent);
        EXPECT_EQ(wsys::App().OrderedWindows().size(), 1u); // the pop-ups are gone
    }
    window->OrderOut();
    EXPECT_EQ(TrackPopupMenu(p.menu, 0, 200, 250, 0, nullptr, nullptr), 0); // nowhere to show
    EXPECT_EQ(TrackPopupMenu(nullptr, 0, 200, 250, 0, view.get(), nullptr), 0);
}

TEST_F(WinlTrackPopupMenu, ItemsAddedWhileASubmenuOpensAreRoutedToo) {
    PopUp p;
    g_answer = [&](HWND, unsigned int msg, WPARAM wParam, LPARAM) -> LRESULT {
        if (msg == WM_INITMENUPOPUP && HMENU(wParam) == p.sub) WINL_Menu_AddMenuItem(p.sub, "Added", 9, 0);
        return 0;
    };
    for (int k : {kDown, kDown, kRight, kDown, kReturn})
        wsys::inject::Key(k);
    EXPECT_EQ(TrackPopupMenu(p.menu, TPM_RETURNCMD, 200, 250, 0, view.get(), nullptr), 9);
    // The destination is cleared afterwards: the menu routes nothing.
    EXPECT_EQ(static_cast<wsys::Menu*>(p.sub)->ItemAtIndex(1)->Target(), nullptr);
}

TEST_F(WinlTrackPopupMenu, AContextMenuLooksLikeOne) {
    PopUp p;
    CheckMenuItem(p.menu, 1, MF_CHECKED);
    platform::Image shot(0, 0);
    wsys::RunLoop::Main().SetTurnHook([&] {
        int popUps = 0;
        for (wsys::Window* w : wsys::App().OrderedWindows())
            popUps += w->Level() == wsys::kPopUpMenuWindowLevel;
        if (popUps < 2 || shot.width) return;
        shot = wsys::RenderScreen();
        wsys::inject::Key(kEscape);
    });
    for (int k : {kDown, kDown, kRight})
        wsys::inject::Key(k);
    EXPECT_EQ(TrackPopupMenu(p.menu, TPM_RETURNCMD, 200, 250, 0, view.get(), nullptr), 0);
    ASSERT_GT(shot.width, 0);
    const int left = 192, top = 1080 - 254, w = 260, h = 110;
    platform::Image crop(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            crop.pixels[size_t(y * w + x)] = shot.pixels[size_t((top + y) * shot.width + left + x)];
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_winl/golden/winl_context_menu.png",
                                           crop.pixels.data(), w, h, w, 16, w * h / 200));
}

} // namespace
} // namespace winltest
