// Feeds arbitrary bytes to the profile reader as a file, then checks that what a rewrite puts
// on disk reads back exactly as the cache held it.
#include "kit/winl/winl-ini.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A new name for every input, so no cached copy of an earlier one can answer.
std::string fuzzFile() {
    static int count = 0;
    return std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/winl-ini-fuzz-" +
           std::to_string(getpid()) + "-" + std::to_string(count++) + ".ini";
}

// Every section with its pairs, as the reader gives them.
std::string snapshot(const char* file) {
    std::vector<char> names(1 << 16), pairs(1 << 16);
    const int n =
        GetPrivateProfileString(nullptr, nullptr, nullptr, names.data(), int(names.size()), file);
    std::string out;
    for (int i = 0; i < n; i += int(strlen(&names[size_t(i)])) + 1) {
        const char* section = &names[size_t(i)];
        const int len = GetPrivateProfileSection(section, pairs.data(), int(pairs.size()), file);
        out += "[" + std::string(section) + "]" + std::string(pairs.data(), size_t(len));
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string name = fuzzFile();
    const char* file = name.c_str();
    FILE* f = fopen(file, "wb");
    if (!f) return 0;
    fwrite(data, 1, size, f);
    fclose(f);

    snapshot(file);
    unsigned char bytes[4];
    GetPrivateProfileStruct("s", "k", bytes, sizeof bytes, file);
    GetPrivateProfileInt("s", "k", 0, file);

    if (WritePrivateProfileString("zz fuzz", "k", "v", file) == 1) {
        const std::string cached = snapshot(file);
        const timespec past[2] = {{1, 0}, {1, 0}}; // forces the next call to read the file
        utimensat(AT_FDCWD, file, past, 0);
        if (snapshot(file) != cached) abort();
    }
    unlink(file);
    return 0;
}
