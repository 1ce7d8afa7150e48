// zoz-host driving plug-in modules as a host does: the module built from the framework, and a
// plug-in nobody here wrote.

#include "kit/rast/RAST_PNGLoader.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/Services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

// Last: Xlib's macros would clash with the names above.
#include <X11/Xlib.h>

namespace {

using testsupport::RunProgram;

const std::string kHost = ZOZ_HOST_PATH;
const std::string kModule = ZOZ_TEST_PLUGIN_PATH;
const char* const kForeignModule = "/usr/lib/vst/ZynAddSubFX.so";
constexpr int kHiddenParams = 64; // the test module's parameters, all hidden

struct HostRun {
    int status;
    std::vector<std::string> lines;
};

HostRun runHost(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
    args.insert(args.begin(), kHost);
    std::string output;
    HostRun run;
    run.status = RunProgram(args, &output, 120000, env);
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        run.lines.push_back(line);
    return run;
}

// The lines that start with prefix, in order.
std::vector<std::string> linesWith(const HostRun& run, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : run.lines)
        if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
}

std::string tempPath(const char* name) {
    return testing::TempDir() + "zozhost_" + std::to_string(getpid()) + "_" + name;
}

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The framework header and one double per parameter.
std::vector<uint8_t> stateChunk(const std::vector<double>& values) {
    std::vector<uint8_t> bytes = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
    for (double v : values) {
        uint8_t raw[8];
        memcpy(raw, &v, 8);
        bytes.insert(bytes.end(), raw, raw + 8);
    }
    return bytes;
}

TEST(ZozHost, ReportsTheEffectRecordAndRunsTheLifeOfAPlugIn) {
    const HostRun run = runHost({kModule});
    ASSERT_EQ(run.status, 0);
    const std::vector<std::string> expected = {
        "host: loaded " + kModule,
        "host: effect magic 'VstP' inputs 2 outputs 2 params 0 programs 1 flags 0x1131 "
        "unique 'vh3s' version 10007 delay 128",
        "host: name \"Zoz Editor\" vendor \"Kavmoor\" product \"\" category 2 vst 2400",
        "host: open 0",
        "host: sample rate 48000 0",
        "host: block size 256 0",
        "host: resume 0",
        "host: start 0",
        "host: stop 0",
        "host: suspend 0",
        "host: close 0",
    };
    EXPECT_EQ(linesWith(run, "host: "), expected);
}

TEST(ZozHost, ModuleExportsOnlyItsEntry) {
    std::string symbols;
    ASSERT_EQ(RunProgram({"/usr/bin/nm", "-D", "--defined-only", kModule}, &symbols), 0);
    std::istringstream in(symbols);
    std::vector<std::string> names;
    for (std::string address, kind, name; in >> address >> kind >> name;)
        names.push_back(name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"VSTPluginMain", "main"}));
}

// MIDI reaches the plug-in in the order sent and comes back through its events to the host;
// SysEx from the host is handed straight back, unread, during the host's call, while the MIDI
// is handled after it, off the host's audio thread.
TEST(ZozHost, EventsReachThePlugInInOrder) {
    const HostRun run = runHost(
        {kModule, "midi=90,3C,64@5", "sysex=F0,7E,7F,06,01,F7@3", "midi=C0,05", "process=2"});
    ASSERT_EQ(run.status, 0);
    const std::vector<std::string> expected = {
        "host: received SysEx 6 bytes F0 7E 7F 06 01 F7 at 3",
        "host: received MIDI 90 3C 64 at 5",
        "host: received MIDI C0 05 00 at 0",
    };
    EXPECT_EQ(linesWith(run, "host: received"), expected);
}

// The plug-in takes the host's tempo only with its valid flag and only above 0; the
// transport's running state comes with every answer.
TEST(ZozHost, PlugInReadsTheTransport) {
    const HostRun run =
        runHost({kModule, "tempo=150", "tempo=none", "process=1", "tempo=140", "process=1",
                 "tempo=0", "process=1", "play", "process=2", "stop", "process=1"});
    ASSERT_EQ(run.status, 0);
    const std::vector<std::string> expected = {
        "plug-in: tempo 120 signature 4/4 running 0 loop 0",
        "plug-in: tempo 140 signature 4/4 running 0 loop 0",
        "plug-in: tempo 140 signature 4/4 running 1 loop 0",
        "plug-in: tempo 140 signature 4/4 running 0 loop 0",
    };
    EXPECT_EQ(linesWith(run, "plug-in: "), expected);
}

TEST(ZozHost, ChunkOutAndBackInByteForByte) {
    const std::string saved = tempPath("saved"), given = tempPath("given"),
                      again = tempPath("again");
    HostRun run = runHost({kModule, "save-chunk=" + saved, "chunk-roundtrip"});
    ASSERT_EQ(run.status, 0);
    // The editor's knob, switch, mode and name, then the plain values.
    std::vector<double> values = {0.5, 0.0, 0.0, 0.0};
    for (int i = 4; i < kHiddenParams; ++i)
        values.push_back((i % 10) / 10.0);
    EXPECT_EQ(readBytes(saved), stateChunk(values));
    EXPECT_EQ(linesWith(run, "host: chunk round trip"),
              std::vector<std::string>{"host: chunk round trip of 520 bytes: identical"});

    // A different state goes in and comes out unchanged.
    for (int i = 0; i < kHiddenParams; ++i)
        values[size_t(i)] = 1.0 - i / 64.0;
    values[2] = 2.0; // the mode takes whole values; the name's value only marks its edits
    values[3] = 0.0;
    writeBytes(given, stateChunk(values));
    run = runHost({kModule, "load-chunk=" + given, "save-chunk=" + again});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(readBytes(again), stateChunk(values));

    // A chunk cut short is refused.
    std::vector<uint8_t> cut = stateChunk(values);
    cut.resize(5);
    writeBytes(given, cut);
    run = runHost({kModule, "load-chunk=" + given});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(linesWith(run, "host: loaded chunk"),
              std::vector<std::string>{"host: loaded chunk of 5 bytes: refused"});
    for (const std::string& p : {saved, given, again})
        remove(p.c_str());
}

TEST(ZozHost, AnswersHelpAndRefusesWhatIsNoPlugIn) {
    const HostRun help = runHost({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(linesWith(help, "usage: zoz-host").size(), 1u);
    EXPECT_EQ(runHost({"/nonexistent/module.so"}).status, 1);
    EXPECT_EQ(runHost({"/lib/x86_64-linux-gnu/libm.so.6"}).status, 1);
    EXPECT_EQ(runHost({kModule, "no-such-command"}).status, 1);
    EXPECT_EQ(runHost({}).status, 2);
}

TEST(ZozHost, DrivesAPlugInNobodyHereWrote) {
    if (access(kForeignModule, R_OK) != 0)
        GTEST_SKIP() << testsupport::Lacking("programs",
                                             std::string(kForeignModule) + " is not installed");
    // The foreign module leaks in its own entry; that is not ours to report.
    const HostRun run = runHost({kForeignModule, "midi=90,3C,64", "process=20", "chunk-roundtrip",
                                 "midi=80,3C,00", "process=2"},
                                {"ASAN_OPTIONS=detect_leaks=0"});
    ASSERT_EQ(run.status, 0);
    const std::vector<std::string> trip = linesWith(run, "host: chunk round trip");
    ASSERT_EQ(trip.size(), 1u);
    EXPECT_NE(trip[0].find("identical"), std::string::npos) << trip[0];
    EXPECT_EQ(trip[0].find("of 0 bytes"), std::string::npos) << trip[0];
    EXPECT_EQ(linesWith(run, "host: close").size(), 1u);
}

} // namespace

constexpr const char* kEditorGolden = "tests/zoz_host/golden/editor.png";

// A picture's pixel words, row after row.
std::vector<uint32_t> pixelsOf(const RAST_IBitmap& picture) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < picture.getHeight(); ++y)
        for (int x = 0; x < picture.getWidth(); ++x)
            pixels.push_back(RAST_PixelAt(picture, x, y)[0]);
    return pixels;
}

// Asks a window to close, as a window manager does for a click on its close button.
void closeWindow(unsigned long window) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_TRUE(display);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, window, False, NoEventMask, &e);
    XCloseDisplay(display);
}

// Without a display the editor renders into the golden picture; on the display it opens in a
// window named after the plug-in, shows the same picture and ends the host once closed.
TEST(ZozHost, ShowsTheEditorRenderedOrInAWindow) {
    const std::string png = tempPath("editor.png");
    HostRun run = runHost({kModule, "editor-png=" + png}, {"DISPLAY="});
    ASSERT_EQ(run.status, 0);
    std::unique_ptr<RAST_IBitmap> picture(RAST_LoadPNG(png.c_str(), nullptr));
    remove(png.c_str());
    ASSERT_TRUE(picture);
    EXPECT_TRUE(testsupport::MatchesGolden(kEditorGolden, pixelsOf(*picture).data(),
                                           picture->getWidth(), picture->getHeight(),
                                           picture->getWidth(), 0, 0));

    if (!getenv("DISPLAY") || !*getenv("DISPLAY"))
        GTEST_SKIP() << testsupport::Lacking("display", "no X display");
    testsupport::ChildProcess host({kHost, kModule, "editor"});
    // A loaded machine (a parallel run of the sanitized tests) can take seconds to map it.
    std::string window;
    for (int i = 0; i < 400 && window.empty(); ++i) {
        usleep(50000);
        RunProgram({"/usr/bin/xdotool", "search", "--name", "^Zoz Editor$"}, &window);
    }
    ASSERT_FALSE(window.empty()) << "no window named after the plug-in";
    window.erase(window.find('\n'));
    const std::string shot = tempPath("window.png");
    usleep(300000); // the first ticks
    ASSERT_EQ(RunProgram({"/usr/bin/import", "-window", window, shot}, nullptr), 0);
    std::unique_ptr<RAST_IBitmap> shown(RAST_LoadPNG(shot.c_str(), nullptr));
    remove(shot.c_str());
    ASSERT_TRUE(shown);
    EXPECT_TRUE(testsupport::MatchesGolden(kEditorGolden, pixelsOf(*shown).data(),
                                           shown->getWidth(), shown->getHeight(), shown->getWidth(),
                                           2, 0));
    closeWindow(std::stoul(window));
    std::string rest;
    EXPECT_EQ(host.Finish(&rest, 10000), 0);
    EXPECT_NE(rest.find("; ended as the editor window was closed\n"), std::string::npos) << rest;
}
