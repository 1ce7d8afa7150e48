#pragma once

#include "kit/effect/IGraphicsLinux.h"
#include "kit/effect/ITextControl.h"
#include "tests/support/BankFileGenerator.h"
#include "tests/support/FakeBrowserPlugin.h"
#include "tests/support/TestVSTEffect.h"

#include <cstdio>
#include <filesystem>
#include <string>

inline int bankIndex(const PatchLibrarian& lib, const std::string& fileName) {
    for (size_t i = 0; i < lib.soundBanks.size(); ++i)
        if (lib.soundBanks[i]->fileName == fileName) return int(i);
    return -1;
}

// Loads a patches folder, written into `folder`, of three sound banks: "Edit.syx" (sounds
// "Edit 1".."Edit 100") for the upper grid, "Source.syx" ("Sour ..") for the lower and
// "Other.syx" ("Othe ..").
inline void loadThreeBanks(PatchLibrarian& lib, const std::string& folder) {
    using namespace testsupport;
    const std::string patches = folder + "/Patches";
    std::filesystem::create_directories(patches);
    for (const char* name : {"Edit", "Source", "Other"})
        writeFile(patches + "/" + name + ".syx",
                  rawBankFile(soundDumps(100, std::string(name).substr(0, 4), "Pad ")));
    lib.loadPatchesFromFilesystem(patches);
    lib.upperBankIndex = bankIndex(lib, "Edit.syx");
    lib.lowerBankIndex = bankIndex(lib, "Source.syx");
}

// A VST2 plug-in on the Linux editor with the plug-in's whole parameter list and the three
// banks loaded from `folder`; closing it through its effect record deletes it.
using DisplayPlugin = testsupport::BrowserPluginOn<testsupport::TestVSTEffect, IGraphicsLinux>;
inline DisplayPlugin* newDisplayPlugin(const std::string& folder) {
    testsupport::TestVSTEffect::Options everyParameter;
    everyParameter.nParams = kNumParams;
    auto* plug = new DisplayPlugin(
        [](AEffect*, VstInt32, VstInt32, VstIntPtr, void*, float) -> VstIntPtr { return 0; },
        everyParameter);
    loadThreeBanks(plug->librarian, folder);
    return plug;
}

// The three banks in a plug-in whose grid lies at (8, 30) with drags enabled, as on the
// librarian page. Input goes through the editor.
struct BrowserRig {
    explicit BrowserRig(double scale = 1.0) {
        loadThreeBanks(p.librarian, folder.path());
        grid = p.createGrid(scale, 8, 30);
        grid->setDragEnabled(true);
    }

    int bankIndex(const std::string& fileName) const { return ::bankIndex(p.librarian, fileName); }
    PatchFile& bank(const std::string& fileName) {
        return *p.librarian.soundBanks[size_t(bankIndex(fileName))];
    }
    const std::vector<uint8_t>& dump(const std::string& fileName, int slot) {
        return bank(fileName).entries[size_t(slot)].dumps.at(0).bytes;
    }
    // The middle of a slot.
    int sx(int side, int slot) const { return rect(side, slot).L + rect(side, slot).W() / 2; }
    int sy(int side, int slot) const { return rect(side, slot).T + rect(side, slot).H() / 2; }
    const IRECT& rect(int side, int slot) const {
        return grid->getSlot(LibrarianViewControl::Side(side), slot).GetRECT();
    }
    std::string text(int side, int slot) const {
        return grid->getSlot(LibrarianViewControl::Side(side), slot).GetTextForPlug();
    }

    // The grid's selected upper and lower slot, active side and current slot, then the
    // librarian's upper and lower slot index.
    std::string selection() const {
        char s[64];
        snprintf(s, sizeof s, "%d %d %d %d / %d %d", grid->getSelectedSlot(grid->kUpper),
                 grid->getSelectedSlot(grid->kLower), grid->getActiveSide(),
                 grid->getCurrentSlot(), p.librarian.upperSlotIndex.load(),
                 p.librarian.lowerSlotIndex.load());
        return s;
    }

    void leftClick(int side, int slot) { p.g->OnMouseDown(sx(side, slot), sy(side, slot), &left); }
    // A right click answered by the menu path.
    void rightClick(int x, int y, std::vector<std::string> choice) {
        p.g->menuScript.push_back(std::move(choice));
        p.g->OnMouseDown(x, y, &right);
        p.g->OnMouseUp(x, y, &right);
    }
    void rightClickSlot(int side, int slot, std::vector<std::string> choice) {
        rightClick(sx(side, slot), sy(side, slot), std::move(choice));
    }
    // Pressed over the lower slot, dragged through it to (x, y) and released there.
    void dragLowerTo(int from, int x, int y) {
        p.g->OnMouseDown(sx(1, from), sy(1, from), &left);
        p.g->OnMouseDrag(sx(1, from) + 1, sy(1, from), &left);
        p.g->OnMouseDrag(x, y, &left);
        p.g->OnMouseUp(x, y, &left);
    }

    testsupport::TempFolder folder;
    testsupport::FakeBrowserPlugin p;
    LibrarianViewControl* grid;
    IMouseMod left{true, false}, right{false, true};
};
