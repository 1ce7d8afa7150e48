// The librarian's Save As from the editor's thread, through the file chooser of the Linux
// editor, writes the bank where the user chose.

#include "tests/core/CoreRig.h"

#include "kit/effect/IGraphics.h"
#include "src/librarian/PatchLibrarian.h"
#include "tests/support/ScriptedChooser.h"

#include <future>

// Last: Xlib's macros would clash with the names above.
#include "platform/view/View.h"
#include "tests/support/XHostWindow.h"

using namespace coretest;
using SaveAs = CoreRig;

TEST_F(SaveAs, TheChosenFileGetsTheUpperBank) {
    testsupport::XHostWindow host(1500, 757);
    if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    putBank("Factory.syx");
    auto plug = start();
    testsupport::ScriptedChooser zenity;
    const std::string chosen = temp.path() + "/My \"saved\" bank";
    zenity.answer(chosen); // without its type: the chooser adds it
    IGraphics* gui = plug->GetGUI();
    auto* view = static_cast<platform::View*>(gui->OpenWindow(reinterpret_cast<void*>(host.window())));
    ASSERT_NE(view, nullptr);
    std::promise<bool> saved;
    view->Post([&] {
        saved.set_value(plug->getLibrarian()->savePatchAs("Factory", data + "Patches", false));
    });
    ASSERT_TRUE(saved.get_future().get());
    gui->CloseWindow();

    // The chooser is kept above the host's window.
    EXPECT_EQ(zenity.calls().at(0),
              (std::vector<std::string>{"--file-selection", "--filename=" + data + "Patches/Factory",
                                        "--save", "--confirm-overwrite",
                                        "--file-filter=*.vub | *.vub",
                                        "--attach=" + std::to_string(host.window())}));
    const std::vector<uint8_t> written = testsupport::readFile(chosen + ".vub");
    EXPECT_EQ(written.size(), 100u * 393u);
    EXPECT_EQ(plug->rememberedFileName(LibrarianHost::kUpperSound), "My \"saved\" bank.vub");
}
