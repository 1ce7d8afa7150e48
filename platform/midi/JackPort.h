#pragma once

#include "platform/midi/MidiBackend.h"

#include <jack/jack.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

// Told on one of libjack's own threads, which the host's JACK clients share: it may only signal
// (post a semaphore, set an atomic), never lock, allocate or wait. jackd2's libjack may cancel
// that thread in the middle of it, and join it, from an open that holds our locks.
using JackNotice = void (*)(void* arg);

// While it lives, a write on this thread to a socket or pipe whose other end closed raises no
// SIGPIPE (the write fails), and the threads started meanwhile are kept from it for good.
class SigpipeBlocked {
public:
    SigpipeBlocked();
    ~SigpipeBlocked();
    SigpipeBlocked(const SigpipeBlocked&) = delete;
    SigpipeBlocked& operator=(const SigpipeBlocked&) = delete;

private:
    sigset_t m_mask;
    bool m_wasPending;
};

// A client of the JACK server. Once libjack tells any client of the process that its server
// ended, jackd2's frees every client of the process at the next client opened (by anyone), and
// closing one after that crashes; it tells each client on a thread of its own, some later than
// others, and it may free them before it has told them all. So our clients end together: the
// first told ends them all, and an open first closes every client of ours that has ended, and
// every one whose server is no longer the one it opened on (a new server may answer before the
// old one's end is told). One that libjack may have freed during an open (its server ended
// meanwhile) is let go, never closed. jack1's and PipeWire's libjack free no client behind our
// back; jack1's raises SIGPIPE on the thread that writes to a server that ended, which calls
// into libjack and libjack's threads for our clients are kept from. Every client of ours is
// opened and closed here, one open or close at a time.
// libjack's print functions are the process's (the host's) and stay in use, each call made with
// its thread's cancel deferred (jackd2's libjack cancels its threads wherever they are, and one
// cancelled inside stdio leaves stderr locked for good). jackd2's and jack1's libjack answer a
// missing server with lines through them, so they are asked only once the server's socket is
// there to take a client. What libjack still prints on its own: the lines of a server's end
// ("Cannot read socket fd …", "Server is not running") and those of a refused call.
class JackClient {
public:
    // Null when no server answers or it refused the client a few times. A name refused while a
    // client of that name runs on another server of the user is tried again numbered, "name-01"
    // …, as JACK numbers the clients of one name: that client opening at the same moment fails
    // ours (jackd2's libjack names the socket a client opens through by its name alone). Any
    // other refusal is tried again under the same name. `ended` is told once, when libjack tells
    // this client that its server ended.
    static std::unique_ptr<JackClient> Open(const std::string& name, JackNotice ended = nullptr,
                                            void* arg = nullptr);
    // Closes now every client of ours that has ended, while libjack still holds it.
    static void CloseEnded();
    // The process ends: no client opens from then on; waits for an open (which closes what it
    // got) or a close under way, as for a look under way; closes every client of ours whose
    // server runs, and from then on a close only lets it go.
    static void EndProcess();
    // After EndProcess, as the module unloads: gives back what the list of clients took when
    // no client of ours is left.
    static void ForgetAll();
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    // Whether its server ended, as any client of ours has learnt, or it was closed.
    bool Ended() const;
    // Held around every call into libjack with the client: it is not closed meanwhile, and a
    // server that ended raises no SIGPIPE. Get() is null once it has ended, or was closed or
    // let go.
    class Calls {
    public:
        explicit Calls(JackClient& client) : m_use(client.m_use) {}

    private:
        std::lock_guard<std::mutex> m_use;
        SigpipeBlocked m_pipe;
    };
    jack_client_t* Get() const { return Ended() ? nullptr : m_client; }
    // jack_activate, under Calls. jackd2's libjack ends a client's threads by cancelling them at
    // any point, and one cancelled while it printed (as when its server ends) holds the
    // process's stderr for good: its thread for the server's notices, which an activated client
    // is told on at once, is made to end only where it may.
    int Activate();
    // The name the server knows it by, and why that is not the one asked for ("" when it is).
    const std::string& Name() const { return m_name; }
    const std::string& Renamed() const { return m_renamed; }

    // What libjack's notice of the server's end is given: kept while libjack may still tell it.
    struct Told {
        JackNotice notice;
        void* arg;
        std::atomic<bool> told{false};
    };

private:
    // The server's socket, and which of its servers answered there when the client opened.
    struct Server {
        std::string socket;
        uint64_t instance = 0;
    };

    JackClient(JackNotice ended, void* arg);
    static void onShutdown(jack_status_t, const char*, void* told);
    // Ends every client of ours opened so far; lock-free, for libjack's thread.
    static void endAll();
    // Under the turn of opens and closes, alone.
    static void closeEndedAlone();
    // A client whose server ended is closed once libjack told it so, or a while after: until
    // then libjack's thread may be printing the end, and closing cancels that thread, which
    // left in the middle of a print holds the process's stderr for good.
    void closeNow(std::chrono::steady_clock::time_point toldBy);
    // Forgets the client without closing it: libjack may have freed it, or may still tell it.
    void letGo();

    std::unique_ptr<Told> m_told;
    std::mutex m_use;
    uint64_t m_serial = 0;
    Server m_server;
    jack_client_t* m_client = nullptr;
    std::string m_name;
    std::string m_renamed;
};

// One MIDI port (flags: JackPortIsInput or JackPortIsOutput) on a client of its own, running
// `process`. libjack's own thread walks a client's list of ports unguarded whenever the server
// reports latencies, so a port is never registered or unregistered on an active client: each
// open makes a client, registers the port before the client runs, and the port goes with its
// client.
class JackPort {
public:
    // `changed` is told (on libjack's threads, its process thread too) when what the port
    // reaches may have changed: its peer or server went, or a connection of the port changed.
    JackPort(std::string clientName, unsigned long flags, JackProcessCallback process, void* arg,
             JackNotice changed = nullptr, void* changedArg = nullptr)
        : m_clientName(std::move(clientName)), m_flags(flags), m_process(process), m_arg(arg),
          m_changed(changed), m_changedArg(changedArg) {}
    ~JackPort() { Close(); }
    JackPort(const JackPort&) = delete;
    JackPort& operator=(const JackPort&) = delete;

    // Opens the port as portName, connected to the port named `peer` unless that is empty,
    // closing it first. False when anything fails, told to `errors` as a failure (nothing is
    // told when only the peer is not there); a client that took a name other than the one asked
    // for is told as news, with why. The port is set before `process` first runs.
    bool Open(const std::string& peer, const std::string& portName, MidiErrors& errors);
    // `process` has run for the last time when this returns.
    void Close();
    bool IsOpen() const { return m_client != nullptr; }
    // What the port takes or gives reaches: its peer while connected to it (a port opened to no
    // peer, whoever connects), and nothing once its server ended, its peer went (even if a port
    // of that name is back) or the server never ran its client. Why not, in *why.
    PortLink Link(std::string* why);
    // The server's cycles that have run the port's client since it opened.
    uint64_t Cycles() const { return m_cycles.load(std::memory_order_acquire); }
    // The xruns its server told the port's clients of since the port was made, and when it
    // told the last (steady clock, ns; 0 before any): a client ran late, and the server may
    // have dropped the MIDI of the cycles it missed. One is told a little after the cycle it
    // began in, on libjack's thread, and often only once for a client late for several cycles.
    uint64_t Xruns() const { return m_xruns.load(std::memory_order_acquire); }
    int64_t LastXrunNs() const { return m_lastXrunNs.load(std::memory_order_acquire); }
    // The length of one of the server's cycles in seconds; 0 when the port is not open.
    double CycleSeconds();
    // The open port, for `process`.
    jack_port_t* Port() const { return m_port; }
    // The name its client took, or the one it asks for while closed.
    const std::string& ClientName() const;

private:
    // Registers the port on the client and runs it, connected to the peer; why not, else "".
    std::string start(JackClient& client, const std::string& peer, const std::string& portName);
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
    jack_port_t* m_port = nullptr;
    std::string m_peer;
    // The server's notices say only when to look again: whether the port is connected to its
    // peer is read from the graph, by the peer's name, at the cycle from which the graph shows
    // the change (`m_settled`; `changed` is told then), and kept until the next such read
    // (`m_readFor`, 0 before the first). Only a notice tells that the peer went, even if a port
    // of its name came back at once: the port's and the peer's numbers, and whether it went.
    uint32_t m_ownId = 0;
    std::atomic<uint32_t> m_peerId{0};
    std::atomic<bool> m_peerGone{false};
    std::atomic<uint64_t> m_settled{0};
    std::atomic<uint64_t> m_readFor{0};
    std::atomic<bool> m_connected{false};
    std::atomic<uint64_t> m_cycles{0};
    std::atomic<uint64_t> m_xruns{0};
    std::atomic<int64_t> m_lastXrunNs{0};
    // When this one's client was activated, and the cycles every port of ours had run then.
    std::chrono::steady_clock::time_point m_startedAt;
    uint64_t m_othersAtStart = 0;
};

} // namespace platform
