#pragma once

#include "platform/Image.h"

#include <cstddef>
#include <string>

namespace platform::wsys {

class Window;

// Pictures of what the window system shows, after drawing what views asked for.
// A window: its frame, the title bar (when titled: buttons, title) above the content.
Image RenderWindow(Window* w);
// A screen: the desktop, the menu bar on the main screen, and the windows on the screen from
// back to front, each over its shadow and at its alpha.
Image RenderScreen(size_t screenIndex = 0);
// As an RGBA PNG file; false when it cannot be written.
bool WritePng(const Image& image, const std::string& path);

} // namespace platform::wsys
