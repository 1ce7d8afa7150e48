#include "platform/wsys/TableView.h"

#include "platform/wsys/Paint.h"
#include "platform/wsys/ScrollView.h"
#include "platform/wsys/String.h"
#include "platform/wsys/Window.h"

#include <algorithm>
#include <cmath>

namespace platform::wsys {

namespace {

constexpr double kHeaderHeight = 17;
constexpr uint32_t kHeaderBackground = MakePixel(236, 236, 236);
constexpr uint32_t kHeaderLine = MakePixel(190, 190, 190);
constexpr uint32_t kIndicator = MakePixel(90, 90, 90);

bool hasFocus(const View* v) {
    const Window* w = v ? v->GetWindow() : nullptr;
    return w && w->IsKeyWindow() && w->FirstResponder() == v;
}

void fillRect(Canvas& c, const Rect& r, uint32_t pixel) {
    const CanvasRect p = PixelsCovering(r);
    FillPixels(c, p.left, p.top, p.right, p.bottom, pixel);
}

// A small triangle at the right of a column title, pointing up or down.
void drawIndicator(Canvas& c, const Rect& title, bool up) {
    const int x = int(title.MaxX()) - 14, mid = int(title.MinY() + title.size.height / 2);
    for (int row = 0; row < 4; ++row) {
        const int y = up ? mid - 2 + row : mid + 1 - row;
        FillPixels(c, x + 3 - row, y, x + 4 + row, y + 1, kIndicator);
    }
}

} // namespace

Color SelectionColor(bool focused) {
    return focused ? Color{0.22, 0.46, 0.84, 1} : Color{0.83, 0.83, 0.83, 1};
}

// ---------------------------------------------------------------------------------------------
// Cells

std::string Cell::StringValue() const {
    auto* s = dynamic_cast<const String*>(m_value.get());
    return s ? s->ToUtf8Lossy() : std::string();
}

void Cell::SetStringValue(const std::string& utf8) {
    Ref<String> s = String::FromUtf8(utf8);
    m_value = s ? s : String::FromBytes(utf8);
}

std::optional<Color> Cell::HighlightColorWithFrame(const Rect&, View* view) {
    return SelectionColor(hasFocus(view));
}

void Cell::DrawWithFrame(const Rect& frame, View* view) {
    Canvas* c = GraphicsContext::Current();
    if (!c) return;
    if (m_highlighted)
        if (std::optional<Color> colour = HighlightColorWithFrame(frame, view))
            fillRect(*c, frame, PixelOf(*colour));
    DrawInteriorWithFrame(frame, view);
}

void Cell::DrawInteriorWithFrame(const Rect& frame, View*) {
    if (Canvas* c = GraphicsContext::Current())
        DrawTextInRect(*c, StringValue(), frame, m_alignment, TextInk());
}

// ---------------------------------------------------------------------------------------------
// Columns

TableColumn::TableColumn() : m_headerCell(Make<TextFieldCell>()), m_dataCell(Make<TextFieldCell>()) {}

void TableColumn::SetWidth(double width) {
    m_width = std::max(0.0, width);
    changed();
}

void TableColumn::SetHidden(bool hidden) {
    m_hidden = hidden;
    changed();
}

void TableColumn::SetDataCell(Cell* cell) {
    m_dataCell = cell;
    changed();
}

void TableColumn::changed() {
    if (!m_table) return;
    m_table->Tile();
    m_table->SetNeedsDisplay(true);
    if (TableHeaderView* header = m_table->HeaderView()) header->SetNeedsDisplay(true);
}

// ---------------------------------------------------------------------------------------------
// Header

TableHeaderView::TableHeaderView(TableView* table)
    : View(Rect(0, 0, table ? table->Frame().size.width : 0, kHeaderHeight)), m_table(table) {}

void TableHeaderView::Draw(const Rect& rect) {
    Canvas* c = GraphicsContext::Current();
    if (!c) return;
    const double h = Bounds().size.height;
    fillRect(*c, rect, kHeaderBackground);
    fillRect(*c, Rect(rect.MinX(), h - 1, rect.size.width, 1), kHeaderLine);
    if (!m_table) return;
    const ScrollView* scroll = m_table->EnclosingScrollView();
    const double scrolled = scroll ? scroll->ContentView()->Bounds().origin.x : 0;
    for (int i = 0; i < m_table->NumberOfColumns(); ++i) {
        TableColumn* column = m_table->TableColumns()[size_t(i)].get();
        const Rect r = m_table->RectOfColumn(i);
        if (column->IsHidden() || r.size.width <= 0) continue;
        const Rect title(r.MinX() - scrolled, 0, r.size.width, h - 1);
        column->HeaderCell()->DrawInteriorWithFrame(title, this);
        fillRect(*c, Rect(title.MaxX() - 1, 3, 1, h - 7), kHeaderLine);
        const std::string indicator = m_table->IndicatorImage(column);
        if (indicator == "NSAscendingSortIndicator" || indicator == "NSDescendingSortIndicator")
            drawIndicator(*c, title, indicator == "NSAscendingSortIndicator");
    }
}

int TableHeaderView::columnAt(const Event& e) const {
    if (!m_table) return -1;
    Point p = ConvertPointFromView(e.locationInWindow, nullptr);
    if (const ScrollView* scroll = m_table->EnclosingScrollView())
        p.x += scroll->ContentView()->Bounds().origin.x;
    return m_table->TableView::ColumnAtPoint(Point{p.x, 0});
}

void TableHeaderView::MouseDown(Event& e) {
    m_pressedColumn = columnAt(e);
}

void TableHeaderView::MouseUp(Event& e) {
    const int column = std::exchange(m_pressedColumn, -1);
    if (column < 0 || column != columnAt(e) || !m_table || !m_table->Delegate()) return;
    Ref<TableColumn> keep = m_table->TableColumns()[size_t(column)];
    m_table->Delegate()->TableViewDidClickTableColumn(m_table, keep.get());
}

// ---------------------------------------------------------------------------------------------
// Table: columns and looks

TableView::TableView(const Rect& frame) : Control(frame) {
    m_header = Make<TableHeaderView>(this);
}

void TableView::Dealloc() {
    for (const Ref<TableColumn>& column : m_columns)
        column->m_table = nullptr;
    if (m_header) {
        m_header->m_table = nullptr;
        m_header->RemoveFromSuperview();
    }
    Control::Dealloc();
}

void TableView::AddTableColumn(TableColumn* column) {
    if (!column || column->m_table) return;
    m_columns.push_back(column);
    column->m_table = this;
    column->changed();
}

void TableView::RemoveTableColumn(TableColumn* column) {
    const int at = ColumnIndex(column);
    if (at < 0) return;
    Ref<TableColumn> keep = m_columns[size_t(at)];
    m_columns.erase(m_columns.begin() + at);
    keep->changed();
    keep->m_table = nullptr;
}

void TableView::MoveColumn(int from, int to) {
    const int n = NumberOfColumns();
    if (from < 0 || from >= n || to < 0 || to >= n || from == to) return;
    Ref<TableColumn> moving = m_columns[size_t(from)];
    m_columns.erase(m_columns.begin() + from);
    m_columns.insert(m_columns.begin() + to, moving);
    moving->changed();
}

int TableView::ColumnIndex(const TableColumn* column) const {
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].get() == column) return int(i);
    return -1;
}

std::string TableView::IndicatorImage(const TableColumn* column) const {
    return ColumnIndex(column) >= 0 ? column->m_indicatorImage : std::string();
}

void TableView::SetIndicatorImage(const std::string& name, TableColumn* column) {
    if (ColumnIndex(column) < 0) return;
    column->m_indicatorImage = name;
    if (m_header) m_header->SetNeedsDisplay(true);
}

void TableView::SetHeaderView(TableHeaderView* header) {
    if (header == m_header.get()) return;
    if (m_header) m_header->RemoveFromSuperview();
    m_header = header;
    if (ScrollView* scroll = EnclosingScrollView()) scroll->Tile();
}

void TableView::SetRowHeight(double h) {
    m_rowHeight = std::max(0.0, h);
    Tile();
    SetNeedsDisplay(true);
}

void TableView::SetIntercellSpacing(Size s) {
    m_spacing = s;
    Tile();
    SetNeedsDisplay(true);
}

void TableView::SetGridStyleMask(unsigned mask) {
    m_gridStyle = mask;
    SetNeedsDisplay(true);
}

void TableView::SetGridColor(const Color& c) {
    m_gridColor = c;
    SetNeedsDisplay(true);
}

void TableView::SetBackgroundColor(const Color& c) {
    m_background = c;
    SetNeedsDisplay(true);
}

// ---------------------------------------------------------------------------------------------
// Rows and selection

int TableView::NumberOfRows() {
    return m_dataSource ? std::max(0, m_dataSource->NumberOfRowsInTableView(this)) : 0;
}

void TableView::ReloadData() {
    const int n = NumberOfRows();
    m_selection.erase(m_selection.lower_bound(n), m_selection.end());
    if (!IsRowSelected(m_selectedRow))
        m_selectedRow = m_selection.empty() ? -1 : *m_selection.rbegin();
    Tile();
    SetNeedsDisplay(true);
}

void TableView::SelectRowIndexes(const std::set<int>& rows, bool extend) {
    const int n = NumberOfRows();
    std::set<int> chosen(rows.lower_bound(0), rows.lower_bound(n));
    if (!m_allowsMultiple && chosen.size() > 1) chosen = {*chosen.rbegin()};
    if (!m_allowsMultiple) extend = false;
    if (!extend) m_selection.clear();
    m_selection.insert(chosen.begin(), chosen.end());
    if (!chosen.empty())
        m_selectedRow = *chosen.rbegin();
    else if (!IsRowSelected(m_selectedRow))
        m_selectedRow = -1;
    SetNeedsDisplay(true);
}

void TableView::DeselectRow(int row) {
    if (!m_selection.erase(row)) return;
    if (row == m_selectedRow) m_selectedRow = m_selection.empty() ? -1 : *m_selection.rbegin();
    SetNeedsDisplay(true);
}

void TableView::DeselectAll() {
    m_selection.clear();
    m_selectedRow = -1;
    SetNeedsDisplay(true);
}

// ---------------------------------------------------------------------------------------------
// Geometry and scrolling

Rect TableView::RectOfRow(int row) const {
    if (row < 0) return Rect();
    const double step = m_rowHeight + m_spacing.height;
    return Rect(0, row * step, Bounds().size.width, step);
}

Rect TableView::RectOfColumn(int column) const {
    if (column < 0 || column >= NumberOfColumns()) return Rect();
    double x = 0;
    auto room = [this](const TableColumn& c) { return c.IsHidden() ? 0 : c.Width() + m_spacing.width; };
    for (int i = 0; i < column; ++i)
        x += room(*m_columns[size_t(i)]);
    return Rect(x, 0, room(*m_columns[size_t(column)]), Bounds().size.height);
}

Rect TableView::FrameOfCellAtColumnRow(int column, int row) const {
    const Rect c = RectOfColumn(column), r = RectOfRow(row);
    if (c.size.width <= 0 || r.size.height <= 0) return Rect();
    return Rect(c.MinX() + m_spacing.width / 2, r.MinY() + m_spacing.height / 2,
                m_columns[size_t(column)]->Width(), m_rowHeight);
}

int TableView::RowAtPoint(Point p) {
    const double step = m_rowHeight + m_spacing.height;
    if (p.y < 0 || step <= 0) return -1;
    const double row = std::floor(p.y / step);
    return row < NumberOfRows() ? int(row) : -1;
}

int TableView::ColumnAtPoint(Point p) const {
    for (int i = 0; i < NumberOfColumns(); ++i) {
        const Rect r = RectOfColumn(i);
        if (r.size.width > 0 && p.x >= r.MinX() && p.x < r.MaxX()) return i;
    }
    return -1;
}

ScrollView* TableView::EnclosingScrollView() const {
    auto* clip = dynamic_cast<ClipView*>(Superview());
    return clip ? dynamic_cast<ScrollView*>(clip->Superview()) : nullptr;
}

void TableView::scrollRectToVisible(const Rect& r) {
    ScrollView* scroll = EnclosingScrollView();
    if (!scroll) return;
    ClipView* clip = scroll->ContentView();
    const Rect visible = clip->Bounds();
    auto along = [](double at, double lo, double hi, double span, double limit) {
        if (lo < at) at = lo;
        else if (hi > at + span) at = hi - span;
        return std::max(0.0, std::min(at, limit - span));
    };
    const Size doc = Frame().size;
    const Point origin{along(visible.MinX(), r.MinX(), r.MaxX(), visible.size.width, doc.width),
                       along(visible.MinY(), r.MinY(), r.MaxY(), visible.size.height, doc.height)};
    if (origin == visible.origin) return;
    clip->SetBoundsOrigin(origin);
    clip->SetNeedsDisplay(true);
    if (m_header) m_header->SetNeedsDisplay(true);
}

void TableView::ScrollRowToVisible(int row) {
    const Rect r = RectOfRow(row);
    if (r.size.height <= 0) return;
    const ScrollView* scroll = EnclosingScrollView();
    const double x = scroll ? scroll->ContentView()->Bounds().MinX() : 0;
    scrollRectToVisible(Rect(x, r.MinY(), 0, r.size.height));
}

void TableView::ScrollColumnToVisible(int column) {
    const Rect r = RectOfColumn(column);
    if (r.size.width <= 0) return;
    const ScrollView* scroll = EnclosingScrollView();
    const double y = scroll ? scroll->ContentView()->Bounds().MinY() : 0;
    scrollRectToVisible(Rect(r.MinX(), y, r.size.width, 0));
}

void TableView::Tile() {
    double width = 0;
    for (const Ref<TableColumn>& c : m_columns)
        if (!c->IsHidden()) width += c->Width() + m_spacing.width;
    double height = NumberOfRows() * (m_rowHeight + m_spacing.height);
    if (const ScrollView* scroll = EnclosingScrollView()) {
        const Size clip = scroll->ContentView()->Frame().size;
        width = std::max(width, clip.width);
        height = std::max(height, clip.height);
    }
    if (Frame().size != Size{width, height}) SetFrameSize(Size{width, height});
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TableView::Draw(const Rect& rect) {
    Canvas* c = GraphicsContext::Current();
    if (!c) return;
    fillRect(*c, rect, PixelOf(m_background));
    HighlightSelectionInClipRect(rect);
    const double step = m_rowHeight + m_spacing.height;
    const int rows = NumberOfRows();
    // Only what shows is asked of the data source, however large the dirty area.
    const Rect area = rect.Intersection(VisibleRect());
    if (step > 0 && m_dataSource && !area.IsEmpty()) {
        const int first = std::max(0, int(std::floor(area.MinY() / step)));
        const int last = std::min(rows - 1, int(std::ceil(area.MaxY() / step)) - 1);
        Ref<View> keep(this);
        for (int row = first; row <= last; ++row)
            for (int i = 0; i < NumberOfColumns(); ++i) {
                Ref<TableColumn> column = m_columns[size_t(i)];
                Ref<Cell> cell(column->DataCell());
                const Rect frame = FrameOfCellAtColumnRow(i, row);
                if (!cell || frame.Intersection(area).IsEmpty()) continue;
                cell->SetObjectValue(m_dataSource->ObjectValueForTableColumn(this, column.get(), row).get());
                if (m_delegate) m_delegate->TableViewWillDisplayCell(this, cell.get(), column.get(), row);
                cell->SetHighlighted(IsRowSelected(row));
                cell->DrawWithFrame(frame, this);
            }
    }
    drawGrid(*c, rect, rows);
}

void TableView::drawGrid(Canvas& c, const Rect& rect, int rows) {
    const uint32_t ink = PixelOf(m_gridColor);
    const double step = m_rowHeight + m_spacing.height;
    if ((m_gridStyle & 2) && step > 0)
        for (int k = std::max(1, int(std::floor(rect.MinY() / step))); k <= rows && k * step - 1 < rect.MaxY(); ++k)
            fillRect(c, Rect(rect.MinX(), k * step - 1, rect.size.width, 1), ink);
    if (m_gridStyle & 1)
        for (int i = 0; i < NumberOfColumns(); ++i) {
            const Rect r = RectOfColumn(i);
            if (r.size.width > 0) fillRect(c, Rect(r.MaxX() - 1, rect.MinY(), 1, rect.size.height), ink);
        }
}

void TableView::HighlightSelectionInClipRect(const Rect& clip) {
    Canvas* c = GraphicsContext::Current();
    if (!c) return;
    const uint32_t ink = PixelOf(SelectionColor(hasFocus(this)));
    for (int row : m_selection) {
        const Rect r = RectOfRow(row).Intersection(clip);
        if (!r.IsEmpty()) fillRect(*c, r, ink);
    }
}

// ---------------------------------------------------------------------------------------------
// Clicks

void TableView::MouseDown(Event& e) {
    Ref<View> keep(this);
    const Point p = ConvertPointFromView(e.locationInWindow, nullptr);
    m_clickedRow = RowAtPoint(p);
    m_clickedColumn = ColumnAtPoint(p);
    selectFromClick(m_clickedRow, e.modifierFlags);
    if (e.clickCount >= 2 && m_doubleAction && Target())
        m_doubleAction(Target(), this);
    else
        SendAction();
}

void TableView::selectFromClick(int row, unsigned modifiers) {
    const std::set<int> before = m_selection;
    if (row < 0) {
        if (m_allowsEmpty) DeselectAll();
    } else if (modifiers & kCommandKeyMask) {
        if (!IsRowSelected(row))
            SelectRowIndexes({row}, true);
        else if (m_allowsEmpty || m_selection.size() > 1)
            DeselectRow(row);
    } else if ((modifiers & kShiftKeyMask) && m_allowsMultiple && m_selectedRow >= 0) {
        std::set<int> range;
        for (int r = std::min(row, m_selectedRow); r <= std::max(row, m_selectedRow); ++r)
            range.insert(r);
        SelectRowIndexes(range, true);
        m_selectedRow = row;
    } else {
        SelectRowIndexes({row}, false);
    }
    if (m_selection != before && m_delegate) m_delegate->TableViewSelectionDidChange(this);
}

} // namespace platform::wsys
