// The row kernels under every instruction set the processor has, against the pixel operations
// one pixel at a time.
#include "GuardedBitmap.h"

#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_Circle.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_ScaledBlit.h"
#include "kit/rast/RAST_Spans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// Runs check once per level this processor has, forced in turn, then restores the level.
template <class F> void forEachLevel(F check) {
    const RAST_SimdLevel before = RAST_GetSimdLevel();
    for (auto level : {RAST_SimdLevel::Scalar, RAST_SimdLevel::SSE2, RAST_SimdLevel::AVX2}) {
        if (RAST_SetSimdLevel(level) != level) continue;
        SCOPED_TRACE("level " + std::to_string(int(level)));
        check();
    }
    RAST_SetSimdLevel(before);
}

// Bytes of every size; the source alpha in stretches of 0, of 255 and of every value between,
// so that whole vectors of each kind and mixtures of them occur.
RAST_pixel sourcePixel(int x, int y) {
    const int stretch = (x + 5 * y) / 9 % 3;
    const int a = stretch == 0 ? 0 : stretch == 1 ? 255 : (x * 37 + y * 11) & 255;
    return P(x * 29 + y * 7, 255 - x * 13, x * y + 128, a);
}
RAST_pixel destPixel(int x, int y) {
    return P(x * 71 + 3, y * 90 + x, 200 - x * 5, x * 17 + y);
}

} // namespace

TEST(RowKernels, BlitsMatchThePixelOperations) {
    const struct {
        float alpha;
        int mode;
    } paths[] = {{0.3f, 0},         {1 / 256.0f, 0},      {255 / 256.0f, 0},   {1.0f, 0x10000},
                 {0.3f, 0x10000},   {1 / 256.0f, 0x10000}, {1.0f, 0x10001},     {0.6f, 0x10001}};
    forEachLevel([&] {
        for (int w = 1; w <= 67; ++w)
            for (const auto& p : paths)
                for (int flips = 0; flips < 4; ++flips)
                    for (int dx : {0, -3, 2}) {
                        GuardedBitmap src(w, 3, flips & 1), dest(w, 3, flips & 2);
                        src.fill(sourcePixel);
                        dest.fill(destPixel);
                        RAST_Blit(&dest, &src, dx, 0, nullptr, p.alpha, p.mode);
                        ASSERT_TRUE(pictureIs(dest, [&](int x, int y) {
                            const int sx = x - dx;
                            return sx >= 0 && sx < w ? RAST_CombinePixels(destPixel(x, y),
                                                                          sourcePixel(sx, y),
                                                                          p.alpha, p.mode)
                                                     : destPixel(x, y);
                        })) << "width " << w << " mode " << p.mode << " alpha " << p.alpha
                            << " flips " << flips << " at " << dx;
                    }
    });
}

TEST(RowKernels, FillsMatchThePixelOperations) {
    const RAST_pixel colour = P(0x80, 0xFF, 3, 0x9C);
    forEachLevel([&] {
        for (int w = 1; w <= 67; ++w)
            for (float alpha : {1 / 256.0f, 0.25f, 0.3f, 0.5f, 0.51f, 0.75f, 255 / 256.0f, 1.0f})
                for (bool flipped : {false, true})
                    for (int dx : {0, -3, 2}) {
                        GuardedBitmap dest(w, 3, flipped);
                        dest.fill(destPixel);
                        RAST_FillRect(&dest, dx, 1, w, 5, colour, alpha, 0);
                        const int weight = int(alpha * 256);
                        ASSERT_TRUE(pictureIs(dest, [&](int x, int y) {
                            RAST_pixel p = destPixel(x, y);
                            if (y == 0 || x < dx || x >= dx + w) return p;
                            if (weight == 256) return colour;
                            // Quarter weights work on the whole word.
                            if (weight == 64) return rast_detail::MixQuarter(p, colour);
                            if (weight == 128) return rast_detail::MixHalf(p, colour);
                            if (weight == 192) return rast_detail::MixThreeQuarter(p, colour);
                            // The weight stands in for the colour's alpha.
                            RAST_CombinePixels2(&p, RAST_GetRed(colour), RAST_GetGreen(colour),
                                                RAST_GetBlue(colour), weight, weight, 0);
                            return p;
                        })) << "width " << w << " alpha " << alpha << " at " << dx;
                    }
    });
}

// The bilinear row kernel samples exactly as the scalar loop does, for shrinks, enlargements,
// mirrored and clipped draws, fractional origins and flipped bitmaps.
TEST(RowKernels, BilinearDrawsMatchTheScalarSamples) {
    std::mt19937 rng(7);
    GuardedBitmap noise(37, 29), artwork(37, 29, true);
    noise.fill([&](int, int) { return RAST_pixel(rng()); });
    artwork.fill(sourcePixel);
    const struct {
        int x, y, w, h;
        float sx, sy, sw, sh;
    } draws[] = {
        {0, 0, 18, 14, 0, 0, 37, 29},       {0, 0, 31, 25, 0, 0, 37, 29},
        {0, 0, 43, 33, 0, 0, 37, 29},       {0, 0, 74, 58, 0, 0, 37, 29},
        {43, 33, -43, -33, 0, 0, 37, 29},   {-5, -4, 43, 33, 0.3f, 0.71f, 36, 28},
        {9, 7, 70, 50, 2.5f, 1.25f, 30, 20}, {0, 0, 60, 29, 0, 0, 37, 29},
        {0, 0, 61, 9, 30.4f, 20.6f, 6.2f, 7.9f},
    };
    for (const GuardedBitmap* src : {&noise, &artwork})
        for (const auto& d : draws) {
            std::vector<RAST_pixel> scalar;
            forEachLevel([&] {
                for (bool flipped : {false, true}) {
                    GuardedBitmap dest(64, 48, flipped, 0x5A5A5A5A);
                    RAST_ScaledBlit(&dest, const_cast<GuardedBitmap*>(src), d.x, d.y, d.w, d.h,
                                    d.sx, d.sy, d.sw, d.sh, 1.0f, 0x100);
                    ASSERT_TRUE(dest.guardsIntact());
                    const std::vector<RAST_pixel> got = dest.picture();
                    if (RAST_GetSimdLevel() == RAST_SimdLevel::Scalar)
                        scalar.insert(scalar.end(), got.begin(), got.end());
                    else
                        ASSERT_TRUE(std::equal(got.begin(), got.end(),
                                               scalar.begin() + (flipped ? 64 * 48 : 0)))
                            << d.w << "x" << d.h << (flipped ? " flipped" : "");
                }
            });
        }
}

namespace {

// A filled circle combined pixel by pixel as its spans come: the cross, then per distance x
// the rim points and the interior spans of the columns and rows at x.
std::vector<RAST_pixel> referenceDisc(int w, int h, float cx, float cy, float radius,
                                      RAST_pixel colour, int weight, int mode, bool aa) {
    std::vector<RAST_pixel> bm(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bm[size_t(y) * w + x] = destPixel(x, y);
    const auto pt = [&](int x, int y, int wt) {
        if (x >= 0 && y >= 0 && x < w && y < h && wt > 0)
            RAST_CombinePixels2(&bm[size_t(y) * w + x], RAST_GetRed(colour), RAST_GetGreen(colour),
                                RAST_GetBlue(colour), RAST_GetAlpha(colour), wt, mode);
    };
    const auto run = [&](int x1, int y1, int x2, int y2) {
        for (int y = y1; y <= y2; ++y)
            for (int x = x1; x <= x2; ++x)
                pt(x, y, weight);
    };
    // Columns and rows at distance a reaching b.
    const auto spans = [&](int x0, int y0, int a, int b) {
        for (int s : {-1, 1}) {
            run(x0 + s * a, y0 - b, x0 + s * a, y0 - a - 1), run(x0 + s * a, y0 + a + 1, x0 + s * a, y0 + b);
            run(x0 - b, y0 + s * a, x0 - a, y0 + s * a), run(x0 + a, y0 + s * a, x0 + b, y0 + s * a);
        }
    };
    const int x0 = int(cx + 0.5f), y0 = int(cy + 0.5f);
    if (!aa) {
        const int R = int(radius + 0.5f);
        run(x0, y0 - R, x0, y0 - 1), run(x0, y0 + 1, x0, y0 + R), run(x0 - R, y0, x0 + R, y0);
        for (int x = 0, y = R, e = -R; R >= 2 && x + 1 < y; ++x) {
            if (e >= 0) e -= 2 * --y;
            spans(x0, y0, x + 1, y);
            e += 2 * x + 3;
        }
        return bm;
    }
    const int R = int(radius), f0 = int((radius - std::floor(radius)) * weight);
    pt(x0, y0 - R - 1, f0), pt(x0, y0 + R + 1, f0), pt(x0 - R - 1, y0, f0), pt(x0 + R + 1, y0, f0);
    run(x0, y0 - R, x0, y0 - 1), run(x0, y0 + 1, x0, y0 + R), run(x0 - R, y0, x0 + R, y0);
    for (int x = 1;; ++x) {
        const double arg = double(radius * radius) - double(x) * x;
        if (arg < 0) break;
        const double y = std::sqrt(arg);
        const int Y = int(y + 0.5), yi = int(y), f = int((y - std::floor(y)) * weight);
        if (x > Y) break;
        for (int sx : {-1, 1})
            for (int sy : {-1, 1}) {
                pt(x0 + sx * x, y0 + sy * (yi + 1), f);
                if (x != Y) pt(x0 + sx * (yi + 1), y0 + sy * x, f);
            }
        spans(x0, y0, x, yi);
    }
    return bm;
}

} // namespace

TEST(RowKernels, FilledCirclesGoInByRowsAsTheirSpansWould) {
    const RAST_pixel colour = P(0xF0, 0x81, 7, 0xC3);
    forEachLevel([&] {
        for (bool aa : {false, true})
            for (float r = 0.0f; r < 26.0f; r += 0.61f)
                for (auto [cx, cy] : {std::pair{30.3f, 21.8f}, {2.6f, 40.0f}, {55.0f, -3.4f}})
                    for (auto [alpha, mode] : {std::pair{1.0f, 0}, {0.3f, 0x10000}, {0.7f, 1}}) {
                        GuardedBitmap bm(57, 43);
                        bm.fill(destPixel);
                        RAST_FillCircle(&bm, cx, cy, r, colour, alpha, mode, aa);
                        const auto want = referenceDisc(57, 43, cx, cy, r, colour,
                                                        int(alpha * 256), mode & 0xFF, aa);
                        ASSERT_TRUE(pictureIs(bm, [&](int x, int y) { return want[y * 57 + x]; }))
                            << "radius " << r << " at " << cx << "," << cy << " aa " << aa
                            << " mode " << mode;
                    }
    });
}
