#pragma once

#include "kit/base/KIT_Mutex.h"
#include "kit/base/KIT_PtrList.h"
#include "kit/effect/IEffectStructs.h"

class RAST_IFont;

// The process-wide cache of the editor's fonts, one per size, orientation, style and face
// (colour, alignment and quality are not part of the key). It owns its fonts for the life of
// the process. The raster fonts keep their glyphs and render surfaces without a lock of their
// own, and every editor shares them, so whoever draws with a cached font holds Lock() meanwhile.
class FontStorage {
public:
    FontStorage() = default;
    ~FontStorage();
    FontStorage(const FontStorage&) = delete;
    FontStorage& operator=(const FontStorage&) = delete;

    static FontStorage& Instance();

    // The first font cached under the text's key, or null.
    RAST_IFont* Find(const IText* text);
    // Caches the font under the text's key; the cache owns it from now on (a font that cannot
    // be listed is deleted and null is returned).
    RAST_IFont* Add(RAST_IFont* font, const IText* text);
    KIT_Mutex* Lock() { return &m_mutex; }

private:
    struct Entry {
        int size;
        int orientation;
        int style;
        char face[IText::kFontNameLen];
        RAST_IFont* font;
    };

    KIT_PtrList<Entry> m_entries;
    KIT_Mutex m_mutex;
};
