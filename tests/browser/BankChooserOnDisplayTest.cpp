// The upper bank chooser in the Linux editor, opened by a host in a window on the virtual
// display and driven with xdotool: a click opens the menu the plug-in draws, the pointer
// follows the first rows into a submenu of a submenu, and the bank chosen there fills the
// upper grid.

#include "kit/effect/ControlLayer.h"
#include "src/browser/BankChooser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/browser/DisplayRig.h"

using testsupport::WaitUntil;
using testsupport::Xdotool;

TEST(BankChooserOnDisplay, AClickOpensTheDrawnMenuAndABankTwoSubmenusDeepFillsTheUpperGrid) {
    DisplayRig r("the bank chooser on the display");
    if (!r.window.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    PatchLibrarian& lib = r.plug->librarian;
    const std::string patches = r.folder.path() + "/Patches";
    std::filesystem::create_directories(patches + "/User/Old");
    testsupport::writeFile(patches + "/User/Old/X.syx",
                           testsupport::rawBankFile(testsupport::soundDumps(100, "X", "Pad ")));
    lib.initBankFilesOnDiscard(patches);
    lib.upperBankIndex = bankIndex(lib, "Edit.syx");
    LibrarianViewControl* grid = r.plug->createGrid(1.0, 8, 30);
    auto* layer = new ControlLayer(70, "UPPERPOPUPMENU");
    const IRECT area(394, 188, 810, 207);
    layer->addControl(new LeftPatchPopupMenu(r.plug, &lib, area, r.plug));
    r.plug->g->AttachLayer(layer);
    layer->Hide(false);
    const Window editor = r.open();
    ASSERT_NE(editor, 0u);
    const Window root = DefaultRootWindow(r.window.display());
    constexpr uint32_t kMenuBorder = 0x80808000;

    ASSERT_EQ(Xdotool({"mousemove", "--window", std::to_string(editor), "602", "197", "click", "1"}), 0);
    int top = -1; // the menu's top border, below the chooser
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<uint32_t> column = r.window.Capture(root, area.L + 10, 200, 1, 60);
        for (size_t i = 0; i < column.size() && top < 0; ++i)
            if (column[i] == kMenuBorder) top = 200 + int(i);
        return top >= 0;
    }));
    // Each submenu opens beside its row, level with it: along the first rows the pointer opens
    // "User", then "Old", until the strip above the rows crosses the borders of three menus.
    const int rowY = top + 14;
    std::vector<int> borders;
    for (int x = area.L + 10; x < 1700 && borders.size() < 6; x += 8) {
        ASSERT_EQ(Xdotool({"mousemove", std::to_string(x), std::to_string(rowY)}), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const std::vector<uint32_t> strip = r.window.Capture(root, 0, top + 2, 1800, 1);
        borders.clear();
        for (size_t i = size_t(area.L); i < strip.size(); ++i)
            if (strip[i] == kMenuBorder) borders.push_back(int(i));
    }
    ASSERT_EQ(borders.size(), 6u);
    const std::string x3 = std::to_string((borders[4] + borders[5]) / 2);
    ASSERT_EQ(Xdotool({"mousemove", x3, std::to_string(rowY), "click", "1"}), 0);
    EXPECT_TRUE(WaitUntil([&] {
        KIT_MutexLock lock(r.plug->GetMutex());
        return lib.upperBankIndex == bankIndex(lib, "X.syx") &&
               grid->getSlot(LibrarianViewControl::kUpper, 0).GetTextForPlug().substr(0, 4) == "X 1 ";
    }));
    EXPECT_EQ(r.plug->rememberedFolder(LibrarianHost::kUpperSound), "Old");
    EXPECT_TRUE(r.close());
}
