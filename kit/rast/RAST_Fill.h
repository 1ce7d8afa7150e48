#pragma once

#include "kit/rast/RAST_IBitmap.h"

// Rectangles are clipped to the bitmap; the operation is the low byte of the mode (0 copy ..
// 5 HSV adjust, other values draw nothing) and alpha is held within 0..1.

// Combines colour into the rectangle at alpha. With RAST_MODE_SOURCE_ALPHA the colour's own
// alpha byte scales alpha. Below full weight the alpha byte blends toward the weight itself,
// except at the quarter steps (0.25, 0.5, 0.75), which blend whole words with the colour.
void RAST_FillRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel colour, float alpha,
                   int mode);
// Every pixel of the rectangle becomes (pixel AND mask) OR bits.
void RAST_ClearRect(RAST_IBitmap* dest, int x, int y, int w, int h, RAST_pixel mask,
                    RAST_pixel bits);
// Every pixel of the picture becomes colour; row padding is left alone.
void RAST_Clear(RAST_IBitmap* dest, RAST_pixel colour);
// Each channel becomes clamp(channel x scale + offset), offsets in channel units, computed in
// 1/256 steps.
void RAST_MultiplyAddRect(RAST_IBitmap* dest, int x, int y, int w, int h, float rsc, float gsc,
                          float bsc, float asc, float radd, float gadd, float badd, float aadd);
// Calls proc once per pixel of the rectangle, in memory order.
void RAST_ProcessRect(RAST_IBitmap* dest, int x, int y, int w, int h,
                      void (*proc)(RAST_pixel* pixel, void* parm), void* parm);
// The pixel at (x, y); 0 outside the picture.
RAST_pixel RAST_GetPixel(RAST_IBitmap* bm, int x, int y);
// Combines colour (with its own alpha byte) into the pixel at (x, y); nothing outside.
void RAST_PutPixel(RAST_IBitmap* bm, int x, int y, RAST_pixel colour, float alpha, int mode);
// Pixels equal to colour apart from their alpha byte get alpha 0, all others alpha 255.
void RAST_SetAlphaFromColorMask(RAST_IBitmap* dest, RAST_pixel colour);
// Fills the horizontal runs through column x over the unbroken stretch of rows above and below
// (x, y) whose pixel in column x matches the seed under comparemask; a filled pixel becomes
// (pixel AND keepmask) OR newcolour. Rows are memory rows.
void RAST_SimpleFill(RAST_IBitmap* dest, int x, int y, RAST_pixel newcolour, RAST_pixel comparemask,
                     RAST_pixel keepmask);

// Fills the rectangle with a colour that starts at (ir, ig, ib, ia) at its top-left pixel and
// changes by the d..dx values per column and the d..dy values per row; 1.0 is full. The
// gradient's alpha is the weight with which each pixel is combined; the clipped part looks as
// the same part of the whole gradient.
void RAST_GradRect(RAST_IBitmap* dest, int dstx, int dsty, int dstw, int dsth, float ir, float ig,
                   float ib, float ia, float drdx, float dgdx, float dbdx, float dadx, float drdy,
                   float dgdy, float dbdy, float dady, int mode);
