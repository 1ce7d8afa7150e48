#include "src/browser/ProgramNumberPopupMenu.h"

#include "kit/winl/winl.h"
#include "src/browser/BrowserPlugin.h"
#include "src/browser/LibrarianViewControl.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"

#include <cstdio>

namespace {
constexpr int kPrograms = ProgramNumberPopupMenu::kRanges * ProgramNumberPopupMenu::kProgramsPerRange;
} // namespace

ProgramNumberPopupMenu::ProgramNumberPopupMenu(IEffectBase* plug, PatchLibrarian* librarian,
                                               IRECT rect, BrowserPlugin* plugin)
    : LibrarianMenuButton(plug, librarian, rect, plugin) {
    refreshPatchNames(librarian, plugin, m_selected);
}

std::vector<std::string> ProgramNumberPopupMenu::librarianNames(PatchLibrarian* librarian,
                                                                BrowserPlugin* plugin,
                                                                int bankIndex) {
    std::vector<std::string> names;
    if (!plugin->isLibrarianNames()) return names;
    const int type = plugin->isSequenceMode() ? PatchFile::kPatternBank
                     : plugin->isMultiMode()  ? PatchFile::kMultiBank
                                              : PatchFile::kSoundBank;
    KIT_MutexLock lock(&librarian->mutex());
    const std::vector<PatchFile*>* banks = librarian->bankList(type);
    if (!banks || bankIndex < 0 || size_t(bankIndex) >= banks->size()) return names;
    const std::vector<LibrarianPatch>& entries = (*banks)[size_t(bankIndex)]->entries;
    names.resize(kPrograms);
    for (size_t i = 0; i < names.size() && i < entries.size(); ++i)
        names[i] = entries[i].name;
    return names;
}

bool ProgramNumberPopupMenu::refreshPatchNames(PatchLibrarian* librarian, BrowserPlugin* plugin,
                                               int program) {
    m_main.Clear();
    for (IPopupMenu& range : m_ranges)
        range.Clear();
    const std::vector<std::string> names =
        librarianNames(librarian, plugin, intValue(kPatchSelectionListUpper));
    for (int i = 0; i < kPrograms; ++i) {
        char sound[24];
        snprintf(sound, sizeof sound, "Sound %03d", i + 1);
        m_ranges[i / kProgramsPerRange].AddItem(names.empty() ? sound : names[size_t(i)].c_str());
    }
    for (int r = 0; r < kRanges; ++r) {
        char range[24];
        snprintf(range, sizeof range, "%02d-%02d", r * kProgramsPerRange + 1,
                 (r + 1) * kProgramsPerRange);
        m_main.AddItem(range, &m_ranges[r]);
    }
    if (program >= 0 && program < kPrograms)
        m_ranges[program / kProgramsPerRange].CheckItemAlone(program % kProgramsPerRange);
    return true;
}

int ProgramNumberPopupMenu::rangeOf(const IPopupMenu* menu) const {
    for (int r = 0; r < kRanges; ++r)
        if (menu == &m_ranges[r]) return r;
    return -1;
}

void ProgramNumberPopupMenu::OnMouseDown(int, int, IMouseMod*) {
    doPopupMenu(m_browser, m_selected);
    clicked();
}

int ProgramNumberPopupMenu::doPopupMenu(BrowserPlugin* plugin, int& program) {
    const IPopupMenu* chosen = popup(&m_main);
    if (chosen) {
        m_main.CheckItemAlone(-1);
        for (IPopupMenu& range : m_ranges)
            range.CheckItemAlone(-1);
    }
    const int range = rangeOf(chosen);
    if (range < 0) return 0;
    const int item = chosen->GetChosenItemIdx();
    const int p = range * kProgramsPerRange + item;
    program = p;
    const int part = plugin->getCurrentPart();
    const bool multi = plugin->isMultiMode();
    const int param = multi ? kMultiPatch : kMultiPartPatch + part;
    if (plugin->isLibrarianNames()) {
        LibrarianViewControl* grid = plugin->getLibrarianView();
        if (grid) {
            grid->setUpperSelectedSlot(p);
            grid->setCurrentSlot(p);
        }
        m_librarian->upperSlotIndex = p;
        Sleep(10);
        plugin->sendPatchToDeviceFromLibrarian(
            p, grid ? grid->getActiveSide() : LibrarianViewControl::kUpper, part);
    } else {
        setFromPlug(param, p);
        if (plugin->BankChangeMessage(part)) {
            if (plugin->isRequestAfterBankChange())
                postRequest(plugin,
                            multi ? SenderJob::kSendActiveArrangementRequestSysex
                                  : SenderJob::kSendPartRequestSysex,
                            true);
            else if (multi)
                plugin->sendPatchAndPatternToDevice(part, false, false, false, true);
            else
                plugin->sendPatchAndPatternToDevice(part, true, false, false, false);
        }
    }
    store(param, p);
    m_ranges[range].CheckItemAlone(item);
    return item;
}
