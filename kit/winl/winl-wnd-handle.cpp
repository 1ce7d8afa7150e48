// Window functions that treat every handle alike: parents and dialog items, the focus, window
// longs, texts, showing, hiding, destroying and validating windows.
#include "kit/winl/winl-wnd.h"

#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-wnd-private.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/ScrollView.h"

#include <optional>
#include <type_traits>

namespace wsys = platform::wsys;

namespace {

constexpr unsigned int kAllTimers = 0xFFFFFFFF;
// GWL_USERDATA of a text view, which keeps none.
constexpr LONG kTextViewUserData = 0xdeadf00b;
constexpr uint32_t kEditChange = 0x300; // EN_CHANGE
constexpr int kTitleBufferSize = 2048;

template <class Capability> Capability* cap(HWND hwnd) {
    return dynamic_cast<Capability*>(hwnd);
}

// The window-long indexes that reach a slot of the handle's own: each accessor answers
// nothing (false) when the handle lacks the capability.
struct LongSlot {
    int index;
    std::optional<LONG> (*get)(HWND);
    bool (*set)(HWND, LONG);
};

template <class T> LONG toLong(T v) {
    if constexpr (std::is_pointer_v<T>)
        return LONG(reinterpret_cast<intptr_t>(v));
    else
        return LONG(v);
}

template <class T> T fromLong(LONG v) {
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(v);
    else
        return T(v);
}

template <class C, class A> A argumentOf(void (C::*)(A));

// A slot kept through a capability's getter and setter.
template <class Capability, auto getter, auto setter> LongSlot slotThrough(int index) {
    using Value = decltype(argumentOf(setter));
    auto get = [](HWND h) -> std::optional<LONG> {
        if (auto* c = cap<Capability>(h)) return toLong((c->*getter)());
        return std::nullopt;
    };
    auto set = [](HWND h, LONG v) {
        auto* c = cap<Capability>(h);
        if (c) (c->*setter)(fromLong<Value>(v));
        return c != nullptr;
    };
    return LongSlot{index, get, set};
}

const LongSlot kLongSlots[] = {
    slotThrough<WinlUserData, &WinlUserData::getWinlUserData, &WinlUserData::setWinlUserData>(
        GWL_USERDATA),
    slotThrough<WinlExtendedStyle, &WinlExtendedStyle::winlGetExtendedStyle,
                &WinlExtendedStyle::winlSetExtendedStyle>(GWL_EXSTYLE),
    slotThrough<WinlStyle, &WinlStyle::getWinlStyle, &WinlStyle::setWinlStyle>(GWL_STYLE),
    // Every view has a tag; only controls and window views take a new one.
    {GWL_ID,
     [](HWND h) -> std::optional<LONG> {
         if (auto* v = cap<wsys::View>(h)) return v->Tag();
         return std::nullopt;
     },
     [](HWND h, LONG v) {
         if (auto* c = cap<wsys::Control>(h))
             c->SetTag(int(v));
         else if (auto* w = cap<Winl_vZoz_hwnd>(h))
             w->SetTag(int(v));
         else
             return false;
         return true;
     }},
    slotThrough<WinlProcedures, &WinlProcedures::getWinlDialogProc,
                &WinlProcedures::setWinlDialogProc>(DWL_DLGPROC),
    slotThrough<WinlProcedures, &WinlProcedures::getWinlWindowProc,
                &WinlProcedures::setWinlWindowProc>(GWL_WNDPROC),
};

const LongSlot* slotFor(int index) {
    for (const LongSlot& slot : kLongSlots)
        if (slot.index == index) return &slot;
    return nullptr;
}

// WS_CAPTION, with WS_THICKFRAME, for a titled window, resizable too; else 0.
LONG frameStyle(const wsys::Window* w) {
    if (!(w->StyleMask() & wsys::kTitledWindowMask)) return 0;
    return w->StyleMask() & wsys::kResizableWindowMask ? WS_CAPTION | WS_THICKFRAME : WS_CAPTION;
}

// The style of a handle that keeps none: the button kind, and where the view sits.
LONG derivedStyle(HWND hwnd) {
    LONG style = 0;
    if (auto* button = cap<wsys::Button>(hwnd)) {
        style = button->AllowsMixedState() ? BS_AUTO3STATE : BS_AUTOCHECKBOX;
        auto* own = cap<Winl_vZoz_button>(hwnd);
        if (!button->AllowsMixedState() && own && own->winlGetRadioFlags())
            style = BS_AUTORADIOBUTTON |
                    LONG(own->winlGetRadioFlags() & Winl_vZoz_button::kStartsRadioSet) << 16;
    }
    auto* view = cap<wsys::View>(hwnd);
    if (!view) return style;
    if (!WINL_IsContentView(view)) return style | WS_CHILD;
    return style | frameStyle(view->GetWindow());
}

void setButtonKind(wsys::Button* button, LONG style) {
    auto* own = dynamic_cast<Winl_vZoz_button*>(button);
    switch (style & 0xF) {
    case BS_AUTOCHECKBOX:
    case BS_AUTO3STATE:
        button->SetButtonType(wsys::kSwitchButton);
        button->SetAllowsMixedState((style & 0xF) == BS_AUTO3STATE);
        if (own) own->winlSetRadioFlags(0);
        break;
    case BS_AUTORADIOBUTTON:
        button->SetButtonType(wsys::kRadioButton);
        if (own)
            own->winlSetRadioFlags(Winl_vZoz_button::kRadio |
                                   int(style >> 16 & Winl_vZoz_button::kStartsRadioSet));
        break;
    default:
        break;
    }
}

// Moves a content view, with its window's title, frame, level, owner, owned and child windows,
// into a new window of the frame style, and destroys the old window.
void rebuildWindow(wsys::View* view, LONG style) {
    wsys::Ref<wsys::View> keep(view);
    wsys::Ref<wsys::Window> old(view->GetWindow());
    const bool visible = old->IsVisible();
    wsys::Window* parent = old->ParentWindow();
    char title[kTitleBufferSize];
    GetDlgItemText(view, 0, title, sizeof title);
    const wsys::Rect frame = old->Frame();
    auto* oldOwner = dynamic_cast<WinlOwnerWindow*>(old.get());
    HWND owner = oldOwner ? oldOwner->winlGetOwner() : nullptr;
    const int level = old->Level();

    // An empty view takes the view's place in the old window.
    Winl_vZoz_hwnd::initChild(nullptr, old.get(), nullptr, 0);
    const unsigned flags = !(style & WS_CAPTION) ? 0 : style & WS_THICKFRAME ? 15 : 1;
    wsys::Ref<Winl_vZoz_modelesswindow> fresh(
        WINL_CreateModelessFrameForWindow(view, owner, flags));

    if (oldOwner) {
        OwnedWindowListRec** head = fresh->winlGetOwnerWindowHead();
        *head = std::exchange(*oldOwner->winlGetOwnerWindowHead(), nullptr);
        for (OwnedWindowListRec* rec = *head; rec; rec = rec->next)
            if (auto* owned = cap<WinlOwnerWindow>(rec->window)) owned->winlSetOwner(fresh.get());
    }
    for (wsys::Window* child : old->ChildWindows()) {
        wsys::Ref<wsys::Window> moving(child);
        old->RemoveChildWindow(child);
        fresh->AddChildWindow(child, wsys::kWindowAbove);
    }
    if (parent) parent->AddChildWindow(fresh.get(), wsys::kWindowAbove);
    if (title[0]) SetDlgItemText(view, 0, title);
    fresh->SetFrame(frame, visible);
    fresh->SetLevel(level);
    if (visible) ShowWindow(fresh.get(), SW_SHOW);
    DestroyWindow(old.get());
}

LONG applyStyle(HWND hwnd, LONG style) {
    if (auto* button = cap<wsys::Button>(hwnd)) {
        const LONG old = GetWindowLong(hwnd, GWL_STYLE);
        setButtonKind(button, style);
        return old;
    }
    auto* view = cap<wsys::View>(hwnd);
    if (WINL_IsContentView(view) &&
        frameStyle(view->GetWindow()) != (style & (WS_CAPTION | WS_THICKFRAME)))
        rebuildWindow(view, style);
    return 0;
}

// Whether the view's window is key with the focus in the view.
bool holdsFocus(wsys::View* view) {
    wsys::Window* w = view->GetWindow();
    auto* focus = w && w->IsKeyWindow() ? dynamic_cast<wsys::View*>(w->FirstResponder()) : nullptr;
    return focus && focus->IsDescendantOf(view);
}

// A view that goes away or hides hands the focus to its parent.
void handFocusToParent(wsys::View* view) {
    if (!holdsFocus(view)) return;
    if (HWND parent = GetParent(view)) SetFocus(parent);
}

void invalidateInSuperview(wsys::View* view) {
    RECT r;
    GetWindowRect(view, &r);
    POINT a{r.left, r.top}, b{r.right, r.bottom};
    ScreenToClient(view->Superview(), &a);
    ScreenToClient(view->Superview(), &b);
    const RECT area{a.x, a.y, b.x, b.y};
    InvalidateRect(view->Superview(), &area, 0);
}

void showTopLevel(wsys::Window* w, int command) {
    switch (command) {
    case SW_HIDE:
        w->OrderOut();
        break;
    case SW_SHOWNA: {
        auto* modeless = dynamic_cast<Winl_vZoz_modelesswindow*>(w);
        if (modeless && modeless->winlTakeWantInitialKeyWindowOnShow())
            w->MakeKeyAndOrderFront();
        else
            w->OrderFront();
        break;
    }
    case SW_SHOW:
        w->MakeKeyAndOrderFront();
        break;
    case SW_MINIMIZE:
        w->Miniaturize();
        break;
    default:
        break;
    }
}

void sendDestroy(HWND hwnd) {
    if (auto* target = cap<WinlMessageTarget>(hwnd)) target->onWinlMessage(WM_DESTROY, 0, 0);
}

void destroyTopLevel(wsys::Window* w) {
    wsys::Ref<wsys::Window> keep(w);
    KillTimer(w, kAllTimers);
    sendDestroy(w->ContentView());
    sendDestroy(w);
    if (auto* owner = dynamic_cast<WinlOwnerWindow*>(w)) owner->winlDoDestroyStuff();
    if (wsys::Window* parent = w->ParentWindow()) parent->RemoveChildWindow(w);
    w->Close();
}

// The platform's text of a handle without a text of its own, null for a class without one.
wsys::Ref<wsys::String> platformText(HWND hwnd) {
    const std::string* utf8 = nullptr;
    if (auto* button = cap<wsys::Button>(hwnd))
        utf8 = &button->Title();
    else if (auto* window = cap<wsys::Window>(hwnd))
        utf8 = &window->Title();
    else if (auto* control = cap<wsys::Control>(hwnd))
        utf8 = &control->StringValue();
    else if (auto* text = cap<wsys::TextView>(hwnd))
        return wsys::Make<wsys::String>(text->String());
    else if (auto* box = cap<wsys::Box>(hwnd))
        utf8 = &box->Title();
    return utf8 ? wsys::Ref<wsys::String>::Adopt(WINL_CStringToCFString(utf8->c_str())) : nullptr;
}

bool setPlatformText(HWND hwnd, const char* text) {
    const wsys::Ref<wsys::String> str =
        wsys::Ref<wsys::String>::Adopt(WINL_CStringToCFString(text));
    const std::string utf8 = str->ToUtf8Lossy();
    if (auto* window = cap<wsys::Window>(hwnd)) {
        window->SetTitle(utf8);
    } else if (auto* button = cap<wsys::Button>(hwnd)) {
        button->SetTitle(utf8);
    } else if (auto* control = cap<wsys::Control>(hwnd)) {
        control->SetStringValue(utf8);
        auto* field = cap<wsys::TextField>(hwnd);
        if (field && field->IsEditable())
            SendMessage(GetParent(field), WM_COMMAND,
                        WPARAM(uint32_t(field->Tag()) | kEditChange << 16), LPARAM(field));
    } else if (auto* textView = cap<wsys::TextView>(hwnd)) {
        textView->SetString(str->Units());
    } else if (auto* box = cap<wsys::Box>(hwnd)) {
        box->SetTitle(utf8);
    } else {
        return false;
    }
    return true;
}

} // namespace

HWND GetParent(HWND hwnd) {
    wsys::Window* window = cap<wsys::Window>(hwnd);
    if (auto* view = cap<wsys::View>(hwnd)) {
        view = WINL_EffectiveView(view);
        if (!WINL_IsContentView(view)) return view->Superview();
        window = view->GetWindow();
    }
    if (!window) return nullptr;
    if (wsys::Window* parent = window->ParentWindow()) return parent->ContentView();
    if (auto* owned = dynamic_cast<WinlOwnerWindow*>(window)) {
        HWND owner = owned->winlGetOwner();
        if (auto* w = cap<wsys::Window>(owner)) return w->ContentView();
        return owner;
    }
    return nullptr;
}

HWND GetDlgItem(HWND hwnd, int id) {
    wsys::View* container = WINL_ViewOf(hwnd);
    if (!container || id == 0) return container;
    auto tagged = [id](wsys::View* v) { return v && v->Tag() == id; };
    for (const wsys::Ref<wsys::View>& sub : container->Subviews()) {
        wsys::View* v = sub.get();
        if (tagged(v)) return v;
        if (auto* scroll = dynamic_cast<wsys::ScrollView*>(v)) {
            v = scroll->DocumentView();
            if (tagged(v)) return v;
        }
        if (auto* clip = dynamic_cast<wsys::ClipView*>(v); clip && tagged(clip->DocumentView()))
            return clip->DocumentView();
    }
    return nullptr;
}

HWND GetFocus() {
    wsys::Window* key = wsys::App().KeyWindow();
    auto* focus = key ? dynamic_cast<wsys::View*>(key->FirstResponder()) : nullptr;
    if (!focus) return nullptr;
    if (dynamic_cast<wsys::TextView*>(focus) && focus->Superview())
        if (auto* field = dynamic_cast<wsys::TextField*>(focus->Superview()->Superview()))
            return field;
    return focus;
}

void ScreenToClient(HWND hwnd, POINT* pt) {
    wsys::View* view = WINL_ViewOf(hwnd);
    if (!pt || !view) return;
    wsys::Point p{double(pt->x), double(pt->y)};
    if (wsys::Window* w = view->GetWindow()) p = w->ConvertScreenToBase(p);
    p = view->ConvertPointFromView(p, nullptr);
    pt->x = WINL_RoundCoordinate(p.x);
    pt->y = WINL_RoundCoordinate(p.y);
}

bool IsWindowVisible(HWND hwnd) {
    if (!hwnd) return false;
    if (auto* view = cap<wsys::View>(hwnd)) {
        if (view->GetWindow() && !view->GetWindow()->IsVisible()) return false;
        return !view->IsHiddenOrHasHiddenAncestor();
    }
    if (auto* window = cap<wsys::Window>(hwnd)) return window->IsVisible();
    return true;
}

bool IsWindow(HWND hwnd) {
    if (!hwnd) return false;
    const std::vector<wsys::Ref<wsys::Window>> windows = wsys::App().Windows();
    for (const wsys::Ref<wsys::Window>& w : windows)
        if (w.get() == hwnd || w->ContentView() == hwnd) return true;
    for (const wsys::Ref<wsys::Window>& w : windows)
        if (dynamic_cast<WinlOwnerWindow*>(w.get()) && w->ContentView() &&
            WINL_TreeHolds(w->ContentView(), hwnd))
            return true;
    return false;
}

void CenterWindow(HWND hwnd) {
    wsys::Window* window = cap<wsys::Window>(hwnd);
    if (auto* view = cap<wsys::View>(hwnd)) window = view->GetWindow();
    if (window) window->Center();
}

void ShowWindow(HWND hwnd, int command) {
    if (auto* window = cap<wsys::Window>(hwnd)) {
        showTopLevel(window, command);
        return;
    }
    auto* view = cap<wsys::View>(hwnd);
    if (!view) return;
    view = WINL_EffectiveView(view);
    wsys::Ref<wsys::View> keep(view);
    if (command == SW_SHOWNA || command == SW_SHOW) {
        view->SetHidden(false);
    } else if (command == SW_HIDE) {
        handFocusToParent(view);
        if (!view->IsHidden()) {
            if (!WINL_IsContentView(view) && view->Superview()) invalidateInSuperview(view);
            view->SetHidden(true);
        }
    }
    if (WINL_IsContentView(view)) showTopLevel(view->GetWindow(), command);
}

void DestroyWindow(HWND hwnd) {
    if (auto* window = cap<wsys::Window>(hwnd)) {
        destroyTopLevel(window);
        return;
    }
    auto* view = cap<wsys::View>(hwnd);
    if (!view) return;
    wsys::Ref<wsys::View> keep(view);
    KillTimer(view, kAllTimers);
    sendDestroy(view);
    if (WINL_IsContentView(view)) {
        // The view hears WM_DESTROY again with its window; it acts on the first only.
        destroyTopLevel(view->GetWindow());
        return;
    }
    if (view->GetWindow()) handFocusToParent(view);
    view->RemoveFromSuperview();
}

LONG GetWindowLong(HWND hwnd, int index) {
    if (!hwnd) return 0;
    if (const LongSlot* slot = slotFor(index))
        if (const std::optional<LONG> value = slot->get(hwnd)) return *value;
    if (index == GWL_STYLE) return derivedStyle(hwnd);
    if (index == GWL_USERDATA && cap<wsys::TextView>(hwnd)) return kTextViewUserData;
    auto* extra = cap<WinlExtraData>(hwnd);
    return extra ? extra->getWinlExtraData(index) : 0;
}

LONG SetWindowLong(HWND hwnd, int index, LONG value) {
    if (!hwnd) return 0;
    if (const LongSlot* slot = slotFor(index)) {
        const std::optional<LONG> previous = slot->get(hwnd);
        if (slot->set(hwnd, value)) return previous.value_or(0);
    }
    if (index == GWL_STYLE) return applyStyle(hwnd, value);
    auto* extra = cap<WinlExtraData>(hwnd);
    if (!extra) return 0;
    const LONG previous = extra->getWinlExtraData(index);
    extra->setWinlExtraData(index, value);
    return previous;
}

bool GetDlgItemText(HWND hwnd, int id, char* buf, int len) {
    if (!buf) len = 0;
    if (len >= 1) buf[0] = 0;
    HWND target = id ? GetDlgItem(hwnd, id) : hwnd;
    if (!target) return false;
    if (auto* view = cap<wsys::View>(target); WINL_IsContentView(view)) target = view->GetWindow();
    if (auto* own = cap<WinlWindowText>(target)) {
        lstrcpyn(buf, own->onWinlGetText(), len);
        return true;
    }
    const wsys::Ref<wsys::String> text = platformText(target);
    if (!text) return false;
    WINL_CFStringToCString(text.get(), buf, len);
    return true;
}

bool SetDlgItemText(HWND hwnd, int id, const char* text) {
    HWND target = id ? GetDlgItem(hwnd, id) : hwnd;
    if (!target) return false;
    if (auto* view = cap<wsys::View>(target); WINL_IsContentView(view))
        SetDlgItemText(view->GetWindow(), 0, text);
    if (auto* own = cap<WinlWindowText>(target)) {
        own->onWinlSetText(text);
        return true;
    }
    return setPlatformText(target, text);
}

void WINL_MarkAncestorsDirty(wsys::View* view) {
    for (wsys::View* v = view ? view->Superview() : nullptr; v; v = v->Superview()) {
        auto* ancestor = dynamic_cast<Winl_vZoz_hwnd*>(v);
        if (!ancestor) continue;
        if (ancestor->winlDirtyBits() & Winl_vZoz_hwnd::kDirtyChildren) return;
        ancestor->winlSetDirtyBits(ancestor->winlDirtyBits() | Winl_vZoz_hwnd::kDirtyChildren);
    }
}
