#pragma once

#include "platform/dialogs/Dialogs.h"
#include "platform/view/View.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform::dialogs {

// A top-level window of fixed size on a display connection of its own, centred on its owner
// and kept above the owner's top-level window (centred on the screen without an owner), that
// shows pixels drawn here and hands out its input. Everything happens on the thread that
// opened it; it never waits for the server's input.
class DrawnWindow {
public:
    // Null when no display answers or no font is installed.
    static std::unique_ptr<DrawnWindow> Open(const std::string& title, int width, int height,
                                             const Owner& owner = {});
    ~DrawnWindow();
    DrawnWindow(const DrawnWindow&) = delete;
    DrawnWindow& operator=(const DrawnWindow&) = delete;

    // Colours as the pixels hold them.
    static uint32_t Colour(int red, int green, int blue) {
        return uint32_t(red) << 8 | uint32_t(green) << 16 | uint32_t(blue) << 24;
    }
    void Fill(int x, int y, int w, int h, uint32_t colour);
    // A one-pixel outline.
    void Frame(int x, int y, int w, int h, uint32_t colour);
    // UTF-8 text on a baseline, clipped to x .. x + maxWidth; malformed text draws nothing.
    void Text(int x, int baseline, const std::string& text, uint32_t colour, int maxWidth);
    // Puts the pixels to the window.
    void Show();

    // The input that arrived since the last call (events of window 0); a request to close the
    // window arrives as an Escape key.
    std::vector<ViewEvent> TakeInput();
    // Whether the window must be drawn again (it was exposed).
    bool TakeExposed();

private:
    struct Impl;
    explicit DrawnWindow(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m;
};

// The width of UTF-8 text in the windows' font; 0 for malformed text or without a font.
int TextWidth(const std::string& text);

} // namespace platform::dialogs
