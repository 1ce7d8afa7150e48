#pragma once

#include "src/librarian/PatchSysexMessage.h"
#include "src/sender/SysexMessage.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// The byte map of the 393-byte sound dump: where each sound parameter of a part sits, how its
// value becomes the byte and the byte the value again, and which section lock guards the byte
// when a dump is received. The writer, the parser and the randomizer's checks read this one
// table. Parameters are named by their part-0 ids; a part's own id is that id + the part.
namespace SoundDump {

constexpr int kSize = SysexMessage::kSoundDumpSize;
constexpr int kDeviceIdByte = 3;
constexpr int kBankByte = 5;
constexpr int kPartByte = 6;
constexpr int kNameOffset = PatchSysexMessage::kSoundNameOffset;
constexpr int kNameLength = 16;
constexpr int kCategoryOffset = PatchSysexMessage::kCategoryOffset;
constexpr int kCategoryLength = 4;
// The shortest message the parser accepts: it lacks the category's last character.
constexpr int kMinParseSize = 390;
constexpr int kSectionLockCount = 40;
constexpr int kTapCodeSize = 11;
constexpr int kTapStepCount = 33;
// The effect mode that puts the tap-pattern code over the effect's slots 4 to 14.
constexpr int kTapDelayMode = 9;

enum class Encoding : uint8_t {
    Plain,       // b = v (the oscillators' octave and semitone hold the wire byte)
    BendRange,   // b = v + 40
    Unisono,     // {unisono, mono/poly}: 16·unisono + mode
    FilterType,  // {Q+ type, Q type}: the Q+ type on a Q+, else the Q type; read into both
    FilterLink,  // {link value, link switch}: b = v; the switch is on for 3
    EffectMode,  // b = v
    Effect2Mode, // b = v below 10, else v + 22
    EffectSlot,  // b = v; on receipt every effect-type alias of the slot takes it too
    Envelope,    // {mode, trigger}: 32·trigger + mode
    ArpStep,     // {glide, step, accent}: 16·step + 8·glide + accent
    ArpTiming,   // {step length, timing}: 16·step length + timing
};

constexpr int kNoLock = -1;

// One parameter byte. The parameters of a packed byte are listed in the order in which a
// received byte sets them.
struct Byte {
    int offset;
    Encoding encoding;
    int lock; // the section lock (part-0 id), or kNoLock: applied whatever the locks
    int params[3];
};

// The parameter bytes, in dump order.
const std::vector<Byte>& layout();
// How many of a row's params its encoding uses.
int paramCount(Encoding encoding);
// The dump before any parameter is written: header F0 3E 0F 00 10 30 00 09, the constant
// bytes, name "-- Init Patch --", category "Init", checksum 7F, F7.
const std::array<uint8_t, kSize>& dumpTemplate();

// An effect's tap delay: its mode byte, where its tap-pattern code lies, its lock, and the
// part-0 ids of its first tap's volume and pan (tap t adds 16·(t − 1)) and of its ducking.
struct TapDelay {
    int modeOffset;
    int codeOffset;
    int lock;
    int firstVolume;
    int firstPan;
    int ducking;
};
extern const TapDelay kTapDelays[2];

// A parameter value truncated toward zero, as the dump carries it; a value no int holds (NaN
// included) gives 0.
int truncated(double value);

// The byte a row carries, from `value`, which gives a part-0 id's value (truncated) for the
// part being written; `model` is 1 for a Q+. Always 0..127.
uint8_t encode(const Byte& row, const std::function<int(int param)>& value, int model);

struct Setting {
    int param; // part-0 id
    int value;
};
// The values a received byte gives, in the order they are set; returns how many.
int decode(const Byte& row, uint8_t b, Setting out[3]);

// Packs 33 step bytes (tap t's volume at 2t − 2 and its pan at 2t − 1, the ducking value × 8
// at 32) into the 11-byte tap-pattern code; every code byte is 0..127.
void GenTapPatternCode(const uint8_t steps[kTapStepCount], uint8_t code[kTapCodeSize]);
// Unpacks the code into the 33 step bytes; a pan field of 3 in the last byte reads as 0.
void decodeTapPatternCode(const uint8_t code[kTapCodeSize], uint8_t steps[kTapStepCount]);

} // namespace SoundDump
