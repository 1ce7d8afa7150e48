#pragma once

#include "kit/rast/RAST_IBitmap.h"

#include <cmath>

// A knob strip of 48 × 48 frames (as many as the bitmap is high): a disc with an anti-aliased
// rim over transparency.
inline void paintKnobStrip(RAST_IBitmap* strip) {
    for (int y = 0; y < strip->getHeight(); ++y)
        for (int x = 0; x < 48; ++x) {
            const double d = std::hypot(x - 23.5, y % 48 - 23.5);
            const int alpha = d < 20 ? 255 : d < 24 ? int(255 * (24 - d) / 4) : 0;
            strip->getBits()[y * strip->getRowSpan() + x] =
                RAST_MakePixel(90 + y % 48, 40 + 2 * (y / 48), 200 - x, alpha);
        }
}
