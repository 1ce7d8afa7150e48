#include "tools/render-images/Palette.h"

#include <algorithm>
#include <cmath>

namespace {

// clang-format off
const Palette kSchemes[kSchemeCount] = {
    // main top, main bottom, panel top, panel bottom, line, title back, title text, label,
    // well, well edge, accent
    {{226, 223, 196}, {186, 183, 156}, {238, 236, 216}, {212, 209, 186}, {122, 119, 94},
     {58, 57, 44}, {241, 243, 33}, {34, 33, 26}, {30, 30, 26}, {96, 94, 74},
     {241, 243, 33}},
    {{40, 26, 20}, {14, 9, 8}, {46, 33, 26}, {24, 17, 14}, {126, 84, 42},
     {255, 124, 0}, {24, 12, 0}, {216, 174, 116}, {9, 7, 6}, {190, 128, 64},
     {255, 140, 0}},
    {{30, 46, 74}, {11, 17, 32}, {52, 55, 60}, {30, 32, 36}, {112, 120, 130},
     {152, 164, 178}, {16, 18, 22}, {202, 208, 216}, {12, 13, 15}, {146, 152, 160},
     {172, 192, 212}},
    {{74, 22, 24}, {30, 8, 10}, {52, 55, 60}, {30, 32, 36}, {112, 120, 130},
     {152, 164, 178}, {16, 18, 22}, {202, 208, 216}, {12, 13, 15}, {146, 152, 160},
     {172, 192, 212}},
    {{50, 20, 12}, {18, 6, 4}, {42, 27, 22}, {22, 13, 11}, {152, 72, 32},
     {255, 92, 22}, {22, 6, 0}, {232, 192, 160}, {10, 5, 4}, {204, 112, 60},
     {255, 112, 32}},
};

const Palette kCommon = {
    {34, 35, 38}, {16, 17, 19}, {44, 46, 50}, {26, 27, 30}, {98, 102, 110},
    {122, 128, 138}, {12, 12, 14}, {202, 206, 212}, {10, 10, 12}, {150, 154, 162},
    {140, 200, 232}};
// clang-format on

} // namespace

const Palette& SchemePalette(int scheme) {
    return kSchemes[scheme];
}

const Palette& CommonPalette() {
    return kCommon;
}

namespace {

double Luminance(Rgb c) {
    const auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

} // namespace

double Contrast(Rgb a, Rgb b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb Over(Rgb c, Rgb ground, float alpha) {
    const auto mix = [alpha](int v, int g) { return int(std::lround(v * alpha + g * (1 - alpha))); };
    return {mix(c.r, ground.r), mix(c.g, ground.g), mix(c.b, ground.b)};
}
