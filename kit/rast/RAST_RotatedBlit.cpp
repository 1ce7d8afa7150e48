#include "kit/rast/RAST_RotatedBlit.h"

#include "kit/rast/RAST_BlitLoops.h"

#include <cmath>

void RAST_RotatedBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                      float srcx, float srcy, float srcw, float srch, float angle,
                      bool cliptosourcerect, float alpha, int mode, float rotxcent,
                      float rotycent) {
    if (!dest || !src || dstw == 0 || dsth == 0) return;
    const rast_detail::SourceClip clip =
        rast_detail::SourceClipOf(*src, cliptosourcerect, srcx, srcy, srcw, srch);
    int64_t dx = dstx, dy = dsty, dw = dstw, dh = dsth;
    rast_detail::Unmirror(dx, dw, srcx, srcw, true);
    rast_detail::Unmirror(dy, dh, srcy, srch, true);
    const double cosa = std::cos(double(angle)), sina = std::sin(double(angle));
    const double xsc = double(srcw / float(dw)), ysc = double(srch / float(dh));
    const rast_detail::DeltaWalk walk = {xsc * cosa, -(ysc * sina), xsc * sina, ysc * cosa, 0, 0};
    // The destination's middle samples the source rectangle's middle moved by the offset.
    srcx -= float(0.5 * (double(dw) * walk.dsdx + double(dh) * walk.dsdy - srcw) - rotxcent);
    srcy -= float(0.5 * (double(dh) * walk.dtdy + double(dw) * walk.dtdx - srch) - rotycent);
    rast_detail::DeltaBlitFrom(dest, src, dx, dy, dw, dh, srcx, srcy, walk, clip, alpha, mode);
}
