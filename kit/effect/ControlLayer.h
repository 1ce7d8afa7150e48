#pragma once

#include "kit/base/KIT_PtrList.h"
#include "kit/base/KIT_Relaxed.h"
#include "kit/effect/IEffectStructs.h"

#include <string>

class IControl;
class IGraphics;

// One page or overlay of the editor: a named node that owns controls and child layers. A
// parent shows and ungrays only the child whose id is its selected id. Lists keep the order
// of adding; drawing follows it, hit testing runs backwards (the last added wins).
class ControlLayer {
public:
    // A hidden, empty layer.
    ControlLayer(int id, std::string name);
    // Deletes the controls, then the child layers, each from the last to the first.
    ~ControlLayer();
    ControlLayer(const ControlLayer&) = delete;
    ControlLayer& operator=(const ControlLayer&) = delete;

    // The layer owns what it takes; what it cannot take (no memory) is deleted, and the
    // result is then false.
    bool addControl(IControl* control);
    bool addChild(ControlLayer* child);
    // The editor that the layer's tree is attached to, told when the tree takes more.
    void setGraphics(IGraphics* graphics);

    // Showing makes the own controls and the selected child visible; the other children
    // keep their state. Every control of the subtree is made dirty first.
    void Hide(bool hide);
    void setControlsDirty();
    void GrayOut(bool gray);
    // Selects zone and grays or ungrays the child of that id, for zones 10 to 152.
    void GrayOutCustomZone(bool gray, int zone);
    // Selects n and, by n's band of child ids (10-19, each decade to 99, 100-108, 110-118,
    // 120-298, 300 up), shows the child n and hides the others of the ids that band governs.
    // Children outside those ids keep their state; an n in no band is only selected.
    void showMultiLayers(int n);
    // Lets the layer, its subtree and the first control of each take part in dirty tracking
    // while hidden, so that what such a control covered is repainted when it goes away.
    void setIgnoreHiddenWhenUpdatingScreen(bool ignore);

    // A modal layer, while visible, takes every point of the editor that the layers searched
    // before it do not take: a click beside it reaches nothing (IGraphics::GetMouseControlIdx).
    void setModal(bool modal) { m_modal = modal; }
    bool isModal() const { return m_modal; }

    // Adds the rectangles of dirty controls to r; true when there was one.
    bool isDirty(IRECT* r);
    // Draws the visible controls that meet r and cleans every control of the subtree.
    void Draw(IGraphics* graphics, IRECT* r);
    // The control that input at (x, y) goes to: grayed controls are taken, hidden ones not.
    IControl* isHit(int x, int y);

    int getId() const { return m_id; }
    const std::string& getName() const { return m_name; }
    bool isVisible() const { return m_visible; }
    int getSelectedId() const { return m_selectedId; }
    void setSelectedId(int id) { m_selectedId = id; }
    bool getIgnoreHidden() const { return m_ignoreHidden; }
    const KIT_PtrList<IControl>& getControls() const { return m_controls; }
    const KIT_PtrList<ControlLayer>& getChildren() const { return m_children; }

private:
    // Hiding or graying reaches the own controls and every child; showing or ungraying the
    // own controls and the selected child only.
    void spread(bool on, void (IControl::*controlOp)(bool), void (ControlLayer::*layerOp)(bool));

    int m_id;
    IGraphics* m_graphics = nullptr;
    // Sending threads show and hide the progress layer.
    KIT_Relaxed<bool> m_visible{false};
    KIT_PtrList<IControl> m_controls;
    KIT_PtrList<ControlLayer> m_children;
    std::string m_name;
    int m_selectedId = 0;
    bool m_ignoreHidden = false;
    bool m_modal = false;
};
