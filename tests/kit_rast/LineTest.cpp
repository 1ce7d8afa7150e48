#include "ShapeTestUtil.h"

#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Line.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <limits>
#include <random>

namespace {

const RAST_pixel kColour = P(200, 200, 200, 200);

PixelSet line(int w, int h, int x1, int y1, int x2, int y2, bool aa = false) {
    ZeroBitmap bm(w, h);
    RAST_Line(&bm, x1, y1, x2, y2, kCountColour, 1.0f, kAdd, aa);
    EXPECT_TRUE(bm.guardsIntact());
    return changedPixels(bm);
}

RAST_pixel background(int x, int y) {
    return P(13 * x + 7 * y, 99 + x, 255 - 3 * y, 40 + x + y);
}

} // namespace

TEST(Line, EndPointsIncludedAndEachPixelOnce) {
    EXPECT_EQ(line(10, 10, 4, 3, 4, 3), (PixelSet{{4, 3}}));
    EXPECT_EQ(line(12, 3, 0, 0, 9, 0).size(), 10u);
    // Every shape: exactly max(|dx|, |dy|) + 1 pixels, each combined once.
    std::mt19937 rng(7);
    for (int i = 0; i < 500; ++i) {
        const int x1 = rng() % 20, y1 = rng() % 20, x2 = rng() % 20, y2 = rng() % 20;
        ZeroBitmap bm(20, 20);
        RAST_Line(&bm, x1, y1, x2, y2, kCountColour, 1.0f, kAdd, false);
        ASSERT_EQ(maxCount(bm), 1);
        ASSERT_EQ(changedPixels(bm).size(),
                  size_t(std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1));
        ASSERT_EQ(changedPixels(bm).count({x1, y1}), 1u);
        ASSERT_EQ(changedPixels(bm).count({x2, y2}), 1u);
    }
}

TEST(Line, GeneralLinesRoundTiesAcrossAndIgnoreDirection) {
    const PixelSet expected{{0, 0}, {1, 1}, {2, 1}};
    EXPECT_EQ(line(4, 4, 0, 0, 2, 1), expected);
    EXPECT_EQ(line(4, 4, 2, 1, 0, 0), expected);
    EXPECT_EQ(line(4, 4, 0, 1, 2, 0), (PixelSet{{0, 1}, {1, 0}, {2, 0}}));
    EXPECT_EQ(line(4, 6, 0, 0, 1, 4), (PixelSet{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}}));
}

TEST(Line, ClipsWithTheCrossingTakenPastTheLastRow) {
    int x1 = 0, y1 = 0, x2 = 10, y2 = 20;
    ASSERT_TRUE(ClipLine(&x1, &y1, &x2, &y2, 10, 10));
    EXPECT_EQ((std::array{x1, y1, x2, y2}), (std::array{0, 0, 5, 9}));
    x1 = -5, y1 = 5, x2 = 20, y2 = 5;
    ASSERT_TRUE(ClipLine(&x1, &y1, &x2, &y2, 10, 10));
    EXPECT_EQ((std::array{x1, y1, x2, y2}), (std::array{0, 5, 9, 5}));
    EXPECT_EQ(line(10, 10, -5, 5, 20, 5).size(), 10u);
    // Wholly outside, on an empty bitmap, and at the far ends of the int range.
    x1 = -5, y1 = -1, x2 = 20, y2 = -8;
    EXPECT_FALSE(ClipLine(&x1, &y1, &x2, &y2, 10, 10));
    EXPECT_TRUE(line(0, 5, 0, 0, 3, 3).empty());
    EXPECT_EQ(line(10, 10, INT_MIN, INT_MIN, INT_MAX, INT_MAX).size(), 10u);
    x1 = INT_MIN, y1 = 3, x2 = INT_MAX, y2 = 3;
    ASSERT_TRUE(RAST_ClipLine(&x1, &y1, &x2, &y2, INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    EXPECT_EQ((std::array{x1, y1, x2, y2}), (std::array{INT_MIN, 3, INT_MAX - 1, 3}));
}

TEST(Line, ClipLineToARectangleWritesBackEvenWhenOutside) {
    int x1 = 0, y1 = 0, x2 = 30, y2 = 0;
    ASSERT_TRUE(RAST_ClipLine(&x1, &y1, &x2, &y2, 10, -5, 20, 5));
    EXPECT_EQ((std::array{x1, y1, x2, y2}), (std::array{10, 0, 19, 0}));
    x1 = 0, y1 = 0, x2 = 8, y2 = 40;
    EXPECT_FALSE(RAST_ClipLine(&x1, &y1, &x2, &y2, 10, 0, 20, 50));
    EXPECT_EQ((std::array{x1, y1, x2, y2}), (std::array{0, 0, 8, 40}));
    // The first point, moved onto the left edge, lands below the rectangle like the second.
    x1 = 0, y1 = 0, x2 = 30, y2 = 30;
    EXPECT_FALSE(RAST_ClipLine(&x1, &y1, &x2, &y2, 10, 0, 20, 5));
    EXPECT_EQ((std::array{x1, y1, x2, y2}), (std::array{10, 10, 30, 30}));
}

TEST(Line, FlippedBitmapsCountRowsFromTheBottom) {
    ZeroBitmap bm(5, 4, true);
    RAST_Line(&bm, 0, 0, 4, 0, kColour, 1.0f, 0, false);
    EXPECT_EQ(bm.getBits()[3 * bm.getRowSpan()], kColour);
    EXPECT_EQ(changedPixels(bm).size(), 5u);
    EXPECT_EQ(bm.at(2, 0), kColour);
}

TEST(Line, AlphaAndModeChooseTheCombination) {
    const auto one = [](float alpha, int mode, RAST_pixel old = P(10, 21, 33, 255)) {
        GuardedBitmap bm(3, 1);
        bm.fill([](int, int) { return RAST_pixel(0); });
        bm.at(1, 0) = old;
        RAST_Line(&bm, 1, 0, 1, 0, kColour, alpha, mode, false);
        return bm.at(1, 0);
    };
    EXPECT_EQ(one(0.0f, 0), P(10, 21, 33, 255));
    EXPECT_EQ(one(0.003f, 0), P(10, 21, 33, 255));
    EXPECT_EQ(one(0.004f, 0, 0), P(1, 1, 1, 1));
    EXPECT_EQ(one(1.0f, 0x10000), kColour);
    EXPECT_EQ(one(1.0f, 0xF0), P(10, 21, 33, 255));
    EXPECT_EQ(one(1.0f, 6), P(10, 21, 33, 255));
    // Exactly 0.5 mixes whole words (odd low bits lost on both sides); weight 128 reached from
    // 0.501 averages each byte.
    EXPECT_EQ(one(0.5f, 0), P(105, 110, 116, 227));
    EXPECT_EQ(one(0.501f, 0), P(105, 110, 116, 227));
    EXPECT_EQ(one(0.5f, 0, P(11, 21, 33, 255)), P(105, 110, 116, 227));
    EXPECT_EQ(one(0.501f, 0, P(11, 21, 33, 255)), P(105, 110, 116, 227));
    EXPECT_EQ(one(0.5f, 0, P(11, 21, 33, 255)), one(0.5f, 0, P(10, 20, 32, 254)));
    EXPECT_EQ(one(0.25f, 0, 0), P(50, 50, 50, 50));
    EXPECT_EQ(one(0.75f, 0, 0), P(150, 150, 150, 150));
    // Alpha is held within 0..1.
    EXPECT_EQ(one(2.0f, 0), kColour);
    EXPECT_EQ(one(-1.0f, 1), P(10, 21, 33, 255));
    EXPECT_EQ(one(std::numeric_limits<float>::quiet_NaN(), 1), P(10, 21, 33, 255));
    EXPECT_EQ(one(1.0f, kAdd), P(210, 221, 233, 255));
}

TEST(Line, HalfMixDiffersFromWordMixOnOddBytes) {
    const auto row = [](float alpha) {
        GuardedBitmap bm(2, 1);
        bm.fill([](int, int) { return P(11, 21, 33, 255); });
        RAST_Line(&bm, 0, 0, 1, 0, P(201, 200, 201, 201), alpha, 0, false);
        return bm.at(1, 0);
    };
    EXPECT_EQ(row(0.5f), P(105, 110, 116, 227));
    EXPECT_EQ(row(0.501f), P(106, 110, 117, 228));
}

TEST(Line, AntialiasingLeavesStraightLinesAlone) {
    for (bool aa : {false, true}) {
        EXPECT_EQ(line(10, 10, 1, 2, 8, 2, aa).size(), 8u);
        EXPECT_EQ(line(10, 10, 3, 9, 3, 0, aa).size(), 10u);
    }
}

TEST(Line, AntialiasedDiagonalAtFullAlpha) {
    ZeroBitmap bm(6, 6);
    RAST_Line(&bm, 1, 1, 4, 4, kColour, 1.0f, 0, true);
    ASSERT_TRUE(bm.guardsIntact());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool diagonal = x == y && x >= 1 && x <= 4;
            const bool side = std::abs(x - y) == 1 && std::min(x, y) >= 1 && std::max(x, y) <= 4;
            EXPECT_EQ(bm.at(x, y), diagonal ? P(150, 150, 150, 150)
                                   : side   ? P(50, 50, 50, 50)
                                            : 0u)
                << x << "," << y;
        }
    // Other alphas go through the copy operation at 3/4 and 1/4 of the weight.
    ZeroBitmap half(3, 3);
    RAST_Line(&half, 0, 2, 2, 0, kColour, 0.5f, 0, true);
    EXPECT_EQ(half.at(1, 1), P(75, 75, 75, 75));
    EXPECT_EQ(half.at(1, 2), P(25, 25, 25, 25));
}

TEST(Line, AntialiasedGeneralLineSharesEachStepBetweenTwoPixels) {
    const RAST_pixel white = 0xFFFFFFFF;
    ZeroBitmap bm(3, 2);
    RAST_Line(&bm, 0, 0, 2, 1, white, 1.0f, 0, true);
    EXPECT_EQ(bm.at(0, 0), white);
    EXPECT_EQ(bm.at(2, 1), white);
    // Copy at weights 127 and 128: 255 - 255 x 129 / 256 and 255 - 255 x 128 / 256.
    EXPECT_EQ(bm.at(1, 0), P(127, 127, 127, 127));
    EXPECT_EQ(bm.at(1, 1), P(128, 128, 128, 128));
    EXPECT_EQ(bm.at(0, 1), 0u);
    EXPECT_EQ(bm.at(2, 0), 0u);
}

// Within the bitmap; the clip truncates toward the first point, so a cut end may differ.
TEST(Line, AntialiasedLinesAreTheSameEitherWay) {
    std::mt19937 rng(11);
    for (int i = 0; i < 400; ++i) {
        const int x1 = int(rng() % 20), y1 = int(rng() % 20);
        const int x2 = int(rng() % 20), y2 = int(rng() % 20);
        const int mode = int(rng() % 6);
        const float alpha = (rng() % 257) / 256.0f;
        GuardedBitmap a(20, 20), b(20, 20);
        a.fill(background);
        b.fill(background);
        RAST_Line(&a, x1, y1, x2, y2, kColour, alpha, mode, true);
        RAST_Line(&b, x2, y2, x1, y1, kColour, alpha, mode, true);
        ASSERT_EQ(a.picture(), b.picture()) << x1 << "," << y1 << " " << x2 << "," << y2;
        ASSERT_TRUE(a.guardsIntact());
    }
}

TEST(FLine, WithoutAntialiasingTruncatesToTheIntegerLine) {
    ZeroBitmap a(12, 3), b(12, 3);
    RAST_FLine(&a, 0.9f, 0.9f, 10.9f, 0.9f, kColour, 1.0f, 0, false);
    RAST_Line(&b, 0, 0, 10, 0, kColour, 1.0f, 0, false);
    EXPECT_EQ(a.picture(), b.picture());
    EXPECT_EQ(changedPixels(a).size(), 11u);
}

TEST(FLine, AntialiasedOnPixelCentresIsCrisp) {
    ZeroBitmap bm(12, 4);
    RAST_FLine(&bm, 1.0f, 2.0f, 9.0f, 2.0f, kColour, 1.0f, 0, true);
    ASSERT_TRUE(bm.guardsIntact());
    PixelSet row;
    for (int x = 1; x <= 9; ++x)
        row.insert({x, 2});
    EXPECT_EQ(changedPixels(bm), row);
    for (int x = 1; x <= 9; ++x)
        EXPECT_EQ(bm.at(x, 2), kColour);
    // Half way between rows, both neighbours share the weight.
    ZeroBitmap half(12, 4);
    RAST_FLine(&half, 1.0f, 1.5f, 9.0f, 1.5f, kCountColour, 1.0f, 0, true);
    EXPECT_EQ(RAST_GetRed(half.at(5, 1)), 1);
    EXPECT_EQ(half.at(5, 1), half.at(5, 2));
}

TEST(FLine, EndingOnTheLastColumnIsClippedOneShort) {
    float x1 = 2.0f, y1 = 1.0f, x2 = 9.0f, y2 = 1.0f;
    ASSERT_TRUE(ClipFLine(&x1, &y1, &x2, &y2, 10, 5));
    EXPECT_EQ(x2, 8.0f);
    ZeroBitmap bm(10, 5);
    RAST_FLine(&bm, 2.0f, 1.0f, 9.0f, 1.0f, kColour, 1.0f, 0, true);
    EXPECT_EQ(bm.at(8, 1), kColour);
    EXPECT_EQ(bm.at(9, 1), 0u);
    float a = 1, b = 1, c = 5, d = 1;
    ASSERT_TRUE(RAST_ClipFLine(&a, &b, &c, &d, 2.0f, 0.0f, 6.0f, 3.0f));
    EXPECT_EQ((std::array{a, b, c, d}), (std::array{2.0f, 1.0f, 4.0f, 1.0f}));
}

TEST(FLine, NonFiniteOrFarOffPointsAreSafe) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float points[][4] = {{nan, 1, 5, 5},
                               {1, 1, inf, 5},
                               {-inf, -inf, inf, inf},
                               {-3e38f, 2, 3e38f, 3},
                               {1e30f, -1e30f, -1e30f, 1e30f}};
    for (const auto& p : points)
        for (bool aa : {false, true}) {
            ZeroBitmap bm(9, 7);
            RAST_FLine(&bm, p[0], p[1], p[2], p[3], kColour, 1.0f, 0, aa);
            EXPECT_TRUE(bm.guardsIntact());
        }
}

TEST(DashedLine, DashesFromTheFirstEndAndNeverTheLastPixel) {
    const auto dashed = [](int x1, int y1, int x2, int y2, int dash, int gap) {
        ZeroBitmap bm(12, 12);
        RAST_DashedLine(&bm, x1, y1, x2, y2, dash, gap, kCountColour, 1.0f, kAdd, false);
        EXPECT_TRUE(bm.guardsIntact());
        EXPECT_LE(maxCount(bm), 1);
        return changedPixels(bm);
    };
    EXPECT_EQ(dashed(0, 3, 10, 3, 2, 2),
              (PixelSet{{0, 3}, {1, 3}, {4, 3}, {5, 3}, {8, 3}, {9, 3}}));
    EXPECT_EQ(dashed(10, 3, 0, 3, 2, 2), dashed(0, 3, 10, 3, 2, 2));
    EXPECT_EQ(dashed(2, 0, 2, 6, 1, 1), (PixelSet{{2, 0}, {2, 2}, {2, 4}}));
    EXPECT_EQ(dashed(2, 0, 2, 5, 1, 1), (PixelSet{{2, 0}, {2, 2}, {2, 4}}));
    EXPECT_TRUE(dashed(0, 0, 5, 5, 2, 2).empty());
    EXPECT_TRUE(dashed(4, 4, 4, 4, 2, 2).empty());
    // Patterns that would not advance draw nothing instead of looping.
    EXPECT_TRUE(dashed(0, 3, 10, 3, 0, 0).empty());
    EXPECT_TRUE(dashed(0, 3, 10, 3, 5, -5).empty());
    EXPECT_TRUE(dashed(0, 3, 10, 3, -1, 1).empty());
    EXPECT_EQ(dashed(0, 3, 10, 3, INT_MAX, INT_MAX).size(), 10u);
    EXPECT_TRUE(dashed(0, 3, 10, 3, INT_MIN, INT_MAX).empty());
    // The vertical 1-1 pattern at full alpha writes the colour word.
    ZeroBitmap bm(3, 5);
    RAST_DashedLine(&bm, 1, 0, 1, 4, 1, 1, kColour, 1.0f, 0, false);
    EXPECT_EQ(bm.at(1, 0), kColour);
    EXPECT_EQ(bm.at(1, 1), 0u);
    EXPECT_EQ(bm.at(1, 2), kColour);
}
