#pragma once

#include "kit/winl/winl-gdi.h"

#include <cstddef>
#include <cstdint>

// One pixel. Bytes in memory: alpha, red, green, blue; read as an integer on this
// little-endian machine alpha is bits 0-7 and blue bits 24-31. Alpha 255 is opaque.
typedef uint32_t RAST_pixel;

inline RAST_pixel RAST_MakePixel(int r, int g, int b, int a) {
    return RAST_pixel(a & 0xFF) | RAST_pixel(r & 0xFF) << 8 | RAST_pixel(g & 0xFF) << 16 |
           RAST_pixel(b & 0xFF) << 24;
}
inline int RAST_GetRed(RAST_pixel p) {
    return int((p >> 8) & 0xFF);
}
inline int RAST_GetGreen(RAST_pixel p) {
    return int((p >> 16) & 0xFF);
}
inline int RAST_GetBlue(RAST_pixel p) {
    return int(p >> 24);
}
inline int RAST_GetAlpha(RAST_pixel p) {
    return int(p & 0xFF);
}

// A rectangle of pixels in memory. Pixel (x, y) is word r * getRowSpan() + x from getBits(),
// with r = y, or r = height - 1 - y when the bitmap is flipped (rows stored bottom-up).
class RAST_IBitmap {
public:
    RAST_IBitmap() = default;
    RAST_IBitmap(const RAST_IBitmap&) = delete;
    RAST_IBitmap& operator=(const RAST_IBitmap&) = delete;
    virtual ~RAST_IBitmap() = default;

    // First pixel of memory row 0; null when the bitmap has no pixel memory.
    virtual RAST_pixel* getBits() const = 0;
    virtual int getWidth() const = 0;
    virtual int getHeight() const = 0;
    // Pixels from the start of one row to the next; at least the width when there are pixels.
    virtual int getRowSpan() const = 0;
    virtual bool isFlipped() const { return false; }
    // True when the bitmap took a new size; the pixels are undefined afterwards.
    virtual bool resize(int w, int h) = 0;
    // The drawing context whose pixels these are, if any.
    virtual HDC getDC() const { return nullptr; }
    // Extension hook; no id is answered.
    virtual intptr_t Extended(int /*id*/, void* /*data*/) { return 0; }
};

// Address of picture pixel (x, y) by the addressing rule; the bitmap must have pixels.
inline RAST_pixel* RAST_PixelAt(const RAST_IBitmap& bm, int x, int y) {
    const int row = bm.isFlipped() ? bm.getHeight() - 1 - y : y;
    return bm.getBits() + ptrdiff_t(row) * bm.getRowSpan() + x;
}

// Pixels from one picture row to the next: the row span, negative for a flipped bitmap.
inline ptrdiff_t RAST_PictureRowStep(const RAST_IBitmap& bm) {
    return bm.isFlipped() ? -ptrdiff_t(bm.getRowSpan()) : ptrdiff_t(bm.getRowSpan());
}
