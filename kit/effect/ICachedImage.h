#pragma once

#include "kit/rast/RAST_IBitmap.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

class IGraphics;

// An image of the bitmap cache whose pixels are decoded from its resource and scaled the first
// time it is drawn, so that an editor holds only the pictures it has shown. Its size is the
// scaled size from the start; until the pixels are there it has none (getBits() null), and
// the raster operations draw nothing from it.
class ICachedImage : public RAST_IBitmap {
public:
    // The image of resource id and name, shown at w x h pixels (its own size times the scale).
    ICachedImage(int id, const char* name, int w, int h);

    RAST_pixel* getBits() const override;
    int getWidth() const override { return m_width; }
    int getHeight() const override { return m_height; }
    int getRowSpan() const override;
    // The size is the image's: never changed.
    bool resize(int, int) override { return false; }

    // Decodes the pixels through the graphics object's loader unless that was done or tried
    // before; any thread, any instance's graphics object. False when there are no pixels.
    bool Decode(IGraphics& graphics);

private:
    const int m_id;
    const std::string m_name;
    const int m_width, m_height;
    std::mutex m_decoding;
    bool m_tried = false; // under m_decoding
    std::unique_ptr<RAST_IBitmap> m_owned;
    std::atomic<RAST_IBitmap*> m_pixels{nullptr}; // m_owned once it is complete
};
