#pragma once

#include "src/browser/BankChooser.h"

// The program page's menu of librarian banks, shown in place of the hardware bank menu while
// the page lists librarian names: the chosen bank becomes the upper grid's, the program menu
// lists its names and the grid's current entry goes to the current part. A dismissed menu
// does all of this with the current upper bank.
class BankNameMenu : public BankChooser {
public:
    // With keepBankMenu the hardware bank menu is left as it is.
    BankNameMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT area, BrowserPlugin* browser,
                 Row row, bool keepBankMenu)
        : BankChooser(plug, librarian, area, browser, row), m_keepBankMenu(keepBankMenu) {}

    void OnMouseDown(int x, int y, IMouseMod* mod) override;

private:
    const bool m_keepBankMenu;
};

// Multi banks, in multi mode.
class PerfBankNamePopupMenu : public BankNameMenu {
public:
    PerfBankNamePopupMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT area,
                          BrowserPlugin* browser)
        : BankNameMenu(plug, librarian, area, browser, kPerfBankName, false) {}
};

// Sound banks, in sound mode.
class ProgBankNamePopupMenu : public BankNameMenu {
public:
    ProgBankNamePopupMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT area,
                          BrowserPlugin* browser)
        : BankNameMenu(plug, librarian, area, browser, kProgBankName, true) {}
};
