#include "platform/wsys/ScrollView.h"

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

void ScrollView::SetFrameSize(Size s) {
    View::SetFrameSize(s);
    m_clip->SetFrameSize(s);
}

} // namespace platform::wsys
