#pragma once

#include "kit/rast/RAST_IBitmap.h"

// Straight lines one pixel wide. Every drawer takes the colour, an alpha (held within 0..1)
// and a combine mode of which only the low byte is read (0..5; above 5 draws nothing), clips
// to the bitmap and honours its flipped flag unless said otherwise.

// The line from (x1, y1) to (x2, y2), both end points included.
void RAST_Line(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, RAST_pixel color, float alpha,
               int mode, bool aa);

// The same between float points; antialiased at sub-pixel precision, else the integer line
// between the truncated points. A point that is not finite draws nothing.
void RAST_FLine(RAST_IBitmap* dest, float x1, float y1, float x2, float y2, RAST_pixel color,
                float alpha, int mode, bool aa);

// A horizontal or vertical line drawn as dashes of dash pixels with gaps of gap pixels from its
// first end; the pixel at the far end is never drawn. Any other line, or a pattern whose
// lengths add up to 0 or less, draws nothing. Memory rows: the flipped flag is not consulted.
// The antialias flag is not used.
void RAST_DashedLine(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int dashLength,
                     int gapLength, RAST_pixel color, float alpha, int mode, bool aa);

// Clip the line to columns 0..w-1 and rows 0..h-1 in place; true when part of it lies inside.
// After false the coordinates hold whatever the clipping reached.
bool ClipLine(int* x1, int* y1, int* x2, int* y2, int w, int h);
// Clip a float line in place to 0 <= x < width - 1 and 0 <= y < height - 1, so that the
// neighbour across an antialiased line stays inside too.
bool ClipFLine(float* x1, float* y1, float* x2, float* y2, int width, int height);

// The same clips against left <= x < right, top <= y < bottom (the float form against
// left <= x < left + trunc(right - left) - 1 and likewise for y); non-zero when part remains.
int RAST_ClipLine(int* x1, int* y1, int* x2, int* y2, int left, int top, int right, int bottom);
int RAST_ClipFLine(float* x1, float* y1, float* x2, float* y2, float left, float top, float right,
                   float bottom);
