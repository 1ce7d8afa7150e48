#include "platform/wsys/Menu.h"

#include "platform/wsys/KeyLayout.h"

namespace platform::wsys {

namespace {

constexpr unsigned kEquivalentModifiers =
    kShiftKeyMask | kControlKeyMask | kAlternateKeyMask | kCommandKeyMask;

bool isUpperLetter(char16_t c) {
    return c >= u'A' && c <= u'Z';
}

char16_t lower(char16_t c) {
    return isUpperLetter(c) ? char16_t(c + 32) : c;
}

// Whether the key-down types the item's key equivalent: its unshifted character with exactly
// the item's modifiers (Shift implied by an upper-case letter), or the shifted character with
// the item's modifiers plus the Shift that typed it.
bool typesKeyEquivalent(const MenuItem& item, const Event& e) {
    if (item.KeyEquivalent().size() != 1) return false;
    const char16_t key = item.KeyEquivalent()[0];
    unsigned mask = item.KeyEquivalentModifierMask() & kEquivalentModifiers;
    if (isUpperLetter(key)) mask |= kShiftKeyMask;
    const unsigned held = e.modifierFlags & kEquivalentModifiers;
    const char16_t plain = KeyLayout::Translate(e.keyCode, 0);
    if (plain && lower(key) == plain && mask == held) return true;
    const std::u16string& shifted = e.charactersIgnoringModifiers;
    return shifted.size() == 1 && shifted[0] != plain && shifted[0] == key &&
           (mask | kShiftKeyMask) == held;
}

} // namespace

Ref<MenuItem> MenuItem::SeparatorItem() {
    Ref<MenuItem> item = Make<MenuItem>(std::string(), nullptr, std::u16string());
    item->m_separator = true;
    item->m_enabled = false;
    return item;
}

Ref<MenuItem> MenuItem::Copy() const {
    Ref<MenuItem> copy = Make<MenuItem>(m_title, m_action, m_keyEquivalent);
    copy->m_tag = m_tag;
    copy->m_state = m_state;
    copy->m_enabled = m_enabled;
    copy->m_separator = m_separator;
    copy->m_represented = m_represented;
    copy->m_target = m_target;
    copy->m_keyMask = m_keyMask;
    copy->m_image = m_image;
    if (m_submenu) copy->m_submenu = m_submenu->Copy();
    return copy;
}

void MenuItem::Dealloc() {
    if (m_submenu) m_submenu->m_supermenu = nullptr;
    Object::Dealloc();
}

// ---------------------------------------------------------------------------------------------

void Menu::Dealloc() {
    for (const Ref<MenuItem>& item : m_items)
        item->m_menu = nullptr;
    Object::Dealloc();
}

MenuItem* Menu::ItemAtIndex(int index) const {
    return index >= 0 && index < NumberOfItems() ? m_items[size_t(index)].get() : nullptr;
}

MenuItem* Menu::ItemWithTag(int tag) const {
    return ItemAtIndex(IndexOfItemWithTag(tag));
}

int Menu::IndexOfItem(const MenuItem* item) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i] == item) return int(i);
    return -1;
}

int Menu::IndexOfItemWithTag(int tag) const {
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i]->m_tag == tag) return int(i);
    return -1;
}

void Menu::InsertItem(MenuItem* item, int index) {
    if (!item) return;
    Ref<MenuItem> keep(item);
    if (Menu* old = item->m_menu) {
        for (int i = 0; i < old->NumberOfItems(); ++i)
            if (old->m_items[size_t(i)] == item) old->RemoveItemAtIndex(i);
    }
    if (index < 0 || index > NumberOfItems()) index = NumberOfItems();
    m_items.insert(m_items.begin() + index, keep);
    item->m_menu = this;
    if (item->m_submenu) item->m_submenu->m_supermenu = this;
}

void Menu::RemoveItemAtIndex(int index) {
    MenuItem* item = ItemAtIndex(index);
    if (!item) return;
    item->m_menu = nullptr;
    if (item->m_submenu) item->m_submenu->m_supermenu = nullptr;
    m_items.erase(m_items.begin() + index);
}

void Menu::SetSubmenu(Menu* submenu, MenuItem* item) {
    if (!item) return;
    Ref<Menu> keep(submenu);
    if (item->m_submenu) item->m_submenu->m_supermenu = nullptr;
    if (submenu && submenu->m_supermenu) {
        for (const Ref<MenuItem>& other : submenu->m_supermenu->m_items)
            if (other->m_submenu == submenu) other->m_submenu = nullptr;
    }
    item->m_submenu = keep;
    if (submenu) submenu->m_supermenu = item->m_menu;
}

Ref<Menu> Menu::Copy() const {
    Ref<Menu> copy = Make<Menu>(m_title);
    copy->m_autoenables = m_autoenables;
    copy->m_delegate = m_delegate;
    for (const Ref<MenuItem>& item : m_items)
        copy->AddItem(item->Copy().get());
    return copy;
}

bool Menu::PerformKeyEquivalent(const Event& e) {
    if (e.type != kKeyDown) return false;
    Ref<Menu> keep(this);
    const std::vector<Ref<MenuItem>> items = m_items;
    for (const Ref<MenuItem>& item : items) {
        if (item->m_submenu) {
            if (item->m_submenu->PerformKeyEquivalent(e)) return true;
        } else if (item->m_enabled && typesKeyEquivalent(*item, e)) {
            if (item->m_action) item->m_action(item->m_target, item.get());
            return true;
        }
    }
    return false;
}

} // namespace platform::wsys
