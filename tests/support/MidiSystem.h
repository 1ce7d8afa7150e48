#pragma once

#include <string>

namespace testsupport {

// Why tests on real MIDI ports cannot run here, "" when they can: they run on the private
// JACK server that scripts/test starts and names in JACK_DEFAULT_SERVER. When they can, the
// MIDI library of this process and of the programs it starts is made to use JACK.
std::string MidiSystemMissing();

// `what` made a JACK client name of this process's own: libjack names a client's socket after
// the client alone, whatever its server, and an open meets the same name opened at that moment
// by another test run on its own server.
std::string OwnClientName(const std::string& what);

} // namespace testsupport
