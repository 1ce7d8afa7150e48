#pragma once

#include "kit/base/KIT_PtrList.h"
#include "kit/effect/IPopupMenuItem.h"

// The platform-free model of a popup menu: the items in order, how their numbers are put in
// front of their texts, and which item the user chose (-1 while none).
class IPopupMenu {
public:
    // Number put before each item's text, counted from 1.
    enum EPrefix { kPrefixNone = 0, kPrefixOneDigit, kPrefixTwoDigits, kPrefixThreeDigits };

    IPopupMenu() = default;
    ~IPopupMenu();
    IPopupMenu(const IPopupMenu&) = delete;
    IPopupMenu& operator=(const IPopupMenu&) = delete;

    // The menu owns every item it takes. An index of -1 appends; any other is held within
    // 0..number of items. An item that cannot be taken (no memory) is deleted and null is
    // returned, whichever overload made it.
    IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
    IPopupMenuItem* AddItem(const char* text, int index = -1, int flags = IPopupMenuItem::kNoFlags);
    IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
    IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu) {
        return AddItem(text, -1, submenu);
    }
    IPopupMenuItem* AddSeparator(int index = -1);
    // Frees every item, the last first; submenus stay, as the menu never owns them.
    void Clear();

    // Values outside the prefix kinds are ignored.
    void SetPrefix(int prefix);
    int GetPrefix() const { return m_prefix; }
    // "%1d: ", "%02d: " or "%03d: " of the 1-based number for the prefix kind; "" for none.
    static const char* PrefixFormat(int prefix);

    int GetNItems() const { return m_items.GetSize(); }
    IPopupMenuItem* GetItem(int index) const { return m_items.Get(index); }
    // "" for an item without text or an index outside the menu.
    const char* GetItemText(int index) const;
    // False when there is no such item.
    bool CheckItem(int index, bool checked);
    // Checks one item and unchecks the rest; -1 unchecks all.
    void CheckItemAlone(int index);
    bool IsItemChecked(int index) const;

    int GetChosenItemIdx() const { return m_chosenItemIdx; }
    void SetChosenItemIdx(int index) { m_chosenItemIdx = index; }

private:
    KIT_PtrList<IPopupMenuItem> m_items;
    int m_prefix = kPrefixNone;
    int m_chosenItemIdx = -1;
};
