#include "GuardedBitmap.h"

#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_DeltaBlit.h"
#include "kit/rast/RAST_RotatedBlit.h"
#include "kit/rast/RAST_ScaledBlit.h"
#include "kit/rast/RAST_TransformBlit.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <type_traits>
#include <vector>

namespace {

constexpr RAST_pixel kBackground = 0x11223344;

// Opaque and different everywhere; red 40x + 80y for the bilinear sums.
RAST_pixel sourcePixel(int x, int y) {
    return P(40 * x + 80 * y, 10 * x + y, 7, 255);
}

typedef std::vector<RAST_pixel> Picture;

// Which source pixel each destination pixel shows, as 10x + y, or -1 where it is untouched.
std::vector<int> shown(const Picture& picture) {
    std::vector<int> codes;
    for (RAST_pixel p : picture)
        codes.push_back(p == kBackground ? -1 : RAST_GetGreen(p));
    return codes;
}

// The picture of a w x h destination on the background after draw, checked for writes
// outside it.
Picture drawn(int w, int h, const std::function<void(GuardedBitmap&)>& draw, bool flipped = false) {
    GuardedBitmap dest(w, h, flipped);
    dest.fill([](int, int) { return kBackground; });
    draw(dest);
    EXPECT_TRUE(dest.guardsIntact());
    return dest.picture();
}

struct Source : GuardedBitmap {
    Source(int w, int h, bool flipped = false) : GuardedBitmap(w, h, flipped) { fill(sourcePixel); }
};

// Draws at (15, 15) of a large destination, then at every offset around a small one, and
// expects each small picture to be the matching crop of the large one.
void expectCrops(const std::function<void(GuardedBitmap&, int, int)>& draw) {
    const Picture whole = drawn(40, 40, [&](GuardedBitmap& d) { draw(d, 15, 15); });
    for (bool flipped : {false, true})
        for (int dy = -12; dy <= 9; ++dy)
            for (int dx = -12; dx <= 9; ++dx) {
                const Picture part = drawn(
                    7, 5, [&](GuardedBitmap& d) { draw(d, dx, dy); }, flipped);
                for (int y = 0; y < 5; ++y)
                    for (int x = 0; x < 7; ++x)
                        ASSERT_EQ(part[y * 7 + x], whole[(y - dy + 15) * 40 + x - dx + 15])
                            << "at " << dx << "," << dy << " pixel " << x << "," << y;
            }
}

} // namespace

TEST(DeltaBlit, UnitWalkCombinesEverySourcePixel) {
    Source src(6, 5);
    for (int mode : {0, 0x100, 0x10000, 1, 3, 5, 0x10002, 0x10104, 6, 0xF0})
        for (float alpha : {1.0f, 0.5f}) {
            const Picture dest = drawn(4, 3, [&](GuardedBitmap& d) {
                RAST_DeltaBlit(&d, &src, 0, 0, 4, 3, 1, 2, 4, 3, 1, 0, 0, 1, 0, 0, false, alpha,
                               mode);
            });
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 4; ++x)
                    ASSERT_EQ(
                        dest[y * 4 + x],
                        RAST_CombinePixels(kBackground, sourcePixel(x + 1, y + 2), alpha, mode))
                        << mode << " " << alpha;
        }
}

TEST(DeltaBlit, StartsDeltasAndClip) {
    Source src(8, 2);
    const auto row = [&](int dstx, int dstw, float srcx, float srcw, double dsdx, bool clip) {
        return shown(drawn(4, 1, [&](GuardedBitmap& d) {
            RAST_DeltaBlit(&d, &src, dstx, 0, dstw, 1, srcx, 0, srcw, 1, dsdx, 0, 0, 1, 0, 0, clip,
                           1.0f, 0);
        }));
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
}

TEST(DeltaBlit, BilinearBlendsOneAxisOnTheLastColumnAndRow) {
    Source src(3, 2);
    const Picture dest = drawn(3, 3, [&](GuardedBitmap& d) {
        RAST_DeltaBlit(&d, &src, 0, 0, 3, 3, 1.5f, 0.5f, 0, 0, 0.5, 0, 0, 0.5, 0, 0, false, 1.0f,
                       0x100);
    });
    std::vector<int> red;
    for (RAST_pixel p : dest)
        red.push_back(RAST_GetRed(p));
    EXPECT_EQ(red, (std::vector<int>{100, 120, 120, 140, 160, 160, 140, 160, 160}));
}

TEST(DeltaBlit, CutTopRowsLeaveTheColumnStepUncorrected) {
    // The column step grows by a pixel per row; cutting the first row away moves the start
    // down one row but keeps the first row's column step of 0.
    Source src(8, 4);
    EXPECT_EQ(shown(drawn(4, 3,
                          [&](GuardedBitmap& d) {
                              RAST_DeltaBlit(&d, &src, 0, -1, 4, 4, 0, 0, 8, 4, 0, 0, 0, 1, 1, 0,
                                             false, 1.0f, 0);
                          })),
              (std::vector<int>{1, 1, 1, 1, 2, 12, 22, 32, 3, 23, 43, 63}));
}

TEST(DeltaBlit, ClippedDrawsAreCropsOfTheWholeDraw) {
    Source src(5, 4, true);
    for (int mode : {0x10000, 0x100})
        expectCrops([&](GuardedBitmap& d, int x, int y) {
            RAST_DeltaBlit(&d, &src, x, y, 9, 8, 1, 0.5f, 5, 4, 0.5, 0.25, -0.25, 0.5, 0, 0, true,
                           0.75f, mode);
        });
    expectCrops([&](GuardedBitmap& d, int x, int y) {
        RAST_RotatedBlit(&d, &src, x, y, 10, 8, 0, 0, 5, 4, 0, false, 1.0f, 0x10100, 0, 0);
    });
    // A grid of parallelogram cells.
    const double grid[] = {0, 0, 2, 0.5, 4, 1, 0.5, 2, 2.5, 2.5, 4.5, 3};
    expectCrops([&](GuardedBitmap& d, int x, int y) {
        RAST_TransformBlit2(&d, &src, x, y, 8, 4, grid, 3, 2, 1.0f, 0x100);
    });
    if (HasFatalFailure()) return;
}

TEST(DeltaBlit, BadInputDrawsNothing) {
    Source src(4, 4);
    const double nan = std::nan("");
    const Picture dest = drawn(5, 5, [&](GuardedBitmap& d) {
        RAST_DeltaBlit(nullptr, &src, 0, 0, 4, 4, 0, 0, 4, 4, 1, 0, 0, 1, 0, 0, false, 1, 0);
        RAST_DeltaBlit(&d, nullptr, 0, 0, 4, 4, 0, 0, 4, 4, 1, 0, 0, 1, 0, 0, false, 1, 0);
        for (int mode : {0, 0x100}) {
            RAST_DeltaBlit(&d, &src, 0, 0, 0, 4, 0, 0, 4, 4, 1, 0, 0, 1, 0, 0, false, 1, mode);
            RAST_DeltaBlit(&d, &src, 0, 0, 4, 4, 0, 0, 4, 4, 1, 0, 0, 1, 0, 0, false, 0.002f, mode);
            RAST_DeltaBlit(&d, &src, 0, 0, 4, 4, 0, 0, 4, 4, 1, 0, 0, 1, 0, 0, false, -1, mode);
            for (double bad : {nan, double(INFINITY), 1e12, -40000.0}) {
                RAST_DeltaBlit(&d, &src, 0, 0, 4, 4, float(bad), 0, 4, 4, 1, 0, 0, 1, 0, 0, false,
                               1, mode);
                RAST_DeltaBlit(&d, &src, 0, 0, 4, 4, 0, 0, 4, 4, bad, 0, 0, 1, 0, 0, false, 1,
                               mode);
                RAST_DeltaBlit(&d, &src, 0, 0, 4, 4, 0, 0, 4, 4, 1, 0, 0, 1, bad, 0, false, 1,
                               mode);
            }
            for (float bad : {float(nan), -40000.0f})
                RAST_DeltaBlit(&d, &src, 0, 0, 4, 4, 0, 0, bad, 4, 1, 0, 0, 1, 0, 0, true, 1, mode);
            // The first sample lies on the source, the third is past what 16.16 holds.
            RAST_DeltaBlit(&d, &src, 0, 0, 3, 1, 0.5f, 0, 4, 4, -20000, 0, 0, 1, 0, 0, false, 1,
                           mode);
            // The column step of the last row no longer fits.
            RAST_DeltaBlit(&d, &src, 0, 0, 1, 5, 0.5f, 0, 4, 4, 0, 0, 0, 0, 20000, 0, false, 1,
                           mode);
            // An empty source rectangle left of the source: its last column lies outside.
            RAST_DeltaBlit(&d, &src, 0, 0, 4, 4, -4, 0, 1, 4, 0, 0, 0, 1, 0, 0, true, 1, mode);
            RAST_RotatedBlit(&d, &src, 0, 0, 4, 4, 0, 0, 4, 4, 0.3f, false, 0.001f, mode, 0, 0);
            RAST_RotatedBlit(&d, &src, 0, 0, 0, 4, 0, 0, 4, 4, 0.3f, false, 1, mode, 0, 0);
            RAST_RotatedBlit(&d, &src, 0, 0, 4, 4, 0, 0, 1e9f, 4, 0.3f, false, 1, mode, 0, 0);
            RAST_RotatedBlit(&d, &src, 0, 0, 4, 4, 0, 0, 4, 4, float(nan), false, 1, mode, 0, 0);
        }
    });
    EXPECT_EQ(shown(dest), std::vector<int>(25, -1));
    drawn(5, 5, [&](GuardedBitmap& d) {
        for (int big : {INT_MIN, INT_MIN + 1, -1000000, 1000000, INT_MAX})
            for (int size : {INT_MIN, -1, 1, INT_MAX}) {
                RAST_DeltaBlit(&d, &src, big, 0, size, 3, 0, 0, 4, 4, 0.001, 0, 0, 1, 0, 0, true, 1,
                               0x100);
                RAST_RotatedBlit(&d, &src, 0, big, 3, size, 0, 0, 4, 4, 1.0f, true, 1, 0, 0, 0);
            }
    });
}

TEST(RotatedBlit, QuarterAndHalfTurns) {
    Source src(4, 4);
    const auto turned = [&](float angle, int mode) {
        return drawn(4, 4, [&](GuardedBitmap& d) {
            RAST_RotatedBlit(&d, &src, 0, 0, 4, 4, 0, 0, 4, 4, angle, false, 1.0f, mode, 0, 0);
        });
    };
    for (int mode : {0, 0x100})
        EXPECT_EQ(turned(0, mode), src.picture());
    // The turn samples from each destination pixel's corner, and sin and cos of the float
    // angle make the 16.16 deltas 65535: the column left of the middle is read twice.
    EXPECT_EQ(shown(turned(float(M_PI / 2), 0)),
              (std::vector<int>{-1, 3, 2, 1, -1, 3, 2, 1, -1, 13, 12, 11, -1, 23, 22, 21}));
    EXPECT_EQ(shown(turned(float(M_PI), 0)),
              (std::vector<int>{-1, 33, 23, 13, -1, 33, 23, 13, -1, 32, 22, 12, -1, 31, 21, 11}));
}

TEST(RotatedBlit, SmallAngleFollowsTheWalk) {
    Source src(6, 5);
    const float angle = 0.3f, srcw = 6, srch = 5, rotx = 0.5f;
    const int dstw = 7, dsth = 6;
    const Picture dest = drawn(dstw, dsth, [&](GuardedBitmap& d) {
        RAST_RotatedBlit(&d, &src, 0, 0, dstw, dsth, 0, 0, srcw, srch, angle, false, 1.0f, 0, rotx,
                         0);
    });
    // The walk worked out from the angle and scale, then sampled pixel by pixel.
    const double c = std::cos(double(angle)), s = std::sin(double(angle));
    const double xsc = double(srcw / float(dstw)), ysc = double(srch / float(dsth));
    const double dsdx = xsc * c, dtdx = -(ysc * s), dsdy = xsc * s, dtdy = ysc * c;
    const float sx = 0 - float(0.5 * (dstw * dsdx + dsth * dsdy - srcw) - rotx);
    const float sy = 0 - float(0.5 * (dsth * dtdy + dstw * dtdx - srch));
    const auto fixed = [](double v) { return int64_t(std::trunc(v * 65536)); };
    int drawnPixels = 0;
    for (int r = 0; r < dsth; ++r)
        for (int col = 0; col < dstw; ++col) {
            const int64_t x = fixed(sx) + col * fixed(dsdx) + r * fixed(dsdy);
            const int64_t y = fixed(sy) + col * fixed(dtdx) + r * fixed(dtdy);
            const bool inside = x > -65536 && y > -65536 && x / 65536 < 6 && y / 65536 < 5;
            drawnPixels += inside;
            ASSERT_EQ(dest[r * dstw + col],
                      inside ? sourcePixel(int(x / 65536), int(y / 65536)) : kBackground)
                << col << "," << r;
        }
    EXPECT_GT(drawnPixels, 30);
}

TEST(RotatedBlit, OffsetClipAndMirror) {
    Source src(8, 14);
    // An offset 10 pixels down shows the source 10 rows further down.
    const Picture moved = drawn(4, 4, [&](GuardedBitmap& d) {
        RAST_RotatedBlit(&d, &src, 0, 0, 4, 4, 0, 0, 4, 4, 0, false, 1.0f, 0, 0, 10);
    });
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(moved[y * 4 + x], sourcePixel(x, y + 10));
    // Turned and enlarged twice: with the clip only the rectangle's pixels show and the
    // corners stay; without it the corners show pixels around the rectangle.
    for (bool clip : {true, false}) {
        const std::vector<int> codes = shown(drawn(8, 8, [&](GuardedBitmap& d) {
            RAST_RotatedBlit(&d, &src, 0, 0, 8, 8, 2, 2, 4, 4, 0.6f, clip, 1.0f, 0, 0, 0);
        }));
        bool outside = false;
        for (int code : codes)
            outside |=
                code >= 0 && (code / 10 < 2 || code / 10 > 5 || code % 10 < 2 || code % 10 > 5);
        EXPECT_EQ(outside, !clip);
        EXPECT_EQ(codes[0] == -1 && codes[7] == -1 && codes[56] == -1 && codes[63] == -1, clip);
    }
    // A negative width mirrors; the first sample lies on the right edge of the clip.
    EXPECT_EQ(shown(drawn(4, 1,
                          [&](GuardedBitmap& d) {
                              RAST_RotatedBlit(&d, &src, 4, 0, -4, 1, 0, 0, 4, 1, 0, true, 1.0f, 0,
                                               0, 0);
                          })),
              (std::vector<int>{-1, 30, 20, 10}));
}

TEST(TransformBlit, GridsStretchCopyAndSkipEmptyCells) {
    Source src(4, 3), wide(8, 2);
    const auto warped = [&](Source& from, int w, int h, const auto* grid, int divw, int divh,
                            int mode) {
        return drawn(w, h, [&](GuardedBitmap& d) {
            if constexpr (std::is_same_v<decltype(grid), const double*>)
                RAST_TransformBlit2(&d, &from, 0, 0, w, h, grid, divw, divh, 1.0f, mode);
            else
                RAST_TransformBlit(&d, &from, 0, 0, w, h, grid, divw, divh, 1.0f, mode);
        });
    };
    // Corners only: a stretch, as the scaled blit draws it.
    const float corners[] = {0, 0, 4, 0, 0, 3, 4, 3};
    const double cornersD[] = {0, 0, 4, 0, 0, 3, 4, 3};
    for (int mode : {0, 0x100}) {
        const Picture scaled = drawn(8, 6, [&](GuardedBitmap& d) {
            RAST_ScaledBlit(&d, &src, 0, 0, 8, 6, 0, 0, 4, 3, 1.0f, mode);
        });
        EXPECT_EQ(warped(src, 8, 6, corners, 2, 2, mode), scaled);
        EXPECT_EQ(warped(src, 8, 6, cornersD, 2, 2, mode), scaled);
    }
    // Three points a row on a 4-wide rectangle: cells of two pixels, an unscaled copy.
    const float identity[] = {0, 0, 2, 0, 4, 0, 0, 3, 2, 3, 4, 3};
    EXPECT_EQ(warped(src, 4, 3, identity, 3, 2, 0), src.picture());
    // Five points a row on 2 pixels: lines at 0, 0, 1, 1, 2; the empty cells are skipped and
    // the others start at their own grid points.
    const float narrow[] = {0, 0, 1, 0, 3, 0, 5, 0, 7, 0, 0, 1, 1, 1, 3, 1, 5, 1, 7, 1};
    EXPECT_EQ(shown(warped(wide, 2, 1, narrow, 5, 2, 0)), (std::vector<int>{10, 50}));
    // Too few points, an empty rectangle, a NaN point or a rectangle beyond reach.
    const float nan = std::nanf("");
    const float broken[] = {nan, 0, 4, 0, 0, 3, 4, nan};
    EXPECT_EQ(shown(drawn(5, 5,
                          [&](GuardedBitmap& d) {
                              RAST_TransformBlit(&d, &src, 0, 0, 4, 4, nullptr, 2, 2, 1, 0);
                              RAST_TransformBlit(&d, &src, 0, 0, 4, 4, corners, 1, 4, 1, 0);
                              RAST_TransformBlit(&d, &src, 0, 0, 4, 4, corners, 4, 1, 1, 0);
                              RAST_TransformBlit(&d, &src, 0, 0, 0, 4, corners, 2, 2, 1, 0);
                              RAST_TransformBlit(&d, &src, 0, 0, 4, -1, corners, 2, 2, 1, 0);
                              RAST_TransformBlit(&d, &src, 0, 0, 4, 4, broken, 2, 2, 1, 0x100);
                              RAST_TransformBlit(&d, &src, INT_MIN, 0, INT_MAX, 4, corners, 2, 2, 1,
                                                 0);
                          })),
              std::vector<int>(25, -1));
}
