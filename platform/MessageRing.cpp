#include "platform/MessageRing.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace platform {

namespace {

constexpr size_t kLengthBytes = sizeof(uint32_t);

size_t powerOfTwoAtLeast(size_t n) {
    size_t size = 64;
    while (size < n)
        size *= 2;
    return size;
}

} // namespace

MessageRing::MessageRing(size_t bytes)
    : m_size(powerOfTwoAtLeast(bytes)), m_bytes(new unsigned char[m_size]) {
    memset(m_bytes.get(), 0, m_size);
}

void MessageRing::put(uint64_t at, const void* data, size_t size) {
    const size_t start = size_t(at & (m_size - 1));
    const size_t first = std::min(size, m_size - start);
    memcpy(m_bytes.get() + start, data, first);
    memcpy(m_bytes.get(), static_cast<const unsigned char*>(data) + first, size - first);
}

void MessageRing::get(uint64_t at, void* data, size_t size) const {
    const size_t start = size_t(at & (m_size - 1));
    const size_t first = std::min(size, m_size - start);
    memcpy(data, m_bytes.get() + start, first);
    memcpy(static_cast<unsigned char*>(data) + first, m_bytes.get(), size - first);
}

uint32_t MessageRing::lengthAt(uint64_t at) const {
    uint32_t length;
    get(at, &length, kLengthBytes);
    return length;
}

bool MessageRing::Push(const void* data, size_t size) {
    const uint64_t written = m_written.load(std::memory_order_relaxed);
    const uint64_t free = m_size - (written - m_read.load(std::memory_order_acquire));
    if (size == 0 || size > std::numeric_limits<uint32_t>::max() || size + kLengthBytes > free) {
        m_dropped.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    const uint32_t length = uint32_t(size);
    put(written, &length, kLengthBytes);
    put(written + kLengthBytes, data, size);
    m_written.store(written + kLengthBytes + size, std::memory_order_release);
    return true;
}

bool MessageRing::take(void* out, size_t size) {
    const uint64_t read = m_read.load(std::memory_order_relaxed);
    if (m_written.load(std::memory_order_acquire) == read) return false;
    get(read + kLengthBytes, out, std::min<size_t>(lengthAt(read), size));
    m_read.store(read + kLengthBytes + lengthAt(read), std::memory_order_release);
    return true;
}

bool MessageRing::Pop(std::vector<unsigned char>& out) {
    const uint64_t read = m_read.load(std::memory_order_relaxed);
    if (m_written.load(std::memory_order_acquire) == read) return false;
    out.resize(lengthAt(read));
    return take(out.data(), out.size());
}

Wakeup::Wakeup() {
    sem_init(&m_semaphore, 0, 0);
}

Wakeup::~Wakeup() {
    sem_destroy(&m_semaphore);
}

void Wakeup::Signal() {
    sem_post(&m_semaphore);
}

void Wakeup::Wait() {
    while (sem_wait(&m_semaphore) != 0 && errno == EINTR) {
    }
}

} // namespace platform
