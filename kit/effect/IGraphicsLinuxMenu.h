#pragma once

#include "kit/effect/IEffectStructs.h"
#include "kit/effect/IGraphicsLinuxPopup.h"

#include <memory>
#include <string>
#include <vector>

class IGraphicsLinux;
class IPopupMenu;

// A popup menu of the Linux editor: the model's items (number prefixes, separators, titles,
// checks, disabled items, submenus) drawn in popup windows, 4 pixels below the area (else
// above it) and kept on the screen, chosen with the mouse or the keys while pointer and
// keyboard are grabbed. The release of the press that opened it chooses nothing unless the
// pointer moved onto a row first.
// A menu or submenu taller than the screen is as high as the screen and scrolls its rows
// between an arrow at each end: with the wheel, while the pointer rests on an arrow, and to
// the row the keys move to (arrows, Home, End, Page Up and Page Down). A menu with no room
// above or below its area opens beside it, its checked item level with the area. Runs modally
// on the editor thread.
class IGraphicsLinuxMenu {
public:
    IGraphicsLinuxMenu(IGraphicsLinux& graphics, platform::View& view, IPopupMenu* menu,
                       const IRECT& area);

    // The menu or submenu of the chosen item, with its chosen index set; null when the menu
    // was dismissed (no index changes) or the view closed.
    IPopupMenu* Run();
    void OnEvent(const platform::ViewEvent& e);
    void Expose(int window);
    // The view's tick: a pointer resting on a scroll arrow scrolls on, faster each second.
    void Tick();

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
        // Scrolled: how far the rows are moved up, 0 to overflow, the height of the rows
        // that the window between its arrows cannot show at once.
        bool scrolls = false;
        int scroll = 0, overflow = 0;
        // The window's y of a y of the rows.
        int Shown(int y) const;
    };
    // What rowAt finds on a scrolled level's arrows instead of a row.
    enum { kNoRow = -1, kScrollUp = -2, kScrollDown = -3 };

    // Opens a level for the model below the anchor (the area), or beside it (a row) for a
    // submenu; false when it has no items or no window.
    bool openLevel(IPopupMenu* model, const platform::ViewRect& anchor, bool beside);
    void closeLevelsAfter(size_t level);
    void draw(Level& level);
    void highlight(size_t level, int row);
    // The level and row (or arrow) at a screen point; false when it is over no menu.
    bool rowAt(int x, int y, size_t* level, int* row) const;
    // Moves a level's rows up by dy (down for a negative dy) within its overflow; its
    // submenus close, as the rows they open beside move away.
    void scrollBy(size_t level, int dy);
    // Scrolls a level so that the row is shown whole.
    void reveal(size_t level, int row);
    void moveHighlight(int step);
    // Highlights the row that can be chosen nearest to row (held within the level), looking
    // first in the direction.
    void highlightNear(size_t level, int row, int direction);
    void enter(size_t level, int row);
    void finish(IPopupMenu* chosen, int index);

    IGraphicsLinux& m_graphics;
    platform::View& m_view;
    IPopupMenu* m_menu;
    IRECT m_area;
    std::vector<Level> m_levels; // the menu, then each open submenu
    bool m_done = false;
    // A release chooses: the pointer moved onto a row, or the menu took a press.
    bool m_armed = false;
    IPopupMenu* m_chosen = nullptr;
    // The arrow the pointer rests on (-1 up, 1 down, 0 none), of which level, for how many
    // ticks.
    int m_hoverDirection = 0;
    size_t m_hoverLevel = 0;
    int m_hoverTicks = 0;
};
