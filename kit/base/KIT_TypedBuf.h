#pragma once

#include "kit/base/KIT_HeapBuf.h"

#include <cstring>
#include <type_traits>

// Growable array of trivially copyable values over a KIT_HeapBuf.
template <class T> class KIT_TypedBuf {
    static_assert(std::is_trivially_copyable<T>::value, "KIT_TypedBuf holds plain values");

public:
    explicit KIT_TypedBuf(int granularity = 4096) : m_buf(granularity) {}

    T* Get() const { return static_cast<T*>(m_buf.Get()); }
    int GetSize() const { return m_buf.GetSize() / int(sizeof(T)); }

    // Null (and unchanged size) when memory could not be had or n is out of range.
    T* Resize(int n, bool resizeDown = true) {
        if (n < 0 || n > 0x7fffffff / int(sizeof(T))) return nullptr;
        m_buf.Resize(n * int(sizeof(T)), resizeDown);
        return GetSize() == n ? Get() : nullptr;
    }

    T* Add(const T& v) {
        const int n = GetSize();
        if (!Resize(n + 1, false)) return nullptr;
        Get()[n] = v;
        return Get() + n;
    }

    T* Add(const T* values, int count) {
        const int n = GetSize();
        if (count < 0 || !Resize(n + count, false)) return nullptr;
        if (count > 0) memcpy(Get() + n, values, size_t(count) * sizeof(T));
        return Get() + n;
    }

    // Inserts v before position idx (held within 0..size).
    T* Insert(int idx, const T& v) {
        const int n = GetSize();
        if (!Resize(n + 1, false)) return nullptr;
        if (idx < 0) idx = 0;
        if (idx > n) idx = n;
        memmove(Get() + idx + 1, Get() + idx, size_t(n - idx) * sizeof(T));
        Get()[idx] = v;
        return Get() + idx;
    }

    void Delete(int idx, bool resizeDown = false) {
        const int n = GetSize();
        if (idx < 0 || idx >= n) return;
        memmove(Get() + idx, Get() + idx + 1, size_t(n - idx - 1) * sizeof(T));
        Resize(n - 1, resizeDown);
    }

private:
    KIT_HeapBuf m_buf;
};
