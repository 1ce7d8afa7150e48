#include "kit/effect/ICachedImage.h"

#include "kit/effect/IGraphics.h"
#include "kit/rast/RAST_CombinePixels.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "kit/rast/RAST_ScaledBlit.h"

ICachedImage::ICachedImage(int id, const char* name, int w, int h)
    : m_id(id), m_name(name ? name : ""), m_width(w), m_height(h) {}

RAST_pixel* ICachedImage::getBits() const {
    const RAST_IBitmap* pixels = m_pixels.load(std::memory_order_acquire);
    return pixels ? pixels->getBits() : nullptr;
}

int ICachedImage::getRowSpan() const {
    const RAST_IBitmap* pixels = m_pixels.load(std::memory_order_acquire);
    return pixels ? pixels->getRowSpan() : 0;
}

bool ICachedImage::Decode(IGraphics& graphics) {
    if (m_pixels.load(std::memory_order_acquire)) return true;
    std::lock_guard<std::mutex> lock(m_decoding);
    if (m_tried) return m_owned != nullptr;
    m_tried = true;
    std::unique_ptr<RAST_IBitmap> decoded(graphics.OSLoadBitmap(m_id, m_name.c_str()));
    if (!decoded) return false;
    auto scaled = std::make_unique<RAST_MemBitmap>(m_width, m_height, 4);
    if (!scaled->getBits()) return false;
    RAST_ScaledBlit(scaled.get(), decoded.get(), 0, 0, m_width, m_height, 0.0f, 0.0f,
                    float(decoded->getWidth()), float(decoded->getHeight()), 1.0f,
                    RAST_MODE_BILINEAR);
    m_owned = std::move(scaled);
    m_pixels.store(m_owned.get(), std::memory_order_release);
    return true;
}
