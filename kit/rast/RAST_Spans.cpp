#include "kit/rast/RAST_Spans.h"

#include "kit/rast/RAST_BlitLoops.h"
#include "kit/rast/RAST_CombinePixels.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include <immintrin.h>

namespace {

// One instruction set's row kernels, in the order of RAST_Spans.h.
struct SpanKernels {
    void (*copy)(unsigned char*, const unsigned char*, int, int);
    void (*copySourceAlpha)(unsigned char*, const unsigned char*, int, int);
    void (*copySourceAlphaFull)(unsigned char*, const unsigned char*, int);
    void (*addSourceAlpha)(unsigned char*, const unsigned char*, int, int);
    void (*fillCopy)(unsigned char*, int, int, int, int, int, int);
    void (*fillWords)(RAST_pixel*, int, RAST_pixel);
    void (*fillQuarters)(RAST_pixel*, int, RAST_pixel, int);
    void (*bilinearRow)(unsigned char*, const unsigned char*, ptrdiff_t, const int*, const int*,
                        int, unsigned);
};

} // namespace

// The pixel operations one pixel at a time: the meaning of every kernel, and the tail of the
// vector ones.
namespace rast_scalar {
namespace {

template <class P> void blend(unsigned char* d, const unsigned char* s, int w, int weight) {
    for (int x = 0; x < w; ++x, d += 4, s += 4)
        P::doPix(d, s[1], s[2], s[3], s[0], weight);
}

void copy(unsigned char* d, const unsigned char* s, int w, int weight) {
    blend<_RAST_CombinePixelsCopyNoClamp>(d, s, w, weight);
}
void copySourceAlpha(unsigned char* d, const unsigned char* s, int w, int weight) {
    blend<_RAST_CombinePixelsCopySourceAlphaNoClamp>(d, s, w, weight);
}
void copySourceAlphaFull(unsigned char* d, const unsigned char* s, int w) {
    blend<_RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(d, s, w, 256);
}
void addSourceAlpha(unsigned char* d, const unsigned char* s, int w, int weight) {
    blend<_RAST_CombinePixelsAddSourceAlpha>(d, s, w, weight);
}
void fillCopy(unsigned char* d, int w, int r, int g, int b, int a, int weight) {
    for (int x = 0; x < w; ++x, d += 4)
        _RAST_CombinePixelsCopyNoClamp::doPix(d, r, g, b, a, weight);
}
void fillWords(RAST_pixel* d, int w, RAST_pixel colour) {
    for (int x = 0; x < w; ++x)
        d[x] = colour;
}
void fillQuarters(RAST_pixel* d, int w, RAST_pixel colour, int quarters) {
    RAST_pixel (*const mix)(RAST_pixel, RAST_pixel) = quarters == 1   ? rast_detail::MixQuarter
                                                      : quarters == 2 ? rast_detail::MixHalf
                                                                      : rast_detail::MixThreeQuarter;
    for (int x = 0; x < w; ++x)
        d[x] = mix(d[x], colour);
}
void bilinearRow(unsigned char* d, const unsigned char* line, ptrdiff_t stride, const int* offset,
                 const int* fraction, int n, unsigned yf) {
    for (int i = 0; i < n; ++i, d += 4) {
        int c[4];
        rast_detail::BilinearSample(line + offset[i], stride, unsigned(fraction[i]), yf, true, true,
                                    c);
        for (int k = 0; k < 4; ++k)
            d[k] = (unsigned char)c[k];
    }
}

constexpr SpanKernels kKernels = {copy,     copySourceAlpha, copySourceAlphaFull, addSourceAlpha,
                                  fillCopy, fillWords,       fillQuarters,        bilinearRow};

} // namespace
} // namespace rast_scalar

// Four pixels to a vector; 16-bit lanes hold two of them.
namespace rast_sse2 {
namespace {

using V = __m128i;
constexpr int kPixels = 4;
constexpr unsigned kAlphaBytes = 0x1111;

inline V load(const void* p) { return _mm_loadu_si128(static_cast<const V*>(p)); }
inline void store(void* p, V v) { _mm_storeu_si128(static_cast<V*>(p), v); }
inline V zero() { return _mm_setzero_si128(); }
inline V set16(int v) { return _mm_set1_epi16(short(v)); }
inline V set32(int v) { return _mm_set1_epi32(v); }
inline V add16(V a, V b) { return _mm_add_epi16(a, b); }
inline V add32(V a, V b) { return _mm_add_epi32(a, b); }
template <int N> inline V shr32(V a) { return _mm_srli_epi32(a, N); }
inline V sub16(V a, V b) { return _mm_sub_epi16(a, b); }
inline V mullo16(V a, V b) { return _mm_mullo_epi16(a, b); }
inline V shr8(V a) { return _mm_srli_epi16(a, 8); }
inline V cmpgt16(V a, V b) { return _mm_cmpgt_epi16(a, b); }
inline V cmpeq8(V a, V b) { return _mm_cmpeq_epi8(a, b); }
inline V cmpeq32(V a, V b) { return _mm_cmpeq_epi32(a, b); }
inline V and_(V a, V b) { return _mm_and_si128(a, b); }
inline unsigned movemask8(V a) { return unsigned(_mm_movemask_epi8(a)); }
inline V lo8(V a) { return _mm_unpacklo_epi8(a, zero()); }
inline V hi8(V a) { return _mm_unpackhi_epi8(a, zero()); }
inline V packus16(V a, V b) { return _mm_packus_epi16(a, b); }
// mask ? a : b, for masks of whole lanes.
inline V select(V mask, V a, V b) { return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b)); }
// Each pixel's alpha lane in all four of its lanes.
inline V alphaEach(V a) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(a, 0), 0); }
// The alpha lane of each pixel from alpha, the others from colour.
inline V withAlpha(V colour, V alpha) {
    return select(_mm_set_epi16(0, 0, 0, -1, 0, 0, 0, -1), alpha, colour);
}
inline void leaveWide() {}

// One pixel at a time: the four weights are the same for every channel, so each product is
// one float lane. p x w stays below 2^24 and so do the sums, so the float arithmetic is exact
// and truncating the scaled sum is the integer quotient.
void bilinearRow(unsigned char* d, const unsigned char* line, ptrdiff_t stride, const int* offset,
                 const int* fraction, int n, unsigned yf) {
    const __m128 scale = _mm_set1_ps(1.0f / 65536);
    const auto lanes = [](__m128i v16, bool high) {
        return _mm_cvtepi32_ps(high ? _mm_unpackhi_epi16(v16, zero()) : _mm_unpacklo_epi16(v16, zero()));
    };
    for (int i = 0; i < n; ++i, d += 4) {
        const unsigned xf = unsigned(fraction[i]), w11 = (xf * yf) >> 16, w10 = xf - w11;
        const unsigned char* p = line + offset[i];
        const V top = lo8(_mm_loadl_epi64(reinterpret_cast<const V*>(p)));
        const V bottom = lo8(_mm_loadl_epi64(reinterpret_cast<const V*>(p + stride)));
        __m128 sum = _mm_mul_ps(lanes(top, false), _mm_set1_ps(float(65536 - yf - w10)));
        sum = _mm_add_ps(sum, _mm_mul_ps(lanes(top, true), _mm_set1_ps(float(w10))));
        sum = _mm_add_ps(sum, _mm_mul_ps(lanes(bottom, false), _mm_set1_ps(float(yf - w11))));
        sum = _mm_add_ps(sum, _mm_mul_ps(lanes(bottom, true), _mm_set1_ps(float(w11))));
        const V c = _mm_cvttps_epi32(_mm_mul_ps(sum, scale));
        const int word = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(c, c), c));
        memcpy(d, &word, 4);
    }
}

#include "kit/rast/RAST_SpanKernels.h"

} // namespace
} // namespace rast_sse2

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

// Eight pixels to a vector. The 256-bit unpacks and packs work within each 128-bit half, so
// a round trip through 16-bit lanes keeps the pixel order.
namespace rast_avx2 {
namespace {

using V = __m256i;
constexpr int kPixels = 8;
constexpr unsigned kAlphaBytes = 0x11111111;

inline V load(const void* p) { return _mm256_loadu_si256(static_cast<const V*>(p)); }
inline void store(void* p, V v) { _mm256_storeu_si256(static_cast<V*>(p), v); }
inline V zero() { return _mm256_setzero_si256(); }
inline V set16(int v) { return _mm256_set1_epi16(short(v)); }
inline V set32(int v) { return _mm256_set1_epi32(v); }
inline V add16(V a, V b) { return _mm256_add_epi16(a, b); }
inline V add32(V a, V b) { return _mm256_add_epi32(a, b); }
template <int N> inline V shr32(V a) { return _mm256_srli_epi32(a, N); }
inline V sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
inline V mullo16(V a, V b) { return _mm256_mullo_epi16(a, b); }
inline V shr8(V a) { return _mm256_srli_epi16(a, 8); }
inline V cmpgt16(V a, V b) { return _mm256_cmpgt_epi16(a, b); }
inline V cmpeq8(V a, V b) { return _mm256_cmpeq_epi8(a, b); }
inline V cmpeq32(V a, V b) { return _mm256_cmpeq_epi32(a, b); }
inline V and_(V a, V b) { return _mm256_and_si256(a, b); }
inline unsigned movemask8(V a) { return unsigned(_mm256_movemask_epi8(a)); }
inline V lo8(V a) { return _mm256_unpacklo_epi8(a, zero()); }
inline V hi8(V a) { return _mm256_unpackhi_epi8(a, zero()); }
inline V packus16(V a, V b) { return _mm256_packus_epi16(a, b); }
inline V select(V mask, V a, V b) { return _mm256_blendv_epi8(b, a, mask); }
inline V alphaEach(V a) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(a, 0), 0); }
inline V withAlpha(V colour, V alpha) { return _mm256_blend_epi16(colour, alpha, 0x11); }
// Code built for SSE2 that runs while the upper halves of the 256-bit registers are in use
// stalls on every instruction, so they are cleared before handing over to it.
inline void leaveWide() { _mm256_zeroupper(); }

// Eight pixels at a time, their weights worked out side by side exactly as the scalar sample
// does. Each weight w is split into 256 x (w >> 8) + (w AND 255), so that every product of a
// byte and a weight part fits the signed 16-bit multiply-add, which sums a pixel's channel with
// its right neighbour's; the parts are put together again in 32 bits, where the sum is exact.
void bilinearRow(unsigned char* d, const unsigned char* line, ptrdiff_t stride, const int* offset,
                 const int* fraction, int n, unsigned yf) {
    const V yfs = set32(int(yf));
    // A pixel's bytes and its right neighbour's, paired channel by channel in 16-bit lanes.
    const V pairUp = _mm256_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1, 0,
                                      -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
    const V byte = set32(0xFF);
    // The high and the low parts of a left and a right weight, each pair in one 32-bit lane.
    const auto split = [&](V left, V right, V& high, V& low) {
        high = _mm256_or_si256(_mm256_srli_epi32(left, 8),
                               _mm256_slli_epi32(_mm256_srli_epi32(right, 8), 16));
        low = _mm256_or_si256(_mm256_and_si256(left, byte),
                              _mm256_slli_epi32(_mm256_and_si256(right, byte), 16));
    };
    // Pixels q and q + 4 of the two rows, from columns at a and b.
    const auto pair = [&](const unsigned char* a, const unsigned char* b) {
        int64_t qa, qb;
        memcpy(&qa, a, 8);
        memcpy(&qb, b, 8);
        return _mm256_shuffle_epi8(
            _mm256_blend_epi32(_mm256_set1_epi64x(qa), _mm256_set1_epi64x(qb), 0xF0), pairUp);
    };
    for (; n > 2; n -= 8, offset += 8, fraction += 8, d += 32) {
        // A last group of three to seven repeats its last column in the lanes beyond and keeps
        // only the pixels it has; one or two pixels cost less one at a time.
        alignas(32) int padOffset[8], padFraction[8];
        if (n < 8) {
            for (int j = 0; j < 8; ++j) {
                padOffset[j] = offset[j < n ? j : n - 1];
                padFraction[j] = fraction[j < n ? j : n - 1];
            }
        }
        const int* o = n < 8 ? padOffset : offset;
        const V xf = _mm256_loadu_si256(reinterpret_cast<const V*>(n < 8 ? padFraction : fraction));
        const V w11 = _mm256_srli_epi32(_mm256_mullo_epi32(xf, yfs), 16);
        const V w10 = _mm256_sub_epi32(xf, w11);
        const V w01 = _mm256_sub_epi32(yfs, w11);
        const V w00 = _mm256_sub_epi32(_mm256_sub_epi32(set32(65536), yfs), w10);
        V topHigh, topLow, bottomHigh, bottomLow;
        split(w00, w10, topHigh, topLow);
        split(w01, w11, bottomHigh, bottomLow);
        // Pixels q and q + 4 share a vector, so that each takes its weights from its own half.
        const auto each = [&](V top, V bottom, V t, V b, auto q) {
            constexpr int k = _MM_SHUFFLE(q(), q(), q(), q());
            return _mm256_add_epi32(_mm256_madd_epi16(top, _mm256_shuffle_epi32(t, k)),
                                    _mm256_madd_epi16(bottom, _mm256_shuffle_epi32(b, k)));
        };
        const auto sum = [&](auto q) {
            const unsigned char* a = line + o[q()];
            const unsigned char* b = line + o[q() + 4];
            const V top = pair(a, b), bottom = pair(a + stride, b + stride);
            const V high = each(top, bottom, topHigh, bottomHigh, q);
            const V low = each(top, bottom, topLow, bottomLow, q);
            return _mm256_srli_epi32(_mm256_add_epi32(_mm256_slli_epi32(high, 8), low), 16);
        };
        using Q0 = std::integral_constant<int, 0>;
        using Q1 = std::integral_constant<int, 1>;
        using Q2 = std::integral_constant<int, 2>;
        using Q3 = std::integral_constant<int, 3>;
        const V pixels = _mm256_packus_epi16(_mm256_packs_epi32(sum(Q0()), sum(Q1())),
                                             _mm256_packs_epi32(sum(Q2()), sum(Q3())));
        if (n >= 8) {
            store(d, pixels);
        } else {
            alignas(32) unsigned char group[32];
            store(group, pixels);
            memcpy(d, group, size_t(n) * 4);
        }
    }
    leaveWide();
    if (n > 0) rast_sse2::bilinearRow(d, line, stride, offset, fraction, n, yf);
}

#include "kit/rast/RAST_SpanKernels.h"

} // namespace
} // namespace rast_avx2

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

namespace {

RAST_SimdLevel bestLevel() {
    return __builtin_cpu_supports("avx2") ? RAST_SimdLevel::AVX2 : RAST_SimdLevel::SSE2;
}

RAST_SimdLevel levelFromEnvironment() {
    const char* e = getenv("ZOZ_RAST_SIMD");
    const RAST_SimdLevel best = bestLevel();
    if (!e) return best;
    if (!strcmp(e, "scalar")) return RAST_SimdLevel::Scalar;
    if (!strcmp(e, "sse2")) return RAST_SimdLevel::SSE2;
    return best;
}

std::atomic<RAST_SimdLevel>& level() {
    static std::atomic<RAST_SimdLevel> l{levelFromEnvironment()};
    return l;
}

const SpanKernels& kernels() {
    switch (level().load(std::memory_order_relaxed)) {
    case RAST_SimdLevel::AVX2:
        return rast_avx2::kKernels;
    case RAST_SimdLevel::SSE2:
        return rast_sse2::kKernels;
    default:
        return rast_scalar::kKernels;
    }
}

} // namespace

RAST_SimdLevel RAST_GetSimdLevel() {
    return level().load(std::memory_order_relaxed);
}

RAST_SimdLevel RAST_SetSimdLevel(RAST_SimdLevel l) {
    level().store(std::min(l, bestLevel()));
    return RAST_GetSimdLevel();
}

namespace rast_span {

void copy(unsigned char* d, const unsigned char* s, int w, int weight) {
    kernels().copy(d, s, w, weight);
}
void copySourceAlpha(unsigned char* d, const unsigned char* s, int w, int weight) {
    kernels().copySourceAlpha(d, s, w, weight);
}
void copySourceAlphaFull(unsigned char* d, const unsigned char* s, int w) {
    kernels().copySourceAlphaFull(d, s, w);
}
void addSourceAlpha(unsigned char* d, const unsigned char* s, int w, int weight) {
    kernels().addSourceAlpha(d, s, w, weight);
}
void fillCopy(unsigned char* d, int w, int r, int g, int b, int a, int weight) {
    kernels().fillCopy(d, w, r, g, b, a, weight);
}
void fillWords(RAST_pixel* d, int w, RAST_pixel colour) {
    kernels().fillWords(d, w, colour);
}
void fillQuarters(RAST_pixel* d, int w, RAST_pixel colour, int quarters) {
    kernels().fillQuarters(d, w, colour, quarters);
}
void bilinearRow(unsigned char* d, const unsigned char* line, ptrdiff_t stride,
                 const BilinearColumns& columns, unsigned yf) {
    kernels().bilinearRow(d, line, stride, columns.offset.data(), columns.fraction.data(),
                          int(columns.offset.size()), yf);
}

} // namespace rast_span
