#include "GuardedBitmap.h"

#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "kit/rast/RAST_ScaledBlit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr RAST_pixel kBackground = 0x11223344;

// Every pixel different; the red channel is 10x + 20y so that averages are easy to work out.
RAST_pixel sourcePixel(int x, int y) {
    return P(10 * x + 20 * y, 3 * x + 7, 5 * y + 1, 255 - 9 * x - 13 * y);
}

// The red channel of a destination after a blit of a w x h source onto the background.
std::vector<int> redAfter(int srcw, int srch, int dstw, int dsth, float sx, float sy, float sw,
                          float sh, int mode) {
    GuardedBitmap src(srcw, srch), dest(dstw, dsth, false, kBackground);
    src.fill(sourcePixel);
    RAST_ScaledBlit(&dest, &src, 0, 0, dstw, dsth, sx, sy, sw, sh, 1.0f, mode);
    EXPECT_TRUE(dest.guardsIntact());
    std::vector<int> red;
    for (RAST_pixel p : dest.picture())
        red.push_back(RAST_GetRed(p));
    return red;
}

} // namespace

TEST(ScaledBlit, SameSizeIsAnUnscaledBlit) {
    GuardedBitmap src(6, 4);
    src.fill(sourcePixel);
    const auto same = [&](int dstw, float srcx, float srcw, int blitx, float alpha, int mode) {
        GuardedBitmap scaled(5, 4, false, kBackground), blitted(5, 4, false, kBackground);
        RAST_ScaledBlit(&scaled, &src, 1, 1, dstw, 2, srcx, 2.0f, srcw, 2.0f, alpha, mode);
        RAST_Blit(&blitted, &src, 1, 1, blitx, 2, dstw, 2, alpha, mode);
        EXPECT_EQ(scaled.picture(), blitted.picture()) << mode << " " << alpha;
    };
    for (int mode : {0, 0x100, 0x10000, 0x10101, 0xF6, 6})
        for (float alpha : {1.0f, 0.5f, 0.3f})
            same(3, 1.0f, 3.0f, 1, alpha, mode);
    // Within 0.001 of the size counts as unscaled; the start is rounded to a column.
    same(2, 3.6f, 2.0005f, 4, 1.0f, 0);
    // Bilinear: within 0.03 of a column it copies, further off it blends.
    EXPECT_EQ(redAfter(6, 1, 2, 1, 2.98f, 0, 2, 1, 0x100), (std::vector<int>{30, 40}));
    EXPECT_EQ(redAfter(6, 1, 2, 1, 2.5f, 0, 2, 1, 0x100), (std::vector<int>{25, 35}));
}

TEST(ScaledBlit, IntegerScalesInEachFilterMode) {
    const std::vector<int> twiceNearest = {0,  0,  10, 10, 20, 20, 0,  0,  10, 10, 20, 20,
                                           20, 20, 30, 30, 40, 40, 20, 20, 30, 30, 40, 40};
    const struct {
        int srcw, srch, dstw, dsth, mode;
        std::vector<int> red;
    } cases[] = {
        // Twice up, nearest (word loop, and per-pixel loop for a filter word other than
        // bilinear) and bilinear, whose last source column and row blend along one axis only.
        {3, 2, 6, 4, 0, twiceNearest},
        {3, 2, 6, 4, 0x200, twiceNearest},
        {3, 2, 6, 4, 0x100, {0,  5,  10, 15, 20, 20, 10, 15, 20, 25, 30, 30,
                             20, 25, 30, 35, 40, 40, 20, 25, 30, 35, 40, 40}},
        // Half size: nearest takes every other pixel, bilinear averages a 3 x 3 box of which
        // only the pixels inside the source count; a quarter, a 5 x 5 box.
        {4, 4, 2, 2, 0, {0, 20, 40, 60}},
        {4, 4, 2, 2, 0x100, {15, 30, 45, 60}},
        {8, 8, 2, 2, 0x100, {30, 60, 90, 120}},
        // Half size on one axis only, or two thirds on both, stays bilinear sampling.
        {4, 2, 2, 2, 0x100, {0, 20, 20, 40}},
        {3, 3, 2, 2, 0x100, {0, 15, 30, 45}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            redAfter(c.srcw, c.srch, c.dstw, c.dsth, 0, 0, float(c.srcw), float(c.srch), c.mode),
            c.red)
            << c.srcw << "x" << c.srch << " to " << c.dstw << "x" << c.dsth << " mode " << c.mode;
    // A lone bright pixel two columns from the sample: outside a 3 x 3 box, inside the 5 x 5
    // one that only shrinks beyond three times take.
    for (float shrink : {3.0f, 3.25f}) {
        GuardedBitmap src(13, 13), dest(1, 1);
        src.at(2, 4) = P(250, 0, 0, 0);
        RAST_ScaledBlit(&dest, &src, 0, 0, 1, 1, 4, 4, shrink, shrink, 1.0f, 0x100);
        EXPECT_EQ(RAST_GetRed(dest.at(0, 0)), shrink == 3.0f ? 0 : 10) << shrink;
    }
}

TEST(ScaledBlit, EveryModeCombinesTheSample) {
    GuardedBitmap src(3, 2);
    src.fill([](int x, int y) { return P(80 * x, 200 - 90 * y, 60 + x * y, 64 * x + 63 * y); });
    for (int mode : {0, 3, 0x10000, 0x10004, 6})
        for (float alpha : {1.0f, 0.75f, 0.5f}) {
            GuardedBitmap dest(6, 4, false, kBackground);
            RAST_ScaledBlit(&dest, &src, 0, 0, 6, 4, 0, 0, 3, 2, alpha, mode);
            ASSERT_TRUE(pictureIs(dest,
                                  [&](int x, int y) {
                                      const RAST_pixel s = src.at(x / 2, y / 2);
                                      // The plain copy at half weight averages whole words.
                                      return mode == 0 && alpha == 0.5f
                                                 ? ((s >> 1) & 0x7F7F7F7F) +
                                                       ((kBackground >> 1) & 0x7F7F7F7F)
                                                 : RAST_CombinePixels(kBackground, s, alpha, mode);
                                  }))
                << mode << " " << alpha;
        }
}

TEST(ScaledBlit, SourceEdgesAndMirroring) {
    // Samples left of the source drop their destination pixels; so do samples from the start
    // of the last column on, once the run would reach past the source.
    EXPECT_EQ(redAfter(4, 1, 8, 1, -0.25f, 0, 4, 1, 0),
              (std::vector<int>{0x33, 0, 0, 10, 10, 20, 20, 30}));
    EXPECT_EQ(redAfter(4, 1, 8, 1, 0, 0, 4, 1, 0),
              (std::vector<int>{0, 0, 10, 10, 20, 20, 30, 30}));
    EXPECT_EQ(redAfter(4, 1, 9, 1, 0, 0, 4.5f, 1, 0),
              (std::vector<int>{0, 0, 10, 10, 20, 20, 0x33, 0x33, 0x33}));
    // A negative width mirrors into the rectangle ending at dstx; the first sample lies on
    // the source's right edge and is dropped.
    GuardedBitmap src(4, 1), dest(4, 1, false, kBackground);
    src.fill(sourcePixel);
    RAST_ScaledBlit(&dest, &src, 4, 0, -4, 1, 0, 0, 4, 1, 1.0f, 0);
    EXPECT_EQ(dest.picture(), (std::vector<RAST_pixel>{kBackground, sourcePixel(3, 0),
                                                       sourcePixel(2, 0), sourcePixel(1, 0)}));
}

TEST(ScaledBlit, ClippedDrawsAreCropsOfTheWholeDraw) {
    // Steps are binary fractions, so that moving the start along them is exact. A draw of less
    // than the whole source is left out: how far its samples may read depends on where it is
    // cut. A mirrored draw drops its first sample whenever that lies on a whole pixel, so its
    // crops are checked for writes outside the destination only.
    const struct {
        int dstw, dsth;
        float srcw, srch;
        int mode;
    } draws[] = {{10, 8, 5, 4, 0},    {10, 8, 5, 4, 0x10000}, {8, 16, 5, 4, 0x100},
                 {2, 2, 4, 4, 0x100}, {4, 2, 5, 4, 0x10001},  {1, 1, 5, 4, 0x100},
                 {-10, 8, 5, 4, 0},   {10, -8, 5, 4, 0x100}};
    GuardedBitmap src(5, 4, true);
    src.fill(sourcePixel);
    for (const auto& d : draws)
        expectCrops(
            [&](RAST_IBitmap& dest, int x, int y) {
                RAST_ScaledBlit(&dest, &src, x, y, d.dstw, d.dsth, 0, 0, d.srcw, d.srch, 0.75f,
                                d.mode);
            },
            kBackground, d.dstw > 0 && d.dsth > 0);
}

TEST(ScaledBlit, DegenerateOrUnfitCallsDrawNothing) {
    GuardedBitmap src(4, 4), dest(5, 5, false, kBackground);
    src.fill(sourcePixel);
    RAST_MemBitmap empty(0, 0);
    const float nan = std::nanf(""), inf = INFINITY;
    RAST_ScaledBlit(nullptr, &src, 0, 0, 2, 2, 0, 0, 4, 4, 1.0f, 0);
    RAST_ScaledBlit(&dest, nullptr, 0, 0, 2, 2, 0, 0, 4, 4, 1.0f, 0);
    RAST_ScaledBlit(&dest, &empty, 0, 0, 2, 2, 0, 0, 4, 4, 1.0f, 0);
    for (int mode : {0, 0x100})
        for (float alpha : {0.0f, 0.003f, -1.0f, nan}) {
            RAST_ScaledBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 4, 4, alpha, mode);
            RAST_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0, 0, 4, 4, alpha, mode);
        }
    for (int mode : {0, 0x100}) {
        RAST_ScaledBlit(&dest, &src, 0, 0, 0, 3, 0, 0, 4, 4, 1.0f, mode);
        RAST_ScaledBlit(&dest, &src, 0, 0, 3, 0, 0, 0, 4, 4, 1.0f, mode);
        RAST_ScaledBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 0, 0, 1.0f, 0xF0); // channel copy scaled
        for (float bad : {nan, -inf, 1e9f}) {
            RAST_ScaledBlit(&dest, &src, 0, 0, 3, 3, bad, 0, 4, 4, 1.0f, mode);
            RAST_ScaledBlit(&dest, &src, 0, 0, 3, 3, 0, bad, 4, 4, 1.0f, mode);
            RAST_ScaledBlit(&dest, &src, 0, 0, 3, 3, 0, 0, bad, 4, 1.0f, mode);
            RAST_ScaledBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 4, bad, 1.0f, mode);
        }
        // 40,000 pixels in is past what 16.16 holds.
        RAST_ScaledBlit(&dest, &src, 0, 0, 3, 3, -40000.0f, 0, 4, 4, 1.0f, mode);
        // Mirrored with a step of 20,000 pixels: the first sample would land on the source,
        // the third no longer fits 16.16, so the blit draws nothing at all.
        RAST_ScaledBlit(&dest, &src, 3, 0, -3, 1, -59999.5f, 0, 60000, 1, 1.0f, mode);
    }
    EXPECT_TRUE(pictureIs(dest, [](int, int) { return kBackground; }));
    // One pixel of either is enough to draw.
    GuardedBitmap one(1, 1, false, P(9, 8, 7, 255));
    RAST_ScaledBlit(&dest, &one, 1, 1, 2, 2, 0, 0, 1, 1, 1.0f, 0x100);
    RAST_ScaledBlit(&one, &src, 0, 0, 1, 1, 1, 1, 3, 3, 1.0f, 0);
    EXPECT_EQ(dest.at(2, 2), P(9, 8, 7, 255));
    EXPECT_EQ(one.at(0, 0), sourcePixel(1, 1));
}
