#include "kit/effect/IMidiMsg.h"

#include "kit/effect/IParam.h"

namespace {

bool isChannel(int channel) {
    return channel >= 0 && channel <= 15;
}
bool isDataByte(int v) {
    return v >= 0 && v <= 127;
}
uint8_t clampData(int v) {
    return uint8_t(v < 0 ? 0 : v > 127 ? 127 : v);
}
uint8_t scaled127(double value) {
    return clampData(TruncToInt(value * 127.0));
}

} // namespace

bool IMidiMsg::MakeNoteOnMsg(int note, int velocity, int offset_, int channel) {
    if (!isChannel(channel) || !isDataByte(note)) {
        Clear();
        return false;
    }
    *this = IMidiMsg(offset_, uint8_t(0x90 | channel), uint8_t(note), clampData(velocity));
    return true;
}

bool IMidiMsg::MakeNoteOffMsg(int note, int offset_, int channel, int velocity) {
    if (!isChannel(channel) || !isDataByte(note)) {
        Clear();
        return false;
    }
    *this = IMidiMsg(offset_, uint8_t(0x80 | channel), uint8_t(note), clampData(velocity));
    return true;
}

bool IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel) {
    if (!isChannel(channel) || !isDataByte(idx)) {
        Clear();
        return false;
    }
    *this = IMidiMsg(0, uint8_t(0xB0 | channel), uint8_t(idx), scaled127(value));
    return true;
}

bool IMidiMsg::MakeProgramChangeMsg(double value, int channel) {
    if (!isChannel(channel)) {
        Clear();
        return false;
    }
    *this = IMidiMsg(0, uint8_t(0xC0 | channel), scaled127(value), 0xFF);
    return true;
}

bool IMidiMsg::MakePitchWheelMsg(double value, int channel) {
    if (!isChannel(channel)) {
        Clear();
        return false;
    }
    const int i = TruncToInt(value * 8192.0);
    const int v = i < -8192 ? 0 : i > 8191 ? 16383 : i + 8192;
    *this = IMidiMsg(0, uint8_t(0xE0 | channel), uint8_t(v & 0x7F), uint8_t(v >> 7));
    return true;
}

int IMidiMsg::WireBytes(unsigned char out[3]) const {
    if (status < 0x80) return 0;
    out[0] = status;
    out[1] = data1;
    out[2] = data2;
    return 1 + DataBytes(status);
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const {
    return status >= 0x80 && status <= 0xEF ? EStatusMsg(status >> 4) : kNone;
}

int IMidiMsg::NoteNumber() const {
    const EStatusMsg k = StatusMsg();
    return k == kNoteOff || k == kNoteOn || k == kPolyAftertouch ? data1 : -1;
}

int IMidiMsg::Velocity() const {
    const EStatusMsg k = StatusMsg();
    return k == kNoteOff || k == kNoteOn ? data2 : -1;
}

int IMidiMsg::Program() const {
    return StatusMsg() == kProgramChange ? data1 : -1;
}

double IMidiMsg::PitchWheel() const {
    if (StatusMsg() != kPitchWheel) return 0.0;
    return (data2 * 128 + data1 - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const {
    return StatusMsg() == kControlChange && data1 == idx ? data2 / 127.0 : -1.0;
}

const char* IMidiMsg::StatusMsgStr(EStatusMsg kind) {
    static const char* const names[] = {"noteoff",       "noteon ",       "aftertouch",
                                        "controlchange", "programchange", "channelaftertouch",
                                        "pitchwheel"};
    if (kind == kNone) return "none";
    if (kind < kNoteOff || kind > kPitchWheel) return "unknown";
    return names[kind - kNoteOff];
}

int IMidiMsg::DataBytes(uint8_t status) {
    switch (status >> 4) {
    case kNoteOff:
    case kNoteOn:
    case kPolyAftertouch:
    case kControlChange:
    case kPitchWheel:
        return 2;
    case kProgramChange:
    case kChannelAftertouch:
        return 1;
    default:
        return status == 0xF2 ? 2 : status == 0xF1 || status == 0xF3 ? 1 : 0;
    }
}

bool IMidiMsg::IsComplete(const uint8_t* bytes, size_t size) {
    if (!bytes || size == 0) return false;
    const size_t need = size_t(DataBytes(bytes[0]));
    if (size < need + 1) return false;
    for (size_t i = 1; i <= need; ++i)
        if (!isDataByte(bytes[i])) return false;
    return true;
}

bool IMidiMsg::IsComplete() const {
    const uint8_t bytes[3] = {status, data1, data2};
    return IsComplete(bytes, 3);
}
