#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The message-id byte of the synthesizer's SysEx (offset 4 of a message that starts with F0).
enum SysexMessageId : uint8_t {
    kSysexSoundRequest = 0x00,
    kSysexMultiRequest = 0x01,
    kSysexPatternRequest = 0x03,
    kSysexGlobalRequest = 0x04, // also the device-id probe
    kSysexSoundDump = 0x10,
    kSysexMultiDump = 0x11,
    kSysexPatternDump = 0x13,
    kSysexGlobalDump = 0x14,
    kSysexPartSelect = 0x17,
    kSysexSoundParameterChange = 0x20,
    kSysexMultiParameterChange = 0x21,
    kSysexGlobalParameterChange = 0x24,
};

// The frame, address bytes and checksum of the synthesizer's SysEx. Requests, the probe, the
// part select and the tempo message are built without F0 and F7: the send path adds both.
// Every data byte is masked to 7 bits, the device id included.
namespace SysexMessage {

constexpr uint8_t kStart = 0xF0;
constexpr uint8_t kEnd = 0xF7;
constexpr uint8_t kManufacturerId = 0x3E;
constexpr uint8_t kModelId = 0x0F;

// Lengths on the wire, F0 to F7.
constexpr int kRequestSize = 8;
constexpr int kProbeSize = 6;
constexpr int kPartSelectSize = 8;
constexpr int kTempoMessageSize = 9;
constexpr int kSoundDumpSize = 393;
constexpr int kMultiDumpSize = 393;
constexpr int kPatternDumpSize = 545;
constexpr int kInitPatternDumpSize = 544;
constexpr int kGlobalDumpSize = 207;
// Messages this long or longer carry a checksum.
constexpr int kChecksumMinSize = 201;

// Bytes 5 and 6: the target of a request or a dump.
struct Address {
    uint8_t high;
    uint8_t low;
};
Address soundEditBuffer(int part);
Address soundSlot(int bank, int slot);
Address multiEditBuffer();
Address multiSlot(int slot);
Address patternEditBuffer();
// Pattern slots are counted from 1 on the wire.
Address patternSlot(int slot);

// 3E 0F dd id a b: a sound (00), multi (01) or pattern (03) request.
std::vector<uint8_t> request(int deviceId, SysexMessageId id, Address address);
// 3E 0F dd 04: the global request that probes the device id.
std::vector<uint8_t> deviceIdProbe(int deviceId);
// 3E 0F dd 17 00 2p+1.
std::vector<uint8_t> partSelect(int deviceId, int part);
// 3E 0F dd 21 00 05 vv: the multi parameter change of the tempo byte.
std::vector<uint8_t> tempoMessage(int deviceId, int tempoByte);
// The same framed by F0 and F7, built without allocating (for the audio thread).
std::array<uint8_t, kTempoMessageSize> framedTempoMessage(int deviceId, int tempoByte);

// Writes the checksum of a message of kChecksumMinSize bytes or more: the low 7 bits of the
// sum of the message id, address and data bytes, stored before the closing F7 (or, in a
// message without F0 and F7, into its last byte). Shorter messages are left alone.
void writeChecksum(uint8_t* message, int length);

// F0 3E 0F 00 id at the start of a dump of `size` bytes and F7 at its end; the rest is left.
void frameDump(uint8_t* dump, int size, SysexMessageId id);

// A dump's name field: blanks, then as many characters of the text as fit, each 7 bits.
void writeText(uint8_t* field, int length, const std::string& text);

} // namespace SysexMessage
