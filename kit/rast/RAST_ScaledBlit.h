#pragma once

#include "kit/rast/RAST_IBitmap.h"

// Stretches or shrinks the source rectangle (srcx, srcy, srcw, srch), in source pixels, onto
// the destination rectangle (dstx, dsty, dstw, dsth), combining every pixel by the combine
// mode at alpha (held within 0..1). A negative dstw or dsth mirrors that axis. With the
// bilinear bit (0x100) samples are blended from four pixels, and shrinks of 1.7 times or more
// on both axes average a 3 x 3 (5 x 5 beyond 3 times) box; otherwise the nearest pixel is
// taken. Destination pixel (0, 0) samples exactly at (srcx, srcy). A call needing no scaling
// is an unscaled blit; a call whose 16.16 source positions or steps do not fit draws nothing.
void RAST_ScaledBlit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                     float srcx, float srcy, float srcw, float srch, float alpha, int mode);
