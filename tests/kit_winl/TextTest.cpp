#include "kit/winl/winl-gdi-text.h"
#include "platform/text/FontResolver.h"
#include "platform/text/TextFont.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

// A memory context whose pixels all start as `fill`.
struct Surface {
    Surface(int width, int height, uint32_t fill = 0) : w(width), h(height) {
        dc = WINL_CreateMemContext(nullptr, w, h);
        px = static_cast<uint32_t*>(WINL_GetCtxFrameBuffer(dc));
        std::fill(px, px + w * h, fill);
    }
    ~Surface() { WINL_DeleteGfxContext(dc); }
    uint32_t at(int x, int y) const { return px[y * w + x]; }
    HDC dc;
    uint32_t* px;
    int w, h;
};

struct Font {
    explicit Font(int size, const char* face = "DejaVu Sans Mono", int weight = 400,
                  char italic = 0, char quality = 0)
        : f(CreateFont(size, 0, 0, 0, weight, italic, 0, 0, 0, 0, 0, quality, 0, face)) {}
    ~Font() { DeleteObject(f); }
    platform::TextFont* text() const { return f->platformFont.get(); }
    HFONT f;
};

// A canvas pixel: the unused byte, then red, green and blue in memory order.
uint32_t word(int r, int g, int b, int unused = 0) {
    return uint32_t(unused) | uint32_t(r) << 8 | uint32_t(g) << 16 | uint32_t(b) << 24;
}

int measuredWidth(HDC dc, const char* text, int len = -1, int flags = 0) {
    RECT r{0, 0, 0, 0};
    WINL_DrawText(dc, text, len, &r, flags | DT_CALCRECT);
    return r.right;
}

// The smallest box (left, top, width, height) of pixels that differ from `background`.
RECT inkBox(const Surface& s, uint32_t background) {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = -1, y1 = -1;
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            if (s.at(x, y) != background)
                x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x),
                y1 = std::max(y1, y);
    return x1 < 0 ? RECT{0, 0, 0, 0} : RECT{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

// DejaVu Sans Mono at 20 pixels: every character advances 1233/2048 em (12.04 pixels) and a
// measured line is floor(23.28 + 1.5) high.
constexpr int kMonoLine20 = 24;

} // namespace

TEST(CreateFont, SizesFacesAndStyles) {
    const struct {
        int height, width;
        float size;
    } sizes[] = {{12, 0, 12},  {-12, 0, 12}, {0, 0, 10},      {9000, 0, 10},   {1, 0, 10},
                 {0, -14, 14}, {2, 99, 2},   {8192, 0, 8192}, {INT_MIN, 0, 10}};
    for (const auto& c : sizes) {
        HFONT f = CreateFont(c.height, c.width, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
        EXPECT_EQ(f->platformFont->Size(), c.size) << c.height << ", " << c.width;
        DeleteObject(f);
    }

    const std::pair<const char*, const char*> files[] = {
        {"NK57 Monospace", "DejaVuSansMono.ttf"},
        {"Monaco", "DejaVuSansMono.ttf"},
        {"Consolas", "DejaVuSansMono.ttf"},
        {"Lucida Grande", "DejaVuSans.ttf"},
        {"DejaVu Sans Bold", "DejaVuSans-Bold.ttf"},
        {"DejaVu Sans Italic", "DejaVuSans-Oblique.ttf"},
        {"Monaco Bold Italic", "DejaVuSansMono-BoldOblique.ttf"}};
    for (auto [face, file] : files) {
        platform::FontLocation where;
        ASSERT_TRUE(platform::ResolveFontName(face, &where));
        EXPECT_EQ(std::filesystem::path(where.file).filename(), file) << face;
    }

    // Weight and italic compose the name; a face at a size is one shared font.
    Font monacoBoldItalic(12, "Monaco", 700, 1), named(12, "DejaVu Sans Mono Bold Italic");
    EXPECT_EQ(monacoBoldItalic.text(), named.text());
    Font w699(12, "DejaVu Sans", 699), plain(12, "DejaVu Sans"), w700(12, "DejaVu Sans", 700),
        bold(12, "DejaVu Sans Bold");
    EXPECT_EQ(w699.text(), plain.text());
    EXPECT_EQ(w700.text(), bold.text());
    EXPECT_NE(w700.text(), plain.text());
    Font unnamed(12, nullptr), huge(12, std::string(5000, 'x').c_str());
    EXPECT_EQ(unnamed.text(), plain.text()) << "no name: the label font";
    EXPECT_EQ(huge.text(), plain.text());

    LOGFONT lf{};
    lf.lfHeight = -12;
    lf.lfWeight = 700;
    lf.lfOrientation = 900;
    lf.lfQuality = 3;
    memset(lf.lfFaceName, 'Q', sizeof lf.lfFaceName); // no terminator: read no further
    HFONT indirect = CreateFontIndirect(&lf);
    EXPECT_EQ(indirect->platformFont.get(), bold.text());
    EXPECT_EQ(indirect->fontQuality, 3);
    EXPECT_FLOAT_EQ(indirect->fontRotation, 90.0f);
    DeleteObject(indirect);
}

TEST(TextMetrics, ComeFromTheSelectedFontOrTheLabelFont) {
    Surface s(4, 4);
    TEXTMETRIC tm;
    // The label font at 10: ascent 9.28, descent 2.36, no leading; the average width is taken
    // before the height gains its 1.
    ASSERT_EQ(GetTextMetrics(s.dc, &tm), 1);
    EXPECT_EQ((std::array{tm.tmHeight, tm.tmAscent, tm.tmDescent, tm.tmInternalLeading,
                          tm.tmAveCharWidth}),
              (std::array{12, 9, 2, 0, 7}));
    Font mono(20);
    SelectObject(s.dc, mono.f);
    ASSERT_EQ(GetTextMetrics(s.dc, &tm), 1);
    EXPECT_EQ((std::array{tm.tmHeight, tm.tmAscent, tm.tmDescent, tm.tmAveCharWidth}),
              (std::array{23, 18, 4, 14}));
    SelectObject(s.dc, reinterpret_cast<HGDIOBJ>(3));

    EXPECT_EQ(GetTextMetrics(s.dc, nullptr), 0);
    tm = TEXTMETRIC{};
    EXPECT_EQ(GetTextMetrics(nullptr, &tm), 0);
    EXPECT_EQ(tm.tmHeight, 16) << "preset even when the call fails";
}

TEST(DrawTextMeasure, WidthsSumAdvancesAndHeightsCountLines) {
    Surface s(4, 4);
    Font mono(20);
    SelectObject(s.dc, mono.f);
    const int oneLine = kMonoLine20 + 1;

    RECT at{100, 7, 0, 0};
    EXPECT_EQ(WINL_DrawText(s.dc, "0123456789", -1, &at, DT_CALCRECT), oneLine);
    EXPECT_EQ(at.right, 220);
    EXPECT_EQ(at.bottom - at.top, oneLine) << "the result is the rectangle's height";
    EXPECT_EQ(measuredWidth(s.dc, "00000000000000000000"), 241); // 240.82 rounds up

    // A carriage return is dropped; a line feed breaks the line unless single-line.
    RECT two{0, 0, 0, 0};
    EXPECT_EQ(WINL_DrawText(s.dc, "A\r\nB", -1, &two, DT_CALCRECT), 2 * kMonoLine20 + 1);
    EXPECT_EQ(two.right, 12);
    EXPECT_EQ(measuredWidth(s.dc, "A\r\nB", -1, DT_SINGLELINE), measuredWidth(s.dc, "A B"));

    // Ampersands take the next byte literally unless they are ordinary; counts are bytes, never
    // past the terminator; the text stops at 4095 bytes; UTF-8 is decoded.
    const struct {
        const char* text;
        int len, flags, chars;
    } widths[] = {{"A&B", -1, 0, 2}, {"A&B", -1, DT_NOPREFIX, 3}, {"A&&B", -1, 0, 3},
                  {"AB&", -1, 0, 2}, {"ABCDEF", 3, 0, 3},         {"AB", 50, 0, 2},
                  {"AB&C", 3, 0, 2}, {"C\xC2\xB4", -1, 0, 2},     {"\n\nlong line", -1, 0, 9}};
    for (const auto& c : widths)
        EXPECT_EQ(measuredWidth(s.dc, c.text, c.len, c.flags), int(c.chars * 12.041 + 0.5))
            << c.text;
    EXPECT_EQ(measuredWidth(s.dc, std::string(100000, '0').c_str()), 49308); // 4095 x 12.041
}

TEST(DrawTextPlacement, AlignmentFlagsPlaceTheTextBox) {
    Font mono(20);
    const int width = 48, height = kMonoLine20 + 1;
    const struct {
        int flags, x, y;
    } cases[] = {
        {0, 10, 20},
        {DT_RIGHT, 190 - width, 20},
        {DT_CENTER, 10 + 90 - width / 2, 20},
        {DT_CENTER | DT_RIGHT, 190 - width, 20},
        {DT_BOTTOM, 10, 90 - height},
        {DT_VCENTER, 10, 20 + 35 - height / 2},
        {DT_VCENTER | DT_BOTTOM, 10, 90 - height},
    };
    for (const auto& c : cases) {
        Surface s(200, 100);
        SelectObject(s.dc, mono.f);
        // Text and box in one colour: the painted box is exactly the text's box.
        SetTextColor(s.dc, 0xFF0000);
        SetBkColor(s.dc, 0xFF0000);
        SetBkMode(s.dc, OPAQUE);
        RECT r{10, 20, 190, 90};
        EXPECT_EQ(WINL_DrawText(s.dc, "0000", -1, &r, c.flags), height);
        const RECT box = inkBox(s, 0);
        EXPECT_EQ((std::array{box.left, box.top, box.right, box.bottom}),
                  (std::array{c.x, c.y, width, height}))
            << c.flags;
        EXPECT_EQ(s.at(box.left, box.top), word(255, 0, 0));
    }
}

TEST(DrawTextDrawing, InkStaysInsideTheClipInTheTextColour) {
    const uint32_t background = word(10, 20, 30, 0x77);
    const int ink[3] = {250, 130, 10}, under[3] = {10, 20, 30};
    Font mono(20);
    for (int flags : {0, int(DT_NOCLIP)}) {
        Surface s(80, 40, background);
        SelectObject(s.dc, mono.f);
        SetTextColor(s.dc, ink[0] << 16 | ink[1] << 8 | ink[2]);
        RECT r{5, 5, 60, 20}; // cuts the text at its right and its bottom
        WINL_DrawText(s.dc, "MMMMMMMM", -1, &r, flags);
        int full = 0, partial = 0, outside = 0;
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) {
                const uint32_t p = s.at(x, y);
                if (p == background) continue;
                outside += x < 5 || x >= 60 || y < 5 || y >= 20;
                ASSERT_EQ(p & 0xFF, 0x77u) << "the unused byte stays";
                // Every drawn pixel is the background moved toward the ink by one coverage.
                const int c = (int(p >> 8 & 0xFF) - under[0]) * 255 / (ink[0] - under[0]);
                for (int i = 0; i < 3; ++i)
                    ASSERT_NEAR(int(p >> (8 * i + 8) & 0xFF),
                                under[i] + (ink[i] - under[i]) * c / 255, 2);
                (p == word(ink[0], ink[1], ink[2], 0x77) ? full : partial)++;
            }
        EXPECT_GT(full, 20);
        EXPECT_GT(partial, 0);
        EXPECT_EQ(outside > 0, flags == DT_NOCLIP);
    }
}

TEST(DrawTextDrawing, OnlyOpaqueModePaintsBoxes) {
    Font mono(20);
    Surface s(100, 60);
    SelectObject(s.dc, mono.f);
    SetBkColor(s.dc, 0x00FF00);
    SetTextColor(s.dc, 0x00FF00);
    RECT r{0, 0, 100, 60};
    WINL_DrawText(s.dc, "  ", -1, &r, 0);
    EXPECT_EQ(inkBox(s, 0).right, 0) << "transparent mode paints no box";

    // Lines are boxed one by one: unrounded widths, lines a rounded height (23.28) apart.
    SetBkMode(s.dc, OPAQUE);
    WINL_DrawText(s.dc, "00\n0000", -1, &r, 0);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool painted = (y < 23 && x < 24) || (y >= 23 && y < 46 && x < 48);
            ASSERT_EQ(s.at(x, y), painted ? word(0, 255, 0) : 0) << x << ", " << y;
        }
}

TEST(DrawTextDrawing, QualityThreeDrawsWithoutAntialiasing) {
    for (char quality : {3, 4}) {
        Font f(16, "DejaVu Sans", 400, 0, quality);
        Surface s(120, 30);
        SelectObject(s.dc, f.f);
        SetTextColor(s.dc, 0xFFFFFF);
        RECT r{0, 0, 120, 30};
        WINL_DrawText(s.dc, "Resonance", -1, &r, 0);
        EXPECT_EQ(std::any_of(s.px, s.px + s.w * s.h,
                              [](uint32_t p) { return p != 0 && p != word(255, 255, 255); }),
                  quality == 4);
        EXPECT_TRUE(s.dc->gc->ShouldAntialias()) << "the switch is restored";
    }
}

TEST(DrawTextDrawing, BadInputDrawsNothingAndNeverOverflows) {
    Surface s(64, 64);
    Font mono(20);
    SelectObject(s.dc, mono.f);
    SetTextColor(s.dc, 0xFFFFFF);
    const char* nothing[] = {
        "", "\r\r", "&", "A\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"};
    for (const char* text : nothing) {
        RECT r{1, 2, 3, 4};
        EXPECT_EQ(WINL_DrawText(s.dc, text, -1, &r, DT_CALCRECT), 0) << text;
        EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}), (std::array{1, 2, 3, 4}));
    }
    RECT r{0, 0, 64, 64};
    HDC gone = WINL_CreateMemContext(nullptr, 2, 2);
    WINL_DeleteGfxContext(gone);
    EXPECT_EQ(WINL_DrawText(s.dc, "abc", 0, &r, 0), 0);
    EXPECT_EQ(WINL_DrawText(nullptr, "A", -1, &r, 0), 0);
    EXPECT_EQ(WINL_DrawText(gone, "A", -1, &r, 0), 0);
    EXPECT_EQ(WINL_DrawText(s.dc, nullptr, -1, &r, 0), 0);
    EXPECT_EQ(WINL_DrawText(s.dc, "A", -1, nullptr, 0), 0);
    EXPECT_EQ(inkBox(s, 0).right, 0);

    // Rectangles at the ends of the int range.
    for (int flags : {0, DT_CENTER | DT_VCENTER, DT_RIGHT | DT_BOTTOM, int(DT_NOCLIP)}) {
        RECT all{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
            edge{INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX};
        EXPECT_EQ(WINL_DrawText(s.dc, "far", -1, &all, flags), kMonoLine20 + 1);
        WINL_DrawText(s.dc, "far", -1, &edge, flags);
    }
    RECT calc{INT_MAX - 5, INT_MAX - 5, 0, 0};
    WINL_DrawText(s.dc, "far", -1, &calc, DT_CALCRECT);
    EXPECT_EQ(calc.right, INT_MAX);

    // The largest font draws a glyph far larger than the context, cut to it.
    Font giant(8192, "DejaVu Sans");
    Surface fresh(64, 64);
    SelectObject(fresh.dc, giant.f);
    SetTextColor(fresh.dc, 0xFFFFFF);
    RECT big{-3000, -5000, 64, 64};
    EXPECT_GT(WINL_DrawText(fresh.dc, "W", -1, &big, 0), 8192);
    EXPECT_NE(inkBox(fresh, 0).right, 0);
}

TEST(DrawTextGolden, LinesAtTwoSizes) {
    Surface s(360, 84, word(255, 255, 255));
    const struct {
        const char* face;
        int size, weight;
        const char* text;
    } lines[] = {
        {"NK57 Monospace", 12, 400, "Cutoff 127  Octave 8\xC2\xB4 C\xC2\xB4"},
        {"Lucida Grande", 12, 400, "Filter 1 && 2: Low-pass 24 dB"},
        {"NK57 Monospace", 20, 400, "Arp Pattern 16"},
        {"Lucida Grande", 20, 700, "Zoz Editor (bold)"},
    };
    int top = 2;
    for (const auto& line : lines) {
        Font f(line.size, line.face, line.weight);
        SelectObject(s.dc, f.f);
        RECT r{4, top, 356, 84};
        top += WINL_DrawText(s.dc, line.text, -1, &r, 0);
        SelectObject(s.dc, reinterpret_cast<HGDIOBJ>(3));
    }
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_winl/golden/text_lines.png", s.px, s.w, s.h,
                                           s.w, 16, s.w * s.h / 200));
}
