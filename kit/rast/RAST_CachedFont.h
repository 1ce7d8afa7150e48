#pragma once

#include "kit/base/KIT_HeapBuf.h"
#include "kit/rast/RAST_IFont.h"

#include <memory>

class RAST_SysBitmap;

// A font that renders each character once through the windowing layer, white on black into a
// temporary bitmap of its own, keeps its 8-bit coverage and then draws text by stamping
// coverage in its colours, combine mode and alpha. Used by one thread at a time; two fonts
// share nothing, so two threads may each draw with their own.
class RAST_CachedFont : public RAST_IFont {
public:
    // Five signed ints, in this order, as the extended list stores them.
    struct Glyph {
        // 1 + the byte offset of the coverage map in the store; 0 not rendered yet; -1 failed
        // or empty (not retried until the font is set again).
        int position;
        int width;
        int height;
        int advance;
        // Filled only in records of the extended list.
        int code;
    };

    RAST_CachedFont();
    ~RAST_CachedFont() override;
    RAST_CachedFont(const RAST_CachedFont&) = delete;
    RAST_CachedFont& operator=(const RAST_CachedFont&) = delete;

    // Replaces font and flags (RAST_FONT_*) and empties the cache; the line height comes from
    // the font's metrics.
    void SetFromHFont(HFONT font, int flags) override;
    RAST_pixel SetTextColor(RAST_pixel colour) override;
    RAST_pixel SetBkColor(RAST_pixel colour) override;
    RAST_pixel SetEffectColor(RAST_pixel colour) override;
    int SetBkMode(int mode) override;
    void SetCombineMode(int mode, float alpha) override;
    // A missing rectangle or text draws nothing and returns 0.
    int DrawText(RAST_IBitmap* dest, const char* str, int strcnt, RECT* rect,
                 unsigned int dtFlags) override;
    RAST_pixel GetTextColor() override { return m_fg; }
    HFONT GetHFont() override { return m_font; }
    int GetLineHeight() override { return m_line_height; }

    // The record of c: always one for codes below 128, else the cached one or null.
    Glyph* findChar(unsigned short c);
    // Renders c into the cache (a record that fails is kept as failed); false when the line
    // height is above 1023, or for codes of 128 and above under RAST_FONT_LOWCHARS_ONLY.
    bool RenderGlyph(unsigned short c);
    // Stamps c's cached coverage with its top-left at (xpos, ypos), cut to clip and the
    // bitmap; true when the glyph's box meets the clip.
    bool DrawGlyph(RAST_IBitmap* dest, unsigned short c, int xpos, int ypos, const RECT* clip);

    // Bytes of the character at p (at most avail when avail is not negative) and its code:
    // 2 and 3-byte sequences decode, 4-byte ones give a space, anything else is one byte taken
    // as its own code.
    static int utf8char(const char* p, unsigned short* c, int avail = -1);
    static int _charSortFunc(const void* a, const void* b);

private:
    int DrawTextImpl(RAST_IBitmap* dest, const char* str, int strcnt, RECT* rect,
                     unsigned int dtFlags);
    int drawNativeOnContext(RAST_IBitmap* dest, const char* str, int strcnt, RECT* rect,
                            unsigned int dtFlags);
    int drawNativeThroughTemp(RAST_IBitmap* dest, const char* str, int strcnt, RECT* rect,
                              unsigned int dtFlags);
    int measureGlyphs(const char* str, int strcnt, RECT* rect, unsigned int dtFlags);
    int drawGlyphs(RAST_IBitmap* dest, const char* str, int strcnt, RECT* rect,
                   unsigned int dtFlags);
    template <class Visit, class NewLine>
    void eachGlyph(const char* str, int strcnt, unsigned int dtFlags, Visit visit, NewLine newLine);
    void applyColours(HDC dc) const;
    int extendedCount() const;
    bool isVertical() const { return m_flags & RAST_FONT_VERTICAL; }
    bool isBottomUp() const {
        return (m_flags & (RAST_FONT_VERTICAL | RAST_FONT_BOTTOMUP)) ==
               (RAST_FONT_VERTICAL | RAST_FONT_BOTTOMUP);
    }

    RAST_pixel m_fg = 0;
    RAST_pixel m_bg = 0xFFFFFFFF;
    RAST_pixel m_effectcol = 0xFFFFFFFF;
    int m_bgmode = 0;
    int m_comb = 0;
    float m_alpha = 1.0f;
    int m_flags = 0;
    int m_line_height = 0;
    Glyph m_lowchars[128];
    KIT_HeapBuf m_extcharlist{4096};
    KIT_HeapBuf m_cachestore{65536};
    HFONT m_font = nullptr;
    // Where glyphs are rendered, and where native text is drawn over a copy of its background.
    std::unique_ptr<RAST_SysBitmap> m_glyphSurface;
    std::unique_ptr<RAST_SysBitmap> m_nativeSurface;
};
