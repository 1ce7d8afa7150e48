#include "kit/winl/winl-gdi-shapes.h"

#include "kit/base/KIT_PtrList.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Coord.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_Line.h"
#include "kit/rast/RAST_PNGLoader.h"
#include "kit/rast/RAST_ScaledBlit.h"
#include "platform/Paths.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

struct WINL_ImageList {
    KIT_PtrList<HGDIOBJ__> items{4096};
};

namespace {

// Part of a canvas as a raster bitmap whose (0, 0) is the part's top-left pixel; left() and
// top() give that pixel in the canvas's drawing coordinates, so callers subtract them.
class CanvasBitmap : public RAST_IBitmap {
public:
    CanvasBitmap(const platform::Canvas& canvas, const platform::CanvasRect& area)
        : m_canvas(canvas), m_area(area) {}

    RAST_pixel* getBits() const override {
        if (m_area.IsEmpty() || !m_canvas.Pixels()) return nullptr;
        return m_canvas.Row(m_area.top) + m_area.left;
    }
    int getWidth() const override { return m_area.IsEmpty() ? 0 : m_area.right - m_area.left; }
    int getHeight() const override { return m_area.IsEmpty() ? 0 : m_area.bottom - m_area.top; }
    int getRowSpan() const override { return m_canvas.Stride(); }
    bool resize(int, int) override { return false; }

    int left() const { return m_area.left - m_canvas.OriginX(); }
    int top() const { return m_area.top - m_canvas.OriginY(); }

private:
    const platform::Canvas& m_canvas;
    platform::CanvasRect m_area;
};

// The canvas inside its clip: every drawing operation goes through it.
CanvasBitmap clipped(const platform::Canvas& canvas) {
    return CanvasBitmap(canvas, canvas.Clip());
}

// An image's pixels as a raster bitmap.
class ImageBitmap : public RAST_IBitmap {
public:
    explicit ImageBitmap(platform::Image& image) : m_image(image) {}
    RAST_pixel* getBits() const override {
        return m_image.pixels.empty() ? nullptr : m_image.pixels.data();
    }
    int getWidth() const override { return m_image.width; }
    int getHeight() const override { return m_image.height; }
    int getRowSpan() const override { return m_image.width; }
    bool resize(int, int) override { return false; }

private:
    platform::Image& m_image;
};

// A colour and the alpha it is combined at.
struct Ink {
    RAST_pixel colour;
    float alpha;
};

RAST_pixel rasterColour(int colour) {
    return RAST_MakePixel((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF, 255);
}

Ink inkOf(HGDIOBJ obj) {
    const platform::CanvasColor& c = obj->color;
    const auto byte = [](float v) { return int(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return {RAST_MakePixel(byte(c.red), byte(c.green), byte(c.blue), 255), c.alpha};
}

HGDIOBJ usable(HGDIOBJ obj, int type) {
    return WINL_IsLiveGDIObject(obj, type) && obj->widthOrFlag >= 0 ? obj : nullptr;
}

// A pen's stroke width: 0 strokes 1 pixel wide.
float penWidth(HGDIOBJ pen) {
    return float(std::max(pen->widthOrFlag, 1));
}

struct PointF {
    double x, y;
};
using Path = std::vector<std::vector<PointF>>;

constexpr double kKappa = 0.5522847498307936; // control distance of a quarter circle

// Appends the cubic curve from the path's last point through c1 and c2 to end, as segments of
// about two pixels.
void appendCubic(std::vector<PointF>& path, PointF c1, PointF c2, PointF end) {
    const PointF p0 = path.back();
    const double length = std::hypot(c1.x - p0.x, c1.y - p0.y) +
                          std::hypot(c2.x - c1.x, c2.y - c1.y) +
                          std::hypot(end.x - c2.x, end.y - c2.y);
    const int n = int(std::clamp(std::ceil(length / 2.0), 1.0, 256.0));
    for (int k = 1; k <= n; ++k) {
        const double t = double(k) / n, u = 1.0 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        path.push_back({a * p0.x + b * c1.x + c * c2.x + d * end.x,
                        a * p0.y + b * c1.y + c * c2.y + d * end.y});
    }
}

std::vector<PointF> ellipsePath(int left, int top, int right, int bottom) {
    const double cx = (double(left) + right) / 2, cy = (double(top) + bottom) / 2;
    const double rx = (double(right) - left) / 2, ry = (double(bottom) - top) / 2;
    const double kx = rx * kKappa, ky = ry * kKappa;
    std::vector<PointF> p{{cx + rx, cy}};
    appendCubic(p, {cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    appendCubic(p, {cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    appendCubic(p, {cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    appendCubic(p, {cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    p.pop_back(); // the start again: the path closes itself
    return p;
}

// Fills the pixels whose centres the path's subpaths (each closed implicitly) wind around,
// row by row through the raster fill.
void fillPath(const platform::Canvas& canvas, const Path& path, const Ink& ink) {
    CanvasBitmap bm = clipped(canvas);
    struct Edge {
        PointF a, b;
        int winding;
    };
    std::vector<Edge> edges;
    double ymin = INFINITY, ymax = -INFINITY;
    for (const auto& sub : path)
        for (size_t i = 0; i < sub.size(); ++i) {
            const PointF a = sub[i], b = sub[(i + 1) % sub.size()];
            ymin = std::min(ymin, a.y), ymax = std::max(ymax, a.y);
            if (a.y != b.y) edges.push_back({a, b, b.y > a.y ? 1 : -1});
        }
    if (edges.empty()) return;
    // Rows whose centres lie in ymin..ymax, within the clip.
    const double first = std::max(std::ceil(ymin - 0.5), double(bm.top()));
    const double last = std::min(std::ceil(ymax - 0.5), double(bm.top() + bm.getHeight()));
    std::vector<std::pair<double, int>> crossings;
    for (int row = int(first); row < int(last); ++row) {
        const double yc = row + 0.5;
        crossings.clear();
        for (const Edge& e : edges)
            if (std::min(e.a.y, e.b.y) <= yc && yc < std::max(e.a.y, e.b.y))
                crossings.push_back(
                    {e.a.x + (yc - e.a.y) * (e.b.x - e.a.x) / (e.b.y - e.a.y), e.winding});
        std::sort(crossings.begin(), crossings.end());
        int winding = 0;
        double spanStart = 0;
        for (const auto& [x, w] : crossings) {
            if (winding == 0) spanStart = x;
            winding += w;
            if (winding != 0) continue;
            // Pixels whose centres lie in spanStart..x, the right end excluded.
            const double from = std::max(std::ceil(spanStart - 0.5), double(bm.left()));
            const double to = std::min(std::ceil(x - 0.5), double(bm.left() + bm.getWidth()));
            if (to > from)
                RAST_FillRect(&bm, int(from) - bm.left(), row - bm.top(), int(to - from), 1,
                              ink.colour, ink.alpha, RAST_MODE_COPY);
        }
    }
}

// Strokes every subpath (closing it when asked) at the canvas's stroke width.
void strokePath(const platform::Canvas& canvas, const Path& path, bool closed, const Ink& ink) {
    const double width = canvas.LineWidth();
    if (!(width >= 2)) {
        CanvasBitmap bm = clipped(canvas);
        const auto pixel = [](double v, int origin) {
            return RAST_TruncToInt(std::floor(v) - origin);
        };
        for (const auto& sub : path)
            for (size_t i = 0; i + 1 < sub.size() + (closed && sub.size() > 2); ++i) {
                const PointF a = sub[i], b = sub[(i + 1) % sub.size()];
                RAST_Line(&bm, pixel(a.x, bm.left()), pixel(a.y, bm.top()), pixel(b.x, bm.left()),
                          pixel(b.y, bm.top()), ink.colour, ink.alpha, RAST_MODE_COPY,
                          canvas.ShouldAntialias());
            }
        return;
    }
    // Each segment as a rectangle reaching half the width past its ends, all of them filled
    // as one path: turning the same way, overlaps wind twice and are filled once.
    const double hw = width / 2;
    Path quads;
    for (const auto& sub : path)
        for (size_t i = 0; i + 1 < sub.size() + (closed && sub.size() > 2); ++i) {
            const PointF a = sub[i], b = sub[(i + 1) % sub.size()];
            const double len = std::hypot(b.x - a.x, b.y - a.y);
            if (!(len > 0)) continue;
            const double ux = (b.x - a.x) / len * hw, uy = (b.y - a.y) / len * hw;
            quads.push_back({{a.x - ux - uy, a.y - uy + ux},
                             {b.x + ux - uy, b.y + uy + ux},
                             {b.x + ux + uy, b.y + uy - ux},
                             {a.x - ux + uy, a.y - uy - ux}});
        }
    fillPath(canvas, quads, ink);
}

void fillRect(const platform::Canvas& canvas, const RECT& r, const Ink& ink) {
    CanvasBitmap bm = clipped(canvas);
    RAST_FillRect(
        &bm, RAST_SaturateInt(int64_t(r.left) - bm.left()),
        RAST_SaturateInt(int64_t(r.top) - bm.top()), RAST_SaturateInt(int64_t(r.right) - r.left),
        RAST_SaturateInt(int64_t(r.bottom) - r.top), ink.colour, ink.alpha, RAST_MODE_COPY);
}

HGDIOBJ bitmapObject(std::shared_ptr<platform::Image> image) {
    HGDIOBJ obj = GDP_OBJECT_NEW();
    if (!obj) return nullptr;
    obj->type = WINL_OBJ_BITMAP;
    obj->widthOrFlag = 1;
    obj->image = std::move(image);
    return obj;
}

std::shared_ptr<platform::Image> newImage(int w, int h) {
    if (w <= 0 || h <= 0 || int64_t(w) * h * 4 > INT_MAX) return nullptr;
    try {
        return std::make_shared<platform::Image>(w, h);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

platform::Image* imageOf(HGDIOBJ obj) {
    return WINL_IsLiveGDIObject(obj, WINL_OBJ_BITMAP) ? obj->image.get() : nullptr;
}

const int kSysColors[10] = {0x606060, 0xE0E0E0, 0xC0C0C0, 0x000000, 0xC0C0C0,
                            0x202020, 0x303030, 0xC0C0C0, 0xFFF0C8, 0x000000};

// The background grey of dialog windows.
constexpr int kDialogBackground = 0xECECEC;

} // namespace

int WINL_FillRect(HDC hdc, const RECT* r, HGDIOBJ brush) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    if (!canvas) return 0;
    if (r && usable(brush, WINL_OBJ_BRUSH)) fillRect(*canvas, *r, inkOf(brush));
    return 1;
}

int Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    if (!canvas) return 0;
    if (HGDIOBJ brush = usable(hdc->brush, WINL_OBJ_BRUSH))
        fillRect(*canvas, {left, top, right, bottom}, inkOf(brush));
    if (HGDIOBJ pen = usable(hdc->pen, WINL_OBJ_PEN)) {
        canvas->SetLineWidth(penWidth(pen));
        const Path outline{{{double(left), double(top)},
                            {double(right), double(top)},
                            {double(right), double(bottom)},
                            {double(left), double(bottom)}}};
        strokePath(*canvas, outline, true, inkOf(pen));
    }
    return 1;
}

int Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    if (!canvas) return 0;
    const Path ellipse{ellipsePath(left, top, right, bottom)};
    if (HGDIOBJ brush = usable(hdc->brush, WINL_OBJ_BRUSH))
        fillPath(*canvas, ellipse, inkOf(brush));
    if (HGDIOBJ pen = usable(hdc->pen, WINL_OBJ_PEN))
        strokePath(*canvas, ellipse, true, inkOf(pen));
    return 1;
}

int WINL_Polygon(HDC hdc, const POINT* points, int n) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    if (!canvas) return 0;
    HGDIOBJ pen = usable(hdc->pen, WINL_OBJ_PEN);
    HGDIOBJ brush = usable(hdc->brush, WINL_OBJ_BRUSH);
    if (!points || n < 2 || (!pen && !brush)) return 1;
    Path path(1);
    for (int i = 0; i < n; ++i)
        path[0].push_back({double(points[i].x), double(points[i].y)});
    if (brush) fillPath(*canvas, path, inkOf(brush));
    if (pen) {
        canvas->SetLineWidth(penWidth(pen));
        strokePath(*canvas, path, false, inkOf(pen));
    }
    return 1;
}

int RoundRect(HDC hdc, int left, int top, int right, int bottom, int xr, int yr) {
    const int dx = xr / 3, dy = yr / 3;
    const POINT p[10] = {{left, top + dy},    {left + dx, top},     {right - dx, top},
                         {right, top + dy},   {right, bottom - dy}, {right - dx, bottom},
                         {left + dx, bottom}, {left, bottom - dy},  {left, top + dy},
                         {left + dx, top}};
    return WINL_Polygon(hdc, p, 10);
}

int MoveToEx(HDC hdc, int x, int y, POINT* old) {
    if (!WINL_IsLiveContext(hdc)) return 0;
    if (old) *old = {RAST_TruncToInt(hdc->curX), RAST_TruncToInt(hdc->curY)};
    hdc->curX = float(x), hdc->curY = float(y);
    return 1;
}

int WINL_LineTo(HDC hdc, int x, int y) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    if (!canvas) return 0;
    if (HGDIOBJ pen = usable(hdc->pen, WINL_OBJ_PEN)) {
        canvas->SetLineWidth(penWidth(pen));
        const double hw = penWidth(pen) / 2;
        const Path line{{{hdc->curX + hw, hdc->curY + hw}, {x + hw, y + hw}}};
        strokePath(*canvas, line, false, inkOf(pen));
    }
    hdc->curX = float(x), hdc->curY = float(y);
    return 1;
}

int PolyPolyline(HDC hdc, const POINT* points, const int* counts, int n) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    if (!canvas) return 0;
    HGDIOBJ pen = usable(hdc->pen, WINL_OBJ_PEN);
    if (!pen || !points || !counts || n < 1) return 1;
    canvas->SetLineWidth(penWidth(pen));
    const double hw = penWidth(pen) / 2;
    Path path;
    for (int i = 0; i < n; ++i) {
        path.emplace_back();
        for (int k = 0; k < counts[i]; ++k, ++points)
            path.back().push_back({points->x + hw, points->y + hw});
    }
    strokePath(*canvas, path, false, inkOf(pen));
    return 1;
}

int PolyBezierTo(HDC hdc, const POINT* points, int n) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    if (!canvas) return 0;
    if (!points || n < 3) return 1;
    Path path{{{hdc->curX, hdc->curY}}};
    const auto at = [points](int i) { return PointF{double(points[i].x), double(points[i].y)}; };
    for (int i = 0; i + 3 <= n; i += 3) {
        appendCubic(path[0], at(i), at(i + 1), at(i + 2));
        hdc->curX = float(points[i + 2].x), hdc->curY = float(points[i + 2].y);
    }
    if (HGDIOBJ pen = usable(hdc->pen, WINL_OBJ_PEN)) {
        canvas->SetLineWidth(penWidth(pen));
        strokePath(*canvas, path, false, inkOf(pen));
    }
    return 1;
}

int WINL_SetPixel(HDC hdc, int x, int y, int colour) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    if (!canvas) return -1;
    const platform::CanvasRect& clip = canvas->Clip();
    const int64_t px = int64_t(x) + canvas->OriginX(), py = int64_t(y) + canvas->OriginY();
    if (px < clip.left || px >= clip.right || py < clip.top || py >= clip.bottom) return -1;
    canvas->Row(int(py))[px] = rasterColour(colour);
    return colour & 0xFFFFFF;
}

void WINL_FillDialogBackground(HDC hdc, const RECT* r, int) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    if (canvas && r) fillRect(*canvas, *r, {rasterColour(kDialogBackground), 1.0f});
}

void WINL_PushClipRegion(HDC hdc) {
    if (platform::Canvas* canvas = WINL_GetCtxGC(hdc)) canvas->SaveState();
}

void WINL_SetClipRegion(HDC hdc, const RECT* r) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    if (canvas && r) canvas->ClipToRect({r->left, r->top, r->right, r->bottom});
}

void WINL_PopClipRegion(HDC hdc) {
    if (platform::Canvas* canvas = WINL_GetCtxGC(hdc)) canvas->RestoreState();
}

int StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
               int mode) {
    platform::Canvas* to = WINL_GetCtxGC(dst);
    platform::Canvas* from = WINL_GetCtxGC(src);
    if (!to || !from || !src->ownedBlock || sw <= 0 || sh <= 0) return 0;
    const int64_t bw = from->Width(), bh = from->Height();
    int64_t dx = x, dy = y, left = sx, top = sy, width = sw, height = sh;
    if (left < 0) dx -= left * w / sw, width += left, left = 0;
    if (top < 0) dy -= top * h / sh, height += top, top = 0;
    const int64_t cw = left + width > bw ? bw - left : width;
    const int64_t ch = top + height > bh ? bh - top : height;
    if (cw <= 0 || ch <= 0) return 0;
    // The scale is w / sw as asked: a source cut at its edges keeps it.
    const int64_t dw = w == sw ? cw : cw == sw ? w : int64_t(w) * cw / sw;
    const int64_t dh = h == sh ? ch : ch == sh ? h : int64_t(h) * ch / sh;
    CanvasBitmap target = clipped(*to);
    CanvasBitmap source(*from, {0, 0, from->Width(), from->Height()});
    RAST_ScaledBlit(
        &target, &source, RAST_SaturateInt(dx - target.left()), RAST_SaturateInt(dy - target.top()),
        int(dw), int(dh), float(left), float(top), float(cw), float(ch), 1.0f,
        mode == WINL_BLT_ALPHA ? RAST_MODE_SOURCE_ALPHA | RAST_MODE_COPY : RAST_MODE_COPY);
    return 1;
}

int BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int mode) {
    return StretchBlt(dst, x, y, w, h, src, sx, sy, w, h, mode);
}

HGDIOBJ CreateBitmap(int w, int h, int planes, int bitsPerPixel, const void* bits) {
    if (planes > 1 || bitsPerPixel != 32) return nullptr;
    std::shared_ptr<platform::Image> image = newImage(w, h);
    if (!image) return nullptr;
    if (bits) memcpy(image->pixels.data(), bits, image->pixels.size() * 4);
    return bitmapObject(std::move(image));
}

HGDIOBJ CreateIconIndirect(const ICONINFO* info) {
    if (!info || !info->fIcon || !imageOf(info->hbmColor)) return nullptr;
    return bitmapObject(info->hbmColor->image);
}

HGDIOBJ LoadNamedImage(const char* name, bool magentaToAlpha) {
    if (!name || !*name) return nullptr;
    std::unique_ptr<RAST_IBitmap> loaded;
    if (strchr(name, '/')) loaded.reset(RAST_LoadPNG(name, nullptr));
    const std::string resource = platform::ResourcesFolder() + name;
    for (const std::string& path : {resource, resource + ".png"})
        if (!loaded) loaded.reset(RAST_LoadPNG(path.c_str(), nullptr));
    if (!loaded || !loaded->getBits()) return nullptr;
    std::shared_ptr<platform::Image> image = newImage(loaded->getWidth(), loaded->getHeight());
    if (!image) return nullptr;
    for (int y = 0; y < image->height; ++y)
        memcpy(&image->pixels[size_t(y) * image->width], RAST_PixelAt(*loaded, 0, y),
               size_t(image->width) * 4);
    if (magentaToAlpha)
        for (uint32_t& p : image->pixels)
            if (p == RAST_MakePixel(255, 0, 255, 255)) p = 0;
    return bitmapObject(std::move(image));
}

void DrawImageInRect(HDC hdc, HGDIOBJ obj, const RECT* r) {
    platform::Canvas* canvas = WINL_GetCtxGC(hdc);
    platform::Image* image = imageOf(obj);
    if (!canvas || !image || !r) return;
    CanvasBitmap target = clipped(*canvas);
    ImageBitmap source(*image);
    RAST_ScaledBlit(&target, &source, RAST_SaturateInt(int64_t(r->left) - target.left()),
                    RAST_SaturateInt(int64_t(r->top) - target.top()),
                    RAST_SaturateInt(int64_t(r->right) - r->left),
                    RAST_SaturateInt(int64_t(r->bottom) - r->top), 0.0f, 0.0f, float(image->width),
                    float(image->height), 1.0f, RAST_MODE_SOURCE_ALPHA | RAST_MODE_COPY);
}

int GetObject(HGDIOBJ obj, int size, void* out) {
    if (out && size > 0) memset(out, 0, size_t(size));
    platform::Image* image = imageOf(obj);
    if (!image || size != 8 || !out) return 0;
    const int dims[2] = {image->width, image->height};
    memcpy(out, dims, sizeof dims);
    return 1;
}

platform::Image* GetNSImageFromHICON(HGDIOBJ obj) {
    return imageOf(obj);
}

HIMAGELIST ImageList_CreateEx() {
    return new (std::nothrow) WINL_ImageList;
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HGDIOBJ icon) {
    if (!list || !WINL_IsLiveGDIObject(icon, WINL_OBJ_BITMAP)) return -1;
    HGDIOBJ copy = bitmapObject(icon->image);
    if (!copy) return -1;
    KIT_PtrList<HGDIOBJ__>& items = list->items;
    if (index >= 0 && index < items.GetSize()) {
        DeleteObject(items.Get(index));
        items.Set(index, copy);
        return index;
    }
    if (!items.Add(copy)) {
        DeleteObject(copy);
        return -1;
    }
    return items.GetSize() - 1;
}

int ImageList_Remove(HIMAGELIST list, int index) {
    if (!list || index >= list->items.GetSize()) return 0;
    if (index < 0) {
        for (int i = 0; i < list->items.GetSize(); ++i)
            DeleteObject(list->items.Get(i));
        list->items.Empty();
        return 1;
    }
    DeleteObject(list->items.Get(index));
    list->items.Set(index, nullptr);
    return 1;
}

void ImageList_Destroy(HIMAGELIST list) {
    ImageList_Remove(list, -1);
    delete list;
}

HGDIOBJ WINL_ImageList_GetObject(HIMAGELIST list, int index) {
    return list ? list->items.Get(index) : nullptr;
}

int GetSysColor(int index) {
    return index >= 0 && index < 10 ? kSysColors[index] : 0;
}
