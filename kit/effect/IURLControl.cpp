#include "kit/effect/IURLControl.h"

#include "kit/effect/IEffectBase.h"

#include <cstdio>

IURLControl::IURLControl(IEffectBase* plug, IRECT rect, const char* url, const char* backupURL,
                         const char* errorMessage)
    : IControl(plug, rect) {
    snprintf(m_url, sizeof m_url, "%s", url ? url : "");
    snprintf(m_backupURL, sizeof m_backupURL, "%s", backupURL ? backupURL : "");
    snprintf(m_errorMessage, sizeof m_errorMessage, "%s", errorMessage ? errorMessage : "");
}

void IURLControl::OnMouseDown(int, int, IMouseMod*) {
    IGraphics* graphics = m_plug ? m_plug->GetGUI() : nullptr;
    if (m_grayed || !graphics) return;
    if (*m_url && graphics->OpenURL(m_url, m_errorMessage, nullptr, nullptr)) return;
    if (*m_backupURL) graphics->OpenURL(m_backupURL, m_errorMessage, nullptr, nullptr);
}
