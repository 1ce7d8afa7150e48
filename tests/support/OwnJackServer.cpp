#include "tests/support/OwnJackServer.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace testsupport {

namespace {

const char* const kJackd = "/usr/bin/jackd";

} // namespace

OwnJackServer::OwnJackServer(const std::string& tag)
    : m_name("zozown" + std::to_string(getpid()) + tag) {
    const char* before = getenv("JACK_DEFAULT_SERVER");
    m_hadBefore = before != nullptr;
    if (before) m_before = before;
    setenv("JACK_DEFAULT_SERVER", m_name.c_str(), 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    if (!std::filesystem::exists(kJackd))
        m_missing = "jackd is not installed";
    else if (!Start())
        m_missing = "the JACK server " + m_name + " did not start";
}

OwnJackServer::~OwnJackServer() {
    Stop();
    m_hadBefore ? setenv("JACK_DEFAULT_SERVER", m_before.c_str(), 1)
                : unsetenv("JACK_DEFAULT_SERVER");
}

void OwnJackServer::Stop() {
    if (!m_server) return;
    m_server->Signal(SIGTERM);
    std::string rest;
    m_server->Finish(&rest, 10000);
    m_server.reset();
}

void OwnJackServer::Hold(bool held) {
    if (m_server) m_server->Signal(held ? SIGSTOP : SIGCONT);
}

bool OwnJackServer::Start() {
    Stop();
    // Its lines (a late client's) would fill a pipe nobody reads and stall it.
    m_server = std::make_unique<ChildProcess>(std::vector<std::string>{
        "/bin/sh", "-c",
        std::string("exec ") + kJackd + " -n " + m_name +
            " -S -t 2000 -d dummy -r 48000 -p 256 >/dev/null 2>&1"});
    // Its socket answers once it takes clients; a loaded machine takes seconds.
    const std::string lsp = "/usr/bin/jack_lsp";
    for (int i = 0; i < 300; ++i) {
        std::string out;
        if (RunProgram({lsp, "-s", m_name}, &out, 5000) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

} // namespace testsupport
