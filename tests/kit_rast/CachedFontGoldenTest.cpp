#include "kit/rast/RAST_CachedFont.h"
#include "kit/winl/winl-gdi-text.h"
#include "tests/kit_rast/GuardedBitmap.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <memory>

// The cached font's renderers (plain, monochrome, shadow, outline, both vertical directions)
// as a picture a person has looked at; exact checks live beside the other cached-font tests.
TEST(CachedFontText, LooksAsItShould) {
    GuardedBitmap b(300, 150, false, P(30, 30, 40, 255));
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
        {13,
         RAST_FONT_MONO,
         "DejaVu Sans",
         P(255, 255, 255, 255),
         "Monochrome & sharp",
         {6, 24, 230, 150},
         0},
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
        RAST_CachedFont f;
        f.SetFromHFont(CreateFont(line.size, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 4, 0, line.face),
                       line.flags | RAST_FONT_OWNS_HFONT);
        f.SetTextColor(line.colour);
        f.SetEffectColor(P(200, 60, 60, 255));
        RECT r = line.r;
        f.DrawText(&b, line.text, -1, &r, line.dtFlags);
    }
    EXPECT_TRUE(b.guardsIntact());
    const std::vector<RAST_pixel> pic = b.picture();
    EXPECT_TRUE(testsupport::MatchesGolden("tests/kit_rast/golden/cached_font.png", pic.data(), 300,
                                           150, 300, 16, 300 * 150 / 200));
}
