#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Rectangle in canvas pixels; right and bottom are exclusive.
struct CanvasRect {
    int left, top, right, bottom;
    bool IsEmpty() const { return right <= left || bottom <= top; }
};

// Colour components 0..1, as drawing calls take them.
struct CanvasColor {
    float red, green, blue, alpha;
};

// The 2-D drawing surface that drawing contexts stand on: a block of 32-bit pixels (not owned)
// with y running down from row 0, whose bytes are, in address order, an unused byte (the raster
// graphics keep alpha there), red, green and blue. Drawing honours the clip; the clip, the
// origin, the anti-aliasing switch and the stroke width form the graphics state that SaveState
// and RestoreState keep.
//
// Drawing coordinates are pixels relative to the origin: the point (x, y) is the pixel
// (Origin().x + x, Origin().y + y) of the block. The clip is kept in block pixels.
class Canvas {
public:
    // stride: pixels from one row to the next (at least width).
    Canvas(uint32_t* pixels, int width, int height, int stride);

    uint32_t* Pixels() const { return m_pixels; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Stride() const { return m_stride; }
    uint32_t* Row(int y) const { return m_pixels + static_cast<std::ptrdiff_t>(y) * m_stride; }

    // In block pixels, always within the pixel block.
    const CanvasRect& Clip() const { return m_state.clip; }
    // Narrows the clip to its intersection with r, given in drawing coordinates.
    void ClipToRect(const CanvasRect& r);

    // Block pixel of the drawing coordinates (0, 0); (0, 0) until translated.
    int OriginX() const { return m_state.originX; }
    int OriginY() const { return m_state.originY; }
    // Moves the origin by (dx, dy) pixels.
    void Translate(int dx, int dy);

    bool ShouldAntialias() const { return m_state.antialias; }
    void SetShouldAntialias(bool on) { m_state.antialias = on; }

    // Width of stroked lines in pixels; 1 until set.
    float LineWidth() const { return m_state.lineWidth; }
    void SetLineWidth(float width) { m_state.lineWidth = width; }

    void SaveState();
    // Returns to the last saved state; false (nothing changes) when none is saved.
    bool RestoreState();

private:
    struct State {
        CanvasRect clip;
        int originX;
        int originY;
        bool antialias;
        float lineWidth;
    };

    uint32_t* m_pixels;
    int m_width;
    int m_height;
    int m_stride;
    State m_state;
    std::vector<State> m_saved;
};

} // namespace platform
