#include "src/params/LibrarianRules.h"

#include "kit/effect/IEffectBase.h"
#include "kit/effect/IGraphics.h"
#include "platform/Clock.h"
#include "platform/dialogs/Dialogs.h"
#include "src/browser/BankChooser.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/params/ControlDisplay.h"
#include "src/params/PageZones.h"
#include "src/params/ParamChangePlugin.h"
#include "src/params/TabSwitchFunctions.h"
#include "src/sender/SenderJob.h"
#include "src/uiconfig/ParameterIds.h"

#include <array>

namespace {

constexpr const char* kSearchPrompt = "search...";
constexpr const char* kUnsavedQuestion =
    "The bank holds data that is not saved. Save it before the folders are read again? "
    "No discards it.";
constexpr const char* kSaveOrDiscard = "Save bank or Discard changes!";
constexpr int kRequestWaitMillis = 1000;

// The lower lists of patchTypeChanged.
enum LowerList { kSoundBanks, kCategoryBanks, kMultiBanks, kPatternBanks, kSearchResults };

IParam* param(ParamChangePlugin* plug, int idx) {
    return plug->effect()->GetParam(idx);
}

void hide(ParamChangePlugin* plug, const char* name) {
    hideNamedLayer(plug, name, true);
}

void show(ParamChangePlugin* plug, const char* name) {
    hideNamedLayer(plug, name, false);
}

void setSearchText(ParamChangePlugin* plug, const char* text) {
    param(plug, kPatchSearchString)->SetDisplayText(0, text);
}

// A redraw of the editor.
void flashProgressIndicator(ParamChangePlugin* plug) {
    plug->showProgressIndicator(true);
    plug->showProgressIndicator(false);
}

// The sound lists as the view flags choose them; the category view wins.
int soundLowerList(ParamChangePlugin* plug) {
    return plug->isCategoryView() ? kCategoryBanks
           : plug->isSearchView() ? kSearchResults
                                  : kSoundBanks;
}

void showSoundLowerList(ParamChangePlugin* plug, bool refresh) {
    plug->patchTypeChanged(int(DataType::kSound), soundLowerList(plug), refresh);
}

// The search view off: the lower list shows the sound banks again.
void closeSearchView(ParamChangePlugin* plug) {
    plug->setSearchView(false);
    setSearchText(plug, kSearchPrompt);
    showLibrarianFilters(plug);
    showSoundLowerList(plug, false);
    show(plug, "LOWERPOPUPMENU");
    hide(plug, "RightSearchPopupMenu");
}

} // namespace

const LibrarianTypeView kLibrarianTypeViews[3] = {
    {kSoundBanks, "UPPERPOPUPMENU", "LOWERPOPUPMENU", BankChooser::kLeftPatch,
     BankChooser::kRightPatch, LibrarianHost::kUpperSound, LibrarianHost::kLowerSound,
     kCurrentOpenPatchBankL, kCurrentOpenPatchBankR, true},
    {kMultiBanks, "LeftPerformancePopupMenu", "RightPerformancePopupMenu", BankChooser::kLeftPerf,
     BankChooser::kRightPerf, LibrarianHost::kUpperMulti, LibrarianHost::kLowerMulti,
     kCurrentOpenPerfBankL, kCurrentOpenPerfBankR, false},
    {kPatternBanks, "LeftPatternPopupMenu", "RightPatternPopupMenu", BankChooser::kLeftPattern,
     BankChooser::kRightPattern, LibrarianHost::kUpperPattern, LibrarianHost::kLowerPattern,
     kCurrentOpenPatternBankL, kCurrentOpenPatternBankR, true},
};

DataType dataTypeOf(ParamChangePlugin* plug) {
    return plug->isMultiMode()      ? DataType::kMulti
           : plug->isSequenceMode() ? DataType::kPattern
                                    : DataType::kSound;
}

std::vector<PatchFile*>* upperBanks(ParamChangePlugin* plug) {
    return plug->getLibrarian()->bankList(int(dataTypeOf(plug)));
}

std::vector<PatchFile*>* lowerBanks(ParamChangePlugin* plug) {
    PatchLibrarian* librarian = plug->getLibrarian();
    if (dataTypeOf(plug) == DataType::kSound) {
        if (plug->isCategoryView()) return &librarian->categoryBanks;
        if (plug->isSearchView()) return &librarian->searchBanks;
    }
    return upperBanks(plug);
}

RuleEnd requestTempData(ParamChange& c) {
    if (c.iv != 1) return RuleEnd::kGoOn;
    ParamChangePlugin* plug = c.plug;
    postSenderJob(plug, SenderJob::kSendActiveArrangementRequestSysex, JobKind::kRequest,
                  [](SenderJob& job) { job.toEditor = true; });
    // The answer arrives within this second, so the page is redrawn from it.
    platform::SleepMillis(kRequestWaitMillis);
    plug->effect()->OnParamChange(kMainTab);
    return RuleEnd::kGoOn;
}

RuleEnd pushArrangement(ParamChange& c) {
    if (c.iv != 1) return RuleEnd::kGoOn;
    ParamChangePlugin* plug = c.plug;
    postSenderJob(plug, SenderJob::kSendArrangementToDevice, JobKind::kDump,
                  [plug](SenderJob& job) {
                      plug->setArrangementSendFlags(true, true, true);
                      plug->SetLibrarianRequestActive(false);
                      plug->AllSoundsOff(0, true);
                      job.dumpOption1 = false;
                      job.dumpOption2 = false;
                  });
    return RuleEnd::kGoOn;
}

RuleEnd cancelDataRequest(ParamChange& c) {
    if (c.iv == 1) c.plug->requestCancelFlag() = true;
    return RuleEnd::kGoOn;
}

RuleEnd overwriteBank(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    if (c.iv != 1 || plug->getLibrarianViewSide() != 0) return RuleEnd::kGoOn;
    static const struct {
        int command;
        bool secondFlag;
    } kStores[] = {
        {SenderJob::kSendPartToDevice, false},
        {SenderJob::kSendArrangementToDevice, true},
        {SenderJob::kSendSequenceToDevice, false},
    };
    const auto& store = kStores[int(dataTypeOf(plug))];
    const int part = plug->selectedPart();
    postSenderJob(plug, store.command, JobKind::kDump, [&](SenderJob& job) {
        plug->clearArrangementSendFlag(store.secondFlag);
        if (store.command != SenderJob::kSendArrangementToDevice) job.part = part;
        job.dumpOption1 = true;
    });
    return RuleEnd::kGoOn;
}

namespace {

// A bank that a list shows, by its file; no name for none.
struct ShownBank {
    std::string fileName, folder;
};
using ShownBanks = std::array<ShownBank, 2>; // the upper list's, the lower list's

ShownBank bankAt(ParamChangePlugin* plug, const std::vector<PatchFile*>* banks, int index) {
    KIT_MutexLock lock(&plug->getLibrarian()->mutex());
    if (!banks || index < 0 || size_t(index) >= banks->size()) return {};
    const PatchFile* bank = (*banks)[size_t(index)];
    return {bank->fileName, bank->holdingFolder};
}

ShownBanks shownBanks(ParamChangePlugin* plug) {
    PatchLibrarian* librarian = plug->getLibrarian();
    return {bankAt(plug, upperBanks(plug), librarian->upperBankIndex),
            bankAt(plug, lowerBanks(plug), librarian->lowerBankIndex)};
}

// The banks become the ones that the two lists' rebuilds reopen.
void keepShownBanks(ParamChangePlugin* plug, const ShownBanks& shown) {
    const LibrarianTypeView& view = kLibrarianTypeViews[int(dataTypeOf(plug))];
    const LibrarianHost::BankPosition positions[] = {view.upperBank, view.lowerBank};
    for (size_t side : {0u, 1u}) {
        if (shown[side].fileName.empty()) continue;
        plug->setRememberedFileName(positions[side], shown[side].fileName);
        plug->setRememberedFolder(positions[side], shown[side].folder);
    }
}

// The file name in quotes, cut to fit `room` characters.
std::string quoted(const std::string& fileName, size_t room) {
    return "'" + ControlDisplay::shortened(fileName, room - 2) + "'";
}

// A bank that a list showed before the folders were read again and shows no longer (its file
// deleted, renamed or unreadable) is named on the display and in the log, with the bank that
// the grid and the bank name field show in its place, which the list then keeps.
void reportGoneBanks(ParamChangePlugin* plug, const ShownBanks& before) {
    const ShownBanks now = shownBanks(plug);
    std::vector<size_t> gone;
    for (size_t side : {0u, 1u}) {
        const ShownBank &was = before[side], &is = now[side];
        if (was.fileName.empty() || (was.fileName == is.fileName && was.folder == is.folder))
            continue;
        gone.push_back(side);
        plug->getLibrarian()->log("PATCH LIBRARIAN: bank " + was.fileName + " in " + was.folder +
                                  " not found, " + (is.fileName.empty() ? "no bank" : is.fileName) +
                                  " shown");
    }
    if (gone.empty()) return;
    keepShownBanks(plug, now);
    const size_t room = ControlDisplay::kLineChars;
    const std::string head = gone.size() == 1 ? "Bank not found: " : "Banks not found: ";
    const std::string& standIn = now[gone[0]].fileName;
    std::string second = "no bank to show";
    if (gone.size() == 2)
        second = "and " + quoted(before[1].fileName, room - 4);
    else if (!standIn.empty())
        second = quoted(standIn, room - 14) + " shown instead";
    ControlDisplay::showLines(plug, head + quoted(before[gone[0]].fileName, room - head.size()),
                              second);
}

// Drops what the edited bank holds unsaved: the folders are read again, reopening the banks
// the two lists show.
void discardUnsavedBank(ParamChangePlugin* plug) {
    plug->DisplayProcessingIndicator(true);
    hide(plug, "discardChangesLayerRight");
    show(plug, "keepBankOpenLayer");
    hide(plug, "patchRename");
    param(plug, kBankEditUnsaved)->Set(0.0);

    show(plug, kLibrarianTypeViews[int(dataTypeOf(plug))].upperMenu);
    plug->effect()->OnParamChange(kRefreshFolders);
    plug->DisplayProcessingIndicator(false);
}

// Whether the folders may be read again over a fetched bank that is not saved: the user is
// asked in the plug-in's message box, and saves it (Yes), discards it (No, which reads them
// itself) or keeps it (Cancel). Without an editor to ask in, the bank is kept.
bool settleUnsavedBank(ParamChangePlugin* plug) {
    IGraphics* gui = plug->effect()->GetGUI();
    const int answer = gui ? gui->ShowMessageBox(kUnsavedQuestion, "Refresh Folders",
                                                 platform::dialogs::kYesNoCancel)
                           : platform::dialogs::kNoAnswer;
    // The answer settles the button's click: its release, which ends the press that asked,
    // then changes nothing and asks no second time.
    param(plug, kRefreshFolders)->Set(0.0);
    if (answer == platform::dialogs::kFirstButton) {
        // A save that failed says so on the display, and the bank is kept.
        if (!plug->getLibrarian()->saveUpperBank()) return false;
        plug->SetLibrarianStatusUnsaved(false);
        return true;
    }
    if (answer == platform::dialogs::kSecondButton)
        discardUnsavedBank(plug);
    else
        showMessage(plug, kSaveOrDiscard);
    return false;
}

} // namespace

RuleEnd discardBankData(ParamChange& c) {
    if (c.iv == 1) discardUnsavedBank(c.plug);
    return RuleEnd::kGoOn;
}

RuleEnd switchDataType(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    plug->setMultiMode(false);
    plug->setSequenceMode(false);
    hideBankMenus(plug);
    if (c.iv == int(DataType::kMulti)) {
        plug->setMultiMode(true);
    } else if (c.iv != int(DataType::kSound)) {
        plug->setSequenceMode(true);
    }
    grayLibrarianFilters(plug);
    const DataType type = dataTypeOf(plug);
    const LibrarianTypeView& view = kLibrarianTypeViews[int(type)];
    if (type == DataType::kSound) {
        show(plug, view.upperMenu);
        showSoundLowerList(plug, false);
        show(plug, plug->isCategoryView() ? "RightPatchPopupMenu"
                   : plug->isSearchView() ? "RightSearchPopupMenu"
                                          : view.lowerMenu);
    } else {
        plug->patchTypeChanged(int(type), view.lowerList, false);
        show(plug, view.upperMenu);
        show(plug, view.lowerMenu);
    }
    plug->AddMenuItemsIn();
    if (type == DataType::kMulti) plug->updateBankAndProgramMenuNames(true);
    return RuleEnd::kGoOn;
}

// The lists reopen the banks they show, by their files: whichever way those were chosen, the
// lists' indices point at them.
RuleEnd refreshFolders(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    if (plug->effect()->GetParam(kBankEditUnsaved)->Value() == 1.0 && !settleUnsavedBank(plug))
        return RuleEnd::kGoOn;
    const ShownBanks shown = shownBanks(plug);
    keepShownBanks(plug, shown);
    const DataType type = dataTypeOf(plug);
    if (type == DataType::kSound)
        showSoundLowerList(plug, true);
    else
        plug->patchTypeChanged(int(type), kLibrarianTypeViews[int(type)].lowerList, true);
    reportGoneBanks(plug, shown);
    return RuleEnd::kGoOn;
}

RuleEnd searchPatches(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    const std::string text = param(plug, kPatchSearchString)->GetDisplayText(0);
    if (text.empty()) {
        plug->setSearchView(false);
        setSearchText(plug, kSearchPrompt);
        show(plug, "LOWERPOPUPMENU");
        return RuleEnd::kGoOn;
    }
    if (text.size() == 1) {
        setSearchText(plug, kSearchPrompt);
        showMessage(plug, "Enter 2 digits or more!");
        return RuleEnd::kGoOn;
    }
    if (plug->isSearchView()) return RuleEnd::kGoOn;

    plug->setSearchView(true);
    hide(plug, "LOWERPOPUPMENU");
    PatchLibrarian* librarian = plug->getLibrarian();
    bool found;
    {
        KIT_MutexLock lock(&librarian->mutex());
        librarian->createNewSearchPatchFiles(text);
        found = !librarian->searchBanks.empty();
    }
    // The old result banks are gone: the lower grid must not show them any longer.
    plug->updatePatchLibrarianView(1);
    if (!found) {
        showMessage(plug, "No results - Try another keyword!", "Letter size matters!");
        closeSearchView(plug);
        return RuleEnd::kStop;
    }
    plug->patchTypeChanged(int(DataType::kSound), kSearchResults, false);
    show(plug, "RightSearchPopupMenu");
    return RuleEnd::kGoOn;
}

RuleEnd toggleSearchView(ParamChange& c) {
    if (c.iv == 1)
        showLibrarianFilters(c.plug);
    else
        closeSearchView(c.plug);
    return RuleEnd::kGoOn;
}

RuleEnd selectCategoryView(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    hide(plug, "RightSearchPopupMenu");
    hide(plug, "RightPatchPopupMenu");
    hide(plug, "LOWERPOPUPMENU");
    const bool on = c.iv > 0;
    plug->setCategoryView(on);
    plug->patchTypeChanged(int(DataType::kSound), on ? kCategoryBanks : kSoundBanks, false);
    show(plug, on ? "RightPatchPopupMenu" : "LOWERPOPUPMENU");
    grayLibrarianFilters(plug);
    return RuleEnd::kGoOn;
}

RuleEnd showMultiSettings(ParamChange& c) {
    TabSwitchFunctions::mainTabSwitch(c.plug, c.idx, 0, c.plug->model(), c.plug->selectedPart());
    return RuleEnd::kGoOn;
}

RuleEnd switchMainTab(ParamChange& c) {
    if (c.iv == 1) c.plug->AddMenuItemsIn();
    TabSwitchFunctions::mainTabSwitch(c.plug, c.idx, c.iv, c.plug->model(), c.plug->selectedPart());
    return RuleEnd::kGoOn;
}

RuleEnd switchQuickTab(ParamChange& c) {
    ParamChangePlugin* plug = c.plug;
    // The display named a parameter of the part left: it names the part chosen instead.
    if (c.iv >= 0 && c.iv < 16 && c.iv != plug->selectedPart())
        ControlDisplay::showLines(plug, "Part " + std::to_string(c.iv + 1), "");
    if (c.iv >= 0 && c.iv < 16) plug->selectedPart() = c.iv;
    TabSwitchFunctions::quickTabSwitch(plug, kQuickTab, c.iv, plug->model(),
                                       plug->partSelectFlag());
    plug->updateBankAndProgramMenuNames(false);
    return RuleEnd::kGoOn;
}

RuleEnd viewMIDIFilterSettings(ParamChange& c) {
    hideNamedLayer(c.plug, "midiFilterSettings", c.iv != 1);
    if (c.iv != 1) flashProgressIndicator(c.plug);
    return RuleEnd::kGoOn;
}

RuleEnd exitAboutWindow(ParamChange& c) {
    if (c.iv == 0) return RuleEnd::kGoOn;
    hide(c.plug, "aboutWindow");
    flashProgressIndicator(c.plug);
    return RuleEnd::kGoOn;
}
