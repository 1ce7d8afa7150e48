#pragma once

#include "kit/rast/RAST_IBitmap.h"

#include <string>

// Writes the bitmap as an 8-bit RGBA PNG, its alpha straight, as the raster graphics' PNG
// loader reads it back. Same pixels, same bytes: nothing of the time or the system is stored.
bool WritePng(const std::string& path, const RAST_IBitmap& bitmap);
