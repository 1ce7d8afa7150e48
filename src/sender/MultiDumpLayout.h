#pragma once

#include "src/librarian/PatchSysexMessage.h"
#include "src/sender/DumpByte.h"
#include "src/sender/SysexMessage.h"

#include <array>
#include <cstdint>

// The byte map of the 393-byte multi dump: six multi-wide bytes, the name and one block of 22
// bytes per part, two of them packed. The writer and the parser read these tables.
namespace MultiDump {

constexpr int kSize = SysexMessage::kMultiDumpSize;
constexpr int kDeviceIdByte = 3;
constexpr int kSlotByte = 6;
constexpr int kNameOffset = PatchSysexMessage::kMultiNameOffset;
constexpr int kNameLength = 16;
constexpr int kParts = 16;
constexpr int kFirstPartBlock = 39;
constexpr int kPartBlockSize = 22;
// Offsets in a part block of the packed bytes: MIDI receive, send and engine; the switches.
constexpr int kSettings1Offset = 7;
constexpr int kSettings2Offset = 16;
constexpr int kSwitchCount = 6;
// Packed byte 1 from 48 on sets the engine to 2.
constexpr int kSettings1Limit = 48;
// Packed byte 2 from 64 on sets the buttons and program-change switches.
constexpr int kSettings2Limit = 64;

// Bytes 7 to 12.
extern const DumpByte kMultiBytes[6];
// The plain bytes of a part block, offsets counted in the block.
extern const DumpByte kPartBytes[13];
// The switches of packed byte 2, bit 0 first.
extern const int kSwitches[kSwitchCount];

constexpr int partByte(int part, int offset) {
    return kFirstPartBlock + kPartBlockSize * part + offset;
}
// a + 4·b + 16·c of receive, send and engine, seven bits.
uint8_t packSettings1(int receive, int send, int engine);
// Bit k set for switch k when it is on.
uint8_t packSettings2(const int switches[kSwitchCount]);

// F0 3E 0F 00 11 20 00, every other byte 00 up to the F7.
const std::array<uint8_t, kSize>& dumpTemplate();

} // namespace MultiDump
