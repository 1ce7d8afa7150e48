#pragma once

#include "kit/rast/RAST_IBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>
#include <vector>

// A fixed-size bitmap inside a larger block whose margins (rows above and below, columns left
// and right of every row) hold a known word, so that a test can see any write outside the
// picture. Pixels are addressed in picture coordinates, honouring the flipped flag.
class GuardedBitmap : public RAST_IBitmap {
public:
    static constexpr int kMargin = 3;
    static constexpr RAST_pixel kGuard = 0xDEADBEEF;

    GuardedBitmap(int w, int h, bool flipped = false, RAST_pixel colour = 0)
        : m_w(w), m_h(h), m_span(w + 2 * kMargin), m_flipped(flipped),
          m_block(size_t(m_span) * (h + 2 * kMargin), kGuard) {
        fill([colour](int, int) { return colour; });
    }

    RAST_pixel* getBits() const override {
        return const_cast<RAST_pixel*>(m_block.data()) + kMargin * m_span + kMargin;
    }
    int getWidth() const override { return m_w; }
    int getHeight() const override { return m_h; }
    int getRowSpan() const override { return m_span; }
    bool isFlipped() const override { return m_flipped; }
    bool resize(int, int) override { return false; }

    RAST_pixel& at(int x, int y) const {
        return getBits()[(m_flipped ? m_h - 1 - y : y) * m_span + x];
    }
    // Every pixel (x, y) becomes f(x, y).
    template <class F> void fill(F f) {
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                at(x, y) = f(x, y);
    }
    std::vector<RAST_pixel> picture() const {
        std::vector<RAST_pixel> p;
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                p.push_back(at(x, y));
        return p;
    }
    // True while every word outside the picture still holds the guard.
    bool guardsIntact() const {
        for (int row = 0; row < m_h + 2 * kMargin; ++row)
            for (int col = 0; col < m_span; ++col) {
                const bool inside =
                    row >= kMargin && row < kMargin + m_h && col >= kMargin && col < kMargin + m_w;
                if (!inside && m_block[size_t(row) * m_span + col] != kGuard) return false;
            }
        return true;
    }

private:
    int m_w, m_h, m_span;
    bool m_flipped;
    std::vector<RAST_pixel> m_block;
};

inline RAST_pixel P(int r, int g, int b, int a) {
    return RAST_MakePixel(r, g, b, a);
}

// Success when nothing was written outside the picture and every pixel (x, y) is want(x, y);
// otherwise names the first pixel that differs.
template <class F> testing::AssertionResult pictureIs(const GuardedBitmap& bm, F want) {
    if (!bm.guardsIntact()) return testing::AssertionFailure() << "written outside the picture";
    for (int y = 0; y < bm.getHeight(); ++y)
        for (int x = 0; x < bm.getWidth(); ++x)
            if (const RAST_pixel w = want(x, y); bm.at(x, y) != w) {
                char text[64];
                snprintf(text, sizeof text, "pixel %d,%d is %08X, not %08X", x, y, bm.at(x, y), w);
                return testing::AssertionFailure() << text;
            }
    return testing::AssertionSuccess();
}

// Adding this colour at full weight raises every byte by one, so that after drawing in the add
// mode onto a zero bitmap each pixel's red byte counts how often it was combined.
inline constexpr RAST_pixel kCountColour = 0x01010101;
inline constexpr int kAdd = 1;

using PixelSet = std::set<std::pair<int, int>>;

// The pixels that differ from background.
inline PixelSet changedPixels(const GuardedBitmap& bm, RAST_pixel background = 0) {
    PixelSet s;
    for (int y = 0; y < bm.getHeight(); ++y)
        for (int x = 0; x < bm.getWidth(); ++x)
            if (bm.at(x, y) != background) s.insert({x, y});
    return s;
}

// The pixels of rows y1..y2, each from column from(y) to column to(y).
template <class From, class To> PixelSet rows(int y1, int y2, From from, To to) {
    PixelSet s;
    for (int y = y1; y <= y2; ++y)
        for (int x = from(y); x <= to(y); ++x)
            s.insert({x, y});
    return s;
}
inline PixelSet box(int x1, int x2, int y1, int y2) {
    return rows(
        y1, y2, [x1](int) { return x1; }, [x2](int) { return x2; });
}

// The largest number of contributions any pixel received.
inline int maxCount(const GuardedBitmap& bm) {
    int m = 0;
    for (RAST_pixel p : bm.picture())
        m = std::max(m, RAST_GetRed(p));
    return m;
}

// Draws with draw(bitmap, x, y) at (15, 15) of a 40 x 40 bitmap, then at every offset from -12
// to 9 on 7 x 5 ones, plain and flipped, all over one background: each small picture must be
// the matching crop of the large one (with exact unset, only nothing written outside it).
template <class Draw> void expectCrops(Draw draw, RAST_pixel background, bool exact = true) {
    GuardedBitmap whole(40, 40, false, background);
    draw(whole, 15, 15);
    for (bool flipped : {false, true})
        for (int dy = -12; dy <= 9; ++dy)
            for (int dx = -12; dx <= 9; ++dx) {
                GuardedBitmap part(7, 5, flipped, background);
                draw(part, dx, dy);
                ASSERT_TRUE(pictureIs(part,
                                      [&](int x, int y) {
                                          return exact ? whole.at(x - dx + 15, y - dy + 15)
                                                       : part.at(x, y);
                                      }))
                    << "drawn at " << dx << "," << dy << (flipped ? " flipped" : "");
            }
}
