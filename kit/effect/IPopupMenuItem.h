#pragma once

#include "kit/base/KIT_String.h"

class IPopupMenu;

// One entry of a popup menu: its text, the flags that say how it is shown and, when it
// opens one, a submenu that belongs to whoever made it.
class IPopupMenuItem {
public:
    enum Flags { kNoFlags = 0, kDisabled = 1, kTitle = 2, kChecked = 4, kSeparator = 8 };

    explicit IPopupMenuItem(const char* text, int flags = kNoFlags)
        : m_text(text ? text : ""), m_flags(flags) {}
    IPopupMenuItem(const char* text, IPopupMenu* submenu)
        : m_text(text ? text : ""), m_submenu(submenu) {}

    const char* GetText() const { return m_text.Get(); }
    IPopupMenu* GetSubmenu() const { return m_submenu; }
    int GetFlags() const { return m_flags; }
    bool GetEnabled() const { return !(m_flags & kDisabled); }
    bool GetChecked() const { return m_flags & kChecked; }
    bool GetIsTitle() const { return m_flags & kTitle; }
    bool GetIsSeparator() const { return m_flags & kSeparator; }

    void SetChecked(bool checked) {
        m_flags = checked ? (m_flags | kChecked) : (m_flags & ~kChecked);
    }

private:
    KIT_String m_text;
    IPopupMenu* m_submenu = nullptr;
    int m_flags = kNoFlags;
};
