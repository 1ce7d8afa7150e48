#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_CachedFont.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_SysBitmap.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

constexpr unsigned int kAlignFlags = DT_VCENTER | DT_CENTER | DT_BOTTOM | DT_RIGHT;
// Font flags that only cached glyphs can honour.
constexpr int kGlyphOnlyFlags = RAST_FONT_VERTICAL | RAST_FONT_BOTTOMUP | RAST_FONT_LOWCHARS_ONLY |
                                RAST_FONT_BLUR | RAST_FONT_INVERT | RAST_FONT_MONO |
                                RAST_FONT_SHADOW | RAST_FONT_OUTLINE;

// The windowing layer's colour int of a pixel word: its alpha byte dropped.
int colourWord(RAST_pixel p) {
    return RAST_GetRed(p) * 65536 + RAST_GetGreen(p) * 256 + RAST_GetBlue(p);
}

int saturate(int64_t v) {
    return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

// alpha x 256 truncated: 0 for an alpha that is not above 0 (NaN included), bounded above so
// that it stays an int.
int alphaWeight(float alpha) {
    if (!(alpha > 0.0f)) return 0;
    return int(std::min(alpha * 256.0f, 65536.0f));
}

// Per-pixel stamping loops over a pixel operation P: every pixel whose coverage is not 0 gets
// the colour (alpha byte 255) at a weight.
template <class P> struct GlyphRenderer {
    template <class Weigh>
    static void each(const unsigned char* cov, RAST_pixel* dest, int covSpan, int destSpan, int w,
                     int h, Weigh weigh) {
        for (; h > 0; --h, cov += covSpan, dest += destSpan)
            for (int x = 0; x < w; ++x)
                if (const int c = cov[x]) weigh(reinterpret_cast<unsigned char*>(dest + x), c);
    }
    static void Mono(const unsigned char* cov, RAST_pixel* dest, int covSpan, int destSpan, int w,
                     int h, int r, int g, int b, int alpha) {
        each(cov, dest, covSpan, destSpan, w, h,
             [=](unsigned char* d, int) { P::doPix(d, r, g, b, 255, alpha); });
    }
    static void Normal(const unsigned char* cov, RAST_pixel* dest, int covSpan, int destSpan, int w,
                       int h, int r, int g, int b, int alpha) {
        each(cov, dest, covSpan, destSpan, w, h, [=](unsigned char* d, int c) {
            P::doPix(d, r, g, b, 255, alpha == 256 ? c + 1 : std::min(c * alpha / 256, 256));
        });
    }
    static void Effect(const unsigned char* cov, RAST_pixel* dest, int covSpan, int destSpan, int w,
                       int h, int r, int g, int b, int alpha, int er, int eg, int eb) {
        each(cov, dest, covSpan, destSpan, w, h, [=](unsigned char* d, int c) {
            if (c == 255)
                P::doPix(d, r, g, b, 255, alpha);
            else
                P::doPix(d, er, eg, eb, 255, alpha);
        });
    }
};

// Loops by the combine mode's low byte (0 to 5).
template <class P> struct MonoEntry { static constexpr auto fn = &GlyphRenderer<P>::Mono; };
template <class P> struct NormalEntry { static constexpr auto fn = &GlyphRenderer<P>::Normal; };
template <class P> struct EffectEntry { static constexpr auto fn = &GlyphRenderer<P>::Effect; };
constexpr auto kMono = RAST_MakeModeTable<MonoEntry>(RAST_ModeOps{});
constexpr auto kNormal = RAST_MakeModeTable<NormalEntry>(RAST_ModeOps{});
constexpr auto kEffect = RAST_MakeModeTable<EffectEntry>(RAST_ModeOps{});

} // namespace

int RAST_CachedFont::utf8char(const char* p, unsigned short* c, int avail) {
    const auto* s = reinterpret_cast<const unsigned char*>(p);
    const unsigned char b0 = s[0];
    int extra = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF)
        extra = 1;
    else if (b0 >= 0xE0 && b0 <= 0xEF)
        extra = 2;
    else if (b0 >= 0xF0 && b0 <= 0xF4)
        extra = 3;
    bool whole = extra > 0 && (avail < 0 || avail > extra);
    // A NUL is no continuation byte, so the text's end is never passed.
    for (int i = 1; whole && i <= extra; ++i)
        whole = (s[i] & 0xC0) == 0x80;
    unsigned short code = b0;
    int n = 1;
    if (whole) {
        n = extra + 1;
        if (extra == 1) code = (unsigned short)((b0 & 0x1F) * 64 + (s[1] & 0x3F));
        if (extra == 2)
            code = (unsigned short)((b0 & 0x0F) * 4096 + (s[1] & 0x3F) * 64 + (s[2] & 0x3F));
        if (extra == 3) code = 0x20;
    }
    if (c) *c = code;
    return n;
}

int RAST_CachedFont::DrawText(RAST_IBitmap* dest, const char* str, int strcnt, RECT* rect,
                              unsigned int dtFlags) {
    return DrawTextImpl(dest, str, strcnt, rect, dtFlags);
}

int RAST_CachedFont::DrawTextImpl(RAST_IBitmap* dest, const char* str, int strcnt, RECT* rect,
                                  unsigned int dtFlags) {
    if (!rect || !str) return 0;
    if (!(dtFlags & DT_CALCRECT) && !dest) return 0;
    const bool native =
        m_line_height >= 256 || ((m_flags & RAST_FONT_NATIVE) && !(m_flags & kGlyphOnlyFlags) &&
                                 !(dtFlags & (RAST_DT_USEFGALPHA | RAST_DT_NONATIVE)) && m_font);
    if (native)
        return dest && dest->getDC() ? drawNativeOnContext(dest, str, strcnt, rect, dtFlags)
                                     : drawNativeThroughTemp(dest, str, strcnt, rect, dtFlags);
    if (dtFlags & DT_CALCRECT) return measureGlyphs(str, strcnt, rect, dtFlags);
    return drawGlyphs(dest, str, strcnt, rect, dtFlags);
}

void RAST_CachedFont::applyColours(HDC dc) const {
    ::SetTextColor(dc, colourWord(m_fg));
    ::SetBkMode(dc, m_bgmode);
    if (m_bgmode == OPAQUE) ::SetBkColor(dc, colourWord(m_bg));
}

int RAST_CachedFont::drawNativeOnContext(RAST_IBitmap* dest, const char* str, int strcnt,
                                         RECT* rect, unsigned int dtFlags) {
    HDC dc = dest->getDC();
    const HGDIOBJ old = SelectObject(dc, m_font);
    applyColours(dc);
    RECT local = *rect;
    const int result =
        WINL_DrawText(dc, str, strcnt, &local, int((dtFlags & ~RAST_DT_NONATIVE) | DT_NOPREFIX));
    if (dtFlags & DT_CALCRECT) *rect = local;
    if (old) SelectObject(dc, old);
    return result;
}

int RAST_CachedFont::drawNativeThroughTemp(RAST_IBitmap* dest, const char* str, int strcnt,
                                           RECT* rect, unsigned int dtFlags) {
    if (!m_nativeSurface) m_nativeSurface = std::make_unique<RAST_SysBitmap>(0, 0);
    RAST_SysBitmap* temp = m_nativeSurface.get();
    if (temp->getWidth() < 4 || temp->getHeight() < 4) temp->resize(4, 4);
    HDC dc = temp->getDC();
    if (!dc) return 0;
    HGDIOBJ old = SelectObject(dc, m_font);

    RECT m{0, 0, 0, 0};
    const unsigned int unaligned = dtFlags & ~(kAlignFlags | RAST_DT_NONATIVE);
    const int height =
        WINL_DrawText(dc, str, strcnt, &m, int(unaligned | DT_CALCRECT | DT_NOPREFIX));
    if (dtFlags & DT_CALCRECT) {
        rect->right = saturate(int64_t(rect->left) + m.right - m.left);
        rect->bottom = saturate(int64_t(rect->top) + m.bottom - m.top);
        if (old) SelectObject(dc, old);
        return height;
    }

    // Right wins over centre and bottom over middle here.
    const int64_t x = dtFlags & DT_RIGHT    ? int64_t(rect->right) - m.right
                      : dtFlags & DT_CENTER ? (int64_t(rect->left) + rect->right - m.right) / 2
                                            : rect->left;
    const int64_t y = dtFlags & DT_BOTTOM    ? int64_t(rect->bottom) - m.bottom
                      : dtFlags & DT_VCENTER ? (int64_t(rect->top) + rect->bottom - m.bottom) / 2
                                             : rect->top;
    const bool noClip = dtFlags & DT_NOCLIP;
    int64_t right = std::min<int64_t>(x + m.right, dest->getWidth());
    int64_t bottom = std::min<int64_t>(y + m.bottom, dest->getHeight());
    if (!noClip)
        right = std::min<int64_t>(right, rect->right),
        bottom = std::min<int64_t>(bottom, rect->bottom);
    const int64_t left = std::max<int64_t>(x, noClip ? 0 : std::max(rect->left, 0));
    const int64_t top = std::max<int64_t>(y, noClip ? 0 : std::max(rect->top, 0));
    if (right <= left || bottom <= top) {
        if (old) SelectObject(dc, old);
        return height;
    }
    const RECT box{int(left), int(top), int(right), int(bottom)};
    const int boxW = box.right - box.left, boxH = box.bottom - box.top;
    if (temp->getWidth() < boxW || temp->getHeight() < boxH) {
        if (old) SelectObject(dc, old);
        temp->resize(boxW, boxH);
        dc = temp->getDC();
        old = SelectObject(dc, m_font);
    }

    RAST_Blit(temp, dest, 0, 0, &box, 1.0f, RAST_MODE_COPY);
    applyColours(dc);
    RECT at{saturate(x - left), saturate(y - top), box.right, box.bottom};
    const unsigned int drawFlags = dtFlags & ~(kAlignFlags | DT_NOCLIP | RAST_DT_NONATIVE);
    const int result = WINL_DrawText(dc, str, strcnt, &at, int(drawFlags | DT_NOPREFIX));
    RAST_Blit(dest, temp, box.left, box.top, 0, 0, boxW, boxH, m_alpha, RAST_MODE_COPY);
    if (old) SelectObject(dc, old);
    return result;
}

template <class Visit, class NewLine>
void RAST_CachedFont::eachGlyph(const char* str, int strcnt, unsigned int dtFlags, Visit visit,
                                NewLine newLine) {
    int remaining = strcnt;
    for (const char* p = str; remaining != 0 && *p;) {
        unsigned short c;
        const int n = utf8char(p, &c, remaining);
        p += n;
        if (remaining > 0) remaining = std::max(remaining - n, 0);
        if (c == '\r') continue;
        if (c == '\n') {
            if (!(dtFlags & DT_SINGLELINE)) {
                newLine();
                continue;
            }
            c = ' ';
        }
        Glyph* g = findChar(c);
        if (!g) {
            const int before = extendedCount();
            RenderGlyph(c);
            if (extendedCount() == before || !(g = findChar(c))) continue;
        }
        if (g->position == 0) RenderGlyph(c);
        if (g->position <= 0) continue;
        visit(*g, c);
    }
}

int RAST_CachedFont::measureGlyphs(const char* str, int strcnt, RECT* rect, unsigned int dtFlags) {
    const bool vertical = isVertical();
    int64_t penX = 0, penY = 0, extentX = 0, extentY = 0;
    eachGlyph(
        str, strcnt, dtFlags,
        [&](const Glyph& g, unsigned short) {
            if (vertical) {
                extentX = std::max<int64_t>(extentX, penX + g.width);
                extentY = std::max({extentY, penY + g.advance, penY + g.height});
                penY += g.advance;
            } else {
                extentY = std::max<int64_t>(extentY, penY + g.height);
                extentX = std::max({extentX, penX + g.advance, penX + g.width});
                penX += g.advance;
            }
        },
        [&] {
            if (vertical)
                penX += m_line_height, penY = 0;
            else
                penX = 0, penY += m_line_height;
        });
    rect->right = saturate(rect->left + extentX);
    rect->bottom = saturate(rect->top + extentY);
    return saturate(vertical ? extentX : extentY);
}

int RAST_CachedFont::drawGlyphs(RAST_IBitmap* dest, const char* str, int strcnt, RECT* rect,
                                unsigned int dtFlags) {
    const float kept = m_alpha;
    if (dtFlags & RAST_DT_USEFGALPHA) m_alpha = m_alpha * float(RAST_GetAlpha(m_fg)) / 255.0f;
    if (m_alpha == 0.0f) {
        m_alpha = kept;
        return 0;
    }

    const RECT r = *rect;
    const bool bottomUp = isBottomUp();
    RECT m{0, 0, 0, 0};
    if ((dtFlags & kAlignFlags) || bottomUp)
        DrawTextImpl(dest, str, strcnt, &m,
                     (dtFlags & (DT_SINGLELINE | RAST_DT_NONATIVE)) | DT_CALCRECT);
    // Centre wins over right and middle over bottom here.
    int64_t startX = r.left, startY = r.top;
    if (dtFlags & DT_CENTER)
        startX = r.left + (int64_t(r.right) - r.left - m.right) / 2;
    else if (dtFlags & DT_RIGHT)
        startX = int64_t(r.right) - m.right;
    if (dtFlags & DT_VCENTER)
        startY = r.top + (int64_t(r.bottom) - r.top - m.bottom) / 2;
    else if (dtFlags & DT_BOTTOM)
        startY = int64_t(r.bottom) - m.bottom;
    if (bottomUp) startY += m.bottom;

    const RECT clip = dtFlags & DT_NOCLIP ? RECT{0, 0, dest->getWidth(), dest->getHeight()}
                                          : RECT{std::max(r.left, 0), std::max(r.top, 0),
                                                 std::min(r.right, dest->getWidth()),
                                                 std::min(r.bottom, dest->getHeight())};
    if (clip.right <= clip.left || clip.bottom <= clip.top) {
        m_alpha = kept;
        return 0;
    }

    const bool vertical = isVertical();
    int64_t penX = startX, penY = startY, extentX = startX, extentY = startY;
    eachGlyph(
        str, strcnt, dtFlags,
        [&](const Glyph& g, unsigned short c) {
            if (g.position - 1 + int64_t(g.width) * g.height > m_cachestore.GetSize()) return;
            const int64_t top = bottomUp ? penY - g.height : penY;
            const bool drawn = DrawGlyph(dest, c, saturate(penX), saturate(top), &clip);
            if (!vertical) {
                penX += g.advance;
                if (drawn) extentY = std::max<int64_t>(extentY, penY + g.height);
            } else {
                penY += bottomUp ? -g.advance : g.advance;
                if (drawn) extentX = std::max<int64_t>(extentX, penX + g.width);
            }
        },
        [&] {
            if (vertical)
                penX += m_line_height, penY = startY;
            else
                penX = startX, penY += m_line_height;
        });
    m_alpha = kept;
    return saturate(vertical ? extentX - startX : extentY - startY);
}

bool RAST_CachedFont::DrawGlyph(RAST_IBitmap* dest, unsigned short c, int xpos, int ypos,
                                const RECT* clip) {
    const Glyph* g = findChar(c);
    if (!g || !dest || !clip || !dest->getBits() || g->position <= 0) return false;
    const int64_t w = g->width, h = g->height;
    if (g->position - 1 + w * h > m_cachestore.GetSize()) return false;
    if (xpos + w <= clip->left || clip->right <= xpos || ypos + h <= clip->top ||
        clip->bottom <= ypos)
        return false;

    // Cut to the clip and, whatever the caller's clip, to the bitmap.
    const int64_t x0 = std::max<int64_t>({xpos, clip->left, 0});
    const int64_t y0 = std::max<int64_t>({ypos, clip->top, 0});
    const int64_t x1 = std::min<int64_t>({xpos + w, clip->right, dest->getWidth()});
    const int64_t y1 = std::min<int64_t>({ypos + h, clip->bottom, dest->getHeight()});
    if (x1 <= x0 || y1 <= y0) return true;
    const int cw = int(x1 - x0), ch = int(y1 - y0);
    const unsigned char* cov = static_cast<const unsigned char*>(m_cachestore.Get()) +
                               (g->position - 1) + (y0 - ypos) * w + (x0 - xpos);
    RAST_pixel* out = RAST_PixelAt(*dest, int(x0), int(y0));
    const int step = int(RAST_PictureRowStep(*dest));

    if (m_bgmode == OPAQUE)
        RAST_FillRect(dest, int(x0), int(y0), cw, ch, m_bg, m_alpha,
                      m_comb & ~RAST_MODE_SOURCE_ALPHA);

    const int r = RAST_GetRed(m_fg), gr = RAST_GetGreen(m_fg), b = RAST_GetBlue(m_fg);
    const int op = m_comb & RAST_MODE_OP_MASK;
    const bool opaqueCopy = m_alpha == 1.0f && op == RAST_MODE_COPY;
    const int weight = alphaWeight(m_alpha);
    if (op > RAST_MODE_HSVADJUST || weight == 0) return true;

    if (m_flags & RAST_FONT_MONO) {
        if (opaqueCopy) {
            for (int y = 0; y < ch; ++y, cov += w, out += step)
                for (int x = 0; x < cw; ++x)
                    if (cov[x]) out[x] = m_fg;
        } else {
            kMono[op](cov, out, int(w), step, cw, ch, r, gr, b, std::min(weight, 256));
        }
    } else if (m_flags & (RAST_FONT_SHADOW | RAST_FONT_OUTLINE)) {
        if (opaqueCopy) {
            for (int y = 0; y < ch; ++y, cov += w, out += step)
                for (int x = 0; x < cw; ++x)
                    if (cov[x]) out[x] = cov[x] == 255 ? m_fg : m_effectcol;
        } else {
            kEffect[op](cov, out, int(w), step, cw, ch, r, gr, b, std::min(weight, 256),
                        RAST_GetRed(m_effectcol), RAST_GetGreen(m_effectcol),
                        RAST_GetBlue(m_effectcol));
        }
    } else {
        kNormal[op](cov, out, int(w), step, cw, ch, r, gr, b, weight);
    }
    return true;
}
