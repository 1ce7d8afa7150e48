#include "kit/winl/winl-gdi.h"

#include "kit/base/KIT_Mutex.h"

#include <climits>
#include <cstdlib>
#include <new>

namespace {

// A free list of cleared records, so that the raster library's frequent context and font
// churn needs no heap traffic.
template <class R> struct Pool {
    R* head;
    int size;
    const int limit;
};

Pool<HDC__> m_ctxpool{nullptr, 0, 100};
Pool<HGDIOBJ__> m_objpool{nullptr, 0, 200};
// Set once the pools were emptied at unload; records returned later are freed.
bool s_unloaded = false;

// Made on first use and never destroyed, so that contexts deleted during static destruction
// still find it.
KIT_Mutex& m_ctxpool_mutex() {
    static KIT_Mutex* m = new KIT_Mutex;
    return *m;
}

HGDIOBJ__ s_nullPen;
HGDIOBJ__ s_nullBrush;

template <class R> R* takeRecord(Pool<R>& pool) {
    {
        KIT_MutexLock lock(&m_ctxpool_mutex());
        if (R* r = pool.head) {
            pool.head = r->poolNext;
            --pool.size;
            *r = R{};
            return r;
        }
    }
    return new (std::nothrow) R{};
}

// Clears the record and pools it, or frees it when the pool is full.
template <class R> void returnRecord(Pool<R>& pool, R* r) {
    *r = R{};
    {
        KIT_MutexLock lock(&m_ctxpool_mutex());
        if (pool.size < pool.limit && !s_unloaded) {
            r->pooled = 1;
            r->poolNext = pool.head;
            pool.head = r;
            ++pool.size;
            return;
        }
    }
    delete r;
}

template <class R> void freePool(Pool<R>& pool) {
    while (R* r = pool.head) {
        pool.head = r->poolNext;
        delete r;
    }
    pool.size = 0;
}

struct WinlGdiUnloader {
    ~WinlGdiUnloader() {
        KIT_MutexLock lock(&m_ctxpool_mutex());
        freePool(m_ctxpool);
        freePool(m_objpool);
        s_unloaded = true;
    }
} _winlGdiUnloader;

bool isRecord(HGDIOBJ obj) {
    return reinterpret_cast<uintptr_t>(obj) >= 5;
}

HGDIOBJ bareNumber(int type) {
    return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(type));
}

// The context's slot for each selectable type, by type - 1.
HGDIOBJ HDC__::*const kSlots[3] = {&HDC__::pen, &HDC__::brush, &HDC__::font};

HGDIOBJ newPenOrBrush(int type, int width, int colour, float alpha) {
    HGDIOBJ obj = GDP_OBJECT_NEW();
    if (!obj) return nullptr;
    obj->type = type;
    obj->widthOrFlag = width;
    obj->color = CreateColor(colour, alpha);
    return obj;
}

} // namespace

HDC__* WINL_GDP_CTX_NEW() {
    return takeRecord(m_ctxpool);
}

HGDIOBJ__* GDP_OBJECT_NEW() {
    return takeRecord(m_objpool);
}

bool WINL_IsLiveContext(HDC hdc) {
    return hdc && !hdc->pooled;
}

bool WINL_IsLiveGDIObject(HGDIOBJ obj, int type) {
    return isRecord(obj) && !obj->pooled && (type == 0 || obj->type == type);
}

void WINL_GetGdiPoolCounts(int* contexts, int* objects) {
    KIT_MutexLock lock(&m_ctxpool_mutex());
    if (contexts) *contexts = m_ctxpool.size;
    if (objects) *objects = m_objpool.size;
}

platform::CanvasColor CreateColor(int colour, float alpha) {
    return {float((colour >> 16) & 0xFF) / 255.0f, float((colour >> 8) & 0xFF) / 255.0f,
            float(colour & 0xFF) / 255.0f, alpha};
}

HDC WINL_CreateMemContext(HDC, int w, int h) {
    if (w <= 0 || h <= 0) return nullptr;
    const int64_t bytes = int64_t(w) * 4 * h;
    if (bytes > INT_MAX) return nullptr;
    void* block = calloc(size_t(bytes) + 63, 1);
    if (!block) return nullptr;
    auto* pixels =
        reinterpret_cast<uint32_t*>((reinterpret_cast<uintptr_t>(block) + 63) & ~uintptr_t(63));
    // Rows already run downward from the top row, as the raster library writes them.
    auto* gc = new (std::nothrow) platform::Canvas(pixels, w, h, w);
    HDC hdc = gc ? WINL_GDP_CTX_NEW() : nullptr;
    if (!hdc) {
        delete gc;
        free(block);
        return nullptr;
    }
    hdc->gc = gc;
    hdc->ownedBlock = block;
    hdc->textColor = 0;
    hdc->textColorRef = CreateColor(0);
    return hdc;
}

void* WINL_GetCtxFrameBuffer(HDC hdc) {
    if (!WINL_IsLiveContext(hdc) || !hdc->ownedBlock) return nullptr;
    return reinterpret_cast<void*>((reinterpret_cast<uintptr_t>(hdc->ownedBlock) + 63) &
                                   ~uintptr_t(63));
}

HDC WINL_CreateGfxContext(void* graphicsContext) {
    HDC hdc = WINL_GDP_CTX_NEW();
    if (hdc) hdc->gc = static_cast<platform::Canvas*>(graphicsContext);
    return hdc;
}

platform::Canvas* WINL_GetCtxGC(HDC hdc) {
    return WINL_IsLiveContext(hdc) ? hdc->gc : nullptr;
}

void WINL_DeleteGfxContext(HDC hdc) {
    if (!WINL_IsLiveContext(hdc)) return;
    // A context over someone else's graphics context leaves it alone.
    if (hdc->ownedBlock) {
        delete hdc->gc;
        free(hdc->ownedBlock);
    }
    returnRecord(m_ctxpool, hdc);
}

HGDIOBJ CreatePen(int style, int width, int colour) {
    return CreatePenAlpha(style, width, colour, 1.0f);
}

HGDIOBJ CreatePenAlpha(int, int width, int colour, float alpha) {
    return newPenOrBrush(WINL_OBJ_PEN, width < 0 ? 0 : width, colour, alpha);
}

HGDIOBJ CreateSolidBrush(int colour) {
    return CreateSolidBrushAlpha(colour, 1.0f);
}

HGDIOBJ CreateSolidBrushAlpha(int colour, float alpha) {
    return newPenOrBrush(WINL_OBJ_BRUSH, 0, colour, alpha);
}

HGDIOBJ GetStockObject(int index) {
    HGDIOBJ__* stock = index == 1 ? &s_nullPen : index == 2 ? &s_nullBrush : nullptr;
    if (stock) {
        stock->type = index;
        stock->widthOrFlag = -1;
    }
    return stock;
}

HGDIOBJ WINL_CloneGDIObject(HGDIOBJ obj) {
    if (!WINL_IsLiveGDIObject(obj, 0)) return nullptr;
    ++obj->extraRefs;
    return obj;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
    if (!WINL_IsLiveContext(hdc)) return nullptr;
    const auto value = reinterpret_cast<uintptr_t>(obj);
    if (value >= WINL_OBJ_PEN && value <= WINL_OBJ_FONT) {
        const int type = int(value);
        HGDIOBJ& slot = hdc->*kSlots[type - 1];
        const HGDIOBJ old = slot;
        slot = nullptr;
        return WINL_IsLiveGDIObject(old, type) ? old : obj;
    }
    if (!WINL_IsLiveGDIObject(obj, 0) || obj->type < WINL_OBJ_PEN || obj->type > WINL_OBJ_FONT)
        return nullptr;
    HGDIOBJ& slot = hdc->*kSlots[obj->type - 1];
    const HGDIOBJ old = slot;
    slot = obj;
    return WINL_IsLiveGDIObject(old, obj->type) ? old : bareNumber(obj->type);
}

void DeleteObject(HGDIOBJ obj) {
    if (!isRecord(obj) || obj == &s_nullPen || obj == &s_nullBrush || obj->pooled) return;
    if (obj->extraRefs > 0) {
        --obj->extraRefs;
        return;
    }
    if (obj->type < WINL_OBJ_PEN || obj->type > WINL_OBJ_BITMAP) return;
    if ((obj->type == WINL_OBJ_PEN || obj->type == WINL_OBJ_BRUSH) && obj->widthOrFlag < 0) return;
    // Clearing the record releases its font and image.
    returnRecord(m_objpool, obj);
}
