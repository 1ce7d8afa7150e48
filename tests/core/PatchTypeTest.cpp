// The librarian's bank-list parameters follow the kind of data shown; labels fit the display.

#include "tests/core/CoreRig.h"

#include "kit/effect/IControl.h"
#include "kit/effect/ITextControl.h"
#include "src/browser/BankChooser.h"
#include "src/browser/LibrarianViewControl.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"

#include <deque>
#include <filesystem>
#include <tuple>

using namespace coretest;
using PatchType = CoreRig;

TEST_F(PatchType, EachListKindEmptiesAndLabelsItsOwnParameters) {
    resources = ZOZ_TEST_LAYOUT;
    putBank("Sounds.syx");
    testsupport::writeFile(data + "Patches/Multis.syx",
                           testsupport::rawBankFile(testsupport::multiDumps(100, "M")));
    testsupport::writeFile(data + "Patches/Patterns.syx",
                           testsupport::rawBankFile(testsupport::patternDumps(100, "P")));
    auto plug = start();
    PatchLibrarian& lib = *plug->getLibrarian();
    lib.createNewSearchPatchFiles("S 1");
    const std::vector<int> params = {kPatchSelectionListUpper,    kPatchSelectionListLower,
                                     kCurrentOpenPatchBankL + 15, kCurrentOpenPatchBankR,
                                     kCurrentOpenPerfBankL,       kCurrentOpenPatternBankR,
                                     kCurrentOpenPatternBankR + 1};
    auto markOld = [&] {
        for (int idx : params) {
            IParam* param = plug->GetParam(idx);
            param->ResetDisplayTexts();
            for (int v = 0; v < 5; ++v)
                param->SetDisplayText(v, "old");
            param->Set(3.0);
        }
    };
    // Per parameter: 'l' named after the list's banks, 'c' emptied, 'k' kept.
    const struct {
        int type;
        const std::vector<PatchFile*>& banks;
        const char* was;
    } kinds[] = {
        {0, lib.soundBanks, "llllcck"},  {0, lib.categoryBanks, "klklcck"},
        {1, lib.multiBanks, "llkklck"},  {2, lib.patternBanks, "llklcck"},
        {0, lib.searchBanks, "klklcck"},
    };
    for (int kind = 0; kind < 5; ++kind) {
        SCOPED_TRACE(kind);
        markOld();
        plug->keptControl(kPatchSelectionListUpper)->SetValueFromPlug(0.75);
        lib.upperBankIndex = lib.lowerBankIndex = 2;
        {
            // As the parameter-change handling calls it; the list controls re-enter that.
            KIT_MutexLock lock(plug->GetMutex());
            plug->patchTypeChanged(kinds[kind].type, kind, false);
        }
        EXPECT_EQ(int(lib.currentType), kinds[kind].type);
        EXPECT_EQ(lib.upperBankIndex + lib.lowerBankIndex, 0);
        const std::vector<PatchFile*>& banks = kinds[kind].banks;
        for (size_t i = 0; i < params.size(); ++i) {
            SCOPED_TRACE(params[i]);
            const IParam* param = plug->GetParam(params[i]);
            const char was = kinds[kind].was[i];
            const int texts = was == 'l' ? int(banks.size()) : was == 'c' ? 0 : 5;
            EXPECT_EQ(param->GetNDisplayTexts(), texts);
            EXPECT_EQ(param->GetDisplayText(0), was == 'l' ? banks[0]->fileName
                                                : texts    ? "old"
                                                           : "");
            EXPECT_EQ(param->GetMax(), was == 'l' ? std::max(texts - 1, 0) : 4);
            // The upper list's control hands its 0 on also where the texts stay.
            EXPECT_EQ(param->Value(), was == 'k' && params[i] != kPatchSelectionListUpper ? 3 : 0);
        }
    }

    // Relabelling in place: the pattern banks name the part lists, values, surplus texts and
    // maxima stay, and the multi lists are left alone.
    markOld();
    plug->setSequenceMode(true);
    plug->ResetPatchSelectionMenus();
    for (int idx : {kCurrentOpenPatchBankL + 15, int(kCurrentOpenPerfBankL)}) {
        const IParam* param = plug->GetParam(idx);
        EXPECT_STREQ(param->GetDisplayText(0),
                     idx == kCurrentOpenPerfBankL ? "old" : "Patterns.syx");
        EXPECT_EQ(std::make_tuple(param->GetNDisplayTexts(), param->GetMax(), param->Value()),
                  std::make_tuple(5, 4.0, 3.0));
    }

    // A reload forgets the search results: the lower lists name no bank, not bank "0".
    plug->setSequenceMode(false);
    plug->patchTypeChanged(0, 4, true);
    for (int idx : {kPatchSelectionListLower, kCurrentOpenPatchBankR}) {
        EXPECT_EQ(plug->GetParam(idx)->GetNDisplayTexts(), 1);
        EXPECT_STREQ(plug->GetParam(idx)->GetDisplayText(0), "----");
    }
}

TEST_F(PatchType, LongNamesAreShortenedCountedAndCutToTheDisplay) {
    keepLog();
    const std::string a(47, 'a'), b46(46, 'b');
    std::deque<PatchFile> files;
    auto plug = start();
    const std::pair<std::string, std::string> names[] = {
        {std::string(48, 'x') + ".SYX", std::string(48, 'x') + ".SYX"}, // 52 bytes
        {a + "-one.SYX", a + "~1.syx"},
        {b46 + "\xC3\xA4x.syx", b46 + "\xC3~1.syx"}, // 53 bytes, cut inside a character
        {a + "-two.syx", a + "~1.syx"},
        {"short.syx", "short.syx"},
        {a + "-3.mid", a + "~2.mid"},
    };
    std::vector<PatchFile*>& banks = plug->getLibrarian()->soundBanks;
    banks.clear();
    for (int i = 0; i < 1004; ++i) {
        banks.push_back(&files.emplace_back());
        banks.back()->fileName = i < 6 ? names[i].first : a + "-more.syx";
    }
    plug->patchTypeChanged(0, 0, false);

    for (int idx : {int(kPatchSelectionListUpper), kCurrentOpenPatchBankR + 15}) {
        const IParam* param = plug->GetParam(idx);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(param->GetDisplayText(i), names[i].second) << i;
        EXPECT_EQ(param->GetDisplayText(1002), a + "~999.syx");
        EXPECT_EQ(param->GetDisplayText(1003), a + "~1000.sy"); // cut to 55 bytes
    }
    const std::vector<std::string> log = logLines();
    EXPECT_EQ(std::count(log.begin(), log.end(),
                         "PATCH LIBRARIAN: Filename " + a + "-one.SYX RENAMED TO " + a +
                             "~1.syx Because the filename was too long to fit in plug-in "
                             "display!"),
              1);
}

// Three banks of each type. The upper grid shows bank 0 of a new type, or the bank last chosen
// for that type; never the index of another type's bank. A paste lands in the bank shown,
// which is also the one "Save (Overwrite current bank)" writes: the librarian's upper index
// into its current type's list.
TEST_F(PatchType, TheUpperGridKeepsTheBankOfItsOwnType) {
    resources = ZOZ_BUILT_RESOURCES; // with the data type switch
    std::filesystem::create_directories(data + "Patches");
    for (const char* kind : {"S", "M", "P"})
        for (int i = 0; i < 3; ++i) {
            const std::string name = kind + std::to_string(i);
            testsupport::writeFile(
                data + "Patches/" + name + ".syx",
                testsupport::rawBankFile(*kind == 'S'   ? testsupport::soundDumps(100, name, "Bass")
                                         : *kind == 'M' ? testsupport::multiDumps(100, name)
                                                        : testsupport::patternDumps(100, name)));
        }
    auto plug = start();
    PatchLibrarian& lib = *plug->getLibrarian();
    LibrarianViewControl* grid = plug->getLibrarianView();
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(lib.multiBanks.size(), 3u);
    const auto dataType = [&](int type) {
        plug->SetParameterFromGUI(kDatatype, plug->GetParam(kDatatype)->GetNormalized(type));
    };
    // As a choice in the upper chooser of the type leaves it: remembered, then shown.
    const auto choose = [&](int row, LibrarianHost::BankPosition at, int k) {
        const PatchFile& bank = *lib.bankList(lib.currentType)->at(size_t(k));
        plug->setRememberedFileName(at, bank.fileName);
        plug->setRememberedFolder(at, bank.holdingFolder);
        plug->refreshFolderStructure(row, k, bank.holdingFolder, bank.fileName);
    };
    // The upper bank by its librarian index, list parameter and first slot: "M1" for multi 1.
    const auto shown = [&] {
        const std::string slot = grid->getSlot(LibrarianViewControl::kUpper, 0).GetTextForPlug();
        const int list = TruncToInt(plug->GetParam(kPatchSelectionListUpper)->Value());
        const std::string kind = slot.substr(0, 1);
        return list == lib.upperBankIndex ? kind + std::to_string(list) : "mismatch";
    };

    choose(BankChooser::kLeftPatch, LibrarianHost::kUpperSound, 2);
    EXPECT_EQ(shown(), "S2");
    dataType(1);
    EXPECT_EQ(shown(), "M0");
    dataType(2);
    EXPECT_EQ(shown(), "P0");
    dataType(1);
    choose(BankChooser::kLeftPerf, LibrarianHost::kUpperMulti, 1);
    EXPECT_EQ(shown(), "M1");
    dataType(0);
    EXPECT_EQ(shown(), "S2");
    dataType(1);
    EXPECT_EQ(shown(), "M1");
    {
        KIT_MutexLock lock(plug->GetMutex());
        plug->patchTypeChanged(1, 2, true); // "Refresh Folders"
    }
    EXPECT_EQ(shown(), "M1");

    // Multi 0's entry 6 from the lower grid into upper slot 7.
    const auto at = [&](LibrarianViewControl::Side side, int slot) {
        const IRECT r = grid->getSlot(side, slot).GetRECT();
        return std::pair{(r.L + r.R) / 2, (r.T + r.B) / 2};
    };
    const auto [cx, cy] = at(LibrarianViewControl::kLower, 5);
    grid->CopySlotData(cx, cy);
    const auto [px, py] = at(LibrarianViewControl::kUpper, 7);
    grid->PasteSlotData(px, py);
    EXPECT_EQ(lib.multiBanks[1]->entries[7].name.substr(0, 4), "M0 6");
    EXPECT_EQ(lib.multiBanks[2]->entries[7].name.substr(0, 4), "M2 8");
    EXPECT_EQ(grid->getSlot(LibrarianViewControl::kUpper, 7).GetTextForPlug().substr(0, 4), "M0 6");
}
