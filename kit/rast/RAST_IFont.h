#pragma once

#include "kit/rast/RAST_IBitmap.h"
#include "kit/winl/winl-gdi-text.h"

// Font flags of RAST_IFont::SetFromHFont.
enum : int {
    // Glyphs turned a quarter clockwise; text runs top to bottom, lines advance to the right.
    RAST_FONT_VERTICAL = 0x1,
    // With RAST_FONT_VERTICAL: a quarter counter-clockwise, text running bottom to top.
    RAST_FONT_BOTTOMUP = 0x2,
    // All 128 low glyphs are rendered at once; codes 128 and above are never drawn.
    RAST_FONT_LOWCHARS_ONLY = 0x4,
    RAST_FONT_BLUR = 0x10,
    RAST_FONT_INVERT = 0x20,
    // Coverage 131-255 becomes full, the rest none; drawn without anti-aliasing.
    RAST_FONT_MONO = 0x40,
    // After the monochrome reduction, empty pixels right of, below or below-right of ink
    // become half covered (drawn in the effect colour).
    RAST_FONT_SHADOW = 0x80,
    // The same for empty pixels next to ink on any side (RAST_FONT_SHADOW wins).
    RAST_FONT_OUTLINE = 0x100,
    // The font object is deleted when it is replaced or the font is destroyed.
    RAST_FONT_OWNS_HFONT = 0x200,
    // Text may be drawn by the windowing layer directly.
    RAST_FONT_NATIVE = 0x400,
};

// DrawText flags beyond the windowing layer's DT_* bits.
enum : unsigned int {
    // The alpha of this call is multiplied by the text colour's alpha byte / 255; no native
    // drawing.
    RAST_DT_USEFGALPHA = 0x40000000,
    RAST_DT_NONATIVE = 0x80000000,
};

// The raster graphics' text renderer.
class RAST_IFont {
public:
    RAST_IFont() = default;
    RAST_IFont(const RAST_IFont&) = delete;
    RAST_IFont& operator=(const RAST_IFont&) = delete;
    virtual ~RAST_IFont() = default;

    virtual void SetFromHFont(HFONT font, int flags) = 0;
    // Each setter returns the previous value.
    virtual RAST_pixel SetTextColor(RAST_pixel colour) = 0;
    virtual RAST_pixel SetBkColor(RAST_pixel colour) = 0;
    // The colour of shadow and outline pixels.
    virtual RAST_pixel SetEffectColor(RAST_pixel colour) = 0;
    // 1: each glyph's box is filled with the background colour first.
    virtual int SetBkMode(int mode) = 0;
    virtual void SetCombineMode(int mode, float alpha) = 0;
    // Draws (or with DT_CALCRECT measures, setting the rectangle's right and bottom) strcnt
    // bytes of UTF-8 text (to its zero when negative) in the rectangle. Returns the text's
    // height (its width for vertical fonts), 0 when nothing is drawn.
    virtual int DrawText(RAST_IBitmap* dest, const char* str, int strcnt, RECT* rect,
                         unsigned int dtFlags) = 0;
    virtual RAST_pixel GetTextColor() = 0;
    virtual HFONT GetHFont() = 0;
    virtual int GetLineHeight() = 0;
};
