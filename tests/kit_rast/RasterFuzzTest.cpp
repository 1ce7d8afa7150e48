#include "GuardedBitmap.h"

#include "kit/rast/RAST_Bezier.h"
#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_BlurHalveCompare.h"
#include "kit/rast/RAST_Circle.h"
#include "kit/rast/RAST_DeltaBlit.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_Glyph.h"
#include "kit/rast/RAST_Line.h"
#include "kit/rast/RAST_Polygon.h"
#include "kit/rast/RAST_RotatedBlit.h"
#include "kit/rast/RAST_ScaledBlit.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <random>

namespace {

// Coordinates mostly around a small bitmap, sometimes far off, at the ends of the int range,
// or not finite.
struct Dice {
    std::mt19937 rng;
    unsigned pick(unsigned n) { return rng() % n; }
    int i(int size) {
        const int ends[] = {INT_MIN, INT_MIN + 1, -1000000, 1000000, INT_MAX - 1, INT_MAX};
        const unsigned k = pick(8);
        return k == 0 ? ends[pick(6)] : k == 1 ? int(pick(2001)) - 1000 : int(pick(size + 8)) - 4;
    }
    float f(int size) {
        const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                             INFINITY,
                             -INFINITY,
                             3e38f,
                             -1e20f,
                             16777216.0f,
                             -0.5f};
        const unsigned k = pick(10);
        return k == 0   ? odd[pick(7)]
               : k == 1 ? float(i(size))
                        : float(int(pick(size * 8 + 64)) - 32) / 8;
    }
};

// One drawing call of any kind, with dice for every argument; src is a second bitmap.
void drawOne(Dice& d, RAST_IBitmap* bm, RAST_IBitmap* src, int w, int h) {
    const float alphas[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 0.501f, 1.5f, -1.0f};
    const int modes[] = {0, 1, 2, 3, 4, 5, 6, 0xF0, 0xF6, 0x100, 0x10000, 0x10005, 0x10101};
    const RAST_pixel c = RAST_pixel(d.rng());
    const float a = d.pick(2) ? float(d.pick(257)) / 256 : alphas[d.pick(8)];
    const int m = modes[d.pick(13)], s = std::max(w, h);
    const bool aa = d.pick(2);
    const float tol = float(d.pick(40)) / 8;
    static const unsigned char coverage[8 * 8] = {255, 1, 128, 7, 0, 99, 255, 3};
    switch (d.pick(22)) {
    case 0:
        return RAST_Line(bm, d.i(w), d.i(h), d.i(w), d.i(h), c, a, m, aa);
    case 1:
        return RAST_FLine(bm, d.f(w), d.f(h), d.f(w), d.f(h), c, a, m, aa);
    case 2:
        return RAST_DashedLine(bm, d.i(w), d.i(h), d.i(w), d.i(h), d.i(5), d.i(5), c, a, m, aa);
    case 3:
        return RAST_Circle(bm, d.f(w), d.f(h), d.f(s) / 2, c, a, m, aa);
    case 4:
        return RAST_FillCircle(bm, d.f(w), d.f(h), d.f(s), c, a, m, aa);
    case 5:
        return RAST_Arc(bm, d.f(w), d.f(h), d.f(s), d.f(7), d.f(7), c, a, m, aa);
    case 6:
        return RAST_RoundRect(bm, d.f(w), d.f(h), d.f(w), d.f(h), d.i(s), c, a, m, aa);
    case 7:
        return RAST_DrawRect(bm, d.i(w), d.i(h), d.i(w), d.i(h), c, a, m);
    case 8:
        return RAST_FillTrapezoid(bm, d.i(w), d.i(w), d.i(h), d.i(w), d.i(w), d.i(h), c, a, m);
    case 9: {
        int x[12], y[12];
        const int n = int(d.pick(13));
        for (int k = 0; k < n; ++k)
            x[k] = d.i(w), y[k] = d.i(h);
        return RAST_FillConvexPolygon(bm, x, y, n, c, a, m);
    }
    case 10:
        return RAST_DrawQBezier(bm, d.f(w), d.f(h), d.f(w), d.f(h), d.f(w), d.f(h), c, a, m, aa,
                                tol);
    case 11:
        return RAST_DrawCBezier(bm, d.f(w), d.f(h), d.f(w), d.f(h), d.f(w), d.f(h), d.f(w), d.f(h),
                                c, a, m, aa, tol);
    case 12:
        return RAST_FillCBezier(bm, d.f(w), d.f(h), d.f(w), d.f(h), d.f(w), d.f(h), d.f(w), d.f(h),
                                d.i(h), c, a, m, tol);
    case 13:
        return RAST_FillCBezierX(bm, d.f(w), d.f(h), d.f(w), d.f(h), d.f(w), d.f(h), d.f(w), d.f(h),
                                 d.i(w), c, a, m, tol);
    case 14:
        return RAST_FillRect(bm, d.i(w), d.i(h), d.i(w), d.i(h), c, a, m);
    case 15:
        return RAST_GradRect(bm, d.i(w), d.i(h), d.i(w), d.i(h), d.f(1), d.f(1), d.f(1), d.f(1),
                             d.f(1), d.f(1), d.f(1), d.f(1), d.f(1), d.f(1), d.f(1), d.f(1), m);
    // The coverage map is 8 x 8: only the position may be hostile.
    case 16:
        return RAST_DrawGlyphEx(bm, d.i(w), d.i(h), c, coverage, int(d.pick(9)), 8, int(d.pick(9)),
                                a, m);
    case 17:
        return RAST_Blit(bm, src, d.i(w), d.i(h), d.i(s), d.i(s), d.i(s), d.i(s), a, m);
    case 18:
        return RAST_ScaledBlit(bm, src, d.i(w), d.i(h), d.i(w), d.i(h), d.f(s), d.f(s), d.f(s),
                               d.f(s), a, m);
    case 19:
        return RAST_DeltaBlit(bm, src, d.i(w), d.i(h), d.i(w), d.i(h), d.f(s), d.f(s), d.f(s),
                              d.f(s), d.f(2), d.f(2), d.f(2), d.f(2), d.f(1) / 8, d.f(1) / 8, aa, a,
                              m);
    case 20:
        return RAST_RotatedBlit(bm, src, d.i(w), d.i(h), d.i(w), d.i(h), d.f(s), d.f(s), d.f(s),
                                d.f(s), d.f(7), aa, a, m, d.f(s), d.f(s));
    default:
        return RAST_Blur(bm, d.pick(2) ? bm : src, d.i(w), d.i(h), d.i(w), d.i(h), d.i(w), d.i(h));
    }
}

} // namespace

// Whatever the call, it returns and nothing is written outside either bitmap.
TEST(RasterFuzz, RandomDrawingNeverWritesOutsideTheBitmap) {
    Dice d{std::mt19937(20240611)};
    for (int round = 0; round < 800; ++round) {
        const int w = int(d.pick(24)), h = int(d.pick(24));
        GuardedBitmap bm(w, h, d.pick(2), 0x12345678),
            src(int(d.pick(9)), int(d.pick(9)), d.pick(2));
        src.fill([](int x, int y) { return P(40 * x, 30 * y, 99, 128 + x); });
        for (int k = 0; k < 30; ++k) {
            drawOne(d, &bm, &src, w, h);
            ASSERT_TRUE(bm.guardsIntact() && src.guardsIntact())
                << "round " << round << " call " << k;
        }
    }
}
