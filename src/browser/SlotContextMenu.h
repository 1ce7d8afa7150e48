#pragma once

#include "kit/effect/IControl.h"
#include "kit/effect/IPopupMenu.h"

class BrowserPlugin;
class PatchLibrarian;

// A context menu of the slot grid: made for one right click and shown at once; it is never
// attached to the graphics and draws nothing. The grid's selection, set by the right click
// before the menu appears, decides which slot its actions use.
class SlotContextMenu : public IControl {
public:
    // The plug-in is not owned; the librarian is taken for the plug-in's menu calls but the
    // actions reach it only through the grid.
    SlotContextMenu(IEffectBase* plug, PatchLibrarian* /*librarian*/, IRECT rect,
                    BrowserPlugin* browser)
        : IControl(plug, rect), m_browser(browser) {}

    // Shows the menu and carries out the choice; (x, y) is the right click's point, which
    // the grid's actions are given.
    virtual void doPopupMenu(BrowserPlugin* plug, int x, int y) = 0;

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;

protected:
    // Shows the main menu over the control: the menu in which an item was chosen, or null.
    IPopupMenu* popup();

    BrowserPlugin* m_browser;
    IPopupMenu m_main;
};
