// A bank fetched from the synthesizer and not saved yet keeps its buttons through the editor's
// refreshes, and "Refresh Folders" asks in the plug-in's message box whether to save it,
// discard it or keep it. A bank whose file went meanwhile is named on the display, and a
// renamed slot shows its name at once.

#include "tests/core/CoreRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IControl.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/ISysEx.h"
#include "kit/effect/ITextControl.h"
#include "platform/dialogs/Dialogs.h"
#include "src/browser/LibrarianViewControl.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/FileModes.h"
#include "tests/support/ScriptedChooser.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>

// Last: Xlib's macros would clash with the names above.
#include "platform/view/X11View.h"
#include "tests/support/XHostWindow.h"

using namespace coretest;

// The plug-in on the product's layout, its editor in a host window on the virtual display.
struct UnsavedBank : CoreRig {
    void open() {
        resources = ZOZ_BUILT_RESOURCES;
        plug = start();
        view = static_cast<platform::View*>(
            plug->GetGUI()->OpenWindow(reinterpret_cast<void*>(host.window())));
        ASSERT_NE(view, nullptr);
    }
    // A value of the parameter set on the editor's thread, as a control does.
    void onEditor(int param, double value) {
        std::promise<void> done;
        view->Post([&] {
            plug->GetParam(param)->Set(value);
            param == kQuickTab ? plug->OnParamChange2(param) : plug->OnParamChange(param);
            done.set_value();
        });
        done.get_future().get();
    }
    // The bank a grid shows.
    PatchFile* bankAt(bool upper) {
        PatchLibrarian* librarian = plug->getLibrarian();
        KIT_MutexLock lock(&librarian->mutex());
        std::vector<PatchFile*>* list = librarian->bankList(librarian->currentType);
        if (!upper && plug->isCategoryView()) list = &librarian->categoryBanks;
        if (!upper && plug->isSearchView()) list = &librarian->searchBanks;
        const size_t index = upper ? librarian->upperBankIndex : librarian->lowerBankIndex;
        return list && index < list->size() ? list->at(index) : nullptr;
    }
    // The file name of the bank a grid shows when its bank name field agrees.
    std::string shown(bool upper) {
        KIT_MutexLock lock(plug->GetMutex());
        const int list = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
        const IParam* param = plug->GetParam(list);
        char field[MAX_PARAM_DISPLAY_LEN];
        param->GetDisplayForHost(field, true);
        const PatchFile* bank = bankAt(upper);
        return bank && bank->fileName.find(field) == 0 &&
                       plug->keptControl(list)->GetValue() == param->GetNormalized()
                   ? bank->fileName
                   : "field " + std::string(field);
    }
    std::string line(int display) {
        KIT_MutexLock lock(plug->GetMutex());
        return static_cast<ITextControl*>(plug->keptControl(display))->GetTextForPlug();
    }
    // The bank at that place of the menu, whose name begins with `bank`, chosen as a user
    // does: a click, then the keys. Each click lands apart from the last, which would make it a
    // double click.
    void choose(const char* layer, bool upper, int place, const std::string& bank) {
        const IRECT r = plug->popupMenuLayer(layer)->getControls().Get(0)->GetRECT();
        ASSERT_EQ(testsupport::Xdotool({"mousemove", "--window", std::to_string(host.window()),
                                        std::to_string(r.L + 20 + 30 * (clicks++ % 10)),
                                        std::to_string((r.T + r.B) / 2), "click", "1"}),
                  0);
        ASSERT_TRUE(testsupport::WaitUntil([&] { // the menu's border below the chooser
            const auto column =
                host.Capture(DefaultRootWindow(host.display()), r.L + 10, r.B, 1, 60);
            return std::count(column.begin(), column.end(), 0x80808000u) > 0;
        }));
        std::vector<std::string> keys{"key", "Home"};
        keys.insert(keys.end(), size_t(place), "Down");
        keys.push_back("Return");
        ASSERT_EQ(testsupport::Xdotool(keys), 0);
        ASSERT_TRUE(
            testsupport::WaitUntil([&] { return bankAt(upper)->fileName.find(bank) == 0; }));
    }
    // A left (1) or right (3) click at a point of the editor, whose view moves clicks 2 left
    // and 3 up, with the keys typed after it.
    void click(int x, int y, int button, const std::string& typed = "") {
        const auto editor = static_cast<platform::X11View*>(plug->GetGUI()->GetWindow());
        ASSERT_EQ(testsupport::Xdotool({"mousemove", "--window", std::to_string(editor->WindowId()),
                                        std::to_string(x + 2), std::to_string(y + 3), "click",
                                        std::to_string(button)}),
                  0);
        if (!typed.empty()) {
            EXPECT_EQ(testsupport::Xdotool({"type", typed}), 0);
        }
    }
    // Marks the upper bank as a fetch into it does.
    void fetchIntoUpperBank() {
        {
            KIT_MutexLock lock(&plug->getLibrarian()->mutex());
            bankAt(true)->entries.at(1).name = "Fetched";
        }
        plug->SetLibrarianStatusUnsaved(true);
    }
    testsupport::XHostWindow host{1500, 757};
    std::unique_ptr<Zoz> plug;
    platform::View* view = nullptr;
    int clicks = 0;
};

TEST_F(UnsavedBank, KeepsItsButtonsAndIsNeverReadOverUnasked) {
    if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    putBank("Factory.syx");
    open();
    testsupport::ScriptedChooser zenity;
    IGraphics* gui = plug->GetGUI();
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
    if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    putBank("Factory.syx");
    setenv(platform::dialogs::kChooserVariable, "drawn", 1);
    open();
    IGraphics* gui = plug->GetGUI();
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

// Discard, and Refresh Folders answered No, read back from their files the two banks the grids
// showed, chosen in the "Folders and banks" menus, for every data type and in the category
// and search views: the grids, the bank name fields and the next save stay on them.
TEST_F(UnsavedBank, DiscardReadsBackTheBanksChosenInTheMenus) {
    if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    using namespace testsupport;
    std::filesystem::create_directories(data + "Patches");
    for (const std::string bank : {"Alpha", "Bravo", "Init"}) {
        const std::string at = data + "Patches/" + bank, prefix = bank.substr(0, 1);
        writeFile(at + " Sounds.syx", rawBankFile(soundDumps(100, prefix, "Bass")));
        writeFile(at + " Multis.syx", rawBankFile(multiDumps(100, prefix)));
        writeFile(at + " Patterns.syx", rawBankFile(patternDumps(100, prefix)));
    }
    open();
    testsupport::ScriptedChooser zenity;
    onEditor(kFirstRunExit, 1); // the new install's notice answered
    onEditor(kMainTab, 1);
    const struct {
        int type;
        char view; // of the sound lists: plain, category or search
        const char *upper, *lower, *files;
    } cases[] = {
        {0, 'p', "UPPERPOPUPMENU", "LOWERPOPUPMENU", " Sounds.syx"},
        {1, 'p', "LeftPerformancePopupMenu", "RightPerformancePopupMenu", " Multis.syx"},
        {2, 'p', "LeftPatternPopupMenu", "RightPatternPopupMenu", " Patterns.syx"},
        {0, 'c', "UPPERPOPUPMENU", nullptr, " Sounds.syx"},
        {0, 's', "UPPERPOPUPMENU", nullptr, " Sounds.syx"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.upper) + " " + c.view);
        onEditor(kDatatype, c.type);
        if (c.view == 'c') onEditor(kCategorySelection, 1);
        if (c.view == 's') {
            plug->GetParam(kPatchSearchString)->SetDisplayText(0, "I 1");
            onEditor(kPatchSearchString, 0);
        }
        choose(c.upper, true, 1, "Bravo");
        c.lower ? choose(c.lower, false, 1, "Bravo") : onEditor(kLibLowerNextBank, 1);
        const std::string lower = shown(false);
        for (bool byRefresh : {false, true}) {
            fetchIntoUpperBank();
            if (byRefresh) zenity.reply(1, ""); // No: discard
            onEditor(byRefresh ? kRefreshFolders : kDiscardBankData, 1);
            EXPECT_EQ(shown(true), "Bravo" + std::string(c.files)) << byRefresh;
            EXPECT_EQ(shown(false), lower) << byRefresh;
            EXPECT_NE(bankAt(true)->entries.at(1).name, "Fetched");
        }
        if (c.view != 'p') onEditor(c.view == 'c' ? kCategorySelection : kPatchSearch, 0);
    }
    plug->GetGUI()->CloseWindow();
}

// Bravo's file deleted, renamed or made unreadable before Discard, or Refresh Folders answered
// No: the display and the log name it, the upper grid and its bank name field agree on the
// first bank of the list in its place, and the lower list keeps Charlie.
TEST_F(UnsavedBank, ABankThatIsGoneIsNamedAndTheBankInItsPlaceShown) {
    if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    namespace fs = std::filesystem;
    fs::create_directories(data + "Patches");
    // Bravo's name fills the display line to its last character, one of them two bytes long.
    const std::string bravoName = "Bravo S\xC3\xB6nds 1.vub";
    for (const std::string& bank :
         {std::string("Alpha Sounds.vub"), bravoName, std::string("Charlie Sounds.vub")})
        testsupport::writeFile(
            data + "Patches/" + bank,
            testsupport::rawBankFile(testsupport::soundDumps(100, bank.substr(0, 5), "Bass")));
    keepLog();
    // Capabilities pass to the threads started: the editor's cannot read past file modes.
    testsupport::withoutFileModeOverride([&] { open(); });
    plug->setMIDIIOSet(true); // as a fetch needs
    testsupport::ScriptedChooser zenity;
    onEditor(kFirstRunExit, 1);
    onEditor(kMainTab, 1);
    const std::string bravo = data + "Patches/" + bravoName, away = data + "Bravo.away";
    const std::function<void()> fates[][2] = {
        // take Bravo's file, give it back
        {[&] { fs::rename(bravo, away); }, [&] { fs::rename(away, bravo); }},
        {[&] { fs::rename(bravo, data + "Patches/Zulu.vub"); },
         [&] { fs::rename(data + "Patches/Zulu.vub", bravo); }},
        {[&] { fs::permissions(bravo, fs::perms::none); },
         [&] { fs::permissions(bravo, fs::perms::owner_read | fs::perms::owner_write); }},
    };
    for (const auto& fate : fates) {
        for (bool byRefresh : {false, true}) {
            SCOPED_TRACE(std::to_string(&fate - fates) + (byRefresh ? " refresh" : " discard"));
            ASSERT_NO_FATAL_FAILURE(choose("UPPERPOPUPMENU", true, 1, "Bravo"));
            ASSERT_NO_FATAL_FAILURE(choose("LOWERPOPUPMENU", false, 2, "Charlie"));
            fetchIntoUpperBank();
            fate[0]();
            if (byRefresh) zenity.reply(1, ""); // No: discard
            onEditor(byRefresh ? kRefreshFolders : kDiscardBankData, 1);
            EXPECT_EQ(shown(true), "Alpha Sounds.vub");
            EXPECT_EQ(shown(false), "Charlie Sounds.vub");
            EXPECT_EQ(line(kControlDisplayName), "Bank not found: '" + bravoName + "'");
            EXPECT_EQ(line(kControlDisplayValue), "'Alpha Sounds.vub' shown instead");
            fate[1]();
            onEditor(kRefreshFolders, 1);
        }
    }
    const std::vector<std::string> log = logLines();
    EXPECT_EQ(std::count(log.begin(), log.end(),
                         "PATCH LIBRARIAN: bank " + bravoName +
                             " in Patches not found, Alpha Sounds.vub shown"),
              6);
    plug->GetGUI()->CloseWindow();
}

// An upper slot renamed through its menu shows its new name in the grid at once, also after
// a page switch; a rename to the name it holds leaves the bank saved.
TEST_F(UnsavedBank, ARenamedSlotShowsItsNameAndTheSameNameChangesNothing) {
    if (!host.Ok()) GTEST_SKIP() << "no X display (scripts/test starts Xvfb)";
    putBank("Factory.syx");
    open();
    onEditor(kFirstRunExit, 1);
    onEditor(kMainTab, 1);
    const ITextControl& slot = plug->getLibrarianView()->getSlot(LibrarianViewControl::kUpper, 3);
    const IRECT& r = slot.GetRECT();
    const int x = (r.L + r.R) / 2, y = (r.T + r.B) / 2;
    const IRECT& field = plug->keptControl(kPatchRename)->GetRECT();
    const auto renameLayerShown = [&](bool shown) {
        return testsupport::WaitUntil(
            [&] { return plug->namedLayer("patchRename")->isVisible() == shown; });
    };
    // The name it holds, typed without its trailing blanks; then a name as long as the field.
    for (const std::string name : {"S 4", "Lead Of Sixteen."}) {
        SCOPED_TRACE(name);
        click(x, y, 3);
        ASSERT_TRUE(testsupport::WaitUntil([&] {
            const auto p = host.Capture(DefaultRootWindow(host.display()), x + 6, y + 6, 1, 1);
            return p.size() == 1 && p[0] == 0xF0F0F000; // the menu's light grey
        }));
        ASSERT_EQ(testsupport::Xdotool({"key", "Home", "Down", "Return"}), 0); // "Rename"
        ASSERT_TRUE(renameLayerShown(true));
        click((field.L + field.R) / 2, (field.T + field.B) / 2, 1, name);
        ASSERT_EQ(testsupport::Xdotool({"key", "Return"}), 0);
        ASSERT_TRUE(renameLayerShown(false));
        EXPECT_EQ(plug->GetParam(kBankEditUnsaved)->Value(), name == "S 4" ? 0.0 : 1.0);
    }
    EXPECT_EQ(slot.GetTextForPlug(), "Lead Of Sixteen.");
    onEditor(kMainTab, 2);
    onEditor(kMainTab, 1);
    EXPECT_EQ(slot.GetTextForPlug(), "Lead Of Sixteen.");
    plug->GetGUI()->CloseWindow();
}
