#include "kit/rast/RAST_Polygon.h"

#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Coord.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_Line.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

namespace {

// One side of a trapezoid walked down its rows in 16.16: the column moves by sign x step a row,
// fraction holding the part of a column not yet moved.
struct TrapezoidEdge {
    int64_t x;
    int step; // 0..2^29
    int sign;
    int fraction;

    TrapezoidEdge(int64_t from, int64_t to, double scale) : x(from), fraction(0) {
        const double s = std::clamp(double(to - from) * scale, -536870912.0, 536870912.0);
        step = std::abs(int(s));
        sign = s < 0 ? -1 : 1;
    }
    // Rows above the bitmap are passed in one move; 64 bits hold any count of them.
    void skip(int64_t rows) {
        const int64_t t = int64_t(step) * rows;
        x += sign * (t >> 16);
        fraction = int(t & 0xFFFF);
    }
    void advance() {
        fraction += step;
        if (fraction >= 65536) {
            x += sign * (fraction >> 16);
            fraction &= 0xFFFF;
        }
    }
};

} // namespace

// The rows of a band already cut at the top and bottom, for one pixel-operation class: each
// row fills max(left x, 0) up to but excluding min(right x + 1, width).
template <class C> struct _RAST_Fill {
    static void FillClippedTrapezoid(int width, int span, RAST_pixel* row, int rows,
                                     TrapezoidEdge left, TrapezoidEdge right, RAST_pixel c,
                                     int weight) {
        for (; rows > 0; --rows, row += span) {
            const int64_t to = std::min<int64_t>(right.x + 1, width);
            for (int64_t x = std::max<int64_t>(left.x, 0); x < to; ++x)
                RAST_DoPix<C>(row + x, c, weight);
            left.advance();
            right.advance();
        }
    }
};

namespace {

template <class C> struct FillEntry {
    static constexpr auto fn = &_RAST_Fill<C>::FillClippedTrapezoid;
};

// Copy at these weights works on whole words.
const struct {
    int weight;
    decltype(FillEntry<_RAST_CombinePixelsCopyNoClamp>::fn) fn;
} kWordCopyFills[] = {
    {256, FillEntry<_RAST_CombinePixelsClobberNoClamp>::fn},
    {128, FillEntry<_RAST_CombinePixelsHalfMix2FAST>::fn},
    {64, FillEntry<_RAST_CombinePixelsQuarterMix2FAST>::fn},
    {192, FillEntry<_RAST_CombinePixelsThreeQuarterMix2FAST>::fn},
};

// The column of the edge from vertex u to the lower vertex l at row r.
int edgeX(const int* u, const int* l, int64_t r) {
    if (r <= u[1]) return u[0];
    if (r >= l[1]) return l[0];
    const float slope = float(int64_t(l[0]) - u[0]) / float(int64_t(l[1]) - u[1]);
    return RAST_SaturateInt(u[0] + int64_t(RAST_TruncToInt(float(r - u[1]) * slope)));
}

} // namespace

void RAST_DrawRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel color, float alpha,
                   int mode) {
    const int x2 = RAST_SaturateInt(int64_t(x) + w), y2 = RAST_SaturateInt(int64_t(y) + h);
    RAST_Line(dest, x, y, x2, y, color, alpha, mode, false);
    RAST_Line(dest, x2, y, x2, y2, color, alpha, mode, false);
    RAST_Line(dest, x2, y2, x, y2, color, alpha, mode, false);
    RAST_Line(dest, x, y2, x, y, color, alpha, mode, false);
}

void RAST_BorderedRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel bgcolor,
                       RAST_pixel fgcolor, float alpha, int mode) {
    RAST_FillRect(dest, RAST_SaturateInt(int64_t(x) + 1), RAST_SaturateInt(int64_t(y) + 1),
                  RAST_SaturateInt(int64_t(w) - 1), RAST_SaturateInt(int64_t(h) - 1), bgcolor,
                  alpha, mode);
    RAST_DrawRect(dest, x, y, w, h, fgcolor, alpha, mode);
}

void RAST_FillTrapezoid(RAST_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2,
                        RAST_pixel color, float alpha, int mode) {
    if (!dest) return;
    if (y2 < y1) {
        std::swap(x1a, x2a), std::swap(x1b, x2b), std::swap(y1, y2);
    }
    int64_t l1 = std::min(x1a, x1b), r1 = std::max(x1a, x1b);
    int64_t l2 = std::min(x2a, x2b), r2 = std::max(x2a, x2b);
    const int width = dest->getWidth(), height = dest->getHeight();
    if ((r1 < 0 && r2 < 0) || (l1 >= width && l2 >= width) || y2 < 0 || y1 >= height) return;

    const int weight = RAST_WeightFromAlpha(alpha);
    auto fn = RAST_PickDrawer<FillEntry>(mode, weight, false);
    if ((mode & RAST_MODE_OP_MASK) == RAST_MODE_COPY)
        for (const auto& word : kWordCopyFills)
            if (weight == word.weight) fn = word.fn;
    RAST_pixel* bits = dest->getBits();
    if (!fn || !bits) return;

    // Edges wholly off a side run straight down that side.
    if (l1 <= 0 && l2 <= 0) l1 = l2 = 0;
    if (r1 >= width - 1 && r2 >= width - 1) r1 = r2 = width - 1;
    const int64_t dy = int64_t(y2) - y1;
    const double scale = dy ? 65536.0 / double(dy) : 0.0;
    TrapezoidEdge left(l1, l2, scale), right(r1, r2, scale);
    int64_t top = y1;
    if (top < 0) {
        left.skip(-top);
        right.skip(-top);
        top = 0;
    }
    const int64_t last = std::min(y2, height - 1);
    const int span = dest->getRowSpan();
    fn(width, span, bits + top * span, int(last - top + 1), left, right, color, weight);
}

int _ysort(const void* a, const void* b) {
    const int* p = static_cast<const int*>(a);
    const int* q = static_cast<const int*>(b);
    if (p[1] != q[1]) return p[1] < q[1] ? -1 : 1;
    if (p[0] != q[0]) return p[0] < q[0] ? -1 : 1;
    return 0;
}

int FindNextEdgeVertex(const int* xy, int start, int npoints, int side) {
    const int* s = xy + 2 * start;
    int taken = start;
    float takenSlope = 0.0f;
    for (int i = start + 1; i < npoints; ++i) {
        const int* v = xy + 2 * i;
        if (v[1] == s[1]) continue;
        // Always measured from start: the boundary turns toward the steepest vertex on its
        // side, and among collinear ones goes to the farthest.
        const float slope = float(int64_t(v[0]) - s[0]) / float(int64_t(v[1]) - s[1]);
        if (taken == start || slope == takenSlope ||
            (side < 0 ? slope < takenSlope : side > 0 && slope > takenSlope)) {
            taken = i;
            takenSlope = slope;
        }
    }
    return taken;
}

void RAST_FillConvexPolygon(RAST_IBitmap* dest, const int* x, const int* y, int npoints,
                            RAST_pixel color, float alpha, int mode) {
    if (!dest || !x || !y || npoints < 3) return;
    constexpr int kStackPoints = 512;
    int stackPoints[2 * kStackPoints];
    std::unique_ptr<int[]> heapPoints;
    int* xy = stackPoints;
    if (npoints > kStackPoints) {
        heapPoints.reset(new (std::nothrow) int[size_t(npoints) * 2]);
        if (!heapPoints) return;
        xy = heapPoints.get();
    }
    const int height = dest->getHeight();
    const bool flipped = dest->isFlipped();
    for (int i = 0; i < npoints; ++i) {
        xy[2 * i] = x[i];
        xy[2 * i + 1] = flipped ? RAST_MirrorRow(height, y[i]) : y[i];
    }
    qsort(xy, size_t(npoints), 2 * sizeof(int), _ysort);
    const auto vertex = [xy](int i) { return xy + 2 * i; };
    const int top = vertex(0)[1];

    if (top == vertex(npoints - 1)[1]) {
        if (top >= 0 && top < height) {
            const int left = vertex(0)[0], right = vertex(npoints - 1)[0];
            RAST_FillTrapezoid(dest, left, right, top, left, right, top, color, alpha, mode);
        }
        return;
    }

    // The left chain starts at the leftmost top vertex (the last of its duplicates), the
    // right chain at the rightmost.
    int leftAt = 0, rightAt = 0;
    while (rightAt + 1 < npoints && vertex(rightAt + 1)[1] == top) {
        ++rightAt;
        if (vertex(rightAt)[0] == vertex(0)[0]) leftAt = rightAt;
    }
    int leftNext = FindNextEdgeVertex(xy, leftAt, npoints, -1);
    int rightNext = FindNextEdgeVertex(xy, rightAt, npoints, 1);
    // Both chains end on the bottom row, and each band starts below the last, so every row
    // is filled once.
    int64_t row = top;
    while (leftNext != leftAt || rightNext != rightAt) {
        const int ynext = std::min(vertex(leftNext)[1], vertex(rightNext)[1]);
        const int* lu = vertex(leftAt);
        const int* ll = vertex(leftNext);
        const int* ru = vertex(rightAt);
        const int* rl = vertex(rightNext);
        RAST_FillTrapezoid(dest, edgeX(lu, ll, row), edgeX(ru, rl, row), int(row),
                           edgeX(lu, ll, ynext), edgeX(ru, rl, ynext), ynext, color, alpha, mode);
        if (ll[1] == ynext) {
            leftAt = leftNext;
            leftNext = FindNextEdgeVertex(xy, leftAt, npoints, -1);
        }
        if (rl[1] == ynext) {
            rightAt = rightNext;
            rightNext = FindNextEdgeVertex(xy, rightAt, npoints, 1);
        }
        row = int64_t(ynext) + 1;
    }
}

void RAST_FillTriangle(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                       RAST_pixel color, float alpha, int mode) {
    const int x[3] = {x1, x2, x3}, y[3] = {y1, y2, y3};
    RAST_FillConvexPolygon(dest, x, y, 3, color, alpha, mode);
}
