#pragma once

#include "tests/support/ChildProcess.h"

#include <memory>
#include <string>

namespace testsupport {

// A JACK server of the test's own (jackd from PATH, dummy driver, synchronous as scripts/test
// starts its own unless asked otherwise), named "zozown<pid><tag>", which the test stops and
// starts again as a user restarts JACK. While it lives, JACK_DEFAULT_SERVER names it for this
// process and the programs it starts; the name before comes back at the end. A test that makes one
// makes it before any JACK client, on the test's own thread: the server ends with the thread that
// started it. In a run without JACK (ZOZ_NO_JACK) none starts; one that does not start is a service
// the run lacks (Lacking("jack", …)), so a run that promised JACK fails the test. The own servers
// of every run on the machine share a few places, waited for half a minute at most.
class OwnJackServer {
public:
    // Not `synchronous`, it runs on past a late client, as jackd does by default: it tells every
    // client of the xrun and may drop the MIDI of the cycles that client missed.
    explicit OwnJackServer(const std::string& tag, bool synchronous = true);
    ~OwnJackServer();
    OwnJackServer(const OwnJackServer&) = delete;
    OwnJackServer& operator=(const OwnJackServer&) = delete;

    // Why it is not there, in jackd's own words when it said why ("" once it answers).
    const std::string& Missing() const { return m_missing; }
    // Ends it as a user does (SIGTERM), waiting until it has gone.
    void Stop();
    // Starts it (again) and waits until it answers, a few seconds at most.
    bool Start();
    // Holds it still (SIGSTOP), as a server that runs no cycle for a while, or lets it go on.
    void Hold(bool held);
    const std::string& Name() const { return m_name; }

private:
    std::string m_name;
    bool m_synchronous;
    std::string m_log; // what jackd printed, in the test's own home folder
    std::string m_before;
    bool m_hadBefore = false;
    std::string m_missing;
    int m_place = -1; // held, locked, while the server may run
    std::unique_ptr<ChildProcess> m_server;
};

} // namespace testsupport
