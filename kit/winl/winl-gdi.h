#pragma once

#include "kit/winl/winl.h"
#include "platform/Canvas.h"

#include <cstdint>
#include <memory>
#include <optional>

// Platform objects that font and image objects hold; their makers define them.
namespace platform {
class TextFont;
struct Image;
} // namespace platform

struct HDC__;
struct HGDIOBJ__;
typedef HDC__* HDC;
typedef HGDIOBJ__* HGDIOBJ;

// GDI object types.
enum { WINL_OBJ_PEN = 1, WINL_OBJ_BRUSH = 2, WINL_OBJ_FONT = 3, WINL_OBJ_BITMAP = 4 };

// Drawing-context record. A cleared record (all fields zero) is what the pool hands out.
struct HDC__ {
    // Stays first: the editor window reaches a surface's pixels through it.
    platform::Canvas* gc;
    // Memory contexts only: the block the pixels live in (pixels start at its first 64-byte
    // boundary).
    void* ownedBlock;
    // Selected objects; each may also be null or the bare number of its type (1, 2, 3).
    HGDIOBJ pen;
    HGDIOBJ brush;
    HGDIOBJ font;
    // Colour ints: red in bits 16-23, green 8-15, blue 0-7.
    int textColor;
    int bkColor;
    int bkMode; // 1 opaque: text is drawn on a filled box
    float curX, curY;
    void* glContext; // not owned
    // Made by GetDC over a view's focus, which ReleaseDC ends.
    unsigned char viewFocus;
    unsigned char pooled;
    HDC__* poolNext;
    std::optional<platform::CanvasColor> textColorRef;
};

// GDI object record (pen, brush, font, bitmap or icon).
struct HGDIOBJ__ {
    int type;
    // Added by WINL_CloneGDIObject; each DeleteObject takes one, and only the one that finds 0
    // frees.
    int extraRefs;
    platform::CanvasColor color; // pens and brushes
    // Pen: line width (0 strokes 1 pixel, negative draws nothing); brush: 0, negative fills
    // nothing; bitmap: 1 when the record owns its image.
    int widthOrFlag;
    // A record that does not own its image holds it with a deleter that does nothing.
    std::shared_ptr<platform::Image> image;
    float fontRotation; // degrees
    unsigned char pooled;
    HGDIOBJ__* poolNext;
    std::shared_ptr<platform::TextFont> platformFont;
    unsigned char fontQuality; // 0 platform default, 3 no anti-aliasing, 4 anti-aliasing
};

// Records from the pools, cleared; null when memory is exhausted.
HDC__* WINL_GDP_CTX_NEW();
HGDIOBJ__* GDP_OBJECT_NEW();

// True for a context that is not null and not in the pool.
bool WINL_IsLiveContext(HDC hdc);
// True for a record (not a bare number below 5, not pooled) of the given type, or of any
// type when type is 0.
bool WINL_IsLiveGDIObject(HGDIOBJ obj, int type);
// How many records each pool holds now.
void WINL_GetGdiPoolCounts(int* contexts, int* objects);

platform::CanvasColor CreateColor(int colour, float alpha = 1.0f);

// A context over w x h zeroed pixels (rows w pixels apart, row 0 the top one), or null when
// the size is empty or too large or memory is exhausted. The first argument is not used.
HDC WINL_CreateMemContext(HDC hdc, int w, int h);
// Pixel start of a memory context (64-byte aligned); null for any other context.
void* WINL_GetCtxFrameBuffer(HDC hdc);
// A context over a graphics context that the caller keeps (here a platform::Canvas).
HDC WINL_CreateGfxContext(void* graphicsContext);
platform::Canvas* WINL_GetCtxGC(HDC hdc);
// Frees a memory context's pixels and returns the record to the pool.
void WINL_DeleteGfxContext(HDC hdc);

HGDIOBJ CreatePen(int style, int width, int colour);
HGDIOBJ CreatePenAlpha(int style, int width, int colour, float alpha);
HGDIOBJ CreateSolidBrush(int colour);
HGDIOBJ CreateSolidBrushAlpha(int colour, float alpha);
// 1: the null pen, 2: the null brush; any other index null.
HGDIOBJ GetStockObject(int index);
HGDIOBJ WINL_CloneGDIObject(HGDIOBJ obj);
// Returns the object previously selected in the slot of obj's type, or that type's bare number
// when the slot was empty, so that selecting the result back restores the slot.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
void DeleteObject(HGDIOBJ obj);
