// The list view's stable merge sort over stored rows: each run sorts the same rows by a fresh
// pseudo-random key of their item data, so no run starts from the order the last one left.
#include "kit/winl/winl-wnd-listview.h"
#include "platform/wsys/Application.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

uint64_t g_salt = 0;

uint32_t keyOf(LPARAM param) {
    uint64_t x = (uint64_t(param) ^ g_salt) * 0x9E3779B97F4A7C15ull;
    return uint32_t(x >> 40); // 24 bits: some keys repeat, as real columns do
}

int byKey(LPARAM a, LPARAM b, LPARAM) {
    const uint32_t ka = keyOf(a), kb = keyOf(b);
    return ka < kb ? -1 : ka > kb ? 1 : 0;
}

} // namespace

// range(0) rows, every tenth one selected.
static void BM_ListViewSortItems(benchmark::State& state) {
    namespace wsys = platform::wsys;
    wsys::App().Reset();
    auto list = wsys::Make<Winl_vZoz_listview>();
    LVCOLUMN column{LVCF_WIDTH, LVCFMT_LEFT, 80, nullptr, 0, 0};
    ListView_InsertColumn(list.get(), 0, &column);
    const int n = int(state.range(0));
    for (int i = 0; i < n; ++i) {
        LVITEM item{LVIF_TEXT | LVIF_PARAM | LVIF_STATE, i, 0, i % 10 ? 0u : unsigned(LVIS_SELECTED),
                    unsigned(LVIS_SELECTED), const_cast<char*>("row"), 0, 0, LPARAM(i)};
        ListView_InsertItem(list.get(), &item);
    }
    for (auto _ : state) {
        ++g_salt;
        benchmark::DoNotOptimize(ListView_SortItems(list.get(), byKey, 0));
    }
    state.SetComplexityN(n);
    list = nullptr;
    wsys::App().Reset();
}
BENCHMARK(BM_ListViewSortItems)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
