#pragma once

#include <atomic>

// A field that several threads write and read without a lock, where a late value is harmless
// because the next write or drawing pass brings the right one (shown values, dirty and hidden
// flags). Reads and writes are relaxed atomics behind the syntax of a plain field.
template <class T> class KIT_Relaxed {
public:
    KIT_Relaxed(T v = T()) : m_v(v) {}
    KIT_Relaxed(const KIT_Relaxed&) = delete;

    operator T() const { return m_v.load(std::memory_order_relaxed); }
    T operator=(T v) {
        m_v.store(v, std::memory_order_relaxed);
        return v;
    }
    T operator=(const KIT_Relaxed& other) { return *this = T(other); }
    // A read and a write, not one step: only the editor's own input steps a value this way.
    T operator+=(T d) { return *this = *this + d; }

private:
    std::atomic<T> m_v;
};
