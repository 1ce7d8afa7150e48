// The simulator's input behind a MIDI cable: 320 us a byte, a 4096-byte buffer before it.

#include "tools/zoz-qsim/CableInput.h"

#include <gtest/gtest.h>

namespace {

using Bytes = qsim::CableInput::Bytes;
constexpr int64_t kByte = 320000;
constexpr int64_t kStart = 1000000000;

// Ten sound dumps handed over at once cross one after the other; a message that fills the
// buffer to its last byte still fits, one byte more is lost, one byte's crossing later it fits
// again; on an idle cable even a message larger than the buffer goes.
TEST(CableInput, CrossesAtTheCablesRateAndLosesWhatOverrunsItsBuffer) {
    qsim::CableInput cable([](const Bytes&) {});
    for (int k = 1; k <= 10; ++k)
        ASSERT_EQ(cable.admit(393, kStart), kStart + 393 * k * kByte) << k;
    EXPECT_EQ(cable.admit(166, kStart), kStart + 4096 * kByte);
    EXPECT_EQ(cable.admit(1, kStart), -1);
    EXPECT_EQ(cable.admit(1, kStart + kByte), kStart + 4097 * kByte);
    const int64_t idle = kStart + 5000 * kByte;
    EXPECT_EQ(cable.admit(10000, idle), idle + 10000 * kByte);
}

} // namespace
