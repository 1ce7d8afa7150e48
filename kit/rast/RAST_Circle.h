#pragma once

#include "kit/rast/RAST_IBitmap.h"

// Circle outlines, filled circles, arcs and rounded-rectangle outlines. Alpha is held within
// 0..1 and only the low byte of the mode is read (0..5; above 5 draws nothing). Centres and
// radii are floats; one that is not finite, or lies beyond 2^24 pixels, draws nothing, as does
// a negative radius. Angles are radians from straight up, clockwise on screen: the point at
// angle t lies at (cx + r sin t, cy - r cos t).

// The radii 1.5, 2, 2.5, 3, 3.5 and 4 are stamped from stored masks (the whole mode word then
// goes to the stamp).
void RAST_Circle(RAST_IBitmap* dest, float cx, float cy, float radius, RAST_pixel color,
                 float alpha, int mode, bool aa);
void RAST_FillCircle(RAST_IBitmap* dest, float cx, float cy, float radius, RAST_pixel color,
                     float alpha, int mode, bool aa);
// The outline between two angles, in either order; a span of 2 pi or more is the whole circle.
void RAST_Arc(RAST_IBitmap* dest, float cx, float cy, float radius, float startAngle,
              float endAngle, RAST_pixel color, float alpha, int mode, bool aa);
// The outline of x..x + w by y..y + h (both ends included) with corners of the radius, capped
// to half the width and height; below 2 the corners are square.
void RAST_RoundRect(RAST_IBitmap* dest, float x, float y, float w, float h, int cornerRadius,
                    RAST_pixel color, float alpha, int mode, bool aa);
