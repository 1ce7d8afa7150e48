#include "GuardedBitmap.h"

#include "kit/rast/RAST_Bezier.h"
#include "kit/rast/RAST_Line.h"

#include <gtest/gtest.h>

namespace {

const RAST_pixel kColour = P(90, 180, 45, 255);

} // namespace

TEST(QBezier, GetYOnStraightAndCurvedCurves) {
    double t = -1;
    // Control point midway: the straight line, interpolated.
    EXPECT_FLOAT_EQ(RAST_Bezier_GetY(0, 5, 10, 0, 10, 20, 2.5f, &t), 5.0f);
    EXPECT_DOUBLE_EQ(t, 0.25);
    EXPECT_EQ(RAST_Bezier_GetY(0, 5, 10, 3, 4, 7, -1.0f, &t), 3.0f);
    EXPECT_EQ(t, 0.0);
    EXPECT_EQ(RAST_Bezier_GetY(0, 5, 10, 3, 4, 7, 10.0f, nullptr), 7.0f);
    // x = 10 t^2 reaches 2.5 at t = 0.5.
    EXPECT_FLOAT_EQ(RAST_Bezier_GetY(0, 0, 10, 0, 8, 0, 2.5f, &t), 4.0f);
    EXPECT_DOUBLE_EQ(t, 0.5);
}

TEST(QBezier, EitherOrderAndCutAtTheColumns) {
    GuardedBitmap a(40, 30), b(40, 30);
    RAST_DrawQBezier(&a, 3, 25, 15, -10, 36, 20, kColour, 1.0f, 0, true, 1.0f);
    RAST_DrawQBezier(&b, 36, 20, 15, -10, 3, 25, kColour, 1.0f, 0, true, 1.0f);
    EXPECT_EQ(a.picture(), b.picture());
    EXPECT_GT(changedPixels(a).size(), 33u);
    // x from -10 to 5: the first segment starts at column 0 on the curve.
    GuardedBitmap cut(100, 20);
    RAST_DrawQBezier(&cut, -10, 2, -2.5f, 10, 5, 18, kColour, 1.0f, 0, false, 0.0f);
    EXPECT_EQ(cut.at(0, int(RAST_Bezier_GetY(-10, -2.5f, 5, 2, 10, 18, 0, nullptr))), kColour);
    EXPECT_EQ(cut.at(5, 18), kColour);
    EXPECT_EQ(changedPixels(cut).rbegin()->first, 5);
}

TEST(CBezier, GetYBisectsTheParameter) {
    float next = -1, slope = -1;
    double lo = -1, hi = -1;
    EXPECT_EQ(RAST_CBezier_GetY(2, 3, 4, 5, 7, 8, 9, 10, 1.0f, &next, &slope, &lo, &hi), 7.0f);
    EXPECT_EQ(next, 2.0f);
    EXPECT_EQ(slope, 0.0f);
    EXPECT_EQ(lo, -1.0);
    // x = 2 + 3t, y = 7 + 3t: 3.5 is hit exactly at t = 0.5, the bracket reaching 1/256 on.
    EXPECT_FLOAT_EQ(RAST_CBezier_GetY(2, 3, 4, 5, 7, 8, 9, 10, 3.5f, &next, &slope, &lo, &hi),
                    8.5f);
    EXPECT_EQ(lo, 0.5);
    EXPECT_EQ(hi, 0.5 + 1.0 / 256);
    EXPECT_FLOAT_EQ(slope, 1.0f);
    // Elsewhere eight halvings leave a bracket of 1/256 around the answer.
    EXPECT_NEAR(RAST_CBezier_GetY(2, 3, 4, 5, 7, 8, 9, 10, 4.2f, &next, &slope, &lo, &hi), 9.2f,
                1e-5);
    EXPECT_DOUBLE_EQ(hi - lo, 1.0 / 256);
}

TEST(CBezier, DrawsAcrossTheBitmapAndFewSegmentsAreOneLine) {
    GuardedBitmap bm(30, 20, true);
    RAST_DrawCBezier(&bm, -5, 18, 5, -20, 25, 40, 40, 2, kColour, 1.0f, 0, false, 1.0f);
    EXPECT_TRUE(bm.guardsIntact());
    EXPECT_EQ(changedPixels(bm).begin()->first, 0);
    EXPECT_EQ(changedPixels(bm).rbegin()->first, 29);
    // A control polygon about 2.9 long at tol 1 is two segments: one line from end to end.
    GuardedBitmap curve(10, 10), line(10, 10);
    RAST_DrawCBezier(&curve, 1, 1, 2, 1.5f, 2.5f, 2, 3, 3, kColour, 1.0f, 0, true, 1.0f);
    RAST_FLine(&line, 1, 1, 3, 3, kColour, 1.0f, 0, true);
    EXPECT_EQ(curve.picture(), line.picture());
}

TEST(CBezier, FillsDownOrUpToTheRowOrAcrossToTheColumn) {
    const auto fill = [](float at, int to, bool across) {
        GuardedBitmap bm(14, 14);
        if (across)
            RAST_FillCBezierX(&bm, at, 0, at, 3, at, 7, at, 10, to, kCountColour, 1.0f, kAdd, 1);
        else
            RAST_FillCBezier(&bm, 0, at, 3, at, 7, at, 10, at, to, kCountColour, 1.0f, kAdd, 1);
        EXPECT_TRUE(bm.guardsIntact());
        return changedPixels(bm);
    };
    // Columns trunc(xstart) to trunc(xend - 1): down to row yfill + 1 from above, up to row
    // yfill from below.
    EXPECT_EQ(fill(2, 6, false), box(0, 9, 2, 7));
    EXPECT_EQ(fill(9, 6, false), box(0, 9, 6, 9));
    // Across to the column, pieces reach a row below their end: rows trunc(ystart) to
    // trunc(yend).
    EXPECT_EQ(fill(2, 6, true), box(2, 7, 0, 10));
    EXPECT_EQ(fill(9, 6, true), box(6, 9, 0, 10));
}

TEST(CBezier, FillPiecesAcrossTheRowAndOfOneColumn) {
    GuardedBitmap bm(12, 12);
    // Crossing row 6 at column 4: above, the left part down to row 7; below, the right part
    // from row 6.
    DoBezierFillSegment(&bm, 0, 2, 8, 10, 6, kCountColour, 1.0f, kAdd);
    EXPECT_EQ(RAST_GetRed(bm.at(0, 7)), 1);
    EXPECT_EQ(RAST_GetRed(bm.at(0, 8)), 0);
    EXPECT_EQ(RAST_GetRed(bm.at(8, 6)), 1);
    EXPECT_EQ(RAST_GetRed(bm.at(8, 5)), 0);
    // One column takes the rows a wider piece takes there.
    GuardedBitmap col(5, 12);
    DoBezierFillSegment(&col, 1, 3, 1, 4, 6, kCountColour, 1.0f, kAdd);
    DoBezierFillSegment(&col, 3, 3, 3, 9, 6, kCountColour, 1.0f, kAdd);
    PixelSet both = box(1, 1, 3, 7);
    both.merge(box(3, 3, 3, 9));
    EXPECT_EQ(changedPixels(col), both);
}
