#include "ShapeTestUtil.h"

#include "kit/rast/RAST_Bezier.h"
#include "kit/rast/RAST_Circle.h"
#include "kit/rast/RAST_Line.h"
#include "kit/rast/RAST_Polygon.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <random>

namespace {

// Random shapes with coordinates mostly around a small bitmap and sometimes far off, at the
// ends of the int range, or not finite.
class Shapes {
public:
    explicit Shapes(unsigned seed) : m_rng(seed) {}

    int coord(int size) {
        switch (m_rng() % 8) {
        case 0: {
            const int ends[] = {INT_MIN, INT_MIN + 1, -1000000, 1000000, INT_MAX - 1, INT_MAX};
            return ends[m_rng() % 6];
        }
        case 1:
            return int(m_rng() % 2001) - 1000;
        default:
            return int(m_rng() % unsigned(size + 8)) - 4;
        }
    }
    float fcoord(int size) {
        switch (m_rng() % 10) {
        case 0: {
            const float odd[] = {std::numeric_limits<float>::quiet_NaN(),
                                 std::numeric_limits<float>::infinity(),
                                 -std::numeric_limits<float>::infinity(),
                                 3e38f,
                                 -1e20f,
                                 16777216.0f,
                                 -0.5f,
                                 -0.0f};
            return odd[m_rng() % 8];
        }
        case 1:
            return float(coord(size));
        default:
            return float(int(m_rng() % unsigned(size * 8 + 64)) - 32) / 8.0f;
        }
    }
    float alpha() {
        const float values[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f, 0.501f, 0.003f, 1.5f, -1.0f};
        return m_rng() % 3 ? float(m_rng() % 257) / 256.0f : values[m_rng() % 9];
    }
    int mode() {
        const int values[] = {0, 1, 2, 3, 4, 5, 6, 0xF0, 0x10000, 0x10005, 0x105};
        return values[m_rng() % 11];
    }
    RAST_pixel colour() { return RAST_pixel(m_rng()); }
    bool flag() { return m_rng() % 2; }
    unsigned pick(unsigned n) { return m_rng() % n; }

private:
    std::mt19937 m_rng;
};

void drawOne(Shapes& s, RAST_IBitmap* bm, int w, int h) {
    const int m = std::max(w, h);
    const RAST_pixel c = s.colour();
    const float a = s.alpha();
    const int mode = s.mode();
    const bool aa = s.flag();
    switch (s.pick(14)) {
    case 0:
        RAST_Line(bm, s.coord(w), s.coord(h), s.coord(w), s.coord(h), c, a, mode, aa);
        break;
    case 1:
        RAST_FLine(bm, s.fcoord(w), s.fcoord(h), s.fcoord(w), s.fcoord(h), c, a, mode, aa);
        break;
    case 2:
        RAST_DashedLine(bm, s.coord(w), s.coord(h), s.coord(w), s.coord(h), s.coord(5), s.coord(5),
                        c, a, mode, aa);
        break;
    case 3:
        RAST_Circle(bm, s.fcoord(w), s.fcoord(h), s.fcoord(m) / 2, c, a, mode, aa);
        break;
    case 4:
        RAST_FillCircle(bm, s.fcoord(w), s.fcoord(h), s.fcoord(m), c, a, mode, aa);
        break;
    case 5:
        RAST_Arc(bm, s.fcoord(w), s.fcoord(h), s.fcoord(m), s.fcoord(7), s.fcoord(7), c, a, mode,
                 aa);
        break;
    case 6:
        RAST_RoundRect(bm, s.fcoord(w), s.fcoord(h), s.fcoord(w), s.fcoord(h), s.coord(m), c, a,
                       mode, aa);
        break;
    case 7:
        RAST_DrawRect(bm, s.coord(w), s.coord(h), s.coord(w), s.coord(h), c, a, mode);
        break;
    case 8:
        RAST_FillTrapezoid(bm, s.coord(w), s.coord(w), s.coord(h), s.coord(w), s.coord(w),
                           s.coord(h), c, a, mode);
        break;
    case 9: {
        int x[12], y[12];
        const int n = int(s.pick(13));
        for (int i = 0; i < n; ++i)
            x[i] = s.coord(w), y[i] = s.coord(h);
        RAST_FillConvexPolygon(bm, x, y, n, c, a, mode);
        break;
    }
    case 10:
        RAST_DrawQBezier(bm, s.fcoord(w), s.fcoord(h), s.fcoord(w), s.fcoord(h), s.fcoord(w),
                         s.fcoord(h), c, a, mode, aa, float(s.pick(40)) / 8.0f);
        break;
    case 11:
        RAST_DrawCBezier(bm, s.fcoord(w), s.fcoord(h), s.fcoord(w), s.fcoord(h), s.fcoord(w),
                         s.fcoord(h), s.fcoord(w), s.fcoord(h), c, a, mode, aa,
                         float(s.pick(40)) / 8.0f);
        break;
    case 12:
        RAST_FillCBezier(bm, s.fcoord(w), s.fcoord(h), s.fcoord(w), s.fcoord(h), s.fcoord(w),
                         s.fcoord(h), s.fcoord(w), s.fcoord(h), s.coord(h), c, a, mode,
                         float(s.pick(40)) / 8.0f);
        break;
    default:
        RAST_FillCBezierX(bm, s.fcoord(w), s.fcoord(h), s.fcoord(w), s.fcoord(h), s.fcoord(w),
                          s.fcoord(h), s.fcoord(w), s.fcoord(h), s.coord(w), c, a, mode,
                          float(s.pick(40)) / 8.0f);
        break;
    }
}

} // namespace

// Whatever the shape, nothing is written outside the bitmap and every call returns.
TEST(ShapeFuzz, RandomShapesNeverWriteOutsideTheBitmap) {
    Shapes s(20240611);
    for (int round = 0; round < 600; ++round) {
        const int w = int(s.pick(24)), h = int(s.pick(24));
        GuardedBitmap bm(w, h, s.flag());
        bm.fill([](int, int) { return RAST_pixel(0x12345678); });
        for (int i = 0; i < 30; ++i) {
            drawOne(s, &bm, w, h);
            ASSERT_TRUE(bm.guardsIntact()) << "round " << round << " shape " << i;
        }
    }
}
