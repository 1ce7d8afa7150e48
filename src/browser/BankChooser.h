#pragma once

#include "kit/effect/IControl.h"
#include "kit/effect/IPopupMenu.h"
#include "src/librarian/LibrarianHost.h"

#include <memory>
#include <string>
#include <vector>

class BrowserPlugin;
class PatchLibrarian;
struct SubFolderFiles;

// An invisible strip over the librarian page (or the program page) whose click opens a menu
// of bank files, by folder, by category or as a flat list of search results, and makes the
// chosen bank that of the upper or the lower slot grid. Every member is one row of a table:
// the tree and bank list it offers, its side, the remembered bank it keeps and its menu shape.
//
// Menus are rebuilt from the librarian's trees on request; a bank is found again after a
// rebuild by its file name and holding folder, never by a position that a reload may move.
// Runs on the editor's thread; the librarian's mutex is held only while its trees and lists
// are read, never while the menu is open.
class BankChooser : public IControl {
public:
    enum Row {
        kLeftPatch,
        kRightPatch,
        kLeftPerf,
        kRightPerf,
        kLeftPattern,
        kRightPattern,
        kRightCategory,
        kRightSearch,
        kPerfBankName,
        kProgBankName
    };

    // Builds the menu at once with index 0 and the row's remembered bank for start-up.
    // Neither the plug-ins nor the librarian are owned.
    BankChooser(IEffectBase* plug, PatchLibrarian* librarian, IRECT area, BrowserPlugin* browser,
                Row row);
    ~BankChooser() override;

    // Frees the previous menus and builds them anew; the first bank that is (name, folder), or
    // else the bank at the running position `index`, gets the one check. Every bank of the
    // list that is (name, folder) then becomes the side's bank, the last one winning. True.
    bool refreshFolderStructure(int index, const std::string& name, const std::string& folder);
    // The plug-in's rebuild after a reload or a mode switch: index 0 and the remembered bank.
    // Without `select` the menu is only refilled: no bank becomes the side's.
    void rebuild(bool select = true);
    // Moves the one check to the item of bank `index` of the list; an index that names no
    // bank changes nothing.
    void checkMenuItemAlone(int index);
    // Shows the menu; a chosen bank is checked alone, remembered (also when it cannot be
    // found in the list, then with the texts found) and its position written into `index`.
    // Returns `index`, or 0 when the menu was dismissed.
    int doPopupMenu(int& index);

    // Any click opens the menu; a dismissed menu re-applies the side's current bank.
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;

    // The menu the click opens.
    const IPopupMenu& topMenu() const { return *m_top; }
    Row row() const { return m_row; }

protected:
    // Opens the menu on the side's current bank and applies the outcome to the side's
    // parameter, bank-list display and librarian index.
    void chooseAndApply();

    PatchLibrarian* m_librarian;
    BrowserPlugin* m_browser;

private:
    struct Registered {
        std::string name;
        IPopupMenu* menu;
    };
    struct CheckTest;

    bool isUpper() const;
    // Frees the previous menus and builds them anew with the one check; returns the banks of
    // the list that are (name, folder).
    std::vector<int> refill(int index, const std::string& name, const std::string& folder);
    IPopupMenu* newMenu();
    void build(CheckTest& test);
    // A submenu for the folder, with one for each of its sub-folders when asked for.
    void appendFolder(const SubFolderFiles& folder, bool subFolders, CheckTest& test);
    void appendBank(IPopupMenu* menu, const std::string& fileName, const std::string& folder,
                    CheckTest& test);
    // Makes bank k the side's bank, telling the parameter's controls when `notify` is set.
    void showBank(int k, bool notify);

    const Row m_row;
    // The index handed to the menu by the last click.
    int m_chosenBank = 0;
    std::unique_ptr<IPopupMenu> m_top;
    // Every menu of the current build; the items point at them but do not own them.
    std::vector<std::unique_ptr<IPopupMenu>> m_menus;
    // The menus a choice can be mapped back from, each with the folder its banks lie in.
    std::vector<Registered> m_registered;
};

// The eight bank-file choosers of the librarian page, one row each.
template <BankChooser::Row R> class BankChooserOf : public BankChooser {
public:
    BankChooserOf(IEffectBase* plug, PatchLibrarian* librarian, IRECT area, BrowserPlugin* browser)
        : BankChooser(plug, librarian, area, browser, R) {}
};
class LeftPatchPopupMenu : public BankChooserOf<BankChooser::kLeftPatch> {
    using BankChooserOf::BankChooserOf;
};
class RightPatchPopupMenu : public BankChooserOf<BankChooser::kRightPatch> {
    using BankChooserOf::BankChooserOf;
};
class LeftPerfPopupMenu : public BankChooserOf<BankChooser::kLeftPerf> {
    using BankChooserOf::BankChooserOf;
};
class RightPerfPopupMenu : public BankChooserOf<BankChooser::kRightPerf> {
    using BankChooserOf::BankChooserOf;
};
class LeftPatternPopupMenu : public BankChooserOf<BankChooser::kLeftPattern> {
    using BankChooserOf::BankChooserOf;
};
class RightPatternPopupMenu : public BankChooserOf<BankChooser::kRightPattern> {
    using BankChooserOf::BankChooserOf;
};
class RightCategoryPopupMenu : public BankChooserOf<BankChooser::kRightCategory> {
    using BankChooserOf::BankChooserOf;
};
class RightSearchPopupMenu : public BankChooserOf<BankChooser::kRightSearch> {
    using BankChooserOf::BankChooserOf;
};
