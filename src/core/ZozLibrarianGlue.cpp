// What the librarian browser, the parameter-change handling and the incoming dumps call on
// the plug-in: the panel caption, the librarian's menus and grids, the display lines and the
// audition of a librarian entry on a part.

#include "src/core/Zoz.h"

#include "src/browser/BankChooser.h"
#include "src/browser/BankNameMenu.h"
#include "src/browser/FileCopyPopupMenu.h"
#include "src/browser/FileEditPopupMenu.h"
#include "src/browser/LibrarianViewControl.h"
#include "src/incoming/MIDIMessageManager.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/params/ControlDisplay.h"
#include "src/uiconfig/ParameterIds.h"

namespace {

// The librarian menu of that class among the plug-in's popup menus; null when there is none.
template <class Menu> Menu* menuOf(const Zoz& plug) {
    for (int row = 0; row < Zoz::kPopupMenus; ++row)
        if (auto* menu = dynamic_cast<Menu*>(plug.popupMenu(row))) return menu;
    return nullptr;
}

void rebuild(BankChooser* chooser, bool select = true) {
    if (chooser) chooser->rebuild(select);
}

} // namespace

const char* Zoz::getPanelString(int part, const std::string& text) {
    panelCaption = "Part " + std::to_string(part + 1) + " " + text;
    return panelCaption.c_str();
}

int Zoz::getPatchesFolderLength() const {
    return int(getPatchesFolderStr().size());
}

void Zoz::OpenDataDirectory() {
    if (IGraphics* gui = GetGUI()) gui->OpenURL(dataFolderPath.c_str(), nullptr, nullptr, nullptr);
}

// Sequence mode wins over multi mode.
void Zoz::refreshPopUpMenus() {
    if (sequenceMode) {
        rebuild(menuOf<LeftPatternPopupMenu>(*this));
        rebuild(menuOf<RightPatternPopupMenu>(*this));
    } else if (multiMode) {
        rebuild(menuOf<LeftPerfPopupMenu>(*this));
        rebuild(menuOf<RightPerfPopupMenu>(*this));
    } else {
        rebuild(menuOf<LeftPatchPopupMenu>(*this));
        if (categoryView)
            rebuild(menuOf<RightCategoryPopupMenu>(*this));
        else if (searchView)
            rebuild(menuOf<RightSearchPopupMenu>(*this));
        else
            rebuild(menuOf<RightPatchPopupMenu>(*this));
    }
    // The program page's bank-name menus list the same banks. Each selects its remembered bank
    // for the upper grid, so only the one of the data type shown may: the other's bank is an
    // index into another list.
    rebuild(menuOf<PerfBankNamePopupMenu>(*this), multiMode && !sequenceMode);
    rebuild(menuOf<ProgBankNamePopupMenu>(*this), !multiMode && !sequenceMode);
    updatePatchLibrarianView(2);
}

void Zoz::updatePatchLibrarianView(int which) {
    if (!librarianView) return;
    if (which == 0 || which == 2) librarianView->patchSelectionUpperChanged();
    if (which == 1 || which == 2) librarianView->patchSelectionLowerChanged();
}

void Zoz::showFileEditMenu(int x, int y) {
    fileEditMenu =
        std::make_unique<FileEditPopupMenu>(this, librarian.get(), IRECT(x, y, x, y), this);
    fileEditMenu->doPopupMenu(this, x, y);
}

void Zoz::showFileCopyMenu(int x, int y) {
    fileCopyMenu =
        std::make_unique<FileCopyPopupMenu>(this, librarian.get(), IRECT(x, y, x, y), this);
    fileCopyMenu->doPopupMenu(this, x, y);
}

void Zoz::displayText(const std::string& name, const std::string& value, const std::string& cc) {
    showText(kControlDisplayName, name);
    showText(kControlDisplayValue, value);
    showText(kControlDisplayCC, cc);
}

void Zoz::displayBuild(const std::string& text) {
    showText(kControlDisplayBuild, text);
}

std::string Zoz::getValueString(double value) {
    return ControlDisplay::getValueString(value);
}

PatchFile* Zoz::shownBankFile(int side) const {
    const int type = librarian->currentType;
    std::vector<PatchFile*>* banks = librarian->bankList(type);
    int index = librarian->upperBankIndex;
    if (side != LibrarianViewControl::kUpper) {
        index = librarian->lowerBankIndex;
        if (categoryView)
            banks = &librarian->categoryBanks;
        else if (searchView)
            banks = &librarian->searchBanks;
    }
    return banks && index >= 0 && index < int(banks->size()) ? (*banks)[size_t(index)] : nullptr;
}

// The lock of the part being edited decides, whatever part the entry goes to.
void Zoz::sendPatchToDeviceFromLibrarian(int slot, int side, int part) {
    if (part < 0 || part > 15 || GetParamValue(kPartLock + shownPart) == 1.0) return;
    std::shared_ptr<const LibrarianPatch> entry;
    {
        KIT_MutexLock lock(&librarian->mutex());
        PatchFile* bank = shownBankFile(side);
        if (!bank) return;
        if (bank->entries.size() < size_t(PatchFile::kBankSize))
            bank->entries.resize(size_t(PatchFile::kBankSize));
        if (slot < 0 || slot >= int(bank->entries.size()) ||
            bank->entries[size_t(slot)].dumps.empty())
            return;
        // The job sends its own copy: the bank may change while it runs.
        entry = std::make_shared<const LibrarianPatch>(bank->entries[size_t(slot)]);
    }
    setLibrarianViewCurrentSlot(slot);
    SetParameterFromPlug(kMultiPartPatch + part, slot);
    if (!midiIOSet) return;
    if (!noNotesOff) AllSoundsOff(part, false);
    messageManager->postJob(SenderJob::kSendPatchToDeviceFromLibrarian, [&](SenderJob& job) {
        job.librarianPatch = entry;
        job.part = part;
    });
}
