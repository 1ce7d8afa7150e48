// The slot grid in the Linux editor, opened by a host in a window on the virtual display and
// driven with xdotool: right clicks open the menus the plug-in draws, and "Copy" on a lower
// slot, then "Paste" on an upper one, stores the patch and shows it.

#include <gtest/gtest.h>

#include "tests/browser/DisplayRig.h"

using testsupport::WaitUntil;

TEST(SlotGridOnDisplay, RightClicksShowThePlugInsMenusAndCopyThenPasteStoresThePatch) {
    DisplayRig rig("the slot grid on the display");
    if (!rig.window.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    testsupport::XHostWindow& window = rig.window;
    DisplayPlugin* plug = rig.plug;
    PatchLibrarian& lib = plug->librarian;
    LibrarianViewControl* grid = plug->createGrid(1.0, 8, 30);
    const Window editor = rig.open();
    ASSERT_NE(editor, 0u);

    // Right-clicks the middle of a slot and chooses the first item of the menu drawn 4 pixels
    // below the point, whose rows are 20 high from 4 below its top; the view moves clicks 2
    // left and 3 up.
    auto firstItemAt = [&](LibrarianViewControl::Side side, int slot) {
        const IRECT& r = grid->getSlot(side, slot).GetRECT();
        const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
        auto click = [&](int cx, int cy, const char* button) {
            return testsupport::Xdotool({"mousemove", "--window", std::to_string(editor),
                                         std::to_string(cx + 2), std::to_string(cy + 3),
                                         "click", button}) == 0;
        };
        auto menuShown = [&] {
            const std::vector<uint32_t> p =
                window.Capture(DefaultRootWindow(window.display()), x + 6, y + 6, 1, 1);
            return p.size() == 1 && p[0] == 0xF0F0F000; // the menu's light grey
        };
        return click(x, y, "3") && WaitUntil(menuShown) && click(x + 30, y + 18, "1");
    };
    ASSERT_TRUE(firstItemAt(LibrarianViewControl::kLower, 3)); // "Copy"
    ASSERT_TRUE(firstItemAt(LibrarianViewControl::kUpper, 20)); // "Paste"
    EXPECT_TRUE(WaitUntil([&] {
        KIT_MutexLock lock(&lib.mutex());
        const PatchFile& edit = *lib.soundBanks[size_t(bankIndex(lib, "Edit.syx"))];
        const PatchFile& source = *lib.soundBanks[size_t(bankIndex(lib, "Source.syx"))];
        return edit.entries[20].dumps[0].bytes == source.entries[3].dumps[0].bytes;
    }));
    // And the window shows what the editor drew there.
    const IRECT& r = grid->getSlot(LibrarianViewControl::kUpper, 20).GetRECT();
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<uint32_t> shown = window.Capture(editor, r.L, r.T, r.W(), r.H());
        KIT_MutexLock lock(plug->GetMutex());
        for (size_t i = 0; i < shown.size(); ++i) {
            const RAST_pixel drawn = *RAST_PixelAt(*plug->GetGUI()->GetDrawBitmap(),
                                                   r.L + int(i) % r.W(), r.T + int(i) / r.W());
            if ((drawn & 0xFFFFFF00) != shown[i]) return false;
        }
        return !shown.empty();
    }));
    EXPECT_EQ(grid->getSlot(LibrarianViewControl::kUpper, 20).GetTextForPlug().substr(0, 7),
              "Sour 4 ");
    EXPECT_TRUE(rig.close());
}
