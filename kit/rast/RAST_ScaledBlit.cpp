#include "kit/rast/RAST_ScaledBlit.h"

#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_BlitLoops.h"
#include "kit/rast/RAST_Spans.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

using rast_detail::kFixedOne;

namespace {

// The source pixel index a 16.16 position samples along one axis, when it lies in 0..clip - 1.
// Positions from -65535 to -1 truncate to pixel 0 and are read as it.
bool sampleIndex(int64_t pos, int clip, int64_t& index) {
    if (pos < -(kFixedOne - 1)) return false;
    index = pos / kFixedOne;
    return index < clip;
}

// The columns [first, end) whose samples lie at column 0 or beyond and have a right neighbour
// below clip (one run, since the positions move steadily one way), and where they sample.
void interiorColumns(int64_t startx, int64_t stepx, int w, int clip, int& first,
                     rast_span::BilinearColumns& columns) {
    const auto inside = [&](int64_t x) { return x >= 0 && x / kFixedOne < clip - 1; };
    first = 0;
    while (first < w && !inside(startx + first * stepx))
        ++first;
    for (int64_t col = first, x = startx + col * stepx; col < w && inside(x); ++col, x += stepx) {
        columns.offset.push_back(int(x / kFixedOne) * 4);
        columns.fraction.push_back(int(x % kFixedOne));
    }
}

} // namespace

template <class P>
void _RAST_Template_Blit2<P>::scaleBlit(unsigned char* dest, const unsigned char* src, int w, int h,
                                        int startx, int starty, int stepx, int stepy, int clipright,
                                        int clipbottom, int srcstride, int deststride, int ia,
                                        int filter) {
    const bool bilinear = filter == RAST_MODE_BILINEAR;
    // A bilinear copy at full weight stores its samples, so the columns with both neighbours
    // go through the row kernel.
    int runFirst = 0;
    rast_span::BilinearColumns run;
    if (std::is_same_v<P, _RAST_CombinePixelsClobberNoClamp> && bilinear)
        interiorColumns(startx, stepx, w, clipright, runFirst, run);
    const int runEnd = runFirst + int(run.offset.size());
    int64_t y = starty;
    for (int row = 0; row < h; ++row, y += stepy, dest += deststride) {
        int64_t sy;
        if (!sampleIndex(y, clipbottom, sy)) continue;
        const unsigned char* line = src + sy * srcstride;
        const bool below = sy < clipbottom - 1;
        const unsigned yf = unsigned(y & 0xFFFF);
        const auto columns = [&](int from, int to) {
            unsigned char* d = dest + from * 4;
            int64_t x = startx + int64_t(from) * stepx;
            for (int col = from; col < to; ++col, x += stepx, d += 4) {
                int64_t sx;
                if (!sampleIndex(x, clipright, sx)) continue;
                const unsigned char* p = line + sx * 4;
                if (!bilinear) {
                    P::doPix(d, p[1], p[2], p[3], p[0], ia);
                    continue;
                }
                int c[4];
                rast_detail::BilinearSample(p, srcstride, unsigned(x & 0xFFFF), yf,
                                            sx < clipright - 1, below, c);
                P::doPix(d, c[1], c[2], c[3], c[0], ia);
            }
        };
        if (runEnd == runFirst) {
            columns(0, w);
            continue;
        }
        columns(0, runFirst);
        // On the last source row the blend runs along the row only, which is the full blend
        // reading this row again in place of the one below.
        rast_span::bilinearRow(dest + runFirst * 4, line, below ? srcstride : 0, run, yf);
        columns(runEnd, w);
    }
}

template <class P>
void _RAST_Template_Blit2<P>::scaleBlitFilterDown(unsigned char* dest, const unsigned char* src,
                                                  int w, int h, int startx, int starty, int stepx,
                                                  int stepy, int clipright, int clipbottom,
                                                  int srcstride, int deststride, int ia,
                                                  const int* kernel, int offset, int size) {
    int64_t y = starty;
    for (int row = 0; row < h; ++row, y += stepy, dest += deststride) {
        int64_t sy;
        if (!sampleIndex(y, clipbottom, sy) || sy + offset >= clipbottom) continue;
        unsigned char* d = dest;
        int64_t x = startx;
        for (int col = 0; col < w; ++col, x += stepx, d += 4) {
            int64_t sx;
            if (!sampleIndex(x, clipright, sx)) continue;
            int sum[4] = {0, 0, 0, 0};
            int weights = 0;
            for (int i = 0; i < size; ++i) {
                const int64_t ry = sy + offset + i;
                if (ry >= clipbottom) break;
                if (ry < 0) continue;
                const unsigned char* line = src + ry * srcstride;
                for (int j = 0; j < size; ++j) {
                    const int64_t rx = sx + offset + j;
                    if (rx < 0 || rx >= clipright) continue;
                    const int k = kernel[i * size + j];
                    const unsigned char* p = line + rx * 4;
                    weights += k;
                    for (int b = 0; b < 4; ++b)
                        sum[b] += p[b] * k;
                }
            }
            if (weights > 0)
                P::doPix(d, sum[1] / weights, sum[2] / weights, sum[3] / weights, sum[0] / weights,
                         ia);
        }
    }
}

// Nearest sampling that moves one 32-bit word per pixel.
template <class P> struct _RAST_Template_Blit0 {
    static void scaleBlitFAST(unsigned char* dest, const unsigned char* src, int w, int h,
                              int startx, int starty, int stepx, int stepy, int clipright,
                              int clipbottom, int srcstride, int deststride) {
        int64_t y = starty;
        for (int row = 0; row < h; ++row, y += stepy, dest += deststride) {
            int64_t sy;
            if (!sampleIndex(y, clipbottom, sy)) continue;
            const auto* line = reinterpret_cast<const RAST_pixel*>(src + sy * srcstride);
            auto* d = reinterpret_cast<RAST_pixel*>(dest);
            int64_t x = startx;
            for (int col = 0; col < w; ++col, x += stepx) {
                int64_t sx;
                if (sampleIndex(x, clipright, sx)) P::doPix(d + col, line[sx]);
            }
        }
    }
};

namespace {

template <class P> struct ScaleEntry {
    static constexpr auto fn = &_RAST_Template_Blit2<P>::scaleBlit;
};
template <class P> struct FilterDownEntry {
    static constexpr auto fn = &_RAST_Template_Blit2<P>::scaleBlitFilterDown;
};

bool unscaled(float srcSize, int dstSize) {
    return std::fabs(double(srcSize - float(dstSize))) < 0.001;
}

// Close enough to a whole pixel for a bilinear draw to be a plain copy.
bool nearWholePixel(float v) {
    return std::fabs(double(v) - double(std::floor(v + 0.5f))) < 0.03;
}

// Cuts the destination run [pos, pos + len) so that, along an axis with a positive step, no
// sample falls left of the source, nor from the start of its last pixel (size - 1) on.
void clampToSource(int64_t& start, int64_t step, int64_t& pos, int64_t& len, int64_t size) {
    if (step <= 0) return;
    if (start < 0) {
        const int64_t n = (step - 1 - start) / step;
        len -= n;
        pos += n;
        start += n * step;
    }
    if (((len - 1) * step + start) / kFixedOne >= size)
        len = std::min(len, (size * kFixedOne - kFixedOne - start) / step);
}

// The exclusive end of the source pixels that samples may read along one axis.
int sourceExtent(float origin, float size, int limit) {
    const double end = double(std::max(0.0f, size) + origin) + 0.999999;
    if (!(end >= 1)) return 0;
    return end >= limit ? limit : int(end);
}

} // namespace

void RAST_ScaledBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float alpha, int mode) {
    if (!dest || !src || dstw == 0 || dsth == 0 || alpha == 0.0f) return;
    const int filter = mode & 0xFF00;
    const bool bilinear = filter == RAST_MODE_BILINEAR;

    // A mirrored size is never a plain copy, even when source and destination sizes agree.
    if (dstw > 0 && dsth > 0 && unscaled(srcw, dstw) && unscaled(srch, dsth) &&
        (!bilinear || (nearWholePixel(srcx) && nearWholePixel(srcy)))) {
        int left, top;
        if (rast_detail::TruncToInt(srcx + 0.5f, left) && rast_detail::TruncToInt(srcy + 0.5f, top))
            RAST_Blit(dest, src, dstx, dsty, left, top, dstw, dsth, alpha, mode);
        return;
    }

    int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
    rast_detail::Unmirror(dx, dw, srcx, srcw, true);
    rast_detail::Unmirror(dy, dh, srcy, srch, true);
    const double xstep = double(srcw / float(dw));
    const double ystep = double(srch / float(dh));
    int stepX, stepY;
    if (!rast_detail::ToFixed(xstep, stepX) || !rast_detail::ToFixed(ystep, stepY)) return;

    if (dx < 0) {
        srcx -= float(double(dx) * xstep);
        dw += dx;
        dx = 0;
    }
    if (dy < 0) {
        srcy -= float(double(dy) * ystep);
        dh += dy;
        dy = 0;
    }
    dw = std::min<int64_t>(dw, dest->getWidth() - dx);
    dh = std::min<int64_t>(dh, dest->getHeight() - dy);
    if (dw <= 0 || dh <= 0) return;

    int fixedX, fixedY;
    if (!rast_detail::ToFixed(srcx, fixedX) || !rast_detail::ToFixed(srcy, fixedY)) return;
    int64_t startX = fixedX, startY = fixedY;
    clampToSource(startX, stepX, dx, dw, src->getWidth());
    clampToSource(startY, stepY, dy, dh, src->getHeight());
    if (dw <= 0 || dh <= 0) return;
    // Every sampled position must be a 16.16 value, not only the first.
    if (!rast_detail::FitsFixed(startX + (dw - 1) * stepX) ||
        !rast_detail::FitsFixed(startY + (dh - 1) * stepY))
        return;

    if (!dest->getBits() || !src->getBits()) return;
    const rast_detail::Rows d = rast_detail::RowsAt(*dest, int(dx), int(dy));
    const rast_detail::Rows s = rast_detail::RowsAt(*src, 0, 0);

    const int clipRight = sourceExtent(srcx, srcw, src->getWidth());
    const int clipBottom = sourceExtent(srcy, srch, src->getHeight());
    if (clipRight < 1 || clipBottom < 1) return;

    const int ia = RAST_WeightFromAlpha(alpha);
    if ((mode & 0x1FFFF) == 0 && (ia == 256 || ia == 128)) {
        const auto fast =
            ia == 256 ? &_RAST_Template_Blit0<_RAST_CombinePixelsClobberFAST>::scaleBlitFAST
                      : &_RAST_Template_Blit0<_RAST_CombinePixelsHalfMixFAST>::scaleBlitFAST;
        fast(d.first, s.first, int(dw), int(dh), int(startX), int(startY), stepX, stepY, clipRight,
             clipBottom, s.step, d.step);
        return;
    }
    if (bilinear && xstep >= 1.7 && ystep >= 1.7) {
        // An even box, wider for shrinks beyond 3 times.
        const int size = std::max(stepX, stepY) > 3 * kFixedOne ? 5 : 3;
        int kernel[25];
        std::fill(kernel, kernel + size * size, int(kFixedOne));
        if (const auto filterDown = RAST_ModeMember<FilterDownEntry>(mode, ia))
            filterDown(d.first, s.first, int(dw), int(dh), int(startX), int(startY), stepX, stepY,
                       clipRight, clipBottom, s.step, d.step, ia, kernel, -(size / 2), size);
        return;
    }
    if (const auto scale = RAST_ModeMember<ScaleEntry>(mode, ia))
        scale(d.first, s.first, int(dw), int(dh), int(startX), int(startY), stepX, stepY, clipRight,
              clipBottom, s.step, d.step, ia, filter);
}
