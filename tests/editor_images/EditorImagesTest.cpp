#include "tests/editor_images/EditorImages.h"
#include "tools/render-images/ImageSet.h"
#include "tools/render-images/Looks.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>

using namespace editorimages;

namespace {

// Frame k of an image (0-based) as x, y, w, h.
struct Frame {
    int x, y, w, h;
};
Frame FrameOf(RAST_IBitmap* b, int frames, bool sideBySide, int k) {
    const int w = sideBySide ? b->getWidth() / frames : b->getWidth();
    const int h = sideBySide ? b->getHeight() : b->getHeight() / frames;
    return {sideBySide ? k * w : 0, sideBySide ? 0 : k * h, w, h};
}

// Pixels of two frames that differ by at least `by` in some channel.
int Differing(RAST_IBitmap* b, Frame f, Frame g, int by) {
    int n = 0;
    for (int y = 0; y < f.h; ++y)
        for (int x = 0; x < f.w; ++x)
            n += Distance(At(b, f.x + x, f.y + y), At(b, g.x + x, g.y + y)) >= by;
    return n;
}

} // namespace

TEST(EditorImagesSet, EveryRowOfEverySchemeResolvesToOneOfExactly222Files) {
    std::set<std::string> files;
    EachRow([&](const std::string& name, const std::string& file) {
        EXPECT_TRUE(Image(file)) << name << ": " << file;
        files.insert(file);
    });
    EXPECT_EQ(files.size(), 222u);
    size_t onDisk = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ZOZ_IMAGES))
        onDisk += entry.is_regular_file();
    EXPECT_EQ(onDisk, 222u);
}

TEST(EditorImagesGeometry, EachFileIsItsArtFrameTimesItsFramesAndButtons) {
    EachRow([&](const std::string& name, const std::string& file) {
        const ArtImage& frame = Art().images.at(name);
        const bool sideBySide = ImageTableByName().at(name).horizontal;
        const auto radio = Art().radios.find(name);
        const int buttons = radio == Art().radios.end() ? 1 : int(radio->second.labels.size());
        RAST_IBitmap* b = Image(file);
        ASSERT_TRUE(b) << file;
        EXPECT_EQ(b->getWidth(), frame.w * (sideBySide ? frame.frames : buttons)) << file;
        EXPECT_EQ(b->getHeight(), frame.h * (sideBySide ? buttons : frame.frames)) << file;
    });
    // Radio rows as the run-time control slices them: buttons of one frame's size.
    const std::pair<const char*, std::pair<int, int>> sizes[] = {
        {"main-tab-selector.png", {700, 56}},      {"main-part-selector.png", {192, 640}},
        {"btn-lib-display-multis.png", {180, 36}}, {"knob-vub-normal.png", {40, 5120}},
        {"main-bg-red.png", {1500, 757}},          {"led-pink.png", {12, 24}}};
    for (const auto& [file, size] : sizes) {
        EXPECT_EQ(Image(file)->getWidth(), size.first) << file;
        EXPECT_EQ(Image(file)->getHeight(), size.second) << file;
    }
}

TEST(EditorImagesFrames, NeighbouringFramesDifferAndTwoFrameImagesClearly) {
    EachRow([&](const std::string& name, const std::string& file) {
        const ImageInfo info = ImageTableByName().at(name);
        if (info.frames < 2 || Art().radios.count(name)) return;
        RAST_IBitmap* b = Image(file);
        for (int k = 0; k + 1 < info.frames; ++k) {
            const Frame f = FrameOf(b, info.frames, info.horizontal, k),
                        g = FrameOf(b, info.frames, info.horizontal, k + 1);
            const int differing = Differing(b, f, g, info.frames == 2 ? 32 : 1);
            if (info.frames == 2)
                EXPECT_GE(differing * 50, f.w * f.h) << file << " changes too little when lit";
            else
                EXPECT_GT(differing, 0) << file << " frames " << k << " and " << k + 1;
        }
    });
}

TEST(EditorImagesFrames, KnobPointerLiesWithinOneStepOfItsFramesAngle) {
    for (const char* file : {"knob-vub-normal-5.png", "knob-vub-normal.png"}) {
        RAST_IBitmap* b = Image(file);
        const int frames = b->getHeight() / b->getWidth();
        const double step = 270.0 / (frames - 1);
        for (int k = 0; k < frames; ++k) {
            // The pointer is what is near white on the cap: its centre of light.
            const Frame f = FrameOf(b, frames, false, k);
            double sx = 0, sy = 0, sum = 0;
            for (int y = 0; y < f.h; ++y)
                for (int x = 0; x < f.w; ++x) {
                    const int dx = x - f.w / 2, dy = y - f.h / 2;
                    const RAST_pixel p = At(b, x, f.y + y);
                    const int light = std::min({RAST_GetRed(p), RAST_GetGreen(p), RAST_GetBlue(p)});
                    if (dx * dx + dy * dy > 14 * 14 || light < 128) continue;
                    sx += dx * (light - 128), sy += dy * (light - 128), sum += light - 128;
                }
            ASSERT_GT(sum, 0) << file << " frame " << k << " shows no pointer";
            const double angle = std::atan2(sx, -sy) * 180.0 / M_PI;
            EXPECT_NEAR(angle, -135.0 + step * k, step) << file << " frame " << k;
        }
    }
}

TEST(EditorImagesSchemes, ANameWhoseIdDiffersBetweenSchemesDiffersInPixels) {
    for (const SchemeImageRow& row : kSchemeImages)
        for (int s = 0; s < kColourSchemeCount; ++s)
            for (int t = s + 1; t < kColourSchemeCount; ++t) {
                if (row.ids[s] == row.ids[t]) continue;
                RAST_IBitmap* a = Image(schemeImageFile(row, s));
                RAST_IBitmap* b = Image(schemeImageFile(row, t));
                const Frame whole{0, 0, a->getWidth(), a->getHeight()};
                int differing = 0;
                for (int y = 0; y < whole.h && !differing; ++y)
                    for (int x = 0; x < whole.w; ++x)
                        differing += At(a, x, y) != At(b, x, y);
                EXPECT_GT(differing, 0) << row.name << " in schemes " << s << " and " << t;
            }
}

TEST(EditorImagesInk, LabelsLeaveTextPanelsAreOpaqueKnobCornersClear) {
    std::set<std::string> backgrounds;
    for (const ArtBackground& background : Art().backgrounds)
        backgrounds.insert(background.image);
    EachRow([&](const std::string& name, const std::string& file) {
        RAST_IBitmap* b = Image(file);
        const ImageRole role = RoleOf(name);
        if (backgrounds.count(name) && role == ImageRole::kPanel) {
            int clear = 0;
            for (int y = 0; y < b->getHeight(); ++y)
                for (int x = 0; x < b->getWidth(); ++x)
                    clear += RAST_GetAlpha(At(b, x, y)) != 255;
            EXPECT_EQ(clear, 0) << file;
        }
        if (name.rfind("IKNOBROTATERCONTROL", 0) == 0) {
            const ArtImage& f = Art().images.at(name);
            for (int k = 0; k < f.frames; ++k)
                for (const auto& [x, y] :
                     {std::pair{0, 0}, {f.w - 1, 0}, {0, f.h - 1}, {f.w - 1, f.h - 1}})
                    ASSERT_EQ(RAST_GetAlpha(At(b, x, k * f.h + y)), 0) << file << " frame " << k;
        }
    });
    // Text leaves light and dark pixels side by side in the label's box, on every scheme's file;
    // on an image with no ground of its own, ink and clear pixels.
    for (const ArtBackground& background : Art().backgrounds)
        EachRow([&](const std::string& name, const std::string& file) {
            if (name != background.image) return;
            RAST_IBitmap* b = Image(file);
            for (const ArtItem& item : background.items) {
                if (item.kind != ArtItem::kLabel) continue;
                int lo = 255, hi = 0, clearest = 255, fullest = 0;
                for (int y = item.y; y < item.y + item.h; ++y)
                    for (int x = std::max(item.x, 0); x < std::min(item.x + item.w, b->getWidth());
                         ++x) {
                        const RAST_pixel p = At(b, x, y);
                        const int light = RAST_GetRed(p) + RAST_GetGreen(p) + RAST_GetBlue(p);
                        lo = std::min(lo, light / 3), hi = std::max(hi, light / 3);
                        clearest = std::min(clearest, int(RAST_GetAlpha(p)));
                        fullest = std::max(fullest, int(RAST_GetAlpha(p)));
                    }
                const int range = clearest < 255 ? fullest - clearest : hi - lo;
                EXPECT_GE(range, 60) << file << ": no text for \"" << item.text << "\"";
            }
        });
}

TEST(EditorImagesGolden, FiveFrameKnobAndAPartButtonOfTheYellowScheme) {
    for (const auto& [file, golden] :
         {std::pair{"knob-vub-normal-5.png", "golden/knob-vub-normal-5.png"},
          {"btn-part01.png", "golden/btn-part01.png"}}) {
        // Composed over mid grey, as the goldens keep no alpha.
        RAST_IBitmap* b = Image(file);
        std::vector<uint32_t> seen;
        for (int y = 0; y < b->getHeight(); ++y)
            for (int x = 0; x < b->getWidth(); ++x) {
                const RAST_pixel p = At(b, x, y);
                const int a = RAST_GetAlpha(p);
                auto mix = [a](int c) { return (c * a + 128 * (255 - a) + 127) / 255; };
                seen.push_back(RAST_MakePixel(mix(RAST_GetRed(p)), mix(RAST_GetGreen(p)),
                                              mix(RAST_GetBlue(p)), 255));
            }
        const int area = b->getWidth() * b->getHeight();
        EXPECT_TRUE(testsupport::MatchesGolden("tests/editor_images/" + std::string(golden),
                                               seen.data(), b->getWidth(), b->getHeight(),
                                               b->getWidth(), 4, area / 100));
    }
}

TEST(EditorImagesLabels, EveryLabelAndTitleReadsWholeInItsOwnSpace) {
    const auto meet = [](const IRect& a, const ArtItem& b) {
        return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
    };
    int faults = 0;
    const auto fault = [&](const std::string& image, const std::string& what) {
        if (++faults <= 40) ADD_FAILURE() << image << ": " << what;
    };
    for (const ArtBackground& background : Art().backgrounds) {
        std::vector<ArtItem> items; // each box once, as the drawing takes them
        for (const ArtItem& item : background.items)
            if (std::none_of(items.begin(), items.end(), [&](const ArtItem& o) {
                    return o.kind == item.kind && o.x == item.x && o.y == item.y &&
                           o.w == item.w && o.h == item.h;
                }))
                items.push_back(item);
        for (const ArtItem& item : items) {
            const bool label = item.kind == ArtItem::kLabel;
            if (!label && (item.kind != ArtItem::kFrame || item.text.empty())) continue;
            const IRect box = label ? IRect{item.x, item.y, item.w, item.h} : TitleTab(item);
            const int needed = label ? Painter::textWidth(item.text, kLabelMinSize, false)
                                     : Painter::textWidth(item.text, kTitleSize, true) + 10;
            if (needed > box.w)
                fault(background.image, "\"" + item.text + "\" needs " + std::to_string(needed) +
                                            " of " + std::to_string(box.w) + " pixels");
            for (const ArtItem& other : items)
                if (&other != &item && other.kind != ArtItem::kFrame &&
                    other.kind != ArtItem::kArea && meet(box, other))
                    fault(background.image, "\"" + item.text + "\" meets the box at " +
                                                std::to_string(other.x) + "," +
                                                std::to_string(other.y) + " " + other.text);
        }
    }
    EXPECT_EQ(faults, 0);
}

TEST(EditorImagesContrast, EveryMarkOfEverySchemeStandsOutAndAHiddenOneIsNamed) {
    EXPECT_DOUBLE_EQ(Contrast({0, 0, 0}, {255, 255, 255}), 21.0);
    EXPECT_NEAR(Contrast({118, 118, 118}, {255, 255, 255}), 4.54, 0.01);
    std::vector<std::string> shortfalls;
    for (const ImageFile& file : ImageFiles())
        DrawImage(Art(), {file.name, file.file, &PaletteOf(file), file.schemes}, &shortfalls);
    for (const std::string& shortfall : shortfalls)
        ADD_FAILURE() << shortfall;
    // Labels in the panel's own colour are named with their file and the colour behind.
    Palette hidden = SchemePalette(0);
    hidden.label = hidden.panelTop;
    shortfalls.clear();
    DrawImage(Art(), {"OSCILLATORS_ID", "vub-oscillator-bg-yellow.png", &hidden, {0}}, &shortfalls);
    ASSERT_FALSE(shortfalls.empty());
    EXPECT_NE(shortfalls[0].find("vub-oscillator-bg-yellow.png: label \""), std::string::npos)
        << shortfalls[0];
    EXPECT_NE(shortfalls[0].find(" 1.00:1 on (238,236,216), needs 4.5"), std::string::npos)
        << shortfalls[0];
}
