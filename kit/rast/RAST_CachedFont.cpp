#include "kit/rast/RAST_CachedFont.h"

#include "kit/rast/RAST_BlurHalveCompare.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_SysBitmap.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int kGlyphBytes = int(sizeof(RAST_CachedFont::Glyph));
static_assert(kGlyphBytes == 20, "glyph records are five ints");

// The glyph surface draws white text on an opaque black box.
void setUpGlyphContext(RAST_SysBitmap* bm) {
    HDC dc = bm->getDC();
    SetTextColor(dc, 0xFFFFFF);
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, 0);
}

// Holds the temporary bitmap at least w x h, setting up its context when it grows.
void ensureGlyphSurface(std::unique_ptr<RAST_SysBitmap>& bm, int w, int h) {
    if (!bm) bm = std::make_unique<RAST_SysBitmap>(0, 0);
    if (bm->getWidth() < w || bm->getHeight() < h) {
        bm->resize(w, h);
        setUpGlyphContext(bm.get());
    }
}

int utf8Encode(unsigned short c, char* out) {
    if (c < 0x80) {
        out[0] = char(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = char(0xC0 + c / 64);
        out[1] = char(0x80 + c % 64);
        return 2;
    }
    out[0] = char(0xE0 | c / 4096);
    out[1] = char(0x80 | (c / 64 % 64));
    out[2] = char(0x80 | c % 64);
    return 3;
}

// Monochrome reduction, then the shadow or outline pass: empty pixels next to full ones (in
// the flag's directions) become half covered. Only full pixels spread.
void reduceToMonochrome(unsigned char* map, int w, int h, int flags) {
    for (int i = 0; i < w * h; ++i)
        map[i] = map[i] > 130 ? 255 : 0;
    if (!(flags & (RAST_FONT_SHADOW | RAST_FONT_OUTLINE))) return;
    const bool shadow = flags & RAST_FONT_SHADOW;
    const auto full = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && map[y * w + x] == 255;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (map[y * w + x] != 0) continue;
            const bool edge =
                shadow ? full(x - 1, y) || full(x, y - 1) || full(x - 1, y - 1)
                       : full(x - 1, y) || full(x + 1, y) || full(x, y - 1) || full(x, y + 1);
            if (edge) map[y * w + x] = 128;
        }
}

} // namespace

RAST_CachedFont::RAST_CachedFont() {
    memset(m_lowchars, 0, sizeof m_lowchars);
}

RAST_CachedFont::~RAST_CachedFont() {
    if ((m_flags & RAST_FONT_OWNS_HFONT) && m_font) DeleteObject(m_font);
}

void RAST_CachedFont::SetFromHFont(HFONT font, int flags) {
    if ((m_flags & RAST_FONT_OWNS_HFONT) && m_font && m_font != font) DeleteObject(m_font);
    m_flags = flags;
    m_font = font;
    if (font) {
        ensureGlyphSurface(m_glyphSurface, 256, 256);
        HDC dc = m_glyphSurface->getDC();
        const HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRIC tm;
        GetTextMetrics(dc, &tm);
        if (old) SelectObject(dc, old);
        m_line_height = tm.tmHeight;
    }
    memset(m_lowchars, 0, sizeof m_lowchars);
    m_extcharlist.Resize(0, false);
    m_cachestore.Resize(0, true);
    if (flags & RAST_FONT_LOWCHARS_ONLY)
        for (unsigned short c = 0; c < 128; ++c)
            RenderGlyph(c);
}

RAST_pixel RAST_CachedFont::SetTextColor(RAST_pixel colour) {
    return std::exchange(m_fg, colour);
}

RAST_pixel RAST_CachedFont::SetBkColor(RAST_pixel colour) {
    return std::exchange(m_bg, colour);
}

RAST_pixel RAST_CachedFont::SetEffectColor(RAST_pixel colour) {
    return std::exchange(m_effectcol, colour);
}

int RAST_CachedFont::SetBkMode(int mode) {
    return std::exchange(m_bgmode, mode);
}

void RAST_CachedFont::SetCombineMode(int mode, float alpha) {
    m_comb = mode;
    m_alpha = alpha;
}

int RAST_CachedFont::_charSortFunc(const void* a, const void* b) {
    return static_cast<const Glyph*>(a)->code - static_cast<const Glyph*>(b)->code;
}

int RAST_CachedFont::extendedCount() const {
    return m_extcharlist.GetSize() / kGlyphBytes;
}

RAST_CachedFont::Glyph* RAST_CachedFont::findChar(unsigned short c) {
    if (c < 128) return &m_lowchars[c];
    if (extendedCount() == 0) return nullptr;
    Glyph key{};
    key.code = c;
    return static_cast<Glyph*>(
        bsearch(&key, m_extcharlist.Get(), size_t(extendedCount()), kGlyphBytes, _charSortFunc));
}

bool RAST_CachedFont::RenderGlyph(unsigned short c) {
    if (m_line_height > 1023) return false;
    Glyph* rec = findChar(c);
    bool added = false;
    if (!rec) {
        if (m_flags & RAST_FONT_LOWCHARS_ONLY) return false;
        const int n = m_extcharlist.GetSize();
        m_extcharlist.Resize(n + kGlyphBytes, false);
        if (m_extcharlist.GetSize() != n + kGlyphBytes) return false;
        rec = reinterpret_cast<Glyph*>(static_cast<char*>(m_extcharlist.Get()) + n);
        *rec = Glyph{0, 0, 0, 0, c};
        added = true;
    }

    const int need = 2 * std::max(m_line_height, 1) + 8;
    ensureGlyphSurface(m_glyphSurface, need, need);
    RAST_SysBitmap* bm = m_glyphSurface.get();
    HDC dc = bm->getDC();
    const HGDIOBJ old = m_font ? SelectObject(dc, m_font) : nullptr;

    char text[4] = {0, 0, 0, 0};
    utf8Encode(c, text);
    RECT r{0, 0, 0, 0};
    WINL_DrawText(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    int advance = r.right;
    r.right += m_line_height < 16 ? 2 : m_line_height / 16 + 2;
    RAST_FillRect(bm, 0, 0, r.right, r.bottom, 0, 1.0f, 0);
    WINL_DrawText(dc, text, -1, &r, DT_SINGLELINE | DT_NOPREFIX);
    advance = std::min(advance, bm->getWidth());
    const int w = std::min(r.right, bm->getWidth());
    const int h = std::min(r.bottom, bm->getHeight());
    if (old) SelectObject(dc, old);

    const auto fail = [rec] { rec->position = -1, rec->width = rec->height = rec->advance = 0; };
    if (advance <= 0 || h <= 0) {
        fail();
    } else {
        rec->advance = advance;
        if (m_flags & RAST_FONT_BLUR) RAST_Blur(bm, bm, 0, 0, 0, 0, w, h);
        const int position = m_cachestore.GetSize() + 1;
        const int64_t size = int64_t(position) - 1 + int64_t(w) * h;
        if (size <= INT_MAX) m_cachestore.Resize(int(size), false);
        if (m_cachestore.GetSize() != size) {
            fail();
        } else {
            unsigned char* map = static_cast<unsigned char*>(m_cachestore.Get()) + position - 1;
            // Kept: the advance, widened to the rightmost ink of any row.
            int kept = advance;
            for (int y = 0; y < h; ++y) {
                const RAST_pixel* row = RAST_PixelAt(*bm, 0, y);
                for (int x = 0; x < w; ++x) {
                    const int v = RAST_GetRed(row[x]);
                    if (v && x >= kept) kept = x + 1;
                    map[y * w + x] = (unsigned char)(m_flags & RAST_FONT_INVERT ? 255 - v : v);
                }
            }
            int mapW = w, mapH = h;
            if (kept < w) {
                for (int y = 1; y < h; ++y)
                    memmove(map + y * kept, map + y * w, size_t(kept));
                m_cachestore.Resize(position - 1 + kept * h, false);
                mapW = kept;
            }
            if (m_flags & RAST_FONT_VERTICAL) {
                // The temporary bitmap's pixels serve as scratch: they hold four bytes for
                // every byte of the map.
                auto* upright = reinterpret_cast<unsigned char*>(bm->getBits());
                memcpy(upright, map, size_t(mapW) * mapH);
                const bool ccw = m_flags & RAST_FONT_BOTTOMUP;
                for (int row = 0; row < mapW; ++row)
                    for (int col = 0; col < mapH; ++col)
                        map[row * mapH + col] = ccw ? upright[col * mapW + (mapW - 1 - row)]
                                                    : upright[(mapH - 1 - col) * mapW + row];
                std::swap(mapW, mapH);
            }
            if (m_flags & (RAST_FONT_MONO | RAST_FONT_SHADOW | RAST_FONT_OUTLINE))
                reduceToMonochrome(map, mapW, mapH, m_flags);
            rec->position = position;
            rec->width = mapW;
            rec->height = mapH;
        }
    }
    if (added && extendedCount() >= 2)
        qsort(m_extcharlist.Get(), size_t(extendedCount()), kGlyphBytes, _charSortFunc);
    return true;
}
