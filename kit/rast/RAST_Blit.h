#pragma once

#include "kit/rast/RAST_IBitmap.h"

// Puts the rectangle srcrect of src (null: the whole source) onto dest with its top-left at
// (dstx, dsty), unscaled, combining every pixel by the combine mode at alpha (held within
// 0..1). Parts of the rectangle outside either bitmap are cut away without moving the rest.
// Source and destination may be the same bitmap only for the opaque copy (copy mode at alpha
// 1.0), which then moves the pixels as if through a temporary copy.
void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, const RECT* srcrect,
               float alpha, int mode);
void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch, float alpha, int mode);

// Resizes dest to src's size and copies src into it; when dest cannot take the size, what
// fits is copied.
void RAST_Copy(RAST_IBitmap* dest, RAST_IBitmap* src);
