#pragma once

#include "platform/wsys/TableView.h"

#include <set>
#include <vector>

namespace platform::wsys {

class OutlineView;

// Where an outline gets its tree: a null item stands for the invisible root.
class OutlineDataSource {
public:
    virtual int NumberOfChildrenOfItem(OutlineView* outline, Object* item) = 0;
    virtual bool IsItemExpandable(OutlineView* outline, Object* item) = 0;
    // Null for an index outside the item's children.
    virtual Object* ChildOfItem(OutlineView* outline, int index, Object* item) = 0;
    virtual Ref<Object> ObjectValueForItem(OutlineView* outline, TableColumn* column, Object* item) = 0;

protected:
    ~OutlineDataSource() = default;
};

// A table whose rows are the items of a tree, children below their expanded parents. The
// outline column's cells move right by the indentation per level, after a disclosure triangle
// shown for expandable items; a click on the triangle expands or collapses the item. Rows are
// taken from the data source again by ReloadData (and by expanding and collapsing), and the
// selected item keeps its selection while its row moves.
class OutlineView : public TableView, private TableDataSource {
public:
    explicit OutlineView(const Rect& frame = Rect());

    OutlineDataSource* OutlineSource() const { return m_source; }
    // Not retained.
    void SetOutlineSource(OutlineDataSource* source);
    TableColumn* OutlineTableColumn() const { return m_outlineColumn; }
    void SetOutlineTableColumn(TableColumn* column) { m_outlineColumn = column; }
    double IndentationPerLevel() const { return m_indent; }
    void SetIndentationPerLevel(double indent);

    // Null for a row outside the table.
    Object* ItemAtRow(int row);
    // -1 for an item without a row (unknown, or below a collapsed parent).
    int RowForItem(const Object* item);
    int LevelForRow(int row);
    bool IsItemExpanded(const Object* item) const { return m_expanded.count(item) != 0; }
    void ExpandItem(Object* item);
    void CollapseItem(Object* item);

    void ReloadData() override;
    Rect FrameOfCellAtColumnRow(int column, int row) const override;
    void Draw(const Rect& rect) override;
    void MouseDown(Event& e) override;

private:
    struct Row {
        Object* item; // alive until the data source changes, which ReloadData follows
        int level;
    };
    int NumberOfRowsInTableView(TableView* table) override;
    Ref<Object> ObjectValueForTableColumn(TableView* table, TableColumn* column, int row) override;
    void rebuild();
    void addRows(Object* parent, int level, std::set<const Object*>& live);
    // The disclosure triangle's square in the row, empty when the row has none.
    Rect disclosureRect(int row) const;

    OutlineDataSource* m_source = nullptr;
    TableColumn* m_outlineColumn = nullptr; // one of the table's columns
    double m_indent = 16;
    std::vector<Row> m_rows;
    std::set<const Object*> m_expanded;
};

} // namespace platform::wsys
