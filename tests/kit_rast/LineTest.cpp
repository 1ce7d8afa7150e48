#include "GuardedBitmap.h"

#include "kit/rast/RAST_Line.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <random>

namespace {

const RAST_pixel kColour = P(200, 200, 200, 200);

PixelSet line(int w, int h, int x1, int y1, int x2, int y2) {
    GuardedBitmap bm(w, h);
    RAST_Line(&bm, x1, y1, x2, y2, kCountColour, 1.0f, kAdd, false);
    EXPECT_TRUE(bm.guardsIntact());
    EXPECT_LE(maxCount(bm), 1);
    return changedPixels(bm);
}

std::array<int, 4> clipped(int x1, int y1, int x2, int y2, int w, int h, bool inside = true) {
    EXPECT_EQ(ClipLine(&x1, &y1, &x2, &y2, w, h), inside);
    return {x1, y1, x2, y2};
}

} // namespace

// Plain lines combine max(|dx|, |dy|) + 1 pixels once each; antialiased ones are the same
// drawn either way (within the bitmap: a clip truncates toward the first point).
TEST(Line, RandomLinesCombineEachPixelOnceAndEitherWayAlike) {
    std::mt19937 rng(7);
    const auto background = [](int x, int y) { return P(13 * x, 99 + x, 255 - 3 * y, 40 + y); };
    for (int i = 0; i < 500; ++i) {
        const int x1 = rng() % 20, y1 = rng() % 20, x2 = rng() % 20, y2 = rng() % 20;
        const PixelSet s = line(20, 20, x1, y1, x2, y2);
        ASSERT_EQ(s.size(), size_t(std::max(std::abs(x2 - x1), std::abs(y2 - y1)) + 1));
        ASSERT_TRUE(s.count({x1, y1}) && s.count({x2, y2}));
        const int mode = rng() % 6;
        const float alpha = (rng() % 257) / 256.0f;
        GuardedBitmap a(20, 20), b(20, 20);
        a.fill(background);
        b.fill(background);
        RAST_Line(&a, x1, y1, x2, y2, kColour, alpha, mode, true);
        RAST_Line(&b, x2, y2, x1, y1, kColour, alpha, mode, true);
        ASSERT_EQ(a.picture(), b.picture()) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
    // The position k steps from either end lies nearest to k x slope across; a tie moves
    // across, and the walk starts at the smaller major coordinate whichever end is first.
    EXPECT_EQ(line(4, 4, 0, 0, 2, 1), (PixelSet{{0, 0}, {1, 1}, {2, 1}}));
    EXPECT_EQ(line(4, 4, 2, 1, 0, 0), (PixelSet{{0, 0}, {1, 1}, {2, 1}}));
    EXPECT_EQ(line(4, 4, 0, 1, 2, 0), (PixelSet{{0, 1}, {1, 0}, {2, 0}}));
}

TEST(Line, ClipsWithTheCrossingTakenPastTheLastRow) {
    EXPECT_EQ(clipped(0, 0, 10, 20, 10, 10), (std::array{0, 0, 5, 9}));
    EXPECT_EQ(clipped(-5, 5, 20, 5, 10, 10), (std::array{0, 5, 9, 5}));
    clipped(-5, -1, 20, -8, 10, 10, false);
    EXPECT_TRUE(line(0, 5, 0, 0, 3, 3).empty());
    EXPECT_EQ(line(10, 10, INT_MIN, INT_MIN, INT_MAX, INT_MAX).size(), 10u);
    // To a rectangle; after a rejection the coordinates hold what the clip reached.
    int x1 = INT_MIN, y1 = 3, x2 = INT_MAX, y2 = 3;
    ASSERT_TRUE(RAST_ClipLine(&x1, &y1, &x2, &y2, INT_MIN, INT_MIN, INT_MAX, INT_MAX));
    EXPECT_EQ((std::array{x1, y1, x2, y2}), (std::array{INT_MIN, 3, INT_MAX - 1, 3}));
    x1 = 0, y1 = 0, x2 = 30, y2 = 30;
    EXPECT_FALSE(RAST_ClipLine(&x1, &y1, &x2, &y2, 10, 0, 20, 5));
    EXPECT_EQ((std::array{x1, y1, x2, y2}), (std::array{10, 10, 30, 30}));
    // A flipped bitmap's row 0 is its last memory row.
    GuardedBitmap flipped(5, 4, true);
    RAST_Line(&flipped, 0, 0, 4, 0, kColour, 1.0f, 0, false);
    EXPECT_EQ(flipped.getBits()[3 * flipped.getRowSpan() + 4], kColour);
}

TEST(Line, AlphaAndModeChooseTheCombination) {
    const auto one = [](float alpha, int mode, RAST_pixel old, RAST_pixel colour = kColour) {
        GuardedBitmap bm(2, 1);
        bm.at(1, 0) = old;
        RAST_Line(&bm, 1, 0, 0, 0, colour, alpha, mode, true);
        return bm.at(1, 0);
    };
    const RAST_pixel old = P(11, 21, 33, 255);
    EXPECT_EQ(one(0.003f, 0, old), old);
    EXPECT_EQ(one(0.004f, 0, 0), P(1, 1, 1, 1));
    EXPECT_EQ(one(1.0f, 0x10000, old), kColour);
    EXPECT_EQ(one(1.0f, 0xF0, old), old);
    EXPECT_EQ(one(1.0f, kAdd, old), P(211, 221, 233, 255));
    // Exactly 0.5 mixes whole words, losing both odd low bits; weight 128 from 0.501
    // averages each byte.
    EXPECT_EQ(one(0.5f, 0, old, P(201, 200, 201, 201)), P(105, 110, 116, 227));
    EXPECT_EQ(one(0.501f, 0, old, P(201, 200, 201, 201)), P(106, 110, 117, 228));
    EXPECT_EQ(one(0.25f, 0, 0), P(50, 50, 50, 50));
    EXPECT_EQ(one(0.75f, 0, 0), P(150, 150, 150, 150));
    // Alpha is held within 0..1.
    EXPECT_EQ(one(2.0f, 0, old), kColour);
    EXPECT_EQ(one(-1.0f, kAdd, old), old);
}

TEST(Line, AntialiasedDiagonalAndGeneralLines) {
    GuardedBitmap diag(6, 6);
    RAST_Line(&diag, 1, 1, 4, 4, kColour, 1.0f, 0, true);
    EXPECT_TRUE(pictureIs(diag, [](int x, int y) {
        const bool inBox = std::min(x, y) >= 1 && std::max(x, y) <= 4;
        return !inBox                 ? 0u
               : x == y               ? P(150, 150, 150, 150)
               : std::abs(x - y) == 1 ? P(50, 50, 50, 50)
                                      : 0u;
    }));
    // The middle step of (0, 0)-(2, 1) splits 255/256 of white at 127 and 128.
    GuardedBitmap general(3, 2);
    RAST_Line(&general, 0, 0, 2, 1, 0xFFFFFFFF, 1.0f, 0, true);
    EXPECT_EQ(general.picture(), (std::vector<RAST_pixel>{0xFFFFFFFF, P(127, 127, 127, 127), 0, 0,
                                                          P(128, 128, 128, 128), 0xFFFFFFFF}));
}

TEST(FLine, TruncatesWithoutAntialiasingAndIsCrispOnPixelCentres) {
    GuardedBitmap a(12, 4), b(12, 4);
    RAST_FLine(&a, 0.9f, 0.9f, 10.9f, 0.9f, kColour, 1.0f, 0, false);
    RAST_Line(&b, 0, 0, 10, 0, kColour, 1.0f, 0, false);
    EXPECT_EQ(a.picture(), b.picture());
    // Antialiased on pixel centres: weight 255, the neighbours 0; the end on the last column
    // is clipped one short.
    GuardedBitmap crisp(12, 4);
    RAST_FLine(&crisp, 1.0f, 2.0f, 11.0f, 2.0f, kColour, 1.0f, 0, true);
    EXPECT_TRUE(
        pictureIs(crisp, [](int x, int y) { return y == 2 && x >= 1 && x <= 10 ? kColour : 0; }));
    // Half way between rows the neighbours share the weight: 127 and 128.
    GuardedBitmap half(12, 4);
    RAST_FLine(&half, 1.0f, 1.5f, 9.0f, 1.5f, 0xFFFFFFFF, 1.0f, 0, true);
    EXPECT_EQ(half.at(5, 1), 0x7F7F7F7Fu);
    EXPECT_EQ(half.at(5, 2), 0x80808080u);
    float x1 = 2, y1 = 1, x2 = 5, y2 = 1;
    ASSERT_TRUE(RAST_ClipFLine(&x1, &y1, &x2, &y2, 1.0f, 0.0f, 5.0f, 3.0f));
    EXPECT_EQ((std::array{x1, y1, x2, y2}), (std::array{2.0f, 1.0f, 3.0f, 1.0f}));
}

TEST(DashedLine, DashesFromTheFirstEndAndNeverTheLastPixel) {
    const auto dashed = [](int x1, int y1, int x2, int y2, int dash, int gap) {
        GuardedBitmap bm(12, 12);
        RAST_DashedLine(&bm, x1, y1, x2, y2, dash, gap, kCountColour, 1.0f, kAdd, false);
        EXPECT_LE(maxCount(bm), 1);
        return changedPixels(bm);
    };
    const PixelSet twoTwo{{0, 3}, {1, 3}, {4, 3}, {5, 3}, {8, 3}, {9, 3}};
    EXPECT_EQ(dashed(0, 3, 10, 3, 2, 2), twoTwo);
    EXPECT_EQ(dashed(10, 3, 0, 3, 2, 2), twoTwo);
    EXPECT_EQ(dashed(2, 0, 2, 5, 1, 1), (PixelSet{{2, 0}, {2, 2}, {2, 4}}));
    EXPECT_TRUE(dashed(0, 0, 5, 5, 2, 2).empty());
    EXPECT_TRUE(dashed(4, 4, 4, 4, 2, 2).empty());
    EXPECT_EQ(dashed(0, 3, 10, 3, INT_MAX, INT_MAX).size(), 10u);
    // Patterns that would not advance draw nothing instead of looping.
    for (auto [dash, gap] : {std::pair{0, 0}, {5, -5}, {INT_MIN, INT_MAX}})
        EXPECT_TRUE(dashed(0, 3, 10, 3, dash, gap).empty());
}
