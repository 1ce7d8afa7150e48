#include "platform/wsys/ImageFile.h"

#include "platform/ResourceFile.h"

#include <png.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace platform::wsys {

namespace {

constexpr size_t kIconHeader = 6, kIconEntry = 16, kBitmapHeader = 40;
// Icons are at most 256 pixels a side; nothing bigger is decoded.
constexpr uint32_t kMaxIconSide = 256;
constexpr uint32_t kMaxPngSide = 4096;

uint32_t le16(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
uint32_t le32(const uint8_t* p) {
    return le16(p) | le16(p + 2) << 16;
}

bool decodePng(const uint8_t* data, size_t size, Image* out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) return false;
    if (image.width == 0 || image.height == 0 || image.width > kMaxPngSide ||
        image.height > kMaxPngSide) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_ARGB; // the bytes of Image's pixels
    Image picture(int(image.width), int(image.height));
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    *out = std::move(picture);
    return true;
}

// A bitmap as icons hold it: a 40-byte header, then rows bottom to top of blue, green, red,
// alpha; the header's height counts the mask rows that follow too.
bool decodeIconBitmap(const uint8_t* data, size_t size, Image* out) {
    if (size < kBitmapHeader || le32(data) != kBitmapHeader) return false;
    const uint32_t w = le32(data + 4), h2 = le32(data + 8);
    const uint32_t planes = le16(data + 12), bits = le16(data + 14), compression = le32(data + 16);
    if (w == 0 || w > kMaxIconSide || h2 == 0 || h2 % 2 || h2 / 2 > kMaxIconSide || planes != 1 ||
        bits != 32 || compression != 0)
        return false;
    const uint32_t h = h2 / 2;
    if ((size - kBitmapHeader) / 4 / w < h) return false;
    Image picture{int(w), int(h)};
    bool anyAlpha = false;
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = data + kBitmapHeader + size_t(h - 1 - y) * w * 4;
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = row + x * 4;
            anyAlpha |= p[3] != 0;
            picture.pixels[size_t(y) * w + x] =
                uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24;
        }
    }
    // Old icons leave alpha at 0 and keep transparency in their mask: show them opaque.
    if (!anyAlpha)
        for (uint32_t& px : picture.pixels)
            px |= 0xFF;
    *out = std::move(picture);
    return true;
}

bool decodeIcon(const uint8_t* data, size_t size, Image* out) {
    if (size < kIconHeader + kIconEntry || le16(data + 4) == 0) return false;
    const uint8_t* entry = data + kIconHeader;
    const uint32_t length = le32(entry + 8), offset = le32(entry + 12);
    if (offset > size || length > size - offset || length == 0) return false;
    const uint8_t* image = data + offset;
    static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (length >= 8 && std::memcmp(image, kPngSignature, 8) == 0)
        return decodePng(image, length, out);
    return decodeIconBitmap(image, length, out);
}

} // namespace

bool DecodeImage(const uint8_t* data, size_t size, Image* out) {
    if (!data || size < kIconHeader) return false;
    // Icons: reserved 0, type 1.
    if (le16(data) == 0 && le16(data + 2) == 1) return decodeIcon(data, size, out);
    return decodePng(data, size, out);
}

bool LoadImageFile(const std::string& path, Image* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    return DecodeImage(bytes.data(), bytes.size(), out);
}

bool LoadNamedImage(const std::string& name, Image* out) {
    return LoadImageFile(ResourcePath(name), out) || LoadImageFile(ResourcePath(name + ".png"), out);
}

} // namespace platform::wsys
