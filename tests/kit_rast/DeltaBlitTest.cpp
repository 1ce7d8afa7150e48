#include "GuardedBitmap.h"

#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_DeltaBlit.h"
#include "kit/rast/RAST_RotatedBlit.h"
#include "kit/rast/RAST_ScaledBlit.h"
#include "kit/rast/RAST_TransformBlit.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

namespace {

constexpr RAST_pixel kBackground = 0x11223344;

// Opaque and different everywhere; red 40x + 80y for the bilinear sums, green 10x + y names
// the pixel.
RAST_pixel sourcePixel(int x, int y) {
    return P(40 * x + 80 * y, 10 * x + y, 7, 255);
}

struct Source : GuardedBitmap {
    Source(int w, int h, bool flipped = false) : GuardedBitmap(w, h, flipped) { fill(sourcePixel); }
};

// Which source pixel each pixel of a w x h destination shows after draw(destination), as
// 10x + y, or -1 where it is untouched.
template <class Draw> std::vector<int> shown(int w, int h, Draw draw) {
    GuardedBitmap dest(w, h, false, kBackground);
    draw(&dest);
    EXPECT_TRUE(dest.guardsIntact());
    std::vector<int> codes;
    for (RAST_pixel p : dest.picture())
        codes.push_back(p == kBackground ? -1 : RAST_GetGreen(p));
    return codes;
}

} // namespace

TEST(DeltaBlit, UnitWalkCombinesEverySourcePixel) {
    Source src(6, 5);
    for (int mode : {0, 0x10000, 3, 0x10002, 0x10104, 6, 0xF0})
        for (float alpha : {1.0f, 0.5f}) {
            GuardedBitmap d(4, 3, false, kBackground);
            RAST_DeltaBlit(&d, &src, 0, 0, 4, 3, 1, 2, 4, 3, 1, 0, 0, 1, 0, 0, false, alpha, mode);
            ASSERT_TRUE(pictureIs(d,
                                  [&](int x, int y) {
                                      return RAST_CombinePixels(
                                          kBackground, sourcePixel(x + 1, y + 2), alpha, mode);
                                  }))
                << mode << " " << alpha;
        }
}

TEST(DeltaBlit, StartsDeltasClipAndBilinearEdges) {
    Source src(8, 2);
    const auto row = [&](int dstx, int dstw, float srcx, float srcw, double dsdx, bool clip) {
        return shown(4, 1, [&](RAST_IBitmap* d) {
            RAST_DeltaBlit(d, &src, dstx, 0, dstw, 1, srcx, 0, srcw, 1, dsdx, 0, 0, 1, 0, 0, clip,
                           1.0f, 0);
        });
    };
    // Stepping left from the region's right end mirrors; a negative width alone only moves
    // the start to srcx + srcw.
    EXPECT_EQ(row(0, 4, 3, 4, -1, false), (std::vector<int>{30, 20, 10, 0}));
    EXPECT_EQ(row(4, -4, 0, 2, 1, false), (std::vector<int>{20, 30, 40, 50}));
    // The clip of 2.5 + 4 covers columns 2 to 5.
    EXPECT_EQ(row(0, 4, 2.5f, 4, 1.25, true), (std::vector<int>{20, 30, 50, -1}));
    EXPECT_EQ(row(0, 4, 2.5f, 4, 1.25, false), (std::vector<int>{20, 30, 50, 60}));
    // Positions above -1 truncate to column 0.
    EXPECT_EQ(row(0, 4, -1, 4, 0.75, false), (std::vector<int>{-1, 0, 0, 10}));

    // Bilinear samples blend one axis only on the source's last column and row.
    Source small(3, 2);
    GuardedBitmap d(3, 3);
    RAST_DeltaBlit(&d, &small, 0, 0, 3, 3, 1.5f, 0.5f, 0, 0, 0.5, 0, 0, 0.5, 0, 0, false, 1.0f,
                   0x100);
    std::vector<int> red;
    for (RAST_pixel p : d.picture())
        red.push_back(RAST_GetRed(p));
    EXPECT_EQ(red, (std::vector<int>{100, 120, 120, 140, 160, 160, 140, 160, 160}));
}

TEST(DeltaBlit, CutTopRowsLeaveTheColumnStepUncorrected) {
    // The column step grows by a pixel per row; cutting the first row away moves the start
    // down one row but keeps the first row's column step of 0.
    Source src(8, 4);
    EXPECT_EQ(shown(4, 3,
                    [&](RAST_IBitmap* d) {
                        RAST_DeltaBlit(d, &src, 0, -1, 4, 4, 0, 0, 8, 4, 0, 0, 0, 1, 1, 0, false,
                                       1.0f, 0);
                    }),
              (std::vector<int>{1, 1, 1, 1, 2, 12, 22, 32, 3, 23, 43, 63}));
}

TEST(DeltaBlit, ClippedDrawsAreCropsOfTheWholeDraw) {
    Source src(5, 4, true);
    for (int mode : {0x10000, 0x100})
        expectCrops(
            [&](RAST_IBitmap& d, int x, int y) {
                RAST_DeltaBlit(&d, &src, x, y, 9, 8, 1, 0.5f, 5, 4, 0.5, 0.25, -0.25, 0.5, 0, 0,
                               true, 0.75f, mode);
            },
            kBackground);
    // A grid of parallelogram cells.
    const double grid[] = {0, 0, 2, 0.5, 4, 1, 0.5, 2, 2.5, 2.5, 4.5, 3};
    expectCrops([&](RAST_IBitmap& d, int x,
                    int y) { RAST_TransformBlit2(&d, &src, x, y, 8, 4, grid, 3, 2, 1.0f, 0x100); },
                kBackground);
}

TEST(DeltaBlit, BadInputDrawsNothing) {
    Source src(4, 4);
    const double nan = std::nan("");
    const auto draws = [&](RAST_IBitmap* d) {
        // A walk along the rows of the source from (srcx, 0) with column steps that change by
        // dsdxdy a row.
        const auto walk = [&](int w, int h, float srcx, float srcw, double dsdx, double dsdxdy,
                              bool clip, float alpha, int mode) {
            RAST_DeltaBlit(d, &src, 0, 0, w, h, srcx, 0, srcw, 4, dsdx, 0, 0, 1, dsdxdy, 0, clip,
                           alpha, mode);
        };
        RAST_DeltaBlit(nullptr, &src, 0, 0, 4, 4, 0, 0, 4, 4, 1, 0, 0, 1, 0, 0, false, 1, 0);
        RAST_DeltaBlit(d, nullptr, 0, 0, 4, 4, 0, 0, 4, 4, 1, 0, 0, 1, 0, 0, false, 1, 0);
        for (int mode : {0, 0x100}) {
            walk(0, 4, 0, 4, 1, 0, false, 1, mode);
            walk(4, 4, 0, 4, 1, 0, false, 0.002f, mode);
            walk(4, 4, 0, 4, 1, 0, false, -1, mode);
            for (double bad : {nan, double(INFINITY), 1e12, -40000.0}) {
                walk(4, 4, float(bad), 4, 1, 0, false, 1, mode);
                walk(4, 4, 0, 4, bad, 0, false, 1, mode);
                walk(4, 4, 0, 4, 1, bad, false, 1, mode);
            }
            // A NaN or far-off source rectangle empties the clip.
            for (float bad : {float(nan), -40000.0f})
                walk(4, 4, 0, bad, 1, 0, true, 1, mode);
            // The first sample lies on the source, the third is past what 16.16 holds.
            walk(3, 1, 0.5f, 4, -20000, 0, false, 1, mode);
            // The column step of the last row no longer fits.
            walk(1, 5, 0.5f, 4, 0, 20000, false, 1, mode);
            // An empty source rectangle left of the source: its last column lies outside.
            walk(4, 4, -4, 1, 0, 0, true, 1, mode);
            RAST_RotatedBlit(d, &src, 0, 0, 4, 4, 0, 0, 1e9f, 4, 0.3f, false, 1, mode, 0, 0);
            RAST_RotatedBlit(d, &src, 0, 0, 4, 4, 0, 0, 4, 4, float(nan), false, 1, mode, 0, 0);
        }
    };
    EXPECT_EQ(shown(5, 5, draws), std::vector<int>(25, -1));
}

TEST(RotatedBlit, TurnsAndOffsets) {
    Source src(4, 4), tall(1, 14);
    const auto turned = [&](float angle) {
        return shown(4, 4, [&](RAST_IBitmap* d) {
            RAST_RotatedBlit(d, &src, 0, 0, 4, 4, 0, 0, 4, 4, angle, false, 1.0f, 0, 0, 0);
        });
    };
    EXPECT_EQ(turned(0),
              (std::vector<int>{0, 10, 20, 30, 1, 11, 21, 31, 2, 12, 22, 32, 3, 13, 23, 33}));
    // The turn samples from each destination pixel's corner, and sin and cos of the float
    // angle make the 16.16 deltas 65535: the column left of the middle is read twice.
    EXPECT_EQ(turned(float(M_PI / 2)),
              (std::vector<int>{-1, 3, 2, 1, -1, 3, 2, 1, -1, 13, 12, 11, -1, 23, 22, 21}));
    EXPECT_EQ(turned(float(M_PI)),
              (std::vector<int>{-1, 33, 23, 13, -1, 33, 23, 13, -1, 32, 22, 12, -1, 31, 21, 11}));
    // An offset 10 pixels down shows the source 10 rows further down.
    EXPECT_EQ(shown(1, 4,
                    [&](RAST_IBitmap* d) {
                        RAST_RotatedBlit(d, &tall, 0, 0, 1, 4, 0, 0, 1, 4, 0, false, 1.0f, 0, 0,
                                         10);
                    }),
              (std::vector<int>{10, 11, 12, 13}));
}

TEST(TransformBlit, GridsStretchCopyAndSkipEmptyCells) {
    Source src(4, 3), wide(8, 2);
    // Corners only: a stretch, as the scaled blit draws it.
    const float corners[] = {0, 0, 4, 0, 0, 3, 4, 3};
    for (int mode : {0, 0x100}) {
        GuardedBitmap warped(8, 6), scaled(8, 6);
        RAST_TransformBlit(&warped, &src, 0, 0, 8, 6, corners, 2, 2, 1.0f, mode);
        RAST_ScaledBlit(&scaled, &src, 0, 0, 8, 6, 0, 0, 4, 3, 1.0f, mode);
        EXPECT_TRUE(pictureIs(warped, [&](int x, int y) { return scaled.at(x, y); })) << mode;
    }
    // Three points a row on a 4-wide rectangle: cells of two pixels, an unscaled copy.
    const double identity[] = {0, 0, 2, 0, 4, 0, 0, 3, 2, 3, 4, 3};
    GuardedBitmap copy(4, 3);
    RAST_TransformBlit2(&copy, &src, 0, 0, 4, 3, identity, 3, 2, 1.0f, 0);
    EXPECT_TRUE(pictureIs(copy, sourcePixel));
    // Five points a row on 2 pixels: lines at 0, 0, 1, 1, 2; the empty cells are skipped and
    // the others start at their own grid points.
    const float narrow[] = {0, 0, 1, 0, 3, 0, 5, 0, 7, 0, 0, 1, 1, 1, 3, 1, 5, 1, 7, 1};
    EXPECT_EQ(shown(2, 1,
                    [&](RAST_IBitmap* d) {
                        RAST_TransformBlit(d, &wide, 0, 0, 2, 1, narrow, 5, 2, 1.0f, 0);
                    }),
              (std::vector<int>{10, 50}));
    // Too few points, an empty rectangle, a NaN point or a rectangle beyond reach.
    const float nan = std::nanf(""), broken[] = {nan, 0, 4, 0, 0, 3, 4, nan};
    EXPECT_EQ(shown(5, 5,
                    [&](RAST_IBitmap* d) {
                        RAST_TransformBlit(d, &src, 0, 0, 4, 4, nullptr, 2, 2, 1, 0);
                        RAST_TransformBlit(d, &src, 0, 0, 4, 4, corners, 1, 4, 1, 0);
                        RAST_TransformBlit(d, &src, 0, 0, 0, 4, corners, 2, 2, 1, 0);
                        RAST_TransformBlit(d, &src, 0, 0, 4, 4, broken, 2, 2, 1, 0x100);
                        RAST_TransformBlit(d, &src, INT_MIN, 0, INT_MAX, 4, corners, 2, 2, 1, 0);
                    }),
              std::vector<int>(25, -1));
}
