#pragma once

#include "kit/effect/IEffectStructs.h"
#include "kit/effect/IGraphicsLinuxPopup.h"

#include <memory>
#include <string>
#include <vector>

class IGraphicsLinux;
class IPopupMenu;

// A popup menu of the Linux editor: the model's items (number prefixes, separators, titles,
// checks, disabled items, submenus) drawn in popup windows, 4 pixels below the area and kept
// on the screen, chosen with the mouse or the keys while pointer and keyboard are grabbed.
// Runs modally on the editor thread.
class IGraphicsLinuxMenu {
public:
    IGraphicsLinuxMenu(IGraphicsLinux& graphics, platform::View& view, IPopupMenu* menu,
                       const IRECT& area);

    // The menu or submenu of the chosen item, with its chosen index set; null when the menu
    // was dismissed (no index changes) or the view closed.
    IPopupMenu* Run();
    void OnEvent(const platform::ViewEvent& e);
    void Expose(int window);

private:
    struct Row {
        int top = 0, bottom = 0;
        std::string title;
        int flags = 0;
        IPopupMenu* submenu = nullptr;
        bool Selectable() const;
    };
    struct Level {
        IPopupMenu* model = nullptr;
        std::unique_ptr<IGraphicsLinuxPopup> popup;
        std::vector<Row> rows;
        int highlighted = -1;
    };

    // Opens a level for the model below the anchor (the area), or beside it (a row) for a
    // submenu; false when it has no items or no window.
    bool openLevel(IPopupMenu* model, const platform::ViewRect& anchor, bool beside);
    void closeLevelsAfter(size_t level);
    void draw(Level& level);
    void highlight(size_t level, int row);
    // The level and row at a screen point; false when it is over no menu.
    bool rowAt(int x, int y, size_t* level, int* row) const;
    void moveHighlight(int step);
    void enter(size_t level, int row);
    void finish(IPopupMenu* chosen, int index);

    IGraphicsLinux& m_graphics;
    platform::View& m_view;
    IPopupMenu* m_menu;
    IRECT m_area;
    std::vector<Level> m_levels; // the menu, then each open submenu
    bool m_done = false;
    IPopupMenu* m_chosen = nullptr;
};
