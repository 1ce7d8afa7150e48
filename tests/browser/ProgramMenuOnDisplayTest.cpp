// The program page's program menu in the Linux editor, opened by a host in a window on the
// virtual display and driven with xdotool: the click opens the menu the plug-in draws, the
// pointer opens "31-40" beside it, and a click on "Sound 038" sets program 37 of the current
// part and sends the change.

#include "tests/browser/MenuRig.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/browser/DisplayRig.h"

using testsupport::WaitUntil;

TEST(ProgramMenuOnDisplay, SoundThirtyEightFromTheRangeSubmenuSetsProgramThirtySevenAndSendsIt) {
    DisplayRig rig("the program menu on the display");
    if (!rig.window.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    testsupport::XHostWindow& window = rig.window;
    DisplayPlugin* plug = rig.plug;
    plug->currentPart = 3;
    const IRECT button = attachMenus(*plug).program->GetRECT();
    const Window editor = rig.open();
    ASSERT_NE(editor, 0u);

    // The view moves pointer positions 2 left and 3 up. The menu opens 4 below the button,
    // its rows 20 high from 4 below its top; "31-40" opens its submenu beside its row, so
    // that "Sound 038", its eighth row, lies below the main menu's ten rows.
    auto pointer = [&](int x, int y, std::vector<std::string> click) {
        std::vector<std::string> args{"mousemove", "--window", std::to_string(editor),
                                      std::to_string(x + 2), std::to_string(y + 3)};
        args.insert(args.end(), click.begin(), click.end());
        return testsupport::Xdotool(args) == 0;
    };
    auto greyAt = [&](int x, int y, int w) { // the first menu pixel from x on, or -1
        const std::vector<uint32_t> row =
            window.Capture(DefaultRootWindow(window.display()), x, y, w, 1);
        const auto grey = std::find(row.begin(), row.end(), 0xF0F0F000);
        return grey == row.end() ? -1 : x + int(grey - row.begin());
    };
    const int rangeRow = button.B + 4 + 4 + 3 * 20 + 10, soundRow = rangeRow + 7 * 20;
    int submenuLeft = -1;
    ASSERT_TRUE(pointer(button.L + 10, button.T + 10, {"click", "1"}));
    ASSERT_TRUE(WaitUntil([&] { return greyAt(button.L + 6, rangeRow, 1) >= 0; }));
    ASSERT_TRUE(pointer(button.L + 30, rangeRow, {}));
    ASSERT_TRUE(WaitUntil([&] { return (submenuLeft = greyAt(button.L, soundRow, 300)) >= 0; }));
    ASSERT_TRUE(pointer(submenuLeft + 20, soundRow, {"click", "1"}));

    EXPECT_TRUE(WaitUntil([&] {
        KIT_MutexLock lock(plug->GetMutex());
        return plug->GetParam(kMultiPartPatch + 3)->Value() == 37 &&
               plug->calls == std::vector<std::string>{"BankChangeMessage 3",
                                                       "sendPatchAndPatternToDevice 3 1 0 0 0"};
    }));
    EXPECT_TRUE(rig.close());
}
