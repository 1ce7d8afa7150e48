#pragma once

#include "kit/rast/RAST_PNGLoader.h"
#include "src/uiconfig/ImageTable.h"
#include "tools/render-images/ArtFile.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>

// The image set the build rendered, read back as the editor reads it.
namespace editorimages {

inline const ArtFile& Art() {
    static const ArtFile art = [] {
        ArtFile a;
        std::string error;
        if (!ReadArtFile(ZOZ_ART_FILE, &a, &error)) throw std::runtime_error(error);
        return a;
    }();
    return art;
}

// A file of the set, decoded once; null when it cannot be read.
inline RAST_IBitmap* Image(const std::string& file) {
    static std::map<std::string, std::unique_ptr<RAST_IBitmap>> decoded;
    auto& image = decoded[file];
    if (!image) image.reset(RAST_LoadPNG((std::string(ZOZ_IMAGES) + file).c_str(), nullptr));
    return image.get();
}

inline RAST_pixel At(RAST_IBitmap* b, int x, int y) {
    return *RAST_PixelAt(*b, x, y);
}

// The largest difference of the four channels.
inline int Distance(RAST_pixel a, RAST_pixel b) {
    int most = 0;
    for (int shift = 0; shift < 32; shift += 8)
        most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return most;
}

// Every row of the table in every scheme: name, file.
template <class Visit> void EachRow(Visit visit) {
    for (const CommonImageRow& row : kCommonImages)
        visit(std::string(row.name), std::string(row.file));
    for (int s = 0; s < kColourSchemeCount; ++s)
        for (const SchemeImageRow& row : kSchemeImages)
            visit(std::string(row.name), schemeImageFile(row, s));
}

} // namespace editorimages
