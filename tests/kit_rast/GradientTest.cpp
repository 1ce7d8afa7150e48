#include "GuardedBitmap.h"

#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Fill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

RAST_pixel backgroundPixel(int x, int y) {
    return P(10 + 30 * x, 250 - 40 * y, 128, 60 * y + x);
}

// Starts and changes of red, green, blue and alpha (1.0 full), all exact in binary so that
// the clipped start equals the whole gradient's value at that pixel.
struct Gradient {
    float start[4], perColumn[4], perRow[4];
};

void draw(RAST_IBitmap* bm, int x, int y, int w, int h, const Gradient& g, int mode) {
    RAST_GradRect(bm, x, y, w, h, g.start[0], g.start[1], g.start[2], g.start[3], g.perColumn[0],
                  g.perColumn[1], g.perColumn[2], g.perColumn[3], g.perRow[0], g.perRow[1],
                  g.perRow[2], g.perRow[3], mode);
}

// Pixel (i, j) of the whole gradient combined into old: each channel in 16.16, truncated,
// the alpha serving as the weight.
RAST_pixel graded(RAST_pixel old, const Gradient& g, int i, int j, int op) {
    int v[4];
    for (int c = 0; c < 4; ++c) {
        const double scale = (c == 3 ? 256 : 255) * 65536.0;
        v[c] = int((int64_t(g.start[c] * scale) + i * int64_t(g.perColumn[c] * scale) +
                    j * int64_t(g.perRow[c] * scale)) /
                   65536);
    }
    if (op == RAST_MODE_HSVADJUST) // rewrites the pixel even at weight 0
        _RAST_CombinePixelsHSVAdjust::doPix(reinterpret_cast<unsigned char*>(&old), v[0], v[1],
                                            v[2], v[3], std::clamp(v[3], 0, 256));
    else
        RAST_CombinePixels2Clamp(&old, v[0], v[1], v[2], v[3], v[3], op);
    return old;
}

} // namespace

TEST(GradRect, EveryVisiblePixelIsThatOfTheWholeGradient) {
    // Constant half weight; colours beyond full and below zero with a weight from 0 by one
    // per column; an opaque copy; weights leaving 0..256.
    const Gradient gradients[] = {
        {{0.25f, 0.5f, 1.0f, 0.5f}, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {{1.5f, -0.25f, 0.125f, 0},
         {-0.125f, 0.0625f, 0.25f, 1 / 256.0f},
         {0.25f, 0.5f, -0.5f, 0.125f}},
        {{1.5f, 0.5f, -1, 1}, {0.5f, 0, 0, 0}, {0, 0.25f, 0, 0}}, // opaque copy
        {{0.75f, 0.25f, 0.5f, 1}, {0, 0.125f, 0, -0.25f}, {0.0625f, 0, 0, 0.5f}},
    };
    const struct {
        int x, y, w, h;
    } rects[] = {{0, 0, 7, 5},  {-8, -6, 12, 9}, {2, 3, 3, 2},  {-3, 1, 20, 20},
                 {5, -1, 9, 4}, {7, 0, 2, 2},    {0, 0, -2, 3}, {0, 2, 4, 0}};
    for (bool flipped : {false, true})
        for (const auto& g : gradients)
            for (const auto& r : rects)
                for (int mode : {0, 1, 2, 3, 4, 5, 0x10000, 6}) {
                    GuardedBitmap bm(7, 5, flipped);
                    bm.fill(backgroundPixel);
                    draw(&bm, r.x, r.y, r.w, r.h, g, mode);
                    ASSERT_TRUE(pictureIs(
                        bm,
                        [&](int x, int y) {
                            const bool inside =
                                mode != 6 && x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
                            const RAST_pixel old = backgroundPixel(x, y);
                            return inside ? graded(old, g, x - r.x, y - r.y, mode & 0xFF) : old;
                        }))
                        << "rect " << r.x << "," << r.y << "," << r.w << "," << r.h << " mode "
                        << mode;
                }
}

TEST(GradRect, HostileValuesStayInside) {
    const int edges[] = {INT_MIN, -100000, -1, 0, 3, INT_MAX};
    const float values[] = {NAN, INFINITY, -1e30f, 1e9f, -1.0f, 0.5f};
    GuardedBitmap bm(4, 3);
    for (int a : edges)
        for (int b : edges)
            for (float v : values)
                for (int mode : {0, 3, 4, 5}) {
                    RAST_GradRect(&bm, a, b, INT_MAX, INT_MAX, v, -v, v, v, v, v, -v, v, v, 1, v,
                                  -v, mode);
                    RAST_GradRect(&bm, 0, 0, b, a, 1, 1, 1, v, 0, 0, 0, v, v, 0, 0, v, mode);
                }
    EXPECT_TRUE(bm.guardsIntact());
    RAST_GradRect(nullptr, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}
