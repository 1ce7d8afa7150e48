#include "tests/e2e/Session.h"

#include "tests/support/MidiSystem.h"
#include "tests/support/Services.h"
#include "tests/support/XHostWindow.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// The window zoz-host shows the editor in is named after the plug-in; the view moves a click
// 2 pixels left and 3 up.
constexpr const char* kWindowName = "^Zoz Editor$";
constexpr int kClickDx = 2, kClickDy = 3;

// The editor draws its menus in windows of their own: rows 20 pixels high, separators 9, the
// first row 4 below the menu's top, the menu 4 below its control and a submenu right of its
// parent's border with its first row level with the parent's row. The editor sits at the
// display's top left corner.
constexpr int kMenuPad = 4, kMenuGap = 4, kRowHeight = 20, kSeparatorHeight = 9;
constexpr unsigned long kMenuBorder = 0x808080;

int rowTop(const Session::MenuRow& r) {
    return kMenuPad + (r.index - r.separatorsAbove) * kRowHeight +
           r.separatorsAbove * kSeparatorHeight;
}

// What the display shows of a row from `left` on, at most `width` pixels, as 0xRRGGBB.
std::vector<unsigned long> screenRow(int left, int y, int width) {
    std::vector<unsigned long> row;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return row;
    width = std::min(width, DisplayWidth(display, DefaultScreen(display)) - left);
    if (XImage* image = XGetImage(display, DefaultRootWindow(display), left, y, unsigned(width),
                                  1, AllPlanes, ZPixmap)) {
        for (int x = 0; x < width; ++x)
            row.push_back(XGetPixel(image, x, 0) & 0xFFFFFF);
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return row;
}

// The first x from `left` on where the display shows the menus' border colour at y; -1 when
// none within width.
int borderAt(int left, int y, int width) {
    const std::vector<unsigned long> row = screenRow(left, y, width);
    const auto border = std::find(row.begin(), row.end(), kMenuBorder);
    return border == row.end() ? -1 : left + int(border - row.begin());
}

} // namespace

std::string Session::Missing() {
    const std::string midi = testsupport::MidiSystemMissing();
    if (!midi.empty()) return midi;
    if (!getenv("DISPLAY") || !*getenv("DISPLAY"))
        return testsupport::Lacking("display", "no X display (scripts/test starts Xvfb)");
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
    if (m_host) m_hostOutput->Finish(10000);
}

void Session::AddBank(const std::string& name, const std::vector<testsupport::Dump>& dumps) {
    testsupport::writeFile(m_data.path() + "/Patches/" + name, testsupport::rawBankFile(dumps));
}

bool Session::StartHost(const std::string& module, const std::vector<std::string>& commands) {
    std::vector<std::string> argv = {ZOZ_HOST_PATH, module};
    argv.insert(argv.end(), commands.begin(), commands.end());
    m_hostOutput.reset();
    m_host = std::make_unique<testsupport::ChildProcess>(
        argv, std::vector<std::string>{"ZOZ_DATA_DIR=" + m_data.path() + "/",
                                       "ZOZ_RESOURCES_DIR=" + m_resources.path() + "/",
                                       "ZOZ_MIDI_API=jack"});
    m_hostOutput = std::make_unique<testsupport::OutputLines>(*m_host);
    m_hostNext = 0;
    return m_host->Started();
}

bool Session::WaitForHost(const std::string& prefix, int timeoutMs, std::string* found) {
    if (!m_host) return false;
    const int at = m_hostOutput->WaitFor(
        m_hostNext, [&](const std::string& l) { return l.compare(0, prefix.size(), prefix) == 0; },
        timeoutMs);
    if (at < 0) return false;
    m_hostNext = size_t(at) + 1;
    if (found) *found = m_hostOutput->Lines()[size_t(at)];
    return true;
}

std::vector<std::string> Session::HostLines() const {
    return m_hostOutput ? m_hostOutput->Lines() : std::vector<std::string>{};
}

bool Session::NextCommand() {
    return m_host && m_host->WriteLine("");
}

bool Session::QuitHost() {
    return m_host && m_host->Signal(SIGTERM);
}

int Session::FinishHost(int timeoutMs) {
    return m_host ? m_hostOutput->Finish(timeoutMs) : -1;
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

bool Session::ChooseMenuItem(const int area[4], const std::vector<MenuRow>& rows) {
    if (rows.empty() || !Click((area[0] + area[2]) / 2, (area[1] + area[3]) / 2)) return false;
    int left = area[0], top = area[3] + kMenuGap, litY = -1;
    for (const MenuRow& row : rows) {
        if (litY >= 0) {
            // The submenu opens once the pointer rests on its parent's row.
            const int border = borderAt(left + 1, litY, 1000);
            if (border < 0) return false;
            left = border + 1;
            top = litY - kRowHeight / 2 - kMenuPad;
        }
        litY = top + rowTop(row) + kRowHeight / 2;
        if (!testsupport::WaitUntil([&] { return borderAt(left, litY, 1) == left; }) ||
            !pointer(left + 20, litY))
            return false;
    }
    return testsupport::Xdotool({"click", "1"}) == 0;
}

unsigned long Session::PixelAt(int x, int y) {
    const std::vector<unsigned long> row = screenRow(x, y, 1);
    return row.empty() ? 0 : row[0];
}
