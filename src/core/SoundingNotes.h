#pragma once

#include "kit/effect/IMidiMsg.h"

#include <array>
#include <atomic>
#include <cstdint>

// The notes that went out to the synthesizer and have not ended since, on each channel:
// whatever holds short MIDI back lets their note-offs through, so that no note hangs. Used on
// every thread that routes or sends short MIDI; it never waits.
class SoundingNotes {
public:
    // Follows a message that went out: a note-on starts its note, a note-off (or a note-on of
    // velocity 0) ends it.
    void Follow(const IMidiMsg& msg);
    // Whether msg ends a note that sounds.
    bool Ends(const IMidiMsg& msg) const;

private:
    static constexpr int kNotes = 16 * 128;
    static constexpr int kBitsPerWord = 64;
    // The bit of a note message, or -1 for any other message.
    static int bitOf(const IMidiMsg& msg);
    static bool isNoteOff(const IMidiMsg& msg);
    std::array<std::atomic<uint64_t>, kNotes / kBitsPerWord> sounding{};
};
