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

// The same picture as g, pixel for pixel.
void copyPicture(GuardedBitmap& to, const GuardedBitmap& from) {
    for (int y = 0; y < from.getHeight(); ++y)
        for (int x = 0; x < from.getWidth(); ++x)
            to.at(x, y) = from.at(x, y);
}

} // namespace

TEST(Blur, ASinglePixelSpreadsByTheKernel) {
    for (bool inPlace : {false, true}) {
        GuardedBitmap src(7, 7), dst(7, 7);
        src.fill([](int, int) { return RAST_pixel(0); });
        src.at(3, 3) = 0xFFFFFFFF;
        GuardedBitmap& out = inPlace ? src : dst;
        RAST_Blur(&out, &src, 0, 0, 0, 0, 7, 7);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 7; ++x) {
                const int d = std::abs(x - 3) + std::abs(y - 3);
                const RAST_pixel want = d == 0 ? grey(127) : d == 1 ? grey(31) : 0;
                ASSERT_EQ(out.at(x, y), want) << x << ", " << y << (inPlace ? " in place" : "");
            }
        EXPECT_TRUE(out.guardsIntact());
    }
}

TEST(Blur, EdgesUseTheirOneNeighbour) {
    // A 3 x 2 picture works every edge formula; each value is a sum of word-wide fractions.
    GuardedBitmap src(3, 2), dst(3, 2);
    const int v[2][3] = {{200, 40, 8}, {16, 255, 100}};
    src.fill([](int, int) { return RAST_pixel(0); });
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            src.at(x, y) = grey(v[y][x]);
    RAST_Blur(&dst, &src, 0, 0, 0, 0, 3, 2);
    // Top: 200/2 + 40/4 + 16/4; 200/8 + 40/2 + 8/8 + 255/4; 40/4 + 8/2 + 100/4.
    EXPECT_EQ(dst.at(0, 0), grey(100 + 10 + 4));
    EXPECT_EQ(dst.at(1, 0), grey(25 + 20 + 1 + 63));
    EXPECT_EQ(dst.at(2, 0), grey(10 + 4 + 25));
    // Bottom row: its neighbour is the row above.
    EXPECT_EQ(dst.at(0, 1), grey(8 + 63 + 50));
    EXPECT_EQ(dst.at(1, 1), grey(2 + 127 + 12 + 10));
    EXPECT_EQ(dst.at(2, 1), grey(63 + 50 + 2));
}

TEST(Blur, InPlaceMatchesASeparateDestinationAtEverySize) {
    std::mt19937 rng(7);
    for (auto [w, h] : {std::pair{2, 2}, {5, 3}, {40, 17}, {1030, 3}}) {
        GuardedBitmap a(w, h), copy(w, h), separate(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                a.at(x, y) = rng();
        copyPicture(copy, a);
        RAST_Blur(&separate, &copy, 0, 0, 0, 0, w, h);
        RAST_Blur(&a, &a, 0, 0, 0, 0, w, h);
        EXPECT_EQ(a.picture(), separate.picture()) << w << " x " << h;
        EXPECT_TRUE(a.guardsIntact());
    }
    // A flipped bitmap blurs the same picture.
    GuardedBitmap plain(6, 5), flipped(6, 5, true), out1(6, 5), out2(6, 5, true);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            plain.at(x, y) = flipped.at(x, y) = grey(x * 40 + y * 9);
    RAST_Blur(&out1, &plain, 0, 0, 0, 0, 6, 5);
    RAST_Blur(&out2, &flipped, 0, 0, 0, 0, 6, 5);
    EXPECT_EQ(out1.picture(), out2.picture());
}

TEST(Blur, ClippingCutsTheSourceAndLeavesTheRestAlone) {
    GuardedBitmap src(8, 8), dst(8, 8);
    src.fill([](int x, int) { return grey(x * 30); });
    const RAST_pixel untouched = 0x11223344;
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
            EXPECT_EQ(dst.at(x, 0) != untouched, x >= c.firstX && x <= c.lastX)
                << c.dstx << ", " << c.srcx << ": column " << x;
        EXPECT_TRUE(dst.guardsIntact());
    }
    // Source column 0 lands at column 2: a quarter of column 1's 30.
    RAST_Blur(&dst, &src, 2, 0, -4, 0, 8, 8);
    EXPECT_EQ(dst.at(2, 0), grey(7));
    RAST_Blur(nullptr, &src, 0, 0, 0, 0, 8, 8);
    RAST_Blur(&dst, nullptr, 0, 0, 0, 0, 8, 8);
}

TEST(HalveBlit, AveragesBlocksWithTruncatedQuarters) {
    GuardedBitmap src(5, 5), dst(10, 10);
    src.fill([](int x, int y) {
        return x < 2 && y < 2 ? grey(4) : x < 4 && y < 2 ? grey(3) : grey(200);
    });
    dst.fill([](int, int) { return RAST_pixel(0x55555555); });
    RAST_HalveBlitAA(&dst, &src);
    EXPECT_EQ(dst.at(0, 0), grey(4));
    EXPECT_EQ(dst.at(1, 0), grey(0)); // four quarters of 3 are 0
    EXPECT_EQ(dst.at(0, 1), grey(200));
    EXPECT_EQ(dst.at(1, 1), grey(200));
    EXPECT_EQ(dst.at(2, 0), 0x55555555u) << "only the top-left 2 x 2 is written";
    EXPECT_EQ(dst.at(0, 2), 0x55555555u);
    EXPECT_TRUE(dst.guardsIntact());

    // Channels average separately; memory rows are used whatever the flipping.
    GuardedBitmap mixed(2, 2, true), one(1, 1);
    mixed.at(0, 0) = RAST_MakePixel(255, 0, 8, 0);
    mixed.at(1, 0) = RAST_MakePixel(255, 0, 8, 0);
    mixed.at(0, 1) = RAST_MakePixel(0, 255, 8, 16);
    mixed.at(1, 1) = RAST_MakePixel(0, 255, 8, 16);
    RAST_HalveBlitAA(&one, &mixed);
    EXPECT_EQ(one.at(0, 0), RAST_MakePixel(126, 126, 8, 8));

    // A smaller destination takes what fits.
    GuardedBitmap big(8, 8), small(2, 1);
    big.fill([](int, int) { return grey(100); });
    RAST_HalveBlitAA(&small, &big);
    EXPECT_EQ(small.picture(), std::vector<RAST_pixel>(2, grey(100)));
    EXPECT_TRUE(small.guardsIntact());
    RAST_HalveBlitAA(nullptr, &big);
    RAST_HalveBlitAA(&small, nullptr);
}

TEST(BitmapCmp, OrdersBySizeThenBytes) {
    GuardedBitmap a(10, 10), b(12, 10), c(10, 12), d(10, 10);
    a.fill([](int, int) { return RAST_pixel(0); });
    d.fill([](int, int) { return RAST_pixel(0); });
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
        {{{4, 1}, {4, 8}, {0, 4}, {9, 6}}, {0, 1, 10, 8}}, // widened by middle rows
        {{{2, 3}, {8, 3}, {6, 3}}, {2, 3, 7, 1}},
        {{{7, 0}, {2, 9}, {8, 5}}, {2, 0, 7, 10}},
    };
    for (bool flipped : {false, true})
        for (const auto& c : cases) {
            GuardedBitmap a(10, 10, flipped), b(10, 10, flipped);
            a.fill([](int x, int y) { return RAST_pixel(x * 16 + y); });
            b.fill([](int x, int y) { return RAST_pixel(x * 16 + y); });
            for (auto [x, y] : c.diffs)
                b.at(x, y) ^= 0x100;
            int coords[4];
            EXPECT_EQ(RAST_BitmapCmp(&a, &b, coords), 1);
            EXPECT_EQ((std::array<int, 4>{coords[0], coords[1], coords[2], coords[3]}), c.box)
                << c.box[0] << ", " << c.box[1] << (flipped ? " flipped" : "");
        }
}
