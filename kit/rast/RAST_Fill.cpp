#include "kit/rast/RAST_Fill.h"

#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Spans.h"

#include <algorithm>
#include <climits>
#include <type_traits>

// The inner loops of the fills, one per pixel-operation class. Steps are in bytes and may be
// negative (flipped bitmaps).
template <class P> struct _RAST_Template_Blit1 {
    // The weight doubles as the source alpha, so the alpha byte moves toward the weight.
    static void solidBlit(unsigned char* dest, int w, int h, int r, int g, int b, int weight,
                          int deststep) {
        for (; h > 0; --h, dest += deststep) {
            if constexpr (std::is_same_v<P, _RAST_CombinePixelsCopyNoClamp>) {
                rast_span::fillCopy(dest, w, r, g, b, weight, weight);
                continue;
            }
            unsigned char* d = dest;
            for (int x = 0; x < w; ++x, d += 4)
                P::doPix(d, r, g, b, weight, weight);
        }
    }

    // Colours in 16.16; the alpha is both the source alpha and the weight. The running values
    // are 64-bit so that no sum overflows; each value reaches the pixel operation as the 32-bit
    // 16.16 number it was designed as (saturated), the weight held within 0..256.
    static void gradBlit(unsigned char* dest, int w, int h, int ir, int ig, int ib, int ia,
                         int drdx, int dgdx, int dbdx, int dadx, int drdy, int dgdy, int dbdy,
                         int dady, int deststep) {
        const auto units = [](int64_t v) {
            return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX) / 65536);
        };
        int64_t rowR = ir, rowG = ig, rowB = ib, rowA = ia;
        for (; h > 0; --h, dest += deststep) {
            int64_t r = rowR, g = rowG, b = rowB, a = rowA;
            unsigned char* d = dest;
            for (int x = 0; x < w; ++x, d += 4) {
                const int alpha = units(a);
                P::doPix(d, units(r), units(g), units(b), alpha, std::clamp(alpha, 0, 256));
                r += drdx, g += dgdx, b += dbdx, a += dadx;
            }
            rowR += drdy, rowG += dgdy, rowB += dbdy, rowA += dady;
        }
    }
};

namespace {

// The part of a rectangle inside the picture, walked in memory order: its first pixel and the
// pixel step from one memory row to the next.
struct Area {
    RAST_pixel* first;
    ptrdiff_t step;
    int w, h;
};

// False when nothing of the rectangle lies in the picture or the bitmap has no pixels.
bool clipToPicture(RAST_IBitmap* bm, int x, int y, int w, int h, Area* area) {
    if (!bm) return false;
    const int64_t left = std::max(x, 0), top = std::max(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + w, bm->getWidth());
    const int64_t bottom = std::min<int64_t>(int64_t(y) + h, bm->getHeight());
    if (right <= left || bottom <= top || !bm->getBits() || bm->getRowSpan() < 1) return false;
    // A flipped bitmap stores the rectangle's last picture row first.
    const int firstRow = bm->isFlipped() ? int(bottom) - 1 : int(top);
    *area = {RAST_PixelAt(*bm, int(left), firstRow), bm->getRowSpan(), int(right - left),
             int(bottom - top)};
    return true;
}

template <class F> void forEachPixel(const Area& a, F f) {
    RAST_pixel* row = a.first;
    for (int y = 0; y < a.h; ++y, row += a.step)
        for (int x = 0; x < a.w; ++x)
            f(row[x]);
}

void fillArea(const Area& a, RAST_pixel colour) {
    RAST_pixel* row = a.first;
    for (int y = 0; y < a.h; ++y, row += a.step)
        rast_span::fillWords(row, a.w, colour);
}

// Copy at weight 64 x Q on whole words: Q quarters of the colour over 4 - Q of the old pixel,
// all four bytes at once.
template <int Q> void quarterFill(const Area& area, RAST_pixel c) {
    if constexpr (Q == 4) {
        fillArea(area, c);
    } else {
        RAST_pixel* row = area.first;
        for (int y = 0; y < area.h; ++y, row += area.step)
            rast_span::fillQuarters(row, area.w, c, Q);
    }
}
constexpr void (*kQuarterFills[5])(const Area&, RAST_pixel) = {
    nullptr, &quarterFill<1>, &quarterFill<2>, &quarterFill<3>, &quarterFill<4>};

// True when a copy at this weight takes the word-wide form.
bool isQuarterWeight(int weight) {
    return weight % 64 == 0;
}

template <class P> struct SolidEntry {
    static constexpr auto fn = &_RAST_Template_Blit1<P>::solidBlit;
};
template <class P> struct GradEntry {
    static constexpr auto fn = &_RAST_Template_Blit1<P>::gradBlit;
};
// Indexed by the operation (the low byte of the mode, 0..5).
constexpr auto kSolidBlits = RAST_MakeModeTable<SolidEntry>(RAST_ModeOps{});
constexpr auto kGradBlits = RAST_MakeModeTable<GradEntry>(RAST_ClampModeOps{});

// The operation of the low byte of the mode, or -1.
int operationOf(int mode) {
    return RAST_ModeIndex(mode & RAST_MODE_OP_MASK);
}

unsigned char* bytesOf(RAST_pixel* p) {
    return reinterpret_cast<unsigned char*>(p);
}

// v in fixed point whose 1.0 is one (256 or 65536): truncated, saturated to int, NaN as 0.
int fixedPoint(float v, double one) {
    const double f = double(v) * one;
    return f == f ? int(std::clamp(f, double(INT_MIN), double(INT_MAX))) : 0;
}

} // namespace

void RAST_FillRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel colour, float alpha,
                   int mode) {
    if (mode & RAST_MODE_SOURCE_ALPHA) alpha *= float(RAST_GetAlpha(colour)) / 255.0f;
    const int weight = RAST_WeightFromAlpha(alpha);
    const int op = operationOf(mode);
    Area area;
    if (weight == 0 || op < 0 || !clipToPicture(dest, x, y, w, h, &area)) return;
    if (op == RAST_MODE_COPY && isQuarterWeight(weight)) {
        kQuarterFills[weight / 64](area, colour);
        return;
    }
    kSolidBlits[op](bytesOf(area.first), area.w, area.h, RAST_GetRed(colour), RAST_GetGreen(colour),
                    RAST_GetBlue(colour), weight, int(area.step * 4));
}

void RAST_ClearRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel mask,
                    RAST_pixel bits) {
    Area area;
    if (!clipToPicture(dest, x, y, w, h, &area)) return;
    if (mask == 0)
        fillArea(area, bits);
    else
        forEachPixel(area, [mask, bits](RAST_pixel& p) { p = (p & mask) | bits; });
}

void RAST_Clear(RAST_IBitmap* dest, RAST_pixel colour) {
    if (!dest) return;
    RAST_ClearRect(dest, 0, 0, dest->getWidth(), dest->getHeight(), 0, colour);
}

void RAST_MultiplyAddRect(RAST_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc,
                          float bsc, float asc, float radd, float gadd, float badd, float aadd) {
    Area area;
    if (!clipToPicture(dest, x, y, w, h, &area)) return;
    // In byte order: alpha, red, green, blue.
    const int64_t scale[4] = {fixedPoint(asc, 256), fixedPoint(rsc, 256), fixedPoint(gsc, 256),
                              fixedPoint(bsc, 256)};
    const int64_t offset[4] = {fixedPoint(aadd, 256), fixedPoint(radd, 256), fixedPoint(gadd, 256),
                               fixedPoint(badd, 256)};
    forEachPixel(area, [&](RAST_pixel& p) {
        unsigned char* d = bytesOf(&p);
        for (int i = 0; i < 4; ++i)
            d[i] = (unsigned char)std::clamp<int64_t>((d[i] * scale[i] + offset[i]) >> 8, 0, 255);
    });
}

void RAST_ProcessRect(RAST_IBitmap* dest, int x, int y, int w, int h,
                      void (*proc)(RAST_pixel* pixel, void* parm), void* parm) {
    Area area;
    if (proc && clipToPicture(dest, x, y, w, h, &area))
        forEachPixel(area, [proc, parm](RAST_pixel& p) { proc(&p, parm); });
}

RAST_pixel RAST_GetPixel(RAST_IBitmap* bm, int x, int y) {
    if (!bm || x < 0 || y < 0 || x >= bm->getWidth() || y >= bm->getHeight() || !bm->getBits())
        return 0;
    return *RAST_PixelAt(*bm, x, y);
}

void RAST_PutPixel(RAST_IBitmap* bm, int x, int y, RAST_pixel colour, float alpha, int mode) {
    if (!bm || x < 0 || y < 0 || x >= bm->getWidth() || y >= bm->getHeight() || !bm->getBits())
        return;
    RAST_pixel* p = RAST_PixelAt(*bm, x, y);
    const int weight = RAST_WeightFromAlpha(alpha);
    const int op = operationOf(mode);
    if (op == RAST_MODE_COPY && isQuarterWeight(weight)) {
        if (weight) kQuarterFills[weight / 64]({p, 0, 1, 1}, colour);
        return;
    }
    if (op >= 0)
        RAST_CombinePixels2(p, RAST_GetRed(colour), RAST_GetGreen(colour), RAST_GetBlue(colour),
                            RAST_GetAlpha(colour), weight, op);
}

void RAST_SetAlphaFromColorMask(RAST_IBitmap* dest, RAST_pixel colour) {
    Area area;
    if (!dest || !clipToPicture(dest, 0, 0, dest->getWidth(), dest->getHeight(), &area)) return;
    forEachPixel(area, [colour](RAST_pixel& p) {
        const RAST_pixel withoutAlpha = p & ~RAST_pixel(0xFF);
        p = withoutAlpha == colour ? withoutAlpha : p | 0xFF;
    });
}

void RAST_SimpleFill(RAST_IBitmap* dest, int x, int y, RAST_pixel newcolour, RAST_pixel comparemask,
                     RAST_pixel keepmask) {
    if (!dest || x < 0 || y < 0 || x >= dest->getWidth() || y >= dest->getHeight() ||
        !dest->getBits())
        return;
    const int width = dest->getWidth(), height = dest->getHeight();
    const auto rowAt = [dest](int r) {
        return dest->getBits() + ptrdiff_t(r) * dest->getRowSpan();
    };
    const RAST_pixel target = rowAt(y)[x] & comparemask;
    const auto matches = [&](RAST_pixel p) { return (p & comparemask) == target; };
    const auto fill = [&](RAST_pixel& p) { p = (p & keepmask) | newcolour; };
    // Column x of the row, then the matching runs to its right and left.
    const auto fillRuns = [&](RAST_pixel* row) {
        fill(row[x]);
        for (int i = x + 1; i < width && matches(row[i]); ++i)
            fill(row[i]);
        for (int i = x - 1; i >= 0 && matches(row[i]); --i)
            fill(row[i]);
    };
    fillRuns(rowAt(y));
    for (int r = y + 1; r < height && matches(rowAt(r)[x]); ++r)
        fillRuns(rowAt(r));
    for (int r = y - 1; r >= 0 && matches(rowAt(r)[x]); --r)
        fillRuns(rowAt(r));
}

void RAST_GradRect(RAST_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, float ir, float ig,
                   float ib, float ia, float drdx, float dgdx, float dbdx, float dadx, float drdy,
                   float dgdy, float dbdy, float dady, int mode) {
    if (!dest) return;
    // Red, green and blue scale to 255, alpha to the weight 256.
    float start[4] = {ir * 255, ig * 255, ib * 255, ia * 256};
    const float perColumn[4] = {drdx * 255, dgdx * 255, dbdx * 255, dadx * 256};
    const float perRow[4] = {drdy * 255, dgdy * 255, dbdy * 255, dady * 256};

    // Cutting columns or rows off the left or top moves the start on, so that the visible part
    // looks as it does in the whole gradient.
    int64_t left = dstx, top = dsty, w = dstw, h = dsth;
    if (left < 0) {
        for (int i = 0; i < 4; ++i)
            start[i] -= float(dstx) * perColumn[i];
        w += left, left = 0;
    }
    if (top < 0) {
        for (int i = 0; i < 4; ++i)
            start[i] -= float(dsty) * perRow[i];
        h += top, top = 0;
    }
    w = std::min<int64_t>(w, dest->getWidth() - left);
    h = std::min<int64_t>(h, dest->getHeight() - top);
    if (w <= 0 || h <= 0 || !dest->getBits()) return;

    int s[4], dx[4], dy[4];
    for (int i = 0; i < 4; ++i) {
        s[i] = fixedPoint(start[i], 65536);
        dx[i] = fixedPoint(perColumn[i], 65536);
        dy[i] = fixedPoint(perRow[i], 65536);
    }

    const int op = operationOf(mode);
    const bool opaqueCopy = op == RAST_MODE_COPY && s[3] == 256 * 65536 && dx[3] == 0 && dy[3] == 0;
    if (op < 0) return;
    // At constant full weight a copy stores the clamped colour without blending.
    const auto blit = opaqueCopy ? &_RAST_Template_Blit1<_RAST_CombinePixelsClobberClamp>::gradBlit
                                 : kGradBlits[op];
    blit(bytesOf(RAST_PixelAt(*dest, int(left), int(top))), int(w), int(h), s[0], s[1], s[2], s[3],
         dx[0], dx[1], dx[2], dx[3], dy[0], dy[1], dy[2], dy[3],
         int(RAST_PictureRowStep(*dest) * 4));
}
