#pragma once

#include "kit/rast/RAST_IBitmap.h"
#include "kit/rast/RAST_ImageLoaderEntry.h"

// PNG decoding into 32-bit pixels (alpha, red, green, blue; not premultiplied; alpha 255 for
// images without transparency). With a destination bitmap given, it is resized to the image and
// returned; with null, a new RAST_MemBitmap is returned that the caller owns. Every failure
// (unreadable or corrupt data, a size whose bytes do not fit an int, a bitmap that cannot take
// the size) returns null and leaves nothing allocated; a given bitmap may have been resized.
// Decoding keeps no shared state and may run on any thread.

RAST_IBitmap* RAST_LoadPNG(const char* filename, RAST_IBitmap* bmp);
// The size of the PNG image in the file, read from its header alone: false when the file does
// not begin as a PNG image or its pixels' bytes would not fit an int (RAST_LoadPNG refuses it).
bool RAST_PNGSize(const char* filename, int* w, int* h);
// A block that ends early decodes as if padded with zero bytes, which libpng reports as corrupt.
RAST_IBitmap* RAST_LoadPNGFromMemory(const void* data, int bytes, RAST_IBitmap* bmp);
// A file of the plug-in module's own resources folder; names over 400 characters are refused.
RAST_IBitmap* RAST_LoadPNGFromNamedResource(const char* name, RAST_IBitmap* bmp);
// There are no embedded resources on this platform: always null.
RAST_IBitmap* RAST_LoadPNGFromResource(void* instance, int resourceId, RAST_IBitmap* bmp);

// The PNG entry of the image-loader list (RAST_pngldr, registered at start-up).
class RAST_PNGLoader {
public:
    // With checkFileName, only names ending in ".png" (any case) are loaded.
    static RAST_IBitmap* loadfunc(const char* filename, bool checkFileName, RAST_IBitmap* bmp);
    static const char* get_extlist();
};

extern RAST_ImageLoaderEntry RAST_pngldr;
