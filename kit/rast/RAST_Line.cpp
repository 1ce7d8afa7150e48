#include "kit/rast/RAST_Line.h"

#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Coord.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

// The drawers hold no data; each exists once per pixel-operation class C, so that the
// operation sits inside the pixel loop. Every pixel they touch lies within the bounding box of
// end points that the caller has clipped, so they test no bounds.
template <class C> struct __RAST_LineClassSimple {
    static void RAST_HorizLine(RAST_pixel* p, int n, RAST_pixel c, int weight) {
        RAST_VertLine(p, 1, n, c, weight);
    }
    static void RAST_VertLine(RAST_pixel* p, int span, int n, RAST_pixel c, int weight) {
        for (; n > 0; --n, p += span)
            RAST_DoPix<C>(p, c, weight);
    }
    // n steps, n + 1 pixels.
    static void RAST_DiagLine(RAST_pixel* p, int n, int xstep, int ystep, RAST_pixel c,
                              int weight) {
        for (int i = 0; i <= n; ++i, p += xstep + ystep)
            RAST_DoPix<C>(p, c, weight);
    }
    static void RAST_DiagLineAA(RAST_pixel* p, int n, int xstep, int ystep, RAST_pixel c,
                                int weight) {
        DiagLineAA<C, C>(p, n, xstep, ystep, c, 3 * weight / 4, weight / 4);
    }

    // Every diagonal pixel through Main at wm, and the two pixels that touch each pair of
    // consecutive ones through Side at ws.
    template <class Main, class Side>
    static void DiagLineAA(RAST_pixel* p, int n, int xstep, int ystep, RAST_pixel c, int wm,
                           int ws) {
        RAST_DoPix<Main>(p, c, wm);
        for (int i = 0; i < n; ++i) {
            RAST_DoPix<Side>(p + xstep, c, ws);
            RAST_DoPix<Side>(p + ystep, c, ws);
            p += xstep + ystep;
            RAST_DoPix<Main>(p, c, wm);
        }
    }
};

template <class C> struct __RAST_LineClass {
    // The general line of length >= 2 steps along, from start to end; slope is the 16.16
    // across movement per step (0..65535). Two walkers draw mirrored positions from both ends.
    static void RAST_LineImpl(RAST_pixel* start, RAST_pixel* end, int slope, int along, int length,
                              int across, RAST_pixel c, int weight, bool aa) {
        const int halfway = (length + 1) / 2;
        const bool middle = length % 2 == 0;
        RAST_pixel* a = start;
        RAST_pixel* b = end;
        if (!aa) {
            // The position k steps from either end lies nearest to k x slope across; a tie
            // moves across.
            for (int i = 0, e = 0; i < halfway; ++i) {
                RAST_DoPix<C>(a, c, weight);
                RAST_DoPix<C>(b, c, weight);
                e += slope;
                if (e >= 32768) {
                    a += across;
                    b -= across;
                    e -= 65536;
                }
                a += along;
                b -= along;
            }
            if (middle) RAST_DoPix<C>(a, c, weight);
            return;
        }
        RAST_DoPix<C>(start, c, weight);
        RAST_DoPix<C>(end, c, weight);
        a += along;
        b -= along;
        int e = slope;
        // The fraction e splits the weight between the pixel on the walk and its neighbour
        // toward the other end's row or column.
        const auto pair = [&](RAST_pixel* p, int toward) {
            const int f = e >> 8;
            RAST_DoPix<C>(p, c, (255 - f) * weight / 256);
            RAST_DoPix<C>(p + toward, c, f * weight / 256);
        };
        for (int i = 1; i < halfway; ++i) {
            pair(a, across);
            pair(b, -across);
            e += slope;
            if (e >= 65536) {
                a += across;
                b -= across;
                e -= 65536;
            }
            a += along;
            b -= along;
        }
        if (middle) pair(a, across);
    }

    // n + 1 positions along from p; fraction (0..65535) is where the line lies between p and
    // p + across, and grows by slope (0..65536) a step.
    static void RAST_FLineImpl(RAST_pixel* p, int n, int fraction, int slope, int along, int across,
                               RAST_pixel c, int weight) {
        for (int i = 0; i <= n; ++i) {
            const int f8 = fraction / 256;
            RAST_DoPix<C>(p, c, (255 - f8) * weight / 256);
            RAST_DoPix<C>(p + across, c, f8 * weight / 256);
            fraction += slope;
            if (fraction >= 65536) {
                fraction -= 65536;
                p += across;
            }
            p += along;
        }
    }

    // The dashes of a clipped horizontal (y1 = y2) or vertical (x1 = x2) line with x1 <= x2
    // and y1 <= y2.
    static void DashedLine(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int dash, int gap,
                           RAST_pixel c, int weight) {
        const int span = dest->getRowSpan();
        RAST_pixel* first = dest->getBits() + ptrdiff_t(y1) * span + x1;
        int64_t start, end, step;
        if (y1 == y2) {
            start = x1, end = x2, step = 1;
        } else if (x1 == x2) {
            start = y1, end = y2, step = span;
        } else {
            return;
        }
        // A pattern that does not advance would never end.
        if (int64_t(dash) + gap <= 0) return;
        const auto run = [&](int64_t from, int64_t count) {
            for (int64_t i = 0; i < count; ++i)
                RAST_DoPix<C>(first + (from - start + i) * step, c, weight);
        };
        int64_t p = start;
        for (; p < end - dash; p += int64_t(dash) + gap)
            run(p, dash);
        run(p, std::min<int64_t>(end - p, dash));
    }
};

namespace {

// The point's position outside columns 0..w-1 (1 left, 2 right) and rows 0..h-1 (4 above,
// 8 below).
template <class T> int regionCode(T x, T y, T w, T h) {
    return (x < 0 ? 1 : x >= w ? 2 : 0) | (y < 0 ? 4 : y >= h ? 8 : 0);
}

// a where the line from (a1, b1) to (a2, b2) reaches b = at, truncated; it lies between a1 and
// a2.
int64_t crossing(int64_t a1, int64_t b1, int64_t a2, int64_t b2, int64_t at) {
    return a1 + int64_t(std::trunc(double(a2 - a1) * double(at - b1) / double(b2 - b1)));
}

// Region-code clipping: while a point lies outside, move it onto the first edge that its code
// names (bottom, top, right, left) by move(code, x, y), which may refuse.
template <class T, class Move> bool clipByRegions(T& x1, T& y1, T& x2, T& y2, T w, T h, Move move) {
    int c1 = regionCode(x1, y1, w, h);
    int c2 = regionCode(x2, y2, w, h);
    while (c1 | c2) {
        if (c1 & c2) return false;
        const bool first = c1 != 0;
        T& x = first ? x1 : x2;
        T& y = first ? y1 : y2;
        if (!move(first ? c1 : c2, x, y)) return false;
        (first ? c1 : c2) = regionCode(x, y, w, h);
    }
    return true;
}

// In 64 bits, so that shifted or far-off coordinates cannot overflow. The crossing with the
// far edges is taken one past the last column or row while the point is put on the last one.
bool clipLine64(int64_t& x1, int64_t& y1, int64_t& x2, int64_t& y2, int64_t w, int64_t h) {
    return clipByRegions(x1, y1, x2, y2, w, h, [&](int code, int64_t& x, int64_t& y) {
        if (code & 8) {
            x = crossing(x1, y1, x2, y2, h), y = h - 1;
        } else if (code & 4) {
            x = crossing(x1, y1, x2, y2, 0), y = 0;
        } else if (code & 2) {
            y = crossing(y1, x1, y2, x2, w), x = w - 1;
        } else {
            y = crossing(y1, x1, y2, x2, 0), x = 0;
        }
        return true;
    });
}

// In single precision; H and W are height - 1 and width - 1, the point being put one further
// in.
bool clipFLine(float& x1, float& y1, float& x2, float& y2, float W, float H) {
    return clipByRegions(x1, y1, x2, y2, W, H, [&](int code, float& x, float& y) {
        if (code & 8) {
            x = x1 + (x2 - x1) * (H - y1) / (y2 - y1), y = H - 1;
        } else if (code & 4) {
            x = x1 + (x2 - x1) * y1 / (y1 - y2), y = 0;
        } else if (code & 2) {
            y = y1 + (y2 - y1) * (W - x1) / (x2 - x1), x = W - 1;
        } else {
            y = y1 + (y2 - y1) * x1 / (x1 - x2), x = 0;
        }
        // Differences of huge floats overflow to infinity.
        return RAST_AllFinite(x, y);
    });
}

template <class C> struct SpanEntry {
    static constexpr auto fn = &__RAST_LineClassSimple<C>::RAST_VertLine;
};
template <class C> struct DiagEntry {
    static constexpr auto fn = &__RAST_LineClassSimple<C>::RAST_DiagLine;
};
template <class C> struct DiagAAEntry {
    static constexpr auto fn = &__RAST_LineClassSimple<C>::RAST_DiagLineAA;
};
template <class C> struct LineEntry {
    static constexpr auto fn = &__RAST_LineClass<C>::RAST_LineImpl;
};
template <class C> struct FLineEntry {
    static constexpr auto fn = &__RAST_LineClass<C>::RAST_FLineImpl;
};
template <class C> struct DashEntry {
    static constexpr auto fn = &__RAST_LineClass<C>::DashedLine;
};

// Copy spans at these exact alphas mix whole words; alpha 1.0 is the clobber of weight 256.
const struct {
    float alpha;
    decltype(SpanEntry<_RAST_CombinePixelsCopyNoClamp>::fn) fn;
} kExactCopySpans[] = {
    {0.5f, SpanEntry<_RAST_CombinePixelsHalfMix2FAST>::fn},
    {0.25f, SpanEntry<_RAST_CombinePixelsQuarterMix2FAST>::fn},
    {0.75f, SpanEntry<_RAST_CombinePixelsThreeQuarterMix2FAST>::fn},
};

void straightLine(RAST_pixel* first, int step, int n, RAST_pixel color, float alpha, int mode) {
    const int weight = RAST_WeightFromAlpha(alpha);
    auto fn = RAST_PickDrawer<SpanEntry>(mode, weight, true);
    if ((mode & RAST_MODE_OP_MASK) == RAST_MODE_COPY)
        for (const auto& exact : kExactCopySpans)
            if (alpha == exact.alpha) fn = exact.fn;
    if (fn) fn(first, step, n, color, weight);
}

void diagonalLine(RAST_pixel* first, int n, int xstep, int ystep, RAST_pixel color, float alpha,
                  int mode, bool aa) {
    const int weight = RAST_WeightFromAlpha(alpha);
    if (!aa) {
        if (auto fn = RAST_PickDrawer<DiagEntry>(mode, weight, true))
            fn(first, n, xstep, ystep, color, weight);
    } else if ((mode & RAST_MODE_OP_MASK) == RAST_MODE_COPY && alpha == 1.0f) {
        __RAST_LineClassSimple<_RAST_CombinePixelsCopyNoClamp>::DiagLineAA<
            _RAST_CombinePixelsThreeQuarterMix2FAST, _RAST_CombinePixelsQuarterMix2FAST>(
            first, n, xstep, ystep, color, 0, 0);
    } else if (auto fn = RAST_PickDrawer<DiagAAEntry>(mode, weight, false)) {
        fn(first, n, xstep, ystep, color, weight);
    }
}

} // namespace

bool ClipLine(int* x1, int* y1, int* x2, int* y2, int w, int h) {
    int64_t a = *x1, b = *y1, c = *x2, d = *y2;
    const bool inside = clipLine64(a, b, c, d, w, h);
    *x1 = RAST_SaturateInt(a), *y1 = RAST_SaturateInt(b);
    *x2 = RAST_SaturateInt(c), *y2 = RAST_SaturateInt(d);
    return inside;
}

bool ClipFLine(float* x1, float* y1, float* x2, float* y2, int width, int height) {
    return clipFLine(*x1, *y1, *x2, *y2, float(double(width) - 1), float(double(height) - 1));
}

int RAST_ClipLine(int* x1, int* y1, int* x2, int* y2, int left, int top, int right, int bottom) {
    int64_t a = int64_t(*x1) - left, b = int64_t(*y1) - top;
    int64_t c = int64_t(*x2) - left, d = int64_t(*y2) - top;
    const bool inside = clipLine64(a, b, c, d, int64_t(right) - left, int64_t(bottom) - top);
    *x1 = RAST_SaturateInt(a + left), *y1 = RAST_SaturateInt(b + top);
    *x2 = RAST_SaturateInt(c + left), *y2 = RAST_SaturateInt(d + top);
    return inside;
}

int RAST_ClipFLine(float* x1, float* y1, float* x2, float* y2, float left, float top, float right,
                   float bottom) {
    float a = *x1 - left, b = *y1 - top, c = *x2 - left, d = *y2 - top;
    const bool inside =
        ClipFLine(&a, &b, &c, &d, RAST_TruncToInt(right - left), RAST_TruncToInt(bottom - top));
    *x1 = a + left, *y1 = b + top, *x2 = c + left, *y2 = d + top;
    return inside;
}

void RAST_Line(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, RAST_pixel color, float alpha,
               int mode, bool aa) {
    if (!dest) return;
    const int w = dest->getWidth(), h = dest->getHeight();
    if (dest->isFlipped()) y1 = RAST_MirrorRow(h, y1), y2 = RAST_MirrorRow(h, y2);
    if (!ClipLine(&x1, &y1, &x2, &y2, w, h)) return;
    alpha = RAST_ClampAlpha(alpha);

    const int span = dest->getRowSpan();
    RAST_pixel* bits = dest->getBits();
    if (!bits) return;
    const auto at = [&](int x, int y) { return bits + ptrdiff_t(y) * span + x; };
    const int dx = x2 - x1, dy = y2 - y1;
    if (dy == 0) {
        straightLine(at(std::min(x1, x2), y1), 1, std::abs(dx) + 1, color, alpha, mode);
    } else if (dx == 0) {
        straightLine(at(x1, std::min(y1, y2)), span, std::abs(dy) + 1, color, alpha, mode);
    } else if (std::abs(dx) == std::abs(dy)) {
        diagonalLine(at(x1, y1), std::abs(dx), x2 > x1 ? 1 : -1, y2 > y1 ? span : -span, color,
                     alpha, mode, aa);
    } else {
        RAST_pixel* start = at(x1, y1);
        RAST_pixel* end = at(x2, y2);
        const bool xMajor = std::abs(dx) > std::abs(dy);
        int along = xMajor ? 1 : span, across = xMajor ? span : 1;
        int major = xMajor ? dx : dy, minor = xMajor ? dy : dx;
        // The walk runs toward the larger major coordinate, so that both directions of a
        // line give the same pixels.
        if (major < 0) {
            std::swap(start, end);
            major = -major, minor = -minor;
        }
        if (minor < 0) across = -across;
        const int slope = int(double(std::abs(minor)) / double(major) * 65536.0);
        const int weight = RAST_WeightFromAlpha(alpha);
        if (auto fn = RAST_PickDrawer<LineEntry>(mode, weight, !aa))
            fn(start, end, slope, along, major, across, color, weight, aa);
    }
}

void RAST_FLine(RAST_IBitmap* dest, float x1, float y1, float x2, float y2, RAST_pixel color,
                float alpha, int mode, bool aa) {
    if (!dest || !RAST_AllFinite(x1, y1, x2, y2)) return;
    if (!aa) {
        RAST_Line(dest, RAST_TruncToInt(x1), RAST_TruncToInt(y1), RAST_TruncToInt(x2),
                  RAST_TruncToInt(y2), color, alpha, mode, false);
        return;
    }
    const int width = dest->getWidth(), height = dest->getHeight();
    if (dest->isFlipped()) {
        y1 = float(height - 1) - y1;
        y2 = float(height - 1) - y2;
    }
    if (!ClipFLine(&x1, &y1, &x2, &y2, width, height)) return;
    if (x1 == x2 && y1 == y2) return;
    const int weight = RAST_WeightFromAlpha(alpha);
    const auto fn = RAST_PickDrawer<FLineEntry>(mode, weight, false);
    RAST_pixel* bits = dest->getBits();
    if (!fn || !bits) return;

    const bool xMajor = std::fabs(x2 - x1) > std::fabs(y2 - y1);
    float majorStart = xMajor ? x1 : y1, minorStart = xMajor ? y1 : x1;
    float majorEnd = xMajor ? x2 : y2, minorEnd = xMajor ? y2 : x2;
    if (majorEnd < majorStart) {
        std::swap(majorStart, majorEnd);
        std::swap(minorStart, minorEnd);
    }
    const int first = int(std::ceil(majorStart));
    int n = int(std::floor(majorEnd)) - first;
    if (n < 0) return;
    const float slope = (minorEnd - minorStart) / (majorEnd - majorStart);
    const float m = minorStart + (float(first) - majorStart) * slope;
    const int frac = int((m - std::floor(m)) * 65536.0f);
    const bool upward = slope >= 0.0f;
    const int fixedSlope = int(std::fabs(double(slope)) * 65536.0);
    const int base = upward ? int(m) : int(m) + 1;
    const int fraction = upward ? frac : 65535 - frac;

    // The walk and its neighbour pixels must stay within the minor extent even where
    // single-precision rounding carries the line a hair over the clipped edge: cut the steps
    // that would leave it.
    const int minorSize = xMajor ? height : width;
    const int64_t room = upward ? int64_t(minorSize) - 2 - base : int64_t(base) - 1;
    if (room < 0 || base < 0 || base > minorSize - 1) return;
    if (fixedSlope > 0)
        n = int(std::min<int64_t>(n, ((room + 1) * 65536 - 1 - fraction) / fixedSlope));

    const int span = dest->getRowSpan();
    const int along = xMajor ? 1 : span;
    const int across = (xMajor ? span : 1) * (upward ? 1 : -1);
    RAST_pixel* p =
        xMajor ? bits + ptrdiff_t(base) * span + first : bits + ptrdiff_t(first) * span + base;
    fn(p, n, fraction, fixedSlope, along, across, color, weight);
}

void RAST_DashedLine(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int dashLength,
                     int gapLength, RAST_pixel color, float alpha, int mode, bool) {
    if (!dest || !dest->getBits()) return;
    if (!ClipLine(&x1, &y1, &x2, &y2, dest->getWidth(), dest->getHeight())) return;
    if (y1 > y2) std::swap(y1, y2);
    if (x1 > x2) std::swap(x1, x2);
    const int weight = RAST_WeightFromAlpha(alpha);
    if (auto fn = RAST_PickDrawer<DashEntry>(mode, weight, true))
        fn(dest, x1, y1, x2, y2, dashLength, gapLength, color, weight);
}
