// A bank fetched from the synthesizer and not saved yet keeps its buttons through the editor's
// refreshes, and "Refresh Folders" asks in the plug-in's message box whether to save it,
// discard it or keep it.

#include "tests/core/CoreRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/ISysEx.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/ScriptedChooser.h"

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
