#pragma once

// Our JACK clients, whichever plug-in or thread made them.
//
// The JACK layer's thread (JackLayer) makes every call into libjack that starts or stops a
// client (open, activate, close) and every read of the graph for what our ports reach: jack1's
// jack_activate breaks when two run at once, jackd2's libjack frees the process's clients during
// an open, and a read of the graph takes locks of PipeWire's and jack1's libjack (and on jackd2
// may wait for the server's next cycle) that no process thread may wait for. A start (a
// client's open and activation together) is waited for until the deadline its caller set,
// kStartWait from its beginning (a server waits seconds for a client that is late to answer
// it), a stop kStopWait; one that libjack has not ended by then fails its caller (an open gives
// no client, and tells its caller nothing after; a close leaves the client to the layer). From
// the first open on a server that answers, the module stays loaded: libjack may call into it
// (its print functions, the handlers of a client whose close never returned) after the host
// unloaded it. Calls into libjack block SIGPIPE: jack1's libjack writes to a server that ended.
//
// A client's states, and who may hand it to libjack in each:
//
//   live    opened, its server still the one it opened on: its owner (under Calls) and the
//           layer (activation, graph reads, its close)
//   ended   its server's end was heard (libjack told a client of ours so, or said that it
//           frees such clients) or inferred (the layer found another server, or none, at the
//           socket the client opened on): nobody, Get() is null
//   closed  by the layer, live, or ended on jack1's or PipeWire's libjack (which leave such a
//           client to us) once libjack told it so or kToldTime after the end
//   let go  ended on jackd2's libjack, or at the process's end: never handed to libjack again
//
// Clients of one server end together: once an end is heard or inferred, every client of ours
// opened so far has ended (libjack tells each client on a thread of its own, some later than
// others, and some not at all). jackd2's libjack frees every client of an ended server at the
// next jack_client_open of any thread in the process, the host's too, which we cannot order:
// also a client whose own thread has not yet read the end, which is then never told. So:
// - Before every close, and at the process's end, the layer judges whether the client's server
//   is still the one it opened on (a jackd2 server is told apart by its socket's inode): no
//   close rests on a notice, nor on the print hook that a host may replace (JackPrints).
// - After an end, the layer opens nothing, whoever asks (ports, the port watch, the menus' port
//   lists), until the server is back (its socket listens, seen without connecting) and
//   kEndGrace has passed since the end was heard or inferred: the host's own clients hear of the
//   end before an open of ours can free them. kEndGrace is measured: how late a host client's
//   shutdown handler ran after the first of six clients of ours in its process, that process
//   and jackd (and in 30 of the runs two simulators) held to two cores that two busy loops kept
//   busy, over 70 ends (SIGTERM and SIGKILL in turn): 21 ms at most, under 0.3 ms at the median;
//   500 ms is over twenty times the most. A host that closes its dead client long after it was
//   told (past the grace, when any open, its own or a plug-in's, may have freed it) is beyond
//   any plug-in's reach on jackd2's libjack.
// - libjack cancels the threads of a client it frees wherever they are, and one cancelled inside
//   its handling of its server's end leaves a lock of the whole libjack taken for good, so that
//   every later open and close waits forever: our open first waits until the threads that told
//   our clients of the end have ended (kToldTime after the client was let go at most).
// - A let-go client's record is kept until libjack freed it and the thread that told it of the
//   end has ended; one never told stays (libjack may have left a thread of it running).
// jack1's and PipeWire's libjack leave an ended client to us: it is closed once libjack told it
// so (or kToldTime after the end). Once the process ends, a close only lets the client go.
//
// Threads and locks:
//   Open, CloseEnded, EndProcess   any thread but libjack's and the layer's; wait for the layer
//                                  until their deadline
//   Close, the destructor          the owner's, not under Calls; wait for the layer until the
//                                  deadline given (the destructor's: kStopWait)
//   Activate                       the owner's, not under Calls; waits until its deadline
//   Calls and what it guards       the owner's; the client's own lock, which no close of
//                                  libjack's is waited for under
//   AskRead                        libjack's process thread: no lock, allocation or wait
//   Ended, Name, Renamed           any thread; no lock
//   the owner's handlers, notice   libjack's threads (the notice also the layer's), only until
//                                  the close begins, which waits for one under way

#include <jack/jack.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

// Told on one of libjack's own threads, which the host's JACK clients share: it may only signal
// (post a semaphore, set an atomic), never lock, allocate or wait.
using JackNotice = void (*)(void* arg);

// While it lives, a write on this thread to a socket or pipe whose other end closed raises no
// SIGPIPE (the write fails).
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

class JackClient {
public:
    static constexpr auto kStartWait = std::chrono::seconds(20);
    static constexpr auto kStopWait = std::chrono::seconds(3);
    static constexpr auto kToldTime = std::chrono::seconds(2);
    static constexpr auto kEndGrace = std::chrono::milliseconds(500);
    using Until = std::chrono::steady_clock::time_point;
    struct Record;

    // Null when no server answers (after an end, none is back), it refused the client a few
    // times, or the layer's thread did not answer by `until`. A name refused while a client of
    // that name runs on another server of the user is tried again numbered, "name-01" …, as JACK
    // numbers the clients of one name; any other refusal is tried again under the same name.
    // `notice` is told (on libjack's thread, or the layer's) when the server ended and after each
    // read of the graph.
    static std::unique_ptr<JackClient> Open(const std::string& name, Until until,
                                            JackNotice notice = nullptr, void* arg = nullptr);
    // Closes every client of ours that has ended, as the rule above allows, or lets it go.
    static void CloseEnded();
    // The process ends: no client opens from then on; closes every client of ours whose server
    // runs, and from then on a close only lets it go.
    static void EndProcess();
    // Closes the client as the rule above allows, or lets it go, waiting until `until` at most.
    void Close(Until until);
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    // Whether its server ended, as any client of ours has learnt.
    bool Ended() const;
    // Held around every call into libjack with the client: it is not closed meanwhile, and a
    // server that ended raises no SIGPIPE.
    class Calls {
    public:
        explicit Calls(JackClient& client);

    private:
        std::lock_guard<std::mutex> m_use;
        SigpipeBlocked m_pipe;
    };
    // Null once it has ended.
    jack_client_t* Get() const;
    // The owner's handlers, set under Calls before Activate; `process` runs on libjack's process
    // thread. False when libjack refused one.
    bool SetProcess(JackProcessCallback process, void* arg);
    bool SetPortRegistration(JackPortRegistrationCallback registration, void* arg);
    bool SetPortConnect(JackPortConnectCallback connect, void* arg);
    bool SetXrun(JackXRunCallback xrun, void* arg);
    // What the layer's thread runs when asked to read the graph, then telling the notice. It may
    // run while and after the owner closes the client: it holds only what it was given.
    void SetRead(std::function<void()> read);
    // Asks for a read soon; never waits, locks or allocates (the process thread asks).
    void AskRead();
    // jack_activate on the layer's thread, waited for until `until`; not once the client ended.
    int Activate(Until until);
    // The name the server knows it by, and why that is not the one asked for ("" when it is).
    const std::string& Name() const;
    const std::string& Renamed() const;

private:
    explicit JackClient(std::shared_ptr<Record> record);

    std::shared_ptr<Record> m_record;
    bool m_closed = false;
};

} // namespace platform
