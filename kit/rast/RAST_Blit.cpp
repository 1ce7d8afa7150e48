#include "kit/rast/RAST_Blit.h"

#include "kit/rast/RAST_BlitLoops.h"
#include "kit/rast/RAST_CombinePixels.h"

#include <algorithm>
#include <climits>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// One row of pixels through a pixel operation.
template <class P> void scalarSpan(unsigned char* d, const unsigned char* s, int w, int weight) {
    for (int x = 0; x < w; ++x, d += 4, s += 4)
        P::doPix(d, s[1], s[2], s[3], s[0], weight);
}

template <class P> void blitSpan(unsigned char* d, const unsigned char* s, int w, int weight) {
    scalarSpan<P>(d, s, w, weight);
}

#if defined(__SSE2__)
// The copies and the source-alpha add carry the editor's image drawing, so their rows run four
// pixels at a time with the very same integer results as the pixel operations (the tests
// compare the two over every difference of bytes and every alpha). Values sit in 16-bit
// lanes, two pixels to a register.

// Per lane: s + (d - s) * k / 256 truncated toward zero, for k 0..256: the magnitude times k
// fits 16 bits unsigned, and its shift is the truncated quotient.
__m128i lerp16(__m128i d, __m128i s, __m128i k) {
    const __m128i diff = _mm_sub_epi16(d, s);
    const __m128i sign = _mm_srai_epi16(diff, 15);
    const __m128i magnitude = _mm_sub_epi16(_mm_xor_si128(diff, sign), sign);
    const __m128i q = _mm_srli_epi16(_mm_mullo_epi16(magnitude, k), 8);
    return _mm_add_epi16(s, _mm_sub_epi16(_mm_xor_si128(q, sign), sign));
}

// Each pixel's alpha lane copied to its four lanes.
__m128i alphaOfEachPixel(__m128i v) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0), 0);
}

// Lane 0 of each pixel (the alpha byte) from alpha, the others from colour.
__m128i withAlpha(__m128i colour, __m128i alpha) {
    const __m128i lanes = _mm_set_epi16(0, 0, 0, -1, 0, 0, 0, -1);
    return _mm_or_si128(_mm_and_si128(lanes, alpha), _mm_andnot_si128(lanes, colour));
}

// Runs Kernel::two(d, s, weight) over pairs of pixels widened to 16 bits; pixels whose
// source alpha is 0 stay as they were for kernels that skip them. Packing back to bytes saturates
// at 255, which is the clamp of the add and the cap of the alpha byte.
template <class Kernel, class P>
void vectorSpan(unsigned char* d, const unsigned char* s, int w, int weight) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaMask = _mm_set1_epi32(0xFF);
    int x = 0;
    for (; x + 4 <= w; x += 4, d += 16, s += 16) {
        const __m128i D = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
        const __m128i S = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i lo =
            Kernel::two(_mm_unpacklo_epi8(D, zero), _mm_unpacklo_epi8(S, zero), weight);
        const __m128i hi =
            Kernel::two(_mm_unpackhi_epi8(D, zero), _mm_unpackhi_epi8(S, zero), weight);
        __m128i R = _mm_packus_epi16(lo, hi);
        if constexpr (Kernel::kSkipsTransparent) {
            const __m128i keep = _mm_cmpeq_epi32(_mm_and_si128(S, alphaMask), zero);
            R = _mm_or_si128(_mm_and_si128(keep, D), _mm_andnot_si128(keep, R));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), R);
    }
    scalarSpan<P>(d, s, w - x, weight);
}

struct CopyKernel {
    static constexpr bool kSkipsTransparent = false;
    static __m128i two(__m128i d, __m128i s, int weight) {
        return lerp16(d, s, _mm_set1_epi16(short(256 - weight)));
    }
};

// ((a + 1) x weight) / 256 for each pixel's source alpha a; weight 0..256.
__m128i sourceWeight(__m128i s, int weight) {
    const __m128i a1 = _mm_add_epi16(alphaOfEachPixel(s), _mm_set1_epi16(1));
    if (weight == 256) return a1;
    return _mm_srli_epi16(_mm_mullo_epi16(a1, _mm_set1_epi16(short(weight))), 8);
}

struct CopySourceAlphaKernel {
    static constexpr bool kSkipsTransparent = true;
    static __m128i two(__m128i d, __m128i s, int weight) {
        const __m128i ws = sourceWeight(s, weight);
        const __m128i colour = lerp16(d, s, _mm_sub_epi16(_mm_set1_epi16(256), ws));
        return withAlpha(colour, _mm_add_epi16(d, ws));
    }
};

struct AddSourceAlphaKernel {
    static constexpr bool kSkipsTransparent = true;
    static __m128i two(__m128i d, __m128i s, int weight) {
        const __m128i added = _mm_srli_epi16(_mm_mullo_epi16(s, sourceWeight(s, weight)), 8);
        return _mm_add_epi16(d, added);
    }
};

struct CopyIgnoreWeightKernel {
    static constexpr bool kSkipsTransparent = true;
    static __m128i two(__m128i d, __m128i s, int) {
        const __m128i colour =
            lerp16(d, s, _mm_sub_epi16(_mm_set1_epi16(255), alphaOfEachPixel(s)));
        return withAlpha(colour, _mm_add_epi16(d, s));
    }
};

template <>
void blitSpan<_RAST_CombinePixelsCopyNoClamp>(unsigned char* d, const unsigned char* s, int w,
                                              int weight) {
    vectorSpan<CopyKernel, _RAST_CombinePixelsCopyNoClamp>(d, s, w, weight);
}

template <>
void blitSpan<_RAST_CombinePixelsCopySourceAlphaNoClamp>(unsigned char* d, const unsigned char* s,
                                                         int w, int weight) {
    vectorSpan<CopySourceAlphaKernel, _RAST_CombinePixelsCopySourceAlphaNoClamp>(d, s, w, weight);
}

template <>
void blitSpan<_RAST_CombinePixelsAddSourceAlpha>(unsigned char* d, const unsigned char* s, int w,
                                                 int weight) {
    vectorSpan<AddSourceAlphaKernel, _RAST_CombinePixelsAddSourceAlpha>(d, s, w, weight);
}

template <>
void blitSpan<_RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(unsigned char* d,
                                                                        const unsigned char* s,
                                                                        int w, int weight) {
    vectorSpan<CopyIgnoreWeightKernel, _RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(
        d, s, w, weight);
}
#endif

} // namespace

template <class P>
void _RAST_Template_Blit2<P>::blit(unsigned char* dest, const unsigned char* src, int w, int h,
                                   int srcstep, int deststep, int weight) {
    for (; h > 0; --h, dest += deststep, src += srcstep)
        blitSpan<P>(dest, src, w, weight);
}

namespace {

using rast_detail::Rows;

template <class P> struct BlitEntry { static constexpr auto fn = &_RAST_Template_Blit2<P>::blit; };

// Row by row with memmove; when the destination lies after the source in memory the rows go
// last to first, so that a bitmap copied onto itself reads no row it has already written.
void copyRows(const Rows& d, const Rows& s, int w, int h) {
    const bool backward = (reinterpret_cast<uintptr_t>(d.first) >
                           reinterpret_cast<uintptr_t>(s.first)) == (d.step > 0);
    for (int i = 0; i < h; ++i) {
        const ptrdiff_t row = backward ? h - 1 - i : i;
        memmove(d.first + row * d.step, s.first + row * s.step, size_t(w) * 4);
    }
}

void halfBlendRows(const Rows& d, const Rows& s, int w, int h) {
    for (ptrdiff_t row = 0; row < h; ++row) {
        auto* dp = reinterpret_cast<RAST_pixel*>(d.first + row * d.step);
        const auto* sp = reinterpret_cast<const RAST_pixel*>(s.first + row * s.step);
        for (int x = 0; x < w; ++x)
            _RAST_CombinePixelsHalfMixFAST::doPix(dp + x, sp[x]);
    }
}

void copyChannel(const Rows& d, const Rows& s, int w, int h, int mode) {
    const int from = mode & 3;
    const int to = (mode >> 2) & 3;
    for (ptrdiff_t row = 0; row < h; ++row) {
        unsigned char* dp = d.first + row * d.step + to;
        const unsigned char* sp = s.first + row * s.step + from;
        for (int x = 0; x < w; ++x)
            dp[x * 4] = sp[x * 4];
    }
}

int saturate(int64_t v) {
    return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

} // namespace

void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, const RECT* srcrect,
               float alpha, int mode) {
    const int weight = RAST_WeightFromAlpha(alpha);
    if (!dest || !src || weight == 0) return;

    // Clipping runs in 64 bits so that no coordinate overflows.
    const int64_t srcW = src->getWidth(), srcH = src->getHeight();
    int64_t sx = 0, sy = 0, right = srcW, bottom = srcH;
    int64_t dx = dstx, dy = dsty;
    if (srcrect) {
        sx = std::max(srcrect->left, 0);
        sy = std::max(srcrect->top, 0);
        if (srcrect->left < 0) dx -= srcrect->left;
        if (srcrect->top < 0) dy -= srcrect->top;
        right = std::min<int64_t>(srcrect->right, srcW);
        bottom = std::min<int64_t>(srcrect->bottom, srcH);
    }
    if (dx < 0) sx -= dx, dx = 0;
    if (dy < 0) sy -= dy, dy = 0;
    right = std::min(right, sx + dest->getWidth() - dx);
    bottom = std::min(bottom, sy + dest->getHeight() - dy);
    if (right <= sx || bottom <= sy) return;
    if (!dest->getBits() || !src->getBits()) return;

    const int w = int(right - sx), h = int(bottom - sy);
    const Rows d = rast_detail::RowsAt(*dest, int(dx), int(dy));
    const Rows s = rast_detail::RowsAt(*src, int(sx), int(sy));

    if ((mode & RAST_MODE_CHANNEL_COPY) == RAST_MODE_CHANNEL_COPY) {
        copyChannel(d, s, w, h, mode);
        return;
    }
    const int index = RAST_ModeIndex(mode);
    if (index == RAST_MODE_COPY && weight == 256) {
        copyRows(d, s, w, h);
        return;
    }
    if (index == RAST_MODE_COPY && alpha == 0.5f) {
        halfBlendRows(d, s, w, h);
        return;
    }
    if (const auto blit = RAST_ModeMember<BlitEntry>(mode, weight))
        blit(d.first, s.first, w, h, s.step, d.step, weight);
}

void RAST_Blit(RAST_IBitmap* dest, RAST_IBitmap* src, int dstx, int dsty, int srcx, int srcy,
               int srcw, int srch, float alpha, int mode) {
    const RECT r = {srcx, srcy, saturate(int64_t(srcx) + srcw), saturate(int64_t(srcy) + srch)};
    RAST_Blit(dest, src, dstx, dsty, &r, alpha, mode);
}

void RAST_Copy(RAST_IBitmap* dest, RAST_IBitmap* src) {
    if (!dest || !src) return;
    dest->resize(src->getWidth(), src->getHeight());
    RAST_Blit(dest, src, 0, 0, nullptr, 1.0f, RAST_MODE_COPY);
}
