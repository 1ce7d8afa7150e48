#pragma once

// Growable block of bytes. The growth rule keeps repeated appends cheap (at least half
// again is reserved) and shrinks only on request, when the block is far larger than needed.
class KIT_HeapBuf {
public:
    explicit KIT_HeapBuf(int granularity = 4096, int minAlloc = 0)
        : m_granularity(granularity > 0 ? granularity : 1), m_minAlloc(minAlloc) {}
    ~KIT_HeapBuf();

    KIT_HeapBuf(const KIT_HeapBuf&) = delete;
    KIT_HeapBuf& operator=(const KIT_HeapBuf&) = delete;
    KIT_HeapBuf(KIT_HeapBuf&& other) noexcept;
    KIT_HeapBuf& operator=(KIT_HeapBuf&& other) noexcept;

    // Null while the used size is 0, even when a block is held.
    void* Get() const { return m_used > 0 ? m_data : nullptr; }
    int GetSize() const { return m_used; }
    int GetAllocated() const { return m_alloc; }
    int GetGranularity() const { return m_granularity; }
    void SetGranularity(int g) { m_granularity = g > 0 ? g : 1; }
    void SetMinAllocSize(int n) { m_minAlloc = n; }

    // Sets the used size and returns the data (null for 0). On allocation failure (or a
    // negative size) nothing changes: callers compare GetSize() with what they asked for.
    void* Resize(int newSize, bool resizeDown = true);

    // Resizes to n and copies n bytes from src; false when the memory could not be had.
    bool CopyFrom(const void* src, int n);

private:
    void* m_data = nullptr;
    int m_granularity;
    int m_alloc = 0;
    int m_used = 0;
    int m_minAlloc;
};
