// The standard file panels through a scripted provider (what they were set up with, the
// accessory dialog, the menus while they run, their results) and through a fake chooser.

#include "WinlViewFixture.h"
#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-menu.h"
#include "kit/winl/winl-miscdlg.h"
#include "platform/wsys/FilePanel.h"
#include "tests/support/ScriptedChooser.h"

#include <cstdlib>

namespace winltest {
namespace {

// What the provider saw of a running panel.
struct Seen {
    std::string title, directory, name;
    std::vector<std::string> types;
    bool open = false, multiple = false, files = false, directories = false, create = false;
    bool accessory = false;
    HMENU menu = nullptr; // compared only: destroyed after the run
    int menuItems = 0;
};

std::vector<unsigned> g_accessoryMessages;
LRESULT accessoryProc(HWND, unsigned msg, WPARAM, LPARAM) {
    g_accessoryMessages.push_back(msg);
    return 0;
}
WINL_DialogResourceIndex g_accessory{"acc", "", WINL_DialogResourceIndex::kChild, nullptr,
                                     100, 40, nullptr};

class WinlFileDialog : public WinlViewTest {
protected:
    void SetUp() override {
        WinlViewTest::SetUp();
        wsys::SetFilePanelProvider([this](wsys::SavePanel& p) {
            seen.push_back(Seen{p.Title(), p.Directory(), p.NameFieldValue(), p.AllowedFileTypes(),
                                p.IsOpenPanel(), p.AllowsMultipleSelection(), p.CanChooseFiles(),
                                p.CanChooseDirectories(), p.CanCreateDirectories(),
                                p.AccessoryView() != nullptr, WINL_GetCurrentMenu(),
                                GetMenuItemCount(WINL_GetCurrentMenu())});
            if (answers.empty()) return 0;
            p.SetFilenames(answers.front());
            answers.erase(answers.begin());
            return 1;
        });
    }
    void TearDown() override {
        wsys::SetFilePanelProvider(nullptr);
        WinlViewTest::TearDown();
    }
    std::vector<Seen> seen;
    std::vector<std::vector<std::string>> answers;
};

std::string block(const char* b) {
    size_t n = 0;
    while (b[n] || b[n + 1])
        ++n;
    return std::string(b, n + 2);
}

} // namespace

TEST(WinlFileDialogTypes, ExtensionsFromFilterLists) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {std::string("All\0*.*\0\0", 10), {}},
        {std::string("Audio\0*.wav;*.AIF\0\0", 20), {"wav", "AIF"}},
        {std::string("A\0*.syx\0B\0*.mid;*\0\0", 20), {"syx", "mid"}},
        {std::string("Long\0*.abcdefghijklmnopqrstuvwxyz0123456789\0\0", 45),
         {"abcdefghijklmnopqrstuvwxyz01234"}},
        {std::string("None\0\0", 6), {}},
    };
    for (const auto& [list, types] : cases)
        EXPECT_EQ(extensionsFromList(list.c_str()), types) << list;
    EXPECT_TRUE(extensionsFromList(nullptr).empty());
}

TEST_F(WinlFileDialog, SavePanelStartsWhereAskedAndCopiesThePath) {
    HMENU modal = CreatePopupMenu();
    AddMenuItem(modal, 0, "Edit", 5);
    WINL_SetDefaultModalWindowMenu(modal);
    HMENU own = CreatePopupMenu();
    SetMenu(view.get(), own);
    SetFocus(view.get());
    const std::string wav = std::string("Audio\0*.wav\0\0", 14);
    char buf[8] = "xxxxxxx";
    answers = {{"/music/a.wav"}, {""}};
    EXPECT_TRUE(BrowseForSaveFile("Save", "/d", "/song", wav.c_str(), buf, 5));
    EXPECT_STREQ(buf, "/mus");
    EXPECT_FALSE(BrowseForSaveFile("Save", "/d", "sub/dir/x.wav", wav.c_str(), buf, 8)); // ""
    EXPECT_FALSE(BrowseForSaveFile(nullptr, "/d", "name", nullptr, buf, 8));           // cancel
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].title, "Save");
    EXPECT_EQ(seen[0].directory, "/");
    EXPECT_EQ(seen[0].name, "song");
    EXPECT_EQ(seen[0].types, std::vector<std::string>{"wav"});
    EXPECT_FALSE(seen[0].open);
    EXPECT_EQ(seen[1].directory, "sub/dir");
    EXPECT_EQ(seen[1].name, "x.wav");
    EXPECT_EQ(seen[2].directory, "/d");
    EXPECT_EQ(seen[2].name, "name");
    // A copy of the modal menu while running; the focused window's menu after.
    EXPECT_NE(seen[0].menu, modal);
    EXPECT_NE(seen[0].menu, nullptr);
    EXPECT_EQ(seen[0].menuItems, 1);
    EXPECT_EQ(WINL_GetCurrentMenu(), own);
    // Closed again.
    EXPECT_EQ(wsys::App().Windows().size(), 1u);
    WINL_SetDefaultModalWindowMenu(nullptr);
    DestroyMenu(modal);
    DestroyMenu(own);
}

TEST_F(WinlFileDialog, TemplateServesTheNextPanelOnly) {
    g_accessoryMessages.clear();
    BrowseFile_SetTemplate("acc", accessoryProc, &g_accessory);
    char buf[64];
    answers = {{"/f"}};
    EXPECT_TRUE(BrowseForDirectory("Pick", "/start", buf, sizeof buf));
    EXPECT_STREQ(buf, "/f");
    EXPECT_EQ(g_accessoryMessages.front(), unsigned(WM_INITDIALOG));
    EXPECT_EQ(g_accessoryMessages.back(), unsigned(WM_DESTROY));
    EXPECT_FALSE(BrowseForDirectory("Pick", "", buf, sizeof buf));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].accessory);
    EXPECT_FALSE(seen[1].accessory);
    EXPECT_TRUE(seen[0].open && seen[0].directories && seen[0].create && !seen[0].files);
    EXPECT_EQ(seen[0].directory, "/start");
}

TEST_F(WinlFileDialog, OpenPanelResultLayouts) {
    answers = {{"/a/one.syx"}, {"/a/1", "/b/\xC3\xA9", "/c/3"}, {"/a/1", "/a/2"}};
    char* one = BrowseForFiles("Open", "", "", true, nullptr);
    char* three = BrowseForFiles("Open", "", "", true, nullptr);
    char* notMultiple = BrowseForFiles("Open", "", "", false, nullptr);
    EXPECT_EQ(block(one), std::string("/a/one.syx\0\0", 12));
    EXPECT_EQ(block(three), std::string("\0/a/1\0/b/\xC3\xA9\0/c/3\0\0", 18));
    EXPECT_EQ(block(notMultiple), std::string("/a/1\0\0", 6));
    EXPECT_EQ(BrowseForFiles("Open", "", "", true, nullptr), nullptr);
    free(one);
    free(three);
    free(notMultiple);
    EXPECT_TRUE(seen[0].multiple && seen[0].files && !seen[0].directories);
    EXPECT_FALSE(seen[2].multiple);
}

// The Linux choosers stand in for the panel by default; they see no accessory dialog, which
// is still made and destroyed.
TEST_F(WinlFileDialog, DefaultProviderRunsTheChooser) {
    wsys::SetFilePanelProvider(nullptr);
    testsupport::ScriptedChooser zenity("zenity");
    zenity.answer("/m/a.mid\n/m/b.mid");
    g_accessoryMessages.clear();
    BrowseFile_SetTemplate("acc", accessoryProc, &g_accessory);
    const std::string mid = std::string("MIDI\0*.mid\0\0", 12);
    char* files = BrowseForFiles("Open", "/m", "", true, mid.c_str());
    EXPECT_EQ(block(files), std::string("\0/m/a.mid\0/m/b.mid\0\0", 20));
    free(files);
    EXPECT_EQ(zenity.calls().at(0),
              (std::vector<std::string>{"--file-selection", "--filename=/m/", "--multiple",
                                        "--separator=\n", "--file-filter=*.mid | *.mid"}));
    EXPECT_EQ(g_accessoryMessages.back(), unsigned(WM_DESTROY));
}

} // namespace winltest
