#include "kit/rast/RAST_Blit.h"

#include "kit/rast/RAST_CombinePixels.h"

#include <algorithm>
#include <climits>
#include <cstring>

// The inner loop of one combine mode, instantiated per pixel-operation class so that the
// per-pixel work has no dispatch. Steps are in bytes and may be negative (flipped bitmaps).
template <class P> struct _RAST_Template_Blit2 {
    static void blit(unsigned char* dest, const unsigned char* src, int w, int h, int srcstep,
                     int deststep, int weight) {
        for (; h > 0; --h, dest += deststep, src += srcstep) {
            unsigned char* d = dest;
            const unsigned char* s = src;
            for (int x = 0; x < w; ++x, d += 4, s += 4)
                P::doPix(d, s[1], s[2], s[3], s[0], weight);
        }
    }
};

namespace {

template <class P> struct BlitEntry { static constexpr auto fn = &_RAST_Template_Blit2<P>::blit; };
constexpr auto kBlitters = RAST_MakeModeTable<BlitEntry>(RAST_ModeOps{});

// Where a blit starts in one bitmap: the byte of its first pixel, and the byte step from one
// picture row to the next.
struct Rows {
    unsigned char* first;
    int step;
};

Rows rowsAt(const RAST_IBitmap& bm, int x, int y) {
    const int span = bm.getRowSpan() * 4;
    const bool flipped = bm.isFlipped();
    const int memoryRow = flipped ? bm.getHeight() - 1 - y : y;
    return {reinterpret_cast<unsigned char*>(bm.getBits()) + ptrdiff_t(memoryRow) * span +
                ptrdiff_t(x) * 4,
            flipped ? -span : span};
}

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

// Each channel of both pictures halved, then added: an odd low bit is lost on both sides.
void halfBlendRows(const Rows& d, const Rows& s, int w, int h) {
    for (ptrdiff_t row = 0; row < h; ++row) {
        auto* dp = reinterpret_cast<RAST_pixel*>(d.first + row * d.step);
        const auto* sp = reinterpret_cast<const RAST_pixel*>(s.first + row * s.step);
        for (int x = 0; x < w; ++x)
            dp[x] = ((dp[x] >> 1) & 0x7F7F7F7F) + ((sp[x] >> 1) & 0x7F7F7F7F);
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
    const Rows d = rowsAt(*dest, int(dx), int(dy));
    const Rows s = rowsAt(*src, int(sx), int(sy));

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
    if (index < 0) return;
    const auto blit =
        weight == 256 && index == RAST_SOURCE_ALPHA_INDEX + RAST_MODE_COPY
            ? &_RAST_Template_Blit2<_RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::blit
            : kBlitters[index];
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
