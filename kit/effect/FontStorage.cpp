#include "kit/effect/FontStorage.h"

#include "kit/rast/RAST_IFont.h"

#include <cstring>

FontStorage::~FontStorage() {
    for (int i = m_entries.GetSize() - 1; i >= 0; --i) {
        delete m_entries.Get(i)->font;
        delete m_entries.Get(i);
    }
}

// Made when first used and freed at unload by its own destructor alone, as the bitmap cache.
FontStorage& FontStorage::Instance() {
    static FontStorage s_fontCache;
    return s_fontCache;
}

RAST_IFont* FontStorage::Find(const IText* text) {
    KIT_MutexLock lock(&m_mutex);
    for (int i = 0; i < m_entries.GetSize(); ++i) {
        const Entry* e = m_entries.Get(i);
        if (e->size == text->mSize && e->orientation == text->mOrientation &&
            e->style == text->mStyle && strncmp(e->face, text->mFont, sizeof e->face) == 0)
            return e->font;
    }
    return nullptr;
}

RAST_IFont* FontStorage::Add(RAST_IFont* font, const IText* text) {
    auto* entry = new Entry{text->mSize, text->mOrientation, text->mStyle, {}, font};
    memcpy(entry->face, text->mFont, sizeof entry->face);
    entry->face[sizeof entry->face - 1] = '\0';
    KIT_MutexLock lock(&m_mutex);
    if (m_entries.Add(entry)) return font;
    delete entry;
    delete font;
    return nullptr;
}
