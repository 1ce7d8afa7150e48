#include "platform/midi/MidiInput.h"

#include "platform/midi/QuietJack.h"

#include <jack/midiport.h>

#include <atomic>
#include <thread>

namespace platform {

namespace {

void tell(MidiErrors& errors, const std::string& text) {
    MidiErrors::Callback(RtMidiError::DRIVER_ERROR, text, &errors);
}

// The MIDI library's input, whose callback runs on the library's thread.
class LibraryMidiInput final : public MidiInput {
public:
    LibraryMidiInput(std::unique_ptr<RtMidiIn> client, MidiInputRelay& relay)
        : m_client(std::move(client)) {
        m_client->setCallback(MidiInputRelay::Callback, &relay);
        // SysEx passes; the library drops timing (clock, time code) and active sensing.
        m_client->ignoreTypes(false, true, true);
    }
    bool Open(const std::string& source, const std::string& portName) override {
        return OpenMidiPort(*m_client, source, portName);
    }
    void Close() override { m_client->closePort(); }

private:
    const std::unique_ptr<RtMidiIn> m_client;
};

// What the library's input is told to ignore, it ignores by an event's first byte: time code
// quarter frames, timing clock and active sensing.
bool ignored(jack_midi_data_t first) {
    return first == 0xF1 || first == 0xF8 || first == 0xFE;
}

// JACK's own MIDI input. The client is active from its making on; the port is there only while
// open, as the library's is. Its process callback only copies events into the relay.
class JackMidiInput final : public MidiInput {
public:
    JackMidiInput(jack_client_t* client, MidiInputRelay& relay, MidiErrors& errors)
        : m_client(client), m_relay(relay), m_errors(errors) {}
    ~JackMidiInput() override {
        Close();
        CloseJackClient(m_client);
    }
    bool Open(const std::string& source, const std::string& portName) override {
        std::string failed;
        {
            QuietJack quiet;
            if (!jack_port_by_name(m_client, source.c_str())) return false;
            jack_port_t* port = jack_port_register(m_client, portName.c_str(),
                                                   JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
            if (!port) {
                failed = "JACK refused the input port \"" + portName + "\"";
            } else {
                m_port = port;
                if (jack_connect(m_client, source.c_str(), jack_port_name(port)) != 0)
                    failed = "JACK could not connect \"" + source + "\" to \"" +
                             jack_port_name(port) + "\"";
            }
        }
        if (failed.empty()) return true;
        Close();
        tell(m_errors, failed);
        return false;
    }
    void Close() override {
        jack_port_t* port = m_port.exchange(nullptr);
        if (!port) return;
        // Nothing says that the server's thread has let go of the port once this one has: a
        // cycle that found it still open ends first.
        while (m_inCycle)
            std::this_thread::yield();
        QuietJack quiet;
        jack_port_unregister(m_client, port);
    }
    // On the server's process thread, which must never wait, allocate or take a lock.
    static int Process(jack_nframes_t frames, void* self) {
        auto* input = static_cast<JackMidiInput*>(self);
        input->m_inCycle = true;
        if (jack_port_t* port = input->m_port) {
            void* events = jack_port_get_buffer(port, frames);
            const uint32_t count = jack_midi_get_event_count(events);
            jack_midi_event_t event;
            for (uint32_t i = 0; i < count; ++i)
                if (jack_midi_event_get(&event, events, i) == 0 && event.size > 0 &&
                    !ignored(event.buffer[0]))
                    input->m_relay.Take(event.buffer, event.size);
        }
        input->m_inCycle = false;
        return 0;
    }

private:
    jack_client_t* const m_client;
    MidiInputRelay& m_relay;
    MidiErrors& m_errors;
    // Sequentially consistent, so that Close either keeps a cycle from the port or sees it in
    // the cycle.
    std::atomic<jack_port_t*> m_port{nullptr};
    std::atomic<bool> m_inCycle{false};
};

std::unique_ptr<MidiInput> newJackInput(const std::string& clientName, MidiInputRelay& relay,
                                        MidiErrors& errors) {
    jack_client_t* client = OpenJackClient(clientName);
    if (!client) {
        tell(errors, "JACK refused a client named \"" + clientName + "\"");
        return nullptr;
    }
    auto input = std::make_unique<JackMidiInput>(client, relay, errors);
    int activated;
    {
        QuietJack quiet;
        activated = jack_set_process_callback(client, &JackMidiInput::Process, input.get()) == 0
                        ? jack_activate(client)
                        : -1;
    }
    if (activated == 0) return input;
    tell(errors,
         "JACK would not run the client \"" + std::string(jack_get_client_name(client)) + "\"");
    return nullptr;
}

} // namespace

std::unique_ptr<MidiInput> NewMidiInput(MidiSystem system, const std::string& clientName,
                                        MidiInputRelay& relay, MidiErrors& errors) {
    if (system == MidiSystem::kJack) return newJackInput(clientName, relay, errors);
    std::unique_ptr<RtMidiIn> client(NewMidiIn(system, clientName, 100, &errors));
    if (!client) return nullptr;
    return std::make_unique<LibraryMidiInput>(std::move(client), relay);
}

} // namespace platform
