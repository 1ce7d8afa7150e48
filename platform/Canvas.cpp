#include "platform/Canvas.h"

#include <algorithm>

namespace platform {

Canvas::Canvas(uint32_t* pixels, int width, int height, int stride)
    : m_pixels(pixels), m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_stride(std::max(stride, m_width)), m_state{{0, 0, m_width, m_height}, 0, 0, true, 1.0f} {}

void Canvas::ClipToRect(const CanvasRect& r) {
    CanvasRect& c = m_state.clip;
    const int64_t x = m_state.originX, y = m_state.originY;
    // In 64 bits: a far origin must not wrap a rectangle back into the block.
    c.left = int(std::max<int64_t>(c.left, r.left + x));
    c.top = int(std::max<int64_t>(c.top, r.top + y));
    c.right = int(std::min<int64_t>(c.right, r.right + x));
    c.bottom = int(std::min<int64_t>(c.bottom, r.bottom + y));
    // An empty clip stays empty under every later intersection and inside the block.
    if (c.IsEmpty()) c = {0, 0, 0, 0};
}

void Canvas::Translate(int dx, int dy) {
    m_state.originX += dx;
    m_state.originY += dy;
}

void Canvas::SaveState() {
    m_saved.push_back(m_state);
}

bool Canvas::RestoreState() {
    if (m_saved.empty()) return false;
    m_state = m_saved.back();
    m_saved.pop_back();
    return true;
}

} // namespace platform
