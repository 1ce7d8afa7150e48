#pragma once

#include "src/browser/SlotContextMenu.h"

// The menu of a right click on an upper slot, the bank being edited: paste the copied slot,
// rename, initialise, or fill the slot from the plug-in or the synthesizer ("Get DATA
// from.."). The fills post jobs of the message manager's dump worker; a choice made while it
// is busy is dropped without a word and changes nothing.
class FileEditPopupMenu : public SlotContextMenu {
public:
    FileEditPopupMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT rect, BrowserPlugin* vub);

    void doPopupMenu(BrowserPlugin* plug, int x, int y) override;

private:
    void AddMenuItemsIn();
    void initializeSlot(BrowserPlugin* plug);
    void getDataFrom(BrowserPlugin* plug, int item);

    IPopupMenu m_dataSource;
};
