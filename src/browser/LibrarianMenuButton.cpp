#include "src/browser/LibrarianMenuButton.h"

#include "kit/effect/IEffectBase.h"
#include "kit/effect/IGraphics.h"
#include "src/browser/BrowserPlugin.h"

bool LibrarianMenuButton::Draw(IGraphics* graphics) {
    return graphics->FillIRect(&COLOR_TRANSPARENT, &m_rect, nullptr);
}

IPopupMenu* LibrarianMenuButton::popup(IPopupMenu* menu) {
    IGraphics* graphics = m_plug ? m_plug->GetGUI() : nullptr;
    return graphics ? graphics->CreateIPopupMenu(menu, &m_rect) : nullptr;
}

void LibrarianMenuButton::setFromPlug(int paramIdx, double value) {
    if (IGraphics* graphics = m_plug->GetGUI())
        graphics->SetParameterFromPlug(paramIdx, value, false);
}

void LibrarianMenuButton::store(int paramIdx, double value) {
    if (IParam* param = m_plug->GetParam(paramIdx)) param->Set(value);
}

int LibrarianMenuButton::intValue(int paramIdx) const {
    const IParam* param = m_plug->GetParam(paramIdx);
    return param ? int(param->Value()) : 0;
}

void LibrarianMenuButton::clicked() {
    m_redraw = true;
    SetDirty(true);
}

void LibrarianMenuButton::postRequest(BrowserPlugin* plugin, int command, bool toEditor) {
    const int part = plugin->getCurrentPart();
    plugin->postJob(command, [plugin, command, toEditor, part](SenderJob& job) {
        if (toEditor) plugin->setDumpAwaited(true);
        if (command == SenderJob::kSendSequenceRequestSysex) plugin->setPatternTargetPart(part);
        if (command != SenderJob::kSendActiveArrangementRequestSysex) job.part = part;
        job.toEditor = toEditor;
    });
}
