// The stretch of start-up between the attached layout and the ready plug-in: the progress
// overlay, the bank selection lists, the librarian menus' layers, the remembered controls,
// the reset and the defaults.

#include "src/core/Zoz.h"

#include "kit/effect/ControlLayer.h"
#include "kit/effect/IContactControl.h"
#include "kit/effect/IControl.h"
#include "kit/effect/ProgressIndicator.h"
#include "src/browser/BankChooser.h"
#include "src/browser/BankEditPopupMenu.h"
#include "src/browser/BankNameMenu.h"
#include "src/browser/BankNumberPopupMenu.h"
#include "src/browser/LibrarianViewControl.h"
#include "src/browser/ProgramNumberPopupMenu.h"
#include "src/core/BankNameShortener.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"
#include "src/uiconfig/UIConfigManager.h"

#include <algorithm>

namespace {

constexpr const char* kProgressImage = "resources/img/vub-progress-overlay.png";

struct PopupMenuRow {
    const char* layerName;
    int layerId;
    IRECT rect; // at the normal size
    bool shown;
    IControl* (*make)(Zoz* plug, PatchLibrarian* librarian, IRECT rect) = nullptr;
};

template <class Menu> IControl* makeMenu(Zoz* plug, PatchLibrarian* librarian, IRECT rect) {
    return new Menu(plug, librarian, rect, plug);
}

// In the order they are built; the upper list menus share one rectangle, the lower list
// menus another, and the bank number and bank name menus a third.
const PopupMenuRow kPopupMenuRows[] = {
    {"UPPERPOPUPMENU", 70, IRECT(394, 188, 810, 207), false, makeMenu<LeftPatchPopupMenu>},
    {"LOWERPOPUPMENU", 71, IRECT(394, 461, 810, 480), false, makeMenu<RightPatchPopupMenu>},
    {"LeftPerformancePopupMenu", 72, IRECT(394, 188, 810, 207), false, makeMenu<LeftPerfPopupMenu>},
    {"RightPerformancePopupMenu", 73, IRECT(394, 461, 810, 480), false,
     makeMenu<RightPerfPopupMenu>},
    {"BANKEDITMENU", 74, IRECT(839, 187, 916, 205), false, makeMenu<BankEditPopupMenu>},
    {"RightPatchPopupMenu", 75, IRECT(394, 461, 810, 480), false, makeMenu<RightCategoryPopupMenu>},
    {"PROGRAMNUMBERMENU", 76, IRECT(1184, 60, 1229, 84), true, makeMenu<ProgramNumberPopupMenu>},
    {"BANKNUMBERMENUPROGRAMS", 77, IRECT(1142, 60, 1180, 84), true, makeMenu<BankNumberPopupMenu>},
    {"RightSearchPopupMenu", 78, IRECT(394, 461, 810, 480), false, makeMenu<RightSearchPopupMenu>},
    {"PERFBANKNAMEMENUPROGRAMS", 79, IRECT(1142, 60, 1180, 84), false,
     makeMenu<PerfBankNamePopupMenu>},
    {"PROGBANKNAMEMENUPROGRAMS", 80, IRECT(1142, 60, 1180, 84), false,
     makeMenu<ProgBankNamePopupMenu>},
    {"LeftPatternPopupMenu", 81, IRECT(394, 188, 810, 207), false, makeMenu<LeftPatternPopupMenu>},
    {"RightPatternPopupMenu", 82, IRECT(394, 461, 810, 480), false,
     makeMenu<RightPatternPopupMenu>},
};

// Rows of the bank edit menu and the program page's menus.
enum {
    kBankEditRow = 4,
    kProgramNumberRow = 6,
    kBankNumberRow = 7,
    kPerfBankNameRow = 9,
    kProgBankNameRow = 10
};

// Controls that later code drives, remembered after the librarian menus are built.
const int kControlSet2[] = {
    kDeviceOutSelection,  kDeviceInSelection,          kPatchRename,         kControlDisplayName,
    kControlDisplayValue, kControlDisplayCategory,     kControlDisplayPatch, kControlDisplayCC,
    kControlDisplayBuild, kControlDisplayMIDIOutDelay, kControlLibrary,
};

} // namespace

void Zoz::buildProgressLayer() {
    progressLayer = new ControlLayer(0, "PROGRESS");
    const IBitmap overlay = editor->LoadIBitmap(kProgressImageId, kProgressImage, 1.0, 1, false);
    holdsProgressImage = overlay.mData != nullptr;
    const int w = scaled(kEditorWidth), h = scaled(kEditorHeight);
    progressIndicator =
        new ProgressIndicator(progressLayer, this, 0, 0, w, h, -1, &overlay, IRECT(0, 0, w, h));
    const std::pair<int, int> cancelAt[] = {{835, 457}, {740, 83}};
    for (int i = 0; i < 2; ++i)
        cancelButtons[i] = uiConfig->createAutoOffSwitchControl(
            "Cancel Data Request", kCancelDataRequest, cancelAt[i].first, cancelAt[i].second,
            "BUTTON_LIB_CANCEL_ID", -1, progressLayer, "Global");
    progressIndicator->Hide(true);
    progressLayer->Hide(true);
}

void Zoz::keepControlSet1() {
    keepFirstControl(kPatchSearch);
    keepFirstControl(kControlProgBank);
}

void Zoz::fillBankList(bool upper, BankNameShortener& shortener) {
    const int paramIdx = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
    IParam* param = GetParam(paramIdx);
    RememberedBank& remembered = rememberedBanks[upper ? kUpperSound : kLowerSound];
    KIT_MutexLock lock(&librarian->mutex());
    const std::vector<PatchFile*>& banks = librarian->soundBanks;
    param->InitEnum(upper ? "Bank Selection List 1" : "Bank Selection List 2", 0, int(banks.size()),
                    "", "", -1, -1);
    shortener.startList();
    for (size_t i = 0; i < banks.size(); ++i) {
        const std::string& name = banks[i]->fileName;
        const std::string shown = shortener.shownName(name);
        if (shown != name)
            log("PATCH LIBRARIAN: Filename ", name, " RENAMED TO ", shown,
                " Because the filename was too long to fit in plug-in display!");
        param->SetDisplayText(int(i), shown.c_str());
    }
    keepFirstControl(paramIdx);
    remembered.fileName = param->GetDisplayText(0);
    if (!banks.empty()) {
        const int shownBank = std::clamp(TruncToInt(param->Value()), 0, int(banks.size()) - 1);
        remembered.folder = banks[size_t(shownBank)]->holdingFolder;
    }
}

void Zoz::buildPopupMenu(int row) {
    const PopupMenuRow& menu = kPopupMenuRows[row];
    auto* layer = new ControlLayer(menu.layerId, menu.layerName);
    IControl* control = nullptr;
    if (menu.make) {
        const IRECT& r = menu.rect;
        control = menu.make(this, librarian.get(),
                            IRECT(scaled(r.L), scaled(r.T), scaled(r.R), scaled(r.B)));
        if (!layer->addControl(control)) control = nullptr;
    }
    if (editor->AttachLayer(layer) < 0) return;
    popupLayers[size_t(row)] = layer;
    popupMenus[size_t(row)] = control;
    layer->Hide(!menu.shown);
}

ControlLayer* Zoz::popupMenuLayer(int row) const {
    return row >= 0 && row < kPopupMenus ? popupLayers[size_t(row)] : nullptr;
}

IControl* Zoz::popupMenu(int row) const {
    return row >= 0 && row < kPopupMenus ? popupMenus[size_t(row)] : nullptr;
}

void Zoz::updateBankAndProgramMenuNames(bool keepBankMenu) {
    for (int row : {kBankNumberRow, kPerfBankNameRow, kProgBankNameRow})
        if (ControlLayer* layer = popupLayers[row]) layer->Hide(true);
    const bool multi = multiMode;
    const int part = shownPart;
    const int program = TruncToInt(GetParamValue(multi ? kMultiPatch : kMultiPartPatch + part));
    const int bank = TruncToInt(GetParamValue(multi ? kMultiBank : kMultiPartBank + part));
    auto* programMenu = dynamic_cast<ProgramNumberPopupMenu*>(popupMenus[kProgramNumberRow]);
    auto* bankMenu = dynamic_cast<BankNumberPopupMenu*>(popupMenus[kBankNumberRow]);
    int shownRow = kBankNumberRow;
    if (librarianNames) {
        // The program menu lists the upper bank, whose slot follows the program.
        shownRow = multi ? kPerfBankNameRow : kProgBankNameRow;
        if (librarianView) {
            librarianView->setUpperSelectedSlot(program);
            librarianView->setCurrentSlot(program);
        }
        librarian->upperSlotIndex = program;
    }
    if (programMenu) programMenu->refreshPatchNames(librarian.get(), this, program);
    if (bankMenu && !(librarianNames && keepBankMenu))
        bankMenu->refreshPatchNames(librarian.get(), this, bank);
    if (ControlLayer* layer = popupLayers[shownRow]) layer->Hide(false);
}

void Zoz::keepControlSet2() {
    for (int paramIdx : kControlSet2)
        keepFirstControl(paramIdx);
    librarianView = dynamic_cast<LibrarianViewControl*>(uiConfig->getLibrarianView());
    if (!librarianView) log("CONFIG READER: patchBrowser MISSING!");
    if (IControl* keepBank = keepFirstControl(kKeepSelectedBank))
        keepBank->SetValueFromUserInput(GetParam(kKeepSelectedBank)->GetNormalized(1.0));
    keepSelectedBank = true;
    // Part p starts on MIDI channel p: the parameter's value less 2 is the channel's index.
    for (int part = 0; part < 16; ++part)
        if (IControl* channel = keepFirstControl(kMultiPartMIDICh + part))
            channel->SetValueFromUserInput(
                GetParam(kMultiPartMIDICh + part)->GetNormalized(part + 2.0));
}

void Zoz::resetWithDefaults() {
    Reset();
    for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower})
        if (IControl* control = keptControl(list)) control->SetValueFromPlug(0.0);
    editor->SetParameterFromPlug(kOverrideTempo, 1.0, false);
    editor->SetParameterFromPlug(kQModel, 0.0, false);
    synthModel = TruncToInt(GetParam(kQModel)->Value());
    GetParam(kControlProgBank)->Set(1.0);
    editor->SetParameterFromPlug(kControlProgBank, 1.0, true);
    editor->SetParameterFromPlug(kQuickTab, 0.0, false);
    shownPart = TruncToInt(GetParam(kQuickTab)->Value());
    editor->SetParameterFromPlug(kLibSyncTimer, 2.0, false);

    // Last of the constructor's layers: drawn above all and asked first for clicks.
    if (editor->AttachLayer(progressLayer) < 0) {
        progressLayer = nullptr;
        progressIndicator = nullptr;
        cancelButtons[0] = cancelButtons[1] = nullptr;
    }

    const int scheme = SettingsFile::colourScheme(settings[SettingsFile::kColourScheme]);
    if (scheme >= 0) editor->SetParameterFromPlug(kUserInterfaceStyle, scheme, false);
    const int size = SettingsFile::windowSize(settings[SettingsFile::kWindowSize]);
    if (size >= 0) editor->SetParameterFromPlug(kUserInterfaceSize, size, false);
    if (settings[SettingsFile::kDefaultPorts] == "no") {
        if (ControlLayer* notice = namedLayer("firstRunNotification")) notice->Hide(false);
        firstRun = true;
    }
    applyFilterDefaults();
    showEveryParameter();
    if (GetParam(kGlobalLocalControl)->Value() == 0.0) localControl = false;
}

void Zoz::applyFilterDefaults() {
    // Each flag of a pass-through switch is its inverse: set means that kind is blocked.
    struct Row {
        int paramIdx;
        int value;
        std::atomic<bool>* flag;
        bool blocks;
    };
    const Row rows[] = {
        {kMIDIFilterDAWCCPassThrough, 1, &hostBlocked[kFilterCC], true},
        {kMIDIFilterDAWPCPassThrough, 0, &hostBlocked[kFilterPC], true},
        {kMIDIFilterDAWNotePassThrough, 1, &hostBlocked[kFilterNote], true},
        {kMIDIFilterDAWPPPassThrough, 1, &hostBlocked[kFilterPP], true},
        {kMIDIFilterDAWPAPassThrough, 1, &hostBlocked[kFilterPA], true},
        {kMIDIFilterDAWCAPassThrough, 1, &hostBlocked[kFilterCA], true},
        {kMIDIFilterDAWSEPassThrough, 0, &hostBlocked[kFilterSysEx], true},
        {kMIDIFilterHWCCPassThrough, 1, &hardwareBlocked[kFilterCC], true},
        {kMIDIFilterHWPCPassThrough, 0, &hardwareBlocked[kFilterPC], true},
        {kMIDIFilterHWNotePassThrough, 1, &hardwareBlocked[kFilterNote], true},
        {kMIDIFilterHWPPPassThrough, 1, &hardwareBlocked[kFilterPP], true},
        {kMIDIFilterHWPAPassThrough, 1, &hardwareBlocked[kFilterPA], true},
        {kMIDIFilterHWCAPassThrough, 1, &hardwareBlocked[kFilterCA], true},
        {kMIDIFilterHWSEPassThrough, 1, &hardwareBlocked[kFilterSysEx], true},
        {kMIDIFilterTrackIncomingMIDI, 1, &followIncoming, false},
        {kMIDIFilterDirectToHardware, 1, nullptr, false},
        {kMIDIFilterToDAWBuffer, 0, &toHostBuffer, false},
        {kSendMIDIClockPointer, 0, &clockPointer, false},
        {kSendMIDIClockInfo, 0, &clockInfo, false},
    };
    for (const Row& row : rows) {
        if (IControl* control = keepFirstControl(row.paramIdx))
            control->SetValueFromUserInput(row.value);
        if (row.flag) *row.flag = (row.value != 0) != row.blocks;
    }
}

// A parameter above 0 is stored back as its integer part, whatever its kind.
void Zoz::showEveryParameter() {
    std::vector<std::pair<int, double>> values;
    for (int i = 0; i < NParams(); ++i) {
        const int value = TruncToInt(GetParam(i)->Value());
        if (value > 0) values.emplace_back(i, value);
    }
    editor->SetParametersFromPlug(values, false);
}

void Zoz::refreshFolderStructure(int row, int selected, const std::string& folder,
                                 const std::string& fileName) {
    for (IControl* menu : popupMenus)
        if (auto* chooser = dynamic_cast<BankChooser*>(menu); chooser && chooser->row() == row)
            chooser->refreshFolderStructure(selected, fileName, folder);
}

void Zoz::AddMenuItemsIn() {
    if (auto* menu = dynamic_cast<BankEditPopupMenu*>(popupMenus[kBankEditRow]))
        menu->AddMenuItemsIn(this);
}

void Zoz::refreshPatchNames(int program) {
    if (auto* menu = dynamic_cast<ProgramNumberPopupMenu*>(popupMenus[kProgramNumberRow]))
        menu->refreshPatchNames(librarian.get(), this, program);
}
