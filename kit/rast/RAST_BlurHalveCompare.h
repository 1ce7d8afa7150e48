#pragma once

// Whole-bitmap utilities on pixel words, without combine modes: a small fixed blur, a
// half-size blit that averages 2 x 2 blocks, and a comparison that orders bitmaps or finds
// the box of their differing pixels.

#include "kit/rast/RAST_IBitmap.h"

// Blurs the source rectangle into dest at (dstx, dsty), all four bytes of each pixel alike.
// src and dest may be the same bitmap when the rectangles coincide. Rectangles narrower or
// lower than 2 pixels after clipping are left alone.
void RAST_Blur(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch);

// Writes src at half size into the top-left of dest, each pixel the word-wide quarters of a
// 2 x 2 block added; memory rows, regardless of flipping.
void RAST_HalveBlitAA(RAST_IBitmap* dest, RAST_IBitmap* src);

// 0 when the bitmaps are equal. Without coords: the sign orders them (by size first, then by
// the first differing byte). With coords: 1 and the bounding box (x, y, width, height) of the
// differing pixels, or 0 and four zeros; sizes that differ give b's width minus a's (or
// height) as without coords.
int RAST_BitmapCmp(RAST_IBitmap* a, RAST_IBitmap* b, int* coords);
