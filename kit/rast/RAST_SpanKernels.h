// The vector row kernels, written once over the lane operations of one vector width.
// RAST_Spans.cpp includes this file once per instruction set, inside a namespace that
// defines V, kPixels (pixels per V), kAlphaBytes (the movemask bits of the alpha bytes) and the
// operations used below, and compiles it for that set. Each kernel does whole vectors and
// hands the remaining pixels to the scalar kernel of the same name, after leaveWide().

// s + (d - s) x k / 256 truncated toward zero in each 16-bit lane (d, s 0..255, k 0..256):
// the quotient of s x (256 - k) + d x k, rounded up where s > d. No sum reaches 65536.
inline V lerp(V d, V s, V k) {
    const V t = add16(mullo16(s, sub16(set16(256), k)), mullo16(d, k));
    return shr8(add16(t, and_(cmpgt16(s, d), set16(255))));
}

// ((a + 1) x weight) / 256 for each pixel's source alpha a, in all four of its lanes.
inline V sourceWeight(V s, int weight) {
    const V a1 = add16(alphaEach(s), set16(1));
    return weight == 256 ? a1 : shr8(mullo16(a1, set16(weight)));
}

struct CopyKernel {
    static constexpr bool kSkipsTransparent = false, kCopiesOpaque = false;
    static V run(V d, V s, int weight) { return lerp(d, s, set16(256 - weight)); }
};

struct CopySourceAlphaKernel {
    static constexpr bool kSkipsTransparent = true, kCopiesOpaque = false;
    static V run(V d, V s, int weight) {
        const V ws = sourceWeight(s, weight);
        return withAlpha(lerp(d, s, sub16(set16(256), ws)), add16(d, ws));
    }
};

// An opaque source pixel comes out as itself, so whole vectors of them are stored as they are.
struct CopySourceAlphaFullKernel {
    static constexpr bool kSkipsTransparent = true, kCopiesOpaque = true;
    static V run(V d, V s, int) {
        return withAlpha(lerp(d, s, sub16(set16(255), alphaEach(s))), add16(d, s));
    }
};

struct AddSourceAlphaKernel {
    static constexpr bool kSkipsTransparent = true, kCopiesOpaque = false;
    static V run(V d, V s, int weight) { return add16(d, shr8(mullo16(s, sourceWeight(s, weight)))); }
};

// Whole vectors of pixels through Kernel::run on 16-bit lanes; returns how many pixels it did.
// Packing back to bytes saturates at 255, which is the clamp of the add and the cap of the
// alpha byte.
template <class Kernel> int blendVectors(unsigned char* d, const unsigned char* s, int w, int weight) {
    int x = 0;
    for (; x + kPixels <= w; x += kPixels, d += 4 * kPixels, s += 4 * kPixels) {
        const V S = load(s);
        if constexpr (Kernel::kSkipsTransparent) {
            const unsigned alphas = movemask8(cmpeq8(S, zero())) & kAlphaBytes;
            if (alphas == kAlphaBytes) continue;
            if constexpr (Kernel::kCopiesOpaque)
                if ((movemask8(cmpeq8(S, set32(-1))) & kAlphaBytes) == kAlphaBytes) {
                    store(d, S);
                    continue;
                }
        }
        const V D = load(d);
        V R = packus16(Kernel::run(lo8(D), lo8(S), weight), Kernel::run(hi8(D), hi8(S), weight));
        if constexpr (Kernel::kSkipsTransparent)
            R = select(cmpeq32(and_(S, set32(0xFF)), zero()), D, R);
        store(d, R);
    }
    return x;
}

void copy(unsigned char* d, const unsigned char* s, int w, int weight) {
    const int x = blendVectors<CopyKernel>(d, s, w, weight);
    leaveWide();
    rast_scalar::copy(d + 4 * x, s + 4 * x, w - x, weight);
}

void copySourceAlpha(unsigned char* d, const unsigned char* s, int w, int weight) {
    const int x = blendVectors<CopySourceAlphaKernel>(d, s, w, weight);
    leaveWide();
    rast_scalar::copySourceAlpha(d + 4 * x, s + 4 * x, w - x, weight);
}

void copySourceAlphaFull(unsigned char* d, const unsigned char* s, int w) {
    const int x = blendVectors<CopySourceAlphaFullKernel>(d, s, w, 256);
    leaveWide();
    rast_scalar::copySourceAlphaFull(d + 4 * x, s + 4 * x, w - x);
}

void addSourceAlpha(unsigned char* d, const unsigned char* s, int w, int weight) {
    const int x = blendVectors<AddSourceAlphaKernel>(d, s, w, weight);
    leaveWide();
    rast_scalar::addSourceAlpha(d + 4 * x, s + 4 * x, w - x, weight);
}

void fillWords(RAST_pixel* d, int w, RAST_pixel colour) {
    const V c = set32(int(colour));
    int x = 0;
    for (; x + kPixels <= w; x += kPixels)
        store(d + x, c);
    leaveWide();
    rast_scalar::fillWords(d + x, w - x, colour);
}

// The word-wide copies at weights 64, 128 and 192 (rast_detail::MixQuarter, MixHalf,
// MixThreeQuarter) on whole vectors of words: the shifted and masked bytes of each word add
// without a carry, as in one word.
template <int Q> int fillQuartersOf(RAST_pixel* d, int w, RAST_pixel colour) {
    const V half = set32(0x7F7F7F7F), quarter = set32(0x3F3F3F3F), c = set32(int(colour));
    const V cHalf = and_(shr32<1>(c), half), cQuarter = and_(shr32<2>(c), quarter);
    int x = 0;
    for (; x + kPixels <= w; x += kPixels) {
        const V p = load(d + x);
        const V pHalf = and_(shr32<1>(p), half), pQuarter = and_(shr32<2>(p), quarter);
        if constexpr (Q == 1) store(d + x, add32(add32(pHalf, pQuarter), cQuarter));
        if constexpr (Q == 2) store(d + x, add32(pHalf, cHalf));
        if constexpr (Q == 3) store(d + x, add32(pQuarter, add32(cHalf, cQuarter)));
    }
    return x;
}

void fillQuarters(RAST_pixel* d, int w, RAST_pixel colour, int quarters) {
    const int x = quarters == 1   ? fillQuartersOf<1>(d, w, colour)
                  : quarters == 2 ? fillQuartersOf<2>(d, w, colour)
                                  : fillQuartersOf<3>(d, w, colour);
    leaveWide();
    rast_scalar::fillQuarters(d + x, w - x, colour, quarters);
}

// The lerp with a constant colour: s x weight is worked out once.
void fillCopy(unsigned char* d, int w, int r, int g, int b, int a, int weight) {
    if (weight == 256) {
        fillWords(reinterpret_cast<RAST_pixel*>(d), w, RAST_MakePixel(r, g, b, a));
        return;
    }
    const V s = lo8(set32(int(RAST_MakePixel(r, g, b, a))));
    const V sw = mullo16(s, set16(weight)), k = set16(256 - weight);
    const auto blend = [&](V d16) {
        return shr8(add16(add16(sw, mullo16(d16, k)), and_(cmpgt16(s, d16), set16(255))));
    };
    int x = 0;
    for (; x + kPixels <= w; x += kPixels, d += 4 * kPixels) {
        const V D = load(d);
        store(d, packus16(blend(lo8(D)), blend(hi8(D))));
    }
    leaveWide();
    rast_scalar::fillCopy(d, w - x, r, g, b, a, weight);
}

constexpr SpanKernels kKernels = {copy,     copySourceAlpha, copySourceAlphaFull, addSourceAlpha,
                                  fillCopy, fillWords,       fillQuarters,        bilinearRow};
