#include "kit/effect/MidiFramer.h"
#include "kit/effect/IMidiMsg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
using Fault = MidiFramer::Fault;

std::string hex(const uint8_t* bytes, size_t size) {
    std::string s;
    char b[4];
    for (size_t i = 0; i < size; ++i) {
        snprintf(b, sizeof b, " %02X", bytes[i]);
        s += b;
    }
    return s;
}

// What the framer made of the chunks: "msg …" per message, the fault's text and bytes per drop.
std::vector<std::string> framed(MidiFramer& framer, const std::vector<Bytes>& chunks) {
    std::vector<std::string> out;
    for (const Bytes& chunk : chunks)
        framer.Take(
            chunk.data(), chunk.size(),
            [&](const uint8_t* b, size_t n) { out.push_back("msg" + hex(b, n)); },
            [&](Fault f, const uint8_t* b, size_t n) {
                out.push_back(MidiFramer::FaultText(f) + hex(b, n));
            });
    return out;
}
std::vector<std::string> framed(const std::vector<Bytes>& chunks) {
    MidiFramer framer(100);
    return framed(framer, chunks);
}

using Lines = std::vector<std::string>;

} // namespace

// The library joins what follows a SysEx without its F7 onto it until an F7 comes: the status
// bytes inside end the cut SysEx and give back every message, an F0 a new SysEx. Real-time
// bytes stand alone wherever they are, and a SysEx may come in pieces.
TEST(MidiFramer, StatusBytesEndASysExAndRealTimeBytesStandAlone) {
    EXPECT_EQ(
        framed({{0xF0, 0x3E, 0x0F, 0x00, 0x90, 0x3C, 0x64, 0xB0, 0x07, 0x40, 0xF0, 0x01, 0xF7}}),
        (Lines{"SysEx without its F7 F0 3E 0F 00", "msg 90 3C 64", "msg B0 07 40",
               "msg F0 01 F7"}));
    EXPECT_EQ(framed({{0xF0, 0x01, 0xF0, 0x02, 0xF7}}),
              (Lines{"SysEx without its F7 F0 01", "msg F0 02 F7"}));
    EXPECT_EQ(framed({{0xF0, 0x01, 0xF8}, {0x02, 0xFE}, {0x03, 0xF7}}),
              (Lines{"msg F8", "msg FE", "msg F0 01 02 03 F7"}));
    EXPECT_EQ(framed({{0x90, 0xF8, 0x3C, 0x64}, {0xFA}, {0xF6}, {0xF0, 0xF7}}),
              (Lines{"msg F8", "msg 90 3C 64", "msg FA", "msg F6", "msg F0 F7"}));
}

// Each status with every count of data bytes short of what it needs, alone in its chunk (as
// the library hands a short message over) or cut by the next status byte.
TEST(MidiFramer, AShortMessageShortOfDataBytesIsDroppedWhole) {
    std::vector<uint8_t> statuses = {0xF1, 0xF2, 0xF3};
    for (int kind = 0x80; kind <= 0xE0; kind += 0x10)
        statuses.push_back(uint8_t(kind | 5));
    for (uint8_t status : statuses) {
        const size_t need = size_t(IMidiMsg::DataBytes(status));
        ASSERT_GT(need, 0u);
        const Bytes whole = {status, 0x7F, 0x00};
        for (size_t have = 0; have < need; ++have) {
            const Bytes cut(whole.begin(), whole.begin() + long(have) + 1);
            const std::string dropped = "cut short" + hex(cut.data(), cut.size());
            EXPECT_EQ(framed({cut}), Lines{dropped});
            Bytes cutByNote = cut;
            cutByNote.insert(cutByNote.end(), {0x90, 0x3C, 0x64});
            EXPECT_EQ(framed({cutByNote}), (Lines{dropped, "msg 90 3C 64"}));
            EXPECT_FALSE(IMidiMsg::IsComplete(cut.data(), cut.size()));
        }
        EXPECT_EQ(framed({Bytes(whole.begin(), whole.begin() + long(need) + 1)}),
                  Lines{"msg" + hex(whole.data(), need + 1)});
    }
    // A status byte where a data byte belongs, as a host's three bytes may hold it.
    const uint8_t noteCut[3] = {0x92, 0x3C, 0x90}, programChange[3] = {0xC0, 0x05, 0xFF};
    EXPECT_FALSE(IMidiMsg::IsComplete(noteCut, 3));
    EXPECT_TRUE(IMidiMsg::IsComplete(programChange, 3));
}

TEST(MidiFramer, BytesOutsideAnyMessageAreDropped) {
    EXPECT_EQ(framed({{0x3C, 0x64}, {0x90, 0x3C, 0x64, 0x3E, 0x64}, {0xF7}}),
              (Lines{"outside any message 3C 64", "msg 90 3C 64", "outside any message 3E 64",
                     "outside any message F7"}));
    // A port change forgets the open SysEx: what follows cannot complete it.
    MidiFramer framer(100);
    framed(framer, {{0xF0, 0x01}});
    framer.Reset();
    EXPECT_EQ(framed(framer, {{0x02, 0xF7}}),
              (Lines{"outside any message 02", "outside any message F7"}));
}

TEST(MidiFramer, ASysExLongerThanTheFramerKeepsIsDropped) {
    MidiFramer framer(4);
    EXPECT_EQ(framed(framer, {{0xF0, 0x01, 0x02, 0xF7}}), Lines{"msg F0 01 02 F7"});
    EXPECT_EQ(framed(framer, {{0xF0, 0x01, 0x02}, {0x03, 0xF7, 0xF0, 0x04, 0xF7}}),
              (Lines{"SysEx too long F0 01 02 03", "msg F0 04 F7"}));
}
