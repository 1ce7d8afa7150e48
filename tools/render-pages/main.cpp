// zoz-render-pages RESOURCES FOLDER [--docs=DOCS]: renders every page of the editor as a new
// plug-in instance shows it (every main tab and the further states of the multi and effect
// pages, at the three sizes in every colour scheme) into FOLDER and prints how much of each
// page its controls and captions cover, and which value texts are not centred in their fields,
// high or clear enough; it fails when a page is covered less than the floor or a text falls
// short.
// With --docs it also writes DOCS/editor.png, the editor as a person first sees it, and
// DOCS/pages.png, a contact sheet of the pages.
#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_ScaledBlit.h"
#include "tools/render-images/ArtFile.h"
#include "tools/render-images/Painter.h"
#include "tools/render-images/PngFile.h"
#include "tools/render-pages/EditorPages.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: zoz-render-pages RESOURCES FOLDER [--docs=DOCS]\n"
    "       zoz-render-pages --help   (prints this)\n"
    "renders every page of the editor into FOLDER and says how much of each its controls\n"
    "cover and which value texts are not centred, high or clear enough; --docs also writes\n"
    "DOCS/editor.png and DOCS/pages.png\n";

// Opaque: the unused byte of the frame's pixels becomes the bitmap's alpha.
std::unique_ptr<RAST_MemBitmap> bitmapOf(const EditorFrame& f) {
    auto b = std::make_unique<RAST_MemBitmap>(f.width, f.height);
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            RAST_PixelAt(*b, x, y)[0] = f.pixels[size_t(y) * f.width + x] | 0xFF;
    return b;
}

bool write(const std::string& path, const EditorFrame& f) {
    return WritePng(path, *bitmapOf(f));
}

struct Shot {
    std::string title;
    EditorFrame frame;
};

// The shots in rows of three, each a third of its size, titled.
bool contactSheet(const std::string& path, const std::vector<Shot>& shots) {
    constexpr int kColumns = 3, kW = 500, kH = 252, kTitle = 22, kMargin = 10;
    const int rows = int(shots.size() + kColumns - 1) / kColumns;
    Painter sheet(kMargin + kColumns * (kW + kMargin), kMargin + rows * (kTitle + kH + kMargin));
    sheet.rect(0, 0, sheet.width(), sheet.height(), {48, 48, 52});
    for (size_t i = 0; i < shots.size(); ++i) {
        const int x = kMargin + int(i % kColumns) * (kW + kMargin);
        const int y = kMargin + int(i / kColumns) * (kTitle + kH + kMargin);
        sheet.text(shots[i].title, x, y, kW, kTitle - 4, 13, true, {240, 240, 240},
                   Painter::kLeft);
        const std::unique_ptr<RAST_MemBitmap> full = bitmapOf(shots[i].frame);
        RAST_ScaledBlit(&sheet.bitmap(), full.get(), x, y + kTitle, kW, kH, 0.0f, 0.0f,
                        float(full->getWidth()), float(full->getHeight()), 1.0f,
                        RAST_MODE_BILINEAR);
    }
    return WritePng(path, sheet.bitmap());
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (strcmp(argv[i], "--help") == 0) return fputs(kUsage, stdout) < 0 ? 1 : 0;
    if (argc < 3 || argc > 4 || (argc == 4 && strncmp(argv[3], "--docs=", 7) != 0)) {
        fputs(kUsage, stderr);
        return 2;
    }
    const std::string resources = argv[1];
    const fs::path folder = argv[2];
    const std::string docs = argc == 4 ? argv[3] + 7 : "";
    ArtFile art;
    std::string error;
    if (!ReadArtFile(ZOZ_ART_FILE, &art, &error)) {
        fprintf(stderr, "zoz-render-pages: %s\n", error.c_str());
        return 1;
    }
    fs::create_directories(folder);
    bool ok = true;
    double lowest = 1.0;
    size_t textFaults = 0;
    std::vector<Shot> sheet;
    const auto measure = [&](const std::string& name, const EditorFrame& f,
                             const EditorPages& pages) {
        ok &= write((folder / (name + ".png")).string(), f);
        const double coverage = pages.coverage(art);
        lowest = std::min(lowest, coverage);
        printf("%-36s coverage %5.1f %%%s\n", name.c_str(), 100.0 * coverage,
               coverage < EditorPages::kCoverageFloor ? "  below the floor" : "");
        const std::vector<std::string> faults =
            pages.valueTextFaults(pages.valueTexts(art));
        for (const std::string& fault : faults) printf("  value text %s\n", fault.c_str());
        textFaults += faults.size();
    };
    for (int scheme = 0; scheme < 5; ++scheme)
        for (int size = 0; size < 3; ++size) {
            const std::string set =
                std::string(kUserInterfaceStyleWords[scheme]) + "-" + kUserInterfaceSizes[size].word;
            EditorPages pages(resources, (folder / ("data-" + set)).string(), scheme, size);
            if (!pages.open()) {
                fprintf(stderr, "zoz-render-pages: no editor for %s\n", set.c_str());
                return 1;
            }
            if (!docs.empty() && scheme == 0 && size == 1)
                ok &= write(docs + "/editor.png", pages.frame());
            for (int tab = 0; tab < EditorPages::kTabs; ++tab) {
                const EditorFrame f = pages.showTab(tab);
                const std::string name = set + "-" + EditorPages::kTabNames[tab];
                measure(name, f, pages);
                if (size == 1 && (scheme == 0 || tab == 2)) sheet.push_back({name, f});
            }
            for (const EditorPages::State& state : EditorPages::kStates) {
                EditorFrame f = pages.showTab(state.tab);
                for (const auto& [param, value] : state.settings)
                    f = pages.set(param, value, state.edit);
                const std::string name = set + "-" + state.name;
                measure(name, f, pages);
                if (size == 1 && scheme == 0) sheet.push_back({name, f});
            }
            fs::remove_all(folder / ("data-" + set));
        }
    if (!docs.empty()) ok &= contactSheet(docs + "/pages.png", sheet);
    printf("lowest coverage %.1f %%\n", 100.0 * lowest);
    if (!ok) fprintf(stderr, "zoz-render-pages: a picture could not be written\n");
    if (lowest < EditorPages::kCoverageFloor)
        fprintf(stderr, "zoz-render-pages: a page is covered less than %.0f %%\n",
                100.0 * EditorPages::kCoverageFloor);
    if (textFaults)
        fprintf(stderr, "zoz-render-pages: %zu value texts are not centred, high or clear enough\n",
                textFaults);
    return ok && lowest >= EditorPages::kCoverageFloor && !textFaults ? 0 : 1;
}
