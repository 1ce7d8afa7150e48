// The slot grid in the Linux editor, opened by a host in a window on the virtual display and
// driven with xdotool: right clicks open the menus the plug-in draws, and "Copy" on a lower
// slot, then "Paste" on an upper one, stores the patch.

#include "tests/browser/BrowserRig.h"

#include "kit/effect/IGraphicsLinux.h"
#include "tests/support/TestVSTEffect.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

// Last: Xlib's macros would clash with the names above.
#include "platform/view/X11View.h"
#include "tests/support/XHostWindow.h"

namespace {

using DisplayPlugin = testsupport::BrowserPluginOn<testsupport::TestVSTEffect, IGraphicsLinux>;
using testsupport::WaitUntil;

VstIntPtr noHost(AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) {
    return 0;
}

testsupport::TestVSTEffect::Options everyParameter() {
    testsupport::TestVSTEffect::Options o;
    o.nParams = kNumParams;
    return o;
}

TEST(SlotGridOnDisplay, RightClicksShowThePlugInsMenusAndCopyThenPasteStoresThePatch) {
    testsupport::Watchdog watchdog(120, "the slot grid on the display");
    testsupport::XHostWindow window(1500, 757);
    if (!window.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    XMoveWindow(window.display(), window.window(), 0, 0);
    XSync(window.display(), False);

    testsupport::TempFolder folder;
    auto* plug = new DisplayPlugin(noHost, everyParameter());
    PatchLibrarian& lib = plug->librarian;
    loadThreeBanks(lib, folder.path());
    lib.upperBankIndex = bankIndex(lib, "Edit.syx");
    lib.lowerBankIndex = bankIndex(lib, "Source.syx");
    LibrarianViewControl* grid = plug->createGrid(1.0, 8, 30);
    AEffect* effect = plug->GetAEffect();
    auto call = [effect](VstInt32 opcode, void* ptr) {
        return effect->dispatcher(effect, opcode, 0, 0, ptr, 0.0f);
    };
    ASSERT_EQ(call(effEditOpen, reinterpret_cast<void*>(window.window())), 1);
    const std::string editor = std::to_string(
        static_cast<platform::X11View*>(plug->GetGUI()->GetWindow())->WindowId());

    // Right-clicks the middle of a slot and chooses the first item of the menu drawn 4 pixels
    // below the point, whose rows are 20 high from 4 below its top; the view moves clicks 2
    // left and 3 up.
    auto firstItemAt = [&](LibrarianViewControl::Side side, int slot) {
        const IRECT& r = grid->getSlot(side, slot).GetRECT();
        const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
        auto click = [&](int cx, int cy, const char* button) {
            return testsupport::Xdotool({"mousemove", "--window", editor, std::to_string(cx + 2),
                                         std::to_string(cy + 3), "click", button}) == 0;
        };
        const Window root = DefaultRootWindow(window.display());
        const uint32_t menuBackground = 0xF0F0F000;
        auto menuShown = [&] {
            const std::vector<uint32_t> p = window.Capture(root, x + 6, y + 4 + 2, 1, 1);
            return p.size() == 1 && p[0] == menuBackground;
        };
        return click(x, y, "3") && WaitUntil(menuShown) && click(x + 30, y + 4 + 4 + 10, "1");
    };
    ASSERT_TRUE(firstItemAt(LibrarianViewControl::kLower, 3)); // "Copy"
    ASSERT_TRUE(firstItemAt(LibrarianViewControl::kUpper, 20)); // "Paste"
    auto entry = [&](const char* fileName, int slot) {
        KIT_MutexLock lock(&lib.mutex());
        return lib.soundBanks[size_t(bankIndex(lib, fileName))]->entries[size_t(slot)].dumps;
    };
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<PatchSysexMessage> stored = entry("Edit.syx", 20);
        return stored.size() == 1 && stored[0].bytes == entry("Source.syx", 3).at(0).bytes;
    }));
    EXPECT_EQ(grid->getSlot(LibrarianViewControl::kUpper, 20).GetTextForPlug().substr(0, 7),
              "Sour 4 ");
    // And the window shows what the editor drew there.
    const IRECT& r = grid->getSlot(LibrarianViewControl::kUpper, 20).GetRECT();
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<uint32_t> shown = window.Capture(Window(std::stoul(editor)), r.L, r.T,
                                                           r.W(), r.H());
        KIT_MutexLock lock(plug->GetMutex());
        const RAST_IBitmap& drawn = *plug->GetGUI()->GetDrawBitmap();
        for (size_t i = 0; i < shown.size(); ++i) {
            const int x = r.L + int(i) % r.W(), y = r.T + int(i) / r.W();
            if ((*RAST_PixelAt(drawn, x, y) & 0xFFFFFF00) != shown[i]) return false;
        }
        return !shown.empty();
    }));
    EXPECT_EQ(call(effEditClose, nullptr), 1);
    call(effClose, nullptr);
}

} // namespace
