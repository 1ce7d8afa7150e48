#include "kit/rast/RAST_CachedFont.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_SysBitmap.h"
#include "tests/kit_rast/GuardedBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>

namespace {

const RAST_pixel kWhite = P(255, 255, 255, 255);
// DejaVu Sans Mono at 20 pixels: every glyph advances 12 and is 25 high (the windowing
// layer's measured height); lines are the metric height 23 apart.
constexpr int kAdvance = 12, kGlyphHeight = 25, kLineHeight = 23;

// A cached font that owns a fresh font object, drawing in white.
std::unique_ptr<RAST_CachedFont> makeFont(int size, int flags = 0,
                                          const char* face = "DejaVu Sans Mono") {
    auto font = std::make_unique<RAST_CachedFont>();
    font->SetFromHFont(CreateFont(size, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, face),
                       flags | RAST_FONT_OWNS_HFONT);
    font->SetTextColor(kWhite);
    return font;
}

RECT measure(RAST_CachedFont& f, const char* text, int count = -1, unsigned int flags = 0) {
    RECT r{0, 0, 0, 0};
    f.DrawText(nullptr, text, count, &r, flags | DT_CALCRECT);
    return r;
}

int count(const GuardedBitmap& b, RAST_pixel p) {
    const std::vector<RAST_pixel> pic = b.picture();
    return int(std::count(pic.begin(), pic.end(), p));
}

// The smallest box (left, top, width, height) of pixels that differ from the background.
std::array<int, 4> inkBox(const GuardedBitmap& b, RAST_pixel background = 0) {
    const PixelSet ink = changedPixels(b, background);
    if (ink.empty()) return {0, 0, 0, 0};
    int x0 = INT_MAX, y0 = INT_MAX, x1 = -1, y1 = -1;
    for (const auto& [x, y] : ink)
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

} // namespace

TEST(CachedFont, GlyphsAreRenderedOnceAndStoredBackToBack) {
    auto f = makeFont(20);
    EXPECT_EQ(f->GetLineHeight(), kLineHeight);
    EXPECT_EQ(f->findChar('A')->position, 0) << "nothing is rendered before it is needed";
    EXPECT_EQ(measure(*f, "AAAAB").right, 5 * kAdvance);
    const RAST_CachedFont::Glyph a = *f->findChar('A');
    EXPECT_EQ((std::array{a.position, a.width, a.height, a.advance, a.code}),
              (std::array{1, kAdvance, kGlyphHeight, kAdvance, 0}));
    EXPECT_EQ(f->findChar('B')->position, 1 + kAdvance * kGlyphHeight) << "one map of A";

    // Codes of 128 and above get records of their own, kept in code order, one each.
    measure(*f, "\xC3\xBC\xC2\xB4\xC3\xA9"); // U+00FC, U+00B4, U+00E9
    EXPECT_TRUE(f->RenderGlyph(0xE9));
    RAST_CachedFont::Glyph* acute = f->findChar(0xB4);
    ASSERT_NE(acute, nullptr);
    EXPECT_EQ(f->findChar(0xE9) - acute, 1);
    EXPECT_EQ(f->findChar(0xFC) - acute, 2);
    EXPECT_EQ(f->findChar(0xFC)->code, 0xFC);
    EXPECT_EQ(f->findChar(0x20AC), nullptr);

    // A glyph that measures empty fails once and is skipped from then on.
    EXPECT_EQ(measure(*f, "A\x01"
                          "B")
                  .right,
              2 * kAdvance);
    EXPECT_EQ(f->findChar(1)->position, -1);

    // Setting the same owned font again keeps it and empties the cache.
    f->SetFromHFont(f->GetHFont(), RAST_FONT_OWNS_HFONT);
    EXPECT_TRUE(WINL_IsLiveGDIObject(f->GetHFont(), WINL_OBJ_FONT));
    EXPECT_EQ(f->findChar('A')->position, 0);
    EXPECT_EQ(f->findChar(0xE9), nullptr);
}

TEST(CachedFont, LimitsAndQuarterTurns) {
    auto low = makeFont(20, RAST_FONT_LOWCHARS_ONLY);
    EXPECT_GT(low->findChar('z')->position, 0) << "all low glyphs at once";
    EXPECT_FALSE(low->RenderGlyph(0xE9));
    EXPECT_EQ(measure(*low, "A\xC3\xA9").right, kAdvance);
    auto tall = makeFont(1000);
    EXPECT_FALSE(tall->RenderGlyph('A'));
    EXPECT_EQ(tall->findChar('A')->position, 0);

    // A quarter turn either way is the upright coverage turned.
    HFONT h = CreateFont(20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "DejaVu Sans");
    RAST_CachedFont upright, cw, ccw; // sharing one font object, owned by none
    upright.SetFromHFont(h, 0);
    cw.SetFromHFont(h, RAST_FONT_VERTICAL);
    ccw.SetFromHFont(h, RAST_FONT_VERTICAL | RAST_FONT_BOTTOMUP);
    ASSERT_TRUE(upright.RenderGlyph('F') && cw.RenderGlyph('F') && ccw.RenderGlyph('F'));
    const int w = upright.findChar('F')->width, ht = upright.findChar('F')->height;
    GuardedBitmap a(w, ht), b(ht, w), c(ht, w);
    const RECT all{0, 0, 64, 64};
    for (auto [font, bitmap] : {std::pair{&upright, &a}, {&cw, &b}, {&ccw, &c}}) {
        font->SetTextColor(kWhite);
        font->DrawGlyph(bitmap, 'F', 0, 0, &all);
    }
    EXPECT_TRUE(pictureIs(b, [&](int x, int y) { return a.at(y, ht - 1 - x); }));
    EXPECT_TRUE(pictureIs(c, [&](int x, int y) { return a.at(w - 1 - y, x); }));
    DeleteObject(h);
}

TEST(CachedFont, CoverageFlags) {
    const RAST_pixel blue = P(0, 0, 255, 0), red = P(255, 0, 0, 255);
    const auto drawn = [&](int flags, const char* text) {
        auto f = makeFont(20, flags, "DejaVu Sans");
        f->SetEffectColor(red);
        auto b = std::make_unique<GuardedBitmap>(60, 30, false, blue);
        RECT r{0, 0, 60, 30};
        f->DrawText(b.get(), text, -1, &r, 0);
        EXPECT_TRUE(b->guardsIntact());
        return b;
    };
    const auto mono = drawn(RAST_FONT_MONO, "Ag");
    EXPECT_EQ(count(*mono, blue) + count(*mono, kWhite), 60 * 30) << "only the colour word";
    EXPECT_GT(count(*mono, kWhite), 20);
    const auto inverted = drawn(RAST_FONT_INVERT, " ");
    const std::array<int, 4> box = inkBox(*inverted, blue);
    EXPECT_EQ(box[3], kGlyphHeight);
    EXPECT_EQ(count(*inverted, kWhite), box[2] * box[3]) << "a space inverted is a solid box";

    // Shadow and outline: effect pixels only beside ink, in their directions.
    for (int flags :
         {int(RAST_FONT_SHADOW), int(RAST_FONT_OUTLINE), RAST_FONT_SHADOW | RAST_FONT_OUTLINE}) {
        const auto b = drawn(flags, "Ag");
        const auto ink = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < 60 && y < 30 && b->at(x, y) == kWhite;
        };
        const bool shadow = flags & RAST_FONT_SHADOW;
        EXPECT_EQ(count(*b, blue) + count(*b, kWhite) + count(*b, red), 60 * 30);
        EXPECT_GT(count(*b, red), 10);
        for (const auto& [x, y] : changedPixels(*b, blue)) {
            if (b->at(x, y) != red) continue;
            ASSERT_TRUE(shadow ? ink(x - 1, y) || ink(x, y - 1) || ink(x - 1, y - 1)
                               : ink(x - 1, y) || ink(x + 1, y) || ink(x, y - 1) || ink(x, y + 1))
                << flags << " at " << x << ", " << y;
        }
    }
}

TEST(CachedFont, CoverageIsTheWindowingLayersWeighingTheColour) {
    // 'g' as the windowing layer draws it white on black, its red byte the coverage c.
    HDC dc = WINL_CreateMemContext(nullptr, 20, 30);
    HFONT h = CreateFont(20, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "DejaVu Sans");
    SelectObject(dc, h);
    SetTextColor(dc, 0xFFFFFF);
    SetBkColor(dc, 0);
    SetBkMode(dc, OPAQUE);
    RECT r{0, 0, 20, 30};
    WINL_DrawText(dc, "g", -1, &r, DT_NOPREFIX);
    const auto* ref = static_cast<const RAST_pixel*>(WINL_GetCtxFrameBuffer(dc));
    // Copied over black at the weight c + 1, or at alpha 0.5 at c / 2; 0 is left alone.
    auto f = makeFont(20, 0, "DejaVu Sans");
    for (float alpha : {1.0f, 0.5f}) {
        f->SetCombineMode(RAST_MODE_COPY, alpha);
        GuardedBitmap b(20, 30);
        EXPECT_GT(f->DrawText(&b, "g", -1, &r, 0), 0);
        EXPECT_TRUE(pictureIs(b, [&](int x, int y) {
            const int c = RAST_GetRed(ref[y * 20 + x]), w = alpha == 1.0f ? c + 1 : c / 2;
            const int v = c ? 255 - 255 * (256 - w) / 256 : 0;
            return P(v, v, v, v);
        })) << alpha;
    }
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(3));
    DeleteObject(h);
    WINL_DeleteGfxContext(dc);
}

TEST(CachedFontText, AlignedAndClippedToTheRectangle) {
    auto f = makeFont(20);
    f->SetBkColor(kWhite);
    f->SetBkMode(1); // every glyph box is painted: together they are the text's box
    const int w = 4 * kAdvance, h = kGlyphHeight;
    const RECT inner{10, 20, 190, 90};
    const struct {
        RECT r;
        unsigned int flags;
        int x, y; // where the text's box starts
    } cases[] = {
        {inner, 0, 10, 20},
        {inner, DT_RIGHT, 190 - w, 20},
        {inner, DT_CENTER | DT_RIGHT, 10 + (180 - w) / 2, 20}, // centre wins here
        {inner, DT_BOTTOM, 10, 90 - h},
        {inner, DT_VCENTER | DT_BOTTOM, 10, 20 + (70 - h) / 2},
        // Cut to the rectangle and the bitmap, or with DT_NOCLIP to the bitmap only.
        {{-30, 5, 40, 28}, 0, -30, 5},
        {{15, -12, 60, 20}, DT_CENTER | DT_VCENTER, 15 + (45 - w) / 2, -12 + (32 - h) / 2},
        {{170, 80, 260, 130}, 0, 170, 80},
        {{5, 5, 6, 6}, DT_NOCLIP, 5, 5},
        {{30, 10, 20, 20}, 0, 30, 10},
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 0, INT_MIN, INT_MIN},
    };
    for (const auto& c : cases)
        for (bool flipped : {false, true}) {
            GuardedBitmap b(200, 100, flipped);
            RECT r = c.r;
            f->DrawText(&b, "0000", -1, &r, c.flags);
            const bool clip = !(c.flags & DT_NOCLIP);
            const int64_t left = std::max<int64_t>({c.x, clip ? c.r.left : 0, 0});
            const int64_t top = std::max<int64_t>({c.y, clip ? c.r.top : 0, 0});
            const int64_t right =
                std::min<int64_t>({int64_t(c.x) + w, clip ? c.r.right : 200, 200});
            const int64_t bottom =
                std::min<int64_t>({int64_t(c.y) + h, clip ? c.r.bottom : 100, 100});
            const std::array<int, 4> box =
                right <= left || bottom <= top
                    ? std::array{0, 0, 0, 0}
                    : std::array{int(left), int(top), int(right - left), int(bottom - top)};
            EXPECT_EQ(inkBox(b), box) << c.r.left << "," << c.r.top << " flags " << c.flags;
            EXPECT_TRUE(b.guardsIntact());
        }
    // The result is the height of the drawn glyphs only.
    GuardedBitmap b(100, 100);
    RECT whole{0, 0, 100, 100}, shallow{0, 0, 100, 20}, empty{50, 50, 50, 90};
    EXPECT_EQ(f->DrawText(&b, "0\n0", -1, &whole, 0), kLineHeight + kGlyphHeight);
    EXPECT_EQ(f->DrawText(&b, "0\n0", -1, &shallow, 0), kGlyphHeight);
    EXPECT_EQ(f->DrawText(&b, "0", -1, &empty, 0), 0);
    // Bottom-up text ends at the top of its rectangle and reports its width.
    auto up = makeFont(20, RAST_FONT_VERTICAL | RAST_FONT_BOTTOMUP);
    up->SetBkColor(kWhite);
    up->SetBkMode(1);
    GuardedBitmap upward(100, 100);
    EXPECT_EQ(up->DrawText(&upward, "00", -1, &whole, 0), kGlyphHeight);
    EXPECT_EQ(inkBox(upward), (std::array{0, 0, kGlyphHeight, 2 * kAdvance}));
}

TEST(CachedFontText, MeasuringAndDecoding) {
    auto f = makeFont(20, 0, "DejaVu Sans");
    const RECT ab = measure(*f, "AB");
    const RAST_CachedFont::Glyph a = *f->findChar('A'), b = *f->findChar('B');
    EXPECT_EQ(ab.right, std::max(a.advance + b.advance, a.advance + b.width));
    EXPECT_EQ(ab.bottom, std::max(a.height, b.height));
    EXPECT_EQ(measure(*f, "A\nB").bottom, f->GetLineHeight() + b.height);
    EXPECT_EQ(measure(*f, "A\nB", -1, DT_SINGLELINE).right, measure(*f, "A B").right);
    EXPECT_EQ(measure(*f, "\rA\rB\r").right, ab.right);
    EXPECT_EQ(measure(*f, "abcdef", 3).right, measure(*f, "abc").right);
    // No rectangle: nothing drawn, 0.
    GuardedBitmap bm(10, 10);
    EXPECT_EQ(f->DrawText(&bm, "A", -1, nullptr, 0), 0);
    EXPECT_EQ(count(bm, 0), 100);

    const struct {
        const char* bytes;
        int avail, length;
        unsigned short code;
    } codes[] = {{"\xC3\xA9", -1, 2, 0xE9},        {"\xC3!", -1, 1, 0xC3},
                 {"\xF0\x9F\x98\x80", -1, 4, ' '}, {"\xC0\x80", -1, 1, 0xC0},
                 {"\xE2\x82\xAC", -1, 3, 0x20AC},  {"\xE2\x82", -1, 1, 0xE2},
                 {"\xC3\xA9", 1, 1, 0xC3},         {"\xF5\x80\x80\x80", -1, 1, 0xF5}};
    for (const auto& c : codes) {
        unsigned short code = 0;
        EXPECT_EQ(RAST_CachedFont::utf8char(c.bytes, &code, c.avail), c.length) << c.bytes;
        EXPECT_EQ(code, c.code) << c.bytes;
    }
}

TEST(CachedFontText, ColoursModesAndAlpha) {
    auto f = makeFont(20, RAST_FONT_MONO);
    const RAST_pixel grey = P(100, 100, 100, 100), colour = P(100, 50, 0, 128);
    f->SetTextColor(colour);
    // The one value every inked pixel takes (0 when none is inked), and the result.
    const auto draw = [&](unsigned int flags) {
        GuardedBitmap b(40, 30, false, grey);
        RECT r{0, 0, 40, 30};
        const int result = f->DrawText(&b, "0", -1, &r, flags);
        RAST_pixel inked = 0;
        for (const auto& [x, y] : changedPixels(b, grey)) {
            EXPECT_TRUE(inked == 0 || inked == b.at(x, y));
            inked = b.at(x, y);
        }
        return std::pair{inked, result};
    };
    EXPECT_EQ(draw(0).first, colour) << "opaque copy writes the colour word";
    // The colour's alpha 128 makes weight 128, the colour's alpha byte taken as 255.
    EXPECT_EQ(draw(RAST_DT_USEFGALPHA).first, P(100, 75, 50, 178));
    f->SetCombineMode(RAST_MODE_ADD, 0.5f);
    EXPECT_EQ(draw(0).first, P(150, 125, 100, 227));
    for (auto [mode, alpha] : {std::pair{6, 1.0f}, {0, -1.0f}, {0, 0.0f}}) {
        f->SetCombineMode(mode, alpha);
        EXPECT_EQ(draw(0).first, 0u) << mode << ", " << alpha;
    }
    // A transparent colour under RAST_DT_USEFGALPHA draws nothing; the font's alpha stays.
    f->SetCombineMode(RAST_MODE_COPY, 1.0f);
    f->SetTextColor(P(100, 50, 0, 0));
    EXPECT_EQ(draw(RAST_DT_USEFGALPHA), (std::pair{RAST_pixel(0), 0}));
    EXPECT_EQ(draw(0).first, P(100, 50, 0, 0));
}

TEST(CachedFontText, NativeDrawingGoesThroughTheWindowingLayer) {
    auto f = makeFont(16, RAST_FONT_NATIVE, "DejaVu Sans");
    f->SetTextColor(P(250, 200, 10, 255));
    f->SetBkColor(P(20, 40, 60, 255));
    f->SetBkMode(1);
    const char* text = "R&D Bank 7";
    HFONT h = CreateFont(16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "DejaVu Sans");
    // What the windowing layer draws itself on a fresh context, ampersands literal.
    const auto reference = [&](RECT rect, RECT* measured) {
        HDC dc = WINL_CreateMemContext(nullptr, 120, 40);
        SelectObject(dc, h);
        SetTextColor(dc, 0xFAC80A);
        SetBkColor(dc, 0x14283C);
        SetBkMode(dc, OPAQUE);
        WINL_DrawText(dc, text, -1, &rect, DT_NOPREFIX | DT_RIGHT);
        const int height = WINL_DrawText(dc, text, -1, measured, DT_CALCRECT | DT_NOPREFIX);
        const auto* pixels = static_cast<const RAST_pixel*>(WINL_GetCtxFrameBuffer(dc));
        const std::vector<RAST_pixel> picture(pixels, pixels + 120 * 40);
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(3));
        WINL_DeleteGfxContext(dc);
        return std::pair{picture, height};
    };
    // On a bitmap with a context it draws there; without one it goes through the shared
    // temporary bitmap, cut to the rectangle and the bitmap, to the same pixels.
    for (const RECT& rect : {RECT{5, 3, 115, 37}, RECT{-40, -6, 70, 20}, RECT{60, 20, 200, 90},
                             RECT{50, 12, 90, 24}}) {
        RECT size{0, 0, 0, 0}, m{7, 9, 0, 0}, sr = rect, pr = rect;
        const auto [want, height] = reference(rect, &size);
        RAST_SysBitmap sys(120, 40);
        std::fill(sys.getBits(), sys.getBits() + 120 * 40, 0);
        GuardedBitmap plain(120, 40);
        f->DrawText(&sys, text, -1, &sr, DT_RIGHT);
        EXPECT_EQ(f->DrawText(&plain, text, -1, &pr, DT_RIGHT), height);
        EXPECT_EQ(std::vector<RAST_pixel>(sys.getBits(), sys.getBits() + 120 * 40), want);
        EXPECT_TRUE(pictureIs(plain, [&](int x, int y) { return want[y * 120 + x]; }));
        EXPECT_EQ(f->DrawText(nullptr, text, -1, &m, DT_CALCRECT), height);
        EXPECT_EQ(m.right - m.left, size.right);
    }
    DeleteObject(h);

    // Fonts with lines of 256 and more always draw natively, even with glyph-only flags.
    auto tall = makeFont(240, RAST_FONT_SHADOW | RAST_FONT_VERTICAL, "DejaVu Sans");
    GuardedBitmap b(100, 100);
    RECT r{-20, -40, 100, 100};
    EXPECT_GT(tall->DrawText(&b, "W", -1, &r, 0), 256);
    EXPECT_TRUE(b.guardsIntact());
    EXPECT_LT(count(b, 0), 100 * 100);
    EXPECT_EQ(tall->findChar('W')->position, 0) << "nothing was cached";
}
