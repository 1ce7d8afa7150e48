#include "kit/winl/winl-gdi-text.h"
#include "platform/text/TextFont.h"
#include "tests/kit_winl/TestSurface.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <memory>
#include <string>

using winltest::Surface;

namespace {

HFONT font(int size, const char* face = "DejaVu Sans Mono", int weight = 400, char italic = 0,
           char quality = 0) {
    return CreateFont(size, 0, 0, 0, weight, italic, 0, 0, 0, 0, 0, quality, 0, face);
}

// The shared font a font object draws with.
std::shared_ptr<platform::TextFont> opened(const char* face, int weight = 400, char italic = 0,
                                           int height = 12, int width = 0) {
    HFONT f = CreateFont(height, width, 0, 0, weight, italic, 0, 0, 0, 0, 0, 0, 0, face);
    std::shared_ptr<platform::TextFont> text = f->platformFont;
    DeleteObject(f);
    return text;
}

// A canvas pixel: the unused byte, then red, green and blue in memory order.
uint32_t word(int r, int g, int b, int unused = 0) {
    return uint32_t(unused) | uint32_t(r) << 8 | uint32_t(g) << 16 | uint32_t(b) << 24;
}

int measuredWidth(HDC dc, const char* text, int len = -1, int flags = 0) {
    RECT r{0, 0, 0, 0};
    WINL_DrawText(dc, text, len, &r, flags | DT_CALCRECT);
    return r.right;
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
    for (const auto& c : sizes)
        EXPECT_EQ(opened("DejaVu Sans", 400, 0, c.height, c.width)->Size(), c.size)
            << c.height << ", " << c.width;

    // Weight and italic compose the name; a face at a size is one shared font.
    EXPECT_EQ(opened("Monaco", 700, 1), opened("DejaVu Sans Mono Bold Italic"));
    EXPECT_NE(opened("Monaco", 700, 1), opened("Monaco", 700));
    EXPECT_EQ(opened("DejaVu Sans", 699), opened("DejaVu Sans"));
    EXPECT_EQ(opened("DejaVu Sans", 700), opened("DejaVu Sans Bold"));
    EXPECT_NE(opened("DejaVu Sans", 700), opened("DejaVu Sans"));
    EXPECT_EQ(opened(nullptr), opened("DejaVu Sans")) << "no name: the label font";
    EXPECT_EQ(opened(std::string(5000, 'x').c_str()), opened("DejaVu Sans"));

    LOGFONT lf{};
    lf.lfHeight = -12;
    lf.lfWeight = 700;
    lf.lfQuality = 3;
    memset(lf.lfFaceName, 'Q', sizeof lf.lfFaceName); // no terminator: read no further
    HFONT indirect = CreateFontIndirect(&lf);
    EXPECT_EQ(indirect->platformFont, opened("DejaVu Sans Bold"));
    EXPECT_EQ(indirect->fontQuality, 3);
    DeleteObject(indirect);
}

TEST(DrawTextMeasure, MetricsWidthsAndHeights) {
    Surface s(4, 4);
    TEXTMETRIC tm;
    const auto fields = [&] {
        EXPECT_EQ(GetTextMetrics(s.dc, &tm), 1);
        return std::array{tm.tmHeight, tm.tmAscent, tm.tmDescent, tm.tmInternalLeading,
                          tm.tmAveCharWidth};
    };
    // The label font at 10: ascent 9.28, descent 2.36, no leading; the average width is taken
    // before the height gains its 1.
    EXPECT_EQ(fields(), (std::array{12, 9, 2, 0, 7}));
    s.select(font(20));
    EXPECT_EQ(fields(), (std::array{23, 18, 4, 0, 14}));

    RECT at{100, 7, 0, 0};
    EXPECT_EQ(WINL_DrawText(s.dc, "0123456789", -1, &at, DT_CALCRECT), kMonoLine20 + 1);
    EXPECT_EQ(std::pair(at.right, at.bottom), std::pair(220, 7 + kMonoLine20 + 1));
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
        s.select(font(20));
        // Text and box in one colour: the painted box is exactly the text's box.
        SetTextColor(s.dc, 0xFF0000);
        SetBkColor(s.dc, 0xFF0000);
        SetBkMode(s.dc, OPAQUE);
        RECT r{10, 20, 190, 90};
        EXPECT_EQ(WINL_DrawText(s.dc, "0000", -1, &r, c.flags), height);
        const winltest::Pixels box = winltest::block(c.x, c.y, c.x + width - 1, c.y + height - 1);
        EXPECT_EQ(s.where(), box) << c.flags;
        EXPECT_EQ(s.where(word(255, 0, 0)), box);
    }
}

TEST(DrawTextDrawing, InkStaysInsideTheClipInTheTextColourAntialiasedUnlessQualityThree) {
    const uint32_t background = word(10, 20, 30, 0x77), ink = word(250, 130, 10, 0x77);
    for (auto [flags, quality] : {std::pair{0, 0}, {int(DT_NOCLIP), 4}, {0, 3}}) {
        Surface s(80, 40, background);
        s.select(font(20, "DejaVu Sans Mono", 400, 0, char(quality)));
        SetTextColor(s.dc, 0xFA820A);
        RECT r{5, 5, 60, 20}; // cuts the text at its right and its bottom
        WINL_DrawText(s.dc, "MMMMMMMM", -1, &r, flags);
        int full = 0, partial = 0, outside = 0;
        for (const auto& [x, y] : s.where()) {
            const uint32_t p = s.at(x, y);
            if (p == background) continue;
            ASSERT_EQ(p & 0xFF, 0x77u) << "the unused byte stays";
            outside += x < 5 || x >= 60 || y < 5 || y >= 20;
            (p == ink ? full : partial)++;
        }
        EXPECT_GT(full, 20);
        EXPECT_EQ(partial > 0, quality != 3);
        EXPECT_EQ(outside > 0, flags == DT_NOCLIP);
        EXPECT_TRUE(s.dc->gc->ShouldAntialias()) << "the switch is restored";
    }
}

TEST(DrawTextDrawing, OnlyOpaqueModePaintsBoxesOneALine) {
    Surface s(100, 60);
    s.select(font(20));
    SetBkColor(s.dc, 0x00FF00);
    SetTextColor(s.dc, 0x00FF00);
    RECT r{0, 0, 100, 60};
    WINL_DrawText(s.dc, "  ", -1, &r, 0);
    EXPECT_TRUE(s.where().empty()) << "transparent mode paints no box";

    // Unrounded widths, lines a rounded height (23.28) apart.
    SetBkMode(s.dc, OPAQUE);
    WINL_DrawText(s.dc, "00\n0000", -1, &r, 0);
    winltest::Pixels boxes = winltest::block(0, 0, 23, 22);
    boxes.merge(winltest::block(0, 23, 47, 45));
    EXPECT_EQ(s.where(), boxes);
    EXPECT_EQ(s.where(word(0, 255, 0)), boxes);
}

TEST(DrawTextDrawing, BadInputDrawsNothingAndNeverOverflows) {
    Surface s(64, 64), giant(64, 64);
    s.select(font(20));
    SetTextColor(s.dc, 0xFFFFFF);
    for (const char* text :
         {"", "\r\r", "&", "A\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        RECT r{1, 2, 3, 4};
        EXPECT_EQ(WINL_DrawText(s.dc, text, -1, &r, DT_CALCRECT), 0) << text;
        EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}), (std::array{1, 2, 3, 4}));
    }
    RECT r{0, 0, 64, 64};
    HDC gone = WINL_CreateMemContext(nullptr, 2, 2);
    WINL_DeleteGfxContext(gone);
    EXPECT_EQ(WINL_DrawText(s.dc, "abc", 0, &r, 0) + WINL_DrawText(nullptr, "A", -1, &r, 0) +
                  WINL_DrawText(gone, "A", -1, &r, 0) + WINL_DrawText(s.dc, nullptr, -1, &r, 0) +
                  WINL_DrawText(s.dc, "A", -1, nullptr, 0),
              0);
    EXPECT_TRUE(s.where().empty());

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
    giant.select(font(8192, "DejaVu Sans"));
    SetTextColor(giant.dc, 0xFFFFFF);
    RECT big{-3000, -5000, 64, 64};
    EXPECT_GT(WINL_DrawText(giant.dc, "W", -1, &big, 0), 8192);
    EXPECT_FALSE(giant.where().empty());
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
        s.select(font(line.size, line.face, line.weight));
        RECT r{4, top, 356, 84};
        top += WINL_DrawText(s.dc, line.text, -1, &r, 0);
    }
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_winl/golden/text_lines.png", &s.at(0, 0), s.w,
                                           s.h, s.w, 16, s.w * s.h / 200));
}
