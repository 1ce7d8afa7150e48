#include "GuardedBitmap.h"

#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_MemBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

const RAST_pixel kBackground = P(200, 100, 51, 128);

} // namespace

TEST(FillRect, WorkedPixelsInEveryPath) {
    const RAST_pixel colour = P(250, 3, 128, 0x80);
    const struct {
        float alpha;
        int mode;
        RAST_pixel want;
    } paths[] = {
        // Copy at the quarter weights shifts whole words: each byte's low bits are lost.
        {1.0f, 0, colour},
        {0.75f, 0, P(237, 26, 108, 128)},
        {0.5f, 0, P(225, 51, 89, 128)},
        {0.25f, 0, P(212, 75, 69, 128)},
        // Other weights blend byte by byte, the weight (130) serving as the source alpha.
        {0.51f, 0, P(226, 50, 91, 130)},
        {0.3f, 1, P(255, 100, 89, 150)},
        {1.0f, 3, P(195, 1, 25, 128)},
        // The source-alpha bit scales the alpha by the colour's: 128 / 255 is the half blend;
        // alpha is held within 0..1.
        {1.0f, 0x10000, P(225, 51, 89, 128)},
        {2.0f, 0x10001, P(255, 103, 179, 255)},
        {1.0f, 6, kBackground},
        {0.0f, 0, kBackground},
        {NAN, 1, kBackground},
    };
    for (const auto& p : paths) {
        GuardedBitmap bm(3, 1, false, kBackground);
        RAST_FillRect(&bm, 1, 0, 1, 1, colour, p.alpha, p.mode);
        RAST_FillRect(&bm, 0, 0, 0, 1, colour, p.alpha, p.mode);
        RAST_FillRect(&bm, 3, 0, -3, 1, colour, p.alpha, p.mode);
        EXPECT_TRUE(pictureIs(bm, [&](int x, int) { return x == 1 ? p.want : kBackground; }))
            << "mode " << p.mode << " alpha " << p.alpha;
    }
    for (auto [alpha, mode] : {std::pair{1.0f, 0}, {0.51f, 0}, {0.5f, 0x10002}})
        expectCrops([&](RAST_IBitmap& bm, int x,
                        int y) { RAST_FillRect(&bm, x, y, 9, 4, colour, alpha, mode); },
                    kBackground);
}

TEST(GradRect, WorkedPixelsAndClippedCrops) {
    // Opaque: the colours held within 0..255 stored as they are.
    GuardedBitmap opaque(3, 2);
    RAST_GradRect(&opaque, 0, 0, 3, 2, 0, 1.5f, 0.5f, 1, 0.5f, 0, 0, 0, 0, -1, 0, 0, 0);
    EXPECT_TRUE(pictureIs(opaque, [](int x, int y) {
        const int red[] = {0, 127, 255};
        return P(red[x], y ? 127 : 255, 127, 255);
    }));
    // The alpha from -0.5 by 1 a column is a weight of 0, 128 and 384, held at 256; a blue of
    // -0.5 blends toward 0 and is held there.
    GuardedBitmap blended(3, 1, false, P(10, 20, 30, 40));
    RAST_GradRect(&blended, 0, 0, 3, 1, 1, 0, -0.5f, -0.5f, 0, 0, 0, 1, 0, 0, 0, 0, 0);
    EXPECT_EQ(blended.picture(),
              (std::vector<RAST_pixel>{P(10, 20, 30, 40), P(133, 10, 0, 84), P(255, 0, 0, 255)}));

    // Steps exact in binary, so that a clipped start equals the whole gradient's value there.
    for (int mode : {0, 1, 3, 0x10004})
        expectCrops(
            [&](RAST_IBitmap& bm, int x, int y) {
                RAST_GradRect(&bm, x, y, 9, 6, 1.5f, -0.25f, 0.125f, 0, -0.125f, 0.0625f, 0.25f,
                              1 / 256.0f, 0.25f, 0.5f, -0.5f, 0.125f, mode);
            },
            kBackground);
    RAST_GradRect(nullptr, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

TEST(PixelAccess, SinglePixelsAndOutsideThePicture) {
    GuardedBitmap bm(3, 2, true);
    bm.fill([](int x, int y) { return P(x, y, 0, 9); });
    for (auto [x, y] : {std::pair{3, 0}, {-1, 0}, {0, 2}, {0, -1}, {INT_MIN, INT_MAX}}) {
        RAST_PutPixel(&bm, x, y, 0, 1.0f, 0);
        EXPECT_EQ(RAST_GetPixel(&bm, x, y), 0u);
    }
    RAST_MemBitmap empty;
    EXPECT_EQ(RAST_GetPixel(&empty, 0, 0) + RAST_GetPixel(nullptr, 0, 0), 0u);
    EXPECT_EQ(RAST_GetPixel(&bm, 2, 0), P(2, 0, 0, 9)); // the last memory row

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
