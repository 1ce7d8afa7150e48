#pragma once

#include "kit/rast/RAST_IBitmap.h"

// A bitmap whose pixels live in a heap block of its own, starting on a 64-byte boundary, with
// each row padded to the row alignment. Growth reserves a quarter more and shrinking keeps
// the block, so repeated resizes seldom reallocate.
class RAST_MemBitmap : public RAST_IBitmap {
public:
    // align: row alignment in pixels, taken as its lowest set bit and at most 16 (below 2: none).
    explicit RAST_MemBitmap(int w = 0, int h = 0, unsigned int align = 0);
    ~RAST_MemBitmap() override;

    RAST_pixel* getBits() const override;
    int getWidth() const override { return m_width; }
    int getHeight() const override { return m_height; }
    int getRowSpan() const override { return int((unsigned(m_width) + m_mask) & ~m_mask); }
    // A size whose bytes do not fit an int, or that memory cannot hold, leaves the bitmap
    // 0 x 0 without pixels (and still returns true).
    bool resize(int w, int h) override;

    // Bytes usable from the aligned start.
    int getAllocatedSize() const { return m_allocated; }

private:
    void releaseBlock();

    void* m_block = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_allocated = 0;
    unsigned int m_mask = 0;
};
