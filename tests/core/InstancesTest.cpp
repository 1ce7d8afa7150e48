// Plug-in instances meeting each other and the MIDI system: built at once, closed while another
// draws the bitmaps they share, opening the stored ports, closed while a port floods them.

#include "tests/core/CoreRig.h"

#include "kit/effect/IControl.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Watchdog.h"

#include <jack/jack.h>
#include <png.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <unistd.h>

// The MIDI library's JACK back end keeps the ring buffers of a client that found no server.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:jack_ringbuffer_create\n";
}

using namespace coretest;
namespace fs = std::filesystem;

namespace {

IEffectVST* makeZoz(IEffectInstanceInfo info) {
    return new Zoz(info);
}

void closeEffect(AEffect* effect) {
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

// A w × h picture of one colour as an image resource.
void writePNG(const std::string& path, int w, int h) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(w);
    image.height = png_uint_32(h);
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(size_t(w * h * 4), 0x80);
    ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr));
}

using Instances = CoreRig;

} // namespace

TEST_F(Instances, TwoCreatedAtOnceAreBuiltOneAfterTheOther) {
    keepLog();
    setenv("ZOZ_DATA_DIR", data.c_str(), 1);
    setenv("ZOZ_RESOURCES_DIR", (temp.path() + "/none").c_str(), 1);
    AEffect* made[2] = {};
    std::thread other([&] { made[1] = VSTCreateEffect(nullptr, makeZoz); });
    made[0] = VSTCreateEffect(nullptr, makeZoz);
    other.join();
    ASSERT_TRUE(made[0] && made[1]);
    EXPECT_NE(made[0], made[1]);
    // Each start-up empties the log: had they overlapped, the first one's later stages would
    // follow the second one's start.
    const std::vector<std::string> lines = logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "INITIALIZATION STARTED!"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Plug-in is ready to load!"), 1);
    EXPECT_EQ(lines.front(), "INITIALIZATION STARTED!");
    closeEffect(made[0]);
    closeEffect(made[1]);
}

TEST_F(Instances, OneClosesWhileTheOtherDrawsTheBitmapsTheyShare) {
    resources = temp.path() + "/resources/";
    fs::create_directories(resources + "img");
    writePNG(resources + "img/main-bg-frame.png", 1500, 757);
    writePNG(resources + "img/vub-progress-overlay.png", 1500, 757);
    auto first = start();
    auto second = start();
    IGraphics* g = second->GetGUI();
    ASSERT_NE(g->getImageById(104, 1, false).mData, nullptr);
    second->DisplayProcessingIndicator(true);
    std::atomic<bool> drawing{true};
    std::thread painter([&] {
        IRECT all(0, 0, g->Width(), g->Height());
        while (drawing) {
            g->SetStrictDrawing(true);
            g->Draw(&all);
        }
    });
    first.reset();
    drawing = false;
    painter.join();
    // What the second one shows is still its background and overlay.
    EXPECT_NE(g->getImageById(104, 1, false).mData, nullptr);
    EXPECT_NE(g->getImageById(122, 1, false).mData, nullptr);
    second.reset();
}

class StoredPorts : public CoreRig {
protected:
    void SetUp() override {
        if (!getenv("JACK_DEFAULT_SERVER"))
            GTEST_SKIP() << "no private JACK server (scripts/test starts one)";
        jack_status_t status;
        jack_client_t* probe = jack_client_open("zozcoreprobe", JackNoStartServer, &status);
        if (!probe) GTEST_SKIP() << "the JACK server is not running";
        jack_client_close(probe);
        setenv("ZOZ_MIDI_API", "jack", 1);
        watchdog = std::make_unique<testsupport::Watchdog>(
            60, testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    std::unique_ptr<testsupport::ChildProcess> peer(const char* mode, const std::string& port,
                                                    const std::string& tag = "") {
        auto p = std::make_unique<testsupport::ChildProcess>(
            std::vector<std::string>{ZOZ_MIDI_PEER_PATH, mode, client(tag), port});
        std::string line;
        EXPECT_TRUE(p->ReadLine(&line, 10000) && line == "ready") << line;
        return p;
    }
    static std::string client(const std::string& tag = "") {
        return "zozcore" + std::to_string(getpid()) + tag;
    }

    std::unique_ptr<testsupport::Watchdog> watchdog;
};

TEST_F(StoredPorts, AStoredOutputOpensWithoutItsMissingInput) {
    auto receiver = peer("receive", "in");
    writeSettings("yellow\nnormal\nyes\n" + client() + ":in\nno such input");
    keepLog();
    resources = ZOZ_TEST_LAYOUT; // with the device menus
    auto plug = start();
    EXPECT_GT(plug->getMIDIOutPortIndex(), 0);
    EXPECT_EQ(plug->getExternalMIDIOutNames()[size_t(plug->getMIDIOutPortIndex())],
              client() + ":in");
    EXPECT_TRUE(plug->isMIDIIOSet());
    EXPECT_EQ(plug->getMIDIInPortIndex(), 0);
    EXPECT_TRUE(plug->isStoredPortsOpened());
    // The menus show both choices; the output's entry is the port's own name.
    const IParam* out = plug->GetParam(kDeviceOutSelection);
    EXPECT_EQ(out->Value(), plug->getMIDIOutPortIndex());
    EXPECT_STREQ(out->GetDisplayText(plug->getMIDIOutPortIndex()), (client() + ":in").c_str());
    EXPECT_DOUBLE_EQ(plug->keptControl(kDeviceOutSelection)->GetValue(), out->GetNormalized());
    EXPECT_EQ(plug->keptControl(kDeviceInSelection)->GetValue(), 0.0);
    const std::vector<std::string> lines = logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "DEFAULT SETTINGS: MIDI In device stored no such input"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "DEFAULT SETTINGS: MIDI Out device stored " + client() + ":in"),
              lines.end());
}

TEST_F(StoredPorts, AnInputOpensWithoutItsOutputAndClosesWhileItFloods) {
    auto sender = peer("send", "out");
    auto other = peer("send", "out", "b");
    writeSettings("yellow\nnormal\nyes\nno such output\n" + client() + ":out");
    resources = ZOZ_TEST_LAYOUT;
    auto plug = start();
    ASSERT_GT(plug->getMIDIInPortIndex(), 0);
    EXPECT_FALSE(plug->isMIDIIOSet());
    // Not the last entry of the menu: its control shows the entry, not the menu's end.
    const IParam* in = plug->GetParam(kDeviceInSelection);
    ASSERT_LT(plug->getMIDIInPortIndex(), in->GetNDisplayTexts() - 1);
    EXPECT_DOUBLE_EQ(plug->keptControl(kDeviceInSelection)->GetValue(),
                     in->GetNormalized(plug->getMIDIInPortIndex()));
    EXPECT_LT(plug->keptControl(kDeviceInSelection)->GetValue(), 1.0);
    std::thread flood([&] {
        for (int i = 0; i < 2000; ++i)
            sender->WriteLine(i % 2 ? "F0 3E 0F 00 20 00 01 02 03 F7" : "B0 07 40");
    });
    std::string line;
    EXPECT_TRUE(sender->ReadLine(&line, 10000)); // the flood has begun
    plug.reset();
    flood.join();
}
