#include "GuardedBitmap.h"

#include "kit/rast/RAST_Circle.h"
#include "kit/rast/RAST_Polygon.h"

#include <gtest/gtest.h>

namespace {

const RAST_pixel kColour = P(200, 100, 50, 255);
const RAST_pixel kWhite = 0xFFFFFFFF;

// Plain shapes are counted in the add mode (each pixel at most once); antialiased ones are
// drawn in white so that every weight shows.
template <class Draw> PixelSet shape(bool aa, Draw draw) {
    GuardedBitmap bm(24, 24);
    draw(&bm, aa ? kWhite : kCountColour, aa ? 0 : kAdd);
    EXPECT_TRUE(bm.guardsIntact());
    if (!aa) {
        EXPECT_LE(maxCount(bm), 1);
    }
    return changedPixels(bm);
}
PixelSet circle(float cx, float cy, float r, bool aa = false) {
    return shape(aa, [&](RAST_IBitmap* bm, RAST_pixel c, int mode) {
        RAST_Circle(bm, cx, cy, r, c, 1.0f, mode, aa);
    });
}
PixelSet disc(float cx, float cy, float r, bool aa = false) {
    return shape(aa, [&](RAST_IBitmap* bm, RAST_pixel c, int mode) {
        RAST_FillCircle(bm, cx, cy, r, c, 1.0f, mode, aa);
    });
}
PixelSet arc(float a, float b) {
    return shape(false, [&](RAST_IBitmap* bm, RAST_pixel c, int mode) {
        RAST_Arc(bm, 10.0f, 10.0f, 6.0f, a, b, c, 1.0f, mode, false);
    });
}

// The pixels (cx + x, cy + y) with lo <= x^2 + y^2 <= hi.
PixelSet ring(int cx, int cy, int lo, int hi) {
    PixelSet s;
    for (int y = -3; y <= 3; ++y)
        for (int x = -3; x <= 3; ++x)
            if (x * x + y * y >= lo && x * x + y * y <= hi) s.insert({cx + x, cy + y});
    return s;
}

} // namespace

TEST(Circle, SmallRadii) {
    // Radius 2 is a stamped mask: the plain diamond, its top-left corner at trunc(centre - 2),
    // cut at the edges.
    PixelSet stamped = ring(10, 10, 2, 4);
    stamped.insert({{1, 0}, {0, 1}});
    EXPECT_EQ(shape(true,
                    [](RAST_IBitmap* bm, RAST_pixel c, int) {
                        RAST_Circle(bm, 10.7f, 10.2f, 2.0f, c, 1.0f, 0, false);
                        RAST_Circle(bm, -1.0f, 0.0f, 2.0f, c, 1.0f, 0, false);
                    }),
              stamped);
    EXPECT_EQ(circle(10.7f, 10.2f, 2.0f, true).size(), 24u);
    // Radius 2.01 is rasterised with R = 2, around the rounded centre.
    EXPECT_EQ(circle(10.5f, 9.6f, 2.01f), ring(11, 10, 4, 5));
    // At R = 1 the outline is the four neighbours (antialiased, the outer points have weight
    // 0); at R = 0 it combines the centre four times, the disc once.
    EXPECT_EQ(circle(10.0f, 10.0f, 1.0f), ring(10, 10, 1, 1));
    EXPECT_EQ(circle(10.0f, 10.0f, 1.0f, true), ring(10, 10, 1, 1));
    EXPECT_EQ(disc(10.0f, 10.0f, 1.0f), ring(10, 10, 0, 1));
    EXPECT_EQ(disc(10.0f, 10.0f, 0.7f, true), ring(10, 10, 0, 1));
    EXPECT_EQ(circle(10.0f, 10.0f, 0.5f, true), ring(10, 10, 0, 1));
    GuardedBitmap bm(5, 5);
    RAST_Circle(&bm, 2.0f, 2.0f, 0.2f, kCountColour, 1.0f, kAdd, false);
    EXPECT_EQ(bm.at(2, 2), 0x04040404u);
    EXPECT_EQ(disc(2.0f, 2.0f, 0.2f), (PixelSet{{2, 2}}));
}

TEST(Circle, DiscsCombineEachPixelOnceAndHoldTheirOutline) {
    for (float r = 0.6f; r < 9.0f; r += 0.37f)
        for (float d : {0.0f, 0.3f, 0.8f}) {
            const float cx = 11.0f + d, cy = 11.0f + d / 2;
            const PixelSet filled = disc(cx, cy, r);
            for (const auto& p : circle(cx, cy, r + 0.001f))
                ASSERT_EQ(filled.count(p), 1u) << r;
            GuardedBitmap aa(24, 24);
            RAST_FillCircle(&aa, cx, cy, r, kCountColour, 1.0f, kAdd, true);
            ASSERT_LE(maxCount(aa), 1);
        }
}

TEST(Circle, AlphaAndModes) {
    const auto centre = [](float alpha, int mode) {
        GuardedBitmap bm(9, 9, false, P(11, 21, 31, 41));
        RAST_FillCircle(&bm, 4.0f, 4.0f, 2.4f, kColour, alpha, mode, false);
        return bm.at(4, 4);
    };
    EXPECT_EQ(centre(7.0f, 0), kColour); // alpha held at 1
    EXPECT_EQ(centre(0.5f, 0), P(105, 60, 40, 148));
    EXPECT_EQ(centre(0.999f, 0), kColour); // weight 255 truncates toward the colour
    EXPECT_EQ(centre(1.0f, 0xF0), P(11, 21, 31, 41));
}

// A circle drawn whole without per-pixel tests, and the same circle on small bitmaps that cut
// it, agree wherever the small ones reach (centres at -0.5 or more: below, truncation moves
// them).
TEST(Circle, ClippedCirclesMatchTheWholeOnes) {
    for (int kind = 0; kind < 5; ++kind)
        for (float r : {3.3f, 6.0f, 7.6f}) {
            const auto draw = [&](RAST_IBitmap* bm, float cx, float cy) {
                const bool aa = kind % 2;
                if (kind < 2) RAST_Circle(bm, cx, cy, r, kColour, 0.7f, 0, aa);
                if (kind >= 2 && kind < 4) RAST_FillCircle(bm, cx, cy, r, kColour, 0.7f, 0, aa);
                if (kind == 4) RAST_Arc(bm, cx, cy, r, 0.4f, 4.0f, kColour, 0.7f, 0, true);
            };
            GuardedBitmap whole(40, 40);
            draw(&whole, 20.3f, 19.6f);
            for (int ox : {11, 17, 20})
                for (int oy : {12, 20}) {
                    GuardedBitmap part(9, 7);
                    draw(&part, 20.3f - ox, 19.6f - oy);
                    ASSERT_TRUE(
                        pictureIs(part, [&](int x, int y) { return whole.at(x + ox, y + oy); }))
                        << kind << " " << r << " " << ox << "," << oy;
                }
        }
    // A radius of ten million whose rim crosses the bitmap: only the rim is walked.
    GuardedBitmap rim(11, 11);
    RAST_Circle(&rim, 5.0f, 5.0f + 1e7f, 1e7f, kCountColour, 1.0f, kAdd, false);
    EXPECT_EQ(changedPixels(rim).size(), 11u);
    EXPECT_TRUE(rim.guardsIntact());
}

// A flipped bitmap's memory holds what a plain one holds for the mirrored centre and angles.
TEST(Circle, FlippedBitmapsMirrorCentreAndAngles) {
    for (bool aa : {false, true}) {
        GuardedBitmap flipped(15, 12, true), plain(15, 12);
        RAST_Circle(&flipped, 6.0f, 3.0f, 2.6f, kColour, 1.0f, 0, aa);
        RAST_Circle(&plain, 6.0f, 8.0f, 2.6f, kColour, 1.0f, 0, aa);
        RAST_Arc(&flipped, 6.0f, 3.0f, 5.0f, 0.2f, 1.0f, kColour, 1.0f, 0, aa);
        RAST_Arc(&plain, 6.0f, 8.0f, 5.0f, 3.1415927f - 1.0f, 3.1415927f - 0.2f, kColour, 1.0f, 0,
                 aa);
        EXPECT_TRUE(pictureIs(flipped, [&](int x, int y) { return plain.at(x, 11 - y); }));
    }
}

TEST(Arc, QuadrantsShareCardinalPointsOnce) {
    const float pi = 3.1415927f;
    EXPECT_EQ(arc(0.0f, pi / 2).count({10, 4}), 1u);
    EXPECT_EQ(arc(0.0f, pi / 2).count({16, 10}), 0u);
    EXPECT_EQ(arc(pi / 2, pi).count({16, 10}), 1u);
    PixelSet all;
    for (int q = 0; q < 4; ++q)
        for (const auto& p : arc(q * pi / 2, (q + 1) * pi / 2))
            EXPECT_TRUE(all.insert(p).second);
    EXPECT_EQ(all, circle(10.0f, 10.0f, 6.0f));
    EXPECT_EQ(arc(0.0f, 2 * pi), all);
    EXPECT_TRUE(arc(1.0f, 1.0f).empty());
    EXPECT_EQ(arc(8.0f, 7.0f), arc(7.0f - 2 * pi, 8.0f - 2 * pi));
    EXPECT_EQ(arc(-20.0f, -19.0f), arc(-20.0f + 4 * pi, -19.0f + 4 * pi));
    EXPECT_LE(arc(1e30f, 1e30f + 1e24f).size(), all.size()); // reduced without running away
}

TEST(RoundRect, CornersCapAndFallBackToSquare) {
    const auto rr = [](float w, float h, int radius) {
        GuardedBitmap bm(50, 50);
        if (radius < 0)
            RAST_DrawRect(&bm, 2, 3, int(w), int(h), kColour, 1.0f, 0);
        else
            RAST_RoundRect(&bm, 2.0f, 3.0f, w, h, radius, kColour, 1.0f, 0, false);
        return changedPixels(bm);
    };
    EXPECT_EQ(rr(20.0f, 10.0f, 1), rr(20, 10, -1));
    EXPECT_EQ(rr(3.5f, 20.0f, 5), rr(3, 20, -1));
    EXPECT_EQ(rr(12.0f, 40.0f, 10), rr(12.0f, 40.0f, 6));
    EXPECT_NE(rr(12.0f, 40.0f, 6), rr(12.0f, 40.0f, 5));
    // The outline spans x..x + w and y..y + h, its corners cut.
    const PixelSet s = rr(20.0f, 10.0f, 4);
    EXPECT_EQ(s.begin()->first, 2);
    EXPECT_EQ(s.rbegin()->first, 22);
    EXPECT_TRUE(s.count({12, 3}) && s.count({12, 13}) && !s.count({2, 3}));
}
