#pragma once

#include "platform/Canvas.h"
#include "platform/Image.h"
#include "platform/text/TextFont.h"

#include <cstddef>
#include <memory>
#include <string>

namespace platform::wsys {

// The label font at 13 pixels that titles, menus and control texts are set in; null when no
// face is installed.
std::shared_ptr<TextFont> SystemFont();

class Window;

// Paints whole pixels of the canvas' drawing coordinates within its clip.
void FillPixels(Canvas& c, int left, int top, int right, int bottom, uint32_t pixel);

// Pictures of what the window system shows, after drawing what views asked for.
// A window: its frame, the title bar (when titled: buttons, title) above the content.
Image RenderWindow(Window* w);
// A screen: the desktop, the menu bar on the main screen, and the windows on the screen from
// back to front, each over its shadow and at its alpha.
Image RenderScreen(size_t screenIndex = 0);
// As an RGBA PNG file; false when it cannot be written.
bool WritePng(const Image& image, const std::string& path);

} // namespace platform::wsys
