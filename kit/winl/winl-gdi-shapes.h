#pragma once

// Shapes, pixels, clipping, copies, bitmaps, icons and image lists on drawing contexts, drawn
// by the raster graphics into the context's canvas within its clip.
//
// Context coordinates: pixel (i, j) covers i..i+1 by j..j+1. A fill covers the pixels whose
// centres lie inside the path (non-zero winding; a centre on a left or top edge is inside, on
// a right or bottom edge outside), so a rectangle l, t, r, b fills columns l..r-1 and rows
// t..b-1. A stroke one pixel wide is a raster line between the pixels that hold the path's
// points, antialiased when the canvas asks for it; a wider stroke covers the pixels whose
// centres lie within half its width of the path, each segment squared off half the width past
// its ends, every pixel once. Pens and brushes combine their colour at their alpha.

#include "kit/winl/winl-gdi.h"
#include "platform/Image.h"

// Image list: a growable array of bitmap objects; entries may be null.
struct WINL_ImageList;
typedef WINL_ImageList* HIMAGELIST;

struct ICONINFO {
    int fIcon; // non-zero for an icon
    unsigned int xHotspot;
    unsigned int yHotspot;
    HGDIOBJ hbmMask;
    HGDIOBJ hbmColor;
};

// Mode of StretchBlt and BitBlt that takes the source's first byte as its alpha.
constexpr int WINL_BLT_ALPHA = int(0xDEADBEEF);

// Shapes. Each returns 0 for a null or pooled context, else 1 (also when the pen or brush
// draws nothing).

// Fills with the given brush (not the selected one) when it is usable.
int WINL_FillRect(HDC hdc, const RECT* r, HGDIOBJ brush);
// Filled with the brush, outlined with the pen at a width of at least 1.
int Rectangle(HDC hdc, int left, int top, int right, int bottom);
// The inscribed ellipse, filled with the brush and outlined with the pen colour at the
// context's current stroke width.
int Ellipse(HDC hdc, int left, int top, int right, int bottom);
// One path from the first point through the others (at least 2), filled (closed implicitly)
// with the brush and stroked (not closed) with the pen at its width.
int WINL_Polygon(HDC hdc, const POINT* points, int n);
// The ten-point polygon whose corners are cut by xr / 3 and yr / 3.
int RoundRect(HDC hdc, int left, int top, int right, int bottom, int xr, int yr);
// Stores the current position; old, when given, receives the previous one.
int MoveToEx(HDC hdc, int x, int y, POINT* old);
// Strokes from the current position to (x, y) with the pen, both ends moved by half the line
// width so that thin lines fall on pixel centres; the current position becomes (x, y).
int WINL_LineTo(HDC hdc, int x, int y);
// n polylines of counts[i] points each, moved like WINL_LineTo's, stroked once.
int PolyPolyline(HDC hdc, const POINT* points, const int* counts, int n);
// From the current position, one cubic curve per three points (two controls and an end) while
// three remain; the last end becomes the current position.
int PolyBezierTo(HDC hdc, const POINT* points, int n);
// Sets pixel (x, y) to the colour int (red in bits 16-23); returns the colour, -1 when
// nothing was set.
int WINL_SetPixel(HDC hdc, int x, int y, int colour);
// Fills with the window background grey of dialogs; level is not used.
void WINL_FillDialogBackground(HDC hdc, const RECT* r, int level);

// Clipping: pushes and pops pair; the clip only narrows in between.
void WINL_PushClipRegion(HDC hdc);
void WINL_SetClipRegion(HDC hdc, const RECT* r);
void WINL_PopClipRegion(HDC hdc);

// Copies part of a memory context into any context, scaled from sw x sh to w x h; opaque
// unless mode is WINL_BLT_ALPHA; each pixel takes the nearest source pixel. Returns 0 when
// nothing of the source could be copied, else 1.
int StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
               int mode);
int BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int mode);

// A bitmap object owning a w x h image made of h rows of w x 4 bytes (alpha, red, green, blue
// per pixel; null bits: zeroed). Only 32 bits a pixel in one plane; null otherwise.
HGDIOBJ CreateBitmap(int w, int h, int planes, int bitsPerPixel, const void* bits);
// An icon sharing the image of info's colour bitmap.
HGDIOBJ CreateIconIndirect(const ICONINFO* info);
// A PNG image from a path (a name holding '/'), or else from the resources folder by name,
// with or without ".png". With magentaToAlpha, opaque pixels of red 255, green 0, blue 255
// become transparent.
HGDIOBJ LoadNamedImage(const char* name, bool magentaToAlpha);
// Draws the whole image scaled into the rectangle, over what is there by its alpha.
void DrawImageInRect(HDC hdc, HGDIOBJ image, const RECT* r);
// Clears size bytes of out; for a bitmap or icon and size 8, writes its width and height and
// returns 1.
int GetObject(HGDIOBJ obj, int size, void* out);
platform::Image* GetNSImageFromHICON(HGDIOBJ obj);

HIMAGELIST ImageList_CreateEx();
// Puts a new object sharing icon's image at index, or appends it when index is outside the
// list; returns the index used, -1 on failure.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HGDIOBJ icon);
// Deletes the object at index, leaving a null entry; a negative index empties the list.
int ImageList_Remove(HIMAGELIST list, int index);
void ImageList_Destroy(HIMAGELIST list);
// The list's own object at index; null outside the list and for an empty entry.
HGDIOBJ WINL_ImageList_GetObject(HIMAGELIST list, int index);

// The system colour table (colour ints); 0 outside 0..9.
int GetSysColor(int index);
