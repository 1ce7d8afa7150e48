#pragma once

#include "kit/rast/RAST_IBitmap.h"

// Stamps colour through an 8-bit coverage map (width x height bytes, rows span bytes apart,
// row 0 first) with its top-left corner at (x, y): each coverage byte c combines the colour at
// c / 256 of the weight alpha x 256, and 0 leaves the pixel alone. The operation is the low
// byte of the mode (0 copy .. 5 HSV adjust); what lies outside the bitmap is cut away.
void RAST_DrawGlyphEx(RAST_IBitmap* dest, int x, int y, RAST_pixel colour,
                      const unsigned char* coverage, int width, int span, int height, float alpha,
                      int mode);
// The same for a map whose rows are width bytes apart.
void RAST_DrawGlyph(RAST_IBitmap* dest, int x, int y, RAST_pixel colour,
                    const unsigned char* coverage, int width, int height, float alpha, int mode);
