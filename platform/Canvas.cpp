#include "platform/Canvas.h"

#include <algorithm>

namespace platform {

Canvas::Canvas(uint32_t* pixels, int width, int height, int stride)
    : m_pixels(pixels), m_width(std::max(width, 0)), m_height(std::max(height, 0)),
      m_stride(std::max(stride, m_width)), m_state{{0, 0, m_width, m_height}, true, 1.0f} {}

void Canvas::ClipToRect(const CanvasRect& r) {
    CanvasRect& c = m_state.clip;
    c.left = std::max(c.left, r.left);
    c.top = std::max(c.top, r.top);
    c.right = std::min(c.right, r.right);
    c.bottom = std::min(c.bottom, r.bottom);
    // An empty clip stays empty under every later intersection and inside the block.
    if (c.IsEmpty()) c = {0, 0, 0, 0};
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
