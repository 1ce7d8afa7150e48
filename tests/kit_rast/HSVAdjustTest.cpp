#include "GuardedBitmap.h"

#include "kit/rast/RAST_CombinePixels.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

RAST_pixel adjust(RAST_pixel dest, int r, int g, int b, int a, int weight) {
    _RAST_CombinePixelsHSVAdjust::doPix(reinterpret_cast<unsigned char*>(&dest), r, g, b, a,
                                        weight);
    return dest;
}

// Red of the fully saturated, full-value colour of hue h: full around red, falling to 0 by
// green, rising again from blue; green and blue are the same curve a third and two thirds
// of the circle on.
int saturatedRed(int h) {
    const auto ramp = [](int k) { return (16384 - k * 255) * 255 / 16384; };
    if (h <= 64 || h >= 320) return 255;
    if (h < 128) return ramp(h - 64);
    return h < 256 ? 0 : ramp(320 - h);
}

} // namespace

TEST(HSVAdjust, WorkedPixels) {
    EXPECT_EQ(_RAST_RGB2HSV_invtab[3], 21844);
    // Neutral offsets keep a primary; the alpha byte is the colour's.
    EXPECT_EQ(adjust(P(255, 0, 0, 9), 128, 128, 128, 77, 256), P(255, 0, 0, 77));
    EXPECT_EQ(adjust(P(255, 0, 0, 255), 255, 128, 128, 255, 256), P(0, 255, 247, 255));
    EXPECT_EQ(adjust(P(255, 0, 0, 255), 128, 0, 128, 255, 256), P(255, 255, 255, 255));
    EXPECT_EQ(adjust(P(255, 0, 0, 255), 128, 128, 0, 255, 256), P(0, 0, 0, 255));
    // Greys have hue 256, so saturating one turns it blue.
    EXPECT_EQ(adjust(P(100, 100, 100, 0), 128, 255, 128, 0, 256), P(0, 0, 100, 0));
    // (255, 0, 1) has hue 383: one step on wraps to red.
    EXPECT_EQ(adjust(P(255, 0, 1, 0), 129, 128, 128, 0, 256), P(255, 0, 0, 0));
    // Weight 0 still rewrites the pixel through the round trip.
    EXPECT_EQ(adjust(P(200, 100, 50, 3), 255, 0, 255, 66, 0), P(200, 99, 50, 66));
    // Far outside the design the hue still lands on the circle (no wild table read).
    for (int w : {-100000, 257, 100000})
        adjust(P(255, 0, 0, 0), 0, 128, 128, 0, w);
}

TEST(HSVAdjust, SweepsOfHueAndValue) {
    for (int c = 0; c < 256; ++c) {
        const int h = (c + c / 2 - 192 + 384) % 384;
        EXPECT_EQ(
            adjust(P(255, 0, 0, 0), c, 128, 128, 0, 256),
            P(saturatedRed(h), saturatedRed((h + 256) % 384), saturatedRed((h + 128) % 384), 0))
            << "red offset " << c;
        const int v = std::clamp(100 + (c - 128) * 2, 0, 255);
        EXPECT_EQ(adjust(P(100, 100, 100, 0), 128, 128, c, 0, 256), P(v, v, v, 0)) << c;
        // A quarter weight halves the offset, truncating toward zero.
        const int q = 100 + (c - 128) / 2;
        EXPECT_EQ(adjust(P(100, 100, 100, 0), 128, 128, c, 0, 64), P(q, q, q, 0)) << c;
    }
}
