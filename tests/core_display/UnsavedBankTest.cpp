// A bank fetched from the synthesizer and not saved yet keeps its buttons through the editor's
// refreshes, and "Refresh Folders" asks in the plug-in's message box whether to save it,
// discard it or keep it.

#include "tests/core/CoreRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/ISysEx.h"
#include "platform/dialogs/Dialogs.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/ScriptedChooser.h"

#include <cstring>
#include <functional>
#include <future>

// Last: Xlib's macros would clash with the names above.
#include "platform/view/View.h"
#include "tests/support/XHostWindow.h"

using namespace coretest;
using UnsavedBank = CoreRig;

TEST_F(UnsavedBank, KeepsItsButtonsAndIsNeverReadOverUnasked) {
    testsupport::XHostWindow host(1500, 757);
    if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    putBank("Factory.syx");
    resources = ZOZ_BUILT_RESOURCES;
    auto plug = start();
    testsupport::ScriptedChooser zenity;
    IGraphics* gui = plug->GetGUI();
    auto* view =
        static_cast<platform::View*>(gui->OpenWindow(reinterpret_cast<void*>(host.window())));
    ASSERT_NE(view, nullptr);
    const auto onEditor = [&](int param, double value) {
        std::promise<void> done;
        view->Post([&] {
            plug->GetParam(param)->Set(value);
            param == kQuickTab ? plug->OnParamChange2(param) : plug->OnParamChange(param);
            done.set_value();
        });
        done.get_future().get();
    };
    // Slot 1 takes a sound as a librarian request stores it, and the request ends.
    const auto fetch = [&] {
        const std::vector<uint8_t> dump = testsupport::soundDumps(1, "Fetched", "Lead")[0];
        plug->getLibrarian()->upperSlotIndex = 1;
        plug->SetLibrarianRequestActive(true);
        ISysEx message(0, dump.data(), int(dump.size()));
        plug->ProcessSysEx(&message, true);
        plug->SetLibrarianStatusUnsaved(true);
    };
    const auto slot1 = [&] { return plug->getLibrarian()->soundBanks.at(0)->entries.at(1); };
    const auto shown = [&](const char* layer) { return plug->namedLayer(layer)->isVisible(); };
    onEditor(kMainTab, 1);
    fetch();
    const LibrarianPatch fetched = slot1();
    // The refresh after a dump into the editor or a change from the synthesizer, any part.
    for (int part : {0, 11}) {
        onEditor(kQuickTab, part);
        EXPECT_TRUE(shown("discardChangesLayerRight") && shown("saveChangesLayer")) << part;
    }

    zenity.reply(1, "Cancel\n");
    onEditor(kRefreshFolders, 1);
    EXPECT_EQ(slot1().dumps.at(0).bytes, fetched.dumps.at(0).bytes);
    EXPECT_EQ(plug->GetParam(kBankEditUnsaved)->Value(), 1.0);
    zenity.reply(1, ""); // No: discarded, the bank read again from its file
    onEditor(kRefreshFolders, 1);
    EXPECT_NE(slot1().name, fetched.name);
    EXPECT_TRUE(shown("keepBankOpenLayer") && !shown("discardChangesLayerRight"));
    fetch();
    zenity.reply(0, ""); // Yes: saved over its file, then read again from it
    onEditor(kRefreshFolders, 1);
    EXPECT_EQ(slot1().name, fetched.name);
    EXPECT_EQ(plug->GetParam(kBankEditUnsaved)->Value(), 0.0);
    onEditor(kRefreshFolders, 1); // saved: nothing to ask
    EXPECT_EQ(zenity.calls().size(), 3u);
    EXPECT_EQ(zenity.calls().at(0).at(0), "--question");
    gui->CloseWindow();
}

// Where no dialog program is installed the plug-in draws its own box. One real click on
// "Refresh Folders" asks once, and the box takes the first click on Cancel and the first
// Escape: the bank is kept and no second box asks again.
TEST_F(UnsavedBank, TheDrawnBoxAnswersTheFirstClickAndTheFirstKey) {
    testsupport::XHostWindow host(1500, 757);
    if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    putBank("Factory.syx");
    resources = ZOZ_BUILT_RESOURCES;
    setenv(platform::dialogs::kChooserVariable, "drawn", 1);
    auto plug = start();
    IGraphics* gui = plug->GetGUI();
    auto* view =
        static_cast<platform::View*>(gui->OpenWindow(reinterpret_cast<void*>(host.window())));
    ASSERT_NE(view, nullptr);
    const auto onEditor = [&](const std::function<void()>& task) {
        std::promise<void> done;
        view->Post([&] {
            task();
            done.set_value();
        });
        done.get_future().get();
    };
    onEditor([&] {
        for (int param : {kFirstRunExit, kMainTab}) { // the new install's notice answered
            plug->GetParam(param)->Set(1);
            plug->OnParamChange(param);
        }
        plug->SetLibrarianStatusUnsaved(true);
    });
    const IRECT button =
        plug->GetParam(kRefreshFolders)->GetControlAction()->controls.at(0)->GetRECT();
    const auto line = [](const std::vector<std::string>& args) {
        std::string out;
        return testsupport::Xdotool(args, &out) == 0 ? out.substr(0, out.find('\n')) : "";
    };
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Escape" : "Cancel");
        ASSERT_EQ(testsupport::Xdotool({"mousemove", "--window", std::to_string(host.window()),
                                        std::to_string((button.L + button.R) / 2),
                                        std::to_string((button.T + button.B) / 2), "click", "1"}),
                  0);
        std::string box;
        ASSERT_TRUE(testsupport::WaitUntil(
            [&] {
                box = line({"search", "--onlyvisible", "--name", "Refresh Folders"});
                return !box.empty() && line({"getwindowfocus", "-f"}) == box;
            },
            20000));
        if (byKey) {
            EXPECT_EQ(testsupport::Xdotool({"key", "Escape"}), 0);
        } else {
            // Cancel is the last of the buttons along the box's bottom edge.
            std::string shell;
            testsupport::Xdotool({"getwindowgeometry", "--shell", box}, &shell);
            const auto field = [&](const char* name) {
                return std::stoi(shell.substr(shell.find(name) + strlen(name)));
            };
            EXPECT_EQ(testsupport::Xdotool(
                          {"mousemove", std::to_string(field("X=") + field("WIDTH=") - 55),
                           std::to_string(field("Y=") + field("HEIGHT=") - 23), "click", "1"}),
                      0);
        }
        EXPECT_TRUE(testsupport::WaitUntil([&] { return line({"getwindowname", box}).empty(); }));
        onEditor([] {}); // the press has ended
        EXPECT_EQ(line({"search", "--name", "Refresh Folders"}), "") << "asked twice";
        EXPECT_EQ(plug->GetParam(kBankEditUnsaved)->Value(), 1.0);
    }
    gui->CloseWindow();
    unsetenv(platform::dialogs::kChooserVariable);
}
