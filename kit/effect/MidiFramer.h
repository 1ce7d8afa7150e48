#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Cuts what a MIDI library hands over, in chunks of any size, into whole messages as MIDI
// frames them. A library may join whatever follows a SysEx without its F7 onto it, or hand a long
// SysEx over in pieces, so a SysEx runs on across chunks until its F7; any status byte that is
// not real-time ends it early and starts the next message (an F0 a new SysEx). Real-time bytes
// (F8..FF) are messages of their own wherever they stand. The undefined status bytes (F4, F5,
// F9, FD) are dropped, the real-time ones as they stand, the others ending what was open. A
// short message ends with its chunk: a library hands each over whole, so one still short of
// data bytes there was cut short.
// One thread at a time.
class MidiFramer {
public:
    // Why bytes became no message.
    enum class Fault {
        kCutShort,     // a short message without every data byte its status needs
        kStray,        // data bytes, or an F7, outside any message
        kUnterminated, // a SysEx ended by another status byte before its F7
        kTooLong,      // a SysEx longer than the framer keeps
        kUndefined,    // a status byte MIDI leaves undefined
    };
    using Message = std::function<void(const uint8_t* bytes, size_t size)>;
    using Dropped = std::function<void(Fault fault, const uint8_t* bytes, size_t size)>;

    explicit MidiFramer(size_t longestSysEx) : m_longest(longestSysEx) {}

    // Hands each whole message the chunk holds or completes to `message`, in order, and what
    // cannot become one to `dropped` (of a long run or SysEx, its first bytes). The bytes given
    // live only during the call.
    void Take(const uint8_t* data, size_t size, const Message& message, const Dropped& dropped);
    // Forgets a SysEx still open, as when the bytes come from another port from now on.
    void Reset();

    static const char* FaultText(Fault fault);

private:
    void endSysEx(bool whole, const Message& message, const Dropped& dropped);
    void dropUnfinished(const Dropped& dropped);

    const size_t m_longest;
    bool m_inSysEx = false;
    size_t m_sysExLength = 0; // bytes of the open SysEx, also those past m_longest
    std::vector<uint8_t> m_sysEx;
    // A short message being completed, or a run of stray bytes, inside one chunk.
    uint8_t m_pending[3] = {};
    size_t m_pendingSize = 0;
    size_t m_pendingNeed = 0;
    std::vector<uint8_t> m_stray;
};
