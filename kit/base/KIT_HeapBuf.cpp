#include "kit/base/KIT_HeapBuf.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

KIT_HeapBuf::~KIT_HeapBuf() { free(m_data); }

KIT_HeapBuf::KIT_HeapBuf(KIT_HeapBuf&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_granularity(other.m_granularity),
      m_alloc(std::exchange(other.m_alloc, 0)), m_used(std::exchange(other.m_used, 0)),
      m_minAlloc(other.m_minAlloc) {}

KIT_HeapBuf& KIT_HeapBuf::operator=(KIT_HeapBuf&& other) noexcept {
    if (this != &other) {
        free(m_data);
        m_data = std::exchange(other.m_data, nullptr);
        m_granularity = other.m_granularity;
        m_alloc = std::exchange(other.m_alloc, 0);
        m_used = std::exchange(other.m_used, 0);
        m_minAlloc = other.m_minAlloc;
    }
    return *this;
}

void* KIT_HeapBuf::Resize(int newSize, bool resizeDown) {
    if (newSize < 0) return Get();
    if (newSize == m_used) return Get();

    if (m_alloc >= newSize) {
        const bool keep = newSize >= m_used || !resizeDown || m_alloc / 2 <= newSize ||
                          m_alloc - 4 * m_granularity <= newSize;
        if (keep) {
            m_used = newSize;
            return Get();
        }
    }

    // Computed in 64 bits: a request near INT_MAX must fail, not wrap.
    int64_t grow = newSize / 2 > m_granularity ? newSize / 2 : m_granularity;
    int64_t want;
    if (m_granularity < 4096) {
        want = newSize + grow;
    } else {
        grow &= ~int64_t(4095);
        if (grow < 4096) grow = 4096;
        if (grow > 4194304) grow = 4194304;
        want = ((newSize + grow + 96) & ~int64_t(4095)) - 96;
    }
    if (want < m_minAlloc) want = m_minAlloc;
    if (want > INT_MAX) want = newSize; // no slack rather than no block

    if (want != m_alloc) { // want is at least one granule, never 0
        void* block = realloc(m_data, size_t(want));
        if (!block) {
            block = malloc(size_t(want));
            if (!block) return Get();
            const int keep = m_used < newSize ? m_used : newSize;
            if (keep > 0) memcpy(block, m_data, size_t(keep));
            free(m_data);
        }
        m_data = block;
        m_alloc = int(want);
    }
    m_used = newSize;
    return Get();
}

bool KIT_HeapBuf::CopyFrom(const void* src, int n) {
    Resize(n, true);
    if (m_used != n) return false;
    if (n > 0) memcpy(m_data, src, size_t(n));
    return true;
}
