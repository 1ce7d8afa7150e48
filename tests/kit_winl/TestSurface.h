#pragma once

#include "kit/winl/winl-gdi.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace winltest {

using Pixels = std::set<std::pair<int, int>>;

// Every pixel of the block from (x1, y1) to (x2, y2), both included.
inline Pixels block(int x1, int y1, int x2, int y2) {
    Pixels s;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            s.insert({x, y});
    return s;
}

// A memory context whose pixels all start as `fill`; it deletes the objects selected through
// it when it goes.
struct Surface {
    Surface(int width, int height, uint32_t fill = 0)
        : dc(WINL_CreateMemContext(nullptr, width, height)), w(width), h(height) {
        std::fill(&at(0, 0), &at(0, 0) + w * h, fill);
    }
    ~Surface() {
        WINL_DeleteGfxContext(dc);
        for (HGDIOBJ obj : owned)
            DeleteObject(obj);
    }
    uint32_t& at(int x, int y) const {
        return static_cast<uint32_t*>(WINL_GetCtxFrameBuffer(dc))[y * w + x];
    }
    // Selects the objects; returns the first.
    template <class... More> HGDIOBJ select(HGDIOBJ obj, More... more) {
        SelectObject(dc, obj);
        owned.push_back(obj);
        if constexpr (sizeof...(more) > 0) select(more...);
        return obj;
    }
    // Which pixels hold value (or, with none, anything but 0).
    Pixels where(std::optional<uint32_t> value = std::nullopt) const {
        Pixels s;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (value ? at(x, y) == *value : at(x, y) != 0) s.insert({x, y});
        return s;
    }

    HDC dc;
    int w, h;
    std::vector<HGDIOBJ> owned;
};

} // namespace winltest
