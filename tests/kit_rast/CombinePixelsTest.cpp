#include "GuardedBitmap.h"

#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_CombinePixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

struct Case {
    int mode;
    RAST_pixel dest, src;
    float alpha;
    RAST_pixel expected;
};

// Worked from the formulas at the edges of their arithmetic (bytes 0 and 255, weights 1, 128
// and 256, transparent, half and opaque sources).
const Case kCases[] = {
    // copy: -127.5 truncates to -127
    {0x0, P(0, 0, 0, 0), P(255, 0, 255, 0), 0.5f, P(128, 0, 128, 0)},
    // copy at weight 1
    {0x0, P(0, 128, 255, 200), P(255, 64, 0, 255), 0.00390625f, P(1, 127, 254, 201)},
    // copy at full weight is the source
    {0x0, P(0, 128, 255, 200), P(255, 64, 0, 255), 1.0f, P(255, 64, 0, 255)},
    // bits outside the dispatch mask do not matter
    {0x100, P(200, 100, 50, 0), P(100, 255, 128, 128), 1.0f, P(100, 255, 128, 128)},
    // add saturates
    {0x1, P(200, 0, 0, 0), P(100, 0, 0, 0), 1.0f, P(255, 0, 0, 0)},
    {0x1, P(200, 100, 50, 0), P(100, 255, 128, 128), 0.5f, P(250, 227, 114, 64)},
    // dodge with white: non-zero bytes to 255
    {0x2, P(0, 1, 200, 0), P(255, 255, 255, 255), 1.0f, P(0, 255, 255, 0)},
    {0x2, P(200, 100, 50, 0), P(100, 255, 128, 128), 0.5f, P(248, 198, 66, 0)},
    // multiply by white: 255 to 254
    {0x3, P(255, 255, 7, 255), P(255, 255, 255, 255), 1.0f, P(254, 254, 6, 254)},
    // multiply by black
    {0x3, P(200, 100, 50, 0), P(0, 0, 0, 0), 1.0f, P(0, 0, 0, 0)},
    {0x3, P(200, 100, 50, 0), P(100, 255, 128, 128), 0.5f, P(139, 99, 37, 0)},
    // overlay 128 changes nothing, 0 stays 0
    {0x4, P(0, 128, 255, 77), P(128, 128, 128, 128), 1.0f, P(0, 128, 255, 77)},
    {0x4, P(128, 128, 128, 128), P(255, 255, 0, 255), 1.0f, P(191, 191, 64, 191)},
    {0x4, P(200, 100, 50, 0), P(100, 255, 128, 128), 0.5f, P(195, 130, 50, 0)},
    // source alpha 0 leaves the pixel at every weight
    {0x10000, P(200, 100, 50, 0), P(255, 255, 255, 0), 1.0f, P(200, 100, 50, 0)},
    // opaque source replaces, alpha 255
    {0x10000, P(200, 100, 50, 0), P(1, 2, 3, 255), 1.0f, P(1, 2, 3, 255)},
    // a = 128 moves colour 127/256 back, alpha capped
    {0x10000, P(255, 0, 0, 200), P(0, 100, 255, 128), 1.0f, P(126, 51, 129, 255)},
    {0x10000, P(0, 128, 255, 200), P(255, 64, 0, 255), 0.5f, P(128, 96, 127, 255)},
    {0x10000, P(200, 100, 50, 0), P(100, 255, 128, 128), 0.5f, P(175, 139, 70, 64)},
    // add skips a transparent source
    {0x10001, P(200, 100, 50, 0), P(255, 255, 255, 0), 1.0f, P(200, 100, 50, 0)},
    {0x10001, P(200, 100, 50, 0), P(200, 0, 100, 127), 1.0f, P(255, 100, 100, 63)},
    {0x10002, P(200, 100, 50, 0), P(100, 255, 128, 128), 1.0f, P(248, 200, 66, 0)},
    // multiply skips a transparent source
    {0x10003, P(200, 100, 50, 0), P(255, 255, 255, 0), 1.0f, P(200, 100, 50, 0)},
    {0x10003, P(200, 100, 50, 0), P(100, 255, 128, 128), 0.5f, P(169, 99, 43, 0)},
    // overlay with a transparent source still acts
    {0x10004, P(200, 200, 200, 200), P(0, 0, 0, 0), 1.0f, P(199, 199, 199, 199)},
    {0x10004, P(200, 100, 50, 0), P(100, 255, 128, 128), 0.5f, P(197, 115, 50, 0)},
    // undefined modes draw nothing
    {0x6, P(200, 100, 50, 0), P(100, 255, 128, 128), 1.0f, P(200, 100, 50, 0)},
    {0x10006, P(200, 100, 50, 0), P(100, 255, 128, 128), 1.0f, P(200, 100, 50, 0)},
};

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

TEST(CombinePixels, SinglePixelsAndBlitLoopsMatchWorkedPixels) {
    GuardedBitmap dest(1, 1), src(1, 1);
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "mode 0x" << std::hex << c.mode << " dest " << c.dest
                                        << " src " << c.src << " alpha " << c.alpha);
        EXPECT_EQ(RAST_CombinePixels(c.dest, c.src, c.alpha, c.mode), c.expected);
        dest.at(0, 0) = c.dest;
        src.at(0, 0) = c.src;
        // The blit's own copy at exactly 0.5 is the half blend; its other modes share the rows.
        if (c.mode == 0 && c.alpha == 0.5f) continue;
        RAST_Blit(&dest, &src, 0, 0, nullptr, c.alpha, c.mode);
        EXPECT_EQ(dest.at(0, 0), c.expected);
    }
}

TEST(CombinePixels, AlphaAndWeightsOutsideTheRangeAreHeld) {
    const RAST_pixel d = P(10, 20, 30, 40), s = P(200, 150, 100, 50);
    for (int mode : {0, 1, 3, 5, 0x10000, 0x10003}) {
        for (float alpha : {0.0f, -0.5f, NAN})
            EXPECT_EQ(RAST_CombinePixels(d, s, alpha, mode), d);
        const RAST_pixel full = RAST_CombinePixels(d, s, 1.0f, mode);
        EXPECT_EQ(RAST_CombinePixels(d, s, 1.5f, mode), full);
        RAST_pixel high = d, low = d;
        RAST_CombinePixels2(&high, 200, 150, 100, 50, 300, mode);
        RAST_CombinePixels2(&low, 200, 150, 100, 50, -20, mode);
        EXPECT_EQ(high, full);
        EXPECT_EQ(low, d);
    }
}

TEST(CombinePixels, ClampVariantHoldsEveryByte) {
    RAST_pixel p = 0;
    RAST_CombinePixels2Clamp(&p, 300, -5, 128, 999, 256, 0);
    EXPECT_EQ(p, P(255, 0, 128, 255));
    // 300 + (-300 * 128) / 256 = 150; -5 + (5 * 128) / 256 = -3, held at 0.
    p = 0;
    RAST_CombinePixels2Clamp(&p, 300, -5, 0, 0, 128, 0);
    EXPECT_EQ(p, P(150, 0, 0, 0));
    RAST_CombinePixels2Clamp(&p, 400, -1, 7, 255, 256, 0x10000);
    EXPECT_EQ(p, P(255, 0, 7, 255));
    // Without clamping, full-weight copy stores the low bytes.
    RAST_CombinePixels2(&p, 300, 0x1FF, 0, 0, 256, 0);
    EXPECT_EQ(p, P(44, 255, 0, 0));
    // Under the undefined-behaviour sanitizer: no formula may overflow on hostile channels.
    for (int mode = 0; mode < 6; ++mode)
        for (int v : {INT_MIN + 1, -70000, 70000, INT_MAX}) {
            RAST_CombinePixels2(&p, v, -v / 2, v / 3, v, 255, mode | 0x10000);
            RAST_CombinePixels2Clamp(&p, v, -v / 2, v / 3, v, 255, mode);
        }
}

TEST(HSVAdjust, WorkedPixels) {
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
