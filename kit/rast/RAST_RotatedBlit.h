#pragma once

#include "kit/rast/RAST_IBitmap.h"

// Draws the source rectangle scaled to the destination rectangle and turned by angle (radians)
// about the destination's middle, which shows the source rectangle's middle moved by
// (rotxcent, rotycent) source pixels. With cliptosourcerect only samples inside the source
// rectangle draw, otherwise any inside the source. Samples are nearest, or bilinear with the
// mode's bit 0x100, and are combined by the combine mode at alpha (held within 0..1). A
// negative dstw or dsth mirrors that axis. A call whose 16.16 source positions or deltas do
// not fit draws nothing.
void RAST_RotatedBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                      float srcx, float srcy, float srcw, float srch, float angle,
                      bool cliptosourcerect, float alpha, int mode, float rotxcent, float rotycent);
