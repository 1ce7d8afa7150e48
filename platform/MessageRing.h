#pragma once

#include <semaphore.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

namespace platform {

// Byte messages from one producing thread to one consuming thread through memory taken once:
// Push never waits, allocates or takes a lock, so a thread that must not (the host's audio
// thread, a JACK process callback) can hand work to one that may. What does not fit is dropped
// and counted; the consumer reports the count.
class MessageRing {
public:
    // Room for `bytes` of messages with their 4-byte lengths, rounded up to a power of two. The
    // memory is written here, so that no push is the first to touch a page of it (a page fault
    // on the producer's thread).
    explicit MessageRing(size_t bytes);
    MessageRing(const MessageRing&) = delete;
    MessageRing& operator=(const MessageRing&) = delete;

    // The producer's. False, and counted, for an empty message or one that does not fit now.
    bool Push(const void* data, size_t size);
    template <class T> bool PushRecord(const T& record) {
        static_assert(std::is_trivially_copyable<T>::value, "records are copied as bytes");
        return Push(&record, sizeof record);
    }

    // The consumer's. The next message into `out` (which grows only for a message longer than
    // any before); false when none waits.
    bool Pop(std::vector<unsigned char>& out);
    // The next message, of a ring that carries records of T alone; false when none waits.
    template <class T> bool PopRecord(T& record) {
        static_assert(std::is_trivially_copyable<T>::value, "records are copied as bytes");
        return take(&record, sizeof record);
    }
    // Messages dropped since the last call.
    size_t TakeDropped() { return m_dropped.exchange(0); }
    // Either side's: whether a message, or a count of dropped ones, waits for the consumer.
    bool Pending() const {
        return m_written.load(std::memory_order_acquire) !=
                   m_read.load(std::memory_order_acquire) ||
               m_dropped.load(std::memory_order_relaxed) != 0;
    }

private:
    // The next message's first `size` bytes into out; false when none waits.
    bool take(void* out, size_t size);
    void put(uint64_t at, const void* data, size_t size);
    void get(uint64_t at, void* data, size_t size) const;
    uint32_t lengthAt(uint64_t at) const;

    const size_t m_size;
    const std::unique_ptr<unsigned char[]> m_bytes;
    // Bytes written and read since the start; their difference is what waits.
    std::atomic<uint64_t> m_written{0};
    std::atomic<uint64_t> m_read{0};
    std::atomic<size_t> m_dropped{0};
};

// Wakes a thread that waits for work. Signal never waits or allocates: a real-time thread may
// call it. Each Signal lets one Wait return; a woken thread takes everything that is there.
class Wakeup {
public:
    Wakeup();
    ~Wakeup();
    Wakeup(const Wakeup&) = delete;
    Wakeup& operator=(const Wakeup&) = delete;

    void Signal();
    void Wait();

private:
    sem_t m_semaphore;
};

} // namespace platform
