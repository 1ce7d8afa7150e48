// Text views: editing by keys and the mouse, the field editor's hand-over to its field,
// growing with the text and scrolling to a range.
#include "platform/wsys/Controls.h"
#include "platform/wsys/KeyLayout.h"
#include "platform/wsys/Render.h"
#include "platform/wsys/ScrollView.h"
#include "platform/wsys/Window.h"

#include <algorithm>
#include <cmath>

namespace platform::wsys {

namespace {

// The field a field editor is editing: field, clip view, editor.
TextField* fieldOf(const TextView& editor) {
    if (!editor.IsFieldEditor() || !editor.Superview()) return nullptr;
    return dynamic_cast<TextField*>(editor.Superview()->Superview());
}

bool typable(char16_t c) {
    return c >= 0x20 && c != 0x7F && !(c >= 0xF700 && c <= 0xF8FF);
}

size_t lineCount(const std::u16string& text) {
    return size_t(std::count(text.begin(), text.end(), u'\n')) + 1;
}

} // namespace

void TextView::SetString(const std::u16string& text) {
    m_text = text;
    m_selection = TextRange{text.size(), 0};
    m_anchor = text.size();
    fitHeight();
    SetNeedsDisplay(true);
}

void TextView::SetSelectedRange(TextRange r) {
    r.location = std::min(r.location, m_text.size());
    r.length = std::min(r.length, m_text.size() - r.location);
    m_selection = r;
    m_anchor = r.location;
    SetNeedsDisplay(true);
}

std::shared_ptr<TextFont> TextView::Font() const {
    return m_font ? m_font : SystemFont();
}

void TextView::SetFont(std::shared_ptr<TextFont> font) {
    m_font = std::move(font);
    fitHeight();
    SetNeedsDisplay(true);
}

double TextView::LineHeight() const {
    std::shared_ptr<TextFont> font = Font();
    return font ? std::ceil(font->Ascent() + font->Descent() + font->Leading()) : 16;
}

void TextView::SetFrameSize(Size s) {
    m_minHeight = s.height;
    View::SetFrameSize(s);
    fitHeight();
}

void TextView::fitHeight() {
    if (!m_vResizable || m_fieldEditor) return;
    const double needed = std::max(m_minHeight, double(lineCount(m_text)) * LineHeight());
    if (needed != Frame().size.height) View::SetFrameSize(Size{Frame().size.width, needed});
}

void TextView::ScrollRangeToVisible(TextRange r) {
    auto* clip = dynamic_cast<ClipView*>(Superview());
    if (!clip) return;
    const size_t at = std::min(r.location, m_text.size());
    const size_t line = size_t(std::count(m_text.begin(), m_text.begin() + long(at), u'\n'));
    const double top = double(line) * LineHeight(), bottom = top + LineHeight();
    const Rect shown = clip->Bounds();
    double y = shown.MinY();
    if (bottom > shown.MaxY()) y = bottom - shown.size.height;
    if (top < y) y = top;
    y = std::max(0.0, std::min(y, Frame().size.height - shown.size.height));
    clip->SetBoundsOrigin(Point{shown.MinX(), std::max(0.0, y)});
}

bool TextView::ResignFirstResponder() {
    if (TextField* field = fieldOf(*this)) {
        field->EndEditing();
    } else if (!m_fieldEditor) {
        if (auto* d = dynamic_cast<ControlDelegate*>(m_delegate)) d->TextDidEndEditing(this);
    }
    return true;
}

void TextView::replaceSelection(const std::u16string& with) {
    m_text.replace(m_selection.location, m_selection.length, with);
    m_selection = TextRange{m_selection.location + with.size(), 0};
    m_anchor = m_selection.location;
    fitHeight();
    SetNeedsDisplay(true);
    textChanged();
}

void TextView::textChanged() {
    if (TextField* field = fieldOf(*this)) field->EditorTextDidChange();
}

void TextView::KeyDown(Event& e) {
    const unsigned commands = kCommandKeyMask | kControlKeyMask;
    if (!m_editable || (e.modifierFlags & commands)) {
        View::KeyDown(e);
        return;
    }
    Ref<TextView> keep(this);
    const bool shift = e.modifierFlags & kShiftKeyMask;
    const size_t length = m_text.size();
    // Moves the caret, or with Shift the free end of the selection.
    auto moveTo = [&](size_t to) {
        const size_t from = shift ? m_anchor : to;
        const size_t anchor = m_anchor;
        SetSelectedRange(TextRange{std::min(from, to), from > to ? from - to : to - from});
        if (shift) m_anchor = anchor;
    };
    const size_t start = m_selection.location, end = start + m_selection.length;
    const size_t caret = shift && m_anchor == start ? end : start;
    switch (e.keyCode) {
    case kKeyCodeReturn:
    case kKeyCodeEnter:
        if (TextField* field = fieldOf(*this))
            field->EditorDidEndWithReturn();
        else if (!m_fieldEditor)
            replaceSelection(u"\n");
        return;
    case kKeyCodeTab:
        if (TextField* field = fieldOf(*this)) {
            if (Window* w = GetWindow()) w->SelectNextKeyView(field, !shift);
        } else if (!m_fieldEditor) {
            replaceSelection(u"\t");
        }
        return;
    case kKeyCodeDelete:
        if (m_selection.length == 0 && start > 0) m_selection = TextRange{start - 1, 1};
        replaceSelection(u"");
        return;
    case kKeyCodeForwardDelete:
        if (m_selection.length == 0 && start < length) m_selection.length = 1;
        replaceSelection(u"");
        return;
    case kKeyCodeLeft:
        moveTo(!shift && m_selection.length ? start : caret > 0 ? caret - 1 : 0);
        return;
    case kKeyCodeRight:
        moveTo(!shift && m_selection.length ? end : std::min(length, (shift ? caret : end) + 1));
        return;
    case kKeyCodeUp:
        moveTo(0);
        return;
    case kKeyCodeDown:
        moveTo(length);
        return;
    default:
        break;
    }
    std::u16string typed;
    for (char16_t c : e.characters)
        if (typable(c)) typed += c;
    if (typed.empty()) {
        View::KeyDown(e);
        return;
    }
    replaceSelection(typed);
}

size_t TextView::offsetAt(Point p) const {
    std::shared_ptr<TextFont> font = Font();
    const size_t line = size_t(std::max(0.0, std::floor(p.y / LineHeight())));
    size_t at = 0;
    for (size_t i = 0; i < line; ++i) {
        const size_t next = m_text.find(u'\n', at);
        if (next == std::u16string::npos) return m_text.size();
        at = next + 1;
    }
    const size_t lineEnd = std::min(m_text.find(u'\n', at), m_text.size());
    double x = 0;
    for (size_t i = at; i < lineEnd; ++i) {
        const double w = font ? font->LineWidth(std::u32string(1, char32_t(m_text[i]))) : 0;
        if (p.x < x + w / 2) return i;
        x += w;
    }
    return lineEnd;
}

void TextView::MouseDown(Event& e) {
    const size_t at = offsetAt(ConvertPointFromView(e.locationInWindow, nullptr));
    SetSelectedRange(TextRange{at, 0});
}

} // namespace platform::wsys
