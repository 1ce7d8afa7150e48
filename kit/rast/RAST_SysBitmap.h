#pragma once

#include "kit/rast/RAST_IBitmap.h"

// A bitmap whose pixels are those of a memory drawing context, so that the windowing layer can
// draw text into them and the editor window can show them. The context is kept across every
// resize that fits inside it; rows are the context's width (a multiple of 4) apart.
class RAST_SysBitmap : public RAST_IBitmap {
public:
    explicit RAST_SysBitmap(int w = 0, int h = 0);
    ~RAST_SysBitmap() override;

    RAST_pixel* getBits() const override { return m_pixels; }
    int getWidth() const override { return m_width; }
    int getHeight() const override { return m_height; }
    int getRowSpan() const override { return m_allocWidth; }
    // False, without pixels, for an empty size; a context that cannot be made leaves the
    // bitmap 0 x 0.
    bool resize(int w, int h) override;
    HDC getDC() const override { return m_ctx; }

private:
    int m_width = 0;
    int m_height = 0;
    HDC m_ctx = nullptr;
    RAST_pixel* m_pixels = nullptr;
    int m_allocWidth = 0;
    int m_allocHeight = 0;
};
