#include "kit/rast/RAST_Glyph.h"

#include "kit/rast/RAST_CombinePixels.h"

#include <algorithm>

// The inner loop of one combine mode, instantiated per pixel-operation class. deststep is in
// pixels and may be negative (flipped bitmaps).
template <class P> struct GlyphDrawImpl {
    static void DrawGlyph(const unsigned char* coverage, RAST_pixel* dest, int w, int h,
                          RAST_pixel colour, int deststep, int span, int weight) {
        const int r = RAST_GetRed(colour), g = RAST_GetGreen(colour), b = RAST_GetBlue(colour),
                  a = RAST_GetAlpha(colour);
        for (; h > 0; --h, coverage += span, dest += deststep)
            for (int x = 0; x < w; ++x)
                if (const int c = coverage[x])
                    P::doPix(reinterpret_cast<unsigned char*>(dest + x), r, g, b, a,
                             c * weight / 256);
    }
};

namespace {

template <class P> struct GlyphEntry { static constexpr auto fn = &GlyphDrawImpl<P>::DrawGlyph; };
// Indexed by the operation (the low byte of the mode, 0..5).
constexpr auto kGlyphDrawers = RAST_MakeModeTable<GlyphEntry>(RAST_ModeOps{});

} // namespace

void RAST_DrawGlyphEx(RAST_IBitmap* dest, int x, int y, RAST_pixel colour,
                      const unsigned char* coverage, int width, int span, int height, float alpha,
                      int mode) {
    if (!dest || !coverage) return;
    // 64-bit, so that no edge overflows.
    const int64_t left = std::max(x, 0), top = std::max(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + width, dest->getWidth());
    const int64_t bottom = std::min<int64_t>(int64_t(y) + height, dest->getHeight());
    const int weight = RAST_WeightFromAlpha(alpha);
    const int op = RAST_ModeIndex(mode & RAST_MODE_OP_MASK);
    if (right <= left || bottom <= top || weight == 0 || op < 0 || !dest->getBits()) return;

    const unsigned char* first = coverage + (top - y) * int64_t(span) + (left - x);
    kGlyphDrawers[op](first, RAST_PixelAt(*dest, int(left), int(top)), int(right - left),
                      int(bottom - top), colour, int(RAST_PictureRowStep(*dest)), span, weight);
}

void RAST_DrawGlyph(RAST_IBitmap* dest, int x, int y, RAST_pixel colour,
                    const unsigned char* coverage, int width, int height, float alpha, int mode) {
    RAST_DrawGlyphEx(dest, x, y, colour, coverage, width, width, height, alpha, mode);
}
