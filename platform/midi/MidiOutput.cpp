#include "platform/midi/MidiOutput.h"

#include "platform/midi/QuietJack.h"

#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <chrono>
#include <cstdint>
#include <thread>

namespace platform {

namespace {

class LibraryMidiOutput final : public MidiOutput {
public:
    explicit LibraryMidiOutput(std::unique_ptr<RtMidiOut> client) : m_client(std::move(client)) {}
    bool Open(const std::string& destination, const std::string& portName) override {
        m_client->closePort();
        return OpenMidiPort(*m_client, destination, portName);
    }
    bool OpenVirtual(const std::string& portName) override {
        m_client->closePort();
        m_client->openVirtualPort(portName);
        return true;
    }
    void Close() override { m_client->closePort(); }
    bool Send(const unsigned char* bytes, size_t size) override {
        m_client->sendMessage(bytes, size);
        return true;
    }

private:
    const std::unique_ptr<RtMidiOut> m_client;
};

// JACK's own MIDI output: a client made with its port on each open and closed with it. Sends
// queue whole messages, each a length and its bytes, in a ring that the process callback empties
// into the cycle's events.
class JackMidiOutput final : public MidiOutput {
public:
    // Room for a whole dump of the largest kind the plug-in sends, many times over.
    static constexpr size_t kRingBytes = 1 << 16;
    static constexpr int kWaitMs = 1000;

    JackMidiOutput(std::string clientName, MidiErrors& errors)
        : m_clientName(std::move(clientName)), m_errors(errors),
          m_ring(jack_ringbuffer_create(kRingBytes)) {}
    ~JackMidiOutput() override {
        Close();
        jack_ringbuffer_free(m_ring);
    }
    JackMidiOutput(const JackMidiOutput&) = delete;
    JackMidiOutput& operator=(const JackMidiOutput&) = delete;

    bool Open(const std::string& destination, const std::string& portName) override {
        return open(destination, portName);
    }
    bool OpenVirtual(const std::string& portName) override { return open("", portName); }
    void Close() override {
        if (!m_client) return;
        // The client's process thread has ended when this returns: nothing reads the ring.
        CloseJackClient(m_client);
        m_client = nullptr;
        m_port = nullptr;
        jack_ringbuffer_reset(m_ring);
    }
    bool Send(const unsigned char* bytes, size_t size) override {
        const uint32_t length = uint32_t(size);
        const size_t needed = sizeof length + size;
        if (!m_client || size == 0 || needed >= kRingBytes) return false;
        // A server that runs no cycle for a second takes nothing: the send fails, never hangs.
        for (int waited = 0; jack_ringbuffer_write_space(m_ring) < needed; ++waited) {
            if (waited == kWaitMs) {
                m_errors.Fail("JACK took no MIDI from \"" + m_clientName +
                              "\" for a second: a message was not sent");
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        jack_ringbuffer_write(m_ring, reinterpret_cast<const char*>(&length), sizeof length);
        jack_ringbuffer_write(m_ring, reinterpret_cast<const char*>(bytes), size);
        return true;
    }
    // On the server's process thread, which must never wait, allocate or take a lock. A message
    // is taken only once all its bytes are in the ring; one that no empty cycle could hold is
    // dropped rather than holding back the rest.
    static int Process(jack_nframes_t frames, void* self) {
        auto* output = static_cast<JackMidiOutput*>(self);
        void* events = jack_port_get_buffer(output->m_port, frames);
        jack_midi_clear_buffer(events);
        jack_ringbuffer_t* ring = output->m_ring;
        uint32_t length;
        while (jack_ringbuffer_peek(ring, reinterpret_cast<char*>(&length), sizeof length) ==
                   sizeof length &&
               jack_ringbuffer_read_space(ring) >= sizeof length + length) {
            jack_midi_data_t* event = jack_midi_event_reserve(events, 0, length);
            if (!event && jack_midi_get_event_count(events) > 0) break;
            jack_ringbuffer_read_advance(ring, sizeof length);
            if (event)
                jack_ringbuffer_read(ring, reinterpret_cast<char*>(event), length);
            else
                jack_ringbuffer_read_advance(ring, length);
        }
        return 0;
    }

private:
    bool open(const std::string& destination, const std::string& portName) {
        Close();
        std::string failed;
        m_client = OpenJackPort(m_clientName, portName, JackPortIsOutput, destination, &Process,
                                this, &m_port, &failed);
        if (!failed.empty()) m_errors.Fail(failed);
        return m_client != nullptr;
    }

    const std::string m_clientName;
    MidiErrors& m_errors;
    jack_ringbuffer_t* const m_ring;
    jack_client_t* m_client = nullptr;
    jack_port_t* m_port = nullptr;
};

} // namespace

std::unique_ptr<MidiOutput> NewMidiOutput(MidiSystem system, const std::string& clientName,
                                          MidiErrors& errors) {
    if (system == MidiSystem::kJack) return std::make_unique<JackMidiOutput>(clientName, errors);
    std::unique_ptr<RtMidiOut> client(NewMidiOut(system, clientName, &errors));
    if (!client) return nullptr;
    return std::make_unique<LibraryMidiOutput>(std::move(client));
}

} // namespace platform
