#include "GuardedBitmap.h"

#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Glyph.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

RAST_pixel backgroundPixel(int x, int y) {
    return P(200 - 20 * x, 30 + 40 * y, 99, 255 - 9 * x * y);
}

// 5 x 4 coverage in rows 8 bytes apart; the padding bytes would show if they were stamped.
constexpr int kSpan = 8;
const unsigned char kCoverage[4 * kSpan] = {
    255, 0,   2,   128, 77,  9, 9, 9, //
    0,   255, 255, 0,   2,   9, 9, 9, //
    128, 64,  0,   255, 255, 9, 9, 9, //
    2,   0,   200, 0,   130, 9, 9, 9, //
};

} // namespace

TEST(Glyph, StampsTheCoveredPixelsClippedAtEveryEdge) {
    const struct {
        float alpha;
        int mode, weight; // weight 0: nothing is drawn
    } paths[] = {{1.0f, 0, 256}, {0.5f, 0, 128}, {0.7f, 1, 179}, {1.0f, 2, 256},
                 {1.0f, 3, 256}, {0.9f, 4, 230}, {0.8f, 5, 204}, {1.0f, 0x10001, 256},
                 {1.0f, 6, 0},   {0.0f, 0, 0},   {1.5f, 0, 256}};
    for (bool flipped : {false, true})
        for (const auto& p : paths)
            for (int y = -5; y <= 6; ++y)
                for (int x = -6; x <= 8; ++x) {
                    GuardedBitmap bm(7, 5, flipped);
                    bm.fill(backgroundPixel);
                    RAST_DrawGlyphEx(&bm, x, y, P(240, 20, 128, 77), kCoverage, 5, kSpan, 4,
                                     p.alpha, p.mode);
                    ASSERT_TRUE(
                        pictureIs(bm,
                                  [&](int px, int py) {
                                      const int i = px - x, j = py - y;
                                      const bool covered = i >= 0 && i < 5 && j >= 0 && j < 4;
                                      RAST_pixel want = backgroundPixel(px, py);
                                      RAST_CombinePixels2(
                                          &want, 240, 20, 128, 77,
                                          covered ? kCoverage[j * kSpan + i] * p.weight / 256 : 0,
                                          p.mode & 0xFF);
                                      return want;
                                  }))
                        << "at " << x << "," << y << " mode " << p.mode << " alpha " << p.alpha;
                }
}

TEST(Glyph, SizesAtTheEndsOfTheIntRange) {
    // Every row reads the same bytes; at most columns 1..3 of them are inside.
    GuardedBitmap bm(3, 2);
    const unsigned char full[8] = {255, 255, 255, 255, 255, 255, 255, 255};
    for (int a : {INT_MIN, -3, 0, 2, INT_MAX})
        for (int b : {INT_MIN, -3, 0, 2, INT_MAX})
            RAST_DrawGlyphEx(&bm, -1, -1, 0, full, a, 0, b, 1.0f, 1);
    RAST_DrawGlyph(&bm, 0, 0, 0, nullptr, 3, 2, 1.0f, 0);
    RAST_DrawGlyph(nullptr, 0, 0, 0, full, 3, 1, 1.0f, 0);
    EXPECT_TRUE(bm.guardsIntact());
}
