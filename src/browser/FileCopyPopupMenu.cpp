#include "src/browser/FileCopyPopupMenu.h"

#include "src/browser/BrowserPlugin.h"
#include "src/browser/LibrarianViewControl.h"

FileCopyPopupMenu::FileCopyPopupMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT rect,
                                     BrowserPlugin* vub)
    : SlotContextMenu(plug, librarian, rect, vub) {
    m_main.AddItem("Copy");
}

void FileCopyPopupMenu::doPopupMenu(BrowserPlugin* plug, int x, int y) {
    const IPopupMenu* chosen = popup();
    LibrarianViewControl* grid = plug->getLibrarianView();
    if (chosen == &m_main && chosen->GetChosenItemIdx() == 0 && grid) grid->CopySlotData(x, y);
    m_main.CheckItemAlone(-1);
}
