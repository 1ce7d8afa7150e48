#pragma once

#include <array>
#include <cstdint>

namespace rast_detail {
constexpr std::array<uint16_t, 256> MakeRGB2HSVInvTab() {
    std::array<uint16_t, 256> t{};
    for (int i = 1; i < 256; ++i)
        t[i] = uint16_t(65536 / i - 1);
    return t;
}
} // namespace rast_detail

// 16-bit reciprocals that stand in for the divisions of the conversion to hue, saturation
// and value: entry 0 is 0, entry i is floor(65536 / i) - 1.
inline constexpr std::array<uint16_t, 256> _RAST_RGB2HSV_invtab = rast_detail::MakeRGB2HSVInvTab();

// Combine mode 5: the colour's red, green and blue are hue, saturation and value offsets
// (128 leaves each alone), scaled by the weight. Hue runs 0..383 in six sectors of 64.
class _RAST_CombinePixelsHSVAdjust {
public:
    // Rewrites the whole pixel, even at weight 0; its alpha byte becomes a.
    static void doPix(unsigned char* dest, int r, int g, int b, int a, int weight);
};
