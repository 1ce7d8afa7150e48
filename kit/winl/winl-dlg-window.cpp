#include "kit/winl/winl-dlg-window.h"

#include "kit/winl/winl-wnd-private.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Application.h"

#include <algorithm>
#include <optional>

namespace wsys = platform::wsys;

int WINL_owned_windows_levelincrease = 1;

namespace {

// A maximum tracking size the procedure leaves at this means no limit of its own.
constexpr int kNoMaximum = 1000000;
// Managed, and taking part in window cycling.
constexpr unsigned kWindowCollection = 36;
// Ids from here to 15 above ask WINL_CreateDialog for a plain top-level window.
constexpr uintptr_t kPlainWindowId = 0x400000;
constexpr unsigned kChildDialogFlags = 15;
constexpr unsigned kDialogStyle = wsys::kTitledWindowMask | wsys::kClosableWindowMask;
// The platform's standard colour of control text.
constexpr wsys::Color kStandardTextColor{0, 0, 0, 1};

// The layer's window that last stopped being key; compared, never followed, unless it is
// still among the application's windows.
wsys::Window* last_key_window = nullptr;

wsys::Ref<wsys::Object>& menuSlot(bool modal) {
    // Never destroyed: menus must not go during static destruction.
    static auto* menus = new wsys::Ref<wsys::Object>[2];
    return menus[modal ? 1 : 0];
}

bool isOpen(const wsys::Window* w) {
    for (const wsys::Ref<wsys::Window>& open : wsys::App().Windows())
        if (open.get() == w) return true;
    return false;
}

bool hasBeenDestroyed(const wsys::View* v) {
    auto* own = dynamic_cast<const Winl_vZoz_hwnd*>(v);
    return own && own->winlHasBeenDestroyed();
}

// How many levels an owned window sits above its owner while the application is active.
int raiseOf(const wsys::Window* owned) {
    auto* modeless = dynamic_cast<const Winl_vZoz_modelesswindow*>(owned);
    return 1 + (modeless ? modeless->winlGetWantRaiseAmt() : 0);
}

HWND ownerOf(HWND window) {
    auto* owned = dynamic_cast<WinlOwnerWindow*>(window);
    return owned ? owned->winlGetOwner() : nullptr;
}

const WINL_DialogResourceIndex* findRecord(const WINL_DialogResourceIndex* list, const char* id) {
    for (const WINL_DialogResourceIndex* r = list; r; r = r->next)
        if (r->id == id) return r;
    return nullptr;
}

unsigned recordStyle(const WINL_DialogResourceIndex* res, unsigned base) {
    if (res->typeFlags & WINL_DialogResourceIndex::kResizable) base |= wsys::kResizableWindowMask;
    return base;
}

// The text colour a family of controls gets: asked of the dialog procedure the first time
// a member needs it, with a fresh context.
class FamilyColor {
public:
    FamilyColor(HWND dialog, DLGPROC proc, unsigned int msg, bool isUpdate)
        : m_dialog(dialog), m_proc(proc), m_msg(msg), m_isUpdate(isUpdate) {}

    const std::optional<wsys::Color>& For(wsys::View* control) {
        if (m_asked) return m_color;
        m_asked = true;
        if (m_isUpdate) m_color = kStandardTextColor;
        HDC hdc = WINL_GDP_CTX_NEW();
        if (!hdc) return m_color;
        m_proc(m_dialog, m_msg, WPARAM(hdc), LPARAM(control));
        if (hdc->textColorRef) {
            const int c = hdc->textColor;
            m_color = wsys::Color{(c >> 16 & 0xFF) / 255.0, (c >> 8 & 0xFF) / 255.0,
                                  (c & 0xFF) / 255.0, 1};
        }
        WINL_DeleteGfxContext(hdc);
        return m_color;
    }

private:
    HWND m_dialog;
    DLGPROC m_proc;
    unsigned int m_msg;
    bool m_isUpdate;
    bool m_asked = false;
    std::optional<wsys::Color> m_color;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// Both window classes

template <class Base>
WinlTopLevelWindow<Base>::WinlTopLevelWindow(const wsys::Rect& contentRect, unsigned styleMask)
    : Base(contentRect, styleMask), m_lastFrameWidth(int(this->Frame().size.width)),
      m_lastFrameHeight(int(this->Frame().size.height)) {}

template <class Base>
void WinlTopLevelWindow<Base>::initCommon(const WINL_DialogResourceIndex* res, HWND parent) {
    this->SetAcceptsMouseMovedEvents(true);
    updateWindowCollection(this);
    if (res && res->title) SetDlgItemText(this, 0, res->title);
    auto* owner = dynamic_cast<WinlOwnerWindow*>(parent);
    if (auto* view = dynamic_cast<wsys::View*>(parent); !owner && view)
        owner = dynamic_cast<WinlOwnerWindow*>(view->GetWindow());
    if (owner) owner->winlAddOwnedWindow(this);
}

template <class Base> void WinlTopLevelWindow<Base>::Dealloc() {
    winlDoDestroyStuff();
    Base::Dealloc();
}

template <class Base> HMENU WinlTopLevelWindow<Base>::defaultMenu() const {
    return menuSlot(false).get();
}

template <class Base>
void WinlTopLevelWindow<Base>::SetFrame(const wsys::Rect& frame, bool display) {
    wsys::Ref<wsys::Window> keep(this);
    Base::SetFrame(frame, display);
    const int width = int(frame.size.width), height = int(frame.size.height);
    if (width == m_lastFrameWidth && height == m_lastFrameHeight) return;
    // Stored first: a procedure that sets the frame again from WM_SIZE is not told twice.
    m_lastFrameWidth = width;
    m_lastFrameHeight = height;
    wsys::Ref<wsys::View> content(this->ContentView());
    SendMessage(content.get(), WM_SIZE, 0, 0);
    if (content && content->IsOpaque()) InvalidateRect(content.get(), nullptr, 0);
}

template <class Base> void WinlTopLevelWindow<Base>::WindowDidMove() {
    const wsys::Point origin = this->Frame().origin;
    SendMessage(this->ContentView(), WM_MOVE, 0, WINL_PackPoint(int(origin.x), int(origin.y)));
}

template <class Base> wsys::Size WinlTopLevelWindow<Base>::MinSize() const {
    const wsys::Size platform = Base::MinSize();
    MINMAXINFO info{};
    info.ptMinTrackSize = POINT{int(platform.width), int(platform.height)};
    SendMessage(this->ContentView(), WM_GETMINMAXINFO, 0, LPARAM(&info));
    return wsys::Size{double(info.ptMinTrackSize.x), double(info.ptMinTrackSize.y)};
}

template <class Base> wsys::Size WinlTopLevelWindow<Base>::MaxSize() const {
    const wsys::Size platform = Base::MaxSize();
    auto held = [](double v) { return int(std::max(1.0, std::min(double(kNoMaximum), v))); };
    MINMAXINFO info{};
    info.ptMaxTrackSize = POINT{held(platform.width), held(platform.height)};
    SendMessage(this->ContentView(), WM_GETMINMAXINFO, 0, LPARAM(&info));
    auto chosen = [](int v, double own) { return v < kNoMaximum ? double(v) : own; };
    return wsys::Size{chosen(info.ptMaxTrackSize.x, platform.width),
                      chosen(info.ptMaxTrackSize.y, platform.height)};
}

template <class Base> void WinlTopLevelWindow<Base>::BecomeKeyWindow() {
    if (g_winl_terminating) return;
    wsys::View* previous = nullptr;
    if (last_key_window && isOpen(last_key_window) &&
        !hasBeenDestroyed(last_key_window->ContentView()))
        previous = last_key_window->ContentView();
    wsys::Ref<wsys::View> content(this->ContentView());
    if (hasBeenDestroyed(content.get())) return;
    auto* holder = dynamic_cast<WinlMenuHolder*>(content.get());
    HMENU menu = holder ? holder->winlGetMenu() : nullptr;
    if (!menu) menu = defaultMenu();
    // Without any menu of the layer's, the application keeps the menu it has (the host's).
    if (menu && menu != wsys::App().MainMenu()) wsys::App().SetMainMenu(menu);
    SendMessage(content.get(), WM_ACTIVATE, 1, LPARAM(static_cast<HWND>(previous)));
    SendMessage(content.get(), WM_MOUSEACTIVATE, 0, 0);
}

template <class Base> void WinlTopLevelWindow<Base>::ResignKeyWindow() {
    if (g_winl_terminating) return;
    SendMessage(this->ContentView(), WM_ACTIVATE, 0, 0);
    last_key_window = this;
}

template <class Base> bool WinlTopLevelWindow<Base>::CanBecomeKeyWindow() const {
    return m_enabled && !g_winl_terminating;
}

template <class Base> bool WinlTopLevelWindow<Base>::WindowShouldClose() {
    wsys::Ref<wsys::View> content(this->ContentView());
    if (!SendMessage(content.get(), WM_CLOSE, 0, 0))
        SendMessage(content.get(), WM_COMMAND, IDCANCEL, 0);
    return false;
}

template <class Base> bool WinlTopLevelWindow<Base>::AccessibilityIsIgnored() const {
    const wsys::View* content = this->ContentView();
    return !(this->StyleMask() & wsys::kTitledWindowMask) &&
           (!content || content->Subviews().empty());
}

template <class Base> void WinlTopLevelWindow<Base>::winlAddOwnedWindow(HWND window) {
    if (!window) return;
    // A window owning itself or one of its owners would make the level walk endless.
    for (HWND o = this; o; o = ownerOf(o))
        if (o == window) return;
    for (OwnedWindowListRec* rec = m_ownedwnds; rec; rec = rec->next)
        if (rec->window == window) return;
    m_ownedwnds = new OwnedWindowListRec{window, m_ownedwnds};
    if (auto* owned = dynamic_cast<WinlOwnerWindow*>(window)) owned->winlSetOwner(this);
    auto* w = dynamic_cast<wsys::Window*>(window);
    if (WINL_owned_windows_levelincrease && w && wsys::App().IsActive())
        w->SetLevel(this->Level() + raiseOf(w));
}

template <class Base> void WinlTopLevelWindow<Base>::winlRemoveOwnedWindow(HWND window) {
    for (OwnedWindowListRec** link = &m_ownedwnds; *link; link = &(*link)->next) {
        if ((*link)->window == window) {
            delete std::exchange(*link, (*link)->next);
            return;
        }
    }
}

template <class Base> void WinlTopLevelWindow<Base>::winlDestroyAllOwnedWindows() {
    OwnedWindowListRec* list = std::exchange(m_ownedwnds, nullptr);
    // All kept alive first: destroying one may close another of the list.
    std::vector<wsys::Ref<wsys::Object>> keep;
    for (OwnedWindowListRec* rec = list; rec; rec = rec->next)
        keep.emplace_back(rec->window);
    while (OwnedWindowListRec* rec = list) {
        list = rec->next;
        DestroyWindow(rec->window);
        delete rec;
    }
}

template <class Base> void WinlTopLevelWindow<Base>::winlResetOwnedWindowLevels() {
    if (!WINL_owned_windows_levelincrease) return;
    for (OwnedWindowListRec* rec = m_ownedwnds; rec; rec = rec->next) {
        if (auto* w = dynamic_cast<wsys::Window*>(rec->window))
            w->SetLevel(this->Level() + (wsys::App().IsActive() ? raiseOf(w) : 0));
        if (auto* owned = dynamic_cast<WinlOwnerWindow*>(rec->window))
            owned->winlResetOwnedWindowLevels();
    }
}

template <class Base> void WinlTopLevelWindow<Base>::winlDoDestroyStuff() {
    if (last_key_window == this) last_key_window = nullptr;
    winlDestroyAllOwnedWindows();
    if (last_key_window == this) last_key_window = nullptr;
    if (!m_owner) return;
    if (auto* owner = dynamic_cast<WinlOwnerWindow*>(m_owner)) owner->winlRemoveOwnedWindow(this);
    if (this->IsKeyWindow())
        if (auto* owner = dynamic_cast<wsys::Window*>(m_owner)) owner->MakeKeyWindow();
    m_owner = nullptr;
}

template class WinlTopLevelWindow<wsys::Window>;
template class WinlTopLevelWindow<wsys::Panel>;

// ---------------------------------------------------------------------------------------------
// The two classes

wsys::Ref<Winl_vZoz_modelesswindow> Winl_vZoz_modelesswindow::make(HWND parent, wsys::Size size,
                                                                   unsigned styleMask) {
    RECT reference{};
    if (parent)
        GetWindowRect(parent, &reference);
    else
        WINL_GetViewPort(&reference, nullptr, true);
    const wsys::Rect content(reference.left + 50, reference.bottom - 100 - size.height, size.width,
                             size.height);
    return wsys::Ref<Winl_vZoz_modelesswindow>::Adopt(
        new Winl_vZoz_modelesswindow(content, styleMask));
}

Winl_vZoz_hwnd* Winl_vZoz_modelesswindow::initModeless(const WINL_DialogResourceIndex* res,
                                                       HWND parent, DLGPROC dlgProc, LPARAM param,
                                                       unsigned forceStyles) {
    const unsigned style =
        res ? recordStyle(res, forceStyles | kDialogStyle | wsys::kMiniaturizableWindowMask)
            : forceStyles;
    const wsys::Size size =
        res ? wsys::Size{double(res->width), double(res->height)} : wsys::Size{10, 10};
    wsys::Ref<Winl_vZoz_modelesswindow> window = make(parent, size, style);
    window->initCommon(res, parent);
    wsys::Ref<Winl_vZoz_hwnd> view = Winl_vZoz_hwnd::initChild(res, window.get(), dlgProc, param);
    view->winlSetCreateWindowFlags(style);
    window->Display();
    return view.get(); // the window holds it
}

Winl_vZoz_modelesswindow*
Winl_vZoz_modelesswindow::initModelessForChild(wsys::View* child, HWND owner, unsigned styleMask) {
    wsys::Ref<Winl_vZoz_modelesswindow> window = make(owner, child->Bounds().size, styleMask);
    window->initCommon(nullptr, owner);
    window->SetContentView(child);
    window->Display();
    return window.get(); // the application holds it
}

wsys::Ref<Winl_vZoz_dialogbox>
Winl_vZoz_dialogbox::initDialogBox(const WINL_DialogResourceIndex* res, HWND parent,
                                   DLGPROC dlgProc, LPARAM param) {
    const unsigned style = recordStyle(res, kDialogStyle);
    wsys::Ref<Winl_vZoz_dialogbox> box = wsys::Ref<Winl_vZoz_dialogbox>::Adopt(
        new Winl_vZoz_dialogbox(wsys::Rect(0, 0, res->width, res->height), style));
    box->initCommon(res, parent);
    wsys::Ref<Winl_vZoz_hwnd> view = Winl_vZoz_hwnd::initChild(res, box.get(), dlgProc, param);
    view->winlSetCreateWindowFlags(style);
    view->SetHidden(false);
    box->Display();
    return box;
}

HMENU Winl_vZoz_dialogbox::defaultMenu() const {
    if (HMENU modal = menuSlot(true).get()) return modal;
    return WinlTopLevelWindow::defaultMenu();
}

// ---------------------------------------------------------------------------------------------
// Dialogs

HWND WINL_CreateDialog(const WINL_DialogResourceIndex* list, const char* id, HWND parent,
                       DLGPROC dlgProc, LPARAM param) {
    unsigned forceStyles = 0;
    bool forceTopLevel = false;
    if ((uintptr_t(id) & ~uintptr_t(0xF)) == kPlainWindowId) {
        const unsigned low = unsigned(uintptr_t(id) & 0xF);
        forceStyles = wsys::kTitledWindowMask;
        if (!(low & 4)) forceStyles |= wsys::kClosableWindowMask;
        if (!(low & 2)) forceStyles |= wsys::kMiniaturizableWindowMask;
        if (low & 1) forceStyles |= wsys::kResizableWindowMask;
        forceTopLevel = low != 0;
        id = nullptr;
    }
    const WINL_DialogResourceIndex* res = findRecord(list, id);
    if (!res && id) return nullptr;
    HWND container = nullptr;
    if (dynamic_cast<wsys::View*>(parent) || dynamic_cast<wsys::AccessoryPanel*>(parent))
        container = parent;
    else if (auto* window = dynamic_cast<wsys::Window*>(parent))
        container = window->ContentView();
    const bool child = res ? (res->typeFlags & WINL_DialogResourceIndex::kChild) : !forceTopLevel;
    if (!container || !child)
        return Winl_vZoz_modelesswindow::initModeless(res, parent, dlgProc, param, forceStyles);
    wsys::Ref<Winl_vZoz_hwnd> view = Winl_vZoz_hwnd::initChild(res, container, dlgProc, param);
    view->winlSetCreateWindowFlags(kChildDialogFlags);
    return view.get(); // the parent holds it
}

int WINL_DialogBox(const WINL_DialogResourceIndex* list, const char* id, HWND parent,
                   DLGPROC dlgProc, LPARAM param) {
    const WINL_DialogResourceIndex* res = findRecord(list, id);
    if (!res || (res->typeFlags & WINL_DialogResourceIndex::kChild)) return -1;
    wsys::Ref<Winl_vZoz_dialogbox> box =
        Winl_vZoz_dialogbox::initDialogBox(res, parent, dlgProc, param);
    if (box->winlHasModalRetVal())
        SendMessage(box->ContentView(), WM_DESTROY, 0, 0);
    else
        wsys::App().RunModalForWindow(box.get());
    // The application lists every open window: letting go of the box closes it.
    box->Close();
    return box->winlGetModalRetVal();
}

void EndDialog(HWND hwnd, int result) {
    wsys::Window* window = dynamic_cast<wsys::Window*>(hwnd);
    if (auto* view = dynamic_cast<wsys::View*>(hwnd)) window = view->GetWindow();
    if (!window) return;
    wsys::Ref<wsys::Window> keep(window);
    if (auto* box = dynamic_cast<Winl_vZoz_dialogbox*>(window)) box->winlSetModalRetVal(result);
    wsys::Application& app = wsys::App();
    if (app.ModalWindow() != window) return;
    SendMessage(window->ContentView(), WM_DESTROY, 0, 0);
    if (app.CurrentEvent() && app.CurrentEvent()->window == window) app.StopModal();
    app.AbortModal();
    window->Close();
}

Winl_vZoz_modelesswindow* WINL_CreateModelessFrameForWindow(HWND child, HWND owner,
                                                            unsigned styleMask) {
    auto* view = dynamic_cast<wsys::View*>(child);
    return view ? Winl_vZoz_modelesswindow::initModelessForChild(view, owner, styleMask) : nullptr;
}

HMENU WINL_GetDefaultWindowMenu() {
    return menuSlot(false).get();
}

void WINL_SetDefaultWindowMenu(HMENU menu) {
    menuSlot(false) = menu;
}

HMENU WINL_GetDefaultModalWindowMenu() {
    return menuSlot(true).get();
}

void WINL_SetDefaultModalWindowMenu(HMENU menu) {
    menuSlot(true) = menu;
}

void WINL_DoDialogColorUpdates(HWND hwnd, DLGPROC dlgProc, bool isUpdate) {
    auto* dialog = dynamic_cast<wsys::View*>(hwnd);
    if (!dialog || !dlgProc) return;
    FamilyColor buttons(hwnd, dlgProc, WM_CTLCOLORBTN, isUpdate);
    FamilyColor statics(hwnd, dlgProc, WM_CTLCOLORSTATIC, isUpdate);
    const std::vector<wsys::Ref<wsys::View>> subviews = dialog->Subviews();
    for (const wsys::Ref<wsys::View>& v : subviews) {
        if (auto* button = dynamic_cast<wsys::Button*>(v.get())) {
            if (button->GetImage()) button->SetTextColor(buttons.For(button));
        } else if (auto* box = dynamic_cast<wsys::Box*>(v.get())) {
            box->SetTitleColor(statics.For(box));
        } else if (auto* label = dynamic_cast<wsys::TextField*>(v.get());
                   label && !label->IsEditable()) {
            label->SetTextColor(statics.For(label));
        }
    }
}

void updateWindowCollection(wsys::Window* window) {
    // The system version (0x1090) is past 10.6, from which windows take part in cycling.
    if (window) window->SetCollectionBehavior(kWindowCollection);
}
