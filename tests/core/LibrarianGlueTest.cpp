// The plug-in's librarian and display glue on the build's layout: captions and display lines,
// the audition of a librarian entry, the menus that follow the modes, and slot menus.

#include "tests/core/SendRig.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/IMidiMsg.h"
#include "src/browser/BankChooser.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/sender/SenderJob.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/ScaledClock.h"
#include "tests/support/ScriptedChooser.h"

#include <chrono>
#include <set>
#include <stdexcept>
#include <thread>

using namespace coretest;

namespace {

struct LibrarianGlue : SendRig {
    void SetUp() override {
        putBank("Short.syx");
        SendRig::SetUp();
        // Shorter than a bank file may be: only in memory.
        plug->getLibrarian()->soundBanks.at(0)->entries.resize(40);
    }
    void TearDown() override {
        plug->held = false;
        waitForIdleJobThread(*plug);
        SendRig::TearDown();
    }
    std::vector<Bytes> notesOff() {
        std::vector<Bytes> found;
        for (const Bytes& m : sent())
            if (m.size() == 3 && (m[0] & 0xF0) == 0xB0 && m[1] == IMidiMsg::kAllNotesOff)
                found.push_back(m);
        return found;
    }
    template <class Menu> Menu& menu() {
        for (int row = 0; row < Zoz::kPopupMenus; ++row)
            if (auto* found = dynamic_cast<Menu*>(plug->popupMenu(row))) return *found;
        throw std::logic_error("no such menu");
    }
    // The banks that lie in the patches folder stand in the top menu of the chooser.
    template <class Menu> int topItems() { return menu<Menu>().topMenu().GetNItems(); }
};

} // namespace

TEST_F(LibrarianGlue, CaptionsAndDisplayLines) {
    EXPECT_STREQ(plug->getPanelString(0, "Filter"), "Part 1 Filter");
    EXPECT_STREQ(plug->getPanelString(15, "Ä"), "Part 16 Ä");
    EXPECT_EQ(Zoz::getValueString(126.6), "127");
    plug->displayText("Cutoff", "64", "74");
    plug->displayBuild("1.0.7");
    EXPECT_EQ(line(kControlDisplayName) + line(kControlDisplayValue) + line(kControlDisplayCC) +
                  line(kControlDisplayBuild),
              "Cutoff64741.0.7");
    EXPECT_EQ(plug->getPatchesFolderLength(), int(data.size() + 7));
}

// While a transfer holds the job thread: a slot past the bank's 40 entries exists once the
// bank is completed but holds nothing to send; a locked part being edited stops every
// audition; a filled slot becomes the part's program and sends one All Notes Off per
// transfer, on the part's channel or, for "Global" and "Omni", the global one.
TEST_F(LibrarianGlue, AnAuditionDuringATransfer) {
    plug->held = true;
    ASSERT_TRUE(plug->postJob(SenderJob::kSendArrangementToDevice, {}));
    while (!plug->holding)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    set(kMultiPartPatch + 2, 7);
    plug->sendPatchToDeviceFromLibrarian(50, 0, 2);
    EXPECT_EQ(plug->getLibrarian()->soundBanks.at(0)->entries.size(), 100u);
    set(kPartLock + 0, 1.0);
    plug->sendPatchToDeviceFromLibrarian(5, 0, 2);
    EXPECT_EQ(value(kMultiPartPatch + 2), 7);
    EXPECT_TRUE(notesOff().empty());
    set(kPartLock + 0, 0.0);

    const struct {
        int global, setting;
        std::vector<Bytes> expected;
    } rows[] = {
        {16, 0, {{0xBF, 0x7B, 0x00}}},
        {16, 1, {{0xBF, 0x7B, 0x00}}},
        {16, 4, {{0xB2, 0x7B, 0x00}}},
        {0, 1, {}}, // no global channel: nothing
    };
    for (const auto& row : rows) {
        plug->Reset(); // a new transfer
        set(kGlobalMidiChannel, row.global);
        set(kMultiPartMIDICh + 2, row.setting);
        plug->sendPatchToDeviceFromLibrarian(5, 0, 2);
        plug->sendPatchToDeviceFromLibrarian(6, 0, 2);
        EXPECT_EQ(notesOff(), row.expected) << row.global << " " << row.setting;
    }
    EXPECT_EQ(value(kMultiPartPatch + 2), 6);
}

// Under the thread sanitizer: an arrangement send shows and hides the progress overlay and
// reads the parameters while the host writes them and the editor polls and draws.
TEST_F(LibrarianGlue, AnArrangementSendBesideTheHostAndTheEditor) {
    testsupport::ScaledClock fast(10);
    IGraphics* editor = plug->GetGUI();
    ASSERT_TRUE(plug->postJob(SenderJob::kSendArrangementToDevice, {}));
    for (int i = 0; plug->getMessageManager()->isRunning(MIDIMessageManager::kJobThread); ++i) {
        set(kMultiPartStatus + i % 16, i % 2);
        IRECT dirty, all(0, 0, editor->Width(), editor->Height());
        editor->IsDirty(&dirty);
        editor->Draw(&all);
    }
    EXPECT_FALSE(plug->progressLayerOf()->isVisible());
    const std::vector<Bytes> dumps = sent();
    ASSERT_FALSE(dumps.empty());
    EXPECT_EQ(dumps[0].size(), 393u);
}

// Sequence mode wins over multi mode: only the pattern menus are rebuilt and show a bank
// that a reload found.
TEST_F(LibrarianGlue, TheMenusOfTheModeAreRebuilt) {
    putBank("New sounds.syx");
    testsupport::writeFile(data + "Patches/New patterns.syx",
                           testsupport::rawBankFile(testsupport::patternDumps(100, "P")));
    testsupport::writeFile(data + "Patches/New multis.syx",
                           testsupport::rawBankFile(testsupport::multiDumps(100, "M")));
    plug->getLibrarian()->loadPatchesFromFilesystem(plug->getPatchesFolderStr());
    plug->setSequenceMode(true);
    plug->setMultiMode(true);
    plug->refreshPopUpMenus();
    EXPECT_EQ(topItems<LeftPatternPopupMenu>(), 1);
    EXPECT_EQ(topItems<RightPatternPopupMenu>(), 1);
    EXPECT_EQ(topItems<LeftPerfPopupMenu>(), 0);
    EXPECT_EQ(topItems<RightPatchPopupMenu>(), 1); // Short.syx alone
    plug->setSequenceMode(false);
    plug->refreshPopUpMenus();
    EXPECT_EQ(topItems<RightPerfPopupMenu>(), 1);
    EXPECT_EQ(topItems<RightPatchPopupMenu>(), 1);
}

// A bank saved with Save As and a file copied into the patches folder: after "Refresh Folders"
// the upper menu lists both as the lower one does, also in the category view.
TEST_F(LibrarianGlue, RefreshFoldersListsNewBanksInTheUpperMenuToo) {
    plug->GetGUI()->OpenWindow(nullptr); // the chooser asks in an editor
    plug->getLibrarian()->initBankFilesOnDiscard(plug->getPatchesFolderStr()); // 100 again
    testsupport::ScriptedChooser zenity;
    zenity.answer(data + "Patches/Saved.vub");
    ASSERT_TRUE(plug->getLibrarian()->savePatchAs("Short.vub", data + "Patches", false));
    putBank("Copied.syx");
    const auto lists = [](const IPopupMenu& menu) {
        std::set<std::string> texts;
        for (int i = 0; i < menu.GetNItems(); ++i)
            texts.insert(menu.GetItemText(i));
        return texts.count("Saved.vub") + texts.count("Copied.syx") == 2;
    };
    for (const bool category : {false, true}) {
        plug->setCategoryView(category);
        plug->OnParamChange(kRefreshFolders);
        EXPECT_TRUE(lists(menu<LeftPatchPopupMenu>().topMenu())) << category;
        EXPECT_TRUE(category || lists(menu<RightPatchPopupMenu>().topMenu()));
    }
    plug->GetGUI()->CloseWindow();
}

// Each right click makes a new slot menu; the one it replaces is freed (LeakSanitizer).
TEST_F(LibrarianGlue, SlotMenusOfRightClicks) {
    for (int i = 0; i < 2; ++i) {
        plug->showFileEditMenu(400, 300);
        plug->showFileCopyMenu(400, 300);
    }
}
