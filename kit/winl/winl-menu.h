#pragma once

// Menus: HMENU handles, items addressed by command id or by position, their texts, states,
// data and submenus, menus built from resource records and lists, the window menu bar and
// context menus. Window views receive a chosen item as WM_COMMAND (the id in wParam) and are
// asked to prepare a menu that opens with WM_INITMENUPOPUP (the menu in wParam). UI thread.

#include "kit/winl/winl-dlg.h"
#include "platform/wsys/Menu.h"

#include <cstdint>

// Every menu made here: the platform's menu with automatic enabling switched off, so an
// item is enabled exactly as the calls below leave it.
typedef platform::wsys::Menu Winl_vZoz_menu;

// MENUITEMINFO masks: the layer's own numbers.
enum : unsigned int {
    MIIM_ID = 1,
    MIIM_STATE = 2,
    MIIM_TYPE = 4,
    MIIM_SUBMENU = 8,
    MIIM_DATA = 16,
};
constexpr unsigned int MFT_STRING = 0, MFT_BITMAP = 4, MFT_SEPARATOR = 0x800;
// Either of the first two disables an item.
constexpr unsigned int MFS_GRAYED = 1, MFS_DISABLED = 2, MFS_CHECKED = 8;
// Flags of the short calls.
enum : unsigned int {
    MF_GRAYED = 1,
    MF_DISABLED = 2,
    MF_BITMAP = 4,
    MF_CHECKED = 8,
    MF_POPUP = 0x10,
    MF_BYPOSITION = 0x400,
    MF_SEPARATOR = 0x800,
};
// TrackPopupMenu: no WM_INITMENUPOPUP nor WM_COMMAND to the window; return the command.
enum : unsigned int { TPM_NONOTIFY = 0x80, TPM_RETURNCMD = 0x100 };
// SetMenuItemModifier: code is a virtual-key code, and the modifiers.
enum : int {
    WINL_MOD_VIRTKEY = 1,
    WINL_MOD_SHIFT = 4,
    WINL_MOD_COMMAND = 8,
    WINL_MOD_OPTION = 16,
    WINL_MOD_CONTROL = 32,
};

struct MENUITEMINFO {
    unsigned int cbSize; // 44 on the original system; not checked
    unsigned int fMask;
    unsigned int fType;
    unsigned int fState;
    unsigned int wID;
    HMENU hSubMenu;
    HGDIOBJ hbmpChecked;   // not used
    HGDIOBJ hbmpUnchecked; // not used
    uintptr_t dwItemData;
    char* dwTypeData; // the text, or for an image item the image's HGDIOBJ
    unsigned int cch; // bytes of dwTypeData that GetMenuItemInfo may write, the zero included
};

// A menu resource: a static record that fills a new menu; the program chains them.
struct WINL_MenuResourceIndex {
    uintptr_t resid;
    void (*createFunc)(HMENU menu);
    WINL_MenuResourceIndex* next;
};

// One pair of a menu list. Text null: a separator; "EN%%%^:": ends the current submenu;
// "/.BO^O:" followed by a title: a submenu filled by the pairs that follow; otherwise a
// command whose id is the low 16 bits of id, greyed when id is 0x10000 or more.
struct WINL_MenuListEntry {
    const char* text;
    uintptr_t id;
};

// The command receiver while a context menu is open: keeps the chosen command, and asks its
// window to prepare each submenu that opens.
class Winl_vZoz_trackpopupmenurecv : public platform::wsys::Object,
                                     public WinlCommandTarget,
                                     public platform::wsys::MenuDelegate {
public:
    explicit Winl_vZoz_trackpopupmenurecv(HWND wnd) : m_wnd(wnd) {}
    // Keeps the item's tag when it is not 0.
    void onWinlCommand(platform::wsys::Object* sender) override;
    int isCommand() const { return m_cmd; }
    // WM_INITMENUPOPUP (menu, 0) to the window, then the menu's items, those its handler added
    // included, are routed here.
    void MenuNeedsUpdate(platform::wsys::Menu* menu) override;

private:
    int m_cmd = 0;
    HWND m_wnd;
};

// Menus. A handle made here carries one reference, which DestroyMenu gives back; attaching a
// menu as a submenu hands that reference to the item.
HMENU CreatePopupMenu();
// With the title cleaned (the text clean-up below); a null title is CreatePopupMenu.
HMENU CreatePopupMenuEx(const char* title);
void DestroyMenu(HMENU menu);
HMENU WINL_DuplicateMenu(HMENU menu);
int GetMenuItemCount(HMENU menu);
HMENU GetSubMenu(HMENU menu, int pos);
// 0 outside the items, -1 for an item that opens a submenu.
int GetMenuItemID(HMENU menu, int pos);

// Items are addressed by position with MF_BYPOSITION (or by-position true), else by command
// id: in this menu, then in each submenu depth first. Texts are cleaned: cut at the first
// TAB, a '&' dropped and the character after it kept, at most 1023 characters.
bool SetMenuItemText(HMENU menu, int idx, unsigned int flags, const char* text);
// Enabled exactly when MF_GRAYED is clear. 1 when the item was found, else 0.
int EnableMenuItem(HMENU menu, int idx, unsigned int flags);
int CheckMenuItem(HMENU menu, int idx, unsigned int flags);
// The key equivalent: code and the WINL_MOD_* bits in mods.
bool SetMenuItemModifier(HMENU menu, int idx, unsigned int flags, int code, int mods);
// A text item (title as given) at pos, enabled; 0, or -1 for a null menu.
int AddMenuItem(HMENU menu, int pos, const char* name, int tag);
// Appends a command (greyed for non-zero flags), or a separator for a null name.
void WINL_Menu_AddMenuItem(HMENU menu, const char* name, int idx, unsigned int flags);
// Win32's InsertMenu: MF_POPUP makes idx the submenu, MF_SEPARATOR a separator, MF_BITMAP
// text the image.
void WINL_InsertMenu(HMENU menu, int pos, unsigned int flags, uintptr_t idx, const char* text);
// A position outside the items appends; by command id, before the item with that id.
void InsertMenuItem(HMENU menu, int pos, bool byPosition, const MENUITEMINFO* info);
int SetMenuItemInfo(HMENU menu, int idx, bool byPosition, const MENUITEMINFO* info);
// The title is written as UTF-8 within cch bytes, cut between characters, always terminated.
int GetMenuItemInfo(HMENU menu, int idx, bool byPosition, MENUITEMINFO* info);
bool DeleteMenu(HMENU menu, int idx, unsigned int flags);
// Routes the items' commands, in submenus too, to dest's onWinlCommand and makes dest the
// delegate; null only clears the targets. A dest that takes no commands changes nothing.
void WINL_SetMenuDestination(HMENU menu, HWND dest);
// Shows a context menu at the screen point (x, y), y up, in hwnd's window (the key window's
// without one) and waits until it closes. 0 when nothing was chosen or there is nowhere to
// show it; the command with TPM_RETURNCMD; else 1, after WM_COMMAND (command, 0) to hwnd.
int TrackPopupMenu(HMENU menu, unsigned int flags, int x, int y, int reserved, HWND hwnd,
                   const RECT* rect);
// A new menu filled by the record with the id, or null.
HMENU WINL_LoadMenu(const WINL_MenuResourceIndex* head, uintptr_t resid);
// Appends the list's items; the number of pairs consumed including the end pair, or count + 1
// when the list ran out without one.
int WINL_GenerateMenuFromList(HMENU menu, const WINL_MenuListEntry* list, int count);
// Stores the menu with the window view (a window's content view); when that is the key
// window's content view the menu becomes the main menu and the view gets WM_INITMENUPOPUP.
// 0 when the handle keeps no menu or the layer is terminating.
int SetMenu(HWND hwnd, HMENU menu);
HMENU GetMenu(HWND hwnd);
void DrawMenuBar(HWND hwnd);
HMENU WINL_GetCurrentMenu();
void WINL_SetCurrentMenu(HMENU menu);
