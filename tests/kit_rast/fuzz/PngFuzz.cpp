// Random bytes through the PNG decoder: it must fail cleanly or give a picture, never crash.
#include "kit/rast/RAST_MemBitmap.h"
#include "kit/rast/RAST_PNGLoader.h"

#include <cstddef>
#include <cstdint>

namespace {

// Takes at most 1 << 22 pixels, so that a crafted header cannot make a run allocate gigabytes.
class CappedBitmap : public RAST_MemBitmap {
public:
    bool resize(int w, int h) override {
        return int64_t(w) * h <= (1 << 22) && RAST_MemBitmap::resize(w, h);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CappedBitmap bm;
    if (size <= size_t(INT32_MAX)) RAST_LoadPNGFromMemory(data, int(size), &bm);
    return 0;
}
