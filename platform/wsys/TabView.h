#pragma once

#include "platform/wsys/Controls.h"

#include <string>
#include <vector>

namespace platform::wsys {

class TabView;

// One tab: its label.
class TabViewItem : public Object {
public:
    const std::string& Label() const { return m_label; }
    void SetLabel(const std::string& utf8) { m_label = utf8; }

private:
    std::string m_label;
};

// Whom a tab view tells that another tab became the selected one.
class TabViewDelegate {
public:
    virtual void TabViewDidSelectTabViewItem(TabView* tabView, TabViewItem* item) = 0;

protected:
    ~TabViewDelegate() = default;
};

// A row of tabs along the top over a bordered content area. A tab view with tabs always has
// one selected: the first one inserted, and a neighbour of a selected tab that is removed.
// Every change of the selected tab, by a click or by a call, tells the delegate once.
class TabView : public View {
public:
    using View::View;

    int NumberOfTabViewItems() const { return int(m_items.size()); }
    TabViewItem* TabViewItemAtIndex(int index) const;
    // The index is held to 0 .. count.
    void InsertTabViewItem(TabViewItem* item, int index);
    void RemoveTabViewItem(TabViewItem* item);
    // -1 without tabs.
    int IndexOfSelectedTabViewItem() const { return m_selected; }
    // Nothing for an index outside the tabs.
    void SelectTabViewItemAtIndex(int index);
    // Not retained.
    TabViewDelegate* Delegate() const { return m_delegate; }
    void SetDelegate(TabViewDelegate* delegate) { m_delegate = delegate; }
    bool AllowsTruncatedLabels() const { return m_truncates; }
    void SetAllowsTruncatedLabels(bool on) { m_truncates = on; }
    std::shared_ptr<TextFont> Font() const;
    // The tab under a point in the view's coordinates, -1 for none.
    int TabAtPoint(Point p) const;

    bool IsFlipped() const override { return true; }
    void Draw(const Rect& rect) override;
    void MouseDown(Event& e) override;

private:
    // Tabs are as wide as their labels (cut to an equal share of the width when they allow
    // it), side by side from the left.
    std::vector<Rect> tabRects() const;
    void select(int index);

    std::vector<Ref<TabViewItem>> m_items;
    int m_selected = -1;
    TabViewDelegate* m_delegate = nullptr;
    bool m_truncates = false;
};

// A determinate bar (or an indeterminate one) filled from the left by its value within its
// range; the value is held to the range.
class ProgressIndicator : public View {
public:
    enum Style : int { kBarStyle = 0, kSpinningStyle = 1 };
    using View::View;

    double MinValue() const { return m_min; }
    double MaxValue() const { return m_max; }
    void SetMinValue(double v);
    void SetMaxValue(double v);
    double DoubleValue() const { return m_value; }
    void SetDoubleValue(double v);
    void IncrementBy(double delta) { SetDoubleValue(m_value + delta); }
    int GetStyle() const { return m_style; }
    void SetStyle(int style) { m_style = style; }
    bool IsIndeterminate() const { return m_indeterminate; }
    void SetIndeterminate(bool on);
    bool IsAnimating() const { return m_animating; }
    void StartAnimation() { m_animating = true; }
    void StopAnimation() { m_animating = false; }
    // The filled share, 0 to 1.
    double Fraction() const;

    bool IsFlipped() const override { return true; }
    void Draw(const Rect& rect) override;

private:
    double m_min = 0, m_max = 100, m_value = 0;
    int m_style = kBarStyle;
    bool m_indeterminate = true;
    bool m_animating = false;
};

} // namespace platform::wsys
