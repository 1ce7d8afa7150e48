#pragma once

#include "platform/wsys/View.h"

namespace platform::wsys {

// The view a scroll view shows its document through: the document view is its one subview.
class ClipView : public View {
public:
    using View::View;
    View* DocumentView() const { return Subviews().empty() ? nullptr : Subviews()[0].get(); }
    // Replaces the document view; null leaves none.
    void SetDocumentView(View* v);
    bool IsFlipped() const override { return true; }
};

// A view that shows part of a larger document view through its clip view, which fills it.
class ScrollView : public View {
public:
    explicit ScrollView(const Rect& frame = Rect());

    ClipView* ContentView() const { return m_clip.get(); }
    View* DocumentView() const { return m_clip->DocumentView(); }
    void SetDocumentView(View* v);
    bool HasVerticalScroller() const { return m_vertical; }
    bool HasHorizontalScroller() const { return m_horizontal; }
    void SetHasVerticalScroller(bool on) { m_vertical = on; }
    void SetHasHorizontalScroller(bool on) { m_horizontal = on; }
    // Scrollers show only while the document is larger than the clip view.
    bool AutohidesScrollers() const { return m_autohides; }
    void SetAutohidesScrollers(bool on) { m_autohides = on; }
    bool DrawsBackground() const { return m_drawsBackground; }
    void SetDrawsBackground(bool on) { m_drawsBackground = on; }
    Size ContentSize() const { return Frame().size; }
    void SetFrameSize(Size s) override;
    // Lays out the clip view, with a table document's header view above it.
    void Tile();

private:
    Ref<ClipView> m_clip;
    bool m_vertical = false, m_horizontal = false;
    bool m_autohides = false, m_drawsBackground = true;
};

} // namespace platform::wsys
