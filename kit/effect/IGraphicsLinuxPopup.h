#pragma once

#include "kit/rast/RAST_CachedFont.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "platform/view/View.h"

#include <memory>
#include <string>

// What the Linux editor's popup menus and text entry share: a picture drawn with the raster
// graphics and shown in a popup window of the view.
class IGraphicsLinuxPopup {
public:
    IGraphicsLinuxPopup(platform::View& view, const char* face, int size);
    ~IGraphicsLinuxPopup();
    IGraphicsLinuxPopup(const IGraphicsLinuxPopup&) = delete;
    IGraphicsLinuxPopup& operator=(const IGraphicsLinuxPopup&) = delete;

    // Opens the window at a screen rectangle with a picture of its size; false when it cannot.
    bool Open(const platform::ViewRect& screenArea, bool grab);
    void Close();
    int Window() const { return m_window; }
    const platform::ViewRect& ScreenArea() const { return m_area; }
    RAST_MemBitmap& Bitmap() { return m_bitmap; }
    RAST_CachedFont& Font() { return *m_font; }
    int FontSize() const { return m_fontSize; }
    // Width of text in the font.
    int Measure(const std::string& text);
    // Draws text in a colour into the rectangle with DT_* flags.
    void DrawText(const std::string& text, RECT r, RAST_pixel colour, unsigned flags);
    // Shows the picture.
    void Put();

private:
    platform::View& m_view;
    int m_window = 0;
    platform::ViewRect m_area;
    RAST_MemBitmap m_bitmap;
    std::unique_ptr<RAST_CachedFont> m_font;
    int m_fontSize;
};
