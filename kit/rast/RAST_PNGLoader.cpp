#include "kit/rast/RAST_PNGLoader.h"

#include "kit/rast/RAST_MemBitmap.h"
#include "platform/Paths.h"

#include <png.h>

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <strings.h>

namespace {

// The memory decoder's read position.
struct MemorySource {
    const unsigned char* next;
    int remaining;
};

// Where libpng reads from: an open file, or else a memory block.
struct Source {
    FILE* file;
    MemorySource* memory;
};

// What one decode has made. It lives in the caller's frame, so it survives libpng's long jump
// and the caller releases it whatever happened.
struct Decode {
    png_structp png = nullptr;
    png_infop info = nullptr;
    RAST_IBitmap* made = nullptr;
    png_bytep* rows = nullptr;
};

// Neither errors nor warnings are printed: the host's standard error is not ours, and a
// failed load is reported by its result.
[[noreturn]] void jumpBack(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void ignoreWarning(png_structp, png_const_charp) {}

// Reading past the block's end yields zero bytes, which libpng then finds corrupt.
void staticPngReadFunc(png_struct* png, unsigned char* out, size_t length) {
    auto* src = static_cast<MemorySource*>(png_get_io_ptr(png));
    memset(out, 0, length);
    const size_t n = std::min(length, size_t(src->remaining));
    memcpy(out, src->next, n);
    src->next += n;
    src->remaining -= int(n);
}

// libpng's errors jump back into this function, so it holds no object with a destructor and
// keeps all it allocates in *d.
bool decodeImage(Decode* d, const Source* src, RAST_IBitmap* given) {
    if (setjmp(png_jmpbuf(d->png))) return false;
    if (src->file)
        png_init_io(d->png, src->file);
    else
        png_set_read_fn(d->png, src->memory, staticPngReadFunc);
    png_read_info(d->png, d->info);
    png_uint_32 width, height;
    int depth, type;
    png_get_IHDR(d->png, d->info, &width, &height, &depth, &type, nullptr, nullptr, nullptr);

    // Every kind of image comes out as 8-bit alpha, red, green, blue.
    if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(d->png);
    if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(d->png);
    if (png_get_valid(d->png, d->info, PNG_INFO_tRNS)) {
        png_set_tRNS_to_alpha(d->png);
        type |= PNG_COLOR_MASK_ALPHA;
    }
    if (depth == 16)
        png_set_strip_16(d->png);
    else if (depth < 8)
        png_set_packing(d->png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(d->png);
    if (type & PNG_COLOR_MASK_ALPHA)
        png_set_swap_alpha(d->png);
    else
        png_set_filler(d->png, 255, PNG_FILLER_BEFORE);

    if (uint64_t(width) * height * 4 > uint64_t(INT_MAX)) return false;
    const int w = int(width), h = int(height);
    RAST_IBitmap* bmp = given;
    if (bmp)
        bmp->resize(w, h);
    else
        bmp = d->made = new (std::nothrow) RAST_MemBitmap(w, h, 4);
    if (!bmp || bmp->getWidth() != w || bmp->getHeight() != h || !bmp->getBits() ||
        bmp->getRowSpan() < w)
        return false;

    d->rows = static_cast<png_bytep*>(malloc(sizeof(png_bytep) * height));
    if (!d->rows) return false;
    for (int y = 0; y < h; ++y)
        d->rows[y] = reinterpret_cast<png_bytep>(RAST_PixelAt(*bmp, 0, y));
    png_read_image(d->png, d->rows);
    return true;
}

RAST_IBitmap* load(const Source& src, RAST_IBitmap* bmp) {
    Decode d;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpBack, ignoreWarning);
    if (!d.png) return nullptr;
    d.info = png_create_info_struct(d.png);
    const bool ok = d.info && decodeImage(&d, &src, bmp);
    png_destroy_read_struct(&d.png, &d.info, nullptr);
    free(d.rows);
    if (ok) return d.made ? d.made : bmp;
    delete d.made;
    return nullptr;
}

} // namespace

RAST_IBitmap* RAST_LoadPNG(const char* filename, RAST_IBitmap* bmp) {
    FILE* file = filename ? fopen(filename, "rb") : nullptr;
    if (!file) return nullptr;
    RAST_IBitmap* result = load({file, nullptr}, bmp);
    fclose(file);
    return result;
}

bool RAST_PNGSize(const char* filename, int* w, int* h) {
    // The signature, then the image header chunk: length 13, "IHDR", width and height.
    unsigned char head[24];
    FILE* file = filename ? fopen(filename, "rb") : nullptr;
    if (!file) return false;
    const size_t got = fread(head, 1, sizeof head, file);
    fclose(file);
    if (got != sizeof head || png_sig_cmp(head, 0, 8) != 0 || memcmp(head + 12, "IHDR", 4) != 0)
        return false;
    const auto word = [&](int at) {
        return uint32_t(head[at]) << 24 | uint32_t(head[at + 1]) << 16 |
               uint32_t(head[at + 2]) << 8 | head[at + 3];
    };
    const uint32_t width = word(16), height = word(20);
    // Each side below 2^31 first, as PNG has them, so that the product cannot wrap.
    if (width == 0 || height == 0 || width > uint32_t(INT_MAX) || height > uint32_t(INT_MAX) ||
        uint64_t(width) * height * 4 > uint64_t(INT_MAX))
        return false;
    *w = int(width);
    *h = int(height);
    return true;
}

RAST_IBitmap* RAST_LoadPNGFromMemory(const void* data, int bytes, RAST_IBitmap* bmp) {
    if (!data || bytes < 8) return nullptr;
    MemorySource memory = {static_cast<const unsigned char*>(data), bytes};
    if (png_sig_cmp(memory.next, 0, 8) != 0) return nullptr;
    return load({nullptr, &memory}, bmp);
}

RAST_IBitmap* RAST_LoadPNGFromNamedResource(const char* name, RAST_IBitmap* bmp) {
    if (!name || strlen(name) > 400) return nullptr;
    return RAST_LoadPNG((platform::ResourcesFolder() + name).c_str(), bmp);
}

RAST_IBitmap* RAST_LoadPNGFromResource(void*, int, RAST_IBitmap*) {
    return nullptr;
}

RAST_IBitmap* RAST_PNGLoader::loadfunc(const char* filename, bool checkFileName,
                                       RAST_IBitmap* bmp) {
    if (checkFileName) {
        if (!filename) return nullptr;
        // The extension, or the whole name when nothing after its first character starts one.
        const char* tail = filename;
        for (const char* p = filename; *p; ++p)
            if (p > filename && (*p == '.' || *p == '/' || *p == '\\')) tail = p;
        if (strcasecmp(tail, ".png") != 0) return nullptr;
    }
    return RAST_LoadPNG(filename, bmp);
}

const char* RAST_PNGLoader::get_extlist() {
    return "PNG files (*.PNG)\0*.PNG\0";
}

RAST_ImageLoaderEntry RAST_pngldr = {};

namespace {
struct Registration {
    Registration() {
        RAST_pngldr = {&RAST_PNGLoader::loadfunc, &RAST_PNGLoader::get_extlist,
                       RAST_ImageLoader_list};
        RAST_ImageLoader_list = &RAST_pngldr;
    }
} registration;
} // namespace
