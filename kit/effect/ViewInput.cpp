#include "kit/effect/ViewInput.h"

#include "kit/effect/IParam.h"

namespace {

const struct {
    int keyNumber;
    int keyCode;
} kPlacedKeys[] = {
    {kViewKeyLeftArrow, kKeyLeftArrow}, {kViewKeyRightArrow, kKeyRightArrow},
    {kViewKeyDownArrow, kKeyDownArrow}, {kViewKeyUpArrow, kKeyUpArrow},
    {kViewKeySpace, kKeySpace},
};

// Characters of a UTF-8 text: every byte but continuation bytes starts one.
int countCharacters(const char* text) {
    int n = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        if ((*p & 0xC0) != 0x80) ++n;
    return n;
}

} // namespace

void ViewPointToEditor(double viewX, double viewY, int editorHeight, int* x, int* y) {
    *x = TruncToInt(viewX) - 2;
    *y = editorHeight - TruncToInt(viewY) - 3;
}

IMouseMod ViewMouseMod(unsigned flags, bool rightButton) {
    return IMouseMod(!rightButton, rightButton || (flags & kViewCommandKeyMask),
                     flags & kViewShiftKeyMask, flags & kViewControlKeyMask,
                     flags & kViewAlternateKeyMask);
}

int ViewWheelSteps(double deltaY) {
    return TruncToInt(deltaY);
}

int ViewKeyCode(int keyNumber, const char* characters) {
    if (!characters || countCharacters(characters) != 1) return kViewKeyDropped;
    for (const auto& key : kPlacedKeys)
        if (key.keyNumber == keyNumber) return key.keyCode;
    const char c = characters[0];
    if (c >= '0' && c <= '9') return kKeyDigit0 + (c - '0');
    if (c >= 'A' && c <= 'Z') return kKeyLetterA + (c - 'A');
    if (c >= 'a' && c <= 'z') return kKeyLetterA + (c - 'a');
    return kViewKeyPassedOn;
}
