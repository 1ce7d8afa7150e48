#include "kit/effect/IPopupMenu.h"

IPopupMenu::~IPopupMenu() {
    Clear();
}

void IPopupMenu::Clear() {
    m_items.Empty(true);
}

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* item, int index) {
    if (!item) return nullptr;
    if (index == -1) index = m_items.GetSize();
    if (m_items.Insert(index, item)) return item;
    delete item;
    return nullptr;
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int flags) {
    return AddItem(new IPopupMenuItem(text, flags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* submenu) {
    return AddItem(new IPopupMenuItem(text, submenu), index);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index) {
    return AddItem("", index, IPopupMenuItem::kSeparator);
}

void IPopupMenu::SetPrefix(int prefix) {
    if (prefix >= kPrefixNone && prefix <= kPrefixThreeDigits) m_prefix = prefix;
}

const char* IPopupMenu::PrefixFormat(int prefix) {
    static const char* const formats[] = {"", "%1d: ", "%02d: ", "%03d: "};
    return prefix >= kPrefixNone && prefix <= kPrefixThreeDigits ? formats[prefix] : "";
}

const char* IPopupMenu::GetItemText(int index) const {
    const IPopupMenuItem* item = GetItem(index);
    return item ? item->GetText() : "";
}

bool IPopupMenu::CheckItem(int index, bool checked) {
    IPopupMenuItem* item = GetItem(index);
    if (!item) return false;
    item->SetChecked(checked);
    return true;
}

void IPopupMenu::CheckItemAlone(int index) {
    for (int i = 0; i < GetNItems(); ++i)
        GetItem(i)->SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const {
    const IPopupMenuItem* item = GetItem(index);
    return item && item->GetChecked();
}
