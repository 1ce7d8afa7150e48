#include "kit/effect/ICaptionControl.h"

#include "kit/effect/IEffectBase.h"

#include <string>

ICaptionControl::ICaptionControl(IEffectBase* plug, IRECT rect, int paramIdx, const IText* text,
                                 bool showParamLabel)
    : ITextControl(plug, rect, text, ""), m_showParamLabel(showParamLabel) {
    m_paramIdx = paramIdx;
    // Menus, bank lists and name fields never run over the controls beside them.
    CutToBox();
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod) {
    if (!m_grayed && mod && (mod->L || mod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*) {
    if (!m_grayed) PromptUserInput();
}

bool ICaptionControl::Draw(IGraphics* graphics) {
    const IParam* param = m_plug ? m_plug->GetParam(m_paramIdx) : nullptr;
    if (!param) return ITextControl::Draw(graphics);
    char display[MAX_PARAM_DISPLAY_LEN];
    param->GetDisplayForHost(display, true);
    std::string caption = display;
    const char* label = param->GetLabelForHost();
    // No blank without a label: it would move a centred text off its box's middle.
    if (m_showParamLabel && *label) caption.append(" ").append(label);
    {
        std::lock_guard<std::mutex> lock(textMutex());
        m_str = caption;
    }
    return drawText(graphics, caption);
}
