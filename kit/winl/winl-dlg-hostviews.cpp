#include "kit/winl/winl-hostviews.h"

#include "platform/wsys/Application.h"
#include "platform/wsys/GLContext.h"

namespace wsys = platform::wsys;

// ---------------------------------------------------------------------------------------------
// Carbon and Audio Unit hosts: the platform has neither, so only the failure paths remain.

wsys::Ref<Winl_vZoz_hwndcarbonhost> Winl_vZoz_hwndcarbonhost::initCarbonChild(HWND parent) {
    wsys::Ref<Winl_vZoz_hwnd> view = initView(
        wsys::Ref<Winl_vZoz_hwnd>::Adopt(new Winl_vZoz_hwndcarbonhost(initialFrame(nullptr))),
        nullptr, parent, nullptr, 0);
    return wsys::Ref<Winl_vZoz_hwndcarbonhost>(static_cast<Winl_vZoz_hwndcarbonhost*>(view.get()));
}

HWND WINL_CreateCarbonWindowView(HWND parent, void** outRef, const RECT*, bool) {
    // Lives as its parent's subview; without a parent the caller gets the only reference.
    wsys::Ref<Winl_vZoz_hwndcarbonhost> host = Winl_vZoz_hwndcarbonhost::initCarbonChild(parent);
    if (outRef) *outRef = host->winlCarbonWindow();
    return host->Superview() ? host.get() : host.Detach();
}

void* WINL_GetWindowFromCarbonWindowView(HWND host) {
    auto* h = dynamic_cast<Winl_vZoz_hwndcarbonhost*>(host);
    return h ? h->winlCarbonWindow() : nullptr;
}

void WINL_CarbonWndHost_SetWantAllKeys(HWND host, bool on) {
    if (auto* h = dynamic_cast<Winl_vZoz_hwndcarbonhost*>(host)) h->winlSetWantAllKeys(on);
}

void WINL_AddCarbonPaneToView(HWND, void*) {}

HWND WINL_GetAudioUnitCocoaView(HWND, void*, const AudioUnitCocoaViewInfo*, RECT*) {
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// GL

namespace {
// Lets offline renderers drive the context, from system version 10.5 on.
constexpr int kAllowOfflineRenderers = 96;
} // namespace

void Winl_vZoz_hwnd::winlSetViewGL(bool on) {
    if (on == bool(m_glctx)) return;
    if (on) {
        std::vector<int> format;
        if (wsys::Application::kSystemVersion >= 0x1050) format.push_back(kAllowOfflineRenderers);
        m_glctx = wsys::Make<wsys::GLContext>(format);
        return;
    }
    if (wsys::GLContext::CurrentContext() == m_glctx.get()) wsys::GLContext::ClearCurrentContext();
    static_cast<wsys::GLContext*>(m_glctx.get())->SetView(nullptr);
    m_glctx = nullptr;
}

void WINL_SetViewGL(HWND hwnd, bool on) {
    if (auto* v = dynamic_cast<Winl_vZoz_hwnd*>(hwnd)) v->winlSetViewGL(on);
}

bool WINL_GetViewGL(HWND hwnd) {
    auto* v = dynamic_cast<Winl_vZoz_hwnd*>(hwnd);
    return v && v->winlGetGLContext();
}

bool WINL_SetGLContextToView(HWND hwnd) {
    auto* v = dynamic_cast<Winl_vZoz_hwnd*>(hwnd);
    if (!hwnd) wsys::GLContext::ClearCurrentContext();
    auto* context = v ? static_cast<wsys::GLContext*>(v->winlGetGLContext()) : nullptr;
    if (!context) return false;
    context->MakeCurrentContext();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Button title colours

wsys::Color WINL_GetButtonTextColor(wsys::Button* button) {
    const wsys::Color controlText{0, 0, 0, 1};
    return button && button->TextColor() ? *button->TextColor() : controlText;
}

void WINL_SetButtonTextColor(wsys::Button* button, const wsys::Color& color) {
    if (!button) return;
    button->SetTextColor(color);
    button->SetNeedsDisplay(true);
}
