#include "tests/e2e/Session.h"

#include "tests/support/MidiSystem.h"
#include "tests/support/XHostWindow.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

int64_t nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The window zoz-host shows the editor in is named after the plug-in; the view moves a click
// 2 pixels left and 3 up.
constexpr const char* kWindowName = "^Zoz Editor$";
constexpr int kClickDx = 2, kClickDy = 3;

} // namespace

std::string Session::Missing() {
    const std::string midi = testsupport::MidiSystemMissing();
    if (!midi.empty()) return midi;
    if (!getenv("DISPLAY") || !*getenv("DISPLAY"))
        return "no X display (scripts/test starts Xvfb)";
    return "";
}

Session::Session(const std::string& tag, const Options& o) {
    const std::string client = "zozq" + std::to_string(getpid()) + tag;
    m_synth = std::make_unique<testsupport::QsimProcess>(client, o.synth);
    std::ofstream(m_data.path() + "/Zoz Editor UI.txt")
        << "yellow\nnormal\nyes\n" << m_synth->InPort() << "\n" << m_synth->OutPort();
    fs::create_directories(m_data.path() + "/Patches");
    for (const char* file : {"uiconfig.tea", "sysex.tea"})
        fs::copy_file(fs::path(o.configuration) / file, fs::path(m_resources.path()) / file);
    fs::create_directory_symlink(ZOZ_IMAGES, m_resources.path() + "/img");
}

Session::~Session() {
    if (m_host) m_host->Finish(nullptr, 10000);
}

void Session::AddBank(const std::string& name, const std::vector<testsupport::Dump>& dumps) {
    testsupport::writeFile(m_data.path() + "/Patches/" + name, testsupport::rawBankFile(dumps));
}

bool Session::StartHost(const std::string& module, const std::vector<std::string>& commands) {
    std::vector<std::string> argv = {ZOZ_HOST_PATH, module};
    argv.insert(argv.end(), commands.begin(), commands.end());
    m_host = std::make_unique<testsupport::ChildProcess>(
        argv, std::vector<std::string>{"ZOZ_DATA_DIR=" + m_data.path() + "/",
                                       "ZOZ_RESOURCES_DIR=" + m_resources.path() + "/",
                                       "ZOZ_MIDI_API=jack"});
    return m_host->Started();
}

bool Session::WaitForHost(const std::string& prefix, int timeoutMs, std::string* found) {
    const int64_t deadline = nowMs() + timeoutMs;
    std::string line;
    while (m_host && m_host->ReadLine(&line, int(deadline - nowMs()))) {
        m_hostLines.push_back(line);
        if (line.compare(0, prefix.size(), prefix) != 0) continue;
        if (found) *found = line;
        return true;
    }
    return false;
}

bool Session::NextCommand() {
    return m_host && m_host->WriteLine("");
}

bool Session::QuitHost() {
    return m_host && m_host->Signal(SIGTERM);
}

int Session::FinishHost(int timeoutMs) {
    if (!m_host) return -1;
    std::string rest;
    const int status = m_host->Finish(&rest, timeoutMs);
    for (size_t start = 0; start < rest.size();) {
        const size_t end = std::min(rest.find('\n', start), rest.size());
        m_hostLines.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    m_host.reset();
    return status;
}

bool Session::editorWindow() {
    if (!m_window.empty()) return true;
    std::string out;
    testsupport::WaitUntil([&] {
        return testsupport::RunProgram({"/usr/bin/xdotool", "search", "--name", kWindowName},
                                       &out) == 0 &&
               !out.empty();
    });
    m_window = out.substr(0, out.find('\n'));
    return !m_window.empty();
}

bool Session::pointer(int x, int y) {
    return editorWindow() &&
           testsupport::Xdotool({"mousemove", "--window", m_window, std::to_string(x + kClickDx),
                                 std::to_string(y + kClickDy)}) == 0;
}

bool Session::Click(int x, int y, int button) {
    return pointer(x, y) && testsupport::Xdotool({"click", std::to_string(button)}) == 0;
}

bool Session::Drag(int x, int y, int dy) {
    return pointer(x, y) && testsupport::Xdotool({"mousedown", "1"}) == 0 &&
           testsupport::Xdotool({"mousemove_relative", "--", "0", std::to_string(dy)}) == 0 &&
           testsupport::Xdotool({"mouseup", "1"}) == 0;
}
