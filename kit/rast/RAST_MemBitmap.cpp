#include "kit/rast/RAST_MemBitmap.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

RAST_MemBitmap::RAST_MemBitmap(int w, int h, unsigned int align) {
    if (align >= 2) m_mask = std::min((align & (0u - align)) - 1, 15u);
    if (w || h) resize(w, h);
}

RAST_MemBitmap::~RAST_MemBitmap() {
    free(m_block);
}

RAST_pixel* RAST_MemBitmap::getBits() const {
    if (!m_block) return nullptr;
    return reinterpret_cast<RAST_pixel*>((reinterpret_cast<uintptr_t>(m_block) + 63) &
                                         ~uintptr_t(63));
}

void RAST_MemBitmap::releaseBlock() {
    free(m_block);
    m_block = nullptr;
    m_allocated = 0;
    m_width = m_height = 0;
}

bool RAST_MemBitmap::resize(int w, int h) {
    w = std::max(w, 0);
    h = std::max(h, 0);
    if (w == m_width && h == m_height) return false;
    m_width = w;
    m_height = h;

    const int64_t need = ((int64_t(w) + m_mask) & ~int64_t(m_mask)) * h * 4;
    if (need <= 0 || need > INT_MAX) {
        releaseBlock();
        return true;
    }
    if (m_block && need <= m_allocated) return true;
    if (m_block) {
        const int64_t grown = std::min<int64_t>(need + need / 4, INT_MAX);
        if (void* p = realloc(m_block, size_t(grown) + 63)) {
            m_block = p;
            m_allocated = int(grown);
            return true;
        }
        free(m_block);
    }
    m_block = malloc(size_t(need) + 63);
    if (m_block)
        m_allocated = int(need);
    else
        releaseBlock();
    return true;
}
