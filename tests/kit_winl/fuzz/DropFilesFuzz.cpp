// Feeds arbitrary bytes to the dropped-file queries as a drop block: every name is read within
// the block, whatever its offset and terminators say.
#include "kit/winl/winl-clipboard.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20) return 0;
    HGLOBAL drop = GlobalAlloc(0, int(size));
    if (!drop) return 0;
    if (size) memcpy(GlobalLock(drop), data, size), GlobalUnlock(drop);
    const unsigned count = DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
    char name[64];
    for (unsigned i = 0; i <= count; ++i) {
        DragQueryFile(drop, i, nullptr, 0);
        DragQueryFile(drop, i, name, sizeof name);
    }
    POINT pt;
    DragQueryPoint(drop, &pt);
    GlobalFree(drop);
    return 0;
}
