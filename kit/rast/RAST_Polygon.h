#pragma once

#include "kit/rast/RAST_IBitmap.h"

// Rectangle outlines and fills with straight edges. Coordinates are whole pixels; every fill is
// clipped to the bitmap. Alpha is held within 0..1 and only the low byte of the mode is read
// (0..5; above 5 draws nothing).

// Four lines along columns x and x + w and rows y and y + h; each corner is combined twice.
void RAST_DrawRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel color, float alpha,
                   int mode);
// The inside filled with bgcolor, then the outline of RAST_DrawRect in fgcolor.
void RAST_BorderedRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel bgcolor,
                       RAST_pixel fgcolor, float alpha, int mode);

// Fills every memory row from y1 to y2 inclusive between a left edge running from
// min(x1a, x1b) on row y1 to min(x2a, x2b) on row y2 and a right edge between the maxima, both
// end columns included. Either row may be the upper one.
void RAST_FillTrapezoid(RAST_IBitmap* dest, int x1a, int x1b, int y1, int x2a, int x2b, int y2,
                        RAST_pixel color, float alpha, int mode);

// Fills the convex polygon of the points (x[i], y[i]) in any order, each row once. Points that
// do not make a convex polygon fill their convex hull.
void RAST_FillConvexPolygon(RAST_IBitmap* dest, const int* x, const int* y, int npoints,
                            RAST_pixel color, float alpha, int mode);
void RAST_FillTriangle(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int x3, int y3,
                       RAST_pixel color, float alpha, int mode);

// Orders two (x, y) int pairs by y, then x: -1, 0 or 1.
int _ysort(const void* a, const void* b);
// In an array of npoints (x, y) pairs sorted by _ysort: the next vertex of the left
// (side < 0) or right (side > 0) boundary below vertex start, or start when there is none.
int FindNextEdgeVertex(const int* xy, int start, int npoints, int side);
