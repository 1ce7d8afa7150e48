#include "kit/winl/winl-gdi.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <thread>
#include <vector>

namespace {

HGDIOBJ bare(int n) {
    return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(n));
}

int ctxPoolCount() {
    int n = 0;
    WINL_GetGdiPoolCounts(&n, nullptr);
    return n;
}
int objPoolCount() {
    int n = 0;
    WINL_GetGdiPoolCounts(nullptr, &n);
    return n;
}

} // namespace

TEST(MemContext, PixelsArePackedAlignedAndZeroed) {
    HDC dc = WINL_CreateMemContext(nullptr, 1, 1);
    ASSERT_NE(dc, nullptr);
    auto* px = static_cast<uint32_t*>(WINL_GetCtxFrameBuffer(dc));
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(px) & 63, 0u);
    EXPECT_EQ(px[0], 0u);
    platform::Canvas* gc = WINL_GetCtxGC(dc);
    ASSERT_NE(gc, nullptr);
    EXPECT_EQ(gc->Pixels(), px);
    EXPECT_EQ(gc->Row(0), px);
    EXPECT_EQ(dc->gc, gc); // the first field
    EXPECT_EQ(dc->textColor, 0);
    ASSERT_TRUE(dc->textColorRef.has_value());
    EXPECT_EQ(dc->textColorRef->alpha, 1.0f);
    WINL_DeleteGfxContext(dc);

    dc = WINL_CreateMemContext(nullptr, 5, 3);
    px = static_cast<uint32_t*>(WINL_GetCtxFrameBuffer(dc));
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(px[i], 0u);
    EXPECT_EQ(WINL_GetCtxGC(dc)->Row(2), px + 10);
    EXPECT_EQ(WINL_GetCtxGC(dc)->Stride(), 5);
    WINL_DeleteGfxContext(dc);
}

TEST(MemContext, EmptyOrUnrepresentableSizesAreRefused) {
    const struct {
        int w, h;
    } sizes[] = {{0, 1},       {1, 0},       {-1, 5},        {5, -1},
                 {INT_MAX, 1}, {1, INT_MAX}, {40000, 40000}, {INT_MIN, INT_MIN}};
    for (const auto& s : sizes)
        EXPECT_EQ(WINL_CreateMemContext(nullptr, s.w, s.h), nullptr);
}

TEST(MemContext, NullAndPooledContextsAreIgnored) {
    EXPECT_EQ(WINL_GetCtxFrameBuffer(nullptr), nullptr);
    EXPECT_EQ(WINL_GetCtxGC(nullptr), nullptr);
    WINL_DeleteGfxContext(nullptr);
    HDC dc = WINL_CreateMemContext(nullptr, 4, 4);
    WINL_DeleteGfxContext(dc);
    // Making the context took a record if the pool had one, so there was room to pool it.
    ASSERT_TRUE(dc->pooled);
    const int pooled = ctxPoolCount();
    EXPECT_EQ(WINL_GetCtxFrameBuffer(dc), nullptr);
    EXPECT_EQ(WINL_GetCtxGC(dc), nullptr);
    EXPECT_EQ(SelectObject(dc, GetStockObject(1)), nullptr);
    WINL_DeleteGfxContext(dc); // not twice into the pool
    EXPECT_EQ(ctxPoolCount(), pooled);
}

TEST(GfxContext, WrapsACanvasItDoesNotOwn) {
    uint32_t pixels[6] = {};
    platform::Canvas canvas(pixels, 3, 2, 3);
    HDC dc = WINL_CreateGfxContext(&canvas);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(WINL_GetCtxGC(dc), &canvas);
    EXPECT_EQ(WINL_GetCtxFrameBuffer(dc), nullptr);
    EXPECT_FALSE(dc->textColorRef.has_value());
    WINL_DeleteGfxContext(dc);
    // Still usable: the context left it alone.
    canvas.ClipToRect({0, 0, 1, 1});
    EXPECT_EQ(canvas.Clip().right, 1);
}

TEST(ContextPool, KeepsAtMostAHundredRecords) {
    std::vector<HDC> dcs;
    for (int i = 0; i < 150; ++i)
        dcs.push_back(WINL_CreateMemContext(nullptr, 2, 2));
    for (HDC dc : dcs)
        WINL_DeleteGfxContext(dc);
    EXPECT_EQ(ctxPoolCount(), 100);
    // Records come back cleared.
    HDC dc = WINL_CreateMemContext(nullptr, 2, 2);
    EXPECT_EQ(ctxPoolCount(), 99);
    EXPECT_FALSE(dc->pooled);
    EXPECT_EQ(dc->pen, nullptr);
    EXPECT_EQ(dc->bkMode, 0);
    WINL_DeleteGfxContext(dc);
}

TEST(ObjectPool, KeepsAtMostTwoHundredRecords) {
    std::vector<HGDIOBJ> objs;
    for (int i = 0; i < 250; ++i)
        objs.push_back(CreateSolidBrush(i));
    for (HGDIOBJ o : objs)
        DeleteObject(o);
    EXPECT_EQ(objPoolCount(), 200);
}

TEST(ContextPool, SharedSafelyByManyThreads) {
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&failures, t] {
            std::vector<HDC> mine;
            std::vector<HGDIOBJ> objs;
            for (int i = 0; i < 2000; ++i) {
                HDC dc = WINL_CreateMemContext(nullptr, 1 + (i % 3), 2);
                if (!dc || dc->pooled || dc->pen) ++failures;
                mine.push_back(dc);
                objs.push_back(CreatePen(0, i, t));
                if (mine.size() > 5) {
                    WINL_DeleteGfxContext(mine.front());
                    mine.erase(mine.begin());
                    DeleteObject(objs.front());
                    objs.erase(objs.begin());
                }
            }
            for (HDC dc : mine)
                WINL_DeleteGfxContext(dc);
            for (HGDIOBJ o : objs)
                DeleteObject(o);
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_LE(ctxPoolCount(), 100);
    EXPECT_LE(objPoolCount(), 200);
    // Every pooled record is handed out once.
    std::set<HDC> seen;
    std::vector<HDC> all;
    for (int i = 0; i < 100; ++i) {
        all.push_back(WINL_CreateMemContext(nullptr, 1, 1));
        EXPECT_TRUE(seen.insert(all.back()).second);
    }
    for (HDC dc : all)
        WINL_DeleteGfxContext(dc);
}

TEST(GdiObjects, PensBrushesAndStockObjects) {
    HGDIOBJ pen = CreatePen(5, -3, 0x336699);
    ASSERT_NE(pen, nullptr);
    EXPECT_EQ(pen->type, WINL_OBJ_PEN);
    EXPECT_EQ(pen->widthOrFlag, 0);
    EXPECT_FLOAT_EQ(pen->color.red, 0x33 / 255.0f);
    EXPECT_FLOAT_EQ(pen->color.green, 0x66 / 255.0f);
    EXPECT_FLOAT_EQ(pen->color.blue, 0x99 / 255.0f);
    EXPECT_EQ(pen->color.alpha, 1.0f);
    HGDIOBJ thin = CreatePenAlpha(0, 4, 0xFF000000 | 0x0000FF, 0.25f);
    EXPECT_EQ(thin->widthOrFlag, 4);
    EXPECT_EQ(thin->color.red, 0.0f); // bits 24-31 play no part
    EXPECT_EQ(thin->color.blue, 1.0f);
    EXPECT_EQ(thin->color.alpha, 0.25f);
    HGDIOBJ brush = CreateSolidBrushAlpha(0xFFFFFF, 0.5f);
    EXPECT_EQ(brush->type, WINL_OBJ_BRUSH);
    EXPECT_EQ(brush->widthOrFlag, 0);

    HGDIOBJ nullPen = GetStockObject(1), nullBrush = GetStockObject(2);
    EXPECT_EQ(nullPen->type, WINL_OBJ_PEN);
    EXPECT_EQ(nullPen->widthOrFlag, -1);
    EXPECT_EQ(nullBrush->type, WINL_OBJ_BRUSH);
    EXPECT_EQ(nullBrush->widthOrFlag, -1);
    EXPECT_EQ(GetStockObject(1), nullPen);
    EXPECT_EQ(GetStockObject(0), nullptr);
    EXPECT_EQ(GetStockObject(3), nullptr);

    // Stock objects, bare numbers and null survive deletion untouched.
    for (HGDIOBJ o : {nullPen, nullBrush, bare(1), bare(2), bare(3), bare(4), HGDIOBJ(nullptr)})
        DeleteObject(o);
    EXPECT_FALSE(nullPen->pooled);
    EXPECT_EQ(GetStockObject(2), nullBrush);
    for (HGDIOBJ o : {pen, thin, brush})
        DeleteObject(o);
}

TEST(GdiObjects, CloneDefersTheFree) {
    HGDIOBJ pen = CreatePen(0, 1, 0);
    EXPECT_EQ(WINL_CloneGDIObject(pen), pen);
    DeleteObject(pen);
    EXPECT_TRUE(WINL_IsLiveGDIObject(pen, WINL_OBJ_PEN));
    DeleteObject(pen);
    // Freed: either pooled (and then ignored by further calls) or given back to the heap.
    EXPECT_EQ(WINL_CloneGDIObject(nullptr), nullptr);
    EXPECT_EQ(WINL_CloneGDIObject(bare(2)), nullptr);
}

TEST(SelectObject, SwapsObjectsPerSlot) {
    HDC dc = WINL_CreateMemContext(nullptr, 2, 2);
    HGDIOBJ pen = CreatePen(0, 1, 0xFF0000), pen2 = CreatePen(0, 2, 0x00FF00);
    HGDIOBJ brush = CreateSolidBrush(0x0000FF);

    EXPECT_EQ(SelectObject(dc, pen), bare(1)); // the slot was empty
    EXPECT_EQ(dc->pen, pen);
    EXPECT_EQ(SelectObject(dc, pen), pen); // same object: unchanged
    EXPECT_EQ(SelectObject(dc, brush), bare(2));
    EXPECT_EQ(SelectObject(dc, pen2), pen);
    EXPECT_EQ(dc->pen, pen2);
    EXPECT_EQ(dc->brush, brush);

    // The bare number empties its slot and hands back what was there.
    EXPECT_EQ(SelectObject(dc, bare(1)), pen2);
    EXPECT_EQ(dc->pen, nullptr);
    EXPECT_EQ(SelectObject(dc, bare(1)), bare(1));
    EXPECT_EQ(SelectObject(dc, bare(3)), bare(3));

    // Stock objects select like any pen or brush.
    EXPECT_EQ(SelectObject(dc, GetStockObject(2)), brush);
    EXPECT_EQ(SelectObject(dc, brush), GetStockObject(2));

    // Bitmaps, other bare numbers, pooled records and null cannot be selected.
    HGDIOBJ bitmap = GDP_OBJECT_NEW();
    bitmap->type = WINL_OBJ_BITMAP;
    EXPECT_EQ(SelectObject(dc, bitmap), nullptr);
    EXPECT_EQ(SelectObject(dc, bare(4)), nullptr);
    EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
    EXPECT_EQ(SelectObject(nullptr, pen), nullptr);
    EXPECT_EQ(dc->brush, brush);
    EXPECT_EQ(dc->font, nullptr);

    // A font record goes to the font slot.
    HGDIOBJ font = GDP_OBJECT_NEW();
    font->type = WINL_OBJ_FONT;
    EXPECT_EQ(SelectObject(dc, font), bare(3));
    EXPECT_EQ(dc->font, font);
    EXPECT_EQ(SelectObject(dc, bare(3)), font);

    WINL_DeleteGfxContext(dc);
    for (HGDIOBJ o : {pen, pen2, brush, bitmap, font})
        DeleteObject(o);
}

TEST(Canvas, ClipNarrowsAndStatesNest) {
    uint32_t pixels[40] = {};
    platform::Canvas c(pixels, 8, 5, 8);
    EXPECT_EQ(c.Clip().right, 8);
    EXPECT_EQ(c.Clip().bottom, 5);
    EXPECT_TRUE(c.ShouldAntialias());

    c.SaveState();
    c.ClipToRect({-3, 2, 6, 99});
    c.SetShouldAntialias(false);
    EXPECT_EQ(c.Clip().left, 0);
    EXPECT_EQ(c.Clip().top, 2);
    EXPECT_EQ(c.Clip().right, 6);
    EXPECT_EQ(c.Clip().bottom, 5);
    c.SaveState();
    c.ClipToRect({20, 20, 30, 30}); // disjoint: empty, and it stays inside the block
    EXPECT_TRUE(c.Clip().IsEmpty());
    EXPECT_GE(c.Clip().left, 0);
    EXPECT_LE(c.Clip().right, 8);
    c.ClipToRect({0, 0, 8, 5});
    EXPECT_TRUE(c.Clip().IsEmpty());
    EXPECT_TRUE(c.RestoreState());
    EXPECT_EQ(c.Clip().right, 6);
    EXPECT_FALSE(c.ShouldAntialias());
    EXPECT_TRUE(c.RestoreState());
    EXPECT_EQ(c.Clip().left, 0);
    EXPECT_EQ(c.Clip().top, 0);
    EXPECT_TRUE(c.ShouldAntialias());
    EXPECT_FALSE(c.RestoreState()); // unbalanced: nothing changes
    EXPECT_EQ(c.Clip().bottom, 5);
}
