#pragma once

// Inner loops and helpers shared by the blits of the raster graphics. Not for callers outside
// kit/rast.

#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_IBitmap.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

// The loops of one pixel operation P, instantiated per class so that the per-pixel work has no
// dispatch. Steps and strides are in bytes and may be negative (flipped bitmaps). Each member
// is defined in the source file of the blit that uses it.
template <class P> struct _RAST_Template_Blit2 {
    // Unscaled: h rows of w pixels.
    static void blit(unsigned char* dest, const unsigned char* src, int w, int h, int srcstep,
                     int deststep, int weight);
    // Scaled, nearest or (filter 0x100) bilinear; positions and steps in 16.16.
    static void scaleBlit(unsigned char* dest, const unsigned char* src, int w, int h, int startx,
                          int starty, int stepx, int stepy, int clipright, int clipbottom,
                          int srcstride, int deststride, int ia, int filter);
    // Scaled down through a size x size window of weights (16.16) starting offset pixels
    // before each sample.
    static void scaleBlitFilterDown(unsigned char* dest, const unsigned char* src, int w, int h,
                                    int startx, int starty, int stepx, int stepy, int clipright,
                                    int clipbottom, int srcstride, int deststride, int ia,
                                    const int* kernel, int offset, int size);
};

// Word-wide pixel operations of the plain copy at full and at half weight.
struct _RAST_CombinePixelsClobberFAST {
    static void doPix(RAST_pixel* dest, RAST_pixel src) { *dest = src; }
};
// Each channel of both halved, then added: an odd low bit is lost on both sides.
struct _RAST_CombinePixelsHalfMixFAST {
    static void doPix(RAST_pixel* dest, RAST_pixel src) {
        *dest = rast_detail::MixHalf(*dest, src);
    }
};

// The affine walk of the delta and rotated blits, with the pixel operation called through a
// pointer. Samples are drawn only inside the clip rectangle, which must not be empty.
struct _RAST_Template_Blit3 {
    static void deltaBlit(unsigned char* dest, const unsigned char* src, int w, int h, int startx,
                          int starty, int dsdx, int dtdx, int dsdy, int dtdy, int dsdxdy,
                          int dtdxdy, int clipleft, int cliptop, int clipright, int clipbottom,
                          int srcstride, int deststride, int ia, int filter, RAST_PixOp op);
};

namespace rast_detail {

// Where a blit starts in one bitmap: the byte of picture pixel (x, y), and the byte step from
// one picture row to the next (negative for a flipped bitmap, whose picture row 0 is its last
// memory row).
struct Rows {
    unsigned char* first;
    int step;
};

inline Rows RowsAt(const RAST_IBitmap& bm, int x, int y) {
    return {reinterpret_cast<unsigned char*>(RAST_PixelAt(bm, x, y)),
            int(RAST_PictureRowStep(bm) * 4)};
}

// A negative destination size along one axis: the destination run starts at its far end
// instead and the source start moves by the source size, which changes sign when the walk is
// to run back along it.
inline void Unmirror(int64_t& pos, int64_t& size, float& srcpos, float& srcsize,
                     bool negateSource) {
    if (size >= 0) return;
    pos += size;
    size = -size;
    srcpos += srcsize;
    if (negateSource) srcsize = -srcsize;
}

// 16.16 fixed point: 65536 is one source pixel. Positions and steps are 32-bit; a value that
// does not fit makes the blit draw nothing.
constexpr int64_t kFixedOne = 65536;

inline bool FitsFixed(int64_t v) {
    return v >= INT32_MIN && v <= INT32_MAX;
}

// v x 65536 truncated toward zero; false when that is not a finite 32-bit value.
inline bool ToFixed(double v, int& out) {
    const double f = std::trunc(v * 65536.0);
    if (!(f >= INT32_MIN && f <= INT32_MAX)) return false;
    out = int(f);
    return true;
}

// v truncated toward zero; false when that is not a finite int.
inline bool TruncToInt(double v, int& out) {
    const double t = std::trunc(v);
    if (!(t >= INT32_MIN && t <= INT32_MAX)) return false;
    out = int(t);
    return true;
}

// One bilinear sample of the four bytes from pixel p00 at fractions xf, yf (0..65535) toward
// its right and lower neighbours. Without a right neighbour it blends only down, without a
// lower one only right, with neither it is p00 itself.
inline void BilinearSample(const unsigned char* p00, ptrdiff_t stride, unsigned xf, unsigned yf,
                           bool right, bool below, int out[4]) {
    const unsigned char* p10 = p00 + 4;
    const unsigned char* p01 = p00 + stride;
    if (right && below) {
        const unsigned w11 = (xf * yf) >> 16;
        const unsigned w10 = xf - w11, w01 = yf - w11, w00 = 65536 - yf - w10;
        const unsigned char* p11 = p01 + 4;
        for (int i = 0; i < 4; ++i)
            out[i] = int((p00[i] * w00 + p10[i] * w10 + p01[i] * w01 + p11[i] * w11) >> 16);
    } else if (below) {
        for (int i = 0; i < 4; ++i)
            out[i] = int((p00[i] * (65536 - yf) + p01[i] * yf) >> 16);
    } else if (right) {
        for (int i = 0; i < 4; ++i)
            out[i] = int((p00[i] * (65536 - xf) + p10[i] * xf) >> 16);
    } else {
        for (int i = 0; i < 4; ++i)
            out[i] = p00[i];
    }
}

// The source region that samples of a delta or rotated blit may read, in source pixels:
// left and top inclusive, right and bottom exclusive.
struct SourceClip {
    double left, top, right, bottom;
};

// The source rectangle cut to the source bitmap, or the whole bitmap. A NaN in the rectangle
// stays NaN.
inline SourceClip SourceClipOf(const RAST_IBitmap& src, bool cliptosourcerect, float srcx,
                               float srcy, float srcw, float srch) {
    const double w = src.getWidth(), h = src.getHeight();
    if (!cliptosourcerect) return {0, 0, w, h};
    const double right = srcx + srcw, bottom = srcy + srch;
    return {srcx < 0 ? 0.0 : srcx, srcy < 0 ? 0.0 : srcy, right > w ? w : right,
            bottom > h ? h : bottom};
}

// Change of source x (s) and y (t) per destination column and row, and of the per-column
// change per row.
struct DeltaWalk {
    double dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
};

// Draws the walk from (srcx, srcy) into the destination rectangle: cuts the rectangle to the
// destination, moving the start along the walk, then samples inside clip. The start is not
// corrected for the second-order deltas when rows or columns are cut away.
void DeltaBlitFrom(RAST_IBitmap* dest, RAST_IBitmap* src, int64_t dstx, int64_t dsty, int64_t dstw,
                   int64_t dsth, float srcx, float srcy, const DeltaWalk& walk,
                   const SourceClip& clip, float alpha, int mode);

} // namespace rast_detail
