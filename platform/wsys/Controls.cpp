#include "platform/wsys/Controls.h"

#include "platform/wsys/KeyLayout.h"
#include "platform/wsys/Menu.h"
#include "platform/wsys/Render.h"
#include "platform/wsys/ScrollView.h"
#include "platform/wsys/String.h"
#include "platform/wsys/Window.h"

#include <algorithm>
#include <cmath>

namespace platform::wsys {

namespace {

constexpr double kFitMarginX = 6, kFitMarginY = 4;
// Width of a check box's or radio button's mark and its gap to the title.
constexpr double kMarkWidth = 18;
// Width of a combo box's arrow part and of a pop-up button's arrows.
constexpr double kArrowWidth = 18;
// Knob radius of a slider by control size.
constexpr double kKnobRadius[3] = {7, 6, 4};

Point localPoint(const View& v, const Event& e) {
    return v.ConvertPointFromView(e.locationInWindow, nullptr);
}

// The screen point of a view's bottom-left corner as seen on the screen (y up): where a list
// opens below it.
Point screenBelow(const View& v) {
    const Rect inWindow = v.ConvertRectToView(v.Bounds(), nullptr);
    const Window* w = v.GetWindow();
    const Point base{inWindow.MinX(), inWindow.MinY()};
    return w ? w->ConvertBaseToScreen(base) : base;
}

std::string utf8Of(const std::u16string& units) {
    return wsys::String(units).ToUtf8Lossy();
}

std::u16string unitsOf(const std::string& utf8) {
    const Ref<String> s = String::FromUtf8(utf8);
    return s ? s->Units() : std::u16string();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Control

bool Control::SendAction() {
    if (!m_target || !m_action) return false;
    m_action(m_target, this);
    return true;
}

void Control::SetEnabled(bool on) {
    if (on == m_enabled) return;
    m_enabled = on;
    SetNeedsDisplay(true);
}

void Control::SetStringValue(const std::string& s) {
    m_string = s;
    SetNeedsDisplay(true);
}

void Control::SetTextColor(const std::optional<Color>& c) {
    m_textColor = c;
    SetNeedsDisplay(true);
}

std::shared_ptr<TextFont> Control::Font() const {
    return m_font ? m_font : SystemFont();
}

void Control::SetFont(std::shared_ptr<TextFont> font) {
    m_font = std::move(font);
    SetNeedsDisplay(true);
}

void Control::SetAlignment(TextAlignment a) {
    m_alignment = a;
    SetNeedsDisplay(true);
}

void Control::SetControlSize(ControlSize s) {
    m_controlSize = s;
    SetNeedsDisplay(true);
}

void Control::Highlight(bool on) {
    if (on == m_highlighted) return;
    m_highlighted = on;
    SetNeedsDisplay(true);
}

void Control::SizeToFit() {
    std::u32string text;
    DecodeUtf8(FitText(), &text);
    std::shared_ptr<TextFont> font = Font();
    const double width = font ? std::ceil(font->LineWidth(text)) : 0;
    const double height = font ? std::ceil(font->Ascent() + font->Descent()) : 0;
    const Size margins = FitMargins();
    SetFrameSize(Size{width + FitExtraWidth() + 2 * margins.width, height + 2 * margins.height});
}

Size Control::FitMargins() const {
    return Size{kFitMarginX, kFitMarginY};
}

// ---------------------------------------------------------------------------------------------
// Buttons

void Button::SetTitle(const std::string& t) {
    m_title = t;
    SetNeedsDisplay(true);
}

void Button::SetState(int state) {
    m_state = state;
    SetNeedsDisplay(true);
}

void Button::SetBezelStyle(int style) {
    m_bezel = style;
    SetNeedsDisplay(true);
}

void Button::SetImage(std::shared_ptr<Image> image) {
    m_image = std::move(image);
    SetNeedsDisplay(true);
}

void Button::SetNextState() {
    if (m_type == kRadioButton) {
        SetState(kOnState);
    } else if (m_type == kSwitchButton) {
        if (m_state == kOnState)
            SetState(kOffState);
        else
            SetState(m_state == kOffState && m_allowsMixed ? kMixedState : kOnState);
    }
}

void Button::PerformClick() {
    if (!IsEnabled()) return;
    Ref<Button> keep(this);
    SetNextState();
    SendAction();
}

bool Button::IsDefaultButton() const {
    return GetWindow() && GetWindow()->DefaultButton() == this;
}

double Button::FitExtraWidth() const {
    return m_type == kSwitchButton || m_type == kRadioButton ? kMarkWidth : 0;
}

bool Button::contains(const Event& e) const {
    return MouseInRect(localPoint(*this, e), Bounds(), IsFlipped());
}

void Button::MouseDown(Event&) {
    if (IsEnabled()) Highlight(true);
}

void Button::MouseDragged(Event& e) {
    if (IsEnabled()) Highlight(contains(e));
}

// The window sends the release to the view that got the press: a press and release inside.
void Button::MouseUp(Event& e) {
    Highlight(false);
    if (IsEnabled() && contains(e)) PerformClick();
}

PopUpButton::PopUpButton(const Rect& frame) : Button(frame), m_menu(Make<Menu>()) {}

int PopUpButton::NumberOfItems() const {
    return m_menu->NumberOfItems();
}

int PopUpButton::IndexOfSelectedItem() const {
    const int n = m_menu->NumberOfItems();
    for (int i = 0; i < n; ++i)
        if (m_menu->ItemAtIndex(i) == m_selected.get()) return i;
    return n > 0 ? 0 : -1;
}

void PopUpButton::SelectItemAtIndex(int index) {
    m_selected = m_menu->ItemAtIndex(index);
    SetNeedsDisplay(true);
}

const std::string& PopUpButton::Title() const {
    static const std::string none;
    const MenuItem* item = m_menu->ItemAtIndex(IndexOfSelectedItem());
    return item ? item->Title() : none;
}

void PopUpButton::SetArrowPosition(int position) {
    m_arrow = position;
    SetNeedsDisplay(true);
}

double PopUpButton::FitExtraWidth() const {
    return kArrowWidth;
}

void PopUpButton::MouseDown(Event&) {
    if (!IsEnabled() || !NumberOfItems()) return;
    Ref<PopUpButton> keep(this);
    Highlight(true);
    Ref<MenuItem> chosen = Menu::TrackPopUp(m_menu.get(), screenBelow(*this));
    Highlight(false);
    if (!chosen || chosen->GetMenu() != m_menu.get()) return;
    m_selected = chosen.get();
    SetNeedsDisplay(true);
    SendAction();
}

// ---------------------------------------------------------------------------------------------
// Slider

void Slider::SetDoubleValue(double v) {
    m_value = std::max(m_min, std::min(m_max, v));
    SetNeedsDisplay(true);
}

double Slider::KnobRadius() const {
    return kKnobRadius[std::clamp(int(GetControlSize()), 0, 2)];
}

void Slider::MouseDown(Event& e) {
    MouseDragged(e);
}

void Slider::MouseDragged(Event& e) {
    if (!IsEnabled()) return;
    const double inset = KnobRadius();
    const double span = Bounds().size.width - 2 * inset;
    const double x = localPoint(*this, e).x - Bounds().MinX() - inset;
    const double fraction = span > 0 ? std::clamp(x / span, 0.0, 1.0) : 0;
    SetDoubleValue(m_min + fraction * (m_max - m_min));
    SendAction();
}

// ---------------------------------------------------------------------------------------------
// Text fields

void TextField::SetStringValue(const std::string& s) {
    Control::SetStringValue(s);
    if (TextView* editor = CurrentEditor()) editor->SetString(unitsOf(s));
}

bool TextField::BecomeFirstResponder() {
    Window* w = GetWindow();
    if (!w || CurrentEditor()) return true;
    TextView* editor = w->FieldEditor(true);
    const Rect area = TextArea();
    Ref<ClipView> clip = Make<ClipView>(area);
    editor->SetFrame(Rect(0, 0, area.size.width, area.size.height));
    editor->SetFont(Font());
    clip->SetDocumentView(editor);
    AddSubview(clip.get());
    editor->SetString(unitsOf(StringValue()));
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
    Control::SetStringValue(utf8Of(editor->String()));
    clip->RemoveFromSuperview();
}

void TextField::EditorTextDidChange() {
    if (TextView* editor = CurrentEditor()) Control::SetStringValue(utf8Of(editor->String()));
    if (ControlDelegate* d = GetControlDelegate()) d->ControlTextDidChange(this);
}

void TextField::EditorDidEndWithReturn() {
    Ref<TextField> keep(this);
    SendAction();
    if (TextView* editor = CurrentEditor())
        editor->SetSelectedRange(TextRange{0, editor->String().size()});
}

void TextField::MouseDown(Event& e) {
    if (TextView* editor = CurrentEditor()) editor->MouseDown(e);
}

Rect TextField::TextArea() const {
    const Size margins = FitMargins();
    return Bounds().Inset(margins.width, margins.height);
}

Size TextField::FitMargins() const {
    return m_bordered ? Size{3, 2} : Size{1, 0};
}

std::u32string TextField::Shown() const {
    std::u32string text;
    DecodeUtf8(StringValue(), &text);
    return text;
}

std::u32string SecureTextField::Shown() const {
    return std::u32string(TextField::Shown().size(), U'\u2022');
}

std::string ComboBox::ItemObjectValueAtIndex(int index) const {
    return index >= 0 && index < NumberOfItems() ? m_items[size_t(index)] : std::string();
}

void ComboBox::AddItemWithObjectValue(const std::string& value) {
    InsertItemWithObjectValue(value, NumberOfItems());
}

void ComboBox::InsertItemWithObjectValue(const std::string& value, int index) {
    if (index < 0 || index > NumberOfItems()) index = NumberOfItems();
    m_items.insert(m_items.begin() + index, value);
    if (m_selected >= index) ++m_selected;
}

void ComboBox::RemoveItemAtIndex(int index) {
    if (index < 0 || index >= NumberOfItems()) return;
    m_items.erase(m_items.begin() + index);
    if (m_selected == index)
        m_selected = -1;
    else if (m_selected > index)
        --m_selected;
}

void ComboBox::RemoveAllItems() {
    m_items.clear();
    m_selected = -1;
}

void ComboBox::SelectItemAtIndex(int index) {
    if (index < 0 || index >= NumberOfItems()) {
        m_selected = -1;
        return;
    }
    m_selected = index;
    SetStringValue(m_items[size_t(index)]);
}

Rect ComboBox::TextArea() const {
    Rect area = TextField::TextArea();
    area.size.width = std::max(0.0, area.size.width - kArrowWidth);
    return area;
}

void ComboBox::MouseDown(Event& e) {
    if (localPoint(*this, e).x < Bounds().MaxX() - kArrowWidth) {
        TextField::MouseDown(e);
        return;
    }
    if (!IsEnabled()) return;
    Ref<ComboBox> keep(this);
    if (ControlDelegate* d = GetControlDelegate()) d->ComboBoxWillPopUp(this);
    Ref<Menu> list = Make<Menu>();
    for (const std::string& item : m_items)
        list->AddItem(Make<MenuItem>(item, nullptr, std::u16string()).get());
    Ref<MenuItem> chosen = Menu::TrackPopUp(list.get(), screenBelow(*this));
    const int index = chosen ? list->IndexOfItem(chosen.get()) : -1;
    if (index < 0 || index >= NumberOfItems()) return;
    SelectItemAtIndex(index);
    if (ControlDelegate* d = GetControlDelegate()) d->ComboBoxSelectionDidChange(this);
    SendAction();
}

// ---------------------------------------------------------------------------------------------
// Boxes

void Box::SetTitle(const std::string& t) {
    m_title = t;
    SetNeedsDisplay(true);
}

void Box::SetTitleColor(const std::optional<Color>& c) {
    m_titleColor = c;
    SetNeedsDisplay(true);
}

void Box::SetTitleCentered(bool on) {
    m_titleCentered = on;
    SetNeedsDisplay(true);
}

} // namespace platform::wsys
