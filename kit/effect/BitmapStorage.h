#pragma once

#include "kit/base/KIT_Mutex.h"
#include "kit/base/KIT_PtrList.h"

class RAST_IBitmap;

// The process-wide cache of the editor's bitmaps, shared by every plug-in instance. Entries
// are keyed by image id (-1 for bitmaps made by scaling, cropping or retaining, which are
// found by their pointer) and counted: each taker holds one reference and the bitmap is
// deleted with the last. Every operation takes the cache's lock, which the owning thread may
// enter again.
class BitmapStorage {
public:
    BitmapStorage() = default;
    // Deletes every bitmap still cached.
    ~BitmapStorage();
    BitmapStorage(const BitmapStorage&) = delete;
    BitmapStorage& operator=(const BitmapStorage&) = delete;

    // The one instance that the graphics objects share.
    static BitmapStorage& Instance();

    // One more reference on the bitmap cached under id, or null (nothing taken) when id is
    // not cached.
    RAST_IBitmap* Retain(int id);
    // Caches the bitmap under id with one reference and returns it. An id other than -1 that
    // another thread cached meanwhile keeps the first bitmap: it gains the reference and the
    // given one is deleted. A bitmap that is cached already gains a reference.
    RAST_IBitmap* Add(RAST_IBitmap* bitmap, int id);
    // Gives one reference back; a bitmap that is not cached is left alone.
    void Remove(const RAST_IBitmap* bitmap);
    void RemoveById(int id);
    // The cached bitmap of id without taking a reference, or null.
    RAST_IBitmap* Find(int id);
    // References held on id (0 when it is not cached), and the number of entries.
    int References(int id);
    int Count();

private:
    struct Entry {
        int id;
        RAST_IBitmap* bitmap;
        int references;
    };
    Entry* findId(int id) const;
    void release(int index);

    KIT_PtrList<Entry> m_entries;
    KIT_Mutex m_mutex;
};
