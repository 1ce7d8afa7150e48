#pragma once

namespace platform::wsys {

// The keyboard layout: a US keyboard (ANSI key codes). Keys without a printing character give
// AppKit's control or function-key characters (Return 13, Escape 27, Tab 9, Delete 127, the
// arrows and F-keys from 0xF700 on). The US layout has no dead keys.
// Key codes of the keys that work menus and text.
enum KeyCode : int {
    kKeyCodeReturn = 36,
    kKeyCodeTab = 48,
    kKeyCodeDelete = 51,
    kKeyCodeEscape = 53,
    kKeyCodeEnter = 76,
    kKeyCodeForwardDelete = 117,
    kKeyCodeLeft = 123,
    kKeyCodeRight = 124,
    kKeyCodeDown = 125,
    kKeyCodeUp = 126,
};

class KeyLayout {
public:
    // The character a key types with the given modifier flags (only Shift and Caps Lock change
    // it; Shift+Tab gives back-tab 25), or 0 for a key the layout does not have.
    static char16_t Translate(int keyCode, unsigned modifierFlags);
    // The key and modifier flags (0 or Shift) that type c; false when no key types it.
    static bool KeyFor(char16_t c, int* keyCode, unsigned* modifierFlags);
};

} // namespace platform::wsys
