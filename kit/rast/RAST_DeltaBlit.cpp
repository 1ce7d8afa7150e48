#include "kit/rast/RAST_DeltaBlit.h"

#include "kit/rast/RAST_BlitLoops.h"

#include <algorithm>

using rast_detail::FitsFixed;
using rast_detail::kFixedOne;
using rast_detail::ToFixed;

void _RAST_Template_Blit3::deltaBlit(unsigned char* dest, const unsigned char* src, int w, int h,
                                     int startx, int starty, int dsdx, int dtdx, int dsdy, int dtdy,
                                     int dsdxdy, int dtdxdy, int clipleft, int cliptop,
                                     int clipright, int clipbottom, int srcstride, int deststride,
                                     int ia, int filter, RAST_PixOp op) {
    const bool bilinear = filter == RAST_MODE_BILINEAR;
    // 64 bits, so that the steps taken after the last pixel and row cannot overflow.
    int64_t rowX = startx, rowY = starty, stepX = dsdx, stepY = dtdx;
    for (int row = 0; row < h;
         ++row, rowX += dsdy, rowY += dtdy, stepX += dsdxdy, stepY += dtdxdy, dest += deststride) {
        int64_t x = rowX, y = rowY;
        unsigned char* d = dest;
        for (int col = 0; col < w; ++col, x += stepX, y += stepY, d += 4) {
            const int64_t sx = x / kFixedOne, sy = y / kFixedOne;
            if (sx < clipleft || sx >= clipright || sy < cliptop || sy >= clipbottom) continue;
            const unsigned char* p = src + sy * srcstride + sx * 4;
            if (!bilinear) {
                op(d, p[1], p[2], p[3], p[0], ia);
                continue;
            }
            int c[4];
            rast_detail::BilinearSample(p, srcstride, unsigned(x & 0xFFFF), unsigned(y & 0xFFFF),
                                        sx < clipright - 1, sy < clipbottom - 1, c);
            op(d, c[1], c[2], c[3], c[0], ia);
        }
    }
}

namespace {

// The walk in 16.16, each value checked to fit.
struct FixedWalk {
    int startx, starty, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
};

bool deltasToFixed(const rast_detail::DeltaWalk& v, FixedWalk& f) {
    return ToFixed(v.dsdx, f.dsdx) && ToFixed(v.dtdx, f.dtdx) && ToFixed(v.dsdy, f.dsdy) &&
           ToFixed(v.dtdy, f.dtdy) && ToFixed(v.dsdxdy, f.dsdxdy) && ToFixed(v.dtdxdy, f.dtdxdy);
}

// True when every position sampled over w x h pixels, and every per-column step, fits 16.16.
// Both are linear in the row and the column, so their corners bound them.
bool walkFits(const FixedWalk& f, int64_t w, int64_t h) {
    const int64_t lastRowX = f.startx + (h - 1) * f.dsdy, lastRowY = f.starty + (h - 1) * f.dtdy;
    const int64_t lastStepX = f.dsdx + (h - 1) * f.dsdxdy;
    const int64_t lastStepY = f.dtdx + (h - 1) * f.dtdxdy;
    return FitsFixed(lastRowX) && FitsFixed(lastRowY) && FitsFixed(lastStepX) &&
           FitsFixed(lastStepY) && FitsFixed(f.startx + (w - 1) * int64_t(f.dsdx)) &&
           FitsFixed(f.starty + (w - 1) * int64_t(f.dtdx)) &&
           FitsFixed(lastRowX + (w - 1) * lastStepX) && FitsFixed(lastRowY + (w - 1) * lastStepY);
}

// A clip edge in whole source pixels: truncated toward zero and held within 0..limit; NaN
// gives 0, so that a NaN right or bottom edge empties the clip.
int clipEdge(double v, int limit) {
    return v >= limit ? limit : v > 0 ? int(v) : 0;
}

} // namespace

void rast_detail::DeltaBlitFrom(RAST_IBitmap* dest, RAST_IBitmap* src, int64_t dstx, int64_t dsty,
                                int64_t dstw, int64_t dsth, float srcx, float srcy,
                                const DeltaWalk& walk, const SourceClip& clip, float alpha,
                                int mode) {
    // Deltas beyond 16.16 are refused before they move the start.
    FixedWalk fixed;
    if (!deltasToFixed(walk, fixed)) return;
    if (dstx < 0) {
        srcx -= float(double(dstx) * walk.dsdx);
        srcy -= float(double(dstx) * walk.dtdx);
        dstw += dstx;
        dstx = 0;
    }
    if (dsty < 0) {
        srcx -= float(double(dsty) * walk.dsdy);
        srcy -= float(double(dsty) * walk.dtdy);
        dsth += dsty;
        dsty = 0;
    }
    dstw = std::min<int64_t>(dstw, dest->getWidth() - dstx);
    dsth = std::min<int64_t>(dsth, dest->getHeight() - dsty);
    if (dstw <= 0 || dsth <= 0) return;
    if (!dest->getBits() || !src->getBits()) return;

    const int ia = RAST_WeightFromAlpha(alpha);
    const RAST_PixOp op = RAST_ModeMember<RAST_PixOpEntry>(mode, ia);
    if (!op) return;

    if (!ToFixed(srcx, fixed.startx) || !ToFixed(srcy, fixed.starty) ||
        !walkFits(fixed, dstw, dsth))
        return;
    const int left = clipEdge(clip.left, src->getWidth());
    const int top = clipEdge(clip.top, src->getHeight());
    const int right = clipEdge(clip.right, src->getWidth());
    const int bottom = clipEdge(clip.bottom, src->getHeight());
    // An empty clip draws nothing: the bilinear edge rules would otherwise read the column or
    // row before it.
    if (left >= right || top >= bottom) return;

    const Rows d = RowsAt(*dest, int(dstx), int(dsty));
    const Rows s = RowsAt(*src, 0, 0);
    _RAST_Template_Blit3::deltaBlit(d.first, s.first, int(dstw), int(dsth), fixed.startx,
                                    fixed.starty, fixed.dsdx, fixed.dtdx, fixed.dsdy, fixed.dtdy,
                                    fixed.dsdxdy, fixed.dtdxdy, left, top, right, bottom, s.step,
                                    d.step, ia, mode & 0xFF00, op);
}

void RAST_DeltaBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx,
                    double dsdy, double dtdy, double dsdxdy, double dtdxdy, bool cliptosourcerect,
                    float alpha, int mode) {
    if (!dest || !src || dstw == 0 || dsth == 0) return;
    const rast_detail::SourceClip clip =
        rast_detail::SourceClipOf(*src, cliptosourcerect, srcx, srcy, srcw, srch);
    // Mirroring is up to the deltas: a negative size only moves the start.
    int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
    rast_detail::Unmirror(dx, dw, srcx, srcw, false);
    rast_detail::Unmirror(dy, dh, srcy, srch, false);
    rast_detail::DeltaBlitFrom(dest, src, dx, dy, dw, dh, srcx, srcy,
                               {dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy}, clip, alpha, mode);
}
