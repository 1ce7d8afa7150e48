#include "kit/winl/winl-gdi-shapes.h"
#include "kit/winl/winl-gdi-text.h"
#include "tests/kit_winl/TestSurface.h"
#include "tests/support/BankFileGenerator.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstdlib>
#include <string>
#include <vector>

using winltest::block;
using winltest::Pixels;
using winltest::Surface;

namespace {

// Canvas words of opaque pens and brushes (bytes alpha 255, red, green, blue).
constexpr uint32_t kRed = 0x0000FFFF, kBlue = 0xFF0000FF;
constexpr int kRedInt = 0xFF0000, kBlueInt = 0x0000FF;

} // namespace

TEST(ContextShapes, RectanglesFillInsideAndStrokeTheirEdges) {
    Surface c(14, 14), s(14, 14), f(6, 6);
    c.select(CreateSolidBrush(kBlueInt), GetStockObject(1)); // null pen: fill only
    Rectangle(c.dc, 2, 3, 7, 9);
    EXPECT_EQ(c.where(), block(2, 3, 6, 8));
    s.select(CreatePen(0, 0, kRedInt), GetStockObject(2)); // null brush: stroke only
    Rectangle(s.dc, 2, 3, 7, 9);
    Pixels outline = block(2, 3, 7, 9);
    for (const auto& p : block(3, 4, 6, 8))
        outline.erase(p);
    EXPECT_EQ(s.where(kRed), outline);
    // A given brush; an empty rectangle and the null brush fill nothing.
    HGDIOBJ brush = f.select(CreateSolidBrush(kBlueInt));
    const RECT r{1, 1, 4, 3}, empty{4, 1, 1, 3};
    WINL_FillRect(f.dc, &empty, brush);
    WINL_FillRect(f.dc, &r, GetStockObject(2));
    EXPECT_TRUE(f.where().empty());
    WINL_FillRect(f.dc, &r, brush);
    EXPECT_EQ(f.where(kBlue), block(1, 1, 3, 2));
}

TEST(ContextShapes, LinesPolylinesAndCurves) {
    Surface c(16, 16), w(16, 6), p(16, 16);
    c.select(CreatePen(0, 0, kRedInt));
    POINT old{-1, -1};
    MoveToEx(c.dc, 0, 0, &old);
    WINL_LineTo(c.dc, 10, 0);
    MoveToEx(c.dc, 3, 4, &old);
    EXPECT_EQ(old.x, 10);
    EXPECT_EQ(c.where(kRed), block(0, 0, 10, 0));
    // Three wide at half alpha: rows 0-2, squared off 1.5 past each end, each pixel once.
    w.select(CreatePenAlpha(0, 3, 0xFFFFFF, 0.5f));
    WINL_LineTo(w.dc, 10, 0);
    EXPECT_EQ(w.where(w.at(5, 1)), block(0, 0, 12, 2));
    EXPECT_EQ(w.where(), block(0, 0, 12, 2));
    // Counts 2, 1, 0, 2: the single point is consumed and draws nothing.
    p.select(CreatePen(0, 1, kRedInt));
    const POINT pts[] = {{1, 1}, {5, 1}, {9, 9}, {2, 12}, {8, 12}};
    const int counts[] = {2, 1, 0, 2};
    PolyPolyline(p.dc, pts, counts, 4);
    Pixels lines = block(1, 1, 5, 1);
    lines.merge(block(2, 12, 8, 12));
    EXPECT_EQ(p.where(kRed), lines);
    // Five points make one curve, ending at the third.
    MoveToEx(p.dc, 0, 10, nullptr);
    const POINT curve[] = {{5, 0}, {10, 15}, {15, 10}, {15, 2}, {15, 15}};
    PolyBezierTo(p.dc, curve, 5);
    MoveToEx(p.dc, 0, 0, &old);
    EXPECT_EQ(std::pair(old.x, old.y), std::pair(15, 10));
    EXPECT_EQ(p.at(15, 10), kRed);
    EXPECT_EQ(p.at(15, 15), 0u);
}

TEST(ContextShapes, EllipsesPolygonsAndRoundRects) {
    Surface e(24, 16), l(12, 12), r(20, 20);
    e.select(CreateSolidBrush(kBlueInt), CreatePen(0, 1, kRedInt));
    Ellipse(e.dc, 2, 1, 22, 15);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const double u = (x + 0.5 - 12) / 10, v = (y + 0.5 - 8) / 7, d = u * u + v * v;
            EXPECT_EQ(e.at(x, y), d < 0.7 ? kBlue : d > 1.3 ? 0u : e.at(x, y)) << x << "," << y;
        }
    EXPECT_EQ(e.at(12, 1), kRed);
    // An L fills by winding, its notch empty; the pen strokes it open.
    l.select(CreateSolidBrush(kBlueInt), CreatePen(0, 0, kRedInt));
    const POINT shape[] = {{1, 1}, {4, 1}, {4, 7}, {9, 7}, {9, 10}, {1, 10}};
    WINL_Polygon(l.dc, shape, 6);
    EXPECT_EQ((std::vector{l.at(2, 2), l.at(7, 3), l.at(4, 4), l.at(1, 5)}),
              (std::vector{kBlue, 0u, kRed, kBlue}))
        << "inside, the notch, the stroke, and no closing stroke";
    r.select(CreateSolidBrush(kBlueInt), GetStockObject(1));
    RoundRect(r.dc, 2, 2, 18, 18, 9, 9);
    EXPECT_EQ(r.at(2, 2), 0u);
    EXPECT_EQ(r.at(10, 2), kBlue);
}

TEST(ContextShapes, ClipRegionsNestPixelsAndDeadContexts) {
    Surface c(10, 10);
    c.select(CreateSolidBrush(kBlueInt), GetStockObject(1));
    const RECT clip{2, 3, 6, 5}, outside{20, 20, 30, 30}, all{0, 0, 10, 10};
    WINL_PushClipRegion(c.dc);
    WINL_SetClipRegion(c.dc, &clip);
    WINL_PushClipRegion(c.dc);
    WINL_SetClipRegion(c.dc, &outside); // disjoint: empty, and it stays empty inside the pair
    WINL_SetClipRegion(c.dc, &all);
    Rectangle(c.dc, 0, 0, 10, 10);
    EXPECT_TRUE(c.where().empty());
    WINL_PopClipRegion(c.dc);
    Rectangle(c.dc, 0, 0, 10, 10);
    EXPECT_EQ(c.where(), block(2, 3, 5, 4));
    EXPECT_EQ(WINL_SetPixel(c.dc, 6, 4, kRedInt) + WINL_SetPixel(c.dc, 5, 5, kRedInt), -2)
        << "right and bottom edges are outside";
    EXPECT_EQ(WINL_SetPixel(c.dc, 2, 3, kRedInt), kRedInt);
    EXPECT_EQ(c.at(2, 3), kRed);
    WINL_PopClipRegion(c.dc);
    WINL_PopClipRegion(c.dc); // unbalanced: nothing changes
    WINL_FillDialogBackground(c.dc, &clip, 0);
    EXPECT_EQ(c.at(2, 3), 0xECECECFFu);
    Rectangle(c.dc, 0, 0, 10, 10);
    EXPECT_EQ(c.where(kBlue).size(), 100u);

    HDC pooled = WINL_CreateMemContext(nullptr, 2, 2);
    WINL_DeleteGfxContext(pooled);
    const POINT p[2] = {{0, 0}, {1, 1}};
    for (HDC dead : {HDC(nullptr), pooled}) {
        EXPECT_EQ(Rectangle(dead, 0, 0, 1, 1) + Ellipse(dead, 0, 0, 1, 1) +
                      WINL_Polygon(dead, p, 2) + WINL_LineTo(dead, 1, 1) +
                      MoveToEx(dead, 1, 1, nullptr),
                  0);
        EXPECT_EQ(WINL_SetPixel(dead, 0, 0, 0), -1);
    }
}

TEST(ContextShapes, StretchBltKeepsItsScaleWhenTheSourceIsCut) {
    Surface src(6, 4), dst(12, 8), cut(12, 8), big(12, 8), clear(2, 2);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            src.at(x, y) = 0x01000000u * (y * 6 + x + 1) | 0xFF;
    // Starting 5 columns left of the source: shifted right by 5, 5 columns fewer, unscaled.
    BitBlt(dst.dc, 0, 0, 8, 2, src.dc, -5, 1, 0);
    EXPECT_EQ(dst.where(), block(5, 0, 7, 1));
    EXPECT_EQ(dst.at(7, 1), src.at(2, 2));
    EXPECT_EQ(BitBlt(dst.dc, 0, 0, 4, 4, src.dc, 6, 0, 0), 0);
    // Twice as wide with 2 columns cut: 4 destination columns from x = 4.
    StretchBlt(cut.dc, 0, 0, 8, 2, src.dc, -2, 0, 4, 2, 0);
    EXPECT_EQ(cut.where(), block(4, 0, 7, 1));
    EXPECT_EQ(cut.at(7, 1), src.at(1, 1));
    StretchBlt(big.dc, 0, 0, 12, 8, src.dc, 0, 0, 6, 4, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(big.at(x, y), src.at(x / 2, y / 2));
    // With alpha a transparent source leaves the destination; a canvas that is not a memory
    // context is no source.
    StretchBlt(src.dc, 0, 0, 2, 2, clear.dc, 0, 0, 2, 2, WINL_BLT_ALPHA);
    EXPECT_EQ(src.at(0, 0), 0x010000FFu);
    platform::Canvas canvas(&src.at(0, 0), 6, 4, 6);
    HDC wrapped = WINL_CreateGfxContext(&canvas);
    EXPECT_EQ(BitBlt(dst.dc, 0, 0, 2, 2, wrapped, 0, 0, 0), 0);
    WINL_DeleteGfxContext(wrapped);
}

TEST(ContextImages, BitmapsIconsAndImageLists) {
    const uint32_t bits[4] = {kRed, 0, kBlue, kRed};
    HGDIOBJ bmp = CreateBitmap(2, 2, 1, 32, bits);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(CreateBitmap(2, 2, 1, 24, bits), nullptr);
    EXPECT_EQ(CreateBitmap(100000, 100000, 1, 32, nullptr), nullptr);
    int dims[3] = {9, 9, 9};
    EXPECT_EQ(GetObject(bmp, 8, dims), 1);
    EXPECT_EQ(dims[0] * 10 + dims[1], 22);
    EXPECT_EQ(GetObject(bmp, 12, dims), 0);
    EXPECT_EQ(dims[2], 0);
    // Drawn scaled into the rectangle, over the destination by its alpha.
    Surface c(6, 6);
    const RECT r{1, 1, 5, 5};
    DrawImageInRect(c.dc, bmp, &r);
    EXPECT_EQ(c.where(kRed),
              (Pixels{{1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 3}, {3, 4}, {4, 3}, {4, 4}}));
    EXPECT_EQ(c.where(kBlue), block(1, 3, 2, 4));

    ICONINFO info{1, 0, 0, nullptr, bmp};
    HGDIOBJ icon = CreateIconIndirect(&info);
    DeleteObject(bmp);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(GetNSImageFromHICON(icon)->pixels[3], kRed); // the icon keeps the image

    HIMAGELIST list = ImageList_CreateEx();
    EXPECT_EQ(ImageList_ReplaceIcon(list, -1, icon), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 5, icon), 1);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 0, icon), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(list, 0, GetStockObject(1)), -1);
    EXPECT_EQ(ImageList_Remove(list, 1), 1);
    EXPECT_EQ(ImageList_Remove(list, 2), 0);
    DeleteObject(icon);
    EXPECT_EQ(ImageList_Remove(list, -1), 1);
    ImageList_Destroy(list);
}

TEST(ContextImages, LoadNamedImageFromAPathOrTheResources) {
    testsupport::TempFolder dir;
    // Bytes alpha, red, green, blue: opaque magenta, half-transparent magenta, green.
    const unsigned char argb[] = {255, 255, 0, 255, 128, 255, 0, 255, 255, 0, 255, 0};
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = 3;
    png.height = 1;
    png.format = PNG_FORMAT_ARGB;
    const std::string file = dir.path() + "/dot.png";
    ASSERT_TRUE(png_image_write_to_file(&png, file.c_str(), 0, argb, 0, nullptr));
    HGDIOBJ plain = LoadNamedImage(file.c_str(), false);
    setenv("ZOZ_RESOURCES_DIR", (dir.path() + "/").c_str(), 1);
    HGDIOBJ keyed = LoadNamedImage("dot", true);
    unsetenv("ZOZ_RESOURCES_DIR");
    ASSERT_TRUE(plain && keyed);
    std::vector<uint32_t> expected = GetNSImageFromHICON(plain)->pixels;
    EXPECT_EQ(expected[0], 0xFF00FFFFu);
    expected[0] = 0; // only the opaque magenta turns transparent
    EXPECT_EQ(GetNSImageFromHICON(keyed)->pixels, expected);
    EXPECT_EQ(LoadNamedImage((dir.path() + "/missing.png").c_str(), false), nullptr);
    DeleteObject(plain);
    DeleteObject(keyed);
}

// Every family of drawing calls works in the canvas' drawing coordinates: drawing at an origin
// of (3, 2) gives the pixels of drawing shifted by (3, 2), the clip kept in block pixels.
TEST(ContextShapes, EveryFamilyDrawsRelativeToTheCanvasOrigin) {
    Surface image(4, 3, kRed);
    const struct {
        const char* family;
        void (*draw)(HDC hdc, int dx, int dy, HDC image);
    } families[] = {
        {"fill", [](HDC dc, int dx, int dy, HDC) {
             const RECT r{1 + dx, 1 + dy, 6 + dx, 4 + dy};
             HGDIOBJ brush = CreateSolidBrush(kBlueInt);
             WINL_FillRect(dc, &r, brush);
             DeleteObject(brush);
         }},
        {"outline", [](HDC dc, int dx, int dy, HDC) { Ellipse(dc, dx, dy, 7 + dx, 5 + dy); }},
        {"line", [](HDC dc, int dx, int dy, HDC) {
             MoveToEx(dc, dx, 4 + dy, nullptr);
             WINL_LineTo(dc, 6 + dx, dy);
         }},
        {"pixel", [](HDC dc, int dx, int dy, HDC) { WINL_SetPixel(dc, 2 + dx, 1 + dy, kRedInt); }},
        {"blit", [](HDC dc, int dx, int dy, HDC src) { BitBlt(dc, 1 + dx, 1 + dy, 4, 3, src, 0, 0, 0); }},
        {"dialog", [](HDC dc, int dx, int dy, HDC) {
             const RECT r{dx, dy, 2 + dx, 2 + dy};
             WINL_FillDialogBackground(dc, &r, 3);
         }},
        {"text", [](HDC dc, int dx, int dy, HDC) {
             RECT r{dx, dy, 12 + dx, 10 + dy};
             SetBkMode(dc, OPAQUE);
             SetBkColor(dc, kBlueInt);
             WINL_DrawText(dc, "\xC3\xA9W", -1, &r, DT_NOCLIP);
         }},
    };
    for (const auto& f : families) {
        Surface moved(14, 12), shifted(14, 12);
        for (Surface* s : {&moved, &shifted})
            s->select(CreatePen(0, 0, kRedInt), CreateSolidBrush(kBlueInt));
        WINL_GetCtxGC(moved.dc)->Translate(3, 2);
        WINL_GetCtxGC(moved.dc)->ClipToRect({-3, -2, 8, 7}); // block pixels 0..10 x 0..8
        WINL_GetCtxGC(shifted.dc)->ClipToRect({0, 0, 11, 9});
        f.draw(moved.dc, 0, 0, image.dc);
        f.draw(shifted.dc, 3, 2, image.dc);
        EXPECT_FALSE(shifted.where().empty()) << f.family;
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 14; ++x)
                ASSERT_EQ(moved.at(x, y), shifted.at(x, y)) << f.family << " at " << x << "," << y;
    }
}
