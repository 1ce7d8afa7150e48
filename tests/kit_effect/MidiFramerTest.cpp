#include "kit/effect/MidiFramer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// What the framer made of the chunks: "msg" per message, the fault's text per drop, each with
// its bytes.
Lines framed(MidiFramer& framer, const std::vector<std::vector<uint8_t>>& chunks) {
    Lines out;
    const auto line = [&](std::string s, const uint8_t* b, size_t n) {
        for (size_t i = 0; i < n; ++i)
            s += " " + std::to_string(b[i]);
        out.push_back(s);
    };
    for (const auto& chunk : chunks)
        framer.Take(
            chunk.data(), chunk.size(), [&](const uint8_t* b, size_t n) { line("msg", b, n); },
            [&](MidiFramer::Fault f, const uint8_t* b, size_t n) {
                line(MidiFramer::FaultText(f), b, n);
            });
    return out;
}

} // namespace

// What the end-to-end sessions cannot send: a SysEx in pieces with real-time bytes inside it
// and inside a short message, bytes outside any message, a SysEx at the framer's limit and one
// byte over it, and a SysEx that a port change leaves open.
TEST(MidiFramer, PiecesRealTimeBytesStrayBytesAndTheLimit) {
    MidiFramer framer(4);
    EXPECT_EQ(framed(framer, {{0xF0, 0x01, 0xF8}, {0x02, 0xF7}, {0x90, 0xFE, 0x3C, 0x64, 0x3E}}),
              (Lines{"msg 248", "msg 240 1 2 247", "msg 254", "msg 144 60 100",
                     "outside any message 62"}));
    EXPECT_EQ(framed(framer, {{0xF0, 0x01, 0x02}, {0x03, 0xF7, 0xF7, 0xF0, 0x04}}),
              (Lines{"SysEx too long 240 1 2 3", "outside any message 247"}));
    framer.Reset();
    EXPECT_EQ(framed(framer, {{0x05, 0xF7}}),
              (Lines{"outside any message 5", "outside any message 247"}));
}

// A clock byte before a control change costs it nothing. The undefined status bytes are
// dropped where they stand: the real-time ones inside a short message or a SysEx leave it
// whole, the others end what was open.
TEST(MidiFramer, RealTimeBytesBesideAMessageAndUndefinedStatusBytes) {
    MidiFramer framer(8);
    EXPECT_EQ(framed(framer, {{0xF8, 0xB7, 0x07, 0x2C}, {0x90, 0xF9, 0x3C, 0xFD, 0x64}}),
              (Lines{"msg 248", "msg 183 7 44", "undefined status byte 249",
                     "undefined status byte 253", "msg 144 60 100"}));
    EXPECT_EQ(framed(framer, {{0xF0, 0x01, 0xFD, 0x02, 0xF7},
                              {0xF0, 0x01, 0xF4, 0x02},
                              {0x92, 0x3C, 0xF5, 0x64}}),
              (Lines{"undefined status byte 253", "msg 240 1 2 247", "SysEx without its F7 240 1",
                     "undefined status byte 244", "outside any message 2", "cut short 146 60",
                     "undefined status byte 245", "outside any message 100"}));
}
