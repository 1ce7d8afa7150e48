#pragma once

#include "kit/rast/RAST_IBitmap.h"

// One entry of the raster library's list of image loaders; each image module registers its own
// entry when the program's static data are initialised.
struct RAST_ImageLoaderEntry {
    // Decodes the file into bmp (resized to the image) or, when bmp is null, into a new bitmap
    // that the caller owns; null on failure. With checkFileName, a name without the loader's
    // extension is refused.
    RAST_IBitmap* (*loadfunc)(const char* filename, bool checkFileName, RAST_IBitmap* bmp);
    // Description and pattern strings, each ended by NUL, the list ended by an empty string.
    const char* (*get_extlist)();
    RAST_ImageLoaderEntry* next;
};

// The first entry; null before any loader registers. Constant-initialised, so registration from
// any module's static initialiser finds it ready.
inline RAST_ImageLoaderEntry* RAST_ImageLoader_list = nullptr;
