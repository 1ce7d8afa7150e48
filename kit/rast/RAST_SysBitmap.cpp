#include "kit/rast/RAST_SysBitmap.h"

#include <algorithm>
#include <climits>

RAST_SysBitmap::RAST_SysBitmap(int w, int h) {
    resize(w, h);
}

RAST_SysBitmap::~RAST_SysBitmap() {
    if (m_ctx) WINL_DeleteGfxContext(m_ctx);
}

bool RAST_SysBitmap::resize(int w, int h) {
    w = std::max(w, 0);
    h = std::max(h, 0);
    if (w == m_width && h == m_height) return false;
    m_width = w;
    m_height = h;

    if (w && h && m_allocWidth >= w && m_allocHeight >= h && m_pixels) {
        // A flipped picture uses the context's last h rows.
        if (isFlipped())
            m_pixels = static_cast<RAST_pixel*>(WINL_GetCtxFrameBuffer(m_ctx)) +
                       ptrdiff_t(m_allocHeight - h) * m_allocWidth;
        return true;
    }

    // Widths too large to round up stay too large for a context.
    m_allocWidth = int(std::min<int64_t>((int64_t(w) + 3) & ~int64_t(3), INT_MAX & ~3));
    m_allocHeight = h;
    if (m_ctx) WINL_DeleteGfxContext(m_ctx);
    m_ctx = nullptr;
    m_pixels = nullptr;
    if (h == 0 || m_allocWidth == 0) return false;

    m_ctx = WINL_CreateMemContext(nullptr, m_allocWidth, h);
    if (!m_ctx) m_width = m_height = 0;
    m_pixels = static_cast<RAST_pixel*>(WINL_GetCtxFrameBuffer(m_ctx));
    return true;
}
