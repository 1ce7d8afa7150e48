#pragma once

#include "src/librarian/PatchSysexMessage.h"
#include "src/sender/DumpByte.h"
#include "src/sender/SysexMessage.h"

#include <array>
#include <cstdint>
#include <vector>

// The byte map of the 545-byte pattern dump: five pattern settings, the name and 32 steps of
// 16 bytes (seven values, a gap byte, eight notes). The dump names no part: the writer's caller
// or the awaited-dump part chooses it. The writer and the parser read this one table.
namespace PatternDump {

constexpr int kSize = SysexMessage::kPatternDumpSize;
// The built-in init pattern lacks the checksum byte.
constexpr int kShortSize = SysexMessage::kInitPatternDumpSize;
// The parser takes a message this long, as far as it goes.
constexpr int kMinParseSize = 542;
constexpr int kDeviceIdByte = 3;
constexpr int kNameOffset = PatchSysexMessage::kPatternNameOffset;
constexpr int kNameLength = 16;
constexpr int kFirstStep = 31;
constexpr int kStepSize = 16;
constexpr int kSteps = 32;

// Every parameter byte in dump order: the settings, then step 1's bytes, step 2's …
const std::vector<DumpByte>& layout();
// The byte a row carries: hold/pause 2 goes out as 3, the option line as value + 16.
uint8_t encode(const DumpByte& row, int value);
// The dump the writer starts from: the init pattern with checksum 00 and F7.
const std::array<uint8_t, kSize>& dumpTemplate();

} // namespace PatternDump
