#pragma once

// Drawing helpers of the window system's own pictures (menus, controls, lists): whole pixels of
// the current canvas' drawing coordinates, within its clip.

#include "platform/Canvas.h"
#include "platform/Image.h"
#include "platform/text/TextFont.h"
#include "platform/wsys/Controls.h"

#include <cstdint>
#include <string>

namespace platform::wsys {

// A window-system pixel (MakePixel) of a colour, opaque.
uint32_t PixelOf(const Color& c);
void FillPixels(Canvas& c, int left, int top, int right, int bottom, uint32_t pixel);
// A line one pixel wide just inside the rectangle.
void FramePixels(Canvas& c, int left, int top, int right, int bottom, uint32_t pixel);
// A disc anti-aliased by 4 x 4 samples a pixel, over what is there.
void FillDisc(Canvas& c, double cx, double cy, double radius, uint32_t pixel);
// The image scaled (nearest pixel) to the rectangle, over what is there by its alpha.
void DrawImage(Canvas& c, const Image& image, int left, int top, int width, int height);
// One line of text whose baseline centres it vertically in (top, bottom), aligned within
// (left, right) by AppKit's numbers (0 left, 1 right, 2 centre).
void DrawTextLine(Canvas& c, TextFont& font, const std::u32string& text, int left, int top,
                  int right, int bottom, int alignment, const CanvasColor& colour);
// One line of UTF-8 text in the system font, cut at the rectangle's edges, centred vertically
// and placed by alignment (0 left, 1 right, 2 centre) 2 pixels in from the sides.
void DrawTextInRect(Canvas& c, const std::string& utf8, const Rect& r, int alignment,
                    const Color& ink);

} // namespace platform::wsys
