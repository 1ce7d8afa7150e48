#include "platform/wsys/KeyLayout.h"

#include "platform/wsys/Event.h"

namespace platform::wsys {

namespace {

struct Key {
    int code;
    char16_t plain;
    char16_t shifted;
};

// The US layout by key code.
const Key kKeys[] = {
    {0, u'a', u'A'},       {1, u's', u'S'},
    {2, u'd', u'D'},       {3, u'f', u'F'},
    {4, u'h', u'H'},       {5, u'g', u'G'},
    {6, u'z', u'Z'},       {7, u'x', u'X'},
    {8, u'c', u'C'},       {9, u'v', u'V'},
    {11, u'b', u'B'},      {12, u'q', u'Q'},
    {13, u'w', u'W'},      {14, u'e', u'E'},
    {15, u'r', u'R'},      {16, u'y', u'Y'},
    {17, u't', u'T'},      {18, u'1', u'!'},
    {19, u'2', u'@'},      {20, u'3', u'#'},
    {21, u'4', u'$'},      {22, u'6', u'^'},
    {23, u'5', u'%'},      {24, u'=', u'+'},
    {25, u'9', u'('},      {26, u'7', u'&'},
    {27, u'-', u'_'},      {28, u'8', u'*'},
    {29, u'0', u')'},      {30, u']', u'}'},
    {31, u'o', u'O'},      {32, u'u', u'U'},
    {33, u'[', u'{'},      {34, u'i', u'I'},
    {35, u'p', u'P'},      {36, 13, 13},
    {37, u'l', u'L'},      {38, u'j', u'J'},
    {39, u'\'', u'"'},     {40, u'k', u'K'},
    {41, u';', u':'},      {42, u'\\', u'|'},
    {43, u',', u'<'},      {44, u'/', u'?'},
    {45, u'n', u'N'},      {46, u'm', u'M'},
    {47, u'.', u'>'},      {48, 9, 25},
    {49, u' ', u' '},      {50, u'`', u'~'},
    {51, 127, 127},        {53, 27, 27},
    {65, u'.', u'.'},      {67, u'*', u'*'},
    {69, u'+', u'+'},      {71, 0xF739, 0xF739},
    {75, u'/', u'/'},      {76, 3, 3},
    {78, u'-', u'-'},      {81, u'=', u'='},
    {82, u'0', u'0'},      {83, u'1', u'1'},
    {84, u'2', u'2'},      {85, u'3', u'3'},
    {86, u'4', u'4'},      {87, u'5', u'5'},
    {88, u'6', u'6'},      {89, u'7', u'7'},
    {91, u'8', u'8'},      {92, u'9', u'9'},
    {96, 0xF708, 0xF708},  {97, 0xF709, 0xF709},
    {98, 0xF70A, 0xF70A},  {99, 0xF706, 0xF706},
    {100, 0xF70B, 0xF70B}, {101, 0xF70C, 0xF70C},
    {103, 0xF70E, 0xF70E}, {105, 0xF710, 0xF710},
    {109, 0xF70D, 0xF70D}, {111, 0xF70F, 0xF70F},
    {114, 0xF746, 0xF746}, {115, 0xF729, 0xF729},
    {116, 0xF72C, 0xF72C}, {117, 0xF728, 0xF728},
    {118, 0xF707, 0xF707}, {119, 0xF72B, 0xF72B},
    {120, 0xF705, 0xF705}, {121, 0xF72D, 0xF72D},
    {122, 0xF704, 0xF704}, {123, 0xF702, 0xF702},
    {124, 0xF703, 0xF703}, {125, 0xF701, 0xF701},
    {126, 0xF700, 0xF700},
};

const Key* find(int keyCode) {
    for (const Key& k : kKeys)
        if (k.code == keyCode) return &k;
    return nullptr;
}

} // namespace

char16_t KeyLayout::Translate(int keyCode, unsigned modifierFlags) {
    const Key* k = find(keyCode);
    if (!k) return 0;
    const bool shift = modifierFlags & kShiftKeyMask;
    const bool capsLetter =
        (modifierFlags & kAlphaShiftKeyMask) && k->plain >= u'a' && k->plain <= u'z';
    return shift != capsLetter ? k->shifted : k->plain;
}

bool KeyLayout::KeyFor(char16_t c, int* keyCode, unsigned* modifierFlags) {
    // The main block comes first in the table, so a digit or sign is typed there, not on the
    // keypad.
    for (const Key& k : kKeys) {
        if (k.plain == c || k.shifted == c) {
            *keyCode = k.code;
            *modifierFlags = k.plain == c ? 0u : unsigned(kShiftKeyMask);
            return true;
        }
    }
    return false;
}

} // namespace platform::wsys
