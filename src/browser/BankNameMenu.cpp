#include "src/browser/BankNameMenu.h"

#include "kit/effect/IEffectBase.h"
#include "src/browser/BrowserPlugin.h"
#include "src/browser/LibrarianViewControl.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/uiconfig/ParameterIds.h"

void BankNameMenu::OnMouseDown(int, int, IMouseMod*) {
    chooseAndApply();
    LibrarianViewControl* grid = m_browser->getLibrarianView();
    // The grid is reloaded only while the librarian page is the one shown.
    const IParam* mainTab = m_plug->GetParam(kMainTab);
    if (grid && mainTab && mainTab->Value() == 1.0) grid->patchSelectionUpperChanged();
    m_browser->updateBankAndProgramMenuNames(m_keepBankMenu);
    if (grid) {
        const int slot = grid->getCurrentSlot();
        m_librarian->upperSlotIndex = slot;
        m_browser->sendPatchToDeviceFromLibrarian(slot, grid->getActiveSide(),
                                                  m_browser->getCurrentPart());
    }
    m_redraw = true;
    SetDirty(true);
}
