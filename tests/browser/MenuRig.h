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

// The menus attached to the editor, with their parameters in the plug-in's ranges.
template <class Plug>
LibrarianMenus attachMenus(Plug& p) {
    for (int part = 0; part < 16; ++part)
        p.GetParam(kMultiPartPatch + part)->InitInt("Program", 0, 0, 99);
    p.GetParam(kMultiBank)->InitInt("Multi Bank", 0, 0, 3);
    p.GetParam(kMultiPatch)->InitInt("Multi Program", 0, 0, 99);
    p.GetParam(kPatchSelectionListUpper)->InitInt("Upper Bank", 0, 0, 9999);
    p.GetParam(kDisplayAboutWindow)->InitInt("About", 0, 0, 1);
    LibrarianMenus m{new ProgramNumberPopupMenu(&p, &p.librarian, {1184, 60, 1229, 84}, &p),
                     new BankNumberPopupMenu(&p, &p.librarian, {1142, 60, 1180, 84}, &p),
                     new BankEditPopupMenu(&p, &p.librarian, {839, 187, 916, 205}, &p)};
    for (IControl* menu : {static_cast<IControl*>(m.program), static_cast<IControl*>(m.bank),
                           static_cast<IControl*>(m.edit)})
        p.GetGUI()->AttachControl(menu);
    return m;
}

// The three banks and the menus; part 3 is current. The job record holds stale values (part
// and bank 9, flags set), so that what a post leaves alone shows.
struct MenuRig : BrowserRig {
    MenuRig() : menus(attachMenus(p)) {
        p.currentPart = 3;
        p.record = staleRecord();
    }
    static SenderJob staleRecord() {
        SenderJob j;
        j.part = j.bank = 9;
        j.toEditor = j.dumpOption2 = j.editBuffer = true;
        return j;
    }

    // Clicks the menu, answered by the path of item texts separated by ">" ("" dismisses, ">"
    // chooses the first item without text); returns the menu as it was shown.
    const testsupport::TestGraphics::ShownMenu& click(IControl* menu, const std::string& path) {
        std::vector<std::string> items;
        std::istringstream texts(path);
        for (std::string text; std::getline(texts, text, '>');)
            items.push_back(text);
        p.g->menuScript.push_back(items);
        menu->OnMouseDown(menu->GetRECT().L, menu->GetRECT().T, &left);
        return p.g->menus.back();
    }
    // The checked lines of the menu's outline.
    static std::vector<std::string> checked(const testsupport::TestGraphics::ShownMenu& menu) {
        std::vector<std::string> lines;
        for (const std::string& line : menu.outline())
            if (line.size() > 2 && line.substr(line.size() - 2) == " *") lines.push_back(line);
        return lines;
    }
    // "jobs|flags|calls", then forgets them and makes the job record stale again: each job as "<code> p<part> b<bank> e<to editor>
    // s<store flags> x<edit buffer>", the flags d (dump awaited), b (manager busy), a
    // (collection armed), the plug-in's calls and change handlings comma-separated.
    std::string outcome() {
        std::string s;
        for (const SenderJob& j : p.jobs)
            s += std::to_string(j.command) + " p" + std::to_string(j.part) + " b" +
                 std::to_string(j.bank) + " e" + std::to_string(j.toEditor) + " s" +
                 std::to_string(j.dumpOption1) + std::to_string(j.dumpOption2) + " x" +
                 std::to_string(j.editBuffer);
        s += std::string("|") + (p.dumpAwaited ? "d" : "") + (p.managerBusy ? "b" : "") +
             (p.requestArmed ? "a" : "") + "|";
        for (int id : p.changes)
            p.calls.push_back("OnParamChange " + std::to_string(id));
        for (size_t i = 0; i < p.calls.size(); ++i)
            s += (i ? "," : "") + p.calls[i];
        p.jobs.clear();
        p.calls.clear();
        p.changes.clear();
        p.dumpAwaited = p.managerBusy = p.requestArmed = false;
        p.record = staleRecord();
        return s;
    }

    LibrarianMenus menus;
};
