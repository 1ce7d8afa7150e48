#pragma once

#include "platform/Image.h"
#include "platform/text/TextFont.h"
#include "platform/wsys/View.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::wsys {

class Control;
class Menu;
class TextView;

// A colour, components from 0 to 1.
struct Color {
    double red = 0, green = 0, blue = 0, alpha = 1;
    bool operator==(const Color& o) const {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
};

// The standard colour of control texts.
constexpr Color kControlTextColor{0.1, 0.1, 0.1, 1};

// A control's action: what AppKit's target and selector stand for.
typedef void (*ControlAction)(Object* target, Control* sender);

// What a control's delegate hears of the user's work (AppKit's delegate notifications).
class ControlDelegate {
public:
    // The list of a combo box is about to open.
    virtual void ComboBoxWillPopUp(View* comboBox) = 0;
    // The user picked an item of a combo box's list.
    virtual void ComboBoxSelectionDidChange(View* comboBox) = 0;
    // The user changed the text of a text field (or a combo box) being edited.
    virtual void ControlTextDidChange(View* control) = 0;
    // A text view that is no field editor lost the focus.
    virtual void TextDidEndEditing(View* textView) = 0;

protected:
    ~ControlDelegate() = default;
};

// Text alignment and control sizes, by AppKit's numbers.
enum TextAlignment : int { kLeftTextAlignment = 0, kRightTextAlignment = 1, kCenterTextAlignment = 2 };
enum ControlSize : int { kRegularControlSize = 0, kSmallControlSize = 1, kMiniControlSize = 2 };

// The controls of the window system: what they keep, how they draw and how they answer the
// mouse and the keys. A control sends its action to its target when the user changes it, and
// tells its delegate what the user does to it; a change made through a setter tells nobody.
//
// Sizes to fit (SizeToFit): the text's width in the control's font with 6 pixels beside it and
// the font's line height with 4 above and below; check boxes and radio buttons add their
// 18-pixel mark; a text field keeps just its text margins (3 and 2 pixels with a border, 1 and
// 0 without), so a label fitted beside a field keeps its text on the field's line. The origin
// stays.

// A view that keeps a value and sends its action to its target.
class Control : public View {
public:
    using View::View;

    int Tag() const override { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool on);
    // The target is not retained (AppKit's rule): whoever sets it clears it before it goes.
    Object* Target() const { return m_target; }
    void SetTarget(Object* target) { m_target = target; }
    ControlAction Action() const { return m_action; }
    void SetAction(ControlAction action) { m_action = action; }
    // Calls the action with the target; false when either is missing.
    bool SendAction();
    // Not retained; told what the user does when it is a ControlDelegate.
    Object* Delegate() const { return m_delegate; }
    void SetDelegate(Object* d) { m_delegate = d; }
    ControlDelegate* GetControlDelegate() const { return dynamic_cast<ControlDelegate*>(m_delegate); }
    // UTF-8.
    const std::string& StringValue() const { return m_string; }
    virtual void SetStringValue(const std::string& s);
    // The colour of the control's text; none for the platform's standard one.
    const std::optional<Color>& TextColor() const { return m_textColor; }
    void SetTextColor(const std::optional<Color>& c);
    // The system font until set.
    std::shared_ptr<TextFont> Font() const;
    void SetFont(std::shared_ptr<TextFont> font);
    TextAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TextAlignment a);
    ControlSize GetControlSize() const { return m_controlSize; }
    void SetControlSize(ControlSize s);
    // Pressed while the mouse is held down on it.
    bool IsHighlighted() const { return m_highlighted; }
    void Highlight(bool on);
    void SizeToFit();

protected:
    // The text that SizeToFit measures and the width it adds to it.
    virtual const std::string& FitText() const { return m_string; }
    virtual double FitExtraWidth() const { return 0; }
    // The room beside (width) and above and below (height) the text.
    virtual Size FitMargins() const;

private:
    int m_tag = 0;
    bool m_enabled = true;
    bool m_highlighted = false;
    Object* m_target = nullptr;
    Object* m_delegate = nullptr;
    ControlAction m_action = nullptr;
    std::string m_string;
    std::optional<Color> m_textColor;
    std::shared_ptr<TextFont> m_font;
    TextAlignment m_alignment = kLeftTextAlignment;
    ControlSize m_controlSize = kRegularControlSize;
};

// Button states and kinds, by AppKit's numbers.
enum ButtonState : int { kMixedState = -1, kOffState = 0, kOnState = 1 };
enum ButtonType : int { kMomentaryLightButton = 0, kSwitchButton = 3, kRadioButton = 4 };
enum BezelStyle : int { kRoundedBezelStyle = 1, kShadowlessSquareBezelStyle = 6 };
// Where a button's image sits beside its title.
enum ImagePosition : int { kImageLeft = 2, kImageRight = 3 };

// What draws a button in place of the button's own look, when the button is given one.
class ButtonCell : public Object {
public:
    virtual void DrawWithFrame(const Rect& frame, View* controlView) = 0;
    virtual bool IsTransparent() const { return false; }
    virtual bool IsOpaque() const { return true; }
};

// A push button, check box or radio button. Any state may be set; mixed is -1. A press and
// release inside it moves it to its next state and then sends its action; a window presses
// its default button when Return is typed.
class Button : public Control {
public:
    using Control::Control;

    virtual const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& t);
    int State() const { return m_state; }
    void SetState(int state);
    // A check box goes on to off, off to mixed when it allows it (else to on), mixed to on; a
    // radio button goes on; a push button stays.
    void SetNextState();
    // As a click: highlighted a moment, next state, action; nothing while disabled.
    void PerformClick();
    int GetBezelStyle() const { return m_bezel; }
    void SetBezelStyle(int style);
    bool AllowsMixedState() const { return m_allowsMixed; }
    void SetAllowsMixedState(bool on) { m_allowsMixed = on; }
    int Type() const { return m_type; }
    void SetButtonType(int type) { m_type = type; }
    const std::shared_ptr<Image>& GetImage() const { return m_image; }
    void SetImage(std::shared_ptr<Image> image);
    // The button a window presses for Return is its default button.
    bool IsDefaultButton() const;
    int GetImagePosition() const { return m_imagePosition; }
    void SetImagePosition(int position);
    // Null for the button's own look.
    ButtonCell* Cell() const { return m_cell.get(); }
    void SetCell(ButtonCell* cell);

    void MouseDown(Event& e) override;
    void MouseDragged(Event& e) override;
    void MouseUp(Event& e) override;
    void Draw(const Rect& r) override;

protected:
    const std::string& FitText() const override { return Title(); }
    double FitExtraWidth() const override;

private:
    bool contains(const Event& e) const;

    std::string m_title;
    int m_state = kOffState;
    bool m_allowsMixed = false;
    int m_type = kMomentaryLightButton;
    int m_bezel = kRoundedBezelStyle;
    std::shared_ptr<Image> m_image;
    Ref<ButtonCell> m_cell;
    int m_imagePosition = kImageLeft;
};

// A button that offers a list of choices in its menu and shows the one selected; a press
// opens the menu over it, and a pick selects the item and sends the action. A menu with items
// always has one selected (the first when the selected one leaves).
class PopUpButton : public Button {
public:
    enum ArrowPosition : int { kArrowAtCenter = 1, kArrowAtBottom = 2 };

    explicit PopUpButton(const Rect& frame = Rect());

    Menu* GetMenu() const { return m_menu.get(); }
    int NumberOfItems() const;
    // -1 without items.
    int IndexOfSelectedItem() const;
    void SelectItemAtIndex(int index);
    // The selected item's title.
    const std::string& Title() const override;
    int GetArrowPosition() const { return m_arrow; }
    void SetArrowPosition(int position);

    void MouseDown(Event& e) override;
    void MouseDragged(Event&) override {}
    void MouseUp(Event&) override {}
    void Draw(const Rect& r) override;

protected:
    double FitExtraWidth() const override;

private:
    Ref<Menu> m_menu;
    Ref<Object> m_selected; // a MenuItem
    int m_arrow = kArrowAtCenter;
};

// A horizontal slider; the value stays within the range when set. A press sets the value
// where the pointer is and drags move it, each change sending the action.
class Slider : public Control {
public:
    using Control::Control;

    double DoubleValue() const { return m_value; }
    void SetDoubleValue(double v);
    double MinValue() const { return m_min; }
    double MaxValue() const { return m_max; }
    void SetMinValue(double v) { m_min = v; }
    void SetMaxValue(double v) { m_max = v; }
    // By control size; the track ends that far inside the bounds.
    double KnobRadius() const;

    void MouseDown(Event& e) override;
    void MouseDragged(Event& e) override;
    void MouseUp(Event&) override {}
    void Draw(const Rect& r) override;

private:
    double m_value = 0, m_min = 0, m_max = 1;
};

// A single-line text field or label. While it is being edited its window's field editor sits
// two levels below it (field, clip view, editor) and is the window's first responder; the
// field's value follows the editor's text as it changes. Return ends the editing (the action
// goes out, the text stays selected); Tab moves the focus to the next field.
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
    // Whether the text breaks into lines at the field's width, or stays on one line.
    bool Wraps() const { return m_wraps; }
    void SetWraps(bool on) { m_wraps = on; }

    // While the field is being edited the editor shows the new value.
    void SetStringValue(const std::string& s) override;

    bool AcceptsFirstResponder() override { return IsEnabled() && IsSelectable(); }
    // Taking the focus begins editing: the field editor takes the field's text, all of it
    // selected, and becomes the first responder in the field's place.
    bool BecomeFirstResponder() override;
    // The editor while the field is being edited, else null.
    TextView* CurrentEditor() const;
    // The editor's text becomes the value and the editor leaves the field.
    void EndEditing();
    // From the field editor: its text changed; Return was typed in it.
    void EditorTextDidChange();
    void EditorDidEndWithReturn();

    void MouseDown(Event& e) override;
    void Draw(const Rect& r) override;

protected:
    // The text as shown; a secure field shows bullets.
    virtual std::u32string Shown() const;
    // Where the text sits: the bounds less the margins (and a combo box's arrow).
    virtual Rect TextArea() const;
    Size FitMargins() const override;

private:
    bool m_editable = false;
    bool m_selectable = false;
    bool m_bordered = false;
    bool m_drawsBackground = false;
    bool m_wraps = true;
};

// A text field that shows a bullet for each character.
class SecureTextField : public TextField {
public:
    using TextField::TextField;

protected:
    std::u32string Shown() const override;
};

// A text field with a list of values to pick from: a press on its arrow tells the delegate
// that the list opens, opens it, and a pick selects the value (the delegate hears of it and
// the action goes out).
class ComboBox : public TextField {
public:
    // One line of text.
    explicit ComboBox(const Rect& frame = Rect()) : TextField(frame) { SetWraps(false); }

    int NumberOfItems() const { return int(m_items.size()); }
    // UTF-8; empty outside the list.
    std::string ItemObjectValueAtIndex(int index) const;
    void AddItemWithObjectValue(const std::string& value);
    // An index outside 0..count appends.
    void InsertItemWithObjectValue(const std::string& value, int index);
    void RemoveItemAtIndex(int index);
    void RemoveAllItems();
    // -1 when none; selecting shows the item's value.
    int IndexOfSelectedItem() const { return m_selected; }
    void SelectItemAtIndex(int index);
    int NumberOfVisibleItems() const { return m_visibleItems; }
    void SetNumberOfVisibleItems(int n) { m_visibleItems = n; }

    void MouseDown(Event& e) override;
    void Draw(const Rect& r) override;

protected:
    Rect TextArea() const override;

private:
    std::vector<std::string> m_items;
    int m_selected = -1;
    int m_visibleItems = 5;
};

// Text in UTF-16 units with a selection (a location and a length in units). A field editor
// serves the text field it is placed in.
struct TextRange {
    size_t location = 0, length = 0;
    bool operator==(const TextRange& o) const {
        return location == o.location && length == o.length;
    }
};

// Typing replaces the selection; Delete and forward delete remove it or the character beside
// the caret; the arrows move the caret (Shift extends the selection), up to the start and down
// to the end. A field editor leaves Return and Tab to its field; any other text view takes
// them as text. Lines break only at line feeds.
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
    // Not retained; hears TextDidEndEditing when it is a ControlDelegate.
    Object* Delegate() const { return m_delegate; }
    void SetDelegate(Object* d) { m_delegate = d; }
    // The system font until set.
    std::shared_ptr<TextFont> Font() const;
    void SetFont(std::shared_ptr<TextFont> font);
    // A vertically resizable view grows and shrinks with its lines, down to the height it was
    // given last.
    bool IsHorizontallyResizable() const { return m_hResizable; }
    void SetHorizontallyResizable(bool on) { m_hResizable = on; }
    bool IsVerticallyResizable() const { return m_vResizable; }
    void SetVerticallyResizable(bool on) { m_vResizable = on; }
    void SetFrameSize(Size s) override;
    // Scrolls the enclosing clip view so that the line holding the range's start shows.
    void ScrollRangeToVisible(TextRange r);
    // Height of one line in pixels.
    double LineHeight() const;

    bool AcceptsFirstResponder() override { return true; }
    // A field editor that loses the focus ends the editing of its field; another text view
    // tells its delegate.
    bool ResignFirstResponder() override;
    void KeyDown(Event& e) override;
    void MouseDown(Event& e) override;
    void Draw(const Rect& r) override;

private:
    void replaceSelection(const std::u16string& with);
    void textChanged();
    void fitHeight();
    size_t offsetAt(Point p) const;

    std::u16string m_text;
    TextRange m_selection;
    size_t m_anchor = 0; // the fixed end while Shift extends the selection
    bool m_editable = true;
    bool m_fieldEditor = false;
    bool m_hResizable = true;
    bool m_vResizable = true;
    double m_minHeight = 0;
    Object* m_delegate = nullptr;
    std::shared_ptr<TextFont> m_font;
};

// A titled frame around other views: a line round it, the title on the top line.
class Box : public View {
public:
    using View::View;
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& t);
    // The colour of the title; none for the platform's standard one.
    const std::optional<Color>& TitleColor() const { return m_titleColor; }
    void SetTitleColor(const std::optional<Color>& c);
    // Left, or centred over the box.
    bool IsTitleCentered() const { return m_titleCentered; }
    void SetTitleCentered(bool on);
    void Draw(const Rect& r) override;

private:
    std::string m_title;
    std::optional<Color> m_titleColor;
    bool m_titleCentered = false;
};

} // namespace platform::wsys
