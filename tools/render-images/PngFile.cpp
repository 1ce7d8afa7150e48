#include "tools/render-images/PngFile.h"

#include <png.h>

bool WritePng(const std::string& path, const RAST_IBitmap& bitmap) {
    if (!bitmap.getBits() || bitmap.isFlipped()) return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(bitmap.getWidth());
    image.height = png_uint_32(bitmap.getHeight());
    // The pixels' bytes lie alpha, red, green, blue in memory.
    image.format = PNG_FORMAT_ARGB;
    image.flags = PNG_IMAGE_FLAG_FAST;
    const bool written = png_image_write_to_file(&image, path.c_str(), 0, bitmap.getBits(),
                                                 bitmap.getRowSpan() * 4, nullptr) != 0;
    png_image_free(&image);
    return written;
}
