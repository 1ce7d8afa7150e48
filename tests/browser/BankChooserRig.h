#pragma once

#include "src/browser/BankChooser.h"
#include "tests/browser/BrowserRig.h"

#include <filesystem>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

inline const IRECT kUpperArea(394, 188, 810, 207), kLowerArea(394, 461, 810, 480);

// Generated bank files below "Patches", loaded by the browser plug-in's real librarian, with
// the slot grid. A file whose name begins with M holds 100 multis, with P 100 patterns, else
// 100 sounds of the category named like the file; entries are named after the file ("B 1"..).
struct BankChooserRig {
    BankChooserRig() {
        for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower})
            p.GetParam(list)->InitEnum("Bank Selection List", 0, 1000);
    }
    // Adds the files and loads the patches folder anew.
    void load(const Lines& paths = {}) {
        using namespace testsupport;
        std::filesystem::create_directories(patches);
        for (const std::string& path : paths) {
            const std::filesystem::path file = patches + "/" + path;
            std::filesystem::create_directories(file.parent_path());
            const std::string s = file.stem().string();
            writeFile(file.string(), rawBankFile(s[0] == 'M'   ? multiDumps(100, s)
                                                 : s[0] == 'P' ? patternDumps(100, s)
                                                               : soundDumps(100, s, s)));
        }
        p.librarian.initBankFilesOnDiscard(patches);
        if (!p.grid) p.createGrid(1.0, 8, 30);
    }
    // The banks of the list with that file name and holding folder.
    static std::vector<int> find(const std::vector<PatchFile*>& banks, const std::string& fileName,
                                 const std::string& folder = "Patches") {
        std::vector<int> found;
        for (size_t k = 0; k < banks.size(); ++k)
            if (banks[k]->fileName == fileName && banks[k]->holdingFolder == folder) found.push_back(int(k));
        return found;
    }
    // Answers the next popup with the path of item texts (empty: dismissed) and clicks.
    void click(BankChooser& chooser, Lines path) {
        p.g->menuScript.push_back(std::move(path));
        IMouseMod left(true, false);
        chooser.OnMouseDown(0, 0, &left);
    }
    // The menu as a dismissed popup shows it.
    Lines outline(BankChooser& chooser) {
        int index = 0;
        chooser.doPopupMenu(index);
        return p.g->menus.back().outline();
    }
    // The side's bank when its librarian index, list parameter and bank-list display agree
    // on it, else -1.
    int side(bool upper) const {
        const int list = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
        const int index = upper ? p.librarian.upperBankIndex : p.librarian.lowerBankIndex;
        const IParam* param = p.GetParam(list);
        const bool agree =
            param->Value() == index && p.keptControl(list)->GetValue() == param->GetNormalized();
        return agree ? index : -1;
    }
    Lines remembered(LibrarianHost::BankPosition position) const {
        return {p.rememberedFileName(position), p.rememberedFolder(position)};
    }
    // The grid's first name, without its trailing blanks.
    std::string firstName(int side) const {
        const std::string name = p.grid->getSlot(LibrarianViewControl::Side(side), 0).GetTextForPlug();
        return name.substr(0, name.find_last_not_of(' ') + 1);
    }

    testsupport::TempFolder folder;
    const std::string patches = folder.path() + "/Patches";
    testsupport::FakeBrowserPlugin p;
};
