#pragma once

#include <cstddef>
#include <cstdint>

// One short channel message stamped with a sample offset inside the current audio block.
// A plain value, copied freely. The builders take a channel 0..15 and refuse any other (the
// message is then cleared and the result is false), so a status byte never carries a stray
// channel; callers map a part's setting to a channel first.
struct IMidiMsg {
    // The kind: the high nibble of a channel status byte.
    enum EStatusMsg {
        kNone = 0,
        kNoteOff = 8,
        kNoteOn = 9,
        kPolyAftertouch = 10,
        kControlChange = 11,
        kProgramChange = 12,
        kChannelAftertouch = 13,
        kPitchWheel = 14
    };
    // A controller number 0..127; the ones the plug-in sends by name.
    enum EControlChangeMsg { kBankSelectMSB = 0, kBankSelectLSB = 32, kAllNotesOff = 123 };

    int32_t offset = 0;
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;

    IMidiMsg() = default;
    IMidiMsg(int32_t offset_, uint8_t status_, uint8_t data1_, uint8_t data2_)
        : offset(offset_), status(status_), data1(data1_), data2(data2_) {}

    // Note and controller numbers outside 0..127 are refused like a bad channel; velocities
    // and values are held to 0..127 (values are normalised: 0..1, −1..1 for the wheel).
    bool MakeNoteOnMsg(int note, int velocity, int offset_, int channel);
    bool MakeNoteOffMsg(int note, int offset_, int channel, int velocity = 0);
    bool MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel);
    // data2 is 0xFF: a program change has one data byte and is sent as two bytes.
    bool MakeProgramChangeMsg(double value, int channel);
    bool MakePitchWheelMsg(double value, int channel);
    void Clear() { *this = IMidiMsg(); }

    // The bytes that go on the wire into out: 2 for a program change or channel pressure,
    // else 3; 0 without a status byte.
    int WireBytes(unsigned char out[3]) const;
    int Channel() const { return status & 0x0F; }
    EStatusMsg StatusMsg() const;
    int NoteNumber() const;
    int Velocity() const;
    int Program() const;
    double PitchWheel() const;
    EControlChangeMsg ControlChangeIdx() const { return EControlChangeMsg(data1); }
    double ControlChange(EControlChangeMsg idx) const;
    void LogMsg() const {}

    static const char* StatusMsgStr(EStatusMsg kind);

    // The data bytes a status byte needs: two for notes, poly pressure, controllers, pitch bend
    // and the song position (F2), one for program change, channel pressure, time code (F1) and
    // song select (F3); none for any other byte.
    static int DataBytes(uint8_t status);
    // Whether bytes 1 .. size - 1 hold every data byte the status at byte 0 needs, each below
    // 0x80. A message cut short is not complete, nor one with a status byte where a data byte
    // belongs; a byte that needs no data bytes is complete alone.
    static bool IsComplete(const uint8_t* bytes, size_t size);
    bool IsComplete() const;
};
