#include "kit/winl/winl-kb.h"

#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/Cursor.h"
#include "platform/wsys/KeyLayout.h"
#include "platform/wsys/Window.h"

#include <clocale>
#include <cmath>
#include <cwctype>

namespace wsys = platform::wsys;

WINL_CursorResourceIndex* WINL_curmodule_cursorresource_head = nullptr;

namespace {

// Platform key codes that have a virtual key of their own; the others go by their character.
const struct {
    int code;
    int vk;
} kKeyTable[] = {
    {51, 0x08},  {65, 0x6E},  {67, 0x6A},  {69, 0x6B},  {75, 0x6F},  {78, 0x6D},  {81, 0x6C},
    {71, 0x90},  {76, 0x800D}, {82, 0x60}, {83, 0x61},  {84, 0x62},  {85, 0x63},  {86, 0x64},
    {87, 0x65},  {88, 0x66},  {89, 0x67},  {91, 0x68},  {92, 0x69},  {122, 0x70}, {120, 0x71},
    {99, 0x72},  {118, 0x73}, {96, 0x74},  {97, 0x75},  {98, 0x76},  {100, 0x77}, {101, 0x78},
    {109, 0x79}, {103, 0x7A}, {111, 0x7B}, {105, 0x2C}, {114, 0x2D}, {115, 0x24}, {119, 0x23},
    {116, 0x21}, {121, 0x22}, {117, 0x2E}, {123, 0x25}, {124, 0x27}, {125, 0x28}, {126, 0x26},
};

const char kShiftedDigits[] = ")!@#$%^&*(";

int virtualKey(int keyCode) {
    for (const auto& k : kKeyTable)
        if (k.code == keyCode) return k.vk;
    return 0;
}

// Letters and digits of any script, as the platform's character classes have them.
bool isLetterOrDigit(char16_t c) {
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    return unicode ? iswalnum_l(wint_t(c), unicode) : (c < 0x80 && std::iswalnum(wint_t(c)));
}

} // namespace

int WINL_MacKeyToWindowsKeyEx(wsys::Event* e, int* flags, int mode) {
    if (!e) e = wsys::App().CurrentEvent();
    int f = 0;
    const unsigned mods = e ? e->modifierFlags : 0;
    if (mods & wsys::kAlternateKeyMask) f |= FALT;
    if (mods & wsys::kCommandKeyMask) f |= FCONTROL;
    if (mods & wsys::kShiftKeyMask) f |= FSHIFT;
    if ((mods & wsys::kControlKeyMask) && !IsRightClickEmulateEnabled()) f |= FCONTROLKEY;
    int key = 0;
    if (!e) {
        // No event: no key.
    } else if (const int code = e->keyCode & 0xFFFF; code >= 51 && code <= 126 && virtualKey(code)) {
        key = virtualKey(code);
        f |= FVIRTKEY;
    } else {
        const std::u16string& chars = mode == 1 && !e->characters.empty()
                                          ? e->characters
                                          : e->charactersIgnoringModifiers;
        if (!chars.empty()) {
            char16_t c = chars[0];
            if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
            if ((f & FSHIFT) && c == 25) c = 9;
            key = c;
            if (isLetterOrDigit(c) || c == 9 || c == 10 || c == 13 || c == 27 || c == 32)
                f |= FVIRTKEY;
            else
                f &= ~FSHIFT;
        } else if (const int c = mode == 1 ? charFromVcode(code) : 0) {
            key = c;
            f &= ~FSHIFT;
        } else {
            key = code + 1024;
            f |= FVIRTKEY;
        }
    }
    if (flags) *flags = f;
    return key;
}

int WINL_MacKeyToWindowsKey(wsys::Event* e, int* flags) {
    return e ? WINL_MacKeyToWindowsKeyEx(e, flags, 0) : 0;
}

int WINL_KeyToASCII(int key, int flags, int* out) {
    if (key < '0' || key > '9' || flags != (FVIRTKEY | FSHIFT)) return 0;
    if (out) *out = 0;
    return kShiftedDigits[key - '0'];
}

int charFromVcode(int keyCode) {
    return wsys::KeyLayout::Translate(keyCode, 0);
}

short GetAsyncKeyState(int vk) {
    // Buttons by their bit of the pressed buttons, keys by their modifier flag.
    static const struct {
        int vk;
        bool button;
        unsigned mask;
    } kKeys[] = {
        {1, true, 1},
        {2, true, 2},
        {4, true, 4},
        {16, false, wsys::kShiftKeyMask},
        {17, false, wsys::kCommandKeyMask},
        {18, false, wsys::kAlternateKeyMask},
        {91, false, wsys::kControlKeyMask},
    };
    if (vk == 91 && IsRightClickEmulateEnabled()) return 0;
    for (const auto& k : kKeys)
        if (k.vk == vk)
            return (k.button ? wsys::App().PressedMouseButtons() : wsys::App().ModifierFlags()) &
                           k.mask
                       ? short(0x8000)
                       : 0;
    return 0;
}
