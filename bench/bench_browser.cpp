// The librarian page's slot grids: one full draw of both grids of 128 names each, through
// the editor's real text path, with a selected slot in each grid; and the rebuilds of a bank
// chooser's menus and of the program menu.
#include "kit/effect/ITextControl.h"
#include "src/browser/BankChooser.h"
#include "src/browser/ProgramNumberPopupMenu.h"
#include "tests/support/FakeBrowserPlugin.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

void BM_LibrarianViewDraw(benchmark::State& state) {
    testsupport::FakeBrowserPlugin plug;
    PatchFile banks[2];
    for (PatchFile& bank : banks) {
        bank.entries.resize(LibrarianViewControl::kSlotCount);
        for (size_t i = 0; i < bank.entries.size(); ++i) {
            char name[17];
            snprintf(name, sizeof name, "Bench Sound %03d", int(i));
            bank.entries[i].name = name;
        }
        plug.librarian.soundBanks.push_back(&bank);
    }
    plug.librarian.upperBankIndex = 0;
    plug.librarian.lowerBankIndex = 1;
    LibrarianViewControl* grid = plug.createGrid(state.range(0) / 100.0);
    IMouseMod left(true, false);
    const IRECT& lower = grid->getSlot(LibrarianViewControl::kLower, 9).GetRECT();
    grid->OnMouseDown(lower.L + 1, lower.T + 1, &left);
    grid->setUpperSelectedSlot(5);
    IRECT all(0, 0, plug.g->Width(), plug.g->Height());
    plug.g->Draw(&all); // fonts made and glyphs cached, as after the page was first shown
    for (auto _ : state)
        benchmark::DoNotOptimize(grid->Draw(plug.g));
    plug.librarian.soundBanks.clear();
}
BENCHMARK(BM_LibrarianViewDraw)->Arg(85)->Arg(100)->Arg(115)->Unit(benchmark::kMillisecond);

// One rebuild of the upper sound chooser over 1,000 banks in 50 folders (10 folders of 4
// sub-folders each, 20 banks a folder), the remembered bank the last of the list.
void BM_BankChooserRebuild(benchmark::State& state) {
    testsupport::FakeBrowserPlugin plug;
    std::vector<std::unique_ptr<PatchFile>> banks;
    for (int i = 0; i < 1000; ++i) {
        const int folder = i / 20;
        auto bank = std::make_unique<PatchFile>();
        char name[32];
        snprintf(name, sizeof name, "Bank %04d.syx", i);
        bank->fileName = name;
        bank->folderParts = {"Patches", "Folder " + std::to_string(folder / 5)};
        if (folder % 5) bank->folderParts.push_back("Sub " + std::to_string(folder));
        bank->holdingFolder = bank->folderParts.back();
        PatchLibrarian::fileIntoFolderTree(&plug.librarian.soundTree, bank.get());
        plug.librarian.soundBanks.push_back(bank.get());
        banks.push_back(std::move(bank));
    }
    plug.GetParam(kPatchSelectionListUpper)->InitEnum("Bank Selection List 1", 0, 1000);
    plug.setRememberedFileName(LibrarianHost::kUpperSound, banks.back()->fileName);
    plug.setRememberedFolder(LibrarianHost::kUpperSound, banks.back()->holdingFolder);
    LeftPatchPopupMenu chooser(&plug, &plug.librarian, IRECT(394, 188, 810, 207), &plug);
    for (auto _ : state)
        chooser.rebuild();
    plug.librarian.soundBanks.clear();
}
BENCHMARK(BM_BankChooserRebuild)->Unit(benchmark::kMicrosecond);
// The program menu's rebuild, which follows every program change: the fixed programs (0), or
// the 100 names of the upper librarian bank (1).
void BM_ProgramMenuRefresh(benchmark::State& state) {
    testsupport::FakeBrowserPlugin plug;
    PatchFile bank;
    bank.entries.resize(PatchFile::kBankSize);
    for (size_t i = 0; i < bank.entries.size(); ++i)
        bank.entries[i].name = "Bench Sound " + std::to_string(i);
    plug.librarian.soundBanks.push_back(&bank);
    plug.GetParam(kPatchSelectionListUpper)->InitInt("Upper Bank", 0, 0, 9999);
    plug.librarianNames = state.range(0) != 0;
    ProgramNumberPopupMenu menu(&plug, &plug.librarian, IRECT(1184, 60, 1229, 84), &plug);
    for (auto _ : state)
        benchmark::DoNotOptimize(menu.refreshPatchNames(&plug.librarian, &plug, 37));
    plug.librarian.soundBanks.clear();
}
BENCHMARK(BM_ProgramMenuRefresh)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
