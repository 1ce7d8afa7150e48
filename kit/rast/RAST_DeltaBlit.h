#pragma once

#include "kit/rast/RAST_IBitmap.h"

// Fills the destination rectangle by walking the source: destination pixel (c, r) of the
// rectangle samples the source at (srcx, srcy) advanced c times by the per-column deltas
// (dsdx, dtdx) and r times by the per-row deltas (dsdy, dtdy), where the per-column deltas
// change by (dsdxdy, dtdxdy) from one row to the next. Samples are nearest, or bilinear with
// the mode's bit 0x100, and are combined by the combine mode at alpha (held within 0..1).
// srcw and srch only move the start for a negative dstw or dsth and, with cliptosourcerect,
// bound the samples drawn; samples outside the source never draw. A call whose 16.16 source
// positions or deltas do not fit draws nothing.
void RAST_DeltaBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                    float srcx, float srcy, float srcw, float srch, double dsdx, double dtdx,
                    double dsdy, double dtdy, double dsdxdy, double dtdxdy, bool cliptosourcerect,
                    float alpha, int mode);
