// ZozEditor.so in a headless Ardour session: the chunk a session keeps comes back the same
// through a reload, and a chunk cut short in the session file still loads, leaving the plug-in
// as it was. Ardour runs without the sanitizer, so it loads the release build of the module.

#include "tests/core/CoreRig.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/Services.h"

#include <jack/jack.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

using namespace coretest;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

const char* const kArdourLua = "/usr/bin/ardour7-lua";
const char* const kScanner = "/usr/lib/ardour7/ardour-vst-scanner";
const char* const kBase64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string encode(const Bytes& b) {
    std::string out;
    for (size_t i = 0; i < b.size(); i += 3) {
        const uint32_t n = uint32_t(b[i]) << 16 | (i + 1 < b.size() ? b[i + 1] << 8 : 0) |
                           (i + 2 < b.size() ? b[i + 2] : 0);
        for (size_t k = 0; k < 4; ++k)
            out += k <= b.size() - i ? kBase64[(n >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

Bytes decode(const std::string& text) {
    Bytes out;
    uint32_t n = 0;
    int bits = 0;
    for (char c : text) {
        const char* at = strchr(kBase64, c);
        if (!at || !c) continue;
        n = n << 6 | uint32_t(at - kBase64);
        if ((bits += 6) >= 8) out.push_back(uint8_t(n >> (bits -= 8)));
    }
    return out;
}

// Whether Ardour failed on its own: its engine did not start (the script's second line), it
// lost the server's callbacks, or the server refused one of the session's own ports, whose
// names, unlike a track's, hold no "/".
bool failedAlone(const std::string& output) {
    if (output.find(".lua:2: assertion failed") != std::string::npos ||
        output.find("JACK: Cannot callback the server") != std::string::npos)
        return true;
    const std::string refused = "Failed to register port \"";
    for (size_t at = output.find(refused); at != std::string::npos;
         at = output.find(refused, at + 1)) {
        const size_t name = at + refused.size();
        const std::string port = output.substr(name, output.find('"', name) - name);
        if (port.find('/') == std::string::npos) return true;
    }
    return false;
}

// Waits up to half a minute for the server to take a client again.
void awaitServer() {
    for (int tries = 0; tries < 60; ++tries) {
        if (jack_client_t* probe = jack_client_open(testsupport::OwnClientName("zozprobe").c_str(),
                                                    JackNoStartServer, nullptr)) {
            jack_client_close(probe);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
}

struct ArdourSession : CoreRig {
    std::string module = getenv("ZOZ_RELEASE_MODULE") ? getenv("ZOZ_RELEASE_MODULE") : "";
    std::string session = temp.path() + "/session";
    std::vector<std::string> env;

    void SetUp() override {
        if (!fs::exists(kArdourLua) || !fs::exists(kScanner))
            GTEST_SKIP() << testsupport::Lacking(
                "programs", "Ardour is not installed (scripts/setup --test installs it)");
        if (module.empty() || !fs::exists(module))
            GTEST_SKIP() << testsupport::Lacking("programs",
                                                 "no release build of the module (scripts/test "
                                                 "makes one and names it in ZOZ_RELEASE_MODULE)");
        // Debian's Ardour has no dummy back end: it runs on the private JACK server.
        const std::string missing = testsupport::MidiSystemMissing();
        if (!missing.empty()) GTEST_SKIP() << missing;
        const std::string plugins = temp.path() + "/vst";
        fs::create_directories(plugins);
        fs::create_symlink(module, plugins + "/ZozEditor.so");
        fs::create_directories(temp.path() + "/home");
        env = {"HOME=" + temp.path() + "/home", "LXVST_PATH=" + plugins, "ZOZ_DATA_DIR=" + data,
               "ZOZ_RESOURCES_DIR=" + fs::path(module).parent_path().string() + "/resources",
               "JACK_NO_START_SERVER=1"};
        std::string output;
        std::vector<std::string> scanEnv = env;
        scanEnv.push_back("LD_LIBRARY_PATH=/usr/lib/ardour7");
        ASSERT_EQ(testsupport::RunProgram({kScanner, "-f", plugins + "/ZozEditor.so"}, &output,
                                          60000, scanEnv),
                  0)
            << output;
    }
    // Runs the Lua lines after starting the engine and ends with the session saved and closed;
    // Ardour must end by itself.
    void ardour(const std::string& open, const std::string& lines = "") {
        const std::string script = temp.path() + "/script.lua";
        // Ardour's client is named as this process's: two runs' Ardours at once would meet.
        std::ofstream(script) << "AudioEngine:set_backend (\"JACK\", \""
                              << testsupport::OwnClientName("zozardour") << "\", \"\")\n"
                              << "assert (AudioEngine:start (false) == 0)\n"
                              << "assert (" << open << "(\"" << session << "\", \"zoz\""
                              << (open == "create_session" ? ", 48000" : "") << "))\n"
                              << lines
                              << "assert (Session:save_state (\"\", false, false, false, false, "
                                 "false) == 0)\nclose_session ()\nprint (\"saved\")\n";
        std::string output;
        int status = 0;
        // Now and then, on a loaded machine, Ardour's own start fails before any plug-in is
        // made: it loses its JACK server's callbacks, or the server refuses the session's clock
        // ports and then takes no client for some seconds. That run is tried again from the
        // same files once the server takes a client.
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (open == "create_session") fs::remove_all(session);
            status = testsupport::RunProgram({kArdourLua, script}, &output, 120000, env);
            if (status == 0 || !failedAlone(output)) break;
            awaitServer();
        }
        ASSERT_EQ(status, 0) << output;
        ASSERT_NE(output.find("saved\n"), std::string::npos) << output;
    }
    std::string sessionFile() const { return session + "/zoz.ardour"; }
    // The session file and where the plug-in's chunk text lies in it.
    std::string sessionText(size_t* start, size_t* end) const {
        std::ifstream in(sessionFile());
        const std::string xml((std::istreambuf_iterator<char>(in)), {});
        const std::string tag = "<chunk program=\"0\">";
        *start = xml.find(tag);
        EXPECT_NE(*start, std::string::npos);
        *start = *start == std::string::npos ? xml.size() : *start + tag.size();
        *end = std::min(xml.find('<', *start), xml.size());
        return xml;
    }
    Bytes chunk() const {
        size_t start, end;
        return decode(sessionText(&start, &end).substr(start, end - start));
    }
    void replaceChunk(const std::string& text) const {
        size_t start, end;
        std::string xml = sessionText(&start, &end);
        std::ofstream(sessionFile()) << xml.replace(start, end - start, text);
    }
};

} // namespace

TEST_F(ArdourSession, TheChunkComesBackThroughReloadsAndACutOneChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(ardour("create_session",
           "local tracks = Session:new_midi_track (ARDOUR.ChanCount (ARDOUR.DataType (\"midi\"), "
           "1), ARDOUR.ChanCount (ARDOUR.DataType (\"audio\"), 2), true, ARDOUR.PluginInfo (), "
           "nil, nil, 1, \"Synth\", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, "
           "true)\n"
           "local zoz = ARDOUR.LuaAPI.new_plugin (Session, \"Zoz Editor\", "
           "ARDOUR.PluginType.LXVST, \"\")\n"
           "assert (not zoz:isnil ())\n"
           "for t in tracks:iter () do assert (t:add_processor_by_index (zoz, 0, nil, true) == 0) "
           "end\n"));
    const Bytes created = chunk();
    // The framework's header, then the plug-in's block: the selected part is the double at 12.
    ASSERT_GT(created.size(), 290000u);
    Bytes edited = created;
    const double part = 5.0;
    memcpy(&edited[12], &part, 8);
    replaceChunk(encode(edited));
    ASSERT_NO_FATAL_FAILURE(ardour("load_session"));
    EXPECT_EQ(chunk(), edited);

    replaceChunk(encode(edited).substr(0, 4000));
    ASSERT_NO_FATAL_FAILURE(ardour("load_session"));
    EXPECT_EQ(chunk(), created);
}
