#pragma once

#include "src/browser/CustomOverlayControl.h"
#include "src/librarian/LibrarianPatch.h"

#include <atomic>
#include <memory>
#include <optional>

class BrowserPlugin;
class ITextControl;
class PatchFile;
class PatchLibrarian;

// The librarian page's patch browser: two grids of 128 name slots, the bank being edited
// above and the source bank below. The user selects and auditions slots, drags a lower slot
// onto an upper one, copies and pastes, renames upper slots and opens the slot menus. A drop
// or paste never writes the bank itself: it replays the entry's dumps through the plug-in's
// own SysEx input with a librarian collection armed, so the store fills the selected slot.
//
// Runs on the editor's thread; the selection may also be set from the MIDI input thread,
// and the grids are reloaded from whichever thread stored an entry.
class LibrarianViewControl : public CustomOverlayControl {
public:
    enum Side { kUpper = 0, kLower = 1 };
    static constexpr int kSlotCount = 128;

    // At (x, y) in the size of one frame of the background; the grids are laid out for the
    // UI scale (0.85, 1.0 or 1.15). Neither the plug-ins nor the librarian are owned.
    LibrarianViewControl(IEffectBase* plug, BrowserPlugin* browser, int x, int y, int paramIdx,
                         const IBitmap* background, IRECT targetArea, PatchLibrarian* librarian,
                         double scale);
    ~LibrarianViewControl() override;

    // Reload one grid's names from the bank it shows; a grid without a bank shows none.
    void patchSelectionUpperChanged();
    void patchSelectionLowerChanged();

    // The slot menus' actions, with the point of the right click that opened the menu.
    // Rename offers the name of the upper selected slot for editing in "patchRename".
    void renameSlot(int x, int y);
    // Copy keeps a copy of the lower entry under the point; Paste replays that copy into
    // the upper slot under the point.
    void CopySlotData(int x, int y);
    void PasteSlotData(int x, int y);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    // Ends a drag: a drop on an upper slot replays the dragged entry into it.
    void OnMouseUp(int x, int y, IMouseMod* mod) override;
    // Starts a drag over a lower slot while drags are enabled.
    void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
    // Sends the slot to the synthesizer while a MIDI output is chosen.
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
    // The arrow keys (1 up, 2 down, 3 left, 4 right) move on the active grid, wrapping, and
    // send the new slot.
    bool OnKeyDown(int x, int y, int key) override;
    bool Draw(IGraphics* graphics) override;
    // Also while a reload has not been drawn.
    bool IsDirty() override;

    // Set when the librarian page is shown.
    void setDragEnabled(bool enabled) { m_dragEnabled = enabled; }
    // Program changes select an upper slot and move the arrow keys' start there.
    void setUpperSelectedSlot(int slot) { m_selected[kUpper] = slot; }
    void setCurrentSlot(int slot) { m_currentSlot = slot; }

    int getSelectedSlot(Side side) const { return m_selected[side]; }
    int getActiveSide() const { return m_activeSide; }
    int getCurrentSlot() const { return m_currentSlot; }
    int getSourceSlot() const { return m_sourceSlot; }
    bool isDragging() const { return m_dragging; }
    const IRECT& getDragRect() const { return m_dragRect; }
    ITextControl& getSlot(Side side, int slot) const { return *m_slots[side][slot]; }

private:
    // The bank a grid shows, or null; the caller holds the librarian's mutex.
    PatchFile* shownBank(int side) const;
    void reload(int side);
    // The last slot of the grid that contains the point, or -1.
    int hitSlot(int side, int x, int y) const;
    // The grid's selection becomes the slot under the point (-1 for none); a hit makes the
    // grid the active side. Returns the slot.
    int selectOn(int side, int x, int y);
    // Both grids as selectOn; with grayOut the upper grid's save commands are offered only
    // while an upper slot is selected. Returns the slot hit on either grid, or -1.
    int selectSlotAt(int x, int y, bool grayOut);
    // Feeds the entry's dumps to the plug-in's own SysEx input, armed for the upper slot.
    void replay(const LibrarianPatch& entry);
    void drawGrid(IGraphics* graphics, int side);

    BrowserPlugin* m_browser;
    PatchLibrarian* m_librarian;
    std::unique_ptr<ITextControl> m_slots[2][kSlotCount];
    std::atomic<bool> m_dragEnabled{false};
    IRECT m_dragRect;
    bool m_dragging = false;
    const int m_slotWidth;
    const int m_slotHeight;
    const int m_nameInset; // between a slot's edge and its name
    // The lower slot that a drag started on, -1 for none.
    int m_sourceSlot = -1;
    std::atomic<int> m_selected[2] = {0, -1};
    std::atomic<int> m_activeSide{kUpper};
    std::atomic<int> m_currentSlot{0};
    // What the last Copy took; none before it or when it hit no entry.
    std::optional<LibrarianPatch> m_copied;
    // A reload may run on the MIDI input thread, so it asks for a redraw through a flag of
    // its own rather than the control's dirty flag, which the editor's thread owns.
    std::atomic<bool> m_reloaded{false};
};
