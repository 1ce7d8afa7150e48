#include "ShapeTestUtil.h"

#include "kit/rast/RAST_Polygon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

namespace {

const RAST_pixel kColour = P(254, 254, 254, 254);

PixelSet trapezoid(int w, int h, int x1a, int x1b, int y1, int x2a, int x2b, int y2) {
    ZeroBitmap bm(w, h);
    RAST_FillTrapezoid(&bm, x1a, x1b, y1, x2a, x2b, y2, kCountColour, 1.0f, kAdd);
    EXPECT_TRUE(bm.guardsIntact());
    EXPECT_LE(maxCount(bm), 1);
    return changedPixels(bm);
}

PixelSet polygon(int w, int h, const std::vector<int>& x, const std::vector<int>& y,
                 bool flipped = false) {
    ZeroBitmap bm(w, h, flipped);
    RAST_FillConvexPolygon(&bm, x.data(), y.data(), int(x.size()), kCountColour, 1.0f, kAdd);
    EXPECT_TRUE(bm.guardsIntact());
    EXPECT_LE(maxCount(bm), 1);
    return changedPixels(bm);
}

PixelSet rows(int y1, int y2, int (*from)(int), int (*to)(int)) {
    PixelSet s;
    for (int y = y1; y <= y2; ++y)
        for (int x = from(y); x <= to(y); ++x)
            s.insert({x, y});
    return s;
}

} // namespace

TEST(Trapezoid, OneRowTakesItsFirstXPair) {
    EXPECT_EQ(trapezoid(10, 10, 2, 5, 3, 0, 9, 3),
              rows(
                  3, 3, [](int) { return 2; }, [](int) { return 5; }));
    EXPECT_EQ(trapezoid(10, 10, 5, 2, 3, 0, 9, 3), trapezoid(10, 10, 2, 5, 3, 7, 7, 3));
}

TEST(Trapezoid, EdgesStepInSixteenSixteen) {
    // The left edge moves 218453 / 65536 a row: 0, 3, 6, 9 instead of reaching 10.
    const PixelSet expected = rows(
        0, 3, [](int y) { return int(int64_t(y) * 218453 / 65536); }, [](int) { return 20; });
    EXPECT_EQ(trapezoid(30, 10, 0, 20, 0, 10, 20, 3), expected);
    EXPECT_EQ(trapezoid(30, 10, 10, 20, 3, 0, 20, 0), expected);
}

TEST(Trapezoid, RowsAboveAreSkippedAsIfWalked) {
    // The band from row -6 on a bitmap equals the lower part of the same band drawn whole.
    ZeroBitmap whole(40, 30), cut(40, 20);
    RAST_FillTrapezoid(&whole, 3, 8, 0, 30, 31, 25, kColour, 1.0f, 0);
    RAST_FillTrapezoid(&cut, 3, 8, -6, 30, 31, 19, kColour, 1.0f, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(cut.at(x, y), whole.at(x, y + 6)) << x << "," << y;
    // Far above: the skip holds in 64 bits. The left edge runs from x = -10^9 on row -10^9 to
    // x = 10^9 on row 10^9, so row 0 starts at trunc(10^9 x step / 65536) - 10^9.
    ZeroBitmap far(10, 3);
    const int big = 1000000000;
    RAST_FillTrapezoid(&far, -big, 9, -big, big, 9, big, kCountColour, 1.0f, kAdd);
    const int64_t step = int64_t(2.0 * big * (65536.0 / (2.0 * big)));
    const int64_t start = -big + step * big / 65536;
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(far.at(x, 0) != 0, x >= start) << x;
    EXPECT_TRUE(far.guardsIntact());
}

TEST(Trapezoid, OffTheBitmapDrawsNothing) {
    EXPECT_TRUE(trapezoid(10, 10, -5, -1, 0, -9, -2, 9).empty());
    EXPECT_TRUE(trapezoid(10, 10, 10, 12, 0, 11, 20, 9).empty());
    EXPECT_TRUE(trapezoid(10, 10, 0, 9, -9, 0, 9, -1).empty());
    EXPECT_TRUE(trapezoid(10, 10, 0, 9, 10, 0, 9, 19).empty());
    EXPECT_EQ(trapezoid(10, 10, INT_MIN, INT_MAX, INT_MIN, INT_MIN, INT_MAX, INT_MAX).size(), 100u);
}

TEST(Trapezoid, CopyAtQuarterStepsMixesWords) {
    const auto fill = [](float alpha, RAST_pixel old, int times = 1) {
        GuardedBitmap bm(1, 1);
        bm.fill([](int, int) { return RAST_pixel(0); });
        bm.at(0, 0) = old;
        for (int i = 0; i < times; ++i)
            RAST_FillTrapezoid(&bm, 0, 0, 0, 0, 0, 0, kColour, alpha, 0);
        return bm.at(0, 0);
    };
    EXPECT_EQ(fill(0.5f, 0), P(127, 127, 127, 127));
    EXPECT_EQ(fill(0.5f, 0, 2), P(190, 190, 190, 190));
    EXPECT_EQ(fill(0.25f, P(100, 100, 100, 100)), P(138, 138, 138, 138));
    EXPECT_EQ(fill(0.75f, P(100, 100, 100, 100)), P(215, 215, 215, 215));
    EXPECT_EQ(fill(1.0f, 0), kColour);
    // 0.3 is weight 76: the byte-wise copy.
    EXPECT_EQ(fill(0.3f, P(100, 100, 100, 100)), P(146, 146, 146, 146));
    EXPECT_EQ(fill(0.0f, 7), 7u);
}

TEST(Polygon, TriangleIsTwoBandsWithEachRowOnce) {
    // Rows 0-5 against the upper right edge, rows 6-10 against the lower one.
    const PixelSet expected = rows(
        0, 10, [](int) { return 0; }, [](int y) { return y <= 5 ? 2 * y : 20 - 2 * y; });
    EXPECT_EQ(polygon(20, 20, {0, 10, 0}, {0, 5, 10}), expected);
    ZeroBitmap bm(20, 20);
    RAST_FillTriangle(&bm, 0, 10, 10, 5, 0, 0, kCountColour, 1.0f, kAdd);
    EXPECT_EQ(changedPixels(bm), expected);
}

TEST(Polygon, VertexOrderDoesNotMatterAndConcavePointsFillTheirHull) {
    std::vector<int> x{2, 9, 14, 11, 3}, y{1, 0, 6, 13, 9};
    const PixelSet convex = polygon(16, 16, x, y);
    std::mt19937 rng(3);
    for (int i = 0; i < 10; ++i) {
        std::vector<int> order{0, 1, 2, 3, 4};
        std::shuffle(order.begin(), order.end(), rng);
        std::vector<int> sx, sy;
        for (int k : order)
            sx.push_back(x[k]), sy.push_back(y[k]);
        ASSERT_EQ(polygon(16, 16, sx, sy), convex);
    }
    // A point inside the pentagon changes nothing.
    x.push_back(8), y.push_back(7);
    EXPECT_EQ(polygon(16, 16, x, y), convex);
    // A star fills its hull.
    EXPECT_EQ(
        polygon(20, 20, {10, 12, 19, 13, 15, 10, 5, 7, 1, 8}, {1, 7, 8, 11, 18, 14, 18, 11, 8, 7}),
        polygon(20, 20, {10, 19, 15, 5, 1}, {1, 8, 18, 18, 8}));
}

TEST(Polygon, DegenerateInput) {
    EXPECT_TRUE(polygon(10, 10, {1, 5}, {1, 5}).empty());
    // All on one row: one span; left of the bitmap nothing.
    EXPECT_EQ(polygon(10, 10, {7, 2, 4}, {3, 3, 3}),
              rows(
                  3, 3, [](int) { return 2; }, [](int) { return 7; }));
    EXPECT_TRUE(polygon(10, 10, {-7, -2, -4}, {3, 3, 3}).empty());
    // Collinear points make a line; repeated points change nothing.
    EXPECT_EQ(polygon(10, 10, {0, 3, 6}, {0, 3, 6}).size(), 7u);
    EXPECT_EQ(polygon(10, 10, {1, 1, 8, 8, 1}, {1, 1, 2, 2, 6}),
              polygon(10, 10, {1, 8, 1}, {1, 2, 6}));
    // Touching itself at one vertex.
    EXPECT_EQ(polygon(12, 12, {0, 10, 5, 10, 0, 5}, {0, 0, 5, 10, 10, 5}).size(), 121u);
    // The far corners of the int range.
    EXPECT_EQ(polygon(10, 10, {INT_MIN, INT_MAX, INT_MIN}, {INT_MIN, 0, INT_MAX}).size(), 100u);
}

TEST(Polygon, FlippedBitmapsMirrorTheRows) {
    ZeroBitmap flipped(12, 12, true), plain(12, 12);
    const int x[] = {1, 10, 4}, y[] = {1, 3, 9}, my[] = {10, 8, 2};
    RAST_FillConvexPolygon(&flipped, x, y, 3, kColour, 1.0f, 0);
    RAST_FillConvexPolygon(&plain, x, my, 3, kColour, 1.0f, 0);
    EXPECT_EQ(std::vector<RAST_pixel>(flipped.getBits(), flipped.getBits() + 12 * 18),
              std::vector<RAST_pixel>(plain.getBits(), plain.getBits() + 12 * 18));
}

TEST(Polygon, ManyPointsTakeTheHeapAndStillIgnoreOrder) {
    std::vector<int> x, y;
    for (int i = 0; i < 513; ++i) {
        const double t = 2 * M_PI * i / 513;
        x.push_back(int(std::lround(30 + 25 * std::cos(t))));
        y.push_back(int(std::lround(30 + 25 * std::sin(t))));
    }
    const PixelSet round = polygon(60, 60, x, y);
    std::reverse(x.begin(), x.end());
    std::reverse(y.begin(), y.end());
    EXPECT_EQ(polygon(60, 60, x, y), round);
    EXPECT_GT(round.size(), 1900u);
}

TEST(Polygon, RandomConvexPolygonsCombineEachPixelOnce) {
    std::mt19937 rng(5);
    for (int i = 0; i < 300; ++i) {
        std::vector<int> x, y;
        const int n = 3 + int(rng() % 8);
        for (int k = 0; k < n; ++k)
            x.push_back(int(rng() % 40) - 10), y.push_back(int(rng() % 40) - 10);
        polygon(20, 20, x, y, rng() % 2);
    }
}

TEST(DrawRect, CornersAreCombinedTwice) {
    ZeroBitmap bm(10, 10);
    RAST_DrawRect(&bm, 1, 2, 5, 3, kCountColour, 1.0f, kAdd);
    EXPECT_EQ(changedPixels(bm).size(), 16u);
    for (const auto& [x, y] : changedPixels(bm)) {
        const bool corner = (x == 1 || x == 6) && (y == 2 || y == 5);
        EXPECT_EQ(RAST_GetRed(bm.at(x, y)), corner ? 2 : 1) << x << "," << y;
    }
}

TEST(DrawRect, BorderedRectFillsInsideTheOutline) {
    ZeroBitmap bm(10, 10);
    const RAST_pixel bg = P(1, 2, 3, 4), fg = P(9, 8, 7, 6);
    RAST_BorderedRect(&bm, 1, 2, 5, 3, bg, fg, 1.0f, 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inX = x >= 1 && x <= 6, inY = y >= 2 && y <= 5;
            const bool edge = inX && inY && (x == 1 || x == 6 || y == 2 || y == 5);
            EXPECT_EQ(bm.at(x, y), edge ? fg : inX && inY ? bg : 0u) << x << "," << y;
        }
}
