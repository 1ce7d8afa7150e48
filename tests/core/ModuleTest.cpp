// ZozEditor.so as hosts load it: through zoz-host, and through Ardour's plug-in scanner.

#include "tests/core/CoreRig.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/Services.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <unistd.h>

using namespace coretest;
namespace fs = std::filesystem;

namespace {

const std::string kHost = ZOZ_HOST_PATH;
const std::string kModule = ZOZ_EDITOR_PATH;
const std::string kBuiltResources = ZOZ_BUILT_RESOURCES;
const char* const kScanner = "/usr/lib/ardour7/ardour-vst-scanner";

struct HostRun {
    int status;
    std::string output;
    bool has(const std::string& line) const {
        return output.find(line + "\n") != std::string::npos;
    }
};

struct Module : CoreRig {
    HostRun host(const std::vector<std::string>& commands) {
        std::vector<std::string> argv = {kHost, kModule};
        argv.insert(argv.end(), commands.begin(), commands.end());
        HostRun run;
        run.status = testsupport::RunProgram(argv, &run.output, 120000, hostEnv());
        return run;
    }
    // The host's arguments for a run whose output holds its errors too.
    static std::vector<std::string> withErrors(const std::vector<std::string>& commands) {
        std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$@\" 2>&1", "sh", kHost, kModule};
        argv.insert(argv.end(), commands.begin(), commands.end());
        return argv;
    }
    // Each line that the host printed is its own.
    static void expectOnlyTheHosts(const std::string& output) {
        std::istringstream lines(output);
        for (std::string line; std::getline(lines, line);)
            EXPECT_EQ(line.rfind("host: ", 0), 0u) << line;
    }
    std::vector<std::string> hostEnv() {
        // The MIDI library's JACK back end keeps the ring buffers of a client that found no
        // server: the port menus make such clients when no JACK server runs.
        const std::string suppressions = temp.path() + "/lsan.supp";
        testsupport::writeFile(suppressions, bytesOf("leak:jack_ringbuffer_create\n"));
        std::vector<std::string> env = {"ZOZ_DATA_DIR=" + data,
                                        "LSAN_OPTIONS=suppressions=" + suppressions};
        if (!resources.empty()) env.push_back("ZOZ_RESOURCES_DIR=" + resources);
        return env;
    }
    std::string makeResources(const std::string& name) {
        const std::string folder = temp.path() + "/" + name + "/";
        fs::create_directories(folder + "img");
        for (const char* file : {"uiconfig.tea", "sysex.tea"})
            fs::copy_file(kBuiltResources + file, folder + file);
        return folder;
    }
};

} // namespace

TEST_F(Module, GivesTheEditorsRecordAndLivesAHostsLife) {
    keepLog();
    const HostRun run =
        host({"tempo=120", "play", "midi=90,3C,64", "process=8", "stop", "chunk-roundtrip"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("host: effect magic 'VstP' inputs 2 outputs 2 params 0 programs 1 "),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find(" unique 'vh3s' "), std::string::npos);
    EXPECT_NE(run.output.find(" delay 128\n"), std::string::npos);
    EXPECT_TRUE(
        run.has("host: name \"Zoz Editor\" vendor \"Kavmoor\" product \"\" category 2 vst 2400"));
    EXPECT_NE(run.output.find(": identical\n"), std::string::npos);
    EXPECT_TRUE(run.has("host: close 0"));
    const std::vector<std::string> lines = logLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "INITIALIZATION STARTED!");
}

// Each start-up completes, logs what it missed and closes without a leak (the sanitizers
// fail the host's exit otherwise).
TEST_F(Module, DamagedResourcesStillStartAndClose) {
    struct Case {
        const char* name;
        std::function<void(const std::string& folder)> damage;
        const char* logged;
    } cases[] = {
        {"none", [](const std::string& f) { fs::remove_all(f); }, "CONFIG READER: "},
        {"cut",
         [](const std::string& f) {
             fs::resize_file(f + "uiconfig.tea", fs::file_size(f + "uiconfig.tea") / 2);
         },
         "CONFIG READER: "},
        {"garbage",
         [](const std::string& f) {
             std::vector<uint8_t> noise(4099);
             for (size_t i = 0; i < noise.size(); ++i)
                 noise[i] = uint8_t(i * 131 + 7);
             testsupport::writeFile(f + "uiconfig.tea", noise);
             testsupport::writeFile(f + "sysex.tea", {0xFF});
         },
         "CONFIG READER: "},
        {"bare layout",
         [](const std::string& f) {
             fs::copy_file(ZOZ_BARE_LAYOUT, f + "uiconfig.tea",
                           fs::copy_options::overwrite_existing);
         },
         "CONFIG READER: root MISSING!"},
        {"bad images",
         [](const std::string& f) {
             testsupport::writeFile(f + "img/main-bg-frame.png", bytesOf("\x89PNG\r\n\x1a\n cut"));
             testsupport::writeFile(f + "img/vub-progress-overlay.png", {});
         },
         "CONFIG READER: Image "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(data);
        keepLog();
        resources = makeResources(c.name);
        c.damage(resources);
        const HostRun run = host({"process=4", "chunk-roundtrip"});
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_NE(run.output.find(": identical\n"), std::string::npos);
        const std::vector<std::string> lines = logLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "Plug-in is ready to load!"), lines.end());
        EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                               [&](const std::string& l) { return l.rfind(c.logged, 0) == 0; }),
                  lines.end());
    }
}

TEST_F(Module, ArdoursScannerIndexesIt) {
    if (!fs::exists(kScanner))
        GTEST_SKIP() << testsupport::Lacking(
            "programs", "Ardour is not installed (scripts/setup --test installs it)");
    const std::string home = temp.path() + "/home";
    fs::create_directories(home);
    // Ardour keeps its cache in the XDG folders, which the test's own home sets too.
    std::vector<std::string> env = {"HOME=" + home, "XDG_CACHE_HOME=" + home + "/.cache",
                                    "XDG_CONFIG_HOME=" + home + "/.config", "ZOZ_DATA_DIR=" + data,
                                    "LD_LIBRARY_PATH=/usr/lib/ardour7"};
    // The scanner is not built with the sanitizer, the module is: it must preload the runtime,
    // and its own exit then hangs in a system library's finaliser whatever it loaded. So the
    // cache it writes once it has opened, read and closed the plug-in is what counts.
    env.push_back("LD_PRELOAD=" ASAN_RUNTIME);
    env.push_back("ASAN_OPTIONS=detect_leaks=0");
    testsupport::ChildProcess scanner({kScanner, "-f", kModule}, env);
    std::string cache;
    for (int waited = 0; waited < 600 && cache.find("</VST2Cache>") == std::string::npos;
         ++waited) {
        usleep(100000);
        for (const auto& entry : fs::recursive_directory_iterator(home))
            if (entry.path().extension() == ".v2i") {
                std::ifstream in(entry.path());
                cache.assign(std::istreambuf_iterator<char>(in), {});
            }
    }
    ASSERT_FALSE(cache.empty());
    for (const char* field : {"id=\"1986540403\"", "name=\"Zoz Editor\"", "creator=\"Kavmoor\"",
                              "category=\"Instrument\"", "n_inputs=\"2\"", "n_outputs=\"2\"",
                              "n_midi_inputs=\"1\"", "is_instrument=\"1\"", "has_editor=\"1\""})
        EXPECT_NE(cache.find(field), std::string::npos) << field << "\n" << cache;
    scanner.Signal(SIGKILL); // its exit hangs (above)
}

// Qtractor's scanner parses the line its scanner prints: the module adds nothing to it, with
// the log on or off and the JACK server there or not. With no port stored it looks at no MIDI
// system, so the log names none.
TEST_F(Module, AScannersOutputHoldsItsLineAlone) {
    for (const bool log : {false, true}) {
        for (const bool jack : {false, testsupport::MidiSystemMissing().empty()}) {
            fs::remove_all(data);
            if (log) keepLog();
            // Unloading the module takes its libraries' static data along, which the leak
            // check would count as leaks.
            std::vector<std::string> env = {"ZOZ_DATA_DIR=" + data, "ZOZ_MIDI_API=",
                                            "ZOZ_RESOURCES_DIR=" + kBuiltResources,
                                            "ASAN_OPTIONS=detect_leaks=0"};
            if (!jack) env.push_back("JACK_DEFAULT_SERVER=zoz-none-" + std::to_string(getpid()));
            std::string output;
            EXPECT_EQ(testsupport::RunProgram({"/bin/sh", "-c", "exec \"$0\" \"$1\" 2>&1",
                                               ZOZ_SCANNER_PATH, kModule},
                                              &output, 60000, env),
                      0);
            EXPECT_EQ(output, "VST|Zoz Editor|Kavmoor\n") << log << jack;
            const std::vector<std::string> lines = logLines();
            EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                    [](const std::string& line) {
                                        return line.rfind("MIDI PORTS: ", 0) == 0;
                                    }),
                      0);
        }
    }
}

// jack1's library and server as scripts/setup --test unpacks them (they cannot be installed
// beside jackd2's), and what a program needs to run on them.
struct Jack1 {
    const std::string root = ZOZ_JACK1_ROOT;
    const std::string libs = root + "/usr/lib/" ZOZ_LIB_ARCH;
    const std::string missing =
        fs::exists(libs + "/libjack.so.0") && fs::exists(root + "/usr/bin/jackd")
            ? ""
            : testsupport::Lacking("programs", "jack1 is not unpacked in " + root +
                                                   " (scripts/setup --test unpacks it)");
    std::vector<std::string> env() const {
        // Its library asks the jackd it finds on the path where the servers' sockets are.
        return {"LD_LIBRARY_PATH=" + libs, "JACK_DRIVER_DIR=" + libs + "/jack",
                "PATH=" + root + "/usr/bin:" + getenv("PATH")};
    }
};

// The JACK functions that `nm` lists of a library (with "--undefined-only" or "--defined-only").
std::set<std::string> jackSymbols(const std::string& which, const std::string& library) {
    std::string output;
    EXPECT_EQ(testsupport::RunProgram({"/bin/sh", "-c", "exec nm -D \"$@\"", "nm", which, library},
                                      &output),
              0)
        << output;
    std::set<std::string> names;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        const std::string name = line.substr(line.rfind(' ') + 1);
        if (name.rfind("jack_", 0) == 0) names.insert(name.substr(0, name.find('@')));
    }
    return names;
}

// Every JACK function the module is linked to, weak ones too, is one that jack1's library has:
// one that it lacks fails the load on every jack1 system.
TEST(ModuleOnJack1, NeedsNoFunctionThatJack1sLibraryLacks) {
    const Jack1 jack1;
    if (!jack1.missing.empty()) GTEST_SKIP() << jack1.missing;
    const std::set<std::string> needed = jackSymbols("--undefined-only", kModule);
    const std::set<std::string> has = jackSymbols("--defined-only", jack1.libs + "/libjack.so.0");
    ASSERT_TRUE(needed.count("jack_client_open"));
    std::vector<std::string> lacking;
    std::set_difference(needed.begin(), needed.end(), has.begin(), has.end(),
                        std::back_inserter(lacking));
    EXPECT_TRUE(lacking.empty()) << testing::PrintToString(lacking);
}

// Under jack1's library the plug-in loads, opens its editor and closes, quietly, beside the
// run's jackd2 server that the library cannot reach (it falls back as with no server); and on a
// jack1 server its stored output reaches the peer named in its settings.
TEST_F(Module, RunsUnderJack1sLibrary) {
    const Jack1 jack1;
    if (!jack1.missing.empty()) GTEST_SKIP() << jack1.missing;
    const std::string peerClient = "zozj1peer" + std::to_string(getpid());
    writeSettings("yellow\nnormal\nyes\n" + peerClient + ":in\n\n");
    resources = kBuiltResources;
    const std::string picture = temp.path() + "/editor.png";
    std::vector<std::string> env = hostEnv();
    for (const std::string& more : jack1.env())
        env.push_back(more);
    env.push_back("ZOZ_MIDI_API=");
    std::string output;
    ASSERT_EQ(
        testsupport::RunProgram(withErrors({"process=4", "editor-png=" + picture, "process=2"}),
                                &output, 120000, env),
        0)
        << output;
    expectOnlyTheHosts(output);
    EXPECT_TRUE(fs::exists(picture));

    if (getenv("ZOZ_NO_JACK")) GTEST_SKIP() << "a jack1 server of its own: run without JACK";
    const std::string server = "zozj1" + std::to_string(getpid());
    const std::string socket =
        "/dev/shm/jack-" + std::to_string(getuid()) + "/" + server + "/jack_0";
    std::vector<std::string> serverEnv = jack1.env();
    // jack1's server and clients keep their metadata in the folder of the server that
    // JACK_DEFAULT_SERVER names (of "default" without it), which a server of that name makes:
    // without it the server refuses clients and crashes as one leaves.
    serverEnv.push_back("JACK_DEFAULT_SERVER=" + server);
    testsupport::ChildProcess jackd({"/bin/sh", "-c", "exec \"$@\" 2>&1", "sh",
                                     jack1.root + "/usr/bin/jackd", "-r", "-t", "5000", "-n",
                                     server, "-d", "dummy", "-r", "48000", "-p", "256"},
                                    serverEnv);
    for (int waited = 0; waited < 200 && !fs::exists(socket) && jackd.Running(); ++waited)
        usleep(50000);
    if (!fs::exists(socket)) {
        std::string log;
        jackd.Finish(&log, 1000);
        GTEST_SKIP() << testsupport::Lacking("jack", "jack1's server did not start:\n" + log);
    }
    testsupport::ChildProcess peer({ZOZ_MIDI_PEER_PATH, "receive", peerClient, "in"}, serverEnv);
    std::string line;
    ASSERT_TRUE(peer.ReadLine(&line, 10000) && line == "ready") << line;
    for (const std::string& more : serverEnv)
        env.push_back(more);
    testsupport::ChildProcess running(withErrors({"run=60000"}), env);
    // The start-up's first message to the synthesizer.
    while (peer.ReadLine(&line, 30000) && line.rfind("msg F0 3E 0F ", 0) != 0) {
    }
    EXPECT_EQ(line.rfind("msg F0 3E 0F ", 0), 0u) << line;
    running.WriteLine("");
    EXPECT_EQ(running.Finish(&output, 30000), 0) << output;
    expectOnlyTheHosts(output);
    peer.CloseInput();
    EXPECT_EQ(peer.Finish(nullptr, 10000), 0);
    // Every client has come and gone: the server still runs, and logged no error of ours (one
    // for every look that connected to it without a request).
    const bool alive = jackd.Running();
    jackd.Signal(SIGTERM);
    std::string log;
    jackd.Finish(&log, 10000);
    EXPECT_TRUE(alive) << "jack1's server ended:\n" << log;
    EXPECT_EQ(log.find("cannot complete client connection"), std::string::npos) << log;
}

// A host that unloads the module once its last instance went and loads it again (after a scan in
// its own process, when a project closes): what the module made for itself goes with it, so 40
// loads and unloads, each with an instance and its editor, and its stored port open to a peer on
// the JACK server, leave the process's memory flat, and its mappings of JACK's shared memory as
// they were after the first. Once it opened a port on JACK the module stays loaded (libjack,
// which stays, may call into it): it is then the same module that each load finds.
TEST_F(Module, LoadsAndUnloadsLeaveMemoryFlat) {
    const char* release = getenv("ZOZ_RELEASE_MODULE");
    if (!release || !fs::exists(release))
        GTEST_SKIP() << testsupport::Lacking(
            "programs", "no release build of the module (scripts/test makes one)");
    const bool jack = testsupport::MidiSystemMissing().empty();
    const std::string peerClient = testsupport::OwnClientName("zozloadpeer");
    std::unique_ptr<testsupport::ChildProcess> peer;
    if (jack) {
        peer = std::make_unique<testsupport::ChildProcess>(
            std::vector<std::string>{ZOZ_MIDI_PEER_PATH, "receive", peerClient, "in"});
        std::string line;
        ASSERT_TRUE(peer->ReadLine(&line, 10000) && line == "ready") << line;
        writeSettings("yellow\nnormal\nyes\n" + peerClient + ":in\n\n");
    }
    constexpr size_t kWarmUp = 2, kCycles = 40, kGrowthPerCycle = 64 * 1024;
    std::string output;
    ASSERT_EQ(testsupport::RunProgram(
                  {ZOZ_LOADS_PATH, release, std::to_string(kWarmUp + kCycles)}, &output, 600000,
                  {"ZOZ_DATA_DIR=" + data,
                   "ZOZ_RESOURCES_DIR=" + fs::path(release).parent_path().string() + "/resources",
                   // What the module's libraries keep of each load is theirs.
                   "ASAN_OPTIONS=detect_leaks=0"}),
              0)
        << output;
    std::vector<size_t> allocated, jackMaps;
    std::istringstream lines(output);
    const std::string unloaded = jack ? "kept " : "unloaded ";
    for (std::string line; std::getline(lines, line);) {
        ASSERT_EQ(line.rfind(unloaded, 0), 0u) << line;
        std::istringstream fields(line.substr(unloaded.size()));
        size_t bytes = 0, maps = 0;
        ASSERT_TRUE(fields >> bytes >> maps) << line;
        allocated.push_back(bytes);
        jackMaps.push_back(maps);
    }
    ASSERT_EQ(allocated.size(), kWarmUp + kCycles);
    const size_t before = allocated[kWarmUp - 1], after = allocated.back();
    EXPECT_LT(after > before ? (after - before) / kCycles : 0, kGrowthPerCycle)
        << before << " bytes allocated after the warm-up, " << after << " after " << kCycles
        << " more loads";
    if (jack) {
        EXPECT_GT(jackMaps.front(), 0u);
    }
    EXPECT_LE(jackMaps.back(), jackMaps.front());
}

// libjack stays loaded and prints through the module on any of its threads: a host that unloads
// the module while a line is on its way through it, and one that loads a second copy from
// another path and unloads the first, see the line printed and go on.
TEST_F(Module, UnloadingItWhileLibjackPrintsOrBesideASecondCopyCrashesNothing) {
    const char* release = getenv("ZOZ_RELEASE_MODULE");
    if (!release || !fs::exists(release))
        GTEST_SKIP() << testsupport::Lacking(
            "programs", "no release build of the module (scripts/test makes one)");
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    const std::string peerClient = testsupport::OwnClientName("zozunloadpeer");
    testsupport::ChildProcess peer({ZOZ_MIDI_PEER_PATH, "receive", peerClient, "in"});
    std::string line;
    ASSERT_TRUE(peer.ReadLine(&line, 10000) && line == "ready") << line;
    writeSettings("yellow\nnormal\nyes\n" + peerClient + ":in\n\n");
    const std::string copy = temp.path() + "/copy/ZozEditor.so";
    fs::create_directories(fs::path(copy).parent_path());
    fs::copy_file(release, copy);
    const std::vector<std::string> env = {
        "ZOZ_DATA_DIR=" + data,
        "ZOZ_RESOURCES_DIR=" + fs::path(release).parent_path().string() + "/resources",
        "ASAN_OPTIONS=detect_leaks=0"};
    for (const std::vector<std::string>& host :
         {std::vector<std::string>{ZOZ_LOADS_PATH, "--unload-printing", release},
          std::vector<std::string>{ZOZ_LOADS_PATH, "--second", copy, release}}) {
        std::string output;
        EXPECT_EQ(testsupport::RunProgram(host, &output, 120000, env), 0) << host[1] << output;
        EXPECT_EQ(output, "printed\n") << host[1];
    }
}
