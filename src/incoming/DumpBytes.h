#pragma once

#include "kit/effect/ISysEx.h"
#include "src/sender/SysexMessage.h"

#include <cstdint>
#include <string>

// A received dump's bytes as 7-bit data; a byte past the message's end reads as a blank.
class DumpBytes {
public:
    explicit DumpBytes(const ISysEx& m) : message(m) {}
    uint8_t operator[](int i) const { return i < message.size ? message.data[i] & 0x7F : ' '; }
    // `length` characters from `offset`, blanks and zero bytes kept.
    std::string text(int offset, int length) const {
        std::string s;
        for (int i = offset; i < offset + length; ++i)
            s += char((*this)[i]);
        return s;
    }

private:
    const ISysEx& message;
};

// The length on the wire, F0 to F7, of the synthesizer's dump of a message id; 0 for an id
// that names no dump.
inline int dumpSize(uint8_t id) {
    switch (id) {
    case kSysexSoundDump:
        return SysexMessage::kSoundDumpSize;
    case kSysexMultiDump:
        return SysexMessage::kMultiDumpSize;
    case kSysexPatternDump:
        return SysexMessage::kPatternDumpSize;
    case kSysexGlobalDump:
        return SysexMessage::kGlobalDumpSize;
    default:
        return 0;
    }
}

inline bool isSynthesizers(const ISysEx& m) {
    return m.size > 4 && m.data[1] == SysexMessage::kManufacturerId &&
           m.data[2] == SysexMessage::kModelId;
}

// A whole dump of this id: F0 3E 0F dd id …, exactly the dump's length, ending in F7. Byte 0
// and the device id are not looked at. A dump cut short, or one with bytes glued on, is none.
inline bool isWholeDump(const ISysEx& m, uint8_t id) {
    return m.size == dumpSize(id) && isSynthesizers(m) && m.data[4] == id &&
           m.data[m.size - 1] == SysexMessage::kEnd;
}

// A message of the synthesizer's that carries a dump's id but is no whole dump of it.
inline bool isBrokenDump(const ISysEx& m) {
    return isSynthesizers(m) && dumpSize(m.data[4]) > 0 && !isWholeDump(m, m.data[4]);
}

// What a display text keeps of a received name: the characters before its first zero byte.
inline std::string displayText(const std::string& name) {
    return name.substr(0, name.find('\0'));
}
