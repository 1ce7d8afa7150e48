#pragma once

#include "kit/effect/IPopupMenu.h"
#include "src/browser/LibrarianMenuButton.h"

#include <string>
#include <vector>

// The program page's program button: ten range submenus of ten programs each. It picks the
// synthesizer's program for the current part, or the multi's in multi mode, and sends the
// program change; while the plug-in shows librarian names it lists the entries of the upper
// librarian bank instead, and a choice sends that entry to the current part.
class ProgramNumberPopupMenu : public LibrarianMenuButton {
public:
    static constexpr int kRanges = 10;
    static constexpr int kProgramsPerRange = 10;

    ProgramNumberPopupMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT rect,
                           BrowserPlugin* plugin);

    // Rebuilds every menu with program `program` (0..99) checked; any other number checks
    // nothing. True.
    bool refreshPatchNames(PatchLibrarian* librarian, BrowserPlugin* plugin, int program);
    // Shows the menu and carries out a choice, whose program is written into `program`.
    // Returns the chosen item's index within its range, or 0 when the menu was dismissed.
    int doPopupMenu(BrowserPlugin* plugin, int& program);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;

private:
    // The 100 names of the upper librarian bank of the mode, "" past a short bank's last
    // entry; none without librarian names or without such a bank.
    static std::vector<std::string> librarianNames(PatchLibrarian* librarian, BrowserPlugin* plugin,
                                                   int bankIndex);
    // The range menu that is `menu`, or -1.
    int rangeOf(const IPopupMenu* menu) const;

    int m_selected = 0;
    IPopupMenu m_main;
    IPopupMenu m_ranges[kRanges];
};
