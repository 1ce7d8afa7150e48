// The synthesizer's side of the plug-in's clock and gates, played by MIDI peers on the JACK
// server: the host's tempo through zoz-host, the transport's clock, and a parameter message
// that lights its part.

#include "tests/core/ClockRig.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/MidiSystem.h"
#include "tests/support/Watchdog.h"

#include <algorithm>
#include <unistd.h>

using namespace coretest;

namespace {

struct Synthesizer : CoreRig {
    std::unique_ptr<testsupport::Watchdog> watchdog;

    void SetUp() override {
        const std::string missing = testsupport::MidiSystemMissing();
        if (!missing.empty()) GTEST_SKIP() << missing;
        watchdog = std::make_unique<testsupport::Watchdog>(
            90, testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    static std::string client(const std::string& tag) {
        return "zozsynth" + std::to_string(getpid()) + tag;
    }
    // A peer whose port the settings name as the plug-in's output ("in") or input ("out").
    std::unique_ptr<testsupport::ChildProcess> peer(const char* mode, const std::string& port) {
        auto p = std::make_unique<testsupport::ChildProcess>(
            std::vector<std::string>{ZOZ_MIDI_PEER_PATH, mode, client(port), port});
        std::string line;
        EXPECT_TRUE(p->ReadLine(&line, 10000) && line == "ready") << line;
        return p;
    }
    // What the peer heard until `until` came, or for timeoutMs after the last message.
    static std::vector<std::string> heard(testsupport::ChildProcess& peer, int timeoutMs,
                                          const std::string& until = "") {
        std::vector<std::string> lines;
        for (std::string line; lines.empty() || lines.back() != until;) {
            if (!peer.ReadLine(&line, timeoutMs)) break;
            lines.push_back(line.substr(4)); // after "msg "
        }
        return lines;
    }
};

} // namespace

TEST_F(Synthesizer, HearsTheHostsTempoOncePerWholeBpmThroughZozHost) {
    auto synthesizer = peer("receive", "in");
    writeSettings("yellow\nnormal\nyes\n" + client("in") + ":in\n");
    keepLog();
    const std::string suppressions = temp.path() + "/lsan.supp";
    testsupport::writeFile(suppressions, bytesOf("leak:jack_ringbuffer_create\n"));
    std::string output;
    ASSERT_EQ(testsupport::RunProgram(
                  {ZOZ_HOST_PATH, ZOZ_EDITOR_PATH, "tempo=120.9", "process=2", "tempo=120.2",
                   "process=2", "tempo=200", "process=2"},
                  &output, 60000,
                  {"ZOZ_DATA_DIR=" + data, "LSAN_OPTIONS=suppressions=" + suppressions}),
              0)
        << output;
    std::vector<std::string> tempos = heard(*synthesizer, 1000);
    tempos.erase(std::remove_if(
                     tempos.begin(), tempos.end(),
                     [](const std::string& m) { return m.rfind("F0 3E 0F 00 21 00 05 ", 0) != 0; }),
                 tempos.end());
    EXPECT_EQ(tempos, (std::vector<std::string>{"F0 3E 0F 00 21 00 05 37 F7",
                                                "F0 3E 0F 00 21 00 05 7F F7"}));
    const std::vector<std::string> lines = logLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "PROCESSOR: Host tempo synced to 120BPM"),
              lines.end());
}

TEST_F(Synthesizer, HearsTheTransportsClockAndItsParameterMessageLightsItsPart) {
    auto synthesizer = peer("receive", "in");
    auto keyboard = peer("send", "out");
    writeSettings("yellow\nnormal\nyes\n" + client("in") + ":in\n" + client("out") + ":out");
    resources = ZOZ_BUILT_RESOURCES;
    auto plug = start<Hosted<Zoz>>();
    plug->setClockStartStop(true);
    plug->playing = true;
    plug->ProcessDoubleReplacing(nullptr, nullptr, 256);
    EXPECT_EQ(heard(*synthesizer, 5000, "FA").back(), "FA");
    keyboard->WriteLine("F0 3E 0F 00 20 05 00 01 02 F7");
    for (int i = 0; i < 500 && plug->GetParam(kMIDILed + 5)->Value() != 1.0; ++i)
        usleep(10000);
    EXPECT_EQ(plug->GetParam(kMIDILed + 5)->Value(), 1.0);
}
