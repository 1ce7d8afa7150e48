#pragma once

#include "src/sender/DumpByte.h"
#include "src/sender/SysexMessage.h"

#include <array>
#include <cstdint>
#include <vector>

// The byte map of the 207-byte global dump. Its wire order is not the order of the parameter
// ids. The writer and the parser read this one table.
namespace GlobalDump {

constexpr int kSize = SysexMessage::kGlobalDumpSize;
constexpr int kDeviceIdByte = 3;
// The byte that also switches the plug-in's local control.
constexpr int kLocalControlByte = 43;

// Every parameter byte, in dump order.
const std::vector<DumpByte>& layout();
// F0 3E 0F 00 14, 02 at byte 34, 04 at byte 35, F7 at 206, every other byte 00.
const std::array<uint8_t, kSize>& dumpTemplate();

} // namespace GlobalDump
