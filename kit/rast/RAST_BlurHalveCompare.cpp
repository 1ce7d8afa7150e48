#include "kit/rast/RAST_BlurHalveCompare.h"

#include "kit/rast/RAST_CombinePixels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace {

// Word-wide fractions: every channel divided with its low bits dropped, so that sums of
// fractions whose weights add up to one never carry into the next channel.
using rast_detail::HalfOf;
using rast_detail::QuarterOf;
inline RAST_pixel EighthOf(RAST_pixel w) {
    return (w >> 3) & 0x1F1F1F1F;
}

// A first or last row: its one neighbour row n weighs a quarter.
void blurEdgeRow(RAST_pixel* out, const RAST_pixel* c, const RAST_pixel* n, int w) {
    out[0] = HalfOf(c[0]) + QuarterOf(c[1]) + QuarterOf(n[0]);
    for (int i = 1; i < w - 1; ++i)
        out[i] = EighthOf(c[i - 1]) + HalfOf(c[i]) + EighthOf(c[i + 1]) + QuarterOf(n[i]);
    out[w - 1] = QuarterOf(c[w - 2]) + HalfOf(c[w - 1]) + QuarterOf(n[w - 1]);
}

// A row between two others, u above and d below, each weighing an eighth.
void blurMiddleRow(RAST_pixel* out, const RAST_pixel* c, const RAST_pixel* u, const RAST_pixel* d,
                   int w) {
    out[0] = HalfOf(c[0]) + QuarterOf(c[1]) + EighthOf(u[0]) + EighthOf(d[0]);
    for (int i = 1; i < w - 1; ++i)
        out[i] = EighthOf(c[i - 1]) + HalfOf(c[i]) + EighthOf(c[i + 1]) + EighthOf(u[i]) +
                 EighthOf(d[i]);
    out[w - 1] = QuarterOf(c[w - 2]) + HalfOf(c[w - 1]) + EighthOf(u[w - 1]) + EighthOf(d[w - 1]);
}

// First and last differing columns of two rows within [from, to), or false.
bool differingColumns(const RAST_pixel* a, const RAST_pixel* b, int from, int to, int* first,
                      int* last) {
    int x = from;
    while (x < to && a[x] == b[x])
        ++x;
    if (x == to) return false;
    int y = to - 1;
    while (a[y] == b[y])
        --y;
    *first = x;
    *last = y;
    return true;
}

} // namespace

void RAST_Blur(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch) {
    if (!dest || !src) return;
    // 64 bits, so that no sum of a coordinate and a size overflows.
    int64_t right = int64_t(srcx) + srcw, bottom = int64_t(srcy) + srch;
    int64_t sx = std::max(srcx, 0), sy = std::max(srcy, 0);
    int64_t dx = dstx, dy = dsty;
    right = std::min<int64_t>(right, src->getWidth());
    bottom = std::min<int64_t>(bottom, src->getHeight());
    if (dx < 0) sx -= dx, dx = 0;
    if (dy < 0) sy -= dy, dy = 0;
    if (dx + (right - sx) > dest->getWidth()) right = sx + dest->getWidth() - dx;
    if (dy + (bottom - sy) > dest->getHeight()) bottom = sy + dest->getHeight() - dy;
    const int64_t w64 = right - sx, h64 = bottom - sy;
    if (w64 < 2 || h64 < 2 || !src->getBits() || !dest->getBits()) return;
    const int w = int(w64), x0 = int(sx), top = int(sy), last = int(bottom) - 1;

    // In place, each source row is saved before its destination row is written; the row
    // above is then read from its saved copy.
    RAST_pixel local[2 * 1024];
    std::unique_ptr<RAST_pixel[]> heap;
    RAST_pixel* scratch = nullptr;
    if (src == dest) {
        if (w <= 1024) {
            scratch = local;
        } else {
            heap.reset(new (std::nothrow) RAST_pixel[2 * size_t(w)]);
            scratch = heap.get();
        }
    }

    for (int y = top; y <= last; ++y) {
        RAST_pixel* out = RAST_PixelAt(*dest, int(dx), int(dy) + (y - top));
        const RAST_pixel* c = RAST_PixelAt(*src, x0, y);
        const RAST_pixel* above = y > top ? RAST_PixelAt(*src, x0, y - 1) : nullptr;
        if (scratch) {
            RAST_pixel* saved = scratch + (y & 1) * w;
            memcpy(saved, c, size_t(w) * sizeof(RAST_pixel));
            c = saved;
            if (above) above = scratch + ((y + 1) & 1) * w;
        }
        if (y == top)
            blurEdgeRow(out, c, RAST_PixelAt(*src, x0, y + 1), w);
        else if (y == last)
            blurEdgeRow(out, c, above, w);
        else
            blurMiddleRow(out, c, above, RAST_PixelAt(*src, x0, y + 1), w);
    }
}

void RAST_HalveBlitAA(RAST_IBitmap* dest, RAST_IBitmap* src) {
    if (!dest || !src || !dest->getBits() || !src->getBits()) return;
    const int w = std::min(dest->getWidth(), src->getWidth() / 2);
    const int h = std::min(dest->getHeight(), src->getHeight() / 2);
    const ptrdiff_t dspan = dest->getRowSpan(), sspan = src->getRowSpan();
    for (int y = 0; y < h; ++y) {
        RAST_pixel* d = dest->getBits() + y * dspan;
        const RAST_pixel* s0 = src->getBits() + 2 * y * sspan;
        const RAST_pixel* s1 = s0 + sspan;
        for (int x = 0; x < w; ++x)
            d[x] = QuarterOf(s0[2 * x]) + QuarterOf(s0[2 * x + 1]) + QuarterOf(s1[2 * x]) +
                   QuarterOf(s1[2 * x + 1]);
    }
}

int RAST_BitmapCmp(RAST_IBitmap* a, RAST_IBitmap* b, int* coords) {
    if (coords) std::fill(coords, coords + 4, 0);
    if (!a || !b) return a ? 1 : b ? -1 : 0;
    if (a->getWidth() != b->getWidth()) return b->getWidth() - a->getWidth();
    if (a->getHeight() != b->getHeight()) return b->getHeight() - a->getHeight();
    const int w = a->getWidth(), h = a->getHeight();
    if (w <= 0 || h <= 0) return 0;
    // Equal sizes with pixels on one side only order like a missing bitmap.
    if (!a->getBits() || !b->getBits()) return a->getBits() ? 1 : b->getBits() ? -1 : 0;

    if (!coords) {
        for (int y = 0; y < h; ++y)
            if (const int c = memcmp(RAST_PixelAt(*a, 0, y), RAST_PixelAt(*b, 0, y), size_t(w) * 4))
                return c;
        return 0;
    }

    int x0 = 0, x1 = 0, y0 = 0;
    while (y0 < h &&
           !differingColumns(RAST_PixelAt(*a, 0, y0), RAST_PixelAt(*b, 0, y0), 0, w, &x0, &x1))
        ++y0;
    if (y0 == h) return 0;
    int y1 = h - 1, first, lastCol;
    while (y1 > y0 && !differingColumns(RAST_PixelAt(*a, 0, y1), RAST_PixelAt(*b, 0, y1), 0, w,
                                        &first, &lastCol))
        --y1;
    if (y1 > y0) x0 = std::min(x0, first), x1 = std::max(x1, lastCol);
    // Rows between need looking at only outside the box found so far.
    for (int y = y0 + 1; y < y1 && (x0 > 0 || x1 < w - 1); ++y) {
        const RAST_pixel* ra = RAST_PixelAt(*a, 0, y);
        const RAST_pixel* rb = RAST_PixelAt(*b, 0, y);
        if (differingColumns(ra, rb, 0, x0, &first, &lastCol)) x0 = first;
        if (differingColumns(ra, rb, x1 + 1, w, &first, &lastCol)) x1 = lastCol;
    }
    coords[0] = x0;
    coords[1] = y0;
    coords[2] = x1 - x0 + 1;
    coords[3] = y1 - y0 + 1;
    return 1;
}
