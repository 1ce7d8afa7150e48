// The librarian page's slot grids: one full draw of both grids of 128 names each, through
// the editor's real text path, with a selected slot in each grid.
#include "kit/effect/ITextControl.h"
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
