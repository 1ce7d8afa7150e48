// The choice of the MIDI library's back end.

#include "platform/midi/MidiBackend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {

// Sets ZOZ_MIDI_API for one scope (null: unset).
class ApiChoice {
public:
    explicit ApiChoice(const char* api) {
        if (const char* old = getenv("ZOZ_MIDI_API")) m_old = old;
        if (api)
            setenv("ZOZ_MIDI_API", api, 1);
        else
            unsetenv("ZOZ_MIDI_API");
    }
    ~ApiChoice() {
        if (m_old.empty())
            unsetenv("ZOZ_MIDI_API");
        else
            setenv("ZOZ_MIDI_API", m_old.c_str(), 1);
    }

private:
    std::string m_old;
};

TEST(MidiBackend, ForcedJackGivesJackClients) {
    ApiChoice choice("jack");
    std::unique_ptr<RtMidiOut> out(platform::NewMidiOut("zoz backend test"));
    std::unique_ptr<RtMidiIn> in(platform::NewMidiIn("zoz backend test", 100));
    EXPECT_EQ(out->getCurrentApi(), RtMidi::UNIX_JACK);
    EXPECT_EQ(in->getCurrentApi(), RtMidi::UNIX_JACK);
}

TEST(MidiBackend, ForcedAlsaNeverFallsBack) {
    ApiChoice choice("alsa");
    try {
        std::unique_ptr<RtMidiOut> out(platform::NewMidiOut("zoz backend test"));
        EXPECT_EQ(out->getCurrentApi(), RtMidi::LINUX_ALSA);
    } catch (const RtMidiError& e) {
        EXPECT_EQ(e.getType(), RtMidiError::DRIVER_ERROR) << e.getMessage();
    }
}

TEST(MidiBackend, WithoutChoiceFallsBackToJackWhenAlsaHasNoSequencer) {
    ApiChoice choice(nullptr);
    std::unique_ptr<RtMidiOut> out(platform::NewMidiOut("zoz backend test"));
    std::unique_ptr<RtMidiIn> in(platform::NewMidiIn("zoz backend test", 100));
    const bool sequencer = access("/dev/snd/seq", R_OK | W_OK) == 0;
    EXPECT_EQ(out->getCurrentApi(), sequencer ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK);
    EXPECT_EQ(in->getCurrentApi(), out->getCurrentApi());
}

} // namespace
