#include "kit/winl/winl-wnd-appearance.h"

#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-wnd-factory.h"
#include "kit/winl/winl-wnd-private.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/Paint.h"
#include "platform/wsys/Render.h"
#include "platform/wsys/Workspace.h"

#include <cstring>
#include <strings.h>
#include <utility>

namespace wsys = platform::wsys;

namespace {

int num(intptr_t word) {
    return int(word);
}

void makeEntry(const WINL_DialogListEntry& e) {
    const char* keyword = e.w0 ? e.w0 : "";
    auto is = [keyword](const char* k) { return !std::strcmp(keyword, k); };
    if (is("__WINL_BUTTON")) {
        WINL_MakeButton(num(e.w1), e.w2, num(e.w3), num(e.w4), num(e.w5), num(e.w6), num(e.w7), num(e.w8));
    } else if (is("__WINL_EDIT")) {
        WINL_MakeEditField(num(e.w3), num(e.w4), num(e.w5), num(e.w6), num(e.w7), num(e.w8));
    } else if (is("__WINL_COMBO")) {
        // The factory gives combo boxes their own height.
        WINL_MakeCombo(num(e.w3), num(e.w4), num(e.w5), num(e.w6), 0, num(e.w8));
    } else if (is("__WINL_LISTBOX")) {
        WINL_MakeControl("", num(e.w3), "SysListView32_LB", num(e.w8), num(e.w4), num(e.w5), num(e.w6),
                         num(e.w7), 0);
    } else if (is("__WINL_GROUP")) {
        WINL_MakeGroupBox(e.w2, num(e.w3), num(e.w4), num(e.w5), num(e.w6), num(e.w7), num(e.w8));
    } else if (is("__WINL_CHECKBOX")) {
        WINL_MakeCheckBox(e.w2, num(e.w3), num(e.w4), num(e.w5), num(e.w6), num(e.w7), num(e.w8));
    } else if (is("__WINL_LABEL")) {
        WINL_MakeLabel(num(e.w1), e.w2, num(e.w3), num(e.w4), num(e.w5), num(e.w6), num(e.w7), num(e.w8));
    } else if (e.w2 && *e.w2) {
        WINL_MakeControl(e.w0, num(e.w1), e.w2, num(e.w3), num(e.w4), num(e.w5), num(e.w6), num(e.w7),
                         num(e.w8));
    }
}

wsys::Window* windowOf(HWND hwnd) {
    if (auto* window = dynamic_cast<wsys::Window*>(hwnd)) return window;
    auto* view = dynamic_cast<wsys::View*>(hwnd);
    return view ? view->GetWindow() : nullptr;
}

Winl_vZoz_modelesswindow* modelessOf(HWND hwnd) {
    return dynamic_cast<Winl_vZoz_modelesswindow*>(windowOf(hwnd));
}

// The focus rectangle's content: grey, opaque.
class Winl_vZoz_drawfocusrectwnd : public wsys::View {
public:
    using View::View;
    bool IsOpaque() const override { return true; }
    void Draw(const wsys::Rect& rect) override {
        if (platform::Canvas* c = wsys::GraphicsContext::Current()) {
            const platform::CanvasRect r = wsys::PixelsCovering(rect);
            wsys::FillPixels(*c, r.left, r.top, r.right, r.bottom, wsys::MakePixel(128, 128, 128));
        }
    }
};

void closeFocusWindow(HWND* handle) {
    auto* window = dynamic_cast<wsys::Window*>(*handle);
    if (!window) return;
    wsys::Ref<wsys::Window> keep(window);
    if (wsys::Window* parent = window->ParentWindow()) parent->RemoveChildWindow(window);
    window->Close();
    // The handle held the window's only reference.
    window->Release();
    *handle = nullptr;
}

} // namespace

void WINL_GenerateDialogFromList(const WINL_DialogListEntry* list, int count) {
    for (int i = 0; list && i < count; ++i)
        makeEntry(list[i]);
}

int WINL_SetWindowLevel(HWND hwnd, int level) {
    wsys::Window* window = windowOf(hwnd);
    if (!window) return 0;
    const int previous = window->Level();
    window->SetLevel(level);
    return previous;
}

int WINL_GetWindowWantRaiseAmt(HWND hwnd) {
    Winl_vZoz_modelesswindow* window = modelessOf(hwnd);
    return window ? window->winlGetWantRaiseAmt() : 0;
}

void WINL_SetWindowWantRaiseAmt(HWND hwnd, int amount) {
    Winl_vZoz_modelesswindow* window = modelessOf(hwnd);
    if (!window) return;
    const int old = window->winlGetWantRaiseAmt();
    window->winlSetWantRaiseAmt(amount);
    if (amount != old && wsys::App().IsActive()) window->SetLevel(window->Level() + amount - old);
}

void SetOpaque(HWND hwnd, bool opaque) {
    if (auto* view = dynamic_cast<Winl_vZoz_hwnd*>(hwnd)) view->SetOpaque(opaque);
}

void SetTransparent(HWND hwnd) {
    if (wsys::Window* window = windowOf(hwnd)) {
        window->SetBackgroundColor(wsys::Color{0, 0, 0, 0});
        window->SetOpaque(false);
    }
}

void WINL_SetWindowShadow(HWND hwnd, bool shadow) {
    if (wsys::Window* window = windowOf(hwnd)) window->SetHasShadow(shadow);
}

void WINL_SetWindowRepre(HWND hwnd, const char* file, bool dirty) {
    wsys::Window* window = windowOf(hwnd);
    if (!window || GetProp(window->ContentView(), "WINL_DisableWindowRepre")) return;
    window->SetDocumentEdited(dirty);
    window->SetRepresentedFilename(file ? file : "");
}

int WINL_GetDefaultButtonID(HWND hwnd, bool onlyEnabled) {
    auto* view = dynamic_cast<wsys::View*>(hwnd);
    wsys::Window* window = view ? view->GetWindow() : nullptr;
    auto* button = dynamic_cast<wsys::Control*>(window ? window->DefaultButton() : nullptr);
    if (!button || (onlyEnabled && !button->IsEnabled())) return 0;
    return button->Tag();
}

void WINL_DrawFocusRect(HWND parent, const RECT* rect, HWND* handle) {
    if (!handle) return;
    if (!rect) {
        closeFocusWindow(handle);
        return;
    }
    RECT r = *rect;
    wsys::Window* attach = nullptr;
    if (parent) {
        POINT a{r.left, r.top}, b{r.right, r.bottom};
        ClientToScreen(parent, &a);
        ClientToScreen(parent, &b);
        r = RECT{a.x, a.y, b.x, b.y};
        if (auto* window = dynamic_cast<wsys::Window*>(parent))
            attach = window;
        else if (auto* view = dynamic_cast<wsys::View*>(parent))
            attach = view->GetWindow();
        else
            return;
    }
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    const wsys::Rect frame(r.left, r.top, r.right - r.left, r.bottom - r.top);
    auto* window = dynamic_cast<wsys::Window*>(*handle);
    if (!window || window->ParentWindow() != attach) {
        closeFocusWindow(handle);
        wsys::Ref<wsys::Window> made = wsys::Make<wsys::Window>(frame, wsys::kBorderlessWindowMask);
        made->SetOpaque(true);
        made->SetAlphaValue(0.5f);
        made->SetExcludedFromWindowsMenu(true);
        made->SetIgnoresMouseEvents(true);
        made->SetContentView(wsys::Make<Winl_vZoz_drawfocusrectwnd>().get());
        if (attach) {
            attach->AddChildWindow(made.get(), wsys::kWindowAbove);
        } else {
            made->SetLevel(wsys::kPopUpMenuWindowLevel);
            made->OrderFront();
        }
        window = made.get();
        window->Retain(); // the handle's reference
        *handle = window;
    }
    window->SetFrame(frame, true);
}

int WINL_SetAppAutoHideMenuAndDock(int mode) {
    static int _init = 0;
    static unsigned _defpres = 0;
    if (_init == 0) {
        _init = wsys::Application::kSystemVersion >= 0x1060 ? 1 : -1;
        if (_init > 0) _defpres = wsys::App().PresentationOptions();
    }
    if (_init < 0) return 0;
    wsys::App().SetPresentationOptions(mode <= 0 ? _defpres : mode == 1 ? 5u : 6u);
    return 1;
}

int ShellExecute(HWND, const char*, const char* file, const char* params, const char*, int) {
    const std::string target = file ? file : "";
    if (!strncasecmp(target.c_str(), "http://", 7)) return wsys::Workspace::OpenURL(target);
    auto named = [](const std::string& s, const char* name) { return !strcasecmp(s.c_str(), name); };
    const std::string application = named(target, "explorer.exe") ? ""
                                    : named(target, "notepad.exe") || named(target, "notepad") ? "TextEdit.app"
                                                                                               : target;
    std::string document = params ? params : "";
    if (named(document, "explorer.exe")) document.clear();
    if (!application.empty() && !document.empty())
        return wsys::Workspace::OpenFileWithApplication(document, application);
    const std::string& one = application.empty() ? document : application;
    if (one.empty()) return 0;
    const size_t n = one.size();
    if (n >= 5 && !strcasecmp(one.c_str() + n - 4, ".app")) return wsys::Workspace::LaunchApplication(one);
    return wsys::Workspace::OpenFile(one);
}
