#include "kit/rast/RAST_CachedFont.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_SysBitmap.h"
#include "tests/kit_rast/GuardedBitmap.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace {

// A cached font that owns a fresh font object.
std::unique_ptr<RAST_CachedFont> makeFont(int size, int flags = 0,
                                          const char* face = "DejaVu Sans Mono", char italic = 0) {
    auto font = std::make_unique<RAST_CachedFont>();
    font->SetFromHFont(CreateFont(size, 0, 0, 0, 400, italic, 0, 0, 0, 0, 0, 4, 0, face),
                       flags | RAST_FONT_OWNS_HFONT);
    font->SetTextColor(P(255, 255, 255, 255));
    return font;
}

RECT measure(RAST_CachedFont& f, const char* text, int count = -1, unsigned int flags = 0) {
    RECT r{0, 0, 0, 0};
    f.DrawText(nullptr, text, count, &r, flags | DT_CALCRECT);
    return r;
}

// A guarded bitmap whose pixels all start as one colour.
struct Blank : GuardedBitmap {
    Blank(int w, int h, RAST_pixel colour = 0, bool flipped = false)
        : GuardedBitmap(w, h, flipped) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                at(x, y) = colour;
    }
    int count(RAST_pixel p) const {
        const std::vector<RAST_pixel> pic = picture();
        return int(std::count(pic.begin(), pic.end(), p));
    }
    // The smallest box (left, top, width, height) of pixels that differ from `background`.
    std::array<int, 4> inkBox(RAST_pixel background) const {
        int x0 = INT_MAX, y0 = INT_MAX, x1 = -1, y1 = -1;
        for (int y = 0; y < getHeight(); ++y)
            for (int x = 0; x < getWidth(); ++x)
                if (at(x, y) != background)
                    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x),
                    y1 = std::max(y1, y);
        return x1 < 0 ? std::array{0, 0, 0, 0} : std::array{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
    }
};

const RAST_pixel kWhite = P(255, 255, 255, 255);
// DejaVu Sans Mono at 20 pixels: every glyph advances 12 and is 25 high (the windowing
// layer's measured height); lines are the metric height 23 apart.
constexpr int kAdvance = 12, kGlyphHeight = 25, kLineHeight = 23;

} // namespace

TEST(CachedFont, GlyphsAreRenderedOnceAndStoredBackToBack) {
    auto f = makeFont(20);
    EXPECT_EQ(f->GetLineHeight(), kLineHeight);
    EXPECT_EQ(f->findChar('A')->position, 0) << "nothing is rendered before it is needed";
    EXPECT_EQ(measure(*f, "AAAAB").right, 5 * kAdvance);
    const RAST_CachedFont::Glyph a = *f->findChar('A'), b = *f->findChar('B');
    EXPECT_EQ((std::array{a.position, a.width, a.height, a.advance, a.code}),
              (std::array{1, kAdvance, kGlyphHeight, kAdvance, 0}));
    EXPECT_EQ(b.position, 1 + kAdvance * kGlyphHeight) << "one map of A, however often used";

    // Codes of 128 and above get records of their own, kept in code order.
    measure(*f, "\xC3\xBC\xC2\xB4\xC3\xA9"); // U+00FC, U+00B4, U+00E9
    RAST_CachedFont::Glyph* acute = f->findChar(0xB4);
    ASSERT_NE(acute, nullptr);
    EXPECT_EQ(f->findChar(0xE9) - acute, 1);
    EXPECT_EQ(f->findChar(0xFC) - acute, 2);
    EXPECT_EQ(f->findChar(0xFC)->code, 0xFC);
    EXPECT_TRUE(f->RenderGlyph(0xE9));
    EXPECT_EQ(f->findChar(0xFC) - f->findChar(0xB4), 2) << "no second record";
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

    // Italic ink overhangs the advance by at most the pad.
    auto italic = makeFont(20, 0, "DejaVu Sans", 1);
    ASSERT_TRUE(italic->RenderGlyph('f'));
    const RAST_CachedFont::Glyph g = *italic->findChar('f');
    EXPECT_GT(g.width, g.advance);
    EXPECT_LE(g.width, g.advance + italic->GetLineHeight() / 16 + 2);
}

TEST(CachedFont, LimitsAndFlagsOfTheCache) {
    auto low = makeFont(20, RAST_FONT_LOWCHARS_ONLY);
    EXPECT_GT(low->findChar('z')->position, 0) << "all low glyphs at once";
    EXPECT_FALSE(low->RenderGlyph(0xE9));
    EXPECT_EQ(low->findChar(0xE9), nullptr);
    EXPECT_EQ(measure(*low, "A\xC3\xA9").right, kAdvance);

    auto tall = makeFont(1000);
    EXPECT_GT(tall->GetLineHeight(), 1023);
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
    EXPECT_EQ(cw.findChar('F')->width, ht);
    EXPECT_EQ(ccw.findChar('F')->height, w);
    Blank a(w, ht), b(ht, w), c(ht, w);
    const RECT all{0, 0, 64, 64};
    for (auto [font, bitmap] : {std::pair{&upright, &a}, {&cw, &b}, {&ccw, &c}}) {
        font->SetTextColor(kWhite);
        font->DrawGlyph(bitmap, 'F', 0, 0, &all);
    }
    for (int r = 0; r < w; ++r)
        for (int k = 0; k < ht; ++k) {
            ASSERT_EQ(b.at(k, r), a.at(r, ht - 1 - k)) << r << ", " << k;
            ASSERT_EQ(c.at(k, r), a.at(w - 1 - r, k)) << r << ", " << k;
        }
    DeleteObject(h);
}

TEST(CachedFont, CoverageFlags) {
    const RAST_pixel blue = P(0, 0, 255, 0), red = P(255, 0, 0, 255);
    const auto drawn = [&](int flags, const char* text) {
        auto f = makeFont(20, flags, "DejaVu Sans");
        f->SetEffectColor(red);
        auto b = std::make_unique<Blank>(60, 30, blue);
        RECT r{0, 0, 60, 30};
        f->DrawText(b.get(), text, -1, &r, 0);
        EXPECT_TRUE(b->guardsIntact());
        return b;
    };
    const auto mono = drawn(RAST_FONT_MONO, "Ag");
    EXPECT_EQ(mono->count(blue) + mono->count(kWhite), 60 * 30) << "only the colour word";
    EXPECT_GT(mono->count(kWhite), 20);

    const auto inverted = drawn(RAST_FONT_INVERT, " ");
    const std::array<int, 4> box = inverted->inkBox(blue);
    EXPECT_EQ(box[3], kGlyphHeight);
    EXPECT_EQ(inverted->count(kWhite), box[2] * box[3]) << "a space inverted is a solid box";

    EXPECT_LT(drawn(RAST_FONT_BLUR, "|")->count(blue), drawn(0, "|")->count(blue));

    // Shadow and outline: effect pixels only beside ink, in their directions.
    for (int flags :
         {int(RAST_FONT_SHADOW), int(RAST_FONT_OUTLINE), RAST_FONT_SHADOW | RAST_FONT_OUTLINE}) {
        const auto b = drawn(flags, "Ag");
        const auto ink = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < 60 && y < 30 && b->at(x, y) == kWhite;
        };
        const bool shadow = flags & RAST_FONT_SHADOW;
        EXPECT_EQ(b->count(blue) + b->count(kWhite) + b->count(red), 60 * 30);
        EXPECT_GT(b->count(red), 10);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 60; ++x)
                if (b->at(x, y) == red) {
                    ASSERT_TRUE(shadow ? ink(x - 1, y) || ink(x, y - 1) || ink(x - 1, y - 1)
                                       : ink(x - 1, y) || ink(x + 1, y) || ink(x, y - 1) ||
                                             ink(x, y + 1))
                        << flags << " at " << x << ", " << y;
                }
    }
}

TEST(CachedFontText, AlignmentPlacesTheTextBox) {
    auto f = makeFont(20);
    f->SetBkColor(kWhite);
    f->SetBkMode(1); // every glyph box is painted: together they are the text's box
    const int width = 4 * kAdvance, middle = 20 + (70 - kGlyphHeight) / 2;
    const struct {
        unsigned int flags;
        int x, y;
    } cases[] = {
        {0, 10, 20},
        {DT_RIGHT, 190 - width, 20},
        {DT_CENTER, 10 + (180 - width) / 2, 20},
        {DT_CENTER | DT_RIGHT, 10 + (180 - width) / 2, 20}, // centre wins here
        {DT_BOTTOM, 10, 90 - kGlyphHeight},
        {DT_VCENTER | DT_BOTTOM, 10, middle},
    };
    for (const auto& c : cases)
        for (bool flipped : {false, true}) {
            Blank b(200, 100, 0, flipped);
            RECT r{10, 20, 190, 90};
            EXPECT_EQ(f->DrawText(&b, "0000", -1, &r, c.flags), kGlyphHeight);
            EXPECT_EQ(b.inkBox(0), (std::array{c.x, c.y, width, kGlyphHeight})) << c.flags;
            EXPECT_TRUE(b.guardsIntact());
        }

    // Bottom-up text ends at the top of its rectangle and reports its width.
    auto up = makeFont(20, RAST_FONT_VERTICAL | RAST_FONT_BOTTOMUP);
    up->SetBkColor(kWhite);
    up->SetBkMode(1);
    Blank b(100, 100);
    RECT r{0, 0, 100, 100};
    EXPECT_EQ(up->DrawText(&b, "00", -1, &r, 0), kGlyphHeight);
    EXPECT_EQ(b.inkBox(0), (std::array{0, 0, kGlyphHeight, 2 * kAdvance}));
}

TEST(CachedFontText, ClippedAtEveryEdge) {
    auto f = makeFont(20);
    const RECT rects[] = {{-30, 5, 40, 28},
                          {15, -12, 60, 20},
                          {20, 8, 90, 50},
                          {-50, -50, 99, 99},
                          {5, 5, 6, 6},
                          {30, 10, 20, 20},
                          {INT_MIN, INT_MIN, INT_MAX, INT_MAX}};
    for (const RECT& rect : rects)
        for (unsigned int flags : {0u, unsigned(DT_CENTER | DT_VCENTER), unsigned(DT_NOCLIP)}) {
            Blank b(50, 30);
            RECT r = rect;
            f->DrawText(&b, "0000000000\n0000000000", -1, &r, flags);
            EXPECT_TRUE(b.guardsIntact());
            for (int y = 0; y < 30 && !(flags & DT_NOCLIP); ++y)
                for (int x = 0; x < 50; ++x)
                    if (x < rect.left || x >= rect.right || y < rect.top || y >= rect.bottom) {
                        ASSERT_EQ(b.at(x, y), 0u) << x << ", " << y;
                    }
        }

    // Only drawn glyphs count toward the result.
    Blank b(100, 100);
    RECT whole{0, 0, 100, 100}, shallow{0, 0, 100, 20}, empty{50, 50, 50, 90};
    EXPECT_EQ(f->DrawText(&b, "0\n0", -1, &whole, 0), kLineHeight + kGlyphHeight);
    EXPECT_EQ(f->DrawText(&b, "0\n0", -1, &shallow, 0), kGlyphHeight);
    EXPECT_EQ(f->DrawText(&b, "0", -1, &empty, 0), 0);
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
    RECT none{1, 2, 3, 4};
    EXPECT_EQ(f->DrawText(nullptr, "", -1, &none, DT_CALCRECT), 0);
    EXPECT_EQ(none.right, 1);
    Blank bm(10, 10);
    RECT r{0, 0, 10, 10};
    EXPECT_EQ(f->DrawText(&bm, "A", -1, nullptr, 0), 0);
    EXPECT_EQ(f->DrawText(&bm, nullptr, -1, &r, 0), 0);
    EXPECT_EQ(f->DrawText(nullptr, "A", -1, &r, 0), 0);
    EXPECT_EQ(bm.count(0), 100);

    const struct {
        const char* bytes;
        int avail, length;
        unsigned short code;
    } codes[] = {{"\xC3\xA9", -1, 2, 0xE9},
                 {"\xC3"
                  "A",
                  -1, 1, 0xC3},
                 {"\xF0\x9F\x98\x80", -1, 4, 0x20},
                 {"\xC0\x80", -1, 1, 0xC0},
                 {"\xE2\x82\xAC", -1, 3, 0x20AC},
                 {"\xE2\x82", -1, 1, 0xE2},
                 {"\xC3\xA9", 1, 1, 0xC3},
                 {"\xF5\x80\x80\x80", -1, 1, 0xF5}};
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
        Blank b(40, 30, grey);
        RECT r{0, 0, 40, 30};
        const int result = f->DrawText(&b, "0", -1, &r, flags);
        RAST_pixel inked = 0;
        for (RAST_pixel p : b.picture())
            if (p != grey) {
                EXPECT_TRUE(inked == 0 || inked == p);
                inked = p;
            }
        return std::pair{inked, result};
    };
    EXPECT_EQ(draw(0).first, colour) << "opaque copy writes the colour word";
    RAST_pixel half = grey; // the colour's alpha 128 makes weight 128
    _RAST_CombinePixelsCopyNoClamp::doPix(reinterpret_cast<unsigned char*>(&half), 100, 50, 0, 255,
                                          128);
    EXPECT_EQ(draw(RAST_DT_USEFGALPHA).first, half);
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
    const auto onContext = [&](RECT rect) {
        RAST_SysBitmap sys(120, 40);
        std::fill(sys.getBits(), sys.getBits() + 120 * 40, 0);
        f->DrawText(&sys, text, -1, &rect, DT_RIGHT);
        return std::vector<RAST_pixel>(sys.getBits(), sys.getBits() + 120 * 40);
    };
    // What the windowing layer draws itself, ampersands literal.
    HDC ref = WINL_CreateMemContext(nullptr, 120, 40);
    HFONT h = CreateFont(16, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, "DejaVu Sans");
    SelectObject(ref, h);
    SetTextColor(ref, 0xFAC80A);
    SetBkColor(ref, 0x14283C);
    SetBkMode(ref, OPAQUE);
    RECT at{5, 3, 115, 37}, size{0, 0, 0, 0};
    const int height = WINL_DrawText(ref, text, -1, &size, DT_CALCRECT | DT_NOPREFIX);
    WINL_DrawText(ref, text, -1, &at, DT_NOPREFIX | DT_RIGHT);
    const auto* refPixels = static_cast<const RAST_pixel*>(WINL_GetCtxFrameBuffer(ref));
    EXPECT_EQ(onContext({5, 3, 115, 37}), std::vector<RAST_pixel>(refPixels, refPixels + 4800));
    RECT m{7, 9, 0, 0};
    EXPECT_EQ(f->DrawText(nullptr, text, -1, &m, DT_CALCRECT), height);
    EXPECT_EQ(m.right - m.left, size.right);

    // Without a context the text goes through the shared temporary bitmap, cut to the
    // rectangle and the bitmap, to the same pixels.
    for (const RECT& rect : {RECT{5, 3, 115, 37}, RECT{-40, -6, 70, 20}, RECT{60, 20, 200, 90}}) {
        Blank plain(120, 40);
        RECT pr = rect;
        EXPECT_EQ(f->DrawText(&plain, text, -1, &pr, DT_RIGHT), height);
        EXPECT_TRUE(plain.guardsIntact());
        EXPECT_EQ(plain.picture(), onContext(rect)) << rect.left << ", " << rect.top;
    }
    SelectObject(ref, reinterpret_cast<HGDIOBJ>(3));
    DeleteObject(h);
    WINL_DeleteGfxContext(ref);

    // Fonts with lines of 256 and more always draw natively, even with glyph-only flags.
    auto tall = makeFont(240, RAST_FONT_SHADOW | RAST_FONT_VERTICAL, "DejaVu Sans");
    ASSERT_GE(tall->GetLineHeight(), 256);
    Blank b(100, 100);
    RECT r{-20, -40, 100, 100};
    EXPECT_GT(tall->DrawText(&b, "W", -1, &r, 0), 256);
    EXPECT_TRUE(b.guardsIntact());
    EXPECT_LT(b.count(0), 100 * 100);
    EXPECT_EQ(tall->findChar('W')->position, 0) << "nothing was cached";
}

TEST(CachedFontText, Golden) {
    Blank b(300, 150, P(30, 30, 40, 255));
    const struct {
        int size, flags;
        const char* face;
        RAST_pixel colour;
        const char* text;
        RECT r;
        unsigned int dtFlags;
    } lines[] = {
        {13,
         0,
         "NK57 Monospace",
         P(255, 173, 0, 255),
         "Cutoff 127  Octave 8\xC2\xB4",
         {6, 4, 230, 150},
         0},
        {13, RAST_FONT_MONO, "DejaVu Sans", kWhite, "Monochrome & sharp", {6, 24, 230, 150}, 0},
        {20,
         RAST_FONT_SHADOW,
         "DejaVu Sans",
         P(240, 240, 255, 255),
         "Shadowed 20",
         {6, 44, 230, 150},
         0},
        {20,
         RAST_FONT_OUTLINE,
         "DejaVu Sans",
         P(20, 20, 20, 255),
         "Outlined 20",
         {6, 73, 230, 150},
         0},
        {16,
         RAST_FONT_VERTICAL,
         "DejaVu Sans",
         P(120, 220, 120, 255),
         "Vertical",
         {250, 4, 300, 150},
         0},
        {16,
         RAST_FONT_VERTICAL | RAST_FONT_BOTTOMUP,
         "DejaVu Sans",
         P(120, 180, 250, 255),
         "Upward",
         {272, 4, 300, 146},
         DT_BOTTOM},
    };
    for (const auto& line : lines) {
        auto f = makeFont(line.size, line.flags, line.face);
        f->SetTextColor(line.colour);
        f->SetEffectColor(P(200, 60, 60, 255));
        RECT r = line.r;
        f->DrawText(&b, line.text, -1, &r, line.dtFlags);
    }
    EXPECT_TRUE(b.guardsIntact());
    const std::vector<RAST_pixel> pic = b.picture();
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_rast/golden/cached_font.png", pic.data(), 300,
                                           150, 300, 16, 300 * 150 / 200));
}
