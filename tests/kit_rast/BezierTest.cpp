#include "ShapeTestUtil.h"

#include "kit/rast/RAST_Bezier.h"
#include "kit/rast/RAST_Line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const RAST_pixel kColour = P(90, 180, 45, 255);

} // namespace

TEST(QBezier, GetYOnStraightAndCurvedCurves) {
    double t = -1;
    // Control point midway: the curve is the straight line.
    EXPECT_FLOAT_EQ(RAST_Bezier_GetY(0, 5, 10, 0, 10, 20, 2.5f, &t), 5.0f);
    EXPECT_DOUBLE_EQ(t, 0.25);
    EXPECT_EQ(RAST_Bezier_GetY(0, 5, 10, 3, 4, 7, -1.0f, &t), 3.0f);
    EXPECT_EQ(t, 0.0);
    EXPECT_EQ(RAST_Bezier_GetY(0, 5, 10, 3, 4, 7, 10.0f, &t), 7.0f);
    EXPECT_EQ(t, 1.0);
    // x = t^2 x 10 with the control at the start: x = 2.5 at t = 0.5.
    EXPECT_FLOAT_EQ(RAST_Bezier_GetY(0, 0, 10, 0, 8, 0, 2.5f, &t), 4.0f);
    EXPECT_DOUBLE_EQ(t, 0.5);
    EXPECT_FLOAT_EQ(RAST_Bezier_GetY(0, 0, 10, 0, 8, 0, 2.5f, nullptr), 4.0f);
}

TEST(QBezier, EndsInEitherOrderDrawTheSamePixels) {
    for (bool aa : {false, true}) {
        ZeroBitmap a(40, 30), b(40, 30);
        RAST_DrawQBezier(&a, 3, 25, 15, -10, 36, 20, kColour, 1.0f, 0, aa, 1.0f);
        RAST_DrawQBezier(&b, 36, 20, 15, -10, 3, 25, kColour, 1.0f, 0, aa, 1.0f);
        EXPECT_EQ(a.picture(), b.picture());
        EXPECT_GT(changedPixels(a).size(), 33u);
        EXPECT_TRUE(a.guardsIntact());
    }
}

TEST(QBezier, CutAtTheBitmapsColumns) {
    // x runs from -10 to 5: the first segment starts at column 0 on the curve.
    ZeroBitmap bm(100, 20);
    RAST_DrawQBezier(&bm, -10, 2, -2.5f, 10, 5, 18, kColour, 1.0f, 0, false, 1.0f);
    const int y0 = int(RAST_Bezier_GetY(-10, -2.5f, 5, 2, 10, 18, 0, nullptr));
    EXPECT_EQ(bm.at(0, y0), kColour);
    EXPECT_EQ(bm.at(5, 18), kColour);
    for (const auto& [x, y] : changedPixels(bm))
        EXPECT_LE(x, 5);
    // Wholly left of the bitmap.
    ZeroBitmap left(10, 10);
    RAST_DrawQBezier(&left, -30, 2, -20, 5, -10, 8, kColour, 1.0f, 0, true, 1.0f);
    EXPECT_TRUE(changedPixels(left).empty());
}

TEST(QBezier, HostileInputIsSafe) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    ZeroBitmap bm(20, 20);
    RAST_DrawQBezier(&bm, 0, 0, nan, 5, 10, 10, kColour, 1.0f, 0, true, 1.0f);
    RAST_DrawQBezier(&bm, 0, 0, 5, 5, inf, 10, kColour, 1.0f, 0, true, 1.0f);
    EXPECT_TRUE(changedPixels(bm).empty());
    // Curves whose x turns back, far-off points, tiny and odd tolerances.
    RAST_DrawQBezier(&bm, 0, 0, 40, 5, 10, 10, kColour, 1.0f, 0, true, 0.0f);
    RAST_DrawQBezier(&bm, -1e30f, 0, 1e30f, 5, 1e30f, 10, kColour, 1.0f, 0, true, 1e-30f);
    RAST_DrawQBezier(&bm, 0, 0, 5, 5, 19, 19, kColour, 1.0f, 0, true, nan);
    EXPECT_TRUE(bm.guardsIntact());
    EXPECT_FALSE(changedPixels(bm).empty());
}

TEST(CBezier, GetYBisectsTheParameter) {
    float next = -1, slope = -1;
    double lo = -1, hi = -1;
    EXPECT_EQ(RAST_CBezier_GetY(2, 3, 4, 5, 7, 8, 9, 10, 1.0f, &next, &slope, &lo, &hi), 7.0f);
    EXPECT_EQ(next, 2.0f);
    EXPECT_EQ(slope, 0.0f);
    EXPECT_EQ(lo, -1.0);
    EXPECT_EQ(RAST_CBezier_GetY(2, 3, 4, 5, 7, 8, 9, 10, 5.0f, &next, &slope, &lo, &hi), 10.0f);
    EXPECT_EQ(next, 5.0f);
    // A straight cubic with evenly spaced controls: x = 2 + 3t, y = 7 + 3t; 3.5 is hit exactly
    // at t = 0.5, and the bracket reaches 1/256 beyond.
    EXPECT_FLOAT_EQ(RAST_CBezier_GetY(2, 3, 4, 5, 7, 8, 9, 10, 3.5f, &next, &slope, &lo, &hi),
                    8.5f);
    EXPECT_EQ(lo, 0.5);
    EXPECT_EQ(hi, 0.5 + 1.0 / 256);
    EXPECT_FLOAT_EQ(slope, 1.0f);
    EXPECT_FLOAT_EQ(next, 3.5f + 3.0f / 256);
    // Elsewhere eight halvings leave a bracket of 1/256 around the answer.
    EXPECT_NEAR(RAST_CBezier_GetY(2, 3, 4, 5, 7, 8, 9, 10, 4.2f, &next, &slope, &lo, &hi), 9.2f,
                1e-5);
    EXPECT_DOUBLE_EQ(hi - lo, 1.0 / 256);
}

TEST(CBezier, FewSegmentsMakeOneStraightLine) {
    // A control polygon about 2.9 long at tol 1: two segments, drawn as one line.
    ZeroBitmap curve(10, 10), line(10, 10);
    RAST_DrawCBezier(&curve, 1, 1, 2, 1.5f, 2.5f, 2, 3, 3, kColour, 1.0f, 0, true, 1.0f);
    RAST_FLine(&line, 1, 1, 3, 3, kColour, 1.0f, 0, true);
    EXPECT_EQ(curve.picture(), line.picture());
}

TEST(CBezier, DrawsAcrossTheBitmapAndItsEdges) {
    for (bool flipped : {false, true}) {
        ZeroBitmap bm(30, 20, flipped);
        RAST_DrawCBezier(&bm, -5, 18, 5, -20, 25, 40, 40, 2, kColour, 1.0f, 0, false, 1.0f);
        EXPECT_TRUE(bm.guardsIntact());
        const PixelSet s = changedPixels(bm);
        EXPECT_EQ(s.begin()->first, 0);
        EXPECT_EQ(s.rbegin()->first, 29);
    }
}

TEST(CBezier, FillsDownOrUpToTheRow) {
    const auto fill = [](float y, int yfill) {
        ZeroBitmap bm(14, 14);
        RAST_FillCBezier(&bm, 0, y, 3, y, 7, y, 10, y, yfill, kCountColour, 1.0f, kAdd, 1.0f);
        EXPECT_TRUE(bm.guardsIntact());
        EXPECT_EQ(maxCount(bm), 1);
        return changedPixels(bm);
    };
    const auto block = [](int x1, int x2, int y1, int y2) {
        PixelSet s;
        for (int y = y1; y <= y2; ++y)
            for (int x = x1; x <= x2; ++x)
                s.insert({x, y});
        return s;
    };
    // Columns trunc(xstart) to trunc(xend - 1); above the row down to yfill + 1, below up to
    // yfill.
    EXPECT_EQ(fill(2, 6), block(0, 9, 2, 7));
    EXPECT_EQ(fill(9, 6), block(0, 9, 6, 9));
    const auto fillX = [](float x, int xfill) {
        ZeroBitmap bm(14, 14);
        RAST_FillCBezierX(&bm, x, 0, x, 3, x, 7, x, 10, xfill, kCountColour, 1.0f, kAdd, 1.0f);
        EXPECT_TRUE(bm.guardsIntact());
        return changedPixels(bm);
    };
    // Across to the column, pieces reach one row below their end: rows trunc(ystart) to
    // trunc(yend).
    EXPECT_EQ(fillX(2, 6), block(2, 7, 0, 10));
    EXPECT_EQ(fillX(9, 6), block(6, 9, 0, 10));
}

TEST(CBezier, FillSegmentsCrossingTheRowSplitIntoTwoTriangles) {
    ZeroBitmap bm(12, 12);
    DoBezierFillSegment(&bm, 0, 2, 8, 10, 6, kCountColour, 1.0f, kAdd);
    // Crossing at column 4: above from row 2 down to row 7 on the left, below from row 6 to
    // row 10 on the right.
    EXPECT_EQ(RAST_GetRed(bm.at(0, 2)), 1);
    EXPECT_EQ(RAST_GetRed(bm.at(0, 7)), 1);
    EXPECT_EQ(RAST_GetRed(bm.at(0, 8)), 0);
    EXPECT_EQ(RAST_GetRed(bm.at(8, 10)), 1);
    EXPECT_EQ(RAST_GetRed(bm.at(8, 6)), 1);
    EXPECT_EQ(RAST_GetRed(bm.at(8, 5)), 0);
    // One column takes the rows a wider piece would: down to yfill + 1 from above; across the
    // row both parts, which meet on rows yfill and yfill + 1.
    ZeroBitmap col(5, 12);
    DoBezierFillSegment(&col, 1, 3, 1, 4, 6, kCountColour, 1.0f, kAdd);
    DoBezierFillSegment(&col, 3, 3, 3, 9, 6, kCountColour, 1.0f, kAdd);
    EXPECT_EQ(changedPixels(col).size(), 5u + 7u);
    EXPECT_EQ(RAST_GetRed(col.at(1, 7)), 1);
    EXPECT_EQ(RAST_GetRed(col.at(3, 9)), 1);
    EXPECT_EQ(RAST_GetRed(col.at(3, 6)), 2);
}
