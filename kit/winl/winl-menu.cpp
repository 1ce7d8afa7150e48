#include "kit/winl/winl-menu.h"

#include "kit/winl/winl-gdi-shapes.h"
#include "kit/winl/winl-wnd-private.h"
#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Application.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace wsys = platform::wsys;

namespace {

constexpr size_t kMaxTitleCharacters = 1023;
constexpr char kSubmenuMarker[] = "/.BO^O:";
constexpr char kEndMarker[] = "EN%%%^:";
constexpr size_t kSubmenuMarkerLength = sizeof kSubmenuMarker - 1;
constexpr double kPopUpDrop = 4;

wsys::Menu* asMenu(HMENU menu) {
    return dynamic_cast<wsys::Menu*>(menu);
}

bool isContinuationByte(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The caller's text as an item title: up to the first TAB (accelerator text follows), each
// '&' dropped and the character after it kept, at most 1023 characters.
std::string cleanText(const char* text) {
    std::string out;
    size_t characters = 0;
    for (const char* p = text ? text : ""; *p && *p != '\t';) {
        if (*p == '&' && !*++p) break;
        if (!isContinuationByte(static_cast<unsigned char>(*p)) && ++characters > kMaxTitleCharacters)
            break;
        out.push_back(*p++);
    }
    // Bytes that are not UTF-8 are taken one character each, as the platform's strings do.
    const wsys::Ref<wsys::String> str =
        wsys::Ref<wsys::String>::Adopt(WINL_CStringToCFString(out.c_str()));
    return str->ToUtf8Lossy();
}

std::string platformText(const char* text) {
    const wsys::Ref<wsys::String> str =
        wsys::Ref<wsys::String>::Adopt(WINL_CStringToCFString(text));
    return str->ToUtf8Lossy();
}

// By command id: this menu first, then its submenus in order, depth first.
wsys::MenuItem* findById(wsys::Menu* menu, int id) {
    if (wsys::MenuItem* item = menu->ItemWithTag(id)) return item;
    for (int i = 0; i < menu->NumberOfItems(); ++i)
        if (wsys::Menu* sub = menu->ItemAtIndex(i)->Submenu())
            if (wsys::MenuItem* item = findById(sub, id)) return item;
    return nullptr;
}

wsys::MenuItem* findItem(HMENU handle, int idx, bool byPosition) {
    wsys::Menu* menu = asMenu(handle);
    if (!menu) return nullptr;
    return byPosition ? menu->ItemAtIndex(idx) : findById(menu, idx);
}

wsys::MenuItem* findItem(HMENU handle, int idx, unsigned int flags) {
    return findItem(handle, idx, (flags & MF_BYPOSITION) != 0);
}

// A menu item's action: the command goes to the target's onWinlCommand.
void sendCommand(wsys::Object* target, wsys::MenuItem* sender) {
    if (auto* receiver = dynamic_cast<WinlCommandTarget*>(target)) receiver->onWinlCommand(sender);
}

// Attaches the submenu and takes over the caller's reference to it.
void attachSubmenu(wsys::MenuItem* item, HMENU handle) {
    wsys::Menu* sub = asMenu(handle);
    if (!sub || !item->GetMenu()) return;
    item->GetMenu()->SetSubmenu(sub, item);
    sub->Release();
}

void setTitle(wsys::MenuItem* item, const std::string& title) {
    item->SetTitle(title);
    if (wsys::Menu* sub = item->Submenu()) sub->SetTitle(title);
}

void setState(wsys::MenuItem* item, unsigned int state) {
    item->SetState(state & MFS_CHECKED ? wsys::kOnState : wsys::kOffState);
    item->SetEnabled(!(state & (MFS_GRAYED | MFS_DISABLED)));
}

void setData(wsys::MenuItem* item, uintptr_t data) {
    item->SetRepresentedObject(wsys::Make<Winl_vZoz_sdh>(intptr_t(data)).get());
}

// The title within size bytes, cut between characters, always terminated.
void copyTitle(const std::string& title, char* buf, unsigned int size) {
    size_t n = std::min<size_t>(title.size(), size - 1);
    if (n < title.size())
        while (n > 0 && isContinuationByte(static_cast<unsigned char>(title[n])))
            --n;
    std::memcpy(buf, title.data(), n);
    buf[n] = 0;
}

// The key character of SetMenuItemModifier, 0 for none.
char16_t keyCharacter(int code, int mods) {
    const bool shift = mods & WINL_MOD_SHIFT;
    const auto cased = [shift](int c) {
        return char16_t(!shift && c >= 'A' && c <= 'Z' ? c + 32 : c);
    };
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return cased(code & 0x7F);
    if (!(mods & WINL_MOD_VIRTKEY) && (code & 0x7F) && std::strchr("!\"',./?[\\]|:", code & 0x7F))
        return cased(code & 0x7F);
    if (code >= 112 && code <= 123) return char16_t(0xF704 + code - 112); // F1..F12
    static const struct {
        int code;
        char16_t key;
    } kVirtualKeys[] = {
        {8, 8},       {33, 0xF72C}, {34, 0xF72D}, {35, 0xF72B}, {36, 0xF729},   {37, 0xF702},
        {38, 0xF700}, {39, 0xF703}, {40, 0xF701}, {45, 0xF727}, {46, 0x7F},     {109, u'-'},
    };
    for (const auto& k : kVirtualKeys)
        if (k.code == code) return k.key;
    return 0;
}

} // namespace

void Winl_vZoz_trackpopupmenurecv::onWinlCommand(wsys::Object* sender) {
    auto* item = dynamic_cast<wsys::MenuItem*>(sender);
    if (item && item->Tag() != 0) m_cmd = item->Tag();
}

void Winl_vZoz_trackpopupmenurecv::MenuNeedsUpdate(wsys::Menu* menu) {
    if (!m_wnd) return;
    SendMessage(m_wnd, WM_INITMENUPOPUP, WPARAM(static_cast<HMENU>(menu)), 0);
    WINL_SetMenuDestination(menu, this);
}

HMENU CreatePopupMenu() {
    return CreatePopupMenuEx(nullptr);
}

HMENU CreatePopupMenuEx(const char* title) {
    wsys::Ref<Winl_vZoz_menu> menu = wsys::Make<Winl_vZoz_menu>(title ? cleanText(title) : "");
    menu->SetAutoenablesItems(false);
    return menu.Detach();
}

void DestroyMenu(HMENU menu) {
    if (!asMenu(menu)) return;
    WINL_SetMenuDestination(menu, nullptr);
    menu->Release();
}

HMENU WINL_DuplicateMenu(HMENU menu) {
    wsys::Menu* m = asMenu(menu);
    return m ? m->Copy().Detach() : nullptr;
}

int GetMenuItemCount(HMENU menu) {
    wsys::Menu* m = asMenu(menu);
    return m ? m->NumberOfItems() : 0;
}

HMENU GetSubMenu(HMENU menu, int pos) {
    wsys::MenuItem* item = findItem(menu, pos, true);
    return item ? item->Submenu() : nullptr;
}

int GetMenuItemID(HMENU menu, int pos) {
    wsys::MenuItem* item = findItem(menu, pos, true);
    if (!item) return 0;
    return item->HasSubmenu() ? -1 : item->Tag();
}

bool SetMenuItemText(HMENU menu, int idx, unsigned int flags, const char* text) {
    wsys::MenuItem* item = findItem(menu, idx, flags);
    if (item) setTitle(item, cleanText(text));
    return item != nullptr;
}

int EnableMenuItem(HMENU menu, int idx, unsigned int flags) {
    wsys::MenuItem* item = findItem(menu, idx, flags);
    if (item) item->SetEnabled(!(flags & MF_GRAYED));
    return item ? 1 : 0;
}

int CheckMenuItem(HMENU menu, int idx, unsigned int flags) {
    wsys::MenuItem* item = findItem(menu, idx, flags);
    if (item) item->SetState(flags & MF_CHECKED ? wsys::kOnState : wsys::kOffState);
    return item ? 1 : 0;
}

bool SetMenuItemModifier(HMENU menu, int idx, unsigned int flags, int code, int mods) {
    wsys::MenuItem* item = findItem(menu, idx, flags);
    if (!item) return false;
    const char16_t key = keyCharacter(code, mods);
    unsigned mask = 0;
    if (mods & WINL_MOD_OPTION) mask |= wsys::kAlternateKeyMask;
    if (mods & WINL_MOD_COMMAND) mask |= wsys::kCommandKeyMask;
    if (mods & WINL_MOD_CONTROL) mask |= wsys::kControlKeyMask;
    // A shifted letter is said by its upper case alone.
    if ((mods & WINL_MOD_SHIFT) && !(code >= 'A' && code <= 'Z')) mask |= wsys::kShiftKeyMask;
    item->SetKeyEquivalentModifierMask(mask);
    item->SetKeyEquivalent(key ? std::u16string(1, key) : std::u16string());
    return true;
}

int AddMenuItem(HMENU menu, int pos, const char* name, int tag) {
    wsys::Menu* m = asMenu(menu);
    if (!m) return -1;
    wsys::Ref<wsys::MenuItem> item =
        wsys::Make<wsys::MenuItem>(platformText(name), nullptr, std::u16string());
    item->SetTag(tag);
    m->InsertItem(item.get(), pos);
    return 0;
}

void WINL_Menu_AddMenuItem(HMENU menu, const char* name, int idx, unsigned int flags) {
    MENUITEMINFO info{};
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
    info.fType = name ? MFT_STRING : MFT_SEPARATOR;
    info.fState = flags ? MFS_GRAYED : 0;
    info.wID = unsigned(idx);
    info.dwTypeData = const_cast<char*>(name);
    InsertMenuItem(menu, -1, true, &info);
}

void WINL_InsertMenu(HMENU menu, int pos, unsigned int flags, uintptr_t idx, const char* text) {
    MENUITEMINFO info{};
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
    info.fType = MFT_STRING;
    info.fState = flags & ~MF_BYPOSITION;
    info.wID = unsigned(idx);
    info.dwTypeData = const_cast<char*>(text);
    if (flags & MF_POPUP) {
        info.hSubMenu = reinterpret_cast<HMENU>(idx);
        info.wID = 0;
        info.fMask |= MIIM_SUBMENU;
        info.fState &= ~MF_POPUP;
    }
    if (flags & MF_SEPARATOR) {
        info.fMask = MIIM_TYPE;
        info.fType = MFT_SEPARATOR;
        info.fState &= ~0xC00u;
    }
    if (flags & MF_BITMAP) {
        info.fType = MFT_BITMAP;
        info.fState &= ~MF_BITMAP;
    }
    InsertMenuItem(menu, pos, (flags & MF_BYPOSITION) != 0, &info);
}

void InsertMenuItem(HMENU handle, int pos, bool byPosition, const MENUITEMINFO* info) {
    wsys::Menu* menu = asMenu(handle);
    if (!menu || !info) return;
    const int n = menu->NumberOfItems();
    if (!byPosition) pos = menu->IndexOfItemWithTag(pos);
    if (pos < 0 || pos > n) pos = n;

    wsys::Ref<wsys::MenuItem> item;
    if (info->fType == MFT_BITMAP) {
        item = wsys::Make<wsys::MenuItem>("(no image)", nullptr, std::u16string());
        auto* image = reinterpret_cast<HGDIOBJ>(info->dwTypeData);
        if (GetNSImageFromHICON(image)) {
            item->SetImage(image->image);
            item->SetTitle(std::string());
        }
    } else if (info->fType == MFT_STRING) {
        item = wsys::Make<wsys::MenuItem>(info->dwTypeData ? cleanText(info->dwTypeData) : "(null)",
                                          nullptr, std::u16string());
    } else {
        item = wsys::MenuItem::SeparatorItem();
    }
    menu->InsertItem(item.get(), pos);

    if ((info->fMask & MIIM_SUBMENU) && asMenu(info->hSubMenu)) {
        if (info->fType == MFT_STRING) asMenu(info->hSubMenu)->SetTitle(item->Title());
        attachSubmenu(item.get(), info->hSubMenu);
    }
    if (n == 0) menu->SetAutoenablesItems(false);
    item->SetEnabled(true);
    if (info->fMask & MIIM_STATE) setState(item.get(), info->fState);
    if (info->fMask & MIIM_DATA)
        setData(item.get(), info->dwItemData);
    else
        item->SetRepresentedObject(nullptr);
    if (info->fMask & MIIM_ID) item->SetTag(int(info->wID));
    // Routed like its siblings when the menu already has a destination.
    wsys::MenuItem* first = menu->ItemAtIndex(0);
    if (first != item.get() && first->Action()) {
        item->SetAction(first->Action());
        item->SetTarget(first->Target());
    }
}

int SetMenuItemInfo(HMENU menu, int idx, bool byPosition, const MENUITEMINFO* info) {
    wsys::MenuItem* item = info ? findItem(menu, idx, byPosition) : nullptr;
    if (!item) return 0;
    if ((info->fMask & MIIM_SUBMENU) && info->hSubMenu) attachSubmenu(item, info->hSubMenu);
    if ((info->fMask & MIIM_TYPE) && info->fType == MFT_STRING && info->dwTypeData)
        setTitle(item, cleanText(info->dwTypeData));
    if (info->fMask & MIIM_STATE) setState(item, info->fState);
    if (info->fMask & MIIM_ID) item->SetTag(int(info->wID));
    if (info->fMask & MIIM_DATA) setData(item, info->dwItemData);
    return 1;
}

int GetMenuItemInfo(HMENU menu, int idx, bool byPosition, MENUITEMINFO* info) {
    wsys::MenuItem* item = info ? findItem(menu, idx, byPosition) : nullptr;
    if (!item) return 0;
    if (info->fMask & MIIM_TYPE) {
        info->fType = item->IsSeparatorItem() ? MFT_SEPARATOR : MFT_STRING;
        if (!item->IsSeparatorItem() && info->dwTypeData && info->cch)
            copyTitle(item->Title(), info->dwTypeData, info->cch);
    }
    if (info->fMask & MIIM_DATA) {
        auto* holder = dynamic_cast<Winl_vZoz_sdh*>(item->RepresentedObject());
        info->dwItemData = holder ? uintptr_t(holder->getValue()) : 0;
    }
    if (info->fMask & MIIM_STATE)
        info->fState = (item->State() == wsys::kOnState ? MFS_CHECKED : 0) |
                       (item->IsEnabled() ? 0 : MFS_GRAYED | MFS_DISABLED);
    if (info->fMask & MIIM_ID) info->wID = unsigned(item->Tag());
    if ((info->fMask & MIIM_SUBMENU) && item->HasSubmenu()) info->hSubMenu = item->Submenu();
    return 1;
}

bool DeleteMenu(HMENU menu, int idx, unsigned int flags) {
    wsys::Ref<wsys::MenuItem> item(findItem(menu, idx, flags));
    if (!item) return false;
    if (wsys::Menu* sub = item->Submenu()) {
        WINL_SetMenuDestination(sub, nullptr);
        item->GetMenu()->SetSubmenu(nullptr, item.get());
    }
    wsys::Menu* holder = item->GetMenu();
    for (int i = 0; i < holder->NumberOfItems(); ++i)
        if (holder->ItemAtIndex(i) == item.get()) holder->RemoveItemAtIndex(i);
    return true;
}

void WINL_SetMenuDestination(HMENU handle, HWND dest) {
    wsys::Menu* menu = asMenu(handle);
    if (!menu || (dest && !dynamic_cast<WinlCommandTarget*>(dest))) return;
    menu->SetDelegate(dest);
    for (int i = 0; i < menu->NumberOfItems(); ++i) {
        wsys::MenuItem* item = menu->ItemAtIndex(i);
        if (wsys::Menu* sub = item->Submenu()) {
            WINL_SetMenuDestination(sub, dest);
        } else if (item->Tag() != 0) {
            item->SetTarget(dest);
            if (dest) item->SetAction(sendCommand);
        }
    }
}

int TrackPopupMenu(HMENU handle, unsigned int flags, int x, int y, int, HWND hwnd, const RECT*) {
    wsys::Ref<wsys::Menu> menu(asMenu(handle));
    if (!menu) return 0;
    wsys::Application& app = wsys::App();
    wsys::View* view = WINL_ViewOf(hwnd);
    if (!view && app.KeyWindow()) view = app.KeyWindow()->ContentView();
    if (!view) return 0;
    wsys::Ref<wsys::Object> keepWindow(hwnd);
    wsys::Ref<wsys::View> keepView(view);

    wsys::Ref<wsys::Event> event = wsys::Event::Make(wsys::kApplicationDefined);
    wsys::Window* window = view->GetWindow();
    const wsys::Point screen{double(x), double(y) - kPopUpDrop};
    event->locationInWindow = window ? window->ConvertScreenToBase(screen) : screen;
    event->windowNumber = window ? window->WindowNumber() : 0;
    if (const wsys::Event* current = app.CurrentEvent()) event->timestamp = current->timestamp;

    const bool notify = !(flags & TPM_NONOTIFY);
    wsys::Ref<Winl_vZoz_trackpopupmenurecv> receiver =
        wsys::Make<Winl_vZoz_trackpopupmenurecv>(notify ? hwnd : nullptr);
    WINL_SetMenuDestination(menu.get(), receiver.get());
    if (notify && hwnd) {
        SendMessage(hwnd, WM_INITMENUPOPUP, WPARAM(handle), 0);
        WINL_SetMenuDestination(menu.get(), receiver.get());
    }
    wsys::Menu::PopUpContextMenu(menu.get(), *event, view);
    const int command = receiver->isCommand();
    WINL_SetMenuDestination(menu.get(), nullptr);

    if (command <= 0) return 0;
    if (flags & TPM_RETURNCMD) return command;
    if (hwnd) SendMessage(hwnd, WM_COMMAND, WPARAM(command), 0);
    return 1;
}

HMENU WINL_LoadMenu(const WINL_MenuResourceIndex* head, uintptr_t resid) {
    for (const WINL_MenuResourceIndex* r = head; r; r = r->next) {
        if (r->resid != resid) continue;
        HMENU menu = CreatePopupMenu();
        if (r->createFunc) r->createFunc(menu);
        return menu;
    }
    return nullptr;
}

int WINL_GenerateMenuFromList(HMENU menu, const WINL_MenuListEntry* list, int count) {
    if (!list) return 0;
    int i = 0;
    while (i < count) {
        const WINL_MenuListEntry& entry = list[i];
        if (entry.text && std::strcmp(entry.text, kEndMarker) == 0) return i + 1;
        MENUITEMINFO info{};
        if (!entry.text) {
            info.fMask = MIIM_TYPE;
            info.fType = MFT_SEPARATOR;
            ++i;
        } else if (std::strncmp(entry.text, kSubmenuMarker, kSubmenuMarkerLength) == 0) {
            const char* title = entry.text + kSubmenuMarkerLength;
            HMENU sub = CreatePopupMenuEx(title);
            i += WINL_GenerateMenuFromList(sub, list + i + 1, count - i - 1) + 1;
            info.fMask = MIIM_SUBMENU | MIIM_TYPE | MIIM_STATE;
            info.hSubMenu = sub;
            info.dwTypeData = const_cast<char*>(title);
        } else {
            info.fMask = MIIM_ID | MIIM_STATE | MIIM_TYPE;
            info.wID = unsigned(entry.id & 0xFFFF);
            info.fState = entry.id >= 0x10000 ? MFS_GRAYED : 0;
            info.dwTypeData = const_cast<char*>(entry.text);
            ++i;
        }
        InsertMenuItem(menu, -1, true, &info);
    }
    return count + 1;
}

int SetMenu(HWND hwnd, HMENU menu) {
    // A window stands for its content view, as in GetMenu.
    wsys::View* view = WINL_ViewOf(hwnd);
    auto* holder = dynamic_cast<WinlMenuHolder*>(view);
    if (!holder || g_winl_terminating) return 0;
    wsys::Ref<wsys::View> keep(view);
    holder->winlSetMenu(menu);
    if (!WINL_IsContentView(view)) return 1;
    wsys::Application& app = wsys::App();
    if (view->GetWindow() == app.KeyWindow() && app.MainMenu() != menu) {
        app.SetMainMenu(menu);
        if (menu) SendMessage(view, WM_INITMENUPOPUP, WPARAM(menu), 0);
    }
    return 1;
}

HMENU GetMenu(HWND hwnd) {
    auto* holder = dynamic_cast<WinlMenuHolder*>(WINL_ViewOf(hwnd));
    return holder ? holder->winlGetMenu() : nullptr;
}

void DrawMenuBar(HWND) {}

HMENU WINL_GetCurrentMenu() {
    return wsys::App().MainMenu();
}

void WINL_SetCurrentMenu(HMENU menu) {
    if (asMenu(menu) && !g_winl_terminating) wsys::App().SetMainMenu(menu);
}
