#include "platform/midi/MidiOutput.h"

#include "platform/midi/JackPort.h"

#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace platform {

namespace {

class LibraryMidiOutput final : public MidiOutput {
public:
    LibraryMidiOutput(std::unique_ptr<RtMidiOut> client, std::string clientName)
        : m_client(std::move(client)), m_clientName(std::move(clientName)) {}
    bool Open(const std::string& destination, const std::string& portName) override {
        return OpenMidiPort(*m_client, destination, portName);
    }
    bool OpenVirtual(const std::string& portName) override {
        OpenVirtualMidiPort(*m_client, portName);
        return true;
    }
    void Close() override { m_client->closePort(); }
    bool Send(const unsigned char* bytes, size_t size) override {
        m_client->sendMessage(bytes, size);
        return true;
    }
    std::string ClientName() const override { return m_clientName; }

private:
    const std::unique_ptr<RtMidiOut> m_client;
    const std::string m_clientName;
};

// JACK's own MIDI output, its port on a client of its own. Sends queue whole messages, each a
// header and its bytes, in a ring that the process callback empties into the cycle's events.
// A send fails at once when nothing would take it: the server ended, or the peer the port was
// opened to went or is not connected.
class JackMidiOutput final : public MidiOutput {
public:
    // Room for a whole dump of the largest kind the plug-in sends, several times over.
    static constexpr size_t kRingBytes = 1 << 16;
    static constexpr int kWaitMs = 1000;
    // What the ring holds at a close passes in a cycle or two; a server that runs none in this
    // many cycles' time (and a little more for a loaded machine) keeps the rest.
    static constexpr int kDrainCycles = 4;
    static constexpr double kDrainSlackSeconds = 0.1;

    JackMidiOutput(std::string clientName, MidiErrors& errors, MidiPortWatch* watch)
        : m_ring(jack_ringbuffer_create(kRingBytes)),
          m_port(std::move(clientName), JackPortIsOutput, &Process, this,
                 watch ? &MidiPortWatch::Notice : nullptr, watch),
          m_errors(errors) {}
    ~JackMidiOutput() override {
        Close();
        jack_ringbuffer_free(m_ring);
    }
    JackMidiOutput(const JackMidiOutput&) = delete;
    JackMidiOutput& operator=(const JackMidiOutput&) = delete;

    bool Open(const std::string& destination, const std::string& portName) override {
        // Stored ports open on the host's thread as it makes an instance: the whole start, the
        // old port's close included, waits once.
        const JackClient::Until until = std::chrono::steady_clock::now() + JackClient::kStartWait;
        close(until);
        m_taking = true;
        return m_port.Open(destination, portName, m_errors, until);
    }
    bool OpenVirtual(const std::string& portName) override { return Open("", portName); }
    void Close() override { close(std::chrono::steady_clock::now() + JackClient::kStopWait); }
    void close(JackClient::Until until) {
        drain();
        const bool wasOpen = m_port.IsOpen();
        const std::string client = m_port.ClientName();
        m_port.Close(until);
        // Nothing reads the ring now; what a stalled server did not take goes with it.
        const size_t left = countQueued();
        if (wasOpen && left > 0)
            m_errors.Tell(std::to_string(left) + " messages were not sent: JACK did not take " +
                          "them from \"" + client + "\" before it closed");
        jack_ringbuffer_reset(m_ring);
        m_queued = false;
        m_departures.Abandon(m_queuedCount);
    }
    bool Send(const unsigned char* bytes, size_t size) override {
        const uint32_t length = uint32_t(size);
        const size_t needed = sizeof(Header) + size;
        if (!m_port.IsOpen() || size == 0 || needed >= kRingBytes) return false;
        std::string why;
        if (!reaches(&why)) {
            m_errors.Fail("a message was not sent: " + why);
            return false;
        }
        // A server that runs no cycle for a second takes nothing: the send fails, never hangs.
        for (int waited = 0; jack_ringbuffer_write_space(m_ring) < needed; ++waited) {
            if (waited == kWaitMs) {
                m_errors.Fail("JACK took no MIDI from \"" + m_port.ClientName() +
                              "\" for a second: a message was not sent");
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const Header header{length, nowNs()};
        jack_ringbuffer_write(m_ring, reinterpret_cast<const char*>(&header), sizeof header);
        jack_ringbuffer_write(m_ring, reinterpret_cast<const char*>(bytes), size);
        ++m_queuedCount;
        return true;
    }
    PortLink Link(std::string* why) override { return m_port.Link(why); }
    uint64_t Queued() override { return m_queuedCount; }
    MidiDelivery Delivery(uint64_t message) override {
        return m_departures.Judge(message, nowNs(), m_port.Cycles(), m_port.XrunsTold());
    }
    int64_t XrunShadowNs() override {
        return MidiDepartures::ShadowNs(nowNs(), m_port.PeriodNs(), m_port.XrunsTold());
    }
    std::string ClientName() const override { return m_port.ClientName(); }

private:
    bool reaches(std::string* why) {
        const PortLink link = m_port.Link(why);
        return link == PortLink::kReaches || link == PortLink::kPending;
    }
    // The messages in the ring, once nothing reads it.
    size_t countQueued() {
        size_t count = 0;
        Header header;
        while (jack_ringbuffer_read(m_ring, reinterpret_cast<char*>(&header), sizeof header) ==
               sizeof header) {
            jack_ringbuffer_read_advance(m_ring, header.length);
            ++count;
        }
        return count;
    }

    // Waits out the cycle after the one that took the ring's last message, so that the peer has
    // read it before the client goes. What the ring still holds after a few cycles stays there,
    // and the cycle under way, which may have taken a message, ends first: a message either
    // reaches the peer or is told as not sent.
    void drain() {
        std::string why;
        if (!reaches(&why)) return;
        // The cycle that emptied the ring may not have counted itself yet: one more.
        uint64_t emptied = 0;
        bool empty = false;
        const auto drained = [&] {
            if (!empty && jack_ringbuffer_read_space(m_ring) == 0) {
                empty = true;
                emptied = m_port.Cycles();
            }
            return empty && m_port.Cycles() >= emptied + 2;
        };
        if (waitCycles(kDrainCycles, drained)) return;
        m_taking = false;
        empty = true;
        emptied = m_port.Cycles();
        waitCycles(2, drained);
    }

    // Waits until `done`, for that many of the server's cycles at most (and some slack).
    template <class Done>
    bool waitCycles(int cycles, const Done& done) {
        const auto bound = std::chrono::duration<double>(cycles * m_port.CycleSeconds() +
                                                         kDrainSlackSeconds);
        for (const auto start = std::chrono::steady_clock::now();
             std::chrono::steady_clock::now() - start < bound;
             std::this_thread::sleep_for(std::chrono::milliseconds(1)))
            if (done()) return true;
        return false;
    }

    struct Header {
        uint32_t length;
        int64_t sentNs;
    };

    static int64_t nowNs() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    // On the server's process thread, which must never wait, allocate or take a lock. A message
    // is taken only once all its bytes are in the ring; one that not even an empty cycle could
    // hold is dropped rather than holding back the rest. A message that finds nothing queued
    // before it goes at once; one queued behind others keeps the spacing it was sent with, as
    // its sender paced it for the cable and the synthesizer: after cycles the server ran late
    // or not at all, the ring holds what was sent meanwhile, and handing it over in one cycle
    // would overrun the interface's buffer behind the port.
    static int Process(jack_nframes_t frames, void* self) {
        auto* output = static_cast<JackMidiOutput*>(self);
        void* events = jack_port_get_buffer(output->m_port.Port(), frames);
        // jack1's library gives none once its server ended, and may run a cycle after.
        if (!events) return 0;
        jack_midi_clear_buffer(events);
        if (!output->m_taking.load(std::memory_order_acquire)) return 0;
        jack_ringbuffer_t* ring = output->m_ring;
        const int64_t now = nowNs();
        const int64_t period = output->m_port.PeriodNs();
        bool overdue = false;
        Header header;
        while (jack_ringbuffer_peek(ring, reinterpret_cast<char*>(&header), sizeof header) ==
                   sizeof header &&
               jack_ringbuffer_read_space(ring) >= sizeof header + header.length) {
            const int64_t due =
                output->m_queued ? output->m_lastGone + (header.sentNs - output->m_lastSent) : now;
            // Due before the next cycle: now, or it would wait a whole cycle.
            if (due >= now + period) break;
            jack_midi_data_t* event = jack_midi_event_reserve(events, 0, header.length);
            if (!event && jack_midi_get_event_count(events) > 0) {
                overdue = true;
                break;
            }
            jack_ringbuffer_read_advance(ring, sizeof header);
            if (event)
                jack_ringbuffer_read(ring, reinterpret_cast<char*>(event), header.length);
            else
                jack_ringbuffer_read_advance(ring, header.length);
            output->m_departures.Went(event != nullptr, now, period);
            // Not before the last cycle: time the port could not use is not made up in a burst.
            output->m_lastGone = std::max(due, output->m_lastCycle);
            output->m_lastSent = header.sentNs;
            output->m_queued = true;
        }
        output->m_departures.Passed(overdue, output->m_port.Cycles());
        output->m_queued = jack_ringbuffer_read_space(ring) > 0;
        output->m_lastCycle = now;
        return 0;
    }

    jack_ringbuffer_t* const m_ring;
    // The messages queued, and what became of them.
    uint64_t m_queuedCount = 0;
    MidiDepartures m_departures;
    // Whether the process callback takes messages from the ring: not once a close gave up waiting.
    std::atomic<bool> m_taking{true};
    // The process callback's own: whether a message was still queued at its last cycle's end,
    // when the last message went and was sent, and when the last cycle ran.
    bool m_queued = false;
    int64_t m_lastGone = 0;
    int64_t m_lastSent = 0;
    int64_t m_lastCycle = 0;
    JackPort m_port;
    MidiErrors& m_errors;
};

} // namespace

std::unique_ptr<MidiOutput> NewMidiOutput(MidiSystem system, const std::string& clientName,
                                          MidiErrors& errors, MidiPortWatch* watch) {
    if (system == MidiSystem::kJack)
        return std::make_unique<JackMidiOutput>(clientName, errors, watch);
    std::unique_ptr<RtMidiOut> client(NewMidiOut(system, clientName, &errors));
    if (!client) return nullptr;
    return std::make_unique<LibraryMidiOutput>(std::move(client), clientName);
}

} // namespace platform
