#include "GuardedBitmap.h"

#include "kit/rast/RAST_Polygon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace {

// The pixels filled, each at most once.
template <class Draw> PixelSet filled(int w, int h, Draw draw, bool flipped = false) {
    GuardedBitmap bm(w, h, flipped);
    draw(&bm);
    EXPECT_TRUE(bm.guardsIntact());
    EXPECT_LE(maxCount(bm), 1);
    return changedPixels(bm);
}
PixelSet trapezoid(int x1a, int x1b, int y1, int x2a, int x2b, int y2) {
    return filled(30, 10, [&](RAST_IBitmap* bm) {
        RAST_FillTrapezoid(bm, x1a, x1b, y1, x2a, x2b, y2, kCountColour, 1.0f, kAdd);
    });
}
PixelSet polygon(const std::vector<int>& x, const std::vector<int>& y, bool flipped = false) {
    const auto draw = [&](RAST_IBitmap* bm) {
        RAST_FillConvexPolygon(bm, x.data(), y.data(), int(x.size()), kCountColour, 1.0f, kAdd);
    };
    return filled(20, 20, draw, flipped);
}

} // namespace

TEST(Trapezoid, RowsAndEdgesInSixteenSixteen) {
    // One row takes its first x pair.
    EXPECT_EQ(trapezoid(5, 2, 3, 0, 9, 3), box(2, 5, 3, 3));
    // The left edge moves 218453 / 65536 a row: 0, 3, 6, 9 instead of reaching 10.
    const PixelSet expected = rows(
        0, 3, [](int y) { return int(y * 218453LL / 65536); }, [](int) { return 20; });
    EXPECT_EQ(trapezoid(0, 20, 0, 10, 20, 3), expected);
    EXPECT_EQ(trapezoid(10, 20, 3, 0, 20, 0), expected);
    EXPECT_TRUE(trapezoid(-5, -1, 0, -9, -2, 9).empty());
    EXPECT_TRUE(trapezoid(30, 32, 0, 31, 40, 9).empty());
    EXPECT_EQ(trapezoid(INT_MIN, INT_MAX, INT_MIN, INT_MIN, INT_MAX, INT_MAX).size(), 300u);

    // Rows above the bitmap are skipped as if walked; far above, in 64 bits: from x = -10^9
    // on row -10^9 to x = 10^9 on row 10^9, row 0 starts at trunc(10^9 x step / 65536) - 10^9.
    GuardedBitmap whole(40, 30), cut(40, 20), far(10, 3);
    RAST_FillTrapezoid(&whole, 3, 8, 0, 30, 31, 25, kCountColour, 1.0f, kAdd);
    RAST_FillTrapezoid(&cut, 3, 8, -6, 30, 31, 19, kCountColour, 1.0f, kAdd);
    EXPECT_TRUE(pictureIs(cut, [&](int x, int y) { return whole.at(x, y + 6); }));
    const int big = 1000000000;
    RAST_FillTrapezoid(&far, -big, 9, -big, big, 9, big, kCountColour, 1.0f, kAdd);
    const int64_t start = -big + int64_t(65536.0 * big / big) * big / 65536;
    EXPECT_EQ(changedPixels(far), box(int(start), 9, 0, 2));
}

TEST(Trapezoid, CopyAtQuarterWeightsMixesWords) {
    const auto fill = [](float alpha, RAST_pixel old, int times = 1) {
        GuardedBitmap bm(1, 1, false, old);
        for (int i = 0; i < times; ++i)
            RAST_FillTrapezoid(&bm, 0, 0, 0, 0, 0, 0, P(254, 254, 254, 254), alpha, 0);
        return bm.at(0, 0);
    };
    EXPECT_EQ(fill(0.5f, 0, 2), P(190, 190, 190, 190)); // 127, then 190
    EXPECT_EQ(fill(0.25f, P(100, 100, 100, 100)), P(138, 138, 138, 138));
    EXPECT_EQ(fill(0.75f, P(100, 100, 100, 100)), P(215, 215, 215, 215));
    EXPECT_EQ(fill(0.3f, P(100, 100, 100, 100)), P(146, 146, 146, 146)); // byte-wise copy
    EXPECT_EQ(fill(0.0f, 7), 7u);
}

TEST(Polygon, ConvexPolygonsInAnyOrder) {
    // Two bands: rows 0-5 against the upper right edge, rows 6-10 against the lower one.
    const PixelSet triangle = rows(
        0, 10, [](int) { return 0; }, [](int y) { return y <= 5 ? 2 * y : 20 - 2 * y; });
    EXPECT_EQ(polygon({0, 10, 0}, {0, 5, 10}), triangle);
    EXPECT_EQ(filled(20, 20,
                     [](RAST_IBitmap* bm) {
                         RAST_FillTriangle(bm, 0, 10, 10, 5, 0, 0, kCountColour, 1.0f, kAdd);
                     }),
              triangle);
    std::vector<int> x{2, 9, 14, 11, 3}, y{1, 0, 6, 13, 9};
    const PixelSet pentagon = polygon(x, y);
    EXPECT_EQ(polygon({3, 11, 9, 14, 2}, {9, 13, 0, 6, 1}), pentagon);
    // Points that are not a convex polygon fill their hull: a star, a bow tie touching itself.
    EXPECT_EQ(polygon({10, 12, 19, 13, 15, 10, 5, 7, 1, 8}, {1, 7, 8, 11, 18, 14, 18, 11, 8, 7}),
              polygon({10, 19, 15, 5, 1}, {1, 8, 18, 18, 8}));
    EXPECT_EQ(polygon({0, 10, 5, 10, 0, 5}, {0, 0, 5, 10, 10, 5}).size(), 121u);
    // A flipped bitmap's memory holds the polygon of the mirrored rows.
    PixelSet mirrored;
    for (const auto& [px, py] : polygon(x, y, true))
        mirrored.insert({px, 19 - py});
    std::transform(y.begin(), y.end(), y.begin(), [](int v) { return 19 - v; });
    EXPECT_EQ(mirrored, polygon(x, y));
}

TEST(Polygon, DegenerateFarAndManyPoints) {
    EXPECT_TRUE(polygon({1, 5}, {1, 5}).empty());
    EXPECT_EQ(polygon({7, 2, 4}, {3, 3, 3}), box(2, 7, 3, 3));
    EXPECT_TRUE(polygon({-7, -2, -4}, {3, 3, 3}).empty());
    EXPECT_EQ(polygon({0, 3, 6}, {0, 3, 6}).size(), 7u);
    EXPECT_EQ(polygon({1, 1, 8, 8, 1}, {1, 1, 2, 2, 6}), polygon({1, 8, 1}, {1, 2, 6}));
    EXPECT_EQ(polygon({INT_MIN, INT_MAX, INT_MIN}, {INT_MIN, 0, INT_MAX}).size(), 400u);
    // 513 points take the heap; any order gives the same pixels.
    std::vector<int> x, y;
    for (int i = 0; i < 513; ++i) {
        x.push_back(int(std::lround(10 + 9 * std::cos(2 * M_PI * i / 513))));
        y.push_back(int(std::lround(10 + 9 * std::sin(2 * M_PI * i / 513))));
    }
    const PixelSet round = polygon(x, y);
    std::reverse(x.begin(), x.end());
    std::reverse(y.begin(), y.end());
    EXPECT_EQ(polygon(x, y), round);
    EXPECT_GT(round.size(), 250u);
}

TEST(DrawRect, OutlineCornersTwiceAndBorderedInside) {
    GuardedBitmap bm(10, 10), b(10, 10);
    RAST_DrawRect(&bm, 1, 2, 5, 3, kCountColour, 1.0f, kAdd);
    EXPECT_EQ(changedPixels(bm).size(), 16u);
    EXPECT_EQ(RAST_GetRed(bm.at(1, 2)), 2);
    EXPECT_EQ(RAST_GetRed(bm.at(3, 2)), 1);
    const RAST_pixel bg = P(1, 2, 3, 4), fg = P(9, 8, 7, 6);
    RAST_BorderedRect(&b, 1, 2, 5, 3, bg, fg, 1.0f, 0);
    EXPECT_TRUE(pictureIs(b, [&](int x, int y) {
        const bool outline = (x == 1 || x == 6) && y >= 2 && y <= 5;
        const bool edge = (y == 2 || y == 5) && x >= 1 && x <= 6;
        return outline || edge ? fg : x > 1 && x < 6 && y > 2 && y < 5 ? bg : 0;
    }));
}
