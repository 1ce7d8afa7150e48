#include "kit/winl/winl-gdi-shapes.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Pixel words as the canvas holds them: alpha byte 255 when drawn by an opaque pen or brush.
constexpr uint32_t kRed = 0x0000FFFF;  // colour int 0xFF0000
constexpr uint32_t kBlue = 0xFF0000FF; // colour int 0x0000FF
constexpr int kRedInt = 0xFF0000, kBlueInt = 0x0000FF;

// A memory context with its pixels, deleted at the end of the test.
class Context {
public:
    Context(int w, int h) : m_dc(WINL_CreateMemContext(nullptr, w, h)), m_w(w), m_h(h) {}
    ~Context() {
        for (HGDIOBJ obj : m_objects)
            DeleteObject(obj);
        WINL_DeleteGfxContext(m_dc);
    }
    HDC dc() const { return m_dc; }
    uint32_t& at(int x, int y) const {
        return static_cast<uint32_t*>(WINL_GetCtxFrameBuffer(m_dc))[y * m_w + x];
    }
    void pen(int width, int colour, float alpha = 1.0f) {
        select(CreatePenAlpha(0, width, colour, alpha));
    }
    void brush(int colour, float alpha = 1.0f) { select(CreateSolidBrushAlpha(colour, alpha)); }
    void select(HGDIOBJ obj) {
        SelectObject(m_dc, obj);
        m_objects.push_back(obj);
    }
    std::set<std::pair<int, int>> pixels(uint32_t value) const {
        std::set<std::pair<int, int>> s;
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                if (at(x, y) == value) s.insert({x, y});
        return s;
    }
    std::set<std::pair<int, int>> drawn() const {
        std::set<std::pair<int, int>> s;
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                if (at(x, y) != 0) s.insert({x, y});
        return s;
    }

private:
    HDC m_dc;
    int m_w, m_h;
    std::vector<HGDIOBJ> m_objects;
};

std::set<std::pair<int, int>> block(int x1, int y1, int x2, int y2) {
    std::set<std::pair<int, int>> s;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            s.insert({x, y});
    return s;
}

} // namespace

TEST(ContextShapes, RectangleFillsInsideAndStrokesItsEdges) {
    Context c(14, 14);
    c.brush(kBlueInt);
    c.select(GetStockObject(1)); // null pen: fill only
    Rectangle(c.dc(), 2, 3, 7, 9);
    EXPECT_EQ(c.pixels(kBlue), block(2, 3, 6, 8));

    Context s(14, 14);
    s.pen(1, kRedInt);
    s.select(GetStockObject(2)); // null brush: stroke only
    Rectangle(s.dc(), 2, 3, 7, 9);
    std::set<std::pair<int, int>> outline = block(2, 3, 7, 9);
    for (const auto& p : block(3, 4, 6, 8))
        outline.erase(p);
    EXPECT_EQ(s.pixels(kRed), outline);
    EXPECT_EQ(s.drawn(), outline);

    // A given brush fills; the stock null brush and an empty rectangle do nothing.
    Context f(6, 6);
    const RECT r{1, 1, 4, 3}, empty{4, 1, 1, 3};
    HGDIOBJ blue = CreateSolidBrush(kBlueInt);
    WINL_FillRect(f.dc(), &empty, blue);
    WINL_FillRect(f.dc(), &r, GetStockObject(2));
    EXPECT_TRUE(f.drawn().empty());
    WINL_FillRect(f.dc(), &r, blue);
    EXPECT_EQ(f.pixels(kBlue), block(1, 1, 3, 2));
    DeleteObject(blue);
}

TEST(ContextShapes, LinesFallOnPixelCentresAndMoveThePosition) {
    Context c(16, 6);
    c.pen(0, kRedInt);
    POINT old{-1, -1};
    MoveToEx(c.dc(), 0, 0, &old);
    EXPECT_EQ(old.x, 0);
    WINL_LineTo(c.dc(), 10, 0);
    EXPECT_EQ(c.pixels(kRed), block(0, 0, 10, 0));
    MoveToEx(c.dc(), 3, 4, &old);
    EXPECT_EQ(old.x, 10);
    EXPECT_EQ(old.y, 0);

    // Three pixels wide at half alpha: rows 0-2, squared off 1.5 past each end, every pixel
    // combined once.
    Context w(16, 6);
    w.pen(3, 0xFFFFFF, 0.5f);
    MoveToEx(w.dc(), 0, 0, nullptr);
    WINL_LineTo(w.dc(), 10, 0);
    EXPECT_EQ(w.drawn(), block(0, 0, 12, 2));
    EXPECT_EQ(w.pixels(w.at(5, 1)), block(0, 0, 12, 2));
}

TEST(ContextShapes, PolylinesAndCurves) {
    Context c(20, 20);
    c.pen(1, kRedInt);
    const POINT pts[] = {{1, 1}, {5, 1}, {9, 9}, {2, 12}, {8, 12}};
    const int counts[] = {2, 1, 0, 2};
    PolyPolyline(c.dc(), pts, counts, 4);
    // Count 1 consumes (9, 9) and draws nothing; count 0 consumes none.
    std::set<std::pair<int, int>> expected = block(1, 1, 5, 1);
    for (const auto& p : block(2, 12, 8, 12))
        expected.insert(p);
    EXPECT_EQ(c.pixels(kRed), expected);

    Context b(20, 20);
    b.pen(1, kRedInt);
    MoveToEx(b.dc(), 0, 10, nullptr);
    const POINT curve[] = {{5, 0}, {10, 20}, {15, 10}, {18, 2}, {19, 19}};
    PolyBezierTo(b.dc(), curve, 5);
    POINT pos;
    MoveToEx(b.dc(), 0, 0, &pos);
    EXPECT_EQ(pos.x, 15);
    EXPECT_EQ(pos.y, 10);
    const auto drawn = b.drawn();
    EXPECT_EQ(drawn.count({0, 10}), 1u);
    EXPECT_EQ(drawn.count({15, 10}), 1u);
    EXPECT_EQ(drawn.count({19, 19}), 0u);
    EXPECT_GT(drawn.size(), 15u);
}

TEST(ContextShapes, EllipseFillsThePixelsInsideIt) {
    Context c(24, 16);
    c.brush(kBlueInt);
    Ellipse(c.dc(), 2, 1, 22, 15);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const double u = (x + 0.5 - 12) / 10, v = (y + 0.5 - 8) / 7;
            const double d = u * u + v * v;
            if (d < 0.9) {
                EXPECT_EQ(c.at(x, y), kBlue) << x << "," << y;
            } else if (d > 1.1) {
                EXPECT_EQ(c.at(x, y), 0u) << x << "," << y;
            }
        }
    // The outline at the current stroke width, in the pen's colour.
    Context o(24, 16);
    o.pen(1, kRedInt);
    o.select(GetStockObject(2));
    Ellipse(o.dc(), 2, 1, 22, 15);
    EXPECT_EQ(o.pixels(kRed).count({12, 1}), 1u);
    EXPECT_EQ(o.at(12, 8), 0u);
}

TEST(ContextShapes, PolygonsFillByWindingAndStrokeOpen) {
    // An L: the notch stays empty.
    Context c(12, 12);
    c.brush(kBlueInt);
    c.select(GetStockObject(1));
    const POINT l[] = {{1, 1}, {4, 1}, {4, 7}, {9, 7}, {9, 10}, {1, 10}};
    WINL_Polygon(c.dc(), l, 6);
    EXPECT_EQ(c.at(2, 2), kBlue);
    EXPECT_EQ(c.at(8, 8), kBlue);
    EXPECT_EQ(c.at(7, 3), 0u);
    WINL_Polygon(c.dc(), l, 1);
    // A pen alone strokes the open path: no closing edge from (1, 10) back to (1, 1).
    Context s(12, 12);
    s.pen(1, kRedInt);
    s.select(GetStockObject(2));
    WINL_Polygon(s.dc(), l, 6);
    EXPECT_EQ(s.at(1, 1), kRed);
    EXPECT_EQ(s.at(1, 5), 0u);
    // A rounded rectangle cuts its corners.
    Context r(20, 20);
    r.brush(kBlueInt);
    r.select(GetStockObject(1));
    RoundRect(r.dc(), 2, 2, 18, 18, 9, 9);
    EXPECT_EQ(r.at(2, 2), 0u);
    EXPECT_EQ(r.at(5, 5), kBlue);
    EXPECT_EQ(r.at(10, 2), kBlue);
}

TEST(ContextShapes, ClipRegionsNarrowAndRestore) {
    Context c(10, 10);
    c.brush(kBlueInt);
    c.select(GetStockObject(1));
    WINL_PushClipRegion(c.dc());
    const RECT clip{2, 3, 6, 5};
    WINL_SetClipRegion(c.dc(), &clip);
    Rectangle(c.dc(), 0, 0, 10, 10);
    EXPECT_EQ(c.drawn(), block(2, 3, 5, 4));
    EXPECT_EQ(WINL_SetPixel(c.dc(), 0, 0, kRedInt), -1);
    EXPECT_EQ(WINL_SetPixel(c.dc(), 2, 3, kRedInt), kRedInt);
    EXPECT_EQ(c.at(2, 3), kRed);
    WINL_PopClipRegion(c.dc());
    Rectangle(c.dc(), 0, 0, 10, 10);
    EXPECT_EQ(c.pixels(kBlue).size(), 100u);
}

TEST(ContextShapes, StretchBltClipsTheSourceAndScales) {
    Context src(6, 4), dst(12, 8);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            src.at(x, y) = 0x01000000u * (y * 6 + x + 1) | 0xFF;
    // Unscaled with the source starting 5 columns left of it: shifted right by 5, 5 columns
    // fewer, still unscaled.
    BitBlt(dst.dc(), 0, 0, 8, 2, src.dc(), -5, 1, 0);
    EXPECT_EQ(dst.drawn(), block(5, 0, 7, 1));
    EXPECT_EQ(dst.at(5, 0), src.at(0, 1));
    EXPECT_EQ(dst.at(7, 1), src.at(2, 2));
    // Wholly outside the source: nothing.
    Context none(12, 8);
    EXPECT_EQ(BitBlt(none.dc(), 0, 0, 4, 4, src.dc(), 6, 0, 0), 0);
    EXPECT_TRUE(none.drawn().empty());
    // Scaled 2 x 1 with the source cut on the left: the scale stays.
    Context cut(12, 8);
    StretchBlt(cut.dc(), 0, 0, 8, 2, src.dc(), -2, 0, 4, 2, 0);
    EXPECT_EQ(cut.drawn(), block(4, 0, 7, 1));
    EXPECT_EQ(cut.at(4, 0), src.at(0, 0));
    EXPECT_EQ(cut.at(7, 1), src.at(1, 1));
    // Twice the size, each source pixel a 2 x 2 block.
    Context big(12, 8);
    StretchBlt(big.dc(), 0, 0, 12, 8, src.dc(), 0, 0, 6, 4, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(big.at(x, y), src.at(x / 2, y / 2));
    // With alpha: a transparent source leaves the destination.
    Context clear(2, 2), over(2, 2);
    over.at(0, 0) = kBlue;
    StretchBlt(over.dc(), 0, 0, 2, 2, clear.dc(), 0, 0, 2, 2, WINL_BLT_ALPHA);
    EXPECT_EQ(over.at(0, 0), kBlue);
    // A source that is not a memory context draws nothing.
    uint32_t px[4] = {1, 2, 3, 4};
    platform::Canvas canvas(px, 2, 2, 2);
    HDC wrapped = WINL_CreateGfxContext(&canvas);
    EXPECT_EQ(BitBlt(over.dc(), 0, 0, 2, 2, wrapped, 0, 0, 0), 0);
    WINL_DeleteGfxContext(wrapped);
}

TEST(ContextImages, BitmapsIconsAndTheirSizes) {
    const uint32_t bits[6] = {1, 2, 3, 4, 5, 6};
    HGDIOBJ bmp = CreateBitmap(3, 2, 1, 32, bits);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(GetNSImageFromHICON(bmp)->pixels, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(CreateBitmap(3, 2, 1, 24, bits), nullptr);
    EXPECT_EQ(CreateBitmap(0, 2, 1, 32, bits), nullptr);
    EXPECT_EQ(CreateBitmap(100000, 100000, 1, 32, nullptr), nullptr);

    int dims[3] = {9, 9, 9};
    EXPECT_EQ(GetObject(bmp, 8, dims), 1);
    EXPECT_EQ(dims[0], 3);
    EXPECT_EQ(dims[1], 2);
    EXPECT_EQ(GetObject(bmp, 12, dims), 0);
    EXPECT_EQ(dims[2], 0);

    ICONINFO info{1, 0, 0, nullptr, bmp};
    HGDIOBJ icon = CreateIconIndirect(&info);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(GetNSImageFromHICON(icon), GetNSImageFromHICON(bmp));
    info.fIcon = 0;
    EXPECT_EQ(CreateIconIndirect(&info), nullptr);
    DeleteObject(bmp);
    // The icon keeps the image alive.
    EXPECT_EQ(GetNSImageFromHICON(icon)->pixels[5], 6u);

    // Drawn over the destination by its alpha, scaled into the rectangle.
    const uint32_t rgba[4] = {kRed, 0, kBlue, kRed};
    HGDIOBJ picture = CreateBitmap(2, 2, 1, 32, rgba);
    Context c(6, 6);
    const RECT r{1, 1, 5, 5};
    DrawImageInRect(c.dc(), picture, &r);
    EXPECT_EQ(c.at(1, 1), kRed);
    EXPECT_EQ(c.at(4, 1), 0u);
    EXPECT_EQ(c.at(2, 3), kBlue);
    EXPECT_EQ(c.at(0, 0), 0u);
    DeleteObject(picture);
    DeleteObject(icon);
}

TEST(ContextImages, LoadNamedImageFromAPathOrTheResources) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zoz-shapes-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    // Bytes alpha, red, green, blue: opaque magenta, half-transparent magenta, green.
    const unsigned char argb[] = {255, 255, 0, 255, 128, 255, 0, 255, 255, 0, 255, 0};
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = 3;
    png.height = 1;
    png.format = PNG_FORMAT_ARGB;
    const std::string file = (dir / "dot.png").string();
    ASSERT_TRUE(png_image_write_to_file(&png, file.c_str(), 0, argb, 0, nullptr));

    HGDIOBJ plain = LoadNamedImage(file.c_str(), false);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(GetNSImageFromHICON(plain)->pixels[0], 0xFF00FFFFu);
    setenv("ZOZ_RESOURCES_DIR", (dir.string() + "/").c_str(), 1);
    HGDIOBJ keyed = LoadNamedImage("dot", true);
    unsetenv("ZOZ_RESOURCES_DIR");
    ASSERT_NE(keyed, nullptr);
    EXPECT_EQ(GetNSImageFromHICON(keyed)->pixels,
              (std::vector<uint32_t>{0, GetNSImageFromHICON(plain)->pixels[1],
                                     GetNSImageFromHICON(plain)->pixels[2]}));
    EXPECT_EQ(LoadNamedImage((dir / "missing.png").string().c_str(), false), nullptr);
    EXPECT_EQ(LoadNamedImage(nullptr, false), nullptr);
    DeleteObject(plain);
    DeleteObject(keyed);
    std::filesystem::remove_all(dir);
}

TEST(ContextImages, ImageListsHoldTheirOwnObjects) {
    const uint32_t bits[1] = {7};
    HGDIOBJ icon = CreateBitmap(1, 1, 1, 32, bits);
    HIMAGELIST list = ImageList_CreateEx();
    EXPECT_EQ(ImageList_ReplaceIcon(list, -1, icon), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 5, icon), 1);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 0, icon), 0);
    HGDIOBJ pen = CreatePen(0, 1, 0);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 0, pen), -1);
    DeleteObject(pen);
    EXPECT_EQ(ImageList_ReplaceIcon(nullptr, 0, icon), -1);
    EXPECT_EQ(ImageList_Remove(list, 1), 1);
    EXPECT_EQ(ImageList_Remove(list, 2), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 1, icon), 1);
    DeleteObject(icon);
    EXPECT_EQ(ImageList_Remove(list, -1), 1);
    EXPECT_EQ(ImageList_Remove(list, 0), 0);
    ImageList_Destroy(list);
    ImageList_Destroy(nullptr);
}

TEST(ContextShapes, SystemColoursAndDeadContexts) {
    EXPECT_EQ(GetSysColor(0), 0x606060);
    EXPECT_EQ(GetSysColor(8), 0xFFF0C8);
    EXPECT_EQ(GetSysColor(10), 0);
    EXPECT_EQ(GetSysColor(-1), 0);
    const POINT p[2] = {{0, 0}, {1, 1}};
    EXPECT_EQ(Rectangle(nullptr, 0, 0, 1, 1), 0);
    EXPECT_EQ(Ellipse(nullptr, 0, 0, 1, 1), 0);
    EXPECT_EQ(WINL_Polygon(nullptr, p, 2), 0);
    EXPECT_EQ(WINL_LineTo(nullptr, 1, 1), 0);
    EXPECT_EQ(MoveToEx(nullptr, 1, 1, nullptr), 0);
    HDC dc = WINL_CreateMemContext(nullptr, 2, 2);
    WINL_DeleteGfxContext(dc); // pooled now
    EXPECT_EQ(Rectangle(dc, 0, 0, 1, 1), 0);
    EXPECT_EQ(WINL_SetPixel(dc, 0, 0, 0), -1);
    WINL_FillDialogBackground(nullptr, nullptr, 0);
    Context c(3, 3);
    const RECT all{0, 0, 3, 3};
    WINL_FillDialogBackground(c.dc(), &all, 0);
    EXPECT_EQ(c.at(1, 1), 0xECECECFFu);
}
