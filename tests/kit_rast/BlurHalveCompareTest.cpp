#include "kit/rast/RAST_BlurHalveCompare.h"
#include "tests/kit_rast/GuardedBitmap.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <random>

namespace {

RAST_pixel grey(int v) {
    return RAST_MakePixel(v, v, v, v);
}

} // namespace

TEST(Blur, WorkedPictureInPlaceOrNot) {
    // Edge rows weigh their one neighbour row a quarter, middle rows each neighbour an eighth;
    // every term is a word-wide fraction with its low bits dropped.
    const int v[3][3] = {{200, 40, 8}, {16, 255, 100}, {64, 0, 96}};
    const int want[3][3] = {
        {100 + 10 + 4, 25 + 20 + 1 + 63, 10 + 4 + 25},
        {8 + 63 + 25 + 8, 2 + 127 + 12 + 5 + 0, 63 + 50 + 1 + 12},
        {32 + 0 + 4, 8 + 0 + 12 + 63, 0 + 48 + 25},
    };
    for (bool inPlace : {false, true}) {
        GuardedBitmap src(3, 3), dst(3, 3);
        src.fill([&](int x, int y) { return grey(v[y][x]); });
        GuardedBitmap& out = inPlace ? src : dst;
        RAST_Blur(&out, &src, 0, 0, 0, 0, 3, 3);
        EXPECT_TRUE(pictureIs(out, [&](int x, int y) { return grey(want[y][x]); })) << inPlace;
    }
}

TEST(Blur, InPlaceMatchesASeparateDestinationAtEverySizeAndFlip) {
    std::mt19937 rng(7);
    bool flipped = false;
    for (auto [w, h] : {std::pair{2, 2}, {5, 3}, {40, 17}, {1030, 3}}) {
        flipped = !flipped;
        GuardedBitmap a(w, h, flipped), copy(w, h, !flipped), separate(w, h, flipped);
        a.fill([&](int, int) { return RAST_pixel(rng()); });
        copy.fill([&](int x, int y) { return a.at(x, y); });
        RAST_Blur(&separate, &copy, 0, 0, 0, 0, w, h);
        RAST_Blur(&a, &a, 0, 0, 0, 0, w, h);
        EXPECT_TRUE(pictureIs(a, [&](int x, int y) { return separate.at(x, y); })) << w;
    }
}

TEST(Blur, ClippingCutsTheSourceAndLeavesTheRestAlone) {
    GuardedBitmap src(8, 8), dst(8, 8);
    src.fill([](int x, int) { return grey(x * 30); });
    const struct {
        int dstx, dsty, srcx, srcy, srcw, srch;
        int firstX, lastX; // destination columns written in row 0 (none: -1)
    } cases[] = {
        {2, 0, -4, 0, 8, 8, 2, 5},  // a negative source origin does not move the destination
        {-3, -1, 0, 0, 8, 8, 0, 4}, // a negative destination origin skips source columns
        {5, 0, 0, 0, 8, 8, 5, 7},   // cut at the destination's right edge
        {0, 0, 0, 0, 1, 8, -1, -1},
        {0, 0, 0, 0, 8, 1, -1, -1},
        {7, 0, 0, 0, 8, 8, -1, -1},
        {0, 0, 0, 0, -5, 8, -1, -1},
        {0, 0, INT_MAX, 0, INT_MAX, 8, -1, -1},
    };
    for (const auto& c : cases) {
        dst.fill([](int, int) { return RAST_pixel(0x11223344); });
        RAST_Blur(&dst, &src, c.dstx, c.dsty, c.srcx, c.srcy, c.srcw, c.srch);
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(dst.at(x, 0) != 0x11223344, x >= c.firstX && x <= c.lastX)
                << c.dstx << ", " << c.srcx << ": column " << x;
        EXPECT_TRUE(dst.guardsIntact());
    }
    // Source column 0 lands at column 2: a quarter of column 1's 30.
    RAST_Blur(&dst, &src, 2, 0, -4, 0, 8, 8);
    EXPECT_EQ(dst.at(2, 0), grey(7));
    RAST_Blur(nullptr, &src, 0, 0, 0, 0, 8, 8);
    RAST_Blur(&dst, nullptr, 0, 0, 0, 0, 8, 8);
}

TEST(HalveBlit, AveragesMemoryBlocksWithTruncatedQuarters) {
    // Memory rows 0 and 1 of the flipped source are its picture rows 3 and 2; the destination
    // takes the blocks that fit it.
    GuardedBitmap src(5, 4, true), dst(3, 1, false, 0x55555555);
    src.fill([](int x, int y) {
        if (y < 2) return grey(200);
        if (x >= 2) return grey(3); // four quarters of 3 are 0
        return y == 2 ? RAST_MakePixel(255, 0, 8, 0) : RAST_MakePixel(0, 255, 8, 16);
    });
    RAST_HalveBlitAA(&dst, &src);
    EXPECT_EQ(dst.picture(),
              (std::vector<RAST_pixel>{RAST_MakePixel(126, 126, 8, 8), 0, 0x55555555}));
    EXPECT_TRUE(dst.guardsIntact());
    RAST_HalveBlitAA(nullptr, &src);
    RAST_HalveBlitAA(&dst, nullptr);
}

TEST(BitmapCmp, OrdersBySizeThenBytes) {
    GuardedBitmap a(10, 10), b(12, 10), c(10, 12), d(10, 10);
    int coords[4] = {9, 9, 9, 9};
    EXPECT_EQ(RAST_BitmapCmp(&a, &b, nullptr), 2);
    EXPECT_EQ(RAST_BitmapCmp(&a, &c, nullptr), 2);
    EXPECT_EQ(RAST_BitmapCmp(&a, &d, coords), 0);
    EXPECT_EQ((std::array{coords[0], coords[1], coords[2], coords[3]}), (std::array{0, 0, 0, 0}));
    EXPECT_EQ(RAST_BitmapCmp(nullptr, &a, nullptr), -1);
    EXPECT_EQ(RAST_BitmapCmp(&a, nullptr, nullptr), 1);
    // The first differing byte in memory order decides the sign.
    d.at(4, 6) = RAST_MakePixel(0, 0, 0, 1);
    EXPECT_LT(RAST_BitmapCmp(&a, &d, nullptr), 0);
    EXPECT_GT(RAST_BitmapCmp(&d, &a, nullptr), 0);
}

TEST(BitmapCmp, FindsTheBoxOfDifferingPixels) {
    const struct {
        std::vector<std::pair<int, int>> diffs;
        std::array<int, 4> box;
    } cases[] = {
        {{{3, 2}, {1, 7}}, {1, 2, 3, 6}},
        {{{5, 5}}, {5, 5, 1, 1}},
        {{{0, 0}, {9, 9}}, {0, 0, 10, 10}},
        {{{4, 1}, {4, 8}, {0, 4}, {9, 7}}, {0, 1, 10, 8}}, // widened by middle rows
        {{{2, 3}, {8, 3}, {6, 3}}, {2, 3, 7, 1}},
        {{{7, 0}, {2, 9}, {8, 5}}, {2, 0, 7, 10}},
    };
    for (bool flipped : {false, true})
        for (const auto& c : cases) {
            GuardedBitmap a(10, 10, flipped), b(10, 10, flipped);
            a.fill([](int x, int y) { return RAST_pixel(x * 16 + y); });
            b.fill([&](int x, int y) { return a.at(x, y); });
            for (auto [x, y] : c.diffs)
                b.at(x, y) ^= 0x100;
            int coords[4];
            EXPECT_EQ(RAST_BitmapCmp(&a, &b, coords), 1);
            EXPECT_EQ((std::array{coords[0], coords[1], coords[2], coords[3]}), c.box)
                << c.box[0] << ", " << c.box[1] << (flipped ? " flipped" : "");
        }
}
