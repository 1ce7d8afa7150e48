// Items of drop-down lists and editable combo boxes, by dialog and id or through CB_*
// messages.
#include "kit/winl/winl-wnd-controls.h"

#include "kit/winl/winl-wnd.h"
#include "platform/wsys/Menu.h"
#include "platform/wsys/String.h"

#include <cstring>
#include <strings.h>

namespace wsys = platform::wsys;

namespace {

constexpr int kFindBufferSize = 4096;
constexpr int kMessageTextSize = 1024;

// The control of either kind; both null when there is none.
struct Combo {
    HWND handle = nullptr;
    wsys::PopUpButton* list = nullptr;
    wsys::ComboBox* box = nullptr;
    explicit operator bool() const { return list || box; }
};

Combo comboOf(HWND hwnd) {
    return Combo{hwnd, dynamic_cast<wsys::PopUpButton*>(hwnd), dynamic_cast<wsys::ComboBox*>(hwnd)};
}

Combo comboAt(HWND dialog, int id) {
    return comboOf(GetDlgItem(dialog, id));
}

int count(const Combo& c) {
    return c.list ? c.list->NumberOfItems() : c.box ? c.box->NumberOfItems() : 0;
}

bool inRange(const Combo& c, int index) {
    return index >= 0 && index < count(c);
}

wsys::Ref<wsys::String> itemText(const Combo& c, int index) {
    const std::string utf8 = c.list ? c.list->GetMenu()->ItemAtIndex(index)->Title()
                                    : c.box->ItemObjectValueAtIndex(index);
    return wsys::String::FromUtf8(utf8);
}

KIT_PtrList<char>* itemData(const Combo& c) {
    auto* own = dynamic_cast<Winl_vZoz_cbox*>(c.box);
    return own ? &own->winlItemData() : nullptr;
}

bool sorted(const Combo& c) {
    auto* style = dynamic_cast<WinlStyle*>(c.handle);
    return style && (style->getWinlStyle() & CBS_SORT);
}

// Where text goes among n items kept in order: the bisection stops at an equal item (the new
// one goes before it) or between two neighbours that enclose it.
int sortedPosition(const Combo& c, const std::u16string& text, int n) {
    auto compare = [&](int index) { return text.compare(itemText(c, index)->Units()); };
    int lo = 0, len = n;
    while (len > 0) {
        const int mid = lo + len / 2;
        const int order = compare(mid);
        if (order == 0) return mid;
        if (order > 0) {
            if (mid + 1 == n || compare(mid + 1) <= 0) return mid + 1;
            lo = mid + 1;
            len = (len - 1) / 2;
        } else {
            len /= 2;
        }
    }
    return 0;
}

} // namespace

int WINL_CB_InsertString(HWND dialog, int id, int position, const char* text) {
    const Combo c = comboAt(dialog, id);
    if (!c) return 0;
    const wsys::Ref<wsys::String> str = wsys::Ref<wsys::String>::Adopt(WINL_CStringToCFString(text));
    const int n = count(c);
    const bool append = position == WINL_CB_APPEND;
    if (append || position > n)
        position = n;
    else if (position < 0)
        position = 0;
    if (append && sorted(c)) position = sortedPosition(c, str->Units(), n);
    if (c.box) {
        c.box->InsertItemWithObjectValue(str->ToUtf8Lossy(), position);
        if (KIT_PtrList<char>* words = itemData(c)) words->Insert(position, nullptr);
        c.box->SetNumberOfVisibleItems(n + 1);
    } else if (wsys::Menu* menu = c.list->GetMenu()) {
        menu->InsertItem(wsys::Make<wsys::MenuItem>(str->ToUtf8Lossy(), nullptr, std::u16string()).get(),
                         position);
        menu->ItemAtIndex(position)->SetEnabled(true);
    }
    return position;
}

int WINL_CB_AddString(HWND dialog, int id, const char* text) {
    return WINL_CB_InsertString(dialog, id, WINL_CB_APPEND, text);
}

void WINL_CB_DeleteString(HWND dialog, int id, int index) {
    const Combo c = comboAt(dialog, id);
    if (!inRange(c, index)) return;
    if (c.list) {
        c.list->GetMenu()->RemoveItemAtIndex(index);
        return;
    }
    c.box->RemoveItemAtIndex(index);
    KIT_PtrList<char>* words = itemData(c);
    if (words && index < words->GetSize()) words->Delete(index);
}

int WINL_CB_GetNumItems(HWND dialog, int id) {
    return count(comboAt(dialog, id));
}

int WINL_CB_GetCurSel(HWND dialog, int id) {
    const Combo c = comboAt(dialog, id);
    return c.list ? c.list->IndexOfSelectedItem() : c.box ? c.box->IndexOfSelectedItem() : -1;
}

void WINL_CB_SetCurSel(HWND dialog, int id, int index) {
    const Combo c = comboAt(dialog, id);
    if (!inRange(c, index)) return;
    if (c.list)
        c.list->SelectItemAtIndex(index);
    else
        c.box->SelectItemAtIndex(index);
}

bool WINL_CB_GetItemText(HWND dialog, int id, int index, char* buf, int size) {
    if (buf && size > 0) buf[0] = 0;
    const Combo c = comboAt(dialog, id);
    if (!inRange(c, index)) return false;
    WINL_CFStringToCString(itemText(c, index).get(), buf, buf ? size : 0);
    return true;
}

void WINL_CB_Empty(HWND dialog, int id) {
    const Combo c = comboAt(dialog, id);
    if (c.list) {
        while (c.list->NumberOfItems() > 0)
            c.list->GetMenu()->RemoveItemAtIndex(c.list->NumberOfItems() - 1);
    } else if (c.box) {
        c.box->RemoveAllItems();
        if (KIT_PtrList<char>* words = itemData(c)) words->Empty();
    }
}

LPARAM WINL_CB_GetItemData(HWND dialog, int id, int index) {
    const Combo c = comboAt(dialog, id);
    if (!inRange(c, index)) return 0;
    if (c.list) {
        auto* holder = dynamic_cast<Winl_vZoz_sdh*>(c.list->GetMenu()->ItemAtIndex(index)->RepresentedObject());
        return holder ? LPARAM(holder->getValue()) : 0;
    }
    KIT_PtrList<char>* words = itemData(c);
    return words ? LPARAM(words->Get(index)) : 0;
}

void WINL_CB_SetItemData(HWND dialog, int id, int index, LPARAM value) {
    const Combo c = comboAt(dialog, id);
    if (!inRange(c, index)) return;
    if (c.list) {
        c.list->GetMenu()->ItemAtIndex(index)->SetRepresentedObject(
            wsys::Make<Winl_vZoz_sdh>(intptr_t(value)).get());
    } else if (KIT_PtrList<char>* words = itemData(c)) {
        words->Set(index, reinterpret_cast<char*>(value));
    }
}

int WINL_CB_FindString(HWND dialog, int id, int start, const char* text, bool exact) {
    const Combo c = comboAt(dialog, id);
    if (!c) return 0;
    if (!text) return -1;
    const size_t length = std::strlen(text);
    const int n = count(c);
    for (long i = start < 0 ? 0 : long(start) + 1; i < n; ++i) {
        char item[kFindBufferSize];
        WINL_CFStringToCString(itemText(c, int(i)).get(), item, sizeof item);
        if (exact ? strcasecmp(item, text) == 0 : strncasecmp(item, text, length) == 0) return int(i);
    }
    return -1;
}

bool WINL_CB_Message(HWND hwnd, unsigned int msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg < CB_ADDSTRING || msg > CB_MSGMAX || !comboOf(hwnd)) return false;
    auto* text = reinterpret_cast<const char*>(lParam);
    const int index = int(wParam);
    *result = 0;
    switch (msg) {
    case CB_ADDSTRING:
        *result = WINL_CB_AddString(hwnd, 0, text);
        break;
    case CB_DELETESTRING:
        WINL_CB_DeleteString(hwnd, 0, index);
        *result = 1;
        break;
    case CB_GETCOUNT:
        *result = WINL_CB_GetNumItems(hwnd, 0);
        break;
    case CB_GETCURSEL:
        *result = WINL_CB_GetCurSel(hwnd, 0);
        break;
    case CB_GETLBTEXT:
        *result = WINL_CB_GetItemText(hwnd, 0, index, reinterpret_cast<char*>(lParam), kMessageTextSize);
        break;
    case CB_INSERTSTRING:
        *result = WINL_CB_InsertString(hwnd, 0, index, text);
        break;
    case CB_RESETCONTENT:
        WINL_CB_Empty(hwnd, 0);
        break;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
        *result = text ? WINL_CB_FindString(hwnd, 0, index, text, msg == CB_FINDSTRINGEXACT) : -1;
        break;
    case CB_SETCURSEL:
        WINL_CB_SetCurSel(hwnd, 0, index);
        break;
    case CB_GETITEMDATA:
        *result = WINL_CB_GetItemData(hwnd, 0, index);
        break;
    case CB_SETITEMDATA:
        WINL_CB_SetItemData(hwnd, 0, index, lParam);
        break;
    default:
        break;
    }
    return true;
}
