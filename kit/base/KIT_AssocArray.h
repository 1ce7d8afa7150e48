#pragma once

#include "kit/base/KIT_TypedBuf.h"

#include <algorithm>
#include <type_traits>

// Key-value pairs in one growable block, kept in key order and searched by halving. The
// routines given at construction decide how keys compare, whether keys are copied on insertion
// (and freed with their pair) and how a value is disposed of when its pair goes or is replaced.
// Keys and values are plain values (pointers, numbers); the map owns what its routines free.
template <class K, class V> class KIT_AssocArray {
public:
    using CompareKeysFn = int (*)(K a, K b);
    using CopyKeyFn = K (*)(K key);
    using FreeKeyFn = void (*)(K key);
    using DisposeValueFn = void (*)(V value);

    explicit KIT_AssocArray(CompareKeysFn compare, CopyKeyFn copyKey = nullptr,
                            FreeKeyFn freeKey = nullptr, DisposeValueFn dispose = nullptr)
        : m_compare(compare), m_copyKey(copyKey), m_freeKey(freeKey), m_dispose(dispose) {}
    ~KIT_AssocArray() { DeleteAll(); }
    KIT_AssocArray(const KIT_AssocArray&) = delete;
    KIT_AssocArray& operator=(const KIT_AssocArray&) = delete;

    int GetSize() const { return m_data.GetSize(); }

    // Index of key, or -1.
    int Find(K key) const {
        bool found;
        const int idx = lowerBound(key, &found);
        return found ? idx : -1;
    }
    bool Exists(K key) const { return Find(key) >= 0; }

    // The stored value of key, or null; valid until the map next changes.
    V* GetPtr(K key) const {
        const int idx = Find(key);
        return idx >= 0 ? &m_data.Get()[idx].value : nullptr;
    }
    V Get(K key, V notFound = V()) const {
        const V* p = GetPtr(key);
        return p ? *p : notFound;
    }

    // The pair at position idx in key order; null past either end.
    V* EnumeratePtr(int idx, K* key = nullptr) const {
        if (idx < 0 || idx >= GetSize()) return nullptr;
        Pair& p = m_data.Get()[idx];
        if (key) *key = p.key;
        return &p.value;
    }

    // Stores value under key. A present key keeps its stored key and has its old value disposed
    // of. The map owns value in every case: when memory runs out it is disposed of and the
    // result is false.
    bool Insert(K key, V value) {
        bool found;
        const int idx = lowerBound(key, &found);
        if (found) {
            V& slot = m_data.Get()[idx].value;
            if (m_dispose) m_dispose(slot);
            slot = value;
            return true;
        }
        return storeAt(idx, key, value);
    }

    // Appends without keeping the order: Resort() must run before the next look-up.
    bool AddUnsorted(K key, V value) { return storeAt(GetSize(), key, value); }

    // Puts pairs added unsorted into key order. Of pairs with equal keys only the one added
    // last remains, as if each had been inserted in turn.
    void Resort() {
        const int n = GetSize();
        if (n < 2) return;
        Pair* p = m_data.Get();
        std::stable_sort(
            p, p + n, [this](const Pair& a, const Pair& b) { return m_compare(a.key, b.key) < 0; });
        int kept = 0;
        for (int i = 0; i < n; ++i) {
            if (i + 1 < n && m_compare(p[i].key, p[i + 1].key) == 0) {
                release(p[i]);
                continue;
            }
            p[kept++] = p[i];
        }
        m_data.Resize(kept, true);
    }

    bool Delete(K key) {
        const int idx = Find(key);
        if (idx < 0) return false;
        DeleteByIndex(idx);
        return true;
    }

    void DeleteByIndex(int idx) {
        if (idx < 0 || idx >= GetSize()) return;
        release(m_data.Get()[idx]);
        m_data.Delete(idx, true);
    }

    void DeleteAll(bool resizeDown = true) {
        const int n = GetSize();
        for (int i = 0; i < n; ++i)
            release(m_data.Get()[i]);
        m_data.Resize(0, resizeDown);
    }

private:
    struct Pair {
        K key;
        V value;
    };

    int lowerBound(K key, bool* found) const {
        int lo = 0, hi = GetSize();
        const Pair* p = m_data.Get();
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (m_compare(p[mid].key, key) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        *found = lo < GetSize() && m_compare(p[lo].key, key) == 0;
        return lo;
    }

    bool storeAt(int idx, K key, V value) {
        Pair pair{m_copyKey ? m_copyKey(key) : key, value};
        if constexpr (std::is_pointer<K>::value) {
            if (key && !pair.key) { // the key's copy could not be made
                if (m_dispose) m_dispose(value);
                return false;
            }
        }
        if (!m_data.Insert(idx, pair)) {
            release(pair);
            return false;
        }
        return true;
    }

    void release(Pair& p) {
        if (m_freeKey) m_freeKey(p.key);
        if (m_dispose) m_dispose(p.value);
    }

    KIT_TypedBuf<Pair> m_data{4096};
    CompareKeysFn m_compare;
    CopyKeyFn m_copyKey;
    FreeKeyFn m_freeKey;
    DisposeValueFn m_dispose;
};
