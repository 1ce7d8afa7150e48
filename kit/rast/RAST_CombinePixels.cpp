#include "kit/rast/RAST_CombinePixels.h"

namespace {

constexpr auto kOps = RAST_MakeModeTable<RAST_PixOpEntry>(RAST_ModeOps{});
constexpr auto kClampOps = RAST_MakeModeTable<RAST_PixOpEntry>(RAST_ClampModeOps{});

// The copies act differently at full weight: a plain copy stores the colour, a source-alpha
// copy ignores the weight.
template <class Clobber, class IgnoreWeight>
void combine(const decltype(kOps)& ops, RAST_pixel* dest, int r, int g, int b, int a, int weight,
             int mode) {
    weight = std::clamp(weight, 0, 256);
    const int index = RAST_ModeIndex(mode);
    if (weight == 0 || index < 0) return;
    unsigned char* bytes = reinterpret_cast<unsigned char*>(dest);
    if (weight == 256 && index == RAST_MODE_COPY) {
        Clobber::doPix(bytes, r, g, b, a, weight);
        return;
    }
    const RAST_PixOp op = weight == 256 && index == RAST_SOURCE_ALPHA_INDEX + RAST_MODE_COPY
                              ? &IgnoreWeight::doPix
                              : ops[index];
    // Channels far outside the byte range would overflow the formulas' int arithmetic.
    const auto hold = [](int v) { return std::clamp(v, -2048, 2048); };
    op(bytes, hold(r), hold(g), hold(b), hold(a), weight);
}

} // namespace

RAST_pixel RAST_CombinePixels(RAST_pixel dest, RAST_pixel src, float alpha, int mode) {
    RAST_CombinePixels2(&dest, RAST_GetRed(src), RAST_GetGreen(src), RAST_GetBlue(src),
                        RAST_GetAlpha(src), RAST_WeightFromAlpha(alpha), mode);
    return dest;
}

void RAST_CombinePixels2(RAST_pixel* dest, int r, int g, int b, int a, int weight, int mode) {
    combine<_RAST_CombinePixelsClobberNoClamp,
            _RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(kOps, dest, r, g, b, a,
                                                                      weight, mode);
}

void RAST_CombinePixels2Clamp(RAST_pixel* dest, int r, int g, int b, int a, int weight, int mode) {
    combine<_RAST_CombinePixelsClobberClamp,
            _RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp>(kClampOps, dest, r, g, b, a,
                                                                    weight, mode);
}
