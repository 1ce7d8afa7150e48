#include "platform/wsys/OutlineView.h"

#include "platform/wsys/Paint.h"
#include "platform/wsys/Render.h"
#include "platform/wsys/Window.h"

#include <algorithm>
#include <cmath>

namespace platform::wsys {

namespace {
constexpr double kDisclosureSize = 13;
constexpr uint32_t kDisclosureInk = MakePixel(110, 110, 110);
} // namespace

OutlineView::OutlineView(const Rect& frame) : TableView(frame) {
    TableView::SetDataSource(this);
}

void OutlineView::SetOutlineSource(OutlineDataSource* source) {
    m_source = source;
    ReloadData();
}

void OutlineView::SetIndentationPerLevel(double indent) {
    m_indent = std::max(0.0, indent);
    SetNeedsDisplay(true);
}

void OutlineView::addRows(Object* parent, int level, std::set<const Object*>& live) {
    const bool shown = !parent || (m_expanded.count(parent) && m_source->IsItemExpandable(this, parent));
    const int n = m_source->NumberOfChildrenOfItem(this, parent);
    for (int i = 0; i < n; ++i) {
        Object* child = m_source->ChildOfItem(this, i, parent);
        if (!child || !live.insert(child).second) continue;
        if (shown) m_rows.push_back(Row{child, level});
        // Collapsed subtrees are walked too, so that their expanded items keep their state.
        const size_t before = m_rows.size();
        addRows(child, level + 1, live);
        if (!shown) m_rows.resize(before);
    }
}

void OutlineView::rebuild() {
    m_rows.clear();
    if (!m_source) {
        m_expanded.clear();
        return;
    }
    std::set<const Object*> live;
    addRows(nullptr, 0, live);
    // Items that are gone leave no expansion behind for a later item at the same address.
    for (auto it = m_expanded.begin(); it != m_expanded.end();)
        it = live.count(*it) ? std::next(it) : m_expanded.erase(it);
}

void OutlineView::ReloadData() {
    rebuild();
    TableView::ReloadData();
}

int OutlineView::NumberOfRowsInTableView(TableView*) {
    return int(m_rows.size());
}

Ref<Object> OutlineView::ObjectValueForTableColumn(TableView*, TableColumn* column, int row) {
    Object* item = ItemAtRow(row);
    return item && m_source ? m_source->ObjectValueForItem(this, column, item) : Ref<Object>();
}

Object* OutlineView::ItemAtRow(int row) {
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].item : nullptr;
}

int OutlineView::RowForItem(const Object* item) {
    for (size_t i = 0; item && i < m_rows.size(); ++i)
        if (m_rows[i].item == item) return int(i);
    return -1;
}

int OutlineView::LevelForRow(int row) {
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)].level : -1;
}

void OutlineView::ExpandItem(Object* item) {
    if (!item || !m_source || !m_source->IsItemExpandable(this, item) || IsItemExpanded(item)) return;
    Object* selected = ItemAtRow(SelectedRow());
    m_expanded.insert(item);
    ReloadData();
    if (selected) SelectRowIndexes({RowForItem(selected)}, false);
}

void OutlineView::CollapseItem(Object* item) {
    if (!m_expanded.erase(item)) return;
    Object* selected = ItemAtRow(SelectedRow());
    ReloadData();
    const int row = RowForItem(selected);
    if (row >= 0)
        SelectRowIndexes({row}, false);
    else
        DeselectAll();
}

Rect OutlineView::FrameOfCellAtColumnRow(int column, int row) const {
    Rect frame = TableView::FrameOfCellAtColumnRow(column, row);
    if (frame.IsEmpty() || row >= int(m_rows.size()) || column < 0 || column >= NumberOfColumns() ||
        TableColumns()[size_t(column)].get() != m_outlineColumn)
        return frame;
    const double shift = std::min(frame.size.width, m_rows[size_t(row)].level * m_indent + kDisclosureSize);
    frame.origin.x += shift;
    frame.size.width -= shift;
    return frame;
}

Rect OutlineView::disclosureRect(int row) const {
    if (row < 0 || row >= int(m_rows.size()) || !m_source) return Rect();
    const int column = ColumnIndex(m_outlineColumn);
    if (column < 0) return Rect();
    const Row& r = m_rows[size_t(row)];
    if (!m_source->IsItemExpandable(const_cast<OutlineView*>(this), r.item)) return Rect();
    const Rect cell = TableView::FrameOfCellAtColumnRow(column, row);
    return Rect(cell.MinX() + r.level * m_indent, cell.MinY(), kDisclosureSize, cell.size.height);
}

void OutlineView::Draw(const Rect& rect) {
    TableView::Draw(rect);
    Canvas* c = GraphicsContext::Current();
    if (!c) return;
    for (int row = 0; row < int(m_rows.size()); ++row) {
        const Rect box = disclosureRect(row);
        if (box.IsEmpty() || box.Intersection(rect).IsEmpty()) continue;
        const int x = int(box.MinX()) + 3, y = int(box.MinY() + box.size.height / 2);
        // Pointing right when collapsed, down when expanded.
        for (int k = 0; k < 4; ++k) {
            if (IsItemExpanded(m_rows[size_t(row)].item))
                FillPixels(*c, x + k, y - 2 + k, x + 8 - k, y - 1 + k, kDisclosureInk);
            else
                FillPixels(*c, x + k, y - 4 + k, x + k + 1, y + 4 - k, kDisclosureInk);
        }
    }
}

void OutlineView::MouseDown(Event& e) {
    Ref<View> keep(this);
    const Point p = ConvertPointFromView(e.locationInWindow, nullptr);
    const int row = RowAtPoint(p);
    const Rect box = disclosureRect(row);
    if (!box.IsEmpty() && p.x >= box.MinX() && p.x < box.MaxX()) {
        Object* item = ItemAtRow(row);
        if (IsItemExpanded(item))
            CollapseItem(item);
        else
            ExpandItem(item);
        return;
    }
    TableView::MouseDown(e);
}

} // namespace platform::wsys
