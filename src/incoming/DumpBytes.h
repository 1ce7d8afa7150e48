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

// F0 3E 0F dd id …, of a size in minSize..maxSize; byte 0 and the device id are not looked at.
inline bool isDump(const ISysEx& m, uint8_t id, int minSize, int maxSize) {
    return m.size >= minSize && m.size <= maxSize && m.data[1] == 0x3E && m.data[2] == 0x0F &&
           m.data[4] == id;
}

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

// A message of the synthesizer's that carries a dump's id but is no whole dump: not exactly
// the dump's length, or not ending in F7 (a dump cut short, or one with bytes glued on).
inline bool isBrokenDump(const ISysEx& m) {
    if (!isSynthesizers(m)) return false;
    const int size = dumpSize(m.data[4]);
    return size > 0 && (m.size != size || m.data[m.size - 1] != SysexMessage::kEnd);
}

// What a display text keeps of a received name: the characters before its first zero byte.
inline std::string displayText(const std::string& name) {
    return name.substr(0, name.find('\0'));
}
