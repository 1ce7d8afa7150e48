#include "ShapeTestUtil.h"

#include "kit/rast/RAST_Circle.h"
#include "kit/rast/RAST_Polygon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

const RAST_pixel kColour = P(200, 100, 50, 255);

// The pixels of a shape drawn in the add mode on a zero bitmap, with their counts checked
// against at most maxPerPixel.
template <class Draw> PixelSet counted(int w, int h, int maxPerPixel, Draw draw) {
    ZeroBitmap bm(w, h);
    draw(&bm);
    EXPECT_TRUE(bm.guardsIntact());
    EXPECT_LE(maxCount(bm), maxPerPixel);
    return changedPixels(bm);
}

PixelSet offsets(const PixelSet& s, int cx, int cy) {
    PixelSet out;
    for (const auto& [x, y] : s)
        out.insert({x - cx, y - cy});
    return out;
}

// Plain shapes are counted; antialiased ones are drawn in white so that every weight shows.
PixelSet circle(float cx, float cy, float r, bool aa = false) {
    if (aa)
        return counted(24, 24, 255, [&](RAST_IBitmap* bm) {
            RAST_Circle(bm, cx, cy, r, 0xFFFFFFFF, 1.0f, 0, true);
        });
    return counted(24, 24, 1, [&](RAST_IBitmap* bm) {
        RAST_Circle(bm, cx, cy, r, kCountColour, 1.0f, kAdd, false);
    });
}

PixelSet disc(float cx, float cy, float r, bool aa = false) {
    if (aa)
        return counted(24, 24, 255, [&](RAST_IBitmap* bm) {
            RAST_FillCircle(bm, cx, cy, r, 0xFFFFFFFF, 1.0f, 0, true);
        });
    return counted(24, 24, 1, [&](RAST_IBitmap* bm) {
        RAST_FillCircle(bm, cx, cy, r, kCountColour, 1.0f, kAdd, false);
    });
}

} // namespace

TEST(Circle, MaskRadiusStampsTheStoredMask) {
    const auto stamped = [](float cx, float cy) {
        return counted(24, 24, 255, [&](RAST_IBitmap* bm) {
            RAST_Circle(bm, cx, cy, 2.0f, 0xFFFFFFFF, 1.0f, 0, false);
        });
    };
    // Radius 2 is the plain 5 x 5 diamond, its top-left corner at trunc(centre - 2).
    EXPECT_EQ(offsets(stamped(10.0f, 10.0f), 8, 8),
              (PixelSet{{2, 0}, {1, 1}, {3, 1}, {0, 2}, {4, 2}, {1, 3}, {3, 3}, {2, 4}}));
    EXPECT_EQ(stamped(10.7f, 10.2f), stamped(10.0f, 10.0f));
    // Partly off the bitmap, the mask is cut.
    EXPECT_EQ(stamped(-1.0f, 0.0f), (PixelSet{{1, 0}, {0, 1}}));
    // The antialiased mask's coverage 0xBF at full weight 256 is weight 191.
    ZeroBitmap bm(12, 12);
    RAST_Circle(&bm, 5.0f, 5.0f, 2.0f, 0xFFFFFFFF, 1.0f, 0, true);
    EXPECT_EQ(bm.at(4, 3), P(191, 191, 191, 191));
    EXPECT_EQ(bm.at(5, 5), 0u);
    EXPECT_EQ(changedPixels(bm).size(), 24u);
}

TEST(Circle, OtherRadiiAreRasterised) {
    EXPECT_EQ(offsets(circle(10.0f, 10.0f, 2.01f), 10, 10), (PixelSet{{0, -2},
                                                                      {0, 2},
                                                                      {-2, 0},
                                                                      {2, 0},
                                                                      {-1, -2},
                                                                      {1, -2},
                                                                      {-1, 2},
                                                                      {1, 2},
                                                                      {-2, -1},
                                                                      {2, -1},
                                                                      {-2, 1},
                                                                      {2, 1}}));
    // An outline of radius 6 around a whole pixel: eight-fold symmetric, each pixel once.
    const PixelSet ring = offsets(circle(10.0f, 10.0f, 6.0f), 10, 10);
    for (const auto& [x, y] : ring) {
        EXPECT_EQ(ring.count({y, x}), 1u);
        EXPECT_EQ(ring.count({-x, y}), 1u);
        EXPECT_NEAR(std::hypot(x, y), 6.0, 0.6);
    }
    // Centres round to the nearest pixel.
    EXPECT_EQ(offsets(circle(10.5f, 9.6f, 6.0f), 11, 10), ring);
}

TEST(Circle, RadiiZeroAndOne) {
    const PixelSet cross1{{10, 9}, {9, 10}, {10, 10}, {11, 10}, {10, 11}};
    EXPECT_EQ(circle(10.0f, 10.0f, 1.0f), (PixelSet{{10, 9}, {9, 10}, {11, 10}, {10, 11}}));
    EXPECT_EQ(disc(10.0f, 10.0f, 1.0f), cross1);
    EXPECT_EQ(disc(10.0f, 10.0f, 0.7f, true), cross1);
    // At R = 0 the outline combines the centre four times, the fill once.
    ZeroBitmap bm(5, 5);
    RAST_Circle(&bm, 2.0f, 2.0f, 0.2f, kCountColour, 1.0f, kAdd, false);
    EXPECT_EQ(bm.at(2, 2), 0x04040404u);
    EXPECT_EQ(changedPixels(bm).size(), 1u);
    EXPECT_EQ(disc(2.0f, 2.0f, 0.2f), (PixelSet{{2, 2}}));
    // Antialiased below 1: the outer points at distance 1 and all inner points on the centre.
    EXPECT_EQ(circle(10.0f, 10.0f, 0.5f, true), cross1);
    // At radius 1 the outer points get no weight.
    EXPECT_EQ(circle(10.0f, 10.0f, 1.0f, true), circle(10.0f, 10.0f, 1.0f));
}

TEST(Circle, FilledDiscsCombineEachPixelOnce) {
    for (float r = 0.0f; r < 9.0f; r += 0.37f)
        for (float dx : {0.0f, 0.3f, 0.5f, 0.8f}) {
            const PixelSet d = disc(11.0f + dx, 11.0f + dx / 2, r);
            const int x0 = int(11.0f + dx + 0.5f), y0 = int(11.0f + dx / 2 + 0.5f);
            const int R = int(r + 0.5f);
            for (const auto& [x, y] : d)
                ASSERT_LE(std::hypot(x - x0, y - y0), R + 0.5) << r << " " << dx;
            // Filled discs contain their outline (which at R = 0 is the centre four times).
            if (R > 0) {
                for (const auto& p : circle(11.0f + dx, 11.0f + dx / 2, r + 0.001f))
                    ASSERT_EQ(d.count(p), 1u) << r;
            }
            // Antialiased discs combine each pixel once as well.
            ZeroBitmap bm(24, 24);
            RAST_FillCircle(&bm, 11.0f + dx, 11.0f + dx / 2, r, kCountColour, 1.0f, kAdd, true);
            EXPECT_LE(maxCount(bm), 1);
            for (const auto& [x, y] : disc(11.0f + dx, 11.0f + dx / 2, r, true))
                ASSERT_LE(std::hypot(x - x0, y - y0), r + 1.5);
        }
}

TEST(Circle, CopyAlphaChoosesTheCombination) {
    const auto centrePixel = [](float alpha) {
        GuardedBitmap bm(9, 9);
        bm.fill([](int, int) { return P(11, 21, 31, 41); });
        RAST_FillCircle(&bm, 4.0f, 4.0f, 2.4f, kColour, alpha, 0, false);
        return bm.at(4, 4);
    };
    EXPECT_EQ(centrePixel(1.0f), kColour);
    EXPECT_EQ(centrePixel(0.5f), P(105, 60, 40, 148));
    // 0.999 is weight 255: the general copy, which truncates toward the colour.
    EXPECT_EQ(centrePixel(0.999f), P(200, 100, 50, 255));
    EXPECT_EQ(centrePixel(0.0f), P(11, 21, 31, 41));
    EXPECT_EQ(centrePixel(7.0f), kColour);
    const auto modePixel = [](int mode) {
        GuardedBitmap bm(9, 9);
        bm.fill([](int, int) { return P(11, 21, 31, 41); });
        RAST_Circle(&bm, 4.0f, 4.0f, 3.3f, kColour, 1.0f, mode, false);
        return bm.at(4, 1);
    };
    EXPECT_EQ(modePixel(0x10000), kColour);
    EXPECT_EQ(modePixel(0xF0), P(11, 21, 31, 41));
    EXPECT_EQ(modePixel(kAdd), P(211, 121, 81, 255));
}

TEST(Circle, ClippedCirclesMatchTheUnclippedOnes) {
    // A circle drawn on a large bitmap without per-pixel tests, and the same circle on small
    // bitmaps that cut it, agree wherever the small ones reach.
    for (bool aa : {false, true})
        for (bool filled : {false, true})
            for (float r : {3.3f, 6.0f, 7.6f}) {
                const auto draw = [&](RAST_IBitmap* bm, float cx, float cy) {
                    if (filled)
                        RAST_FillCircle(bm, cx, cy, r, kColour, 0.7f, 0, aa);
                    else
                        RAST_Circle(bm, cx, cy, r, kColour, 0.7f, 0, aa);
                };
                ZeroBitmap whole(40, 40);
                draw(&whole, 20.3f, 19.6f);
                // Centres stay at -0.5 or more: below that, rounding by truncation moves them.
                for (int ox : {11, 17, 20})
                    for (int oy : {12, 20}) {
                        ZeroBitmap part(9, 7);
                        draw(&part, 20.3f - ox, 19.6f - oy);
                        ASSERT_TRUE(part.guardsIntact());
                        for (int y = 0; y < 7; ++y)
                            for (int x = 0; x < 9; ++x)
                                ASSERT_EQ(part.at(x, y), whole.at(x + ox, y + oy))
                                    << aa << filled << r << " " << ox << "," << oy;
                    }
            }
}

// A flipped bitmap's memory holds what a plain one holds for the mirrored centre.
TEST(Circle, FlippedBitmapsMirrorTheCentre) {
    const auto memory = [](const GuardedBitmap& bm) {
        return std::vector<RAST_pixel>(bm.getBits(), bm.getBits() + 12 * bm.getRowSpan());
    };
    for (bool aa : {false, true}) {
        ZeroBitmap flipped(15, 12, true), plain(15, 12);
        RAST_Circle(&flipped, 6.0f, 3.0f, 2.6f, kColour, 1.0f, 0, aa);
        RAST_Circle(&plain, 6.0f, 8.0f, 2.6f, kColour, 1.0f, 0, aa);
        EXPECT_EQ(memory(flipped), memory(plain));
        RAST_Arc(&flipped, 6.0f, 3.0f, 5.0f, 0.2f, 1.0f, kColour, 1.0f, 0, aa);
        RAST_Arc(&plain, 6.0f, 8.0f, 5.0f, 3.1415927f - 1.0f, 3.1415927f - 0.2f, kColour, 1.0f, 0,
                 aa);
        EXPECT_EQ(memory(flipped), memory(plain));
    }
}

TEST(Circle, HostileCentresAndRadiiDrawNothingOrStayInside) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float cases[][3] = {{nan, 5, 3}, {5, inf, 3},   {5, 5, nan},     {5, 5, -inf},
                              {5, 5, -3},  {5, 5, 1e30f}, {1e9f, 5, 1e9f}, {-3e7f, 5, 3e7f}};
    for (const auto& c : cases)
        for (bool aa : {false, true}) {
            ZeroBitmap bm(11, 11);
            RAST_Circle(&bm, c[0], c[1], c[2], kColour, 1.0f, 0, aa);
            RAST_FillCircle(&bm, c[0], c[1], c[2], kColour, 1.0f, 0, aa);
            RAST_Arc(&bm, c[0], c[1], c[2], 0.3f, 2.0f, kColour, 1.0f, 0, aa);
            EXPECT_TRUE(changedPixels(bm).empty()) << c[0] << " " << c[1] << " " << c[2];
            EXPECT_TRUE(bm.guardsIntact());
        }
    // A circle of radius ten million whose rim crosses the bitmap draws just that rim.
    ZeroBitmap rim(11, 11);
    RAST_Circle(&rim, 5.0f, 5.0f + 1e7f, 1e7f - 0.4f, kCountColour, 1.0f, kAdd, false);
    EXPECT_TRUE(rim.guardsIntact());
    EXPECT_EQ(changedPixels(rim).size(), 11u);
    ZeroBitmap filledRim(11, 11);
    RAST_FillCircle(&filledRim, 5.0f, 5.0f + 1e7f, 1e7f - 0.4f, kCountColour, 1.0f, kAdd, true);
    EXPECT_EQ(maxCount(filledRim), 1);
    EXPECT_GE(changedPixels(filledRim).size(), 11u * 5);
}

TEST(Arc, QuadrantsShareCardinalPointsOnce) {
    const auto arc = [](float a, float b, float cx = 10.0f, float cy = 10.0f) {
        return counted(24, 24, 1, [&](RAST_IBitmap* bm) {
            RAST_Arc(bm, cx, cy, 6.0f, a, b, kCountColour, 1.0f, kAdd, false);
        });
    };
    const float pi = 3.1415927f;
    const PixelSet q1 = arc(0.0f, pi / 2);
    EXPECT_EQ(q1.count({10, 4}), 1u);
    EXPECT_EQ(q1.count({16, 10}), 0u);
    EXPECT_EQ(arc(pi / 2, pi).count({16, 10}), 1u);
    // The four quarters make the whole outline, each pixel once.
    PixelSet all;
    for (int q = 0; q < 4; ++q)
        for (const auto& p : arc(q * pi / 2, (q + 1) * pi / 2))
            EXPECT_TRUE(all.insert(p).second);
    EXPECT_EQ(all, circle(10.0f, 10.0f, 6.0f));
    EXPECT_EQ(arc(0.0f, 2 * pi), circle(10.0f, 10.0f, 6.0f));
    EXPECT_TRUE(arc(1.0f, 1.0f).empty());
    EXPECT_EQ(arc(8.0f, 7.0f), arc(7.0f, 8.0f));
    EXPECT_EQ(arc(7.0f, 8.0f), arc(7.0f - 2 * pi, 8.0f - 2 * pi));
    EXPECT_EQ(arc(-20.0f, -19.0f), arc(-20.0f + 4 * pi, -19.0f + 4 * pi));
    // Huge angles are reduced without running away.
    EXPECT_LE(arc(1e30f, 1e30f + 1e24f).size(), all.size());
}

TEST(RoundRect, CornersCapAndFallBackToSquare) {
    const auto rr = [](float w, float h, int radius) {
        ZeroBitmap bm(50, 50);
        RAST_RoundRect(&bm, 2.0f, 3.0f, w, h, radius, kColour, 1.0f, 0, false);
        EXPECT_TRUE(bm.guardsIntact());
        return bm.picture();
    };
    const auto rect = [](int w, int h) {
        ZeroBitmap bm(50, 50);
        RAST_DrawRect(&bm, 2, 3, w, h, kColour, 1.0f, 0);
        return bm.picture();
    };
    EXPECT_EQ(rr(20.0f, 10.0f, 1), rect(20, 10));
    EXPECT_EQ(rr(3.5f, 20.0f, 5), rect(3, 20));
    EXPECT_EQ(rr(12.0f, 40.0f, 10), rr(12.0f, 40.0f, 6));
    EXPECT_NE(rr(12.0f, 40.0f, 6), rr(12.0f, 40.0f, 5));
    // The outline spans x..x + w and y..y + h.
    ZeroBitmap bm(50, 50);
    RAST_RoundRect(&bm, 2.0f, 3.0f, 20.0f, 10.0f, 4, kColour, 1.0f, 0, false);
    const PixelSet s = changedPixels(bm);
    EXPECT_EQ(s.begin()->first, 2);
    EXPECT_EQ(s.rbegin()->first, 22);
    EXPECT_EQ(s.count({12, 3}), 1u);
    EXPECT_EQ(s.count({12, 13}), 1u);
    EXPECT_EQ(s.count({2, 3}), 0u);
}
