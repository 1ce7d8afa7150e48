#pragma once

#include "kit/rast/RAST_IBitmap.h"

// Warps the source into the destination rectangle through a grid of div_h rows of div_w
// source points (x then y, row-major; row 0 on the top edge, column 0 on the left edge): the
// rectangle is cut into (div_w - 1) x (div_h - 1) cells at truncated, evenly spaced lines, and
// each cell walks the source bilinearly between its four corner points. Samples outside the
// source draw nothing. mode and alpha are those of RAST_DeltaBlit. A destination rectangle
// reaching beyond +-2^30 pixels draws nothing.
void RAST_TransformBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw,
                        int dsth, const float* points, int div_w, int div_h, float alpha, int mode);
void RAST_TransformBlit2(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw,
                         int dsth, const double* points, int div_w, int div_h, float alpha,
                         int mode);
