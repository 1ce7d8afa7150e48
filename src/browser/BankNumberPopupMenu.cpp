#include "src/browser/BankNumberPopupMenu.h"

#include "src/browser/BrowserPlugin.h"
#include "src/uiconfig/ParameterIds.h"

#include <algorithm>

namespace {
const char* const kBanks[] = {"Bank A (RAM)", "Bank B (RAM)", "Bank C (RAM)", "Bank X (CARD)"};
} // namespace

BankNumberPopupMenu::BankNumberPopupMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT rect,
                                         BrowserPlugin* plugin)
    : LibrarianMenuButton(plug, librarian, rect, plugin) {
    refreshPatchNames(librarian, plugin, 0);
}

bool BankNumberPopupMenu::refreshPatchNames(PatchLibrarian*, BrowserPlugin* plugin, int selected) {
    m_main.Clear();
    if (plugin->isMultiMode()) {
        m_main.AddItem("Bank 0 (RAM)");
        return false;
    }
    for (const char* bank : kBanks)
        m_main.AddItem(bank);
    // Item 4 does not exist, so any bank past X leaves every item unchecked.
    m_main.CheckItemAlone(std::min(selected, 4));
    return true;
}

int BankNumberPopupMenu::bankParam(BrowserPlugin* plugin) const {
    return plugin->isMultiMode() ? kMultiBank : kMultiPartBank + plugin->getCurrentPart();
}

void BankNumberPopupMenu::OnMouseDown(int, int, IMouseMod*) {
    const int param = bankParam(m_browser);
    m_selected = intValue(param);
    doPopupMenu(m_browser, m_selected);
    setFromPlug(param, m_selected);
    clicked();
}

int BankNumberPopupMenu::doPopupMenu(BrowserPlugin* plugin, int& selected) {
    const IPopupMenu* chosen = popup(&m_main);
    if (chosen) m_main.CheckItemAlone(-1);
    if (chosen != &m_main) return 0;
    const int bank = chosen->GetChosenItemIdx();
    selected = bank;
    const int param = bankParam(plugin);
    const int part = plugin->getCurrentPart();
    setFromPlug(param, bank);
    if (plugin->BankChangeMessage(part) && !plugin->isMultiMode()) {
        if (plugin->isRequestAfterBankChange())
            postRequest(plugin, SenderJob::kSendPartRequestSysex, true);
        else
            plugin->sendPatchAndPatternToDevice(part, true, false, false, false);
    }
    store(param, bank);
    m_main.CheckItemAlone(bank);
    return bank;
}
