#include "kit/winl/winl-dlg.h"

#include "kit/winl/winl-dlg-window.h"
#include "kit/winl/winl-menu.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Application.h"
#include "platform/wsys/ScrollView.h"
#include "platform/wsys/Window.h"

#include <cstdlib>
#include <cstring>

namespace wsys = platform::wsys;

namespace {

constexpr unsigned int kAllTimers = 0xFFFFFFFF;
constexpr WPARAM kAccessibilityObjectRequest = 0x1001;

bool isAtom(const char* name) {
    return uintptr_t(name) < 0x10000;
}

bool sameName(const char* a, const char* b) {
    if (isAtom(a) || isAtom(b)) return a == b;
    return std::strcmp(a, b) == 0;
}

int tagOf(wsys::Object* o) {
    if (auto* item = dynamic_cast<wsys::MenuItem*>(o)) return item->Tag();
    auto* v = dynamic_cast<wsys::View*>(o);
    return v ? v->Tag() : 0;
}

// The first subview that takes the focus; a scroll view offers its document view.
wsys::View* firstFocusable(wsys::View* parent) {
    for (const wsys::Ref<wsys::View>& sub : parent->Subviews()) {
        wsys::View* v = sub.get();
        if (auto* scroll = dynamic_cast<wsys::ScrollView*>(v)) v = scroll->DocumentView();
        if (v && v->AcceptsFirstResponder()) return v;
    }
    return nullptr;
}

} // namespace

wsys::Ref<Winl_vZoz_hwnd> Winl_vZoz_hwnd::initChild(const WINL_DialogResourceIndex* res,
                                                    wsys::Object* parent, DLGPROC dlgProc,
                                                    LPARAM param) {
    return initView(wsys::Ref<Winl_vZoz_hwnd>::Adopt(new Winl_vZoz_hwnd(initialFrame(res))), res,
                    parent, dlgProc, param);
}

wsys::Rect Winl_vZoz_hwnd::initialFrame(const WINL_DialogResourceIndex* res) {
    return wsys::Rect(0, 0, res ? res->width : 300, res ? res->height : 200);
}

wsys::Ref<Winl_vZoz_hwnd> Winl_vZoz_hwnd::initView(wsys::Ref<Winl_vZoz_hwnd> view,
                                                   const WINL_DialogResourceIndex* res,
                                                   wsys::Object* parent, DLGPROC dlgProc,
                                                   LPARAM param) {
    view->m_isdirty = kDirtySelf | kDirtyChildren;
    view->m_wndproc = WinlDialogDefaultWindowProc;
    const int flags = res ? res->typeFlags : WINL_DialogResourceIndex::kOpaque |
                                                 WINL_DialogResourceIndex::kFlipped;
    view->m_isopaque = (flags & WINL_DialogResourceIndex::kOpaque) != 0;
    view->m_flip = (flags & WINL_DialogResourceIndex::kFlipped) != 0;
    view->m_supports_ddrop = res && (flags & WINL_DialogResourceIndex::kFileDrop);

    view->SetHidden(true);
    if (auto* panel = dynamic_cast<wsys::AccessoryPanel*>(parent)) {
        panel->SetAccessoryView(view.get());
        view->SetHidden(false);
    } else if (auto* window = dynamic_cast<wsys::Window*>(parent)) {
        window->SetContentView(view.get());
    } else if (auto* superview = dynamic_cast<wsys::View*>(parent)) {
        superview->AddSubview(view.get());
    }

    if (!res) {
        if (dlgProc) view->m_wndproc = dlgProc;
        view->m_wndproc(view.get(), WM_CREATE, 0, param);
        return view;
    }
    if (res->createFunc) res->createFunc(view.get(), res->typeFlags);
    view->m_dlgproc = dlgProc;
    if (!dlgProc) return view;

    wsys::View* focusable = firstFocusable(view.get());
    const LRESULT r = dlgProc(view.get(), WM_INITDIALOG, WPARAM(focusable), param);
    if (wsys::Window* window = view->GetWindow()) {
        if (r) {
            wsys::View* chosen = r == WINL_INITDIALOG_FOCUS_DIALOG ? view.get() : focusable;
            if (chosen && window->FirstResponder() != chosen) window->MakeFirstResponder(chosen);
            auto* modeless = dynamic_cast<Winl_vZoz_modelesswindow*>(window);
            if (parent == window && modeless && !window->IsVisible())
                modeless->winlSetWantInitialKeyWindowOnShow(true);
        } else if (parent == window && focusable) {
            wsys::Responder* fr = window->FirstResponder();
            if (fr == window || !fr || fr == view.get()) window->MakeFirstResponder(focusable);
        }
    }
    WINL_DoDialogColorUpdates(view.get(), view->m_dlgproc, false);
    return view;
}

void Winl_vZoz_hwnd::Dealloc() {
    for (wsys::Ref<wsys::Object>& slot : m_access_cacheptrs)
        slot = nullptr;
    KillTimer(this, kAllTimers);
    onWinlMessage(WM_DESTROY, 0, 0);
    if (GetCapture() == this) ReleaseCapture();
    winlSetViewGL(false);
    while (WindowPropRec* p = m_props) {
        m_props = p->next;
        if (!isAtom(p->name)) std::free(const_cast<char*>(p->name));
        delete p;
    }
    View::Dealloc();
}

LRESULT Winl_vZoz_hwnd::notify(unsigned int msg, WPARAM wParam, LPARAM lParam) {
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    return m_wndproc(this, msg, wParam, lParam);
}

LRESULT Winl_vZoz_hwnd::onWinlMessage(unsigned int msg, WPARAM wParam, LPARAM lParam) {
    if (m_hashaddestroy == 2) return 0;
    if (msg != WM_DESTROY) {
        if (m_hashaddestroy == 1 && msg == WM_CAPTURECHANGED) return 0;
        return m_wndproc ? notify(msg, wParam, lParam) : 0;
    }
    if (m_hashaddestroy == 1) return 0;

    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    m_hashaddestroy = 1;
    auto dropCaptureAndPosts = [this] {
        if (GetCapture() == this) ReleaseCapture();
        WINL_MessageQueue_Clear(this);
    };
    dropCaptureAndPosts();
    const LRESULT result = m_wndproc ? m_wndproc(this, WM_DESTROY, wParam, lParam) : 0;
    if (wsys::Window* w = GetWindow(); w && w->ContentView() == this)
        if (auto* owner = dynamic_cast<WinlOwnerWindow*>(w)) owner->winlDestroyAllOwnedWindows();
    dropCaptureAndPosts();
    if (m_menu) {
        if (wsys::App().MainMenu() == m_menu.get() && !g_winl_terminating)
            wsys::App().SetMainMenu(nullptr);
        WINL_SetMenuDestination(m_menu.get(), nullptr);
        m_menu = nullptr;
    }
    const std::vector<wsys::Ref<wsys::View>> subviews = Subviews();
    for (const wsys::Ref<wsys::View>& v : subviews)
        if (auto* target = dynamic_cast<WinlMessageTarget*>(v.get()))
            target->onWinlMessage(WM_DESTROY, 0, 0);
    KillTimer(this, kAllTimers);
    m_hashaddestroy = 2;
    return result;
}

// ---------------------------------------------------------------------------------------------
// Fields and properties

LPARAM Winl_vZoz_hwnd::getWinlExtraData(int index) {
    return index < 0 || index > 127 ? 0 : m_extradata[index / 4];
}

void Winl_vZoz_hwnd::setWinlExtraData(int index, LPARAM value) {
    if (index >= 0 && index < 128) m_extradata[index / 4] = value;
}

void Winl_vZoz_hwnd::onWinlSetText(const char* text) {
    lstrcpyn(m_titlestr, text ? text : "", sizeof m_titlestr);
}

void Winl_vZoz_hwnd::winlSetMenu(HMENU menu) {
    WINL_SetMenuDestination(m_menu.get(), nullptr);
    m_menu = menu;
    WINL_SetMenuDestination(menu, this);
}

int Winl_vZoz_hwnd::winlSetProp(const char* name, void* data) {
    for (WindowPropRec* p = m_props; p; p = p->next) {
        if (sameName(p->name, name)) {
            p->data = data;
            return 1;
        }
    }
    m_props = new WindowPropRec{isAtom(name) ? name : strdup(name), data, m_props};
    return 1;
}

void* Winl_vZoz_hwnd::winlGetProp(const char* name, bool wantRemove) {
    for (WindowPropRec** link = &m_props; *link; link = &(*link)->next) {
        WindowPropRec* p = *link;
        if (!sameName(p->name, name)) continue;
        void* data = p->data;
        if (wantRemove) {
            *link = p->next;
            if (!isAtom(p->name)) std::free(const_cast<char*>(p->name));
            delete p;
        }
        return data;
    }
    return nullptr;
}

int Winl_vZoz_hwnd::winlEnumProps(WINL_PROPENUMPROC proc, LPARAM lp) {
    if (!m_props) return -1;
    for (WindowPropRec* p = m_props; p; p = p->next)
        if (!proc(this, p->name, p->data, lp)) return 0;
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Commands and notifications

void Winl_vZoz_hwnd::CommandAction(wsys::Object* target, wsys::Control* sender) {
    if (auto* view = dynamic_cast<Winl_vZoz_hwnd*>(target)) view->onWinlCommand(sender);
}

LRESULT Winl_vZoz_hwnd::notifyCommand(wsys::View* sender, int code) {
    return notify(WM_COMMAND, WPARAM(uint32_t(tagOf(sender)) | uint32_t(code) << 16),
                  LPARAM(sender));
}

void Winl_vZoz_hwnd::onWinlCommand(wsys::Object* sender) {
    if (!canNotify()) return;
    if (dynamic_cast<wsys::Slider*>(sender)) {
        notify(WM_HSCROLL, 0, LPARAM(sender));
    } else if (dynamic_cast<WinlItemControl*>(sender) || dynamic_cast<wsys::ComboBox*>(sender)) {
        // They report through their delegate notifications.
    } else if (auto* popUp = dynamic_cast<wsys::PopUpButton*>(sender)) {
        notifyCommand(popUp, 1);
    } else if (auto* button = dynamic_cast<Winl_vZoz_button*>(sender)) {
        if (const int flags = button->winlGetRadioFlags()) clearRadioSiblings(button, flags);
        notifyCommand(button, 0);
    } else if (auto* control = dynamic_cast<wsys::Control*>(sender)) {
        const wsys::Event* e = wsys::App().CurrentEvent();
        const bool doubleClick = e && (e->type == wsys::kLeftMouseDown || e->type == wsys::kLeftMouseUp) &&
                                 e->clickCount >= 2;
        notifyCommand(control, doubleClick ? 1 : 0);
    } else {
        notify(WM_COMMAND, WPARAM(uint32_t(tagOf(sender))), LPARAM(sender));
    }
}

// Radios of the sender's set go off: the set runs from the nearest button before it that
// starts a set to the button before the next one that does, among neighbouring buttons.
void Winl_vZoz_hwnd::clearRadioSiblings(wsys::Object* sender, int flags) {
    auto* self = static_cast<wsys::View*>(sender);
    wsys::View* parent = self->Superview();
    if (!parent) return;
    const std::vector<wsys::Ref<wsys::View>> siblings = parent->Subviews();
    size_t at = 0;
    while (at < siblings.size() && siblings[at].get() != self)
        ++at;
    auto clear = [](Winl_vZoz_button* b) {
        if ((b->winlGetRadioFlags() & Winl_vZoz_button::kRadio) && b->State() == wsys::kOnState)
            b->SetState(wsys::kOffState);
    };
    if (!(flags & Winl_vZoz_button::kStartsRadioSet)) {
        for (size_t i = at; i-- > 0;) {
            auto* b = dynamic_cast<Winl_vZoz_button*>(siblings[i].get());
            if (!b) break;
            clear(b);
            if (b->winlGetRadioFlags() & Winl_vZoz_button::kStartsRadioSet) break;
        }
    }
    for (size_t i = at + 1; i < siblings.size(); ++i) {
        auto* b = dynamic_cast<Winl_vZoz_button*>(siblings[i].get());
        if (!b || (b->winlGetRadioFlags() & Winl_vZoz_button::kStartsRadioSet)) break;
        clear(b);
    }
}

void Winl_vZoz_hwnd::ComboBoxWillPopUp(wsys::View* comboBox) {
    if (canNotify()) notifyCommand(comboBox, 7);
}

void Winl_vZoz_hwnd::ComboBoxSelectionDidChange(wsys::View* comboBox) {
    if (canNotify()) notifyCommand(comboBox, 1);
}

void Winl_vZoz_hwnd::ControlTextDidChange(wsys::View* control) {
    if (canNotify()) notifyCommand(control, dynamic_cast<wsys::ComboBox*>(control) ? 5 : 0x300);
}

void Winl_vZoz_hwnd::TextDidEndEditing(wsys::View* control) {
    if (canNotify() && !dynamic_cast<wsys::ComboBox*>(control)) notifyCommand(control, 0x300);
}

void Winl_vZoz_hwnd::MenuNeedsUpdate(wsys::Menu* menu) {
    if (canNotify()) notify(WM_INITMENUPOPUP, WPARAM(static_cast<HMENU>(menu)), 0);
}

void Winl_vZoz_hwnd::TableViewSelectionDidChange(wsys::TableView* table) {
    auto* items = dynamic_cast<WinlItemControl*>(table);
    if (!canNotify() || !items) return;
    if (items->winlIsOutline()) {
        outlineViewSelectionDidChange(table);
        return;
    }
    if (items->getWinlNotificationMode()) {
        notifyCommand(table, 1);
        return;
    }
    NMLISTVIEW nm{};
    nm.hdr = NMHDR{table, uintptr_t(table->Tag()), LVN_ITEMCHANGED};
    nm.iItem = items->winlSelectedRow();
    notify(WM_NOTIFY, WPARAM(table->Tag()), LPARAM(&nm));
}

void Winl_vZoz_hwnd::TableViewDidClickTableColumn(wsys::TableView* table, wsys::TableColumn* column) {
    auto* items = dynamic_cast<WinlItemControl*>(table);
    if (!canNotify() || !items || items->getWinlNotificationMode() ||
        !items->winlReportsColumnClicks())
        return;
    NMLISTVIEW nm{};
    nm.hdr = NMHDR{table, uintptr_t(table->Tag()), LVN_COLUMNCLICK};
    nm.iItem = -1;
    nm.iSubItem = items->winlColumnIndex(column);
    notify(WM_NOTIFY, WPARAM(table->Tag()), LPARAM(&nm));
}

// The selected row (the last one selected) takes the selection's text colour. Cells are shared
// by the rows, so every row sets its colour: a row after the selected one must not keep it.
void Winl_vZoz_hwnd::TableViewWillDisplayCell(wsys::TableView* table, wsys::Cell* cell,
                                              wsys::TableColumn*, int row) {
    auto* items = dynamic_cast<WinlItemControl*>(table);
    auto* textCell = dynamic_cast<wsys::TextFieldCell*>(cell);
    if (!items || !textCell) return;
    const size_t i = GetFocus() == table ? 0 : 1;
    const std::vector<wsys::Color>* selection = items->winlSelColors();
    const wsys::Color* text = items->winlFgColor();
    if (row == table->SelectedRow() && selection && selection->size() >= 2 * i + 2)
        textCell->SetTextColor((*selection)[2 * i + 1]);
    else
        textCell->SetTextColor(text ? std::optional<wsys::Color>(*text) : std::nullopt);
}

void Winl_vZoz_hwnd::outlineViewSelectionDidChange(wsys::View* outline) {
    if (!canNotify() || !outline) return;
    NMTREEVIEW nm{};
    nm.hdr = NMHDR{outline, uintptr_t(outline->Tag()), TVN_SELCHANGED};
    notify(WM_NOTIFY, WPARAM(outline->Tag()), LPARAM(&nm));
}

void Winl_vZoz_hwnd::winlOnControlDoubleClick(wsys::View* control) {
    if (!canNotify() || !control) return;
    auto* items = dynamic_cast<WinlItemControl*>(control);
    if (items && items->getWinlNotificationMode()) {
        notifyCommand(control, 2);
        return;
    }
    NMLISTVIEW nm{};
    nm.hdr = NMHDR{control, uintptr_t(control->Tag()), NM_DBLCLK};
    if (items && !items->winlIsOutline()) {
        nm.iItem = items->winlClickedRow();
        nm.iSubItem = items->winlClickedColumn();
        LPARAM param = 0;
        if (items->winlRowParam(nm.iItem, &param)) nm.lParam = param;
    }
    notify(WM_NOTIFY, WPARAM(control->Tag()), LPARAM(&nm));
}

// ---------------------------------------------------------------------------------------------
// Focus, showing, size, timers

bool Winl_vZoz_hwnd::AcceptsFirstResponder() {
    if (!m_enabled) return false;
    if (GetFocus() != this && canNotify()) notify(WM_MOUSEACTIVATE, 0, 0);
    return true;
}

bool Winl_vZoz_hwnd::AcceptsFirstMouse(wsys::Event&) {
    if (!m_enabled) return false;
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    if (canNotify()) notify(WM_MOUSEACTIVATE, 0, 0);
    SendMessage(Superview(), WM_MOUSEACTIVATE, 0, 0);
    return true;
}

void Winl_vZoz_hwnd::ViewDidHide() {
    if (canNotify()) notify(WM_SHOWWINDOW, 0, 0);
}

void Winl_vZoz_hwnd::ViewDidUnhide() {
    if (canNotify()) notify(WM_SHOWWINDOW, 1, 0);
}

void Winl_vZoz_hwnd::SetFrame(const wsys::Rect& frame) {
    wsys::Ref<Winl_vZoz_hwnd> keep(this);
    View::SetFrame(frame);
    if (canNotify()) notify(WM_SIZE, 0, 0);
    InvalidateRect(GetParent(this), nullptr, 0);
}

void Winl_vZoz_hwnd::WINL_Timer(wsys::Timer& timer) {
    if (g_winl_only_timerhwnd && g_winl_only_timerhwnd != this) return;
    auto* holder = dynamic_cast<Winl_vZoz_sdh*>(timer.UserInfo());
    if (holder && canNotify()) notify(WM_TIMER, WPARAM(holder->getValue()), 0);
}

// ---------------------------------------------------------------------------------------------
// Accessibility

wsys::Object* Winl_vZoz_hwnd::accessibilityObject() {
    wsys::Object* object = nullptr;
    if (canNotify()) notify(WM_GETOBJECT, kAccessibilityObjectRequest, LPARAM(&object));
    return object;
}

wsys::Object* Winl_vZoz_hwnd::AccessibilityHitTest(wsys::Point screen) {
    wsys::Object* object = accessibilityObject();
    if (auto* element = dynamic_cast<wsys::AccessibilityElement*>(object)) {
        wsys::Object* answer = element->AccessibilityHitTest(screen);
        if (answer && !(answer == object && element->AccessibilityIsIgnored())) return answer;
    }
    return View::AccessibilityHitTest(screen);
}

wsys::Object* Winl_vZoz_hwnd::AccessibilityFocusedUIElement() {
    wsys::Object* object = accessibilityObject();
    if (auto* element = dynamic_cast<wsys::AccessibilityElement*>(object)) {
        wsys::Object* answer = element->AccessibilityFocusedUIElement();
        if (answer && answer != object) return answer;
    }
    return View::AccessibilityFocusedUIElement();
}

bool Winl_vZoz_hwnd::AccessibilityIsIgnored() {
    if (Subviews().empty() && accessibilityObject()) return true;
    return View::AccessibilityIsIgnored();
}

wsys::Ref<wsys::Object> Winl_vZoz_hwnd::AccessibilityAttributeValue(const std::string& attribute) {
    const bool visible = attribute == wsys::kAccessibilityVisibleChildrenAttribute;
    wsys::Ref<wsys::Object> platformValue = View::AccessibilityAttributeValue(attribute);
    if (!visible && attribute != wsys::kAccessibilityChildrenAttribute) return platformValue;
    wsys::Ref<wsys::Object>* cache = m_access_cacheptrs + (visible ? 3 : 0);
    wsys::Object* object = accessibilityObject();
    if (!object) {
        for (int i = 0; i < 3; ++i)
            cache[i] = nullptr;
        return platformValue;
    }
    auto* array = dynamic_cast<wsys::ObjectArray*>(platformValue.get());
    auto* cachedArray = dynamic_cast<wsys::ObjectArray*>(cache[1].get());
    const bool sameArray = cache[1] == platformValue.get() ||
                           (array && cachedArray && *array == *cachedArray);
    if (cache[0] && cache[2] == object && sameArray) return cache[0];
    std::vector<wsys::Ref<wsys::Object>> items;
    if (array) items = array->Items();
    items.emplace_back(object);
    cache[0] = wsys::UnignoredChildren(items);
    cache[1] = platformValue;
    cache[2] = object;
    return cache[0];
}
