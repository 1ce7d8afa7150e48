#pragma once

#include "platform/Image.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::wsys {

// Pictures from files, as the platform's image class reads them: PNG, and Windows icons
// (.ico) whose first image is a PNG or an uncompressed 32-bit bitmap with alpha. Every size
// and offset in the data is checked; anything else fails.
bool DecodeImage(const uint8_t* data, size_t size, Image* out);
// False when the file cannot be read or decoded.
bool LoadImageFile(const std::string& path, Image* out);
// A picture of the bundle resources by name: the file itself, else the name with ".png".
bool LoadNamedImage(const std::string& name, Image* out);

} // namespace platform::wsys
