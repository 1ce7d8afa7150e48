// Hand-over between threads through memory taken once, and sleeps that a stop ends.

#include "platform/MessageRing.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Bytes = std::vector<unsigned char>;

// A ring is full at its exact size: messages and their 4-byte lengths. What finds no room is
// counted, and the room comes back as the consumer takes; messages cross the wrap whole, bytes
// >= 0x80 and all.
TEST(MessageRing, HoldsExactlyItsSizeCountsWhatFindsNoRoomAndWrapsWhole) {
    platform::MessageRing ring(64);
    const Bytes big(60, 0xF7); // 4 + 60 = the whole ring
    EXPECT_TRUE(ring.Push(big.data(), big.size()));
    EXPECT_FALSE(ring.Push(big.data(), 1));
    Bytes out;
    ASSERT_TRUE(ring.Pop(out));
    EXPECT_EQ(out, big);
    EXPECT_FALSE(ring.Pop(out));
    EXPECT_FALSE(ring.Push(big.data(), 61)); // more than the ring
    EXPECT_FALSE(ring.Push(big.data(), 0));
    EXPECT_EQ(ring.TakeDropped(), 3u);
    EXPECT_EQ(ring.TakeDropped(), 0u);

    // Now at 64 of 128 bytes written: each 20-byte message starts elsewhere in the ring.
    for (unsigned char first = 0x80; first < 0x90; ++first) {
        Bytes m(16);
        for (size_t i = 0; i < m.size(); ++i)
            m[i] = static_cast<unsigned char>(first + i * 9);
        ASSERT_TRUE(ring.Push(m.data(), m.size()));
        ASSERT_TRUE(ring.Pop(out));
        EXPECT_EQ(out, m);
    }
}

} // namespace
