// Replays every file of the given folders (or single files) through a fuzz entry point, so
// that each finding kept in the corpus stays a regression test.
#include "tests/support/OwnHome.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
int replay(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 1;
}
} // namespace

int main(int argc, char** argv) {
    testsupport::OwnHome home;
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path p(argv[i]);
        const int before = count;
        if (std::filesystem::is_directory(p)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(p))
                if (e.is_regular_file()) count += replay(e.path());
        } else if (std::filesystem::exists(p)) {
            count += replay(p);
        }
        // A corpus moved or renamed would otherwise replay nothing and pass.
        if (count == before) {
            fprintf(stderr, "no input to replay in %s\n", argv[i]);
            return 1;
        }
    }
    // Random inputs as well, so a target without a corpus still runs.
    uint32_t seed = 12345;
    std::vector<uint8_t> buf;
    for (int round = 0; round < 2000; ++round) {
        buf.resize((seed >> 8) % 4096);
        for (auto& b : buf) {
            seed = seed * 1103515245u + 12345u;
            b = uint8_t(seed >> 16);
        }
        LLVMFuzzerTestOneInput(buf.data(), buf.size());
    }
    printf("replayed %d corpus files and 2000 random inputs\n", count);
    return 0;
}
