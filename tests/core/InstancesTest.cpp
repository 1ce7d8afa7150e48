// Plug-in instances meeting each other and the MIDI system: built at once, closed while another
// draws the bitmaps they share, opening the stored ports, closed while a port floods them.

#include "tests/core/StoredPorts.h"

#include "kit/effect/IControl.h"
#include "kit/effect/IMidiMsg.h"
#include "platform/midi/MidiBackend.h"
#include "src/uiconfig/ControlAction.h"
#include "src/uiconfig/ParameterIds.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Watchdog.h"

#include <png.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

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

TEST_F(StoredPorts, AStoredOutputOpensWithoutItsMissingInput) {
    auto receiver = peer("receive", "in");
    writeSettings("yellow\nnormal\nyes\n" + client() + ":in\nno such input");
    keepLog();
    resources = ZOZ_TEST_LAYOUT; // with the device menus
    auto plug = start();
    {
        // The plug-in's port watch, awaiting the input, looks again at every change of ports.
        KIT_MutexLock lock(plug->GetMutex());
        EXPECT_GT(plug->getMIDIOutPortIndex(), 0);
        EXPECT_EQ(plug->getExternalMIDIOutNames()[size_t(plug->getMIDIOutPortIndex())],
                  client() + ":in");
        EXPECT_TRUE(plug->isMIDIIOSet());
        EXPECT_EQ(plug->getMIDIInPortIndex(), 0);
        EXPECT_TRUE(plug->isStoredPortsOpened());
        // The menus show both choices; the output's entry is the port's own name.
        const IParam* out = plug->GetParam(kDeviceOutSelection);
        EXPECT_EQ(out->Value(), plug->getMIDIOutPortIndex());
        EXPECT_STREQ(out->GetDisplayText(plug->getMIDIOutPortIndex()),
                     (client() + ":in").c_str());
        EXPECT_DOUBLE_EQ(plug->keptControl(kDeviceOutSelection)->GetValue(),
                         out->GetNormalized());
        EXPECT_EQ(plug->keptControl(kDeviceInSelection)->GetValue(), 0.0);
    }
    const std::vector<std::string> lines = logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "DEFAULT SETTINGS: MIDI In device stored no such input"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "DEFAULT SETTINGS: MIDI Out device stored " + client() + ":in"),
              lines.end());
}

// ALSA numbers its clients anew as devices come and go: a stored port opens under its new
// number, and the settings keep the name it goes by now.
TEST_F(StoredPorts, AStoredPortUnderAnotherClientNumberOpensAndIsStoredUnderItsNameNow) {
    auto receiver = peer("receive", "MIDI 1 28:0");
    writeSettings("yellow\nnormal\nyes\n" + client() + ":MIDI 1 24:0\n");
    resources = ZOZ_TEST_LAYOUT;
    auto plug = start();
    EXPECT_TRUE(plug->isMIDIIOSet());
    EXPECT_EQ(plug->awaitedExternalMIDI(false), "");
    EXPECT_EQ(testsupport::readFile(settingsPath()),
              bytesOf("yellow\nnormal\nyes\n" + client() + ":MIDI 1 28:0\n"));
}

TEST_F(StoredPorts, AnInputOpensWithoutItsOutputAndClosesWhileItFloods) {
    auto first = peer("send", "out");
    auto second = peer("send", "out", "b");
    // The menu lists ports in the server's order, which follows the numbers it gives them, a
    // number freed by another client first: the stored port is the first of the two.
    const std::vector<std::string> sources =
        platform::LookForMidiPorts(client() + "look", platform::MidiSystem::kJack).sources;
    const auto at = [&sources](const std::string& port) {
        return std::find(sources.begin(), sources.end(), port) - sources.begin();
    };
    const bool firstLeads = at(client() + ":out") < at(client("b") + ":out");
    auto& sender = firstLeads ? first : second;
    writeSettings("yellow\nnormal\nyes\nno such output\n" + client(firstLeads ? "" : "b") +
                  ":out");
    resources = ZOZ_TEST_LAYOUT;
    auto plug = start();
    {
        // The plug-in's port watch runs beside the test, as beside the editor.
        KIT_MutexLock lock(plug->GetMutex());
        ASSERT_GT(plug->getMIDIInPortIndex(), 0);
        EXPECT_FALSE(plug->isMIDIIOSet());
        // Not the last entry of the menu: its control shows the entry, not the menu's end.
        const IParam* in = plug->GetParam(kDeviceInSelection);
        ASSERT_LT(plug->getMIDIInPortIndex(), in->GetNDisplayTexts() - 1);
        EXPECT_DOUBLE_EQ(plug->keptControl(kDeviceInSelection)->GetValue(),
                         in->GetNormalized(plug->getMIDIInPortIndex()));
        EXPECT_LT(plug->keptControl(kDeviceInSelection)->GetValue(), 1.0);
    }
    std::thread flood([&] {
        for (int i = 0; i < 2000; ++i)
            sender->WriteLine(i % 2 ? "F0 3E 0F 00 20 00 01 02 03 F7" : "B0 07 40");
    });
    std::string line;
    EXPECT_TRUE(sender->ReadLine(&line, 10000)); // the flood has begun
    plug.reset();
    flood.join();
}

namespace {

// The bytes as the peer prints them.
std::string hexLine(const std::vector<int>& bytes) {
    std::string line = "msg";
    char hex[4];
    for (int b : bytes) {
        snprintf(hex, sizeof(hex), " %02X", b);
        line += hex;
    }
    return line;
}

} // namespace

TEST_F(StoredPorts, EditsReachThePeerAsTheirMessages) {
    auto receiver = peer("receive", "in");
    writeSettings("yellow\nnormal\nyes\n" + client() + ":in\n");
    resources = ZOZ_BUILT_RESOURCES;
    auto plug = start();
    ASSERT_TRUE(plug->isMIDIIOSet());
    // JACK connects the ports a little later: active sensing until the peer hears it.
    std::string heard;
    SenderPlugin& output = *plug;
    for (int i = 0; i < 50 && heard != "msg FE"; ++i)
        if (output.SendMidiSysex2({0xFE})) receiver->ReadLine(&heard, 200);
    ASSERT_EQ(heard, "msg FE");
    // The layout's message of the parameter on the wire, with the value at its place.
    const auto wire = [&](int idx, int value, size_t at) {
        std::vector<int> m = plug->GetParam(idx)->GetControlAction()->sysexMessage.messages.message(0);
        m.insert(m.begin(), 0xF0);
        m.push_back(0xF7);
        m.at(at) = value;
        return m;
    };
    for (const auto& [idx, value] : {std::pair{kModWheel + 2, 100.0}, // part 3, on channel 3
                                     {kOscillator2Octave + 1, 40.0},
                                     {kPartPattern + 4, 5.0}})
        plug->SetParameterFromGUI(idx, plug->GetParam(idx)->GetNormalized(value));
    const std::vector<int> octave = wire(kOscillator2Octave + 1, 40, 8);
    EXPECT_EQ(std::vector<int>(octave.begin(), octave.begin() + 6),
              (std::vector<int>{0xF0, 0x3E, 0x0F, 0x00, 0x20, 0x01})); // part 2's sound
    for (const std::string& expected :
         {hexLine({0xB2, 0x01, 100}), hexLine(octave), hexLine(wire(kPartPattern + 4, 5, 7)),
          hexLine({0xF0, 0x3E, 0x0F, 0x00, 0x03, 0x20, 0x00, 0xF7})}) { // its pattern asked for
        std::string got = "msg FE"; // a late probe
        while (got == "msg FE")
            ASSERT_TRUE(receiver->ReadLine(&got, 10000)) << expected;
        EXPECT_EQ(got, expected);
    }
}

TEST_F(StoredPorts, SendsFromFourThreadsArriveWholeWhileThePortIsChosenAgain) {
    auto receiver = peer("receive", "in");
    writeSettings("yellow\nnormal\nyes\n" + client() + ":in\n");
    auto plug = start();
    ASSERT_TRUE(plug->isMIDIIOSet());
    std::vector<std::thread> senders;
    for (int t = 0; t < 4; ++t)
        senders.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                IMidiMsg cc;
                cc.MakeControlChangeMsg(IMidiMsg::EControlChangeMsg(t), i / 127.0, t);
                std::vector<uint8_t> dump(393, uint8_t(t + i));
                const uint8_t head[] = {0xF0, 0x3E, 0x0F, 0x00, 0x10, 0x00};
                std::copy(std::begin(head), std::end(head), dump.begin());
                dump.back() = 0xF7;
                if (t % 2)
                    plug->sendMidiMsgAndLog(&cc);
                else
                    plug->checksumCheckAndSend(dump.data(), int(dump.size()));
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    const std::string name = client() + ":in";
    for (int i = 0; i < 20; ++i) {
        int selection = 1; // not "Select MIDI Device"
        {
            // As the editor chooses: under the plug lock, which the plug-in's port watch takes.
            KIT_MutexLock lock(plug->GetMutex());
            plug->setExternalMIDIOut(selection, name.c_str());
        }
        ASSERT_GT(selection, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (std::thread& sender : senders)
        sender.join();
    IMidiMsg last;
    last.MakeControlChangeMsg(IMidiMsg::EControlChangeMsg(7), 1.0, 0);
    plug->sendMidiMsgAndLog(&last);
    int dumps = 0, controls = 0;
    for (std::string line; receiver->ReadLine(&line, 2000);) {
        const bool dump = line.size() == 3 + 3 * 393 && line.rfind("msg F0 3E 0F 00 10", 0) == 0 &&
                          line.substr(line.size() - 3) == " F7";
        const bool control = line.size() == 12 && line[4] == 'B';
        EXPECT_TRUE(dump || control) << line.substr(0, 60);
        dumps += dump;
        controls += control;
    }
    EXPECT_GT(dumps, 0);
    EXPECT_GT(controls, 0); // the last one at least
}
