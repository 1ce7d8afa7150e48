#pragma once

#include "platform/Canvas.h"
#include "platform/Image.h"
#include "platform/text/TextFont.h"
#include "platform/wsys/Controls.h"

#include <cstdint>
#include <string>

namespace platform::wsys {

// Drawing helpers of the window system's own looks, in a canvas' drawing coordinates and
// within its clip.

// A window-system pixel (MakePixel) of a colour, opaque.
uint32_t PixelOf(const Color& c);
// Paints whole pixels.
void FillPixels(Canvas& c, int left, int top, int right, int bottom, uint32_t pixel);
// The image scaled to a size x size square, over the canvas by its alpha.
void DrawImageInSquare(Canvas& c, const Image& image, int left, int top, int size);
// One line of UTF-8 text in the system font, cut at the rectangle's edges, centred vertically
// and placed by alignment (0 left, 1 right, 2 centre) 2 pixels in from the sides.
void DrawTextInRect(Canvas& c, const std::string& utf8, const Rect& r, int alignment,
                    const Color& ink);

} // namespace platform::wsys
