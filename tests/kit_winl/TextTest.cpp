#include "kit/winl/winl-gdi-text.h"
#include "platform/text/FontResolver.h"
#include "platform/text/TextFont.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

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
int channel(uint32_t p, int i) {
    return int(p >> (8 * i)) & 0xFF;
}

RECT measure(HDC dc, const char* text, int len = -1, int flags = 0) {
    RECT r{0, 0, 0, 0};
    WINL_DrawText(dc, text, len, &r, flags | DT_CALCRECT);
    return r;
}

// The smallest box holding every pixel that differs from `background`, as left, top, width,
// height; all zero when none does.
RECT inkBox(const Surface& s, uint32_t background) {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = -1, y1 = -1;
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            if (s.at(x, y) != background) {
                x0 = std::min(x0, x), y0 = std::min(y0, y);
                x1 = std::max(x1, x), y1 = std::max(y1, y);
            }
    if (x1 < 0) return {0, 0, 0, 0};
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

std::string fileName(const std::string& face) {
    platform::FontLocation where;
    platform::ResolveFontName(face, &where);
    return std::filesystem::path(where.file).filename().string();
}

// DejaVu Sans Mono at 20 pixels: every character advances 1233/2048 em, and a line takes
// (1901 + 483)/2048 em.
constexpr double kMonoAdvance20 = 1233.0 * 20 / 2048;
constexpr int kMonoLine20 = 24; // floor(23.28 + 1.5)

} // namespace

TEST(CreateFont, SizeFollowsHeightOrWidthWithinLimits) {
    Font twelve(12), minusTwelve(-12);
    EXPECT_EQ(twelve.text()->Size(), 12);
    EXPECT_EQ(minusTwelve.text(), twelve.text()); // the same face at the same size is shared
    const struct {
        int height, width;
        float size;
    } cases[] = {{0, 0, 10},   {9000, 0, 10},   {1, 0, 10},       {-1, 0, 10}, {0, 14, 14},
                 {0, -14, 14}, {8192, 0, 8192}, {INT_MIN, 0, 10}, {2, 99, 2}};
    for (const auto& c : cases) {
        HFONT f = CreateFont(c.height, c.width, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
        EXPECT_EQ(f->platformFont->Size(), c.size) << c.height << ", " << c.width;
        DeleteObject(f);
    }
}

TEST(CreateFont, FacesResolveThroughTheirNamesWithFallbacks) {
    EXPECT_EQ(fileName("NK57 Monospace"), "DejaVuSansMono.ttf");
    EXPECT_EQ(fileName("Monaco"), "DejaVuSansMono.ttf");
    EXPECT_EQ(fileName("Consolas"), "DejaVuSansMono.ttf");
    EXPECT_EQ(fileName("Lucida Grande"), "DejaVuSans.ttf");
    EXPECT_EQ(fileName("DejaVu Sans Bold"), "DejaVuSans-Bold.ttf");
    EXPECT_EQ(fileName("DejaVu Sans Italic"), "DejaVuSans-Oblique.ttf");
    EXPECT_EQ(fileName("Monaco Bold Italic"), "DejaVuSansMono-BoldOblique.ttf");
    EXPECT_EQ(fileName(" Bold"), "DejaVuSans-Bold.ttf");

    // Weight and italic compose the name that is resolved.
    Font monacoBoldItalic(12, "Monaco", 700, 1), monoBoldItalic(12, "DejaVu Sans Mono Bold Italic");
    EXPECT_EQ(monacoBoldItalic.text(), monoBoldItalic.text());
    Font weight699(12, "DejaVu Sans", 699), plain(12, "DejaVu Sans"), bold(12, "DejaVu Sans Bold");
    EXPECT_EQ(weight699.text(), plain.text());
    EXPECT_NE(weight699.text(), bold.text());
    Font weight700(12, "DejaVu Sans", 700);
    EXPECT_EQ(weight700.text(), bold.text());

    // No name at all gives the label font of the requested size.
    Font unnamed(12, nullptr), empty(12, "");
    EXPECT_EQ(unnamed.text(), plain.text());
    EXPECT_EQ(empty.text(), plain.text());
    std::string longName(5000, 'x');
    Font tooLong(12, longName.c_str());
    EXPECT_EQ(tooLong.text(), plain.text());
}

TEST(CreateFont, RotationQualityAndTheIndirectRecord) {
    for (auto [quality, code] :
         {std::pair{0, 0}, {1, 0}, {2, 0}, {3, 3}, {4, 4}, {5, 0}, {-1, 0}}) {
        Font f(12, "DejaVu Sans", 400, 0, char(quality));
        EXPECT_EQ(f.f->fontQuality, code) << quality;
        EXPECT_EQ(f.f->type, WINL_OBJ_FONT);
    }
    HFONT rotated = CreateFont(12, 0, 0, 900, 400, 0, 0, 0, 0, 0, 0, 0, 0, "DejaVu Sans");
    EXPECT_FLOAT_EQ(rotated->fontRotation, 90.0f);
    DeleteObject(rotated);

    LOGFONT lf{};
    lf.lfHeight = -20;
    lf.lfWeight = 700;
    lf.lfQuality = 3;
    memset(lf.lfFaceName, 'Q', sizeof lf.lfFaceName); // no terminator: read no further
    HFONT indirect = CreateFontIndirect(&lf);
    Font expected(20, "DejaVu Sans Bold");
    EXPECT_EQ(indirect->platformFont.get(), expected.text());
    EXPECT_EQ(indirect->fontQuality, 3);
    DeleteObject(indirect);
    EXPECT_EQ(CreateFontIndirect(nullptr), nullptr);
}

TEST(TextAttributes, ColoursAndModesBelongToLiveContexts) {
    Surface s(4, 4);
    EXPECT_EQ(GetTextColor(s.dc), 0);
    SetTextColor(s.dc, 0x123456);
    EXPECT_EQ(GetTextColor(s.dc), 0x123456);
    EXPECT_FLOAT_EQ(s.dc->textColorRef->red, 0x12 / 255.0f);
    SetBkColor(s.dc, 0xABCDEF);
    SetBkMode(s.dc, OPAQUE);
    EXPECT_EQ(s.dc->bkColor, 0xABCDEF);
    EXPECT_EQ(s.dc->bkMode, OPAQUE);

    EXPECT_EQ(GetTextColor(nullptr), -1);
    SetTextColor(nullptr, 1);
    SetBkColor(nullptr, 1);
    SetBkMode(nullptr, 1);
}

TEST(TextMetrics, ComeFromTheSelectedFontOrTheLabelFont) {
    Surface s(4, 4);
    TEXTMETRIC tm;
    ASSERT_EQ(GetTextMetrics(s.dc, &tm), 1);
    // The label font at 10: ascent 9.28, descent 2.36, no leading.
    EXPECT_EQ(tm.tmAscent, 9);
    EXPECT_EQ(tm.tmDescent, 2);
    EXPECT_EQ(tm.tmInternalLeading, 0);
    EXPECT_EQ(tm.tmAveCharWidth, 7); // 2 x 11 / 3, taken before the height gains its 1
    EXPECT_EQ(tm.tmHeight, 12);

    Font mono(20);
    SelectObject(s.dc, mono.f);
    ASSERT_EQ(GetTextMetrics(s.dc, &tm), 1);
    EXPECT_EQ(tm.tmAscent, 18);
    EXPECT_EQ(tm.tmDescent, 4);
    EXPECT_EQ(tm.tmAveCharWidth, 14);
    EXPECT_EQ(tm.tmHeight, 23);
    SelectObject(s.dc, reinterpret_cast<HGDIOBJ>(3));

    EXPECT_EQ(GetTextMetrics(s.dc, nullptr), 0);
    tm = TEXTMETRIC{};
    EXPECT_EQ(GetTextMetrics(nullptr, &tm), 0);
    EXPECT_EQ(tm.tmHeight, 16); // preset even when the call fails
    EXPECT_EQ(tm.tmAveCharWidth, 10);
}

TEST(DrawTextMeasure, WidthsAreSumsOfAdvancesAndHeightsCountLines) {
    Surface s(4, 4);
    Font mono(20);
    SelectObject(s.dc, mono.f);
    const int oneLine = kMonoLine20 + 1;

    RECT r = measure(s.dc, "0123456789");
    EXPECT_EQ(r.right, int(10 * kMonoAdvance20 + 0.5)); // 120
    EXPECT_EQ(r.bottom, oneLine);
    EXPECT_EQ(measure(s.dc, "00000000000000000000").right, 241); // 240.82 rounds up

    RECT at{100, 7, 0, 0};
    EXPECT_EQ(WINL_DrawText(s.dc, "0123456789", -1, &at, DT_CALCRECT), oneLine);
    EXPECT_EQ(at.right, 220);
    EXPECT_EQ(at.bottom - at.top, oneLine); // the result is the rectangle's height

    // A carriage return is dropped; a line feed breaks the line unless single-line.
    r = measure(s.dc, "A\r\nB");
    EXPECT_EQ(r.bottom, 2 * kMonoLine20 + 1);
    EXPECT_EQ(r.right, 12);
    r = measure(s.dc, "A\r\nB", -1, DT_SINGLELINE);
    EXPECT_EQ(r.bottom, oneLine);
    EXPECT_EQ(r.right, measure(s.dc, "A B").right);
    EXPECT_EQ(measure(s.dc, "\n\nlong line").bottom, 3 * kMonoLine20 + 1);
    EXPECT_EQ(measure(s.dc, "\n\nlong line").right, 108);

    // Ampersands take the next byte literally unless they are ordinary characters.
    const int two = measure(s.dc, "AB").right, three = measure(s.dc, "A_B").right;
    EXPECT_EQ(measure(s.dc, "A&B").right, two);
    EXPECT_EQ(measure(s.dc, "A&B", -1, DT_NOPREFIX).right, three);
    EXPECT_EQ(measure(s.dc, "A&&B").right, three);
    EXPECT_EQ(measure(s.dc, "AB&").right, two);

    // Counts: bytes read, never past the terminator; the text stops at 4095 bytes.
    EXPECT_EQ(measure(s.dc, "ABCDEF", 3).right, three);
    EXPECT_EQ(measure(s.dc, "AB", 50).right, two);
    EXPECT_EQ(measure(s.dc, "AB&C", 3).right, two);
    const std::string huge(100000, '0');
    EXPECT_EQ(measure(s.dc, huge.c_str()).right, int(4095 * kMonoAdvance20 + 0.5));

    // UTF-8: the octave mark is one character.
    EXPECT_EQ(measure(s.dc, "C\xC2\xB4").right, two);
}

TEST(DrawTextMeasure, NothingToDrawReturnsZeroAndLeavesTheRectangle) {
    Surface s(4, 4);
    const struct {
        const char* text;
        int len;
    } cases[] = {{"", -1},      {"abc", 0},       {"\r\r", -1},         {"&", -1},
                 {"A\xC3", -1}, {"\xC0\x80", -1}, {"\xED\xA0\x80", -1}, {"\xF4\x90\x80\x80", -1}};
    for (const auto& c : cases) {
        RECT r{1, 2, 3, 4};
        EXPECT_EQ(WINL_DrawText(s.dc, c.text, c.len, &r, DT_CALCRECT), 0) << c.text;
        EXPECT_EQ(r.left, 1);
        EXPECT_EQ(r.top, 2);
        EXPECT_EQ(r.right, 3);
        EXPECT_EQ(r.bottom, 4);
    }
    RECT r{0, 0, 4, 4};
    EXPECT_EQ(WINL_DrawText(nullptr, "A", -1, &r, 0), 0);
    EXPECT_EQ(WINL_DrawText(s.dc, nullptr, -1, &r, 0), 0);
    EXPECT_EQ(WINL_DrawText(s.dc, "A", -1, nullptr, 0), 0);
    HDC gone = WINL_CreateMemContext(nullptr, 2, 2);
    WINL_DeleteGfxContext(gone);
    EXPECT_EQ(WINL_DrawText(gone, "A", -1, &r, 0), 0);
}

TEST(DrawTextPlacement, AlignmentFlagsPlaceTheTextBox) {
    Font mono(20);
    const int width = 48, height = kMonoLine20 + 1;
    const RECT area{10, 20, 190, 90};
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
        {DT_CENTER | DT_VCENTER, 10 + 90 - width / 2, 20 + 35 - height / 2},
    };
    for (const auto& c : cases) {
        Surface s(200, 100);
        SelectObject(s.dc, mono.f);
        // Text and box in one colour: the painted box is exactly the text's box.
        SetTextColor(s.dc, 0xFF0000);
        SetBkColor(s.dc, 0xFF0000);
        SetBkMode(s.dc, OPAQUE);
        RECT r = area;
        EXPECT_EQ(WINL_DrawText(s.dc, "0000", -1, &r, c.flags), height);
        const RECT box = inkBox(s, 0);
        EXPECT_EQ(box.left, c.x) << c.flags;
        EXPECT_EQ(box.top, c.y) << c.flags;
        EXPECT_EQ(box.right, width) << c.flags;
        EXPECT_EQ(box.bottom, height) << c.flags;
        EXPECT_EQ(s.at(box.left, box.top), word(255, 0, 0));
    }
}

TEST(DrawTextDrawing, InkStaysInsideTheClipInTheTextColour) {
    const uint32_t background = word(10, 20, 30, 0x77);
    const int ink[3] = {250, 130, 10};
    Font mono(20);
    Surface s(80, 40, background);
    SelectObject(s.dc, mono.f);
    SetTextColor(s.dc, ink[0] << 16 | ink[1] << 8 | ink[2]);
    RECT r{5, 5, 60, 20}; // cuts the text at its right and its bottom
    WINL_DrawText(s.dc, "MMMMMMMM", -1, &r, 0);

    int full = 0, partial = 0;
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x) {
            const uint32_t p = s.at(x, y);
            if (x < 5 || x >= 60 || y < 5 || y >= 20) {
                ASSERT_EQ(p, background) << x << ", " << y;
                continue;
            }
            ASSERT_EQ(channel(p, 0), 0x77) << "the unused byte stays";
            if (p == background) continue;
            // Every drawn pixel is the background moved toward the ink by one coverage.
            const int d[3] = {10, 20, 30};
            const int c = (channel(p, 1) - d[0]) * 255 / (ink[0] - d[0]);
            for (int i = 0; i < 3; ++i)
                EXPECT_NEAR(channel(p, i + 1), d[i] + (ink[i] - d[i]) * c / 255, 2)
                    << x << ", " << y;
            (p == word(ink[0], ink[1], ink[2], 0x77) ? full : partial)++;
        }
    EXPECT_GT(full, 20);
    EXPECT_GT(partial, 0);

    // Without clipping the same call reaches past the rectangle.
    Surface unclipped(80, 40, background);
    SelectObject(unclipped.dc, mono.f);
    WINL_DrawText(unclipped.dc, "MMMMMMMM", -1, &r, DT_NOCLIP);
    const RECT box = inkBox(unclipped, background);
    EXPECT_GT(box.left + box.right, 60);
    EXPECT_GT(box.top + box.bottom, 20);
}

TEST(DrawTextDrawing, OnlyOpaqueModePaintsTheBackground) {
    Font mono(20);
    Surface s(100, 60);
    SelectObject(s.dc, mono.f);
    SetBkColor(s.dc, 0x00FF00);
    RECT r{0, 0, 100, 60};
    WINL_DrawText(s.dc, "  ", -1, &r, 0);
    EXPECT_EQ(inkBox(s, 0).right, 0) << "transparent mode paints no box";

    SetBkMode(s.dc, OPAQUE);
    WINL_DrawText(s.dc, "  ", -1, &r, 0);
    const RECT box = inkBox(s, 0);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 24);
    EXPECT_EQ(box.bottom, kMonoLine20 + 1);
    EXPECT_EQ(s.at(23, 24), word(0, 255, 0));

    // Lines of several are boxed one by one: unrounded widths, lines a rounded height apart.
    Surface lines(100, 60);
    SelectObject(lines.dc, mono.f);
    SetBkColor(lines.dc, 0x00FF00);
    SetTextColor(lines.dc, 0x00FF00);
    SetBkMode(lines.dc, OPAQUE);
    WINL_DrawText(lines.dc, "00\n0000", -1, &r, 0);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool painted = (y < 23 && x < 24) || (y >= 23 && y < 46 && x < 48);
            ASSERT_EQ(lines.at(x, y), painted ? word(0, 255, 0) : 0) << x << ", " << y;
        }
}

TEST(DrawTextDrawing, QualityCodesSwitchAntialiasing) {
    for (auto [quality, antialiased] : {std::pair{0, true}, {3, false}, {4, true}}) {
        Font f(16, "DejaVu Sans", 400, 0, char(quality));
        Surface s(120, 30);
        SelectObject(s.dc, f.f);
        SetTextColor(s.dc, 0xFFFFFF);
        RECT r{0, 0, 120, 30};
        WINL_DrawText(s.dc, "Resonance", -1, &r, 0);
        int grey = 0, white = 0;
        for (int i = 0; i < s.w * s.h; ++i) {
            grey += s.px[i] != 0 && s.px[i] != word(255, 255, 255);
            white += s.px[i] == word(255, 255, 255);
        }
        EXPECT_GT(white, 0) << quality;
        EXPECT_EQ(grey > 0, antialiased) << quality;
        EXPECT_TRUE(s.dc->gc->ShouldAntialias()) << "the switch is restored";
    }
}

TEST(DrawTextDrawing, HostileSizesAndPositionsAreSafe) {
    Font mono(20);
    Surface s(64, 64);
    SelectObject(s.dc, mono.f);
    SetTextColor(s.dc, 0xFFFFFF);
    for (int flags : {0, DT_CENTER | DT_VCENTER, DT_RIGHT | DT_BOTTOM, int(DT_NOCLIP)}) {
        RECT r{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
        EXPECT_EQ(WINL_DrawText(s.dc, "far", -1, &r, flags), kMonoLine20 + 1);
        RECT edge{INT_MAX - 5, INT_MAX - 5, INT_MAX, INT_MAX};
        WINL_DrawText(s.dc, "far", -1, &edge, flags);
    }
    RECT r{INT_MAX - 5, INT_MAX - 5, 0, 0};
    WINL_DrawText(s.dc, "far", -1, &r, DT_CALCRECT);
    EXPECT_EQ(r.right, INT_MAX);
    EXPECT_EQ(r.bottom, INT_MAX);

    // The largest font draws a glyph far larger than the context, cut to it.
    Font giant(8192, "DejaVu Sans");
    SelectObject(s.dc, giant.f);
    RECT all{-3000, -5000, 64, 64};
    EXPECT_GT(WINL_DrawText(s.dc, "W", -1, &all, 0), 8192);
    EXPECT_NE(inkBox(s, 0).right, 0);
}

TEST(DrawTextGolden, LinesAtTwoSizes) {
    Surface s(360, 84, word(255, 255, 255));
    struct Line {
        const char* face;
        int size, weight;
        const char* text;
    };
    const Line lines[] = {
        {"NK57 Monospace", 12, 400, "Cutoff 127  Octave 8\xC2\xB4 C\xC2\xB4"},
        {"Lucida Grande", 12, 400, "Filter 1 && 2: Low-pass 24 dB"},
        {"NK57 Monospace", 20, 400, "Arp Pattern 16"},
        {"Lucida Grande", 20, 700, "Zoz Editor (bold)"},
    };
    int top = 2;
    for (const Line& line : lines) {
        Font f(line.size, line.face, line.weight);
        SelectObject(s.dc, f.f);
        RECT r{4, top, 356, 84};
        top += WINL_DrawText(s.dc, line.text, -1, &r, 0);
        SelectObject(s.dc, reinterpret_cast<HGDIOBJ>(3));
    }
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_winl/golden/text_lines.png", s.px, s.w, s.h,
                                           s.w, 16, s.w * s.h / 200));
}
