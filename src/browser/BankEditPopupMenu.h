#pragma once

#include "kit/effect/IPopupMenu.h"
#include "src/browser/LibrarianMenuButton.h"

#include <string>

// The librarian page's bank edit button: one menu of the librarian's actions for the current
// data type. Dump requests into the editor or the librarian, stores of librarian entries
// into the synthesizer, a full sync and push, saving, importing, reloading the patches
// folder and opening the data folder. The jobs it posts are dropped without a word while
// the job thread is busy, and then change nothing.
class BankEditPopupMenu : public LibrarianMenuButton {
public:
    // The main menu and its submenus, in the order the control holds them.
    enum Menu {
        kMain,
        kSoundRequest,
        kMultiRequest,
        kSoundStore,
        kMultiStore,
        kSaveAs,
        kImport,
        kSequenceRequest,
        kSequenceStore,
        kMenuCount
    };

    BankEditPopupMenu(IEffectBase* plug, PatchLibrarian* librarian, IRECT rect,
                      BrowserPlugin* plugin);

    // Empties every menu and fills the main menu, the request and store menus of the current
    // data type, and the save-as and import menus.
    void AddMenuItemsIn(BrowserPlugin* plugin);
    // Shows the main menu and carries out the choice. A request or store submenu built for
    // another data type than the current one does nothing. No item stays checked.
    void doPopupMenu(BrowserPlugin* plugin);

    void OnMouseDown(int x, int y, IMouseMod* mod) override;

private:
    // Carries out item `index` of a menu.
    void run(BrowserPlugin* plugin, Menu menu, int index);
    // A bank saved in either way matches a file again: it is no longer unsaved.
    void save(BrowserPlugin* plugin);
    void saveAs(BrowserPlugin* plugin, bool asMidi);

    // Held by value: the main menu's submenu items point at them and never own them.
    IPopupMenu m_menus[kMenuCount];
};
