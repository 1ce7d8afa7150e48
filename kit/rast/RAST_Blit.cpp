#include "kit/rast/RAST_Blit.h"

#include "kit/rast/RAST_BlitLoops.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_Spans.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// One row of pixels through a pixel operation; the copies and the source-alpha add, which
// carry the editor's image drawing, have row kernels of their own.
template <class P> void blitSpan(unsigned char* d, const unsigned char* s, int w, int weight) {
    for (int x = 0; x < w; ++x, d += 4, s += 4)
        P::doPix(d, s[1], s[2], s[3], s[0], weight);
}

template <>
void blitSpan<_RAST_CombinePixelsCopyNoClamp>(unsigned char* d, const unsigned char* s, int w,
                                              int weight) {
    rast_span::copy(d, s, w, weight);
}

template <>
void blitSpan<_RAST_CombinePixelsCopySourceAlphaNoClamp>(unsigned char* d, const unsigned char* s,
                                                         int w, int weight) {
    rast_span::copySourceAlpha(d, s, w, weight);
}

template <>
void blitSpan<_RAST_CombinePixelsAddSourceAlpha>(unsigned char* d, const unsigned char* s, int w,
                                                 int weight) {
    rast_span::addSourceAlpha(d, s, w, weight);
}

template <>
void blitSpan<_RAST_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>(unsigned char* d,
                                                                        const unsigned char* s,
                                                                        int w, int) {
    rast_span::copySourceAlphaFull(d, s, w);
}

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
// last to first, so that a bitmap copied onto itself reads no row it has already written. Rows
// that follow each other without a gap in both bitmaps go as one block.
void copyRows(const Rows& d, const Rows& s, int w, int h) {
    const ptrdiff_t rowBytes = ptrdiff_t(w) * 4;
    if (d.step == s.step && (d.step == rowBytes || d.step == -rowBytes)) {
        const ptrdiff_t lowest = d.step > 0 ? 0 : (h - 1) * d.step;
        memmove(d.first + lowest, s.first + lowest, size_t(rowBytes) * size_t(h));
        return;
    }
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
