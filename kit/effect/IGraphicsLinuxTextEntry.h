#pragma once

#include "kit/effect/IEffectStructs.h"
#include "kit/effect/IGraphicsLinuxPopup.h"

#include <memory>
#include <string>

class IControl;
class IParam;

// The Linux editor's edit field over a control: a popup window that takes the keyboard and
// the pointer while open, showing the text in "Monaco" at 0.9 of the text style's size, in
// its text-entry colours and alignment, all of it selected at first. What may be typed
// follows the parameter's kind and the control's text-entry length.
class IGraphicsLinuxTextEntry {
public:
    enum Outcome { kEditing, kCommit, kCancel };

    // Null when the popup cannot be opened.
    static std::unique_ptr<IGraphicsLinuxTextEntry> Open(platform::View& view, IControl* control,
                                                         IParam* param, const IText& text,
                                                         const IRECT& screenArea, const char* str);

    // Return, Enter and Tab commit; Escape cancels; the rest edits.
    Outcome OnKey(const platform::ViewEvent& e);
    // A press inside the field places the caret; false when it was outside.
    bool OnClick(const platform::ViewEvent& e);
    void Expose() { m_popup.Put(); }

    int Window() const { return m_popup.Window(); }
    const std::string& Text() const { return m_text; }
    IControl* Control() const { return m_control; }
    IParam* Param() const { return m_param; }
    int FontSize() const { return m_popup.FontSize(); }

    // The characters a parameter of a kind accepts; null: any character.
    static const char* AcceptedCharacters(const IParam* param);
    // The typing rule for the whole text an edit would make: every character accepted and
    // at most maxLength characters (0: any number).
    static bool Accepts(const char* accepted, int maxLength, const std::string& text);

private:
    IGraphicsLinuxTextEntry(platform::View& view, IControl* control, IParam* param,
                            const IText& text, const char* str);
    // Replaces the selection with insert when the result may stand.
    void replaceSelection(const std::string& insert);
    void moveCaret(size_t to);
    int textLeft(int textWidth);
    void draw();

    IGraphicsLinuxPopup m_popup;
    IControl* m_control;
    IParam* m_param;
    const char* m_accepted;
    int m_maxLength;
    int m_align;
    RAST_pixel m_foreground, m_background;
    std::string m_text;
    size_t m_anchor = 0, m_caret = 0; // the selection runs between them (UTF-8 offsets)
};
