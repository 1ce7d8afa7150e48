#include "platform/wsys/TabView.h"

#include "platform/wsys/Paint.h"
#include "platform/wsys/Render.h"
#include "platform/wsys/Window.h"

#include <algorithm>
#include <cmath>

namespace platform::wsys {

namespace {
constexpr double kTabHeight = 22, kTabPadding = 12;
constexpr uint32_t kTabFace = MakePixel(228, 228, 228);
constexpr uint32_t kSelectedFace = MakePixel(252, 252, 252);
constexpr uint32_t kLine = MakePixel(160, 160, 160);
constexpr uint32_t kBarFace = MakePixel(236, 236, 236);
constexpr uint32_t kBarFill = MakePixel(58, 130, 247);
constexpr CanvasColor kInk{0.1f, 0.1f, 0.1f, 1};
} // namespace

TabViewItem* TabView::TabViewItemAtIndex(int index) const {
    return index >= 0 && index < NumberOfTabViewItems() ? m_items[size_t(index)].get() : nullptr;
}

void TabView::select(int index) {
    if (index == m_selected) return;
    m_selected = index;
    SetNeedsDisplay(true);
    Ref<View> keep(this);
    if (m_delegate && index >= 0) m_delegate->TabViewDidSelectTabViewItem(this, m_items[size_t(index)].get());
}

void TabView::InsertTabViewItem(TabViewItem* item, int index) {
    if (!item) return;
    index = std::clamp(index, 0, NumberOfTabViewItems());
    m_items.insert(m_items.begin() + index, Ref<TabViewItem>(item));
    if (m_selected >= index) ++m_selected;
    SetNeedsDisplay(true);
    if (m_selected < 0) select(0);
}

void TabView::RemoveTabViewItem(TabViewItem* item) {
    auto it = std::find_if(m_items.begin(), m_items.end(), [&](const Ref<TabViewItem>& i) { return i.get() == item; });
    if (it == m_items.end()) return;
    const int index = int(it - m_items.begin());
    Ref<TabViewItem> keep(item);
    m_items.erase(it);
    SetNeedsDisplay(true);
    if (index < m_selected) {
        --m_selected;
    } else if (index == m_selected) {
        // The neighbour that takes the place, or the one before the last.
        m_selected = -1;
        if (!m_items.empty()) select(std::min(index, NumberOfTabViewItems() - 1));
    }
}

void TabView::SelectTabViewItemAtIndex(int index) {
    if (index >= 0 && index < NumberOfTabViewItems()) select(index);
}

std::shared_ptr<TextFont> TabView::Font() const {
    return SystemFont();
}

std::vector<Rect> TabView::tabRects() const {
    std::vector<Rect> rects;
    std::shared_ptr<TextFont> font = Font();
    const double share = m_items.empty() ? 0 : Bounds().size.width / double(m_items.size());
    double x = 0;
    for (const Ref<TabViewItem>& item : m_items) {
        std::u32string text;
        DecodeUtf8(item->Label(), &text);
        double w = std::ceil((font ? font->LineWidth(text) : 0) + 2 * kTabPadding);
        if (m_truncates) w = std::min(w, std::floor(share));
        rects.emplace_back(x, 0, w, kTabHeight);
        x += w;
    }
    return rects;
}

int TabView::TabAtPoint(Point p) const {
    const std::vector<Rect> rects = tabRects();
    for (size_t i = 0; i < rects.size(); ++i)
        if (p.x >= rects[i].MinX() && p.x < rects[i].MaxX() && p.y >= rects[i].MinY() && p.y < rects[i].MaxY())
            return int(i);
    return -1;
}

void TabView::Draw(const Rect&) {
    Canvas* c = GraphicsContext::Current();
    if (!c) return;
    const int w = int(Bounds().size.width), h = int(Bounds().size.height), top = int(kTabHeight) - 1;
    FramePixels(*c, 0, top, w, h, kLine);
    std::shared_ptr<TextFont> font = Font();
    const std::vector<Rect> rects = tabRects();
    for (size_t i = 0; i < rects.size(); ++i) {
        const CanvasRect r = PixelsCovering(rects[i]);
        FillPixels(*c, r.left, r.top, r.right, r.bottom, int(i) == m_selected ? kSelectedFace : kTabFace);
        FramePixels(*c, r.left, r.top, r.right, r.bottom, kLine);
        if (int(i) == m_selected) FillPixels(*c, r.left + 1, r.bottom - 1, r.right - 1, r.bottom, kSelectedFace);
        std::u32string text;
        if (font && DecodeUtf8(m_items[i]->Label(), &text))
            DrawTextLine(*c, *font, text, r.left + 2, r.top, r.right - 2, r.bottom, kCenterTextAlignment, kInk);
    }
}

void TabView::MouseDown(Event& e) {
    const int tab = TabAtPoint(ConvertPointFromView(e.locationInWindow, nullptr));
    if (tab >= 0) select(tab);
}

// ---------------------------------------------------------------------------------------------

void ProgressIndicator::SetMinValue(double v) {
    m_min = v;
    SetDoubleValue(m_value);
}

void ProgressIndicator::SetMaxValue(double v) {
    m_max = v;
    SetDoubleValue(m_value);
}

void ProgressIndicator::SetDoubleValue(double v) {
    m_value = m_max >= m_min ? std::clamp(v, m_min, m_max) : m_min;
    SetNeedsDisplay(true);
}

void ProgressIndicator::SetIndeterminate(bool on) {
    m_indeterminate = on;
    SetNeedsDisplay(true);
}

double ProgressIndicator::Fraction() const {
    return m_max > m_min ? (m_value - m_min) / (m_max - m_min) : 0;
}

void ProgressIndicator::Draw(const Rect&) {
    Canvas* c = GraphicsContext::Current();
    if (!c || m_style != kBarStyle) return;
    const int w = int(Bounds().size.width), h = int(Bounds().size.height);
    FillPixels(*c, 0, 0, w, h, kBarFace);
    if (!m_indeterminate) FillPixels(*c, 1, 1, 1 + int(std::lround((w - 2) * Fraction())), h - 1, kBarFill);
    FramePixels(*c, 0, 0, w, h, kLine);
}

} // namespace platform::wsys
