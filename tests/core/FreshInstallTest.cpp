// What a new user meets, run as a user runs it.

#include "tests/core/CoreRig.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/Services.h"

#include "kit/rast/RAST_PNGLoader.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <unistd.h>

using namespace coretest;
namespace fs = std::filesystem;

namespace {

const std::string kHost = ZOZ_HOST_PATH;
const std::string kModule = ZOZ_EDITOR_PATH;
const char* const kScanner = "/usr/lib/ardour7/ardour-vst-scanner";

struct FreshInstall : CoreRig {
    std::string source = getenv("ZOZ_TEST_SOURCE_DIR") ? getenv("ZOZ_TEST_SOURCE_DIR") : "";
    std::string picture = temp.path() + "/editor.png";
    // The MIDI library's JACK back end keeps the ring buffers of a client that found no server.
    std::string suppressions = temp.path() + "/lsan.supp";

    void SetUp() override {
        testsupport::writeFile(suppressions, bytesOf("leak:jack_ringbuffer_create\n"));
        keepLog();
    }
    std::vector<std::string> env(std::vector<std::string> more = {}) const {
        more.insert(more.end(), {"ZOZ_DATA_DIR=" + data, "ZOZ_RESOURCES_DIR=",
                                 "LSAN_OPTIONS=suppressions=" + suppressions});
        return more;
    }
    int run(const std::vector<std::string>& argv, std::string* output,
            const std::vector<std::string>& more = {}) const {
        return testsupport::RunProgram(argv, output, 600000, env(more));
    }
    bool logged(const std::string& line) const {
        const std::vector<std::string> lines = logLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

// Every file and folder below `folder`, files with their bytes.
std::map<std::string, std::vector<uint8_t>> contents(const std::string& folder) {
    std::map<std::string, std::vector<uint8_t>> all;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        all[entry.path().string()] = entry.is_regular_file()
                                         ? testsupport::readFile(entry.path().string())
                                         : std::vector<uint8_t>{};
    return all;
}

// The paths whose presence or bytes differ between two readings of a folder, a line each.
std::string changed(const std::map<std::string, std::vector<uint8_t>>& a,
                    const std::map<std::string, std::vector<uint8_t>>& b) {
    std::string paths;
    for (const auto* side : {&a, &b})
        for (const auto& [path, bytes] : *side) {
            const auto& other = side == &a ? b : a;
            const auto it = other.find(path);
            if (side == &b && it != other.end()) continue; // named from the first side
            if (it == other.end() || it->second != bytes) paths += path + "\n";
        }
    return paths;
}

// How many pixels of the picture have a red channel in [low, high].
int pixelsWithRedIn(const std::string& png, int low, int high, int* total) {
    std::unique_ptr<RAST_IBitmap> bitmap(RAST_LoadPNG(png.c_str(), nullptr));
    *total = 0;
    if (!bitmap) return 0;
    int n = 0;
    for (int y = 0; y < bitmap->getHeight(); ++y)
        for (int x = 0; x < bitmap->getWidth(); ++x, ++*total) {
            const int red = int(*RAST_PixelAt(*bitmap, x, y) >> 8 & 0xFF);
            n += red >= low && red <= high;
        }
    return n;
}

// The processes whose environment holds the entry.
std::vector<std::string> processesWith(const std::string& entry) {
    std::vector<std::string> found;
    for (const auto& process : fs::directory_iterator("/proc")) {
        std::ifstream in(process.path() / "environ", std::ios::binary);
        const std::string environ((std::istreambuf_iterator<char>(in)), {});
        if (environ.find(entry + '\0') != std::string::npos)
            found.push_back(process.path().filename().string());
    }
    return found;
}

} // namespace

// The log takes the line as well (Startup.ALogFileIsEmptiedAndTakesEveryStageInOrder); here it
// is off.
TEST_F(FreshInstall, AModuleWithoutItsResourcesSaysWhereItLookedInItsEditorOnly) {
    fs::remove(logPath());
    const std::string plugins = temp.path() + "/plugins/";
    fs::create_directories(plugins);
    fs::copy_file(kModule, plugins + "ZozEditor.so");
    std::string output;
    ASSERT_EQ(run({"/bin/sh", "-c", "exec \"$@\" 2>&1", "sh", kHost, plugins + "ZozEditor.so",
                   "process=4", "editor-png=" + picture},
                  &output),
              0)
        << output;
    EXPECT_EQ(output.find("resources not found"), std::string::npos) << output;
    // Light text on the dark grey panel.
    int total = 0;
    EXPECT_GT(pixelsWithRedIn(picture, 48, 48, &total), total * 9 / 10);
    EXPECT_GT(pixelsWithRedIn(picture, 200, 255, &total), 500);
}

TEST_F(FreshInstall, InstallPutsAWorkingCopyWhereHostsLookAndUninstallTakesExactlyThatAway) {
    const char* release = getenv("ZOZ_RELEASE_MODULE");
    if (!release || !fs::exists(release))
        GTEST_SKIP() << testsupport::Lacking(
            "programs", "no release build of the module (scripts/test makes one)");
    const std::string install = source + "/scripts/install";
    const std::string home = temp.path() + "/home", prefix = temp.path() + "/vst";
    fs::create_directories(home);
    fs::create_directories(prefix + "/Another");
    testsupport::writeFile(prefix + "/Another/another.so", bytesOf("not ours"));
    const auto before = std::pair{contents(home), contents(prefix)};
    struct {
        std::vector<std::string> argv;
        std::string folder;
    } cases[] = {{{install}, home + "/.vst/Zoz Editor/"},
                 {{install, "--prefix", prefix}, prefix + "/Zoz Editor/"}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.folder);
        std::string output;
        ASSERT_EQ(run(c.argv, &output, {"HOME=" + home}), 0) << output;
        const std::string module = c.folder + "ZozEditor.so";
        EXPECT_TRUE(testsupport::readFile(module) == testsupport::readFile(release));
        ASSERT_EQ(run({kHost, module, "process=4"}, &output), 0) << output;
        EXPECT_TRUE(logged("Plug-in is ready to load!"));
        EXPECT_FALSE(logged("Zoz Editor: resources not found at " + c.folder + "resources/"));
        if (fs::exists(kScanner)) {
            ASSERT_EQ(run({kScanner, "-f", module}, &output,
                          {"HOME=" + temp.path(), "LD_LIBRARY_PATH=/usr/lib/ardour7"}),
                      0);
            EXPECT_NE(output.find("Found Plugin: 's3hv' Zoz Editor"), std::string::npos) << output;
        }
        c.argv.push_back("--uninstall");
        ASSERT_EQ(run(c.argv, &output, {"HOME=" + home}), 0) << output;
        const auto after = std::pair{contents(home), contents(prefix)};
        EXPECT_TRUE(after == before) << changed(before.first, after.first)
                                     << changed(before.second, after.second);
    }
}

TEST_F(FreshInstall, RunTriesTheEditorOnTheSimulatorAndLeavesNothingRunning) {
    const std::string missing = testsupport::MidiSystemMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    const std::string tree = fs::path(kModule).parent_path().string();
    fs::remove_all(tree + "/run-data");
    const std::string mark = "ZOZ_RUN_MARK=" + std::to_string(getpid());
    std::string output;
    ASSERT_EQ(run({source + "/scripts/run"}, &output, {"ZOZ_BUILD=" + tree, "DISPLAY=", mark}), 0)
        << output;
    EXPECT_TRUE(processesWith(mark).empty());
    // The simulator answered the probe before the picture was taken.
    const size_t answered = output.find("zoz-qsim: tx F0 3E 0F 00 14");
    EXPECT_LT(output.find("zoz-qsim: rx F0 3E 0F 00 04 F7"), answered) << output;
    EXPECT_LT(answered,
              output.find("host: editor picture of 1500 x 757 written to " + tree + "/editor.png"))
        << output;
    EXPECT_EQ(testsupport::readFile(tree + "/run-data/Zoz Editor UI.txt"),
              bytesOf("yellow\nnormal\nyes\nzoz-qsim:in\nzoz-qsim-out:out"));
    EXPECT_TRUE(fs::exists(tree + "/run-data/Patches/Init Sounds.vub"));
}
