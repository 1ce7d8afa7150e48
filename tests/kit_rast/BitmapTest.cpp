#include "kit/rast/RAST_MemBitmap.h"
#include "kit/rast/RAST_SysBitmap.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

bool aligned64(const void* p) {
    return (reinterpret_cast<uintptr_t>(p) & 63) == 0;
}

// Writes every word of every row up to the row span, so that the address sanitizer sees any
// pixel memory the bitmap claims but does not have.
void touchAll(RAST_IBitmap& bm) {
    RAST_pixel* bits = bm.getBits();
    for (int y = 0; y < bm.getHeight(); ++y)
        for (int x = 0; x < bm.getRowSpan(); ++x)
            bits[y * bm.getRowSpan() + x] = 0xA5A5A5A5;
}

class FlippedSysBitmap : public RAST_SysBitmap {
public:
    using RAST_SysBitmap::RAST_SysBitmap;
    bool isFlipped() const override { return true; }
};

} // namespace

TEST(MemBitmap, RowSpanFollowsTheAlignment) {
    struct {
        unsigned align;
        int width, span;
    } const cases[] = {{4, 5, 8}, {4, 8, 8},  {0, 5, 5},   {1, 5, 5},
                       {6, 5, 6}, {8, 9, 16}, {32, 5, 16}, {32, 17, 32}};
    for (const auto& c : cases) {
        RAST_MemBitmap bm(c.width, 3, c.align);
        EXPECT_EQ(bm.getRowSpan(), c.span) << "align " << c.align << " width " << c.width;
        EXPECT_TRUE(aligned64(bm.getBits()));
        touchAll(bm);
    }
}

TEST(MemBitmap, EmptyBitmapHasNoPixels) {
    RAST_MemBitmap bm(0, 0, 4);
    EXPECT_EQ(bm.getBits(), nullptr);
    EXPECT_EQ(bm.getRowSpan(), 0);
    EXPECT_EQ(bm.getDC(), nullptr);
    EXPECT_EQ(bm.Extended(1, nullptr), 0);
    EXPECT_FALSE(bm.isFlipped());
}

TEST(MemBitmap, ResizeKeepsOrGrowsTheBlock) {
    RAST_MemBitmap bm(100, 100, 4);
    RAST_pixel* bits = bm.getBits();
    EXPECT_FALSE(bm.resize(100, 100));
    EXPECT_EQ(bm.getBits(), bits);

    EXPECT_TRUE(bm.resize(10, 10));
    EXPECT_EQ(bm.getAllocatedSize(), 40000);
    EXPECT_EQ(bm.getBits(), bits);
    EXPECT_EQ(bm.getRowSpan(), 12);

    RAST_MemBitmap small(8, 8, 4);
    EXPECT_EQ(small.getAllocatedSize(), 256);
    EXPECT_TRUE(small.resize(16, 16));
    EXPECT_EQ(small.getAllocatedSize(), 1280);
    EXPECT_TRUE(aligned64(small.getBits()));
    touchAll(small);
    // Within the reserve: no new block.
    EXPECT_TRUE(small.resize(16, 20));
    EXPECT_EQ(small.getAllocatedSize(), 1280);
    touchAll(small);
}

TEST(MemBitmap, EmptyOrUnrepresentableSizesLeaveNoPixels) {
    const struct {
        int w, h;
    } sizes[] = {{0, 5}, {5, 0}, {-4, 10}, {10, -1}, {50000, 50000}, {INT_MAX, 1}, {1, INT_MAX}};
    for (const auto& s : sizes) {
        RAST_MemBitmap bm(8, 8, 4);
        EXPECT_TRUE(bm.resize(s.w, s.h)) << s.w << " x " << s.h;
        EXPECT_EQ(bm.getWidth(), 0);
        EXPECT_EQ(bm.getHeight(), 0);
        EXPECT_EQ(bm.getBits(), nullptr);
        EXPECT_EQ(bm.getAllocatedSize(), 0);
        // And it recovers.
        EXPECT_TRUE(bm.resize(3, 3));
        touchAll(bm);
    }
}

TEST(SysBitmap, PixelsAreTheContextsFrameBuffer) {
    RAST_SysBitmap bm(10, 10);
    EXPECT_EQ(bm.getRowSpan(), 12);
    ASSERT_NE(bm.getDC(), nullptr);
    EXPECT_EQ(static_cast<void*>(bm.getBits()), WINL_GetCtxFrameBuffer(bm.getDC()));
    EXPECT_TRUE(aligned64(bm.getBits()));
    for (int i = 0; i < 12 * 10; ++i)
        ASSERT_EQ(bm.getBits()[i], 0u);

    // What the bitmap writes the context's canvas sees at the same place.
    bm.getBits()[2 * 12 + 3] = 0x11223344;
    platform::Canvas* gc = WINL_GetCtxGC(bm.getDC());
    ASSERT_NE(gc, nullptr);
    EXPECT_EQ(gc->Width(), 12);
    EXPECT_EQ(gc->Height(), 10);
    EXPECT_EQ(gc->Row(2)[3], 0x11223344u);
}

TEST(SysBitmap, ContextIsKeptWhileTheSizeFits) {
    RAST_SysBitmap bm(10, 10);
    const HDC dc = bm.getDC();
    RAST_pixel* bits = bm.getBits();
    EXPECT_FALSE(bm.resize(10, 10));
    EXPECT_TRUE(bm.resize(12, 8));
    EXPECT_EQ(bm.getDC(), dc);
    EXPECT_EQ(bm.getBits(), bits);
    EXPECT_EQ(bm.getRowSpan(), 12);

    EXPECT_TRUE(bm.resize(13, 10));
    EXPECT_EQ(bm.getRowSpan(), 16);
    EXPECT_EQ(bm.getWidth(), 13);
    EXPECT_EQ(static_cast<void*>(bm.getBits()), WINL_GetCtxFrameBuffer(bm.getDC()));
    touchAll(bm);
}

TEST(SysBitmap, EmptyAndUnrepresentableSizes) {
    RAST_SysBitmap bm(10, 10);
    EXPECT_FALSE(bm.resize(0, 5));
    EXPECT_EQ(bm.getBits(), nullptr);
    EXPECT_EQ(bm.getDC(), nullptr);
    EXPECT_EQ(bm.getHeight(), 5);

    for (int w : {INT_MAX, 50000, -1}) {
        RAST_SysBitmap big(8, 8);
        big.resize(w, w == -1 ? 4 : 50000);
        EXPECT_EQ(big.getBits(), nullptr) << w;
        EXPECT_EQ(big.getWidth(), 0) << w;
    }
}

TEST(SysBitmap, FlippedPictureUsesTheLastRows) {
    FlippedSysBitmap bm(8, 8);
    RAST_pixel* start = bm.getBits();
    EXPECT_TRUE(bm.resize(8, 5));
    EXPECT_EQ(bm.getBits(), start + 3 * 8);
}
