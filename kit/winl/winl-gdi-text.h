#pragma once

// Fonts and text on drawing contexts: font objects from Win32-style arguments, the text
// attributes of a context, text metrics, and WINL_DrawText, which draws or measures UTF-8 text.

#include "kit/winl/winl-gdi.h"

typedef HGDIOBJ HFONT;

struct LOGFONT {
    int lfHeight;
    int lfWidth;
    int lfEscapement;
    int lfOrientation;
    int lfWeight;
    char lfItalic;
    char lfUnderline;
    char lfStrikeOut;
    char lfCharSet;
    char lfOutPrecision;
    char lfClipPrecision;
    char lfQuality;
    char lfPitchAndFamily;
    char lfFaceName[32];
};

// The layer's own order: the fifth field is the average character width.
struct TEXTMETRIC {
    int tmHeight;
    int tmAscent;
    int tmDescent;
    int tmInternalLeading;
    int tmAveCharWidth;
};

// WINL_DrawText flags; the layer's own numbers. Other bits are ignored.
enum : int {
    DT_LEFT = 0,
    DT_TOP = 0,
    DT_CALCRECT = 0x1, // measure only: set the rectangle to the text's size
    DT_VCENTER = 0x2,  // ignored with DT_BOTTOM
    DT_CENTER = 0x4,   // ignored with DT_RIGHT
    DT_BOTTOM = 0x10,
    DT_RIGHT = 0x20,
    DT_SINGLELINE = 0x40, // a line feed becomes a space
    DT_NOPREFIX = 0x80,   // an ampersand is an ordinary character
    DT_NOCLIP = 0x100,
};

// Background modes: text on an opaque mode's context is drawn on a box of the background
// colour.
enum : int { TRANSPARENT = 0, OPAQUE = 1 };

// Font quality codes that decide anti-aliasing; others leave it to the platform (on).
enum : int { NONANTIALIASED_QUALITY = 3, ANTIALIASED_QUALITY = 4 };

// A font of |height| pixels (|width| when height is 0; 10 for sizes below 2 or above 8192) of
// the named face, bold for weights of 700 and more. A face that is not installed is replaced
// by a monospace or proportional one; only escapement, underline, strikeout, charset, the
// precisions and pitch-and-family are not used. Null only when memory is exhausted.
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, char italic,
                 char underline, char strikeout, char charset, char outPrecision,
                 char clipPrecision, char quality, char pitchAndFamily, const char* faceName);
HFONT CreateFontIndirect(const LOGFONT* lf);

// Colours are ints with red in bits 16-23, green 8-15, blue 0-7.
void SetTextColor(HDC hdc, int colour);
// -1 for a null or pooled context.
int GetTextColor(HDC hdc);
void SetBkColor(HDC hdc, int colour);
void SetBkMode(HDC hdc, int mode);

// Metrics of the selected font (the label font when none is selected); 0 when the context or
// the record is missing, after presetting the record's fields.
int GetTextMetrics(HDC hdc, TEXTMETRIC* tm);

// Draws text (up to its zero, or len bytes when len is 0 or more; at most 4095 bytes) in the
// rectangle, or with DT_CALCRECT sets the rectangle's right and bottom to its size. An
// ampersand takes the next byte literally and is dropped unless DT_NOPREFIX; carriage returns
// are dropped; line feeds break lines. Returns the text's height in pixels, 0 when there is
// nothing to draw (no context, text or rectangle, or text that is not UTF-8).
int WINL_DrawText(HDC hdc, const char* text, int len, RECT* r, int flags);
