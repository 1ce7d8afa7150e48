#include "platform/midi/MidiBackend.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// The back end that ZOZ_MIDI_API forces, or RtMidi::UNSPECIFIED when it names none.
RtMidi::Api forcedApi() {
    const char* name = getenv("ZOZ_MIDI_API");
    if (!name) return RtMidi::UNSPECIFIED;
    if (strcmp(name, "alsa") == 0) return RtMidi::LINUX_ALSA;
    if (strcmp(name, "jack") == 0) return RtMidi::UNIX_JACK;
    return RtMidi::UNSPECIFIED;
}

// Set once ALSA has refused a client, so later clients go straight to JACK without the
// sequencer's complaint on every attempt.
std::atomic<bool> g_alsaFailed{false};

template <class Client, class... Args> Client* newClient(const Args&... args) {
    const RtMidi::Api forced = forcedApi();
    if (forced != RtMidi::UNSPECIFIED) return new Client(forced, args...);
    if (!g_alsaFailed.load()) {
        try {
            return new Client(RtMidi::LINUX_ALSA, args...);
        } catch (const RtMidiError&) {
            g_alsaFailed.store(true);
        }
    }
    return new Client(RtMidi::UNIX_JACK, args...);
}

} // namespace

RtMidiIn* NewMidiIn(const std::string& clientName, unsigned int queueSizeLimit) {
    return newClient<RtMidiIn>(clientName, queueSizeLimit);
}

RtMidiOut* NewMidiOut(const std::string& clientName) {
    return newClient<RtMidiOut>(clientName);
}

} // namespace platform
