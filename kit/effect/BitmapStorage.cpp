#include "kit/effect/BitmapStorage.h"

#include "kit/rast/RAST_IBitmap.h"

BitmapStorage::~BitmapStorage() {
    for (int i = m_entries.GetSize() - 1; i >= 0; --i) {
        delete m_entries.Get(i)->bitmap;
        delete m_entries.Get(i);
    }
}

// Made when first used, so that its entries are freed at unload before anything it was made
// after; its destruction uses nothing but its own members.
BitmapStorage& BitmapStorage::Instance() {
    static BitmapStorage s_bitmapCache;
    return s_bitmapCache;
}

BitmapStorage::Entry* BitmapStorage::findId(int id) const {
    for (int i = 0; i < m_entries.GetSize(); ++i)
        if (m_entries.Get(i)->id == id) return m_entries.Get(i);
    return nullptr;
}

RAST_IBitmap* BitmapStorage::Retain(int id) {
    KIT_MutexLock lock(&m_mutex);
    Entry* entry = id >= 0 ? findId(id) : nullptr;
    if (!entry) return nullptr;
    ++entry->references;
    return entry->bitmap;
}

RAST_IBitmap* BitmapStorage::Add(RAST_IBitmap* bitmap, int id) {
    if (!bitmap) return nullptr;
    KIT_MutexLock lock(&m_mutex);
    for (int i = 0; i < m_entries.GetSize(); ++i) {
        Entry* entry = m_entries.Get(i);
        if (entry->bitmap == bitmap || (id >= 0 && entry->id == id)) {
            ++entry->references;
            if (entry->bitmap != bitmap) delete bitmap;
            return entry->bitmap;
        }
    }
    auto* entry = new Entry{id, bitmap, 1};
    if (m_entries.Add(entry)) return bitmap;
    delete entry;
    delete bitmap;
    return nullptr;
}

void BitmapStorage::release(int index) {
    Entry* entry = m_entries.Get(index);
    if (--entry->references > 0) return;
    m_entries.Delete(index);
    delete entry->bitmap;
    delete entry;
}

void BitmapStorage::Remove(const RAST_IBitmap* bitmap) {
    KIT_MutexLock lock(&m_mutex);
    for (int i = 0; i < m_entries.GetSize(); ++i)
        if (bitmap && m_entries.Get(i)->bitmap == bitmap) return release(i);
}

void BitmapStorage::RemoveById(int id) {
    KIT_MutexLock lock(&m_mutex);
    for (int i = 0; i < m_entries.GetSize(); ++i)
        if (id >= 0 && m_entries.Get(i)->id == id) return release(i);
}

RAST_IBitmap* BitmapStorage::Find(int id) {
    KIT_MutexLock lock(&m_mutex);
    const Entry* entry = id >= 0 ? findId(id) : nullptr;
    return entry ? entry->bitmap : nullptr;
}

int BitmapStorage::References(int id) {
    KIT_MutexLock lock(&m_mutex);
    const Entry* entry = findId(id);
    return entry ? entry->references : 0;
}

int BitmapStorage::Count() {
    KIT_MutexLock lock(&m_mutex);
    return m_entries.GetSize();
}
