#include "GuardedBitmap.h"

#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_MemBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

RAST_pixel backgroundPixel(int x, int y) {
    return P(200 - 9 * x, 100 + 13 * y, 51 * x + y, 128 + x * y);
}

// A fill's pixel worked byte by byte: the quarter weights of a copy shift each byte, every
// other weight blends with the weight as the source alpha.
RAST_pixel filled(RAST_pixel old, RAST_pixel c, int weight, int op) {
    if (op == 0 && weight % 64 == 0) {
        RAST_pixel out = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int o = (old >> shift) & 0xFF, k = (c >> shift) & 0xFF;
            const int q[5] = {o, (o >> 1) + (o >> 2) + (k >> 2), (o >> 1) + (k >> 1),
                              (o >> 2) + (k >> 1) + (k >> 2), k};
            out |= RAST_pixel(q[weight / 64]) << shift;
        }
        return out;
    }
    RAST_CombinePixels2(&old, RAST_GetRed(c), RAST_GetGreen(c), RAST_GetBlue(c), weight, weight,
                        op);
    return old;
}

} // namespace

TEST(FillRect, ClipsAtEveryEdgeInEveryMode) {
    const RAST_pixel colour = P(250, 3, 128, 0x80);
    const struct {
        float alpha;
        int mode, weight; // weight -1: nothing is drawn
    } paths[] = {{1.0f, 0, 256},       {0.75f, 0, 192}, {0.5f, 0, 128},       {0.25f, 0, 64},
                 {0.51f, 0, 130},      {0.3f, 1, 76},   {0.7f, 2, 179},       {1.0f, 3, 256},
                 {0.6f, 4, 153},       {0.9f, 5, 230},  {1.0f, 0x10000, 128}, // colour alpha
                 {2.0f, 0x10001, 256}, {1.0f, 6, -1},   {0.0f, 0, -1},        {NAN, 1, -1}};
    for (bool flipped : {false, true})
        for (const auto& p : paths)
            for (int y = -5; y <= 6; ++y)
                for (int x = -8; x <= 8; x += 2)
                    for (int w : {-1, 0, 3, 20}) {
                        GuardedBitmap bm(7, 5, flipped);
                        bm.fill(backgroundPixel);
                        RAST_FillRect(&bm, x, y, w, 4, colour, p.alpha, p.mode);
                        ASSERT_TRUE(pictureIs(
                            bm,
                            [&](int px, int py) {
                                const bool inside =
                                    p.weight > 0 && px >= x && px < x + w && py >= y && py < y + 4;
                                const RAST_pixel old = backgroundPixel(px, py);
                                return inside ? filled(old, colour, p.weight, p.mode & 0xFF) : old;
                            }))
                            << "rect " << x << "," << y << "," << w << " mode " << p.mode
                            << " alpha " << p.alpha;
                    }
}

TEST(PixelAccess, SinglePixelsAndOutsideThePicture) {
    GuardedBitmap bm(3, 2, true);
    bm.fill(backgroundPixel);
    for (auto [x, y] : {std::pair{3, 0}, {-1, 0}, {0, 2}, {0, -1}, {INT_MIN, INT_MAX}}) {
        RAST_PutPixel(&bm, x, y, 0, 1.0f, 0);
        EXPECT_EQ(RAST_GetPixel(&bm, x, y), 0u);
    }
    RAST_MemBitmap empty;
    EXPECT_EQ(RAST_GetPixel(&empty, 0, 0) + RAST_GetPixel(nullptr, 0, 0), 0u);
    EXPECT_EQ(RAST_GetPixel(&bm, 2, 0), backgroundPixel(2, 0)); // the last memory row

    bm.at(0, 0) = P(200, 100, 40, 255);
    RAST_PutPixel(&bm, 0, 0, 0, 0.25f, 0); // three quarters stay
    // Other weights blend the colour's own alpha byte; the source-alpha bit is not read.
    bm.at(2, 1) = 0;
    RAST_PutPixel(&bm, 2, 1, P(255, 255, 255, 255), 0.3f, 0x10000);
    RAST_PutPixel(&bm, 2, 1, P(1, 2, 3, 4), 1.0f, 6);
    EXPECT_EQ(bm.at(0, 0), P(150, 75, 30, 190));
    EXPECT_EQ(bm.at(2, 1), P(76, 76, 76, 76));
    EXPECT_TRUE(bm.guardsIntact());
}

TEST(FillUtilities, ClearMultiplyAddMaskAndProcess) {
    RAST_MemBitmap bm(5, 2, 4); // rows 8 pixels apart: the padding must stay
    std::fill(bm.getBits(), bm.getBits() + 16, P(20, 200, 100, 7));
    RAST_Clear(&bm, 0x12345678);
    EXPECT_EQ(bm.getBits()[4], 0x12345678u);
    EXPECT_EQ(bm.getBits()[5], P(20, 200, 100, 7));

    GuardedBitmap g(3, 1);
    const auto multiplyAdd = [&](float scale, float offset) {
        g.at(0, 0) = P(20, 200, 0, 255);
        RAST_MultiplyAddRect(&g, 0, 0, 1, 1, 1.0f, scale, scale, scale, offset, offset, offset,
                             offset);
        return g.at(0, 0);
    };
    EXPECT_EQ(multiplyAdd(2.0f, 10.0f), P(30, 255, 10, 255));
    EXPECT_EQ(multiplyAdd(1.0f, -0.5f), P(19, 199, 0, 254)); // arithmetic shift
    EXPECT_EQ(multiplyAdd(1.0f, -300.0f), 0u);
    EXPECT_EQ(multiplyAdd(1e30f, NAN), P(20, 255, 0, 255));

    g.fill([](int x, int) { return x == 0 ? P(0, 255, 0, 9) : x == 1 ? P(0, 255, 1, 0) : 7u; });
    RAST_SetAlphaFromColorMask(&g, 0x00FF0000);
    RAST_ClearRect(&g, -1, 0, 3, 9, 0xFFFFFF00, 0);
    EXPECT_EQ(g.picture(), (std::vector<RAST_pixel>{P(0, 255, 0, 0), P(0, 255, 1, 0), 0xFF}));

    // Memory order: a flipped bitmap's last picture row comes first.
    GuardedBitmap f(4, 3, true);
    std::vector<RAST_pixel*> seen;
    RAST_ProcessRect(
        &f, 2, 1, 5, 5,
        [](RAST_pixel* p, void* parm) { static_cast<decltype(seen)*>(parm)->push_back(p); }, &seen);
    EXPECT_EQ(seen, (std::vector<RAST_pixel*>{&f.at(2, 2), &f.at(3, 2), &f.at(2, 1), &f.at(3, 1)}));
    EXPECT_TRUE(f.guardsIntact() && g.guardsIntact());
}

TEST(SimpleFill, FillsRunsThroughTheSeedColumnOnly) {
    // '#' walls, '.' open; the seed is in the left arm of a U.
    const char* rows[] = {".#..#.#", ".#..#.#", ".####.#", "......#"};
    const char* expected[] = {"*#..#.#", "*#..#.#", "*####.#", "******#"};
    const auto colour = [](char c) {
        return c == '*' ? P(0, 0, 0xEE, 0xAA) : c == '#' ? P(9, 9, 9, 1) : P(1, 2, 3, 0xAA);
    };
    GuardedBitmap bm(7, 4);
    bm.fill([&](int x, int y) { return colour(rows[y][x]); });
    RAST_SimpleFill(&bm, 0, 1, P(0, 0, 0xEE, 0), 0xFFFFFF00, 0xFF);
    RAST_SimpleFill(&bm, 7, 0, 0, ~0u, 0);
    RAST_SimpleFill(&bm, 0, -1, 0, ~0u, 0);
    EXPECT_TRUE(pictureIs(bm, [&](int x, int y) { return colour(expected[y][x]); }));
}
