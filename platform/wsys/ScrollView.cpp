#include "platform/wsys/ScrollView.h"

#include "platform/wsys/TableView.h"

#include <algorithm>

namespace platform::wsys {

void ClipView::SetDocumentView(View* v) {
    Ref<View> keep(v);
    while (!Subviews().empty())
        Subviews().back()->RemoveFromSuperview();
    if (v) AddSubview(v);
}

ScrollView::ScrollView(const Rect& frame)
    : View(frame), m_clip(Make<ClipView>(Rect(0, 0, frame.size.width, frame.size.height))) {
    AddSubview(m_clip.get());
}

void ScrollView::SetDocumentView(View* v) {
    m_clip->SetDocumentView(v);
    Tile();
}

void ScrollView::SetFrameSize(Size s) {
    View::SetFrameSize(s);
    Tile();
}

void ScrollView::Tile() {
    const Size s = Frame().size;
    auto* table = dynamic_cast<TableView*>(DocumentView());
    TableHeaderView* header = table ? table->HeaderView() : nullptr;
    const std::vector<Ref<View>> subviews = Subviews();
    for (const Ref<View>& v : subviews)
        if (dynamic_cast<TableHeaderView*>(v.get()) && v.get() != header) v->RemoveFromSuperview();
    double headerHeight = 0;
    if (header) {
        headerHeight = std::min(s.height, header->Frame().size.height);
        if (header->Superview() != this) AddSubview(header);
        header->SetFrame(Rect(0, s.height - headerHeight, s.width, headerHeight));
    }
    m_clip->SetFrame(Rect(0, 0, s.width, s.height - headerHeight));
    if (table) table->Tile();
}

} // namespace platform::wsys
