// The patch type switch as a click on the librarian page runs it: over 1,000 sound banks of
// 100 sounds (one name in ten too long for the display) without a reload, and with a reload
// of a patches folder of 200 banks. The build's layout gives the real menus and grids.

#include "kit/base/KIT_Mutex.h"
#include "src/core/Zoz.h"
#include "tests/support/BankFileGenerator.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

std::string makeDataFolder(int banks) {
    std::string folder = "/tmp/zoz-bench-patchtype-XXXXXX";
    if (!mkdtemp(&folder[0])) abort();
    const std::vector<uint8_t> bank =
        testsupport::rawBankFile(testsupport::soundDumps(100, "B", "Bass"));
    for (int b = 0; b < banks; ++b) {
        const std::string sub = folder + "/Patches/Folder " + std::to_string(b % 10);
        std::filesystem::create_directories(sub);
        const std::string name =
            b % 10 == 9 ? "A bank whose name is far too long for the display " + std::to_string(b)
                        : "Bank " + std::to_string(b);
        testsupport::writeFile(sub + "/" + name + ".syx", bank);
    }
    return folder + "/";
}

void Switch(benchmark::State& state, int banks, bool reload) {
    const std::string data = makeDataFolder(banks);
    setenv("ZOZ_DATA_DIR", data.c_str(), 1);
    setenv("ZOZ_RESOURCES_DIR", ZOZ_BUILT_RESOURCES, 1);
    {
        auto plug = std::make_unique<Zoz>(IEffectInstanceInfo{});
        for (auto _ : state) {
            KIT_MutexLock lock(plug->GetMutex());
            plug->patchTypeChanged(0, 0, reload);
        }
    }
    std::filesystem::remove_all(data);
}

void SwitchOver1000Banks(benchmark::State& state) {
    Switch(state, 1000, false);
}

void SwitchWithReloadOf200Banks(benchmark::State& state) {
    Switch(state, 200, true);
}

} // namespace

BENCHMARK(SwitchOver1000Banks)->Unit(benchmark::kMillisecond);
BENCHMARK(SwitchWithReloadOf200Banks)->Unit(benchmark::kMillisecond);
