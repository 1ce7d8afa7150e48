#include "kit/rast/RAST_CombinePixelsHSVAdjust.h"

#include <algorithm>

namespace {

// For each hue sector, where red, green and blue take their value from: 0 the value V,
// 1 the ramp X, 2 the floor p.
constexpr unsigned char kSectorSources[6][3] = {
    {0, 1, 2}, // red to yellow
    {1, 0, 2}, // yellow to green
    {2, 0, 1}, // green to cyan
    {2, 1, 0}, // cyan to blue
    {1, 2, 0}, // blue to magenta
    {0, 2, 1}, // magenta to red
};

int clampByte(int v) {
    return std::clamp(v, 0, 255);
}

} // namespace

void _RAST_CombinePixelsHSVAdjust::doPix(unsigned char* dest, int r, int g, int b, int a,
                                         int weight) {
    const int R = dest[1], G = dest[2], B = dest[3];

    int maxc, minc, base, num;
    if (R < G && G > B) {
        maxc = G, minc = std::min(R, B), base = 128, num = B - R;
    } else if (R < G) {
        maxc = B, minc = R, base = 256, num = R - G;
    } else if (B < R) {
        maxc = R, minc = std::min(G, B), num = G - B, base = G >= B ? 0 : 383;
    } else {
        maxc = B, minc = G, base = 256, num = R - G;
    }
    const int delta = maxc - minc;
    int H = base + (_RAST_RGB2HSV_invtab[delta] + 1) * num / 1024;
    int S = _RAST_RGB2HSV_invtab[maxc] * delta / 256;
    int V = maxc;

    H += (r + r / 2 - 192) * weight / 256;
    // One wrap suffices for weights up to 256; the remainder also holds for any other weight.
    H %= 384;
    if (H < 0) H += 384;
    S = clampByte(S + (g - 128) * weight / 128);
    V = clampByte(V + (b - 128) * weight / 128);

    const int sector = H / 64;
    const int offset = H - sector * 64;
    const int k = (sector & 1) ? offset : 64 - offset;
    const int sources[3] = {V, (16384 - k * S) * V / 16384, (256 - S) * V / 256};
    const unsigned char* pick = kSectorSources[sector];
    dest[0] = (unsigned char)a;
    dest[1] = (unsigned char)sources[pick[0]];
    dest[2] = (unsigned char)sources[pick[1]];
    dest[3] = (unsigned char)sources[pick[2]];
}
