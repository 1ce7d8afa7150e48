#pragma once

#include "kit/rast/RAST_IBitmap.h"

// Quadratic and cubic Bezier curves, drawn as chains of RAST_FLine segments about tol pixels
// long (tol of 0 or less: 1.0), or filled with polygons down or up to a row, or across to a
// column. The curve is cut to the bitmap's columns first; its x should grow from one end to the
// other (the ends are ordered so that it starts at the smaller x). Coordinates that are not
// finite draw nothing; a curve is cut into at most 16384 segments.

void RAST_DrawQBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl, float yctl,
                      float xend, float yend, RAST_pixel color, float alpha, int mode, bool aa,
                      float tol);
// The quadratic curve's y where its x equals x, and through t (when not null) its parameter.
float RAST_Bezier_GetY(float x1, float x2, float x3, float y1, float y2, float y3, float x,
                       double* t);

void RAST_DrawCBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, RAST_pixel color,
                      float alpha, int mode, bool aa, float tol);
// Fills between the cubic curve and row yfill, column by column.
void RAST_FillCBezier(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                      float xctl2, float yctl2, float xend, float yend, int yfill, RAST_pixel color,
                      float alpha, int mode, float tol);
// Fills between the cubic curve and column xfill, row by row.
void RAST_FillCBezierX(RAST_IBitmap* dest, float xstart, float ystart, float xctl1, float yctl1,
                       float xctl2, float yctl2, float xend, float yend, int xfill,
                       RAST_pixel color, float alpha, int mode, float tol);
// The cubic curve's y where its x equals x, found by bisecting its parameter (eight halvings)
// and interpolating across the bracket. nextx receives the x of the bracket's upper end, dydx
// the slope across it, tlow and thigh its parameters; each may be null. Outside x1..x4 the
// end's y is returned with slope 0 and the parameters are left alone.
float RAST_CBezier_GetY(float x1, float x2, float x3, float x4, float y1, float y2, float y3,
                        float y4, float x, float* nextx, float* dydx, double* tlow, double* thigh);

// One sampled piece of a fill: the area between the line (x1, y1)-(x2, y2) and row yfill, or
// column xfill for the X form.
void DoBezierFillSegment(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int yfill,
                         RAST_pixel color, float alpha, int mode);
void DoBezierFillSegmentX(RAST_IBitmap* dest, int x1, int y1, int x2, int y2, int xfill,
                          RAST_pixel color, float alpha, int mode);
