// Sessions through zoz-host with the simulated synthesizer on the MIDI system and the editor on
// the virtual display. Until the editor's own module exists they run the test module, whose
// switch probes the synthesizer.

#include "tests/e2e/Session.h"
#include "tests/support/Watchdog.h"
#include "tools/zoz-qsim/SynthSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kWaitMs = 20000;
const Bytes kBroadcastProbe = {0xF0, 0x3E, 0x0F, 0x7F, 0x04, 0xF7};
constexpr int kSwitchX = 110, kSwitchY = 50; // the test module's switch

class EndToEnd : public testing::Test {
protected:
    void SetUp() override {
        const std::string missing = Session::Missing();
        if (!missing.empty()) GTEST_SKIP() << missing;
        watchdog = std::make_unique<testsupport::Watchdog>(
            110, testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    std::unique_ptr<testsupport::Watchdog> watchdog;
};

Bytes hexBytes(const std::string& text) {
    Bytes out;
    for (size_t i = 0; i + 1 < text.size(); i += 3)
        out.push_back(uint8_t(std::stoul(text.substr(i, 2), nullptr, 16)));
    return out;
}

// The editor's switch probes through the ports the settings file names; the answer comes back
// to the plug-in while blocks run in real time. A line on standard input ends a run, SIGTERM
// quits the host cleanly with the commands after it left undone.
TEST_F(EndToEnd, AClickInTheEditorProbesTheSynthesizerWhichAnswersThePlugIn) {
    Session s("probe", {{3, 0, "", ""}});
    ASSERT_TRUE(s.Ready());
    ASSERT_TRUE(s.StartHost(ZOZ_TEST_PLUGIN_PATH,
                            {"editor-open", "run=90000", "run=90000", "process=1"}));
    std::string ports;
    ASSERT_TRUE(s.WaitForHost("plug-in: MIDI Out", kWaitMs, &ports));
    EXPECT_EQ(ports, "plug-in: MIDI Out \"" + s.Synth().InPort() + "\" open, MIDI In \"" +
                         s.Synth().OutPort() + "\" open");
    ASSERT_TRUE(s.WaitForHost("host: editor open", kWaitMs));

    // Each click that turns the switch on probes; the first message on a new port may be lost.
    bool answered = false;
    for (int click = 0; click < 10 && !answered; ++click) {
        ASSERT_TRUE(s.Click(kSwitchX, kSwitchY));
        answered = s.Synth().WaitFor([](const auto& m) { return !m.received; }, 1500);
    }
    ASSERT_TRUE(answered);
    EXPECT_EQ(s.Synth().Received().back(), kBroadcastProbe);
    const Bytes global = s.Synth().Sent().back();
    ASSERT_EQ(global.size(), 207u);
    EXPECT_EQ(global[3], 3) << "the synthesizer's own id";
    std::string line;
    ASSERT_TRUE(s.WaitForHost("plug-in: SysEx from the synthesizer, 207 bytes:", kWaitMs, &line));
    EXPECT_EQ(hexBytes(line.substr(line.find(':', 9) + 2)), global);

    ASSERT_TRUE(s.NextCommand());
    ASSERT_TRUE(s.WaitForHost("host: ran ", kWaitMs, &line));
    EXPECT_NE(line.find("ended as a line came on standard input"), std::string::npos) << line;
    EXPECT_EQ(line.find("ran 0 blocks"), std::string::npos) << line;
    ASSERT_TRUE(s.QuitHost());
    EXPECT_EQ(s.FinishHost(), 0);
    const std::vector<std::string> lines = s.HostLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "host: quitting as asked"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "host: close 0"), lines.end());
    for (const std::string& l : lines)
        EXPECT_EQ(l.find("host: processed"), std::string::npos) << "left undone: " << l;

    qsim::SynthSimulator memory;
    ASSERT_TRUE(s.Synth().SaveMemory(s.DataFolder() + "/memory.syx", memory));
    Bytes held = memory.dumpAt(0x14, 0, 0);
    EXPECT_EQ(held, global);
}

} // namespace
