#include "tests/core/CoreRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>

using namespace coretest;
namespace fs = std::filesystem;
using Startup = CoreRig;

TEST_F(Startup, SettingsChooseSizeFirstRunAndPorts) {
    struct Case {
        const char* settings; // null: no file
        int width, height;
        bool firstRun;
    } cases[] = {
        {nullptr, 1500, 757, true}, // a first start, with the defaults
        {"yellow\nlarge", 1724, 870, false},
        {"phoenix\r\nsmall\r\nno\r\n", 1275, 643, true},
        {"red\n normal\nyes\n\nIn port", 1500, 757, false}, // no Out name: no port
        {"red\nLarge\nNo", 1500, 757, false},
    };
    for (const Case& c : cases) {
        fs::remove_all(data);
        if (c.settings) writeSettings(c.settings);
        auto plug = start();
        SCOPED_TRACE(c.settings ? c.settings : "no settings file");
        EXPECT_EQ(plug->GetGUI()->Width(), c.width);
        EXPECT_EQ(plug->GetGUI()->Height(), c.height);
        EXPECT_EQ(plug->isFirstRun(), c.firstRun);
        EXPECT_FALSE(plug->isMIDIIOSet());
        EXPECT_EQ(plug->getMIDIInPortIndex() + plug->getMIDIOutPortIndex(), 0);
        EXPECT_TRUE(plug->isStartupComplete());
    }
}

// Without a data folder: the folder is made as a first start makes it, and the debug log stays
// off without a word on standard output.
TEST_F(Startup, MakesTheFoldersButNoLog) {
    firstStart = true;
    testing::internal::CaptureStdout();
    auto plug = start();
    plug.reset();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    std::vector<std::string> made;
    for (const auto& entry : fs::recursive_directory_iterator(data))
        made.push_back(entry.path().string());
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, (std::vector<std::string>{data + "Patches", data + "Patches/Init Multis.vub",
                                              data + "Patches/Init Patterns.vub",
                                              data + "Patches/Init Sounds.vub", settingsPath()}));
}

TEST_F(Startup, ALogFileIsEmptiedAndTakesEveryStageInOrder) {
    keepLog();
    auto plug = start();
    const std::vector<std::string> stages = {
        "INITIALIZATION STARTED!",
        "Data folder located at " + data,
        "PATCH MANAGER INITIALIZED...",
        "PATCH LIBRARIAN INITIALIZED...",
        "PATCH LIBRARIAN COMPLETED FILE LOADING...",
        "STARTING USER INTERFACE CONFIGURATION...",
        "USER INTERFACE CONFIGURATION COMPLETED... BUILDING UI",
        "Zoz Editor: resources not found at " + temp.path() + "/no-resources/",
        "Layers attached...",
        "Control set 1 attached",
        "Librarian menus attached",
        "Control set 2 attached... Resetting",
        "RESET: plug-in v1.0.7",
        "Plug-in is ready to load!",
    };
    const std::vector<std::string> lines = logLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), stages.front());
    EXPECT_EQ(lines.back(), stages.back());
    auto at = lines.begin();
    for (const std::string& stage : stages) {
        at = std::find(at, lines.end(), stage);
        EXPECT_NE(at, lines.end()) << stage;
    }
}

TEST_F(Startup, BankListsShowTheSoundBanksUnderShortNames) {
    const std::string stem(47, 'k');
    putBank("User/" + std::string(48, 'n') + ".syx"); // 52 bytes
    putBank("User/" + stem + "-1.SYX");               // 53 bytes
    putBank("Factory/" + stem + "-2.syx");
    keepLog();
    auto plug = start();
    const IParam* upper = plug->GetParam(kPatchSelectionListUpper);
    const IParam* lower = plug->GetParam(kPatchSelectionListLower);
    std::vector<std::string> shown;
    for (int i = 0; i < upper->GetNDisplayTexts(); ++i) {
        shown.push_back(upper->GetDisplayText(i));
        EXPECT_STREQ(lower->GetDisplayText(i), upper->GetDisplayText(i));
    }
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::string>{stem + "~1.syx", stem + "~2.syx",
                                               std::string(48, 'n') + ".syx"}));
    EXPECT_EQ(plug->rememberedFileName(LibrarianHost::kLowerSound), upper->GetDisplayText(0));
    EXPECT_NE(plug->rememberedFolder(LibrarianHost::kLowerSound), "");
    // Each list logs its two renamings.
    const std::string renamed = " Because the filename was too long to fit in plug-in display!";
    const std::vector<std::string> lines = logLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& l) {
                                return l.rfind("PATCH LIBRARIAN: Filename " + stem, 0) == 0 &&
                                       l.find(" RENAMED TO " + stem + "~") != std::string::npos &&
                                       l.size() > renamed.size() &&
                                       l.compare(l.size() - renamed.size(), renamed.size(),
                                                 renamed) == 0;
                            }),
              4);
}

TEST_F(Startup, AnEmptyLibrarianGivesEmptyLists) {
    auto plug = start();
    for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower}) {
        const IParam* param = plug->GetParam(list);
        EXPECT_EQ(param->Type(), kTypeEnum);
        EXPECT_EQ(param->GetNDisplayTexts(), 0);
        EXPECT_EQ(param->GetMax(), 1.0);
    }
    EXPECT_EQ(plug->rememberedFileName(LibrarianHost::kUpperSound), "");
    EXPECT_EQ(plug->rememberedFolder(LibrarianHost::kUpperSound), "");
}

TEST_F(Startup, LibrarianMenuLayersThenTheProgressLayerLast) {
    const char* names[] = {"UPPERPOPUPMENU",
                           "LOWERPOPUPMENU",
                           "LeftPerformancePopupMenu",
                           "RightPerformancePopupMenu",
                           "BANKEDITMENU",
                           "RightPatchPopupMenu",
                           "PROGRAMNUMBERMENU",
                           "BANKNUMBERMENUPROGRAMS",
                           "RightSearchPopupMenu",
                           "PERFBANKNAMEMENUPROGRAMS",
                           "PROGBANKNAMEMENUPROGRAMS",
                           "LeftPatternPopupMenu",
                           "RightPatternPopupMenu"};
    // The bank edit, program number and bank number menus, each edge scaled alone.
    struct Size {
        const char* word;
        IRECT bankEdit, program, bank;
    } sizes[] = {
        {"small", IRECT(713, 158, 778, 174), IRECT(1006, 51, 1044, 71), IRECT(970, 51, 1003, 71)},
        {"large", IRECT(964, 215, 1053, 235), IRECT(1361, 69, 1413, 96), IRECT(1313, 69, 1357, 96)},
    };
    for (const Size& size : sizes) {
        SCOPED_TRACE(size.word);
        writeSettings(std::string("yellow\n") + size.word);
        auto plug = start();
        IGraphics* g = plug->GetGUI();
        ASSERT_GE(g->NLayers(), 14);
        const int first = g->NLayers() - 14;
        for (int row = 0; row < 13; ++row) {
            const ControlLayer* layer = g->GetLayer(first + row);
            EXPECT_EQ(layer, plug->popupMenuLayer(row));
            EXPECT_EQ(layer->getId(), 70 + row);
            EXPECT_EQ(layer->getName(), names[row]);
            EXPECT_EQ(plug->namedLayer(names[row]), layer) << "the page switches show it by name";
            EXPECT_EQ(layer->isVisible(), row == 6 || row == 7) << names[row];
            ASSERT_EQ(layer->getControls().GetSize(), 1) << names[row];
            EXPECT_EQ(layer->getControls().Get(0), plug->popupMenu(row));
        }
        EXPECT_EQ(plug->popupMenu(4)->GetRECT(), size.bankEdit);
        EXPECT_EQ(plug->popupMenu(6)->GetRECT(), size.program);
        EXPECT_EQ(plug->popupMenu(7)->GetRECT(), size.bank);
        const ControlLayer* progress = g->GetLayer(g->NLayers() - 1);
        EXPECT_EQ(progress, plug->progressLayerOf());
        EXPECT_EQ(progress->getName(), "PROGRESS");
        EXPECT_EQ(progress->getId(), 0);
        EXPECT_FALSE(progress->isVisible());
    }
}

TEST_F(Startup, WhileTheProgressLayerShowsItTakesEveryClick) {
    resources = ZOZ_BUILT_RESOURCES;
    auto plug = start();
    IGraphics* g = plug->GetGUI();
    const ControlLayer* progress = plug->progressLayerOf();
    ASSERT_EQ(progress->getControls().GetSize(), 3); // the overlay and two cancel buttons
    const IControl* overlay = progress->getControls().Get(0);
    const IControl* cancelOther = progress->getControls().Get(2);
    plug->DisplayProcessingIndicator(true);
    EXPECT_TRUE(progress->isVisible());
    EXPECT_TRUE(progress->getControls().Get(1)->IsHidden()); // the librarian page's
    for (int y = 0; y < 757; y += 37)
        for (int x = 0; x < 1500; x += 53) {
            const IControl* hit = g->GetMouseControlIdx(x, y);
            ASSERT_TRUE(hit == overlay || hit == cancelOther) << x << ", " << y;
        }
    EXPECT_EQ(g->GetMouseControlIdx(742, 85), cancelOther);
    plug->DisplayProcessingIndicator(false);
    EXPECT_FALSE(progress->isVisible());
    EXPECT_NE(g->GetMouseControlIdx(700, 400), overlay);
}
