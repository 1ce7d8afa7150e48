// The raster operations the editor leans on, timed side by side with Debian's pixman and cairo
// in one process: each round runs ours once and the reference once, and each figure is the
// median of its rounds. Prints ours / theirs per row (lower is faster) and the aim of each.
// Pixel layouts differ (ours alpha, red, green, blue in memory; theirs premultiplied
// a8r8g8b8), but every pair works on the same shapes and alphas.
#include "kit/rast/RAST_Blit.h"
#include "kit/rast/RAST_Circle.h"
#include "kit/rast/RAST_Fill.h"
#include "kit/rast/RAST_Line.h"
#include "kit/rast/RAST_MemBitmap.h"
#include "kit/rast/RAST_ScaledBlit.h"

#include <cairo.h>
#include <pixman.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kWidth = 1724, kHeight = 870;

// A bitmap of ours and a pixman image of the same size, sharing nothing.
struct Surface {
    RAST_MemBitmap ours;
    std::vector<uint32_t> bits;
    pixman_image_t* theirs;

    Surface(int w, int h) : ours(w, h, 4), bits(size_t(w) * h) {
        theirs = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, bits.data(), w * 4);
    }
    ~Surface() { pixman_image_unref(theirs); }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Every pixel from f(x, y) as (r, g, b, a), premultiplied for the reference.
    template <class F> void paint(F f) {
        const int w = ours.getWidth(), h = ours.getHeight();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                int c[4];
                f(x, y, c);
                ours.getBits()[y * ours.getRowSpan() + x] = RAST_MakePixel(c[0], c[1], c[2], c[3]);
                const auto pm = [&](int v) { return uint32_t(v * c[3] / 255); };
                bits[size_t(y) * w + x] =
                    uint32_t(c[3]) << 24 | pm(c[0]) << 16 | pm(c[1]) << 8 | pm(c[2]);
            }
    }
};

// Half opaque, half transparent, with antialiased rims a few pixels wide.
void artwork(int x, int y, int c[4]) {
    const double v = std::sin(x * 0.031) * std::cos(y * 0.027);
    c[0] = (x * 3) & 255, c[1] = (y * 5) & 255, c[2] = (x + y) & 255;
    c[3] = int(std::clamp(128.0 + v * 2000.0, 0.0, 255.0));
}

// A knob frame of 48 x 48: an opaque disc with a soft rim, transparent corners.
void knob(int x, int y, int c[4]) {
    const double d = std::hypot(x - 23.5, y - 23.5);
    c[0] = 40 + x * 3, c[1] = 90, c[2] = 200 - y * 2;
    c[3] = int(std::clamp((22.0 - d) * 128.0, 0.0, 255.0));
}

void ramp(int x, int, int c[4]) {
    c[0] = 200, c[1] = 120, c[2] = 40, c[3] = x * 255 / (kWidth - 1);
}

double seconds(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Rows whose name holds this text run; all of them when it is empty.
const char* g_filter = "";

// Alternates ours and theirs for some rounds; prints both medians and their ratio.
void row(const char* name, const char* aim, const std::function<void()>& ours,
         const std::function<void()>& theirs) {
    if (!strstr(name, g_filter)) return;
    ours(), theirs(); // pages mapped, caches warm
    std::vector<double> a, b;
    for (int i = 0; i < 21; ++i) {
        a.push_back(seconds(ours));
        b.push_back(seconds(theirs));
    }
    const double ma = median(a), mb = median(b);
    printf("%-52s %9.3f ms %9.3f ms %7.2f   %s\n", name, ma * 1e3, mb * 1e3, ma / mb, aim);
    fflush(stdout);
}

pixman_image_t* solid(double r, double g, double b, double a) {
    const auto c = [a](double v) { return uint16_t(std::lround(v * a * 65535)); };
    const pixman_color_t colour = {c(r), c(g), c(b), uint16_t(std::lround(a * 65535))};
    return pixman_image_create_solid_fill(&colour);
}

// 274 frames at grid positions across the destination.
template <class F> void eachFrame(F f) {
    for (int i = 0; i < 274; ++i)
        f((i % 35) * 49, (i / 35) * 49 + (i % 3) * 5);
}

// One bilinear resize of every source to its scale, ours against pixman's.
void scaleRow(const char* name, std::vector<std::unique_ptr<Surface>>& from, double scale) {
    std::vector<std::unique_ptr<Surface>> to;
    for (auto& f : from) {
        const int w = f->ours.getWidth(), h = f->ours.getHeight();
        to.push_back(std::make_unique<Surface>(int(std::lround(w * scale)),
                                               int(std::lround(h * scale))));
        pixman_transform_t t;
        pixman_transform_init_scale(&t, pixman_double_to_fixed(1 / scale),
                                    pixman_double_to_fixed(1 / scale));
        pixman_image_set_transform(f->theirs, &t);
        pixman_image_set_filter(f->theirs, PIXMAN_FILTER_BILINEAR, nullptr, 0);
        pixman_image_set_repeat(f->theirs, PIXMAN_REPEAT_PAD);
    }
    row(
        name, "<= 1.5",
        [&] {
            for (size_t i = 0; i < from.size(); ++i) {
                RAST_IBitmap& s = from[i]->ours;
                RAST_IBitmap& d = to[i]->ours;
                RAST_ScaledBlit(&d, &s, 0, 0, d.getWidth(), d.getHeight(), 0, 0,
                                float(s.getWidth()), float(s.getHeight()), 1.0f, 0x100);
            }
        },
        [&] {
            for (size_t i = 0; i < from.size(); ++i)
                pixman_image_composite32(PIXMAN_OP_SRC, from[i]->theirs, nullptr, to[i]->theirs,
                                         0, 0, 0, 0, 0, 0, to[i]->ours.getWidth(),
                                         to[i]->ours.getHeight());
        });
    for (auto& f : from) {
        pixman_image_set_transform(f->theirs, nullptr);
        pixman_image_set_filter(f->theirs, PIXMAN_FILTER_NEAREST, nullptr, 0);
    }
}

// Ours and cairo's drawing on two surfaces of the editor's size.
struct Canvas {
    RAST_MemBitmap ours{kWidth, kHeight, 4};
    std::vector<uint32_t> bits = std::vector<uint32_t>(size_t(kWidth) * kHeight, 0xFF102030);
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(bits.data()), CAIRO_FORMAT_ARGB32, kWidth, kHeight,
        kWidth * 4);
    cairo_t* cr = cairo_create(surface);
    Canvas() {
        RAST_Clear(&ours, RAST_MakePixel(16, 32, 48, 255));
        cairo_set_source_rgba(cr, 0.8, 0.4, 0.2, 1.0);
        cairo_set_line_width(cr, 1.0);
    }
    ~Canvas() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
};

} // namespace

// An argument that does not start with "-" picks the rows whose name contains it.
int main(int argc, char** argv) {
    if (argc > 1 && argv[1][0] != '-') g_filter = argv[1];
    printf("%-52s %12s %12s %7s   %s\n", "operation", "ours", "reference", "ratio", "aim");
    Surface dest(kWidth, kHeight), art(kWidth, kHeight), smooth(kWidth, kHeight);
    dest.paint([](int x, int y, int c[4]) { c[0] = x & 255, c[1] = y & 255, c[2] = 77, c[3] = 255; });
    art.paint(artwork);
    smooth.paint(ramp);
    const size_t bytes = size_t(kWidth) * kHeight * 4;
    std::vector<unsigned char> scratch(bytes, 1);

    row("copy blit, whole surface (reference: memcpy)", "<= 1.1",
        [&] { RAST_Blit(&dest.ours, &art.ours, 0, 0, nullptr, 1.0f, 0); },
        [&] { memcpy(dest.bits.data(), scratch.data(), bytes); });
    row("source-alpha blit, artwork", "<= 1.0",
        [&] { RAST_Blit(&dest.ours, &art.ours, 0, 0, nullptr, 1.0f, 0x10000); },
        [&] {
            pixman_image_composite32(PIXMAN_OP_OVER, art.theirs, nullptr, dest.theirs, 0, 0, 0, 0,
                                     0, 0, kWidth, kHeight);
        });

    Surface frame(48, 48);
    frame.paint(knob);
    row("source-alpha blit, 274 knob frames of 48 x 48", "<= 1.0",
        [&] {
            eachFrame([&](int x, int y) {
                RAST_Blit(&dest.ours, &frame.ours, x, y, nullptr, 1.0f, 0x10000);
            });
        },
        [&] {
            eachFrame([&](int x, int y) {
                pixman_image_composite32(PIXMAN_OP_OVER, frame.theirs, nullptr, dest.theirs, 0, 0,
                                         0, 0, x, y, 48, 48);
            });
        });
    row("source-alpha blit, smooth alpha ramp", "<= 1.3",
        [&] { RAST_Blit(&dest.ours, &smooth.ours, 0, 0, nullptr, 1.0f, 0x10000); },
        [&] {
            pixman_image_composite32(PIXMAN_OP_OVER, smooth.theirs, nullptr, dest.theirs, 0, 0, 0,
                                     0, 0, 0, kWidth, kHeight);
        });

    std::vector<std::unique_ptr<Surface>> backgrounds, frames;
    backgrounds.push_back(std::make_unique<Surface>(1500, 757));
    backgrounds.back()->paint(artwork);
    for (int i = 0; i < 274; ++i) {
        frames.push_back(std::make_unique<Surface>(48, 48));
        frames.back()->paint(knob);
    }
    scaleRow("bilinear scaled blit 0.85 x, 1500 x 757", backgrounds, 0.85);
    scaleRow("bilinear scaled blit 1.15 x, 1500 x 757", backgrounds, 1.15);
    scaleRow("bilinear scaled blit 0.85 x, 274 frames of 48 x 48", frames, 0.85);
    scaleRow("bilinear scaled blit 1.15 x, 274 frames of 48 x 48", frames, 1.15);

    // A colour over the whole surface at alpha, against pixman's OVER of the same colour.
    const auto fillRow = [&](const char* name, const char* aim, double alpha) {
        pixman_image_t* colour = solid(0.8, 0.4, 0.2, alpha);
        row(
            name, aim,
            [&] {
                RAST_FillRect(&dest.ours, 0, 0, kWidth, kHeight,
                              RAST_MakePixel(204, 102, 51, 255), float(alpha), 0);
            },
            [&] {
                pixman_image_composite32(PIXMAN_OP_OVER, colour, nullptr, dest.theirs, 0, 0, 0, 0,
                                         0, 0, kWidth, kHeight);
            });
        pixman_image_unref(colour);
    };
    fillRow("solid fill at alpha 0.3", "<= 1.5", 0.3);
    fillRow("solid fill at alpha 0.5", "<= 1.0", 0.5);
    row("solid fill at alpha 1.0 (reference: memset)", "<= 1.5",
        [&] {
            RAST_FillRect(&dest.ours, 0, 0, kWidth, kHeight, RAST_MakePixel(204, 102, 51, 255),
                          1.0f, 0);
        },
        [&] { memset(dest.bits.data(), 0x5A, bytes); });

    Canvas canvas;
    row("antialiased filled circle, radius 200 (cairo)", "<= 1.5",
        [&] {
            RAST_FillCircle(&canvas.ours, 860.3f, 430.6f, 200.0f,
                            RAST_MakePixel(204, 102, 51, 255), 1.0f, 0x10000, true);
        },
        [&] {
            cairo_arc(canvas.cr, 860.3, 430.6, 200.0, 0, 2 * M_PI);
            cairo_fill(canvas.cr);
        });
    row("antialiased lines, 500 (cairo)", "keep",
        [&] {
            for (int i = 0; i < 500; ++i)
                RAST_Line(&canvas.ours, 10 + i * 3, 20, 100 + i * 2, 20 + i, 0xFF3366CCu, 1.0f,
                          0x10000, true);
        },
        [&] {
            for (int i = 0; i < 500; ++i) {
                cairo_move_to(canvas.cr, 10.5 + i * 3, 20.5);
                cairo_line_to(canvas.cr, 100.5 + i * 2, 20.5 + i);
                cairo_stroke(canvas.cr);
            }
        });
    row("antialiased circles, 500 of radius 5..12 (cairo)", "keep",
        [&] {
            for (int i = 0; i < 500; ++i)
                RAST_Circle(&canvas.ours, 30.0f + (i % 50) * 30, 30.0f + (i / 50) * 30,
                            5.3f + float(i % 8), 0xFF3366CCu, 1.0f, 0x10000, true);
        },
        [&] {
            for (int i = 0; i < 500; ++i) {
                cairo_new_sub_path(canvas.cr);
                cairo_arc(canvas.cr, 30.0 + (i % 50) * 30, 30.0 + (i / 50) * 30, 5.3 + i % 8, 0,
                          2 * M_PI);
                cairo_stroke(canvas.cr);
            }
        });
    return 0;
}
