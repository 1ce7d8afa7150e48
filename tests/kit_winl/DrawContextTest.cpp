#include "kit/winl/winl-gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <set>
#include <thread>
#include <vector>

namespace {

HGDIOBJ bare(int n) {
    return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(n));
}

} // namespace

TEST(MemContext, PixelsArePackedAlignedAndZeroedAndTheirBytesMustFitAnInt) {
    HDC dc = WINL_CreateMemContext(nullptr, 5, 3);
    ASSERT_NE(dc, nullptr);
    auto* px = static_cast<uint32_t*>(WINL_GetCtxFrameBuffer(dc));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(px) & 63, 0u);
    EXPECT_EQ(std::count(px, px + 15, 0u), 15);
    EXPECT_EQ(WINL_GetCtxGC(dc)->Row(2), px + 10);
    WINL_DeleteGfxContext(dc);
    for (auto [w, h] : {std::pair{0, 1}, {-1, 5}, {INT_MAX, 1}, {1, INT_MAX}, {40000, 40000}})
        EXPECT_EQ(WINL_CreateMemContext(nullptr, w, h), nullptr) << w << " x " << h;

    // A context over a caller's canvas: no pixels of its own, and the canvas outlives it.
    uint32_t pixels[6] = {};
    platform::Canvas canvas(pixels, 3, 2, 3);
    dc = WINL_CreateGfxContext(&canvas);
    EXPECT_EQ(WINL_GetCtxGC(dc), &canvas);
    EXPECT_EQ(WINL_GetCtxFrameBuffer(dc), nullptr);
    WINL_DeleteGfxContext(dc);
}

TEST(Pools, KeepAtMostTheirLimitsAndHandEveryRecordToOneTakerAtATime) {
    std::vector<HDC> dcs;
    std::vector<HGDIOBJ> objs;
    for (int i = 0; i < 150; ++i)
        dcs.push_back(WINL_CreateMemContext(nullptr, 2, 2));
    for (int i = 0; i < 250; ++i)
        objs.push_back(CreateSolidBrush(i));
    for (HDC dc : dcs)
        WINL_DeleteGfxContext(dc);
    for (HGDIOBJ o : objs)
        DeleteObject(o);
    int contexts = 0, objects = 0;
    WINL_GetGdiPoolCounts(&contexts, &objects);
    EXPECT_EQ(std::pair(contexts, objects), std::pair(100, 200));

    // A pooled record is no context: it is neither used nor pooled a second time.
    HDC pooled = WINL_CreateMemContext(nullptr, 2, 2);
    WINL_DeleteGfxContext(pooled);
    ASSERT_TRUE(pooled->pooled);
    EXPECT_EQ(WINL_GetCtxGC(pooled), nullptr);
    EXPECT_EQ(SelectObject(pooled, GetStockObject(1)), nullptr);
    WINL_DeleteGfxContext(pooled);
    WINL_GetGdiPoolCounts(&contexts, nullptr);
    EXPECT_EQ(contexts, 100);

    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&failures, t] {
            for (int i = 0; i < 2000; ++i) {
                HDC dc = WINL_CreateMemContext(nullptr, 1 + i % 3, 2);
                HGDIOBJ pen = CreatePen(0, i, t);
                if (!dc || dc->pooled || dc->pen || !pen || pen->pooled) ++failures;
                WINL_DeleteGfxContext(dc);
                DeleteObject(pen);
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures.load(), 0);
    std::set<HDC> seen;
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(seen.insert(WINL_CreateMemContext(nullptr, 1, 1)).second);
    for (HDC dc : seen)
        WINL_DeleteGfxContext(dc);
}

TEST(GdiObjects, ColoursStockObjectsClonesAndSelectionPerSlot) {
    HDC dc = WINL_CreateMemContext(nullptr, 2, 2);
    HGDIOBJ pen = CreatePenAlpha(5, -3, 0x7F336699, 0.25f), pen2 = CreatePen(0, 2, 0);
    HGDIOBJ brush = CreateSolidBrush(0), font = GDP_OBJECT_NEW(), bitmap = GDP_OBJECT_NEW();
    font->type = WINL_OBJ_FONT;
    bitmap->type = WINL_OBJ_BITMAP;
    EXPECT_EQ(pen->widthOrFlag, 0) << "drawn one pixel wide";
    const platform::CanvasColor& c = pen->color;
    EXPECT_EQ((std::array{c.red, c.green, c.blue, c.alpha}),
              (std::array{0x33 / 255.0f, 0x66 / 255.0f, 0x99 / 255.0f, 0.25f}))
        << "the top byte is no colour";

    EXPECT_EQ(SelectObject(dc, pen), bare(1)); // the slot was empty
    EXPECT_EQ(SelectObject(dc, pen), pen);     // the same object again
    EXPECT_EQ(SelectObject(dc, pen2), pen);
    EXPECT_EQ(SelectObject(dc, brush), bare(2));
    EXPECT_EQ(SelectObject(dc, font), bare(3));
    EXPECT_EQ((std::array{dc->pen, dc->brush, dc->font}), (std::array{pen2, brush, font}));
    // The bare number empties its slot and hands back what was there.
    EXPECT_EQ(SelectObject(dc, bare(1)), pen2);
    EXPECT_EQ(SelectObject(dc, bare(1)), bare(1));
    EXPECT_EQ(SelectObject(dc, GetStockObject(2)), brush);
    // Bitmaps, other bare numbers and null cannot be selected.
    for (HGDIOBJ o : {bitmap, bare(4), HGDIOBJ(nullptr)})
        EXPECT_EQ(SelectObject(dc, o), nullptr);
    EXPECT_EQ(SelectObject(nullptr, pen), nullptr);
    EXPECT_EQ((std::array{dc->pen, dc->brush}), (std::array{HGDIOBJ(nullptr), GetStockObject(2)}));
    WINL_DeleteGfxContext(dc);

    HGDIOBJ nullPen = GetStockObject(1);
    EXPECT_EQ(GetStockObject(3), nullptr);
    for (HGDIOBJ o : {nullPen, GetStockObject(2), bare(1), bare(4), HGDIOBJ(nullptr)})
        DeleteObject(o);
    EXPECT_FALSE(nullPen->pooled) << "stock objects are never freed";
    EXPECT_EQ(WINL_CloneGDIObject(pen), pen);
    DeleteObject(pen);
    EXPECT_TRUE(WINL_IsLiveGDIObject(pen, WINL_OBJ_PEN)) << "the clone defers the free";
    EXPECT_EQ(WINL_CloneGDIObject(bare(2)), nullptr);
    for (HGDIOBJ o : {pen, pen2, brush, font, bitmap})
        DeleteObject(o);
}
