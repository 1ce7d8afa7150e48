// A bank fetched from the synthesizer and not saved yet is never read over from its file
// unasked: its buttons stay through the editor's refreshes, and "Refresh Folders" asks in the
// plug-in's message box whether to save it, discard it or keep it.

#include "tests/core/CoreRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/ISysEx.h"
#include "src/librarian/LibrarianPatch.h"
#include "src/librarian/PatchFile.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/ScriptedChooser.h"

#include <future>

// Last: Xlib's macros would clash with the names above.
#include "platform/view/View.h"
#include "tests/support/XHostWindow.h"

using namespace coretest;

namespace {

using Bytes = std::vector<uint8_t>;

struct UnsavedBank : CoreRig {
    std::unique_ptr<Zoz> plug;

    // Slot 1 of the upper bank takes a sound from the synthesizer, as a librarian request
    // stores it, and the bank is marked unsaved as the request ends.
    void fetch() {
        const Bytes dump = testsupport::soundDumps(1, "Fetched", "Lead")[0];
        plug->getLibrarian()->upperSlotIndex = 1;
        plug->SetLibrarianRequestActive(true);
        ISysEx message(0, dump.data(), int(dump.size()));
        plug->ProcessSysEx(&message, true);
        plug->SetLibrarianStatusUnsaved(true);
    }
    std::vector<Bytes> upperDumps() {
        std::vector<Bytes> dumps;
        for (const LibrarianPatch& entry : plug->getLibrarian()->soundBanks.at(0)->entries)
            dumps.push_back(entry.dumps.empty() ? Bytes() : entry.dumps[0].bytes);
        return dumps;
    }
    std::string slotName(int slot) {
        return plug->getLibrarian()->soundBanks.at(0)->entries.at(size_t(slot)).name;
    }
    bool shown(const char* layer) { return plug->namedLayer(layer)->isVisible(); }
    bool unsaved() { return plug->GetParam(kBankEditUnsaved)->Value() == 1.0; }
};

} // namespace

TEST_F(UnsavedBank, KeepsItsButtonsAndIsNeverReadOverUnasked) {
    testsupport::XHostWindow host(1500, 757);
    if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    putBank("Factory.syx");
    resources = ZOZ_BUILT_RESOURCES;
    plug = start();
    testsupport::ScriptedChooser zenity;
    IGraphics* gui = plug->GetGUI();
    auto* view = static_cast<platform::View*>(gui->OpenWindow(reinterpret_cast<void*>(host.window())));
    ASSERT_NE(view, nullptr);
    const auto onEditor = [&](const std::function<void()>& action) {
        std::promise<void> done;
        view->Post([&] {
            action();
            done.set_value();
        });
        done.get_future().get();
    };
    onEditor([&] {
        plug->GetParam(kMainTab)->Set(1);
        plug->OnParamChange(kMainTab);
    });
    fetch();
    const std::vector<Bytes> fetched = upperDumps();
    // The refresh after a dump into the editor or a change from the synthesizer, whatever part.
    for (int part : {0, 11}) {
        onEditor([&] {
            plug->GetParam(kQuickTab)->Set(part);
            plug->OnParamChange2(kQuickTab);
        });
        EXPECT_TRUE(shown("discardChangesLayerRight") && shown("saveChangesLayer") &&
                    !shown("keepBankOpenLayer"))
            << part;
    }

    const auto refresh = [&](int code, const std::string& output) {
        zenity.reply(code, output);
        onEditor([&] { plug->OnParamChange(kRefreshFolders); });
    };
    refresh(1, "Cancel\n");
    EXPECT_EQ(upperDumps(), fetched);
    EXPECT_TRUE(unsaved());
    EXPECT_EQ(zenity.calls().at(0).at(0), "--question");
    refresh(1, ""); // No: discarded, the file's bank read again
    EXPECT_NE(upperDumps(), fetched);
    EXPECT_FALSE(unsaved());
    EXPECT_TRUE(shown("keepBankOpenLayer") && !shown("discardChangesLayerRight"));

    fetch();
    refresh(0, ""); // Yes: saved over its file, then read again from it
    EXPECT_EQ(slotName(1).substr(0, 7), "Fetched");
    EXPECT_FALSE(unsaved());
    onEditor([&] { plug->OnParamChange(kRefreshFolders); }); // saved: nothing to ask
    EXPECT_EQ(zenity.calls().size(), 3u);
    gui->CloseWindow();
}
