#include "kit/effect/IControl.h"

#include "kit/effect/IEffectBase.h"
#include "kit/effect/IGraphics.h"
#include "kit/effect/ITextControl.h"

#include <algorithm>

namespace {

// The style of every control that is given none of its own.
const std::shared_ptr<IText>& defaultText() {
    static const std::shared_ptr<IText> text = std::make_shared<IText>();
    return text;
}

} // namespace

IControl::IControl(IEffectBase* plug, IRECT rect, int paramIdx, IChannelBlend blend)
    : m_paramIdx(paramIdx), m_text(defaultText()), m_plug(plug), m_rect(rect), m_targetRect(rect),
      m_blend(blend) {}

IText* IControl::GetText() {
    if (m_text.use_count() > 1) m_text = std::make_shared<IText>(*m_text);
    return m_text.get();
}

void IControl::OnMouseDown(int, int, IMouseMod* mod) {
    if (!m_grayed && mod && mod->R) PromptUserInput();
}

void IControl::OnMouseDblClick(int, int, IMouseMod*) {
    if (m_grayed || m_default < 0.0) return;
    m_value = m_default;
    SetDirty(true);
}

void IControl::OnMouseWheel(int, int, IMouseMod* mod, int d) {
    const bool fine = mod && (mod->S || mod->C);
    m_value += d * (fine ? 0.001 : 0.01);
    SetDirty(true);
}

bool IControl::takeFirstOrSameValue(double value) {
    if (m_default < 0.0) {
        m_default = m_value = value;
        return true;
    }
    return value == m_value;
}

void IControl::SetValueFromPlug(double value) {
    if (takeFirstOrSameValue(value)) return;
    m_value = value;
    SetDirty(false);
    m_redraw = true;
}

void IControl::SetValueFromHardware(double value) {
    if (takeFirstOrSameValue(value)) return;
    m_value = value;
    SetDirty2(true);
    m_redraw = true;
}

void IControl::SetValueFromUserInput(double value) {
    if (value == m_value) return;
    m_value = value;
    SetDirty(true);
    m_redraw = true;
}

void IControl::Repaint(IGraphics* graphics, const IRECT& r, bool layerVisible) {
    if (layerVisible && !m_hidden && r.Intersects(m_rect)) Draw(graphics);
    SetClean();
}

bool IControl::UnionDirtyRECT(IRECT* r) {
    if ((m_hidden && !m_ignoreHidden) || !IsDirty()) return false;
    *r = r->Union(m_rect);
    return true;
}

void IControl::ShowParamFromPlug(int paramIdx, double value) {
    if (m_paramIdx == paramIdx) SetValueFromPlug(value);
    const int auxIdx = AuxParamIdx(paramIdx);
    if (auxIdx >= 0) SetAuxParamValueFromPlug(auxIdx, value);
}

void IControl::Hide(bool hide) {
    m_hidden = hide;
    m_redraw = true;
    SetDirty(false);
}

void IControl::GrayOut(bool gray) {
    m_grayed = gray;
    m_blend.mWeight = gray ? 0.5f : 1.0f;
    SetDirty(false);
}

void IControl::SetDirty(bool pushParamToPlug) {
    setDirty(pushParamToPlug, false);
}

void IControl::SetDirty2(bool pushParamToPlug) {
    setDirty(pushParamToPlug, true);
}

void IControl::setDirty(bool pushParamToPlug, bool fromHardware) {
    const double value = m_value;
    m_value = m_clampLo > value ? m_clampLo : std::min(m_clampHi, value);
    m_dirty = true;
    if (!pushParamToPlug || !m_plug || m_paramIdx < 0) return;
    if (fromHardware) {
        m_plug->SetParameterFromGUI2(m_paramIdx, m_value);
    } else {
        m_plug->SetParameterFromGUI(m_paramIdx, m_value);
        // The parameter's other controls (the same switch on another page, a panel's Close
        // beside its opener) show what this one set.
        if (IGraphics* graphics = m_plug->GetGUI()) graphics->ShowOnOtherControls(this, m_paramIdx);
    }
    const IParam* param = m_plug->GetParam(m_paramIdx);
    if (!param || !m_extras) return;
    if (m_extras->valueDisplay) {
        char display[MAX_PARAM_DISPLAY_LEN];
        param->GetDisplayForHost(display, true);
        m_extras->valueDisplay->SetTextFromPlug(display);
    }
    if (m_extras->nameDisplay) m_extras->nameDisplay->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetClean() {
    m_dirty = m_redraw;
    m_redraw = false;
}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value) {
    AuxParam* aux = GetAuxParam(auxParamIdx);
    if (!aux || aux->mValue == value) return;
    aux->mValue = value;
    SetDirty(false);
    m_redraw = true;
}

void IControl::PromptUserInput() {
    if (m_paramIdx < 0 || m_promptDisabled || !m_plug) return;
    const IParam* param = m_plug->GetParam(m_paramIdx);
    if (!param) return;
    IRECT rect = m_rect;
    if (param->GetNDisplayTexts() == 0) {
        const int cx = int((m_rect.L + m_rect.R) * 0.5);
        const int cy = int((m_rect.T + m_rect.B) * 0.5);
        rect = IRECT(cx - 15, cy - 8, cx + 15, cy + 8);
    }
    PromptUserInput(&rect);
}

void IControl::PromptUserInput(IRECT* rect) {
    if (m_paramIdx < 0 || m_promptDisabled || !m_plug) return;
    IGraphics* graphics = m_plug->GetGUI();
    IParam* param = m_plug->GetParam(m_paramIdx);
    if (!graphics || !param) return;
    m_plug->OnParamPrompt(m_paramIdx);
    graphics->PromptUserInput(this, param, rect);
    m_redraw = true;
}

IControl::AuxParam* IControl::GetAuxParam(int index) const {
    return index >= 0 && index < NAuxParams() ? m_extras->auxParams.Get() + index : nullptr;
}

int IControl::AuxParamIdx(int paramIdx) const {
    for (int i = 0; i < NAuxParams(); ++i)
        if (m_extras->auxParams.Get()[i].mParamIdx == paramIdx) return i;
    return -1;
}

void IControl::AddAuxParam(int paramIdx) {
    extras().auxParams.Add(AuxParam{0.0, paramIdx});
}

void IControl::SetAllAuxParamsFromGUI() {
    if (!m_plug) return;
    for (int i = 0; i < NAuxParams(); ++i) {
        const AuxParam aux = m_extras->auxParams.Get()[i];
        m_plug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
    }
}
