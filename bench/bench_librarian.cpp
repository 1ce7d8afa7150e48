// Loading the patches folder as the plug-in does at start-up: 200 bank files of 100 sounds.
#include "kit/effect/ByteChunk.h"
#include "src/librarian/BankFile.h"
#include "src/librarian/LibrarianHost.h"
#include "src/librarian/LibrarianInitData.h"
#include "src/librarian/PatchLibrarian.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <malloc.h>

namespace {
class BenchHost : public LibrarianHost {
public:
    explicit BenchHost(std::string data) : m_data(std::move(data)) {}
    bool isDebugLogOn() const override { return false; }
    std::string logFilePath() const override { return ""; }
    std::string dataFolder() const override { return m_data; }
    bool isMultiMode() const override { return false; }
    bool isSequenceMode() const override { return false; }
    std::string promptForSaveFile(const std::string&, const std::string&,
                                  const std::string&) override {
        return "";
    }
    void setRememberedFileName(BankPosition, const std::string&) override {}
    void setRememberedFolder(BankPosition, const std::string&) override {}
    void showDisplayName(const std::string&) override {}

private:
    std::string m_data;
};

constexpr int kBanks = 200;
const char* const kCategories[] = {"Bass", "Lead", "Pad ", "Keys", "Arp ", "FX  ", "Drum", "Seq "};

// Banks of varied sounds in ten sub-folders of a fresh data folder.
std::string makeDataFolder() {
    std::string folder = (std::filesystem::temp_directory_path() / "zoz-bench-XXXXXX").string();
    if (!mkdtemp(&folder[0])) abort();
    uint32_t seed = 1;
    for (int b = 0; b < kBanks; ++b) {
        PatchFile bank;
        for (int s = 0; s < PatchFile::kBankSize; ++s) {
            std::vector<uint8_t> d(initPatchData, initPatchData + sizeof initPatchData);
            for (int i = 7; i < 371; ++i)
                d[size_t(i)] = uint8_t((seed = seed * 1103515245u + 12345u) >> 25);
            const std::string name = "Bank " + std::to_string(b) + " Sound " + std::to_string(s);
            for (int i = 0; i < 16; ++i)
                d[size_t(371 + i)] = uint8_t(i < int(name.size()) ? name[size_t(i)] : ' ');
            const char* category = kCategories[(b + s) % 8];
            for (int i = 0; i < 4; ++i)
                d[size_t(387 + i)] = uint8_t(category[i]);
            LibrarianPatch entry;
            entry.dumps.emplace_back(d);
            bank.entries.push_back(entry);
        }
        const std::string sub = folder + "/Patches/Folder " + std::to_string(b % 10);
        std::filesystem::create_directories(sub);
        ByteChunk image;
        BankFile::buildImage(bank, b % 2 == 1, &image);
        std::string error;
        BankFile::write(sub + "/Bank " + std::to_string(b) + (b % 2 ? ".mid" : ".syx"), image,
                        &error);
    }
    return folder;
}

void BM_LoadPatchesFolder(benchmark::State& state) {
    const std::string data = makeDataFolder();
    BenchHost host(data + "/");
    size_t heldBytes = 0;
    size_t patches = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        PatchLibrarian lib(host);
        lib.loadPatchesFromFilesystem(data + "/Patches");
        heldBytes = mallinfo2().uordblks - before;
        patches = lib.soundBanks.size() * PatchFile::kBankSize;
        benchmark::DoNotOptimize(lib.categoryBanks.data());
    }
    std::filesystem::remove_all(data);
    state.counters["banks"] = double(patches / PatchFile::kBankSize);
    state.counters["time_per_bank"] =
        benchmark::Counter(double(kBanks), benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
    // Sound banks and the category banks made from them.
    state.counters["bytes_per_patch"] = patches ? double(heldBytes) / double(patches) : 0;
}
BENCHMARK(BM_LoadPatchesFolder)->Unit(benchmark::kMillisecond)->MinTime(2.0);
} // namespace
