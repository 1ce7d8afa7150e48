#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// The picture that a bitmap or icon object holds: rows top to bottom, packed, each pixel's
// bytes in address order alpha, red, green, blue (not premultiplied).
struct Image {
    Image(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h)) {}

    int width;
    int height;
    std::vector<uint32_t> pixels;
};

} // namespace platform
