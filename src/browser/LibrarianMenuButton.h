#pragma once

#include "kit/effect/IControl.h"

class BrowserPlugin;
class IPopupMenu;
class PatchLibrarian;

// An invisible button of the librarian or the program page: a click anywhere on it opens its
// menu at its rectangle. It has no parameter; what a choice changes it sets itself.
// Runs on the editor's thread.
class LibrarianMenuButton : public IControl {
public:
    // Neither the plug-ins nor the librarian are owned.
    LibrarianMenuButton(IEffectBase* plug, PatchLibrarian* librarian, IRECT rect,
                        BrowserPlugin* browser)
        : IControl(plug, rect), m_browser(browser), m_librarian(librarian) {}

    // Fills the rectangle with the transparent colour: the page's picture shows the button.
    bool Draw(IGraphics* graphics) override;

protected:
    // The menu or submenu in which an item was chosen, with its chosen index set; null when
    // the menu was dismissed or no editor is open.
    IPopupMenu* popup(IPopupMenu* menu);
    // A plain value as the plug-in sets it: the parameter and its controls follow, no change
    // handling runs and the host is not told.
    void setFromPlug(int paramIdx, double value);
    // Stores a plain value, bounded by the parameter's range, and tells nobody.
    void store(int paramIdx, double value);
    // The integer part of a parameter's value; 0 for an unknown parameter.
    int intValue(int paramIdx) const;
    // Ends a click: the control is redrawn.
    void clicked();
    // Posts a request for the current part's sound (job 7) or pattern (job 8, which also
    // makes the part the pattern target), or for the whole arrangement (job 6); an answer
    // for the editor is awaited as a dump.
    static void postRequest(BrowserPlugin* plugin, int command, bool toEditor);

    BrowserPlugin* m_browser;
    PatchLibrarian* m_librarian;
};
