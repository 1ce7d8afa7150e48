#include "tests/support/OwnJackServer.h"

#include "tests/support/Services.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

namespace {

constexpr int kStartSeconds = 20;
// The places that the own servers of every test run on the machine share, beside JACK's registry
// of eight servers (a run that keeps a /dev/shm of its own has its own): with one per run (the
// ctest lock jack_own_server), two runs at once never wait, and the registry keeps room for more
// runs' shared servers and the user's.
constexpr int kPlaces = 2;
constexpr int kPlaceSeconds = 30;

std::string placeFile(int place) {
    return "/dev/shm/zoz-jack-server-place-" + std::to_string(place) + ".lock";
}

// A free place, held locked until the descriptor closes; -1 when none came free in time.
int takePlace() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kPlaceSeconds);
    do {
        for (int place = 0; place < kPlaces; ++place) {
            // Another user's file opens only to read, which the lock needs.
            const std::string file = placeFile(place);
            int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) fd = open(file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
            if (fd < 0) continue;
            if (flock(fd, LOCK_EX | LOCK_NB) == 0) return fd;
            close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return -1;
}

// What jackd prints at every start, whether or not it fails: never the reason.
const char* const kBanner[] = {"jackdmp ",
                               "Copyright ",
                               "This is free software",
                               "under certain conditions",
                               "JACK server starting in ",
                               "self-connect-mode is "};

// The lines of jackd's log that say why it did not start, wherever they stand.
std::string reasons(const std::string& log) {
    std::ifstream in(log);
    std::string said;
    int kept = 0;
    for (std::string line; kept < 10 && std::getline(in, line);) {
        const auto banner = [&](const char* start) { return line.rfind(start, 0) == 0; };
        if (line.empty() || std::any_of(std::begin(kBanner), std::end(kBanner), banner)) continue;
        said += (said.empty() ? " \"" : ", \"") + line + "\"";
        ++kept;
    }
    return said;
}

// A program of its own asks, under a client name no other run uses: a crash or a hang stays
// there, and libjack names a client's socket after the client alone, whatever its server.
bool answers(const std::string& server) {
    std::string out;
    return RunProgram(
               {"/bin/sh", "-c", "exec jack_wait -s \"$0\" -n \"${0}wait\" -c 2>/dev/null", server},
               &out, 5000) == 0 &&
           out == "running\n";
}

} // namespace

OwnJackServer::OwnJackServer(const std::string& tag, bool synchronous)
    : m_name("zozown" + std::to_string(getpid()) + tag), m_synchronous(synchronous) {
    const char* home = getenv("HOME");
    m_log = std::string(home && *home ? home : "/tmp") + "/" + m_name + ".log";
    const char* before = getenv("JACK_DEFAULT_SERVER");
    m_hadBefore = before != nullptr;
    if (before) m_before = before;
    setenv("JACK_DEFAULT_SERVER", m_name.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    const char* noJack = getenv("ZOZ_NO_JACK");
    if (noJack && *noJack) {
        m_missing = Lacking("jack", "no JACK server: the run is without JACK (ZOZ_NO_JACK)");
        return;
    }
    m_place = takePlace();
    if (m_place < 0) {
        m_missing = Lacking("jack", "no place for the JACK server " + m_name + " within " +
                                        std::to_string(kPlaceSeconds) + " s: other test runs' " +
                                        "own servers held all " + std::to_string(kPlaces) + " (" +
                                        placeFile(0) + " …)");
        return;
    }
    if (!Start()) m_missing = Lacking("jack", m_missing);
}

OwnJackServer::~OwnJackServer() {
    Stop();
    if (m_place >= 0) close(m_place);
    m_hadBefore ? setenv("JACK_DEFAULT_SERVER", m_before.c_str(), 1)
                : unsetenv("JACK_DEFAULT_SERVER");
}

void OwnJackServer::Stop() {
    if (!m_server) return;
    // A held server ends only once it goes on; killed, it would keep its place in the registry.
    m_server->Signal(SIGTERM);
    m_server->Signal(SIGCONT);
    std::string rest;
    m_server->Finish(&rest, 10000);
    m_server.reset();
}

void OwnJackServer::Hold(bool held) {
    if (m_server) m_server->Signal(held ? SIGSTOP : SIGCONT);
}

bool OwnJackServer::Start() {
    Stop();
    // Its lines go to a file: those of a late client would fill a pipe nobody reads and stall it.
    // It ends with the test's thread, should the test end without its destructor (a crash, the
    // watchdog): left running, it would keep its place in the registry.
    m_server = std::make_unique<ChildProcess>(std::vector<std::string>{
        "/bin/sh", "-c",
        "exec setpriv --pdeathsig TERM jackd -n \"$0\" $2 -t 2000 -d dummy -r 48000 -p 256 "
        ">\"$1\" 2>&1",
        m_name, m_log, m_synchronous ? "-S" : ""});
    // A loaded machine takes seconds to bring it up; one that ended has said why.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kStartSeconds);
    std::string why = "did not answer within " + std::to_string(kStartSeconds) + " s";
    while (std::chrono::steady_clock::now() < deadline) {
        if (!m_server->Running()) {
            why = "ended with status " + std::to_string(m_server->Finish(nullptr, 0));
            break;
        }
        if (answers(m_name)) {
            m_missing.clear();
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    const std::string said = reasons(m_log);
    m_missing = "the JACK server " + m_name + " (jackd) did not start: it " + why +
                (said.empty() ? "" : "; its log says" + said);
    return false;
}

} // namespace testsupport
