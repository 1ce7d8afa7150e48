#include "kit/rast/RAST_Circle.h"

#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Coord.h"
#include "kit/rast/RAST_Glyph.h"
#include "kit/rast/RAST_Line.h"
#include "kit/rast/RAST_Polygon.h"
#include "kit/rast/RAST_Spans.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <vector>

namespace {

// Pixels (x, y) with left <= x < right and top <= y < bottom.
struct ClipRect {
    int left, top, right, bottom;
};

// Where and how a circle drawer combines: the memory rows, the clip rectangle (tested only
// with doclip; without it every pixel is known to lie in the bitmap) and the colour's channels.
struct CirclePen {
    RAST_pixel* bits;
    int span;
    ClipRect clip;
    bool doclip;
    int r, g, b, a;
};

// Centres and radii beyond this many pixels are refused, so that squares and sums of pixel
// coordinates stay exact in doubles and 64-bit integers.
constexpr float kMaxCoord = 16777216.0f;

bool usableCircle(float cx, float cy, float radius) {
    return RAST_AllFinite(cx, cy, radius) && std::fabs(cx) <= kMaxCoord &&
           std::fabs(cy) <= kMaxCoord && radius >= 0.0f && radius <= kMaxCoord;
}

// The distances d >= 1 from the centre at which column x0 - d or x0 + d, or row y0 - d or
// y0 + d, meets the clip rectangle: up to four ranges, merged, in increasing order. Every
// pixel a circle drawer combines for a distance lies in one of those columns or rows, so the
// walk can leave out the other distances.
struct Reach {
    int count = 0;
    int64_t lo[4], hi[4];

    Reach(const ClipRect& c, int x0, int y0) {
        const int64_t ranges[4][2] = {{int64_t(c.left) - x0, int64_t(c.right) - 1 - x0},
                                      {int64_t(x0) - c.right + 1, int64_t(x0) - c.left},
                                      {int64_t(c.top) - y0, int64_t(c.bottom) - 1 - y0},
                                      {int64_t(y0) - c.bottom + 1, int64_t(y0) - c.top}};
        int64_t l[4], h[4];
        int n = 0;
        for (const auto& r : ranges)
            if (r[1] >= std::max<int64_t>(r[0], 1))
                l[n] = std::max<int64_t>(r[0], 1), h[n++] = r[1];
        for (int i = 0; i < n; ++i) {
            const int k = int(std::min_element(l + i, l + n) - l);
            std::swap(l[i], l[k]), std::swap(h[i], h[k]);
            if (count > 0 && l[i] <= hi[count - 1] + 1) {
                hi[count - 1] = std::max(hi[count - 1], h[i]);
            } else {
                lo[count] = l[i], hi[count++] = h[i];
            }
        }
    }
};

// y of the midpoint walk at column distance x (within its octant, x < y): the largest y with
// y (y - 1) <= R^2 - x^2, which is where the walk's error term leaves it.
int64_t midpointY(int64_t r2, int64_t x) {
    const int64_t t = r2 - x * x;
    int64_t y = int64_t((1.0 + std::sqrt(1.0 + 4.0 * double(t))) / 2.0);
    while (y > 0 && y * (y - 1) > t)
        --y;
    while ((y + 1) * y <= t)
        ++y;
    return y;
}

// The interior of a filled disc around (x0, y0), as its walk records it: at each distance a
// from the centre a reach b, meaning rows y0 +- a span x0 - b .. x0 + b and columns x0 +- a
// span rows y0 - b .. y0 + b, next to the cross through the centre. Rows are drawn whole,
// left to right, instead of the columns.
class DiscRows {
public:
    // Distances come in increasing order, reaches never increasing.
    void add(int a, int b) { m_spans.push_back({a, b}); }

    // How far row y0 +- j reaches to each side, for a cross of r; -1 for none of the disc.
    int reach(int j, int r) const {
        if (j == 0) return r;
        // The recorded distances whose columns reach down to row j come first.
        const auto end = std::partition_point(m_spans.begin(), m_spans.end(),
                                              [j](const Span& s) { return s.b >= j; });
        const auto at = std::lower_bound(m_spans.begin(), end, j,
                                         [](const Span& s, int a) { return s.a < a; });
        if (at != end && at->a == j) return at->b;
        // Otherwise the row is made of the columns of smaller distances that reach it. Those
        // the walk left out lie outside the clip rectangle, so the row may be drawn through
        // them.
        const int columns = at == m_spans.begin() ? 0 : std::prev(at)->a;
        return columns > 0 ? columns : j <= r ? 0 : -1;
    }

private:
    struct Span {
        int a, b;
    };
    std::vector<Span> m_spans;
};

} // namespace

// The circle rasterisers and their pixel primitives for one pixel-operation class C.
template <class C> struct _RAST_CircleDrawer {
    static void DrawClippedPt(const CirclePen& pen, int x, int y, int weight) {
        const ClipRect& c = pen.clip;
        if (pen.doclip && (x < c.left || x >= c.right || y < c.top || y >= c.bottom)) return;
        C::doPix(reinterpret_cast<unsigned char*>(pen.bits + ptrdiff_t(y) * pen.span + x), pen.r,
                 pen.g, pen.b, pen.a, weight);
    }

    // Rows y1..y2 of column x, both included.
    static void DrawClippedVertLine(const CirclePen& pen, int x, int y1, int y2, int weight) {
        DrawClippedRun(pen, x, y1, y2, true, weight);
    }
    // Columns x1..x2 of row y, both included.
    static void DrawClippedHorzLine(const CirclePen& pen, int y, int x1, int x2, int weight) {
        DrawClippedRun(pen, y, x1, x2, false, weight);
    }
    static void DrawClippedRun(const CirclePen& pen, int at, int from, int to, bool vertical,
                               int weight) {
        const ClipRect& c = pen.clip;
        if (pen.doclip) {
            if (at < (vertical ? c.left : c.top) || at >= (vertical ? c.right : c.bottom)) return;
            from = std::max(from, vertical ? c.top : c.left);
            to = std::min(to, (vertical ? c.bottom : c.right) - 1);
        }
        const ptrdiff_t step = vertical ? pen.span : 1;
        RAST_pixel* p = pen.bits + (vertical ? from * step + at : at * ptrdiff_t(pen.span) + from);
        if (!vertical && from <= to) {
            // The copies of filled discs run along rows through the row kernels.
            if constexpr (std::is_same_v<C, _RAST_CombinePixelsCopyNoClamp>) {
                rast_span::fillCopy(reinterpret_cast<unsigned char*>(p), to - from + 1, pen.r,
                                    pen.g, pen.b, pen.a, weight);
                return;
            }
            if constexpr (std::is_same_v<C, _RAST_CombinePixelsClobberNoClamp>) {
                rast_span::fillWords(p, to - from + 1, RAST_MakePixel(pen.r, pen.g, pen.b, pen.a));
                return;
            }
        }
        for (int i = from; i <= to; ++i, p += step)
            C::doPix(reinterpret_cast<unsigned char*>(p), pen.r, pen.g, pen.b, pen.a, weight);
    }

    // The four points at distance r straight above, right of, below and left of the centre.
    static void DrawCardinals(const CirclePen& pen, int x0, int y0, int r, int weight) {
        DrawClippedPt(pen, x0, y0 - r, weight), DrawClippedPt(pen, x0 + r, y0, weight);
        DrawClippedPt(pen, x0, y0 + r, weight), DrawClippedPt(pen, x0 - r, y0, weight);
    }

    // The points (x0 +- a, y0 +- b) and, with mirrored, (x0 +- b, y0 +- a).
    static void DrawOctants(const CirclePen& pen, int x0, int y0, int a, int b, bool mirrored,
                            int weight) {
        for (const int x : {x0 - a, x0 + a})
            for (const int y : {y0 - b, y0 + b})
                DrawClippedPt(pen, x, y, weight);
        if (!mirrored) return;
        for (const int x : {x0 - b, x0 + b})
            for (const int y : {y0 - a, y0 + a})
                DrawClippedPt(pen, x, y, weight);
    }

    // The rows of a filled disc whose cross reaches r and whose walk recorded the spans of
    // rows.spans, each pixel once.
    static void DrawDiscRows(const CirclePen& pen, int x0, int y0, int r, const DiscRows& rows,
                             int weight) {
        const ClipRect& c = pen.clip;
        const int64_t top = pen.doclip ? std::max<int64_t>(c.top, int64_t(y0) - r) : y0 - r;
        const int64_t bottom = pen.doclip ? std::min<int64_t>(c.bottom - 1, int64_t(y0) + r) : y0 + r;
        for (int64_t y = top; y <= bottom; ++y) {
            const int reach = rows.reach(int(std::abs(y - y0)), r);
            if (reach >= 0) DrawClippedHorzLine(pen, int(y), x0 - reach, x0 + reach, weight);
        }
    }

    // The integer midpoint circle around the rounded centre with the rounded radius, at the
    // full weight.
    static void DrawClippedCircle(const CirclePen& pen, float cx, float cy, float radius,
                                  int weight, bool filled) {
        const int x0 = int(cx + 0.5f), y0 = int(cy + 0.5f), R = int(radius + 0.5f);
        DiscRows rows;
        if (!filled) DrawCardinals(pen, x0, y0, R, weight);
        if (filled && R < 2) DrawDiscRows(pen, x0, y0, R, rows, weight);
        if (R < 2) return;

        const int64_t r2 = int64_t(R) * R;
        int x = 0, y = R;
        int64_t e = -R;
        const Reach reach(pen.clip, x0, y0);
        for (int i = 0; i < reach.count && x + 1 < y; ++i) {
            if (reach.lo[i] > x + 1) {
                // Jump to the walk's state one before this range.
                x = int(std::min<int64_t>(reach.lo[i] - 1, R));
                y = int(midpointY(r2, x));
                e = int64_t(x) * x + 2 * int64_t(x) + int64_t(y) * y - y - r2;
            }
            for (; x + 1 < y && x + 1 <= reach.hi[i]; ++x) {
                if (e >= 0) {
                    --y;
                    e -= 2 * int64_t(y);
                }
                if (filled)
                    rows.add(x + 1, y);
                else
                    DrawOctants(pen, x0, y0, x + 1, y, x + 1 != y, weight);
                e += 2 * int64_t(x) + 3;
            }
        }
        if (filled) DrawDiscRows(pen, x0, y0, R, rows, weight);
    }

    // Each exact boundary position is shared by the two pixels that straddle it: the outer one
    // at the fraction of the weight, the inner one (outline) at the rest.
    static void DrawClippedCircleAA(const CirclePen& pen, float cx, float cy, float radius, int ia,
                                    bool filled) {
        const int x0 = int(cx + 0.5f), y0 = int(cy + 0.5f), R = int(radius);
        const int f0 = int((double(radius) - std::floor(double(radius))) * ia);
        DrawCardinals(pen, x0, y0, R + 1, f0);
        if (!filled) DrawCardinals(pen, x0, y0, R, ia - f0);
        // The interior goes in by rows once the walk is done; no rim point falls inside it.
        DiscRows rows;
        WalkAA(pen, x0, y0, radius, ia, filled ? &rows : nullptr);
        if (filled) DrawDiscRows(pen, x0, y0, R, rows, ia);
    }

    // The rim of an antialiased circle beyond its cardinal points; a filled one records its
    // interior spans in rows, an outline draws its inner points.
    static void WalkAA(const CirclePen& pen, int x0, int y0, float radius, int ia,
                       DiscRows* rows) {
        const double q = double(radius * radius);
        const Reach reach(pen.clip, x0, y0);
        for (int i = 0; i < reach.count; ++i)
            for (int64_t xl = reach.lo[i]; xl <= reach.hi[i]; ++xl) {
                const double arg = q - double(xl) * double(xl);
                if (arg < 0.0) return;
                const double yy = std::sqrt(arg);
                const int Y = int(yy + 0.5);
                if (xl > Y) return;
                const int x = int(xl), yi = int(yy);
                const int f = int((yy - std::floor(yy)) * ia);
                DrawOctants(pen, x0, y0, x, yi + 1, x != Y, f);
                if (rows) {
                    rows->add(x, yi);
                    continue;
                }
                // The upper half takes the row-wise points, the lower half the column-wise ones.
                const auto pt = [&](int px, int py) { DrawClippedPt(pen, px, py, ia - f); };
                pt(x0 - yi, y0 - x), pt(x0 + yi, y0 - x);
                pt(x0 - x, y0 + yi), pt(x0 + x, y0 + yi);
                if (x != Y) {
                    pt(x0 - x, y0 - yi), pt(x0 + x, y0 - yi);
                    pt(x0 - yi, y0 + x), pt(x0 + yi, y0 + x);
                }
            }
    }
};

namespace {

template <class C> struct PlainEntry {
    static constexpr auto fn = &_RAST_CircleDrawer<C>::DrawClippedCircle;
};
template <class C> struct AAEntry {
    static constexpr auto fn = &_RAST_CircleDrawer<C>::DrawClippedCircleAA;
};

// Chooses the rasteriser of the mode's operation; the plain copy has the half-mix and clobber
// shortcuts, the antialiased one always copies.
void __DrawCircleClipped(RAST_IBitmap* dest, float cx, float cy, float radius, RAST_pixel color,
                         int weight, bool aa, bool filled, int mode, const ClipRect& clip,
                         bool doclip) {
    const CirclePen pen{dest->getBits(),
                        dest->getRowSpan(),
                        clip,
                        doclip,
                        RAST_GetRed(color),
                        RAST_GetGreen(color),
                        RAST_GetBlue(color),
                        RAST_GetAlpha(color)};
    if (!pen.bits) return;
    if (aa) {
        if (auto fn = RAST_PickDrawer<AAEntry>(mode, weight, false))
            fn(pen, cx, cy, radius, weight, filled);
    } else if (auto fn = RAST_PickDrawer<PlainEntry>(mode, weight, true)) {
        fn(pen, cx, cy, radius, weight, filled);
    }
}

// Coverage masks of the small outline circles, row-major, one byte per pixel.
// clang-format off
const unsigned char kAA1_5[16] = {
    0x4F, 0xFF, 0xFF, 0x4F,
    0xFF, 0x0F, 0x0F, 0xFF,
    0xFF, 0x0F, 0x0F, 0xFF,
    0x4F, 0xFF, 0xFF, 0x4F,
};
const unsigned char kPlain1_5[16] = {
    0x00, 0xFF, 0xFF, 0x00,
    0xFF, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0xFF, 0x00,
};
const unsigned char kAA2[25] = {
    0x0F, 0xBF, 0xFF, 0xBF, 0x0F,
    0xBF, 0xD1, 0x4F, 0xD1, 0xBF,
    0xFF, 0x4F, 0x00, 0x4F, 0xFF,
    0xBF, 0xD1, 0x4F, 0xD1, 0xBF,
    0x0F, 0xBF, 0xFF, 0xBF, 0x0F,
};
const unsigned char kPlain2[25] = {
    0x00, 0x00, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0x00, 0xFF, 0x00,
    0xFF, 0x00, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0x00, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0x00, 0x00,
};
const unsigned char kAA2_5[36] = {
    0x0F, 0xBF, 0xFF, 0xFF, 0xBF, 0x0F,
    0xBF, 0xD1, 0x4F, 0x4F, 0xD1, 0xBF,
    0xFF, 0x4F, 0x00, 0x00, 0x4F, 0xFF,
    0xFF, 0x4F, 0x00, 0x00, 0x4F, 0xFF,
    0xBF, 0xD1, 0x4F, 0x4F, 0xD1, 0xBF,
    0x0F, 0xBF, 0xFF, 0xFF, 0xBF, 0x0F,
};
const unsigned char kPlain2_5[36] = {
    0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0x00, 0x00, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00,
};
const unsigned char kAA3[49] = {
    0x00, 0x8F, 0xFF, 0xFF, 0xFF, 0x8F, 0x00,
    0x8F, 0xFF, 0x61, 0x40, 0x61, 0xFF, 0x8F,
    0xFF, 0x70, 0x00, 0x00, 0x00, 0x70, 0xFF,
    0xFF, 0x30, 0x00, 0x00, 0x00, 0x30, 0xFF,
    0xFF, 0x70, 0x00, 0x00, 0x00, 0x70, 0xFF,
    0x8F, 0xFF, 0x61, 0x40, 0x61, 0xFF, 0x8F,
    0x00, 0x8F, 0xFF, 0xFF, 0xFF, 0x8F, 0x00,
};
const unsigned char kPlain3[49] = {
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0x00, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
};
const unsigned char kAA3_5[64] = {
    0x00, 0x4F, 0xDE, 0xFF, 0xFF, 0xDE, 0x4F, 0x00,
    0x4F, 0xFF, 0xB0, 0x40, 0x40, 0xB0, 0xFF, 0x4F,
    0xDE, 0xB0, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xDE,
    0xFF, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0xFF,
    0xFF, 0x40, 0x00, 0x00, 0x00, 0x00, 0x40, 0xFF,
    0xDE, 0xB0, 0x00, 0x00, 0x00, 0x00, 0xB0, 0xDE,
    0x4F, 0xFF, 0xB0, 0x40, 0x40, 0xB0, 0xFF, 0x4F,
    0x00, 0x4F, 0xDE, 0xFF, 0xFF, 0xDE, 0x4F, 0x00,
};
const unsigned char kPlain3_5[64] = {
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
    0x00, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
};
const unsigned char kAA4[81] = {
    0x00, 0x1F, 0xB0, 0xFF, 0xFF, 0xFF, 0xB0, 0x1F, 0x00,
    0x1F, 0xF0, 0xD1, 0x4F, 0x40, 0x4F, 0xD1, 0xF0, 0x1F,
    0xB0, 0xD1, 0x0F, 0x00, 0x00, 0x00, 0x0F, 0xD1, 0xB0,
    0xFF, 0x4F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4F, 0xFF,
    0xFF, 0x30, 0x00, 0x00, 0x00, 0x00, 0x00, 0x30, 0xFF,
    0xFF, 0x4F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4F, 0xFF,
    0xB0, 0xD1, 0x0F, 0x00, 0x00, 0x00, 0x0F, 0xD1, 0xB0,
    0x1F, 0xF0, 0xD1, 0x4F, 0x40, 0x4F, 0xD1, 0xF0, 0x1F,
    0x00, 0x1F, 0xB0, 0xFF, 0xFF, 0xFF, 0xB0, 0x1F, 0x00,
};
const unsigned char kPlain4[81] = {
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
    0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF,
    0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF,
    0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00,
    0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
};
// clang-format on

// Side n = 2 x radius + 1, rounded down.
const struct {
    float radius;
    int side;
    const unsigned char* aa;
    const unsigned char* plain;
} kCircleMasks[] = {
    {1.5f, 4, kAA1_5, kPlain1_5}, {2.0f, 5, kAA2, kPlain2},     {2.5f, 6, kAA2_5, kPlain2_5},
    {3.0f, 7, kAA3, kPlain3},     {3.5f, 8, kAA3_5, kPlain3_5}, {4.0f, 9, kAA4, kPlain4},
};

// What RAST_Circle and RAST_FillCircle share for a rasterised radius.
void drawCircle(RAST_IBitmap* dest, float cx, float cy, float radius, RAST_pixel color, float alpha,
                int mode, bool aa, bool filled) {
    if (!dest || !usableCircle(cx, cy, radius)) return;
    const int width = dest->getWidth(), height = dest->getHeight();
    if (dest->isFlipped()) cy = float(height - 1) - cy;
    const int ia = RAST_WeightFromAlpha(alpha);
    if (ia == 0 || width < 1 || height < 1) return;
    // Per-pixel tests only for a circle that comes within two pixels of an edge.
    const bool doclip = cx - radius - 2 < 0 || cy - radius - 2 < 0 ||
                        cx + radius + 2 >= float(width) || cy + radius + 2 >= float(height);
    __DrawCircleClipped(dest, cx, cy, radius, color, ia, aa, filled, mode,
                        ClipRect{0, 0, width, height}, doclip);
}

} // namespace

void RAST_Circle(RAST_IBitmap* dest, float cx, float cy, float radius, RAST_pixel color,
                 float alpha, int mode, bool aa) {
    if (!dest || !usableCircle(cx, cy, radius)) return;
    for (const auto& m : kCircleMasks)
        if (radius == m.radius) {
            RAST_DrawGlyph(dest, int(cx - radius), int(cy - radius), color, aa ? m.aa : m.plain,
                           m.side, m.side, alpha, mode);
            return;
        }
    drawCircle(dest, cx, cy, radius, color, alpha, mode, aa, false);
}

void RAST_FillCircle(RAST_IBitmap* dest, float cx, float cy, float radius, RAST_pixel color,
                     float alpha, int mode, bool aa) {
    drawCircle(dest, cx, cy, radius, color, alpha, mode, aa, true);
}

void RAST_Arc(RAST_IBitmap* dest, float cx, float cy, float radius, float startAngle,
              float endAngle, RAST_pixel color, float alpha, int mode, bool aa) {
    if (!dest || !usableCircle(cx, cy, radius) || !RAST_AllFinite(startAngle, endAngle)) return;
    constexpr float kTwoPiF = 6.2831855f, kPiF = 3.1415927f;
    constexpr double kTwoPi = 6.2831854820251465, kHalfPi = 1.5707963705062866;
    float lo = std::min(startAngle, endAngle), hi = std::max(startAngle, endAngle);
    if (hi - lo >= kTwoPiF) {
        RAST_Circle(dest, cx, cy, radius, color, alpha, mode, aa);
        return;
    }
    const int width = dest->getWidth(), height = dest->getHeight();
    if (dest->isFlipped()) {
        cy = float(height - 1) - cy;
        const float a = kPiF - lo, b = kPiF - hi;
        lo = std::min(a, b), hi = std::max(a, b);
    }
    if (hi >= kTwoPiF) {
        const float m = float(std::fmod(double(hi), kTwoPi));
        lo = lo - (hi - m), hi = m;
    } else if (lo <= -kTwoPiF) {
        const float m = float(std::fmod(double(lo), kTwoPi));
        hi = hi - (lo - m), lo = m;
    }
    const int ia = RAST_WeightFromAlpha(alpha);
    if (ia == 0) return;

    const double a = lo + kTwoPi;
    // Rounding in the range reduction of huge angles could stretch the arc without bound.
    const double end = std::min(double(hi) + kTwoPi, a + kTwoPi);
    if (end <= a) return;
    // Each quadrant's part is drawn as the whole circle clipped to that part's bounding box;
    // a cardinal point on a whole pixel belongs to one box only.
    const auto px = [&](double t) { return RAST_TruncToInt(cx + radius * std::sin(t) + 0.5); };
    const auto py = [&](double t) { return RAST_TruncToInt(cy - radius * std::cos(t) + 0.5); };
    int x = px(a), y = py(a);
    double q = a - std::fmod(a, kHalfPi);
    do {
        q += kHalfPi;
        const double b = std::min(end, q);
        const int nx = px(b), ny = py(b);
        const int maxX = std::max(x, nx), maxY = std::max(y, ny);
        const ClipRect clip{std::max(0, std::min(x, nx)), std::max(0, std::min(y, ny)),
                            std::min(width, float(maxX) == cx ? maxX : maxX + 1),
                            std::min(height, float(maxY) == cy ? maxY : maxY + 1)};
        __DrawCircleClipped(dest, cx, cy, radius, color, ia, aa, false, mode, clip, true);
        x = nx, y = ny;
    } while (end > q);
}

void RAST_RoundRect(RAST_IBitmap* dest, float x, float y, float w, float h, int cornerRadius,
                    RAST_pixel color, float alpha, int mode, bool aa) {
    if (!RAST_AllFinite(x, y, w, h)) return;
    const auto T = [](double v) { return RAST_TruncToInt(v); };
    const int xi = T(x), yi = T(y);
    if (cornerRadius > 0) {
        float c = float(cornerRadius);
        if (double(c) > double(w) * 0.5) c = float(double(w) * 0.5);
        if (double(c) > double(h) * 0.5) c = float(double(h) * 0.5);
        c = std::floor(c);
        if (c >= 2) {
            const float x1 = x + c, x2 = x + w - c, y1 = y + c, y2 = y + h - c;
            // The bottom and left edges start one pixel earlier than the top and right ones.
            RAST_Line(dest, T(x1), yi, T(x2), yi, color, alpha, mode, aa);
            RAST_Line(dest, T(x1 - 1), T(y + h), T(x2), T(y + h), color, alpha, mode, aa);
            RAST_Line(dest, T(x + w), T(y1), T(x + w), T(y2), color, alpha, mode, aa);
            RAST_Line(dest, xi, T(y1 - 1), xi, T(y2), color, alpha, mode, aa);
            RAST_Arc(dest, x1, y1, c, -1.5707964f, 0.0f, color, alpha, mode, aa);
            RAST_Arc(dest, x2, y1, c, 0.0f, 1.5707964f, color, alpha, mode, aa);
            RAST_Arc(dest, x2, y2, c, 1.5707964f, 3.1415927f, color, alpha, mode, aa);
            RAST_Arc(dest, x1, y2, c, 3.1415927f, 4.712389f, color, alpha, mode, aa);
            return;
        }
    }
    RAST_DrawRect(dest, xi, yi, T(w), T(h), color, alpha, mode);
}
