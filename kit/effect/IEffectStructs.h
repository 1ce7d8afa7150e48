#pragma once

#include <algorithm>

class RAST_IFont;

// A colour as alpha, red, green, blue, each 0..255.
struct IColor {
    int A = 0, R = 0, G = 0, B = 0;

    IColor() = default;
    IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
    bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
    bool operator!=(const IColor& o) const { return !(*this == o); }
};

inline const IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline const IColor COLOR_BLACK(255, 0, 0, 0);
inline const IColor COLOR_GRAY(255, 127, 127, 127);
inline const IColor COLOR_WHITE(255, 255, 255, 255);
inline const IColor COLOR_RED(255, 255, 0, 0);
inline const IColor COLOR_GREEN(255, 0, 255, 0);
inline const IColor COLOR_BLUE(255, 0, 0, 255);
inline const IColor COLOR_YELLOW(255, 255, 255, 0);
inline const IColor COLOR_ORANGE(255, 255, 127, 0);
inline const IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
inline const IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
inline const IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

// A rectangle of editor pixels: left and top inside, right and bottom just outside. The
// all-zero rectangle is the empty one and contains nothing.
struct IRECT {
    int L = 0, T = 0, R = 0, B = 0;

    IRECT() = default;
    IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}
    bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
    bool operator!=(const IRECT& o) const { return !(*this == o); }

    int W() const { return R - L; }
    int H() const { return B - T; }
    bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
    bool Contains(int x, int y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
    // Edges that touch on the right or bottom of this rectangle count as meeting, those on
    // its left or top do not: repainting relies on this order of the two arguments.
    bool Intersects(const IRECT& o) const {
        return !Empty() && !o.Empty() && L < o.R && R >= o.L && T < o.B && B >= o.T;
    }
    // The common area, or the empty rectangle when the two do not meet.
    IRECT Intersect(const IRECT& o) const {
        if (!Intersects(o)) return IRECT();
        return IRECT(std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B));
    }
    // The bounding box; an empty side gives the other one.
    IRECT Union(const IRECT& o) const {
        if (Empty()) return o;
        if (o.Empty()) return *this;
        return IRECT(std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B));
    }
};

// Style of a text that a control draws or edits. The font that drawing creates for it is
// remembered here, so that later draws need no font look-up.
struct IText {
    enum EStyle { kStyleNormal = 0, kStyleBold, kStyleItalic };
    enum EAlign { kAlignNear = 0, kAlignCenter, kAlignFar };
    enum EVAlign { kVAlignTop = 0, kVAlignBottom, kVAlignMiddle };
    static constexpr int kFontNameLen = 32;

    char mFont[kFontNameLen] = "Consolas";
    int mSize = 12;
    IColor mColor = DEFAULT_TEXT_COLOR;
    IColor mTextEntryBGColor = DEFAULT_TEXT_ENTRY_BGCOLOR;
    IColor mTextEntryFGColor = DEFAULT_TEXT_ENTRY_FGCOLOR;
    int mStyle = kStyleNormal;
    int mAlign = kAlignCenter;
    int mVAlign = kVAlignMiddle;
    int mOrientation = 0; // degrees
    int mQuality = 3;
    RAST_IFont* mCached = nullptr;
    // Rows of the cached font's capitals, and of its dash, in a line drawn at the top of a box
    // (height 0: not measured): a text in the middle of its box centres these, a placeholder
    // of dashes its dashes.
    int mCapTop = 0, mCapHeight = 0, mDashTop = 0, mDashHeight = 0;
};

// How a drawing is combined with what lies beneath it, at a weight (1.0 opaque).
struct IChannelBlend {
    enum EBlendMethod { kBlendNone = 0, kBlendCopy, kBlendAdd, kBlendColorDodge };

    int mMethod = kBlendNone;
    float mWeight = 1.0f;

    IChannelBlend() = default;
    explicit IChannelBlend(int method, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

// The axis along which a knob or fader follows the mouse, or radio buttons are laid out.
enum EDirection { kVertical = 0, kHorizontal = 1 };

// Mouse buttons and modifier keys of an input event. Shift or control asks for fine steps.
struct IMouseMod {
    bool L = false, R = false, S = false, C = false, A = false;

    IMouseMod() = default;
    IMouseMod(bool l, bool r, bool s = false, bool c = false, bool a = false)
        : L(l), R(r), S(s), C(c), A(a) {}
};

// Key codes given to OnKeyDown; letters count whatever their case.
enum EKeyCode {
    kKeySpace = 0,
    kKeyUpArrow = 1,
    kKeyDownArrow = 2,
    kKeyLeftArrow = 3,
    kKeyRightArrow = 4,
    kKeyDigit0 = 5,  // to kKeyDigit0 + 9
    kKeyLetterA = 15 // to kKeyLetterA + 25
};
