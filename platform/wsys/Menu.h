#pragma once

#include "platform/Image.h"
#include "platform/wsys/Event.h"
#include "platform/wsys/Geometry.h"
#include "platform/wsys/Object.h"

#include <memory>
#include <string>
#include <vector>

namespace platform::wsys {

class Menu;
class MenuItem;
class View;

// A menu item's action: what AppKit's target and selector stand for.
typedef void (*MenuAction)(Object* target, MenuItem* sender);

// A menu's delegate is told before the menu opens as a submenu, so it may still fill it.
class MenuDelegate {
public:
    virtual void MenuNeedsUpdate(Menu* menu) = 0;

protected:
    ~MenuDelegate() = default;
};

// One entry of a menu: a command with a title, or a separator. Menus run on the UI thread.
class MenuItem : public Object {
public:
    MenuItem(const std::string& title, MenuAction action, const std::u16string& keyEquivalent)
        : m_title(title), m_action(action), m_keyEquivalent(keyEquivalent) {}
    static Ref<MenuItem> SeparatorItem();
    bool IsSeparatorItem() const { return m_separator; }

    // UTF-8.
    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& t) { m_title = t; }
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    // kOnState (1) shows a check mark.
    int State() const { return m_state; }
    void SetState(int state) { m_state = state; }
    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool on) { m_enabled = on; }
    Menu* Submenu() const { return m_submenu.get(); }
    bool HasSubmenu() const { return m_submenu != nullptr; }
    // Retained.
    Object* RepresentedObject() const { return m_represented.get(); }
    void SetRepresentedObject(Object* o) { m_represented = o; }
    // The target is not retained (AppKit's rule): whoever sets it clears it before it goes.
    Object* Target() const { return m_target; }
    void SetTarget(Object* target) { m_target = target; }
    MenuAction Action() const { return m_action; }
    void SetAction(MenuAction action) { m_action = action; }
    // One character or none; an upper-case letter implies Shift.
    const std::u16string& KeyEquivalent() const { return m_keyEquivalent; }
    void SetKeyEquivalent(const std::u16string& key) { m_keyEquivalent = key; }
    // Modifier flags (Shift, Control, Option, Command) the key equivalent needs.
    unsigned KeyEquivalentModifierMask() const { return m_keyMask; }
    void SetKeyEquivalentModifierMask(unsigned mask) { m_keyMask = mask; }
    const std::shared_ptr<Image>& GetImage() const { return m_image; }
    void SetImage(std::shared_ptr<Image> image) { m_image = std::move(image); }
    // The menu that holds the item, or null.
    Menu* GetMenu() const { return m_menu; }
    // A new item with the same fields (not in any menu), its submenu copied too.
    Ref<MenuItem> Copy() const;

protected:
    void Dealloc() override;

private:
    friend class Menu;
    std::string m_title;
    int m_tag = 0;
    int m_state = 0;
    bool m_enabled = true;
    bool m_separator = false;
    Ref<Menu> m_submenu;
    Ref<Object> m_represented;
    Object* m_target = nullptr;
    MenuAction m_action;
    std::u16string m_keyEquivalent;
    unsigned m_keyMask = 0;
    std::shared_ptr<Image> m_image;
    Menu* m_menu = nullptr;
};

// A list of items, some of which open submenus.
class Menu : public Object {
public:
    explicit Menu(const std::string& title = std::string()) : m_title(title) {}

    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& t) { m_title = t; }
    // On by default; kept for callers that switch it off, item states are never changed here.
    bool AutoenablesItems() const { return m_autoenables; }
    void SetAutoenablesItems(bool on) { m_autoenables = on; }
    // Not retained; told when the menu opens as a submenu when it is a MenuDelegate.
    Object* Delegate() const { return m_delegate; }
    void SetDelegate(Object* d) { m_delegate = d; }

    int NumberOfItems() const { return int(m_items.size()); }
    // Null outside 0..count-1.
    MenuItem* ItemAtIndex(int index) const;
    // The first item of this menu (not of its submenus) with the tag, or null.
    MenuItem* ItemWithTag(int tag) const;
    // -1 when no item of this menu has it.
    int IndexOfItemWithTag(int tag) const;
    int IndexOfItem(const MenuItem* item) const;
    // An index outside 0..count appends; an item of another menu leaves it first.
    void InsertItem(MenuItem* item, int index);
    void AddItem(MenuItem* item) { InsertItem(item, NumberOfItems()); }
    void RemoveItemAtIndex(int index);
    // The item opens the submenu (null: none); the submenu leaves any other item first.
    void SetSubmenu(Menu* submenu, MenuItem* item);
    // The menu whose item opens this one, or null.
    Menu* Supermenu() const { return m_supermenu; }
    // A new menu with copies of the items; the delegate is kept.
    Ref<Menu> Copy() const;

    // Performs the action of the first enabled item, here or in a submenu, whose key
    // equivalent the key-down event types; false when none matches.
    bool PerformKeyEquivalent(const Event& e);

    // Shows the menu as a context menu and tracks it until it closes: its top-left corner at
    // the event's location in the view's window (the screen point when it has none). Moves
    // and the arrow keys highlight items and open submenus (whose delegates are told first);
    // a release or Return on an enabled item chooses it, Escape or a press outside the menu
    // dismisses it. The chosen item's action goes to its target after the menu closed.
    static void PopUpContextMenu(Menu* menu, const Event& event, View* view);
    // Shows the menu with its top-left corner at a screen point and tracks it as above; the
    // chosen item (its action not performed), or null when dismissed.
    static Ref<MenuItem> TrackPopUp(Menu* menu, Point topLeft);
    // Where an item sits in the pop-up showing the menu, from the window's top-left corner
    // (y down); the whole window for index -1.
    static Rect ItemFrameInPopUp(const Menu& menu, int index);

protected:
    void Dealloc() override;

private:
    friend class MenuItem;
    std::string m_title;
    bool m_autoenables = true;
    Object* m_delegate = nullptr;
    std::vector<Ref<MenuItem>> m_items;
    Menu* m_supermenu = nullptr;
};

} // namespace platform::wsys
