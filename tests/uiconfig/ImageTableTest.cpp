#include "src/uiconfig/ImageTable.h"
#include "src/uiconfig/UIConfigManager.h"
#include "tests/uiconfig/FakeConfigGraphics.h"
#include "tests/uiconfig/FakeConfigPlugin.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

// Every (id, file) pair of the table over all five schemes.
std::map<int, std::set<std::string>> filesById() {
    std::map<int, std::set<std::string>> byId;
    for (const CommonImageRow& row : kCommonImages)
        byId[row.id].insert(row.file);
    for (const SchemeImageRow& row : kSchemeImages)
        for (int s = 0; s < kColourSchemeCount; ++s)
            byId[row.ids[s]].insert(schemeImageFile(row, s));
    return byId;
}

TEST(ImageTable, NamesIdsAndFilesMatchOneToOne) {
    std::set<std::string> names;
    for (const CommonImageRow& row : kCommonImages)
        names.insert(row.name);
    for (const SchemeImageRow& row : kSchemeImages)
        names.insert(row.name);
    EXPECT_EQ(names.size(), 119u);

    const auto byId = filesById();
    EXPECT_EQ(byId.size(), 222u);
    std::set<std::string> files;
    for (const auto& [id, idFiles] : byId) {
        EXPECT_EQ(idFiles.size(), 1u) << "id " << id << " has several files";
        files.insert(idFiles.begin(), idFiles.end());
    }
    EXPECT_EQ(files.size(), 222u);
}

TEST(ImageTable, SchemeFileNames) {
    auto row = [](const char* name) -> const SchemeImageRow& {
        for (const SchemeImageRow& r : kSchemeImages)
            if (std::string(r.name) == name) return r;
        throw std::runtime_error(name);
    };
    EXPECT_EQ(schemeImageFile(row("BG_ID_ADSR"), 1), "vub-adsr-env-halloween.png");
    EXPECT_EQ(schemeImageFile(row("BG_ID_ADSR"), 3), "vub-adsr-env-silver.png");
    EXPECT_EQ(schemeImageFile(row("OSCILLATORS_ID"), 0), "vub-oscillator-bg-yellow.png");
    EXPECT_EQ(schemeImageFile(row("OSCILLATORS_ID"), 2), "vub-oscillator-bg-silver.png");
    EXPECT_EQ(schemeImageFile(row("GEARS_ICON_ID"), 4), "gears-icon-phoenix.png");
    EXPECT_EQ(schemeImageFile(row("MAIN_BG_ID"), 3), "main-bg-red.png");
    EXPECT_EQ(schemeImageFile(row("BUTTON_LOCK_ID"), 4), "btn-lock-black.png");
    EXPECT_EQ(schemeImageFile(row("BG_ID_FCOMB2"), 2), "bg-comb-filter-plus-white.png");
}

class ImagePreload : public ::testing::Test {
protected:
    void load(UIConfigManager& m, int style, double scale) {
        m.readUIConfig(&graphics, &plugin, nullptr, style, scale);
    }
    const FakeConfigGraphics::Load* loadOf(int id) const {
        for (const auto& l : graphics.bitmapLoads)
            if (l.id == id) return &l;
        return nullptr;
    }
    FakeConfigGraphics graphics;
    FakeConfigPlugin plugin;
    UIConfigManager manager;
};

TEST_F(ImagePreload, CommonRowsThenTheSchemeAtTheUIScale) {
    load(manager, 1, 0.85);
    ASSERT_EQ(graphics.bitmapLoads.size(), 119u);
    const auto& first = graphics.bitmapLoads.front();
    EXPECT_EQ(first.id, 102);
    EXPECT_EQ(first.name, "resources/img/lib-blank-bg.png");
    const auto& knob = graphics.bitmapLoads[12];
    EXPECT_EQ(knob.id, 113);
    EXPECT_EQ(knob.frames, 128);
    EXPECT_FALSE(knob.horizontal);
    const auto& schemeFirst = graphics.bitmapLoads[79];
    EXPECT_EQ(schemeFirst.id, 600);
    EXPECT_EQ(schemeFirst.name, "resources/img/main-bg-halloween.png");
    for (const auto& l : graphics.bitmapLoads)
        EXPECT_EQ(l.scale, 0.85) << l.name;

    const IBitmap sidebar = manager.getImageByName(&graphics, "BUTTON_TAB_SIDEBAR_ID");
    EXPECT_EQ(sidebar.mData, reinterpret_cast<RAST_IBitmap*>(0x1000 + 133));
    EXPECT_EQ(sidebar.N, 2);
    EXPECT_TRUE(sidebar.mFramesAreHorizontal);
    EXPECT_EQ(manager.getImageByName(&graphics, "BUTTON_LOCK_ID").mData,
              reinterpret_cast<RAST_IBitmap*>(0x1000 + 609));
}

TEST_F(ImagePreload, RedSchemeSharesTheBlueRowsButItsBackground) {
    load(manager, 3, 1.15);
    ASSERT_NE(loadOf(800), nullptr);
    EXPECT_EQ(loadOf(800)->name, "resources/img/main-bg-red.png");
    EXPECT_EQ(loadOf(701)->name, "resources/img/vub-multi-settings-bg-silver.png");
    EXPECT_EQ(loadOf(612)->name, "resources/img/bg-lowpass-filter-white.png");
    EXPECT_EQ(loadOf(700), nullptr);
    // Id 128 stands twice in this pass: two rows, two references, one bitmap.
    EXPECT_EQ(graphics.references[128], 2);
    EXPECT_EQ(manager.getImageByName(&graphics, "BUTTON_LOCK_ID").mData,
              manager.getImageByName(&graphics, "BUTTON_LOCK_WHITE_ID").mData);
}

TEST_F(ImagePreload, SchemeOutOfRangeLoadsTheCommonRowsOnly) {
    for (int style : {-1, 5}) {
        FakeConfigGraphics g;
        UIConfigManager m;
        m.readUIConfig(&g, &plugin, nullptr, style, 1.0);
        EXPECT_EQ(g.bitmapLoads.size(), 79u) << style;
        EXPECT_EQ(m.getImageByName(&g, "MAIN_BG_ID").mData, nullptr);
        EXPECT_EQ(m.getImageByName(&g, "MAIN_BG_ID").N, 1);
    }
    const auto lines = plugin.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "CONFIG READER: Image MAIN_BG_ID MISSING!"),
              lines.end());
}

TEST_F(ImagePreload, ClearGivesBackOneReferencePerRowAndReadsNothing) {
    graphics.missingImages.insert("resources/img/about-Zoz.png");
    UIConfigManager second;
    load(manager, 2, 1.0);
    load(second, 0, 1.15);
    EXPECT_EQ(graphics.references[104], 2);
    EXPECT_EQ(graphics.references.count(310), 0u);
    const auto lines = plugin.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "CONFIG READER: Image BG_ABOUT_ID MISSING!"),
              2);

    const size_t loads = graphics.bitmapLoads.size();
    manager.ClearImageCache();
    EXPECT_EQ(graphics.bitmapLoads.size(), loads);
    // 119 rows minus the missing image, which took no reference.
    EXPECT_EQ(graphics.releases, 118);
    // The second instance still draws its bitmaps, common and scheme ones alike.
    EXPECT_EQ(graphics.references[104], 1);
    EXPECT_NE(second.getImageByName(&graphics, "MAIN_BG_FRAME_ID").mData, nullptr);
    EXPECT_NE(second.getImageByName(&graphics, "MAIN_BG_ID").mData, nullptr);
    EXPECT_EQ(graphics.references.count(700), 0u);

    second.ClearImageCache();
    EXPECT_TRUE(graphics.references.empty());
    second.ClearImageCache(); // a second clear has nothing left to give back
    EXPECT_EQ(graphics.releases, 2 * 118);
}

} // namespace
