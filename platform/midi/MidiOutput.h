#pragma once

#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiDelivery.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The plug-in's external MIDI output: a client of the MIDI system whose one port, while open,
// sends to one destination port (or, opened virtual, to whoever connects to it). What goes
// wrong once it is made is told to its MidiErrors.
class MidiOutput {
public:
    virtual ~MidiOutput() = default;
    // Opens the port as portName, sending to the destination port named; false, with nothing
    // told, when no such destination is there now.
    virtual bool Open(const std::string& destination, const std::string& portName) = 0;
    // Opens the port as portName for other programs to take from.
    virtual bool OpenVirtual(const std::string& portName) = 0;
    virtual void Close() = 0;
    // Queues one whole message; false when the port is closed or the message could not go.
    virtual bool Send(const unsigned char* bytes, size_t size) = 0;
    // What the open port gives to; the MIDI library's ports reach whatever is there.
    virtual PortLink Link(std::string* /*why*/) { return PortLink::kReaches; }
    // The messages Send has queued since the output was made: the n-th (from 1) is message n.
    // 0 where nothing queued can be dropped after it went (off JACK).
    virtual uint64_t Queued() { return 0; }
    // Whether message n may have been dropped in an xrun its server told of (a client ran
    // late, and the server dropped the MIDI of the cycles it missed). The server tells of one
    // a little after the cycle it began in, later on a loaded machine, and often once only
    // for a client late for several cycles: a message stays under watch from its queueing
    // until a notice of an xrun that dropped it can no longer come. One not taken yet stays
    // under watch however long its server stands still, unless the server's cycles pass it
    // over.
    virtual MidiDelivery Delivery(uint64_t /*message*/) { return MidiDelivery::kClear; }
    // For how many ns a message sent now would still count an xrun already told as one that
    // may drop it: 0 when none would.
    virtual int64_t XrunShadowNs() { return 0; }
    // The name its client took on the MIDI system.
    virtual std::string ClientName() const = 0;
};

// The output on `system`, its client named clientName (or a name the system makes from it). On
// JACK it writes the server's MIDI events itself, its client there only while the port is open;
// a message waits at most a second for room, and fails at once when the port reaches nothing
// (its server ended, the peer it was opened to went or is no longer connected); a close (and so
// a port change) first lets the server take what was queued, for a few cycles at most, and
// tells how many messages it did not take. `watch`, when given, is woken when the port's peer
// or server goes. Elsewhere it is the library's. Null for MidiSystem::kNone; what the library
// raises while it builds its client reaches the caller as RtMidiError. The errors and watch
// outlive the output.
std::unique_ptr<MidiOutput> NewMidiOutput(MidiSystem system, const std::string& clientName,
                                          MidiErrors& errors, MidiPortWatch* watch = nullptr);

} // namespace platform
