#pragma once

#include "GuardedBitmap.h"

#include <set>
#include <utility>

// Adding this colour at full weight raises every byte by one, so that after drawing in the add
// mode onto a zero bitmap each pixel's red byte counts how often it was combined.
inline constexpr RAST_pixel kCountColour = 0x01010101;
inline constexpr int kAdd = 1;

using PixelSet = std::set<std::pair<int, int>>;

// The pixels that differ from background.
inline PixelSet changedPixels(const GuardedBitmap& bm, RAST_pixel background = 0) {
    PixelSet s;
    for (int y = 0; y < bm.getHeight(); ++y)
        for (int x = 0; x < bm.getWidth(); ++x)
            if (bm.at(x, y) != background) s.insert({x, y});
    return s;
}

// The largest number of contributions any pixel received.
inline int maxCount(const GuardedBitmap& bm) {
    int m = 0;
    for (RAST_pixel p : bm.picture())
        m = std::max(m, RAST_GetRed(p));
    return m;
}

struct ZeroBitmap : GuardedBitmap {
    ZeroBitmap(int w, int h, bool flipped = false) : GuardedBitmap(w, h, flipped) {
        fill([](int, int) { return RAST_pixel(0); });
    }
};
