#include "GuardedBitmap.h"

#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_MemBitmap.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <vector>

namespace {

// Opaque, different everywhere, with odd and even bytes.
RAST_pixel sourcePixel(int x, int y) {
    return P(16 * x + 1, 16 * y + 2, 7 * x + 5 * y, 255);
}
RAST_pixel backgroundPixel(int x, int y) {
    return P(200 - x, 100 + y, 51, 128 + x + y);
}

// A blit's pixel: the channel copy moves one byte unweighted, the plain copy at exactly 0.5
// halves both words before adding them, the rest is the pixel operation.
RAST_pixel combined(RAST_pixel old, RAST_pixel src, float alpha, int mode) {
    if ((mode & 0xF0) == 0xF0) {
        const int from = (mode & 3) * 8, to = ((mode >> 2) & 3) * 8;
        return (old & ~(0xFFu << to)) | (((src >> from) & 0xFF) << to);
    }
    if ((mode & 0x100FF) == 0 && alpha == 0.5f)
        return ((old >> 1) & 0x7F7F7F7F) + ((src >> 1) & 0x7F7F7F7F);
    return RAST_CombinePixels(old, src, alpha, mode);
}

} // namespace

// Every source pixel inside both the rectangle and the source lands at its own offset from
// the rectangle's corner, if that lies in the destination.
TEST(Blit, ClipsAtEveryEdgeInEveryPath) {
    const std::optional<RECT> rects[] = {std::nullopt,      RECT{-2, -1, 3, 2},  RECT{1, 1, 5, 3},
                                         RECT{4, 3, 10, 9}, RECT{-5, 0, 10, 10}, RECT{3, 1, 2, 3},
                                         RECT{2, 2, 2, 4},  RECT{7, 0, 9, 4}};
    const struct {
        float alpha;
        int mode;
        bool flipSrc = false, flipDest = false;
    } paths[] = {{1, 0},
                 {0.5f, 0},
                 {0.25f, 0},
                 {1, 0x100},
                 {0.5f, 1},
                 {1, 0x10000},
                 {0.5f, 0x10000},
                 {1, 5},
                 {0.3f, 0xF6},
                 {1, 0x10003},
                 {1, 0, true},
                 {1, 0, false, true},
                 {1, 0, true, true}};
    for (const auto& rect : rects)
        for (const auto& p : paths)
            for (int dy = -6; dy <= 7; ++dy)
                for (int dx = -8; dx <= 9; ++dx) {
                    GuardedBitmap src(6, 4, p.flipSrc), dest(7, 5, p.flipDest);
                    src.fill(sourcePixel);
                    dest.fill(backgroundPixel);
                    const RECT r = rect.value_or(RECT{0, 0, 6, 4});
                    RAST_Blit(&dest, &src, dx, dy, rect ? &*rect : nullptr, p.alpha, p.mode);
                    ASSERT_TRUE(pictureIs(dest,
                                          [&](int x, int y) {
                                              const int sx = x - dx + r.left, sy = y - dy + r.top;
                                              const bool reached = sx >= std::max(r.left, 0) &&
                                                                   sx < std::min(r.right, 6) &&
                                                                   sy >= std::max(r.top, 0) &&
                                                                   sy < std::min(r.bottom, 4);
                                              return reached ? combined(backgroundPixel(x, y),
                                                                        sourcePixel(sx, sy),
                                                                        p.alpha, p.mode)
                                                             : backgroundPixel(x, y);
                                          }))
                        << "to " << dx << "," << dy << " from " << r.left << "," << r.top << ","
                        << r.right << "," << r.bottom << " mode 0x" << std::hex << p.mode
                        << " alpha " << p.alpha << " flips " << p.flipSrc << p.flipDest;
                }
}

TEST(Blit, WideRowsMatchThePixelOperations) {
    // The red channel meets every difference of destination and source byte, the others
    // scattered pairs; each run covers one weight or one source alpha.
    constexpr int kW = 512;
    GuardedBitmap src(kW, 1), dest(kW, 1);
    const auto check = [&](int a, float alpha, int mode) {
        src.fill([a](int x, int) { return P(x < 256 ? 0 : x - 256, x * 7, x * 29, a); });
        dest.fill([](int x, int) { return P(x < 256 ? x : 0, 255 - x, x * 13, x * 3); });
        const std::vector<RAST_pixel> before = dest.picture();
        RAST_Blit(&dest, &src, 0, 0, nullptr, alpha, mode);
        ASSERT_TRUE(pictureIs(
            dest,
            [&](int x, int) { return RAST_CombinePixels(before[x], src.at(x, 0), alpha, mode); }))
            << "source alpha " << a << " alpha " << alpha << " mode " << mode;
    };
    for (int w = 1; w < 256; ++w)
        if (w != 128) check(w, float(w) / 256.0f, 0); // 0.5 is the half blend
    for (int a = 0; a < 256; ++a)
        for (float alpha : {1.0f, 0.5f, 1.0f / 256, 255.0f / 256})
            for (int mode : {0x10000, 0x10001}) {
                check(a, alpha, mode);
                if (HasFatalFailure()) return;
            }
}

TEST(Blit, EmptyOrWeightlessInputDrawsNothing) {
    GuardedBitmap src(6, 4), dest(7, 5);
    src.fill(sourcePixel);
    dest.fill(backgroundPixel);
    RAST_MemBitmap empty(0, 0);
    RAST_Blit(&dest, nullptr, 0, 0, nullptr, 1.0f, 0);
    RAST_Blit(nullptr, &src, 0, 0, nullptr, 1.0f, 0);
    RAST_Blit(&dest, &empty, 0, 0, nullptr, 1.0f, 0);
    for (int mode : {0, 1, 0x10000, 0xF0, 0x10006}) {
        RAST_Blit(&dest, &src, 0, 0, nullptr, 0.0f, mode);
        RAST_Blit(&dest, &src, 0, 0, nullptr, -1.0f, mode);
        RAST_Blit(&dest, &src, 0, 0, 2, 2, 0, 2, 1.0f, mode);
        RAST_Blit(&dest, &src, 0, 0, 0, 0, INT_MAX, INT_MAX, 0.001f, mode); // weight 0
    }
    EXPECT_TRUE(pictureIs(dest, backgroundPixel));
}

TEST(Blit, OpaqueCopyOntoItselfMovesThePicture) {
    for (bool flipped : {false, true})
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                GuardedBitmap bm(9, 7, flipped);
                bm.fill(sourcePixel);
                RAST_Blit(&bm, &bm, 2 + dx, 1 + dy, 2, 1, 5, 4, 1.0f, 0);
                ASSERT_TRUE(pictureIs(bm,
                                      [&](int x, int y) {
                                          const bool moved = x >= 2 + dx && x < 7 + dx &&
                                                             y >= 1 + dy && y < 5 + dy;
                                          return moved ? sourcePixel(x - dx, y - dy)
                                                       : sourcePixel(x, y);
                                      }))
                    << "shift " << dx << "," << dy;
            }
}

// Rows without a gap between them, in memory order or flipped, with a guard word on either
// side of the block.
class GaplessBitmap : public RAST_IBitmap {
public:
    GaplessBitmap(int w, int h, bool flipped) : m_w(w), m_h(h), m_flipped(flipped),
                                                m_block(size_t(w * h + 2), kGuard) {}
    RAST_pixel* getBits() const override { return const_cast<RAST_pixel*>(m_block.data()) + 1; }
    int getWidth() const override { return m_w; }
    int getHeight() const override { return m_h; }
    int getRowSpan() const override { return m_w; }
    bool isFlipped() const override { return m_flipped; }
    bool resize(int, int) override { return false; }
    RAST_pixel& at(int x, int y) { return *RAST_PixelAt(*this, x, y); }
    bool guardsIntact() const { return m_block.front() == kGuard && m_block.back() == kGuard; }

private:
    static constexpr RAST_pixel kGuard = 0xDEADBEEF;
    int m_w, m_h;
    bool m_flipped;
    std::vector<RAST_pixel> m_block;
};

TEST(Blit, WholeRowsWithoutGapsGoAsOneBlock) {
    for (bool flipped : {false, true})
        for (int dy : {-1, 0, 1}) {
            // One bitmap onto another, and onto itself a row up or down.
            GaplessBitmap src(5, 4, flipped), other(5, 4, flipped);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 5; ++x)
                    src.at(x, y) = sourcePixel(x, y), other.at(x, y) = backgroundPixel(x, y);
            GaplessBitmap& dest = dy == 0 ? other : src;
            RAST_Blit(&dest, &src, 0, dy, nullptr, 1.0f, 0);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 5; ++x) {
                    const bool kept = y - dy < 0 || y - dy >= 4;
                    ASSERT_EQ(dest.at(x, y), kept ? sourcePixel(x, y) : sourcePixel(x, y - dy))
                        << "flipped " << flipped << " shift " << dy << " at " << x << "," << y;
                }
            EXPECT_TRUE(dest.guardsIntact());
        }
}

TEST(Copy, MakesAnExactCopyOrWhatFits) {
    GuardedBitmap src(30, 20), small(3, 2);
    src.fill(sourcePixel);
    RAST_MemBitmap mem(0, 0, 4);
    RAST_Copy(&mem, &src);
    ASSERT_EQ(mem.getHeight(), 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(mem.getBits()[y * 32 + x], sourcePixel(x, y));
    RAST_Copy(&small, &src); // cannot resize
    EXPECT_TRUE(pictureIs(small, sourcePixel));
}
