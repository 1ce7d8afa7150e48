// The editor's pages as a new plug-in instance shows them, from the committed layout and the
// images the build draws: compared with goldens a person has looked at, filled, and whole
// from the first frame on.

#include "tests/editor_images/EditorImages.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/GoldenImage.h"
#include "tools/render-pages/EditorPages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace {

// A pixel matches when no channel is more than 8 away; a picture when at most 1 pixel in
// 1000 differs (text is drawn with antialiasing that a library update may shade anew).
constexpr int kTolerance = 8;

// Each pixel of the picture shrunk by factor the mean of factor x factor pixels: a wrong
// colour or a misplaced box still shows; the texts are compared at full size.
EditorFrame reduced(const EditorFrame& f, int factor) {
    EditorFrame r{f.width / factor, f.height / factor, {}};
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            uint32_t mixed = 0;
            for (int k = 1; k <= 3; ++k) {
                int sum = 0;
                for (int d = 0; d < factor * factor; ++d)
                    sum += f.pixels[size_t(factor * y + d / factor) * f.width + factor * x +
                                    d % factor] >> (8 * k) & 0xFF;
                mixed |= uint32_t(sum / (factor * factor)) << (8 * k);
            }
            r.pixels.push_back(mixed);
        }
    return r;
}

::testing::AssertionResult matches(const std::string& name, const EditorFrame& f, int factor) {
    const EditorFrame shown = factor > 1 ? reduced(f, factor) : f;
    return testsupport::MatchesGolden("tests/editor_images/golden/pages/" + name + ".png",
                                      shown.pixels.data(), shown.width, shown.height,
                                      shown.width, kTolerance,
                                      shown.width * shown.height / 1000);
}

TEST(EditorPages, EveryPageMatchesItsGoldenFillsItsFrameAndCentresItsValueTexts) {
    // Coverage counts what is drawn, whatever its colours: the same in every scheme.
    std::map<std::string, double> normal;
    const auto filled = [&](const std::string& page, const EditorPages& pages, int scheme,
                            int size) {
        for (const std::string& fault : pages.valueTextFaults(pages.valueTexts(editorimages::Art())))
            ADD_FAILURE() << page << ": value text " << fault;
        const double coverage = pages.coverage(editorimages::Art());
        EXPECT_GE(coverage, EditorPages::kCoverageFloor) << page;
        if (size != 1) return;
        if (scheme == 0) normal[page] = coverage;
        else EXPECT_EQ(coverage, normal[page]) << page;
    };
    for (int scheme = 0; scheme < 5; ++scheme)
        for (int size = 0; size < 3; ++size) {
            if (scheme > 0 && size != 1) continue;
            const std::string set =
                std::string(kUserInterfaceStyleWords[scheme]) + "-" + kUserInterfaceSizes[size].word;
            SCOPED_TRACE(set);
            testsupport::TempFolder data;
            std::filesystem::create_directories(data.path() + "/Patches");
            testsupport::writeFile(data.path() + "/Patches/Factory.syx",
                                   testsupport::rawBankFile(testsupport::soundDumps(
                                       100, "Evening Strings", "Pad ")));
            EditorPages pages(ZOZ_BUILD_RESOURCES, data.path(), scheme, size);
            ASSERT_TRUE(pages.open());
            for (int tab = 0; tab < EditorPages::kTabs; ++tab) {
                const EditorFrame f = pages.showTab(tab);
                // Full size at the normal size of the first scheme, the other sizes at half,
                // the other schemes at a quarter.
                EXPECT_TRUE(matches(set + "-" + EditorPages::kTabNames[tab], f,
                                    scheme > 0 ? 4 : size != 1 ? 2 : 1));
                filled(EditorPages::kTabNames[tab], pages, scheme, size);
            }
            for (const EditorPages::State& state : EditorPages::kStates) {
                EditorFrame f = pages.showTab(state.tab);
                for (const auto& [param, value] : state.settings)
                    f = pages.set(param, value, state.edit);
                if (scheme == 0 && size == 1) {
                    EXPECT_TRUE(matches(set + "-" + state.name, f, 2));
                }
                filled(state.name, pages, scheme, size);
            }
        }
}

// A text counts as centred up to a pixel off its field's middle down (two when scaled) and a
// pixel more across, from 7 pixels of capitals and 4.5:1; dashes alone are measured down by
// their own ink, descenders not at all.
TEST(EditorPages, ValueTextFaultsAtTheirLimits) {
    const auto faults = [](const char* text, double centre, int inkTop, int inkBottom,
                           double contrast, double scale = 1.0, int inkLeft = 14) {
        // Ink 12 columns wide in a field of 40 whose middle column is 20.
        return EditorPages::valueTextFaults({{text, 0, 0, 40, 16, centre, 20.0, inkTop, inkBottom,
                                              inkLeft, inkLeft + 11, contrast}},
                                            scale)
            .size();
    };
    EXPECT_EQ(faults("C-2", 7.5, 4, 10, 4.5), 0u);  // rows 4 to 10: middle 7.5, 7 high
    EXPECT_EQ(faults("C-2", 8.5, 4, 10, 4.5), 0u);  // a pixel off
    EXPECT_EQ(faults("C-2", 8.6, 4, 10, 4.5), 1u);
    EXPECT_EQ(faults("C-2", 9.5, 4, 10, 4.5, 1.15), 0u);
    EXPECT_EQ(faults("C-2", 7.5, 4, 10, 4.5, 1.0, 16), 0u); // two pixels right
    EXPECT_EQ(faults("C-2", 7.5, 4, 10, 4.5, 1.0, 11), 1u);
    EXPECT_EQ(faults("C-2", 7.5, 4, 10, 4.5, 1.15, 17), 0u);
    EXPECT_EQ(faults("C-2", 8.0, 5, 10, 4.5), 1u);  // 6 high, in the middle
    EXPECT_EQ(faults("C-2", 7.5, 4, 10, 4.49), 1u);
    EXPECT_EQ(faults("---", 7.5, 7, 7, 1.5), 0u);
    EXPECT_EQ(faults("---", 5.4, 7, 7, 1.5), 1u);   // the dashes 2.1 low
    EXPECT_EQ(faults("Legato", 7.5, 4, 12, 1.0), 0u);
    EXPECT_EQ(faults("Off", 7.5, -1, -1, 0.0), 1u); // no ink at all
}

// The first frame of a new instance already shows every control of its page: it is the
// frame the same page shows after a visit to another tab, but for the two display lines,
// which tell what the clicks did.
TEST(EditorPages, ANewInstancesFirstFrameIsItsPageAfterATabRoundTrip) {
    testsupport::TempFolder data;
    EditorPages pages(ZOZ_BUILD_RESOURCES, data.path(), 0, 1);
    ASSERT_TRUE(pages.open());
    const EditorFrame first = pages.frame();
    pages.showTab(2);
    const EditorFrame again = pages.showTab(0);
    ASSERT_EQ(first.pixels.size(), again.pixels.size());
    const auto statusLine = [](int x, int y) { return x >= 900 && x < 1200 && y >= 6 && y < 42; };
    int differing = 0;
    for (int y = 0; y < first.height; ++y)
        for (int x = 0; x < first.width; ++x)
            differing += !statusLine(x, y) && first.pixels[size_t(y) * first.width + x] !=
                                                  again.pixels[size_t(y) * first.width + x];
    EXPECT_EQ(differing, 0);
}

} // namespace
