#include "kit/rast/RAST_TransformBlit.h"

#include "kit/rast/RAST_DeltaBlit.h"

#include <cstddef>
#include <cstdint>

namespace {

// Grid lines beyond this distance could not be held in an int once spaced out.
constexpr int64_t kMaxReach = int64_t(1) << 30;

bool withinReach(int pos, int size) {
    return pos >= -kMaxReach && int64_t(pos) + size <= kMaxReach;
}

} // namespace

// One instance per element type of the grid.
template <class T> struct RAST_TransformBlit_class {
    static void blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     const T* points, int div_w, int div_h, float alpha, int mode) {
        if (!dest || !src || !points || dstw < 1 || dsth < 1 || div_w < 2 || div_h < 2) return;
        if (!withinReach(dstx, dstw) || !withinReach(dsty, dsth)) return;
        const double dxpos = double(float(dstw) / float(div_w - 1));
        const double dypos = double(float(dsth) / float(div_h - 1));
        const auto point = [&](int k, int j) { return points + (ptrdiff_t(k) * div_w + j) * 2; };

        double ypos = dsty;
        int y = dsty;
        for (int k = 0; k < div_h - 1; ++k) {
            ypos += dypos;
            const int iy = int(ypos);
            const int h = iy - y;
            if (h != 0) {
                const double isy = 1.0 / h;
                double xpos = dstx;
                int x = dstx;
                for (int j = 1; j < div_w; ++j) {
                    xpos += dxpos;
                    const int ix = int(xpos);
                    const int w = ix - x;
                    if (w != 0) {
                        const T* p00 = point(k, j - 1);
                        const T* p01 = point(k, j);
                        const T* p10 = point(k + 1, j - 1);
                        const T* p11 = point(k + 1, j);
                        const double isx = 1.0 / w;
                        const double topX = double(p01[0]) - double(p00[0]);
                        const double topY = double(p01[1]) - double(p00[1]);
                        // The bottom edge is taken in the grid's own precision.
                        const double bottomX = double(p11[0] - p10[0]);
                        const double bottomY = double(p11[1] - p10[1]);
                        const double dsdx = topX * isx, dtdx = topY * isx;
                        RAST_DeltaBlit(
                            dest, src, x, y, w, h, float(p00[0]), float(p00[1]), float(topX),
                            float(topY), dsdx, dtdx, (double(p10[0]) - double(p00[0])) * isy,
                            (double(p10[1]) - double(p00[1])) * isy, (bottomX * isx - dsdx) * isy,
                            (bottomY * isx - dtdx) * isy, false, alpha, mode);
                    }
                    x = ix;
                }
            }
            y = iy;
        }
    }
};

void RAST_TransformBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw,
                        int dsth, const float* points, int div_w, int div_h, float alpha,
                        int mode) {
    RAST_TransformBlit_class<float>::blit(dest, src, dstx, dsty, dstw, dsth, points, div_w, div_h,
                                          alpha, mode);
}

void RAST_TransformBlit2(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw,
                         int dsth, const double* points, int div_w, int div_h, float alpha,
                         int mode) {
    RAST_TransformBlit_class<double>::blit(dest, src, dstx, dsty, dstw, dsth, points, div_w, div_h,
                                           alpha, mode);
}
