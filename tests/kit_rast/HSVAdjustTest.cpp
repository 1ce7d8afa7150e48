#include "kit/rast/RAST_CombinePixels.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

RAST_pixel P(int r, int g, int b, int a) {
    return RAST_MakePixel(r, g, b, a);
}

RAST_pixel adjust(RAST_pixel dest, int r, int g, int b, int a, int weight) {
    _RAST_CombinePixelsHSVAdjust::doPix(reinterpret_cast<unsigned char*>(&dest), r, g, b, a,
                                        weight);
    return dest;
}

// Red of a fully saturated, full-value colour of hue h: full from magenta through red to
// yellow, falling to 0 by green, 0 through blue, rising again toward magenta; green and
// blue are the same curve turned by a third and two thirds of the circle.
int saturatedRed(int h) {
    const auto ramp = [](int k) { return (16384 - k * 255) * 255 / 16384; };
    if (h <= 64 || h >= 320) return 255;
    if (h < 128) return ramp(h - 64);
    if (h < 256) return 0;
    return ramp(320 - h);
}

} // namespace

TEST(HSVAdjust, ReciprocalTable) {
    EXPECT_EQ(_RAST_RGB2HSV_invtab[0], 0);
    EXPECT_EQ(_RAST_RGB2HSV_invtab[1], 65535);
    EXPECT_EQ(_RAST_RGB2HSV_invtab[2], 32767);
    EXPECT_EQ(_RAST_RGB2HSV_invtab[3], 21844);
    EXPECT_EQ(_RAST_RGB2HSV_invtab[255], 256);
}

TEST(HSVAdjust, WorkedPixels) {
    // Neutral offsets keep primaries and take the colour's alpha.
    EXPECT_EQ(adjust(P(255, 0, 0, 9), 128, 128, 128, 77, 256), P(255, 0, 0, 77));
    EXPECT_EQ(adjust(P(255, 0, 0, 255), 255, 128, 128, 255, 256), P(0, 255, 247, 255));
    EXPECT_EQ(adjust(P(255, 0, 0, 255), 0, 128, 128, 255, 256), P(0, 255, 255, 255));
    // All saturation gone gives white; all value gone, black.
    EXPECT_EQ(adjust(P(255, 0, 0, 255), 128, 0, 128, 255, 256), P(255, 255, 255, 255));
    EXPECT_EQ(adjust(P(255, 0, 0, 255), 128, 128, 0, 255, 256), P(0, 0, 0, 255));
    // Greys have hue 256, so saturating one turns it blue.
    EXPECT_EQ(adjust(P(100, 100, 100, 0), 128, 255, 128, 0, 256), P(0, 0, 100, 0));
    // (255, 0, 1) sits at hue 383, just short of red: turning it by +1 wraps to red's side.
    EXPECT_EQ(adjust(P(255, 0, 1, 0), 129, 128, 128, 0, 256), P(255, 0, 0, 0));
    // Weight 0 still rewrites the pixel through the round trip.
    EXPECT_EQ(adjust(P(200, 100, 50, 3), 255, 0, 255, 66, 0), P(200, 99, 50, 66));
}

TEST(HSVAdjust, HueSweepOverTheWholeCircle) {
    // Pure red turned by every red offset lands on the saturated colour of that hue.
    for (int r = 0; r < 256; ++r) {
        const int h = ((r + r / 2 - 192) + 384) % 384;
        const RAST_pixel got = adjust(P(255, 0, 0, 0), r, 128, 128, 0, 256);
        EXPECT_EQ(got, P(saturatedRed(h), saturatedRed((h + 256) % 384),
                         saturatedRed((h + 128) % 384), 0))
            << "r " << r << " hue " << h;
    }
}

TEST(HSVAdjust, ValueSweepOnGrey) {
    for (int b = 0; b < 256; ++b) {
        const int v = std::clamp(100 + (b - 128) * 2, 0, 255);
        EXPECT_EQ(adjust(P(100, 100, 100, 0), 128, 128, b, 0, 256), P(v, v, v, 0)) << b;
    }
    // A quarter weight halves the offset, truncating toward zero on both sides.
    EXPECT_EQ(adjust(P(100, 100, 100, 0), 128, 128, 127, 0, 64), P(100, 100, 100, 0));
    EXPECT_EQ(adjust(P(100, 100, 100, 0), 128, 128, 129, 0, 64), P(100, 100, 100, 0));
    EXPECT_EQ(adjust(P(100, 100, 100, 0), 128, 128, 126, 0, 64), P(99, 99, 99, 0));
}

TEST(HSVAdjust, SaturationSweepOnGrey) {
    // Saturation only grows from grey toward blue: red and green fall, blue keeps the value.
    int lastRed = 100;
    for (int g = 0; g < 256; ++g) {
        const RAST_pixel got = adjust(P(100, 100, 100, 0), 128, g, 128, 0, 256);
        EXPECT_EQ(RAST_GetBlue(got), 100) << g;
        EXPECT_LE(RAST_GetRed(got), lastRed) << g;
        EXPECT_LE(RAST_GetGreen(got), RAST_GetRed(got)) << g;
        if (g <= 128) {
            EXPECT_EQ(got, P(100, 100, 100, 0)) << g;
        }
        lastRed = RAST_GetRed(got);
    }
    EXPECT_EQ(lastRed, 0);
}

TEST(HSVAdjust, SourceAlphaScalesTheWeight) {
    // An opaque source acts at full weight, a transparent one at weight 1, which still
    // rewrites the alpha byte.
    EXPECT_EQ(RAST_CombinePixels(P(255, 0, 0, 9), P(0, 128, 128, 255), 1.0f, 0x10005),
              P(0, 255, 255, 255));
    EXPECT_EQ(RAST_CombinePixels(P(255, 0, 0, 9), P(0, 128, 128, 0), 1.0f, 0x10005),
              P(255, 0, 0, 0));
}

TEST(HSVAdjust, ExtremeWeightsKeepTheHueOnTheCircle) {
    // Far outside the design, but the hue must still land in a sector (no wild read).
    for (int w : {-100000, -257, 257, 100000})
        for (int r : {0, 255})
            adjust(P(255, 0, 0, 0), r, 128, 128, 0, w);
}
