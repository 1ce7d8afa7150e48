#include "kit/effect/IMidiMsg.h"
#include "kit/effect/ISysEx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The message a builder leaves, as "offset status data1 data2"; "!" in front when it refused.
template <class Build> std::string built(Build build) {
    IMidiMsg m(9, 1, 2, 3);
    const bool ok = build(m);
    char s[32];
    snprintf(s, sizeof s, "%s%d %02X %02X %02X", ok ? "" : "!", m.offset, m.status, m.data1,
             m.data2);
    return s;
}

#define BUILT(call) built([](IMidiMsg& m) { return m.call; })

using CC = IMidiMsg::EControlChangeMsg;

} // namespace

TEST(IMidiMsg, BuildersWriteExactBytesAndNeverAStrayChannelOrDataByte) {
    EXPECT_EQ(BUILT(MakeNoteOnMsg(60, 100, 17, 3)), "17 93 3C 64");
    EXPECT_EQ(BUILT(MakeNoteOffMsg(61, 5, 15, 64)), "5 8F 3D 40");
    EXPECT_EQ(BUILT(MakeControlChangeMsg(CC(7), 0.999, 2)), "0 B2 07 7E");
    EXPECT_EQ(BUILT(MakeProgramChangeMsg(5 / 127.0, 1)), "0 C1 05 FF");
    EXPECT_EQ(BUILT(MakePitchWheelMsg(0.0, 0)), "0 E0 00 40");
    EXPECT_EQ(BUILT(MakePitchWheelMsg(1.0, 0)), "0 E0 7F 7F");
    EXPECT_EQ(BUILT(MakePitchWheelMsg(-1.0, 4)), "0 E4 00 00");
    EXPECT_EQ(BUILT(MakePitchWheelMsg(-2.0, 0)), "0 E0 00 00");
    // Values beyond their range are held to a data byte.
    EXPECT_EQ(BUILT(MakeControlChangeMsg(CC(32), 2.0, 0)), "0 B0 20 7F");
    EXPECT_EQ(BUILT(MakeControlChangeMsg(CC(32), -1.0, 0)), "0 B0 20 00");
    EXPECT_EQ(BUILT(MakeProgramChangeMsg(NAN, 0)), "0 C0 00 FF");
    EXPECT_EQ(BUILT(MakeProgramChangeMsg(1e12, 0)), "0 C0 7F FF");
    EXPECT_EQ(BUILT(MakeNoteOnMsg(60, 300, 0, 0)), "0 90 3C 7F");
    // Channels outside 0..15 and numbers beyond a data byte are refused.
    EXPECT_EQ(BUILT(MakeNoteOnMsg(60, 100, 0, 16)), "!0 00 00 00");
    EXPECT_EQ(BUILT(MakeControlChangeMsg(CC(7), 0.0, -1)), "!0 00 00 00");
    EXPECT_EQ(BUILT(MakeProgramChangeMsg(0.5, -2)), "!0 00 00 00");
    EXPECT_EQ(BUILT(MakePitchWheelMsg(0.0, 255)), "!0 00 00 00");
    EXPECT_EQ(BUILT(MakeNoteOffMsg(128, 0, 0)), "!0 00 00 00");
    EXPECT_EQ(BUILT(MakeControlChangeMsg(CC(128), 0.5, 0)), "!0 00 00 00");

    // An integer n passed as n / 127 comes back as n.
    IMidiMsg m;
    for (int n = 0; n < 128; ++n) {
        m.MakeProgramChangeMsg(n / 127.0, 0);
        ASSERT_EQ(m.data1, n);
        m.MakeControlChangeMsg(IMidiMsg::kAllNotesOff, n / 127.0, 0);
        ASSERT_EQ(m.data2, n);
    }
}

TEST(IMidiMsg, ReadersFollowTheKind) {
    const IMidiMsg aftertouch(0, 0xA5, 60, 33);
    EXPECT_EQ(aftertouch.StatusMsg(), IMidiMsg::kPolyAftertouch);
    EXPECT_EQ(aftertouch.Channel(), 5);
    EXPECT_EQ(aftertouch.NoteNumber(), 60);
    EXPECT_EQ(aftertouch.Velocity(), -1);
    EXPECT_EQ(IMidiMsg(0, 0xF8, 0, 0).StatusMsg(), IMidiMsg::kNone);
    EXPECT_EQ(IMidiMsg(0, 0x7F, 0, 0).StatusMsg(), IMidiMsg::kNone);
    const IMidiMsg cc(0, 0xB0, 7, 127);
    EXPECT_EQ(cc.ControlChange(CC(1)), -1.0);
    EXPECT_EQ(cc.ControlChange(CC(7)), 1.0);
    EXPECT_EQ(IMidiMsg(0, 0xE0, 0x7F, 0x7F).PitchWheel(), 16383 / 8192.0 - 1.0);
    EXPECT_EQ(IMidiMsg(0, 0xC3, 9, 0xFF).Program(), 9);
}

TEST(ISysEx, HexDumpFitsItsBuffer) {
    const uint8_t msg[] = {0xF0, 0x3E, 0x0F, 0x00, 0xF7};
    char out[16];
    memset(out, '#', sizeof(out));
    EXPECT_STREQ(SysExStr(out, 9, msg, 5), "F0 3E 0F");
    EXPECT_EQ(out[9], '#');
    EXPECT_STREQ(SysExStr(out, 16, msg, 5), "F0 3E 0F 00 F7");
    EXPECT_STREQ(SysExStr(out, 2, msg, 5), "");
    EXPECT_STREQ(SysExStr(out, 16, nullptr, 5), "");
}
