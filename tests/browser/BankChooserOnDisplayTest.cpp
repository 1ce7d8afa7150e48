// The upper bank chooser in the Linux editor, opened by a host in a window on the virtual
// display and driven with xdotool: a click opens the menu the plug-in draws, the pointer
// follows the first rows into a submenu of a submenu, and the bank chosen there fills the
// upper grid.

#include "tests/browser/BankChooserRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphicsLinux.h"
#include "tests/support/TestVSTEffect.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

// Last: Xlib's macros would clash with the names above.
#include "platform/view/X11View.h"
#include "tests/support/XHostWindow.h"

using testsupport::WaitUntil;
using testsupport::Xdotool;

TEST(BankChooserOnDisplay, AClickOpensTheDrawnMenuAndABankTwoSubmenusDeepFillsTheUpperGrid) {
    testsupport::Watchdog watchdog(120, "the bank chooser on the display");
    testsupport::XHostWindow window(1500, 757);
    if (!window.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    XMoveWindow(window.display(), window.window(), 0, 0);
    testsupport::TempFolder folder;
    const std::string patches = folder.path() + "/Patches";
    std::filesystem::create_directories(patches + "/User/Old");
    for (const std::string prefix : {"X", "Edit"})
        testsupport::writeFile(patches + (prefix == "X" ? "/User/Old/" : "/") + prefix + ".syx",
                               testsupport::rawBankFile(testsupport::soundDumps(100, prefix, "Pad ")));
    testsupport::TestVSTEffect::Options everyParameter;
    everyParameter.nParams = kNumParams;
    auto* plug = new testsupport::BrowserPluginOn<testsupport::TestVSTEffect, IGraphicsLinux>(
        [](AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return 0; },
        everyParameter);
    PatchLibrarian& lib = plug->librarian;
    lib.loadPatchesFromFilesystem(patches);
    lib.upperBankIndex = bankIndex(lib, "Edit.syx");
    LibrarianViewControl* grid = plug->createGrid(1.0, 8, 30);
    auto* layer = new ControlLayer(70, "UPPERPOPUPMENU");
    layer->addControl(new LeftPatchPopupMenu(plug, &lib, kUpperArea, plug));
    plug->g->AttachLayer(layer);
    layer->Hide(false);
    AEffect* effect = plug->GetAEffect();
    ASSERT_EQ(effect->dispatcher(effect, effEditOpen, 0, 0,
                                 reinterpret_cast<void*>(window.window()), 0.0f), 1);
    const Window editor = static_cast<platform::X11View*>(plug->GetGUI()->GetWindow())->WindowId();
    const Window root = DefaultRootWindow(window.display());
    constexpr uint32_t kMenuBorder = 0x80808000;

    ASSERT_EQ(Xdotool({"mousemove", "--window", std::to_string(editor), "602", "197", "click", "1"}), 0);
    int top = -1; // the menu's top border, below the chooser
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<uint32_t> column = window.Capture(root, kUpperArea.L + 10, 200, 1, 60);
        for (size_t i = 0; i < column.size() && top < 0; ++i)
            if (column[i] == kMenuBorder) top = 200 + int(i);
        return top >= 0;
    }));
    // Each submenu opens beside its row, level with it: along the first rows the pointer opens
    // "User", then "Old", until the strip above the rows crosses the borders of three menus.
    const int rowY = top + 14;
    std::vector<int> borders;
    for (int x = kUpperArea.L + 10; x < 1700 && borders.size() < 6; x += 8) {
        ASSERT_EQ(Xdotool({"mousemove", std::to_string(x), std::to_string(rowY)}), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const std::vector<uint32_t> strip = window.Capture(root, 0, top + 2, 1800, 1);
        borders.clear();
        for (size_t i = size_t(kUpperArea.L); i < strip.size(); ++i)
            if (strip[i] == kMenuBorder) borders.push_back(int(i));
    }
    ASSERT_EQ(borders.size(), 6u);
    ASSERT_EQ(Xdotool({"mousemove", std::to_string((borders[4] + borders[5]) / 2),
                       std::to_string(rowY), "click", "1"}),
              0);
    EXPECT_TRUE(WaitUntil([&] {
        KIT_MutexLock lock(plug->GetMutex());
        return lib.upperBankIndex == bankIndex(lib, "X.syx") &&
               grid->getSlot(LibrarianViewControl::kUpper, 0).GetTextForPlug().substr(0, 4) == "X 1 ";
    }));
    EXPECT_EQ(plug->rememberedFolder(LibrarianHost::kUpperSound), "Old");
    EXPECT_EQ(effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f), 1);
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
