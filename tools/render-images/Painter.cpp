#include "tools/render-images/Painter.h"

#include "kit/rast/RAST_CachedFont.h"
#include "kit/rast/RAST_Circle.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_Line.h"
#include "kit/rast/RAST_Polygon.h"
#include "platform/text/FontResolver.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>

namespace {

constexpr const char* kFace = "DejaVu Sans";
constexpr const char* kEllipsis = "\xE2\x80\xA6"; // U+2026, three bytes
const RAST_pixel kInk = RAST_MakePixel(255, 255, 255, 255);
const RAST_pixel kNoInk = RAST_MakePixel(0, 0, 0, 255);

// Cached fonts share one render surface: every use holds the lock.
std::mutex& FontLock() {
    static std::mutex lock;
    return lock;
}

std::map<std::pair<int, bool>, std::unique_ptr<RAST_CachedFont>>& Fonts() {
    static std::map<std::pair<int, bool>, std::unique_ptr<RAST_CachedFont>> fonts;
    return fonts;
}

RAST_CachedFont* FontOf(int size, bool bold) {
    auto& font = Fonts()[{size, bold}];
    if (!font) {
        font = std::make_unique<RAST_CachedFont>();
        font->SetFromHFont(CreateFont(size, 0, 0, 0, bold ? 700 : 400, 0, 0, 0, 0, 0, 0,
                                      ANTIALIASED_QUALITY, 0, kFace),
                           RAST_FONT_OWNS_HFONT);
        font->SetTextColor(kInk);
    }
    return font.get();
}

int TextWidth(RAST_CachedFont* font, const std::string& s) {
    RECT r{0, 0, 0, 0};
    font->DrawText(nullptr, s.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return r.right;
}

unsigned char* BytesAt(RAST_MemBitmap& b, int x, int y) {
    return reinterpret_cast<unsigned char*>(RAST_PixelAt(b, x, y));
}

// Clips a box to the bitmap; false when nothing is left.
bool Clip(const RAST_MemBitmap& b, int& x, int& y, int& w, int& h) {
    const int x1 = std::min(x + w, b.getWidth()), y1 = std::min(y + h, b.getHeight());
    x = std::max(x, 0);
    y = std::max(y, 0);
    w = x1 - x;
    h = y1 - y;
    return w > 0 && h > 0;
}

int Weight(float alpha) {
    return std::clamp(int(alpha * 255.0f + 0.5f), 0, 255);
}

// Lays colour c at weight w (0 to 255) over a premultiplied pixel.
void Over(unsigned char* d, Rgb c, int w) {
    const int keep = 255 - w;
    d[0] = (unsigned char)((255 * w + d[0] * keep + 127) / 255);
    d[1] = (unsigned char)((c.r * w + d[1] * keep + 127) / 255);
    d[2] = (unsigned char)((c.g * w + d[2] * keep + 127) / 255);
    d[3] = (unsigned char)((c.b * w + d[3] * keep + 127) / 255);
}

} // namespace

Painter::Painter(int w, int h) : target(w, h, 4), mask(w, h, 4) {
    RAST_Clear(&target, 0);
}

void Painter::gradient(int x, int y, int w, int h, Rgb top, Rgb bottom, float alpha) {
    const int rows = h;
    if (!Clip(target, x, y, w, h)) return;
    const int weight = Weight(alpha);
    for (int j = 0; j < h; ++j) {
        const int k = rows > 1 ? j * 256 / (rows - 1) : 0;
        const Rgb c{top.r + (bottom.r - top.r) * k / 256, top.g + (bottom.g - top.g) * k / 256,
                    top.b + (bottom.b - top.b) * k / 256};
        for (int i = 0; i < w; ++i)
            Over(BytesAt(target, x + i, y + j), c, weight);
    }
}

void Painter::rect(int x, int y, int w, int h, Rgb c, float alpha) {
    gradient(x, y, w, h, c, c, alpha);
}

template <class Shape>
void Painter::shape(int x, int y, int w, int h, Rgb c, float alpha, Shape draw) {
    // One pixel around the box takes the antialiased edges.
    x -= 1, y -= 1, w += 2, h += 2;
    if (!Clip(target, x, y, w, h)) return;
    RAST_FillRect(&mask, x, y, w, h, kNoInk, 1.0f, 0);
    draw(&mask);
    cover(x, y, w, h, c, alpha);
}

void Painter::cover(int x, int y, int w, int h, Rgb c, float alpha) {
    const int weight = Weight(alpha);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const int ink = BytesAt(mask, x + i, y + j)[1];
            if (ink) Over(BytesAt(target, x + i, y + j), c, (ink * weight + 127) / 255);
        }
}

void Painter::roundRect(int x, int y, int w, int h, int radius, Rgb c, float alpha) {
    const int r = std::clamp(radius, 0, std::min(w, h) / 2);
    shape(x, y, w, h, c, alpha, [&](RAST_IBitmap* m) {
        RAST_FillRect(m, x + r, y, w - 2 * r, h, kInk, 1.0f, 0);
        RAST_FillRect(m, x, y + r, w, h - 2 * r, kInk, 1.0f, 0);
        if (r < 1) return;
        for (const auto& [cx, cy] : {std::pair{x + r, y + r},
                                     {x + w - r - 1, y + r},
                                     {x + r, y + h - r - 1},
                                     {x + w - r - 1, y + h - r - 1}})
            RAST_FillCircle(m, float(cx), float(cy), float(r), kInk, 1.0f, 0, true);
    });
}

void Painter::roundFrame(int x, int y, int w, int h, int radius, Rgb c, float alpha) {
    const int r = std::clamp(radius, 0, std::min(w, h) / 2);
    shape(x, y, w, h, c, alpha, [&](RAST_IBitmap* m) {
        RAST_RoundRect(m, float(x), float(y), float(w - 1), float(h - 1), r, kInk, 1.0f, 0, true);
    });
}

void Painter::disc(float cx, float cy, float r, Rgb c, float alpha) {
    const int box = int(std::ceil(r)) + 1;
    shape(int(cx) - box, int(cy) - box, 2 * box + 1, 2 * box + 1, c, alpha,
          [&](RAST_IBitmap* m) { RAST_FillCircle(m, cx, cy, r, kInk, 1.0f, 0, true); });
}

void Painter::ring(float cx, float cy, float inner, float outer, Rgb c, float alpha) {
    const int box = int(std::ceil(outer)) + 1;
    shape(int(cx) - box, int(cy) - box, 2 * box + 1, 2 * box + 1, c, alpha, [&](RAST_IBitmap* m) {
        RAST_FillCircle(m, cx, cy, outer, kInk, 1.0f, 0, true);
        RAST_FillCircle(m, cx, cy, inner, kNoInk, 1.0f, 0, true);
    });
}

void Painter::arc(float cx, float cy, float inner, float outer, float a0, float a1, Rgb c,
                  float alpha) {
    const int box = int(std::ceil(outer)) + 1;
    shape(int(cx) - box, int(cy) - box, 2 * box + 1, 2 * box + 1, c, alpha, [&](RAST_IBitmap* m) {
        for (float r = inner; r <= outer; r += 0.5f)
            RAST_Arc(m, cx, cy, r, a0, a1, kInk, 1.0f, 0, true);
    });
}

void Painter::line(float x1, float y1, float x2, float y2, float width, Rgb c, float alpha) {
    const float length = std::hypot(x2 - x1, y2 - y1);
    if (length <= 0.0f) return;
    // Parallel strokes half a pixel apart across the width.
    const float nx = -(y2 - y1) / length, ny = (x2 - x1) / length;
    const int x = int(std::floor(std::min(x1, x2) - width)),
              y = int(std::floor(std::min(y1, y2) - width));
    const int w = int(std::ceil(std::fabs(x2 - x1) + 2 * width)) + 1,
              h = int(std::ceil(std::fabs(y2 - y1) + 2 * width)) + 1;
    shape(x, y, w, h, c, alpha, [&](RAST_IBitmap* m) {
        for (float o = -(width - 1.0f) / 2; o <= (width - 1.0f) / 2 + 0.01f; o += 0.5f)
            RAST_FLine(m, x1 + nx * o, y1 + ny * o, x2 + nx * o, y2 + ny * o, kInk, 1.0f, 0, true);
    });
}

void Painter::polygon(const std::vector<float>& xy, Rgb c, float alpha) {
    const size_t n = xy.size() / 2;
    if (n < 3) return;
    std::vector<int> xs(n), ys(n);
    float x0 = xy[0], y0 = xy[1], x1 = x0, y1 = y0;
    for (size_t i = 0; i < n; ++i) {
        xs[i] = int(std::lround(xy[2 * i]));
        ys[i] = int(std::lround(xy[2 * i + 1]));
        x0 = std::min(x0, xy[2 * i]), x1 = std::max(x1, xy[2 * i]);
        y0 = std::min(y0, xy[2 * i + 1]), y1 = std::max(y1, xy[2 * i + 1]);
    }
    shape(int(x0) - 1, int(y0) - 1, int(x1 - x0) + 3, int(y1 - y0) + 3, c, alpha,
          [&](RAST_IBitmap* m) {
              RAST_FillConvexPolygon(m, xs.data(), ys.data(), int(n), kInk, 1.0f, 0);
              for (size_t i = 0; i < n; ++i) {
                  const size_t j = (i + 1) % n;
                  RAST_FLine(m, xy[2 * i], xy[2 * i + 1], xy[2 * j], xy[2 * j + 1], kInk, 1.0f, 0,
                             true);
              }
          });
}

void Painter::text(const std::string& s, int x, int y, int w, int h, int size, bool bold, Rgb c,
                   Align align, int minSize) {
    if (s.empty()) return;
    std::lock_guard<std::mutex> lock(FontLock());
    RAST_CachedFont* font = FontOf(size, bold);
    for (int smaller = size - 1; smaller >= minSize && smaller > 0 && TextWidth(font, s) > w;
         --smaller)
        font = FontOf(smaller, bold);
    // Still too wide: cut, and say so.
    std::string shown = s;
    if (TextWidth(font, s) > w) {
        do {
            while (!shown.empty() && (shown.back() & 0xC0) == 0x80) // UTF-8 continuation
                shown.pop_back();
            if (!shown.empty()) shown.pop_back();
            while (!shown.empty() && shown.back() == ' ')
                shown.pop_back();
        } while (!shown.empty() && TextWidth(font, shown + kEllipsis) > w);
        shown += kEllipsis;
    }
    static const unsigned int kAlign[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    shape(x, y, w, h, c, 1.0f, [&](RAST_IBitmap* m) {
        RECT box{x, y, x + w, y + h};
        font->DrawText(m, shown.c_str(), -1, &box,
                       kAlign[align] | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    });
}

int Painter::textWidth(const std::string& s, int size, bool bold) {
    std::lock_guard<std::mutex> lock(FontLock());
    return TextWidth(FontOf(size, bold), s);
}

void Painter::StraightAlpha() {
    for (int y = 0; y < height(); ++y)
        for (int x = 0; x < width(); ++x) {
            unsigned char* p = BytesAt(target, x, y);
            const int a = p[0];
            for (int i = 1; i < 4; ++i)
                p[i] = a ? (unsigned char)std::min(255, (p[i] * 255 + a / 2) / a) : 0;
        }
}

bool LabelFontInstalled() {
    platform::FontLocation where;
    if (!platform::ResolveFontName(kFace, &where)) return false;
    const std::string file = where.file.substr(where.file.rfind('/') + 1);
    return file.rfind("DejaVuSans", 0) == 0;
}

void ReleaseFonts() {
    std::lock_guard<std::mutex> lock(FontLock());
    Fonts().clear();
}
