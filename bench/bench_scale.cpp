// Resizing the editor's images as the graphics layer does for the "small" (0.85) and "large"
// (1.15) window sizes: bilinear copies of whole bitmaps. Stand-ins for the 279 images: the
// five colour schemes' backgrounds of 1500 x 757 and 274 knob strips of 60 frames of 48 x 48.
// Time is per pass over all images; Mpix/s counts destination pixels. Also a rotated knob
// mask, per call.
#include "kit/rast/RAST_MemBitmap.h"
#include "kit/rast/RAST_RotatedBlit.h"
#include "kit/rast/RAST_ScaledBlit.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kBackgrounds = 5, kImages = 279;

// Artwork-like content: colour gradients with every alpha from transparent to opaque.
void paint(RAST_IBitmap& bm, int seed) {
    for (int y = 0; y < bm.getHeight(); ++y)
        for (int x = 0; x < bm.getWidth(); ++x)
            bm.getBits()[y * bm.getRowSpan() + x] = RAST_MakePixel(
                (x + seed) & 255, (y * 3) & 255, (x + y + seed) & 255, (x * 7 + y * 13) & 255);
}

struct Resize {
    std::unique_ptr<RAST_MemBitmap> from, to;
};

std::vector<Resize> images(double scale) {
    std::vector<Resize> all;
    for (int i = 0; i < kImages; ++i) {
        const int w = i < kBackgrounds ? 1500 : 48, h = i < kBackgrounds ? 757 : 48 * 60;
        Resize r{std::make_unique<RAST_MemBitmap>(w, h, 4),
                 std::make_unique<RAST_MemBitmap>(int(std::lround(w * scale)),
                                                  int(std::lround(h * scale)), 4)};
        paint(*r.from, i);
        all.push_back(std::move(r));
    }
    return all;
}

void BM_ScaleAllImages(benchmark::State& state) {
    const double scale = double(state.range(0)) / 100;
    const std::vector<Resize> all = images(scale);
    double pixels = 0;
    for (const Resize& r : all)
        pixels += double(r.to->getWidth()) * r.to->getHeight();
    const auto scaleAll = [&] {
        for (const Resize& r : all)
            RAST_ScaledBlit(r.to.get(), r.from.get(), 0, 0, r.to->getWidth(), r.to->getHeight(), 0,
                            0, float(r.from->getWidth()), float(r.from->getHeight()), 1.0f, 0x100);
        benchmark::ClobberMemory();
    };
    scaleAll(); // the first pass would also pay for mapping the destinations' pages
    for (auto _ : state)
        scaleAll();
    state.counters["Mpix/s"] =
        benchmark::Counter(pixels / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
}

// A knob's 64 x 64 mask turned onto its face, as the editor draws a rotating pointer.
void BM_RotateKnobMask(benchmark::State& state) {
    RAST_MemBitmap mask(64, 64, 4), face(64, 64, 4);
    paint(mask, 1);
    paint(face, 2);
    float angle = 0;
    for (auto _ : state) {
        RAST_RotatedBlit(&face, &mask, 0, 0, 64, 64, 0, 0, 64, 64, angle, false, 1.0f,
                         int(state.range(0)), 0, 0);
        angle += 0.05f;
        benchmark::ClobberMemory();
    }
}

} // namespace

BENCHMARK(BM_ScaleAllImages)->Arg(85)->Arg(115)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateKnobMask)->Arg(0x10100)->Arg(0x10101)->Unit(benchmark::kMicrosecond);
