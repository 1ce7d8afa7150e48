#include "platform/wsys/Controls.h"

#include "platform/wsys/Render.h"
#include "platform/wsys/ScrollView.h"
#include "platform/wsys/String.h"
#include "platform/wsys/Window.h"

#include <algorithm>
#include <cmath>

namespace platform::wsys {

namespace {
constexpr double kFitMarginX = 6, kFitMarginY = 4;
} // namespace

void Control::SizeToFit() {
    auto* button = dynamic_cast<const Button*>(this);
    std::u32string text;
    DecodeUtf8(button ? button->Title() : m_string, &text);
    std::shared_ptr<TextFont> font = SystemFont();
    const double width = font ? std::ceil(font->LineWidth(text)) : 0;
    const double height = font ? std::ceil(font->Ascent() + font->Descent()) : 0;
    SetFrameSize(Size{width + 2 * kFitMarginX, height + 2 * kFitMarginY});
}

bool Control::SendAction() {
    if (!m_target || !m_action) return false;
    m_action(m_target, this);
    return true;
}

void Slider::SetDoubleValue(double v) {
    m_value = std::max(m_min, std::min(m_max, v));
}

bool TextField::BecomeFirstResponder() {
    Window* w = GetWindow();
    if (!w || CurrentEditor()) return true;
    TextView* editor = w->FieldEditor(true);
    Ref<ClipView> clip = Make<ClipView>(Rect(0, 0, Frame().size.width, Frame().size.height));
    editor->SetFrame(clip->Bounds());
    clip->SetDocumentView(editor);
    AddSubview(clip.get());
    const Ref<wsys::String> text = wsys::String::FromUtf8(StringValue());
    editor->SetString(text ? text->Units() : std::u16string());
    editor->SetSelectedRange(TextRange{0, editor->String().size()});
    w->MakeFirstResponder(editor);
    return true;
}

TextView* TextField::CurrentEditor() const {
    for (const Ref<View>& v : Subviews())
        if (auto* clip = dynamic_cast<ClipView*>(v.get()))
            if (auto* editor = dynamic_cast<TextView*>(clip->DocumentView());
                editor && editor->IsFieldEditor())
                return editor;
    return nullptr;
}

void TextField::EndEditing() {
    TextView* editor = CurrentEditor();
    if (!editor) return;
    Ref<View> clip(editor->Superview());
    SetStringValue(wsys::String(editor->String()).ToUtf8Lossy());
    clip->RemoveFromSuperview();
}

void TextView::SetString(const std::u16string& text) {
    m_text = text;
    m_selection = TextRange{text.size(), 0};
}

void TextView::SetSelectedRange(TextRange r) {
    r.location = std::min(r.location, m_text.size());
    r.length = std::min(r.length, m_text.size() - r.location);
    m_selection = r;
}

bool TextView::ResignFirstResponder() {
    if (m_fieldEditor && Superview())
        if (auto* field = dynamic_cast<TextField*>(Superview()->Superview())) field->EndEditing();
    return true;
}

} // namespace platform::wsys
