#include "kit/rast/RAST_MemBitmap.h"
#include "kit/rast/RAST_SysBitmap.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// Writes every word up to the row span of every row, so that the address sanitizer sees any
// pixel memory a bitmap claims but does not have.
void touchAll(const RAST_IBitmap& bm) {
    for (int i = 0; i < bm.getHeight() * bm.getRowSpan(); ++i)
        bm.getBits()[i] = 0xA5A5A5A5;
}

} // namespace

TEST(MemBitmap, RowSpanAlignmentAndGrowth) {
    const struct {
        unsigned align;
        int width, span;
    } cases[] = {{4, 5, 8}, {4, 8, 8}, {0, 5, 5}, {1, 5, 5}, {6, 5, 6}, {32, 5, 16}, {32, 17, 32}};
    for (const auto& c : cases) {
        RAST_MemBitmap bm(c.width, 3, c.align);
        EXPECT_EQ(bm.getRowSpan(), c.span) << "align " << c.align << " width " << c.width;
        EXPECT_EQ(reinterpret_cast<uintptr_t>(bm.getBits()) % 64, 0u);
        touchAll(bm);
    }
    // Shrinking keeps the block; growing reserves a quarter more.
    RAST_MemBitmap bm(100, 100, 4), small(8, 8, 4);
    RAST_pixel* bits = bm.getBits();
    EXPECT_FALSE(bm.resize(100, 100));
    EXPECT_TRUE(bm.resize(10, 10));
    EXPECT_EQ(bm.getAllocatedSize(), 40000);
    EXPECT_EQ(bm.getBits(), bits);
    EXPECT_TRUE(small.resize(16, 16));
    EXPECT_EQ(small.getAllocatedSize(), 1280);
    touchAll(small);
}

TEST(MemBitmap, EmptyOrUnrepresentableSizesLeaveNoPixels) {
    const std::pair<int, int> sizes[] = {{0, 5},         {-4, 10},     {10, -1},
                                         {50000, 50000}, {INT_MAX, 1}, {1, INT_MAX}};
    for (const auto& [w, h] : sizes) {
        RAST_MemBitmap bm(8, 8, 4);
        EXPECT_TRUE(bm.resize(w, h)) << w << " x " << h;
        EXPECT_EQ(bm.getWidth() + bm.getHeight() + bm.getAllocatedSize(), 0);
        EXPECT_EQ(bm.getBits(), nullptr);
        EXPECT_TRUE(bm.resize(3, 3)); // and it recovers
        touchAll(bm);
    }
}

TEST(SysBitmap, PixelsAreTheContextsAndTheContextIsKeptWhileTheSizeFits) {
    RAST_SysBitmap bm(10, 10);
    EXPECT_EQ(bm.getRowSpan(), 12);
    const HDC dc = bm.getDC();
    ASSERT_NE(dc, nullptr);
    RAST_pixel* bits = bm.getBits();
    EXPECT_EQ(static_cast<void*>(bits), WINL_GetCtxFrameBuffer(dc));
    bits[2 * 12 + 3] = 0x11223344;
    EXPECT_EQ(WINL_GetCtxGC(dc)->Row(2)[3], 0x11223344u);

    EXPECT_FALSE(bm.resize(10, 10));
    EXPECT_TRUE(bm.resize(12, 8));
    EXPECT_EQ(bm.getDC(), dc);
    EXPECT_EQ(bm.getBits(), bits);
    EXPECT_TRUE(bm.resize(13, 10));
    EXPECT_EQ(bm.getRowSpan(), 16);
    EXPECT_EQ(static_cast<void*>(bm.getBits()), WINL_GetCtxFrameBuffer(bm.getDC()));
    touchAll(bm);

    EXPECT_FALSE(bm.resize(0, 5));
    EXPECT_EQ(bm.getBits(), nullptr);
    EXPECT_EQ(bm.getDC(), nullptr);
    for (int w : {INT_MAX, 50000}) {
        EXPECT_TRUE(bm.resize(w, 50000));
        EXPECT_EQ(bm.getBits(), nullptr);
        EXPECT_EQ(bm.getWidth(), 0);
    }

    // A flipped picture uses the context's last rows.
    struct Flipped : RAST_SysBitmap {
        using RAST_SysBitmap::RAST_SysBitmap;
        bool isFlipped() const override { return true; }
    } flipped(8, 8);
    RAST_pixel* start = flipped.getBits();
    EXPECT_TRUE(flipped.resize(8, 5));
    EXPECT_EQ(flipped.getBits(), start + 3 * 8);
}
