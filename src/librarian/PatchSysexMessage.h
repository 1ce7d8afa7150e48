#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ByteChunk;

// One complete dump from its F0 to its F7. The message id at byte 4 tells the kind.
class PatchSysexMessage {
public:
    enum MessageId : uint8_t { kSound = 0x10, kMulti = 0x11, kPattern = 0x13 };
    static constexpr int kSoundSize = 393;   // also a multi
    static constexpr int kPatternSize = 545; // as the synthesizer sends it
    static constexpr int kShortPatternSize = 544;
    // Where the 16 name characters start, by kind, and a sound's 4 category characters.
    static constexpr int kSoundNameOffset = 371;
    static constexpr int kMultiNameOffset = 23;
    static constexpr int kPatternNameOffset = 15;
    static constexpr int kCategoryOffset = 387;

    PatchSysexMessage() = default;
    explicit PatchSysexMessage(std::vector<uint8_t> b) : bytes(std::move(b)) {}

    int size() const { return int(bytes.size()); }
    // The message id, or -1 for a message too short to carry one.
    int messageId() const { return bytes.size() > 4 ? bytes[4] : -1; }
    // `count` bytes from `offset`, one character each (zero bytes included); the bytes the
    // dump does not have are left out.
    std::string text(int offset, int count) const;

    // Pads a short dump with zero bytes to n bytes, dropping its closing F7 first.
    void padTo(int n);
    // Writes the checksum of a dump of n bytes: the sum of bytes 4 to n-3, AND 0x7F, at n-2.
    void writeChecksum() { writeChecksum(bytes.data(), size()); }
    // The synthesizer's one checksum rule. With F0 at byte 0: the sum of bytes 4 to n-3,
    // AND 0x7F, into byte n-2; without F0 (a message framed later): bytes 3 to n-2 into n-1.
    static void writeChecksum(uint8_t* message, int n);

    // Brings a short dump to its full length (a sound or multi to 393 bytes, a pattern to
    // 544) and writes its checksum; the padded dump ends in F7.
    static void checkPatchDataSize(PatchSysexMessage* message, bool sound, bool pattern);

    // Appends the dump to a bank image: raw, or as the SysEx event of a MIDI file track,
    // the first event of the track at delta 0 and every later one 500 ticks after the last.
    void save(ByteChunk* chunk, bool asMidi, bool firstEvent) const;

    std::vector<uint8_t> bytes;

private:
    // A padded dump keeps one F7, at its end.
    void dropClosingF7();
};
