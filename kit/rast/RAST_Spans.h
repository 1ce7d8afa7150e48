#pragma once

// Row kernels of the hot drawing paths, each giving exactly the bytes of its pixel operation
// applied pixel by pixel, on the widest vector instructions the processor has. Not for
// callers outside kit/rast.

#include "kit/rast/RAST_IBitmap.h"

#include <cstddef>
#include <vector>

// Which instructions the row kernels use. AVX2 only where the processor reports it; SSE2 is
// the x86-64 baseline; scalar is the pixel operations themselves.
enum class RAST_SimdLevel : int { Scalar, SSE2, AVX2 };

// The level in force: the best the processor has, or as forced.
RAST_SimdLevel RAST_GetSimdLevel();
// Forces a level (capped at what the processor has) so that every path can be checked and
// compared on one machine; the environment variable ZOZ_RAST_SIMD (scalar, sse2, avx2) does
// the same at start-up. Returns the level now in force.
RAST_SimdLevel RAST_SetSimdLevel(RAST_SimdLevel level);

namespace rast_span {

// _RAST_CombinePixelsCopyNoClamp over w pixels of s onto d at weight 1..255.
void copy(unsigned char* d, const unsigned char* s, int w, int weight);
// _RAST_CombinePixelsCopySourceAlphaNoClamp at weight 1..256.
void copySourceAlpha(unsigned char* d, const unsigned char* s, int w, int weight);
// _RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp.
void copySourceAlphaFull(unsigned char* d, const unsigned char* s, int w);
// _RAST_CombinePixelsAddSourceAlpha at weight 1..256.
void addSourceAlpha(unsigned char* d, const unsigned char* s, int w, int weight);

// _RAST_CombinePixelsCopyNoClamp of the colour (r, g, b, a) into w pixels at weight 1..256.
void fillCopy(unsigned char* d, int w, int r, int g, int b, int a, int weight);
// Every one of w pixels becomes colour.
void fillWords(RAST_pixel* d, int w, RAST_pixel colour);
// The copy of the colour at weight 64 x quarters (1 to 3) into w pixels in the word-wide form
// of the fills (rast_detail::MixQuarter, MixHalf, MixThreeQuarter).
void fillQuarters(RAST_pixel* d, int w, RAST_pixel colour, int quarters);

// Where the samples of a bilinear row fall, the same on every row of one draw: for each pixel
// the byte offset of its source column in a row and its 16.16 fraction toward the next.
struct BilinearColumns {
    std::vector<int> offset, fraction;
};

// Bilinear samples stored unblended (the clobber operation) into the pixels of columns: each
// blends its column and the next in the source row line and the row stride bytes on, with
// the row fraction yf. Every column must have a right neighbour inside the source; a stride
// of 0 blends along the row alone.
void bilinearRow(unsigned char* d, const unsigned char* line, ptrdiff_t stride,
                 const BilinearColumns& columns, unsigned yf);

} // namespace rast_span
