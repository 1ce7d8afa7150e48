#pragma once

#include "platform/Image.h"
#include "platform/wsys/View.h"

#include <memory>
#include <optional>
#include <string>

namespace platform::wsys {

class Control;
class TextView;

// A colour, components from 0 to 1.
struct Color {
    double red = 0, green = 0, blue = 0, alpha = 1;
    bool operator==(const Color& o) const {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
};

// A control's action: what AppKit's target and selector stand for.
typedef void (*ControlAction)(Object* target, Control* sender);

// The controls of the window system: their state. Looks and behaviour (drawing, tracking the
// mouse, typing) belong to the layers that use them; here a control keeps what it shows and
// whom it tells.

// A view that keeps a value and sends its action to its target.
class Control : public View {
public:
    using View::View;

    int Tag() const override { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool on) { m_enabled = on; }
    // The target is not retained (AppKit's rule): whoever sets it clears it before it goes.
    Object* Target() const { return m_target; }
    void SetTarget(Object* target) { m_target = target; }
    ControlAction Action() const { return m_action; }
    void SetAction(ControlAction action) { m_action = action; }
    // Calls the action with the target; false when either is missing.
    bool SendAction();
    // UTF-8.
    const std::string& StringValue() const { return m_string; }
    virtual void SetStringValue(const std::string& s) { m_string = s; }
    // The colour of the control's text; none for the platform's standard one.
    const std::optional<Color>& TextColor() const { return m_textColor; }
    void SetTextColor(const std::optional<Color>& c) { m_textColor = c; }
    // Sizes the frame to the text (a button's title) in the system font with a margin of 6
    // pixels beside it and 4 above and below; the origin stays.
    void SizeToFit();

private:
    int m_tag = 0;
    bool m_enabled = true;
    Object* m_target = nullptr;
    ControlAction m_action = nullptr;
    std::string m_string;
    std::optional<Color> m_textColor;
};

// Button states and kinds, by AppKit's numbers.
enum ButtonState : int { kMixedState = -1, kOffState = 0, kOnState = 1 };
enum ButtonType : int { kMomentaryLightButton = 0, kSwitchButton = 3, kRadioButton = 4 };

// A push button, check box or radio button. Any state may be set; mixed is -1.
class Button : public Control {
public:
    using Control::Control;

    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& t) { m_title = t; }
    int State() const { return m_state; }
    void SetState(int state) { m_state = state; }
    bool AllowsMixedState() const { return m_allowsMixed; }
    void SetAllowsMixedState(bool on) { m_allowsMixed = on; }
    int Type() const { return m_type; }
    void SetButtonType(int type) { m_type = type; }
    const std::shared_ptr<Image>& GetImage() const { return m_image; }
    void SetImage(std::shared_ptr<Image> image) { m_image = std::move(image); }

private:
    std::string m_title;
    int m_state = kOffState;
    bool m_allowsMixed = false;
    int m_type = kMomentaryLightButton;
    std::shared_ptr<Image> m_image;
};

// A button that offers a list of choices in a menu; its items are its menu's.
class PopUpButton : public Button {
public:
    using Button::Button;
};

// A horizontal slider; the value stays within the range when set.
class Slider : public Control {
public:
    using Control::Control;

    double DoubleValue() const { return m_value; }
    void SetDoubleValue(double v);
    double MinValue() const { return m_min; }
    double MaxValue() const { return m_max; }
    void SetMinValue(double v) { m_min = v; }
    void SetMaxValue(double v) { m_max = v; }

private:
    double m_value = 0, m_min = 0, m_max = 1;
};

// A single-line text field or label. While it is being edited its window's field editor sits
// two levels below it (field, clip view, editor) and is the window's first responder; the
// field's value follows the editor's text when editing ends.
class TextField : public Control {
public:
    using Control::Control;

    bool IsEditable() const { return m_editable; }
    void SetEditable(bool on) { m_editable = on; }
    bool IsSelectable() const { return m_selectable || m_editable; }
    void SetSelectable(bool on) { m_selectable = on; }
    bool IsBordered() const { return m_bordered; }
    void SetBordered(bool on) { m_bordered = on; }
    bool DrawsBackground() const { return m_drawsBackground; }
    void SetDrawsBackground(bool on) { m_drawsBackground = on; }

    bool AcceptsFirstResponder() override { return IsEnabled() && IsSelectable(); }
    // Taking the focus begins editing: the field editor takes the field's text, all of it
    // selected, and becomes the first responder in the field's place.
    bool BecomeFirstResponder() override;
    // The editor while the field is being edited, else null.
    TextView* CurrentEditor() const;
    // The editor's text becomes the value and the editor leaves the field.
    void EndEditing();

private:
    bool m_editable = false;
    bool m_selectable = false;
    bool m_bordered = false;
    bool m_drawsBackground = false;
};

// A text field with a list of values to pick from.
class ComboBox : public TextField {
public:
    using TextField::TextField;
};

// Text in UTF-16 units with a selection (a location and a length in units). A field editor
// serves the text field it is placed in.
struct TextRange {
    size_t location = 0, length = 0;
    bool operator==(const TextRange& o) const {
        return location == o.location && length == o.length;
    }
};

class TextView : public View {
public:
    using View::View;

    const std::u16string& String() const { return m_text; }
    // The selection moves to the end of the new text.
    void SetString(const std::u16string& text);
    TextRange SelectedRange() const { return m_selection; }
    // Held to the text.
    void SetSelectedRange(TextRange r);
    bool IsEditable() const { return m_editable; }
    void SetEditable(bool on) { m_editable = on; }
    bool IsFieldEditor() const { return m_fieldEditor; }
    void SetFieldEditor(bool on) { m_fieldEditor = on; }
    bool IsFlipped() const override { return true; }

    bool AcceptsFirstResponder() override { return true; }
    // A field editor that loses the focus ends the editing of its field.
    bool ResignFirstResponder() override;

private:
    std::u16string m_text;
    TextRange m_selection;
    bool m_editable = true;
    bool m_fieldEditor = false;
};

// A titled frame around other views.
class Box : public View {
public:
    using View::View;
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& t) { m_title = t; }
    // The colour of the title; none for the platform's standard one.
    const std::optional<Color>& TitleColor() const { return m_titleColor; }
    void SetTitleColor(const std::optional<Color>& c) { m_titleColor = c; }

private:
    std::string m_title;
    std::optional<Color> m_titleColor;
};

} // namespace platform::wsys
