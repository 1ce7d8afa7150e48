#pragma once

#include <string>
#include <vector>

namespace platform {

// The index of `name` in `names`; when it is not there, of the one name that is equal apart
// from the ALSA client number that ALSA's names ("… MIDI 1 24:0") and a2jmidid's ("a2j:… [24]
// (playback): …") carry, which changes with the order the devices were plugged in. -1 when
// there is neither, or when more than one name would do.
int MatchPortName(const std::vector<std::string>& names, const std::string& name);

} // namespace platform
