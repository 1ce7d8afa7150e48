#pragma once

#include "src/browser/SlotContextMenu.h"

// The menu of a right click beside the upper grid: "Copy" remembers the lower slot under
// the point for a later Paste.
class FileCopyPopupMenu : public SlotContextMenu {
public:
    FileCopyPopupMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT rect, BrowserPlugin* vub);

    void doPopupMenu(BrowserPlugin* plug, int x, int y) override;
};
