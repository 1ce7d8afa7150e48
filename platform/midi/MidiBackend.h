#pragma once

#include <RtMidi.h>

#include <string>

namespace platform {

// New clients of the MIDI library, on the back end this machine has: the one that ZOZ_MIDI_API
// names ("alsa" or "jack") when it is set, else ALSA when its sequencer opens, else JACK. The
// library's errors (RtMidiError) reach the caller; the caller owns the client.
RtMidiIn* NewMidiIn(const std::string& clientName, unsigned int queueSizeLimit);
RtMidiOut* NewMidiOut(const std::string& clientName);

} // namespace platform
