#include "kit/winl/winl-gdi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <set>
#include <thread>
#include <vector>

namespace {

HGDIOBJ bare(int n) {
    return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(n));
}

std::pair<int, int> poolCounts() {
    int contexts = 0, objects = 0;
    WINL_GetGdiPoolCounts(&contexts, &objects);
    return {contexts, objects};
}

} // namespace

TEST(MemContext, PixelsArePackedAlignedAndZeroed) {
    HDC dc = WINL_CreateMemContext(nullptr, 5, 3);
    ASSERT_NE(dc, nullptr);
    auto* px = static_cast<uint32_t*>(WINL_GetCtxFrameBuffer(dc));
    EXPECT_EQ(reinterpret_cast<uintptr_t>(px) & 63, 0u);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(px[i], 0u);
    platform::Canvas* gc = WINL_GetCtxGC(dc);
    EXPECT_EQ(dc->gc, gc); // the first field
    EXPECT_EQ(gc->Row(2), px + 10);
    EXPECT_EQ(dc->textColorRef->alpha, 1.0f); // black text colour made
    WINL_DeleteGfxContext(dc);

    for (auto [w, h] : {std::pair{0, 1}, {-1, 5}, {INT_MAX, 1}, {1, INT_MAX}, {40000, 40000}})
        EXPECT_EQ(WINL_CreateMemContext(nullptr, w, h), nullptr) << w << " x " << h;
}

TEST(MemContext, CanvasWrappersLeaveTheirCanvasAlone) {
    uint32_t pixels[6] = {};
    platform::Canvas canvas(pixels, 3, 2, 3);
    HDC dc = WINL_CreateGfxContext(&canvas);
    EXPECT_EQ(WINL_GetCtxGC(dc), &canvas);
    EXPECT_EQ(WINL_GetCtxFrameBuffer(dc), nullptr);
    WINL_DeleteGfxContext(dc);
    EXPECT_EQ(canvas.Width(), 3); // still alive (the address sanitizer would object)
}

TEST(Pools, KeepAtMostTheirLimitsAndIgnorePooledRecords) {
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
    EXPECT_EQ(poolCounts(), std::make_pair(100, 200));

    // A record taken from the pool is cleared; given back, it is pooled once, not twice.
    HDC dc = WINL_CreateMemContext(nullptr, 2, 2);
    EXPECT_EQ(dc->pen, nullptr);
    WINL_DeleteGfxContext(dc);
    ASSERT_TRUE(dc->pooled);
    EXPECT_EQ(WINL_GetCtxGC(dc), nullptr);
    EXPECT_EQ(SelectObject(dc, GetStockObject(1)), nullptr);
    WINL_DeleteGfxContext(dc);
    EXPECT_EQ(poolCounts().first, 100);
}

TEST(Pools, SharedSafelyByManyThreads) {
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
    // Every pooled record is handed out once.
    std::set<HDC> seen;
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(seen.insert(WINL_CreateMemContext(nullptr, 1, 1)).second);
    for (HDC dc : seen)
        WINL_DeleteGfxContext(dc);
}

TEST(GdiObjects, PensBrushesStockObjectsAndReferences) {
    HGDIOBJ pen = CreatePenAlpha(5, -3, 0x7F336699, 0.25f);
    EXPECT_EQ(pen->type, WINL_OBJ_PEN);
    EXPECT_EQ(pen->widthOrFlag, 0); // drawn one pixel wide
    EXPECT_FLOAT_EQ(pen->color.red, 0x33 / 255.0f);
    EXPECT_FLOAT_EQ(pen->color.blue, 0x99 / 255.0f);
    EXPECT_EQ(pen->color.alpha, 0.25f);
    HGDIOBJ brush = CreateSolidBrush(0);
    EXPECT_EQ(brush->type, WINL_OBJ_BRUSH);
    DeleteObject(brush);

    HGDIOBJ nullPen = GetStockObject(1), nullBrush = GetStockObject(2);
    EXPECT_EQ(nullPen->widthOrFlag, -1);
    EXPECT_EQ(nullBrush->type, WINL_OBJ_BRUSH);
    EXPECT_EQ(GetStockObject(3), nullptr);
    for (HGDIOBJ o : {nullPen, nullBrush, bare(1), bare(4), HGDIOBJ(nullptr)})
        DeleteObject(o);
    EXPECT_FALSE(nullPen->pooled);

    // A clone defers the free to the second delete.
    EXPECT_EQ(WINL_CloneGDIObject(pen), pen);
    DeleteObject(pen);
    EXPECT_TRUE(WINL_IsLiveGDIObject(pen, WINL_OBJ_PEN));
    DeleteObject(pen);
    EXPECT_EQ(WINL_CloneGDIObject(bare(2)), nullptr);
}

TEST(SelectObject, SwapsObjectsPerSlot) {
    HDC dc = WINL_CreateMemContext(nullptr, 2, 2);
    HGDIOBJ pen = CreatePen(0, 1, 0), pen2 = CreatePen(0, 2, 0), brush = CreateSolidBrush(0);
    HGDIOBJ font = GDP_OBJECT_NEW(), bitmap = GDP_OBJECT_NEW();
    font->type = WINL_OBJ_FONT;
    bitmap->type = WINL_OBJ_BITMAP;

    EXPECT_EQ(SelectObject(dc, pen), bare(1)); // the slot was empty
    EXPECT_EQ(SelectObject(dc, pen), pen);     // the same object again
    EXPECT_EQ(SelectObject(dc, pen2), pen);
    EXPECT_EQ(SelectObject(dc, brush), bare(2));
    EXPECT_EQ(SelectObject(dc, font), bare(3));
    EXPECT_EQ(dc->pen, pen2);
    EXPECT_EQ(dc->brush, brush);
    EXPECT_EQ(dc->font, font);
    // The bare number empties its slot and hands back what was there.
    EXPECT_EQ(SelectObject(dc, bare(1)), pen2);
    EXPECT_EQ(SelectObject(dc, bare(1)), bare(1));
    EXPECT_EQ(dc->pen, nullptr);
    EXPECT_EQ(SelectObject(dc, GetStockObject(2)), brush);
    // Bitmaps, other bare numbers and null cannot be selected.
    for (HGDIOBJ o : {bitmap, bare(4), HGDIOBJ(nullptr)})
        EXPECT_EQ(SelectObject(dc, o), nullptr);
    EXPECT_EQ(SelectObject(nullptr, pen), nullptr);
    EXPECT_EQ(dc->brush, GetStockObject(2));

    WINL_DeleteGfxContext(dc);
    for (HGDIOBJ o : {pen, pen2, brush, font, bitmap})
        DeleteObject(o);
}

TEST(Canvas, ClipNarrowsAndStatesNest) {
    uint32_t pixels[40] = {};
    platform::Canvas c(pixels, 8, 5, 8);
    c.SaveState();
    c.ClipToRect({-3, 2, 6, 99});
    c.SetShouldAntialias(false);
    c.SaveState();
    c.ClipToRect({20, 20, 30, 30}); // disjoint: empty, and it stays empty inside the block
    c.ClipToRect({0, 0, 8, 5});
    EXPECT_EQ(c.Clip().right, 0);
    EXPECT_TRUE(c.RestoreState());
    EXPECT_EQ(std::vector<int>({c.Clip().left, c.Clip().top, c.Clip().right, c.Clip().bottom}),
              std::vector<int>({0, 2, 6, 5}));
    EXPECT_FALSE(c.ShouldAntialias());
    EXPECT_TRUE(c.RestoreState());
    EXPECT_FALSE(c.RestoreState()); // unbalanced: nothing changes
    EXPECT_TRUE(c.ShouldAntialias());
    EXPECT_EQ(c.Clip().right, 8);
    EXPECT_EQ(c.Clip().bottom, 5);
}
