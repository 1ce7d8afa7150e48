#pragma once

#include "platform/wsys/Controls.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace platform::wsys {

class ScrollView;
class TableView;

// What draws one value of a table: the table hands it the value, then asks it to draw.
class Cell : public Object {
public:
    // A String shows its text; anything else, or none, shows nothing.
    Object* ObjectValue() const { return m_value.get(); }
    void SetObjectValue(Object* value) { m_value = value; }
    // UTF-8.
    std::string StringValue() const;
    void SetStringValue(const std::string& utf8);
    int Alignment() const { return m_alignment; }
    void SetAlignment(int alignment) { m_alignment = alignment; }
    bool Wraps() const { return m_wraps; }
    void SetWraps(bool on) { m_wraps = on; }
    bool IsHighlighted() const { return m_highlighted; }
    void SetHighlighted(bool on) { m_highlighted = on; }

    // The background of a highlighted cell; none draws none. The platform's selection colour.
    virtual std::optional<Color> HighlightColorWithFrame(const Rect& frame, View* view);
    // The highlight, then the interior.
    virtual void DrawWithFrame(const Rect& frame, View* view);
    // The text on one line in the cell's alignment, cut at the frame.
    virtual void DrawInteriorWithFrame(const Rect& frame, View* view);

protected:
    virtual Color TextInk() const { return Color{}; }

private:
    Ref<Object> m_value;
    int m_alignment = kLeftTextAlignment;
    bool m_wraps = true;
    bool m_highlighted = false;
};

// A cell whose text colour can be chosen.
class TextFieldCell : public Cell {
public:
    const std::optional<Color>& TextColor() const { return m_textColor; }
    void SetTextColor(const std::optional<Color>& c) { m_textColor = c; }

protected:
    Color TextInk() const override { return m_textColor.value_or(Color{}); }

private:
    std::optional<Color> m_textColor;
};

// One column of a table: its width, its header cell (title and alignment) and the cell that
// draws its values.
class TableColumn : public Object {
public:
    TableColumn();

    double Width() const { return m_width; }
    // Never below 0.
    void SetWidth(double width);
    bool IsHidden() const { return m_hidden; }
    void SetHidden(bool hidden);
    bool IsEditable() const { return m_editable; }
    void SetEditable(bool on) { m_editable = on; }
    Cell* HeaderCell() const { return m_headerCell.get(); }
    Cell* DataCell() const { return m_dataCell.get(); }
    void SetDataCell(Cell* cell);
    // The table that holds the column, null when none.
    TableView* GetTableView() const { return m_table; }

private:
    friend class TableView;
    void changed();

    double m_width = 100;
    bool m_hidden = false;
    bool m_editable = true;
    Ref<Cell> m_headerCell;
    Ref<Cell> m_dataCell;
    TableView* m_table = nullptr;
    std::string m_indicatorImage;
};

// Where a table gets its rows: asked for the count and for each value the table draws.
class TableDataSource {
public:
    virtual int NumberOfRowsInTableView(TableView* table) = 0;
    virtual Ref<Object> ObjectValueForTableColumn(TableView* table, TableColumn* column, int row) = 0;

protected:
    ~TableDataSource() = default;
};

// Whom a table tells of what the user did, and who may dress a cell before it is drawn.
class TableViewDelegate {
public:
    // After a click changed the selection (changes made by calls are not reported).
    virtual void TableViewSelectionDidChange(TableView* table) = 0;
    virtual void TableViewDidClickTableColumn(TableView* table, TableColumn* column) = 0;
    virtual void TableViewWillDisplayCell(TableView* table, Cell* cell, TableColumn* column,
                                          int row) = 0;

protected:
    ~TableViewDelegate() = default;
};

// The strip above a table's rows that shows the column titles; its table places it at the top
// of the scroll view that shows the table.
class TableHeaderView : public View {
public:
    explicit TableHeaderView(TableView* table);
    TableView* GetTableView() const { return m_table; }
    bool IsFlipped() const override { return true; }
    bool IsOpaque() const override { return true; }
    void Draw(const Rect& rect) override;
    // A click on a column title, released over the same title, tells the table's delegate.
    void MouseDown(Event& e) override;
    void MouseUp(Event& e) override;
    void MouseDragged(Event&) override {}

private:
    friend class TableView;
    int columnAt(const Event& e) const;

    TableView* m_table; // the table owns its header
    int m_pressedColumn = -1;
};

// Rows and columns of cells whose values come from a data source, asked only for the cells it
// draws. Rows are rowHeight + the intercell spacing's height apart, from y = 0 down (the view
// is flipped); columns lie side by side in their display order, each its width + the spacing's
// width wide (a hidden column takes no room). The selection is a set of rows; the last row
// selected is the selected row. A click selects (Command toggles a row, Shift extends from the
// selected row), then sends the action, or the double action for a second click.
class TableView : public Control {
public:
    explicit TableView(const Rect& frame = Rect());

    TableDataSource* DataSource() const { return m_dataSource; }
    // Not retained, like the delegate.
    void SetDataSource(TableDataSource* source) { m_dataSource = source; }
    TableViewDelegate* Delegate() const { return m_delegate; }
    void SetDelegate(TableViewDelegate* delegate) { m_delegate = delegate; }
    ControlAction DoubleAction() const { return m_doubleAction; }
    void SetDoubleAction(ControlAction action) { m_doubleAction = action; }

    // Columns in display order.
    const std::vector<Ref<TableColumn>>& TableColumns() const { return m_columns; }
    int NumberOfColumns() const { return int(m_columns.size()); }
    void AddTableColumn(TableColumn* column);
    void RemoveTableColumn(TableColumn* column);
    // The column at display position from goes to position to; nothing for a bad position.
    void MoveColumn(int from, int to);
    // The display position, -1 when the column is not the table's.
    int ColumnIndex(const TableColumn* column) const;
    bool AllowsColumnReordering() const { return m_allowsColumnReordering; }
    void SetAllowsColumnReordering(bool on) { m_allowsColumnReordering = on; }
    // The name of the image shown in a column's title (empty for none).
    std::string IndicatorImage(const TableColumn* column) const;
    void SetIndicatorImage(const std::string& name, TableColumn* column);

    // Null when the table has no header.
    TableHeaderView* HeaderView() const { return m_header.get(); }
    void SetHeaderView(TableHeaderView* header);
    double RowHeight() const { return m_rowHeight; }
    void SetRowHeight(double h);
    Size IntercellSpacing() const { return m_spacing; }
    void SetIntercellSpacing(Size s);
    // Grid lines: 1 vertical, 2 horizontal.
    unsigned GridStyleMask() const { return m_gridStyle; }
    void SetGridStyleMask(unsigned mask);
    const Color& GridColor() const { return m_gridColor; }
    void SetGridColor(const Color& c);
    const Color& BackgroundColor() const { return m_background; }
    void SetBackgroundColor(const Color& c);

    // Rows: the data source's count, 0 without one.
    int NumberOfRows();
    // Asks the rows again and redraws; selected rows that are gone leave the selection.
    virtual void ReloadData();

    bool AllowsMultipleSelection() const { return m_allowsMultiple; }
    void SetAllowsMultipleSelection(bool on) { m_allowsMultiple = on; }
    bool AllowsEmptySelection() const { return m_allowsEmpty; }
    void SetAllowsEmptySelection(bool on) { m_allowsEmpty = on; }
    const std::set<int>& SelectedRowIndexes() const { return m_selection; }
    // Rows outside the table are left out; without multiple selection only the last counts and
    // nothing extends.
    void SelectRowIndexes(const std::set<int>& rows, bool extend);
    void DeselectRow(int row);
    void DeselectAll();
    bool IsRowSelected(int row) const { return m_selection.count(row) != 0; }
    // The last row selected, -1 for none.
    int SelectedRow() const { return m_selectedRow; }
    int NumberOfSelectedRows() const { return int(m_selection.size()); }
    // Row and column (as ColumnAtPoint numbers it) under the last click, -1 for none.
    int ClickedRow() const { return m_clickedRow; }
    int ClickedColumn() const { return m_clickedColumn; }

    Rect RectOfRow(int row) const;
    Rect RectOfColumn(int column) const;
    // The cell within its row and column, less the intercell spacing.
    virtual Rect FrameOfCellAtColumnRow(int column, int row) const;
    // -1 outside the rows.
    int RowAtPoint(Point p);
    // The display position of the column under the point, -1 for none.
    virtual int ColumnAtPoint(Point p) const;
    // The scroll view showing the table through its clip view, else null.
    ScrollView* EnclosingScrollView() const;
    void ScrollRowToVisible(int row);
    void ScrollColumnToVisible(int column);
    // As wide as the columns and as high as the rows, at least the clip view's size.
    void Tile();

    bool IsFlipped() const override { return true; }
    bool IsOpaque() const override { return true; }
    bool AcceptsFirstResponder() override { return true; }
    void Draw(const Rect& rect) override;
    // Fills the selected rows' part of the clip with the platform's selection colour (a paler
    // one while the table does not have the focus).
    virtual void HighlightSelectionInClipRect(const Rect& clip);
    void MouseDown(Event& e) override;
    void MouseUp(Event&) override {}
    void MouseDragged(Event&) override {}

protected:
    void Dealloc() override;

private:
    void selectFromClick(int row, unsigned modifiers);
    void scrollRectToVisible(const Rect& r);
    void drawGrid(Canvas& c, const Rect& rect, int rows);

    TableDataSource* m_dataSource = nullptr;
    TableViewDelegate* m_delegate = nullptr;
    ControlAction m_doubleAction = nullptr;
    std::vector<Ref<TableColumn>> m_columns;
    Ref<TableHeaderView> m_header;
    double m_rowHeight = 17;
    Size m_spacing{3, 2};
    unsigned m_gridStyle = 0;
    Color m_gridColor{0.75, 0.75, 0.75, 1};
    Color m_background{1, 1, 1, 1};
    bool m_allowsMultiple = false;
    bool m_allowsEmpty = true;
    bool m_allowsColumnReordering = true;
    std::set<int> m_selection;
    int m_selectedRow = -1;
    int m_clickedRow = -1;
    int m_clickedColumn = -1;
};

// The platform's selection colours: with and without the focus.
Color SelectionColor(bool focused);

} // namespace platform::wsys
