#pragma once

#include "kit/base/KIT_HeapBuf.h"

#include <cstring>

// Growable list of pointers in insertion order. Ownership is the caller's: the Delete
// operations delete the element only when asked to.
template <class T> class KIT_PtrList {
public:
    explicit KIT_PtrList(int granularity = 128) : m_buf(granularity) {}
    ~KIT_PtrList() = default;
    KIT_PtrList(const KIT_PtrList&) = delete;
    KIT_PtrList& operator=(const KIT_PtrList&) = delete;

    T** GetList() const { return static_cast<T**>(m_buf.Get()); }
    int GetSize() const { return m_buf.GetSize() / int(sizeof(T*)); }
    T* Get(int idx) const { return idx >= 0 && idx < GetSize() ? GetList()[idx] : nullptr; }

    int Find(const T* p) const {
        const int n = GetSize();
        for (int i = 0; i < n; ++i)
            if (GetList()[i] == p) return i;
        return -1;
    }

    // Returns the pointer added, or null when the list could not grow.
    T* Add(T* p) { return Insert(GetSize(), p); }

    T* Insert(int idx, T* p) {
        const int n = GetSize();
        if (idx < 0) idx = 0;
        if (idx > n) idx = n;
        m_buf.Resize((n + 1) * int(sizeof(T*)), false);
        if (GetSize() != n + 1) return nullptr;
        T** list = GetList();
        memmove(list + idx + 1, list + idx, size_t(n - idx) * sizeof(T*));
        list[idx] = p;
        return p;
    }

    void Set(int idx, T* p) {
        if (idx >= 0 && idx < GetSize()) GetList()[idx] = p;
    }

    void Delete(int idx, bool wantDelete = false) {
        const int n = GetSize();
        if (idx < 0 || idx >= n) return;
        T** list = GetList();
        T* p = list[idx];
        memmove(list + idx, list + idx + 1, size_t(n - idx - 1) * sizeof(T*));
        m_buf.Resize((n - 1) * int(sizeof(T*)), false);
        if (wantDelete) delete p;
    }

    bool DeletePtr(const T* p, bool wantDelete = false) {
        const int idx = Find(p);
        if (idx < 0) return false;
        Delete(idx, wantDelete);
        return true;
    }

    // Deletes from the last element to the first, as the owners of GUI lists require.
    void Empty(bool wantDelete = false) {
        if (wantDelete) {
            for (int i = GetSize() - 1; i >= 0; --i) {
                T* p = GetList()[i];
                m_buf.Resize(i * int(sizeof(T*)), false);
                delete p;
            }
        }
        m_buf.Resize(0, false);
    }

private:
    KIT_HeapBuf m_buf;
};
