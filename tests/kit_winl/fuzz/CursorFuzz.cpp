// Feeds arbitrary bytes to the cursor loader as a cursor file: it converts them, reads the
// picture or falls back, and must leave no temporary file behind.
#include "kit/winl/winl-kb.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string file = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/winl-cursor-fuzz-" + std::to_string(getpid()) + ".cur";
    FILE* f = fopen(file.c_str(), "wb");
    if (!f) return 0;
    fwrite(data, 1, size, f);
    fclose(f);
    if (HCURSOR c = WINL_LoadCursorFromFile(file.c_str())) c->Release();
    unlink(file.c_str());
    return 0;
}
