// A bank file chosen anywhere is copied into the patches folder, where a reload lists it.

#include "tests/core/CoreRig.h"

#include "kit/effect/IGraphics.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/ScriptedChooser.h"

#include <future>
#include <set>

// Last: Xlib's macros would clash with the names above.
#include "platform/view/View.h"
#include "tests/support/XHostWindow.h"

using namespace coretest;
namespace fs = std::filesystem;

namespace {

struct BankImport : CoreRig {
    testsupport::XHostWindow host{1500, 757};
    testsupport::ScriptedChooser zenity;
    std::unique_ptr<Zoz> plug;
    platform::View* view = nullptr;
    const std::string desk = temp.path() + "/Desk top/";

    void SetUp() override {
        if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
        keepLog();
        fs::create_directories(desk);
        plug = start();
        view = static_cast<platform::View*>(
            plug->GetGUI()->OpenWindow(reinterpret_cast<void*>(host.window())));
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override {
        if (view) plug->GetGUI()->CloseWindow();
    }
    // One import on the editor's thread, as the bank edit menu runs it.
    void import(bool midi) {
        std::promise<void> done;
        view->Post([&] {
            plug->saveImportedFile(midi);
            done.set_value();
        });
        done.get_future().get();
    }
};

} // namespace

TEST_F(BankImport, CopiesUnderAFreeNameAndAReloadListsIt) {
    const std::vector<uint8_t> bank =
        testsupport::rawBankFile(testsupport::soundDumps(100, "I", "Lead"));
    testsupport::writeFile(desk + "My Bank.syx", bank);
    zenity.answer(desk + "My Bank.syx");
    zenity.answer(desk + "My Bank.syx");
    import(false);
    import(false);

    const std::string filter = "--file-filter=*.syx *.vub | *.syx *.vub";
    const std::string above = "--attach=" + std::to_string(host.window());
    EXPECT_EQ(zenity.calls(),
              (std::vector<std::vector<std::string>>{
                  {"--file-selection", "--filename=" + std::string(getenv("HOME")) + "/Desktop/",
                   filter, above},
                  {"--file-selection", "--filename=" + desk, filter, above}}));
    EXPECT_EQ(plug->getImportFolder(), desk);
    EXPECT_EQ(testsupport::readFile(data + "Patches/My Bank.syx"), bank);
    EXPECT_EQ(testsupport::readFile(data + "Patches/My Bank 2.syx"), bank);
    EXPECT_EQ(logLines().back(),
              "FILE IMPORTER: patch file copied to " + data + "Patches/My Bank 2.syx");

    plug->patchTypeChanged(0, 0, true);
    const IParam* list = plug->GetParam(kPatchSelectionListUpper);
    ASSERT_EQ(list->GetNDisplayTexts(), 2);
    std::set<std::string> listed = {list->GetDisplayText(0), list->GetDisplayText(1)};
    EXPECT_EQ(listed, (std::set<std::string>{"My Bank.syx", "My Bank 2.syx"}));
}

TEST_F(BankImport, OnlyWhatFitsABankIsCopied) {
    const struct {
        const char* name;
        long size; // -1: no such file
        bool patchesFolder;
        const char* logged; // in the last log line
    } cases[] = {
        {"Empty.syx", 0, true, "copied to"},
        {"Full.syx", 16L << 20, true, "copied to"},
        {"Over.syx", (16L << 20) + 1, true, "too large"},
        {"Gone.syx", -1, true, "cannot open"},
        {"Homeless.syx", 10, false, "cannot create"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = desk + c.name, target = data + "Patches/" + c.name;
        if (c.size >= 0) {
            testsupport::writeFile(source, {});
            fs::resize_file(source, uintmax_t(c.size));
        }
        if (!c.patchesFolder) fs::remove_all(data + "Patches");
        zenity.answer(source);
        import(false);
        const bool copied = std::string(c.logged) == "copied to";
        ASSERT_EQ(fs::exists(target), copied);
        if (copied) {
            EXPECT_EQ(fs::file_size(target), uintmax_t(c.size));
        }
        EXPECT_NE(logLines().back().find(c.logged), std::string::npos) << logLines().back();
    }

    // A cancelled MIDI file import: its chooser offers MIDI files only.
    fs::create_directories(data + "Patches");
    zenity.cancel();
    import(true);
    const std::vector<std::string> call = zenity.calls().back();
    EXPECT_EQ(call.at(call.size() - 2), "--file-filter=*.mid | *.mid");
    EXPECT_TRUE(fs::is_empty(data + "Patches"));
}
