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

void FramePixels(Canvas& c, int left, int top, int right, int bottom, uint32_t pixel) {
    FillPixels(c, left, top, right, top + 1, pixel);
    FillPixels(c, left, bottom - 1, right, bottom, pixel);
    FillPixels(c, left, top, left + 1, bottom, pixel);
    FillPixels(c, right - 1, top, right, bottom, pixel);
}

void FillDisc(Canvas& c, double cx, double cy, double radius, uint32_t pixel) {
    const CanvasRect& clip = c.Clip();
    const int reach = int(std::ceil(radius)) + 1;
    for (int y = int(cy) - reach; y <= int(cy) + reach; ++y) {
        const int py = y + c.OriginY();
        if (py < clip.top || py >= clip.bottom) continue;
        for (int x = int(cx) - reach; x <= int(cx) + reach; ++x) {
            const int px = x + c.OriginX();
            if (px < clip.left || px >= clip.right) continue;
            int inside = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    const double dx = x + (sx + 0.5) / 4 - cx, dy = y + (sy + 0.5) / 4 - cy;
                    inside += dx * dx + dy * dy <= radius * radius;
                }
            if (!inside) continue;
            uint32_t& dst = c.Row(py)[px];
            uint32_t out = dst & 255;
            for (int shift = 8; shift < 32; shift += 8) {
                const int s = int(pixel >> shift & 255), d = int(dst >> shift & 255);
                out |= uint32_t(d + (s - d) * inside / 16) << shift;
            }
            dst = out;
        }
    }
}

void DrawImage(Canvas& c, const Image& image, int left, int top, int width, int height) {
    if (image.width <= 0 || image.height <= 0) return;
    const CanvasRect& clip = c.Clip();
    for (int y = 0; y < height; ++y) {
        const int py = top + y + c.OriginY();
        if (py < clip.top || py >= clip.bottom) continue;
        for (int x = 0; x < width; ++x) {
            const int px = left + x + c.OriginX();
            if (px < clip.left || px >= clip.right) continue;
            const uint32_t src = image.pixels[size_t(y * image.height / height) * size_t(image.width) +
                                              size_t(x * image.width / width)];
            const uint32_t a = src & 255;
            uint32_t& dst = c.Row(py)[px];
            uint32_t out = dst & 255;
            for (int shift = 8; shift < 32; shift += 8) {
                const uint32_t s = src >> shift & 255, d = dst >> shift & 255;
                out |= ((s * a + d * (255 - a)) / 255) << shift;
            }
            dst = out;
        }
    }
}

void DrawTextLine(Canvas& c, TextFont& font, const std::u32string& text, int left, int top,
                  int right, int bottom, int alignment, const CanvasColor& colour) {
    const double width = font.LineWidth(text);
    double x = left;
    if (alignment == 1) x = right - width;
    if (alignment == 2) x = std::floor((left + right - width) / 2);
    const double baseline = std::floor((top + bottom + font.Ascent() - font.Descent()) / 2);
    c.SaveState();
    c.ClipToRect(CanvasRect{left, top, right, bottom});
    font.DrawLine(c, x, baseline, text, colour);
    c.RestoreState();
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
