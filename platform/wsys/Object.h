#pragma once

#include <atomic>
#include <utility>

namespace platform::wsys {

// Base of every reference-counted object of the window system. An object starts with one
// reference, owned by whoever made it; the release that drops the last one runs Dealloc (with
// the object still whole, so overrides reach the most derived class) and then deletes it.
// Retains and releases made during Dealloc only count. Counting is atomic; everything else of
// the window system runs on the UI thread unless its header says otherwise.
class Object {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    void Retain() { m_refs.fetch_add(1, std::memory_order_relaxed); }
    void Release();
    int RetainCount() const { return m_refs.load(std::memory_order_relaxed); }

protected:
    virtual ~Object() = default;
    // The teardown of the last release; overrides end by calling their base's.
    virtual void Dealloc() {}

private:
    std::atomic<int> m_refs{1};
    std::atomic<bool> m_deallocating{false};
};

// An owning reference: retains what it is given, releases what it drops. Adopt takes over
// a reference the caller already owns (a freshly made object's first one).
template <class T> class Ref {
public:
    Ref() = default;
    Ref(std::nullptr_t) {}
    Ref(T* p) : m_p(p) {
        if (m_p) m_p->Retain();
    }
    Ref(const Ref& o) : Ref(o.m_p) {}
    template <class U> Ref(const Ref<U>& o) : Ref(o.get()) {}
    Ref(Ref&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ~Ref() {
        if (m_p) m_p->Release();
    }
    Ref& operator=(Ref o) noexcept {
        std::swap(m_p, o.m_p);
        return *this;
    }
    static Ref Adopt(T* p) {
        Ref r;
        r.m_p = p;
        return r;
    }

    // Hands the reference over to the caller, who releases it.
    T* Detach() { return std::exchange(m_p, nullptr); }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    T& operator*() const { return *m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    bool operator==(const T* p) const { return m_p == p; }
    bool operator!=(const T* p) const { return m_p != p; }

private:
    T* m_p = nullptr;
};

// Makes an object and hands its first reference to the Ref.
template <class T, class... Args> Ref<T> Make(Args&&... args) {
    return Ref<T>::Adopt(new T(std::forward<Args>(args)...));
}

} // namespace platform::wsys
