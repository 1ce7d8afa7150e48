#pragma once

#include "kit/rast/RAST_CombinePixelsHSVAdjust.h"
#include "kit/rast/RAST_IBitmap.h"

#include <algorithm>
#include <array>
#include <cstring>

// The combine-mode word of every drawing call.
typedef int RAST_CombineMode;
enum : int {
    // Bits 0-7: the operation; other values draw nothing.
    RAST_MODE_COPY = 0,
    RAST_MODE_ADD = 1,
    RAST_MODE_COLORDODGE = 2,
    RAST_MODE_MUL = 3,
    RAST_MODE_OVERLAY = 4,
    RAST_MODE_HSVADJUST = 5,
    RAST_MODE_OP_MASK = 0xFF,
    // With bits 4-7 all set, a blit copies source byte (bits 0-1) into destination byte
    // (bits 2-3).
    RAST_MODE_CHANNEL_COPY = 0xF0,
    RAST_MODE_BILINEAR = 0x100,
    // The source pixel's alpha scales the weight.
    RAST_MODE_SOURCE_ALPHA = 0x10000,
    // What operations with a source dispatch on.
    RAST_MODE_DISPATCH_MASK = 0x100FF,
};

// A caller's alpha held within 0..1; NaN counts as 0.
inline float RAST_ClampAlpha(float alpha) {
    return alpha > 0.0f ? std::min(alpha, 1.0f) : 0.0f;
}

// A caller's alpha as the integer weight 0..256 (256 full strength): held within 0..1, times
// 256 truncated.
inline int RAST_WeightFromAlpha(float alpha) {
    return int(RAST_ClampAlpha(alpha) * 256.0f);
}

// Index of the pixel-operation class a mode selects in RAST_ModeOps (the operation 0..5, plus
// RAST_SOURCE_ALPHA_INDEX with source alpha), or -1 when it selects none.
inline constexpr int RAST_SOURCE_ALPHA_INDEX = 6;
inline int RAST_ModeIndex(int mode) {
    const int op = mode & RAST_MODE_OP_MASK;
    if (op > RAST_MODE_HSVADJUST) return -1;
    return (mode & RAST_MODE_SOURCE_ALPHA) ? op + RAST_SOURCE_ALPHA_INDEX : op;
}

// Pixel operations. Each static doPix(dest, r, g, b, a, weight) combines the colour into the
// four bytes at dest (alpha, red, green, blue), byte by byte with d the destination byte and
// s the matching channel. Divisions truncate toward zero, as the drawing goldens expect.
// NoClamp members store the low 8 bits (results stay in range for inputs in range), Clamp
// members hold each byte within 0..255.

struct _RAST_StoreNoClamp {
    static unsigned char store(int v) { return (unsigned char)v; }
};
struct _RAST_StoreClamp {
    static unsigned char store(int v) { return (unsigned char)std::clamp(v, 0, 255); }
};

namespace rast_detail {

template <class F> inline void EachByte(unsigned char* d, int r, int g, int b, int a, F f) {
    d[0] = f(d[0], a);
    d[1] = f(d[1], r);
    d[2] = f(d[2], g);
    d[3] = f(d[3], b);
}

template <class F> inline void ColourBytes(unsigned char* d, int r, int g, int b, F f) {
    d[1] = f(d[1], r);
    d[2] = f(d[2], g);
    d[3] = f(d[3], b);
}

inline int Source(int, int s, int) {
    return s;
}
inline int HalfMix(int d, int s, int) {
    return (d + s) >> 1;
}
inline int Copy(int d, int s, int w) {
    return s + (d - s) * (256 - w) / 256;
}
inline int Add(int d, int s, int w) {
    return std::clamp(d + s * w / 256, 0, 255);
}
inline int ColorDodge(int d, int s, int w) {
    const int q = 256 - s * w / 256;
    return std::min(255, q >= 2 ? d * 256 / q : d * 256);
}
inline int Mul(int d, int s, int w) {
    return (s * w + (256 - w) * 256) * d / 65536;
}
inline int Overlay(int d, int s, int w) {
    const int m = s * w + (256 - w) * 128;
    const int t = m + (32768 - m) * d / 256;
    return std::clamp(t * d / 32768, 0, 255);
}
// The weight scaled by a source alpha a: 256 for an opaque source at full weight.
inline int SourceWeight(int a, int w) {
    return (a + 1) * w / 256;
}

} // namespace rast_detail

// A pixel operation that puts all four bytes through one formula and stores them through S.
template <int (*Formula)(int d, int s, int w), class S = _RAST_StoreNoClamp>
struct _RAST_CombinePixelsByByte {
    static void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
        rast_detail::EachByte(dest, r, g, b, a,
                              [w](int d, int s) { return S::store(Formula(d, s, w)); });
    }
};

// Clobber ignores the weight and replaces all four bytes.
using _RAST_CombinePixelsClobberNoClamp = _RAST_CombinePixelsByByte<rast_detail::Source>;
using _RAST_CombinePixelsClobberClamp =
    _RAST_CombinePixelsByByte<rast_detail::Source, _RAST_StoreClamp>;
using _RAST_CombinePixelsCopyNoClamp = _RAST_CombinePixelsByByte<rast_detail::Copy>;
// Half-mix averages each byte with the colour's and ignores the weight.
using _RAST_CombinePixelsHalfMixNoClamp = _RAST_CombinePixelsByByte<rast_detail::HalfMix>;
using _RAST_CombinePixelsCopyClamp = _RAST_CombinePixelsByByte<rast_detail::Copy, _RAST_StoreClamp>;
using _RAST_CombinePixelsAdd = _RAST_CombinePixelsByByte<rast_detail::Add>;
using _RAST_CombinePixelsColorDodge = _RAST_CombinePixelsByByte<rast_detail::ColorDodge>;
using _RAST_CombinePixelsMulNoClamp = _RAST_CombinePixelsByByte<rast_detail::Mul>;
using _RAST_CombinePixelsMulClamp = _RAST_CombinePixelsByByte<rast_detail::Mul, _RAST_StoreClamp>;
using _RAST_CombinePixelsOverlay = _RAST_CombinePixelsByByte<rast_detail::Overlay>;

// Copy at the fixed weights 128, 64 and 192 worked on the whole word with shifts and masks
// (each byte's shifted bits stay inside that byte and no sum carries), ignoring the weight
// passed. The results can be one lower per byte than the byte-wise formulas.
namespace rast_detail {
inline RAST_pixel HalfOf(RAST_pixel v) {
    return (v >> 1) & 0x7F7F7F7F;
}
inline RAST_pixel QuarterOf(RAST_pixel v) {
    return (v >> 2) & 0x3F3F3F3F;
}
inline RAST_pixel MixHalf(RAST_pixel d, RAST_pixel c) {
    return HalfOf(d) + HalfOf(c);
}
// Three quarters of the pixel and one quarter of the colour.
inline RAST_pixel MixQuarter(RAST_pixel d, RAST_pixel c) {
    return HalfOf(d) + QuarterOf(d) + QuarterOf(c);
}
// One quarter of the pixel and three quarters of the colour.
inline RAST_pixel MixThreeQuarter(RAST_pixel d, RAST_pixel c) {
    return QuarterOf(d) + HalfOf(c) + QuarterOf(c);
}
} // namespace rast_detail

template <RAST_pixel (*Mix)(RAST_pixel d, RAST_pixel c)> struct _RAST_CombinePixelsWord {
    static void doPix(unsigned char* dest, int r, int g, int b, int a, int) {
        RAST_pixel d;
        memcpy(&d, dest, sizeof d);
        d = Mix(d, RAST_MakePixel(r, g, b, a));
        memcpy(dest, &d, sizeof d);
    }
};
using _RAST_CombinePixelsHalfMix2FAST = _RAST_CombinePixelsWord<rast_detail::MixHalf>;
using _RAST_CombinePixelsQuarterMix2FAST = _RAST_CombinePixelsWord<rast_detail::MixQuarter>;
using _RAST_CombinePixelsThreeQuarterMix2FAST =
    _RAST_CombinePixelsWord<rast_detail::MixThreeQuarter>;

// Source-alpha members: the weight becomes ((a + 1) x weight) / 256.

template <class S> struct _RAST_CombinePixelsCopySourceAlpha {
    static void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
        if (a == 0) return;
        const int ws = rast_detail::SourceWeight(a, w);
        rast_detail::ColourBytes(
            dest, r, g, b, [ws](int d, int s) { return S::store(rast_detail::Copy(d, s, ws)); });
        dest[0] = S::store(std::min(255, dest[0] + ws));
    }
};
using _RAST_CombinePixelsCopySourceAlphaNoClamp =
    _RAST_CombinePixelsCopySourceAlpha<_RAST_StoreNoClamp>;
using _RAST_CombinePixelsCopySourceAlphaClamp =
    _RAST_CombinePixelsCopySourceAlpha<_RAST_StoreClamp>;

// For full weight: the weight is not looked at. An opaque source (a = 255) comes out as its
// colour with alpha 255.
template <class S> struct _RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParm {
    static void doPix(unsigned char* dest, int r, int g, int b, int a, int) {
        if (a == 0) return;
        rast_detail::ColourBytes(
            dest, r, g, b, [a](int d, int s) { return S::store(s + (d - s) * (255 - a) / 256); });
        dest[0] = S::store(std::min(255, dest[0] + a));
    }
};
using _RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp =
    _RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParm<_RAST_StoreNoClamp>;
using _RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp =
    _RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParm<_RAST_StoreClamp>;

struct _RAST_CombinePixelsAddSourceAlpha {
    static void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
        if (a == 0) return;
        _RAST_CombinePixelsAdd::doPix(dest, r, g, b, a, rast_detail::SourceWeight(a, w));
    }
};

// Colour dodge, overlay and HSV adjust do not skip a transparent source: it still acts at
// weight / 256.
struct _RAST_CombinePixelsColorDodgeSourceAlpha {
    static void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
        _RAST_CombinePixelsColorDodge::doPix(dest, r, g, b, a, rast_detail::SourceWeight(a, w));
    }
};

template <class S> struct _RAST_CombinePixelsMulSourceAlpha {
    static void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
        if (a == 0) return;
        _RAST_CombinePixelsByByte<rast_detail::Mul, S>::doPix(dest, r, g, b, a,
                                                              rast_detail::SourceWeight(a, w));
    }
};
using _RAST_CombinePixelsMulSourceAlphaNoClamp =
    _RAST_CombinePixelsMulSourceAlpha<_RAST_StoreNoClamp>;
using _RAST_CombinePixelsMulSourceAlphaClamp = _RAST_CombinePixelsMulSourceAlpha<_RAST_StoreClamp>;

struct _RAST_CombinePixelsOverlaySourceAlpha {
    static void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
        _RAST_CombinePixelsOverlay::doPix(dest, r, g, b, a, rast_detail::SourceWeight(a, w));
    }
};

struct _RAST_CombinePixelsHSVAdjustSourceAlpha {
    static void doPix(unsigned char* dest, int r, int g, int b, int a, int w) {
        _RAST_CombinePixelsHSVAdjust::doPix(dest, r, g, b, a, rast_detail::SourceWeight(a, w));
    }
};

// The pixel-operation classes in RAST_ModeIndex order, so that every drawing loop builds its
// per-mode table from one list.
template <class... P> struct RAST_OpList {};
using RAST_ModeOps =
    RAST_OpList<_RAST_CombinePixelsCopyNoClamp, _RAST_CombinePixelsAdd,
                _RAST_CombinePixelsColorDodge, _RAST_CombinePixelsMulNoClamp,
                _RAST_CombinePixelsOverlay, _RAST_CombinePixelsHSVAdjust,
                _RAST_CombinePixelsCopySourceAlphaNoClamp, _RAST_CombinePixelsAddSourceAlpha,
                _RAST_CombinePixelsColorDodgeSourceAlpha, _RAST_CombinePixelsMulSourceAlphaNoClamp,
                _RAST_CombinePixelsOverlaySourceAlpha, _RAST_CombinePixelsHSVAdjustSourceAlpha>;
// The same with every result clamped, for channels that may lie outside 0..255.
using RAST_ClampModeOps =
    RAST_OpList<_RAST_CombinePixelsCopyClamp, _RAST_CombinePixelsAdd, _RAST_CombinePixelsColorDodge,
                _RAST_CombinePixelsMulClamp, _RAST_CombinePixelsOverlay,
                _RAST_CombinePixelsHSVAdjust, _RAST_CombinePixelsCopySourceAlphaClamp,
                _RAST_CombinePixelsAddSourceAlpha, _RAST_CombinePixelsColorDodgeSourceAlpha,
                _RAST_CombinePixelsMulSourceAlphaClamp, _RAST_CombinePixelsOverlaySourceAlpha,
                _RAST_CombinePixelsHSVAdjustSourceAlpha>;

// The plain operations by the low byte of the mode, for the drawers that read nothing else.
using RAST_PlainModeOps = RAST_OpList<_RAST_CombinePixelsCopyNoClamp, _RAST_CombinePixelsAdd,
                                      _RAST_CombinePixelsColorDodge, _RAST_CombinePixelsMulNoClamp,
                                      _RAST_CombinePixelsOverlay, _RAST_CombinePixelsHSVAdjust>;

// A table with Entry<P>::fn for each class P of the list, indexed by RAST_ModeIndex.
template <template <class> class Entry, class... P>
constexpr auto RAST_MakeModeTable(RAST_OpList<P...>) {
    return std::array{Entry<P>::fn...};
}

// The Entry<P>::fn that draws the low byte of mode at weight, or null when nothing is to be
// drawn (weight 0 or below, an operation above 5). With copyShortcuts, copy at weight 128
// and 256 takes the half-mix and clobber classes.
template <template <class> class Entry>
auto RAST_PickDrawer(int mode, int weight, bool copyShortcuts)
    -> decltype(Entry<_RAST_CombinePixelsCopyNoClamp>::fn) {
    static constexpr auto table = RAST_MakeModeTable<Entry>(RAST_PlainModeOps{});
    const int op = mode & RAST_MODE_OP_MASK;
    if (weight <= 0 || op > RAST_MODE_HSVADJUST) return nullptr;
    if (copyShortcuts && op == RAST_MODE_COPY && weight == 128)
        return Entry<_RAST_CombinePixelsHalfMixNoClamp>::fn;
    if (copyShortcuts && op == RAST_MODE_COPY && weight == 256)
        return Entry<_RAST_CombinePixelsClobberNoClamp>::fn;
    return table[size_t(op)];
}

// Combines colour into the pixel word at p through the operation class P.
template <class P> inline void RAST_DoPix(RAST_pixel* p, RAST_pixel colour, int weight) {
    P::doPix(reinterpret_cast<unsigned char*>(p), RAST_GetRed(colour), RAST_GetGreen(colour),
             RAST_GetBlue(colour), RAST_GetAlpha(colour), weight);
}

// Entry<P>::fn of the class that draws mode at weight (1..256), or null when the mode draws
// nothing. At full weight a plain copy clobbers and a source-alpha copy ignores the weight.
template <template <class> class Entry> auto RAST_ModeMember(int mode, int weight) {
    static constexpr auto kTable = RAST_MakeModeTable<Entry>(RAST_ModeOps{});
    using Fn = typename decltype(kTable)::value_type;
    const int index = RAST_ModeIndex(mode);
    if (index < 0 || weight <= 0) return Fn(nullptr);
    if (weight == 256 && index == RAST_MODE_COPY)
        return Fn(Entry<_RAST_CombinePixelsClobberNoClamp>::fn);
    if (weight == 256 && index == RAST_SOURCE_ALPHA_INDEX + RAST_MODE_COPY)
        return Fn(Entry<_RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::fn);
    return kTable[size_t(index)];
}

// A pixel operation as a plain function, for loops that call it through a pointer.
typedef void (*RAST_PixOp)(unsigned char* dest, int r, int g, int b, int a, int weight);
template <class P> struct RAST_PixOpEntry { static constexpr RAST_PixOp fn = &P::doPix; };

// dest combined with src by mode at alpha; dest itself is a value and stays.
RAST_pixel RAST_CombinePixels(RAST_pixel dest, RAST_pixel src, float alpha, int mode);
// Combines the colour into *dest at an integer weight (held within 0..256).
void RAST_CombinePixels2(RAST_pixel* dest, int r, int g, int b, int a, int weight, int mode);
// The same for channels that may lie outside 0..255; every stored byte is clamped.
void RAST_CombinePixels2Clamp(RAST_pixel* dest, int r, int g, int b, int a, int weight, int mode);
