#include "platform/wsys/Render.h"

#include "platform/text/TextFont.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/Window.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace platform::wsys {

namespace {

constexpr uint32_t kDesktop = MakePixel(64, 96, 128);
constexpr uint32_t kMenuBar = MakePixel(242, 242, 242);
constexpr uint32_t kMenuBarLine = MakePixel(200, 200, 200);
constexpr uint32_t kTitleLine = MakePixel(176, 176, 176);
constexpr uint32_t kButtonOff = MakePixel(207, 207, 207);
// Close, miniaturize and zoom, while the window is key.
constexpr uint32_t kButtonColours[3] = {MakePixel(252, 96, 92), MakePixel(253, 188, 64),
                                        MakePixel(52, 200, 74)};
constexpr unsigned kButtonStyles[3] = {kClosableWindowMask, kMiniaturizableWindowMask,
                                       kResizableWindowMask};
constexpr int kShadowReach = 6;

int channel(uint32_t p, int shift) {
    return int(p >> shift) & 255;
}

// src over dst with coverage a (0..1); the result is opaque.
uint32_t blend(uint32_t dst, uint32_t src, double a) {
    auto mix = [&](int shift) {
        return int(
            std::lround(channel(dst, shift) + (channel(src, shift) - channel(dst, shift)) * a));
    };
    return MakePixel(mix(8), mix(16), mix(24));
}

uint32_t& at(Image& img, int x, int y) {
    return img.pixels[size_t(y) * size_t(img.width) + size_t(x)];
}

// A disc of radius 6 around (cx, cy), edges anti-aliased by 4 x 4 samples a pixel.
void drawButton(Image& img, double cx, double cy, uint32_t colour) {
    for (int y = int(cy) - 7; y <= int(cy) + 7; ++y) {
        for (int x = int(cx) - 7; x <= int(cx) + 7; ++x) {
            if (x < 0 || y < 0 || x >= img.width || y >= img.height) continue;
            int inside = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const double dx = x + (sx + 0.5) / 4 - cx, dy = y + (sy + 0.5) / 4 - cy;
                    inside += dx * dx + dy * dy <= 36;
                }
            if (inside) at(img, x, y) = blend(at(img, x, y), colour, inside / 16.0);
        }
    }
}

void drawTitleBar(Image& img, const Window& w) {
    const bool key = w.IsKeyWindow();
    for (int y = 0; y < int(kTitleBarHeight) && y < img.height; ++y) {
        const int level = y == int(kTitleBarHeight) - 1 ? -1 : 235 - y * 22 / int(kTitleBarHeight);
        const uint32_t colour = level < 0 ? kTitleLine : MakePixel(level, level, level);
        for (int x = 0; x < img.width; ++x)
            at(img, x, y) = colour;
    }
    for (int i = 0; i < 3; ++i)
        drawButton(img, 14 + 20 * i, 11,
                   key && (w.StyleMask() & kButtonStyles[i]) ? kButtonColours[i] : kButtonOff);
    std::u32string title;
    std::shared_ptr<TextFont> font = SystemFont();
    if (!font || w.Title().empty() || !DecodeUtf8(w.Title(), &title)) return;
    Canvas canvas(img.pixels.data(), img.width, int(kTitleBarHeight), img.width);
    const int ink = key ? 77 : 154;
    const double x = std::floor((img.width - font->LineWidth(title)) / 2);
    font->DrawLine(canvas, std::max(x, 70.0), 15, title,
                   CanvasColor{ink / 255.0f, ink / 255.0f, ink / 255.0f, 1.0f});
}

} // namespace

void FillPixels(Canvas& c, int left, int top, int right, int bottom, uint32_t pixel) {
    const CanvasRect& clip = c.Clip();
    const int x0 = std::max(left + c.OriginX(), clip.left);
    const int x1 = std::min(right + c.OriginX(), clip.right);
    for (int y = std::max(top + c.OriginY(), clip.top); y < std::min(bottom + c.OriginY(), clip.bottom); ++y)
        std::fill(c.Row(y) + std::max(x0, 0), c.Row(y) + std::max(x1, x0), pixel);
}

std::shared_ptr<TextFont> SystemFont() {
    static std::shared_ptr<TextFont> font = [] {
        FontLocation where;
        return ResolveLabelFont(&where) ? TextFont::Open(where, 13) : nullptr;
    }();
    return font;
}

Image RenderWindow(Window* w) {
    w->DisplayIfNeeded();
    const Rect& f = w->Frame();
    Image img(int(std::lround(f.size.width)), int(std::lround(f.size.height)));
    const bool titled = w->StyleMask() & kTitledWindowMask;
    if (titled) drawTitleBar(img, *w);
    const int top = titled ? int(kTitleBarHeight) : 0;
    const int cw = w->ContentPixelWidth();
    for (int y = 0; y < w->ContentPixelHeight() && y + top < img.height; ++y)
        for (int x = 0; x < cw && x < img.width; ++x)
            at(img, x, y + top) = w->ContentPixels()[size_t(y) * size_t(cw) + size_t(x)] | 255;
    return img;
}

Image RenderScreen(size_t screenIndex) {
    Application& app = App();
    if (screenIndex >= app.Screens().size()) return Image(0, 0);
    const Rect& s = app.Screens()[screenIndex].frame;
    Image img(int(std::lround(s.size.width)), int(std::lround(s.size.height)));
    for (uint32_t& p : img.pixels)
        p = kDesktop;
    // The menu bar stays in front of every window below its own level.
    bool menuBarDrawn = screenIndex != 0;
    auto drawMenuBar = [&] {
        for (int y = 0; y < int(kMenuBarHeight) && y < img.height; ++y)
            for (int x = 0; x < img.width; ++x)
                at(img, x, y) = y == int(kMenuBarHeight) - 1 ? kMenuBarLine : kMenuBar;
        menuBarDrawn = true;
    };
    const std::vector<Window*> ordered = app.OrderedWindows();
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) {
        Window* w = *it;
        if (!menuBarDrawn && w->Level() >= kMainMenuWindowLevel) drawMenuBar();
        Image win = RenderWindow(w);
        const int left = int(std::lround(w->Frame().MinX() - s.MinX()));
        const int top = int(std::lround(s.MaxY() - w->Frame().MaxY()));
        if (w->HasShadow()) {
            // A soft edge around the frame, a little lower than the window.
            for (int y = top - kShadowReach + 2; y < top + win.height + kShadowReach + 2; ++y) {
                for (int x = left - kShadowReach; x < left + win.width + kShadowReach; ++x) {
                    if (x < 0 || y < 0 || x >= img.width || y >= img.height) continue;
                    const int dx = std::max({left - x, x - (left + win.width - 1), 0});
                    const int dy = std::max({top + 2 - y, y - (top + 2 + win.height - 1), 0});
                    const double d = std::sqrt(double(dx * dx + dy * dy)) / kShadowReach;
                    if (d < 1) at(img, x, y) = blend(at(img, x, y), 0, 0.35 * (1 - d) * (1 - d));
                }
            }
        }
        for (int y = 0; y < win.height; ++y)
            for (int x = 0; x < win.width; ++x) {
                const int sx = left + x, sy = top + y;
                if (sx < 0 || sy < 0 || sx >= img.width || sy >= img.height) continue;
                at(img, sx, sy) = blend(at(img, sx, sy), at(win, x, y),
                                        std::clamp(double(w->AlphaValue()), 0.0, 1.0));
            }
    }
    if (!menuBarDrawn) drawMenuBar();
    return img;
}

bool WritePng(const Image& image, const std::string& path) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_ARGB; // the picture's byte order
    return png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
}

} // namespace platform::wsys
