#pragma once

// One MIDI port of ours on JACK, on a client of its own, and what it reaches.
// Its owner's thread opens, closes, sends through and asks it (one thread at a time, as the
// owner's lock has it). libjack's process thread runs `process` and counts the cycles: it never
// waits, locks or allocates, and asks the JACK layer's thread to read the graph (see JackClient)
// rather than read it itself. libjack's thread for the server's notices tells what changed.

#include "platform/midi/JackClient.h"
#include "platform/midi/MidiBackend.h"
#include "platform/midi/MidiDelivery.h"

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// libjack's own thread walks a client's list of ports unguarded whenever the server reports
// latencies, so a port is never registered or unregistered on an active client: each open makes
// a client, registers the port before the client runs, and the port goes with its client.
class JackPort {
public:
    // `changed` is told (on libjack's threads, or the layer's) when what the port reaches may
    // have changed: its peer or server went, or a connection of the port changed.
    JackPort(std::string clientName, unsigned long flags, JackProcessCallback process, void* arg,
             JackNotice changed = nullptr, void* changedArg = nullptr);
    ~JackPort() { Close(); }
    JackPort(const JackPort&) = delete;
    JackPort& operator=(const JackPort&) = delete;

    // Opens the port as portName, connected to the port named `peer` unless that is empty,
    // closing it first. False when anything fails, told to `errors` as a failure (nothing is
    // told when only the peer is not there); a client that took a name other than the one asked
    // for is told as news, with why. The port is set before `process` first runs.
    // The whole start, the close of the port open before included, ends by `until`.
    bool Open(const std::string& peer, const std::string& portName, MidiErrors& errors,
              JackClient::Until until);
    // `process` has run for the last time when this returns; waits until `until` at most.
    void Close(JackClient::Until until);
    void Close() { Close(std::chrono::steady_clock::now() + JackClient::kStopWait); }
    bool IsOpen() const { return m_client != nullptr; }
    // What the port takes or gives reaches: its peer while connected to it (a port opened to no
    // peer, whoever connects), and nothing once its server ended, its peer went (even if a port
    // of that name is back) or the server never ran its client. Why not, in *why.
    PortLink Link(std::string* why);
    // The server's cycles that have run the port's client since it opened.
    uint64_t Cycles() const { return m_cycles.load(std::memory_order_acquire); }
    // The xruns its server told the port's clients of since the port was made: a client ran
    // late, and the server may have dropped the MIDI of the cycles it missed. One is told a
    // little after the cycle it began in, on libjack's thread, and often only once for a
    // client late for several cycles.
    uint64_t Xruns() const { return m_xruns.Count(); }
    // When the last of them were told.
    const XrunNotices& XrunsTold() const { return m_xruns; }
    // The length of the cycle the server runs now, in ns, as its last cycle had it (a
    // PipeWire quantum changes with no notice); 0 before the first. Any thread.
    int64_t PeriodNs() const { return m_periodNs.load(std::memory_order_acquire); }
    // The length of one of the server's cycles in seconds; 0 when the port is not open.
    double CycleSeconds();
    // The open port, for `process`.
    jack_port_t* Port() const { return m_port; }
    // The name its client took, or the one it asks for while closed.
    const std::string& ClientName() const;

private:
    struct Graph;

    // Registers the port on the client and sets its handlers; connects it to the peer once the
    // client runs. Why not, else "".
    std::string prepare(JackClient& client, const std::string& peer, const std::string& portName);
    std::string connect(JackClient& client);
    static int run(jack_nframes_t frames, void* self);
    static void onRegistration(jack_port_id_t id, int registered, void* self);
    static void onConnect(jack_port_id_t a, jack_port_id_t b, int connected, void* self);
    static int onXrun(void* self);

    const std::string m_clientName;
    const unsigned long m_flags;
    const JackProcessCallback m_process;
    void* const m_arg;
    const JackNotice m_changed;
    void* const m_changedArg;
    std::unique_ptr<JackClient> m_client;
    // The client that runs `process`, from before it runs: m_client once the open succeeded.
    JackClient* m_runner = nullptr;
    jack_port_t* m_port = nullptr;
    // What the layer's thread reads, shared with it: it may read while the port closes.
    std::shared_ptr<Graph> m_graph;
    // The server's notices say only when to look again: whether the port is connected to its
    // peer is read from the graph, by the peer's name, from the cycle on which the graph shows
    // the change (`m_settled`), and kept until the next such read. Only a notice tells that the
    // peer went, even if a port of its name came back at once: the port's and the peer's numbers.
    uint32_t m_ownId = 0;
    std::atomic<uint32_t> m_peerId{0};
    std::atomic<uint64_t> m_settled{0};
    std::atomic<uint64_t> m_asked{0};
    std::atomic<uint64_t> m_cycles{0};
    XrunNotices m_xruns;
    jack_nframes_t m_rate = 0;
    std::atomic<int64_t> m_periodNs{0};
    // When this one's client was activated, and the cycles every port of ours had run then.
    std::chrono::steady_clock::time_point m_startedAt;
    uint64_t m_othersAtStart = 0;
};

} // namespace platform
