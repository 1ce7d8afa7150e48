// What a new user meets, run as a user runs it.

#include "tests/core/CoreRig.h"
#include "tests/support/ChildProcess.h"

#include "kit/rast/RAST_PNGLoader.h"


using namespace coretest;
namespace fs = std::filesystem;

namespace {

const std::string kHost = ZOZ_HOST_PATH;
const std::string kModule = ZOZ_EDITOR_PATH;

struct FreshInstall : CoreRig {
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
};

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
