#pragma once

#include "platform/midi/MidiBackend.h"

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The plug-in's external MIDI input: a client of the MIDI system whose one port, while open,
// takes what one source port sends and hands it to a MidiInputRelay. SysEx passes; the MIDI
// library's input drops timing clock, time code and active sensing, JACK's passes them on. What
// goes wrong once it is made is told to its MidiErrors.
class MidiInput {
public:
    virtual ~MidiInput() = default;
    // Opens the port, closed until then, as portName, taking what the source port named sends;
    // false, with nothing told, when no such source is there now.
    virtual bool Open(const std::string& source, const std::string& portName) = 0;
    // Opens the port as portName for other programs to send to.
    virtual bool OpenVirtual(const std::string& portName) = 0;
    // What the port received before still reaches the relay.
    virtual void Close() = 0;
    // What the open port takes from; the MIDI library's ports reach whatever is there.
    virtual PortLink Link(std::string* /*why*/) { return PortLink::kReaches; }
    // The xruns its server told of so far (see MidiOutput::XrunWindowMillis); 0 off JACK.
    virtual uint64_t Xruns() { return 0; }
    // The name its client took on the MIDI system.
    virtual std::string ClientName() const = 0;
};

// The input on `system`, its client named clientName (or a name the system makes from it). On
// JACK it reads the server's MIDI events itself: each comes whole, so a SysEx without its F7
// holds back nothing that follows it, which the MIDI library's input would join onto it; its
// client is there only while the port is open, and `watch`, when given, is woken when the
// port's peer or server goes. Elsewhere it is the library's. Null for MidiSystem::kNone; what
// the library raises while it builds its client reaches the caller as RtMidiError. The relay,
// errors and watch outlive the input.
std::unique_ptr<MidiInput> NewMidiInput(MidiSystem system, const std::string& clientName,
                                        MidiInputRelay& relay, MidiErrors& errors,
                                        MidiPortWatch* watch = nullptr);

} // namespace platform
