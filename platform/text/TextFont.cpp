#include "platform/text/TextFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace platform {

namespace {

// Glyphs of larger fonts are rendered for each drawing instead of being kept: one of them
// may take megabytes.
constexpr float kMaxCachedSize = 256;
// Fonts kept open for reuse; beyond this, fonts nobody holds are closed.
constexpr size_t kMaxOpenFonts = 64;
// Glyphs kept beyond Latin-1 before the store starts afresh.
constexpr size_t kMaxOtherGlyphs = 4096;

// The FreeType library and its faces are opened and closed by one thread at a time. The lock
// has nothing to destroy, as fonts may close during static destruction.
std::mutex g_libraryLock;

using FontKey = std::tuple<std::string, int, float>;

// Under the lock: the FreeType library, the fonts kept open for reuse, and how many fonts are
// open in all.
struct Fonts {
    FT_Library library = nullptr;
    std::map<FontKey, std::shared_ptr<TextFont>> kept;
    int open = 0;
};
Fonts* g_fonts = nullptr;

// As the module unloads (or the process ends), after the editors' font cache, made later, went:
// the fonts kept for reuse are let go, and the library with them unless a font is still open.
struct FontsAtUnload {
    ~FontsAtUnload() {
        std::map<FontKey, std::shared_ptr<TextFont>> kept; // closed after the lock is given back
        {
            std::lock_guard<std::mutex> lock(g_libraryLock);
            if (!g_fonts) return;
            kept.swap(g_fonts->kept);
        }
        kept.clear();
        std::lock_guard<std::mutex> lock(g_libraryLock);
        if (g_fonts->open > 0) return;
        if (g_fonts->library) FT_Done_FreeType(g_fonts->library);
        delete g_fonts;
        g_fonts = nullptr;
    }
} g_fontsAtUnload;

struct Ink {
    int red, green, blue, alpha;
};

int toByte(float f) {
    return int(std::lround(std::clamp(f, 0.0f, 1.0f) * 255.0f));
}

inline unsigned char mix(int d, int s, int c) {
    return (unsigned char)((d * (255 - c) + s * c + 127) / 255);
}

} // namespace

std::shared_ptr<TextFont> TextFont::Open(const FontLocation& where, float size) {
    if (where.file.empty() || !(size > 0)) return nullptr;
    const FontKey key{where.file, where.index, size};
    std::vector<std::shared_ptr<TextFont>> closing; // released after the lock is given back
    std::lock_guard<std::mutex> lock(g_libraryLock);
    if (!g_fonts) g_fonts = new Fonts;
    auto& kept = g_fonts->kept;
    if (auto it = kept.find(key); it != kept.end()) return it->second;

    if (!g_fonts->library && FT_Init_FreeType(&g_fonts->library) != 0) g_fonts->library = nullptr;
    FT_Library lib = g_fonts->library;
    FT_Face face = nullptr;
    if (!lib || FT_New_Face(lib, where.file.c_str(), where.index, &face) != 0) return nullptr;
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0 ||
        FT_Set_Char_Size(face, 0, FT_F26Dot6(size * 64), 72, 72) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    std::shared_ptr<TextFont> font(new TextFont(face, size));
    if (kept.size() >= kMaxOpenFonts) {
        for (auto it = kept.begin(); it != kept.end();) {
            if (it->second.use_count() == 1) {
                closing.push_back(std::move(it->second));
                it = kept.erase(it);
            } else {
                ++it;
            }
        }
    }
    if (kept.size() < kMaxOpenFonts) kept.emplace(key, font);
    return font;
}

// Under the lock.
TextFont::TextFont(FT_FaceRec_* face, float size) : m_face(face), m_size(size) {
    ++g_fonts->open;
    const double scale = double(size) / face->units_per_EM;
    m_ascent = float(std::max(0.0, face->ascender * scale));
    m_descent = float(std::max(0.0, -face->descender * scale));
    m_leading = float(std::max(0.0, (face->height - face->ascender + face->descender) * scale));
    const FT_BBox& box = face->bbox;
    m_reach = std::max({std::abs(box.xMin), std::abs(box.xMax), std::abs(box.yMin),
                        std::abs(box.yMax), long(face->units_per_EM)}) *
                  scale +
              2;
}

TextFont::~TextFont() {
    std::lock_guard<std::mutex> lock(g_libraryLock);
    FT_Done_Face(m_face);
    --g_fonts->open;
}

TextFont::Glyph TextFont::load(char32_t code) {
    Glyph g;
    if (code < 0x20) return g;
    g.index = FT_Get_Char_Index(m_face, code);
    FT_Fixed advance = 0;
    if (FT_Get_Advance(m_face, g.index, FT_LOAD_NO_HINTING, &advance) == 0)
        g.advance = advance / 65536.0;
    return g;
}

TextFont::Glyph& TextFont::glyph(char32_t code) {
    if (code < m_latin.size()) {
        std::optional<Glyph>& slot = m_latin[code];
        if (!slot) slot = load(code);
        return *slot;
    }
    auto it = m_others.find(code);
    if (it == m_others.end()) {
        if (m_others.size() >= kMaxOtherGlyphs) m_others.clear();
        it = m_others.emplace(code, load(code)).first;
    }
    return it->second;
}

bool TextFont::render(unsigned int index, bool antialias, Coverage* out) {
    *out = Coverage{};
    if (FT_Load_Glyph(m_face, index, antialias ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_MONO) != 0 ||
        FT_Render_Glyph(m_face->glyph, antialias ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) !=
            0)
        return false;
    const FT_GlyphSlot slot = m_face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    if (bm.pixel_mode != FT_PIXEL_MODE_GRAY && bm.pixel_mode != FT_PIXEL_MODE_MONO) return false;
    out->left = slot->bitmap_left;
    out->top = slot->bitmap_top;
    out->width = int(bm.width);
    out->height = int(bm.rows);
    out->bytes.resize(size_t(bm.width) * bm.rows);
    const int pitch = std::abs(bm.pitch);
    for (int y = 0; y < out->height; ++y) {
        // A negative pitch stores the rows bottom-up.
        const unsigned char* row =
            bm.buffer + ptrdiff_t(bm.pitch >= 0 ? y : out->height - 1 - y) * pitch;
        unsigned char* dst = out->bytes.data() + size_t(y) * out->width;
        for (int x = 0; x < out->width; ++x)
            dst[x] = bm.pixel_mode == FT_PIXEL_MODE_GRAY
                         ? row[x]
                         : ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0);
    }
    return true;
}

const TextFont::Coverage* TextFont::coverage(Glyph& g, bool antialias, Coverage* scratch) {
    if (m_size > kMaxCachedSize) return render(g.index, antialias, scratch) ? scratch : nullptr;
    if (!g.rendered[antialias]) {
        render(g.index, antialias, &g.coverage[antialias]);
        g.rendered[antialias] = true;
    }
    return &g.coverage[antialias];
}

double TextFont::LineWidth(std::u32string_view text) {
    std::lock_guard<std::mutex> lock(m_lock);
    double width = 0;
    for (char32_t c : text)
        width += glyph(c).advance;
    return width;
}

void TextFont::DrawLine(Canvas& canvas, double x, double baseline, std::u32string_view text,
                        const CanvasColor& colour) {
    const CanvasRect clip = canvas.Clip();
    if (clip.IsEmpty()) return;
    // Origins stay doubles until they are known to lie near the clip, so far-off text never
    // overflows an int.
    x += canvas.OriginX();
    const double oy = std::floor(baseline + canvas.OriginY() + 0.5);
    if (!(oy + m_reach > clip.top && oy - m_reach < clip.bottom)) return;
    const Ink ink{toByte(colour.red), toByte(colour.green), toByte(colour.blue),
                  toByte(colour.alpha)};
    if (ink.alpha == 0) return;
    const bool antialias = canvas.ShouldAntialias();

    std::lock_guard<std::mutex> lock(m_lock);
    Coverage scratch;
    double pen = x;
    for (char32_t c : text) {
        Glyph& g = glyph(c);
        const double ox = std::floor(pen + 0.5);
        pen += g.advance;
        if (g.index == 0 && c < 0x20) continue;
        if (!(ox + m_reach > clip.left && ox - m_reach < clip.right)) continue;
        const Coverage* cov = coverage(g, antialias, &scratch);
        if (!cov) continue;

        const int left = int(ox) + cov->left;
        const int top = int(oy) - cov->top;
        const int x0 = std::max(left, clip.left);
        const int x1 = std::min(left + cov->width, clip.right);
        const int y0 = std::max(top, clip.top);
        const int y1 = std::min(top + cov->height, clip.bottom);
        for (int y = y0; y < y1; ++y) {
            const unsigned char* src =
                cov->bytes.data() + size_t(y - top) * cov->width + (x0 - left);
            auto* px = reinterpret_cast<unsigned char*>(canvas.Row(y) + x0);
            for (int px0 = x0; px0 < x1; ++px0, ++src, px += 4) {
                int c = *src;
                if (c == 0) continue;
                if (ink.alpha < 255) c = c * ink.alpha / 255;
                px[1] = mix(px[1], ink.red, c);
                px[2] = mix(px[2], ink.green, c);
                px[3] = mix(px[3], ink.blue, c);
            }
        }
    }
}

bool DecodeUtf8(std::string_view text, std::u32string* out) {
    out->clear();
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char b = *p++;
        int extra;
        char32_t code;
        char32_t least;
        if (b < 0x80) {
            out->push_back(b);
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1, code = b & 0x1F, least = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2, code = b & 0x0F, least = 0x800;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3, code = b & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (end - p < extra) return false;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) return false;
            code = code << 6 | (*p & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        out->push_back(code);
    }
    return true;
}

} // namespace platform
