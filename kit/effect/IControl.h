#pragma once

#include "kit/base/KIT_Relaxed.h"
#include "kit/base/KIT_TypedBuf.h"
#include "kit/effect/IEffectStructs.h"

#include <memory>

class IEffectBase;
class IGraphics;
class ITextControl;

// Root of every element of the editor: a rectangle on the editor bitmap, optionally bound to
// one parameter whose normalised value it keeps, and a dirty flag that the graphics object
// polls so that only what changed is redrawn.
//
// A value reaches a control by three roads: from the plug-in (SetValueFromPlug: shown, not
// sent back), from the synthesizer (SetValueFromHardware: reaches the plug-in's second change
// handler) and from the user (SetValueFromUserInput, the handlers: reaches the plug-in's
// ordinary change handler). The first value from the plug-in becomes the default value.
class IControl {
public:
    // A further parameter that the control shows.
    struct AuxParam {
        double mValue;
        int mParamIdx;
    };

    IControl(IEffectBase* plug, IRECT rect, int paramIdx = -1,
             IChannelBlend blend = IChannelBlend());
    virtual ~IControl() = default;
    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;

    // A right click prompts for a value.
    virtual void OnMouseDown(int x, int y, IMouseMod* mod);
    virtual void OnMouseUp(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {}
    virtual void OnMouseDrag(int /*x*/, int /*y*/, int /*dX*/, int /*dY*/, IMouseMod* /*mod*/) {}
    // Restores the default value, when there is one.
    virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
    // Steps the value by d hundredths (thousandths with shift or control), grayed or not.
    virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
    // True when the key was taken.
    virtual bool OnKeyDown(int /*x*/, int /*y*/, int /*key*/) { return false; }
    virtual void OnMouseOver(int /*x*/, int /*y*/, IMouseMod* /*mod*/) {}
    virtual void OnMouseOut() {}
    virtual bool Draw(IGraphics* graphics) = 0;
    virtual void SetValueFromPlug(double value);
    virtual void SetValueFromHardware(double value);
    virtual void TextFromTextEntry(const char* /*text*/) {}
    virtual void Hide(bool hide);
    virtual void GrayOut(bool gray);
    virtual bool IsHit(int x, int y) { return m_targetRect.Contains(x, y); }
    // Clamps the value and marks the control dirty; with push, the value goes to the plug-in
    // (its ordinary change handler), and the parameter's other controls and the display
    // controls follow it.
    virtual void SetDirty(bool pushParamToPlug = true);
    // The same, reaching the plug-in's change handler for values from the synthesizer.
    virtual void SetDirty2(bool pushParamToPlug = true);
    // Leaves the control dirty for one more drawing pass when a value, a hide or a prompt
    // asked for that.
    virtual void SetClean();
    virtual bool IsDirty() { return m_dirty; }
    virtual void OnGUIIdle() {}
    virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);

    void SetValueFromUserInput(double value);
    // One repaint of the area r: drawn when shown (in a shown layer) and meeting r, cleaned
    // in any case.
    void Repaint(IGraphics* graphics, const IRECT& r, bool layerVisible = true);
    // Adds the rectangle to r when the control is dirty and counts for the screen update
    // (shown, or hidden with the ignore-hidden flag); true when it did.
    bool UnionDirtyRECT(IRECT* r);
    // A parameter's new value set by the plug-in: taken as the control's value when the
    // control is bound to the parameter, and as an aux value when it shows it as one.
    void ShowParamFromPlug(int paramIdx, double value);
    // Prompts for the bound parameter's value over the control: a menu of its display texts
    // over the whole control, else a small text field over its centre.
    void PromptUserInput();
    void PromptUserInput(IRECT* rect);

    AuxParam* GetAuxParam(int index) const;
    // Position of the first aux record bound to paramIdx, or -1.
    int AuxParamIdx(int paramIdx) const;
    void AddAuxParam(int paramIdx);
    int NAuxParams() const { return m_extras ? m_extras->auxParams.GetSize() : 0; }
    void SetAllAuxParamsFromGUI();

    IEffectBase* GetPlug() const { return m_plug; }
    const IRECT& GetRECT() const { return m_rect; }
    const IRECT& GetTargetRECT() const { return m_targetRect; }
    void SetTargetRECT(const IRECT& rect) { m_targetRect = rect; }
    int ParamIdx() const { return m_paramIdx; }
    double GetValue() const { return m_value; }
    double GetDefault() const { return m_default; }
    void SetDefault(double value) { m_default = value; }
    void Clamp(double lo, double hi) {
        m_clampLo = lo;
        m_clampHi = hi;
    }
    double GetClampLo() const { return m_clampLo; }
    double GetClampHi() const { return m_clampHi; }
    const IChannelBlend& GetBlend() const { return m_blend; }
    // The control's own text style, which a caller may change.
    IText* GetText();
    void SetText(const IText& text) { m_text = std::make_shared<IText>(text); }
    // A style that many controls draw with, held once for them all: GetText gives the control
    // its own copy before anything can change it. Drawing only caches the style's font.
    void ShareText(std::shared_ptr<IText> text) {
        if (text) m_text = std::move(text);
    }
    int GetTextEntryLength() const { return m_textEntryLength; }
    void SetTextEntryLength(int length) { m_textEntryLength = length; }

    bool IsHidden() const { return m_hidden; }
    bool IsGrayed() const { return m_grayed; }
    bool GetIgnoreHidden() const { return m_ignoreHidden; }
    void SetIgnoreHidden(bool ignore) { m_ignoreHidden = ignore; }
    bool GetPromptDisabled() const { return m_promptDisabled; }
    void SetPromptDisabled(bool disabled) { m_promptDisabled = disabled; }
    bool GetDblAsSingleClick() const { return m_dblAsSingleClick; }
    void SetDblAsSingleClick(bool single) { m_dblAsSingleClick = single; }
    bool GetMOWhenGrayed() const { return m_mouseOverWhenGrayed; }
    void SetMOWhenGrayed(bool allow) { m_mouseOverWhenGrayed = allow; }

    // Text controls that show the bound parameter's display text and name; not owned.
    void SetValueDisplayControl(ITextControl* control) { extras().valueDisplay = control; }
    void SetNameDisplayControl(ITextControl* control) { extras().nameDisplay = control; }

protected:
    // Value and default both take v while the default is unset; true when that happened or
    // v is the current value, so that the road ends there.
    bool takeFirstOrSameValue(double value);
    void setDirty(bool pushParamToPlug, bool fromHardware);

    // The style to draw with; controls made alike share one (an editor has thousands).
    IText* style() const { return m_text.get(); }

    // Written by the threads that show values or hide layers as well as by the editor. The
    // flags lie together: an editor holds thousands of controls.
    KIT_Relaxed<bool> m_hidden{false};
    bool m_ignoreHidden = false;
    KIT_Relaxed<bool> m_dirty{true};
    bool m_grayed = false;
    KIT_Relaxed<bool> m_redraw{false};
    bool m_promptDisabled = true;
    bool m_dblAsSingleClick = false;
    bool m_mouseOverWhenGrayed = false;
    int m_textEntryLength = 16;
    int m_paramIdx;
    std::shared_ptr<IText> m_text;
    IEffectBase* m_plug;
    IRECT m_rect;
    IRECT m_targetRect;
    // What few controls have (none of the editor's): aux records and display controls.
    struct Extras {
        KIT_TypedBuf<AuxParam> auxParams{64};
        ITextControl* valueDisplay = nullptr;
        ITextControl* nameDisplay = nullptr;
    };
    Extras& extras() {
        if (!m_extras) m_extras = std::make_unique<Extras>();
        return *m_extras;
    }
    std::unique_ptr<Extras> m_extras; // made when first needed
    KIT_Relaxed<double> m_value{0.0};
    KIT_Relaxed<double> m_default{-1.0}; // negative: unset
    double m_clampLo = 0.0;
    double m_clampHi = 1.0;
    IChannelBlend m_blend;
};
