#include "tests/kit_winl/WinlViewFixture.h"

namespace winltest {
namespace {

using WinlKeys = WinlViewTest;

wsys::Ref<wsys::Event> key(int keyCode, const std::u16string& chars, unsigned mods = 0,
                           const std::u16string& plain = u"\x01") {
    return wsys::Event::KeyEvent(wsys::kKeyDown, {}, mods, 0, 0, chars,
                                 plain == u"\x01" ? chars : plain, false, keyCode);
}

TEST_F(WinlKeys, EveryKeyOfTheTableIsAVirtualKeyWhateverItTypes) {
    const int table[][2] = {
        {51, 0x08},  {65, 0x6E},  {67, 0x6A},   {69, 0x6B},  {75, 0x6F},  {78, 0x6D},  {81, 0x6C},
        {71, 0x90},  {76, 0x800D}, {82, 0x60},  {83, 0x61},  {84, 0x62},  {85, 0x63},  {86, 0x64},
        {87, 0x65},  {88, 0x66},  {89, 0x67},   {91, 0x68},  {92, 0x69},  {122, 0x70}, {120, 0x71},
        {99, 0x72},  {118, 0x73}, {96, 0x74},   {97, 0x75},  {98, 0x76},  {100, 0x77}, {101, 0x78},
        {109, 0x79}, {103, 0x7A}, {111, 0x7B},  {105, 0x2C}, {114, 0x2D}, {115, 0x24}, {119, 0x23},
        {116, 0x21}, {121, 0x22}, {117, 0x2E},  {123, 0x25}, {124, 0x27}, {125, 0x28}, {126, 0x26},
    };
    int mapped = 0;
    for (int code = 0; code < 128; ++code) {
        int expected = 0;
        for (const auto& row : table)
            if (row[0] == code) expected = row[1];
        int flags = -1;
        const int vk = WINL_MacKeyToWindowsKeyEx(key(code | 0x10000, u"q").get(), &flags, 0);
        if (expected) {
            ++mapped;
            EXPECT_EQ(vk, expected) << code;
            EXPECT_EQ(flags, FVIRTKEY) << code;
        } else {
            EXPECT_EQ(vk, 'Q') << code; // by its character
        }
    }
    EXPECT_EQ(mapped, 42);
}

struct CharCase {
    int keyCode;
    std::u16string chars;
    unsigned mods;
    int mode;
    int key;
    int flags;
};

TEST_F(WinlKeys, OtherKeysGoByTheirCharacter) {
    const unsigned shift = wsys::kShiftKeyMask;
    const CharCase cases[] = {
        {53, u"\x1b", 0, 0, 27, FVIRTKEY},
        {48, u"\x19", shift, 0, 9, FVIRTKEY | FSHIFT}, // back-tab with Shift is Tab
        {41, u":", shift, 0, ':', 0},
        {0, u"a", wsys::kCommandKeyMask | wsys::kAlternateKeyMask, 0, 'A', FVIRTKEY | FCONTROL | FALT},
        {14, u"\u00e9", 0, 0, 0xE9, FVIRTKEY}, // a letter beyond ASCII
        {18, u"1", wsys::kControlKeyMask, 0, '1', FVIRTKEY | FCONTROLKEY},
        {10, u"", 0, 0, 10 + 1024, FVIRTKEY},
        // Mode 1 asks the layout for a key without characters.
        {41, u"", shift, 1, ';', 0},
        {10, u"", 0, 1, 10 + 1024, FVIRTKEY},
    };
    for (const CharCase& c : cases) {
        int flags = -1;
        EXPECT_EQ(WINL_MacKeyToWindowsKeyEx(key(c.keyCode, c.chars, c.mods).get(), &flags, c.mode),
                  c.key)
            << c.keyCode;
        EXPECT_EQ(flags, c.flags) << c.keyCode;
    }
    // Mode 1 prefers the event's own characters; mode 0 never looks at them.
    EXPECT_EQ(WINL_MacKeyToWindowsKeyEx(key(12, u"\u0153", 0, u"q").get(), nullptr, 1), 0x153);
    EXPECT_EQ(WINL_MacKeyToWindowsKeyEx(key(12, u"\u0153", 0, u"q").get(), nullptr, 0), 'Q');
    EXPECT_EQ(WINL_MacKeyToWindowsKey(nullptr, nullptr), 0);
    // With right-click emulation the Control key is the right button, not a modifier.
    WINL_EnableRightClickEmulate(true);
    int flags = 0;
    WINL_MacKeyToWindowsKeyEx(key(18, u"1", wsys::kControlKeyMask).get(), &flags, 0);
    WINL_EnableRightClickEmulate(false);
    EXPECT_EQ(flags, FVIRTKEY);
}

TEST_F(WinlKeys, ShiftedDigitsOnlyWithExactlyShift) {
    int out = 7;
    EXPECT_EQ(WINL_KeyToASCII('3', FVIRTKEY | FSHIFT, &out), '#');
    EXPECT_EQ(out, 0);
    out = 7;
    EXPECT_EQ(WINL_KeyToASCII('0', FVIRTKEY | FSHIFT, &out), ')');
    EXPECT_EQ(WINL_KeyToASCII('3', FSHIFT, &out), 0);
    EXPECT_EQ(WINL_KeyToASCII('3', FVIRTKEY | FSHIFT | FALT, &out), 0);
    EXPECT_EQ(WINL_KeyToASCII(':', FVIRTKEY | FSHIFT, &out), 0);
    EXPECT_EQ(out, 0);
}

TEST_F(WinlKeys, AKeyTheProcedureLeavesGoesOnToTheSystem) {
    wsys::inject::Key(0);
    run();
    EXPECT_EQ(messagesTo(view.get()), (std::vector<unsigned int>{WM_KEYDOWN, WM_KEYUP}));
    EXPECT_EQ(find(WM_KEYDOWN)->wParam, WPARAM('A'));
    EXPECT_EQ(find(WM_KEYDOWN)->lParam, FVIRTKEY);
    EXPECT_EQ(wsys::App().Beeps(), 1); // 69 from DefWindowProc: unhandled
    g_answer = [](HWND, unsigned int, WPARAM, LPARAM) -> LRESULT { return 0; };
    wsys::inject::Key(0);
    run();
    EXPECT_EQ(wsys::App().Beeps(), 1);
}

TEST_F(WinlKeys, AsyncStateFollowsTheLiveButtonsAndModifiers) {
    const int keys[] = {1, 2, 4, 16, 17, 18, 91, 65};
    auto down = [&] {
        std::vector<int> out;
        for (int k : keys)
            if (GetAsyncKeyState(k) == short(0x8000)) out.push_back(k);
        return out;
    };
    wsys::App().SetLiveState({}, 5, wsys::kShiftKeyMask | wsys::kControlKeyMask);
    EXPECT_EQ(down(), (std::vector<int>{1, 4, 16, 91}));
    wsys::App().SetLiveState({}, 2, wsys::kCommandKeyMask | wsys::kAlternateKeyMask | wsys::kControlKeyMask);
    WINL_EnableRightClickEmulate(true);
    EXPECT_EQ(down(), (std::vector<int>{2, 17, 18}));
    WINL_EnableRightClickEmulate(false);
}

} // namespace
} // namespace winltest
