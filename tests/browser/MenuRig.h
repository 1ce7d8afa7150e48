#pragma once

#include "src/browser/BankEditPopupMenu.h"
#include "src/browser/BankNumberPopupMenu.h"
#include "src/browser/ProgramNumberPopupMenu.h"
#include "tests/browser/BrowserRig.h"

#include <sstream>

struct LibrarianMenus {
    ProgramNumberPopupMenu* program;
    BankNumberPopupMenu* bank;
    BankEditPopupMenu* edit;
};

// The menus as the plug-in makes them, each on a layer of its own attached to the editor:
// the program page's two shown, the bank edit menu's hidden. Their parameters get the
// plug-in's ranges; the editor owns the menus.
template <class Plug>
LibrarianMenus attachMenus(Plug& p) {
    for (int part = 0; part < 16; ++part)
        p.GetParam(kMultiPartPatch + part)->InitInt("Program", 0, 0, 99);
    p.GetParam(kMultiBank)->InitInt("Multi Bank", 0, 0, 3);
    p.GetParam(kMultiPatch)->InitInt("Multi Program", 0, 0, 99);
    p.GetParam(kPatchSelectionListUpper)->InitInt("Upper Bank", 0, 0, 9999);
    p.GetParam(kDisplayAboutWindow)->InitInt("About", 0, 0, 1);
    auto onLayer = [&](int id, const char* name, IControl* menu, bool hidden) {
        auto* layer = new ControlLayer(id, name);
        layer->addControl(menu);
        p.GetGUI()->AttachLayer(layer);
        layer->Hide(hidden);
    };
    LibrarianMenus m;
    m.edit = new BankEditPopupMenu(&p, &p.librarian, IRECT(839, 187, 916, 205), &p);
    m.program = new ProgramNumberPopupMenu(&p, &p.librarian, IRECT(1184, 60, 1229, 84), &p);
    m.bank = new BankNumberPopupMenu(&p, &p.librarian, IRECT(1142, 60, 1180, 84), &p);
    onLayer(74, "BANKEDITMENU", m.edit, true);
    onLayer(76, "PROGRAMNUMBERMENU", m.program, false);
    onLayer(77, "BANKNUMBERMENUPROGRAMS", m.bank, false);
    return m;
}

// The three banks and the menus; part 3 is current.
struct MenuRig : BrowserRig {
    MenuRig() : menus(attachMenus(p)) { p.currentPart = 3; }

    // Clicks the menu, answered by the path of item texts separated by ">" ("" dismisses);
    // returns the menu as it was shown.
    const testsupport::TestGraphics::ShownMenu& click(IControl* menu, const std::string& path) {
        std::vector<std::string> items;
        std::istringstream texts(path);
        for (std::string text; std::getline(texts, text, '>');)
            items.push_back(text);
        p.g->menuScript.push_back(items);
        IMouseMod left{true, false};
        menu->OnMouseDown(menu->GetRECT().L, menu->GetRECT().T, &left);
        return p.g->menus.back();
    }
    // The lines of the shown menu's outline that are checked.
    static std::vector<std::string> checked(const testsupport::TestGraphics::ShownMenu& menu) {
        std::vector<std::string> lines;
        for (const std::string& line : menu.outline())
            if (line.size() > 2 && line.compare(line.size() - 2, 2, " *") == 0) lines.push_back(line);
        return lines;
    }
    // The job as the tests compare it: its code and every argument the menus write.
    static std::string job(const SenderJob& j) {
        auto n = [](int v) { return std::to_string(v); };
        return n(j.command) + " part=" + n(j.part) + " bank=" + n(j.bank) + " toEditor=" +
               n(j.toEditor) + " store=" + n(j.dumpOption1) + n(j.dumpOption2) +
               " editBuffer=" + n(j.editBuffer);
    }

    LibrarianMenus menus;
};
