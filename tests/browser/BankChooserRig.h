#pragma once

#include "src/browser/BankChooser.h"
#include "tests/browser/BrowserRig.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// A patches folder of generated bank files, loaded by the browser plug-in's real librarian,
// with the slot grid, for the bank menus. Each bank holds 100 entries named after the file
// ("B.syx" holds "B 1" .. "B 100").
struct BankChooserRig {
    BankChooserRig() {
        std::filesystem::create_directories(patches);
        // The displays are given bank indices, which their clamp must not hide.
        for (int list : {kPatchSelectionListUpper, kPatchSelectionListLower}) {
            p.GetParam(list)->InitEnum("Bank Selection List", 0, 1000);
            p.keptControl(list)->Clamp(0, 1000);
        }
    }

    // A bank file at `path` below the patches folder: 's' sounds of the category, 'm' multis,
    // 'p' patterns.
    void bank(const std::string& path, char kind = 's', const std::string& category = "Pad ") {
        const std::filesystem::path file = patches + "/" + path;
        std::filesystem::create_directories(file.parent_path());
        const std::string stem = file.stem().string();
        testsupport::writeFile(file.string(),
                               testsupport::rawBankFile(kind == 'm'   ? testsupport::multiDumps(100, stem)
                                                        : kind == 'p' ? testsupport::patternDumps(100, stem)
                                                                      : testsupport::soundDumps(100, stem, category)));
    }
    void load() {
        p.librarian.initBankFilesOnDiscard(patches);
        if (!p.grid) p.createGrid(1.0, 8, 30);
    }

    // Position in the bank list of the bank with that file name and holding folder.
    static int indexOf(const std::vector<PatchFile*>& banks, const std::string& fileName,
                       const std::string& folder = "Patches", bool last = false) {
        int found = -1;
        for (size_t k = 0; k < banks.size(); ++k)
            if (banks[k]->fileName == fileName && banks[k]->holdingFolder == folder &&
                (found < 0 || last))
                found = int(k);
        return found;
    }

    // Answers the next popup with the path of item texts (empty: dismissed) and clicks.
    void click(BankChooser& chooser, Lines path) {
        p.g->menuScript.push_back(std::move(path));
        chooser.OnMouseDown(0, 0, &left);
    }
    // The menu as a dismissed popup showed it.
    Lines outline(BankChooser& chooser) {
        int index = 0;
        chooser.doPopupMenu(index);
        return p.g->menus.back().outline();
    }
    // The side's librarian index, its list parameter and the value of its bank-list display.
    std::string side(bool upper) const {
        const int list = upper ? kPatchSelectionListUpper : kPatchSelectionListLower;
        char s[64];
        snprintf(s, sizeof s, "%d %g %g",
                 (upper ? p.librarian.upperBankIndex : p.librarian.lowerBankIndex).load(),
                 p.GetParam(list)->Value(), p.keptControl(list)->GetValue());
        return s;
    }
    static std::string at(int k) { return std::to_string(k) + " " + std::to_string(k) + " " + std::to_string(k); }
    Lines remembered(LibrarianHost::BankPosition position) const {
        return {p.rememberedFileName(position), p.rememberedFolder(position)};
    }
    // The name in the grid's first slot, without its trailing blanks.
    std::string firstName(int side) const {
        const std::string name = p.grid->getSlot(LibrarianViewControl::Side(side), 0).GetTextForPlug();
        return name.substr(0, name.find_last_not_of(' ') + 1);
    }

    testsupport::TempFolder folder;
    const std::string patches = folder.path() + "/Patches";
    testsupport::FakeBrowserPlugin p;
    IMouseMod left{true, false};
};

inline const IRECT kUpperArea(394, 188, 810, 207), kLowerArea(394, 461, 810, 480);
