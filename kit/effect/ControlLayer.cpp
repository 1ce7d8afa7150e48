#include "kit/effect/ControlLayer.h"

#include "kit/effect/IControl.h"
#include "kit/effect/IGraphics.h"

#include <climits>
#include <utility>

ControlLayer::ControlLayer(int id, std::string name) : m_id(id), m_name(std::move(name)) {}

ControlLayer::~ControlLayer() {
    m_controls.Empty(true);
    m_children.Empty(true);
}

bool ControlLayer::addControl(IControl* control) {
    if (!m_controls.Add(control)) {
        delete control;
        return false;
    }
    if (m_graphics) m_graphics->ContentsChanged();
    return true;
}

bool ControlLayer::addChild(ControlLayer* child) {
    if (!m_children.Add(child)) {
        delete child;
        return false;
    }
    child->setGraphics(m_graphics);
    if (m_graphics) m_graphics->ContentsChanged();
    return true;
}

void ControlLayer::setGraphics(IGraphics* graphics) {
    m_graphics = graphics;
    for (int i = 0; i < m_children.GetSize(); ++i)
        m_children.Get(i)->setGraphics(graphics);
}

void ControlLayer::spread(bool on, void (IControl::*controlOp)(bool),
                          void (ControlLayer::*layerOp)(bool)) {
    for (int i = 0; i < m_controls.GetSize(); ++i)
        (m_controls.Get(i)->*controlOp)(on);
    for (int i = 0; i < m_children.GetSize(); ++i) {
        ControlLayer* child = m_children.Get(i);
        if (on || child->m_id == m_selectedId) (child->*layerOp)(on);
    }
}

void ControlLayer::Hide(bool hide) {
    m_visible = !hide;
    setControlsDirty();
    spread(hide, &IControl::Hide, &ControlLayer::Hide);
}

void ControlLayer::setControlsDirty() {
    for (int i = 0; i < m_controls.GetSize(); ++i)
        m_controls.Get(i)->SetDirty(false);
    for (int i = 0; i < m_children.GetSize(); ++i)
        m_children.Get(i)->setControlsDirty();
}

void ControlLayer::GrayOut(bool gray) {
    spread(gray, &IControl::GrayOut, &ControlLayer::GrayOut);
}

void ControlLayer::GrayOutCustomZone(bool gray, int zone) {
    m_selectedId = zone;
    if (zone < 10 || zone > 152) return;
    for (int i = 0; i < m_children.GetSize(); ++i)
        if (m_children.Get(i)->m_id == zone) m_children.Get(i)->GrayOut(gray);
}

namespace {

// The bands of showMultiLayers: for an n from first to last, the children of ids below 10,
// of n's own decade (when ownDecade) and of alsoFirst..alsoLast are switched; with showAll
// every one of them is shown, else only child n.
struct Band {
    int first, last;
    bool ownDecade;
    int alsoFirst, alsoLast;
    bool showAll;
};
constexpr Band kBands[] = {
    {10, 19, true, 70, 299, false},    {20, 99, true, 120, 299, false},
    {100, 108, true, 120, 299, false}, {110, 118, true, 1, 0, false},
    {120, 298, false, 120, 299, true}, {300, INT_MAX, false, 300, INT_MAX, false},
};

} // namespace

void ControlLayer::showMultiLayers(int n) {
    m_selectedId = n;
    for (const Band& band : kBands) {
        if (n < band.first || n > band.last) continue;
        const int decade = n - n % 10;
        for (int i = 0; i < m_children.GetSize(); ++i) {
            ControlLayer* child = m_children.Get(i);
            const int c = child->m_id;
            const bool governed = c < 10 || (band.ownDecade && c >= decade && c <= decade + 9) ||
                                  (c >= band.alsoFirst && c <= band.alsoLast);
            if (governed) child->Hide(!band.showAll && c != n);
        }
        return;
    }
}

void ControlLayer::setIgnoreHiddenWhenUpdatingScreen(bool ignore) {
    m_ignoreHidden = ignore;
    for (int i = 0; i < m_children.GetSize(); ++i)
        m_children.Get(i)->setIgnoreHiddenWhenUpdatingScreen(ignore);
    if (IControl* first = m_controls.Get(0)) first->SetIgnoreHidden(ignore);
}

bool ControlLayer::isDirty(IRECT* r) {
    if (!m_visible && !m_ignoreHidden) return false;
    bool dirty = false;
    for (int i = 0; i < m_controls.GetSize(); ++i)
        dirty = m_controls.Get(i)->UnionDirtyRECT(r) || dirty;
    for (int i = 0; i < m_children.GetSize(); ++i)
        dirty = m_children.Get(i)->isDirty(r) || dirty;
    return dirty;
}

void ControlLayer::Draw(IGraphics* graphics, IRECT* r) {
    for (int i = 0; i < m_controls.GetSize(); ++i)
        m_controls.Get(i)->Repaint(graphics, *r, m_visible);
    for (int i = 0; i < m_children.GetSize(); ++i)
        m_children.Get(i)->Draw(graphics, r);
}

IControl* ControlLayer::isHit(int x, int y) {
    if (!m_visible) return nullptr;
    for (int i = m_children.GetSize() - 1; i >= 0; --i)
        if (IControl* hit = m_children.Get(i)->isHit(x, y)) return hit;
    for (int i = m_controls.GetSize() - 1; i >= 0; --i) {
        IControl* control = m_controls.Get(i);
        if (!control->IsHidden() && control->IsHit(x, y)) return control;
    }
    return nullptr;
}
