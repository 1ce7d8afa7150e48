#pragma once

#include "kit/effect/IPopupMenu.h"
#include "src/browser/LibrarianMenuButton.h"

// The program page's bank button: picks the synthesizer's bank for the current part, or the
// multi's in multi mode, and sends the bank change.
class BankNumberPopupMenu : public LibrarianMenuButton {
public:
    BankNumberPopupMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT rect,
                        BrowserPlugin* plugin);

    // Rebuilds the menu: "Bank A (RAM)" .. "Bank X (CARD)" with bank `selected` checked (4 or
    // more, or below 0, checks nothing), or "Bank 0 (RAM)" alone in multi mode. True for the
    // four banks.
    bool refreshPatchNames(PatchLibrarian* librarian, BrowserPlugin* plugin, int selected);
    // Shows the menu; a chosen bank is set, sent and written into `selected`. Returns the
    // bank, or 0 when the menu was dismissed.
    int doPopupMenu(BrowserPlugin* plugin, int& selected);

    // Writes the bank back after the popup, also when nothing was chosen.
    void OnMouseDown(int x, int y, IMouseMod* mod) override;

private:
    int bankParam(BrowserPlugin* plugin) const;

    int m_selected = 0;
    IPopupMenu m_main;
};
