#include "kit/effect/IMidiMsg.h"
#include "kit/effect/ISysEx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

void expectBytes(const IMidiMsg& m, int offset, int status, int data1, int data2) {
    EXPECT_EQ(m.offset, offset);
    EXPECT_EQ(m.status, status);
    EXPECT_EQ(m.data1, data1);
    EXPECT_EQ(m.data2, data2);
}

} // namespace

TEST(IMidiMsg, BuildersWriteExactBytes) {
    IMidiMsg m(9, 1, 2, 3);
    EXPECT_TRUE(m.MakeNoteOnMsg(60, 100, 17, 3));
    expectBytes(m, 17, 0x93, 60, 100);
    EXPECT_TRUE(m.MakeNoteOffMsg(61, 5, 15, 64));
    expectBytes(m, 5, 0x8F, 61, 64);
    EXPECT_TRUE(m.MakeControlChangeMsg(IMidiMsg::EControlChangeMsg(7), 1.0, 2));
    expectBytes(m, 0, 0xB2, 7, 127);
    EXPECT_TRUE(m.MakeControlChangeMsg(IMidiMsg::EControlChangeMsg(7), 0.999, 2));
    EXPECT_EQ(m.data2, 126);
    // An integer n passed as n / 127 comes back as n.
    for (int n = 0; n < 128; ++n) {
        m.MakeProgramChangeMsg(n / 127.0, 0);
        ASSERT_EQ(m.data1, n);
        m.MakeControlChangeMsg(IMidiMsg::kAllNotesOff, n / 127.0, 0);
        ASSERT_EQ(m.data2, n);
    }
    EXPECT_TRUE(m.MakeProgramChangeMsg(5 / 127.0, 1));
    expectBytes(m, 0, 0xC1, 5, 0xFF);
}

TEST(IMidiMsg, PitchWheelIsCentredAndClamped) {
    IMidiMsg m;
    m.MakePitchWheelMsg(0.0, 0);
    expectBytes(m, 0, 0xE0, 0, 64);
    m.MakePitchWheelMsg(1.0, 0);
    expectBytes(m, 0, 0xE0, 0x7F, 0x7F);
    m.MakePitchWheelMsg(-1.0, 4);
    expectBytes(m, 0, 0xE4, 0, 0);
    m.MakePitchWheelMsg(-2.0, 0);
    expectBytes(m, 0, 0xE0, 0, 0);
    m.MakePitchWheelMsg(1e30, 0);
    expectBytes(m, 0, 0xE0, 0x7F, 0x7F);
    EXPECT_EQ(m.PitchWheel(), 16383 / 8192.0 - 1.0);
    m = IMidiMsg(0, 0xE0, 0, 64);
    EXPECT_EQ(m.PitchWheel(), 0.0);
}

TEST(IMidiMsg, NoStatusByteCarriesAStrayChannelOrDataByte) {
    IMidiMsg m(3, 0x90, 1, 1);
    EXPECT_FALSE(m.MakeNoteOnMsg(60, 100, 0, 16));
    expectBytes(m, 0, 0, 0, 0);
    EXPECT_EQ(m.StatusMsg(), IMidiMsg::kNone);
    EXPECT_FALSE(m.MakeControlChangeMsg(IMidiMsg::kAllNotesOff, 0.0, -1));
    EXPECT_FALSE(m.MakeProgramChangeMsg(0.5, -2));
    EXPECT_FALSE(m.MakePitchWheelMsg(0.0, 255));
    EXPECT_FALSE(m.MakeNoteOffMsg(128, 0, 0));
    EXPECT_FALSE(m.MakeControlChangeMsg(IMidiMsg::EControlChangeMsg(128), 0.5, 0));
    // Values beyond 0..1 are held to a data byte.
    m.MakeControlChangeMsg(IMidiMsg::kBankSelectLSB, 2.0, 0);
    EXPECT_EQ(m.data2, 127);
    m.MakeControlChangeMsg(IMidiMsg::kBankSelectLSB, -1.0, 0);
    EXPECT_EQ(m.data2, 0);
    m.MakeProgramChangeMsg(NAN, 0);
    EXPECT_EQ(m.data1, 0);
    m.MakeProgramChangeMsg(1e12, 0);
    EXPECT_EQ(m.data1, 127);
    m.MakeNoteOnMsg(60, 300, 0, 0);
    EXPECT_EQ(m.data2, 127);
}

TEST(IMidiMsg, ReadersFollowTheKind) {
    const IMidiMsg aftertouch(0, 0xA5, 60, 33);
    EXPECT_EQ(aftertouch.StatusMsg(), IMidiMsg::kPolyAftertouch);
    EXPECT_EQ(aftertouch.Channel(), 5);
    EXPECT_EQ(aftertouch.NoteNumber(), 60);
    EXPECT_EQ(aftertouch.Velocity(), -1);
    EXPECT_EQ(aftertouch.Program(), -1);
    EXPECT_EQ(IMidiMsg(0, 0xF8, 0, 0).StatusMsg(), IMidiMsg::kNone);
    EXPECT_EQ(IMidiMsg(0, 0x7F, 0, 0).StatusMsg(), IMidiMsg::kNone);
    const IMidiMsg cc(0, 0xB0, 7, 127);
    EXPECT_EQ(cc.ControlChange(IMidiMsg::EControlChangeMsg(1)), -1.0);
    EXPECT_EQ(cc.ControlChange(IMidiMsg::EControlChangeMsg(7)), 1.0);
    EXPECT_EQ(cc.PitchWheel(), 0.0);
    EXPECT_EQ(IMidiMsg(0, 0xC3, 9, 0xFF).Program(), 9);
    EXPECT_STREQ(IMidiMsg::StatusMsgStr(IMidiMsg::kNoteOn), "noteon ");
    EXPECT_STREQ(IMidiMsg::StatusMsgStr(IMidiMsg::EStatusMsg(15)), "unknown");
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
