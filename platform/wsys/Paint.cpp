#include "platform/wsys/Paint.h"

#include "platform/wsys/Render.h"
#include "platform/wsys/Window.h"

#include <algorithm>
#include <cmath>

namespace platform::wsys {

uint32_t PixelOf(const Color& c) {
    auto byte = [](double v) { return int(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return MakePixel(byte(c.red), byte(c.green), byte(c.blue));
}

void FillPixels(Canvas& c, int left, int top, int right, int bottom, uint32_t pixel) {
    const CanvasRect& clip = c.Clip();
    const int x0 = std::max(left + c.OriginX(), clip.left);
    const int x1 = std::min(right + c.OriginX(), clip.right);
    for (int y = std::max(top + c.OriginY(), clip.top); y < std::min(bottom + c.OriginY(), clip.bottom); ++y)
        std::fill(c.Row(y) + std::max(x0, 0), c.Row(y) + std::max(x1, x0), pixel);
}

void DrawImageInSquare(Canvas& c, const Image& image, int left, int top, int size) {
    if (image.width <= 0 || image.height <= 0) return;
    const CanvasRect& clip = c.Clip();
    for (int y = 0; y < size; ++y) {
        const int py = top + y + c.OriginY();
        if (py < clip.top || py >= clip.bottom) continue;
        for (int x = 0; x < size; ++x) {
            const int px = left + x + c.OriginX();
            if (px < clip.left || px >= clip.right) continue;
            const uint32_t src = image.pixels[size_t(y * image.height / size) * size_t(image.width) +
                                              size_t(x * image.width / size)];
            const uint32_t a = src & 255;
            uint32_t& dst = c.Row(py)[px];
            uint32_t out = 0;
            for (int shift = 8; shift < 32; shift += 8) {
                const uint32_t s = src >> shift & 255, d = dst >> shift & 255;
                out |= ((s * a + d * (255 - a)) / 255) << shift;
            }
            dst = out;
        }
    }
}

void DrawTextInRect(Canvas& c, const std::string& utf8, const Rect& r, int alignment,
                    const Color& ink) {
    std::shared_ptr<TextFont> font = SystemFont();
    std::u32string text;
    if (!font || r.IsEmpty() || !DecodeUtf8(utf8, &text) || text.empty()) return;
    constexpr double kInset = 2;
    const double width = font->LineWidth(text);
    double x = r.MinX() + kInset;
    if (alignment == 1) x = r.MaxX() - kInset - width;
    if (alignment == 2) x = r.MinX() + std::floor((r.size.width - width) / 2);
    const double baseline =
        r.MinY() + std::floor((r.size.height + font->Ascent() - font->Descent()) / 2);
    c.SaveState();
    c.ClipToRect(PixelsCovering(r));
    font->DrawLine(c, x, baseline, text,
                   CanvasColor{float(ink.red), float(ink.green), float(ink.blue), float(ink.alpha)});
    c.RestoreState();
}

} // namespace platform::wsys
