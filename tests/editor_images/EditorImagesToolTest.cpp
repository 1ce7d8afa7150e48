#include "kit/effect/IGraphics.h"
#include "src/uiconfig/UIConfigGraphicsAdapter.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/editor_images/EditorImages.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEffect.h"
#include "tests/support/TestGraphics.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using namespace editorimages;

namespace {

struct TempFolder {
    TempFolder() : path(fs::temp_directory_path() / ("zoz-images-" + std::to_string(getpid()))) {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() { fs::remove_all(path); }
    fs::path path;
};

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The tool's exit status; its messages in output.
int Render(const fs::path& art, const fs::path& folder, std::string* output,
           const std::vector<std::string>& env = {}) {
    return testsupport::RunProgram(
        {"/bin/sh", "-c",
         std::string(ZOZ_RENDER_TOOL) + " " + art.string() + " " + folder.string() + " 2>&1"},
        output, 300000, env);
}

} // namespace

TEST(EditorImagesTool, ASecondRunWritesTheSameBytes) {
    TempFolder temp;
    std::string output;
    ASSERT_EQ(Render(ZOZ_ART_FILE, temp.path / "img", &output), 0) << output;
    // Readable by other users, as the install leaves them.
    EXPECT_EQ(fs::status(temp.path / "img").permissions(), fs::perms(0755));
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(temp.path / "img")) {
        ++files;
        EXPECT_EQ(Bytes(entry.path()), Bytes(fs::path(ZOZ_IMAGES) / entry.path().filename()))
            << entry.path().filename();
        EXPECT_EQ(entry.status().permissions(), fs::perms(0644)) << entry.path().filename();
    }
    EXPECT_EQ(files, 222u);
}

// The art file with one text replaced.
std::string ArtWith(const std::string& from, const std::string& to) {
    std::string text = Bytes(ZOZ_ART_FILE);
    text.replace(text.find(from), from.size(), to);
    return text;
}

TEST(EditorImagesArtFile, SidesRunFrom1To4096PixelsRadioButtonsIncluded) {
    TempFolder temp;
    const std::pair<std::string, bool> sizes[] = {
        {"image BG_ABOUT_ID 1 1x1", true},
        {"image BG_ABOUT_ID 1 600x4096", true},
        {"image BG_ABOUT_ID 1 600x4097", false},
        {"image BG_ABOUT_ID 1 0x360", false},
        {"image BG_ABOUT_ID 1 600x-1", false},
        {"image BG_ABOUT_ID 2 600x360", false},
        {"image BUTTON_TAB_TOPBAR_ID 2 585x28", true}, // 7 buttons: 4095 pixels wide
        {"image BUTTON_TAB_TOPBAR_ID 2 586x28", false}};
    for (const auto& [line, good] : sizes) {
        const bool topBar = line.find("TOPBAR") != std::string::npos;
        std::ofstream(temp.path / "art.txt") << ArtWith(
            topBar ? "image BUTTON_TAB_TOPBAR_ID 2 100x28" : "image BG_ABOUT_ID 1 440x170", line);
        ArtFile art;
        std::string error;
        EXPECT_EQ(ReadArtFile((temp.path / "art.txt").string(), &art, &error), good)
            << line << ": " << error;
    }
}

TEST(EditorImagesTool, AHostileArtFileOrAMissingFontWritesNothing) {
    TempFolder temp;
    const std::pair<std::string, std::string> cases[] = {
        {ArtWith("image BG_ABOUT_ID 1", "image BG_ABOUT_IDX 1"), "unknown image \"BG_ABOUT_IDX\""},
        {ArtWith("radio BUTTON_TAB_TOPBAR_ID 7", "radio BUTTON_TAB_TOPBAR_ID 8"), "8 buttons"}};
    for (const auto& [text, message] : cases) {
        std::ofstream(temp.path / "art.txt") << text;
        std::string output;
        EXPECT_NE(Render(temp.path / "art.txt", temp.path / "img", &output), 0);
        EXPECT_NE(output.find(message), std::string::npos) << output;
    }
    // A fontconfig that knows no font.
    std::ofstream(temp.path / "fonts.conf") << "<fontconfig></fontconfig>\n";
    std::string output;
    EXPECT_NE(Render(ZOZ_ART_FILE, temp.path / "img", &output,
                     {"FONTCONFIG_FILE=" + (temp.path / "fonts.conf").string()}),
              0);
    EXPECT_NE(output.find("DejaVu Sans is not installed"), std::string::npos) << output;
    // Nothing at all beside the inputs, not even a temporary folder.
    size_t left = 0;
    for (const auto& entry : fs::directory_iterator(temp.path))
        left += entry.path().filename() != "art.txt" && entry.path().filename() != "fonts.conf";
    EXPECT_EQ(left, 0u);
}

// The editor's own loading: the table read through the bitmap cache, decoded by the raster
// graphics and scaled to the small and large editor.
TEST(EditorImagesLoader, EverySchemeLoadsEveryRowAtTheScaledSize) {
    struct PngGraphics : testsupport::TestGraphics {
        using TestGraphics::TestGraphics;
        RAST_IBitmap* OSLoadBitmap(int, const char* name) override {
            const std::string file = std::string(name).substr(std::string("resources/img/").size());
            return RAST_LoadPNG((std::string(ZOZ_IMAGES) + file).c_str(), nullptr);
        }
    };
    testsupport::TestEffect plug(1, 0);
    PngGraphics graphics(&plug);
    UIConfigGraphicsAdapter adapter(&graphics);
    for (int scheme = 0; scheme < kColourSchemeCount; ++scheme)
        for (double scale : {0.85, 1.15}) {
            FakeConfigPlugin log;
            UIConfigManager manager;
            manager.readUIConfig(&adapter, &log, nullptr, scheme, scale);
            auto check = [&](const std::string& name, const std::string& file) {
                const IBitmap b = manager.getImageByName(&adapter, name);
                EXPECT_EQ(b.W, int(Image(file)->getWidth() * scale)) << name << " " << scale;
                EXPECT_EQ(b.H, int(Image(file)->getHeight() * scale)) << name << " " << scale;
            };
            for (const CommonImageRow& row : kCommonImages)
                check(row.name, row.file);
            for (const SchemeImageRow& row : kSchemeImages)
                check(row.name, schemeImageFile(row, scheme));
            for (const std::string& line : log.lines())
                EXPECT_EQ(line.find("MISSING"), std::string::npos) << line;
            manager.ClearImageCache();
        }
}
